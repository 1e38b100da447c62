#pragma once
// The scheme as the drawing control shows it: the background picture (or
// the caption on the control's colour) under a one-pixel frame, and the
// objects in their layers on top; also the hit map and GIF conversions.

#include "scheme/SchemeDocument.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace tralcon {

// The scheme's drawing area, in scheme pixels.
inline constexpr int kSchemeSide = 200;

struct TSchemeLook {
    QColor Color{226, 240, 227}; // the scheme window's colour
    QFont Font;                  // the window's font; labels use it too
    QString Caption = QStringLiteral("[Нет схемы]");
};

// The desktop's sans font, 11 pixels high.
QFont SchemeFont();
TSchemeLook DefaultSchemeLook();

// The first frame of a GIF file as an RGB32 image; none when unreadable.
std::optional<QImage> GifToImage(std::string_view bytes);

// A GIF file of the image (any size up to the GIF limits): its colours
// reduced to at most 256, nearest colour, no dithering.
std::string ImageToGif(const QImage& image);

// A PNG file of the same picture (empty when the GIF is unreadable).
std::string GifToPng(std::string_view gif);

// The background of the given size: the picture stretched over it, or the
// caption centred on the look's colour; then the control's one-pixel frame
// in that colour.
QImage RenderSchemeBackground(const TSchemeDocument& scheme, QSize size, const TSchemeLook& look);

// The objects on target, in their layers (the selection on top).
void PaintSchemeScene(QImage& target, const TSchemeDocument& scheme,
                      const TvxSchemeObject* selected, const QFont& font);

// The hit map of the given size: black, each visible object's silhouette in
// grey level 1 + its index.
QImage RenderSchemeHitMap(const TSchemeDocument& scheme, const TvxSchemeObject* selected,
                          QSize size, const QFont& font);

} // namespace tralcon
