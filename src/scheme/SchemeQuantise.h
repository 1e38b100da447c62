#pragma once
// Reduces a true-colour picture to a GIF palette picture: at most 256
// colours chosen by median cut, every pixel mapped to its nearest palette
// colour, no dithering (a scheme is flat areas and thin lines, where
// dithering only adds noise). A picture with 256 colours or fewer keeps
// them exactly.

#include "scheme/SchemeGif.h"

#include <cstdint>
#include <span>

namespace tralcon {

// pixels: width * height values 0xRRGGBB (higher bits ignored), row by row.
// Throws std::invalid_argument for a size outside the GIF limits or a pixel
// count that does not match.
TGifImage QuantiseImage(std::span<const std::uint32_t> pixels, int width, int height,
                        int maxColours = 256);

} // namespace tralcon
