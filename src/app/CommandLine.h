#pragma once
// The program's command line: "tralcon [OPTIONS] [PROJECT.NVT]". Read before
// any window system is touched, so --help and --version work without a
// display; Qt's own options (-platform, -style, ...) pass through to Qt.

#include <QString>
#include <QStringList>

namespace tralcon {

struct TCommandLine {
    enum class TAction { Run, Help, Version, Paths, Error };
    TAction Action = TAction::Run;
    QString Project;    // the project to open, empty for none
    QString Screenshot; // --screenshot: where to save the picture of the window
    QString Text;       // what to print: the help, the version, or the error
};

// args as the process got them, the program name first. Errors carry the
// message to print on standard error (exit status 2).
TCommandLine ParseCommandLine(const QStringList& args);

} // namespace tralcon
