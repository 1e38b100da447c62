#include "app/Application.h"

#include "mainwindow/MainServices.h"

#include <exception>

namespace tralcon {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("tralcon"));
    setProperty("applicationTitle", QString::fromUtf8(kApplicationTitle));
    OnException = [](const QString& message) {
        TMainDialogs dialogs;
        dialogs.ShowException(QApplication::activeWindow(), message);
    };
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
