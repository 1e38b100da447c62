#pragma once
// A label that reads and behaves like a link: blue and underlined, a hand
// cursor, a highlight while the pointer is over it, and a click that opens
// its address (or runs the owner's handler instead).

#include <QLabel>
#include <QUrl>

#include <functional>

namespace tralcon {

class THyperLabel : public QLabel {
    Q_OBJECT
  public:
    explicit THyperLabel(const QString& text = {}, const QUrl& url = {}, QWidget* parent = nullptr);

    QUrl Url() const { return FUrl; }
    void SetUrl(const QUrl& url) { FUrl = url; }

    // Replaces opening the address.
    std::function<void()> OnClick;

  signals:
    void Clicked();

  protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void SetHot(bool hot);
    void Activate();

    QUrl FUrl;
};

} // namespace tralcon
