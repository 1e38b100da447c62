// tralcon: the configurator of NVT-3 traffic-signal controllers.

#include "mainwindow/Main.h"
#include "app/Application.h"
#include "mainwindow/About.h"
#include "widgets/MenuStyle.h"

#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace tralcon;
    TApplication app(argc, argv);

    // Qt has taken its own options; what is left is ours.
    std::vector<std::string> args;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i)
        args.push_back(all[i].toStdString());

    TMainForm form(TMainFormEnv::FromProcess(args));
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
    return app.exec();
}
