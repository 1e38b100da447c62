// What the scheme objects draw, recorded call by call.
#include "RecordingCanvas.h"
#include "scheme/vxArrows.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

using test::TDrawCall;
using test::TRecordingCanvas;

const TColor kGreen = TColor::Rgb(0, 255, 0);
const TColor kGrey = TColor::Rgb(128, 128, 128);
const TColor kBlack = TColor::Rgb(0, 0, 0);

std::vector<TPoint> Shifted(std::vector<TPoint> pts, int d) {
    for (TPoint& p : pts)
        p = {p.X + d, p.Y + d};
    return pts;
}

// The right-turn preset with its end head, coloured green.
class ArrowPaint : public ::testing::Test {
  protected:
    ArrowPaint() {
        Arrow.Points().AddPoint({50, 50}, 0);
        Arrow.Points().AddPoint({10, 50}, 20);
        Arrow.Points().AddPoint({10, 10}, 0);
        Arrow.Points().SetColor(kGreen);
        Arrow.Points().SetEndHead(true);
        Canvas.Pen = {TColor::Rgb(1, 2, 3), 7, TPenStyle::Solid};
        Canvas.Brush = {TColor::Rgb(4, 5, 6), TBrushStyle::Clear};
        Arrow.SetCanvas(&Canvas);
    }

    // One line pass: straight leg, arc, straight leg, head.
    void ExpectLinePass(std::size_t at, TColor color, int shift) {
        ASSERT_GE(Canvas.Calls.size(), at + 4);
        const TDrawCall& leg1 = Canvas.Calls[at];
        EXPECT_EQ(leg1.Op, "Polyline");
        EXPECT_EQ(leg1.Points, Shifted({{50, 50}, {30, 50}}, shift));
        EXPECT_EQ(leg1.Pen.Color, color);
        EXPECT_EQ(leg1.Pen.Width, 3);
        const TDrawCall& arc = Canvas.Calls[at + 1];
        EXPECT_EQ(arc.Op, "Bezier");
        // Turning: from TangentOut to TangentIn, handles 1/2.5 of the way
        // from each end towards the corner (10, 50).
        EXPECT_EQ(arc.Points, Shifted({{10, 30}, {10, 42}, {22, 50}, {30, 50}}, shift));
        EXPECT_EQ(arc.Pen.Color, color);
        const TDrawCall& leg2 = Canvas.Calls[at + 2];
        EXPECT_EQ(leg2.Op, "Polyline");
        EXPECT_EQ(leg2.Points, Shifted({{10, 30}, {10, 10}}, shift));
        const TDrawCall& head = Canvas.Calls[at + 3];
        EXPECT_EQ(head.Op, "Polygon");
        EXPECT_EQ(head.Points, Shifted({{10, 10}, {16, 13}, {10, 0}, {4, 13}}, shift));
        EXPECT_EQ(head.Pen.Width, 1);
        EXPECT_EQ(head.Pen.Color, color);
        EXPECT_EQ(head.Brush.Color, color);
        EXPECT_EQ(head.Brush.Style, TBrushStyle::Solid);
    }

    void ExpectCanvasRestored() {
        EXPECT_EQ(Canvas.Pen, (TPen{TColor::Rgb(1, 2, 3), 7, TPenStyle::Solid}));
        EXPECT_EQ(Canvas.Brush, (TBrush{TColor::Rgb(4, 5, 6), TBrushStyle::Clear}));
    }

    TvxArrow Arrow;
    TRecordingCanvas Canvas;
};

TEST_F(ArrowPaint, ShadowThenLinesInCopyMode) {
    Arrow.Paint();
    ASSERT_EQ(Canvas.Calls.size(), 8u);
    ExpectLinePass(0, kGrey, 1);
    ExpectLinePass(4, kGreen, 0);
    ExpectCanvasRestored();
}

TEST_F(ArrowPaint, NoShadowInInvertMode) {
    Canvas.Mode = TDrawMode::Invert;
    Arrow.Paint();
    ASSERT_EQ(Canvas.Calls.size(), 4u);
    ExpectLinePass(0, kGreen, 0);
}

TEST_F(ArrowPaint, SelectedShowsMarkersAndHandles) {
    Arrow.Points().SelectPoint(Arrow.Points().Items(2));
    Canvas.Calls.clear();
    Arrow.SetSelected(true); // selecting paints
    ASSERT_EQ(Canvas.Calls.size(), 8u + 3u + 8u);
    const std::vector<TRect> markers{{47, 47, 53, 53}, {7, 47, 13, 53}, {7, 7, 13, 13}};
    for (std::size_t i = 0; i < 3; ++i) {
        const TDrawCall& m = Canvas.Calls[8 + i];
        EXPECT_EQ(m.Op, "Ellipse");
        EXPECT_EQ(m.Rect, markers[i]);
        EXPECT_EQ(m.Pen, (TPen{kBlack, 1, TPenStyle::Solid}));
        EXPECT_EQ(m.Brush.Color, i == 2 ? TColor::Rgb(0, 0, 255) : TColor::Rgb(255, 255, 255));
    }
    for (std::size_t i = 0; i < 8; ++i) {
        const TDrawCall& h = Canvas.Calls[11 + i];
        EXPECT_EQ(h.Op, "Rectangle");
        EXPECT_EQ(h.Rect, Arrow.Points().Handles()[i]);
        EXPECT_EQ(h.Pen.Color, kBlack);
        EXPECT_EQ(h.Brush.Color, kBlack);
    }
    ExpectCanvasRestored();
}

TEST_F(ArrowPaint, ColoredSilhouetteUsesOneColourOnly) {
    const TColor k = TColor::Rgb(7, 7, 7);
    Arrow.SetSelected(true);
    Canvas.Calls.clear();
    Arrow.PaintColored(k);
    ASSERT_EQ(Canvas.Calls.size(), 4u + 3u + 8u);
    ExpectLinePass(0, k, 0);
    for (const TDrawCall& c : Canvas.Calls) {
        EXPECT_EQ(c.Pen.Color, k) << c.Op;
        if (c.Op != "Polyline" && c.Op != "Bezier") {
            EXPECT_EQ(c.Brush.Color, k) << c.Op;
        }
    }
    EXPECT_EQ(Arrow.Points().Color(), kGreen);
    ExpectCanvasRestored();
}

TEST_F(ArrowPaint, DragImageIsTheLinePassInTheCurrentMode) {
    Arrow.SetSelected(true);
    Canvas.Calls.clear();
    Canvas.Mode = TDrawMode::Invert;
    Arrow.DrawDragImage();
    ASSERT_EQ(Canvas.Calls.size(), 4u);
    ExpectLinePass(0, kGreen, 0);
    EXPECT_EQ(Canvas.Calls[0].Mode, TDrawMode::Invert);
}

TEST_F(ArrowPaint, NothingWhenInvisibleOrWithoutCanvas) {
    Arrow.SetVisible(false);
    Arrow.Paint();
    Arrow.PaintColored(kGreen);
    EXPECT_TRUE(Canvas.Calls.empty());
    Arrow.SetVisible(true);
    Arrow.SetCanvas(nullptr);
    Arrow.Paint();
    Arrow.PaintColored(kGreen);
    Arrow.DrawDragImage();
    Arrow.SetSelected(true);
    EXPECT_TRUE(Canvas.Calls.empty());
}

TEST(ArrowPaintDefaults, NewTrajectoryDrawsInButtonFaceWithoutHeads) {
    TvxArrow arrow;
    arrow.Points().AddPoint({10, 10}, 0);
    arrow.Points().AddPoint({40, 10}, 0);
    TRecordingCanvas canvas;
    arrow.SetCanvas(&canvas);
    arrow.Paint();
    ASSERT_EQ(canvas.Calls.size(), 2u);
    EXPECT_EQ(canvas.Calls[1].Pen.Color, TColor::BtnFace());
    EXPECT_EQ(canvas.Calls[1].Points, (std::vector<TPoint>{{10, 10}, {40, 10}}));
}

// A label "Н1": two characters of 6 pixels, 11 high, so the box is
// 12 + 6 by 11 + 6.
class LabelPaint : public ::testing::Test {
  protected:
    LabelPaint() {
        Label.SetText("Н1");
        Label.SetBounds({30, 40, 0, 0});
        Label.SetCanvas(&Canvas);
    }
    TvxTrendLabel Label;
    TRecordingCanvas Canvas;
};

TEST_F(LabelPaint, BoxFollowsTheTextWithShadowFrameAndCentredText) {
    Label.Paint();
    EXPECT_EQ(Label.Rect(), (TRect{30, 40, 48, 57}));
    ASSERT_EQ(Canvas.Calls.size(), 3u);
    EXPECT_EQ(Canvas.Calls[0].Op, "FillRect");
    EXPECT_EQ(Canvas.Calls[0].Rect, (TRect{32, 42, 50, 59}));
    EXPECT_EQ(Canvas.Calls[0].Brush.Color, kGrey);
    EXPECT_EQ(Canvas.Calls[1].Op, "Rectangle");
    EXPECT_EQ(Canvas.Calls[1].Rect, (TRect{30, 40, 48, 57}));
    EXPECT_EQ(Canvas.Calls[1].Pen, (TPen{kBlack, 1, TPenStyle::Solid}));
    EXPECT_EQ(Canvas.Calls[1].Brush.Color, TColor::InfoBk());
    EXPECT_EQ(Canvas.Calls[2].Op, "Text");
    EXPECT_EQ(Canvas.Calls[2].Text, "Н1");
    EXPECT_EQ(Canvas.Calls[2].Points[0], (TPoint{33, 43}));
    EXPECT_EQ(Canvas.Calls[2].FontColor, kBlack);
}

TEST_F(LabelPaint, SelectedLabelGetsAFocusRectangle) {
    Label.SetSelected(true);
    ASSERT_EQ(Canvas.Calls.size(), 4u);
    EXPECT_EQ(Canvas.Calls[1].Op, "FillRect");
    EXPECT_EQ(Canvas.Calls[1].Brush.Color, TColor::InfoBk());
    EXPECT_EQ(Canvas.Calls[2].Op, "FocusRect");
    EXPECT_EQ(Canvas.Calls[2].Rect, (TRect{30, 40, 48, 57}));
    EXPECT_EQ(Canvas.Calls[3].Op, "Text");
}

TEST_F(LabelPaint, SilhouetteIsTheFilledBox) {
    const TColor k = TColor::Rgb(3, 3, 3);
    Label.PaintColored(k);
    ASSERT_EQ(Canvas.Calls.size(), 1u);
    EXPECT_EQ(Canvas.Calls[0].Op, "FillRect");
    EXPECT_EQ(Canvas.Calls[0].Rect, (TRect{30, 40, 48, 57}));
    EXPECT_EQ(Canvas.Calls[0].Brush.Color, k);
}

TEST_F(LabelPaint, DragImageIsXoredFromAnOffscreenImage) {
    Label.DrawDragImage();
    ASSERT_EQ(Canvas.Calls.size(), 2u);
    EXPECT_EQ(Canvas.Calls[0].Op, "CreateImage");
    EXPECT_EQ(Canvas.Calls[0].Rect, (TRect{0, 0, 18, 17}));
    EXPECT_EQ(Canvas.Calls[1].Op, "XorImage");
    EXPECT_EQ(Canvas.Calls[1].Points[0], (TPoint{30, 40}));
    ASSERT_EQ(Canvas.Images.size(), 1u);
    const auto& image = Canvas.Images[0]->Calls;
    ASSERT_EQ(image.size(), 3u);
    EXPECT_EQ(image[0].Op, "FillRect");
    EXPECT_EQ(image[0].Brush.Color, kBlack);
    EXPECT_EQ(image[1].Op, "Rectangle");
    EXPECT_EQ(image[1].Rect, (TRect{0, 0, 18, 17}));
    EXPECT_EQ(image[1].Pen.Color, TColor::Rgb(255, 255, 255));
    EXPECT_EQ(image[1].Brush.Style, TBrushStyle::Clear);
    EXPECT_EQ(image[2].Op, "Text");
    EXPECT_EQ(image[2].Points[0], (TPoint{3, 3}));
    EXPECT_EQ(image[2].FontColor, TColor::Rgb(255, 255, 255));
}

TEST_F(LabelPaint, NothingWhenInvisible) {
    Label.SetVisible(false);
    Label.Paint();
    Label.PaintColored(kGreen);
    EXPECT_TRUE(Canvas.Calls.empty());
}

} // namespace
} // namespace tralcon
