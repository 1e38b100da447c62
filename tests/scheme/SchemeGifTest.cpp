// The GIF blob of the scheme background: what counts as readable, decoding
// and encoding.
#include "scheme/SchemeGif.h"
#include "SchemeTestUtil.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace tralcon {
namespace {

using test::Picture;

TEST(SchemeGif, EncodedPictureDecodesToTheSamePixels) {
    TGifImage picture = Picture(200, 200, 5);
    std::string bytes = EncodeGif(picture);
    EXPECT_EQ(bytes.substr(0, 6), "GIF87a");
    ASSERT_TRUE(IsReadableGif(bytes));
    auto decoded = DecodeGif(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Width, 200);
    EXPECT_EQ(decoded->Height, 200);
    EXPECT_EQ(decoded->Pixels, picture.Pixels);
    // The palette is padded to a power of two with black.
    ASSERT_EQ(decoded->Palette.size(), 8u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(decoded->Palette[i], picture.Palette[i]);
    EXPECT_EQ(decoded->Palette[7], (TGifColor{0, 0, 0}));
    EXPECT_EQ(decoded->TransparentIndex, -1);
}

TEST(SchemeGif, FullPaletteAndTransparency) {
    TGifImage picture = Picture(31, 17, 256);
    picture.TransparentIndex = 200;
    std::string bytes = EncodeGif(picture);
    EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
    auto decoded = DecodeGif(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Pixels, picture.Pixels);
    EXPECT_EQ(decoded->Palette, picture.Palette);
    EXPECT_EQ(decoded->TransparentIndex, 200);
}

// An interlaced frame placed inside a larger screen, written with giflib
// directly: rows come back in picture order and at the frame's place.
TEST(SchemeGif, InterlacedFrameAtAnOffsetLandsInPlace) {
    const int w = 6, h = 11;
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* g, const GifByteType* b, int n) {
            static_cast<std::string*>(g->UserData)->append(reinterpret_cast<const char*>(b), n);
            return n;
        },
        &error);
    ASSERT_NE(gif, nullptr);
    GifColorType colours[16] = {};
    for (int i = 0; i < 16; ++i)
        colours[i] = {static_cast<GifByteType>(i * 10), 0, 0};
    ColorMapObject* map = GifMakeMapObject(16, colours);
    ASSERT_EQ(EGifPutScreenDesc(gif, 10, 20, 4, 3, map), GIF_OK);
    ASSERT_EQ(EGifPutImageDesc(gif, 2, 5, w, h, true, nullptr), GIF_OK);
    const int order[] = {0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9};
    for (int row : order) {
        GifPixelType line[w];
        for (int x = 0; x < w; ++x)
            line[x] = static_cast<GifPixelType>(row);
        ASSERT_EQ(EGifPutLine(gif, line, w), GIF_OK);
    }
    ASSERT_EQ(EGifCloseFile(gif, &error), GIF_OK);
    GifFreeMapObject(map);

    auto decoded = DecodeGif(out);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->Width, 10);
    ASSERT_EQ(decoded->Height, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x) {
            bool inside = x >= 2 && x < 2 + w && y >= 5 && y < 5 + h;
            int expected = inside ? y - 5 : 3; // outside: the background index
            ASSERT_EQ(decoded->Pixels[static_cast<std::size_t>(y * 10 + x)], expected)
                << x << "," << y;
        }
}

TEST(SchemeGif, EveryTruncationIsUnreadable) {
    std::string bytes = EncodeGif(Picture(40, 30, 16));
    for (std::size_t n = 0; n < bytes.size(); ++n)
        ASSERT_FALSE(IsReadableGif(std::string_view(bytes).substr(0, n))) << n;
    EXPECT_TRUE(IsReadableGif(bytes));
}

TEST(SchemeGif, DamagedOrOversizedFilesAreUnreadable) {
    std::string good = EncodeGif(Picture(20, 20, 4));
    auto patched = [&](std::size_t at, std::string bytes) {
        std::string s = good;
        s.replace(at, bytes.size(), bytes);
        return s;
    };
    // Offsets: screen size at 6, flags at 10, image descriptor after the
    // 13-byte header and the 4-colour table (13 + 12 = 25).
    ASSERT_EQ(good[25], ',');
    struct TCase {
        const char* Name;
        std::string Bytes;
    } cases[] = {
        {"empty", ""},
        {"not a GIF", "PNG\x0D\x0A\x1A\x0A and more bytes here"},
        {"bad signature", patched(0, "JIF")},
        {"screen too wide", patched(6, std::string("\x01\x10", 2))}, // 4097
        {"screen of zero height", patched(8, std::string("\0\0", 2))},
        {"frame too wide", patched(30, std::string("\x01\x10", 2))},
        {"frame of zero width", patched(30, std::string("\0\0", 2))},
        {"no colour table",
         good.substr(0, 10) + std::string("\0", 1) + good.substr(11, 2) + good.substr(25)},
        {"unknown record", patched(25, "!")},
        {"no frame at all", good.substr(0, 25) + ";"},
        {"second frame damaged", good.substr(0, good.size() - 1) + good.substr(25, 12) + ";"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(IsReadableGif(c.Bytes)) << c.Name;
        EXPECT_FALSE(DecodeGif(c.Bytes)) << c.Name;
    }
}

TEST(SchemeGif, EncoderRefusesPicturesItCannotWrite) {
    auto bad = [](auto change) {
        TGifImage p = Picture(4, 4, 4);
        change(p);
        return p;
    };
    EXPECT_THROW(EncodeGif(bad([](TGifImage& p) { p.Width = 0; })), std::invalid_argument);
    EXPECT_THROW(EncodeGif(bad([](TGifImage& p) { p.Palette.clear(); })), std::invalid_argument);
    EXPECT_THROW(EncodeGif(bad([](TGifImage& p) { p.Pixels.pop_back(); })), std::invalid_argument);
    EXPECT_THROW(EncodeGif(bad([](TGifImage& p) { p.Pixels[3] = 4; })), std::invalid_argument);
    EXPECT_THROW(EncodeGif(bad([](TGifImage& p) { p.TransparentIndex = 4; })),
                 std::invalid_argument);
    EXPECT_THROW(EncodeGif(bad([](TGifImage& p) {
                     p.Width = kGifMaxSide + 1;
                     p.Pixels.resize(static_cast<std::size_t>(p.Width) * 4);
                 })),
                 std::invalid_argument);
}

} // namespace
} // namespace tralcon
