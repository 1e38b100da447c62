#pragma once
// The main window: the project's one editing window, with a page per topic,
// the tool bars, the file commands and the export menu.

#include "flash/SignalCheck.h"
#include "mainwindow/Help.h"
#include "mainwindow/MainPage.h"
#include "mainwindow/MainServices.h"
#include "mainwindow/UndoSnapshots.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolBar;
class QUndoStack;

namespace tralcon {

class TAbout;
class TCheckForm;
class TSchemeForm;
class TDiagramView;
class TCollisionsPage;
class TController;
class TControllersPage;
class TCyclesPage;
class TDayPlansPage;
class TInplaceEditor;
class TPhasesPage;
class TProject;
class TTrendGroup;
class TTrendsPage;
class TWeekPlansPage;
class TYearPlanPage;

// Page indexes of PageControl1.
enum TPageIndex {
    pgControllers = 0,
    pgTrends = 1,
    pgCollisions = 2,
    pgPhases = 3,
    pgCycles = 4,
    pgWeekPlans = 5,
    pgYearPlan = 6,
    pgDayPlans = 7,
    kPageCount = 8,
};

// The shell over the pages: tool bars, page buttons, menus, the file and
// export commands, the caption and the modified flag. What "+" and "−" do,
// and when, is the shown page's business.
class TMainForm : public QMainWindow, private TPageContext {
    Q_OBJECT
  public:
    // Builds the window and runs FormCreate. When that failed, the message
    // has been shown and StartupFailed() tells the program to end.
    explicit TMainForm(TMainFormEnv env, QWidget* parent = nullptr);
    ~TMainForm() override;

    bool StartupFailed() const { return FStartupFailed; }

    // ---- operations other parts call -------------------------------------
    void NewProject();
    void UpdateEditActions();
    void UpdateActionHints();
    void UpdateCaption();
    void CloseInplaceEditor();
    void SetQuickCall(bool flag);
    void SetAllRedTime(int seconds);
    void SetRedBlink(bool flag);
    void SetQuickStart(bool flag);
    // A controller of the chosen model.
    void AddController();
    TController* AddLoadedController(std::int32_t modelID, std::uint8_t flags);
    TTrendGroup* AddLoadedTrendGroup(int kind);
    // The scheme window's tree moved to a signal row.
    void SelectTrendRow(int row);
    // Reads a project file and shows it; false (the message shown, nothing
    // changed) when it could not be read.
    bool OpenProject(const QString& path);
    // Opens the file named first on the command line. Throws what the reader
    // threw: a failure here ends the program.
    void OpenCommandLineProject();
    void AddRecentFile(const std::optional<QString>& path);
    void SaveRecentFiles();
    // Save and Save As; false when nothing was written (cancelled or failed).
    bool SaveProjectCmd();
    bool SaveProjectAsCmd();
    void ModelMenuClick(int modelIndex);
    void SaveImageFilesCmd();
    void ProgramController(const TController* controller);
    // The signal program check into the "Проверка" window, which it shows.
    void RunCheck();
    // Before images leave the program: true when the check of these images
    // found no error or the engineer chose to go on.
    bool CheckBeforeSending(const std::vector<TBytes>& images, const QString& what);
    TCheckForm* CheckForm() const { return FCheckForm; }
    // The timing diagram of the cycle selected on the cycles page.
    void ShowDiagram();
    TDiagramView* DiagramView() const { return FDiagramView; }
    // The scheme window, when the scheme link is the real one.
    TSchemeForm* SchemeForm() const;
    // The program as SUMO files, under a name the engineer chooses.
    void SaveSumoCmd();
    // Reads the controller's flash through the programmer library and says
    // how it differs from the project.
    void CompareController(const TController* controller);
    // Help for a control: its context number or its nearest parent's.
    void HelpRequest(QWidget* w);

    // ---- state ------------------------------------------------------------
    TProject& Project() override { return *FProject; }
    const TProject& Project() const { return *FProject; }
    const TConfiguration& Config() const override { return *FConfig; }
    bool Modified() const { return FModified; }
    void SetModified(bool on);
    bool NewProjectMode() const { return FNewProjectMode; }
    const TModel* ChosenModel() const { return FChosenModel; }
    int ActivePage() const;
    void ActivatePage(int page); // as the page button does
    QString OpenFileName() const { return FOpenFileName; }
    QString SaveFileName() const { return FSaveFileName; }
    QStringList RecentFiles() const;
    TInplaceEditor* InplaceEditor() const { return FInplace; }
    // Every change an editor made since the project was started or opened.
    QUndoStack* UndoStack() const { return FUndo; }
    // The project's file bytes as they are now (what an undo step holds).
    TSnapshot TakeSnapshot() const;
    // What the editors refused to take, most recent last.
    const QStringList& Refusals() const { return FRefusals; }

    // ---- pages ------------------------------------------------------------
    TMainPage* Pages[kPageCount] = {};
    TControllersPage* ControllersPage() const { return FControllersPage; }
    TTrendsPage* TrendsPage() const { return FTrendsPage; }
    TCollisionsPage* CollisionsPage() const { return FCollisionsPage; }
    TPhasesPage* PhasesPage() const { return FPhasesPage; }
    TCyclesPage* CyclesPage() const { return FCyclesPage; }
    TDayPlansPage* DayPlansPage() const { return FDayPlansPage; }
    TWeekPlansPage* WeekPlansPage() const { return FWeekPlansPage; }
    TYearPlanPage* YearPlanPage() const { return FYearPlanPage; }
    TMainPage* CurrentPage() const;

    // ---- controls ---------------------------------------------------------
    QToolBar* ToolBar1 = nullptr; // actions
    QToolBar* ToolBar2 = nullptr; // page buttons
    QStackedWidget* PageControl1 = nullptr;
    QPushButton* PageButtons[kPageCount] = {}; // by page index
    QPushButton* btnControllers = nullptr;
    QPushButton* btnTrends = nullptr;
    QPushButton* btnCollisions = nullptr;
    QPushButton* btnPhases = nullptr;
    QPushButton* btnCycles = nullptr;
    QPushButton* btnWeekPlans = nullptr;
    QPushButton* btnYearPlan = nullptr;
    QPushButton* btnDayPlans = nullptr;

    QAction* actNew = nullptr;
    QAction* actOpen = nullptr;
    QAction* actSave = nullptr;
    QAction* actSaveAs = nullptr;
    QAction* actExport = nullptr;
    QAction* actPrint = nullptr;
    QAction* actPlus = nullptr;
    QAction* actMinus = nullptr;
    QAction* actScheme = nullptr;
    QAction* actCheck = nullptr;
    QAction* actDiagram = nullptr;
    QAction* actUndo = nullptr;
    QAction* actRedo = nullptr;
    QAction* actHelp = nullptr;
    QAction* actAbout = nullptr;
    QAction* actExit = nullptr;

    QMenu* PopupModels = nullptr;
    QMenu* PopupOpen = nullptr;
    QMenu* PopupControllers = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupNewModels = nullptr; // the context menu's new-project submenu

    TAbout* About = nullptr;

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    // TPageContext
    bool HasProject() const override { return FProject != nullptr; }
    TSchemeLink& Scheme() override { return *FScheme; }
    TInplaceEditor& Inplace() override { return *FInplace; }
    TMainDialogs& Dialogs() override { return *FDialogs; }
    void SetModified() override { NoteChange(); }
    void NameNextChange(const QString& text) override { FChangeText = text; }
    bool WindowActive() const override { return isActiveWindow(); }
    void PopupPlusMenu(QMenu* menu) override { ShowPopup(menu, actPlus); }
    void ShowException(const std::exception& e) override;
    QWidget* DialogParent() override { return this; }
    void ShowRefusal(QWidget* control, const QString& text) override;

    void BuildActions();
    void BuildToolBars();
    void BuildPages();
    void BuildMenus();
    void SetHelpContexts();
    void FormCreate();

    // Shows a project read from a file in place of the one on show.
    void SwapInProject(TLoadedProject loaded);
    void ResetEditors();
    // The pages made anew from the project, the page shown; the file names,
    // the modified flag and the undo history stay.
    void RebuildEditors(int page);
    // A change an editor made: the modified flag, and a step of the history.
    void NoteChange();
    // An undo step's snapshot put back (options and the all-red time, kept
    // out of the history as out of the modified state, stay as they are).
    void RestoreSnapshot(const TSnapshot& bytes, int page);
    QString ChangeText() const;
    void RebuildExportMenu();
    void ControllersChanged();
    // Every controller's image, as the export sends them.
    std::vector<TBytes> BuildImages() const;
    TCheckForm* ShowCheckForm(const std::vector<TFinding>& findings);
    // Before the project on show is replaced: a modified project is saved,
    // dropped or kept as the engineer says; false keeps it.
    bool ConfirmDiscard();

    void PageControl1Change();
    void UpdateEditEnabling();

    void actNewExecute();
    void actOpenExecute();
    void actExportExecute();
    void actPrintExecute();
    void actPlusExecute();
    void actMinusExecute();
    void actHelpExecute();
    void actAboutExecute();
    void OpenDialogCmd();
    void OpenRecentCmd(const QString& path);
    void ShowPopup(QMenu* menu, QAction* fromAction);
    void ShowContextMenu(const QPoint& pos);

    // Runs a command; an exception it throws goes to the standard error box.
    template <class F> bool Guard(F&& f);

    TMainFormEnv FEnv;
    std::unique_ptr<TMainDialogs> FOwnDialogs;
    std::unique_ptr<TProjectFiles> FOwnFiles;
    std::unique_ptr<TSchemeLink> FOwnScheme;
    TMainDialogs* FDialogs = nullptr;
    TProjectFiles* FFiles = nullptr;
    TSchemeLink* FScheme = nullptr;
    THelp FHelp;

    std::unique_ptr<TConfiguration> FConfig;
    std::unique_ptr<TProject> FProject;
    TInplaceEditor* FInplace = nullptr;

    TControllersPage* FControllersPage = nullptr;
    TTrendsPage* FTrendsPage = nullptr;
    TCollisionsPage* FCollisionsPage = nullptr;
    TPhasesPage* FPhasesPage = nullptr;
    TCyclesPage* FCyclesPage = nullptr;
    TDayPlansPage* FDayPlansPage = nullptr;
    TWeekPlansPage* FWeekPlansPage = nullptr;
    TYearPlanPage* FYearPlanPage = nullptr;

    bool FStartupFailed = false;
    bool FModified = false;
    bool FNewProjectMode = true;
    const TModel* FChosenModel = nullptr;
    // The caption names the command line's file until another project is
    // started or opened.
    bool FArgInCaption = false;

    // The file names the dialogs keep between uses.
    QString FOpenFileName;   // OpenProjectDialog
    QString FSaveFileName;   // SaveProjectDialog: the project's file
    QString FExportFileName; // SaveDialog of the flash export
    QString FReportFileName; // ExportReportDialog

    std::vector<std::pair<QAction*, QAction*>> FContextEntries; // entry, action
    QStringList FRefusals;
    TCheckForm* FCheckForm = nullptr; // made when first used
    TDiagramView* FDiagramView = nullptr;
    QUndoStack* FUndo = nullptr;
    TSnapshot FSnapshot; // the project as the last step left it
    bool FRestoring = false;
    QString FChangeText; // the name of the command running, if any
    QString FSumoFileName;
};

} // namespace tralcon

namespace tralcon {

template <class F> bool TMainForm::Guard(F&& f) {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        TMainForm::ShowException(e);
        return false;
    }
}

} // namespace tralcon
