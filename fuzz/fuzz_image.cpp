// The flash image reader on arbitrary bytes: it accepts or names the damage,
// and whatever it accepts can be described.
#include "flash/ImageReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tralcon::TBytes bytes(data, data + size);
    tralcon::TImageDescription image;
    std::string error;
    if (tralcon::ReadFlashImage(bytes, &image, &error)) {
        if (tralcon::DescribeFlashImage(image).empty())
            std::abort();
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}
