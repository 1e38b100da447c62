#include "mainwindow/Main.h"

#include "flash/ProgrammerLibrary.h"
#include "mainwindow/About.h"
#include "mainwindow/ActionImages.h"
#include "mainwindow/CollisionsPage.h"
#include "mainwindow/ControllersPage.h"
#include "mainwindow/CyclesPage.h"
#include "mainwindow/DayPlansPage.h"
#include "mainwindow/PhasesPage.h"
#include "mainwindow/TrendsPage.h"
#include "mainwindow/WeekPlansPage.h"
#include "mainwindow/YearPlanPage.h"
#include "model/Errors.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "platform/FileIO.h"
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

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, int image,
                    const QString& hint, const QKeySequence& shortcut) {
    auto* a = new QAction(ActionIcon(image), caption, owner);
    a->setObjectName(QLatin1String(name));
    a->setToolTip(hint);
    a->setStatusTip(hint);
    a->setProperty("hint", hint);
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    a->setShortcutContext(Qt::WindowShortcut);
    return a;
}

QMenu* MakeMenu(QWidget* parent, const char* name) {
    auto* m = new QMenu(parent);
    m->setObjectName(QLatin1String(name));
    TMenuStyle::Apply(m);
    return m;
}

} // namespace

// ---- construction -----------------------------------------------------------

TMainForm::TMainForm(TMainFormEnv env, QWidget* parent)
    : QMainWindow(parent), FEnv(std::move(env)), FHelp(FEnv.ProgramDir) {
    setObjectName(QStringLiteral("MainForm"));
    if (FEnv.Dialogs == nullptr)
        FOwnDialogs = std::make_unique<TMainDialogs>();
    if (FEnv.Files == nullptr)
        FOwnFiles = MakeProjectFiles();
    if (FEnv.Scheme == nullptr)
        FOwnScheme = std::make_unique<TSchemeLink>();
    if (!FEnv.BuildImage)
        FEnv.BuildImage = MakeFlashBuilder();
    FDialogs = FEnv.Dialogs != nullptr ? FEnv.Dialogs : FOwnDialogs.get();
    FFiles = FEnv.Files != nullptr ? FEnv.Files : FOwnFiles.get();
    FScheme = FEnv.Scheme != nullptr ? FEnv.Scheme : FOwnScheme.get();
    FInplace = new TInplaceEditor(this);

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
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
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

void TMainForm::BuildActions() {
    actNew = MakeAction(this, "actNew", QStringLiteral("Новый проект"), aiNew,
                        QStringLiteral("Создать новый проект"), QKeySequence("Ctrl+N"));
    actOpen = MakeAction(this, "actOpen", QStringLiteral("Открыть проект..."), aiOpen,
                         QStringLiteral("Открыть проект"), QKeySequence("Ctrl+O"));
    actSave = MakeAction(this, "actSave", QStringLiteral("Сохранить"), aiSave,
                         QStringLiteral("Сохранить проект"), QKeySequence("Ctrl+S"));
    actSaveAs = MakeAction(this, "actSaveAs", QStringLiteral("Сохранить как..."), aiSaveAs,
                           QStringLiteral("Сохранить проект как..."), QKeySequence());
    actExport =
        MakeAction(this, "actExport", QStringLiteral("Экспорт"), aiFlash,
                   QStringLiteral("Перезаписать флэш-память контроллера"), QKeySequence("Ctrl+E"));
    actPrint = MakeAction(this, "actPrint", QStringLiteral("Печать..."), aiPassport,
                          QStringLiteral("Сохранение паспорта светофорного объекта"),
                          QKeySequence("Ctrl+P"));
    actPlus = MakeAction(this, "actPlus", QStringLiteral("Добавить"), aiAdd, QString(),
                         QKeySequence("Ctrl+Insert"));
    actMinus = MakeAction(this, "actMinus", QStringLiteral("Удалить"), aiDelete, QString(),
                          QKeySequence("Ctrl+Delete"));
    actScheme = MakeAction(this, "actScheme", QStringLiteral("Редактор схем..."), aiScheme,
                           QStringLiteral("Открыть редактор схемы движения"), QKeySequence());
    actHelp = MakeAction(this, "actHelp", QStringLiteral("Справка"), aiHelp,
                         QStringLiteral("Справка"), QKeySequence("Ctrl+H"));
    actAbout = MakeAction(this, "actAbout", QStringLiteral("О программе..."), aiAbout,
                          QStringLiteral("О программе..."), QKeySequence());
    actExit = MakeAction(this, "actExit", QStringLiteral("Выход"), aiExit,
                         QStringLiteral("Завершение работы и выход"), QKeySequence("Alt+X"));
    // Shortcuts work wherever the focus is in the window.
    addActions({actNew, actOpen, actSave, actSaveAs, actExport, actPrint, actPlus, actMinus,
                actScheme, actHelp, actAbout, actExit});

    connect(actNew, &QAction::triggered, this, [this] { Guard([this] { actNewExecute(); }); });
    connect(actOpen, &QAction::triggered, this, [this] { Guard([this] { actOpenExecute(); }); });
    connect(actSave, &QAction::triggered, this, [this] { SaveProjectCmd(); });
    connect(actSaveAs, &QAction::triggered, this, [this] { SaveProjectAsCmd(); });
    connect(actExport, &QAction::triggered, this,
            [this] { Guard([this] { actExportExecute(); }); });
    connect(actPrint, &QAction::triggered, this, [this] {
        // The passport builder is not part of this program yet.
    });
    connect(actPlus, &QAction::triggered, this, [this] { Guard([this] { actPlusExecute(); }); });
    connect(actMinus, &QAction::triggered, this, [this] { Guard([this] { actMinusExecute(); }); });
    connect(actScheme, &QAction::triggered, this, [this] { FScheme->ShowScheme(); });
    connect(actHelp, &QAction::triggered, this, [this] { actHelpExecute(); });
    connect(actAbout, &QAction::triggered, this, [this] { actAboutExecute(); });
    connect(actExit, &QAction::triggered, this, &QWidget::close);
}

void TMainForm::BuildToolBars() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->setFixedHeight(40);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    auto addButton = [this](QAction* a, int width) {
        ToolBar1->addAction(a);
        if (QWidget* w = ToolBar1->widgetForAction(a); w != nullptr) {
            w->setFixedSize(width, 30);
            w->setObjectName(QStringLiteral("btn") + a->objectName().mid(3));
        }
    };
    auto gap = [this](int width) {
        auto* spacer = new QWidget(ToolBar1);
        spacer->setFixedWidth(width);
        ToolBar1->addWidget(spacer);
    };
    for (QAction* a : {actNew, actOpen, actSave, actSaveAs, actExport, actPrint})
        addButton(a, 30);
    gap(12);
    addButton(actPlus, 30);
    addButton(actMinus, 30);
    gap(12);
    addButton(actScheme, 30);
    auto* stretch = new QWidget(ToolBar1);
    stretch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    ToolBar1->addWidget(stretch);
    addButton(actHelp, 30);
    addButton(actExit, 36);
    ToolBar1->widgetForAction(actExport)->setObjectName(QStringLiteral("btnExportFlash"));
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    addToolBarBreak(Qt::TopToolBarArea);

    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setMovable(false);
    ToolBar2->setFloatable(false);
    ToolBar2->setFixedHeight(34);
    ToolBar2->setContextMenuPolicy(Qt::PreventContextMenu);
    struct PageButton {
        int Page;
        const char* Name;
        const char* Caption;
        const char* Hint;
    };
    // Left to right; the tag of each is its page's index.
    static const PageButton buttons[] = {
        {pgControllers, "btnControllers", "&Контроллеры", "Общие параметры проекта"},
        {pgTrends, "btnTrends", "&Направления", "Параметры направлений"},
        {pgPhases, "btnPhases", "&Фазы", "Редактор фаз движения"},
        {pgCycles, "btnCycles", "Рабочие\n&циклы", "Рабочие циклы контроллера"},
        {pgDayPlans, "btnDayPlans", "&Суточные\nпланы", "Суточные планы"},
        {pgWeekPlans, "btnWeekPlans", "Н&едельные\nпланы", "Недельные планы"},
        {pgYearPlan, "btnYearPlan", "&Годовой\nплан", "Годовой план"},
        {pgCollisions, "btnCollisions", "К&онфликты", "Конфликты направлений"},
    };
    QFont small(QStringLiteral("Arial"));
    small.setPointSize(7);
    for (const PageButton& b : buttons) {
        auto* btn = new QPushButton(ToolBar2);
        btn->setObjectName(QLatin1String(b.Name));
        btn->setText(QString::fromUtf8(b.Caption));
        btn->setToolTip(QString::fromUtf8(b.Hint));
        btn->setFixedSize(65, 27);
        btn->setFont(small);
        btn->setFocusPolicy(Qt::NoFocus);
        btn->setAutoDefault(false);
        btn->setProperty("tag", b.Page);
        btn->setProperty("toolbarAction",
                         QVariant::fromValue(static_cast<QObject*>(ToolBar2->addWidget(btn))));
        connect(btn, &QPushButton::clicked, this, [this, btn] {
            Guard([this, btn] { ActivatePage(btn->property("tag").toInt()); });
        });
        PageButtons[b.Page] = btn;
    }
    btnControllers = PageButtons[pgControllers];
    btnTrends = PageButtons[pgTrends];
    btnCollisions = PageButtons[pgCollisions];
    btnPhases = PageButtons[pgPhases];
    btnCycles = PageButtons[pgCycles];
    btnWeekPlans = PageButtons[pgWeekPlans];
    btnYearPlan = PageButtons[pgYearPlan];
    btnDayPlans = PageButtons[pgDayPlans];
    addToolBar(Qt::TopToolBarArea, ToolBar2);
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
}

void TMainForm::BuildMenus() {
    PopupModels = MakeMenu(this, "PopupModels");
    PopupOpen = MakeMenu(this, "PopupOpen");
    PopupControllers = MakeMenu(this, "PopupControllers");
    PopupMenu1 = MakeMenu(this, "PopupMenu1");
    PopupNewModels = MakeMenu(this, "PopupNewModels");
    connect(PopupModels, &QMenu::aboutToShow, this, [this] { FChosenModel = nullptr; });
    // Choosing from the context menu's submenu always starts a new project.
    connect(PopupNewModels, &QMenu::aboutToShow, this, [this] {
        FNewProjectMode = true;
        FChosenModel = nullptr;
    });
    auto entry = [this](QAction* action) {
        QAction* e = PopupMenu1->addAction(action->icon(), action->property("hint").toString());
        connect(e, &QAction::triggered, action, &QAction::trigger);
        FContextEntries.emplace_back(e, action);
        return e;
    };
    entry(actNew)->setMenu(PopupNewModels);
    entry(actOpen);
    entry(actSave);
    entry(actSaveAs);
    entry(actExport);
    entry(actPrint);
    PopupMenu1->addSeparator();
    entry(actPlus);
    entry(actMinus);
    PopupMenu1->addSeparator();
    entry(actScheme);
    PopupMenu1->addSeparator();
    entry(actHelp);
    // Linux window managers offer no system menu to extend, so the About
    // entry lives here.
    entry(actAbout);
    PopupMenu1->addSeparator();
    entry(actExit);
    // Each time it opens, an entry shows only while its action is enabled,
    // under the action's hint.
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] {
        UpdateEditActions();
        for (auto [e, action] : FContextEntries) {
            e->setVisible(action->isEnabled());
            // The shortcut is shown, not bound: the action itself has it.
            QString text = action->property("hint").toString();
            if (!action->shortcut().isEmpty())
                text += QLatin1Char('\t') + action->shortcut().toString(QKeySequence::NativeText);
            e->setText(text);
        }
    });
}

void TMainForm::SetHelpContexts() {
    SetHelpContext(this, 10000);
    const std::pair<QAction*, int> buttons[] = {
        {actNew, 10001},    {actOpen, 10002},  {actSave, 10003}, {actSaveAs, 10004},
        {actExport, 10005}, {actPrint, 10006}, {actPlus, 10007}, {actMinus, 10008},
        {actScheme, 10009}, {actExit, 10010},
    };
    for (auto [a, c] : buttons)
        if (QWidget* w = ToolBar1->widgetForAction(a); w != nullptr)
            SetHelpContext(w, c);
    // The help button has none of its own: it opens the default topic.
    SetHelpContext(ToolBar1, 10099);
    SetHelpContext(ToolBar2, 100010);
    static const int pageContexts[kPageCount] = {10200, 10300, 10400, 10500,
                                                 10600, 10800, 10900, 10700};
    for (int i = 0; i < kPageCount; ++i) {
        SetHelpContext(PageButtons[i], pageContexts[i]);
    }
    SetHelpContext(PageControl1, 10900);
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
    for (TMainPage* page : Pages)
        page->Reset();
    ControllersChanged();
    UpdateCaption();
    ActivatePage(pgControllers);
    FNewProjectMode = false;
    SetModified(false);
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
}

void TMainForm::SetModified(bool on) {
    FModified = on;
    setWindowModified(on);
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
    page->Plus();
    UpdateEditActions();
}

void TMainForm::actMinusExecute() {
    TMainPage* page = CurrentPage();
    if (page == nullptr || !page->CanMinus())
        return;
    page->Minus();
    UpdateEditActions();
}

// ---- menus, help, about -----------------------------------------------------

// A menu opens under the tool bar button of its action, whether the button,
// the shortcut or the context menu asked for it: the page area that holds
// the focus is too large for its corner to say where the menu came from.
void TMainForm::ShowPopup(QMenu* menu, QAction* fromAction) {
    QPoint at;
    if (QWidget* b = ToolBar1->widgetForAction(fromAction); b != nullptr && b->isVisible())
        at = b->mapToGlobal(QPoint(0, b->height()));
    else if (QWidget* f = QApplication::focusWidget(); f != nullptr && isAncestorOf(f))
        at = f->mapToGlobal(QPoint(0, f->height()));
    else
        at = mapToGlobal(QPoint(0, 0));
    menu->popup(at);
}

void TMainForm::ShowContextMenu(const QPoint& pos) {
    PopupMenu1->popup(PageControl1->mapToGlobal(pos));
}

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
    } else {
        FChosenModel = FConfig->ModelList[modelIndex];
    }
    SetModified(true);
    AddController();
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

void TMainForm::ShowException(const std::exception& e) {
    FDialogs->ShowException(this, QString::fromUtf8(e.what()));
}

} // namespace tralcon
