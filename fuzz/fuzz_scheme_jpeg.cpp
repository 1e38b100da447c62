// The JPEG reader of background pictures on arbitrary bytes: it either
// gives a picture of the size it says, within its limits, or refuses with a
// message and no pixels; a picture it gives reduces to a readable GIF.
#include "scheme/SchemeGif.h"
#include "scheme/SchemeJpeg.h"
#include "scheme/SchemeQuantise.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tralcon;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TJpegResult r = DecodeJpeg(bytes);
    if (!r.Ok) {
        if (r.Error.empty() || !r.Picture.Pixels.empty())
            std::abort();
        return 0;
    }
    const TRgbPicture& p = r.Picture;
    if (p.Width <= 0 || p.Height <= 0 ||
        static_cast<long long>(p.Width) * p.Height > kJpegMaxDecodedPixels ||
        p.Pixels.size() != static_cast<std::size_t>(p.Width) * static_cast<std::size_t>(p.Height))
        std::abort();
    for (std::uint32_t px : p.Pixels)
        if (px > 0xFFFFFFu)
            std::abort();
    if (p.Width <= kGifMaxSide && p.Height <= kGifMaxSide && p.Pixels.size() <= 512 * 512 &&
        !IsReadableGif(EncodeGif(QuantiseImage(p.Pixels, p.Width, p.Height))))
        std::abort();
    return 0;
}
