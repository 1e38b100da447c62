// The scheme's layers and views, the colour quantiser and the JPEG reader.

#include "scheme/SchemeScene.h"
#include "RecordingCanvas.h"
#include "SchemeTestUtil.h"
#include "scheme/SchemeJpeg.h"
#include "scheme/SchemeQuantise.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <cstdio>
#include <random>

using namespace tralcon;
using namespace tralcon::test;

namespace {

TvxArrow* AddLine(TSchemeDocument& s, int row, int y, TColor colour) {
    auto* a = static_cast<TvxArrow*>(s.AddObject(NewArrow({{{10, y, 0}, {150, y, 0}}}), row));
    a->Points().SetColor(colour);
    return a;
}

TvxTrendLabel* AddLabel(TSchemeDocument& s, int row) {
    auto label = std::make_unique<TvxTrendLabel>();
    label->SetText("1Т");
    return static_cast<TvxTrendLabel*>(s.AddObject(std::move(label), row));
}

// The line colour of each trajectory pass drawn, in order (shadows left out).
std::vector<std::string> PaintedOrder(const TRecordingCanvas& c) {
    std::vector<std::string> out;
    for (const TDrawCall& call : c.Calls) {
        if (call.Op == "Polyline" && call.Pen.Color != TColor::Rgb(128, 128, 128))
            out.push_back(ColorName(call.Pen.Color));
        if (call.Op == "Text")
            out.push_back("label");
    }
    return out;
}

} // namespace

TEST(SchemeLayers, GreenOverSilverLabelsOverPathsSelectionOnTop) {
    TSchemeDocument s;
    s.RowsInserted(0, 2);
    TvxArrow* green = AddLine(s, 0, 20, kTrajectoryGreen); // back-most
    AddLabel(s, 0);
    AddLine(s, 1, 40, kTrajectorySilver);
    TvxArrow* blue = AddLine(s, 1, 60, TColor::Rgb(0, 0, 255));
    TRecordingCanvas canvas;
    PaintSchemeObjects(s, nullptr, canvas);
    EXPECT_EQ(PaintedOrder(canvas),
              (std::vector<std::string>{"192,192,192", "0,255,0", "0,0,255", "label"}));

    // The selection comes last whatever its place and colour.
    green->SetSelected(true);
    TRecordingCanvas selected;
    PaintSchemeObjects(s, green, selected);
    EXPECT_EQ(PaintedOrder(selected),
              (std::vector<std::string>{"192,192,192", "0,0,255", "label", "0,255,0"}));

    // Hidden objects are not drawn; painting leaves the objects without a
    // canvas, as they were.
    blue->SetVisible(false);
    TRecordingCanvas hidden;
    PaintSchemeObjects(s, nullptr, hidden);
    EXPECT_EQ(PaintedOrder(hidden), (std::vector<std::string>{"192,192,192", "0,255,0", "label"}));
    for (int i = 0; i < s.Count(); ++i)
        EXPECT_EQ(s.Items(i)->Canvas(), nullptr);
}

TEST(SchemeLayers, HitMapGivesEachObjectItsGreyLevel) {
    TSchemeDocument s;
    s.RowsInserted(0, 1);
    AddLine(s, 0, 20, kTrajectorySilver);
    AddLine(s, 0, 40, kTrajectoryGreen);
    TRecordingCanvas canvas;
    PaintSchemeHitMap(s, nullptr, canvas);
    // Silver first (index 0, level 1), then green (index 1, level 2); no
    // shadow in the silhouettes.
    std::vector<std::string> lines;
    for (const TDrawCall& c : canvas.Of("Polyline"))
        lines.push_back(ColorName(c.Pen.Color));
    EXPECT_EQ(lines, (std::vector<std::string>{"1,1,1", "2,2,2"}));
    EXPECT_EQ(ObjectOfHitLevel(s, 2), s.Items(1));
    EXPECT_EQ(ObjectOfHitLevel(s, 0), nullptr);
    EXPECT_EQ(ObjectOfHitLevel(s, 3), nullptr);
}

TEST(SchemeViews, TrendPhaseAndSchemeViewsColourAndHide) {
    TSchemeDocument s;
    s.RowsInserted(0, 3);
    TvxArrow* a0 = AddLine(s, 0, 10, kTrajectorySilver);
    TvxArrow* a1 = AddLine(s, 1, 20, kTrajectorySilver);
    TvxTrendLabel* l1 = AddLabel(s, 1);
    TvxArrow* loose = AddLine(s, -1, 30, TColor::Rgb(1, 2, 3));

    ShowTrendView(s, 1);
    EXPECT_EQ(a0->Points().Color(), kTrajectorySilver);
    EXPECT_EQ(a1->Points().Color(), kTrajectoryGreen);
    EXPECT_EQ(loose->Points().Color(), kTrajectorySilver);

    ShowPhaseView(s, {true, false, false});
    EXPECT_TRUE(a0->Visible());
    EXPECT_EQ(a0->Points().Color(), kTrajectoryGreen);
    EXPECT_FALSE(a1->Visible());
    EXPECT_FALSE(l1->Visible());
    EXPECT_TRUE(loose->Visible()) << "an object of no row stays as it is";

    // A green list shorter than the rows counts the rest as red.
    ShowPhaseView(s, {});
    EXPECT_FALSE(a0->Visible());

    ShowSchemeView(s);
    EXPECT_TRUE(a0->Visible());
    EXPECT_TRUE(a1->Visible());
    EXPECT_TRUE(l1->Visible());
    EXPECT_EQ(a1->Points().Color(), kTrajectorySilver);
    EXPECT_FALSE(loose->Visible());
}

// ---- quantiser ----------------------------------------------------------------

TEST(QuantiseImage, FewColoursAreKeptExactly) {
    const std::vector<std::uint32_t> px = {0xFF0000, 0x00FF00, 0xFF0000,
                                           0x0000FF, 0xFFFFFF, 0x00FF00};
    const TGifImage g = QuantiseImage(px, 3, 2);
    ASSERT_EQ(g.Palette.size(), 4u);
    for (std::size_t i = 0; i < px.size(); ++i) {
        const TGifColor c = g.Palette[g.Pixels[i]];
        EXPECT_EQ((std::uint32_t{c.R} << 16) | (std::uint32_t{c.G} << 8) | c.B, px[i]);
    }
    // The same picture gives the same file.
    EXPECT_EQ(EncodeGif(g), EncodeGif(QuantiseImage(px, 3, 2)));
}

TEST(QuantiseImage, ManyColoursGetAtMost256AndTheNearestOfThem) {
    std::mt19937 random(7);
    std::vector<std::uint32_t> px(200 * 200);
    for (std::size_t i = 0; i < px.size(); ++i)
        px[i] = (i % 200 < 100) ? 0x336699 : random() & 0xFFFFFF; // a flat half, a noisy half
    const TGifImage g = QuantiseImage(px, 200, 200);
    ASSERT_LE(g.Palette.size(), 256u);
    ASSERT_GT(g.Palette.size(), 200u);
    auto distance = [](std::uint32_t p, TGifColor c) {
        const int dr = int(p >> 16 & 255) - c.R, dg = int(p >> 8 & 255) - c.G,
                  db = int(p & 255) - c.B;
        return dr * dr + dg * dg + db * db;
    };
    for (std::size_t i = 0; i < px.size(); i += 97) {
        const int mine = distance(px[i], g.Palette[g.Pixels[i]]);
        for (const TGifColor& c : g.Palette)
            ASSERT_LE(mine, distance(px[i], c))
                << "pixel " << i << " not mapped to its nearest colour";
    }
    // The flat half is one exact colour of its own: large areas get theirs.
    const TGifColor flat = g.Palette[g.Pixels[0]];
    EXPECT_EQ(flat, (TGifColor{0x33, 0x66, 0x99}));
    EXPECT_TRUE(IsReadableGif(EncodeGif(g)));
}

TEST(QuantiseImage, RefusesSizesOutsideTheLimits) {
    const std::vector<std::uint32_t> px(4, 0);
    EXPECT_THROW(QuantiseImage(px, 3, 1), std::invalid_argument);
    EXPECT_THROW(QuantiseImage({}, 0, 0), std::invalid_argument);
    EXPECT_THROW(QuantiseImage(px, kGifMaxSide + 1, 0), std::invalid_argument);
}

// ---- JPEG ---------------------------------------------------------------------

namespace {

// A JPEG file of a picture with two halves, left red and right blue.
std::string MakeJpeg(int w, int h, bool progressive = false) {
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(w);
    info.image_height = static_cast<JDIMENSION>(h);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        const bool left = x < w / 2;
        row[3 * x] = left ? 220 : 20;
        row[3 * x + 1] = 20;
        row[3 * x + 2] = left ? 20 : 220;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string out(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return out;
}

} // namespace

TEST(DecodeJpeg, ReadsAPictureAndScalesLargeOnesWhileDecoding) {
    const std::string small = MakeJpeg(64, 48);
    ASSERT_TRUE(LooksLikeJpeg(small));
    TJpegResult r = DecodeJpeg(small);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(r.Picture.Width, 64);
    EXPECT_EQ(r.Picture.Height, 48);
    const std::uint32_t left = r.Picture.Pixels[10 * 64 + 5],
                        right = r.Picture.Pixels[10 * 64 + 60];
    EXPECT_GT(left >> 16 & 255, 180u);
    EXPECT_GT(right & 255, 180u);

    // 1700 x 900: scaled by 1/4 (not 1/8, which would leave 113 rows).
    r = DecodeJpeg(MakeJpeg(1700, 900), 200);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(r.Picture.Width, 425);
    EXPECT_EQ(r.Picture.Height, 225);
    EXPECT_EQ(r.Picture.Pixels.size(), 425u * 225u);

    r = DecodeJpeg(MakeJpeg(300, 300, true));
    EXPECT_TRUE(r.Ok) << r.Error;
}

TEST(DecodeJpeg, DamagedFilesGiveTheReadersMessageAndNoPicture) {
    const std::string good = MakeJpeg(120, 80);
    struct TCase {
        const char* Name;
        std::string Bytes;
    };
    std::string flipped = good;
    for (std::size_t i = flipped.size() / 2; i < flipped.size() / 2 + 40; ++i)
        flipped[i] = static_cast<char>(0xFF);
    const TCase cases[] = {
        {"empty", ""},
        {"truncated", good.substr(0, good.size() / 2)},
        {"header only", good.substr(0, 200)},
        {"not a JPEG", std::string("\xFF\xD8\xFF") + std::string(100, 'x')},
        {"markers in the data", flipped},
    };
    for (const TCase& c : cases) {
        const TJpegResult r = DecodeJpeg(c.Bytes);
        EXPECT_FALSE(r.Ok) << c.Name;
        EXPECT_FALSE(r.Error.empty()) << c.Name;
        EXPECT_TRUE(r.Picture.Pixels.empty()) << c.Name;
    }
}
