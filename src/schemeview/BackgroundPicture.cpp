#include "schemeview/BackgroundPicture.h"

#include "scheme/SchemeGif.h"
#include "scheme/SchemeJpeg.h"
#include "schemeview/SchemeRender.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace tralcon {

namespace {

[[noreturn]] void Fail(const QString& name, const QString& why) {
    throw EPictureError(
        QStringLiteral("Не удалось загрузить рисунок «%1»: %2").arg(name, why).toStdString());
}

bool LooksLikeGif(const std::string& bytes) {
    return bytes.rfind("GIF87a", 0) == 0 || bytes.rfind("GIF89a", 0) == 0;
}

QImage FromRgb(const TRgbPicture& p) {
    QImage image(p.Width, p.Height, QImage::Format_RGB32);
    for (int y = 0; y < p.Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < p.Width; ++x)
            line[x] = 0xFF000000u |
                      p.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.Width) +
                               static_cast<std::size_t>(x)];
    }
    return image;
}

QImage ReadGif(const std::string& bytes, const QString& name) {
    if (bytes.size() >= 10) {
        const int w = static_cast<unsigned char>(bytes[6]) | static_cast<unsigned char>(bytes[7])
                                                                 << 8;
        const int h = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9])
                                                                 << 8;
        if (w > kGifMaxSide || h > kGifMaxSide)
            Fail(name, QStringLiteral("рисунок слишком велик (%1 × %2 точек)").arg(w).arg(h));
    }
    std::optional<QImage> image = GifToImage(bytes);
    if (!image)
        Fail(name, QStringLiteral("файл GIF повреждён или неполон"));
    return *image;
}

QImage ReadJpeg(const std::string& bytes, const QString& name) {
    TJpegResult r = DecodeJpeg(bytes, kSchemeSide);
    if (!r.Ok)
        Fail(name, QStringLiteral("файл JPEG повреждён (%1)").arg(QString::fromStdString(r.Error)));
    return FromRgb(r.Picture);
}

QImage ReadWithQt(const std::string& bytes, const QString& name) {
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QFileInfo(name).suffix().toLatin1());
    reader.setDecideFormatFromContent(true);
    // Qt's own limit stops decoders that allocate before they look.
    QImageReader::setAllocationLimit(256);
    const QSize size = reader.size();
    if (!reader.canRead())
        Fail(name, QStringLiteral("формат рисунка не распознан"));
    const bool vector = reader.format() == "svg" || reader.format() == "svgz";
    if (vector) {
        // Drawn straight at the scheme's size.
        reader.setScaledSize(QSize(kSchemeSide, kSchemeSide));
    } else if (size.isValid() &&
               (size.width() > kPictureMaxSide || size.height() > kPictureMaxSide ||
                static_cast<long long>(size.width()) * size.height() > kPictureMaxPixels)) {
        Fail(name, QStringLiteral("рисунок слишком велик (%1 × %2 точек)")
                       .arg(size.width())
                       .arg(size.height()));
    }
    QImage image = reader.read();
    if (image.isNull())
        Fail(name, reader.errorString());
    return image;
}

} // namespace

std::string MakeBackgroundPicture(const std::string& bytes, const QString& name) {
    if (bytes.empty())
        Fail(name, QStringLiteral("файл пуст"));
    QImage image;
    if (LooksLikeGif(bytes))
        image = ReadGif(bytes, name);
    else if (LooksLikeJpeg(bytes))
        image = ReadJpeg(bytes, name);
    else
        image = ReadWithQt(bytes, name);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        Fail(name, QStringLiteral("рисунок пуст"));
    // An icon or a picture with transparency is laid on white, as a
    // picture shows on paper.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, image);
    }
    const QImage stretched =
        flat.scaled(kSchemeSide, kSchemeSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return ImageToGif(stretched);
}

std::string LoadBackgroundPicture(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail(name, file.errorString());
    // No picture worth a background is this large; a bigger file is not
    // read into memory at all.
    constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
    if (file.size() > kMaxFileBytes)
        Fail(name, QStringLiteral("файл слишком велик"));
    const QByteArray data = file.readAll();
    return MakeBackgroundPicture(
        std::string(data.constData(), static_cast<std::size_t>(data.size())), name);
}

QString BackgroundPictureFilter() {
    return QStringLiteral("Все рисунки (*.jpg *.jpeg *.gif *.bmp *.png *.ico *.svg);;"
                          "JPEG (*.jpg *.jpeg);;GIF (*.gif);;Точечные рисунки (*.bmp);;"
                          "PNG (*.png);;Значки (*.ico);;Векторные рисунки (*.svg);;"
                          "Все файлы (*)");
}

} // namespace tralcon
