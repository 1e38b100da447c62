// tralcon: the configurator of NVT-3 traffic-signal controllers.

#include "mainwindow/Main.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/ProgramFiles.h"
#include "mainwindow/About.h"
#include "widgets/MenuStyle.h"

#include <QTimer>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

using namespace tralcon;

void Print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

// With no one at the screen to close a message box, messages go to standard
// error instead.
class TConsoleDialogs : public TMainDialogs {
  public:
    void ShowMessage(QWidget*, const QString& caption, const QString& text,
                     QMessageBox::Icon) override {
        Print(stderr, caption + QStringLiteral(": ") + text + QLatin1Char('\n'));
    }
    void ShowException(QWidget*, const QString& text) override {
        Print(stderr, text + QLatin1Char('\n'));
    }
    TSaveChoice AskSaveChanges(QWidget*, const QString&) override { return TSaveChoice::Discard; }
    bool ConfirmDespiteErrors(QWidget*, const QString&) override { return false; }
};

} // namespace

int main(int argc, char** argv) {
    QStringList all;
    for (int i = 0; i < argc; ++i)
        all << QString::fromLocal8Bit(argv[i]);
    const TCommandLine line = ParseCommandLine(all);
    switch (line.Action) {
    case TCommandLine::TAction::Help:
    case TCommandLine::TAction::Version:
        Print(stdout, line.Text);
        return 0;
    case TCommandLine::TAction::Paths:
        Print(stdout, ProgramFilesReport(TMainFormEnv::FromProcess({})));
        return 0;
    case TCommandLine::TAction::Error:
        Print(stderr, line.Text);
        return 2;
    case TCommandLine::TAction::Run:
        break;
    }

    // The passport and help viewer (Qt WebEngine, loaded on first use) needs
    // this before the application object; it costs nothing until then.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TApplication app(argc, argv);
    std::vector<std::string> args;
    if (!line.Project.isEmpty())
        args.push_back(line.Project.toStdString());
    TMainFormEnv env = TMainFormEnv::FromProcess(args);
    TConsoleDialogs console;
    const bool unattended = !line.Screenshot.isEmpty();
    if (unattended) {
        env.Dialogs = &console;
        app.OnException = [&console](const QString& message) {
            console.ShowException(nullptr, message);
        };
    }

    TMainForm form(std::move(env));
    if (form.StartupFailed())
        return 1;
    form.About = new TAbout(&form);
    try {
        form.OpenCommandLineProject();
    } catch (const std::exception& e) {
        app.OnException(QString::fromUtf8(e.what()));
        return 1;
    }
    form.show();
    if (unattended) {
        QTimer::singleShot(0, &form, [&] {
            if (form.grab().save(line.Screenshot, "PNG")) {
                app.exit(0);
                return;
            }
            Print(stderr,
                  QStringLiteral("Не удалось записать снимок окна в %1\n").arg(line.Screenshot));
            app.exit(1);
        });
    }
    return app.exec();
}
