// The entry points of libtralcon_viewer.so (see ChmViewer.h).

#include "viewer/ChmArchive.h"
#include "viewer/ChmSchemeHandler.h"
#include "viewer/ChmViewer.h"
#include "viewer/ChmViewerWindow.h"
#include "viewer/PdfPrint.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <memory>

namespace {

using namespace tralcon;

std::shared_ptr<const TChmArchive> OpenArchive(const QString& path, QString* error) {
    auto archive = std::make_shared<const TChmArchive>(path.toStdString());
    if (archive->Valid())
        return archive;
    if (error)
        *error = QFileInfo::exists(path)
                     ? QStringLiteral("Файл %1 поврежден или не является файлом справки").arg(path)
                     : QStringLiteral("Файл %1 не найден").arg(path);
    return nullptr;
}

} // namespace

extern "C" __attribute__((visibility("default"))) bool
TralconShowChm(QWidget* parent, const QString* chm, const QString* page, QString* error) {
    PrepareWebEngine();
    auto archive = OpenArchive(*chm, error);
    if (!archive)
        return false;
    auto* window = new TChmViewerWindow(std::move(archive), *chm, parent);
    window->setWindowFlag(Qt::Window);
    window->ShowPage(page->isEmpty() ? QStringLiteral("index.htm") : *page);
    window->show();
    window->raise();
    return true;
}

extern "C" __attribute__((visibility("default"))) bool
TralconPrintChmToPdf(const char* chm, const char* page, const char* pdf, std::string* error) {
    PrepareWebEngine();
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        static int argc = 1;
        static char name[] = "tralcon-cli";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv); // lives as long as the process
    }
    QString why;
    auto archive = OpenArchive(QString::fromUtf8(chm), &why);
    bool ok = false;
    if (archive) {
        QWebEngineProfile profile;
        profile.installUrlSchemeHandler(kChmScheme, new TChmSchemeHandler(archive, &profile));
        auto webPage = std::make_unique<QWebEnginePage>(&profile);
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
            why = QStringLiteral("Страница %1 не загрузилась").arg(QString::fromUtf8(page));
            loop.quit();
        });
        QObject::connect(webPage.get(), &QWebEnginePage::loadFinished, &loop, [&](bool loaded) {
            if (!loaded) {
                why = QStringLiteral("Страница %1 не загрузилась").arg(QString::fromUtf8(page));
                loop.quit();
                return;
            }
            PrintPageToPdf(webPage.get(), QString::fromUtf8(pdf),
                           [&](bool printed, const QString& error) {
                               ok = printed;
                               why = error;
                               loop.quit();
                           });
        });
        limit.start(120000);
        webPage->load(ChmUrl(QString::fromUtf8(page)));
        loop.exec();
        webPage.reset(); // before its profile
    }
    if (!ok && error)
        *error = why.toStdString();
    return ok;
}
