#pragma once
// The owner-drawn look of every menu: a light grey panel, a blue bar under
// the highlighted item, a square image column at the left, checked items in
// bold instead of a check mark, shortcuts right-aligned.

#include <QProxyStyle>

class QMenu;

namespace tralcon {

class TMenuStyle : public QProxyStyle {
    Q_OBJECT
  public:
    TMenuStyle();

    // The one instance every menu shares (owned by the application).
    static TMenuStyle* Instance();
    // Gives a menu, and the menus opened from it later, this look.
    static void Apply(QMenu* menu);

    void drawControl(ControlElement element, const QStyleOption* opt, QPainter* p,
                     const QWidget* w) const override;
    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p,
                       const QWidget* w) const override;
    QSize sizeFromContents(ContentsType ct, const QStyleOption* opt, const QSize& contents,
                           const QWidget* w) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* opt, const QWidget* w) const override;
    int styleHint(StyleHint hint, const QStyleOption* opt, const QWidget* w,
                  QStyleHintReturn* ret) const override;

    static constexpr int kItemHeight = 22;
    static constexpr int kSeparatorHeight = 7;
};

} // namespace tralcon
