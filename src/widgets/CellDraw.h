#pragma once
// The look every drawn grid and tree cell shares: a filled cell framed in the
// grid-line colour, and the selected look (a less saturated fill, a blue frame
// and a one-pixel bevel inside it).

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

namespace tralcon {

inline const QColor kGridLineColor{0, 60, 115};
inline const QColor kFocusColor{0, 0, 255};
inline const QColor kWindowColor{239, 238, 224};
inline const QColor kMenuColor{238, 238, 238};
inline const QColor kMenuHighlightColor{56, 110, 244};
inline const QColor kTreeLevel0Color{255, 234, 234};
inline const QColor kTreeLevel1Color{255, 255, 221};

// The fill of a selected cell: the colour's hue and lightness with the
// saturation set to 0.25. A grey has no hue of its own and counts as hue 0.
QColor SelectedColor(const QColor& c);

// The bevel's light (each channel × 31/20, at most 255) and dark (× 20/31)
// lines.
QColor BevelLightColor(const QColor& c);
QColor BevelDarkColor(const QColor& c);

// The rectangle a cell is painted over: one pixel wider and higher than the
// cell unless it is in the last column or row, so neighbours share a frame.
QRect CellPaintRect(const QRect& cell, bool lastCol, bool lastRow);

// Fills the rectangle and frames it one pixel wide in the grid-line colour.
void DrawPlainCell(QPainter& p, const QRect& r, const QColor& fill);
// The selected look over the same rectangle.
void DrawSelectedCell(QPainter& p, const QRect& r, const QColor& fill);
inline void DrawCell(QPainter& p, const QRect& r, const QColor& fill, bool selected) {
    if (selected)
        DrawSelectedCell(p, r, fill);
    else
        DrawPlainCell(p, r, fill);
}
// Only the frame, no fill.
void DrawFramedCell(QPainter& p, const QRect& r);

// Text centred both ways over a transparent background; the painter's font
// and pen come back as they were.
void DrawCellText(QPainter& p, const QRect& r, const QString& text, const QColor& color = Qt::black,
                  const QFont* font = nullptr);
// A check mark centred in the cell, about 12 points high (the programs'
// stand-in for the symbol font's check mark).
void DrawCheckMark(QPainter& p, const QRect& cell, const QColor& color, double penWidth = 1.8);

// Text centred both ways, in a smaller size of the font where it would not
// fit the cell otherwise (never below 6 pixels).
void DrawFittedCellText(QPainter& p, const QRect& r, const QString& text, const QColor& color,
                        const QFont& font);

// The keyboard's cell: a dotted blue frame inside the cell.
void DrawFocusFrame(QPainter& p, const QRect& cell);

// An image centred in the cell.
void DrawCellImage(QPainter& p, const QRect& r, const QPixmap& image);

} // namespace tralcon
