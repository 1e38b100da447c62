#pragma once
// The one transient editor placed over a grid or tree cell. At most one
// exists; it writes every change straight through its handler and goes away
// when it loses the focus, after which no change reaches its handler.

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTime>

#include <functional>

class QDateEdit;
class QLineEdit;
class QTimeEdit;

namespace tralcon {

class TvxSpinEdit;

class TInplaceEditor : public QObject {
    Q_OBJECT
  public:
    explicit TInplaceEditor(QObject* parent = nullptr);
    ~TInplaceEditor() override;

    // A grid cell's editor covers the cell less one pixel on every side; a
    // tree cell's covers the whole cell.
    static QRect GridEditorRect(const QRect& cell) { return cell.adjusted(1, 1, -1, -1); }

    TvxSpinEdit* OpenSpin(QWidget* parent, const QRect& rect, int minValue, int maxValue, int step,
                          int value, const QString& suffix, std::function<void(int)> onChange);
    QLineEdit* OpenText(QWidget* parent, const QRect& rect, const QString& text, int maxLength,
                        std::function<void(const QString&)> onChange);
    QTimeEdit* OpenTime(QWidget* parent, const QRect& rect, const QTime& value,
                        const QString& format, const QTime& minTime, const QTime& maxTime,
                        std::function<void(const QTime&)> onChange);
    QDateEdit* OpenDate(QWidget* parent, const QRect& rect, const QDate& value,
                        const QString& format, const QDate& minDate, const QDate& maxDate,
                        std::function<void(const QDate&)> onChange);

    // Discards the editor, if any.
    void Close();
    QWidget* Editor() const { return FEditor; }
    // A number for each editor opened: the changes one editor makes (a run
    // of typing) can be told apart from the next editor's.
    int Session() const { return FSession; }
    bool IsOpen() const { return !FEditor.isNull(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Install(QWidget* editor, const QRect& rect, QMetaObject::Connection change);

    QPointer<QWidget> FEditor;
    int FSession = 0;
    QMetaObject::Connection FChange;
};

} // namespace tralcon
