#pragma once
// Catalogue of controller models, read once at start-up and shared read-only
// by every project of the process.

#include "model/SafeLists.h"

#include <cstdint>
#include <string>

namespace tralcon {

// Colour capability bits of a model output.
enum TOutputFlags : std::uint8_t {
    ofYellow = 1,
    ofGreen = 2,
    ofRed = 4,
    ofUniversal = ofRed | ofGreen,
    ofPowered = 8,
};

class TModelOutput {
public:
    TModelOutput(std::uint32_t mask, std::uint8_t flags, int number)
        : Mask(mask), Flags(flags), Number(number) {}
    std::uint32_t Mask;
    std::uint8_t Flags;
    int Number; // 1-based within its colour list
};

class TModel {
public:
    TModel(std::string caption, std::uint8_t controllerID, std::int32_t id,
           const TIntegerList* red, const TIntegerList* yellow, const TIntegerList* green,
           const TIntegerList* universal, std::uint32_t powerMask);

    int ModelOutputCount() const { return Outputs.Count(); }
    const TModelOutput* ModelOutputAt(int i) const { return Outputs.Items(i); }

    std::string Caption;
    TSafeObjList<TModelOutput> Outputs{true};
    std::uint32_t PowerMask;
    std::int32_t ID;
    std::uint8_t ControllerID;
};

// "1к", "3з", "2у", "1ж": the output's number and colour letter.
std::string ModelOutputName(const TModelOutput* o);

// What "NVT-3.cfg" gives: the catalogue and the general switches.
// The limits of the signal program check, in seconds (section [Check] of
// the catalogue; the defaults follow the usual practice of GOST R 52289).
struct TCheckThresholds {
    int YellowMin = 3;     // a yellow shorter than this is flagged
    int GreenBlinkMin = 3; // green blinking, where used, at least this long
    int RedYellowMax = 2;  // red with yellow at most this long
    int IntergreenMin = 3; // between conflicting streams at least this long
};

class TConfiguration {
public:
    // The first model with this identifier, or none.
    const TModel* FindModel(std::int32_t id) const;

    TSafeObjList<TModel> ModelList{true};
    bool MultiCascade = false;
    bool UseYearPlan = false;
    bool UseCollisions = false;
    std::uint8_t YBTime = 1;
    std::uint8_t AllRedTime = 3;
    TCheckThresholds Check;
};

} // namespace tralcon
