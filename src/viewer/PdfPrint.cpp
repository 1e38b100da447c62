#include "viewer/PdfPrint.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSaveFile>
#include <QWebEnginePage>

namespace tralcon {

void PrintPageToPdf(QWebEnginePage* page, const QString& path,
                    std::function<void(bool ok, const QString& error)> done) {
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 12, 15),
                         QPageLayout::Millimeter);
    page->printToPdf(
        [path, done = std::move(done)](const QByteArray& pdf) {
            if (pdf.isEmpty()) {
                done(false, QStringLiteral("Страница не напечатана в PDF"));
                return;
            }
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() ||
                !file.commit()) {
                done(false, QStringLiteral("Не удалось записать файл %1: %2")
                                .arg(path, file.errorString()));
                return;
            }
            done(true, QString());
        },
        a4);
}

} // namespace tralcon
