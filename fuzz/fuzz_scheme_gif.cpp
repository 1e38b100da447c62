// The GIF check of the scheme background on arbitrary bytes: the check, the
// decoder and the document agree, a decoded picture is well-formed, and it
// encodes to a GIF file that decodes to the same pixels.
#include "scheme/SchemeDocument.h"
#include "scheme/SchemeGif.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tralcon;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool readable = IsReadableGif(bytes);
    auto picture = DecodeGif(bytes);
    if (readable != picture.has_value())
        std::abort();
    TSchemeDocument doc;
    if (doc.LoadSchemeBackground(bytes) != readable || doc.HasBackground() != readable)
        std::abort();
    if (!picture)
        return 0;

    const TGifImage& p = *picture;
    if (p.Width <= 0 || p.Height <= 0 || p.Width > kGifMaxSide || p.Height > kGifMaxSide)
        std::abort();
    if (p.Palette.empty() || p.Palette.size() > 256)
        std::abort();
    if (p.Pixels.size() != static_cast<std::size_t>(p.Width) * p.Height)
        std::abort();
    for (std::uint8_t v : p.Pixels)
        if (v >= p.Palette.size())
            std::abort();

    auto again = DecodeGif(EncodeGif(p));
    if (!again || again->Pixels != p.Pixels || again->TransparentIndex != p.TransparentIndex)
        std::abort();
    return 0;
}
