#pragma once
// GIF files of the scheme: the background picture kept in the project file,
// and later the passport's scheme pictures. Decoding works from memory only
// and refuses pictures larger than the limits below before allocating for
// them, so a damaged blob costs a "no" and not the program.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tralcon {

struct TGifColor {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    bool operator==(const TGifColor&) const = default;
};

// A palette picture: one palette index per pixel, row by row.
struct TGifImage {
    int Width = 0;
    int Height = 0;
    std::vector<TGifColor> Palette; // 1 to 256 colours
    std::vector<std::uint8_t> Pixels;
    int TransparentIndex = -1; // -1: none
};

// Largest width or height accepted, and the most pixels decoded from one
// file over all its frames (the scheme's own pictures are 200 x 200).
inline constexpr int kGifMaxSide = 4096;
inline constexpr long long kGifMaxPixels = 16LL * 1024 * 1024;

// True when the bytes are a GIF file that decodes completely: every frame,
// up to the trailer, within the limits above.
bool IsReadableGif(std::string_view bytes);

// The first frame on the picture's logical screen; none when the bytes are
// not a readable GIF file. Pixels the frame does not cover take the
// transparent index, or else the background index. Indexes beyond the
// palette are read as 0.
std::optional<TGifImage> DecodeGif(std::string_view bytes);

// A complete GIF file of the picture (GIF89a when it has a transparent
// index). Throws std::invalid_argument for a picture outside the limits or
// with pixels beyond its palette.
std::string EncodeGif(const TGifImage& image);

} // namespace tralcon
