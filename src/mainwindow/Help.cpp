#include "mainwindow/Help.h"

#include "platform/FileIO.h"

#include <QDesktopServices>
#include <QUrl>
#include <QVariant>
#include <QWidget>

namespace tralcon {

namespace {
constexpr const char* kProperty = "helpContext";
}

void SetHelpContext(QWidget* w, int context) {
    w->setProperty(kProperty, context);
}

int HelpContextOf(const QWidget* w) {
    for (; w != nullptr; w = w->parentWidget()) {
        const int c = w->property(kProperty).toInt();
        if (c != 0)
            return c;
    }
    return 0;
}

THelp::THelp(std::string programDir) : FProgramDir(std::move(programDir)) {}

std::string THelp::FilePath() const {
    return JoinPath(FProgramDir, kHelpFileName);
}

bool THelp::Available() const {
    return FileExists(FilePath());
}

bool THelp::ShowContext(int context) const {
    if (!Available() || context == 0)
        return false;
    // The desktop's viewer for compiled help opens the file; it offers no
    // way to name a topic by number, so the file opens at its start.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(FilePath())));
}

bool THelp::ShowDefault() const {
    if (!Available())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(FilePath())));
}

} // namespace tralcon
