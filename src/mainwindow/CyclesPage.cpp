#include "mainwindow/CyclesPage.h"

#include "mainwindow/NameEditor.h"
#include "mainwindow/PhaseRowsPainter.h"
#include "model/Project.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/GridSizing.h"
#include "widgets/InplaceEditor.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

namespace tralcon {

namespace {
constexpr int kNameColWidth = 150;
constexpr int kMinTimeRow = 4;
} // namespace

TCyclesPage::TCyclesPage(TPageContext& context) : TMainPage(context, "tsCycles", 10600) {
    dgCycles = MakeGrid("dgCycles", 45, 10601);
    dgCycles->setFocusPolicy(Qt::StrongFocus);
    dgCycles->SetColCount(1);
    dgCycles->SetColWidth(0, kNameColWidth);
    dgCycles->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        const int cycle =
            FSelCycleRow >= kPhaseRowsTitleRows ? FSelCycleRow - kPhaseRowsTitleRows : -1;
        DrawPhaseRowsCell(p, Project(), dgCycles, c, r, rect, false, TPhaseRowsTable::Cycles,
                          r == FSelCycleRow && r >= kMinTimeRow, cycle);
        DrawFocus(p, c, r, rect);
    };
    dgCycles->OnMouseDown = [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint pos) {
        int c = -1, r = -1;
        if (dgCycles->MouseToCell(pos, &c, &r))
            Guard([&] { CellClick(c, r); });
    };
    dgCycles->OnKeyDown = [this](QKeyEvent* e) { return KeyDown(e); };
}

void TCyclesPage::Reset() {
    FSelPhase = Project().PhaseAt(0);
    FSelCol = 1;
    FSelCycleRow = -1;
    Layout();
}

void TCyclesPage::Layout() {
    const TProject& project = Project();
    if (FSelPhase != nullptr && !project.PhaseList().Contains(FSelPhase) &&
        !project.CallPhaseList().Contains(FSelPhase))
        FSelPhase = nullptr;
    const int cycles = project.CycleList().Count();
    TGridLayout l;
    l.Left = 11;
    l.Top = 18;
    l.Rows = cycles + kPhaseRowsTitleRows;
    l.Cols = project.RowCount(false) + 1;
    l.FixedRows = cycles > 0 ? kPhaseRowsTitleRows : 0;
    l.ExtraHeight = 1;
    dgCycles->SetColCount(l.Cols);
    dgCycles->SetColWidth(0, NameColumnWidth());
    LayoutGrid(dgCycles, rect(), l);
    if (FSelCycleRow >= l.Rows)
        FSelCycleRow = -1;
    if (FSelCol >= l.Cols)
        FSelCol = l.Cols - 1;
    dgCycles->Invalidate();
}

// 150 pixels, or wider where a cycle's name with its times and anchor needs
// it: the label is read whole at the window's font.
int TCyclesPage::NameColumnWidth() const {
    const TProject& project = Project();
    const QFontMetrics fm(dgCycles->font());
    int width = kNameColWidth;
    for (int i = 0; i < project.CycleList().Count(); ++i) {
        const QString label = QStringLiteral("%1 (#%2) (%3)")
                                  .arg(QString::fromStdString(project.CycleAt(i)->Name()))
                                  .arg(i + 1)
                                  .arg(QString::fromStdString(project.CycleTimeText(i)));
        width = std::max(width, fm.horizontalAdvance(label) + 8 + 19);
    }
    return width;
}

void TCyclesPage::Refresh() {
    dgCycles->Invalidate();
}

void TCyclesPage::CellClick(int c, int r) {
    TProject& project = Project();
    TPageContext& ctx = Context();
    ctx.Inplace().Close();
    const int columns = project.RowCount(false);
    FSelCol = c;
    FSelPhase = c >= 1 && c - 1 < columns ? project.RowPhase(c - 1, false) : nullptr;
    FSelCycleRow = r <= 3 ? -1 : r;
    Layout();
    if (r < kMinTimeRow)
        return;
    const QRect cell = dgCycles->CellRect(c, r);
    TPhase* phase = FSelPhase;
    if (phase != nullptr && r == kMinTimeRow) {
        emit PhaseChosen(phase);
        OpenPhaseMinTimeEditor(ctx, dgCycles, cell, phase);
    } else if (phase != nullptr) {
        const int cycle = r - kPhaseRowsTitleRows;
        ctx.Inplace().OpenSpin(
            dgCycles->viewport(), TInplaceEditor::GridEditorRect(cell), phase->MinTime(), 255, 1,
            project.PhaseCycleTime(phase, cycle), QStringLiteral("с"),
            [this, phase, cycle](int value) {
                TProject& p = Project();
                if (!p.PhaseList().Contains(phase) && !p.CallPhaseList().Contains(phase))
                    return;
                // Below the minimum time the minimum is kept.
                if (p.SetPhaseCycleTime(phase, cycle, static_cast<std::uint8_t>(value)))
                    Context().SetModified();
                dgCycles->Invalidate();
            });
    } else if (c == 0 && r >= kPhaseRowsTitleRows) {
        TCycle* cycle = project.CycleAt(r - kPhaseRowsTitleRows);
        if (cycle == nullptr)
            return;
        OpenNameEditor(ctx, dgCycles->viewport(), TInplaceEditor::GridEditorRect(cell),
                       cycle->Name(), [this, cycle](const std::string& name) {
                           if (!Project().CycleList().Contains(cycle))
                               return;
                           Project().SetCycleName(cycle, name);
                           Context().SetModified();
                           dgCycles->Invalidate();
                       });
    }
    emit EditStateChanged();
}

bool TCyclesPage::CanMinus() const {
    const TCycle* cycle = FSelCycleRow >= kPhaseRowsTitleRows
                              ? Project().CycleAt(FSelCycleRow - kPhaseRowsTitleRows)
                              : nullptr;
    return cycle != nullptr && cycle->RefCount() == 0;
}

void TCyclesPage::Plus() {
    Context().Inplace().Close();
    Project().AddCycle();
    FSelCycleRow = Project().CycleList().Count() - 1 + kPhaseRowsTitleRows;
    Context().SetModified();
    Layout();
}

void TCyclesPage::Minus() {
    TProject& project = Project();
    const int index = FSelCycleRow - kPhaseRowsTitleRows;
    // The editor may be over the row that goes.
    Context().Inplace().Close();
    if (!project.DeleteCycle(index))
        return;
    const int count = project.CycleList().Count();
    if (count == 0)
        FSelCycleRow = -1;
    else if (index >= count)
        FSelCycleRow = count - 1 + kPhaseRowsTitleRows;
    Context().SetModified();
    Layout();
}

// Arrows move the cell, Enter opens its editor, Delete deletes the cycle of
// the row where that is allowed.
bool TCyclesPage::KeyDown(QKeyEvent* e) {
    const TProject& project = Project();
    const int lastRow = project.CycleList().Count() + kPhaseRowsTitleRows - 1;
    const int lastCol = project.RowCount(false);
    int c = FSelCol < 0 ? 0 : FSelCol;
    int r = FSelCycleRow < kMinTimeRow ? kMinTimeRow - 1 : FSelCycleRow;
    switch (e->key()) {
    case Qt::Key_Left:
        c = std::max(0, c - 1);
        break;
    case Qt::Key_Right:
        c = std::min(lastCol, c + 1);
        break;
    case Qt::Key_Up:
        r = std::max(kMinTimeRow, r - 1);
        break;
    case Qt::Key_Down:
        r = std::min(lastRow, r + 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (FSelCycleRow >= kMinTimeRow)
            CellClick(c, FSelCycleRow);
        return true;
    case Qt::Key_Delete:
        if (CanMinus()) {
            Minus();
            emit EditStateChanged();
        }
        return true;
    default:
        return false;
    }
    FSelCol = c;
    FSelCycleRow = r;
    FSelPhase = c >= 1 ? project.RowPhase(c - 1, false) : nullptr;
    Layout();
    emit EditStateChanged();
    return true;
}

void TCyclesPage::DrawFocus(QPainter& p, int c, int r, const QRect& rect) {
    if (c != FSelCol || r != FSelCycleRow || !dgCycles->hasFocus())
        return;
    DrawFocusFrame(p, rect);
}

} // namespace tralcon
