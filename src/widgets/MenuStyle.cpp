#include "widgets/MenuStyle.h"

#include "widgets/CellDraw.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace tralcon {

namespace {

constexpr int kTextGap = 6;    // between the image column and the caption
constexpr int kArrowRoom = 14; // a submenu's arrow at the right

} // namespace

TMenuStyle::TMenuStyle() = default;

TMenuStyle* TMenuStyle::Instance() {
    static QPointer<TMenuStyle> style;
    if (style.isNull()) {
        style = new TMenuStyle;
        style->setParent(qApp);
    }
    return style;
}

void TMenuStyle::Apply(QMenu* menu) {
    menu->setStyle(Instance());
    // Submenus are separate windows; they take the look when they open.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        for (QAction* a : menu->actions())
            if (QMenu* sub = a->menu(); sub != nullptr && sub->style() != Instance())
                Apply(sub);
    });
}

int TMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* opt, const QWidget* w) const {
    switch (metric) {
    case PM_MenuPanelWidth:
        return 1;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        return 1;
    case PM_SmallIconSize:
        if (qobject_cast<const QMenu*>(w) != nullptr)
            return 16;
        break;
    default:
        break;
    }
    return QProxyStyle::pixelMetric(metric, opt, w);
}

int TMenuStyle::styleHint(StyleHint hint, const QStyleOption* opt, const QWidget* w,
                          QStyleHintReturn* ret) const {
    if (hint == SH_Menu_Scrollable)
        return 0;
    return QProxyStyle::styleHint(hint, opt, w, ret);
}

void TMenuStyle::drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p,
                               const QWidget* w) const {
    if (pe == PE_PanelMenu || pe == PE_FrameMenu) {
        if (pe == PE_PanelMenu)
            p->fillRect(opt->rect, kMenuColor);
        p->save();
        p->setPen(QPen(QColor(160, 160, 160), 0));
        p->setBrush(Qt::NoBrush);
        p->drawRect(opt->rect.adjusted(0, 0, -1, -1));
        p->restore();
        return;
    }
    QProxyStyle::drawPrimitive(pe, opt, p, w);
}

QSize TMenuStyle::sizeFromContents(ContentsType ct, const QStyleOption* opt, const QSize& contents,
                                   const QWidget* w) const {
    const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(opt);
    if (ct != CT_MenuItem || mi == nullptr)
        return QProxyStyle::sizeFromContents(ct, opt, contents, w);
    if (mi->menuItemType == QStyleOptionMenuItem::Separator)
        return QSize(kItemHeight, kSeparatorHeight);
    QFont f = mi->font;
    if (mi->checked)
        f.setBold(true);
    const QFontMetrics fm(f);
    QString text = mi->text;
    QString shortcut;
    if (const int tab = text.indexOf(QLatin1Char('\t')); tab >= 0) {
        shortcut = text.mid(tab + 1);
        text = text.left(tab);
    }
    int width = kItemHeight + kTextGap + fm.horizontalAdvance(QString(text).remove('&'));
    if (!shortcut.isEmpty())
        width += fm.horizontalAdvance(QStringLiteral("WW")) * 2 + fm.horizontalAdvance(shortcut);
    else
        width += fm.horizontalAdvance(QStringLiteral("WW"));
    if (mi->menuItemType == QStyleOptionMenuItem::SubMenu)
        width += kArrowRoom;
    return QSize(width, std::max(kItemHeight, fm.height() + 6));
}

void TMenuStyle::drawControl(ControlElement element, const QStyleOption* opt, QPainter* p,
                             const QWidget* w) const {
    const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(opt);
    if (element == CE_MenuEmptyArea) {
        p->fillRect(opt->rect, kMenuColor);
        return;
    }
    if (element != CE_MenuItem || mi == nullptr) {
        QProxyStyle::drawControl(element, opt, p, w);
        return;
    }
    p->save();
    const QRect r = mi->rect;
    const bool enabled = mi->state & State_Enabled;
    const bool highlighted = (mi->state & State_Selected) && enabled;
    p->fillRect(r, highlighted ? kMenuHighlightColor : kMenuColor);
    const int column = r.height(); // the square image column
    const int textLeft = r.left() + column + kTextGap;

    if (mi->menuItemType == QStyleOptionMenuItem::Separator) {
        const int y = r.top() + r.height() / 2;
        p->setPen(QPen(QColor(160, 160, 160), 0));
        p->drawLine(r.left() + column, y, r.right() - 5, y);
        p->restore();
        return;
    }

    if (!mi->icon.isNull()) {
        const int size = std::min(16, column - 4);
        const QPixmap pm = mi->icon.pixmap(QSize(size, size), p->device()->devicePixelRatioF(),
                                           enabled ? QIcon::Normal : QIcon::Disabled);
        const QSize s = pm.deviceIndependentSize().toSize();
        p->drawPixmap(r.left() + (column - s.width()) / 2, r.top() + (r.height() - s.height()) / 2,
                      pm);
    }

    QFont f = mi->font;
    if (mi->checked)
        f.setBold(true);
    p->setFont(f);
    const QColor textColor = !enabled      ? mi->palette.color(QPalette::Disabled, QPalette::Text)
                             : highlighted ? mi->palette.color(QPalette::HighlightedText)
                                           : QColor(Qt::black);
    p->setPen(textColor);
    QString text = mi->text;
    QString shortcut;
    if (const int tab = text.indexOf(QLatin1Char('\t')); tab >= 0) {
        shortcut = text.mid(tab + 1);
        text = text.left(tab);
    }
    const QFontMetrics fm(f);
    const int ww = fm.horizontalAdvance(QStringLiteral("WW"));
    const QRect textRect(textLeft, r.top(), r.right() - textLeft, r.height());
    p->drawText(textRect,
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text);
    if (!shortcut.isEmpty()) {
        const QRect sc(textLeft, r.top(), r.right() - ww - textLeft, r.height());
        p->drawText(sc, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, shortcut);
    }
    if (mi->menuItemType == QStyleOptionMenuItem::SubMenu) {
        const int cx = r.right() - 8, cy = r.center().y();
        QPolygon tri;
        tri << QPoint(cx - 2, cy - 4) << QPoint(cx + 2, cy) << QPoint(cx - 2, cy + 4);
        p->setPen(Qt::NoPen);
        p->setBrush(textColor);
        p->drawPolygon(tri);
    }
    p->restore();
}

} // namespace tralcon
