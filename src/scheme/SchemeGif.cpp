#include "scheme/SchemeGif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace tralcon {

namespace {

struct TMemorySource {
    std::string_view Bytes;
    std::size_t Pos = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* source = static_cast<TMemorySource*>(gif->UserData);
    if (length <= 0)
        return 0;
    std::size_t n = std::min(static_cast<std::size_t>(length), source->Bytes.size() - source->Pos);
    std::memcpy(buffer, source->Bytes.data() + source->Pos, n);
    source->Pos += n;
    return static_cast<int>(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int length) {
    auto* out = static_cast<std::string*>(gif->UserData);
    if (length > 0)
        out->append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
    return length;
}

struct TDecoderCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

struct TEncoderCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

bool SideOk(int side) {
    return side > 0 && side <= kGifMaxSide;
}

// Reads the whole file; keeps the first frame in *first when asked.
bool Decode(std::string_view bytes, TGifImage* first) {
    if (bytes.empty())
        return false;
    TMemorySource source{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, TDecoderCloser> gif(DGifOpen(&source, ReadFromMemory, &error));
    if (!gif)
        return false;
    const int screenWidth = gif->SWidth;
    const int screenHeight = gif->SHeight;
    if (!SideOk(screenWidth) || !SideOk(screenHeight))
        return false;

    long long budget = kGifMaxPixels;
    bool haveFrame = false;
    int transparent = -1;
    std::vector<GifPixelType> line;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            return false;
        if (type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                return false;
            if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && !haveFrame) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                    transparent = gcb.TransparentColor;
            }
            while (block != nullptr)
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    return false;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            return false;

        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            return false;
        const GifImageDesc& desc = gif->Image;
        if (!SideOk(desc.Width) || !SideOk(desc.Height))
            return false;
        budget -= static_cast<long long>(desc.Width) * desc.Height;
        if (budget < 0)
            return false;
        const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
        if (map == nullptr || map->Colors == nullptr || map->ColorCount <= 0)
            return false;

        const bool keep = first != nullptr && !haveFrame;
        if (keep) {
            first->Width = screenWidth;
            first->Height = screenHeight;
            first->Palette.clear();
            const int colours = std::min(map->ColorCount, 256);
            for (int i = 0; i < colours; ++i)
                first->Palette.push_back(
                    {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
            first->TransparentIndex = transparent >= 0 && transparent < colours ? transparent : -1;
            int fill = first->TransparentIndex;
            if (fill < 0)
                fill = gif->SBackGroundColor < colours ? gif->SBackGroundColor : 0;
            first->Pixels.assign(static_cast<std::size_t>(screenWidth) * screenHeight,
                                 static_cast<std::uint8_t>(fill));
        }

        // Interlaced frames store every 8th row from 0, every 8th from 4,
        // every 4th from 2, then every 2nd from 1.
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        std::vector<int> rows;
        rows.reserve(static_cast<std::size_t>(desc.Height));
        if (desc.Interlace) {
            for (int pass = 0; pass < 4; ++pass)
                for (int y = kStart[pass]; y < desc.Height; y += kStep[pass])
                    rows.push_back(y);
        } else {
            for (int y = 0; y < desc.Height; ++y)
                rows.push_back(y);
        }

        line.resize(static_cast<std::size_t>(desc.Width));
        // An index beyond the palette becomes 0. The table and the clipped
        // span keep the per-pixel loop free of tests: pictures reach 16 M
        // pixels.
        std::uint8_t remap[256];
        const int paletteSize = keep ? static_cast<int>(first->Palette.size()) : 0;
        for (int i = 0; i < 256; ++i)
            remap[i] = static_cast<std::uint8_t>(i < paletteSize ? i : 0);
        const long long left = desc.Left;
        const long long span = std::min<long long>(desc.Width, screenWidth - left);
        for (int y : rows) {
            if (DGifGetLine(gif.get(), line.data(), desc.Width) == GIF_ERROR)
                return false;
            if (!keep || span <= 0 || left < 0)
                continue;
            const long long sy = static_cast<long long>(desc.Top) + y;
            if (sy < 0 || sy >= screenHeight)
                continue;
            std::uint8_t* out = first->Pixels.data() + sy * screenWidth + left;
            const GifPixelType* in = line.data();
            for (long long x = 0; x < span; ++x)
                out[x] = remap[in[x]];
        }
        haveFrame = true;
    }
    return haveFrame;
}

} // namespace

bool IsReadableGif(std::string_view bytes) {
    return Decode(bytes, nullptr);
}

std::optional<TGifImage> DecodeGif(std::string_view bytes) {
    TGifImage image;
    if (!Decode(bytes, &image))
        return std::nullopt;
    return image;
}

std::string EncodeGif(const TGifImage& image) {
    if (!SideOk(image.Width) || !SideOk(image.Height))
        throw std::invalid_argument("GIF picture size out of range");
    if (image.Palette.empty() || image.Palette.size() > 256)
        throw std::invalid_argument("GIF palette must hold 1 to 256 colours");
    const std::size_t pixels = static_cast<std::size_t>(image.Width) * image.Height;
    if (image.Pixels.size() != pixels)
        throw std::invalid_argument("GIF pixel count does not match the picture size");
    const int colours = static_cast<int>(image.Palette.size());
    for (std::uint8_t v : image.Pixels)
        if (v >= colours)
            throw std::invalid_argument("GIF pixel beyond the palette");
    if (image.TransparentIndex >= colours)
        throw std::invalid_argument("GIF transparent index beyond the palette");

    int bits = 1;
    while ((1 << bits) < colours)
        ++bits;
    std::vector<GifColorType> table(static_cast<std::size_t>(1) << bits, GifColorType{0, 0, 0});
    for (int i = 0; i < colours; ++i) {
        const TGifColor& c = image.Palette[static_cast<std::size_t>(i)];
        table[static_cast<std::size_t>(i)] = GifColorType{c.R, c.G, c.B};
    }
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> map(
        GifMakeMapObject(1 << bits, table.data()), GifFreeMapObject);
    if (!map)
        throw std::bad_alloc();

    std::string out;
    int error = 0;
    std::unique_ptr<GifFileType, TEncoderCloser> gif(EGifOpen(&out, WriteToMemory, &error));
    if (!gif)
        throw std::runtime_error("GIF encoder could not start");
    const bool transparent = image.TransparentIndex >= 0;
    EGifSetGifVersion(gif.get(), transparent);
    bool ok = EGifPutScreenDesc(gif.get(), image.Width, image.Height, bits, 0, map.get()) == GIF_OK;
    if (ok && transparent) {
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, image.TransparentIndex};
        GifByteType extension[4];
        EGifGCBToExtension(&gcb, extension);
        ok = EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    }
    ok = ok &&
         EGifPutImageDesc(gif.get(), 0, 0, image.Width, image.Height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<std::size_t>(image.Width));
    for (int y = 0; ok && y < image.Height; ++y) {
        std::copy_n(image.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.Width,
                    image.Width, line.begin());
        ok = EGifPutLine(gif.get(), line.data(), image.Width) == GIF_OK;
    }
    if (!ok)
        throw std::runtime_error("GIF encoder failed");
    if (EGifCloseFile(gif.release(), &error) != GIF_OK)
        throw std::runtime_error("GIF encoder failed");
    return out;
}

} // namespace tralcon
