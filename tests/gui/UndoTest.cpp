// Undo and redo in the main window: random editor operations through the
// pages, all undone back to the project's first bytes and all redone to its
// last; the modified flag following the history; steps named, merged and
// bounded.

#include "GuiTestUtil.h"

#include "app/Application.h"
#include "mainwindow/PhaseRowsPainter.h"
#include "persistence/ProjExp.h"
#include "widgets/DrawGrid.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"
#include "widgets/vxEdit.h"

#include <QMenu>
#include <QTest>
#include <QUndoStack>

#include <random>

using namespace tralcon;
using namespace tralcon::test;

namespace {

struct TUndoFixture : TWindowFixture {
    TUndoFixture() {
        Form->resize(800, 560);
        ShowActive();
    }
    TMainForm& W() { return *Form; }
    TProject& P() { return Form->Project(); }
};

// One editor operation chosen by the generator, made as the pages make it.
void RandomOperation(TMainForm& w, std::mt19937& rng) {
    auto pick = [&](int n) {
        return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng);
    };
    TProject& p = w.Project();
    switch (pick(7)) {
    case 0: { // a direction of some kind
        w.ActivatePage(pgTrends);
        if (!w.TrendsPage()->CanPlus())
            break;
        w.actPlus->trigger();
        QMenu* menu = w.TrendsPage()->PopupAddTrends;
        menu->actions().at(pick(static_cast<int>(menu->actions().size())))->trigger();
        menu->close();
        break;
    }
    case 1: // a direction deleted
        if (p.TrendCount() > 0) {
            w.ActivatePage(pgTrends);
            w.TrendsPage()->SelectTrendRow(pick(p.TrendCount()));
            w.actMinus->trigger();
        }
        break;
    case 2: // a conflict set or cleared
        if (p.TrendCount() > 1) {
            w.ActivatePage(pgCollisions);
            const int a = 1 + pick(p.TrendCount()), b = 1 + pick(p.TrendCount());
            w.CollisionsPage()->ToggleCell(a, b);
        }
        break;
    case 3: // a green toggled in a phase
        if (p.TrendCount() > 0) {
            w.ActivatePage(pgPhases);
            const int phase = pick(p.PhaseCount());
            w.PhasesPage()->CellClick(p.PhaseRow(p.PhaseAt(phase), false) + 1,
                                      kPhaseRowsTitleRows + pick(p.TrendCount()));
        }
        break;
    case 4: // a phase copied
        w.ActivatePage(pgPhases);
        w.PhasesPage()->CellClick(p.PhaseRow(p.PhaseAt(pick(p.PhaseCount())), false) + 1, 1);
        if (w.PhasesPage()->CanPlus())
            w.actPlus->trigger();
        break;
    case 5: // a cycle
        w.ActivatePage(pgCycles);
        w.actPlus->trigger();
        break;
    default: // a day plan item
        w.ActivatePage(pgDayPlans);
        w.DayPlansPage()->vtDayPlans->FocusNode(
            w.DayPlansPage()->vtDayPlans->topLevelItem(0)->child(0));
        if (w.DayPlansPage()->CanPlus())
            w.actPlus->trigger();
        break;
    }
    w.InplaceEditor()->Close();
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT
  private slots:
    void randomEditsUndoneAndRedone_data();
    void randomEditsUndoneAndRedone();
    void modifiedFollowsTheHistory();
    void typingInOneCellIsOneStep();
    void openingClearsAndTheHistoryIsBounded();
};

void UndoTest::randomEditsUndoneAndRedone_data() {
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u})
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void UndoTest::randomEditsUndoneAndRedone() {
    QFETCH(unsigned, seed);
    TUndoFixture f;
    TMainForm& w = f.W();
    const TSnapshot start = w.TakeSnapshot();
    std::mt19937 rng(seed);
    for (int i = 0; i < 40; ++i)
        RandomOperation(w, rng);
    const TSnapshot end = w.TakeSnapshot();
    QVERIFY(end != start);
    QUndoStack* stack = w.UndoStack();
    const int steps = stack->count();
    QVERIFY(steps > 5);
    while (stack->canUndo())
        stack->undo();
    QVERIFY(w.TakeSnapshot() == start);
    QVERIFY(!w.Modified());
    while (stack->canRedo())
        stack->redo();
    QVERIFY(w.TakeSnapshot() == end);
    QVERIFY(w.Modified());
    // The pages show the project the history left: the grids follow it.
    w.ActivatePage(pgTrends);
    QCOMPARE(w.TrendsPage()->dgTrends->RowCount(), w.Project().TrendCount() + 2);
}

void UndoTest::modifiedFollowsTheHistory() {
    TUndoFixture f;
    TMainForm& w = f.W();
    w.ActivatePage(pgTrends);
    QVERIFY(!w.actUndo->isEnabled());
    w.actPlus->trigger();
    w.TrendsPage()->PopupAddTrends->actions().at(0)->trigger();
    QVERIFY(w.Modified());
    QCOMPARE(w.actUndo->text(), QStringLiteral("Отменить новое направление 1Т"));
    // Deleting names itself too; undo brings the direction back.
    w.TrendsPage()->SelectTrendRow(0);
    w.actMinus->trigger();
    QCOMPARE(f.P().TrendCount(), 0);
    QCOMPARE(w.actUndo->text(), QStringLiteral("Отменить удаление направления 1Т"));
    // The desktop's keys for both.
    QCOMPARE(w.actUndo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(w.actRedo->shortcuts(),
             (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                  QKeySequence(QStringLiteral("Ctrl+Y"))}));
    w.ActivatePage(pgCollisions);
    w.actUndo->trigger();
    QCOMPARE(f.P().TrendCount(), 1);
    QCOMPARE(w.ActivePage(), int(pgTrends)); // the page of the change
    w.actUndo->trigger();
    QCOMPARE(f.P().TrendCount(), 0);
    QVERIFY(!w.Modified()); // back where the project started
    w.actRedo->trigger();
    QCOMPARE(f.P().TrendCount(), 1);
    QVERIFY(w.Modified());
    // Saved here: undoing leaves the saved state, redoing comes back to it.
    const QString path = QString::fromStdString(f.Dir.File("u.NVT"));
    f.Dialogs.SaveAnswers.push_back(path);
    QVERIFY(w.SaveProjectAsCmd());
    QVERIFY(!w.Modified());
    w.actUndo->trigger();
    QVERIFY(w.Modified());
    w.actRedo->trigger();
    QVERIFY(!w.Modified());
    // Options stay out of the history, as out of the modified state.
    w.ControllersPage()->udAllRedTime->SetValue(9);
    w.actUndo->trigger();
    QCOMPARE(int(f.P().AllRedTime()), 9);
}

void UndoTest::typingInOneCellIsOneStep() {
    TUndoFixture f;
    TMainForm& w = f.W();
    w.AddLoadedTrendGroup(0);
    w.SetModified(false);
    w.ActivatePage(pgPhases);
    const int before = w.UndoStack()->count();
    const QRect cell = w.PhasesPage()->dgPhases->CellRect(1, 4);
    QTest::mousePress(w.PhasesPage()->dgPhases->viewport(), Qt::LeftButton, {}, cell.center());
    auto* spin = qobject_cast<TvxSpinEdit*>(w.InplaceEditor()->Editor());
    QVERIFY(spin != nullptr);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, QStringLiteral("123"));
    QCOMPARE(int(f.P().PhaseAt(0)->MinTime()), 123);
    QCOMPARE(w.UndoStack()->count(), before + 1);
    w.UndoStack()->undo();
    QCOMPARE(int(f.P().PhaseAt(0)->MinTime()), 1);
}

void UndoTest::openingClearsAndTheHistoryIsBounded() {
    TUndoFixture f;
    TMainForm& w = f.W();
    QCOMPARE(w.UndoStack()->undoLimit(), 200);
    w.ActivatePage(pgCycles);
    for (int i = 0; i < 210; ++i)
        w.actPlus->trigger();
    QCOMPARE(w.UndoStack()->count(), 200);
    f.Dialogs.CloseAnswers.push_back(TMainDialogs::TSaveChoice::Discard);
    emit w.PopupNewModels->aboutToShow();
    w.PopupNewModels->actions().at(0)->trigger();
    QCOMPARE(w.UndoStack()->count(), 0);
    QVERIFY(!w.actUndo->isEnabled());
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    UndoTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "UndoTest.moc"
