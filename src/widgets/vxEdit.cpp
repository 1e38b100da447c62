#include "widgets/vxEdit.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>

namespace tralcon {

namespace {

constexpr int kButtonWidth = 15;

// Geometry and look of the numeric edit: a frame of one pixel in the edit's
// border colour, the text field, and two stacked buttons at the right.
class TSpinEditStyle : public QProxyStyle {
  public:
    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* w) const override {
        if (cc != CC_SpinBox)
            return QProxyStyle::subControlRect(cc, opt, sc, w);
        const QRect r = opt->rect;
        const auto* sb = qstyleoption_cast<const QStyleOptionSpinBox*>(opt);
        const bool buttons = sb == nullptr || sb->buttonSymbols != QAbstractSpinBox::NoButtons;
        const int bw = buttons ? kButtonWidth : 0;
        const int inner = std::max(0, r.height() - 2);
        switch (sc) {
        case SC_SpinBoxFrame:
            return r;
        case SC_SpinBoxEditField:
            return QRect(r.left() + 2, r.top() + 1, std::max(0, r.width() - bw - 4), inner);
        case SC_SpinBoxUp:
            return buttons ? QRect(r.right() - bw, r.top() + 1, bw, inner / 2) : QRect();
        case SC_SpinBoxDown:
            return buttons ? QRect(r.right() - bw, r.top() + 1 + inner / 2, bw, inner - inner / 2)
                           : QRect();
        default:
            return QProxyStyle::subControlRect(cc, opt, sc, w);
        }
    }

    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                            const QWidget* w) const override {
        const auto* edit = qobject_cast<const TvxSpinEdit*>(w);
        const auto* sb = qstyleoption_cast<const QStyleOptionSpinBox*>(opt);
        if (cc != CC_SpinBox || edit == nullptr || sb == nullptr) {
            QProxyStyle::drawComplexControl(cc, opt, p, w);
            return;
        }
        p->save();
        const QRect r = opt->rect;
        const bool enabled = opt->state & State_Enabled;
        p->fillRect(r, enabled ? opt->palette.color(QPalette::Base)
                               : opt->palette.color(QPalette::Window));
        if (sb->buttonSymbols != QAbstractSpinBox::NoButtons) {
            DrawButton(p, sb, w, SC_SpinBoxUp, QAbstractSpinBox::StepUpEnabled, edit, true);
            DrawButton(p, sb, w, SC_SpinBoxDown, QAbstractSpinBox::StepDownEnabled, edit, false);
        }
        p->setPen(QPen(edit->BorderColor(), 0));
        p->setBrush(Qt::NoBrush);
        p->drawRect(r.adjusted(0, 0, -1, -1));
        p->restore();
    }

    QSize sizeFromContents(ContentsType ct, const QStyleOption* opt, const QSize& contents,
                           const QWidget* w) const override {
        if (ct != CT_SpinBox)
            return QProxyStyle::sizeFromContents(ct, opt, contents, w);
        return QSize(contents.width() + kButtonWidth + 6, std::max(contents.height() + 4, 20));
    }

  private:
    void DrawButton(QPainter* p, const QStyleOptionSpinBox* sb, const QWidget* w, SubControl sc,
                    QAbstractSpinBox::StepEnabledFlag flag, const TvxSpinEdit* edit,
                    bool up) const {
        const QRect b = subControlRect(CC_SpinBox, sb, sc, w);
        if (b.isEmpty())
            return;
        const bool pressed = (sb->activeSubControls & sc) && (sb->state & State_Sunken);
        const bool enabled = (sb->stepEnabled & flag) && (sb->state & State_Enabled);
        p->fillRect(b, pressed ? edit->ButtonColor().darker(115) : edit->ButtonColor());
        p->setPen(QPen(edit->BorderColor(), 0));
        p->drawLine(b.left() - 1, b.top(), b.left() - 1, b.bottom());
        if (!up)
            p->drawLine(b.left(), b.top(), b.right(), b.top());
        // A small triangle, pointing up or down.
        const int cx = b.center().x() + (pressed ? 1 : 0);
        const int cy = b.center().y() + (pressed ? 1 : 0);
        const int half = std::clamp(b.height() / 3, 1, 3);
        QPolygon tri;
        if (up)
            tri << QPoint(cx - half, cy + half / 2 + 1) << QPoint(cx + half, cy + half / 2 + 1)
                << QPoint(cx, cy - half / 2 - 1 + (half > 1 ? 0 : 1));
        else
            tri << QPoint(cx - half, cy - half / 2) << QPoint(cx + half, cy - half / 2)
                << QPoint(cx, cy + half / 2 + 1);
        p->setPen(Qt::NoPen);
        p->setBrush(enabled ? QColor(Qt::black)
                            : sb->palette.color(QPalette::Disabled, QPalette::WindowText));
        p->drawPolygon(tri);
    }
};

QStyle* SpinEditStyle() {
    static QPointer<TSpinEditStyle> style;
    if (style.isNull()) {
        style = new TSpinEditStyle;
        style->setParent(qApp);
    }
    return style;
}

} // namespace

TvxSpinEdit::TvxSpinEdit(QWidget* parent) : QSpinBox(parent) {
    setStyle(SpinEditStyle());
    setFrame(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
    lineEdit()->setPalette(pal);
    connect(this, &QSpinBox::valueChanged, this, &TvxSpinEdit::Change);
}

void TvxSpinEdit::SetSuffix(const QString& s) {
    FSuffix = s;
    setSuffix(s.isEmpty() ? QString() : QStringLiteral(" ") + s);
}

void TvxSpinEdit::SetReadOnly(bool on) {
    setReadOnly(on);
}

void TvxSpinEdit::SetBorderColor(const QColor& c) {
    FBorderColor = c;
    update();
}

void TvxSpinEdit::SetButtonColor(const QColor& c) {
    FButtonColor = c;
    update();
}

QString TvxSpinEdit::Digits(const QString& text) const {
    QString t = text.trimmed();
    if (!suffix().isEmpty() && t.endsWith(suffix().trimmed()))
        t.chop(suffix().trimmed().size());
    return t.trimmed();
}

QValidator::State TvxSpinEdit::validate(QString& input, int&) const {
    const QString t = Digits(input);
    if (t.isEmpty() || (t == QLatin1String("-") && minimum() < 0))
        return QValidator::Intermediate;
    if (t.size() > 11)
        return QValidator::Invalid;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok)
        return QValidator::Invalid;
    // More digits only make a number larger, so a value above the maximum is
    // settled at once; one below the minimum may still be typed on and is
    // settled when the edit is left.
    if (v > maximum()) {
        input = textFromValue(maximum()) + suffix();
        return QValidator::Acceptable;
    }
    if (v < minimum())
        return QValidator::Intermediate;
    return QValidator::Acceptable;
}

void TvxSpinEdit::fixup(QString& input) const {
    const QString t = Digits(input);
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok)
        return;
    input =
        textFromValue(static_cast<int>(std::clamp<qlonglong>(v, minimum(), maximum()))) + suffix();
}

int TvxSpinEdit::valueFromText(const QString& text) const {
    bool ok = false;
    const qlonglong v = Digits(text).toLongLong(&ok);
    if (!ok)
        return value();
    return static_cast<int>(std::clamp<qlonglong>(v, minimum(), maximum()));
}

void TvxSpinEdit::focusInEvent(QFocusEvent* e) {
    QSpinBox::focusInEvent(e);
    emit Enter();
}

void TvxSpinEdit::focusOutEvent(QFocusEvent* e) {
    QSpinBox::focusOutEvent(e);
    emit Exit();
}

} // namespace tralcon
