#include "persistence/ByteStream.h"

#include <array>

namespace tralcon {

namespace {
constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t c = static_cast<std::uint16_t>(i);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? static_cast<std::uint16_t>((c >> 1) ^ 0x8408)
                        : static_cast<std::uint16_t>(c >> 1);
        t[i] = c;
    }
    return t;
}
constexpr auto kTable = MakeTable();
} // namespace

std::uint16_t Crc16Kermit(std::uint16_t crc, std::uint8_t byte) {
    return static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ byte) & 0xFF]);
}

std::uint16_t Crc16Kermit(const std::uint8_t* data, std::size_t size, std::uint16_t crc) {
    for (std::size_t i = 0; i < size; ++i)
        crc = Crc16Kermit(crc, data[i]);
    return crc;
}

} // namespace tralcon
