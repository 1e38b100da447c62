#include "mainwindow/ActionImages.h"

#include "model/NVTTypes.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace tralcon {

namespace {

const QColor kInk(40, 40, 60);
const QColor kPaper(255, 255, 250);
const QColor kRed(220, 30, 30);
const QColor kYellow(240, 190, 0);
const QColor kGreen(20, 160, 60);
const QColor kBlue(30, 90, 200);

// Drawn at the screen's pixel density, so the pictures stay sharp on screens
// that scale the window.
QPixmap Blank(int w, int h) {
    const qreal dpr = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(qRound(w * dpr), qRound(h * dpr)));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

void Page(QPainter& p, const QRectF& r) {
    QPainterPath path;
    const qreal fold = 5;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void Floppy(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kBlue);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + 3, r.top() + 1, r.width() - 6, r.height() * 0.42));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(r.left() + 5, r.bottom() - r.height() * 0.35, r.width() - 10,
                      r.height() * 0.35 - 1));
}

void Lamp(QPainter& p, const QPointF& c, qreal radius, const QColor& color) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(color);
    p.drawEllipse(c, radius, radius);
}

QPixmap DrawAction(int index) {
    QPixmap pm = Blank(24, 24);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case aiNew:
        Page(p, QRectF(5.5, 2.5, 13, 19));
        p.setPen(QPen(kYellow.darker(110), 2));
        p.drawLine(QPointF(17, 15), QPointF(21, 15));
        p.drawLine(QPointF(19, 13), QPointF(19, 17));
        break;
    case aiOpen: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(235, 200, 90));
        p.drawRect(QRectF(2.5, 6.5, 17, 13));
        QPolygonF flap;
        flap << QPointF(5.5, 10.5) << QPointF(22.5, 10.5) << QPointF(19.5, 19.5)
             << QPointF(2.5, 19.5);
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(flap);
        p.setPen(QPen(kGreen, 2));
        p.drawLine(QPointF(14, 6), QPointF(19, 2.5));
        p.drawLine(QPointF(19, 2.5), QPointF(19, 6));
        break;
    }
    case aiSave:
        Floppy(p, QRectF(3.5, 3.5, 17, 17));
        break;
    case aiSaveAs:
        Floppy(p, QRectF(2.5, 2.5, 15, 15));
        p.setPen(QPen(kInk, 1));
        p.setBrush(kYellow);
        p.save();
        p.translate(17, 17);
        p.rotate(45);
        p.drawRect(QRectF(-1.5, -7, 3, 11));
        p.restore();
        break;
    case aiAdd:
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawRoundedRect(QRectF(10, 4, 4, 16), 1, 1);
        p.drawRoundedRect(QRectF(4, 10, 16, 4), 1, 1);
        break;
    case aiDelete:
        p.setPen(QPen(kRed, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    case aiHelp: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        QFont f;
        f.setBold(true);
        f.setPixelSize(14);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case aiExit: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(150, 100, 60));
        p.drawRect(QRectF(3.5, 2.5, 11, 19));
        p.setBrush(QColor(230, 230, 220));
        p.drawEllipse(QPointF(12, 12.5), 1.2, 1.2);
        p.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 12), QPointF(21, 12));
        p.drawLine(QPointF(21, 12), QPointF(18, 9));
        p.drawLine(QPointF(21, 12), QPointF(18, 15));
        break;
    }
    case aiFlash: {
        // A chip with a lightning bolt: writing the controller's memory.
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(60, 60, 70));
        p.drawRect(QRectF(5.5, 5.5, 13, 13));
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(8 + i * 4, 2), QPointF(8 + i * 4, 5));
            p.drawLine(QPointF(8 + i * 4, 19), QPointF(8 + i * 4, 22));
        }
        QPolygonF bolt;
        bolt << QPointF(13, 6.5) << QPointF(8.5, 13) << QPointF(11.5, 13) << QPointF(10, 18)
             << QPointF(15.5, 10.5) << QPointF(12.5, 10.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kYellow);
        p.drawPolygon(bolt);
        break;
    }
    case aiScheme: {
        // A crossroad seen from above.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 190, 110));
        p.drawRect(QRectF(2, 2, 20, 20));
        p.setBrush(QColor(110, 110, 115));
        p.drawRect(QRectF(9, 2, 6, 20));
        p.drawRect(QRectF(2, 9, 20, 6));
        p.setPen(QPen(Qt::white, 1, Qt::DashLine));
        p.drawLine(QPointF(12, 2), QPointF(12, 8));
        p.drawLine(QPointF(12, 16), QPointF(12, 22));
        p.drawLine(QPointF(2, 12), QPointF(8, 12));
        p.drawLine(QPointF(16, 12), QPointF(22, 12));
        break;
    }
    case aiAbout: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        QFont f(QStringLiteral("Serif"));
        f.setBold(true);
        f.setPixelSize(14);
        p.setFont(f);
        p.setPen(kBlue);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("i"));
        break;
    }
    case aiPassport: {
        // A bound document with a traffic light on its cover.
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(150, 40, 40));
        p.drawRoundedRect(QRectF(4.5, 2.5, 15, 19), 1.5, 1.5);
        p.setBrush(QColor(40, 40, 40));
        p.drawRoundedRect(QRectF(9.5, 5.5, 5, 13), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QPointF(12, 8), 1.6, 1.6);
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(12, 12), 1.6, 1.6);
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(12, 16), 1.6, 1.6);
        break;
    }
    default:
        break;
    }
    return pm;
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
    p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const qreal len = std::max<qreal>(1, std::hypot(d.x(), d.y()));
    const QPointF u = d / len, n(-u.y(), u.x());
    QPolygonF head;
    head << to + u * 2 << to - u * 4 + n * 3.5 << to - u * 4 - n * 3.5;
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(head);
}

void Walker(QPainter& p, QPointF at, const QColor& color) {
    p.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(color);
    p.drawEllipse(at + QPointF(0, -7), 1.8, 1.8);
    p.drawLine(at + QPointF(0, -4.5), at + QPointF(0, 2));
    p.drawLine(at + QPointF(0, 2), at + QPointF(-3, 7));
    p.drawLine(at + QPointF(0, 2), at + QPointF(3, 7));
    p.drawLine(at + QPointF(0, -3), at + QPointF(-3, 0));
    p.drawLine(at + QPointF(0, -3), at + QPointF(3, -1));
}

void Check(QPainter& p, QPointF at, const QColor& color) {
    p.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPolygonF mark;
    mark << at + QPointF(-4, 0) << at + QPointF(-1, 3.5) << at + QPointF(5, -4);
    p.drawPolyline(mark);
}

// Three small lamps in a row: the order in which a signal changes.
void Sequence(QPainter& p, std::initializer_list<QColor> colors) {
    qreal x = 8;
    for (const QColor& c : colors) {
        Lamp(p, QPointF(x, 12), 3.5, c);
        x += 8;
    }
}

// Paints a direction picture in its 32×24 frame.
void PaintTrend(QPainter& p, int index) {
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(16, 12);
    switch (index) {
    case 0: // the closing times: green, yellow, red
        Sequence(p, {kGreen, kYellow, kRed});
        break;
    case 1: // the opening times: red, red with yellow, green
        Sequence(p, {kRed, kYellow, kGreen});
        break;
    case 2: { // lamp power: a bulb
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(255, 240, 150));
        p.drawEllipse(QPointF(16, 10), 5, 5);
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(13.5, 14.5, 5, 5));
        break;
    }
    case 10: // red control
        Lamp(p, c, 5.5, kRed);
        Check(p, c, Qt::white);
        break;
    case 11: // green control
        Lamp(p, c, 5.5, kGreen);
        Check(p, c, Qt::white);
        break;
    case 12: // green blinking
        Lamp(p, c, 4.5, kGreen);
        p.setPen(QPen(kGreen, 1.2));
        for (int k = 0; k < 8; ++k) {
            const qreal a = k * M_PI / 4;
            p.drawLine(c + QPointF(std::cos(a), std::sin(a)) * 6.5,
                       c + QPointF(std::cos(a), std::sin(a)) * 9);
        }
        break;
    case 13: // yellow
        Lamp(p, c, 5.5, kYellow);
        break;
    case 14: // leading red: red before the others
        Lamp(p, QPointF(14, 12), 5.5, kRed);
        Arrow(p, QPointF(21, 12), QPointF(28, 12), kInk);
        break;
    case 15: // red with yellow
        Lamp(p, QPointF(11.5, 12), 4.5, kRed);
        Lamp(p, QPointF(21.5, 12), 4.5, kYellow);
        break;
    case 16: // leading green: green before the others
        Lamp(p, QPointF(14, 12), 5.5, kGreen);
        Arrow(p, QPointF(21, 12), QPointF(28, 12), kInk);
        break;
    case 3: // slot к
        Lamp(p, c, 5.5, kRed);
        break;
    case 4: // slot ж
        Lamp(p, c, 5.5, kYellow);
        break;
    case 5: // slot з
        Lamp(p, c, 5.5, kGreen);
        break;
    case 6: // tram left
        Arrow(p, QPointF(20, 19), QPointF(11, 8), kInk);
        break;
    case 7: // tram straight
        Arrow(p, QPointF(16, 20), QPointF(16, 5), kInk);
        break;
    case 8: // tram right
        Arrow(p, QPointF(12, 19), QPointF(21, 8), kInk);
        break;
    case 9: // tram bottom lamp
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(10, 12), QPointF(22, 12));
        break;
    case 17: // vehicle
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(8.5, 9.5, 15, 7), 2, 2);
        p.drawRoundedRect(QRectF(11.5, 6.5, 8, 4), 1.5, 1.5);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(12, 17), 2, 2);
        p.drawEllipse(QPointF(20, 17), 2, 2);
        break;
    case 18: // pedestrian
        Walker(p, c, kInk);
        break;
    case 19: // pedestrian with green blinking
        Walker(p, c, kGreen);
        break;
    case 20: // arrow
        Arrow(p, QPointF(10, 18), QPointF(22, 8), kInk);
        break;
    case 21: // tram left
    case 22: // tram straight
    case 23: // tram right
    {
        // Kept inside the middle 24×18 pixels: the directions grid's kind
        // column shows no more of it.
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(230, 80, 60));
        p.drawRoundedRect(QRectF(5.5, 5.5, 10, 13), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7.5, 7.5, 6, 4));
        const QPointF from(21.5, 19);
        const QPointF to = index == 21   ? QPointF(17.5, 10)
                           : index == 22 ? QPointF(21.5, 8)
                                         : QPointF(25.5, 10);
        Arrow(p, from, to, kInk);
        break;
    }
    case 24: // tram stop signal
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(230, 80, 60));
        p.drawRoundedRect(QRectF(10.5, 4.5, 12, 12), 2, 2);
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(12, 19), QPointF(21, 19));
        break;
    case 25: // call panel
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(200, 200, 200));
        p.drawRoundedRect(QRectF(9.5, 4.5, 13, 15), 2, 2);
        Lamp(p, QPointF(16, 12), 3.5, kYellow);
        break;
    case 26: // arrow with green blinking
        Arrow(p, QPointF(10, 18), QPointF(22, 8), kGreen);
        break;
    case 27: { // a controller that cannot be deleted: a padlock
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(12, 4, 8, 10), 0, 180 * 16);
        p.drawLine(QPointF(12, 9), QPointF(12, 11));
        p.drawLine(QPointF(20, 9), QPointF(20, 11));
        p.setPen(QPen(kInk, 1));
        p.setBrush(kYellow);
        p.drawRect(QRectF(10.5, 10.5, 11, 9));
        break;
    }
    case 28: { // universal output: half red, half green
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawPie(QRectF(c.x() - 5.5, c.y() - 5.5, 11, 11), 90 * 16, 180 * 16);
        p.setBrush(kGreen);
        p.drawPie(QRectF(c.x() - 5.5, c.y() - 5.5, 11, 11), 270 * 16, 180 * 16);
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 5.5, 5.5);
        break;
    }
    default:
        break;
    }
}

QPixmap DrawTrend(int index) {
    QPixmap pm = Blank(32, 24);
    QPainter p(&pm);
    PaintTrend(p, index);
    return pm;
}

// A blinking mark: short rays around a point.
void Rays(QPainter& p, QPointF at, qreal inner, qreal outer, const QColor& color) {
    p.setPen(QPen(color, 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k < 8; ++k) {
        const qreal a = k * M_PI / 4;
        p.drawLine(at + QPointF(std::cos(a), std::sin(a)) * inner,
                   at + QPointF(std::cos(a), std::sin(a)) * outer);
    }
}

// Paints an add-direction menu picture in its 24×24 frame.
void PaintPopupTrend(QPainter& p, int index) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 2: // vehicle
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 2, 2);
        p.drawRoundedRect(QRectF(6.5, 5.5, 10, 5), 1.5, 1.5);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(7, 18), 2.2, 2.2);
        p.drawEllipse(QPointF(17, 18), 2.2, 2.2);
        break;
    case 3: // pedestrian
        Walker(p, QPointF(12, 12), kInk);
        break;
    case 4: // pedestrian with green blinking
        Walker(p, QPointF(9, 12), kInk);
        Lamp(p, QPointF(18.5, 6.5), 2.5, kGreen);
        Rays(p, QPointF(18.5, 6.5), 3.8, 5.3, kGreen);
        break;
    case 5: // arrow
        Arrow(p, QPointF(5, 19), QPointF(18, 6), kInk);
        break;
    case 6: { // tram
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(230, 80, 60));
        p.drawRoundedRect(QRectF(5.5, 3.5, 13, 15), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7.5, 5.5, 9, 5));
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(12, 0.5), QPointF(12, 3.5));
        p.drawLine(QPointF(4, 21.5), QPointF(20, 21.5));
        break;
    }
    case 7: // arrow with green blinking
        Arrow(p, QPointF(4, 20), QPointF(14, 10), kInk);
        Lamp(p, QPointF(18.5, 6.5), 2.5, kGreen);
        Rays(p, QPointF(18.5, 6.5), 3.8, 5.3, kGreen);
        break;
    default:
        break;
    }
}

QPixmap DrawPopupTrend(int index) {
    QPixmap pm = Blank(24, 24);
    QPainter p(&pm);
    PaintPopupTrend(p, index);
    return pm;
}

// A menu icon drawn afresh at the menus' 16 pixels and at 24, so that it is
// never shrunk from a bitmap.
template <class Paint> QIcon SquareIcon(Paint paint) {
    QIcon icon;
    for (const int size : {16, 24}) {
        QPixmap pm = Blank(size, size);
        QPainter p(&pm);
        p.scale(size / 24.0, size / 24.0);
        paint(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QPixmap DrawAnchor(int index) {
    QPixmap pm = Blank(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 1: { // an anchor: something names this object
        p.setPen(QPen(kInk, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 3.5), 1.8, 1.8);
        p.drawLine(QPointF(8, 5.3), QPointF(8, 14));
        p.drawLine(QPointF(5, 7.5), QPointF(11, 7.5));
        p.drawArc(QRectF(3, 7, 10, 7), 180 * 16, 180 * 16);
        break;
    }
    case 2: // the conflict marker
        p.setPen(QPen(kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case 3: // lights off
        Lamp(p, QPointF(8, 8), 5.5, QColor(90, 90, 90));
        break;
    case 4: // yellow flashing
        Lamp(p, QPointF(8, 8), 4, kYellow);
        p.setPen(QPen(kYellow.darker(120), 1.2));
        for (int k = 0; k < 8; ++k) {
            const qreal a = k * M_PI / 4;
            p.drawLine(QPointF(8, 8) + QPointF(std::cos(a), std::sin(a)) * 5.2,
                       QPointF(8, 8) + QPointF(std::cos(a), std::sin(a)) * 7.4);
        }
        break;
    case 5: { // a cycle: a circular arrow
        p.setPen(QPen(kGreen, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 290 * 16);
        QPolygonF head;
        head << QPointF(11.5, 0.5) << QPointF(13.5, 5.5) << QPointF(8.5, 4.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawPolygon(head);
        break;
    }
    case 6: { // a day plan: a clock
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.setPen(QPen(kInk, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(8, 4));
        p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
        break;
    }
    case 7: { // a week plan: a calendar sheet
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(2.5, 3.5, 11, 10));
        p.setBrush(kRed);
        p.drawRect(QRectF(2.5, 3.5, 11, 3));
        p.setPen(QPen(kInk, 1));
        for (int k = 0; k < 3; ++k)
            p.drawLine(QPointF(4.5 + k * 3.5, 9), QPointF(5.5 + k * 3.5, 9));
        break;
    }
    default:
        break;
    }
    return pm;
}

} // namespace

// Drawn on every call: the pictures are small, and a cache would outlive
// the application object that pixmaps need.
QIcon ActionIcon(int index) {
    return QIcon(DrawAction(index));
}

QPixmap TrendImage(int index) {
    return DrawTrend(index);
}

QPixmap PopupTrendImage(int index) {
    return DrawPopupTrend(index);
}

QIcon TrendMenuIcon(int index) {
    return SquareIcon([index](QPainter& p) {
        p.translate(-4, 0);
        PaintTrend(p, index);
    });
}

QIcon PopupTrendIcon(int index) {
    return SquareIcon([index](QPainter& p) { PaintPopupTrend(p, index); });
}

QPixmap AnchorImage(int index) {
    return DrawAnchor(index);
}

QPixmap TreeImage(int index) {
    QPixmap pm = Blank(32, 24);
    QPainter p(&pm);
    p.drawPixmap(3, 0, DrawTrend(index));
    return pm;
}

int OutputImageIndex(unsigned char flags) {
    if ((flags & ofUniversal) == ofUniversal)
        return 28;
    if (flags & ofRed)
        return 3;
    if (flags & ofGreen)
        return 5;
    return 4;
}

} // namespace tralcon
