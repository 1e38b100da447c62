#include "mainwindow/Main.h"

#include "flash/ProgrammerLibrary.h"
#include "mainwindow/About.h"
#include "mainwindow/ActionImages.h"
#include "mainwindow/CollisionsPage.h"
#include "mainwindow/ControllersPage.h"
#include "mainwindow/CyclesPage.h"
#include "mainwindow/DayPlansPage.h"
#include "mainwindow/DiagramView.h"
#include "mainwindow/PhasesPage.h"
#include "mainwindow/TrendsPage.h"
#include "mainwindow/WeekPlansPage.h"
#include "mainwindow/YearPlanPage.h"
#include "model/Errors.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"
#include "platform/FileIO.h"
#include "schemewindow/SchemeForm.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/DrawTree.h"
#include "widgets/GridSizing.h"
#include "widgets/InplaceEditor.h"
#include "widgets/MenuStyle.h"
#include "widgets/vxEdit.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUndoStack>
#include <QVBoxLayout>

namespace tralcon {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The page frame: the pages sit inside a rounded outline.
class TPageFrame : public QFrame {
  public:
    using QFrame::QFrame;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(kGridLineColor, 1));
        p.setBrush(kWindowColor);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    }
};

} // namespace

// ---- construction -----------------------------------------------------------

TMainForm::TMainForm(TMainFormEnv env, QWidget* parent)
    : QMainWindow(parent), FEnv(std::move(env)),
      FHelp(FEnv.HelpPath.empty() ? JoinPath(FEnv.ProgramDir, kHelpFileName) : FEnv.HelpPath,
            FEnv.ShowHelp) {
    setObjectName(QStringLiteral("MainForm"));
    if (FEnv.Dialogs == nullptr)
        FOwnDialogs = std::make_unique<TMainDialogs>();
    if (FEnv.Files == nullptr)
        FOwnFiles = MakeProjectFiles();
    if (FEnv.Scheme == nullptr) {
        auto form = std::make_unique<TSchemeForm>(this);
        form->TrendIcon = [](int kind) { return TrendImage(17 + kind); };
        FOwnScheme = std::move(form);
    }
    if (!FEnv.BuildImage)
        FEnv.BuildImage = MakeFlashBuilder();
    FDialogs = FEnv.Dialogs != nullptr ? FEnv.Dialogs : FOwnDialogs.get();
    FFiles = FEnv.Files != nullptr ? FEnv.Files : FOwnFiles.get();
    FScheme = FEnv.Scheme != nullptr ? FEnv.Scheme : FOwnScheme.get();
    FScheme->OnModified = [this] {
        FChangeText = QStringLiteral("изменение схемы");
        NoteChange();
    };
    FScheme->OnSelectTrendRow = [this](int row) { SelectTrendRow(row); };
    FInplace = new TInplaceEditor(this);
    FUndo = new QUndoStack(this);
    // Each step holds two file snapshots (a few kilobytes): 200 of them
    // stay well under a megabyte on a large crossroad.
    FUndo->setUndoLimit(200);
    connect(FUndo, &QUndoStack::cleanChanged, this, [this](bool clean) {
        FModified = !clean;
        setWindowModified(!clean);
    });

    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowColor);
    setPalette(pal);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);

    BuildActions();
    BuildToolBars();
    BuildPages();
    BuildMenus();
    SetHelpContexts();

    resize(640, 479);
    if (const QScreen* s = screen(); s != nullptr)
        move(s->availableGeometry().center() - rect().center());

    // The add and delete rules are re-evaluated whenever the application
    // has handled its input and is about to wait.
    if (auto* d = QAbstractEventDispatcher::instance(thread()); d != nullptr)
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &TMainForm::UpdateEditEnabling);
    // F1 in the program's other windows too (the check, the diagram): the
    // control with the focus names the topic wherever it is.
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    f1->setContext(Qt::ApplicationShortcut);
    connect(f1, &QShortcut::activated, this, [this] {
        HelpRequest(QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : this);
    });

    FArgInCaption = !FEnv.Args.empty();
    FormCreate();
}

TMainForm::~TMainForm() {
    // Written once, at the end; a failure to write is not reported.
    SaveRecentFiles();
    FInplace->Close();
}

void TMainForm::BuildPages() {
    auto* central = new QWidget(this);
    auto* frame = new TPageFrame(central);
    frame->setObjectName(QStringLiteral("PageFrame"));
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(4, 2, 4, 4);
    outer->addWidget(frame);
    PageControl1 = new QStackedWidget(frame);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setMinimumSize(628 - 8, 351 - 8);
    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(4, 4, 4, 4);
    inner->addWidget(PageControl1);
    setCentralWidget(central);

    TPageContext& context = *this;
    Pages[pgControllers] = FControllersPage = new TControllersPage(context);
    Pages[pgTrends] = FTrendsPage = new TTrendsPage(context);
    Pages[pgCollisions] = FCollisionsPage = new TCollisionsPage(context);
    Pages[pgPhases] = FPhasesPage = new TPhasesPage(context);
    Pages[pgCycles] = FCyclesPage = new TCyclesPage(context);
    Pages[pgWeekPlans] = FWeekPlansPage = new TWeekPlansPage(context);
    Pages[pgYearPlan] = FYearPlanPage = new TYearPlanPage(context);
    Pages[pgDayPlans] = FDayPlansPage = new TDayPlansPage(context);
    for (TMainPage* page : Pages) {
        PageControl1->addWidget(page);
        connect(page, &TMainPage::EditStateChanged, this, &TMainForm::UpdateEditActions);
    }
    PageControl1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PageControl1, &QWidget::customContextMenuRequested, this, &TMainForm::ShowContextMenu);

    connect(FControllersPage, &TControllersPage::ModelMenuRequested, this, [this] {
        FNewProjectMode = false;
        ShowPopup(PopupModels, actPlus);
    });
    connect(FControllersPage, &TControllersPage::ControllerListChanged, this,
            &TMainForm::ControllersChanged);
    connect(FControllersPage, &TControllersPage::ProjectNameEdited, this,
            &TMainForm::UpdateCaption);
    connect(FTrendsPage, &TTrendsPage::CallPhasesChanged, FPhasesPage,
            &TPhasesPage::ShowCallPhases);
    connect(FPhasesPage, &TPhasesPage::CallPhasesSwitched, FTrendsPage,
            &TTrendsPage::CallPhasesSwitched);
    connect(FCyclesPage, &TCyclesPage::PhaseChosen, FPhasesPage, &TPhasesPage::ChoosePhase);
}

void TMainForm::FormCreate() {
    try {
        // The desktop's file association; its failures do not matter.
        if (FEnv.RegisterFileType) {
            try {
                FEnv.RegisterFileType();
            } catch (const std::exception&) {
            }
        }
        FConfig = LoadConfiguration(FEnv.ConfigPath);
        for (int i = 0; i < FConfig->ModelList.Count(); ++i) {
            const QString caption = Q(FConfig->ModelList[i]->Caption);
            for (QMenu* menu : {PopupModels, PopupNewModels}) {
                QAction* a = menu->addAction(caption);
                a->setToolTip(QStringLiteral("Модель %1").arg(caption));
                a->setStatusTip(a->toolTip());
                connect(a, &QAction::triggered, this,
                        [this, i] { Guard([this, i] { ModelMenuClick(i); }); });
            }
        }
        // Tested once: the library does not come and go while the program runs.
        actExport->setEnabled(SerlinkAvailable(FEnv.ProgramDir));

        AddRecentFile(std::nullopt);
        for (const std::string& path : LoadRecentFiles(FEnv.SettingsPath, FileExists))
            AddRecentFile(Q(path));

        for (int i = 0; i < kPageCount; ++i)
            PageButtons[i]->setProperty("tag", i);
        auto showButton = [](QPushButton* b, bool on) {
            if (auto* a = qobject_cast<QAction*>(b->property("toolbarAction").value<QObject*>()))
                a->setVisible(on);
        };
        showButton(btnCollisions, FConfig->UseCollisions);
        showButton(btnYearPlan, FConfig->UseYearPlan);

        FChosenModel = FConfig->ModelList[0];
        NewProject();
        AddController();
        FSnapshot = TakeSnapshot(); // the history starts with the controller
        FNewProjectMode = true;
    } catch (const std::exception& e) {
        FStartupFailed = true;
        FDialogs->ShowMessage(this, QStringLiteral("Ошибка"), QString::fromUtf8(e.what()),
                              QMessageBox::Critical);
    }
}

// ---- the project in the editors ---------------------------------------------

void TMainForm::NewProject() {
    CloseInplaceEditor();
    auto fresh = std::make_unique<TProject>(*FConfig);
    FScheme->SetProject(fresh.get());
    FProject = std::move(fresh);
    FScheme->ClearScheme();
    FOpenFileName.clear();
    FSaveFileName.clear();
    ResetEditors();
}

void TMainForm::ResetEditors() {
    RebuildEditors(pgControllers);
    FNewProjectMode = false;
    // A project started or opened begins a history of its own.
    FUndo->clear();
    FSnapshot = TakeSnapshot();
    SetModified(false);
    UpdateEditActions();
}

void TMainForm::RebuildEditors(int page) {
    if (FDiagramView != nullptr)
        FDiagramView->ShowCycle(nullptr);
    for (TMainPage* p : Pages)
        p->Reset();
    ControllersChanged();
    UpdateCaption();
    ActivatePage(page);
}

TSnapshot TMainForm::TakeSnapshot() const {
    try {
        return SaveProjectToBytes(*FProject, FScheme->Scheme());
    } catch (const std::exception&) {
        // A project the file cannot hold (a list too long): the step
        // joins the next one that can be written.
        return {};
    }
}

QString TMainForm::ChangeText() const {
    if (!FChangeText.isEmpty())
        return FChangeText;
    QString page = PageButtons[ActivePage()]->text();
    page.remove(QLatin1Char('&')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("изменение (%1)").arg(page);
}

void TMainForm::NoteChange() {
    SetModified(true);
    if (FRestoring || !FProject)
        return;
    TSnapshot after = TakeSnapshot();
    if (after.empty() || after == FSnapshot)
        return;
    // A run of typing in one in-place editor is one step.
    const int key = FInplace->IsOpen() ? FInplace->Session() : 0;
    FUndo->push(new TSnapshotCommand(
        ChangeText(), FSnapshot, after, ActivePage(), key,
        [this](const TSnapshot& bytes, int page) { RestoreSnapshot(bytes, page); }));
    FSnapshot = std::move(after);
    // A name is for the one change it was given to.
    FChangeText.clear();
}

void TMainForm::RestoreSnapshot(const TSnapshot& bytes, int page) {
    TLoadedProject loaded =
        LoadProjectFromBytes(bytes.data(), bytes.size(), *FConfig, FSaveFileName.toStdString());
    loaded.Project->SetProjectOptions(FProject->ProjectOptions());
    loaded.Project->SetAllRedTime(FProject->AllRedTime());
    FRestoring = true;
    SwapInProject(std::move(loaded));
    RebuildEditors(page);
    FRestoring = false;
    FSnapshot = TakeSnapshot();
    UpdateEditActions();
}

void TMainForm::ControllersChanged() {
    RebuildExportMenu();
    for (TMainPage* page : Pages)
        page->ControllersChanged();
}

// "Сохранить в файл…", then one entry per controller that programs it.
void TMainForm::RebuildExportMenu() {
    PopupControllers->clear();
    const auto& list = FProject->ControllerList();
    if (list.Empty())
        return;
    QAction* toFiles = PopupControllers->addAction(QStringLiteral("Сохранить в файл…"));
    connect(toFiles, &QAction::triggered, this, [this] { Guard([this] { SaveImageFilesCmd(); }); });
    PopupControllers->addSeparator();
    for (int i = 0; i < list.Count(); ++i) {
        TController* c = list[i];
        QAction* entry = PopupControllers->addAction(
            QStringLiteral("%1. %2").arg(i + 1).arg(Q(c->Model->Caption)));
        entry->setData(QVariant::fromValue(reinterpret_cast<quintptr>(c)));
        connect(entry, &QAction::triggered, this,
                [this, c] { Guard([this, c] { ProgramController(c); }); });
    }
    PopupControllers->addSeparator();
    for (int i = 0; i < list.Count(); ++i) {
        TController* c = list[i];
        QAction* entry = PopupControllers->addAction(
            QStringLiteral("Сравнить с контроллером %1. %2").arg(i + 1).arg(Q(c->Model->Caption)));
        entry->setData(QVariant::fromValue(reinterpret_cast<quintptr>(c)));
        connect(entry, &QAction::triggered, this,
                [this, c] { Guard([this, c] { CompareController(c); }); });
    }
    PopupControllers->addSeparator();
    QAction* sumo = PopupControllers->addAction(QStringLiteral("Экспорт в SUMO…"));
    connect(sumo, &QAction::triggered, this, [this] { Guard([this] { SaveSumoCmd(); }); });
}

void TMainForm::SetModified(bool on) {
    FModified = on;
    setWindowModified(on);
    // Saved (or new): undoing back to here clears the flag again.
    if (!on && FUndo != nullptr)
        FUndo->setClean();
    // A change the file keeps may change the diagram on show.
    if (on && FDiagramView != nullptr && FDiagramView->isVisible())
        FDiagramView->ProjectChanged();
}

void TMainForm::UpdateCaption() {
    if (!FProject)
        return;
    FControllersPage->ShowProjectName();
    const QString name = Q(FProject->ProjectName());
    QString caption = name;
    if (!FOpenFileName.isEmpty())
        caption = QStringLiteral("%1 - %2").arg(name, FOpenFileName);
    else if (FArgInCaption)
        caption = QStringLiteral("%1 - %2").arg(name, Q(FEnv.Args.front()));
    // The desktop marks unsaved changes where the placeholder stands.
    setWindowTitle(caption + QStringLiteral("[*]"));
    qApp->setProperty("applicationTitle", caption);
}

void TMainForm::CloseInplaceEditor() {
    FInplace->Close();
}

void TMainForm::SetQuickCall(bool flag) {
    FControllersPage->SetQuickCall(flag);
}

void TMainForm::SetAllRedTime(int seconds) {
    FControllersPage->SetAllRedTime(seconds);
}

void TMainForm::SetRedBlink(bool flag) {
    FPhasesPage->SetRedBlink(flag);
}

void TMainForm::SetQuickStart(bool flag) {
    FControllersPage->SetQuickStart(flag);
}

void TMainForm::AddController() {
    FControllersPage->AddController(FChosenModel);
}

TController* TMainForm::AddLoadedController(std::int32_t modelID, std::uint8_t flags) {
    return FControllersPage->AddLoadedController(modelID, flags);
}

TTrendGroup* TMainForm::AddLoadedTrendGroup(int kind) {
    return FTrendsPage->AddLoadedTrendGroup(kind);
}

TSchemeForm* TMainForm::SchemeForm() const {
    return dynamic_cast<TSchemeForm*>(FScheme);
}

void TMainForm::SelectTrendRow(int row) {
    FTrendsPage->SelectTrendRow(row);
}

// ---- pages ------------------------------------------------------------------

int TMainForm::ActivePage() const {
    return PageControl1->currentIndex();
}

TMainPage* TMainForm::CurrentPage() const {
    return qobject_cast<TMainPage*>(PageControl1->currentWidget());
}

void TMainForm::ActivatePage(int page) {
    if (page < 0 || page >= kPageCount)
        return;
    PageControl1->setCurrentIndex(page);
    if (FProject)
        Pages[page]->Layout();
    PageControl1Change();
    UpdateEditActions();
}

void TMainForm::PageControl1Change() {
    for (QPushButton* b : PageButtons) {
        QPalette pal = b->palette();
        const bool active = b->property("tag").toInt() == ActivePage();
        pal.setColor(QPalette::ButtonText,
                     active ? kFocusColor : QApplication::palette().color(QPalette::WindowText));
        b->setPalette(pal);
    }
}

// ---- add and delete ---------------------------------------------------------

void TMainForm::UpdateEditEnabling() {
    const TMainPage* page = CurrentPage();
    if (!FProject || page == nullptr)
        return;
    actDiagram->setEnabled(page == FCyclesPage && FCyclesPage->SelectedCycleRow() >= 5);
    actPlus->setEnabled(page->CanPlus());
    actMinus->setEnabled(page->CanMinus());
}

void TMainForm::UpdateEditActions() {
    UpdateEditEnabling();
    UpdateActionHints();
}

void TMainForm::UpdateActionHints() {
    const TMainPage* page = CurrentPage();
    if (!FProject || page == nullptr)
        return;
    // The hint is also the text: an empty one leaves the button without a
    // tool-tip.
    for (auto [a, hint] :
         {std::pair{actPlus, page->PlusHint()}, std::pair{actMinus, page->MinusHint()}}) {
        a->setProperty("hint", hint);
        a->setText(hint);
        a->setToolTip(hint);
        a->setStatusTip(hint);
    }
}

void TMainForm::actPlusExecute() {
    TMainPage* page = CurrentPage();
    if (page == nullptr || !page->CanPlus())
        return;
    FChangeText = page->PlusHint().toLower();
    page->Plus();
    FChangeText.clear();
    UpdateEditActions();
}

void TMainForm::actMinusExecute() {
    TMainPage* page = CurrentPage();
    if (page == nullptr || !page->CanMinus())
        return;
    FChangeText = page->MinusHint().toLower();
    page->Minus();
    FChangeText.clear();
    UpdateEditActions();
}

// ---- commands ---------------------------------------------------------------

void TMainForm::actNewExecute() {
    FNewProjectMode = true;
    ShowPopup(PopupModels, actNew);
}

void TMainForm::ModelMenuClick(int modelIndex) {
    if (modelIndex < 0 || modelIndex >= FConfig->ModelList.Count())
        return;
    if (FNewProjectMode) {
        if (!ConfirmDiscard())
            return;
        FChosenModel = FConfig->ModelList[modelIndex];
        FArgInCaption = false;
        NewProject();
        // A project started from the menu is modified at once; its history
        // starts with its controller.
        AddController();
        FSnapshot = TakeSnapshot();
        SetModified(true);
    } else {
        FChosenModel = FConfig->ModelList[modelIndex];
        FChangeText = QStringLiteral("новый контроллер");
        AddController();
        NoteChange();
        FChangeText.clear();
    }
    UpdateEditActions();
}

void TMainForm::HelpRequest(QWidget* w) {
    FHelp.ShowContext(HelpContextOf(w));
}

void TMainForm::actHelpExecute() {
    FHelp.ShowDefault();
}

void TMainForm::actAboutExecute() {
    if (About == nullptr)
        return;
    About->show();
    About->raise();
}

void TMainForm::ShowRefusal(QWidget* control, const QString& text) {
    FRefusals << text;
    if (control != nullptr && control->isVisible())
        QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())), text, control);
}

void TMainForm::ShowException(const std::exception& e) {
    FDialogs->ShowException(this, QString::fromUtf8(e.what()));
}

} // namespace tralcon
