// Each page of the main window built alone over a project, with a small
// context of its own and no window: what "+" and "−" allow, and their hints.

#include "TestUtil.h"
#include "mainwindow/CollisionsPage.h"
#include "mainwindow/ControllersPage.h"
#include "mainwindow/CyclesPage.h"
#include "mainwindow/DayPlansPage.h"
#include "mainwindow/MainServices.h"
#include "mainwindow/PhasesPage.h"
#include "mainwindow/TrendsPage.h"
#include "mainwindow/WeekPlansPage.h"
#include "mainwindow/YearPlanPage.h"
#include "model/Project.h"
#include "support/PageContext.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace tralcon;
using namespace tralcon::test;

namespace {

// The pages' context over a catalogue of INI text.
struct TTestContext : TStandalonePageContext {
    explicit TTestContext(const std::string& catalogue)
        : TStandalonePageContext(CatalogueFromText(catalogue)) {}
};

std::string Catalogue(bool multiCascade, bool yearPlan) {
    std::string text = kSmallCatalogue;
    if (!multiCascade)
        text.replace(text.find("MultiCascade=1\n"), 15, "");
    if (yearPlan)
        text.replace(text.find("[General]\n"), 10, "[General]\nUseYearPlan=1\n");
    return text;
}

} // namespace

class PagesTest : public QObject {
    Q_OBJECT
  private slots:
    void controllersNeedTheActiveWindowAndMultiCascade_data();
    void controllersNeedTheActiveWindowAndMultiCascade();
    void directionsAddWhileAnOutputIsFreeAndDeleteEditableRows();
    void phasesAddBelowTwelveAndKeepTheLastWorkingPhase();
    void cyclesAlwaysAddAndDeleteOnlyAnUnreferencedCycle();
    void conflictsNeitherAddNorDelete();
    void planTreesFollowTheFocusedNode_data();
    void planTreesFollowTheFocusedNode();
};

void PagesTest::controllersNeedTheActiveWindowAndMultiCascade_data() {
    QTest::addColumn<bool>("multiCascade");
    QTest::addColumn<bool>("active");
    QTest::newRow("multi, active") << true << true;
    QTest::newRow("multi, inactive") << true << false;
    QTest::newRow("single, active") << false << true;
}

void PagesTest::controllersNeedTheActiveWindowAndMultiCascade() {
    QFETCH(bool, multiCascade);
    QFETCH(bool, active);
    TTestContext ctx(Catalogue(multiCascade, false));
    ctx.Active = active;
    TControllersPage page(ctx);
    QSignalSpy asked(&page, &TControllersPage::ModelMenuRequested);
    page.AddController(ctx.Config().ModelList[0]);
    page.AddController(ctx.Config().ModelList[1]);
    page.Reset();
    QCOMPARE(page.vtControllers->topLevelItemCount(), 2);
    const bool allowed = multiCascade && active;
    QCOMPARE(page.CanPlus(), allowed);
    QCOMPARE(page.PlusHint(), QStringLiteral("Новый контроллер"));
    // Reset focuses the last controller; an unbound one may go while
    // another stays.
    QCOMPARE(page.SelectedController(), 1);
    QCOMPARE(page.CanMinus(), allowed);
    if (!allowed)
        return;
    page.Plus();
    QCOMPARE(asked.count(), 1);
    page.Minus();
    QCOMPARE(ctx.Project().ControllerList().Count(), 1);
    QCOMPARE(page.vtControllers->topLevelItemCount(), 1);
    QCOMPARE(ctx.Modifications, 1);
    // The last controller stays.
    page.vtControllers->FocusNode(page.vtControllers->topLevelItem(0));
    QVERIFY(!page.CanMinus());
}

void PagesTest::directionsAddWhileAnOutputIsFreeAndDeleteEditableRows() {
    TTestContext ctx(Catalogue(true, false));
    ctx.Project().CreateController(ctx.Config().ModelList[1]); // two universal outputs
    TTrendsPage page(ctx);
    page.Reset();
    QVERIFY(page.CanPlus());
    QVERIFY(!page.CanMinus()); // no row selected
    page.Plus();
    QCOMPARE(ctx.Popups, QList<QMenu*>{page.PopupAddTrends});
    page.PopupAddTrends->actions().at(1)->trigger(); // a pedestrian direction
    QCOMPARE(ctx.Project().TrendGroupList().Count(), 1);
    QCOMPARE(page.SelectedTrendRow(), 2);
    QVERIFY(page.CanMinus());
    // Both outputs bound: nothing more can be added.
    ctx.Project().SetTrendOutput(0, 0, ctx.Project().ControllerAt(0)->ControllerOutputAt(0));
    ctx.Project().SetTrendOutput(0, 2, ctx.Project().ControllerAt(0)->ControllerOutputAt(1));
    QVERIFY(!page.CanPlus());
    page.Minus();
    QCOMPARE(ctx.Project().TrendGroupList().Count(), 0);
    QCOMPARE(page.SelectedTrendRow(), -1);
    QVERIFY(page.CanPlus());
    QVERIFY(!page.CanMinus());
    QCOMPARE(page.PlusHint(), QStringLiteral("Новое направление"));
    QCOMPARE(page.MinusHint(), QStringLiteral("Удалить направление"));
}

void PagesTest::phasesAddBelowTwelveAndKeepTheLastWorkingPhase() {
    TTestContext ctx(Catalogue(true, false));
    TPhasesPage page(ctx);
    page.Reset();
    QVERIFY(page.SelectedPhase() != nullptr);
    QVERIFY(page.CanPlus());
    QVERIFY(!page.CanMinus()); // the only working phase
    while (ctx.Project().PhaseCount() < 12)
        QVERIFY(ctx.Project().AddPhase() != nullptr);
    QVERIFY(!page.CanPlus());
    QVERIFY(page.CanMinus());
    QCOMPARE(page.PlusHint(), QStringLiteral("Новая фаза"));
}

void PagesTest::cyclesAlwaysAddAndDeleteOnlyAnUnreferencedCycle() {
    TTestContext ctx(Catalogue(true, false));
    TCyclesPage page(ctx);
    page.Reset();
    QVERIFY(page.CanPlus());
    QVERIFY(!page.CanMinus()); // nothing selected
    QCOMPARE(page.MinusHint(), QStringLiteral("Удалить цикл"));
}

void PagesTest::conflictsNeitherAddNorDelete() {
    TTestContext ctx(Catalogue(true, false));
    TCollisionsPage page(ctx);
    page.Reset();
    QVERIFY(!page.CanPlus());
    QVERIFY(!page.CanMinus());
    QVERIFY(page.PlusHint().isEmpty());
    QVERIFY(page.MinusHint().isEmpty());
}

// The default plans of a new project: one day plan and one week plan of one
// item each, and one year-plan item.
void PagesTest::planTreesFollowTheFocusedNode_data() {
    QTest::addColumn<bool>("yearPlan");
    QTest::newRow("with the year plan") << true;
    QTest::newRow("without") << false;
}

void PagesTest::planTreesFollowTheFocusedNode() {
    QFETCH(bool, yearPlan);
    TTestContext ctx(Catalogue(true, yearPlan));
    TDayPlansPage day(ctx);
    TWeekPlansPage week(ctx);
    TYearPlanPage year(ctx);
    for (TMainPage* p : std::initializer_list<TMainPage*>{&day, &week, &year})
        p->Reset();
    QCOMPARE(day.vtDayPlans->topLevelItemCount(), ctx.Project().DayPlanList().Count());

    // A day plan focused: a new plan may be added; the only one, referenced
    // by the week plan, may not go.
    QVERIFY(day.CanPlus());
    QVERIFY(!day.CanMinus());
    QCOMPARE(day.PlusHint(), QStringLiteral("Новый суточный план"));
    // Its only item focused: the hints name items, and the last item stays.
    day.vtDayPlans->FocusNode(day.vtDayPlans->topLevelItem(0)->child(0));
    QCOMPARE(day.PlusHint(), QStringLiteral("Новая запись суточного плана"));
    QCOMPARE(day.MinusHint(), QStringLiteral("Удалить запись суточного плана"));
    QVERIFY(!day.CanMinus());

    // New week plans only with the year plan.
    QCOMPARE(week.CanPlus(), yearPlan);
    QVERIFY(!week.CanMinus());
    QCOMPARE(week.MinusHint(), QStringLiteral("Удалить недельный план"));

    QCOMPARE(year.CanPlus(), yearPlan && ctx.Project().YearPlan()->CanAddItem(0));
    QVERIFY(!year.CanMinus());
    QCOMPARE(year.PlusHint(), QStringLiteral("Новая запись годового плана"));
    year.vtYearPlan->FocusNode(nullptr);
    QVERIFY(year.PlusHint().isEmpty());
    QVERIFY(!year.CanPlus());
}

QTEST_MAIN(PagesTest)
#include "PagesTest.moc"
