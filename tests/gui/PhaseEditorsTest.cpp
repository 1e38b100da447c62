// The conflicts and phases editors in the main window on the offscreen
// platform, driven by clicks on real cells and by the keyboard.

#include "GuiTestUtil.h"

#include "app/Application.h"
#include "mainwindow/CheckForm.h"
#include "mainwindow/PhaseRowsPainter.h"
#include "model/Phases.h"
#include "widgets/DrawGrid.h"
#include "widgets/InplaceEditor.h"
#include "widgets/vxEdit.h"

#include <QCheckBox>
#include <QTreeWidget>

#include <QPushButton>
#include <QTest>
#include <filesystem>

using namespace tralcon;
using namespace tralcon::test;

namespace {

// Records what the window tells the scheme; the base keeps the rows.
class TRecordingScheme : public TSchemeLink {
  public:
    QStringList Calls;
    std::vector<const TPhase*> Shown;
    void SchemeTrendsAdded(int row) override {
        Calls << QStringLiteral("added %1").arg(row);
        TSchemeLink::SchemeTrendsAdded(row);
    }
    void SchemeRemoveCallGroups() override {
        Calls << QStringLiteral("remove calls");
        TSchemeLink::SchemeRemoveCallGroups();
    }
    void ShowPhaseOnScheme(const TPhase* phase) override { Shown.push_back(phase); }
};

// A shown window over a new project with two vehicle directions (rows 0
// and 1, yellow 3 s) and one pedestrian direction (row 2).
struct TEditorsFixture : TWindowFixture {
    TRecordingScheme Scheme;
    TEditorsFixture() {
        RealImages = true; // the signal program check reads real images
        Form.reset();
        TMainFormEnv env = Env({});
        env.Scheme = &Scheme;
        Form = std::make_unique<TMainForm>(env);
        Form->resize(800, 520);
        ShowActive();
        for (int kind : {0, 0, 1})
            Form->AddLoadedTrendGroup(kind);
        // Yellow for 3 s, so every closing takes an intermediate step.
        for (int row : {0, 1})
            Form->Project().TrendAt(row)->SetTime(3, 3);
        Form->SetModified(false);
    }
    TProject& P() { return Form->Project(); }
    TPhasesPage& Phases() { return *Form->PhasesPage(); }
    TDrawGrid* Grid() { return Form->PhasesPage()->dgPhases; }
};

void PressCell(TDrawGrid* g, int col, int row, Qt::MouseButton button = Qt::LeftButton) {
    const QRect r = g->CellRect(col, row);
    QVERIFY2(!r.isEmpty(), qPrintable(QStringLiteral("cell %1,%2 not on show").arg(col).arg(row)));
    QTest::mousePress(g->viewport(), button, {}, r.center());
}

// How many pixels of the cell are close to the colour.
int PixelsNear(TDrawGrid* g, int col, int row, const QColor& color) {
    const QImage img = g->RenderImage();
    const QRect r = g->CellRect(col, row);
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = img.pixelColor(QPoint(x, y) * img.devicePixelRatio());
            if (std::abs(c.red() - color.red()) < 40 && std::abs(c.green() - color.green()) < 40 &&
                std::abs(c.blue() - color.blue()) < 40)
                ++n;
        }
    return n;
}

const QColor kMarkRed(255, 0, 0);
const QColor kMarkerRed(220, 30, 30);

} // namespace

class PhaseEditorsTest : public QObject {
    Q_OBJECT
  private slots:
    void conflictSetAndClearedFromBothHalves();
    void conflictMatrixByKeyboard();
    void greenToggledChangesTheStepsAroundIt();
    void conflictingGreensShowTheMarker();
    void minimumTimeTypedInPlace();
    void callPhaseButtonSwitchesSupportOnAndOff();
    void stepsButtonKeepsThePhaseSelected();
    void addingAndDeletingPhases();
    void phaseTableByKeyboard();
    void sampleShowsEverySignalAndConflict();
    void checkStopsExportAndShowsTheFinding();
};

void PhaseEditorsTest::conflictSetAndClearedFromBothHalves() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgCollisions);
    TDrawGrid* g = w.CollisionsPage()->dgCollisions;
    QCOMPARE(g->RowCount(), 4);
    TTrend* a = f.P().TrendAt(0);
    TTrend* b = f.P().TrendAt(2);
    PressCell(g, 3, 1); // upper half: column of row 2, row of row 0
    QVERIFY(f.P().HasConflict(a, b));
    QVERIFY(f.P().HasConflict(b, a));
    QVERIFY(w.Modified());
    QVERIFY(PixelsNear(g, 3, 1, kMarkRed) > 5);
    QVERIFY(PixelsNear(g, 1, 3, kMarkRed) > 5); // the mirror cell shows it too
    QCOMPARE(PixelsNear(g, 2, 1, kMarkRed), 0);
    PressCell(g, 1, 3); // the lower half clears the same pair
    QVERIFY(!f.P().HasConflict(a, b));
    QCOMPARE(PixelsNear(g, 3, 1, kMarkRed), 0);
    // Headers, the diagonal and the right button change nothing.
    for (auto [c, r] : {std::pair{0, 1}, std::pair{2, 0}, std::pair{2, 2}})
        PressCell(g, c, r);
    PressCell(g, 2, 1, Qt::RightButton);
    QCOMPARE(f.P().ConflictPairCount(), 0);
}

void PhaseEditorsTest::conflictMatrixByKeyboard() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgCollisions);
    TCollisionsPage& page = *w.CollisionsPage();
    page.dgCollisions->setFocus();
    QTest::keyClick(page.dgCollisions, Qt::Key_Down); // lands on the first pair
    QCOMPARE(std::pair(page.CurrentCol(), page.CurrentRow()), std::pair(2, 1));
    QTest::keyClick(page.dgCollisions, Qt::Key_Down); // (2, 2) is the diagonal: stepped over
    QCOMPARE(std::pair(page.CurrentCol(), page.CurrentRow()), std::pair(2, 3));
    QTest::keyClick(page.dgCollisions, Qt::Key_Space);
    QVERIFY(f.P().HasConflict(f.P().TrendAt(1), f.P().TrendAt(2)));
    QTest::keyClick(page.dgCollisions, Qt::Key_Down); // the edge: it stays
    QCOMPARE(page.CurrentRow(), 3);
    QTest::keyClick(page.dgCollisions, Qt::Key_Space);
    QCOMPARE(f.P().ConflictPairCount(), 0);
}

void PhaseEditorsTest::greenToggledChangesTheStepsAroundIt() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgPhases);
    QVERIFY(w.actPlus->isEnabled());
    w.actPlus->trigger(); // a copy of phase 1 in front of it: two empty phases
    QCOMPARE(f.P().PhaseList().Count(), 2);
    QCOMPARE(f.P().RowCount(false), 2); // nothing changes between them
    TPhase* first = f.P().PhaseAt(0);
    w.SetModified(false);
    PressCell(f.Grid(), 1, 5); // row 0 green in phase 1
    QVERIFY(first->IsGreen(f.P().TrendAt(0)));
    QVERIFY(w.Modified());
    QCOMPARE(f.Phases().SelectedPhase(), first);
    QCOMPARE(f.Scheme.Shown.back(), first);
    // The signal now closes after phase 1 through its yellow step: the
    // transition takes a column. It opens after phase 2 at once (no red with
    // yellow), so that transition takes none.
    QCOMPARE(f.P().RowCount(false), 3);
    QCOMPARE(f.Grid()->ColCount(), 4);
    QCOMPARE(f.P().RowSignal(1, 0, false), TSignalState::LightsOff);
    QCOMPARE(f.P().RowSignal(2, 0, false), TSignalState::ExtraRed);
    QCOMPARE(QString::fromStdString(f.P().RowStepText(2, false)), QStringLiteral("3"));
    QCOMPARE(QString::fromStdString(f.P().RowCaption(1, false)), QStringLiteral(">>"));
    // A second click takes it out again.
    PressCell(f.Grid(), 1, 5);
    QVERIFY(!first->IsGreen(f.P().TrendAt(0)));
    QCOMPARE(f.P().RowCount(false), 2);
    // A transition column selects nothing and edits nothing.
    PressCell(f.Grid(), 1, 5);
    PressCell(f.Grid(), 2, 6);
    QCOMPARE(f.Phases().SelectedPhase(), nullptr);
    QVERIFY(!f.P().PhaseAt(1)->IsGreen(f.P().TrendAt(1)));
    QVERIFY(!w.actPlus->isEnabled());
}

void PhaseEditorsTest::conflictingGreensShowTheMarker() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    f.P().SetConflict(f.P().TrendAt(0), f.P().TrendAt(1), true);
    w.ActivatePage(pgPhases);
    PressCell(f.Grid(), 1, 5);
    QVERIFY(!f.P().RowConflict(0, 0, false));
    QCOMPARE(PixelsNear(f.Grid(), 1, 5, kMarkerRed), 0);
    PressCell(f.Grid(), 1, 6); // both released together
    QVERIFY(f.P().RowConflict(0, 0, false));
    QVERIFY(f.P().RowConflict(0, 1, false));
    QVERIFY(PixelsNear(f.Grid(), 1, 5, kMarkerRed) > 5);
    QVERIFY(PixelsNear(f.Grid(), 1, 6, kMarkerRed) > 5);
    QVERIFY(!f.P().RowConflict(0, 2, false)); // the pedestrian stays red, unmarked
}

void PhaseEditorsTest::minimumTimeTypedInPlace() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgPhases);
    TPhase* phase = f.P().PhaseAt(0);
    PressCell(f.Grid(), 1, 4);
    auto* spin = qobject_cast<TvxSpinEdit*>(w.InplaceEditor()->Editor());
    QVERIFY(spin != nullptr);
    QCOMPARE(spin->MinValue(), 1);
    QCOMPARE(spin->MaxValue(), f.P().MinCycleTime(phase)); // 255 without cycles
    QCOMPARE(spin->Suffix(), QStringLiteral("с"));
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, QStringLiteral("17"));
    QCOMPARE(int(phase->MinTime()), 17);
    QVERIFY(w.Modified());
    QCOMPARE(f.P().RowDuration(0, false), 17);
    // Escape ends the editing and gives the keys back to the table.
    QTest::keyClick(spin, Qt::Key_Escape);
    QVERIFY(!w.InplaceEditor()->IsOpen());
    QTRY_VERIFY(f.Grid()->hasFocus());
    // With a cycle the editor stops at the phase's shortest duration.
    f.P().AddCycle();
    f.P().SetPhaseCycleTime(phase, 0, 30);
    PressCell(f.Grid(), 1, 4);
    spin = qobject_cast<TvxSpinEdit*>(w.InplaceEditor()->Editor());
    QVERIFY(spin != nullptr);
    QCOMPARE(spin->MaxValue(), 30);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, QStringLiteral("99"));
    QCOMPARE(int(phase->MinTime()), 30);
}

void PhaseEditorsTest::callPhaseButtonSwitchesSupportOnAndOff() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgPhases);
    TPhasesPage& page = f.Phases();
    QCOMPARE(page.btnEnableCallPhases->text(), QStringLiteral("Включить поддержку ТВП"));
    QVERIFY(!page.cbUseRedBlink->isEnabled());
    const int rows = f.P().TrendCount();
    QTest::mouseClick(page.btnEnableCallPhases, Qt::LeftButton);
    QVERIFY(f.P().CallPhasesEnabled());
    QCOMPARE(f.P().TrendCount(), rows + 1);
    QVERIFY(QString::fromStdString(f.P().TrendName(rows)).endsWith(QStringLiteral("ТВП")));
    QCOMPARE(page.btnEnableCallPhases->text(), QStringLiteral("Отключить поддержку ТВП"));
    QVERIFY(page.cbUseRedBlink->isEnabled());
    QVERIFY(w.Modified());
    QCOMPARE(f.Scheme.Calls.back(), QStringLiteral("added %1").arg(rows));
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), rows + 2);
    QCOMPARE(f.Grid()->RowCount(), rows + 1 + kPhaseRowsTitleRows);
    QVERIFY(f.P().CallPhaseList().Count() >= 3); // a call section in the table
    // Red blinking while waiting, then off again.
    QTest::mouseClick(page.cbUseRedBlink, Qt::LeftButton);
    QVERIFY(f.P().ProjectOptions() & poRedBlink);
    // Selecting the call phase, then switching off: the selection falls back.
    const int callCol = f.P().PhaseRow(f.P().CallPhaseList()[1], false) + 1;
    PressCell(f.Grid(), callCol, 2);
    QCOMPARE(page.SelectedPhase(), f.P().CallPhaseList()[1]);
    QTest::mouseClick(page.btnEnableCallPhases, Qt::LeftButton);
    QVERIFY(!f.P().CallPhasesEnabled());
    QCOMPARE(f.P().TrendCount(), rows);
    QCOMPARE(f.Scheme.Calls.back(), QStringLiteral("remove calls"));
    QVERIFY(!page.cbUseRedBlink->isEnabled());
    QVERIFY(!page.cbUseRedBlink->isChecked());
    QVERIFY(!(f.P().ProjectOptions() & poRedBlink));
    QCOMPARE(page.SelectedPhase(), f.P().PhaseAt(0));
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), rows + 1);
    QCOMPARE(f.Grid()->RowCount(), rows + kPhaseRowsTitleRows);
}

void PhaseEditorsTest::stepsButtonKeepsThePhaseSelected() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgPhases);
    w.actPlus->trigger();
    TPhase* second = f.P().PhaseAt(1);
    f.P().TrendAt(0)->SetTime(2, 6); // green blinking from 6 s, yellow from 3 s: two steps
    f.P().SetPhaseTrend(f.P().PhaseAt(0), f.P().TrendAt(0), true);
    f.P().SetPhaseTrend(second, f.P().TrendAt(1), true);
    f.Phases().Layout();
    PressCell(f.Grid(), f.P().PhaseRow(second, false) + 1, 1);
    const int collapsedCol = f.Phases().SelectedPhaseCol();
    QTest::mouseClick(f.Phases().btnShowDetails, Qt::LeftButton);
    QVERIFY(f.Phases().StepsExpanded());
    QCOMPARE(f.Phases().btnShowDetails->text(), QStringLiteral("Свернуть промтакты"));
    QCOMPARE(f.Phases().SelectedPhase(), second);
    QVERIFY(f.Phases().SelectedPhaseCol() > collapsedCol);
    QCOMPARE(f.Phases().SelectedPhaseCol(), f.P().PhaseRow(second, true) + 1);
    QCOMPARE(f.Grid()->ColCount(), f.P().RowCount(true) + 1);
    QTest::mouseClick(f.Phases().btnShowDetails, Qt::LeftButton);
    QCOMPARE(f.Phases().SelectedPhaseCol(), collapsedCol);
    QCOMPARE(f.Phases().btnShowDetails->text(), QStringLiteral("Развернуть промтакты"));
}

void PhaseEditorsTest::addingAndDeletingPhases() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgPhases);
    QVERIFY(!w.actMinus->isEnabled()); // the only working phase
    TPhase* original = f.P().PhaseAt(0);
    f.P().SetPhaseTrend(original, f.P().TrendAt(2), true);
    w.actPlus->trigger();
    QCOMPARE(f.P().PhaseList().Count(), 2);
    TPhase* copy = f.P().PhaseAt(0); // in front of the original
    QCOMPARE(f.Phases().SelectedPhase(), copy);
    QVERIFY(copy->IsGreen(f.P().TrendAt(2)));
    QVERIFY(w.actMinus->isEnabled());
    while (f.P().PhaseCount() < kMaxPhases)
        w.actPlus->trigger();
    QVERIFY(!w.actPlus->isEnabled());
    // Deleting the last phase selects the one before it.
    PressCell(f.Grid(), f.P().PhaseRow(f.P().PhaseList()[11], false) + 1, 1);
    w.actMinus->trigger();
    QCOMPARE(f.P().PhaseList().Count(), 11);
    QCOMPARE(f.Phases().SelectedPhase(), f.P().PhaseList()[10]);
    QVERIFY(w.actPlus->isEnabled());
}

void PhaseEditorsTest::phaseTableByKeyboard() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    w.ActivatePage(pgPhases);
    w.actPlus->trigger();
    f.Grid()->setFocus();
    QCOMPARE(f.Phases().SelectedPhase(), f.P().PhaseAt(0));
    QTest::keyClick(f.Grid(), Qt::Key_Right);
    QCOMPARE(f.Phases().SelectedPhase(), f.P().PhaseAt(1));
    QTest::keyClick(f.Grid(), Qt::Key_Down); // the Tmin row
    QCOMPARE(f.Phases().SelectedPhaseRow(), 4);
    QTest::keyClick(f.Grid(), Qt::Key_Return);
    QVERIFY(w.InplaceEditor()->IsOpen());
    QTest::keyClick(w.InplaceEditor()->Editor(), Qt::Key_Escape);
    QVERIFY(!w.InplaceEditor()->IsOpen());
    QTest::keyClick(f.Grid(), Qt::Key_Down);
    QTest::keyClick(f.Grid(), Qt::Key_Down); // row 1
    QTest::keyClick(f.Grid(), Qt::Key_Space);
    QVERIFY(f.P().PhaseAt(1)->IsGreen(f.P().TrendAt(1)));
    QTest::keyClick(f.Grid(), Qt::Key_Left);
    QTest::keyClick(f.Grid(), Qt::Key_Space);
    QVERIFY(f.P().PhaseAt(0)->IsGreen(f.P().TrendAt(1)));
}

void PhaseEditorsTest::sampleShowsEverySignalAndConflict() {
    TWindowFixture f;
    f.RealFiles = true;
    f.Create();
    TMainForm& w = *f.Form;
    w.resize(800, 520);
    f.ShowActive();
    QVERIFY(w.OpenProject(
        QString::fromStdString(std::string(TRALCON_SOURCE_DIR) + "/data/examples/Sample.NVT")));
    const TProject& p = w.Project();
    w.ActivatePage(pgPhases);
    TDrawGrid* g = w.PhasesPage()->dgPhases;
    // Every signal cell of a phase column shows a picture: some pixel that
    // is neither the cell's fill nor its frame.
    for (int row = 0; row < p.RowCount(false); ++row) {
        if (!p.IsPhaseRow(row, false))
            continue;
        for (int t = 0; t < p.TrendCount(); ++t) {
            const int greens = PixelsNear(g, row + 1, t + 5, QColor(20, 170, 60));
            const int reds = PixelsNear(g, row + 1, t + 5, QColor(220, 30, 30));
            QVERIFY2(greens + reds > 20,
                     qPrintable(QStringLiteral("row %1 signal %2").arg(row).arg(t)));
        }
    }
    w.ActivatePage(pgCollisions);
    TDrawGrid* m = w.CollisionsPage()->dgCollisions;
    for (auto [a, b] : p.ConflictPairs()) {
        int ra = -1, rb = -1;
        for (int t = 0; t < p.TrendCount(); ++t) {
            if (p.TrendAt(t) == a)
                ra = t;
            if (p.TrendAt(t) == b)
                rb = t;
        }
        QVERIFY(PixelsNear(m, ra + 1, rb + 1, kMarkRed) > 5);
        QVERIFY(PixelsNear(m, rb + 1, ra + 1, kMarkRed) > 5);
    }
}

void PhaseEditorsTest::checkStopsExportAndShowsTheFinding() {
    TEditorsFixture f;
    TMainForm& w = *f.Form;
    // Two conflicting directions green together in phase 1.
    f.P().SetConflict(f.P().TrendAt(0), f.P().TrendAt(1), true);
    f.P().SetPhaseTrend(f.P().PhaseAt(0), f.P().TrendAt(0), true);
    f.P().SetPhaseTrend(f.P().PhaseAt(0), f.P().TrendAt(1), true);
    // Exporting asks first; refused, nothing is written.
    const QString name = QString::fromStdString(f.Dir.File("Cross.k0"));
    f.Dialogs.SaveAnswers.push_back(name);
    f.Dialogs.ConfirmAnswers.push_back(false);
    w.SaveImageFilesCmd();
    QCOMPARE(f.Dialogs.ConfirmQuestions.size(), 1);
    // The conflict shows in the phase and in the steps into all-red too.
    QVERIFY2(f.Dialogs.ConfirmQuestions[0].contains(QStringLiteral("3 ошибки")),
             qPrintable(f.Dialogs.ConfirmQuestions[0]));
    QVERIFY(!std::filesystem::exists(name.toStdString()));
    // The findings are on show; choosing the error shows phase 1, row 2.
    TCheckForm* form = w.CheckForm();
    QVERIFY(form != nullptr && form->isVisible());
    QTreeWidgetItem* error = form->lvFindings->topLevelItem(0);
    QCOMPARE(error->text(0), QStringLiteral("ошибка"));
    QVERIFY(error->text(1).contains(QStringLiteral("конфликтующие направления 1Т")));
    w.ActivatePage(pgControllers);
    form->lvFindings->setCurrentItem(error);
    emit form->lvFindings->itemActivated(error, 1);
    QCOMPARE(w.ActivePage(), int(pgPhases));
    QCOMPARE(f.Phases().SelectedPhase(), f.P().PhaseAt(0));
    QCOMPARE(f.Phases().SelectedPhaseRow(), 5);
    // Mended (and 1Т opening through red with yellow), the export goes
    // through without a question.
    f.P().SetPhaseTrend(f.P().PhaseAt(0), f.P().TrendAt(1), false);
    f.P().TrendAt(0)->SetTime(7, 2);
    f.Dialogs.SaveAnswers.push_back(name);
    w.SaveImageFilesCmd();
    QString listed;
    for (const TFinding& x : form->Findings())
        listed += QString::fromStdString(x.Text) + QLatin1Char('\n');
    QVERIFY2(f.Dialogs.ConfirmQuestions.size() == 1, qPrintable(listed));
    QVERIFY(std::filesystem::exists(name.toStdString()));
    // The check on its own, from its action.
    w.actCheck->trigger();
    QVERIFY(!HasErrors(form->Findings()));
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    PhaseEditorsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "PhaseEditorsTest.moc"
