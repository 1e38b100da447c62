// The passport command of the main window: the save dialog's name rules, the
// build into the chosen file and the viewer opening it, or "Отчет не создан".

#include "GuiTestUtil.h"

#include <QtTest>

#include <filesystem>

using namespace tralcon;
using namespace tralcon::test;

namespace fs = std::filesystem;

namespace {

struct TPassportWindow {
    TWindowFixture Fx;
    QStringList Shown; // the passports the viewer was asked to open

    // templateFrom: a template folder to copy beside the window's program,
    // or none for a program folder without one.
    explicit TPassportWindow(const std::string& templateFrom) {
        if (!templateFrom.empty())
            fs::copy(templateFrom, Fx.Dir.File(kPassportTemplateFolder),
                     fs::copy_options::recursive);
        Fx.Form.reset();
        TMainFormEnv env = Fx.Env({});
        env.ShowPassport = [this](QWidget*, const QString& path, QString*) {
            Shown << path;
            return true;
        };
        Fx.Form = std::make_unique<TMainForm>(env);
    }
};

} // namespace

class TPassportCommandTest : public QObject {
    Q_OBJECT
  private slots:
    void buildsAndOpensThePassport();
    void dialogNameRules();
    void failureSaysReportNotCreated();
};

void TPassportCommandTest::buildsAndOpensThePassport() {
    if (std::system("command -v chmcmd >/dev/null 2>&1") != 0)
        QSKIP("chmcmd (fp-utils) is not installed");
    TPassportWindow w(std::string(TRALCON_BIN_DIR) + "/" + kPassportTemplateFolder);
    const QString out = QString::fromStdString(w.Fx.Dir.File("Паспорт.chm"));
    w.Fx.Dialogs.SaveAnswers.push_back(out);
    w.Fx.Form->actPrint->trigger();
    QCOMPARE(w.Fx.Dialogs.SaveSpecs.size(), 1);
    QCOMPARE(w.Fx.Dialogs.SaveSpecs[0].Title, QStringLiteral("Сохранение отчета"));
    QCOMPARE(w.Fx.Dialogs.SaveSpecs[0].Filter, QStringLiteral("Файлы HtmlHelp (*.chm)"));
    QCOMPARE(w.Fx.Dialogs.SaveSpecs[0].DefaultSuffix, QStringLiteral("chm"));
    QVERIFY(w.Fx.Dialogs.SaveSpecs[0].ConfirmOverwrite);
    QVERIFY(w.Fx.Dialogs.Messages.isEmpty());
    QCOMPARE(w.Shown, QStringList{out});
    QCOMPARE(ReadBytes(out.toStdString()).substr(0, 4), std::string("ITSF"));
    // The dialog keeps the chosen name for the next time.
    w.Fx.Dialogs.SaveAnswers.push_back(std::nullopt);
    w.Fx.Form->actPrint->trigger();
    QCOMPARE(w.Fx.Dialogs.SaveOffered.last(), out);
}

void TPassportCommandTest::dialogNameRules() {
    TPassportWindow w("");
    // First use: the project's name is offered; cancelling forgets it again.
    w.Fx.Form->actPrint->trigger();
    QCOMPARE(w.Fx.Dialogs.SaveOffered.last(), QStringLiteral("Новый перекресток.chm"));
    w.Fx.Form->actPrint->trigger();
    QCOMPARE(w.Fx.Dialogs.SaveOffered.last(), QStringLiteral("Новый перекресток.chm"));
    QVERIFY(w.Shown.isEmpty());
    QVERIFY(w.Fx.Dialogs.Messages.isEmpty());
}

void TPassportCommandTest::failureSaysReportNotCreated() {
    TPassportWindow w(""); // no template beside the program
    const QString out = QString::fromStdString(w.Fx.Dir.File("a.chm"));
    WriteBytes(out.toStdString(), "old passport");
    w.Fx.Dialogs.SaveAnswers.push_back(out);
    w.Fx.Form->actPrint->trigger();
    QCOMPARE(w.Fx.Dialogs.Messages.size(), 1);
    const QString text = w.Fx.Dialogs.Messages[0].Text;
    QVERIFY2(text.startsWith(QStringLiteral("Отчет не создан")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Шаблон паспорта")), qPrintable(text));
    // The old file is neither replaced nor shown as the new passport.
    QVERIFY(w.Shown.isEmpty());
    QCOMPARE(ReadBytes(out.toStdString()), std::string("old passport"));
    QVERIFY(w.Fx.Dialogs.Exceptions.isEmpty());
}

QTEST_MAIN(TPassportCommandTest)
#include "PassportCommandTest.moc"
