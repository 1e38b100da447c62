#include "widgets/HyperLabel.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tralcon {

THyperLabel::THyperLabel(const QString& text, const QUrl& url, QWidget* parent)
    : QLabel(text, parent), FUrl(url) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setTextFormat(Qt::PlainText);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    SetHot(false);
}

void THyperLabel::SetHot(bool hot) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, hot ? QColor(255, 0, 0) : QColor(0, 0, 255));
    setPalette(pal);
}

void THyperLabel::enterEvent(QEnterEvent* e) {
    SetHot(true);
    QLabel::enterEvent(e);
}

void THyperLabel::leaveEvent(QEvent* e) {
    SetHot(false);
    QLabel::leaveEvent(e);
}

void THyperLabel::Activate() {
    emit Clicked();
    if (OnClick)
        OnClick();
    else if (FUrl.isValid())
        QDesktopServices::openUrl(FUrl);
}

void THyperLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Activate();
    QLabel::mouseReleaseEvent(e);
}

void THyperLabel::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space) {
        Activate();
        return;
    }
    QLabel::keyPressEvent(e);
}

} // namespace tralcon
