#pragma once
// Serves the files of one compiled help file to WebEngine under the scheme
// "chm": chm:/index.htm is the archive's /index.htm, and relative links
// resolve within it.

#include "viewer/ChmArchive.h"

#include <QWebEngineUrlSchemeHandler>

#include <memory>

namespace tralcon {

inline constexpr const char* kChmScheme = "chm";

// Registers the scheme with WebEngine's URL parser; must come before
// WebEngine starts. As root WebEngine runs only without its sandbox, which
// is switched off here and only then.
void PrepareWebEngine();

// chm:/page for a page name ("index.htm" or "/index.htm").
QUrl ChmUrl(const QString& page);

class TChmSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
  public:
    TChmSchemeHandler(std::shared_ptr<const TChmArchive> archive, QObject* parent);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

    static QByteArray MimeType(const QString& path);

  private:
    std::shared_ptr<const TChmArchive> FArchive;
};

} // namespace tralcon
