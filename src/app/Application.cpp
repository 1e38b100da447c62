#include "app/Application.h"

#include "mainwindow/MainServices.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <exception>

namespace tralcon {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("tralcon"));
    setProperty("applicationTitle", QString::fromUtf8(kApplicationTitle));
    InstallQtTranslation(*this);
    OnException = [](const QString& message) {
        TMainDialogs dialogs;
        dialogs.ShowException(QApplication::activeWindow(), message);
    };
}

bool TApplication::InstallQtTranslation(QCoreApplication& app) {
    // The program speaks Russian whatever the desktop's language is.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* qt = new QTranslator(&app);
    if (!qt->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    return QCoreApplication::installTranslator(qt);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (OnException)
            OnException(QString::fromUtf8(e.what()));
    } catch (...) {
        if (OnException)
            OnException(QStringLiteral("Внутренняя ошибка программы"));
    }
    return false;
}

} // namespace tralcon
