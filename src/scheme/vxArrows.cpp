#include "scheme/vxArrows.h"

#include "platform/Cp1251.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tralcon {

namespace {

const TColor kShadow = TColor::Rgb(128, 128, 128);
const TColor kBlack = TColor::Rgb(0, 0, 0);
const TColor kWhite = TColor::Rgb(255, 255, 255);

// Rounding to nearest with ties to even, as the drawing code of the scheme
// has always rounded. Values far outside int never occur here; they are
// clamped rather than left undefined.
int RoundEven(double v) {
    if (std::isnan(v))
        return 0;
    double f = std::floor(v);
    double diff = v - f;
    double r;
    if (diff < 0.5)
        r = f;
    else if (diff > 0.5)
        r = f + 1;
    else
        r = std::fmod(f, 2.0) == 0 ? f : f + 1;
    if (r >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

// a * b / c in 64 bits, rounded to nearest with halves away from zero.
long long MulDiv(long long a, long long b, long long c) {
    if (c == 0)
        return -1;
    long long num = a * b;
    bool negative = (num < 0) != (c < 0);
    unsigned long long n = num < 0 ? 0ULL - static_cast<unsigned long long>(num)
                                   : static_cast<unsigned long long>(num);
    unsigned long long d =
        c < 0 ? 0ULL - static_cast<unsigned long long>(c) : static_cast<unsigned long long>(c);
    unsigned long long q = (2 * n + d) / (2 * d);
    return negative ? -static_cast<long long>(q) : static_cast<long long>(q);
}

struct TFloatPoint {
    double X = 0;
    double Y = 0;
};

TFloatPoint ToFloat(TPoint p) {
    return {static_cast<double>(p.X), static_cast<double>(p.Y)};
}
TPoint RoundPoint(TFloatPoint p) {
    return {RoundEven(p.X), RoundEven(p.Y)};
}
double Distance(TFloatPoint a, TFloatPoint b) {
    return std::hypot(a.X - b.X, a.Y - b.Y);
}

// The point at distance s from f towards g. Nearly axis-parallel directions
// step along the axis, so short segments do not wander off by rounding.
TFloatPoint PointAtDistance(TFloatPoint f, TFloatPoint g, double s) {
    double dx = g.X - f.X;
    double dy = g.Y - f.Y;
    bool xZero = RoundEven(dx) == 0;
    bool yZero = RoundEven(dy) == 0;
    if (!xZero && !yZero) {
        double len = std::hypot(dx, dy);
        return {f.X + s * dx / len, f.Y + s * dy / len};
    }
    if (!xZero)
        return {g.X > f.X ? f.X + s : f.X - s, f.Y};
    return {f.X, g.Y > f.Y ? f.Y + s : f.Y - s};
}

std::int16_t Low16(long long v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

TPoint Shift(TPoint p, int dx, int dy) {
    return {p.X + dx, p.Y + dy};
}

// Saves the canvas state an object changes and puts it back on leaving.
class TCanvasState {
  public:
    explicit TCanvasState(TCanvas& canvas)
        : FCanvas(canvas), FPen(canvas.Pen), FBrush(canvas.Brush), FFont(canvas.FontColor) {}
    ~TCanvasState() {
        FCanvas.Pen = FPen;
        FCanvas.Brush = FBrush;
        FCanvas.FontColor = FFont;
    }
    TCanvasState(const TCanvasState&) = delete;
    TCanvasState& operator=(const TCanvasState&) = delete;

  private:
    TCanvas& FCanvas;
    TPen FPen;
    TBrush FBrush;
    TColor FFont;
};

} // namespace

// ---------------------------------------------------------------- TvxSchemeObject

void TvxSchemeObject::Assign(const TvxSchemeObject& source) {
    (void)source;
}

void TvxSchemeObject::SetVisible(bool on) {
    if (on)
        FFlags |= ofVisible;
    else
        FFlags &= static_cast<std::uint8_t>(~ofVisible);
}

void TvxSchemeObject::SetSelected(bool on) {
    if (on)
        FFlags |= ofSelected;
    else
        FFlags &= static_cast<std::uint8_t>(~ofSelected);
    Paint();
}

void TvxSchemeObject::BeginOrContinueChange() {
    if (!FChanging) {
        FChanging = true;
        if (OnBeginChange)
            OnBeginChange(this);
    } else if (OnChanging) {
        OnChanging(this);
    }
}

// ---------------------------------------------------------------- TvxArrowPoint

void TvxArrowPoint::ResetCorner() {
    FCenter = FTangentIn = FTangentOut = Pos();
    FActualRadius = 0;
    FTurnFlag = false;
}

void TvxArrowPoint::SetX(std::int16_t value) {
    if (value == FX)
        return;
    FX = value;
    FOwner->RecalcAt(FIndex, true);
}

void TvxArrowPoint::SetY(std::int16_t value) {
    if (value == FY)
        return;
    FY = value;
    FOwner->RecalcAt(FIndex, true);
}

void TvxArrowPoint::SetRadius(int value) {
    value = std::clamp(value, 0, static_cast<int>(std::numeric_limits<std::int16_t>::max()));
    if (value == FRadius)
        return;
    FRadius = static_cast<std::int16_t>(value);
    FOwner->RecalcAt(FIndex, true);
}

// ---------------------------------------------------------------- TvxArrowPoints

TvxArrowPoint* TvxArrowPoints::Items(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[static_cast<std::size_t>(index)].get();
}

int TvxArrowPoints::IndexOf(const TvxArrowPoint* item) const {
    if (item == nullptr || item->FOwner != this)
        return -1;
    return item->FIndex;
}

void TvxArrowPoints::Renumber(int from) {
    for (int i = std::max(from, 0); i < Count(); ++i)
        FItems[static_cast<std::size_t>(i)]->FIndex = i;
}

TvxArrowPoint* TvxArrowPoints::AddPoint(TPoint point, int radius) {
    return InsertPoint(Count(), point, radius);
}

TvxArrowPoint* TvxArrowPoints::InsertPoint(int index, TPoint point, int radius) {
    index = std::clamp(index, 0, Count());
    std::unique_ptr<TvxArrowPoint> item(new TvxArrowPoint(this, index));
    item->FX = Low16(point.X);
    item->FY = Low16(point.Y);
    item->FRadius = static_cast<std::int16_t>(
        std::clamp(radius, 0, static_cast<int>(std::numeric_limits<std::int16_t>::max())));
    item->ResetCorner();
    TvxArrowPoint* raw = item.get();
    FItems.insert(FItems.begin() + index, std::move(item));
    Renumber(index + 1);
    RecalcAt(index, true);
    return raw;
}

void TvxArrowPoints::DeletePoint(int index) {
    if (index < 0 || index >= Count())
        return;
    if (FSelectedPoint == FItems[static_cast<std::size_t>(index)].get())
        FSelectedPoint = nullptr;
    FItems.erase(FItems.begin() + index);
    Renumber(index);
    if (index < Count() - 1)
        RecalcAt(index, true);
    if (index > 0)
        RecalcAt(index - 1, true);
    BoundsChanged();
}

void TvxArrowPoints::Clear() {
    FItems.clear();
    FSelectedPoint = nullptr;
    BoundsChanged();
}

TvxArrowPoint* TvxArrowPoints::First() const {
    return Items(0);
}
TvxArrowPoint* TvxArrowPoints::Last() const {
    return Items(Count() - 1);
}

TvxArrowPoint* TvxArrowPoints::Next(const TvxArrowPoint* item) const {
    int i = IndexOf(item);
    return i < 0 ? nullptr : Items(i + 1);
}

TvxArrowPoint* TvxArrowPoints::Prev(const TvxArrowPoint* item) const {
    int i = IndexOf(item);
    return i <= 0 ? nullptr : Items(i - 1);
}

void TvxArrowPoints::Recalc(TvxArrowPoint* item, bool withNeighbours) {
    int i = IndexOf(item);
    if (i >= 0)
        RecalcAt(i, withNeighbours);
}

void TvxArrowPoints::PlaceHead(std::vector<TPoint>& polygon, TPoint p, TPoint s) const {
    polygon = HeadTemplate;
    if (polygon.empty())
        return;
    int tx = p.X - polygon[0].X;
    int ty = p.Y - polygon[0].Y;
    for (TPoint& v : polygon)
        v = Shift(v, tx, ty);
    double e = Distance(ToFloat(p), ToFloat(s));
    if (RoundEven(e) == 0)
        return;
    double cosA = (p.X - s.X) / e;
    double sinA = (p.Y - s.Y) / e;
    for (std::size_t k = 1; k < polygon.size(); ++k) {
        double dx = polygon[k].X - p.X;
        double dy = polygon[k].Y - p.Y;
        polygon[k] = {p.X + RoundEven(cosA * dx - sinA * dy),
                      p.Y + RoundEven(sinA * dx + cosA * dy)};
    }
}

void TvxArrowPoints::RecalcAt(int index, bool withNeighbours) {
    TvxArrowPoint& p = *FItems[static_cast<std::size_t>(index)];
    const int n = Count();
    p.ResetCorner();
    BoundsChanged();
    if (withNeighbours) {
        // The neighbours see this corner as sharp and may take the whole
        // shared segment; this corner then gets what they leave.
        if (index > 0)
            RecalcAt(index - 1, false);
        if (index + 1 < n)
            RecalcAt(index + 1, false);
    }

    const bool first = index == 0;
    const bool last = index == n - 1;
    if (first) {
        // The head turns by the first point that does not coincide with
        // this one, so a doubled end point does not lose its direction.
        int j = index + 1;
        while (j < n - 1 && FItems[static_cast<std::size_t>(j)]->Pos() == p.Pos())
            ++j;
        if (j < n && StartHead())
            PlaceHead(FStartHeadPolygon, p.Pos(), FItems[static_cast<std::size_t>(j)]->Pos());
    }
    if (last) {
        int j = index - 1;
        while (j > 0 && FItems[static_cast<std::size_t>(j)]->Pos() == p.Pos())
            --j;
        if (j >= 0 && EndHead())
            PlaceHead(FEndHeadPolygon, p.Pos(), FItems[static_cast<std::size_t>(j)]->Pos());
    }
    if (first || last)
        return;

    const TvxArrowPoint& a = *FItems[static_cast<std::size_t>(index - 1)];
    const TvxArrowPoint& b = *FItems[static_cast<std::size_t>(index + 1)];
    const TFloatPoint k = ToFloat(p.Pos());
    const TFloatPoint fa = ToFloat(a.Pos());
    const TFloatPoint fb = ToFloat(b.Pos());

    double availIn = Distance(fa, k) - Distance(fa, ToFloat(a.FTangentOut));
    double availOut = Distance(k, fb) - Distance(fb, ToFloat(b.FTangentIn));
    double d = std::min(availIn, availOut);

    long long cross = static_cast<long long>(b.FY - a.FY) * (p.FX - a.FX) -
                      static_cast<long long>(b.FX - a.FX) * (p.FY - a.FY);
    double ka = Distance(k, fa);
    bool turn = ka != 0 && RoundEven(static_cast<double>(cross) / ka) > 0;

    TFloatPoint t1 = PointAtDistance(k, fa, d);
    TFloatPoint t2 = PointAtDistance(k, fb, d);
    TFloatPoint m{(t1.X + t2.X) / 2, (t1.Y + t2.Y) / 2};
    double h = Distance(t1, t2) / 2;
    double mk = Distance(m, k);
    int rmax = RoundEven(mk) != 0 ? RoundEven(d * h / mk) : 0;
    if (rmax <= 0)
        return; // sharp corner: the reset values stand

    int actual = p.FRadius;
    if (rmax < p.FRadius) {
        actual = rmax; // the largest arc the neighbours leave room for
    } else {
        mk = p.FRadius * mk / rmax;
        d = p.FRadius * d / rmax;
        if (RoundEven(mk) == 0)
            return;
        m = PointAtDistance(k, m, mk);
        t1 = PointAtDistance(k, fa, d);
        t2 = PointAtDistance(k, fb, d);
    }
    double kc = std::sqrt(d * d + static_cast<double>(actual) * actual);
    TFloatPoint c = PointAtDistance(k, m, kc);

    p.FActualRadius = static_cast<std::int16_t>(actual);
    p.FTurnFlag = turn;
    p.FTangentIn = RoundPoint(t1);
    p.FTangentOut = RoundPoint(t2);
    p.FCenter = RoundPoint(c);
}

void TvxArrowPoints::UpdateBounds() const {
    if (FBoundsValid)
        return;
    FBoundsValid = true;
    if (FItems.empty()) {
        FBounds = {};
    } else {
        // Taken from the points themselves, so points outside 0..255 (a
        // trajectory moved off the area, or read from a file) still get
        // their true box.
        FBounds = {FItems[0]->FX, FItems[0]->FY, FItems[0]->FX, FItems[0]->FY};
        for (const auto& item : FItems) {
            FBounds.Left = std::min<int>(FBounds.Left, item->FX);
            FBounds.Top = std::min<int>(FBounds.Top, item->FY);
            FBounds.Right = std::max<int>(FBounds.Right, item->FX);
            FBounds.Bottom = std::max<int>(FBounds.Bottom, item->FY);
        }
    }
    const int l = FBounds.Left, t = FBounds.Top, r = FBounds.Right, b = FBounds.Bottom;
    const int w = FPenWidth;
    const int cx = l + (r - l) / 2;
    const int cy = t + (b - t) / 2;
    FHandles = {{
        {l - w - 6, t - w - 6, l - w, t - w},
        {cx - 3, t - w - 6, cx + 3, t - w},
        {r + w, t - w - 6, r + w + 6, t - w},
        {r + w, cy - 3, r + w + 6, cy + 3},
        {r + w, b + w, r + w + 6, b + w + 6},
        {cx - 3, b + w, cx + 3, b + w + 6},
        {l - w - 6, b + w, l - w, b + w + 6},
        {l - w - 6, cy - 3, l - w, cy + 3},
    }};
}

const TRect& TvxArrowPoints::Bounds() const {
    UpdateBounds();
    return FBounds;
}

const std::array<TRect, 8>& TvxArrowPoints::Handles() const {
    UpdateBounds();
    return FHandles;
}

void TvxArrowPoints::SetPenWidth(int width) {
    FPenWidth = width;
    BoundsChanged();
}

TvxArrowPoint* TvxArrowPoints::PointAt(int x, int y) const {
    auto near = [x, y](TPoint c) {
        return x >= c.X - 3 && x < c.X + 3 && y >= c.Y - 3 && y < c.Y + 3;
    };
    for (const auto& item : FItems)
        if (near(item->FCenter) || near(item->Pos()))
            return item.get();
    return nullptr;
}

std::uint8_t TvxArrowPoints::HitTest(int x, int y, bool withPoints) const {
    const auto& handles = Handles();
    for (std::size_t i = 0; i < handles.size(); ++i)
        if (handles[i].Contains({x, y}))
            return static_cast<std::uint8_t>(hcTopLeft + i);
    if (withPoints && PointAt(x, y) != nullptr)
        return hcPoint;
    return hcNone;
}

void TvxArrowPoints::SelectPoint(TvxArrowPoint* item) {
    if (item != nullptr && item->FOwner != this)
        item = nullptr;
    if (FSelectedPoint != nullptr)
        FSelectedPoint->MarkerColor = MarkerColor;
    FSelectedPoint = item;
    if (item != nullptr)
        item->MarkerColor = SelectedMarkerColor;
}

void TvxArrowPoints::SetStartHead(bool on) {
    if (on) {
        FHeadFlags |= hfStartHead;
        FStartHeadPolygon = HeadTemplate;
    } else {
        FHeadFlags &= static_cast<std::uint8_t>(~hfStartHead);
        FStartHeadPolygon.clear();
    }
    if (!FItems.empty())
        RecalcAt(0, true);
}

void TvxArrowPoints::SetEndHead(bool on) {
    if (on) {
        FHeadFlags |= hfEndHead;
        FEndHeadPolygon = HeadTemplate;
    } else {
        FHeadFlags &= static_cast<std::uint8_t>(~hfEndHead);
        FEndHeadPolygon.clear();
    }
    if (!FItems.empty())
        RecalcAt(Count() - 1, true);
}

void TvxArrowPoints::ScaleTo(TRect r) {
    if (r.Right < r.Left)
        r.Right = r.Left;
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    const TRect old = Bounds();
    if (r == old)
        return;
    for (const auto& item : FItems) {
        if (item->FX != old.Left && r.Left < r.Right && old.Right != old.Left)
            item->FX =
                Low16(r.Left + MulDiv(item->FX - old.Left, r.Right - r.Left, old.Right - old.Left));
        else
            item->FX = Low16(r.Left);
        if (item->FY != old.Top && r.Top < r.Bottom && old.Bottom != old.Top)
            item->FY =
                Low16(r.Top + MulDiv(item->FY - old.Top, r.Bottom - r.Top, old.Bottom - old.Top));
        else
            item->FY = Low16(r.Top);
    }
    BoundsChanged();
    for (int i = 0; i < Count(); ++i)
        RecalcAt(i, false);
}

void TvxArrowPoints::OffsetBy(int dx, int dy) {
    for (const auto& item : FItems) {
        item->FX = Low16(item->FX + dx);
        item->FY = Low16(item->FY + dy);
        item->FCenter = Shift(item->FCenter, dx, dy);
        item->FTangentIn = Shift(item->FTangentIn, dx, dy);
        item->FTangentOut = Shift(item->FTangentOut, dx, dy);
    }
    for (TPoint& v : FStartHeadPolygon)
        v = Shift(v, dx, dy);
    for (TPoint& v : FEndHeadPolygon)
        v = Shift(v, dx, dy);
    BoundsChanged();
}

void TvxArrowPoints::FlipHorizontal() {
    Mirror(true);
}

void TvxArrowPoints::FlipVertical() {
    Mirror(false);
}

// Mirrors everything about the middle of the bounds, across the vertical
// axis (horizontal flip) or the horizontal one; the turns change sides.
void TvxArrowPoints::Mirror(bool horizontal) {
    if (FItems.empty())
        return;
    const TRect& b = Bounds();
    const int a =
        horizontal ? 2 * (b.Left + (b.Right - b.Left) / 2) : 2 * (b.Top + (b.Bottom - b.Top) / 2);
    auto flip = [a, horizontal](TPoint& p) {
        int& c = horizontal ? p.X : p.Y;
        c = a - c;
    };
    for (const auto& item : FItems) {
        std::int16_t& c = horizontal ? item->FX : item->FY;
        c = Low16(a - c);
        flip(item->FCenter);
        flip(item->FTangentIn);
        flip(item->FTangentOut);
        item->FTurnFlag = !item->FTurnFlag;
    }
    for (TPoint& v : FStartHeadPolygon)
        flip(v);
    for (TPoint& v : FEndHeadPolygon)
        flip(v);
    BoundsChanged();
}

void TvxArrowPoints::Reverse() {
    const int n = Count();
    if (n == 0)
        return;
    // The point objects stay where they are (the window's tree nodes and
    // the point selection keep their places); their data changes ends.
    struct TGeometry {
        std::int16_t X, Y, Radius, ActualRadius;
        TPoint Center, TangentIn, TangentOut;
        bool TurnFlag;
    };
    std::vector<TGeometry> old;
    old.reserve(static_cast<std::size_t>(n));
    for (const auto& p : FItems)
        old.push_back({p->FX, p->FY, p->FRadius, p->FActualRadius, p->FCenter, p->FTangentIn,
                       p->FTangentOut, p->FTurnFlag});
    for (int i = 0; i < n; ++i) {
        const TGeometry& g = old[static_cast<std::size_t>(n - 1 - i)];
        TvxArrowPoint& p = *FItems[static_cast<std::size_t>(i)];
        p.FX = g.X;
        p.FY = g.Y;
        p.FRadius = g.Radius;
        p.FActualRadius = g.ActualRadius;
        p.FCenter = g.Center;
        p.FTangentIn = g.TangentOut;
        p.FTangentOut = g.TangentIn;
        p.FTurnFlag = !g.TurnFlag;
    }
    BoundsChanged();
    if (StartHead())
        SetStartHead(true);
    if (EndHead())
        SetEndHead(true);
}

void TvxArrowPoints::Assign(const TvxArrowPoints& source) {
    if (&source == this)
        return;
    Clear();
    for (const auto& p : source.FItems)
        AddPoint(p->Pos(), p->FRadius);
    FColor = source.FColor;
    FPenWidth = source.FPenWidth;
    HeadTemplate = source.HeadTemplate;
    FHeadFlags = source.FHeadFlags;
    FStartHeadPolygon = source.FStartHeadPolygon;
    FEndHeadPolygon = source.FEndHeadPolygon;
    BoundsChanged();
}

void TvxArrowPoints::DrawLines(TCanvas& c, TColor color, int dx, int dy) const {
    c.Pen.Width = FPenWidth;
    c.Pen.Color = color;
    const int n = Count();
    auto drawHead = [&](const std::vector<TPoint>& polygon) {
        if (polygon.empty())
            return;
        std::vector<TPoint> shifted;
        shifted.reserve(polygon.size());
        for (TPoint v : polygon)
            shifted.push_back(Shift(v, dx, dy));
        int width = c.Pen.Width;
        TBrush brush = c.Brush;
        c.Pen.Width = 1;
        c.Brush = {c.Pen.Color, TBrushStyle::Solid};
        c.Polygon(shifted);
        c.Pen.Width = width;
        c.Brush = brush;
    };
    for (int i = 0; i < n; ++i) {
        const TvxArrowPoint& p = *FItems[static_cast<std::size_t>(i)];
        if (i == 0 && StartHead())
            drawHead(FStartHeadPolygon);
        if (i == n - 1 && EndHead())
            drawHead(FEndHeadPolygon);
        if (p.FActualRadius > 0) {
            const TPoint k = p.Pos();
            // The handles of the curve lie 1/2.5 of the way from each
            // tangent point towards the corner.
            auto toward = [](TPoint from, TPoint to) {
                return TPoint{from.X + RoundEven((to.X - from.X) / 2.5),
                              from.Y + RoundEven((to.Y - from.Y) / 2.5)};
            };
            TPoint start = p.FTurnFlag ? p.FTangentOut : p.FTangentIn;
            TPoint end = p.FTurnFlag ? p.FTangentIn : p.FTangentOut;
            const TPoint curve[4] = {Shift(start, dx, dy), Shift(toward(k, start), dx, dy),
                                     Shift(toward(end, k), dx, dy), Shift(end, dx, dy)};
            c.PolyBezier(curve);
        }
        if (i < n - 1) {
            const TPoint line[2] = {
                Shift(p.FTangentOut, dx, dy),
                Shift(FItems[static_cast<std::size_t>(i + 1)]->FTangentIn, dx, dy)};
            c.Polyline(line);
        }
    }
}

// ---------------------------------------------------------------- TvxArrow

void TvxArrow::Assign(const TvxSchemeObject& source) {
    if (const auto* arrow = dynamic_cast<const TvxArrow*>(&source))
        FPoints.Assign(arrow->FPoints);
}

void TvxArrow::SetSelected(bool on) {
    TvxSchemeObject::SetSelected(on);
    if (!on)
        FPoints.SelectPoint(nullptr);
}

void TvxArrow::PaintMarkers(TCanvas& canvas, TColor markerPen, const TColor* fill,
                            TColor handles) const {
    canvas.Pen.Width = 1;
    canvas.Pen.Color = markerPen;
    canvas.Brush.Style = TBrushStyle::Solid;
    for (int i = 0; i < FPoints.Count(); ++i) {
        const TvxArrowPoint& p = *FPoints.Items(i);
        const int h = p.MarkerSize / 2;
        canvas.Brush.Color = fill != nullptr ? *fill : p.MarkerColor;
        canvas.Ellipse({p.X() - h, p.Y() - h, p.X() + h, p.Y() + h});
    }
    canvas.Pen.Color = handles;
    canvas.Brush.Color = handles;
    for (const TRect& r : FPoints.Handles())
        canvas.Rectangle(r);
}

void TvxArrow::Paint() {
    if (FCanvas == nullptr || !Visible())
        return;
    TCanvasState state(*FCanvas);
    // No shadow in the inverting mode: it would not erase itself.
    if (FCanvas->Mode == TDrawMode::Copy)
        FPoints.DrawLines(*FCanvas, kShadow, 1, 1);
    FPoints.DrawLines(*FCanvas, FPoints.Color(), 0, 0);
    if (Selected())
        PaintMarkers(*FCanvas, FPoints.MarkerPenColor, nullptr, kBlack);
}

void TvxArrow::PaintColored(TColor color) {
    if (FCanvas == nullptr || !Visible())
        return;
    TCanvasState state(*FCanvas);
    FPoints.DrawLines(*FCanvas, color, 0, 0);
    if (Selected())
        PaintMarkers(*FCanvas, color, &color, color);
}

void TvxArrow::DrawDragImage() {
    if (FCanvas == nullptr)
        return;
    TCanvasState state(*FCanvas);
    FPoints.DrawLines(*FCanvas, FPoints.Color(), 0, 0);
}

std::uint8_t TvxArrow::HitTest(TPoint p) const {
    return FPoints.HitTest(p.X, p.Y, Selected());
}

void TvxArrow::SaveToStream(TSchemeStreamWriter& stream) const {
    stream.WriteUInt16(KindCode);
    stream.WriteByte(FFlags);
    stream.WriteInt32(FPoints.Count());
    for (int i = 0; i < FPoints.Count(); ++i) {
        const TvxArrowPoint& p = *FPoints.Items(i);
        stream.WriteInt32(p.X());
        stream.WriteInt32(p.Y());
        stream.WriteInt16(p.Radius());
    }
    stream.WriteByte(FPoints.HeadFlags());
}

void TvxArrow::LoadFromStream(TSchemeStreamReader& stream) {
    FPoints.Clear();
    std::uint8_t flags = stream.ReadByte();
    std::int32_t count = stream.ReadInt32();
    if (count < 2)
        throw ESchemeError("Trajectory has fewer than two points");
    stream.Need(static_cast<std::size_t>(count) * 10 + 1);
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t x = stream.ReadInt32();
        std::int32_t y = stream.ReadInt32();
        std::int16_t radius = stream.ReadInt16();
        FPoints.AddPoint({Low16(x), Low16(y)}, radius);
    }
    std::uint8_t heads = stream.ReadByte();
    FPoints.SetEndHead((heads & TvxArrowPoints::hfEndHead) != 0);
    FPoints.SetStartHead((heads & TvxArrowPoints::hfStartHead) != 0);
    // Nothing is selected after reading; a stored selection bit would show
    // markers on an object the control does not hold as selected.
    FFlags = static_cast<std::uint8_t>(flags & ~ofSelected);
}

void TvxArrow::MoveSelectedPoint(const TRect& area, int x, int y) {
    TvxArrowPoint* p = FPoints.SelectedPoint();
    if (p == nullptr)
        return;
    BeginOrContinueChange();
    const int h = p->MarkerSize / 2;
    if (x < area.Left + h)
        x = area.Left + h;
    else if (x > area.Right - h)
        x = area.Right - h;
    if (y < area.Top + h)
        y = area.Top + h;
    else if (y > area.Bottom - h)
        y = area.Bottom - h;
    if (x != p->X() || y != p->Y()) {
        p->SetX(Low16(x));
        p->SetY(Low16(y));
        DrawDragImage();
    }
}

void TvxArrow::ChangeRadius(int delta) {
    TvxArrowPoint* p = FPoints.SelectedPoint();
    if (p == nullptr)
        return;
    BeginOrContinueChange();
    p->SetRadius(p->Radius() + delta);
    DrawDragImage();
}

bool TvxArrow::InsertPointNearSelected() {
    TvxArrowPoint* s = FPoints.SelectedPoint();
    if (s == nullptr)
        return false;
    const int i = FPoints.IndexOf(s);
    TvxArrowPoint* neighbour = i == 0 ? FPoints.Next(s) : FPoints.Prev(s);
    if (neighbour == nullptr)
        return false;
    const TPoint at{s->X() + (neighbour->X() - s->X()) / 2, s->Y() + (neighbour->Y() - s->Y()) / 2};
    TvxArrowPoint* added = FPoints.InsertPoint(i == 0 ? 1 : i, at, 0);
    FPoints.SelectPoint(added);
    Changed();
    return true;
}

bool TvxArrow::DeleteSelectedPoint() {
    TvxArrowPoint* s = FPoints.SelectedPoint();
    if (s == nullptr || FPoints.Count() <= 2)
        return false;
    const int i = FPoints.IndexOf(s);
    FPoints.SelectPoint(nullptr);
    FPoints.DeletePoint(i);
    FPoints.SelectPoint(i < FPoints.Count() - 1 ? FPoints.Items(i) : FPoints.Last());
    Changed();
    return true;
}

void TvxArrow::FlipVertical() {
    FPoints.FlipVertical();
    Changed();
}

void TvxArrow::FlipHorizontal() {
    FPoints.FlipHorizontal();
    Changed();
}

void TvxArrow::Reverse() {
    FPoints.Reverse();
    Changed();
}

// ---------------------------------------------------------------- TvxTrendLabel

void TvxTrendLabel::Assign(const TvxSchemeObject& source) {
    const auto* label = dynamic_cast<const TvxTrendLabel*>(&source);
    if (label == nullptr)
        return;
    FRect = label->FRect;
    FText = label->FText;
    SetCanvas(label->FCanvas);
    SetVisible(label->Visible());
    FFlags = static_cast<std::uint8_t>((FFlags & ~ofReserved) | (label->FFlags & ofReserved));
}

TSize TvxTrendLabel::SizeToText() {
    TSize text = FCanvas->TextExtent(FText);
    FRect.Right = FRect.Left + text.Width + 6;
    FRect.Bottom = FRect.Top + text.Height + 6;
    return text;
}

void TvxTrendLabel::Paint() {
    if (FCanvas == nullptr || !Visible())
        return;
    TCanvas& c = *FCanvas;
    TCanvasState state(c);
    TSize text = SizeToText();
    c.Brush = {kShadow, TBrushStyle::Solid};
    c.FillRect(FRect.Offset(2, 2));
    c.FontColor = kBlack;
    c.Brush = {TColor::InfoBk(), TBrushStyle::Solid};
    c.Pen = {kBlack, 1, TPenStyle::Solid};
    if (Selected()) {
        c.FillRect(FRect);
        c.DrawFocusRect(FRect);
    } else {
        c.Rectangle(FRect);
    }
    c.TextOut(FRect.Left + (FRect.Width() - text.Width) / 2,
              FRect.Top + (FRect.Height() - text.Height) / 2, FText);
}

void TvxTrendLabel::PaintColored(TColor color) {
    if (FCanvas == nullptr || !Visible())
        return;
    TCanvasState state(*FCanvas);
    SizeToText();
    FCanvas->Brush = {color, TBrushStyle::Solid};
    FCanvas->FillRect(FRect);
}

void TvxTrendLabel::DrawDragImage() {
    if (FCanvas == nullptr)
        return;
    TSize text = SizeToText();
    std::unique_ptr<TCanvas> image = FCanvas->CreateImage(FRect.Width(), FRect.Height());
    if (!image)
        return;
    const TRect box{0, 0, FRect.Width(), FRect.Height()};
    image->Brush = {kBlack, TBrushStyle::Solid};
    image->FillRect(box);
    image->Pen = {kWhite, 1, TPenStyle::Solid};
    image->Brush.Style = TBrushStyle::Clear;
    image->Rectangle(box);
    image->FontColor = kWhite;
    image->TextOut((box.Width() - text.Width) / 2, (box.Height() - text.Height) / 2, FText);
    FCanvas->XorImage(FRect.Left, FRect.Top, *image);
}

std::uint8_t TvxTrendLabel::HitTest(TPoint p) const {
    return FRect.Contains(p) ? hcLabel : hcNone;
}

void TvxTrendLabel::SaveToStream(TSchemeStreamWriter& stream) const {
    stream.WriteUInt16(KindCode);
    stream.WriteInt32(FRect.Left);
    stream.WriteInt32(FRect.Top);
    // The length is one byte: a longer caption is cut (captions are far
    // shorter); characters the code page lacks become '?'.
    std::string bytes = ToCp1251(FText);
    if (bytes.size() > 255)
        bytes.resize(255);
    stream.WriteByte(static_cast<std::uint8_t>(bytes.size()));
    stream.WriteBytes(bytes);
}

void TvxTrendLabel::LoadFromStream(TSchemeStreamReader& stream) {
    // Kept within the 16-bit range of the point coordinates, so that sizing
    // and moving a label from a damaged file cannot overflow.
    auto coordinate = [&stream] {
        return std::clamp<std::int32_t>(stream.ReadInt32(),
                                        std::numeric_limits<std::int16_t>::min(),
                                        std::numeric_limits<std::int16_t>::max());
    };
    int left = coordinate();
    int top = coordinate();
    // Empty at its place until the next paint sizes it to the text.
    FRect = {left, top, left, top};
    std::uint8_t length = stream.ReadByte();
    FText = FromCp1251(stream.ReadBytes(length));
}

std::unique_ptr<TvxSchemeObject> CreateSchemeObject(std::uint16_t kind) {
    switch (kind) {
    case TvxArrow::KindCode:
        return std::make_unique<TvxArrow>();
    case TvxTrendLabel::KindCode:
        return std::make_unique<TvxTrendLabel>();
    default:
        return nullptr;
    }
}

} // namespace tralcon
