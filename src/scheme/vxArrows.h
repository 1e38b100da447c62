#pragma once
// The drawable objects of the crossroad scheme: trajectories (polylines with
// rounded corners and arrow heads) and direction labels. They know nothing of
// directions or phases; whoever owns them gives them a canvas, wires their
// notifications and ties them to signal rows through the opaque Data.

#include "scheme/SchemeCanvas.h"
#include "scheme/SchemeStream.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tralcon {

// What lies under a point (HitTest): nothing, a label, a control point of a
// selected trajectory, or one of the eight resize handles.
enum : std::uint8_t {
    hcNone = 0,
    hcLabel = 1,
    hcPoint = 2,
    hcTopLeft = 4,
    hcTop = 5,
    hcTopRight = 6,
    hcRight = 7,
    hcBottomRight = 8,
    hcBottom = 9,
    hcBottomLeft = 10,
    hcLeft = 11,
};

class TvxSchemeObject {
  public:
    using TNotifyEvent = std::function<void(TvxSchemeObject* sender)>;

    // Flags bits. Bit 1 means nothing but is set on every new object and
    // kept as it is, because files carry it.
    static constexpr std::uint8_t ofVisible = 1;
    static constexpr std::uint8_t ofReserved = 2;
    static constexpr std::uint8_t ofSelected = 4;

    TvxSchemeObject() = default;
    TvxSchemeObject(const TvxSchemeObject&) = delete;
    TvxSchemeObject& operator=(const TvxSchemeObject&) = delete;
    virtual ~TvxSchemeObject() = default;

    // Copies from an object of the same class; the base has nothing to copy.
    virtual void Assign(const TvxSchemeObject& source);

    void* Data() const { return FData; }
    virtual void SetData(void* data) { FData = data; }
    virtual TRect GetBounds() const { return {}; }
    virtual void SetBounds(const TRect& r) { (void)r; }
    TCanvas* Canvas() const { return FCanvas; }
    virtual void SetCanvas(TCanvas* canvas) { FCanvas = canvas; }
    std::uint8_t Flags() const { return FFlags; }
    bool Visible() const { return (FFlags & ofVisible) != 0; }
    bool Selected() const { return (FFlags & ofSelected) != 0; }
    virtual void SetVisible(bool on);
    virtual void SetSelected(bool on);
    // A new object of the same class (the virtual constructor).
    virtual std::unique_ptr<TvxSchemeObject> Create() const = 0;
    // Record kind of the class in the scheme section.
    virtual std::uint16_t Kind() const { return 0; }
    virtual void Paint() {}
    // The flat silhouette in one colour, for the control's hit map.
    virtual void PaintColored(TColor color) { (void)color; }
    // The outline in the canvas's current mode (inverted while dragging).
    virtual void DrawDragImage() {}
    // Reads the record after its kind; throws ESchemeError when it is damaged.
    virtual void LoadFromStream(TSchemeStreamReader& stream) { (void)stream; }
    // Writes the whole record, kind first.
    virtual void SaveToStream(TSchemeStreamWriter& stream) const { (void)stream; }
    virtual std::uint8_t HitTest(TPoint p) const {
        (void)p;
        return hcNone;
    }
    virtual void EndChange() { FChanging = false; }
    virtual void Offset(int dx, int dy) {
        (void)dx;
        (void)dy;
    }

    bool Changing() const { return FChanging; }
    // The first step of a gesture raises OnBeginChange, every further one
    // OnChanging; called before the step alters anything.
    void BeginOrContinueChange();

    TNotifyEvent OnBeginChange;
    TNotifyEvent OnChanging;
    TNotifyEvent OnChanged;

  protected:
    void Changed() {
        if (OnChanged)
            OnChanged(this);
    }

    void* FData = nullptr;
    TCanvas* FCanvas = nullptr;
    std::uint8_t FFlags = ofVisible | ofReserved;
    bool FChanging = false;
};

class TvxArrowPoints;

// One control point of a trajectory. The corner geometry (Center, the two
// tangent points, ActualRadius, TurnFlag) is derived by the corner algorithm
// and never stored in files.
class TvxArrowPoint {
  public:
    TvxArrowPoint(const TvxArrowPoint&) = delete;
    TvxArrowPoint& operator=(const TvxArrowPoint&) = delete;

    std::int16_t X() const { return FX; }
    std::int16_t Y() const { return FY; }
    TPoint Pos() const { return {FX, FY}; }
    std::int16_t Radius() const { return FRadius; }
    std::int16_t ActualRadius() const { return FActualRadius; }
    TPoint Center() const { return FCenter; }
    TPoint TangentIn() const { return FTangentIn; }
    TPoint TangentOut() const { return FTangentOut; }
    bool TurnFlag() const { return FTurnFlag; }
    TvxArrowPoints* Owner() const { return FOwner; }

    // Each recomputes this corner and its neighbours when the value changes.
    void SetX(std::int16_t value);
    void SetY(std::int16_t value);
    // A negative radius becomes 0 (and one beyond 16 bits the largest).
    void SetRadius(int value);

    void* Node = nullptr; // the scheme window's tree node of this point
    TColor MarkerColor = TColor::Rgb(255, 255, 255);
    int MarkerSize = 6;

  private:
    friend class TvxArrowPoints;
    TvxArrowPoint(TvxArrowPoints* owner, int index) : FOwner(owner), FIndex(index) {}
    void ResetCorner();

    TvxArrowPoints* FOwner;
    int FIndex; // position in the owner, kept current by the owner
    std::int16_t FX = 0;
    std::int16_t FY = 0;
    TPoint FCenter;
    TPoint FTangentIn;
    TPoint FTangentOut;
    std::int16_t FRadius = 0;
    std::int16_t FActualRadius = 0;
    bool FTurnFlag = false;
};

// The points of one trajectory with all its geometry and drawing state.
class TvxArrowPoints {
  public:
    static constexpr std::uint8_t hfEndHead = 1;
    static constexpr std::uint8_t hfStartHead = 2;

    TvxArrowPoints() = default;
    TvxArrowPoints(const TvxArrowPoints&) = delete;
    TvxArrowPoints& operator=(const TvxArrowPoints&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    TvxArrowPoint* Items(int index) const;
    int IndexOf(const TvxArrowPoint* item) const;

    TvxArrowPoint* AddPoint(TPoint point, int radius);
    // Inserts before index (clamped into 0..Count).
    TvxArrowPoint* InsertPoint(int index, TPoint point, int radius);
    // Nothing for an index outside the list.
    void DeletePoint(int index);
    void Clear();

    TvxArrowPoint* First() const;
    TvxArrowPoint* Last() const;
    TvxArrowPoint* Next(const TvxArrowPoint* item) const;
    TvxArrowPoint* Prev(const TvxArrowPoint* item) const;

    // The corner algorithm for one point, optionally its neighbours first.
    void Recalc(TvxArrowPoint* item, bool withNeighbours);

    TvxArrowPoint* PointAt(int x, int y) const;
    std::uint8_t HitTest(int x, int y, bool withPoints) const;

    TvxArrowPoint* SelectedPoint() const { return FSelectedPoint; }
    void SelectPoint(TvxArrowPoint* item);

    std::uint8_t HeadFlags() const { return FHeadFlags; }
    bool StartHead() const { return (FHeadFlags & hfStartHead) != 0; }
    bool EndHead() const { return (FHeadFlags & hfEndHead) != 0; }
    void SetStartHead(bool on);
    void SetEndHead(bool on);
    const std::vector<TPoint>& StartHeadPolygon() const { return FStartHeadPolygon; }
    const std::vector<TPoint>& EndHeadPolygon() const { return FEndHeadPolygon; }

    // Bounding box of the control points and the handles around it.
    const TRect& Bounds() const;
    const std::array<TRect, 8>& Handles() const;

    TColor Color() const { return FColor; }
    void SetColor(TColor color) { FColor = color; }
    int PenWidth() const { return FPenWidth; }
    void SetPenWidth(int width);

    void ScaleTo(TRect r);
    void OffsetBy(int dx, int dy);
    void FlipHorizontal();
    void FlipVertical();
    void Reverse();
    void Assign(const TvxArrowPoints& source);

    // The line pass: heads, arcs and straight segments in the given colour,
    // every coordinate shifted by (dx, dy). The arrow passes its own canvas.
    void DrawLines(TCanvas& canvas, TColor color, int dx, int dy) const;

    // Shape of one arrow head: vertex 0 sits on the end point, +x points
    // away from the line.
    std::vector<TPoint> HeadTemplate{{0, 0}, {-3, 6}, {10, 0}, {-3, -6}};
    TColor MarkerColor = TColor::Rgb(255, 255, 255);
    TColor MarkerPenColor = TColor::Rgb(0, 0, 0);
    TColor SelectedMarkerColor = TColor::Rgb(0, 0, 255);

  private:
    friend class TvxArrowPoint;
    void RecalcAt(int index, bool withNeighbours);
    void Mirror(bool horizontal);
    void PlaceHead(std::vector<TPoint>& polygon, TPoint p, TPoint s) const;
    void Renumber(int from);
    void BoundsChanged() { FBoundsValid = false; }
    void UpdateBounds() const;

    std::vector<std::unique_ptr<TvxArrowPoint>> FItems;
    std::uint8_t FHeadFlags = 0;
    TColor FColor = TColor::BtnFace();
    std::vector<TPoint> FEndHeadPolygon;
    std::vector<TPoint> FStartHeadPolygon;
    int FPenWidth = 3;
    TvxArrowPoint* FSelectedPoint = nullptr;
    // Bounds and handles follow the points; they are brought up to date when
    // asked for, so loading many points stays linear.
    mutable bool FBoundsValid = true;
    mutable TRect FBounds;
    mutable std::array<TRect, 8> FHandles{};
};

// A trajectory: the path of one movement with its arrow heads.
class TvxArrow : public TvxSchemeObject {
  public:
    static constexpr std::uint16_t KindCode = 100;

    TvxArrowPoints& Points() { return FPoints; }
    const TvxArrowPoints& Points() const { return FPoints; }

    void Assign(const TvxSchemeObject& source) override;
    TRect GetBounds() const override { return FPoints.Bounds(); }
    void SetBounds(const TRect& r) override { FPoints.ScaleTo(r); }
    void SetSelected(bool on) override;
    std::unique_ptr<TvxSchemeObject> Create() const override {
        return std::make_unique<TvxArrow>();
    }
    std::uint16_t Kind() const override { return KindCode; }
    void Paint() override;
    void PaintColored(TColor color) override;
    void DrawDragImage() override;
    void LoadFromStream(TSchemeStreamReader& stream) override;
    void SaveToStream(TSchemeStreamWriter& stream) const override;
    std::uint8_t HitTest(TPoint p) const override;
    void Offset(int dx, int dy) override { FPoints.OffsetBy(dx, dy); }

    // Gesture steps on the selected point; area is the drawing area the
    // point must stay inside (by half a marker). Nothing without a selected
    // point.
    void MoveSelectedPoint(const TRect& area, int x, int y);
    void ChangeRadius(int delta);
    // Structural edits; each raises OnChanged when it changed the
    // trajectory. Insert and delete return false when they did nothing (the
    // window beeps for a refused delete).
    bool InsertPointNearSelected();
    bool DeleteSelectedPoint();
    void FlipVertical();
    void FlipHorizontal();
    void Reverse();

  private:
    void PaintMarkers(TCanvas& canvas, TColor markerPen, const TColor* fill, TColor handles) const;

    TvxArrowPoints FPoints;
};

// A direction label: a small box with the caption of its signal row.
class TvxTrendLabel : public TvxSchemeObject {
  public:
    static constexpr std::uint16_t KindCode = 200;

    const std::string& Text() const { return FText; }
    void SetText(std::string text) { FText = std::move(text); }
    const TRect& Rect() const { return FRect; }

    void Assign(const TvxSchemeObject& source) override;
    TRect GetBounds() const override { return FRect; }
    // The size is recomputed from the text at the next paint.
    void SetBounds(const TRect& r) override { FRect = r; }
    std::unique_ptr<TvxSchemeObject> Create() const override {
        return std::make_unique<TvxTrendLabel>();
    }
    std::uint16_t Kind() const override { return KindCode; }
    void Paint() override;
    void PaintColored(TColor color) override;
    void DrawDragImage() override;
    void LoadFromStream(TSchemeStreamReader& stream) override;
    void SaveToStream(TSchemeStreamWriter& stream) const override;
    std::uint8_t HitTest(TPoint p) const override;
    void Offset(int dx, int dy) override { FRect = FRect.Offset(dx, dy); }

  private:
    // Makes Rect fit the text in the canvas's font.
    TSize SizeToText();

    std::string FText = "Test"; // UTF-8; code page 1251 only in the file
    TRect FRect{0, 0, 50, 50};
};

// The object for a record kind: 100 a trajectory, 200 a label, otherwise null.
std::unique_ptr<TvxSchemeObject> CreateSchemeObject(std::uint16_t kind);

} // namespace tralcon
