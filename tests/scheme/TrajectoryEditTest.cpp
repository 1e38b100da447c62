// Editing a trajectory: point moves and radius steps, inserting and deleting
// points, flips, reversing and copying.
#include "RecordingCanvas.h"
#include "scheme/vxArrows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tralcon {
namespace {

struct TPt {
    int X, Y, R;
};

std::vector<TPoint> Positions(const TvxArrowPoints& pts) {
    std::vector<TPoint> out;
    for (int i = 0; i < pts.Count(); ++i)
        out.push_back(pts.Items(i)->Pos());
    return out;
}

// A trajectory with its notifications counted.
class TrajectoryEdit : public ::testing::Test {
  protected:
    void Build(std::vector<TPt> points, bool startHead = false, bool endHead = false) {
        for (const TPt& p : points)
            Arrow.Points().AddPoint({p.X, p.Y}, p.R);
        Arrow.Points().SetStartHead(startHead);
        Arrow.Points().SetEndHead(endHead);
        Arrow.OnBeginChange = [this](TvxSchemeObject* s) { Note("begin", s); };
        Arrow.OnChanging = [this](TvxSchemeObject* s) { Note("changing", s); };
        Arrow.OnChanged = [this](TvxSchemeObject* s) { Note("changed", s); };
    }
    void Note(const char* event, TvxSchemeObject* sender) {
        Events.push_back(event);
        Sender = sender;
    }
    TvxArrowPoints& Pts() { return Arrow.Points(); }
    void Select(int i) { Pts().SelectPoint(Pts().Items(i)); }

    TvxArrow Arrow;
    std::vector<std::string> Events;
    TvxSchemeObject* Sender = nullptr;
};

const TRect kArea{0, 0, 200, 200};

TEST_F(TrajectoryEdit, MovingAPointStopsThreePixelsInsideTheArea) {
    Build({{20, 20, 0}, {100, 100, 0}});
    Select(1);
    Arrow.MoveSelectedPoint(kArea, -10, 250);
    EXPECT_EQ(Pts().Items(1)->Pos(), (TPoint{3, 197}));
    Arrow.MoveSelectedPoint(kArea, 300, -4);
    EXPECT_EQ(Pts().Items(1)->Pos(), (TPoint{197, 3}));
    Arrow.MoveSelectedPoint(kArea, 60, 70);
    EXPECT_EQ(Pts().Items(1)->Pos(), (TPoint{60, 70}));
    EXPECT_EQ(Pts().Bounds(), (TRect{20, 20, 60, 70}));
    // One gesture: the first step begins it, the others continue it.
    EXPECT_EQ(Events, (std::vector<std::string>{"begin", "changing", "changing"}));
    EXPECT_EQ(Sender, &Arrow);
    EXPECT_TRUE(Arrow.Changing());
    Arrow.EndChange();
    EXPECT_FALSE(Arrow.Changing());
    Arrow.MoveSelectedPoint(kArea, 61, 70);
    EXPECT_EQ(Events.back(), "begin");
}

TEST_F(TrajectoryEdit, MoveDrawsItsOutlineOnlyWhenThePointMoved) {
    Build({{20, 20, 0}, {100, 100, 0}});
    test::TRecordingCanvas canvas;
    Arrow.SetCanvas(&canvas);
    Select(1);
    Arrow.MoveSelectedPoint(kArea, 100, 100);
    EXPECT_TRUE(canvas.Calls.empty());
    canvas.Mode = TDrawMode::Invert;
    Arrow.MoveSelectedPoint(kArea, 90, 100);
    ASSERT_EQ(canvas.Calls.size(), 1u); // the line only: no shadow, no markers
    EXPECT_EQ(canvas.Calls[0].Op, "Polyline");
    EXPECT_EQ(canvas.Calls[0].Mode, TDrawMode::Invert);
    EXPECT_EQ(canvas.Calls[0].Points, (std::vector<TPoint>{{20, 20}, {90, 100}}));
}

TEST_F(TrajectoryEdit, GestureStepsNeedASelectedPoint) {
    Build({{20, 20, 0}, {100, 100, 0}});
    Arrow.MoveSelectedPoint(kArea, 50, 50);
    Arrow.ChangeRadius(5);
    EXPECT_FALSE(Arrow.InsertPointNearSelected());
    EXPECT_FALSE(Arrow.DeleteSelectedPoint());
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(Positions(Pts()), (std::vector<TPoint>{{20, 20}, {100, 100}}));
}

TEST_F(TrajectoryEdit, RadiusStepsUpAndNotBelowZero) {
    Build({{50, 50, 0}, {10, 50, 0}, {10, 10, 0}});
    Select(1);
    Arrow.ChangeRadius(+1);
    EXPECT_EQ(Pts().Items(1)->Radius(), 1);
    Arrow.ChangeRadius(+19);
    EXPECT_EQ(Pts().Items(1)->ActualRadius(), 20);
    Arrow.ChangeRadius(-1);
    EXPECT_EQ(Pts().Items(1)->Radius(), 19);
    Arrow.ChangeRadius(-100);
    EXPECT_EQ(Pts().Items(1)->Radius(), 0);
    EXPECT_EQ(Pts().Items(1)->ActualRadius(), 0);
    EXPECT_EQ(Events.front(), "begin");
    EXPECT_EQ(Events.size(), 4u);
}

TEST_F(TrajectoryEdit, InsertAfterTheFirstPointHalfwayToTheSecond) {
    Build({{10, 10, 0}, {15, 21, 0}, {90, 90, 0}});
    Select(0);
    EXPECT_TRUE(Arrow.InsertPointNearSelected());
    EXPECT_EQ(Positions(Pts()), (std::vector<TPoint>{{10, 10}, {12, 15}, {15, 21}, {90, 90}}));
    EXPECT_EQ(Pts().SelectedPoint(), Pts().Items(1));
    EXPECT_EQ(Pts().Items(1)->Radius(), 0);
    EXPECT_EQ(Pts().Items(1)->MarkerColor, Pts().SelectedMarkerColor);
    EXPECT_EQ(Pts().Items(0)->MarkerColor, Pts().MarkerColor);
    EXPECT_EQ(Events, (std::vector<std::string>{"changed"}));
}

TEST_F(TrajectoryEdit, InsertBeforeAnyOtherPointHalfwayToItsPredecessor) {
    // Halves are cut toward zero: (45 - 50) div 2 = -2, (39 - 50) div 2 = -5.
    Build({{10, 10, 0}, {45, 39, 0}, {50, 50, 0}}, false, true);
    Select(2);
    EXPECT_TRUE(Arrow.InsertPointNearSelected());
    EXPECT_EQ(Positions(Pts()), (std::vector<TPoint>{{10, 10}, {45, 39}, {48, 45}, {50, 50}}));
    EXPECT_EQ(Pts().SelectedPoint(), Pts().Items(2));
    // The head still sits on the last point.
    EXPECT_EQ(Pts().EndHeadPolygon()[0], (TPoint{50, 50}));
}

TEST_F(TrajectoryEdit, DeletingTheLastOfFourSelectsTheNewLast) {
    Build({{10, 10, 0}, {50, 10, 10}, {50, 50, 10}, {90, 50, 0}}, false, true);
    Select(3);
    EXPECT_TRUE(Arrow.DeleteSelectedPoint());
    EXPECT_EQ(Positions(Pts()), (std::vector<TPoint>{{10, 10}, {50, 10}, {50, 50}}));
    EXPECT_EQ(Pts().SelectedPoint(), Pts().Items(2));
    EXPECT_EQ(Pts().Items(2)->MarkerColor, Pts().SelectedMarkerColor);
    // The new last point is sharp and carries the head.
    EXPECT_EQ(Pts().Items(2)->ActualRadius(), 0);
    EXPECT_EQ(Pts().EndHeadPolygon()[2], (TPoint{50, 60}));
    EXPECT_EQ(Events, (std::vector<std::string>{"changed"}));
}

TEST_F(TrajectoryEdit, DeletingAnInnerPointSelectsItsSuccessor) {
    Build({{10, 10, 0}, {50, 10, 10}, {50, 50, 10}, {90, 50, 0}});
    Select(1);
    EXPECT_TRUE(Arrow.DeleteSelectedPoint());
    EXPECT_EQ(Positions(Pts()), (std::vector<TPoint>{{10, 10}, {50, 50}, {90, 50}}));
    EXPECT_EQ(Pts().SelectedPoint(), Pts().Items(1));
    // The corner left behind is recomputed with its new neighbours.
    EXPECT_GT(Pts().Items(1)->ActualRadius(), 0);
}

TEST_F(TrajectoryEdit, TwoPointTrajectoryRefusesDelete) {
    Build({{10, 10, 0}, {50, 10, 0}});
    Select(0);
    EXPECT_FALSE(Arrow.DeleteSelectedPoint());
    EXPECT_EQ(Pts().Count(), 2);
    EXPECT_EQ(Pts().SelectedPoint(), Pts().Items(0));
    EXPECT_TRUE(Events.empty());
}

TEST_F(TrajectoryEdit, DeletingTheSelectedPointDirectlyClearsTheSelection) {
    Build({{10, 10, 0}, {50, 10, 0}, {90, 10, 0}});
    Select(1);
    Pts().DeletePoint(1);
    EXPECT_EQ(Pts().SelectedPoint(), nullptr);
    Pts().DeletePoint(7); // outside: nothing
    EXPECT_EQ(Pts().Count(), 2);
}

TEST_F(TrajectoryEdit, FlipHorizontalMirrorsAboutTheMiddleOfTheBounds) {
    // Bounds left 10, right 51: a = 2 * (10 + 41 div 2) = 60.
    Build({{10, 50, 0}, {51, 50, 20}, {51, 10, 0}}, true, true);
    const TvxArrowPoint& k = *Pts().Items(1);
    const TPoint center = k.Center(), in = k.TangentIn(), out = k.TangentOut();
    const bool turn = k.TurnFlag();
    auto start = Pts().StartHeadPolygon();
    Arrow.FlipHorizontal();
    EXPECT_EQ(Positions(Pts()), (std::vector<TPoint>{{50, 50}, {9, 50}, {9, 10}}));
    EXPECT_EQ(Pts().Bounds().Left, 9);
    EXPECT_EQ(Pts().Bounds().Right, 50);
    EXPECT_EQ(k.Center(), (TPoint{60 - center.X, center.Y}));
    EXPECT_EQ(k.TangentIn(), (TPoint{60 - in.X, in.Y}));
    EXPECT_EQ(k.TangentOut(), (TPoint{60 - out.X, out.Y}));
    EXPECT_EQ(k.TurnFlag(), !turn);
    for (std::size_t i = 0; i < start.size(); ++i)
        EXPECT_EQ(Pts().StartHeadPolygon()[i], (TPoint{60 - start[i].X, start[i].Y}));
    EXPECT_EQ(Events, (std::vector<std::string>{"changed"}));
}

TEST_F(TrajectoryEdit, FlipVerticalMirrorsTheYCoordinates) {
    // Top 10, bottom 51: a = 60 again.
    Build({{10, 10, 0}, {50, 51, 0}}, false, true);
    auto end = Pts().EndHeadPolygon();
    Arrow.FlipVertical();
    EXPECT_EQ(Positions(Pts()), (std::vector<TPoint>{{10, 50}, {50, 9}}));
    for (std::size_t i = 0; i < end.size(); ++i)
        EXPECT_EQ(Pts().EndHeadPolygon()[i], (TPoint{end[i].X, 60 - end[i].Y}));
}

// The drawing of a trajectory as a set of strokes, direction-free, so that a
// reversed trajectory compares equal when it looks the same.
std::vector<std::string> Strokes(TvxArrow& arrow) {
    test::TRecordingCanvas canvas;
    arrow.SetCanvas(&canvas);
    arrow.DrawDragImage();
    arrow.SetCanvas(nullptr);
    std::vector<std::string> out;
    for (const auto& c : canvas.Calls) {
        std::vector<TPoint> pts = c.Points;
        if (c.Op == "Polyline" && pts.size() == 2 &&
            std::tie(pts[1].X, pts[1].Y) < std::tie(pts[0].X, pts[0].Y))
            std::swap(pts[0], pts[1]);
        std::string s = c.Op;
        for (TPoint p : pts)
            s += " " + std::to_string(p.X) + "," + std::to_string(p.Y);
        out.push_back(s);
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(TrajectoryEdit, ReverseKeepsTheShapeAndMovesTheHead) {
    Build({{10, 150, 0}, {10, 60, 25}, {80, 20, 15}, {150, 60, 30}, {190, 190, 0}}, false, true);
    auto before = Strokes(Arrow);
    auto oldEnd = Pts().EndHeadPolygon();
    Select(1);
    TvxArrowPoint* selected = Pts().SelectedPoint();
    Arrow.Reverse();
    EXPECT_EQ(Positions(Pts()),
              (std::vector<TPoint>{{190, 190}, {150, 60}, {80, 20}, {10, 60}, {10, 150}}));
    EXPECT_EQ(Pts().Items(3)->Radius(), 25);
    EXPECT_TRUE(Pts().EndHead());
    EXPECT_FALSE(Pts().StartHead());
    // The head now points out of the old first point.
    EXPECT_EQ(Pts().EndHeadPolygon()[0], (TPoint{10, 150}));
    EXPECT_EQ(Pts().EndHeadPolygon()[2], (TPoint{10, 160}));
    EXPECT_NE(Pts().EndHeadPolygon(), oldEnd);
    // The point objects stay put; their data changed ends.
    EXPECT_EQ(Pts().SelectedPoint(), selected);
    auto after = Strokes(Arrow);
    // Same strokes apart from the head, which moved.
    auto withoutPolygons = [](std::vector<std::string> v) {
        std::erase_if(v, [](const std::string& s) { return s.rfind("Polygon", 0) == 0; });
        return v;
    };
    EXPECT_EQ(withoutPolygons(after), withoutPolygons(before));
    EXPECT_EQ(Events, (std::vector<std::string>{"changed"}));
}

TEST_F(TrajectoryEdit, DoubleHeadedTrajectoryLooksTheSameReversed) {
    Build({{20, 100, 0}, {20, 40, 20}, {100, 40, 0}}, true, true);
    auto before = Strokes(Arrow);
    Arrow.Reverse();
    EXPECT_EQ(Strokes(Arrow), before);
    Arrow.Reverse();
    EXPECT_EQ(Positions(Pts()), (std::vector<TPoint>{{20, 100}, {20, 40}, {100, 40}}));
    EXPECT_EQ(Strokes(Arrow), before);
}

TEST_F(TrajectoryEdit, AssignCopiesGeometryHeadsAndLookButNotIdentity) {
    Build({{20, 100, 0}, {20, 40, 20}, {100, 40, 0}}, true, true);
    Pts().SetColor(TColor::Rgb(0, 255, 0));
    Pts().SetPenWidth(4);
    Pts().Items(0)->Node = this;
    Arrow.SetData(this);
    Arrow.SetSelected(true);

    TvxArrow copy;
    copy.Points().AddPoint({1, 1}, 0); // replaced entirely
    copy.Assign(Arrow);
    EXPECT_EQ(Positions(copy.Points()), Positions(Pts()));
    EXPECT_EQ(copy.Points().Items(1)->Radius(), 20);
    EXPECT_EQ(copy.Points().Items(1)->Center(), Pts().Items(1)->Center());
    EXPECT_EQ(copy.Points().HeadFlags(), 3);
    EXPECT_EQ(copy.Points().StartHeadPolygon(), Pts().StartHeadPolygon());
    EXPECT_EQ(copy.Points().EndHeadPolygon(), Pts().EndHeadPolygon());
    EXPECT_EQ(copy.Points().Color(), TColor::Rgb(0, 255, 0));
    EXPECT_EQ(copy.Points().PenWidth(), 4);
    EXPECT_EQ(copy.Data(), nullptr);
    EXPECT_EQ(copy.Flags(), 3);
    EXPECT_EQ(copy.Points().Items(0)->Node, nullptr);
    EXPECT_EQ(copy.Points().SelectedPoint(), nullptr);

    TvxTrendLabel label;
    copy.Assign(label); // another class: nothing happens
    EXPECT_EQ(copy.Points().Count(), 3);
}

TEST(TrendLabelAssign, CopiesRectTextCanvasVisibilityAndTheSpareBit) {
    test::TRecordingCanvas canvas;
    TvxTrendLabel source;
    source.SetText("Н1");
    source.SetBounds({5, 6, 40, 25});
    source.SetCanvas(&canvas);
    source.SetVisible(false);
    source.SetSelected(true);
    source.SetData(&canvas);

    TvxTrendLabel copy;
    copy.Assign(source);
    EXPECT_EQ(copy.Text(), "Н1");
    EXPECT_EQ(copy.Rect(), (TRect{5, 6, 40, 25}));
    EXPECT_EQ(copy.Canvas(), &canvas);
    EXPECT_FALSE(copy.Visible());
    EXPECT_FALSE(copy.Selected());
    EXPECT_EQ(copy.Data(), nullptr);
    EXPECT_EQ(copy.Flags(), 2);
}

TEST(ArrowSelection, DeselectingClearsThePointSelection) {
    TvxArrow arrow;
    arrow.Points().AddPoint({10, 10}, 0);
    arrow.Points().AddPoint({50, 10}, 0);
    arrow.SetSelected(true);
    arrow.Points().SelectPoint(arrow.Points().Items(1));
    EXPECT_EQ(arrow.Points().Items(1)->MarkerColor, TColor::Rgb(0, 0, 255));
    arrow.SetSelected(false);
    EXPECT_EQ(arrow.Points().SelectedPoint(), nullptr);
    EXPECT_EQ(arrow.Points().Items(1)->MarkerColor, TColor::Rgb(255, 255, 255));
    EXPECT_EQ(arrow.Flags(), 3);
    // A point of another trajectory is not taken as the selection.
    TvxArrow other;
    other.Points().AddPoint({0, 0}, 0);
    arrow.Points().SelectPoint(other.Points().Items(0));
    EXPECT_EQ(arrow.Points().SelectedPoint(), nullptr);
}

} // namespace
} // namespace tralcon
