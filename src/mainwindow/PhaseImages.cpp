#include "mainwindow/PhaseImages.h"

#include "model/Trends.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <array>

namespace tralcon {

namespace {

constexpr int kWidth = 43;
constexpr int kHeight = 16;
const QColor kInk(40, 40, 60);
const QColor kGreen(20, 170, 60);
const QColor kYellow(245, 195, 0);
const QColor kRed(220, 30, 30);

// A lamp bar across the picture, in one or more colours side by side
// (top and bottom halves for red with yellow).
void Bar(QPainter& p, const QRectF& r, const QColor& fill) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, 3, 3);
}

QPixmap Draw(int index) {
    const qreal dpr = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(qRound(kWidth * dpr), qRound(kHeight * dpr)));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF bar(2.5, 3.5, kWidth - 5, kHeight - 7);
    switch (index) {
    case 0:
        Bar(p, bar, kGreen);
        break;
    case 1: { // green blinking: the bar broken into dashes
        const qreal w = bar.width() / 5;
        for (int k = 0; k < 5; k += 2)
            Bar(p, QRectF(bar.left() + k * w, bar.top(), w, bar.height()), kGreen);
        break;
    }
    case 2:
        Bar(p, bar, kYellow);
        break;
    case 3:
        Bar(p, bar, kRed);
        break;
    case 4: { // red with yellow: red above, yellow below
        QPainterPath clip;
        clip.addRoundedRect(bar, 3, 3);
        p.setClipPath(clip);
        p.fillRect(QRectF(bar.left(), bar.top(), bar.width(), bar.height() / 2), kRed);
        p.fillRect(QRectF(bar.left(), bar.center().y(), bar.width(), bar.height() / 2), kYellow);
        p.setClipping(false);
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(bar, 3, 3);
        break;
    }
    case 5:   // closing: green, yellow, red from left to right
    case 6: { // opening: red, red with yellow, green
        const std::array<QColor, 3> closing{kGreen, kYellow, kRed};
        const std::array<QColor, 3> opening{kRed, QColor(240, 120, 20), kGreen};
        const auto& colors = index == 5 ? closing : opening;
        QPainterPath clip;
        clip.addRoundedRect(bar, 3, 3);
        p.setClipPath(clip);
        const qreal w = bar.width() / 3;
        for (int k = 0; k < 3; ++k)
            p.fillRect(QRectF(bar.left() + k * w, bar.top(), w + 0.5, bar.height()), colors[k]);
        p.setClipping(false);
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(bar, 3, 3);
        break;
    }
    default:
        break;
    }
    return pm;
}

} // namespace

QPixmap PhaseImage(int index) {
    if (index < 0 || index >= kPhaseImageCount)
        return {};
    // The table repaints often; each picture is drawn once per density.
    const qreal dpr = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
    const QString key = QStringLiteral("tralcon-phase-%1-%2").arg(index).arg(dpr);
    QPixmap pm;
    if (!QPixmapCache::find(key, &pm)) {
        pm = Draw(index);
        QPixmapCache::insert(key, pm);
    }
    return pm;
}

int PhaseImageIndex(TSignalState state) {
    switch (state) {
    case TSignalState::ExtraGreen:
    case TSignalState::LeadingGreen:
        return 0;
    case TSignalState::GreenBlink:
        return 1;
    case TSignalState::Yellow:
        return 2;
    case TSignalState::LeadingRed:
    case TSignalState::ExtraRed:
        return 3;
    case TSignalState::RedYellow:
        return 4;
    case TSignalState::LightsOff:
        return 5;
    case TSignalState::YellowFlash:
        return 6;
    default:
        return -1;
    }
}

} // namespace tralcon
