#include "schemeview/QtCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <vector>

namespace tralcon {

QColor ToQColor(TColor c) {
    switch (c.System) {
    case TColor::TSystem::ButtonFace:
        return QColor(240, 240, 240);
    case TColor::TSystem::InfoBackground:
        return QColor(255, 255, 225);
    case TColor::TSystem::None:
        break;
    }
    return QColor(c.R, c.G, c.B);
}

namespace {

QPolygon ToPolygon(std::span<const TPoint> points) {
    QPolygon poly;
    poly.reserve(static_cast<qsizetype>(points.size()));
    for (const TPoint& p : points)
        poly.append(QPoint(p.X, p.Y));
    return poly;
}

// A painter set up from the canvas's current pen, brush and mode.
class TPainter : public QPainter {
  public:
    TPainter(QImage& image, const TCanvas& c, bool pen, bool brush) : QPainter(&image) {
        setRenderHint(QPainter::Antialiasing, false);
        if (c.Mode == TDrawMode::Invert)
            setCompositionMode(QPainter::RasterOp_NotDestination);
        if (pen && c.Pen.Style == TPenStyle::Solid) {
            QPen p(ToQColor(c.Pen.Color));
            p.setWidth(std::max(1, c.Pen.Width));
            // Wide lines end and join round, as the desktop's geometric pens do.
            p.setCapStyle(Qt::RoundCap);
            p.setJoinStyle(Qt::RoundJoin);
            setPen(p);
        } else {
            setPen(Qt::NoPen);
        }
        if (brush && c.Brush.Style == TBrushStyle::Solid)
            setBrush(ToQColor(c.Brush.Color));
        else
            setBrush(Qt::NoBrush);
    }
};

// Qt's outline of a rectangle covers one pixel more to the right and below
// than the half-open rectangles of the scheme.
QRect Outline(const TRect& r) {
    return QRect(r.Left, r.Top, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1));
}

} // namespace

TQtCanvas::TQtCanvas(QImage& image, const QFont& font) : FImage(&image), FFont(font) {}

TQtCanvas::TQtCanvas(int width, int height, const QFont& font)
    : FOwned(
          std::make_unique<QImage>(std::max(1, width), std::max(1, height), QImage::Format_RGB32)),
      FImage(FOwned.get()), FFont(font) {
    FOwned->fill(Qt::black);
}

void TQtCanvas::Polyline(std::span<const TPoint> points) {
    if (points.size() < 2)
        return;
    TPainter p(*FImage, *this, true, false);
    p.drawPolyline(ToPolygon(points));
}

void TQtCanvas::PolyBezier(const TPoint (&pt)[4]) {
    TPainter p(*FImage, *this, true, false);
    QPainterPath path(QPointF(pt[0].X, pt[0].Y));
    path.cubicTo(pt[1].X, pt[1].Y, pt[2].X, pt[2].Y, pt[3].X, pt[3].Y);
    p.drawPath(path);
}

void TQtCanvas::Polygon(std::span<const TPoint> points) {
    if (points.empty())
        return;
    TPainter p(*FImage, *this, true, true);
    p.drawPolygon(ToPolygon(points));
}

void TQtCanvas::Ellipse(const TRect& r) {
    TPainter p(*FImage, *this, true, true);
    p.drawEllipse(Outline(r));
}

void TQtCanvas::Rectangle(const TRect& r) {
    TPainter p(*FImage, *this, true, true);
    p.drawRect(Outline(r));
}

void TQtCanvas::FillRect(const TRect& r) {
    if (Brush.Style != TBrushStyle::Solid)
        return;
    TPainter p(*FImage, *this, false, true);
    p.drawRect(QRect(r.Left, r.Top, r.Width(), r.Height()));
}

void TQtCanvas::DrawFocusRect(const TRect& r) {
    TPainter p(*FImage, *this, false, false);
    QPen dots(ToQColor(Pen.Color), 1, Qt::DotLine);
    p.setPen(dots);
    p.drawRect(Outline(r));
}

TSize TQtCanvas::TextExtent(std::string_view text) {
    QFontMetrics m(FFont);
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return {m.horizontalAdvance(s), m.height()};
}

void TQtCanvas::TextOut(int x, int y, std::string_view text) {
    QPainter p(FImage);
    if (Mode == TDrawMode::Invert)
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setFont(FFont);
    p.setPen(ToQColor(FontColor));
    QFontMetrics m(FFont);
    p.drawText(x, y + m.ascent(),
               QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::unique_ptr<TCanvas> TQtCanvas::CreateImage(int width, int height) {
    return std::make_unique<TQtCanvas>(width, height, FFont);
}

void TQtCanvas::XorImage(int x, int y, TCanvas& image) {
    auto* other = dynamic_cast<TQtCanvas*>(&image);
    if (other == nullptr)
        return;
    QPainter p(FImage);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.drawImage(x, y, other->Image());
}

} // namespace tralcon
