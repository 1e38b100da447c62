#pragma once
// Reads a compiled flash image back: walks it record by record, checks every
// length, link and checksum, and describes what the controller will do.

#include "flash/FlashImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tralcon {

struct TImageHeader {
    std::uint8_t ModelId = 0;
    std::uint16_t ImageSize = 0;
    std::uint16_t YearPlanOffset = 0;
    std::uint16_t EntryOffsetA = 0;
    std::uint16_t EntryOffsetB = 0;
    std::uint16_t BlinkOffset = 0;
    std::uint8_t PhaseTotal = 0;
    std::uint8_t SystemId = 0;
    std::uint8_t ControllerIndex = 0;
    std::uint8_t ControllerCount = 0;
    std::uint32_t GreenControlMask = 0;
    std::uint32_t RedControlMask = 0;
    std::uint32_t CallLampMask = 0;
    std::uint8_t ControllerFlags = 0;
};

struct TImageState {
    std::uint16_t Offset = 0;
    std::uint8_t StateNumber = 0;
    std::uint32_t LitMask = 0;
    std::uint32_t SteadyMask = 0;
    std::uint16_t NextOffset = 0;
    std::uint16_t ExitOffset = 0;
    std::uint16_t CallOffset = 0;
    std::uint8_t Duration = 0;
    std::vector<std::uint8_t> CycleExtra; // phase records only
};

struct TImageDayPlan {
    struct Item {
        std::uint8_t Hour, Minute, CycleCode;
    };
    std::uint16_t Offset = 0;
    std::vector<Item> Items;
};

struct TImageWeekPlan {
    struct Item {
        std::uint8_t Weekday;
        std::uint16_t DayPlanOffset;
    };
    std::uint16_t Offset = 0;
    std::vector<Item> Items;
};

struct TImageYearPlan {
    struct Item {
        std::uint8_t Month, Day;
        std::uint16_t WeekPlanOffset;
    };
    std::uint16_t Offset = 0;
    std::vector<Item> Items;
};

struct TImageDescription {
    TImageHeader Header;
    std::vector<TImageState> States; // in image order
    int CycleCount = 0;              // from the phase records' length
    std::vector<TImageDayPlan> DayPlans;
    std::vector<TImageWeekPlan> WeekPlans;
    TImageYearPlan YearPlan;

    const TImageState* StateAt(std::uint16_t offset) const;
};

// Reads an image. bytes may be longer than the image (a 1024-byte file, a
// 2048-byte flash read back) as long as the rest is zeros followed by erased
// 0xFF bytes (either run may be empty). On damage returns false and *error
// says what and at which offset.
bool ReadFlashImage(const TBytes& bytes, TImageDescription* image, std::string* error);

// A readable account of an image that ReadFlashImage accepted.
std::string DescribeFlashImage(const TImageDescription& image);

} // namespace tralcon
