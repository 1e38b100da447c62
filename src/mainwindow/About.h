#pragma once
// "О программе": the program's caption, its version and the legal notice.

#include <QDialog>

namespace tralcon {

// The version of this build, " Beta" added for a pre-release.
QString ProgramVersionText();
QString LegalNotice();

class TAbout : public QDialog {
    Q_OBJECT
  public:
    explicit TAbout(QWidget* parent = nullptr);
};

} // namespace tralcon
