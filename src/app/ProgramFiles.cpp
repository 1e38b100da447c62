#include "app/ProgramFiles.h"

#include "flash/ProgrammerLibrary.h"
#include "mainwindow/MainServices.h"
#include "platform/AppPaths.h"

#include <sys/stat.h>

namespace tralcon {

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

QString Line(const char* what, const std::string& path, const char* missing) {
    return QStringLiteral("%1: %2%3\n")
        .arg(QString::fromUtf8(what), QString::fromStdString(path),
             Exists(path) ? QString() : QString::fromUtf8(missing));
}

} // namespace

QString ProgramFilesReport(const TMainFormEnv& env) {
    return Line("Каталог моделей", env.ConfigPath, " (нет файла)") +
           Line("Справка", env.HelpPath, " (нет файла)") +
           Line("Шаблон паспорта", FindProgramData(env.ProgramDir, kPassportTemplateName),
                " (нет папки)") +
           Line("Программатор", FindProgrammerLibrary(env.ProgramDir), " (нет файла)") +
           Line("Настройки", env.SettingsPath, " (будет создан)");
}

} // namespace tralcon
