#pragma once
// A page printed to PDF on A4 and written whole (a failed print leaves no
// file and keeps an old one).

#include <QString>

#include <functional>

class QWebEnginePage;

namespace tralcon {

void PrintPageToPdf(QWebEnginePage* page, const QString& path,
                    std::function<void(bool ok, const QString& error)> done);

} // namespace tralcon
