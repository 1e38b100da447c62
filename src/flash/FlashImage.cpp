#include "flash/FlashImage.h"

namespace tralcon {

std::uint16_t ImageChecksum(const std::uint8_t* bytes, long count) {
    std::uint16_t sum = 0;
    for (long i = 0; i < count; ++i)
        sum = static_cast<std::uint16_t>(sum + bytes[i]);
    return sum;
}

} // namespace tralcon
