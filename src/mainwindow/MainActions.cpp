// The shell's actions with their shortcuts, hints and images, the two tool
// bars, the menus, the help numbers of its controls, and where a menu opens.

#include "mainwindow/ActionImages.h"
#include "mainwindow/Main.h"
#include "widgets/CellDraw.h"
#include "widgets/MenuStyle.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolBar>

namespace tralcon {

namespace {

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

// A transparent 24×24 picture at the screen's pixel density, like the other
// action images.
QPixmap IconCanvas() {
    const qreal dpr = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(qRound(24 * dpr), qRound(24 * dpr)));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

// The check's image: a green tick in a shield, drawn at the screen's
// pixel density like the other action images.
QIcon CheckIcon() {
    QPixmap pm = IconCanvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shield;
    shield.moveTo(12, 2.5);
    shield.lineTo(20.5, 5.5);
    shield.cubicTo(20.5, 13, 17.5, 18.5, 12, 21.5);
    shield.cubicTo(6.5, 18.5, 3.5, 13, 3.5, 5.5);
    shield.closeSubpath();
    p.setPen(QPen(QColor(40, 40, 60), 1));
    p.setBrush(QColor(255, 255, 250));
    p.drawPath(shield);
    p.setPen(QPen(QColor(20, 160, 60), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(7.5, 12), QPointF(10.8, 15.5), QPointF(16.5, 8)}));
    return QIcon(pm);
}

// Undo's and redo's images: a turning arrow, to the left or to the right.
QIcon TurnIcon(bool redo) {
    QPixmap pm = IconCanvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (redo)
        p.translate(24, 0), p.scale(-1, 1);
    p.setPen(QPen(QColor(30, 90, 200), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath arc;
    arc.moveTo(7, 10);
    arc.cubicTo(12, 5, 20, 7, 19, 14);
    arc.cubicTo(18.5, 18, 15, 20, 11, 19.5);
    p.drawPath(arc);
    p.setBrush(QColor(30, 90, 200));
    p.drawPolygon(QPolygonF({QPointF(3.5, 6.5), QPointF(10, 6), QPointF(6.5, 12.5)}));
    return QIcon(pm);
}

// The diagram's image: coloured bars across, as the diagram draws them.
QIcon DiagramIcon() {
    QPixmap pm = IconCanvas();
    QPainter p(&pm);
    const QColor green(20, 170, 60), yellow(245, 195, 0), red(220, 30, 30);
    const struct {
        int Y;
        QColor A, B, C;
    } bars[] = {{4, green, yellow, red}, {11, red, red, green}, {18, red, green, yellow}};
    for (const auto& b : bars) {
        p.fillRect(QRectF(2, b.Y, 8, 4), b.A);
        p.fillRect(QRectF(10, b.Y, 4, 4), b.B);
        p.fillRect(QRectF(14, b.Y, 8, 4), b.C);
    }
    p.setPen(QPen(QColor(40, 40, 60), 1));
    p.drawLine(QPointF(1.5, 1), QPointF(1.5, 23));
    return QIcon(pm);
}

QMenu* MakeMenu(QWidget* parent, const char* name) {
    auto* m = new QMenu(parent);
    m->setObjectName(QLatin1String(name));
    TMenuStyle::Apply(m);
    return m;
}

} // namespace

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
    actCheck =
        MakeAction(this, "actCheck", QStringLiteral("Проверка программы..."), aiScheme,
                   QStringLiteral("Проверить программу светофорного объекта"), QKeySequence("F7"));
    actCheck->setIcon(CheckIcon());
    actDiagram =
        MakeAction(this, "actDiagram", QStringLiteral("Временная диаграмма..."), aiScheme,
                   QStringLiteral("Временная диаграмма выбранного цикла"), QKeySequence("F8"));
    actDiagram->setIcon(DiagramIcon());
    // Undo and redo name the step they take back or make again.
    actUndo = FUndo->createUndoAction(this, QStringLiteral("Отменить"));
    actUndo->setObjectName(QStringLiteral("actUndo"));
    actUndo->setIcon(TurnIcon(false));
    actUndo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    actRedo = FUndo->createRedoAction(this, QStringLiteral("Повторить"));
    actRedo->setObjectName(QStringLiteral("actRedo"));
    actRedo->setIcon(TurnIcon(true));
    actRedo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    for (QAction* a : {actUndo, actRedo}) {
        a->setShortcutContext(Qt::WindowShortcut);
        // The tool-tip follows the text, which names the step.
        connect(a, &QAction::changed, a, [a] {
            if (a->toolTip() != a->text())
                a->setToolTip(a->text());
        });
    }
    actHelp = MakeAction(this, "actHelp", QStringLiteral("Справка"), aiHelp,
                         QStringLiteral("Справка"), QKeySequence("Ctrl+H"));
    actAbout = MakeAction(this, "actAbout", QStringLiteral("О программе..."), aiAbout,
                          QStringLiteral("О программе..."), QKeySequence());
    actExit = MakeAction(this, "actExit", QStringLiteral("Выход"), aiExit,
                         QStringLiteral("Завершение работы и выход"), QKeySequence("Alt+X"));
    // Shortcuts work wherever the focus is in the window.
    addActions({actNew, actOpen, actSave, actSaveAs, actExport, actPrint, actPlus, actMinus,
                actScheme, actCheck, actDiagram, actUndo, actRedo, actHelp, actAbout, actExit});

    connect(actNew, &QAction::triggered, this, [this] { Guard([this] { actNewExecute(); }); });
    connect(actOpen, &QAction::triggered, this, [this] { Guard([this] { actOpenExecute(); }); });
    connect(actSave, &QAction::triggered, this, [this] { SaveProjectCmd(); });
    connect(actSaveAs, &QAction::triggered, this, [this] { SaveProjectAsCmd(); });
    connect(actExport, &QAction::triggered, this,
            [this] { Guard([this] { actExportExecute(); }); });
    connect(actPrint, &QAction::triggered, this, [this] { Guard([this] { actPrintExecute(); }); });
    connect(actPlus, &QAction::triggered, this, [this] { Guard([this] { actPlusExecute(); }); });
    connect(actMinus, &QAction::triggered, this, [this] { Guard([this] { actMinusExecute(); }); });
    connect(actScheme, &QAction::triggered, this, [this] { FScheme->ShowScheme(); });
    connect(actCheck, &QAction::triggered, this, [this] { Guard([this] { RunCheck(); }); });
    connect(actDiagram, &QAction::triggered, this, [this] { Guard([this] { ShowDiagram(); }); });
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
    addButton(actUndo, 30);
    addButton(actRedo, 30);
    gap(12);
    addButton(actScheme, 30);
    addButton(actCheck, 30);
    addButton(actDiagram, 30);
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
    entry(actUndo);
    entry(actRedo);
    PopupMenu1->addSeparator();
    entry(actScheme);
    entry(actCheck);
    entry(actDiagram);
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
            if (text.isEmpty())
                text = action->text();
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

} // namespace tralcon
