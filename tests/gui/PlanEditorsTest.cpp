// The cycles and plan editors in the main window on the offscreen platform:
// a new project gets its cycle, day, week and year plans through clicks on
// real cells and menus, is saved, reopened equal and compiled.

#include "GuiTestUtil.h"

#include "app/Application.h"
#include "flash/Flash.h"
#include "flash/ImageReader.h"
#include "mainwindow/DiagramView.h"
#include "mainwindow/NameEditor.h"
#include "mainwindow/PhaseRowsPainter.h"
#include "widgets/DrawGrid.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"
#include "widgets/vxEdit.h"

#include <QDateEdit>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimeEdit>

using namespace tralcon;
using namespace tralcon::test;

namespace {

void PressCell(TDrawGrid* g, int col, int row) {
    const QRect r = g->CellRect(col, row);
    QVERIFY2(!r.isEmpty(), qPrintable(QStringLiteral("cell %1,%2 not on show").arg(col).arg(row)));
    QTest::mousePress(g->viewport(), Qt::LeftButton, {}, r.center());
}

void ClickNode(TDrawTree* t, QTreeWidgetItem* node, int col) {
    t->scrollToItem(node);
    const QRect r = t->CellRect(node, col);
    QVERIFY2(!r.isEmpty(), "the node is not on show");
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
}

// The entry of the menu that opened, by its caption.
bool Choose(QMenu* menu, const QString& caption) {
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000))
        return false;
    for (QAction* a : menu->actions())
        if (a->text() == caption) {
            a->trigger();
            menu->close();
            return true;
        }
    menu->close();
    return false;
}

QStringList Captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << a->text();
    return out;
}

template <class E> E* Editor(TMainForm& w) {
    return qobject_cast<E*>(w.InplaceEditor()->Editor());
}

// Key presses that carry the characters, as a keyboard layout gives them
// (the test library's own key clicks know only Latin-1).
void Type(QWidget* editor, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(editor, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(editor, &release);
    }
}

void TypeInto(QWidget* editor, const QString& text) {
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    Type(editor, text);
}

// A window with the real project file and compiler over a new project with
// one vehicle direction, green in the only phase.
struct TPlansFixture : TWindowFixture {
    TPlansFixture() {
        RealFiles = true;
        RealImages = true;
        Create();
        Form->resize(800, 560);
        ShowActive();
        Form->AddLoadedTrendGroup(0);
        P().SetPhaseTrend(P().PhaseAt(0), P().TrendAt(0), true);
        Form->SetModified(false);
    }
    TProject& P() { return Form->Project(); }
    TCyclesPage& Cycles() { return *Form->CyclesPage(); }
    TDrawTree* Days() { return Form->DayPlansPage()->vtDayPlans; }
    TDrawTree* Weeks() { return Form->WeekPlansPage()->vtWeekPlans; }
    TDrawTree* Years() { return Form->YearPlanPage()->vtYearPlan; }
};

} // namespace

class PlanEditorsTest : public QObject {
    Q_OBJECT
  private slots:
    void cyclesAddEditAndDelete();
    void cycleNamesKeepToTheFileCodePage();
    void aWholeProgramSavedReopenedAndCompiled();
    void referencedAndLastObjectsStay();
    void itemPickersStayBetweenTheirNeighbours();
    void plansByKeyboard();
    void diagramFollowsTheCycle();
};

void PlanEditorsTest::cyclesAddEditAndDelete() {
    TPlansFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgCycles);
    QCOMPARE(f.Cycles().dgCycles->RowCount(), kPhaseRowsTitleRows);
    TPhase* phase = f.P().PhaseAt(0);
    f.P().SetPhaseMinTime(phase, 12);
    QVERIFY(w.actPlus->isEnabled());
    w.actPlus->trigger();
    QCOMPARE(f.P().CycleList().Count(), 1);
    QCOMPARE(f.Cycles().SelectedCycleRow(), 5);
    QCOMPARE(f.P().PhaseCycleTime(phase, 0), 12); // the minimum time
    QVERIFY(w.Modified());
    // A duration typed in place; below the minimum the minimum stays.
    PressCell(f.Cycles().dgCycles, 1, 5);
    auto* spin = Editor<TvxSpinEdit>(w);
    QVERIFY(spin != nullptr);
    QCOMPARE(spin->MinValue(), 12);
    QCOMPARE(spin->MaxValue(), 255);
    TypeInto(spin, QStringLiteral("40"));
    QCOMPARE(f.P().PhaseCycleTime(phase, 0), 40);
    TypeInto(spin, QStringLiteral("5"));
    QVERIFY(f.P().PhaseCycleTime(phase, 0) >= 12);
    // The minimum-time row edits the phase's minimum, at most its shortest
    // cycle duration, and the phases page selects the phase.
    PressCell(f.Cycles().dgCycles, 1, 4);
    spin = Editor<TvxSpinEdit>(w);
    QVERIFY(spin != nullptr);
    QCOMPARE(spin->MaxValue(), f.P().MinCycleTime(phase));
    QCOMPARE(w.PhasesPage()->SelectedPhase(), phase);
    // A second cycle, then deleting the first: the row shows the next one.
    w.actPlus->trigger();
    QCOMPARE(f.Cycles().SelectedCycleRow(), 6);
    PressCell(f.Cycles().dgCycles, 1, 5); // the first cycle's row
    QCOMPARE(f.Cycles().SelectedCycleRow(), 5);
    QTest::keyClick(w.InplaceEditor()->Editor(), Qt::Key_Escape);
    QVERIFY(w.actMinus->isEnabled());
    TCycle* second = f.P().CycleAt(1);
    w.actMinus->trigger();
    QCOMPARE(f.P().CycleList().Count(), 1);
    QCOMPARE(f.P().CycleAt(0), second);
    QCOMPARE(f.Cycles().SelectedCycleRow(), 5);
    w.actMinus->trigger();
    QCOMPARE(f.P().CycleList().Count(), 0);
    QCOMPARE(f.Cycles().SelectedCycleRow(), -1);
    QVERIFY(!w.actMinus->isEnabled());
}

void PlanEditorsTest::cycleNamesKeepToTheFileCodePage() {
    TPlansFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgCycles);
    w.actPlus->trigger();
    PressCell(f.Cycles().dgCycles, 0, 5);
    auto* edit = Editor<QLineEdit>(w);
    QVERIFY(edit != nullptr);
    QCOMPARE(edit->maxLength(), kMaxNameLength);
    TypeInto(edit, QStringLiteral("Утро"));
    QCOMPARE(f.P().CycleAt(0)->Name(), std::string("Утро"));
    QVERIFY(w.Modified());
    // A character code page 1251 lacks is refused with a word why.
    Type(edit, QStringLiteral("★"));
    QCOMPARE(f.P().CycleAt(0)->Name(), std::string("Утро"));
    QCOMPARE(edit->text(), QStringLiteral("Утро"));
    QVERIFY(!w.Refusals().isEmpty());
    QVERIFY(w.Refusals().last().contains(QStringLiteral("★")));
    // The long name stays whole in its cell: the text fits the column.
    TypeInto(edit, QStringLiteral("Часы пик"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(f.P().CycleAt(0)->Name(), std::string("Часы пик"));
}

void PlanEditorsTest::aWholeProgramSavedReopenedAndCompiled() {
    TPlansFixture f;
    TMainForm& w = *f.Form;
    // A cycle.
    w.ActivatePage(pgCycles);
    w.actPlus->trigger();
    PressCell(f.Cycles().dgCycles, 1, 5);
    TypeInto(Editor<TvxSpinEdit>(w), QStringLiteral("30"));
    // The day plan: ЖМ at night, the cycle from 07:30.
    w.ActivatePage(pgDayPlans);
    f.Days()->expandAll();
    QTreeWidgetItem* night = f.Days()->topLevelItem(0)->child(0);
    ClickNode(f.Days(), night, 1);
    QCOMPARE(Captions(w.DayPlansPage()->PopupCycles),
             (QStringList{QStringLiteral("ЖМ"), QStringLiteral("ОС"),
                          QStringLiteral("Новый цикл (#1)")}));
    QVERIFY(Choose(w.DayPlansPage()->PopupCycles, QStringLiteral("ЖМ")));
    QCOMPARE(f.P().DayPlanList()[0]->ItemAt(0)->Cycle(), f.P().FlashCycle());
    w.actPlus->trigger(); // an item after it
    QCOMPARE(f.P().DayPlanList()[0]->ItemCount(), 2);
    QTreeWidgetItem* morning = f.Days()->topLevelItem(0)->child(1);
    QCOMPARE(f.Days()->currentItem(), morning);
    ClickNode(f.Days(), morning, 1);
    QVERIFY(Choose(w.DayPlansPage()->PopupCycles, QStringLiteral("Новый цикл (#1)")));
    ClickNode(f.Days(), morning, 0);
    auto* time = Editor<QTimeEdit>(w);
    QVERIFY(time != nullptr);
    time->setTime(QTime(7, 30));
    QCOMPARE(f.Days()->CellLook(morning, 0).Text, QStringLiteral("07:30"));
    QCOMPARE(f.Days()->CellLook(morning, 1).Text, QStringLiteral("Новый цикл (#1)"));
    // The week plan: Monday on, a second day plan from Saturday.
    w.actPlus->trigger(); // (focus is on an item: a third item, dropped again)
    w.actMinus->trigger();
    QCOMPARE(f.P().DayPlanList()[0]->ItemCount(), 2);
    f.Days()->FocusNode(f.Days()->topLevelItem(0));
    w.actPlus->trigger(); // a second day plan
    QCOMPARE(f.P().DayPlanList().Count(), 2);
    w.ActivatePage(pgWeekPlans);
    f.Weeks()->expandAll();
    f.Weeks()->FocusNode(f.Weeks()->topLevelItem(0)->child(0));
    w.actPlus->trigger();
    QTreeWidgetItem* weekend = f.Weeks()->topLevelItem(0)->child(1);
    ClickNode(f.Weeks(), weekend, 0);
    QCOMPARE(Captions(w.WeekPlansPage()->PopupWeekDays),
             (QStringList{QStringLiteral("Вт"), QStringLiteral("Ср"), QStringLiteral("Чт"),
                          QStringLiteral("Пт"), QStringLiteral("Сб"), QStringLiteral("Вс")}));
    QVERIFY(Choose(w.WeekPlansPage()->PopupWeekDays, QStringLiteral("Сб")));
    ClickNode(f.Weeks(), weekend, 1);
    QVERIFY(Choose(w.WeekPlansPage()->PopupDayPlans, QStringLiteral("Новый суточный план (#2)")));
    QCOMPARE(f.Weeks()->CellLook(weekend, 0).Text, QStringLiteral("Сб"));
    QCOMPARE(f.Weeks()->CellLook(weekend, 0).TextColor, QColor(255, 0, 0));
    // A second week plan for the summer, from 1 June in the year plan.
    f.Weeks()->FocusNode(f.Weeks()->topLevelItem(0));
    w.actPlus->trigger();
    QCOMPARE(f.P().WeekPlanList().Count(), 2);
    w.ActivatePage(pgYearPlan);
    f.Years()->FocusNode(f.Years()->topLevelItem(0));
    w.actPlus->trigger();
    QTreeWidgetItem* summer = f.Years()->topLevelItem(1);
    QCOMPARE(f.Years()->currentItem(), summer);
    ClickNode(f.Years(), summer, 0);
    auto* date = Editor<QDateEdit>(w);
    QVERIFY(date != nullptr);
    date->setDate(QDate(2000, 6, 1));
    ClickNode(f.Years(), summer, 1);
    QVERIFY(Choose(w.YearPlanPage()->PopupWeekPlans, QStringLiteral("Новый недельный план (#2)")));
    QCOMPARE(f.Years()->CellLook(summer, 0).Text, QStringLiteral("01.06"));
    QVERIFY(w.Modified());

    // Saved, reopened in another window: the same bytes again.
    const QString path = QString::fromStdString(f.Dir.File("plans.NVT"));
    f.Dialogs.SaveAnswers.push_back(path);
    QVERIFY(w.SaveProjectAsCmd());
    TPlansFixture g;
    QVERIFY(g.Form->OpenProject(path));
    const QString again = QString::fromStdString(g.Dir.File("again.NVT"));
    g.Dialogs.SaveAnswers.push_back(again);
    QVERIFY(g.Form->SaveProjectAsCmd());
    QCOMPARE(ReadBytes(again.toStdString()), ReadBytes(path.toStdString()));

    // The controller's image holds the plans.
    const TProject& p = g.Form->Project();
    TImageDescription image;
    std::string error;
    QVERIFY2(ReadFlashImage(BuildFlashImage(p, 0, p.ProjectOptions()), &image, &error),
             error.c_str());
    const QString text = QString::fromStdString(DescribeFlashImage(image));
    QVERIFY2(text.contains(QStringLiteral("00:00 ЖМ  07:30 cycle 1")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Sat day plan")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("from 01.06 week plan")), qPrintable(text));
    QCOMPARE(image.CycleCount, 1);
}

void PlanEditorsTest::referencedAndLastObjectsStay() {
    TPlansFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgCycles);
    w.actPlus->trigger();
    f.P().SetDayItemCycle(f.P().DayPlanList()[0]->ItemAt(0), f.P().CycleAt(0));
    w.UpdateEditActions();
    QVERIFY(!w.actMinus->isEnabled()); // a day plan runs it
    // The only day plan, referenced by the week plan, and its only item.
    w.ActivatePage(pgDayPlans);
    f.Days()->FocusNode(f.Days()->topLevelItem(0));
    QVERIFY(!w.actMinus->isEnabled());
    f.Days()->FocusNode(f.Days()->topLevelItem(0)->child(0));
    QVERIFY(!w.actMinus->isEnabled());
    // A second, unreferenced day plan may go; deleting it focuses the first.
    f.Days()->FocusNode(f.Days()->topLevelItem(0));
    w.actPlus->trigger();
    QVERIFY(w.actMinus->isEnabled());
    w.actMinus->trigger();
    QCOMPARE(f.P().DayPlanList().Count(), 1);
    QCOMPARE(f.Days()->topLevelItemCount(), 1);
    QCOMPARE(f.Days()->currentItem(), f.Days()->topLevelItem(0));
    // Week and year plans alike.
    w.ActivatePage(pgWeekPlans);
    f.Weeks()->FocusNode(f.Weeks()->topLevelItem(0));
    QVERIFY(!w.actMinus->isEnabled());
    w.ActivatePage(pgYearPlan);
    f.Years()->FocusNode(f.Years()->topLevelItem(0));
    QVERIFY(!w.actMinus->isEnabled());
}

void PlanEditorsTest::itemPickersStayBetweenTheirNeighbours() {
    TPlansFixture f;
    TMainForm& w = *f.Form;
    TDayPlan* plan = f.P().DayPlanList()[0];
    QVERIFY(f.P().AddDayPlanItem(plan, 0) != nullptr); // 01:00
    QVERIFY(f.P().AddDayPlanItem(plan, 1) != nullptr); // 02:00
    w.ActivatePage(pgDayPlans);
    w.DayPlansPage()->Reset();
    f.Days()->expandAll();
    ClickNode(f.Days(), f.Days()->topLevelItem(0)->child(1), 0);
    auto* time = Editor<QTimeEdit>(w);
    QVERIFY(time != nullptr);
    QCOMPARE(time->minimumTime(), QTime(0, 1));
    QCOMPARE(time->maximumTime(), QTime(1, 59));
    time->setTime(QTime(5, 0)); // beyond the next item: held at 01:59
    int h = 0, m = 0, s = 0;
    DecodeDayTime(plan->ItemAt(1)->Time(), h, m, s);
    QCOMPARE(std::pair(h, m), std::pair(1, 59));
    // The model refuses a time outside the neighbours outright.
    QVERIFY(!f.P().SetDayItemTime(plan->ItemAt(1), EncodeDayTime(3, 0)));
    // Week days between Monday and a Wednesday item: only Tuesday.
    TWeekPlan* week = f.P().WeekPlanList()[0];
    QVERIFY(f.P().AddWeekPlanItem(week, 0) != nullptr);
    QVERIFY(f.P().AddWeekPlanItem(week, 1) != nullptr);
    QVERIFY(f.P().SetWeekItemDay(week->ItemAt(2), 2));
    w.ActivatePage(pgWeekPlans);
    w.WeekPlansPage()->Reset();
    f.Weeks()->expandAll();
    ClickNode(f.Weeks(), f.Weeks()->topLevelItem(0)->child(1), 0);
    QTRY_VERIFY(w.WeekPlansPage()->PopupWeekDays->isVisible());
    QCOMPARE(Captions(w.WeekPlansPage()->PopupWeekDays), QStringList{QStringLiteral("Вт")});
    w.WeekPlansPage()->PopupWeekDays->close();
}

void PlanEditorsTest::plansByKeyboard() {
    TPlansFixture f;
    TMainForm& w = *f.Form;
    TDayPlan* plan = f.P().DayPlanList()[0];
    QVERIFY(f.P().AddDayPlanItem(plan, 0) != nullptr);
    w.ActivatePage(pgDayPlans);
    w.DayPlansPage()->Reset();
    f.Days()->expandAll();
    f.Days()->setFocus();
    f.Days()->FocusNode(f.Days()->topLevelItem(0)->child(1));
    QTest::keyClick(f.Days(), Qt::Key_Return); // the time picker
    QVERIFY(Editor<QTimeEdit>(w) != nullptr);
    QTest::keyClick(w.InplaceEditor()->Editor(), Qt::Key_Escape);
    QVERIFY(!w.InplaceEditor()->IsOpen());
    QTest::keyClick(f.Days(), Qt::Key_Space); // the cycles menu
    QTRY_VERIFY(w.DayPlansPage()->PopupCycles->isVisible());
    w.DayPlansPage()->PopupCycles->close();
    QTest::keyClick(f.Days(), Qt::Key_Delete); // the second item goes
    QCOMPARE(plan->ItemCount(), 1);
    QVERIFY(w.Modified());
    QTest::keyClick(f.Days(), Qt::Key_Delete); // the last one stays
    QCOMPARE(plan->ItemCount(), 1);
}

void PlanEditorsTest::diagramFollowsTheCycle() {
    TPlansFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgCycles);
    w.actPlus->trigger();
    w.UpdateEditActions();
    QVERIFY(w.actDiagram->isEnabled()); // the new cycle is selected
    w.actDiagram->trigger();
    TDiagramView* view = w.DiagramView();
    QVERIFY(view != nullptr && view->isVisible());
    QCOMPARE(view->CycleIndex(), 0);
    QTRY_VERIFY(view->Canvas->width() > 0);
    const int before = view->Canvas->width();
    // A longer phase in the table makes a longer diagram at once.
    PressCell(f.Cycles().dgCycles, 1, 5);
    TypeInto(Editor<TvxSpinEdit>(w), QStringLiteral("60"));
    QTRY_VERIFY(view->Canvas->width() > before);
    const int longer = view->Canvas->width();
    view->SetPixelsPerSecond(view->PixelsPerSecond() * 2);
    QVERIFY(view->Canvas->width() > longer * 3 / 2);
    // Saved as a picture; then the cycle goes and so does the view.
    const QString png = QString::fromStdString(f.Dir.File("d.png"));
    QVERIFY(view->SaveAs(png));
    QVERIFY(!QImage(png).isNull());
    QTest::keyClick(w.InplaceEditor()->Editor(), Qt::Key_Escape);
    w.actMinus->trigger();
    QCOMPARE(f.P().CycleList().Count(), 0);
    QVERIFY(!view->isVisible());
    // The SUMO export from the export menu.
    w.actPlus->trigger();
    const QString sumo = QString::fromStdString(f.Dir.File("cross.net.xml"));
    f.Dialogs.SaveAnswers.push_back(sumo);
    w.SaveSumoCmd();
    QVERIFY(std::filesystem::exists(f.Dir.File("cross.net.xml")));
    QVERIFY(std::filesystem::exists(f.Dir.File("cross.add.xml")));
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    PlanEditorsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "PlanEditorsTest.moc"
