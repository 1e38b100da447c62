#pragma once
// The drawing surface the scheme objects paint on. The objects only know this
// small interface; the scheme window supplies a real one, tests a recording
// one. Like a classic GDI canvas it keeps a current pen, brush, font colour
// and drawing mode, and the primitives draw with whatever is current.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tralcon {

// An RGB colour, or one of the two desktop colours the scheme uses, which
// only the real canvas can resolve.
struct TColor {
    enum class TSystem : std::uint8_t { None, ButtonFace, InfoBackground };

    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    TSystem System = TSystem::None;

    static constexpr TColor Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        return TColor{r, g, b, TSystem::None};
    }
    // Button face: the default line colour of a trajectory.
    static constexpr TColor BtnFace() { return TColor{0, 0, 0, TSystem::ButtonFace}; }
    // Tooltip background: the fill of a direction label.
    static constexpr TColor InfoBk() { return TColor{0, 0, 0, TSystem::InfoBackground}; }

    bool operator==(const TColor&) const = default;
};

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TSize&) const = default;
};

// Left and top belong to the rectangle, right and bottom do not.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(TPoint p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    bool operator==(const TRect&) const = default;
};

enum class TPenStyle : std::uint8_t { Solid, Clear };
enum class TBrushStyle : std::uint8_t { Solid, Clear };

struct TPen {
    TColor Color = TColor::Rgb(0, 0, 0);
    int Width = 1;
    TPenStyle Style = TPenStyle::Solid;
    bool operator==(const TPen&) const = default;
};

struct TBrush {
    TColor Color = TColor::Rgb(255, 255, 255);
    TBrushStyle Style = TBrushStyle::Solid;
    bool operator==(const TBrush&) const = default;
};

// Copy draws normally; Invert makes every drawn pixel the inverse of the
// pixel below, so drawing the same outline twice restores the picture (the
// drag feedback of the scheme control).
enum class TDrawMode : std::uint8_t { Copy, Invert };

class TCanvas {
  public:
    virtual ~TCanvas() = default;

    TPen Pen;
    TBrush Brush;
    TColor FontColor = TColor::Rgb(0, 0, 0);
    TDrawMode Mode = TDrawMode::Copy;

    // Open line through the points, with the pen.
    virtual void Polyline(std::span<const TPoint> points) = 0;
    // One cubic Bézier segment from p[0] to p[3] with control points p[1], p[2].
    virtual void PolyBezier(const TPoint (&p)[4]) = 0;
    // Closed polygon: filled with the brush, outlined with the pen.
    virtual void Polygon(std::span<const TPoint> points) = 0;
    // Ellipse inscribed in r: filled with the brush, outlined with the pen.
    virtual void Ellipse(const TRect& r) = 0;
    // Rectangle: filled with the brush, outlined with the pen.
    virtual void Rectangle(const TRect& r) = 0;
    // Fills r with the brush, no outline.
    virtual void FillRect(const TRect& r) = 0;
    // The dotted rectangle that marks keyboard focus.
    virtual void DrawFocusRect(const TRect& r) = 0;
    // Size of the text in the canvas's font.
    virtual TSize TextExtent(std::string_view text) = 0;
    // Text (UTF-8) with its top-left corner at (x, y), in FontColor, on a
    // transparent background.
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    // An off-screen image of the given size with this canvas's font, to be
    // combined back with XorImage; may return null where not supported.
    virtual std::unique_ptr<TCanvas> CreateImage(int width, int height) = 0;
    // Combines an image made by CreateImage onto this canvas at (x, y) by
    // bitwise exclusive-or.
    virtual void XorImage(int x, int y, TCanvas& image) = 0;
};

} // namespace tralcon
