#include "widgets/CellDraw.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tralcon {

namespace {

int ToByte(double v) {
    return std::clamp(static_cast<int>(std::lround(v * 255.0)), 0, 255);
}

int Scale(int channel, int num, int den) {
    return std::min(255, channel * num / den);
}

} // namespace

QColor SelectedColor(const QColor& c) {
    const double r = c.red() / 255.0, g = c.green() / 255.0, b = c.blue() / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double light = (mx + mn) / 2.0;
    double hue = 0.0; // degrees; a grey keeps 0
    if (mx > mn) {
        const double d = mx - mn;
        if (mx == r)
            hue = 60.0 * std::fmod((g - b) / d + 6.0, 6.0);
        else if (mx == g)
            hue = 60.0 * ((b - r) / d + 2.0);
        else
            hue = 60.0 * ((r - g) / d + 4.0);
    }
    const double sat = 0.25;
    const double chroma = (1.0 - std::fabs(2.0 * light - 1.0)) * sat;
    const double x = chroma * (1.0 - std::fabs(std::fmod(hue / 60.0, 2.0) - 1.0));
    const double m = light - chroma / 2.0;
    double r1 = 0, g1 = 0, b1 = 0;
    switch (static_cast<int>(hue / 60.0) % 6) {
    case 0:
        r1 = chroma, g1 = x;
        break;
    case 1:
        r1 = x, g1 = chroma;
        break;
    case 2:
        g1 = chroma, b1 = x;
        break;
    case 3:
        g1 = x, b1 = chroma;
        break;
    case 4:
        r1 = x, b1 = chroma;
        break;
    default:
        r1 = chroma, b1 = x;
        break;
    }
    return QColor(ToByte(r1 + m), ToByte(g1 + m), ToByte(b1 + m));
}

QColor BevelLightColor(const QColor& c) {
    return QColor(Scale(c.red(), 31, 20), Scale(c.green(), 31, 20), Scale(c.blue(), 31, 20));
}

QColor BevelDarkColor(const QColor& c) {
    return QColor(Scale(c.red(), 20, 31), Scale(c.green(), 20, 31), Scale(c.blue(), 20, 31));
}

QRect CellPaintRect(const QRect& cell, bool lastCol, bool lastRow) {
    return cell.adjusted(0, 0, lastCol ? 0 : 1, lastRow ? 0 : 1);
}

void DrawPlainCell(QPainter& p, const QRect& r, const QColor& fill) {
    if (r.isEmpty())
        return;
    p.fillRect(r, fill);
    DrawFramedCell(p, r);
}

void DrawFramedCell(QPainter& p, const QRect& r) {
    if (r.isEmpty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kGridLineColor, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}

void DrawSelectedCell(QPainter& p, const QRect& r, const QColor& fill) {
    if (r.isEmpty())
        return;
    const QColor sel = SelectedColor(fill);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(r, sel);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kFocusColor, 0));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    if (r.width() > 2 && r.height() > 2) {
        const QRect in = r.adjusted(1, 1, -1, -1); // inside the frame
        p.setPen(QPen(BevelLightColor(sel), 0));
        p.drawLine(in.left(), in.top(), in.right(), in.top());
        p.drawLine(in.left(), in.top(), in.left(), in.bottom());
        p.setPen(QPen(BevelDarkColor(sel), 0));
        p.drawLine(in.left(), in.bottom(), in.right(), in.bottom());
        p.drawLine(in.right(), in.top(), in.right(), in.bottom());
    }
    p.restore();
}

void DrawCellText(QPainter& p, const QRect& r, const QString& text, const QColor& color,
                  const QFont* font) {
    if (text.isEmpty())
        return;
    p.save();
    if (font != nullptr)
        p.setFont(*font);
    p.setPen(color);
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text);
    p.restore();
}

void DrawCellImage(QPainter& p, const QRect& r, const QPixmap& image) {
    if (image.isNull())
        return;
    const QSize s = image.deviceIndependentSize().toSize();
    p.drawPixmap(r.left() + (r.width() - s.width()) / 2, r.top() + (r.height() - s.height()) / 2,
                 image);
}

void DrawCheckMark(QPainter& p, const QRect& cell, const QColor& color, double penWidth) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(cell).center();
    QPainterPath mark;
    mark.moveTo(c + QPointF(-4.5, 0));
    mark.lineTo(c + QPointF(-1.5, 3.5));
    mark.lineTo(c + QPointF(4.5, -4));
    p.setPen(QPen(color, penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.restore();
}

void DrawFittedCellText(QPainter& p, const QRect& r, const QString& text, const QColor& color,
                        const QFont& font) {
    // Pixel sizes, so the fit does not depend on the screen's resolution.
    QFont f = font;
    int px = std::max(6, QFontInfo(font).pixelSize());
    f.setPixelSize(px);
    while (px > 6 && QFontMetrics(f).horizontalAdvance(text) > r.width() - 4)
        f.setPixelSize(--px);
    DrawCellText(p, r, text, color, &f);
}

void DrawFocusFrame(QPainter& p, const QRect& cell) {
    p.save();
    p.setPen(QPen(kFocusColor, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(cell.adjusted(2, 2, -3, -3));
    p.restore();
}

} // namespace tralcon
