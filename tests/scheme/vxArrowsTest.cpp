// Geometry of the scheme objects: the corner algorithm, head placement,
// bounds and handles, hit testing and the transforms.
#include "scheme/vxArrows.h"
#include "RecordingCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace tralcon {
namespace {

struct TPt {
    int X, Y, R;
};

// A trajectory built the way the presets build it: points in order, then
// the heads.
std::unique_ptr<TvxArrow> MakeArrow(std::vector<TPt> points, bool startHead = false,
                                    bool endHead = false) {
    auto arrow = std::make_unique<TvxArrow>();
    for (const TPt& p : points)
        arrow->Points().AddPoint({p.X, p.Y}, p.R);
    if (startHead)
        arrow->Points().SetStartHead(true);
    if (endHead)
        arrow->Points().SetEndHead(true);
    return arrow;
}

double Dist(TPoint a, TPoint b) {
    return std::hypot(a.X - b.X, a.Y - b.Y);
}

// ---------------------------------------------------------------- corners

TEST(CornerAlgorithm, PresetRightTurnTakesItsFullRadius) {
    auto arrow = MakeArrow({{50, 50, 0}, {10, 50, 20}, {10, 10, 0}});
    const TvxArrowPoint& k = *arrow->Points().Items(1);
    EXPECT_EQ(k.ActualRadius(), 20);
    EXPECT_EQ(k.TangentIn(), (TPoint{30, 50}));
    EXPECT_EQ(k.TangentOut(), (TPoint{10, 30}));
    EXPECT_EQ(k.Center(), (TPoint{30, 30}));
    EXPECT_TRUE(k.TurnFlag());
}

TEST(CornerAlgorithm, ShortLegLimitsTheArc) {
    auto arrow = MakeArrow({{40, 50, 0}, {50, 50, 20}, {50, 10, 0}});
    const TvxArrowPoint& k = *arrow->Points().Items(1);
    EXPECT_EQ(k.ActualRadius(), 10);
    EXPECT_EQ(k.TangentIn(), (TPoint{40, 50}));
    EXPECT_EQ(k.TangentOut(), (TPoint{50, 40}));
    EXPECT_EQ(k.Center(), (TPoint{40, 40}));
    EXPECT_EQ(k.Radius(), 20); // the request is kept for when room appears
}

// Every turn preset of the scheme window: legs of 40, radius 20, a right
// angle. The arc meets both legs 20 pixels from the corner and its centre
// lies 20 pixels inside along both.
TEST(CornerAlgorithm, EveryTurnPresetGetsTheSameCorner) {
    const std::vector<std::array<TPoint, 3>> presets = {
        {{{50, 50}, {10, 50}, {10, 10}}}, {{{10, 50}, {10, 10}, {50, 10}}},
        {{{10, 10}, {50, 10}, {50, 50}}}, {{{50, 10}, {50, 50}, {10, 50}}},
        {{{10, 50}, {50, 50}, {50, 10}}}, {{{10, 10}, {10, 50}, {50, 50}}},
        {{{50, 10}, {10, 10}, {10, 50}}}, {{{50, 50}, {50, 10}, {10, 10}}},
    };
    for (std::size_t i = 0; i < presets.size(); ++i) {
        SCOPED_TRACE("preset " + std::to_string(i + 5));
        const auto& p = presets[i];
        auto arrow = MakeArrow({{p[0].X, p[0].Y, 0}, {p[1].X, p[1].Y, 20}, {p[2].X, p[2].Y, 0}});
        const TvxArrowPoint& k = *arrow->Points().Items(1);
        auto unit = [](TPoint from, TPoint to) {
            return TPoint{(to.X - from.X) / 40, (to.Y - from.Y) / 40};
        };
        TPoint in = unit(p[1], p[0]);
        TPoint out = unit(p[1], p[2]);
        EXPECT_EQ(k.ActualRadius(), 20);
        EXPECT_EQ(k.TangentIn(), (TPoint{p[1].X + 20 * in.X, p[1].Y + 20 * in.Y}));
        EXPECT_EQ(k.TangentOut(), (TPoint{p[1].X + 20 * out.X, p[1].Y + 20 * out.Y}));
        EXPECT_EQ(k.Center(), (TPoint{p[1].X + 20 * (in.X + out.X), p[1].Y + 20 * (in.Y + out.Y)}));
        // Right turns (5..8) and left turns (9..12) bend to opposite sides.
        EXPECT_EQ(k.TurnFlag(), i < 4);
    }
}

TEST(CornerAlgorithm, SharpCases) {
    struct TCase {
        const char* Name;
        std::vector<TPt> Points;
    } cases[] = {
        {"radius 0", {{50, 50, 0}, {10, 50, 0}, {10, 10, 0}}},
        {"collinear", {{10, 10, 0}, {50, 10, 20}, {90, 10, 0}}},
        {"collinear diagonal", {{10, 10, 0}, {40, 40, 20}, {70, 70, 0}}},
        {"previous coincides", {{10, 10, 0}, {10, 10, 20}, {50, 10, 0}}},
        {"next coincides", {{10, 50, 0}, {10, 10, 20}, {10, 10, 0}}},
        {"all coincide", {{10, 10, 0}, {10, 10, 20}, {10, 10, 0}}},
        {"reversal", {{10, 10, 0}, {50, 10, 20}, {20, 10, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto arrow = MakeArrow(c.Points);
        const TvxArrowPoint& k = *arrow->Points().Items(1);
        EXPECT_EQ(k.ActualRadius(), 0);
        EXPECT_EQ(k.Center(), k.Pos());
        EXPECT_EQ(k.TangentIn(), k.Pos());
        EXPECT_EQ(k.TangentOut(), k.Pos());
    }
}

TEST(CornerAlgorithm, EndPointsStaySharp) {
    auto arrow = MakeArrow({{50, 50, 30}, {10, 50, 20}, {10, 10, 30}});
    for (int i : {0, 2}) {
        const TvxArrowPoint& p = *arrow->Points().Items(i);
        EXPECT_EQ(p.ActualRadius(), 0);
        EXPECT_EQ(p.TangentIn(), p.Pos());
        EXPECT_EQ(p.TangentOut(), p.Pos());
    }
}

// Two rounded corners on one 80-pixel segment, both asking for 60: the one
// computed first takes its 60, the other gets the 20 that is left; editing
// the first one afterwards turns the shares round.
TEST(CornerAlgorithm, CornerEditedLastGetsWhatTheOtherLeaves) {
    auto arrow = MakeArrow({{10, 90, 0}, {10, 10, 60}, {90, 10, 60}, {90, 90, 0}});
    TvxArrowPoint& a = *arrow->Points().Items(1);
    TvxArrowPoint& b = *arrow->Points().Items(2);
    EXPECT_EQ(a.ActualRadius(), 60);
    EXPECT_EQ(a.TangentOut(), (TPoint{70, 10}));
    EXPECT_EQ(b.ActualRadius(), 20);
    EXPECT_EQ(b.TangentIn(), (TPoint{70, 10}));

    a.SetRadius(59);
    EXPECT_EQ(b.ActualRadius(), 60);
    EXPECT_EQ(b.TangentIn(), (TPoint{30, 10}));
    EXPECT_EQ(a.ActualRadius(), 20);
    EXPECT_EQ(a.TangentOut(), (TPoint{30, 10}));
}

TEST(CornerAlgorithm, SettersRecomputeOnlyOnChangeAndClampTheRadius) {
    auto arrow = MakeArrow({{50, 50, 0}, {10, 50, 0}, {10, 10, 0}});
    TvxArrowPoint& k = *arrow->Points().Items(1);
    k.SetRadius(20);
    EXPECT_EQ(k.ActualRadius(), 20);
    k.SetRadius(-5);
    EXPECT_EQ(k.Radius(), 0);
    EXPECT_EQ(k.ActualRadius(), 0);
    k.SetRadius(100000);
    EXPECT_EQ(k.Radius(), 32767);
    EXPECT_EQ(k.ActualRadius(), 40); // everything the legs allow

    // Moving the next point shortens the out leg: the corner follows.
    arrow->Points().Items(2)->SetY(40);
    EXPECT_EQ(k.ActualRadius(), 10);
    EXPECT_EQ(k.TangentOut(), (TPoint{10, 40}));
}

// Random trajectories and edits: the arcs never claim more of a segment than
// it has, never exceed their requested radius, and stay on their legs.
TEST(CornerAlgorithm, ArcsNeverOverlapUnderRandomEdits) {
    std::mt19937 rng(20240611);
    auto coord = [&] { return static_cast<int>(rng() % 200); };
    for (int round = 0; round < 200; ++round) {
        auto arrow = std::make_unique<TvxArrow>();
        TvxArrowPoints& pts = arrow->Points();
        int n = 2 + static_cast<int>(rng() % 6);
        for (int i = 0; i < n; ++i)
            pts.AddPoint({coord(), coord()}, static_cast<int>(rng() % 80));
        for (int step = 0; step < 20; ++step) {
            TvxArrowPoint& p = *pts.Items(static_cast<int>(rng() % pts.Count()));
            switch (rng() % 3) {
            case 0:
                p.SetX(static_cast<std::int16_t>(coord()));
                break;
            case 1:
                p.SetY(static_cast<std::int16_t>(coord()));
                break;
            default:
                p.SetRadius(static_cast<int>(rng() % 80));
            }
            for (int i = 0; i < pts.Count(); ++i) {
                const TvxArrowPoint& q = *pts.Items(i);
                ASSERT_GE(q.ActualRadius(), 0);
                ASSERT_LE(q.ActualRadius(), q.Radius());
                if (i + 1 < pts.Count()) {
                    const TvxArrowPoint& r = *pts.Items(i + 1);
                    double used = Dist(q.Pos(), q.TangentOut()) + Dist(r.Pos(), r.TangentIn());
                    // Each tangent point is rounded, so allow a pixel each.
                    ASSERT_LE(used, Dist(q.Pos(), r.Pos()) + 1.5) << "segment " << i;
                }
            }
        }
    }
}

// ---------------------------------------------------------------- heads

TEST(HeadPlacement, TwoPointTrajectoryWithBothHeadsPointsOutwards) {
    auto arrow = MakeArrow({{20, 100, 0}, {20, 10, 0}}, true, true);
    const TvxArrowPoints& pts = arrow->Points();
    EXPECT_EQ(pts.StartHeadPolygon(),
              (std::vector<TPoint>{{20, 100}, {14, 97}, {20, 110}, {26, 97}}));
    EXPECT_EQ(pts.EndHeadPolygon(), (std::vector<TPoint>{{20, 10}, {26, 13}, {20, 0}, {14, 13}}));
    EXPECT_EQ(pts.HeadFlags(), 3);
}

TEST(HeadPlacement, DiagonalHeadTipLiesTenPixelsBeyondTheEnd) {
    auto arrow = MakeArrow({{0, 0, 0}, {30, 40, 0}}, false, true);
    const auto& head = arrow->Points().EndHeadPolygon();
    ASSERT_EQ(head.size(), 4u);
    EXPECT_EQ(head[0], (TPoint{30, 40}));
    EXPECT_EQ(head[2], (TPoint{36, 48}));
    // Barbs 3 behind the end and 6 to either side: (-3, 6) rotated by the
    // direction (0.6, 0.8) is (-6.6, 1.2).
    EXPECT_EQ(head[1], (TPoint{23, 41}));
    EXPECT_EQ(head[3], (TPoint{33, 34}));
}

TEST(HeadPlacement, CoincidentFirstPointsTurnByTheThird) {
    auto arrow = MakeArrow({{10, 10, 0}, {10, 10, 0}, {50, 10, 0}}, true, false);
    EXPECT_EQ(arrow->Points().StartHeadPolygon(),
              (std::vector<TPoint>{{10, 10}, {13, 4}, {0, 10}, {13, 16}}));
}

TEST(HeadPlacement, HeadWithoutDirectionIsOnlyMoved) {
    auto arrow = MakeArrow({{40, 40, 0}, {40, 40, 0}}, true, true);
    const std::vector<TPoint> moved{{40, 40}, {37, 46}, {50, 40}, {37, 34}};
    EXPECT_EQ(arrow->Points().StartHeadPolygon(), moved);
    EXPECT_EQ(arrow->Points().EndHeadPolygon(), moved);
}

TEST(HeadPlacement, SwitchingAndMovingTheEnds) {
    auto arrow = MakeArrow({{10, 10, 0}, {50, 10, 0}}, false, true);
    TvxArrowPoints& pts = arrow->Points();
    EXPECT_TRUE(pts.StartHeadPolygon().empty());
    ASSERT_EQ(pts.EndHeadPolygon().size(), 4u);
    EXPECT_EQ(pts.EndHeadPolygon()[2], (TPoint{60, 10}));

    pts.Last()->SetY(50); // now pointing down-right at 45 degrees
    EXPECT_EQ(pts.EndHeadPolygon()[0], (TPoint{50, 50}));
    EXPECT_EQ(pts.EndHeadPolygon()[2], (TPoint{57, 57}));

    pts.AddPoint({50, 90}, 0); // a new last point carries the head on
    EXPECT_EQ(pts.EndHeadPolygon()[2], (TPoint{50, 100}));

    pts.SetEndHead(false);
    EXPECT_TRUE(pts.EndHeadPolygon().empty());
    EXPECT_FALSE(pts.EndHead());
    pts.SetStartHead(true); // away from (50, 50), the next point
    EXPECT_EQ(pts.StartHeadPolygon()[2], (TPoint{3, 3}));
}

// ---------------------------------------------------------------- bounds, handles, hits

TEST(BoundsAndHandles, HandlesSurroundTheBoundsAtPenWidth) {
    auto arrow = MakeArrow({{10, 20, 0}, {50, 80, 0}});
    const TvxArrowPoints& pts = arrow->Points();
    EXPECT_EQ(pts.Bounds(), (TRect{10, 20, 50, 80}));
    EXPECT_EQ(arrow->GetBounds(), (TRect{10, 20, 50, 80}));
    // w = 3, cx = 30, cy = 50.
    const std::array<TRect, 8> expected{{
        {1, 11, 7, 17},
        {27, 11, 33, 17},
        {53, 11, 59, 17},
        {53, 47, 59, 53},
        {53, 83, 59, 89},
        {27, 83, 33, 89},
        {1, 83, 7, 89},
        {1, 47, 7, 53},
    }};
    EXPECT_EQ(pts.Handles(), expected);
    for (int i = 0; i < 8; ++i) {
        const TRect& h = expected[static_cast<std::size_t>(i)];
        EXPECT_EQ(pts.HitTest(h.Left, h.Top, false), 4 + i) << "handle " << i;
        EXPECT_EQ(pts.HitTest(h.Right - 1, h.Bottom - 1, true), 4 + i) << "handle " << i;
        EXPECT_EQ(pts.HitTest(h.Right, h.Bottom, false), hcNone) << "handle " << i;
    }
}

TEST(BoundsAndHandles, BoundsFollowPointsOutsideTheArea) {
    auto arrow = MakeArrow({{300, 260, 0}, {400, 420, 0}});
    EXPECT_EQ(arrow->GetBounds(), (TRect{300, 260, 400, 420}));
    auto negative = MakeArrow({{-20, -10, 0}, {-5, -30, 0}});
    EXPECT_EQ(negative->GetBounds(), (TRect{-20, -30, -5, -10}));
}

TEST(BoundsAndHandles, PenWidthMovesTheHandles) {
    auto arrow = MakeArrow({{10, 20, 0}, {50, 80, 0}});
    arrow->Points().SetPenWidth(5);
    EXPECT_EQ(arrow->Points().Handles()[0], (TRect{-1, 9, 5, 15}));
}

TEST(HitTesting, ControlPointsOnlyForASelectedTrajectory) {
    auto arrow = MakeArrow({{50, 50, 0}, {10, 50, 20}, {10, 10, 0}});
    // The point (50, 50): left and top edges of its square inside, right
    // and bottom outside.
    EXPECT_EQ(arrow->HitTest({47, 47}), hcNone);
    arrow->SetSelected(true);
    EXPECT_EQ(arrow->HitTest({47, 47}), hcPoint);
    EXPECT_EQ(arrow->HitTest({52, 52}), hcPoint);
    EXPECT_EQ(arrow->HitTest({53, 50}), hcNone);
    EXPECT_EQ(arrow->HitTest({50, 53}), hcNone);
    EXPECT_EQ(arrow->HitTest({46, 50}), hcNone);
    // On the line away from the points.
    EXPECT_EQ(arrow->HitTest({40, 50}), hcNone);
    // The centre of an arc also finds its point.
    EXPECT_EQ(arrow->Points().PointAt(30, 30), arrow->Points().Items(1));
    EXPECT_EQ(arrow->Points().PointAt(10, 50), arrow->Points().Items(1));
    EXPECT_EQ(arrow->Points().PointAt(100, 100), nullptr);
}

TEST(HitTesting, LabelIsHitInsideItsRect) {
    TvxTrendLabel label;
    label.SetBounds({30, 40, 60, 57});
    EXPECT_EQ(label.HitTest({30, 40}), hcLabel);
    EXPECT_EQ(label.HitTest({59, 56}), hcLabel);
    EXPECT_EQ(label.HitTest({60, 50}), hcNone);
    EXPECT_EQ(label.HitTest({45, 57}), hcNone);
    EXPECT_EQ(label.HitTest({29, 45}), hcNone);
}

// ---------------------------------------------------------------- transforms

TEST(Transforms, ScaleToMapsEveryPointAndRoundsHalvesAwayFromZero) {
    auto arrow = MakeArrow({{0, 0, 0}, {1, 2, 0}, {3, 3, 0}, {4, 4, 0}});
    arrow->SetBounds({10, 20, 16, 26});
    const TvxArrowPoints& pts = arrow->Points();
    // x: 0, 1, 3, 4 times 6/4 = 0, 1.5, 4.5, 6 -> 10, 12, 15, 16
    // y: 0, 2, 3, 4 times 6/4 = 0, 3, 4.5, 6 -> 20, 23, 25, 26
    const std::vector<TPoint> expected{{10, 20}, {12, 23}, {15, 25}, {16, 26}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(pts.Items(i)->Pos(), expected[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(pts.Bounds(), (TRect{10, 20, 16, 26}));
}

TEST(Transforms, ScaleToRecomputesCornersAndHeads) {
    auto arrow = MakeArrow({{50, 50, 0}, {10, 50, 20}, {10, 10, 0}}, false, true);
    arrow->SetBounds({10, 10, 20, 20}); // shrink to a quarter: legs of 10
    const TvxArrowPoints& pts = arrow->Points();
    EXPECT_EQ(pts.Items(1)->Pos(), (TPoint{10, 20}));
    EXPECT_EQ(pts.Items(1)->ActualRadius(), 10);
    EXPECT_EQ(pts.EndHeadPolygon()[0], (TPoint{10, 10}));
    EXPECT_EQ(pts.EndHeadPolygon()[2], (TPoint{10, 0}));
}

TEST(Transforms, ScaleToFlatRectanglesAndEqualBounds) {
    auto arrow = MakeArrow({{10, 10, 0}, {50, 20, 0}, {30, 60, 0}});
    // A right left of its left becomes the left: every point gets that x.
    arrow->SetBounds({40, 10, 20, 60});
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(arrow->Points().Items(i)->X(), 40);
    EXPECT_EQ(arrow->Points().Items(1)->Y(), 20);

    auto same = MakeArrow({{10, 10, 0}, {50, 20, 0}});
    same->SetBounds({10, 10, 50, 20});
    EXPECT_EQ(same->Points().Items(1)->Pos(), (TPoint{50, 20}));
}

TEST(Transforms, OffsetMovesEveryStoredCoordinate) {
    auto arrow = MakeArrow({{50, 50, 0}, {10, 50, 20}, {10, 10, 0}}, true, true);
    const TvxArrowPoints& pts = arrow->Points();
    const TvxArrowPoint& k = *pts.Items(1);
    auto start = pts.StartHeadPolygon();
    auto end = pts.EndHeadPolygon();
    arrow->Offset(5, -7);
    EXPECT_EQ(k.Pos(), (TPoint{15, 43}));
    EXPECT_EQ(k.Center(), (TPoint{35, 23}));
    EXPECT_EQ(k.TangentIn(), (TPoint{35, 43}));
    EXPECT_EQ(k.TangentOut(), (TPoint{15, 23}));
    for (std::size_t i = 0; i < start.size(); ++i) {
        EXPECT_EQ(pts.StartHeadPolygon()[i], (TPoint{start[i].X + 5, start[i].Y - 7}));
        EXPECT_EQ(pts.EndHeadPolygon()[i], (TPoint{end[i].X + 5, end[i].Y - 7}));
    }
    EXPECT_EQ(pts.Bounds(), (TRect{15, 3, 55, 43}));
    EXPECT_EQ(pts.Handles()[0], (TRect{6, -6, 12, 0}));
}

TEST(Transforms, LabelBoundsAndOffset) {
    TvxTrendLabel label;
    EXPECT_EQ(label.GetBounds(), (TRect{0, 0, 50, 50}));
    EXPECT_EQ(label.Text(), "Test");
    label.Offset(3, 4);
    EXPECT_EQ(label.GetBounds(), (TRect{3, 4, 53, 54}));
    EXPECT_EQ(label.Flags(), 3);
}

TEST(Factory, KindsMakeTheirClasses) {
    EXPECT_NE(dynamic_cast<TvxArrow*>(CreateSchemeObject(100).get()), nullptr);
    EXPECT_NE(dynamic_cast<TvxTrendLabel*>(CreateSchemeObject(200).get()), nullptr);
    EXPECT_EQ(CreateSchemeObject(0), nullptr);
    EXPECT_EQ(CreateSchemeObject(101), nullptr);
    EXPECT_EQ(TvxArrow().Kind(), 100);
    EXPECT_EQ(TvxTrendLabel().Kind(), 200);
    EXPECT_NE(dynamic_cast<TvxArrow*>(TvxArrow().Create().get()), nullptr);
    EXPECT_NE(dynamic_cast<TvxTrendLabel*>(TvxTrendLabel().Create().get()), nullptr);
}

} // namespace
} // namespace tralcon
