// Saves pictures of the passport viewer: the top of the sample's passport
// and its phase sequence. viewer_screenshots OUTPUT_DIR. Not a test; run it
// under Xvfb.

#include "diagram/TimingDiagram.h"
#include "passport/PassportBuilder.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"
#include "platform/AppPaths.h"
#include "schemeview/SchemeImages.h"
#include "viewer/ChmViewer.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>

using namespace tralcon;

namespace {

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: viewer_screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const std::string source = TRALCON_SOURCE_DIR;
    auto config = LoadConfiguration(source + "/data/NVT-3.cfg");
    TLoadedProject loaded = LoadProject(source + "/data/examples/Sample.NVT", *config);
    const std::string chm = QDir(outDir).filePath(QStringLiteral("Sample.chm")).toStdString();
    TPassportOptions o;
    o.TemplateDir = PassportTemplateDir(ProgramDir());
    TPassportPictures pictures;
    pictures.Scheme = [&] { return WriteSchemeImage(*loaded.Scheme, *loaded.Project); };
    pictures.Phase = [&](int i) { return WritePhaseImage(*loaded.Scheme, *loaded.Project, i); };
    pictures.Cycle = [&](int i) { return TimingDiagramPng(*loaded.Project, i); };
    BuildPassport(*loaded.Project, chm, pictures, o);

    QString error;
    if (!ShowChm(nullptr, QString::fromStdString(chm), QStringLiteral("index.htm"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QWebEngineView* view = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if ((view = w->findChild<QWebEngineView*>()) != nullptr)
            break;
    if (view == nullptr)
        return 1;
    QWidget* window = view->window();
    const struct {
        const char* Anchor;
        const char* File;
    } shots[] = {{"object", "viewer-object.png"}, {"sequence", "viewer-sequence.png"}};
    Wait(4000);
    for (const auto& s : shots) {
        view->page()->runJavaScript(
            QStringLiteral("document.getElementById('%1').scrollIntoView()").arg(s.Anchor));
        Wait(1500);
        window->grab().save(QDir(outDir).filePath(QString::fromLatin1(s.File)));
    }
    QApplication::closeAllWindows();
    Wait(200);
    // Two topics of the program's help in the same viewer.
    const QString help = QString::fromStdString(ProgramDir() + "/NVT-3.chm");
    for (const char* topic : {"tutorial.htm", "scheme.htm"}) {
        if (!ShowChm(nullptr, help, QString::fromLatin1(topic), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        Wait(3000);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->findChild<QWebEngineView*>() != nullptr)
                w->grab().save(QDir(outDir).filePath(
                    QStringLiteral("help-%1.png")
                        .arg(QString::fromLatin1(topic).section(QLatin1Char('.'), 0, 0))));
        QApplication::closeAllWindows();
        Wait(200);
    }
    // The window, and with it WebEngine's page, goes before the profile.
    QApplication::closeAllWindows();
    Wait(200);
    return 0;
}
