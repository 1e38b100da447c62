#pragma once
// A canvas that writes down what is drawn on it, with the pen, brush, font
// colour and mode in force at each call, so tests can compare drawings.

#include "scheme/SchemeCanvas.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tralcon::test {

struct TDrawCall {
    std::string Op; // "Polyline", "Bezier", "Polygon", "Ellipse", "Rectangle", ...
    std::vector<TPoint> Points;
    TRect Rect;
    std::string Text;
    TPen Pen;
    TBrush Brush;
    TColor FontColor;
    TDrawMode Mode = TDrawMode::Copy;
};

inline std::string ColorName(TColor c) {
    switch (c.System) {
    case TColor::TSystem::ButtonFace:
        return "btnface";
    case TColor::TSystem::InfoBackground:
        return "infobk";
    default:
        break;
    }
    std::ostringstream s;
    s << int(c.R) << ',' << int(c.G) << ',' << int(c.B);
    return s.str();
}

class TRecordingCanvas : public TCanvas {
  public:
    // Every character is this wide and every text this high.
    int CharWidth = 6;
    int TextHeight = 11;
    std::vector<TDrawCall> Calls;
    // Images made by CreateImage and combined with XorImage, in order.
    std::vector<std::unique_ptr<TRecordingCanvas>> Images;

    void Polyline(std::span<const TPoint> points) override { Add("Polyline", points); }
    void PolyBezier(const TPoint (&p)[4]) override { Add("Bezier", std::span<const TPoint>(p, 4)); }
    void Polygon(std::span<const TPoint> points) override { Add("Polygon", points); }
    void Ellipse(const TRect& r) override { AddRect("Ellipse", r); }
    void Rectangle(const TRect& r) override { AddRect("Rectangle", r); }
    void FillRect(const TRect& r) override { AddRect("FillRect", r); }
    void DrawFocusRect(const TRect& r) override { AddRect("FocusRect", r); }
    TSize TextExtent(std::string_view text) override {
        int chars = 0;
        for (unsigned char ch : text)
            chars += (ch & 0xC0) != 0x80 ? 1 : 0; // count UTF-8 characters
        return {chars * CharWidth, TextHeight};
    }
    void TextOut(int x, int y, std::string_view text) override {
        TDrawCall c = State("Text");
        c.Points = {{x, y}};
        c.Text = std::string(text);
        Calls.push_back(c);
    }
    std::unique_ptr<TCanvas> CreateImage(int width, int height) override {
        auto image = std::make_unique<TRecordingCanvas>();
        image->CharWidth = CharWidth;
        image->TextHeight = TextHeight;
        TDrawCall c = State("CreateImage");
        c.Rect = {0, 0, width, height};
        Calls.push_back(c);
        return image;
    }
    void XorImage(int x, int y, TCanvas& image) override {
        TDrawCall c = State("XorImage");
        c.Points = {{x, y}};
        Calls.push_back(c);
        auto& recorded = dynamic_cast<TRecordingCanvas&>(image);
        auto copy = std::make_unique<TRecordingCanvas>();
        copy->Calls = recorded.Calls;
        Images.push_back(std::move(copy));
    }

    // The calls of one kind.
    std::vector<TDrawCall> Of(const std::string& op) const {
        std::vector<TDrawCall> out;
        for (const auto& c : Calls)
            if (c.Op == op)
                out.push_back(c);
        return out;
    }

  private:
    TDrawCall State(const char* op) const {
        TDrawCall c;
        c.Op = op;
        c.Pen = Pen;
        c.Brush = Brush;
        c.FontColor = FontColor;
        c.Mode = Mode;
        return c;
    }
    void Add(const char* op, std::span<const TPoint> points) {
        TDrawCall c = State(op);
        c.Points.assign(points.begin(), points.end());
        Calls.push_back(c);
    }
    void AddRect(const char* op, const TRect& r) {
        TDrawCall c = State(op);
        c.Rect = r;
        Calls.push_back(c);
    }
};

} // namespace tralcon::test

namespace tralcon {
// Readable failure output for the geometry types.
inline void PrintTo(const TPoint& p, std::ostream* os) {
    *os << '(' << p.X << ", " << p.Y << ')';
}
inline void PrintTo(const TRect& r, std::ostream* os) {
    *os << '(' << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ')';
}
inline void PrintTo(const TColor& c, std::ostream* os) {
    *os << test::ColorName(c);
}
} // namespace tralcon
