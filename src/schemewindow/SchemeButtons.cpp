// The pictures of the scheme window's buttons, drawn by the program.

#include "schemewindow/SchemeButtons.h"

#include <QPainter>
#include <QPainterPath>

namespace tralcon {

namespace {

const QColor kInk{0, 60, 115};

void Picture(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(3.5, 5.5, 17, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 190, 120));
    p.drawPolygon(QPolygonF(
        {QPointF(4, 18), QPointF(10, 11), QPointF(14, 15), QPointF(16, 13), QPointF(20, 18)}));
    p.setBrush(QColor(240, 200, 40));
    p.drawEllipse(QPointF(16, 9), 1.8, 1.8);
}

void Curve(QPainter& p, QColor colour) {
    p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path(QPointF(5, 20));
    path.lineTo(5, 12);
    path.quadTo(5, 7, 10, 7);
    path.lineTo(14, 7);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({QPointF(13, 3), QPointF(19, 7), QPointF(13, 11)}));
}

void Sign(QPainter& p, bool plus) {
    p.setPen(QPen(QColor(0, 0, 160), 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(13, 17), QPointF(21, 17));
    if (plus)
        p.drawLine(QPointF(17, 13), QPointF(17, 21));
}

} // namespace

QIcon SchemeButtonIcon(TSchemeButton button) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (button) {
    case TSchemeButton::HideEditor:
    case TSchemeButton::ShowEditor: {
        // A pane with an arrow: away to the left hides it, back shows it.
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(234, 255, 255));
        p.drawRect(QRectF(2.5, 4.5, 8, 15));
        p.setBrush(QColor(255, 255, 255));
        p.drawRect(QRectF(12.5, 4.5, 9, 15));
        const bool hide = button == TSchemeButton::HideEditor;
        const double tip = hide ? 3.5 : 9.5, base = hide ? 9.5 : 3.5;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 160));
        p.drawPolygon(QPolygonF({QPointF(tip, 12), QPointF(base, 8), QPointF(base, 16)}));
        break;
    }
    case TSchemeButton::LoadPicture:
        Picture(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 160));
        p.drawPolygon(QPolygonF({QPointF(12, 1), QPointF(17, 5), QPointF(7, 5)}));
        break;
    case TSchemeButton::ClearPicture:
        Picture(p);
        p.setPen(QPen(QColor(200, 0, 0), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 8), QPointF(17, 17));
        p.drawLine(QPointF(17, 8), QPointF(7, 17));
        break;
    case TSchemeButton::PlusCurve:
        Curve(p, QColor(0, 170, 0));
        Sign(p, true);
        break;
    case TSchemeButton::MinusCurve:
        Curve(p, QColor(150, 150, 150));
        Sign(p, false);
        break;
    case TSchemeButton::Close:
        p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    }
    return QIcon(pm);
}

} // namespace tralcon
