#include "app/CommandLine.h"

#include <QCommandLineParser>

#ifndef TRALCON_VERSION
#define TRALCON_VERSION "0.0.0"
#endif

namespace tralcon {

namespace {

// The options QGuiApplication takes out of the command line itself; known
// here only so that they are not refused, and never shown in the help.
const char* const kQtValueOptions[] = {
    "platform", "platformpluginpath", "platformtheme",   "plugin",
    "style",    "stylesheet",         "session",         "display",
    "geometry", "qwindowgeometry",    "qwindowicon",     "qwindowtitle",
    "title",    "qmljsdebugger",      "widgetcount-file"};
const char* const kQtFlagOptions[] = {"reverse", "widgetcount", "nograb",
                                      "dograb",  "sync",        "testability"};

QString Usage(const QString& program) {
    return QStringLiteral("Использование: %1 [ПАРАМЕТРЫ] [ПРОЕКТ.NVT]\n"
                          "Конфигуратор контроллеров НВТ: открывает проект светофорного "
                          "объекта (или новый проект, если файл не указан).\n\n"
                          "Параметры:\n"
                          "  -h, --help             эта справка\n"
                          "  -v, --version          версия программы\n"
                          "      --paths            где программа нашла свои файлы "
                          "(каталог, справку, шаблон паспорта, программатор, настройки)\n"
                          "      --screenshot FILE  запустить, сохранить снимок главного окна "
                          "в FILE (PNG) и выйти\n\n"
                          "Ошибка в командной строке завершает программу с кодом 2.\n")
        .arg(program);
}

// The option as it was typed ("-x", "--frobnicate"), for the message.
QString AsTyped(const QStringList& args, const QString& name) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--"))
            break;
        QString bare = a.section(QLatin1Char('='), 0, 0);
        if (!bare.startsWith(QLatin1Char('-')))
            continue;
        const QString typed = bare;
        while (bare.startsWith(QLatin1Char('-')))
            bare.remove(0, 1);
        if (bare == name)
            return typed;
    }
    return name;
}

} // namespace

TCommandLine ParseCommandLine(const QStringList& args) {
    TCommandLine r;
    const QString program = args.isEmpty() ? QStringLiteral("tralcon") : args.first();

    QCommandLineParser parser;
    // Qt's own options are single-dash words ("-platform offscreen").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption paths(QStringLiteral("paths"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(),
                                        QStringLiteral("FILE"));
    parser.addOptions({help, version, paths, screenshot});
    for (const char* name : kQtValueOptions) {
        QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    for (const char* name : kQtFlagOptions) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }

    auto fail = [&](const QString& why) {
        r.Action = TCommandLine::TAction::Error;
        r.Text = QStringLiteral("%1: %2\nСправка: %1 --help\n").arg(program, why);
        return r;
    };

    if (!parser.parse(args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return fail(
                QStringLiteral("неизвестный параметр %1").arg(AsTyped(args, unknown.first())));
        return fail(parser.errorText());
    }
    if (parser.isSet(help)) {
        r.Action = TCommandLine::TAction::Help;
        r.Text = Usage(program);
        return r;
    }
    if (parser.isSet(version)) {
        r.Action = TCommandLine::TAction::Version;
        r.Text = QStringLiteral("tralcon " TRALCON_VERSION "\n");
        return r;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return fail(
            QStringLiteral("лишний аргумент %1: открывается один проект").arg(positional[1]));
    if (!positional.isEmpty()) {
        if (positional.first().isEmpty())
            return fail(QStringLiteral("пустое имя файла проекта"));
        r.Project = positional.first();
    }
    if (parser.isSet(paths)) {
        r.Action = TCommandLine::TAction::Paths;
        return r;
    }
    if (parser.isSet(screenshot)) {
        r.Screenshot = parser.value(screenshot);
        if (r.Screenshot.isEmpty())
            return fail(QStringLiteral("--screenshot: нужно имя файла"));
    }
    return r;
}

} // namespace tralcon
