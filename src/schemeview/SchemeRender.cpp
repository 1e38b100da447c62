#include "schemeview/SchemeRender.h"

#include "scheme/SchemeGif.h"
#include "scheme/SchemeQuantise.h"
#include "scheme/SchemeScene.h"
#include "schemeview/QtCanvas.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QPainter>

#include <vector>

namespace tralcon {

QFont SchemeFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setPixelSize(11);
    return f;
}

TSchemeLook DefaultSchemeLook() {
    TSchemeLook look;
    look.Font = SchemeFont();
    return look;
}

std::optional<QImage> GifToImage(std::string_view bytes) {
    std::optional<TGifImage> gif = DecodeGif(bytes);
    if (!gif)
        return std::nullopt;
    QImage image(gif->Width, gif->Height, QImage::Format_RGB32);
    for (int y = 0; y < gif->Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < gif->Width; ++x) {
            const std::uint8_t i =
                gif->Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(gif->Width) +
                            static_cast<std::size_t>(x)];
            const TGifColor c = i < gif->Palette.size() ? gif->Palette[i] : TGifColor{};
            line[x] = qRgb(c.R, c.G, c.B);
        }
    }
    return image;
}

std::string ImageToGif(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(rgb.width()) * static_cast<std::size_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            pixels.push_back(line[x] & 0xFFFFFFu);
    }
    return EncodeGif(QuantiseImage(pixels, rgb.width(), rgb.height()));
}

std::string GifToPng(std::string_view gif) {
    std::optional<QImage> image = GifToImage(gif);
    if (!image)
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image->save(&buffer, "PNG");
    return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}

QImage RenderSchemeBackground(const TSchemeDocument& scheme, QSize size, const TSchemeLook& look) {
    QImage back(size, QImage::Format_RGB32);
    back.fill(look.Color);
    QPainter p(&back);
    std::optional<QImage> picture;
    if (scheme.HasBackground())
        picture = GifToImage(scheme.Background());
    if (picture) {
        p.drawImage(QRect(QPoint(0, 0), size), *picture);
    } else {
        p.setFont(look.Font);
        p.setPen(Qt::black);
        const QFontMetrics m(look.Font);
        const int w = m.horizontalAdvance(look.Caption);
        p.drawText((size.width() - w) / 2, (size.height() - m.height()) / 2 + m.ascent(),
                   look.Caption);
    }
    // The panel's frame of border width 1 covers the outermost pixels.
    p.setPen(QPen(look.Color, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    return back;
}

void PaintSchemeScene(QImage& target, const TSchemeDocument& scheme,
                      const TvxSchemeObject* selected, const QFont& font) {
    TQtCanvas canvas(target, font);
    PaintSchemeObjects(scheme, selected, canvas);
}

QImage RenderSchemeHitMap(const TSchemeDocument& scheme, const TvxSchemeObject* selected,
                          QSize size, const QFont& font) {
    QImage map(size, QImage::Format_RGB32);
    map.fill(Qt::black);
    TQtCanvas canvas(map, font);
    PaintSchemeHitMap(scheme, selected, canvas);
    return map;
}

} // namespace tralcon
