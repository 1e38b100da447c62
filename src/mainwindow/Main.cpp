#include "mainwindow/Main.h"

#include "flash/ProgrammerLibrary.h"
#include "mainwindow/About.h"
#include "mainwindow/ActionImages.h"
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

const QColor kTrendsControlColor(255, 255, 221);
const QColor kTrendsClosingColor(234, 255, 234);
const QColor kPhasesTitleColor(234, 234, 255);
const QColor kCyclesTitleColor(239, 234, 255);

// Column widths of the directions grid.
constexpr int kTrendsColWidths[17] = {36, 24, 30, 30, 30, 30, 30, 30, 30,
                                      30, 30, 45, 45, 45, 45, 45, 45};

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

// An edit without a border of its own inside a one-pixel rectangle that is
// blue while the edit has the focus.
class TFramedEdit : public QFrame {
  public:
    TFramedEdit(QWidget* parent, QLineEdit* edit) : QFrame(parent), FEdit(edit) {
        edit->setParent(this);
        edit->setFrame(false);
        auto* l = new QHBoxLayout(this);
        l->setContentsMargins(2, 1, 2, 1);
        l->addWidget(edit);
        edit->installEventFilter(this);
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, Qt::white);
        edit->setPalette(pal);
        setAutoFillBackground(true);
        pal = palette();
        pal.setColor(QPalette::Window, Qt::white);
        setPalette(pal);
    }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == FEdit && (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut)) {
            update();
            // Entering selects the whole name.
            if (e->type() == QEvent::FocusIn)
                QMetaObject::invokeMethod(FEdit, &QLineEdit::selectAll, Qt::QueuedConnection);
        }
        return QFrame::eventFilter(o, e);
    }
    void paintEvent(QPaintEvent* e) override {
        QFrame::paintEvent(e);
        QPainter p(this);
        p.setPen(QPen(FEdit->hasFocus() ? kFocusColor : kGridLineColor, 0));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

  private:
    QLineEdit* FEdit;
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

// Empties a menu, the submenus it owns included.
void ClearMenu(QMenu* menu) {
    menu->clear();
    for (QMenu* sub : menu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        delete sub;
}

// Paints an empty grid page's header cells with their titles; the editors of
// the pages draw their bodies.
void DrawTitleCell(QPainter& p, const TDrawGrid* g, int col, int row, const QRect& rect,
                   const QColor& fill, const QString& text, bool selected = false) {
    const QRect r = CellPaintRect(rect, col == g->ColCount() - 1, row == g->RowCount() - 1);
    DrawCell(p, r, fill, selected);
    DrawCellText(p, r, text);
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

    static const char* const names[kPageCount] = {"tsControllers", "tsTrends",  "tsCollisions",
                                                  "tsPhases",      "tsCycles",  "tsWeekPlans",
                                                  "tsYearPlan",    "tsDayPlans"};
    for (int i = 0; i < kPageCount; ++i) {
        Pages[i] = new QWidget;
        Pages[i]->setObjectName(QLatin1String(names[i]));
        Pages[i]->installEventFilter(this);
        PageControl1->addWidget(Pages[i]);
    }
    PageControl1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PageControl1, &QWidget::customContextMenuRequested, this, &TMainForm::ShowContextMenu);

    BuildControllersPage();

    auto makeGrid = [this](int page, const char* name, int colWidth) {
        auto* g = new TDrawGrid(Pages[page]);
        g->setObjectName(QLatin1String(name));
        g->SetDefaultColWidth(colWidth);
        g->SetDefaultRowHeight(18);
        g->SetDoubleBuffered(true);
        g->setContextMenuPolicy(Qt::NoContextMenu);
        return g;
    };
    dgTrends = makeGrid(pgTrends, "dgTrends", 30);
    dgCollisions = makeGrid(pgCollisions, "dgCollisions", 35);
    dgPhases = makeGrid(pgPhases, "dgPhases", 45);
    dgCycles = makeGrid(pgCycles, "dgCycles", 45);
    BuildPhasesPage();

    BuildTrendsEditor();
    dgCollisions->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        if (!FProject)
            return;
        const bool header = c == 0 || r == 0;
        QString text;
        if (header && c != r)
            text = Q(FProject->TrendName((c == 0 ? r : c) - 1));
        DrawTitleCell(p, dgCollisions, c, r, rect,
                      header || c == r ? kWindowColor : QColor(Qt::white), text);
    };
    dgPhases->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        DrawSequenceCell(p, dgPhases, c, r, rect, FStepsExpanded);
    };
    dgCycles->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        DrawSequenceCell(p, dgCycles, c, r, rect, false);
    };

    auto makeTree = [this](int page, const char* name, const QStringList& titles,
                           const QList<int>& widths) {
        auto* t = new TDrawTree(Pages[page]);
        t->setObjectName(QLatin1String(name));
        t->SetColumns(titles, widths);
        auto* l = new QVBoxLayout(Pages[page]);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(t);
        return t;
    };
    vtDayPlans = makeTree(pgDayPlans, "vtDayPlans",
                          {QStringLiteral("Время"), QStringLiteral("Цикл")}, {55, 200});
    vtWeekPlans = makeTree(pgWeekPlans, "vtWeekPlans",
                           {QStringLiteral("ДН"), QStringLiteral("План")}, {55, 200});
    vtYearPlan = makeTree(pgYearPlan, "vtYearPlan",
                          {QStringLiteral("Дата"), QStringLiteral("План")}, {55, 200});
    BuildPlanTrees();
}

void TMainForm::BuildPlanTrees() {
    // "Name (#n)" of a plan object with its 1-based number in its list.
    auto named = [](const TLinkedObject* o, int index) {
        return QStringLiteral("%1 (#%2)").arg(Q(o->Name())).arg(index + 1);
    };
    auto anchor = [](TTreeCellLook& look, int image) {
        look.Image = AnchorImage(image);
        look.ImageFromRight = 3 + 16;
    };
    vtDayPlans->OnCellLook = [this, named, anchor](QTreeWidgetItem* item, int col,
                                                   TTreeCellLook& look) {
        if (!FProject)
            return;
        const bool top = item->parent() == nullptr;
        const int pi = vtDayPlans->indexOfTopLevelItem(top ? item : item->parent());
        if (pi < 0 || pi >= FProject->DayPlanList().Count())
            return;
        const TDayPlan* plan = FProject->DayPlanList()[pi];
        if (top) {
            if (col == 0) {
                look.FramedOnly = true;
                look.Text = QString::number(pi + 1);
                if (plan->RefCount() > 0)
                    anchor(look, 1);
            } else {
                look.Text = named(plan, pi);
            }
            return;
        }
        const int ii = item->parent()->indexOfChild(item);
        if (ii < 0 || ii >= plan->ItemCount())
            return;
        const TDayPlanItem* it = plan->ItemAt(ii);
        if (col == 0) {
            int h = 0, m = 0, sec = 0;
            DecodeDayTime(it->Time(), h, m, sec);
            look.Text = QStringLiteral("%1:%2")
                            .arg(h, 2, 10, QLatin1Char('0'))
                            .arg(m, 2, 10, QLatin1Char('0'));
            return;
        }
        const TCycle* cycle = it->Cycle();
        if (cycle == FProject->FlashCycle()) {
            look.Text = Q(cycle->Name());
            anchor(look, 4);
        } else if (cycle == FProject->OffCycle()) {
            look.Text = Q(cycle->Name());
            anchor(look, 3);
        } else if (cycle != nullptr) {
            look.Text = named(cycle, FProject->CycleList().IndexOf(cycle));
            anchor(look, 5);
        }
    };
    vtWeekPlans->OnCellLook = [this, named, anchor](QTreeWidgetItem* item, int col,
                                                    TTreeCellLook& look) {
        if (!FProject)
            return;
        const bool top = item->parent() == nullptr;
        const int pi = vtWeekPlans->indexOfTopLevelItem(top ? item : item->parent());
        if (pi < 0 || pi >= FProject->WeekPlanList().Count())
            return;
        const TWeekPlan* plan = FProject->WeekPlanList()[pi];
        if (top) {
            if (col == 0) {
                look.FramedOnly = true;
                look.Text = QString::number(pi + 1);
                if (plan->RefCount() > 0)
                    anchor(look, 1);
            } else {
                look.Text = named(plan, pi);
                anchor(look, 7);
            }
            return;
        }
        const int ii = item->parent()->indexOfChild(item);
        if (ii < 0 || ii >= plan->ItemCount())
            return;
        const TWeekPlanItem* it = plan->ItemAt(ii);
        if (col == 0) {
            const int day = it->Day();
            if (day >= 0 && day < kDaysInWeek)
                look.Text = QString::fromUtf8(WeekDayNames[day]);
            if (day >= 5) // Saturday and Sunday
                look.TextColor = QColor(255, 0, 0);
        } else if (const TDayPlan* dp = it->DayPlan(); dp != nullptr) {
            look.Text = named(dp, FProject->DayPlanList().IndexOf(dp));
            anchor(look, 6);
        }
    };
    vtYearPlan->OnCellLook = [this, named, anchor](QTreeWidgetItem* item, int col,
                                                   TTreeCellLook& look) {
        const TYearPlan* year = FProject ? FProject->YearPlan() : nullptr;
        if (year == nullptr)
            return;
        const int ii = vtYearPlan->indexOfTopLevelItem(item);
        if (ii < 0 || ii >= year->ItemCount())
            return;
        const TYearPlanItem* it = year->ItemAt(ii);
        if (col == 0) {
            int y = 0, m = 0, d = 0;
            DecodeDate(it->Date(), y, m, d);
            look.Text = QStringLiteral("%1.%2")
                            .arg(d, 2, 10, QLatin1Char('0'))
                            .arg(m, 2, 10, QLatin1Char('0'));
        } else if (const TWeekPlan* wp = it->WeekPlan(); wp != nullptr) {
            look.Text = named(wp, FProject->WeekPlanList().IndexOf(wp));
            anchor(look, 7);
        }
    };
    auto focusOf = [](TDrawTree* tree, QTreeWidgetItem* node, int* plan, int* item) {
        if (node == nullptr) {
            *plan = *item = -1;
        } else if (node->parent() != nullptr) {
            *plan = tree->indexOfTopLevelItem(node->parent());
            *item = node->parent()->indexOfChild(node);
        } else {
            *plan = tree->indexOfTopLevelItem(node);
            *item = -1;
        }
    };
    connect(vtDayPlans, &QTreeWidget::currentItemChanged, this,
            [this, focusOf](QTreeWidgetItem* n) {
                focusOf(vtDayPlans, n, &FSelDayPlan, &FSelDayPlanItem);
                UpdateActionHints();
            });
    connect(vtWeekPlans, &QTreeWidget::currentItemChanged, this,
            [this, focusOf](QTreeWidgetItem* n) {
                focusOf(vtWeekPlans, n, &FSelWeekPlan, &FSelWeekPlanItem);
                UpdateActionHints();
            });
    connect(vtYearPlan, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* n) {
        FSelYearPlanItem = n != nullptr ? vtYearPlan->indexOfTopLevelItem(n) : -1;
        UpdateActionHints();
    });
    // Collapsing the node above the focused one moves the focus up to it.
    for (TDrawTree* tree : {vtDayPlans, vtWeekPlans}) {
        connect(tree, &QTreeWidget::itemCollapsed, this, [this, tree](QTreeWidgetItem* node) {
            QTreeWidgetItem* focused = tree->currentItem();
            if (focused != nullptr && focused->parent() == node) {
                CloseInplaceEditor();
                tree->FocusNode(node);
            }
        });
    }
}

// The title rows of the phase and cycle tables: the sections, step numbers,
// start times, captions and durations of the row sequence. The editors of
// the two pages draw the rows below.
void TMainForm::DrawSequenceCell(QPainter& p, TDrawGrid* g, int c, int r, const QRect& rect,
                                 bool expanded) {
    if (!FProject)
        return;
    const bool cycles = g == dgCycles;
    static const char* const titles[5] = {"Цикл", "Такт", "Время", "Фазы", "Tmin"};
    const bool lastCol = c == g->ColCount() - 1, lastRow = r == g->RowCount() - 1;
    if (c == 0) {
        QString text;
        if (r < 5)
            text = QString::fromUtf8(titles[r]);
        if (cycles && r == 4)
            text = QStringLiteral("Tmin (%1)").arg(Q(FProject->CycleTimeText(-1)));
        else if (cycles && r >= 5 && FProject->CycleAt(r - 5) != nullptr)
            text = QStringLiteral("%1 (#%2) (%3)")
                       .arg(Q(FProject->CycleAt(r - 5)->Name()))
                       .arg(r - 4)
                       .arg(Q(FProject->CycleTimeText(r - 5)));
        else if (!cycles && r >= 5)
            text = Q(FProject->TrendName(r - 5));
        const QColor fill =
            cycles ? (r >= 5 ? QColor(Qt::white) : kCyclesTitleColor) : kPhasesTitleColor;
        DrawTitleCell(p, g, c, r, rect, fill, text);
        return;
    }
    const int row = c - 1;
    const int count = FProject->RowCount(expanded);
    if (row >= count)
        return;
    auto isCall = [&](int k) {
        const TRowLocation loc = FProject->LocateRow(k, expanded, -1);
        return loc.Entry || FProject->CallPhaseList().Contains(loc.Phase);
    };
    const bool call = isCall(row);
    const bool phaseCol = FProject->IsPhaseRow(row, expanded);
    QColor fill = call ? kTrendsControlColor : kTrendsClosingColor;
    if (r >= 4 && phaseCol)
        fill = Qt::white;
    if (r == 0) {
        // One cell over each section, drawn from its first visible column.
        if (c != g->LeftCol() && c - 1 > 0 && isCall(row - 1) == call)
            return;
        QRect span = rect;
        for (int k = row + 1; k < count && isCall(k) == call; ++k)
            span.setWidth(span.width() + g->ColWidth(k + 1));
        const bool toEnd = !call ? !isCall(count - 1) : true;
        const QRect pr = CellPaintRect(span, toEnd, false);
        DrawPlainCell(p, pr, fill);
        DrawCellText(p, pr, call ? QStringLiteral("ТВП") : QStringLiteral("Рабочий"));
        return;
    }
    const QRect pr = CellPaintRect(rect, lastCol, lastRow);
    DrawPlainCell(p, pr, fill);
    QFont mono(QStringLiteral("Courier New"), 8);
    mono.setStyleHint(QFont::Monospace);
    mono.setBold(true);
    switch (r) {
    case 1:
        DrawCellText(p, pr, Q(FProject->RowStepText(row, expanded)), Qt::black, &mono);
        break;
    case 2:
        DrawCellText(p, pr, QString::number(FProject->RowStartTime(row, expanded, -1)), Qt::black,
                     &mono);
        break;
    case 3:
        DrawCellText(p, pr, Q(FProject->RowCaption(row, expanded)),
                     phaseCol ? QColor(255, 0, 0) : QColor(Qt::black));
        break;
    case 4:
        DrawCellText(p, pr, QString::number(FProject->RowDuration(row, expanded)));
        break;
    default:
        if (cycles && FProject->CycleAt(r - 5) != nullptr)
            DrawCellText(p, pr, QString::number(FProject->RowCycleDuration(row, r - 5, false)));
        break;
    }
}

void TMainForm::BuildControllersPage() {
    QWidget* page = Pages[pgControllers];
    Panel1 = new QWidget(page);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(57);

    edProjectName = new QLineEdit;
    edProjectName->setObjectName(QStringLiteral("edProjectName"));
    edProjectName->setMaxLength(40);
    edProjectName->setToolTip(QStringLiteral("Укажите наименование светофорного объекта!"));
    edProjectNameFrame = new TFramedEdit(Panel1, edProjectName);
    edProjectNameFrame->setFixedHeight(20);
    connect(edProjectName, &QLineEdit::textChanged, this, &TMainForm::edProjectNameChange);

    auto makeSpin = [this](const char* name) {
        auto* e = new TvxSpinEdit(Panel1);
        e->setObjectName(QLatin1String(name));
        e->SetMinValue(1);
        e->SetMaxValue(255);
        e->SetIncrement(1);
        e->SetBorderColor(kGridLineColor);
        e->setFixedSize(60, 20);
        connect(e, &TvxSpinEdit::Enter, e, [e] { e->SetBorderColor(kFocusColor); });
        connect(e, &TvxSpinEdit::Exit, e, [e] { e->SetBorderColor(kGridLineColor); });
        return e;
    };
    seSystemID = makeSpin("seSystemID");
    udAllRedTime = makeSpin("udAllRedTime");
    udAllRedTime->SetSuffix(QStringLiteral("с"));
    udAllRedTime->SetValue(3);
    connect(seSystemID, &TvxSpinEdit::Change, this, &TMainForm::seSystemIDChange);
    connect(udAllRedTime, &TvxSpinEdit::Change, this, &TMainForm::udAllRedTimeChange);

    cbQuickStart = new QCheckBox(QStringLiteral("Быстрый запуск"), Panel1);
    cbQuickStart->setObjectName(QStringLiteral("cbQuickStart"));
    cbQuickStart->setToolTip(QStringLiteral(
        "Переходить из состояния \"Все красные\" в рабочий цикл, \nминуя промежуточные такты"));
    cbQuickCall = new QCheckBox(QStringLiteral("Быстрый переход в ТВП"), Panel1);
    cbQuickCall->setObjectName(QStringLiteral("cbQuickCall"));
    cbQuickCall->setToolTip(
        QStringLiteral("Переходить в ТВП \nне дожидаясь окончания рабочего цикла"));
    // Options are not part of the modified state.
    connect(cbQuickStart, &QCheckBox::clicked, this, [this](bool on) {
        if (FProject)
            FProject->SetQuickStart(on);
    });
    connect(cbQuickCall, &QCheckBox::clicked, this, [this](bool on) {
        if (FProject)
            FProject->SetProjectOptions(
                static_cast<std::uint8_t>(on ? FProject->ProjectOptions() | poQuickCall
                                             : FProject->ProjectOptions() & ~poQuickCall));
    });

    // Two rows: the name with the two options, then the two numbers.
    auto* rows = new QVBoxLayout(Panel1);
    rows->setContentsMargins(8, 6, 8, 5);
    rows->setSpacing(6);
    auto* row0 = new QHBoxLayout;
    row0->setSpacing(8);
    row0->addWidget(new QLabel(QStringLiteral("Светофорный объект"), Panel1));
    row0->addWidget(edProjectNameFrame, 1);
    row0->addSpacing(6);
    row0->addWidget(cbQuickStart);
    row0->addWidget(cbQuickCall);
    auto* row1 = new QHBoxLayout;
    row1->setSpacing(8);
    row1->addWidget(new QLabel(QStringLiteral("Системный идентификатор"), Panel1));
    row1->addWidget(seSystemID);
    row1->addSpacing(12);
    row1->addWidget(new QLabel(QStringLiteral("Длительность состояния \"Все красные\""), Panel1));
    row1->addWidget(udAllRedTime);
    row1->addStretch(1);
    rows->addLayout(row0);
    rows->addLayout(row1);

    vtControllers = new TDrawTree(page);
    vtControllers->setObjectName(QStringLiteral("vtControllers"));
    vtControllers->SetColumns({QStringLiteral("№/Вых."), QStringLiteral("Модель/направление"),
                               QStringLiteral("Тип ламп/сигнал")},
                              {55, 200, 120});
    vtControllers->OnCellLook = [this](QTreeWidgetItem* item, int col, TTreeCellLook& look) {
        if (!FProject)
            return;
        const bool isController = item->parent() == nullptr;
        const int ci = vtControllers->indexOfTopLevelItem(isController ? item : item->parent());
        const TController* c = FProject->ControllerAt(ci);
        if (c == nullptr)
            return;
        look.ImageFromRight = 27;
        if (isController) {
            switch (col) {
            case 0:
                look.FramedOnly = true;
                look.Text = QString::number(ci + 1);
                if (!FProject->CanDeleteController(ci))
                    look.Image = TreeImage(27);
                break;
            case 1:
                look.Text = Q(c->Model->Caption);
                break;
            default:
                look.Text =
                    c->IsLed() ? QStringLiteral("Светодиодный") : QStringLiteral("Ламповый");
                break;
            }
            return;
        }
        const int oi = item->parent()->indexOfChild(item);
        if (oi < 0 || oi >= c->Outputs.Count())
            return;
        const TControllerOutput* o = c->ControllerOutputAt(oi);
        const TTrendGroup* owner = o->Owner;
        switch (col) {
        case 0:
            look.Text = Q(FProject->OutputName(o));
            look.Image = TreeImage(OutputImageIndex(o->ModelOutput->Flags));
            break;
        case 1:
            if (owner != nullptr) {
                look.Text = QStringLiteral("%1 %2")
                                .arg(FProject->TrendGroupList().IndexOf(owner) + 1)
                                .arg(Q(owner->GetCaption()));
                if (!owner->Trends().Empty())
                    look.Image =
                        TreeImage(17 + owner->Trends().Items(owner->Trends().Count() - 1)->Kind());
            }
            break;
        default:
            if (owner != nullptr) {
                const int slot = FProject->SlotOf(owner, o);
                look.Text = QString::fromUtf8(SlotLetters[slot]);
                look.Image = TreeImage(3 + slot);
            }
            break;
        }
    };
    connect(vtControllers, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* node) { vtControllersFocusChanged(node); });
    connect(vtControllers, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* node) {
        QTreeWidgetItem* focused = vtControllers->currentItem();
        if (focused != nullptr && focused->parent() == node) {
            CloseInplaceEditor();
            vtControllers->FocusNode(node);
        }
    });
    vtControllers->OnClick = [this](Qt::MouseButton b, QPoint pos) { vtControllersClick(b, pos); };

    auto* l = new QVBoxLayout(page);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(Panel1);
    l->addWidget(vtControllers);
}

void TMainForm::BuildPhasesPage() {
    QWidget* page = Pages[pgPhases];
    btnShowDetails = new QPushButton(page);
    btnShowDetails->setObjectName(QStringLiteral("btnShowDetails"));
    btnEnableCallPhases = new QPushButton(page);
    btnEnableCallPhases->setObjectName(QStringLiteral("btnEnableCallPhases"));
    cbUseRedBlink = new QCheckBox(QStringLiteral("Красный мигающий при ожидании"), page);
    cbUseRedBlink->setObjectName(QStringLiteral("cbUseRedBlink"));
    cbUseRedBlink->setEnabled(false);
    btnShowDetails->setGeometry(11, 2, 150, 21);
    btnEnableCallPhases->setGeometry(166, 2, 170, 21);
    cbUseRedBlink->setGeometry(345, 2, 240, 21);
    connect(cbUseRedBlink, &QCheckBox::clicked, this, [this](bool on) {
        if (FProject)
            FProject->SetRedBlink(on);
    });
    UpdateDetailsButton();
    UpdateCallPhasesButton();
}

void TMainForm::BuildMenus() {
    PopupModels = MakeMenu(this, "PopupModels");
    PopupOpen = MakeMenu(this, "PopupOpen");
    PopupControllers = MakeMenu(this, "PopupControllers");
    PopupOutputs = MakeMenu(this, "PopupOutputs");
    PopupMenu1 = MakeMenu(this, "PopupMenu1");
    PopupNewModels = MakeMenu(this, "PopupNewModels");
    connect(PopupModels, &QMenu::aboutToShow, this, [this] { FChosenModel = nullptr; });
    // Choosing from the context menu's submenu always starts a new project.
    connect(PopupNewModels, &QMenu::aboutToShow, this, [this] {
        FNewProjectMode = true;
        FChosenModel = nullptr;
    });
    // Only free outputs can be bound.
    connect(PopupOutputs, &QMenu::aboutToShow, this, [this] {
        for (QAction* entry : PopupOutputs->actions())
            if (QMenu* sub = entry->menu(); sub != nullptr)
                for (QAction* a : sub->actions()) {
                    auto* o = reinterpret_cast<TControllerOutput*>(a->data().value<quintptr>());
                    a->setEnabled(o != nullptr && o->Owner == nullptr);
                }
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
        if (i != pgYearPlan)
            SetHelpContext(Pages[i], pageContexts[i]);
    }
    SetHelpContext(PageControl1, 10900);
    SetHelpContext(edProjectName, 10201);
    SetHelpContext(edProjectNameFrame, 10201);
    SetHelpContext(seSystemID, 10202);
    SetHelpContext(udAllRedTime, 10202);
    SetHelpContext(vtControllers, 10203);
    SetHelpContext(dgTrends, 10301);
    SetHelpContext(dgCollisions, 10401);
    SetHelpContext(dgPhases, 10501);
    SetHelpContext(dgCycles, 10601);
    SetHelpContext(vtDayPlans, 10701);
    SetHelpContext(vtWeekPlans, 10801);
    SetHelpContext(vtYearPlan, 10901);
    SetHelpContext(btnShowDetails, 10502);
    SetHelpContext(btnEnableCallPhases, 10503);
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

        dgTrends->SetColCount(17);
        for (int c = 0; c < 17; ++c)
            dgTrends->SetColWidth(c, kTrendsColWidths[c]);
        dgCycles->SetColCount(1);
        dgCycles->SetColWidth(0, 150);

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
    ++FUpdating;
    ClearMenu(PopupOutputs);
    ClearMenu(PopupControllers);
    FSelTrendRow = FSelTrendCol = -1;
    FSelPhaseCol = 1;
    FSelPhaseRow = -1;
    FSelCycleCol = 1;
    FSelCycleRow = -1;
    FSelPhase = FSelCyclePhase = FProject->PhaseAt(0);
    FSelDayPlan = FSelDayPlanItem = FSelWeekPlan = FSelWeekPlanItem = FSelYearPlanItem = -1;
    FSelController = -1;
    vtControllers->clear();
    vtDayPlans->clear();
    vtWeekPlans->clear();
    vtYearPlan->clear();

    FStepsExpanded = false;
    FCallPhasesEnabled = FProject->CallPhasesEnabled();
    UpdateDetailsButton();
    UpdateCallPhasesButton();
    ShowProjectValues();
    UpdateCaption();
    ActivatePage(pgControllers);

    for (TController* c : FProject->ControllerList())
        AddControllerEntries(c);
    // The reader leaves the last direction it added selected.
    if (const int groups = FProject->TrendGroupList().Count(); groups > 0)
        FSelTrendRow = FProject->FirstRowOf(FProject->TrendGroupAt(groups - 1)) + 2;
    LayoutTrendsGrid();
    RebuildPlanTrees();
    FNewProjectMode = false;
    FModified = false;
    --FUpdating;
    UpdateEditActions();
}

void TMainForm::ShowProjectValues() {
    ++FUpdating;
    const std::uint8_t options = FProject->ProjectOptions();
    cbQuickStart->setChecked(options & poQuickStart);
    cbQuickCall->setChecked(options & poQuickCall);
    cbUseRedBlink->setChecked(options & poRedBlink);
    cbUseRedBlink->setEnabled(FCallPhasesEnabled);
    seSystemID->SetValue(FProject->SystemID());
    udAllRedTime->SetValue(FProject->AllRedTime());
    --FUpdating;
}

void TMainForm::RebuildPlanTrees() {
    // Nodes hold nothing: a node's position is its object's index.
    vtDayPlans->clear();
    vtWeekPlans->clear();
    vtYearPlan->clear();
    for (const TDayPlan* plan : FProject->DayPlanList()) {
        auto* node = new QTreeWidgetItem(vtDayPlans);
        for (int i = 0; i < plan->ItemCount(); ++i)
            new QTreeWidgetItem(node);
    }
    for (const TWeekPlan* plan : FProject->WeekPlanList()) {
        auto* node = new QTreeWidgetItem(vtWeekPlans);
        for (int i = 0; i < plan->ItemCount(); ++i)
            new QTreeWidgetItem(node);
    }
    if (const TYearPlan* year = FProject->YearPlan(); year != nullptr)
        for (int i = 0; i < year->ItemCount(); ++i)
            new QTreeWidgetItem(vtYearPlan);
    for (TDrawTree* tree : {vtDayPlans, vtWeekPlans, vtYearPlan})
        tree->FocusNode(tree->topLevelItem(0));
}

void TMainForm::UpdateDetailsButton() {
    btnShowDetails->setText(FStepsExpanded ? QStringLiteral("Свернуть промтакты")
                                           : QStringLiteral("Развернуть промтакты"));
}

void TMainForm::UpdateCallPhasesButton() {
    btnEnableCallPhases->setText(FCallPhasesEnabled ? QStringLiteral("Отключить поддержку ТВП")
                                                    : QStringLiteral("Включить поддержку ТВП"));
}

void TMainForm::UpdateCaption() {
    if (!FProject)
        return;
    const QString name = Q(FProject->ProjectName());
    if (edProjectName->text() != name) {
        ++FUpdating;
        edProjectName->setText(name);
        --FUpdating;
    }
    QString caption = name;
    if (!FOpenFileName.isEmpty())
        caption = QStringLiteral("%1 - %2").arg(name, FOpenFileName);
    else if (!FEnv.Args.empty())
        caption = QStringLiteral("%1 - %2").arg(name, Q(FEnv.Args.front()));
    setWindowTitle(caption);
    qApp->setProperty("applicationTitle", caption);
}

void TMainForm::CloseInplaceEditor() {
    FInplace->Close();
}

void TMainForm::SetQuickCall(bool flag) {
    FProject->SetQuickCall(flag);
    ++FUpdating;
    cbQuickCall->setChecked(flag);
    --FUpdating;
}

void TMainForm::SetAllRedTime(int seconds) {
    FProject->SetAllRedTime(static_cast<std::uint8_t>(seconds));
    ++FUpdating;
    udAllRedTime->SetValue(seconds);
    --FUpdating;
}

void TMainForm::SetRedBlink(bool flag) {
    FProject->SetRedBlink(flag);
    ++FUpdating;
    cbUseRedBlink->setChecked(flag);
    --FUpdating;
}

void TMainForm::SetQuickStart(bool flag) {
    FProject->SetQuickStart(flag);
    ++FUpdating;
    cbQuickStart->setChecked(flag);
    --FUpdating;
}

void TMainForm::edProjectNameChange(const QString& text) {
    if (FUpdating > 0 || !FProject)
        return;
    FProject->SetProjectName(text.toStdString());
    UpdateCaption();
    FModified = true;
}

void TMainForm::seSystemIDChange(int value) {
    if (FUpdating > 0 || !FProject)
        return;
    FProject->SetSystemID(static_cast<std::uint8_t>(value));
    FModified = true;
}

void TMainForm::udAllRedTimeChange(int value) {
    // The all-red time is not part of the modified state.
    if (FUpdating > 0 || !FProject)
        return;
    FProject->SetAllRedTime(static_cast<std::uint8_t>(value));
}

// ---- controllers ------------------------------------------------------------

void TMainForm::AddController() {
    if (FChosenModel == nullptr)
        return;
    TController* c = FProject->CreateController(FChosenModel);
    AddControllerEntries(c);
}

TController* TMainForm::AddLoadedController(std::int32_t modelID, std::uint8_t flags) {
    // The model throws "Model not found" before the list changes.
    TController* c = FProject->CreateController(modelID, flags);
    AddControllerEntries(c);
    return c;
}

void TMainForm::AddControllerEntries(TController* controller) {
    const int index = FProject->ControllerList().IndexOf(controller);
    // The output and export menus follow the controller list; their captions
    // (numbers and output names) are refreshed for every controller.
    RenumberControllerEntries();
    auto* node = new QTreeWidgetItem(vtControllers);
    for (int i = 0; i < controller->Outputs.Count(); ++i)
        new QTreeWidgetItem(node);
    (void)index;
    vtControllers->FocusNode(node);
}

void TMainForm::RenumberControllerEntries() {
    ClearMenu(PopupOutputs);
    ClearMenu(PopupControllers);
    const auto& list = FProject->ControllerList();
    if (list.Empty())
        return;
    QAction* none = PopupOutputs->addAction(QStringLiteral("[Нет]"));
    none->setData(QVariant::fromValue<quintptr>(0));
    connect(none, &QAction::triggered, this, [this] { Test1Click(nullptr); });
    PopupOutputs->addSeparator();
    QAction* toFiles = PopupControllers->addAction(QStringLiteral("Сохранить в файл…"));
    connect(toFiles, &QAction::triggered, this, [this] { Guard([this] { SaveImageFilesCmd(); }); });
    PopupControllers->addSeparator();
    for (int i = 0; i < list.Count(); ++i) {
        TController* c = list[i];
        const QString caption = QStringLiteral("%1. %2").arg(i + 1).arg(Q(c->Model->Caption));
        QAction* entry = PopupControllers->addAction(caption);
        entry->setData(QVariant::fromValue(reinterpret_cast<quintptr>(c)));
        connect(entry, &QAction::triggered, this,
                [this, c] { Guard([this, c] { ProgramController(c); }); });
        if (c->Outputs.Empty())
            continue;
        QMenu* sub = MakeMenu(PopupOutputs, "PopupOutputsController");
        sub->setTitle(caption);
        sub->menuAction()->setData(QVariant::fromValue(reinterpret_cast<quintptr>(c)));
        PopupOutputs->addMenu(sub);
        // Universal outputs first, then red, yellow and green ones.
        auto group = [](const TControllerOutput* o) {
            const std::uint8_t f = o->ModelOutput->Flags;
            if ((f & ofUniversal) == ofUniversal)
                return 0;
            if (f & ofRed)
                return 1;
            if (f & ofGreen)
                return 3;
            return 2;
        };
        for (int g = 0; g < 4; ++g)
            for (TControllerOutput* o : c->Outputs) {
                if (group(o) != g)
                    continue;
                QAction* a = sub->addAction(TrendMenuIcon(OutputImageIndex(o->ModelOutput->Flags)),
                                            Q(FProject->OutputName(o)));
                a->setData(QVariant::fromValue(reinterpret_cast<quintptr>(o)));
                connect(a, &QAction::triggered, this, [this, o] { Test1Click(o); });
            }
    }
}

void TMainForm::DeleteSelectedController() {
    const int i = FSelController;
    if (!FProject->CanDeleteController(i))
        return;
    if (!FProject->DeleteController(i))
        return;
    RenumberControllerEntries();
    vtControllers->FocusNode(nullptr);
    delete vtControllers->takeTopLevelItem(i);
    FSelController = -1;
    vtControllers->viewport()->update();
}

void TMainForm::vtControllersFocusChanged(QTreeWidgetItem* node) {
    if (node == nullptr)
        FSelController = -1;
    else
        FSelController =
            vtControllers->indexOfTopLevelItem(node->parent() != nullptr ? node->parent() : node);
    UpdateActionHints();
}

void TMainForm::vtControllersClick(Qt::MouseButton, QPoint pos) {
    QTreeWidgetItem* node = vtControllers->currentItem();
    if (node == nullptr || node->parent() != nullptr || !FProject)
        return;
    if (vtControllers->ClickedColumn(pos) != 2)
        return;
    TController* c = FProject->ControllerAt(vtControllers->indexOfTopLevelItem(node));
    if (c == nullptr)
        return;
    c->SetLampType(!c->IsLed());
    FModified = true;
    vtControllers->viewport()->update();
}

// ---- pages and grids --------------------------------------------------------

int TMainForm::ActivePage() const {
    return PageControl1->currentIndex();
}

void TMainForm::ActivatePage(int page) {
    if (page < 0 || page >= kPageCount)
        return;
    PageControl1->setCurrentIndex(page);
    LayoutActivePage();
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

void TMainForm::LayoutActivePage() {
    if (!FProject)
        return;
    switch (ActivePage()) {
    case pgTrends:
        LayoutTrendsGrid();
        break;
    case pgCollisions:
        LayoutCollisionsGrid();
        break;
    case pgPhases:
        LayoutPhasesGrid();
        break;
    case pgCycles:
        LayoutCyclesGrid();
        break;
    default:
        break;
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == PageControl1->currentWidget())
        LayoutActivePage();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::LayoutTrendsGrid() {
    if (!FProject)
        return;
    const int trends = FProject->TrendCount();
    TGridLayout l;
    l.Left = 8;
    l.Top = 14;
    l.Rows = trends + 2;
    l.Cols = 17;
    l.FixedRows = trends > 0 ? 2 : 0;
    l.HomeWhenFits = false;
    const TGridSize s = LayoutGrid(dgTrends, Pages[pgTrends]->rect(), l);
    if (!s.HorzBar)
        dgTrends->SetLeftCol(0);
    // The selected row stays in view.
    if (!s.VertBar) {
        dgTrends->SetTopRow(0);
    } else if (FSelTrendRow >= 2) {
        if (FSelTrendRow < dgTrends->TopRow())
            dgTrends->SetTopRow(FSelTrendRow);
        else if (FSelTrendRow >= dgTrends->TopRow() + dgTrends->VisibleRowCount())
            dgTrends->SetTopRow(FSelTrendRow - dgTrends->VisibleRowCount() + 1);
    }
    dgTrends->Invalidate();
}

void TMainForm::LayoutCollisionsGrid() {
    if (!FProject)
        return;
    const int trends = FProject->TrendCount();
    TGridLayout l;
    l.Left = 11;
    l.Top = 14;
    l.Rows = l.Cols = trends + 1;
    l.FixedRows = l.FixedCols = trends > 0 ? 1 : 0;
    LayoutGrid(dgCollisions, Pages[pgCollisions]->rect(), l);
    dgCollisions->Invalidate();
}

void TMainForm::LayoutPhasesGrid() {
    if (!FProject)
        return;
    const int trends = FProject->TrendCount();
    TGridLayout l;
    l.Left = 11;
    l.Top = 26;
    l.Rows = trends + 5;
    l.Cols = FProject->RowCount(FStepsExpanded) + 1;
    l.FixedRows = trends > 0 ? 5 : 0;
    l.ExtraHeight = 1;
    LayoutGrid(dgPhases, Pages[pgPhases]->rect(), l);
    FSelPhaseCol = FSelPhase != nullptr ? FProject->PhaseRow(FSelPhase, FStepsExpanded) + 1 : -1;
    if (FSelPhaseCol == 0)
        FSelPhaseCol = -1;
    dgPhases->Invalidate();
}

void TMainForm::LayoutCyclesGrid() {
    if (!FProject)
        return;
    const int cycles = FProject->CycleList().Count();
    TGridLayout l;
    l.Left = 11;
    l.Top = 18;
    l.Rows = cycles + 5;
    l.Cols = FProject->RowCount(false) + 1;
    l.FixedRows = cycles > 0 ? 5 : 0;
    l.ExtraHeight = 1;
    dgCycles->SetColCount(l.Cols);
    dgCycles->SetColWidth(0, 150);
    LayoutGrid(dgCycles, Pages[pgCycles]->rect(), l);
    dgCycles->Invalidate();
}

// ---- add and delete ---------------------------------------------------------

bool TMainForm::actPlusUpdate() const {
    if (!FProject)
        return false;
    switch (ActivePage()) {
    case pgControllers:
        return isActiveWindow() && FConfig->MultiCascade;
    case pgTrends:
        return FProject->HasFreeOutput();
    case pgPhases:
        return FSelPhase != nullptr && FProject->PhaseCount() < 12;
    case pgCycles:
        return true;
    case pgDayPlans: {
        const TDayPlan* plan = FProject->DayPlanList().Count() > FSelDayPlan && FSelDayPlan >= 0
                                   ? FProject->DayPlanList()[FSelDayPlan]
                                   : nullptr;
        return plan != nullptr && !vtDayPlans->selectedItems().isEmpty() &&
               (FSelDayPlanItem < 0 || plan->CanAddItem(FSelDayPlanItem));
    }
    case pgWeekPlans: {
        const TWeekPlan* plan = FProject->WeekPlanList().Count() > FSelWeekPlan && FSelWeekPlan >= 0
                                    ? FProject->WeekPlanList()[FSelWeekPlan]
                                    : nullptr;
        return plan != nullptr && !vtWeekPlans->selectedItems().isEmpty() &&
               ((FSelWeekPlanItem < 0 && FConfig->UseYearPlan) ||
                (FSelWeekPlanItem >= 0 && plan->CanAddItem(FSelWeekPlanItem)));
    }
    case pgYearPlan: {
        const TYearPlan* year = FProject->YearPlan();
        return FConfig->UseYearPlan && year != nullptr && FSelYearPlanItem >= 0 &&
               year->CanAddItem(FSelYearPlanItem);
    }
    default:
        return false;
    }
}

bool TMainForm::actMinusUpdate() const {
    if (!FProject)
        return false;
    switch (ActivePage()) {
    case pgControllers:
        return isActiveWindow() && FConfig->MultiCascade && FSelController >= 0 &&
               FProject->CanDeleteController(FSelController);
    case pgTrends: {
        const TTrend* t = FSelTrendRow >= 2 ? FProject->TrendAt(FSelTrendRow - 2) : nullptr;
        return t != nullptr && t->IsEditable();
    }
    case pgPhases:
        return FSelPhase != nullptr && FProject->CanDeletePhase(FSelPhase);
    case pgCycles: {
        const TCycle* cycle = FSelCycleRow >= 5 ? FProject->CycleAt(FSelCycleRow - 5) : nullptr;
        return cycle != nullptr && cycle->RefCount() == 0;
    }
    case pgDayPlans: {
        const auto& plans = FProject->DayPlanList();
        if (vtDayPlans->selectedItems().isEmpty() || FSelDayPlan < 0 ||
            FSelDayPlan >= plans.Count())
            return false;
        const TDayPlan* plan = plans[FSelDayPlan];
        return FSelDayPlanItem < 0 ? plans.Count() > 1 && plan->RefCount() == 0
                                   : plan->ItemCount() > 1;
    }
    case pgWeekPlans: {
        const auto& plans = FProject->WeekPlanList();
        if (FSelWeekPlan < 0 || FSelWeekPlan >= plans.Count())
            return false;
        const TWeekPlan* plan = plans[FSelWeekPlan];
        return FSelWeekPlanItem < 0
                   ? FConfig->UseYearPlan && plans.Count() > 1 && plan->RefCount() == 0
                   : plan->ItemCount() > 1;
    }
    case pgYearPlan: {
        const TYearPlan* year = FProject->YearPlan();
        return FConfig->UseYearPlan && year != nullptr && FSelYearPlanItem >= 0 &&
               year->ItemCount() > 1;
    }
    default:
        return false;
    }
}

void TMainForm::UpdateEditEnabling() {
    if (!FProject)
        return;
    actPlus->setEnabled(actPlusUpdate());
    actMinus->setEnabled(actMinusUpdate());
}

void TMainForm::UpdateEditActions() {
    UpdateEditEnabling();
    UpdateActionHints();
}

void TMainForm::UpdateActionHints() {
    auto level = [](const TDrawTree* t) {
        const QTreeWidgetItem* n = t->currentItem();
        return n == nullptr ? 0 : TDrawTree::Level(n);
    };
    QString plus, minus;
    switch (ActivePage()) {
    case pgControllers:
        plus = QStringLiteral("Новый контроллер");
        minus = QStringLiteral("Удалить контроллер");
        break;
    case pgTrends:
        plus = QStringLiteral("Новое направление");
        minus = QStringLiteral("Удалить направление");
        break;
    case pgPhases:
        plus = QStringLiteral("Новая фаза");
        minus = QStringLiteral("Удалить фазу");
        break;
    case pgCycles:
        plus = QStringLiteral("Новый цикл");
        minus = QStringLiteral("Удалить цикл");
        break;
    case pgDayPlans:
        if (level(vtDayPlans) == 0) {
            plus = QStringLiteral("Новый суточный план");
            minus = QStringLiteral("Удалить суточный план");
        } else {
            plus = QStringLiteral("Новая запись суточного плана");
            minus = QStringLiteral("Удалить запись суточного плана");
        }
        break;
    case pgWeekPlans:
        if (level(vtWeekPlans) == 0) {
            plus = QStringLiteral("Новый недельный план");
            minus = QStringLiteral("Удалить недельный план");
        } else {
            plus = QStringLiteral("Новая запись недельного плана");
            minus = QStringLiteral("Удалить запись недельного плана");
        }
        break;
    case pgYearPlan:
        if (vtYearPlan->currentItem() != nullptr) {
            plus = QStringLiteral("Новая запись годового плана");
            minus = QStringLiteral("Удалить запись годового плана");
        }
        break;
    default: // the conflicts page adds and deletes nothing
        break;
    }
    // The hint is also the text: an empty one leaves the button without a
    // tool-tip.
    for (auto [a, hint] : {std::pair{actPlus, plus}, std::pair{actMinus, minus}}) {
        a->setProperty("hint", hint);
        a->setText(hint);
        a->setToolTip(hint);
        a->setStatusTip(hint);
    }
}

void TMainForm::actPlusExecute() {
    if (!actPlusUpdate())
        return;
    switch (ActivePage()) {
    case pgControllers:
        FNewProjectMode = false;
        ShowPopup(PopupModels, actPlus);
        break;
    case pgTrends:
        // The menu does not wait; a dismissed menu counts as a command too.
        ShowPopup(PopupAddTrends, actPlus);
        FModified = true;
        break;
    default:
        // The other pages' editors add their own objects.
        break;
    }
    UpdateEditActions();
}

void TMainForm::actMinusExecute() {
    if (!actMinusUpdate())
        return;
    switch (ActivePage()) {
    case pgControllers:
        DeleteSelectedController();
        FModified = true;
        break;
    case pgTrends:
        DeleteSelectedTrendGroup();
        FModified = true;
        break;
    default:
        break;
    }
    UpdateEditActions();
}

// ---- menus, help, about -----------------------------------------------------

void TMainForm::ShowPopup(QMenu* menu, QAction* fromAction) {
    QPoint at;
    if (QWidget* f = QApplication::focusWidget(); f != nullptr && isAncestorOf(f))
        at = f->mapToGlobal(QPoint(0, f->height()));
    else if (QWidget* b = ToolBar1->widgetForAction(fromAction); b != nullptr)
        at = b->mapToGlobal(QPoint(0, b->height()));
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
    FChosenModel = FConfig->ModelList[modelIndex];
    if (FNewProjectMode)
        NewProject();
    FModified = true;
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
