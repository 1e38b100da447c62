// The GIF check of the scheme background on arbitrary bytes: the check, the
// decoder and the document agree, a decoded picture is well-formed, and it
// encodes to a GIF file that decodes to the same pixels.
#include "scheme/SchemeDocument.h"
#include "scheme/SchemeGif.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tralcon;
    // A screen past 512 x 512 pixels runs the same code as a smaller one,
    // only longer: 76 bytes can claim 4096 x 4096 and cost seconds a run.
    // Sides up to the limit and beyond still come through (4097 x 1), and
    // the unit tests read sides of 4096.
    if (size >= 10) {
        const long long width = data[6] | data[7] << 8;
        const long long height = data[8] | data[9] << 8;
        if (width * height > 512 * 512)
            return 0;
    }
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
    // Which indexes occur, then one test per index rather than per pixel:
    // pictures reach 16 M pixels and every traced comparison costs.
    bool used[256] = {};
    for (std::uint8_t v : p.Pixels)
        used[v] = true;
    for (std::size_t v = p.Palette.size(); v < 256; ++v)
        if (used[v])
            std::abort();

    auto again = DecodeGif(EncodeGif(p));
    if (!again || again->Pixels.size() != p.Pixels.size() ||
        std::memcmp(again->Pixels.data(), p.Pixels.data(), p.Pixels.size()) != 0 ||
        again->TransparentIndex != p.TransparentIndex)
        std::abort();
    return 0;
}
