#include "widgets/InplaceEditor.h"

#include "widgets/vxEdit.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDateEdit>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimeEdit>
#include <QTimer>

namespace tralcon {

TInplaceEditor::TInplaceEditor(QObject* parent) : QObject(parent) {}

TInplaceEditor::~TInplaceEditor() {
    Close();
}

void TInplaceEditor::Install(QWidget* editor, const QRect& rect, QMetaObject::Connection change) {
    ++FSession;
    FEditor = editor;
    FChange = change;
    editor->setGeometry(rect);
    editor->installEventFilter(this);
    // The keys reach the editor's inner line edit, not the editor itself.
    for (QWidget* inner : editor->findChildren<QWidget*>())
        inner->installEventFilter(this);
    editor->show();
    editor->raise();
    editor->setFocus(Qt::OtherFocusReason);
}

TvxSpinEdit* TInplaceEditor::OpenSpin(QWidget* parent, const QRect& rect, int minValue,
                                      int maxValue, int step, int value, const QString& suffix,
                                      std::function<void(int)> onChange) {
    Close();
    auto* e = new TvxSpinEdit(parent);
    e->SetMinValue(minValue);
    e->SetMaxValue(maxValue);
    e->SetIncrement(step);
    e->SetSuffix(suffix);
    e->SetValue(value);
    e->SetBorderColor(QColor(0, 0, 255));
    e->SetButtonColor(QColor(254, 254, 254));
    e->setCursor(Qt::SplitVCursor);
    Install(e, rect, connect(e, &TvxSpinEdit::Change, this, [onChange](int v) {
                if (onChange)
                    onChange(v);
            }));
    return e;
}

QLineEdit* TInplaceEditor::OpenText(QWidget* parent, const QRect& rect, const QString& text,
                                    int maxLength, std::function<void(const QString&)> onChange) {
    Close();
    auto* e = new QLineEdit(parent);
    e->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid rgb(0,0,255); "
                                    "background: white; padding: 0px; }"));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    e->setText(text);
    Install(e, rect, connect(e, &QLineEdit::textEdited, this, [onChange](const QString& t) {
                if (onChange)
                    onChange(t);
            }));
    e->selectAll();
    return e;
}

QTimeEdit* TInplaceEditor::OpenTime(QWidget* parent, const QRect& rect, const QTime& value,
                                    const QString& format, const QTime& minTime,
                                    const QTime& maxTime,
                                    std::function<void(const QTime&)> onChange) {
    Close();
    auto* e = new QTimeEdit(parent);
    e->setDisplayFormat(format);
    e->setTimeRange(minTime, maxTime);
    e->setTime(value);
    Install(e, rect, connect(e, &QTimeEdit::timeChanged, this, [onChange](const QTime& t) {
                if (onChange)
                    onChange(t);
            }));
    return e;
}

QDateEdit* TInplaceEditor::OpenDate(QWidget* parent, const QRect& rect, const QDate& value,
                                    const QString& format, const QDate& minDate,
                                    const QDate& maxDate,
                                    std::function<void(const QDate&)> onChange) {
    Close();
    auto* e = new QDateEdit(parent);
    e->setDisplayFormat(format);
    e->setDateRange(minDate, maxDate);
    e->setCalendarPopup(true);
    e->setDate(value);
    Install(e, rect, connect(e, &QDateEdit::dateChanged, this, [onChange](const QDate& d) {
                if (onChange)
                    onChange(d);
            }));
    return e;
}

void TInplaceEditor::Close() {
    if (FChange)
        disconnect(FChange);
    FChange = {};
    QWidget* e = FEditor;
    FEditor = nullptr;
    if (e == nullptr)
        return;
    e->removeEventFilter(this);
    for (QWidget* inner : e->findChildren<QWidget*>())
        inner->removeEventFilter(this);
    QWidget* parent = e->parentWidget();
    // Over a grid's viewport, the grid itself takes the keys again.
    if (auto* area = parent != nullptr ? qobject_cast<QAbstractScrollArea*>(parent->parentWidget())
                                       : nullptr;
        area != nullptr && area->viewport() == parent)
        parent = area;
    const bool hadFocus = e->hasFocus() || e->isAncestorOf(QApplication::focusWidget());
    e->hide();
    if (hadFocus && parent != nullptr)
        parent->setFocus(Qt::OtherFocusReason);
    // Deleted later: this may run inside the editor's own focus handler.
    e->deleteLater();
}

bool TInplaceEditor::eventFilter(QObject* watched, QEvent* event) {
    // Escape and Enter end the editing; every change is already written.
    if (event->type() == QEvent::KeyPress && FEditor != nullptr &&
        (watched == FEditor || FEditor->isAncestorOf(qobject_cast<QWidget*>(watched)))) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            Close();
            return true;
        }
    }
    if (watched == FEditor && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A picker's own pop-up and a switch to another window keep it.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            QTimer::singleShot(0, this, [this, e = FEditor] {
                if (FEditor == e && e != nullptr && !e->hasFocus())
                    Close();
            });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tralcon
