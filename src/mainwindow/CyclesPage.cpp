#include "mainwindow/CyclesPage.h"

#include "mainwindow/PhaseRowsPainter.h"
#include "model/Project.h"
#include "widgets/DrawGrid.h"
#include "widgets/GridSizing.h"

namespace tralcon {

namespace {
constexpr int kNameColWidth = 150;
}

TCyclesPage::TCyclesPage(TPageContext& context) : TMainPage(context, "tsCycles", 10600) {
    dgCycles = MakeGrid("dgCycles", 45, 10601);
    dgCycles->SetColCount(1);
    dgCycles->SetColWidth(0, kNameColWidth);
    dgCycles->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        DrawPhaseRowsCell(p, Project(), dgCycles, c, r, rect, false, TPhaseRowsTable::Cycles,
                          false);
    };
}

void TCyclesPage::Reset() {
    FSelPhase = Project().PhaseAt(0);
    FSelCycleCol = 1;
    FSelCycleRow = -1;
    Layout();
}

void TCyclesPage::Layout() {
    const TProject& project = Project();
    const int cycles = project.CycleList().Count();
    TGridLayout l;
    l.Left = 11;
    l.Top = 18;
    l.Rows = cycles + kPhaseRowsTitleRows;
    l.Cols = project.RowCount(false) + 1;
    l.FixedRows = cycles > 0 ? kPhaseRowsTitleRows : 0;
    l.ExtraHeight = 1;
    dgCycles->SetColCount(l.Cols);
    dgCycles->SetColWidth(0, kNameColWidth);
    LayoutGrid(dgCycles, rect(), l);
    dgCycles->Invalidate();
}

void TCyclesPage::Refresh() {
    dgCycles->Invalidate();
}

bool TCyclesPage::CanMinus() const {
    const TCycle* cycle = FSelCycleRow >= kPhaseRowsTitleRows
                              ? Project().CycleAt(FSelCycleRow - kPhaseRowsTitleRows)
                              : nullptr;
    return cycle != nullptr && cycle->RefCount() == 0;
}

} // namespace tralcon
