#pragma once
// The layout of a controller's flash image: a chain of records that point at
// each other by byte offset, each ending with an additive checksum.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tralcon {

using TBytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kImageHeaderSize = 38;
inline constexpr std::uint16_t kBlinkOffset = 38;
inline constexpr std::uint16_t kEntryOffset = 57;   // the record after the yellow-flashing one
inline constexpr std::size_t kStateRecordSize = 19; // a phase record adds one byte per cycle
inline constexpr std::uint16_t kNoLink = 0xFFFF;
inline constexpr std::uint8_t kStateBlink = 14;
inline constexpr std::uint8_t kStateStep = 13; // intermediate steps and the all-red state
inline constexpr std::uint8_t kCycleCodeFlash = 254;
inline constexpr std::uint8_t kCycleCodeOff = 255;
// The largest image a file can take, and the most the programmer accepts.
inline constexpr std::size_t kMaxFileImageSize = 2008;
inline constexpr std::size_t kMaxProgrammedImageSize = 2048;

// The 16-bit sum of count bytes, carries out of bit 15 dropped; 0 for a
// count of 0 or less.
std::uint16_t ImageChecksum(const std::uint8_t* bytes, long count);

inline std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::uint8_t ToBcd(unsigned v) {
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

} // namespace tralcon
