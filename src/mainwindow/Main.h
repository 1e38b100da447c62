#pragma once
// The main window: the project's one editing window, with a page per topic,
// the tool bars, the file commands and the export menu.

#include "mainwindow/Help.h"
#include "mainwindow/MainServices.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QFrame;
class QLineEdit;
class QMenu;
class QPainter;
class QPushButton;
class QStackedWidget;
class QToolBar;
class QToolButton;
class QTreeWidgetItem;

namespace tralcon {

class TAbout;
class TController;
class TControllerOutput;
class TDrawGrid;
class TDrawTree;
class TInplaceEditor;
class TPhase;
class TProject;
class TTrendGroup;
class TvxSpinEdit;

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

class TMainForm : public QMainWindow {
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
    void AddController();
    // For the project reader: a controller from its model identifier and
    // lamp-type flags ("Model not found" before anything is added).
    TController* AddLoadedController(std::int32_t modelID, std::uint8_t flags);
    // For the project reader: a direction of the kind's class, selected; the
    // call kind switches call phases on. None for an unknown kind.
    TTrendGroup* AddLoadedTrendGroup(int kind);
    // The scheme window's tree moved to a signal row.
    void SelectTrendRow(int row);
    void LayoutTrendsGrid();
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
    // Help for a control: its context number or its nearest parent's.
    void HelpRequest(QWidget* w);

    // ---- state ------------------------------------------------------------
    TProject& Project() const { return *FProject; }
    const TConfiguration& Config() const { return *FConfig; }
    bool Modified() const { return FModified; }
    void SetModified(bool on) { FModified = on; }
    bool NewProjectMode() const { return FNewProjectMode; }
    const TModel* ChosenModel() const { return FChosenModel; }
    int ActivePage() const;
    void ActivatePage(int page); // as the page button does
    QString OpenFileName() const { return FOpenFileName; }
    QString SaveFileName() const { return FSaveFileName; }
    QStringList RecentFiles() const;
    int SelectedController() const { return FSelController; }
    TInplaceEditor* InplaceEditor() const { return FInplace; }
    // Grid rows of the directions grid (signal row + 2), -1 for none.
    int SelectedTrendRow() const { return FSelTrendRow; }
    int SelectedTrendCol() const { return FSelTrendCol; }

    // What a body cell of the directions grid shows and whether a click may
    // edit it.
    enum class TControlMark { None, Red, Green };
    struct TTrendsCell {
        QString Text;
        TControlMark Mark = TControlMark::None;
        bool Editable = false;
    };
    TTrendsCell TrendsCell(int col, int row) const;

    // ---- controls ---------------------------------------------------------
    QToolBar* ToolBar1 = nullptr; // actions
    QToolBar* ToolBar2 = nullptr; // page buttons
    QStackedWidget* PageControl1 = nullptr;
    QWidget* Pages[kPageCount] = {};
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
    QAction* actHelp = nullptr;
    QAction* actAbout = nullptr;
    QAction* actExit = nullptr;

    QMenu* PopupModels = nullptr;
    QMenu* PopupOpen = nullptr;
    QMenu* PopupControllers = nullptr;
    QMenu* PopupOutputs = nullptr;
    QMenu* PopupAddTrends = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupNewModels = nullptr; // the context menu's new-project submenu

    QWidget* Panel1 = nullptr;
    QLineEdit* edProjectName = nullptr;
    QFrame* edProjectNameFrame = nullptr;
    TvxSpinEdit* seSystemID = nullptr;
    TvxSpinEdit* udAllRedTime = nullptr;
    QCheckBox* cbQuickStart = nullptr;
    QCheckBox* cbQuickCall = nullptr;
    QCheckBox* cbUseRedBlink = nullptr;
    QPushButton* btnShowDetails = nullptr;
    QPushButton* btnEnableCallPhases = nullptr;

    TDrawTree* vtControllers = nullptr;
    TDrawTree* vtDayPlans = nullptr;
    TDrawTree* vtWeekPlans = nullptr;
    TDrawTree* vtYearPlan = nullptr;
    TDrawGrid* dgTrends = nullptr;
    TDrawGrid* dgCollisions = nullptr;
    TDrawGrid* dgPhases = nullptr;
    TDrawGrid* dgCycles = nullptr;

    TAbout* About = nullptr;

    // The rules of actPlus and actMinus for the active page (also run when
    // the application becomes idle).
    bool actPlusUpdate() const;
    bool actMinusUpdate() const;

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildActions();
    void BuildToolBars();
    void BuildPages();
    void BuildControllersPage();
    void BuildPhasesPage();
    void BuildPlanTrees();
    void DrawSequenceCell(QPainter& p, TDrawGrid* g, int col, int row, const QRect& rect,
                          bool expanded);
    void BuildMenus();
    void SetHelpContexts();
    void FormCreate();

    // Shows a project read from a file in place of the one on show.
    void SwapInProject(TLoadedProject loaded);
    void ResetEditors();
    void RebuildFromModel();
    void AddControllerEntries(TController* controller);
    void RenumberControllerEntries();
    void DeleteSelectedController();
    void RebuildPlanTrees();
    void ShowProjectValues();
    void UpdateDetailsButton();
    void UpdateCallPhasesButton();

    void PageControl1Change();
    void LayoutActivePage();
    void LayoutCollisionsGrid();
    void LayoutPhasesGrid();
    void LayoutCyclesGrid();
    void UpdateEditEnabling();

    void actNewExecute();
    void actOpenExecute();
    void actExportExecute();
    void actPlusExecute();
    void actMinusExecute();
    void actHelpExecute();
    void actAboutExecute();
    void OpenDialogCmd();
    void ShowPopup(QMenu* menu, QAction* fromAction);
    void ShowContextMenu(const QPoint& pos);

    void BuildTrendsEditor();
    void DrawTrendsCell(QPainter& p, int col, int row, const QRect& rect);
    void dgTrendsMouseDown(Qt::MouseButton button, QPoint pos);
    void N15Click(int tag);
    void Test1Click(TControllerOutput* output);
    void DeleteSelectedTrendGroup();

    void vtControllersFocusChanged(QTreeWidgetItem* node);
    void vtControllersClick(Qt::MouseButton button, QPoint pos);

    void edProjectNameChange(const QString& text);
    void seSystemIDChange(int value);
    void udAllRedTimeChange(int value);

    // Runs a command; an exception it throws goes to the standard error box.
    template <class F> bool Guard(F&& f);
    void ShowException(const std::exception& e);

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

    bool FStartupFailed = false;
    bool FModified = false;
    bool FNewProjectMode = true;
    const TModel* FChosenModel = nullptr;
    bool FStepsExpanded = false;
    bool FCallPhasesEnabled = false;
    int FUpdating = 0; // > 0 while the program itself sets controls

    // Selections, -1 for none.
    int FSelTrendRow = -1, FSelTrendCol = -1;
    int FSelPhaseCol = -1, FSelPhaseRow = -1;
    int FSelCycleCol = -1, FSelCycleRow = -1;
    TPhase* FSelPhase = nullptr;      // phases page
    TPhase* FSelCyclePhase = nullptr; // cycles page
    int FSelDayPlan = -1, FSelDayPlanItem = -1;
    int FSelWeekPlan = -1, FSelWeekPlanItem = -1;
    int FSelYearPlanItem = -1;
    int FSelController = -1;

    // The file names the dialogs keep between uses.
    QString FOpenFileName;   // OpenProjectDialog
    QString FSaveFileName;   // SaveProjectDialog: the project's file
    QString FExportFileName; // SaveDialog of the flash export
    QString FReportFileName; // ExportReportDialog

    std::vector<std::pair<QAction*, QAction*>> FContextEntries; // entry, action
};

} // namespace tralcon

namespace tralcon {

template <class F> bool TMainForm::Guard(F&& f) {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        ShowException(e);
        return false;
    }
}

} // namespace tralcon
