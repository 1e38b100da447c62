#pragma once
// The scheme objects' canvas on a QImage. Lines are drawn without
// antialiasing, so every pixel of a silhouette has exactly its colour (the
// hit map relies on it) and a picture reduces to few palette colours.

#include "scheme/SchemeCanvas.h"

#include <QColor>
#include <QFont>
#include <QImage>

#include <memory>

namespace tralcon {

// The two desktop colours the scheme uses, fixed so that the passport's
// pictures do not depend on the desktop theme.
QColor ToQColor(TColor c);

class TQtCanvas : public TCanvas {
  public:
    // Draws on image (not owned; RGB32), text in font.
    TQtCanvas(QImage& image, const QFont& font);
    // Draws on an image of its own of the given size, filled black.
    TQtCanvas(int width, int height, const QFont& font);

    void Polyline(std::span<const TPoint> points) override;
    void PolyBezier(const TPoint (&p)[4]) override;
    void Polygon(std::span<const TPoint> points) override;
    void Ellipse(const TRect& r) override;
    void Rectangle(const TRect& r) override;
    void FillRect(const TRect& r) override;
    void DrawFocusRect(const TRect& r) override;
    TSize TextExtent(std::string_view text) override;
    void TextOut(int x, int y, std::string_view text) override;
    std::unique_ptr<TCanvas> CreateImage(int width, int height) override;
    void XorImage(int x, int y, TCanvas& image) override;

    QImage& Image() { return *FImage; }

  private:
    std::unique_ptr<QImage> FOwned;
    QImage* FImage;
    QFont FFont;
};

} // namespace tralcon
