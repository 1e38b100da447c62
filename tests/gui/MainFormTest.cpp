// The main window on the offscreen platform: start-up, the new-project and
// file commands, recent files, closing, the caption, the add and delete
// rules, the header's modified-flag rules, help, export and the error box.

#include "GuiTestUtil.h"

#include "app/Application.h"
#include "flash/ProgrammerLibrary.h"
#include "mainwindow/About.h"
#include "mainwindow/Help.h"
#include "widgets/DrawGrid.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"
#include "widgets/vxEdit.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>

using namespace tralcon;
using namespace tralcon::test;

namespace {

// Two models and the switches of the caller's choice.
std::string Catalogue(bool multiCascade, bool yearPlan, bool collisions) {
    std::string text = "[General]\n";
    if (multiCascade)
        text += "MultiCascade=0\n"; // presence counts, not the value
    if (yearPlan)
        text += "UseYearPlan=1\n";
    if (collisions)
        text += "UseCollisions=1\n";
    text += "[Model#0]\nID=10\nCaption=Малый\nRedOrder=1,2\nYellowOrder=4\nGreenOrder=8,10\n"
            "[Model#1]\nID=20\nCaption=Универсальный\nUniversalOrder=1,2,4\n";
    return Cp(text);
}

QStringList Captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

bool ButtonShown(const QPushButton* b) {
    auto* a = qobject_cast<QAction*>(b->property("toolbarAction").value<QObject*>());
    return a != nullptr && a->isVisible();
}

void TriggerModel(QMenu* menu, int index) {
    emit menu->aboutToShow();
    menu->actions().at(index)->trigger();
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
  private slots:
    void startupWithBundledCatalogue();
    void startupErrorsEndWithMessageBox_data();
    void startupErrorsEndWithMessageBox();
    void switchesHidePageButtons();
    void newProjectThroughMenus();
    void addingAndDeletingControllers();
    void openAndSaveRoundTrip();
    void failedOpenAndSaveChangeNothing();
    void realProjectFileRoundTrip();
    void opensAndResavesTheSampleCrossroad();
    void saveAsOffersTheNameWithoutBlanks();
    void recentFilesKeepFiveNewestFirst();
    void recentFilesSurviveARestart();
    void closingAsksAndCancelKeepsTheWindow();
    void replacingAModifiedProjectAsksFirst_data();
    void replacingAModifiedProjectAsksFirst();
    void captionRule();
    void menusOpenUnderTheirButtons();
    void commandLineProjectErrorEscapes();
    void gridScrollBarsFollowTheWindow();
    void plusMinusRulesPerPage();
    void plusFollowsModelChangesWhenIdle();
    void contextMenuShowsEnabledActionsUnderTheirHints();
    void headerModifiedFlagRules();
    void lampTypeToggles();
    void controllersTreeShowsOutputsAndTheirDirections();
    void loadedControllersAndDirections();
    void addTrendsMenuEntries();
    void addingEachDirectionKindBindsAndShowsOutputs_data();
    void addingEachDirectionKindBindsAndShowsOutputs();
    void outputNamesGainTheControllerNumber();
    void bindingThroughTheOutputMenu();
    void pedestrianRowEditsOnlyItsSlotsAndTimes();
    void timeCellsEditInPlaceThroughTheChainRules();
    void controlMarksToggleAndLampPowerIgnoresClicks();
    void deletingDirectionsMovesTheSelection();
    void schemeRowsFollowTheDirections();
    void selectedDirectionStaysInView();
    void helpContexts();
    void helpKeysAskTheViewerForTheTopicInFocus();
    void aboutShowsTheBuildVersion();
    void exportNeedsTheLibrary();
    void exportWritesImageFiles();
    void exportReportsAnImageTooLarge();
    void programmingGoesThroughTheLibrary();
    void escapedExceptionIsShownAndTheProgramGoesOn();
    void qtOwnTextsAreRussian();
};

void MainFormTest::startupWithBundledCatalogue() {
    TWindowFixture f;
    TMainForm& w = *f.Form;
    QVERIFY(!w.StartupFailed());
    QVERIFY(f.Dialogs.Messages.isEmpty());
    const TConfiguration& cfg = w.Config();
    QCOMPARE(w.Project().ControllerList().Count(), 1);
    QCOMPARE(w.Project().ControllerAt(0)->Model, cfg.ModelList[0]);
    QVERIFY(!w.Modified());
    QVERIFY(w.NewProjectMode());
    QCOMPARE(Caption(w), QStringLiteral("Новый перекресток"));
    QCOMPARE(w.ControllersPage()->edProjectName->text(), QStringLiteral("Новый перекресток"));
    QCOMPARE(w.ControllersPage()->seSystemID->Value(), 1);
    QCOMPARE(w.ControllersPage()->udAllRedTime->Value(), 3);
    QCOMPARE(w.ActivePage(), int(pgControllers));

    // One entry per model in the new-project menu and the context submenu.
    QCOMPARE(w.PopupModels->actions().size(), cfg.ModelList.Count());
    QCOMPARE(Captions(w.PopupModels), Captions(w.PopupNewModels));
    QCOMPARE(w.PopupModels->actions().at(0)->text(),
             QString::fromStdString(cfg.ModelList[0]->Caption));
    QCOMPARE(w.PopupModels->actions().at(0)->toolTip(),
             QStringLiteral("Модель ") + QString::fromStdString(cfg.ModelList[0]->Caption));

    // The controller's tree node, export entry and output submenu.
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), 1);
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItem(0)->childCount(),
             w.Project().ControllerAt(0)->Outputs.Count());
    QCOMPARE(w.ControllersPage()->vtControllers->currentItem(),
             w.ControllersPage()->vtControllers->topLevelItem(0));
    const QString entry = QStringLiteral("1. ") + QString::fromStdString(cfg.ModelList[0]->Caption);
    QCOMPARE(Captions(w.PopupControllers),
             (QStringList{QStringLiteral("Сохранить в файл…"), QStringLiteral("-"), entry,
                          QStringLiteral("-"), QStringLiteral("Сравнить с контроллером ") + entry,
                          QStringLiteral("-"), QStringLiteral("Экспорт в SUMO…")}));
    QCOMPARE(Captions(w.TrendsPage()->PopupOutputs),
             (QStringList{QStringLiteral("[Нет]"), QStringLiteral("-"), entry}));
    QCOMPARE(w.TrendsPage()->PopupOutputs->actions().at(2)->menu()->actions().size(),
             w.Project().ControllerAt(0)->Outputs.Count());

    // The open menu has its first entry, no paths; export has no library.
    QCOMPARE(Captions(w.PopupOpen), QStringList{QStringLiteral("Открыть…")});
    QVERIFY(!w.actExport->isEnabled());
    QVERIFY(ButtonShown(w.btnCollisions));
    QVERIFY(ButtonShown(w.btnYearPlan));
    for (int i = 0; i < kPageCount; ++i)
        QCOMPARE(w.PageButtons[i]->property("tag").toInt(), i);

    // Actions with their shortcuts and hints.
    QCOMPARE(w.actNew->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    QCOMPARE(w.actPlus->shortcut(), QKeySequence(QStringLiteral("Ctrl+Insert")));
    QCOMPARE(w.actMinus->shortcut(), QKeySequence(QStringLiteral("Ctrl+Delete")));
    QCOMPARE(w.actExit->shortcut(), QKeySequence(QStringLiteral("Alt+X")));
    QVERIFY(w.actSaveAs->shortcut().isEmpty());
    QCOMPARE(w.actExport->toolTip(), QStringLiteral("Перезаписать флэш-память контроллера"));
    QCOMPARE(w.actExit->text(), QStringLiteral("Выход"));
    QVERIFY(!w.actNew->icon().isNull());
}

void MainFormTest::startupErrorsEndWithMessageBox_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << false << QString() << QStringLiteral("Файл NVT-3.cfg не найден");
    QTest::newRow("no usable model")
        << true << QStringLiteral("[General]\nMultiCascade=1\n[Model#0]\nCaption=x\n")
        << QStringLiteral("Файл NVT-3.cfg имеет неправильный формат\r\nили поврежден");
}

void MainFormTest::startupErrorsEndWithMessageBox() {
    QFETCH(bool, present);
    QFETCH(QString, config);
    QFETCH(QString, message);
    std::optional<std::string> bytes;
    if (present)
        bytes = Cp(config.toStdString());
    TWindowFixture f(bytes);
    QVERIFY(f.Form->StartupFailed());
    QCOMPARE(f.Dialogs.Messages.size(), 1);
    QCOMPARE(f.Dialogs.Messages[0].Caption, QStringLiteral("Ошибка"));
    QCOMPARE(f.Dialogs.Messages[0].Text, message);
    QCOMPARE(f.Dialogs.Messages[0].Icon, QMessageBox::Critical);
    // Nothing of the half-made window asks anything when it goes.
    QVERIFY(f.Form->close());
    QCOMPARE(f.Dialogs.CloseQuestions, 0);
}

void MainFormTest::switchesHidePageButtons() {
    TWindowFixture f(Catalogue(false, false, false));
    QVERIFY(!ButtonShown(f.Form->btnCollisions));
    QVERIFY(!ButtonShown(f.Form->btnYearPlan));
    QVERIFY(ButtonShown(f.Form->btnPhases));
    TWindowFixture g(Catalogue(false, true, true));
    QVERIFY(ButtonShown(g.Form->btnCollisions));
    QVERIFY(ButtonShown(g.Form->btnYearPlan));
}

void MainFormTest::newProjectThroughMenus() {
    TWindowFixture f(Catalogue(true, true, true));
    TMainForm& w = *f.Form;
    w.ControllersPage()->edProjectName->setText(QStringLiteral("Проспект Мира"));
    w.ControllersPage()->seSystemID->SetValue(9);
    QVERIFY(w.Modified());

    // The context menu's submenu: a new project of the second model, the
    // changes dropped when asked.
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Discard);
    TriggerModel(w.PopupNewModels, 1);
    QCOMPARE(w.Project().ControllerList().Count(), 1);
    QCOMPARE(w.Project().ControllerAt(0)->Model->ID, 20);
    QCOMPARE(w.Project().ProjectName(), std::string("Новый перекресток"));
    QCOMPARE(w.ControllersPage()->edProjectName->text(), QStringLiteral("Новый перекресток"));
    QCOMPARE(w.ControllersPage()->seSystemID->Value(), 1);
    QVERIFY(w.Modified()); // a project started from the menu is modified at once
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), 1);
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItem(0)->childCount(), 3);
    QCOMPARE(Captions(w.PopupControllers).at(2), QStringLiteral("1. Универсальный"));

    // actNew opens PopupModels in new-project mode and clears the model.
    w.actNew->trigger();
    QVERIFY(w.NewProjectMode());
    QTRY_VERIFY(w.PopupModels->isVisible());
    QCOMPARE(w.ChosenModel(), nullptr);
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Discard);
    w.PopupModels->actions().at(0)->trigger();
    w.PopupModels->close();
    QCOMPARE(w.Project().ControllerList().Count(), 1);
    QCOMPARE(w.Project().ControllerAt(0)->Model->ID, 10);
    QCOMPARE(w.ChosenModel(), w.Config().ModelList[0]);
    QVERIFY(!w.NewProjectMode());
}

void MainFormTest::addingAndDeletingControllers() {
    TWindowFixture f(Catalogue(true, true, true));
    TMainForm& w = *f.Form;
    QVERIFY(f.ShowActive());
    w.UpdateEditActions();
    QVERIFY(w.actPlus->isEnabled());
    QVERIFY(!w.actMinus->isEnabled()); // the last controller stays
    w.actPlus->trigger();
    QVERIFY(!w.NewProjectMode());
    QTRY_VERIFY(w.PopupModels->isVisible());
    w.PopupModels->actions().at(1)->trigger();
    w.PopupModels->close();
    QCOMPARE(w.Project().ControllerList().Count(), 2);
    QVERIFY(w.Modified());
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), 2);
    QCOMPARE(w.ControllersPage()->SelectedController(), 1);
    QCOMPARE(Captions(w.PopupControllers),
             (QStringList{QStringLiteral("Сохранить в файл…"), QStringLiteral("-"),
                          QStringLiteral("1. Малый"), QStringLiteral("2. Универсальный"),
                          QStringLiteral("-"), QStringLiteral("Сравнить с контроллером 1. Малый"),
                          QStringLiteral("Сравнить с контроллером 2. Универсальный"),
                          QStringLiteral("-"), QStringLiteral("Экспорт в SUMO…")}));
    // Output names carry the controller number once there are two.
    QCOMPARE(w.TrendsPage()->PopupOutputs->actions().at(2)->menu()->actions().at(0)->text(),
             QStringLiteral("1-1к"));
    w.SetModified(false);
    w.UpdateEditActions();
    QVERIFY(w.actMinus->isEnabled());
    QCOMPARE(w.actMinus->toolTip(), QStringLiteral("Удалить контроллер"));
    w.actMinus->trigger();
    QCOMPARE(w.Project().ControllerList().Count(), 1);
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), 1);
    QVERIFY(w.Modified());
    QCOMPARE(Captions(w.PopupControllers).size(), 7); // one controller, and the SUMO export
    QCOMPARE(w.TrendsPage()->PopupOutputs->actions().at(2)->menu()->actions().at(0)->text(),
             QStringLiteral("1к"));
}

void MainFormTest::openAndSaveRoundTrip() {
    TWindowFixture f(Catalogue(true, true, true));
    TMainForm& w = *f.Form;
    const QString path = QString::fromStdString(f.Dir.File("Перекресток.NVT"));
    // Start-up left new-project mode on: a new project of the second model.
    TriggerModel(w.PopupModels, 1);
    w.ControllersPage()->edProjectName->setText(QStringLiteral("Ленина - Мира"));
    w.ControllersPage()->seSystemID->SetValue(17);

    // Save on a project without a file runs Save As.
    f.Dialogs.SaveAnswers.push_back(path);
    w.actSave->trigger();
    QCOMPARE(f.Dialogs.SaveSpecs.size(), 1);
    QCOMPARE(f.Dialogs.SaveSpecs[0].Title, QStringLiteral("Сохранение проекта"));
    QCOMPARE(f.Dialogs.SaveSpecs[0].Filter, QStringLiteral("Проекты НВТ-3 (*.NVT)"));
    QCOMPARE(f.Dialogs.SaveSpecs[0].DefaultSuffix, QStringLiteral("NVT"));
    QVERIFY(f.Dialogs.SaveSpecs[0].ConfirmOverwrite);
    QVERIFY(!w.Modified());
    QCOMPARE(w.SaveFileName(), path);
    QCOMPARE(Caption(w), QStringLiteral("Ленина - Мира - ") + path);
    QCOMPARE(w.RecentFiles(), QStringList{path});
    const TFakeFiles::Snapshot& saved = f.Files.Files.at(path.toStdString());
    QCOMPARE(saved.Name, std::string("Ленина - Мира"));
    QCOMPARE(int(saved.SystemID), 17);
    QCOMPARE(saved.Controllers.size(), std::size_t(1));
    QCOMPARE(saved.Controllers[0].first, 20);

    // A second Save writes to the same file without asking.
    w.ControllersPage()->seSystemID->SetValue(18);
    w.actSave->trigger();
    QCOMPARE(f.Dialogs.SaveSpecs.size(), 1);
    QCOMPARE(int(f.Files.Files.at(path.toStdString()).SystemID), 18);

    // A new project forgets the file; opening it brings everything back.
    TriggerModel(w.PopupNewModels, 0);
    QVERIFY(w.SaveFileName().isEmpty());
    QCOMPARE(Caption(w), QStringLiteral("Новый перекресток"));
    QVERIFY(w.OpenProject(path));
    QVERIFY(!w.Modified());
    QCOMPARE(w.Project().ProjectName(), std::string("Ленина - Мира"));
    QCOMPARE(w.ControllersPage()->edProjectName->text(), QStringLiteral("Ленина - Мира"));
    QCOMPARE(w.ControllersPage()->seSystemID->Value(), 18);
    QCOMPARE(w.Project().ControllerList().Count(), 1);
    QCOMPARE(w.Project().ControllerAt(0)->Model->ID, 20);
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), 1);
    QCOMPARE(Captions(w.PopupControllers).at(2), QStringLiteral("1. Универсальный"));
    QCOMPARE(w.OpenFileName(), path);
    QCOMPARE(w.SaveFileName(), path);
    QCOMPARE(Caption(w), QStringLiteral("Ленина - Мира - ") + path);
    QCOMPARE(w.RecentFiles(), QStringList{path});

    // Open through the open menu's dialog entry (the new project is
    // modified, so each is asked about first).
    TriggerModel(w.PopupNewModels, 0);
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Discard);
    f.Dialogs.OpenAnswers.push_back(path);
    w.PopupOpen->actions().at(0)->trigger();
    QCOMPARE(w.Project().ProjectName(), std::string("Ленина - Мира"));
    // And through the recent entry.
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Discard);
    TriggerModel(w.PopupNewModels, 0);
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Discard);
    w.PopupOpen->actions().at(2)->trigger();
    QCOMPARE(w.Project().ProjectName(), std::string("Ленина - Мира"));
    QVERIFY(!w.Modified());
}

void MainFormTest::failedOpenAndSaveChangeNothing() {
    TWindowFixture f(Catalogue(true, true, true));
    TMainForm& w = *f.Form;
    const QString good = QString::fromStdString(f.Dir.File("a.NVT"));
    f.Dialogs.SaveAnswers.push_back(good);
    QVERIFY(w.SaveProjectAsCmd());
    w.ControllersPage()->edProjectName->setText(QStringLiteral("Изменен"));
    const QString title = Caption(w);

    // A file the reader refuses: the message, and the project as it was.
    const QString bad = QString::fromStdString(f.Dir.File("broken.NVT"));
    QVERIFY(!w.OpenProject(bad));
    QCOMPARE(f.Dialogs.Exceptions.size(), 1);
    QVERIFY(f.Dialogs.Exceptions[0].contains(QStringLiteral("поврежден")));
    QCOMPARE(w.Project().ProjectName(), std::string("Изменен"));
    QVERIFY(w.Modified());
    QCOMPARE(Caption(w), title);
    QCOMPARE(w.SaveFileName(), good);
    QCOMPARE(w.RecentFiles(), QStringList{good});

    // A write that fails: modified stays set, Save As changes nothing.
    f.Files.FailSave = true;
    w.actSave->trigger();
    QCOMPARE(f.Dialogs.Exceptions.size(), 2);
    QVERIFY(w.Modified());
    const QString other = QString::fromStdString(f.Dir.File("b.NVT"));
    f.Dialogs.SaveAnswers.push_back(other);
    QVERIFY(!w.SaveProjectAsCmd());
    QVERIFY(w.Modified());
    QCOMPARE(w.SaveFileName(), good);
    QCOMPARE(Caption(w), title);
    QCOMPARE(w.RecentFiles(), QStringList{good});
}

void MainFormTest::realProjectFileRoundTrip() {
    TWindowFixture f(Catalogue(true, true, true));
    f.RealFiles = true;
    f.Create();
    TMainForm& w = *f.Form;
    QVERIFY(f.ShowActive());
    w.ControllersPage()->edProjectName->setText(QStringLiteral("Ленина - Мира"));
    w.ControllersPage()->seSystemID->SetValue(23);
    w.ControllersPage()->cbQuickStart->click();
    w.ControllersPage()->udAllRedTime->SetValue(5);
    w.UpdateEditActions(); // as the idle loop would
    QVERIFY(w.actPlus->isEnabled());
    w.actPlus->trigger();
    w.PopupModels->actions().at(1)->trigger();
    w.PopupModels->close();
    const QString path = QString::fromStdString(f.Dir.File("Крест.NVT"));
    f.Dialogs.SaveAnswers.push_back(path);
    QVERIFY(w.SaveProjectCmd());
    const std::string bytes = ReadBytes(path.toStdString());
    QVERIFY(bytes.size() > 101);

    TriggerModel(w.PopupNewModels, 0);
    QVERIFY(w.OpenProject(path));
    QCOMPARE(w.Project().ProjectName(), std::string("Ленина - Мира"));
    QCOMPARE(w.ControllersPage()->seSystemID->Value(), 23);
    QCOMPARE(w.ControllersPage()->udAllRedTime->Value(), 5);
    QVERIFY(w.ControllersPage()->cbQuickStart->isChecked());
    QCOMPARE(w.Project().ControllerList().Count(), 2);
    QCOMPARE(w.Project().ControllerAt(1)->Model->ID, 20);
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), 2);
    QVERIFY(!w.Modified());
    // Saved again unchanged, the file is the same to the byte.
    QVERIFY(w.SaveProjectCmd());
    QCOMPARE(ReadBytes(path.toStdString()), bytes);

    // A damaged copy is refused and the project on show stays.
    std::string damaged = bytes;
    damaged[120] = static_cast<char>(damaged[120] ^ 0x5A);
    const std::string bad = f.Dir.File("bad.NVT");
    WriteBytes(bad, damaged);
    QVERIFY(!w.OpenProject(QString::fromStdString(bad)));
    QCOMPARE(f.Dialogs.Exceptions.size(), 1);
    QVERIFY(f.Dialogs.Exceptions[0].contains(QStringLiteral("поврежден")));
    QCOMPARE(w.Project().ControllerList().Count(), 2);
    QCOMPARE(w.SaveFileName(), path);
}

void MainFormTest::opensAndResavesTheSampleCrossroad() {
    const std::string sample = std::string(TRALCON_SOURCE_DIR) + "/data/examples/Sample.NVT";
    // The sample is part of the repository: its absence is a failure.
    QVERIFY2(std::filesystem::exists(sample), sample.c_str());
    TWindowFixture f;
    f.RealFiles = true;
    f.RealImages = true;
    f.Create();
    TMainForm& w = *f.Form;
    QVERIFY(w.OpenProject(QString::fromStdString(sample)));
    const TProject& p = w.Project();
    QVERIFY(p.TrendGroupList().Count() > 0);
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), p.ControllerList().Count());
    QCOMPARE(w.DayPlansPage()->vtDayPlans->topLevelItemCount(), p.DayPlanList().Count());
    QCOMPARE(w.WeekPlansPage()->vtWeekPlans->topLevelItemCount(), p.WeekPlanList().Count());
    QCOMPARE(w.YearPlanPage()->vtYearPlan->topLevelItemCount(), p.YearPlan()->ItemCount());
    QCOMPARE(w.DayPlansPage()->vtDayPlans->topLevelItem(0)->childCount(),
             p.DayPlanList()[0]->ItemCount());
    // A bound output names its direction in the controllers tree.
    bool named = false;
    QTreeWidgetItem* first = w.ControllersPage()->vtControllers->topLevelItem(0);
    for (int i = 0; i < first->childCount(); ++i)
        named |= !w.ControllersPage()->vtControllers->CellLook(first->child(i), 1).Text.isEmpty();
    QVERIFY(named);
    w.ActivatePage(pgPhases);
    QCOMPARE(w.PhasesPage()->dgPhases->ColCount(), p.RowCount(false) + 1);
    QCOMPARE(w.PhasesPage()->dgPhases->RowCount(), p.TrendCount() + 5);
    w.ActivatePage(pgCycles);
    QCOMPARE(w.CyclesPage()->dgCycles->RowCount(), p.CycleList().Count() + 5);
    QCOMPARE(w.CyclesPage()->dgCycles->FixedRows(), p.CycleList().Count() > 0 ? 5 : 0);

    // Saved through the window, the file is the same to the byte.
    const QString copy = QString::fromStdString(f.Dir.File("copy.NVT"));
    f.Dialogs.SaveAnswers.push_back(copy);
    QVERIFY(w.SaveProjectAsCmd());
    QCOMPARE(ReadBytes(copy.toStdString()), ReadBytes(sample));

    // The compiler's images go to one file per controller.
    f.Dialogs.SaveAnswers.push_back(QString::fromStdString(f.Dir.File("Sample.k0")));
    w.SaveImageFilesCmd();
    QVERIFY(f.Dialogs.Exceptions.isEmpty());
    for (int i = 0; i < p.ControllerList().Count(); ++i)
        QVERIFY(std::filesystem::file_size(f.Dir.File("Sample.k" + std::to_string(i))) >= 1024);
}

void MainFormTest::saveAsOffersTheNameWithoutBlanks() {
    TWindowFixture f(Catalogue(true, true, true));
    TMainForm& w = *f.Form;
    w.ControllersPage()->edProjectName->setText(QStringLiteral("  Садовая / Невский  "));
    QVERIFY(!w.SaveProjectCmd()); // the dialog is cancelled
    QCOMPARE(f.Dialogs.SaveOffered.last(), QStringLiteral("Садовая _ Невский"));
    QVERIFY(w.SaveFileName().isEmpty());
    QVERIFY(!w.SaveProjectAsCmd());
    QCOMPARE(f.Dialogs.SaveOffered.last(), QStringLiteral("Садовая _ Невский"));
    QVERIFY(w.Modified());
}

void MainFormTest::recentFilesKeepFiveNewestFirst() {
    TWindowFixture f;
    TMainForm& w = *f.Form;
    for (int i = 1; i <= 6; ++i)
        w.AddRecentFile(QStringLiteral("/p/%1.NVT").arg(i));
    QCOMPARE(w.RecentFiles(),
             (QStringList{"/p/6.NVT", "/p/5.NVT", "/p/4.NVT", "/p/3.NVT", "/p/2.NVT"}));
    QCOMPARE(w.PopupOpen->actions().size(), 7);
    QVERIFY(w.PopupOpen->actions().at(1)->isSeparator());
    // The same path again moves to the top and is there once.
    w.AddRecentFile(QStringLiteral("/p/3.NVT"));
    QCOMPARE(w.RecentFiles(),
             (QStringList{"/p/3.NVT", "/p/6.NVT", "/p/5.NVT", "/p/4.NVT", "/p/2.NVT"}));
    // Letter case makes another path; a path with & shows it as it is.
    w.AddRecentFile(QStringLiteral("/P/3.NVT"));
    QCOMPARE(w.RecentFiles().mid(0, 2), (QStringList{"/P/3.NVT", "/p/3.NVT"}));
    w.AddRecentFile(QStringLiteral("/p/R&D.NVT"));
    QCOMPARE(w.RecentFiles().first(), QStringLiteral("/p/R&D.NVT"));
    QCOMPARE(w.PopupOpen->actions().at(2)->text(), QStringLiteral("/p/R&&D.NVT"));
    QCOMPARE(w.RecentFiles().size(), 5);
    // No path only makes sure the first entry is there.
    w.AddRecentFile(std::nullopt);
    QCOMPARE(w.RecentFiles().size(), 5);
}

void MainFormTest::recentFilesSurviveARestart() {
    TWindowFixture f;
    QStringList paths;
    for (int i = 1; i <= 3; ++i) {
        const std::string p = f.Dir.File("r" + std::to_string(i) + ".NVT");
        WriteBytes(p, "x");
        paths << QString::fromStdString(p);
        f.Form->AddRecentFile(paths.last());
    }
    f.Form->AddRecentFile(QString::fromStdString(f.Dir.File("gone.NVT"))); // never existed
    f.Create(); // the old window writes NVT-3.ini as it goes
    QCOMPARE(f.Form->RecentFiles(), (QStringList{paths[2], paths[1], paths[0]}));
    const std::string ini = FromCp1251(ReadBytes(f.Dir.File("NVT-3.ini")));
    QVERIFY(ini.find("[Recent]") != std::string::npos);
}

void MainFormTest::closingAsksAndCancelKeepsTheWindow() {
    TWindowFixture f;
    TMainForm& w = *f.Form;
    w.show();
    // Unmodified: no question.
    QVERIFY(w.close());
    QCOMPARE(f.Dialogs.CloseQuestions, 0);
    w.show();
    w.ControllersPage()->edProjectName->setText(QStringLiteral("Изменен"));
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Cancel);
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QVERIFY(w.Modified());
    // Save whose dialog is cancelled keeps it open too.
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Save);
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(f.Dialogs.SaveSpecs.size(), 1);
    // Save with a file name: saved and closed.
    const QString path = QString::fromStdString(f.Dir.File("c.NVT"));
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Save);
    f.Dialogs.SaveAnswers.push_back(path);
    QVERIFY(w.close());
    QVERIFY(f.Files.Files.count(path.toStdString()) == 1);
    // Discard closes without writing.
    w.show();
    w.ControllersPage()->edProjectName->setText(QStringLiteral("Еще раз"));
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Discard);
    QVERIFY(w.close());
    QCOMPARE(f.Files.Files.at(path.toStdString()).Name, std::string("Изменен"));
    QCOMPARE(f.Dialogs.CloseQuestions, 4);
}

// Opening through the dialog, a recent file or a new project on unsaved
// work: cancel, or a save that fails, keeps the project as it is.
void MainFormTest::replacingAModifiedProjectAsksFirst_data() {
    QTest::addColumn<int>("way"); // 0 open dialog, 1 recent file, 2 new project
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<bool>("replaced");
    using C = TMainDialogs::TSaveChoice;
    const char* ways[] = {"open", "recent", "new"};
    for (int way = 0; way < 3; ++way) {
        const QByteArray w = ways[way];
        QTest::newRow(w + " cancel") << way << int(C::Cancel) << false << false;
        QTest::newRow(w + " discard") << way << int(C::Discard) << false << true;
        QTest::newRow(w + " save") << way << int(C::Save) << false << true;
        QTest::newRow(w + " failed save") << way << int(C::Save) << true << false;
    }
}

void MainFormTest::replacingAModifiedProjectAsksFirst() {
    QFETCH(int, way);
    QFETCH(int, choice);
    QFETCH(bool, saveFails);
    QFETCH(bool, replaced);
    TWindowFixture f;
    TMainForm& w = *f.Form;
    const QString other = QString::fromStdString(f.Dir.File("other.NVT"));
    const QString mine = QString::fromStdString(f.Dir.File("mine.NVT"));
    f.Files.Files[other.toStdString()] = {"Другой", 7, 0, 3, {{1, 0}}};
    w.AddRecentFile(other);
    w.ControllersPage()->edProjectName->setText(QStringLiteral("Мой"));
    QVERIFY(w.Modified());
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice(choice));
    f.Dialogs.SaveAnswers.push_back(mine); // the unsaved project has no file yet
    f.Dialogs.OpenAnswers.push_back(other);
    f.Files.FailSave = saveFails;
    const int loads = f.Files.Loads;

    if (way == 0)
        w.PopupOpen->actions().at(0)->trigger();
    else if (way == 1)
        w.PopupOpen->actions().at(2)->trigger();
    else
        TriggerModel(w.PopupNewModels, 0);

    QCOMPARE(f.Dialogs.CloseQuestions, 1);
    // A saved project went to its file before it was replaced.
    QCOMPARE(f.Files.Files.count(mine.toStdString()),
             std::size_t(choice == int(TMainDialogs::TSaveChoice::Save) && !saveFails));
    if (!replaced) {
        QCOMPARE(w.Project().ProjectName(), std::string("Мой"));
        QVERIFY(w.Modified());
        QCOMPARE(f.Files.Loads, loads);
        QCOMPARE(int(f.Dialogs.OpenAnswers.size()), 1); // no open dialog either
        return;
    }
    QCOMPARE(w.Project().ProjectName(), std::string(way == 2 ? "Новый перекресток" : "Другой"));
    QCOMPARE(w.Modified(), way == 2); // a new project is modified at once
    QCOMPARE(Caption(w),
             way == 2 ? QStringLiteral("Новый перекресток") : QStringLiteral("Другой - ") + other);
}

void MainFormTest::menusOpenUnderTheirButtons() {
    TWindowFixture f(Catalogue(true, true, true));
    TMainForm& w = *f.Form;
    QVERIFY(f.ShowActive());
    w.ActivatePage(pgControllers);
    const std::pair<QAction*, QMenu*> cases[] = {
        {w.actNew, w.PopupModels}, {w.actOpen, w.PopupOpen}, {w.actPlus, w.PopupModels}};
    for (auto [action, menu] : cases) {
        QWidget* button = w.ToolBar1->widgetForAction(action);
        // From the button and from the shortcut alike.
        for (bool shortcut : {false, true}) {
            if (shortcut) {
                w.ControllersPage()->vtControllers->setFocus();
                QTest::keySequence(&w, action->shortcut());
            } else {
                QTest::mouseClick(button, Qt::LeftButton);
            }
            QTRY_VERIFY(menu->isVisible());
            QCOMPARE(menu->pos(), button->mapToGlobal(QPoint(0, button->height())));
            menu->close();
        }
    }
}

void MainFormTest::captionRule() {
    // Without an argument: the name alone, then name and file once opened.
    {
        TWindowFixture f;
        QCOMPARE(Caption(*f.Form), QStringLiteral("Новый перекресток"));
        QCOMPARE(qApp->property("applicationTitle").toString(),
                 QStringLiteral("Новый перекресток"));
        f.Form->ControllersPage()->edProjectName->setText(QStringLiteral("Кольцо"));
        QCOMPARE(Caption(*f.Form), QStringLiteral("Кольцо"));
    }
    // With one: the project named there, its path in the caption, not in
    // the recent files.
    TWindowFixture f;
    const std::string path = f.Dir.File("arg.NVT");
    f.Files.Files[path] = {"Центр", 42, 0, 3, {{1, 0}}};
    f.Create({path});
    TMainForm& w = *f.Form;
    QCOMPARE(Caption(w), QStringLiteral("Новый перекресток - ") + QString::fromStdString(path));
    w.OpenCommandLineProject();
    QCOMPARE(Caption(w), QStringLiteral("Центр - ") + QString::fromStdString(path));
    QCOMPARE(w.ControllersPage()->seSystemID->Value(), 42);
    QVERIFY(!w.Modified());
    QCOMPARE(w.SaveFileName(), QString::fromStdString(path));
    QVERIFY(w.RecentFiles().isEmpty());
    // A new project is no longer the command line's: the name alone.
    TriggerModel(w.PopupNewModels, 0);
    QCOMPARE(Caption(w), QStringLiteral("Новый перекресток"));
    QVERIFY(w.isWindowModified());
}

void MainFormTest::commandLineProjectErrorEscapes() {
    TWindowFixture f(BundledCatalogue(), {"/nowhere/missing.NVT"});
    QVERIFY_THROWS_EXCEPTION(EUserError, f.Form->OpenCommandLineProject());
    f.Create({});
    f.Form->OpenCommandLineProject(); // no argument: nothing to do
    QCOMPARE(f.Files.Loads, 1);
}

void MainFormTest::gridScrollBarsFollowTheWindow() {
    TWindowFixture f(Catalogue(false, true, true));
    TMainForm& w = *f.Form;
    for (int i = 0; i < 25; ++i)
        w.Project().AddTrendGroup(0); // more rows than the page can show
    w.resize(640, 479);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.ActivatePage(pgTrends);
    TDrawGrid* g = w.TrendsPage()->dgTrends;
    QCOMPARE(g->RowCount(), w.Project().TrendCount() + 2);
    QCOMPARE(g->FixedRows(), 2);
    QCOMPARE(g->ScrollBars(), TScrollBars::Both); // the vertical bar costs width too
    QCOMPARE(g->geometry().topLeft(), QPoint(8, 14));
    QVERIFY(g->geometry().bottom() < w.Pages[pgTrends]->height());
    w.resize(900, 900);
    QTRY_COMPARE(g->ScrollBars(), TScrollBars::None);
    QCOMPARE(g->size(), QSize(g->ContentWidth(), g->ContentHeight()));
    w.resize(640, 479);
    QTRY_VERIFY(g->ScrollBars() != TScrollBars::None);
    // Without directions: the two title rows, no fixed rows, no bars.
    TriggerModel(w.PopupNewModels, 0);
    w.ActivatePage(pgTrends);
    QCOMPARE(g->RowCount(), 2);
    QCOMPARE(g->FixedRows(), 0);
    QCOMPARE(g->ScrollBars(), TScrollBars::None);
    QCOMPARE(g->height(), 36);
    w.SetModified(false);
}

void MainFormTest::plusMinusRulesPerPage() {
    struct Case {
        int Page;
        bool Plus, Minus;
        const char* PlusHint;
        const char* MinusHint;
    };
    // One controller of the small model, no directions, one phase, no
    // cycle; the default plans, each tree's first node focused.
    const Case withoutMultiCascade[] = {
        {pgControllers, false, false, "Новый контроллер", "Удалить контроллер"},
        {pgTrends, true, false, "Новое направление", "Удалить направление"},
        {pgCollisions, false, false, "", ""},
        {pgPhases, true, false, "Новая фаза", "Удалить фазу"},
        {pgCycles, true, false, "Новый цикл", "Удалить цикл"},
        {pgDayPlans, true, false, "Новый суточный план", "Удалить суточный план"},
        {pgWeekPlans, true, false, "Новый недельный план", "Удалить недельный план"},
        {pgYearPlan, true, false, "Новая запись годового плана", "Удалить запись годового плана"},
    };
    TWindowFixture f(Catalogue(false, true, true));
    QVERIFY(f.ShowActive());
    for (const Case& c : withoutMultiCascade) {
        f.Form->ActivatePage(c.Page);
        QCOMPARE(f.Form->actPlus->isEnabled(), c.Plus);
        QCOMPARE(f.Form->actMinus->isEnabled(), c.Minus);
        QCOMPARE(f.Form->actPlus->toolTip(), QString::fromUtf8(c.PlusHint));
        QCOMPARE(f.Form->actMinus->toolTip(), QString::fromUtf8(c.MinusHint));
    }
    // A day plan item: it can be followed by another, the only one stays.
    f.Form->ActivatePage(pgDayPlans);
    f.Form->DayPlansPage()->vtDayPlans->expandAll();
    f.Form->DayPlansPage()->vtDayPlans->FocusNode(
        f.Form->DayPlansPage()->vtDayPlans->topLevelItem(0)->child(0));
    f.Form->UpdateEditActions();
    QVERIFY(f.Form->actPlus->isEnabled());
    QVERIFY(!f.Form->actMinus->isEnabled());
    QCOMPARE(f.Form->actPlus->toolTip(), QStringLiteral("Новая запись суточного плана"));
    // Nothing focused on the year page: no hints, nothing to do.
    f.Form->ActivatePage(pgYearPlan);
    f.Form->YearPlanPage()->vtYearPlan->FocusNode(nullptr);
    f.Form->UpdateEditActions();
    QVERIFY(!f.Form->actPlus->isEnabled());
    QCOMPARE(f.Form->actPlus->toolTip(), QString());

    // Without the year plan no week plan can be added, and the year page
    // does nothing.
    TWindowFixture y(Catalogue(false, false, true));
    QVERIFY(y.ShowActive());
    y.Form->ActivatePage(pgWeekPlans);
    QVERIFY(!y.Form->actPlus->isEnabled());
    y.Form->ActivatePage(pgYearPlan);
    QVERIFY(!y.Form->actPlus->isEnabled());

    // With MultiCascade the controllers page adds, but only in the active
    // window.
    TWindowFixture g(Catalogue(true, true, true));
    QVERIFY(g.ShowActive());
    g.Form->ActivatePage(pgControllers);
    QVERIFY(g.Form->actPlus->isEnabled());
    QVERIFY(!g.Form->actMinus->isEnabled());
    // A direction of its own on the directions page can be deleted.
    g.Form->Project().AddTrendGroup(0);
    g.Form->ActivatePage(pgTrends);
    QVERIFY(!g.Form->actMinus->isEnabled()); // no row selected
}

void MainFormTest::plusFollowsModelChangesWhenIdle() {
    TWindowFixture f(Catalogue(false, true, true));
    TMainForm& w = *f.Form;
    QVERIFY(f.ShowActive());
    w.ActivatePage(pgTrends);
    QVERIFY(w.actPlus->isEnabled());
    // Bind every output without telling the window: the rule is evaluated
    // again when the application is idle.
    for (int i = 0; i < 10 && w.Project().HasFreeOutput(); ++i)
        w.Project().AddTrendGroup(0);
    QVERIFY(!w.Project().HasFreeOutput());
    QVERIFY(w.actPlus->isEnabled());
    QEventLoop loop; // a real loop: it goes idle between events
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY(!w.actPlus->isEnabled());
}

void MainFormTest::contextMenuShowsEnabledActionsUnderTheirHints() {
    TWindowFixture f(Catalogue(false, true, true));
    TMainForm& w = *f.Form;
    QVERIFY(f.ShowActive());
    auto entryOf = [&](const QString& prefix) -> QAction* {
        for (QAction* a : w.PopupMenu1->actions())
            if (a->text().startsWith(prefix))
                return a;
        return nullptr;
    };
    w.ActivatePage(pgTrends);
    emit w.PopupMenu1->aboutToShow();
    QAction* add = entryOf(QStringLiteral("Новое направление"));
    QVERIFY(add != nullptr);
    QVERIFY(add->isVisible());
    QCOMPARE(add->text(), QStringLiteral("Новое направление\tCtrl+Ins"));
    QVERIFY(!entryOf(QStringLiteral("Удалить направление"))->isVisible());
    QVERIFY(!entryOf(QStringLiteral("Перезаписать"))->isVisible()); // no library
    QCOMPARE(w.PopupMenu1->actions().first()->menu(), w.PopupNewModels);
    QVERIFY(w.PopupMenu1->actions().first()->isVisible());
    // With every output bound, "add" is hidden on the directions page.
    for (int i = 0; i < 10 && w.Project().HasFreeOutput(); ++i)
        w.Project().AddTrendGroup(0);
    emit w.PopupMenu1->aboutToShow();
    QVERIFY(!entryOf(QStringLiteral("Новое направление"))->isVisible());
    // On the controllers page without MultiCascade, neither add nor delete.
    w.ActivatePage(pgControllers);
    emit w.PopupMenu1->aboutToShow();
    QVERIFY(!entryOf(QStringLiteral("Новый контроллер"))->isVisible());
    // Choosing the submenu's model starts a new project.
    w.SetModified(false);
    TriggerModel(w.PopupNewModels, 1);
    QCOMPARE(w.Project().ControllerAt(0)->Model->ID, 20);
    QCOMPARE(w.Project().TrendGroupList().Count(), 0);
}

void MainFormTest::headerModifiedFlagRules() {
    TWindowFixture f;
    TMainForm& w = *f.Form;
    // Options and the all-red time are not part of the modified state.
    w.ControllersPage()->udAllRedTime->SetValue(7);
    QCOMPARE(int(w.Project().AllRedTime()), 7);
    QCOMPARE(int(w.Project().AllRedPhase()->MinTime()), 7);
    w.ControllersPage()->cbQuickStart->click();
    QCOMPARE(w.Project().ProjectOptions() & poQuickStart, int(poQuickStart));
    w.ControllersPage()->cbQuickCall->click(); // the box sets the bit without call phases
    QCOMPARE(w.Project().ProjectOptions() & poQuickCall, int(poQuickCall));
    w.ControllersPage()->cbQuickCall->click();
    QCOMPARE(w.Project().ProjectOptions() & poQuickCall, 0);
    QVERIFY(!w.Modified());
    // The spin edits clamp and the numbers reach the model.
    w.ControllersPage()->udAllRedTime->SetValue(0);
    QCOMPARE(w.ControllersPage()->udAllRedTime->Value(), 1);
    w.ControllersPage()->seSystemID->SetValue(300);
    QCOMPARE(int(w.Project().SystemID()), 255);
    QVERIFY(w.Modified());
    w.SetModified(false);
    // The name: at most 40 characters, the caption follows, modified set.
    w.ControllersPage()->edProjectName->setText(QString(50, QLatin1Char('x')));
    QCOMPARE(w.ControllersPage()->edProjectName->text().size(), 40);
    QCOMPARE(w.Project().ProjectName(), std::string(40, 'x'));
    QCOMPARE(Caption(w), QString(40, QLatin1Char('x')));
    QVERIFY(w.Modified());
    // The reader's setters show their values without setting the flag.
    w.SetModified(false);
    w.SetQuickCall(true); // no call phases: the bit stays clear, the box shows it
    QCOMPARE(w.Project().ProjectOptions() & poQuickCall, 0);
    QVERIFY(w.ControllersPage()->cbQuickCall->isChecked());
    w.SetAllRedTime(5);
    QCOMPARE(w.ControllersPage()->udAllRedTime->Value(), 5);
    QCOMPARE(int(w.Project().AllRedPhase()->MinTime()), 5);
    w.SetQuickStart(false);
    QVERIFY(!w.ControllersPage()->cbQuickStart->isChecked());
    QVERIFY(!w.Modified());
    // A new project shows the defaults again, unchecked and 3 s.
    TriggerModel(w.PopupNewModels, 0);
    QVERIFY(!w.ControllersPage()->cbQuickStart->isChecked());
    QVERIFY(!w.ControllersPage()->cbQuickCall->isChecked());
    QVERIFY(!w.PhasesPage()->cbUseRedBlink->isChecked());
    QVERIFY(!w.PhasesPage()->cbUseRedBlink->isEnabled());
    QCOMPARE(w.ControllersPage()->udAllRedTime->Value(), 3);
    QCOMPARE(w.PhasesPage()->btnEnableCallPhases->text(), QStringLiteral("Включить поддержку ТВП"));
    QCOMPARE(w.PhasesPage()->btnShowDetails->text(), QStringLiteral("Развернуть промтакты"));
}

void MainFormTest::lampTypeToggles() {
    TWindowFixture f;
    TMainForm& w = *f.Form;
    w.resize(640, 479);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTreeWidgetItem* node = w.ControllersPage()->vtControllers->topLevelItem(0);
    const QRect cell = w.ControllersPage()->vtControllers->CellRect(node, 2);
    QVERIFY(!cell.isEmpty());
    QCOMPARE(w.ControllersPage()->vtControllers->CellLook(node, 2).Text,
             QStringLiteral("Ламповый"));
    QTest::mouseClick(w.ControllersPage()->vtControllers->viewport(), Qt::LeftButton, {},
                      cell.center());
    QVERIFY(w.Project().ControllerAt(0)->IsLed());
    QCOMPARE(w.ControllersPage()->vtControllers->CellLook(node, 2).Text,
             QStringLiteral("Светодиодный"));
    QVERIFY(w.Modified());
    // Column 1 does nothing.
    w.SetModified(false);
    QTest::mouseClick(w.ControllersPage()->vtControllers->viewport(), Qt::LeftButton, {},
                      w.ControllersPage()->vtControllers->CellRect(node, 1).center());
    QVERIFY(w.Project().ControllerAt(0)->IsLed());
    QVERIFY(!w.Modified());
    // The controller cells: framed number with the lock, model caption.
    const TTreeCellLook number = w.ControllersPage()->vtControllers->CellLook(node, 0);
    QVERIFY(number.FramedOnly);
    QCOMPARE(number.Text, QStringLiteral("1"));
    QVERIFY(!number.Image.isNull()); // the only controller cannot be deleted
    const TTreeCellLook output = w.ControllersPage()->vtControllers->CellLook(node->child(0), 0);
    QCOMPARE(output.Text, QString::fromStdString(w.Project().OutputName(
                              w.Project().ControllerAt(0)->ControllerOutputAt(0))));
    QVERIFY(!output.FramedOnly);
}

void MainFormTest::helpContexts() {
    TWindowFixture f;
    TMainForm& w = *f.Form;
    QCOMPARE(HelpContextOf(&w), 10000);
    QCOMPARE(HelpContextOf(w.ControllersPage()->seSystemID), 10202);
    QCOMPARE(HelpContextOf(w.ControllersPage()->udAllRedTime), 10202);
    QCOMPARE(HelpContextOf(w.ControllersPage()->edProjectName), 10201);
    QCOMPARE(HelpContextOf(w.ControllersPage()->vtControllers), 10203);
    QCOMPARE(HelpContextOf(w.ControllersPage()->cbQuickStart), 10200); // its page's
    QCOMPARE(HelpContextOf(w.PhasesPage()->dgPhases), 10501);
    QCOMPARE(HelpContextOf(w.PhasesPage()->btnEnableCallPhases), 10503);
    QCOMPARE(HelpContextOf(w.btnDayPlans), 10700);
    QCOMPARE(HelpContextOf(w.Pages[pgYearPlan]), 10900); // the page control's
    QCOMPARE(HelpContextOf(w.ToolBar2), 100010);
    QCOMPARE(HelpContextOf(w.ToolBar1->widgetForAction(w.actExit)), 10010);
    QCOMPARE(HelpContextOf(w.ToolBar1->widgetForAction(w.actHelp)), 10099);
    // Without the help file, help does nothing.
    w.actHelp->trigger();
    w.HelpRequest(w.ControllersPage()->seSystemID);
    QVERIFY(f.HelpShown.isEmpty());
    QVERIFY(f.Dialogs.Messages.isEmpty());
    // Every number a control of the window carries opens a topic of its own.
    for (const QWidget* c : w.findChildren<QWidget*>()) {
        const int context = c->property("helpContext").toInt();
        if (context != 0)
            QVERIFY2(!THelp::TopicOf(context).isEmpty(),
                     qPrintable(QString::number(context) + QLatin1Char(' ') + c->objectName()));
    }
}

void MainFormTest::helpKeysAskTheViewerForTheTopicInFocus() {
    TWindowFixture f;
    WriteBytes(f.Dir.File("NVT-3.chm"), "ITSF");
    f.Create();
    TMainForm& w = *f.Form;
    QVERIFY(f.ShowActive());
    const QString chm = QString::fromStdString(f.Dir.File("NVT-3.chm"));
    auto lastTopic = [&]() -> QString {
        if (f.HelpShown.isEmpty())
            return QStringLiteral("(nothing shown)");
        if (f.HelpShown.back().first != chm)
            return QStringLiteral("(another file: ") + f.HelpShown.back().first + ')';
        return f.HelpShown.back().second;
    };
    struct Case {
        int Page;
        std::function<QWidget*()> Control;
        const char* Topic;
    };
    const Case cases[] = {
        {pgControllers, [&] { return w.ControllersPage()->seSystemID; }, "controllers.htm"},
        {pgControllers, [&] { return w.ControllersPage()->edProjectName; }, "controllers.htm"},
        {pgPhases, [&] { return w.PhasesPage()->dgPhases; }, "phases.htm"},
        // The button that shows the intermediate steps opens their topic.
        {pgPhases, [&] { return w.PhasesPage()->btnShowDetails; }, "steps.htm"},
        {pgDayPlans, [&] { return w.btnDayPlans; }, "dayplans.htm"},
        // The year plan page has no number: the page control's.
        {pgYearPlan, [&] { return w.Pages[pgYearPlan]; }, "yearplan.htm"},
        {pgControllers, [&] { return w.ToolBar1->widgetForAction(w.actNew); }, "files.htm"},
        {pgControllers, [&] { return w.ToolBar1->widgetForAction(w.actScheme); }, "scheme.htm"},
    };
    for (const Case& c : cases) {
        w.PageButtons[c.Page]->click();
        QWidget* control = c.Control();
        control->setFocusPolicy(Qt::StrongFocus); // a tool button takes none by default
        control->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), control);
        const qsizetype before = f.HelpShown.size();
        QTest::keyClick(control, Qt::Key_F1);
        QCOMPARE(f.HelpShown.size(), before + 1);
        QCOMPARE(lastTopic(), QString::fromLatin1(c.Topic));
    }
    // Ctrl+H and the "?" button open the default topic, wherever the focus is.
    w.PhasesPage()->dgPhases->setFocus();
    QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(lastTopic(), QStringLiteral("index.htm"));
    f.HelpShown.clear();
    qobject_cast<QToolButton*>(w.ToolBar1->widgetForAction(w.actHelp))->click();
    QCOMPARE(lastTopic(), QStringLiteral("index.htm"));
    QCOMPARE(THelp::DefaultTopic(), QStringLiteral("index.htm"));
    // A number the map lacks still opens the help, at its default topic.
    QStringList shown;
    const THelpViewer record = [&](const QString&, const QString& topic) { shown << topic; };
    QVERIFY(THelp(f.Dir.File("NVT-3.chm"), record).ShowContext(424242));
    QCOMPARE(shown, QStringList{QStringLiteral("index.htm")});
    // No help file, or nothing to show it with: false, and nothing shown.
    QVERIFY(!THelp(f.Dir.File("missing.chm"), record).ShowDefault());
    QVERIFY(!THelp(f.Dir.File("NVT-3.chm"), nullptr).ShowContext(10200));
    QCOMPARE(shown.size(), 1);
}

void MainFormTest::aboutShowsTheBuildVersion() {
    TAbout about;
    const QLabel* version = about.findChild<QLabel*>(QStringLiteral("lblVersion"));
    QVERIFY(version != nullptr);
    QVERIFY(version->text().startsWith(QStringLiteral("Версия " TRALCON_VERSION)));
    QVERIFY(version->text().endsWith(QStringLiteral(" Beta")));
    QVERIFY(!about.findChild<QLabel*>(QStringLiteral("lblLegal"))->text().isEmpty());
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QVERIFY(about.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!about.isModal());
}

void MainFormTest::exportNeedsTheLibrary() {
    TWindowFixture f;
    QVERIFY(!f.Form->actExport->isEnabled());
    // The library appearing later does not matter: the test is made once.
    std::filesystem::copy_file(FAKE_SERLINK, ProgrammerLibraryPath(f.Dir.Path()));
    QVERIFY(!f.Form->actExport->isEnabled());
    f.Create();
    QVERIFY(f.Form->actExport->isEnabled());
}

void MainFormTest::exportWritesImageFiles() {
    TWindowFixture f(Catalogue(true, true, true));
    std::filesystem::copy_file(FAKE_SERLINK, ProgrammerLibraryPath(f.Dir.Path()));
    f.Create();
    TMainForm& w = *f.Form;
    QVERIFY(f.ShowActive());
    for (int model : {0, 1}) {
        w.UpdateEditActions(); // as the idle loop would
        w.actPlus->trigger();
        w.PopupModels->actions().at(model)->trigger();
        w.PopupModels->close();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    QCOMPARE(w.Project().ControllerList().Count(), 3);
    // Cancelled: nothing is built or written.
    w.PopupControllers->actions().at(0)->trigger();
    QVERIFY(f.Built.empty());
    const QString name = QString::fromStdString(f.Dir.File("Cross.k0"));
    f.Dialogs.SaveAnswers.push_back(name);
    w.PopupControllers->actions().at(0)->trigger();
    QCOMPARE(f.Dialogs.SaveSpecs.last().Title, QStringLiteral("Сохранение прошивок в файлы"));
    QCOMPARE(f.Dialogs.SaveSpecs.last().Filter, QStringLiteral("Прошивки флэш НВТ-3 (*.k0)"));
    QCOMPARE(f.Dialogs.SaveSpecs.last().DefaultSuffix, QStringLiteral("k0"));
    QCOMPARE(f.Built.size(), std::size_t(3));
    for (int i = 0; i < 3; ++i) {
        const std::string bytes = ReadBytes(f.Dir.File("Cross.k" + std::to_string(i)));
        QCOMPARE(bytes.size(), std::size_t(1024));
        QCOMPARE(int(std::uint8_t(bytes[0])), i + 1);
        QCOMPARE(int(std::uint8_t(bytes[100])), 0);
    }
    QVERIFY(f.Dialogs.Messages.isEmpty());
}

void MainFormTest::exportReportsAnImageTooLarge() {
    TWindowFixture f(Catalogue(true, true, true));
    std::filesystem::copy_file(FAKE_SERLINK, ProgrammerLibraryPath(f.Dir.Path()));
    f.Create();
    TMainForm& w = *f.Form;
    f.Image = [](int) { return TBytes(2009, 7); };
    f.Dialogs.SaveAnswers.push_back(QString::fromStdString(f.Dir.File("Big")));
    w.PopupControllers->actions().at(0)->trigger();
    QCOMPARE(f.Dialogs.Messages.size(), 1);
    QCOMPARE(f.Dialogs.Messages[0].Caption, QStringLiteral("Ошибка записи"));
    QCOMPARE(f.Dialogs.Messages[0].Text, QStringLiteral("Размер данных слишком велик!"));
    QCOMPARE(f.Dialogs.Messages[0].Icon, QMessageBox::Critical);
    QCOMPARE(ReadBytes(f.Dir.File("Big.k0")), std::string(1024, '\0'));
    // A failing write reaches the standard error box.
    f.Image = [](int) { return TBytes(10, 1); };
    f.Dialogs.SaveAnswers.push_back(QString::fromStdString(f.Dir.File("no/such/dir/X.k0")));
    w.PopupControllers->actions().at(0)->trigger();
    QCOMPARE(f.Dialogs.Exceptions.size(), 1);
}

void MainFormTest::programmingGoesThroughTheLibrary() {
    TWindowFixture f;
    const std::string out = f.Dir.File("programmed.bin");
    qputenv("TRALCON_FAKE_SERLINK_OUT", QByteArray::fromStdString(out));
    // Without the library: nothing is built, nothing is shown.
    f.Form->ProgramController(f.Form->Project().ControllerAt(0));
    QVERIFY(f.Built.empty());
    // A library without ExportData: the same.
    std::filesystem::copy_file(FAKE_SERLINK_NOENTRY, ProgrammerLibraryPath(f.Dir.Path()));
    f.Form->ProgramController(f.Form->Project().ControllerAt(0));
    QVERIFY(f.Built.empty());
    QVERIFY(!std::filesystem::exists(out));
    // The real entry gets the image of the chosen controller.
    std::filesystem::remove(ProgrammerLibraryPath(f.Dir.Path()));
    std::filesystem::copy_file(FAKE_SERLINK, ProgrammerLibraryPath(f.Dir.Path()));
    f.Create();
    f.Image = [](int) { return TBytes{1, 2, 3, 4, 5}; };
    f.Form->PopupControllers->actions().at(2)->trigger();
    QCOMPARE(f.Built.size(), std::size_t(1));
    QCOMPARE(f.Built[0].second, 0);
    QCOMPARE(ReadBytes(out), std::string("\x01\x02\x03\x04\x05", 5));
    // A build that throws reaches the error box.
    f.Image = [](int) -> TBytes { throw EModelError("Incorrect output!"); };
    f.Form->PopupControllers->actions().at(2)->trigger();
    QCOMPARE(f.Dialogs.Exceptions, QStringList{QStringLiteral("Incorrect output!")});
    qunsetenv("TRALCON_FAKE_SERLINK_OUT");
}

namespace {
class TThrowingObject : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw EUserError("Файл x поврежден или имеет неправильный формат");
        return QObject::event(e);
    }
};
} // namespace

void MainFormTest::qtOwnTextsAreRussian() {
    // The application object installed Qt's translation at start-up.
    auto cyrillic = [](const QString& t) {
        return std::any_of(t.begin(), t.end(),
                           [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
    };
    QFileDialog dlg(nullptr, QStringLiteral("Открытие проекта"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    const QList<QPushButton*> buttons = dlg.findChildren<QPushButton*>();
    QVERIFY(!buttons.isEmpty());
    for (const QPushButton* b : buttons)
        if (!b->text().isEmpty())
            QVERIFY2(cyrillic(b->text()), qPrintable(b->text()));
    const QList<QLabel*> labels = dlg.findChildren<QLabel*>();
    QVERIFY(std::any_of(labels.begin(), labels.end(),
                        [&](const QLabel* l) { return cyrillic(l->text()); }));
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Ok | QMessageBox::Cancel);
    // "OK" stays "OK" in Russian too.
    QVERIFY2(cyrillic(box.button(QMessageBox::Cancel)->text()),
             qPrintable(box.button(QMessageBox::Cancel)->text()));
}

void MainFormTest::escapedExceptionIsShownAndTheProgramGoesOn() {
    auto* app = qobject_cast<TApplication*>(qApp);
    QVERIFY(app != nullptr);
    QStringList shown;
    auto previous = app->OnException;
    app->OnException = [&](const QString& m) { shown << m; };
    TThrowingObject o;
    QEvent e(QEvent::User);
    QCOMPARE(QApplication::sendEvent(&o, &e), false);
    QCOMPARE(shown, QStringList{QStringLiteral("Файл x поврежден или имеет неправильный формат")});
    QCoreApplication::postEvent(&o, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(shown.size(), 2);
    app->OnException = previous;
}

// ---- the controllers and directions editors ---------------------------------

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

// A press on a cell of a grid, as the user's mouse gives it.
void PressCell(TDrawGrid* g, int col, int row, Qt::MouseButton button = Qt::LeftButton) {
    const QRect r = g->CellRect(col, row);
    QVERIFY2(!r.isEmpty(), "the cell is not on show");
    QTest::mousePress(g->viewport(), button, {}, r.center());
}

// The output entry of the first controller's submenu, by its caption.
QAction* OutputEntry(TMainForm& w, const QString& name, int controller = 0) {
    QMenu* sub = w.TrendsPage()->PopupOutputs->actions().at(2 + controller)->menu();
    return sub != nullptr ? EntryNamed(sub, name) : nullptr;
}

// The texts of a body row's output cells, columns 2 to 8.
QStringList SlotTexts(const TMainForm& w, int row) {
    QStringList out;
    for (int c = 2; c <= 8; ++c)
        out << w.TrendsPage()->TrendsCell(c, row).Text;
    return out;
}

// A window shown and active on the directions page.
struct TTrendsFixture : TWindowFixture {
    explicit TTrendsFixture(TSchemeLink* scheme = nullptr) {
        if (scheme != nullptr) {
            Form.reset();
            TMainFormEnv env = Env({});
            env.Scheme = scheme;
            Form = std::make_unique<TMainForm>(env);
        }
        Form->resize(640, 479);
        ShowActive();
        Form->ActivatePage(pgTrends);
    }
};

// Records what the window tells the scheme; the base keeps the rows.
class TRecordingScheme : public TSchemeLink {
  public:
    QStringList Calls;
    void SchemeTrendsAdded(int row) override {
        Calls << QStringLiteral("added %1").arg(row);
        TSchemeLink::SchemeTrendsAdded(row);
    }
    void SchemeTrendsRemoved(int row) override {
        Calls << QStringLiteral("removed %1").arg(row);
        TSchemeLink::SchemeTrendsRemoved(row);
    }
    void SchemeSelectTrend(int row) override { Calls << QStringLiteral("select %1").arg(row); }
};

} // namespace

void MainFormTest::controllersTreeShowsOutputsAndTheirDirections() {
    TTrendsFixture f;
    TMainForm& w = *f.Form;
    QVERIFY(AddDirection(w, U("Транспортное")));
    QVERIFY(AddDirection(w, U("Пешеходное")));
    w.ActivatePage(pgControllers);
    TDrawTree* t = w.ControllersPage()->vtControllers;
    QTreeWidgetItem* node = t->topLevelItem(0);
    QCOMPARE(t->CellLook(node, 0).Text, U("1"));
    QVERIFY(t->CellLook(node, 0).FramedOnly);
    QVERIFY(!t->CellLook(node, 0).Image.isNull()); // the only one: cannot be deleted
    QCOMPARE(t->CellLook(node, 1).Text,
             QString::fromStdString(w.Project().ControllerAt(0)->Model->Caption));
    // Each output: its name, the direction it drives and the slot letter.
    struct Row {
        const char* Output;
        const char* Direction;
        const char* Slot;
    };
    const Row rows[] = {
        {"1к", "1 Транспортное", "к"}, {"2к", "2 Пешеходное", "к"},   {"3к", "", ""},
        {"1ж", "1 Транспортное", "ж"}, {"1з", "1 Транспортное", "з"}, {"2з", "2 Пешеходное", "з"}};
    for (const Row& r : rows) {
        QTreeWidgetItem* child = nullptr;
        for (int i = 0; i < node->childCount() && child == nullptr; ++i)
            if (t->CellLook(node->child(i), 0).Text == U(r.Output))
                child = node->child(i);
        QVERIFY2(child != nullptr, r.Output);
        QCOMPARE(t->CellLook(child, 1).Text, U(r.Direction));
        QCOMPARE(t->CellLook(child, 2).Text, U(r.Slot));
        QCOMPARE(t->CellLook(child, 1).Image.isNull(), *r.Direction == 0);
        QCOMPARE(t->CellLook(child, 2).Image.isNull(), *r.Slot == 0);
    }
}

void MainFormTest::loadedControllersAndDirections() {
    TWindowFixture f;
    TMainForm& w = *f.Form;
    // An unknown model adds nothing anywhere.
    QVERIFY_THROWS_EXCEPTION(EModelError, w.AddLoadedController(999, 0));
    QCOMPARE(w.Project().ControllerList().Count(), 1);
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), 1);
    QCOMPARE(w.PopupControllers->actions().size(), 7); // with the compare and SUMO entries
    QCOMPARE(w.TrendsPage()->PopupOutputs->actions().size(), 3);
    // A known one with its lamp type: node, export entry and output submenu.
    TController* c = w.AddLoadedController(2, 1);
    QVERIFY(c != nullptr && c->IsLed());
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), 2);
    QTreeWidgetItem* node = w.ControllersPage()->vtControllers->topLevelItem(1);
    QCOMPARE(w.ControllersPage()->vtControllers->currentItem(), node);
    QCOMPARE(node->childCount(), c->Outputs.Count());
    QCOMPARE(w.ControllersPage()->vtControllers->CellLook(node, 2).Text, U("Светодиодный"));
    QCOMPARE(w.PopupControllers->actions().at(3)->text(), U("2. НВТ-3 (32 выхода)"));
    QCOMPARE(w.TrendsPage()->PopupOutputs->actions().at(3)->text(), U("2. НВТ-3 (32 выхода)"));

    // Directions the reader adds: each selected; the call kind switches call
    // phases on.
    TTrendGroup* g = w.AddLoadedTrendGroup(4);
    QVERIFY(g != nullptr);
    QCOMPARE(w.Project().TrendCount(), 3);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 2);
    QVERIFY(!w.PhasesPage()->cbUseRedBlink->isEnabled());
    g = w.AddLoadedTrendGroup(kCallKind);
    QVERIFY(g != nullptr && g->Kind() == kCallKind);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 5);
    QCOMPARE(w.TrendsPage()->SelectedTrendCol(), -1);
    QVERIFY(w.Project().CallPhasesEnabled());
    QVERIFY(w.PhasesPage()->cbUseRedBlink->isEnabled());
    QCOMPARE(w.PhasesPage()->btnEnableCallPhases->text(), U("Отключить поддержку ТВП"));
    QCOMPARE(w.TrendsPage()->dgTrends->RowCount(), 6);
    QCOMPARE(w.AddLoadedTrendGroup(10), nullptr);
    QCOMPARE(w.Project().TrendCount(), 4);
}

void MainFormTest::addTrendsMenuEntries() {
    TTrendsFixture f;
    TMainForm& w = *f.Form;
    QStringList captions;
    QList<int> tags;
    for (QAction* a : w.TrendsPage()->PopupAddTrends->actions()) {
        captions << a->text();
        tags << a->data().toInt();
        QVERIFY(!a->icon().isNull());
    }
    QCOMPARE(captions, (QStringList{U("Транспортное"), U("Пешеходное"), U("Пешеходное ЗМ"),
                                    U("Стрелка"), U("Стрелка ЗМ"), U("Трамвайное")}));
    QCOMPARE(tags, (QList<int>{0, 10, 20, 30, 35, 40}));
    // A dismissed menu still counts as a command.
    w.SetModified(false);
    w.actPlus->trigger();
    QVERIFY(w.TrendsPage()->PopupAddTrends->isVisible());
    w.TrendsPage()->PopupAddTrends->close();
    QVERIFY(w.Modified());
    QCOMPARE(w.Project().TrendCount(), 0);
}

void MainFormTest::addingEachDirectionKindBindsAndShowsOutputs_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("names");   // the row's signal names
    QTest::addColumn<QStringList>("outputs"); // the first row's output cells
    QTest::addColumn<QString>("marks");       // red and green: "rg", "-g", "--"
    QTest::addColumn<QList<int>>("timeCols"); // the editable time columns
    const QList<int> all{12, 13, 14, 15, 16}, noYellow{12, 14, 16};
    QTest::newRow("vehicle") << U("Транспортное") << QStringList{U("1Т")}
                             << QStringList{U("1к"), U("1ж"), U("1з"), "", "", "", ""}
                             << QStringLiteral("rg") << all;
    QTest::newRow("pedestrian") << U("Пешеходное") << QStringList{U("1П")}
                                << QStringList{U("1к"), "", U("1з"), "", "", "", ""}
                                << QStringLiteral("-g") << noYellow;
    QTest::newRow("pedestrian blinking")
        << U("Пешеходное ЗМ") << QStringList{U("1Пм")}
        << QStringList{U("1к"), "", U("1з"), "", "", "", ""} << QStringLiteral("-g") << noYellow;
    QTest::newRow("arrow") << U("Стрелка") << QStringList{U("1С")}
                           << QStringList{"", "", U("1з"), "", "", "", ""} << QStringLiteral("--")
                           << noYellow;
    QTest::newRow("arrow blinking")
        << U("Стрелка ЗМ") << QStringList{U("1См")} << QStringList{"", "", U("1з"), "", "", "", ""}
        << QStringLiteral("--") << noYellow;
    // Tram slots take yellow outputs first, then red ones.
    QTest::newRow("tram") << U("Трамвайное") << QStringList{U("1Tл"), U("1Тв"), U("1Тп")}
                          << QStringList{"", "", "", U("1ж"), "", "", U("2к")}
                          << QStringLiteral("--") << QList<int>{14, 16};
}

void MainFormTest::addingEachDirectionKindBindsAndShowsOutputs() {
    QFETCH(QString, caption);
    QFETCH(QStringList, names);
    QFETCH(QStringList, outputs);
    QFETCH(QString, marks);
    QFETCH(QList<int>, timeCols);
    TTrendsFixture f;
    TMainForm& w = *f.Form;
    w.SetModified(false);
    QVERIFY(AddDirection(w, caption));
    QVERIFY(w.Modified());
    QCOMPARE(w.Project().TrendCount(), names.size());
    QCOMPARE(w.TrendsPage()->dgTrends->RowCount(), names.size() + 2);
    QCOMPARE(w.TrendsPage()->dgTrends->FixedRows(), 2);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 2);
    QCOMPARE(w.TrendsPage()->SelectedTrendCol(), -1);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(w.TrendsPage()->TrendsCell(0, 2 + i).Text, names[i]);
    QCOMPARE(SlotTexts(w, 2), outputs);
    auto mark = [&](int col) {
        const auto m = w.TrendsPage()->TrendsCell(col, 2).Mark;
        return m == TTrendsPage::TControlMark::Red     ? 'r'
               : m == TTrendsPage::TControlMark::Green ? 'g'
                                                       : '-';
    };
    QCOMPARE(QStringLiteral("%1%2").arg(mark(9)).arg(mark(10)), marks);
    QList<int> editable;
    for (int c = 12; c <= 16; ++c)
        if (w.TrendsPage()->TrendsCell(c, 2).Editable)
            editable << c;
    QCOMPARE(editable, timeCols);
    // A new direction's times are all 0: nothing to show yet.
    for (int c = 12; c <= 16; ++c)
        QCOMPARE(w.TrendsPage()->TrendsCell(c, 2).Text, QString());
    // The delete action follows the selected, editable row.
    QVERIFY(w.actMinus->isEnabled());
    const QImage shot = w.TrendsPage()->dgTrends->RenderImage();
    QVERIFY(!shot.isNull());
}

void MainFormTest::outputNamesGainTheControllerNumber() {
    TTrendsFixture f; // the bundled catalogue has MultiCascade
    TMainForm& w = *f.Form;
    QVERIFY(AddDirection(w, U("Транспортное")));
    QCOMPARE(SlotTexts(w, 2).mid(0, 3), (QStringList{U("1к"), U("1ж"), U("1з")}));
    w.ActivatePage(pgControllers);
    w.actPlus->trigger();
    QVERIFY(w.PopupModels->isVisible());
    w.PopupModels->actions().at(0)->trigger();
    w.PopupModels->close();
    QCOMPARE(w.Project().ControllerList().Count(), 2);
    QCOMPARE(w.ControllersPage()->vtControllers->topLevelItemCount(), 2);
    QTreeWidgetItem* first = w.ControllersPage()->vtControllers->topLevelItem(0)->child(0);
    QCOMPARE(w.ControllersPage()->vtControllers->CellLook(first, 0).Text, U("1-1к"));
    QCOMPARE(w.ControllersPage()
                 ->vtControllers
                 ->CellLook(w.ControllersPage()->vtControllers->topLevelItem(1)->child(0), 0)
                 .Text,
             U("2-1к"));
    w.ActivatePage(pgTrends);
    QCOMPARE(SlotTexts(w, 2).mid(0, 3), (QStringList{U("1-1к"), U("1-1ж"), U("1-1з")}));
    // The output menu offers both controllers.
    QCOMPARE(Captions(w.TrendsPage()->PopupOutputs).size(), 4);
}

void MainFormTest::bindingThroughTheOutputMenu() {
    TTrendsFixture f;
    TMainForm& w = *f.Form;
    QVERIFY(AddDirection(w, U("Транспортное")));
    // The red cell opens the output menu; bound outputs are greyed.
    PressCell(w.TrendsPage()->dgTrends, 2, 2);
    QVERIFY(w.TrendsPage()->PopupOutputs->isVisible());
    QCOMPARE(w.TrendsPage()->SelectedTrendCol(), 2);
    QVERIFY(!OutputEntry(w, U("1к"))->isEnabled());
    QVERIFY(!OutputEntry(w, U("1з"))->isEnabled());
    QVERIFY(OutputEntry(w, U("2к"))->isEnabled());
    QVERIFY(w.TrendsPage()->PopupOutputs->actions().at(0)->isEnabled());
    // The universal outputs come first in the submenu.
    QCOMPARE(w.TrendsPage()->PopupOutputs->actions().at(2)->menu()->actions().at(0)->text(),
             U("1у"));
    // Unbinding the red output takes the red mark, not the green one.
    w.SetModified(false);
    w.TrendsPage()->PopupOutputs->actions().at(0)->trigger(); // "[Нет]"
    w.TrendsPage()->PopupOutputs->close();
    QVERIFY(w.Modified());
    QCOMPARE(w.TrendsPage()->TrendsCell(2, 2).Text, QString());
    QCOMPARE(w.TrendsPage()->TrendsCell(9, 2).Mark, TTrendsPage::TControlMark::None);
    QVERIFY(!w.TrendsPage()->TrendsCell(9, 2).Editable);
    QCOMPARE(w.TrendsPage()->TrendsCell(10, 2).Mark, TTrendsPage::TControlMark::Green);
    // Binding another free output shows it; red control stays off.
    PressCell(w.TrendsPage()->dgTrends, 2, 2);
    QVERIFY(w.TrendsPage()->PopupOutputs->isVisible());
    QVERIFY(OutputEntry(w, U("1к"))->isEnabled()); // free again
    OutputEntry(w, U("3к"))->trigger();
    w.TrendsPage()->PopupOutputs->close();
    QCOMPARE(w.TrendsPage()->TrendsCell(2, 2).Text, U("3к"));
    QCOMPARE(w.TrendsPage()->TrendsCell(9, 2).Mark, TTrendsPage::TControlMark::None);
    QVERIFY(w.Project().ControllerAt(0)->Outputs[2]->Owner != nullptr);
    // Unbinding the green output takes the green mark too.
    PressCell(w.TrendsPage()->dgTrends, 4, 2);
    QVERIFY(w.TrendsPage()->PopupOutputs->isVisible());
    w.TrendsPage()->PopupOutputs->actions().at(0)->trigger();
    w.TrendsPage()->PopupOutputs->close();
    QCOMPARE(w.TrendsPage()->TrendsCell(10, 2).Mark, TTrendsPage::TControlMark::None);
    // An output already bound elsewhere is refused even if its entry fires.
    QVERIFY(AddDirection(w, U("Стрелка")));
    PressCell(w.TrendsPage()->dgTrends, 4, 3);
    QVERIFY(w.TrendsPage()->PopupOutputs->isVisible());
    const QString arrowGreen = w.TrendsPage()->TrendsCell(4, 3).Text;
    OutputEntry(w, U("3к"))->trigger();
    w.TrendsPage()->PopupOutputs->close();
    QCOMPARE(w.TrendsPage()->TrendsCell(4, 3).Text, arrowGreen);
    QCOMPARE(w.TrendsPage()->TrendsCell(2, 2).Text, U("3к"));
}

void MainFormTest::pedestrianRowEditsOnlyItsSlotsAndTimes() {
    TTrendsFixture f;
    TMainForm& w = *f.Form;
    QVERIFY(AddDirection(w, U("Пешеходное")));
    QList<int> editable;
    for (int c = 0; c < 17; ++c)
        if (w.TrendsPage()->TrendsCell(c, 2).Editable)
            editable << c;
    QCOMPARE(editable, (QList<int>{2, 4, 9, 10, 12, 14, 16}));
    // A click on the yellow slot only selects the row.
    PressCell(w.TrendsPage()->dgTrends, 3, 2);
    QVERIFY(!w.TrendsPage()->PopupOutputs->isVisible());
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 2);
    QCOMPARE(w.TrendsPage()->SelectedTrendCol(), -1);
    // And on the yellow time: no editor.
    PressCell(w.TrendsPage()->dgTrends, 13, 2);
    QVERIFY(!w.InplaceEditor()->IsOpen());
    QCOMPARE(w.TrendsPage()->SelectedTrendCol(), -1);
    // A header click clears the selection.
    PressCell(w.TrendsPage()->dgTrends, 5, 1);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), -1);
    QVERIFY(!w.actMinus->isEnabled());
}

void MainFormTest::timeCellsEditInPlaceThroughTheChainRules() {
    TTrendsFixture f;
    TMainForm& w = *f.Form;
    QVERIFY(AddDirection(w, U("Транспортное")));
    const TTrend* t = w.Project().TrendAt(0);
    auto type = [&](int col, const QString& text) {
        PressCell(w.TrendsPage()->dgTrends, col, 2);
        auto* spin = qobject_cast<TvxSpinEdit*>(w.InplaceEditor()->Editor());
        QVERIFY(spin != nullptr);
        QCOMPARE(spin->parentWidget(), w.TrendsPage()->dgTrends->viewport());
        QCOMPARE(spin->geometry(),
                 TInplaceEditor::GridEditorRect(w.TrendsPage()->dgTrends->CellRect(col, 2)));
        QCOMPARE(spin->Suffix(), U("с"));
        QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(spin, text);
    };
    w.SetModified(false);
    type(12, QStringLiteral("300")); // green blinking stops at the maximum
    QCOMPARE(int(t->GetTime(2)), 255);
    QVERIFY(w.Modified());
    QCOMPARE(w.TrendsPage()->TrendsCell(12, 2).Text, U("255"));
    // Leading red 7 pulls yellow up to 7 at once: yellow then lasts no time.
    type(14, QStringLiteral("7"));
    QCOMPARE(int(t->GetTime(4)), 7);
    QCOMPARE(int(t->GetTime(3)), 7);
    QCOMPARE(w.TrendsPage()->TrendsCell(14, 2).Text, U("7"));
    QCOMPARE(w.TrendsPage()->TrendsCell(13, 2).Text, QString());
    QCOMPARE(w.TrendsPage()->TrendsCell(12, 2).Text, U("255"));
    type(13, QStringLiteral("9"));
    QCOMPARE(w.TrendsPage()->TrendsCell(13, 2).Text, U("9"));
    // Opening chain: red with yellow 0 stays blank while leading green is 4.
    type(16, QStringLiteral("4"));
    QCOMPARE(int(t->GetTime(7)), 4);
    QCOMPARE(w.TrendsPage()->TrendsCell(15, 2).Text, QString());
    QCOMPARE(w.TrendsPage()->TrendsCell(16, 2).Text, U("4"));
    // Leaving the cell discards the editor; deleting the direction with the
    // editor open leaves nothing that could write to it.
    PressCell(w.TrendsPage()->dgTrends, 0, 2);
    QTRY_VERIFY(!w.InplaceEditor()->IsOpen());
    PressCell(w.TrendsPage()->dgTrends, 12, 2);
    QVERIFY(w.InplaceEditor()->IsOpen());
    w.actMinus->trigger();
    QVERIFY(!w.InplaceEditor()->IsOpen());
    QCOMPARE(w.Project().TrendCount(), 0);
}

void MainFormTest::controlMarksToggleAndLampPowerIgnoresClicks() {
    TTrendsFixture f;
    TMainForm& w = *f.Form;
    QVERIFY(AddDirection(w, U("Транспортное")));
    const TTrend* t = w.Project().TrendAt(0);
    // Pixels of the mark's colour inside the cell as the grid paints it.
    auto painted = [&](int col, QRgb mark) {
        const QImage shot = w.TrendsPage()->dgTrends->RenderImage();
        const QRect r = w.TrendsPage()->dgTrends->CellRect(col, 2).adjusted(2, 2, -2, -2);
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += shot.pixel(x, y) == mark ? 1 : 0;
        return n;
    };
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 128, 0);
    QVERIFY(painted(9, red) > 3);
    QVERIFY(painted(10, green) > 3);
    w.SetModified(false);
    PressCell(w.TrendsPage()->dgTrends, 9, 2);
    QVERIFY(!t->RedControl());
    QVERIFY(w.Modified());
    QCOMPARE(w.TrendsPage()->TrendsCell(9, 2).Mark, TTrendsPage::TControlMark::None);
    QCOMPARE(painted(9, red), 0);
    PressCell(w.TrendsPage()->dgTrends, 9, 2);
    QVERIFY(t->RedControl());
    // Only the left button acts; another selects.
    PressCell(w.TrendsPage()->dgTrends, 10, 2, Qt::RightButton);
    QVERIFY(t->GreenControl());
    QCOMPARE(w.TrendsPage()->SelectedTrendCol(), 10);
    PressCell(w.TrendsPage()->dgTrends, 10, 2);
    QVERIFY(!t->GreenControl());
    // The lamp power column never shows a value and ignores clicks.
    w.SetModified(false);
    PressCell(w.TrendsPage()->dgTrends, 11, 2);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 2);
    QCOMPARE(w.TrendsPage()->SelectedTrendCol(), -1);
    QVERIFY(!w.Modified());
    QVERIFY(!w.InplaceEditor()->IsOpen());
    QVERIFY(!w.TrendsPage()->PopupOutputs->isVisible());
    QCOMPARE(w.TrendsPage()->TrendsCell(11, 2).Text, QString());
    QCOMPARE(int(t->RedPower()), 0);
}

void MainFormTest::deletingDirectionsMovesTheSelection() {
    TTrendsFixture f;
    TMainForm& w = *f.Form;
    QVERIFY(AddDirection(w, U("Транспортное")));
    QVERIFY(AddDirection(w, U("Трамвайное")));
    QVERIFY(AddDirection(w, U("Пешеходное")));
    QCOMPARE(w.Project().TrendCount(), 5);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 6);
    // The last direction goes: the new last row is selected.
    w.actMinus->trigger();
    QCOMPARE(w.Project().TrendCount(), 4);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 5);
    QCOMPARE(w.TrendsPage()->TrendsCell(0, 5).Text, U("2Тп"));
    // A tram row deletes the whole tram.
    PressCell(w.TrendsPage()->dgTrends, 0, 4);
    w.actMinus->trigger();
    QCOMPARE(w.Project().TrendGroupList().Count(), 1);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 2);
    // A row in the middle stays where it is.
    QVERIFY(AddDirection(w, U("Стрелка")));
    QVERIFY(AddDirection(w, U("Стрелка ЗМ")));
    PressCell(w.TrendsPage()->dgTrends, 0, 3);
    w.actMinus->trigger();
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 3);
    QCOMPARE(w.TrendsPage()->TrendsCell(0, 3).Text, U("2См"));
    // The bound outputs are free again.
    QVERIFY(OutputEntry(w, U("1з")) != nullptr);
    QCOMPARE(w.Project().ControllerAt(0)->Outputs.Count(), 16);
    // Deleting the only direction leaves no selection.
    w.actMinus->trigger();
    PressCell(w.TrendsPage()->dgTrends, 0, 2);
    w.actMinus->trigger();
    QCOMPARE(w.Project().TrendCount(), 0);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), -1);
    QVERIFY(!w.actMinus->isEnabled());
    QCOMPARE(w.TrendsPage()->dgTrends->RowCount(), 2);
    QCOMPARE(w.TrendsPage()->dgTrends->FixedRows(), 0);
    // The call direction cannot be deleted from the grid.
    w.AddLoadedTrendGroup(kCallKind);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 2);
    w.UpdateEditActions();
    QVERIFY(!w.actMinus->isEnabled());
}

void MainFormTest::schemeRowsFollowTheDirections() {
    TRecordingScheme scheme;
    TTrendsFixture f(&scheme);
    TMainForm& w = *f.Form;
    QVERIFY(AddDirection(w, U("Транспортное")));
    QVERIFY(AddDirection(w, U("Трамвайное")));
    QCOMPARE(scheme.Scheme().RowCount(), 4);
    PressCell(w.TrendsPage()->dgTrends, 0, 3);
    w.actMinus->trigger();
    QCOMPARE(scheme.Scheme().RowCount(), 1);
    PressCell(w.TrendsPage()->dgTrends, 5, 0);
    QCOMPARE(scheme.Calls, (QStringList{QStringLiteral("added 0"), QStringLiteral("added 1"),
                                        QStringLiteral("select 1"), QStringLiteral("removed 1"),
                                        QStringLiteral("select -1")}));
    // The scheme window's tree selects a row without moving the column.
    w.SelectTrendRow(0);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 2);
    w.SelectTrendRow(7);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), -1);
    // The file takes the scheme with as many rows as the project has.
    const std::string path = f.Dir.File("x.NVT");
    f.Dialogs.SaveAnswers.push_back(QString::fromStdString(path));
    QVERIFY(w.SaveProjectAsCmd());
    QVERIFY(f.Dialogs.Exceptions.isEmpty());
}

void MainFormTest::selectedDirectionStaysInView() {
    TTrendsFixture f;
    TMainForm& w = *f.Form;
    w.AddLoadedController(2, 0); // enough outputs for many directions
    w.ActivatePage(pgTrends);
    for (int i = 0; i < 22; ++i)
        QVERIFY(AddDirection(w, U("Стрелка")));
    TDrawGrid* g = w.TrendsPage()->dgTrends;
    QVERIFY(g->ScrollBars() == TScrollBars::Vertical || g->ScrollBars() == TScrollBars::Both);
    // The new last row is in view: the last visible row.
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), 23);
    QCOMPARE(g->TopRow() + g->VisibleRowCount() - 1, 23);
    // A row above the visible ones becomes the first one on show.
    w.SelectTrendRow(0);
    w.ActivatePage(pgTrends);
    QCOMPARE(g->TopRow(), 2);
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    MainFormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainFormTest.moc"
