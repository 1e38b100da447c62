#pragma once
// Help context numbers on controls: every window's controls carry the number
// of their help topic, or inherit their nearest parent's.

class QWidget;

namespace tralcon {

void SetHelpContext(QWidget* w, int context);
// The control's own number, else its nearest parent's, else 0.
int HelpContextOf(const QWidget* w);

} // namespace tralcon
