#pragma once
// JPEG pictures the engineer loads as the crossroad's background. Decoding
// works from memory, refuses damaged or truncated files with libjpeg's own
// message, and scales large photographs down while decoding, so a huge
// picture costs neither the memory of its full size nor the program.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tralcon {

struct TRgbPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels; // 0xRRGGBB, row by row
};

struct TJpegResult {
    bool Ok = false;
    std::string Error; // what libjpeg said, when not Ok
    TRgbPicture Picture;
};

// Largest decoded size: the decoder scales by 1/2, 1/4 or 1/8 while both
// sides stay at least minSide, and refuses what still exceeds this.
inline constexpr long long kJpegMaxDecodedPixels = 16LL * 1024 * 1024;
// Memory libjpeg may take for its own buffers (progressive files buffer the
// whole picture's coefficients).
inline constexpr long kJpegMaxMemory = 256L * 1024 * 1024;

TJpegResult DecodeJpeg(std::string_view bytes, int minSide = 200);

// True when the bytes start like a JPEG file.
bool LooksLikeJpeg(std::string_view bytes);

} // namespace tralcon
