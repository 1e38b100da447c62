#include "viewer/ChmSchemeHandler.h"

#include <QBuffer>
#include <QFileInfo>
#include <QUrl>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <unistd.h>

namespace tralcon {

void PrepareWebEngine() {
    static bool done = false;
    if (done)
        return;
    done = true;
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QWebEngineUrlScheme scheme(kChmScheme);
    // Path syntax: chm:/a/b.htm, so "b.htm" next to it resolves as a file
    // beside it; local, so its pages may show their own pictures.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl ChmUrl(const QString& page) {
    QUrl url;
    url.setScheme(QString::fromLatin1(kChmScheme));
    const QString hash = page.section(QLatin1Char('#'), 1);
    QString path = page.section(QLatin1Char('#'), 0, 0);
    url.setPath(path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path);
    if (!hash.isEmpty())
        url.setFragment(hash);
    return url;
}

TChmSchemeHandler::TChmSchemeHandler(std::shared_ptr<const TChmArchive> archive, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), FArchive(std::move(archive)) {}

QByteArray TChmSchemeHandler::MimeType(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("htm") || ext == QLatin1String("html"))
        return "text/html";
    if (ext == QLatin1String("css"))
        return "text/css";
    if (ext == QLatin1String("js"))
        return "text/javascript";
    if (ext == QLatin1String("gif"))
        return "image/gif";
    if (ext == QLatin1String("png"))
        return "image/png";
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return "image/jpeg";
    if (ext == QLatin1String("svg"))
        return "image/svg+xml";
    return "application/octet-stream";
}

void TChmSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QString path = job->requestUrl().path(QUrl::FullyDecoded);
    std::string bytes;
    if (!FArchive || !FArchive->Read(path.toStdString(), &bytes)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    buffer->open(QIODevice::ReadOnly);
    job->reply(MimeType(path), buffer);
}

} // namespace tralcon
