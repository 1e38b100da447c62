#pragma once
// The numeric edit: an integer with up and down buttons, a range, a step and
// a suffix shown after the number, drawn flat with a one-pixel border and
// buttons in colours of its owner's choice.

#include <QColor>
#include <QSpinBox>

namespace tralcon {

class TvxSpinEdit : public QSpinBox {
    Q_OBJECT
  public:
    explicit TvxSpinEdit(QWidget* parent = nullptr);

    int MinValue() const { return minimum(); }
    int MaxValue() const { return maximum(); }
    // Narrowing the range clamps the value into it (a change is reported
    // when that moves the value).
    void SetMinValue(int v) { setMinimum(v); }
    void SetMaxValue(int v) { setMaximum(v); }
    int Increment() const { return singleStep(); }
    void SetIncrement(int v) { setSingleStep(v); }
    int Value() const { return value(); }
    // Clamps into the range; Change fires only when the value moves.
    void SetValue(int v) { setValue(v); }
    // Shown after the number with a blank between, e.g. "3 с".
    QString Suffix() const { return FSuffix; }
    void SetSuffix(const QString& s);
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool on);

    QColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(const QColor& c);
    QColor ButtonColor() const { return FButtonColor; }
    void SetButtonColor(const QColor& c);

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

  signals:
    // The value changed (by typing, the buttons, the keys or SetValue).
    void Change(int value);
    void Enter();
    void Exit();

  protected:
    int valueFromText(const QString& text) const override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    // The number part of a text, the suffix and blanks removed.
    QString Digits(const QString& text) const;

    QString FSuffix;
    QColor FBorderColor{0, 60, 115};
    QColor FButtonColor{254, 254, 254};
};

} // namespace tralcon
