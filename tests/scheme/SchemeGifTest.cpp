// The GIF blob of the scheme background: what counts as readable, decoding
// and encoding.
#include "scheme/SchemeGif.h"
#include "SchemeTestUtil.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

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

// One frame of 16 colours inside a screen whose background index is 3,
// written with giflib directly; every pixel of frame row r is r.
std::string FrameOnScreen(int screenW, int screenH, int left, int top, int w, int h,
                          bool interlace) {
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* g, const GifByteType* b, int n) {
            static_cast<std::string*>(g->UserData)->append(reinterpret_cast<const char*>(b), n);
            return n;
        },
        &error);
    if (gif == nullptr)
        throw std::runtime_error("EGifOpen");
    GifColorType colours[16] = {};
    for (int i = 0; i < 16; ++i)
        colours[i] = {static_cast<GifByteType>(i * 10), 0, 0};
    ColorMapObject* map = GifMakeMapObject(16, colours);
    bool ok = EGifPutScreenDesc(gif, screenW, screenH, 4, 3, map) == GIF_OK &&
              EGifPutImageDesc(gif, left, top, w, h, interlace, nullptr) == GIF_OK;
    std::vector<int> order;
    if (interlace) {
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < h; y += step)
                order.push_back(y);
    } else {
        for (int y = 0; y < h; ++y)
            order.push_back(y);
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(w));
    for (int row : order) {
        std::fill(line.begin(), line.end(), static_cast<GifPixelType>(row & 15));
        ok = ok && EGifPutLine(gif, line.data(), w) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    if (!ok)
        throw std::runtime_error("writing the test GIF");
    return out;
}

// Rows come back in picture order and at the frame's place; what lies
// outside the screen is cut off, and the rest keeps the background index.
TEST(SchemeGif, FramesLandInPlaceAndAreClippedToTheScreen) {
    struct TCase {
        int Left, Top, W, H;
        bool Interlace;
    } cases[] = {
        {2, 5, 6, 11, true},   // inside, interlaced
        {2, 5, 6, 11, false},  // inside
        {7, 15, 6, 9, false},  // over the right and bottom edges
        {7, 15, 6, 9, true},   // the same, interlaced
        {12, 0, 3, 3, false},  // wholly right of the screen
        {0, 0, 10, 20, false}, // the whole screen
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Left << "," << c.Top << " " << c.W << "x" << c.H
                                        << (c.Interlace ? " interlaced" : ""));
        auto decoded = DecodeGif(FrameOnScreen(10, 20, c.Left, c.Top, c.W, c.H, c.Interlace));
        ASSERT_TRUE(decoded);
        ASSERT_EQ(decoded->Width, 10);
        ASSERT_EQ(decoded->Height, 20);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 10; ++x) {
                bool inside = x >= c.Left && x < c.Left + c.W && y >= c.Top && y < c.Top + c.H;
                int expected = inside ? (y - c.Top) & 15 : 3;
                ASSERT_EQ(decoded->Pixels[static_cast<std::size_t>(y * 10 + x)], expected)
                    << x << "," << y;
            }
    }
}

// The longest sides the decoder takes, one row or column of them.
TEST(SchemeGif, SidesUpToTheLimitAreRead) {
    for (auto [w, h] : {std::pair{kGifMaxSide, 1}, {1, kGifMaxSide}}) {
        auto decoded = DecodeGif(FrameOnScreen(w, h, 0, 0, w, h, false));
        ASSERT_TRUE(decoded) << w << "x" << h;
        EXPECT_EQ(decoded->Pixels.size(), static_cast<std::size_t>(kGifMaxSide));
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
