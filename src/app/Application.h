#pragma once
// The application object: an exception that escapes an event handler is
// shown in the standard error box and the program goes on.

#include <QApplication>

#include <functional>

namespace tralcon {

inline constexpr const char* kApplicationTitle = "Конфигуратор контроллеров НВТ";

class TApplication : public QApplication {
    Q_OBJECT
  public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Qt's own texts (file dialogs, standard buttons) in Russian, as every
    // other text of the program; false when the translation is not
    // installed, and the texts stay English.
    static bool InstallQtTranslation(QCoreApplication& app);

    // Shows an escaped exception's message; the standard error box unless
    // replaced.
    std::function<void(const QString& message)> OnException;
};

} // namespace tralcon
