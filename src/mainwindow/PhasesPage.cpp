#include "mainwindow/PhasesPage.h"

#include "mainwindow/Help.h"
#include "mainwindow/MainServices.h"
#include "mainwindow/PhaseRowsPainter.h"
#include "model/Project.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/GridSizing.h"
#include "widgets/InplaceEditor.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

namespace tralcon {

namespace {
constexpr int kMinTimeRow = 4;
}

TPhasesPage::TPhasesPage(TPageContext& context) : TMainPage(context, "tsPhases", 10500) {
    btnShowDetails = new QPushButton(this);
    btnShowDetails->setObjectName(QStringLiteral("btnShowDetails"));
    btnEnableCallPhases = new QPushButton(this);
    btnEnableCallPhases->setObjectName(QStringLiteral("btnEnableCallPhases"));
    cbUseRedBlink = new QCheckBox(QStringLiteral("Красный мигающий при ожидании"), this);
    cbUseRedBlink->setObjectName(QStringLiteral("cbUseRedBlink"));
    cbUseRedBlink->setEnabled(false);
    btnShowDetails->setGeometry(11, 2, 150, 21);
    btnEnableCallPhases->setGeometry(166, 2, 170, 21);
    cbUseRedBlink->setGeometry(345, 2, 240, 21);
    SetHelpContext(btnShowDetails, 10502);
    SetHelpContext(btnEnableCallPhases, 10503);
    connect(btnShowDetails, &QPushButton::clicked, this,
            [this] { Guard([this] { ToggleSteps(); }); });
    connect(btnEnableCallPhases, &QPushButton::clicked, this,
            [this] { Guard([this] { ToggleCallPhases(); }); });
    // Red blinking is not part of the modified state.
    connect(cbUseRedBlink, &QCheckBox::clicked, this, [this](bool on) {
        if (FUpdating == 0)
            Project().SetRedBlink(on);
    });
    dgPhases = MakeGrid("dgPhases", 45, 10501);
    dgPhases->setFocusPolicy(Qt::StrongFocus);
    dgPhases->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        DrawPhaseRowsCell(p, Project(), dgPhases, c, r, rect, FStepsExpanded,
                          TPhaseRowsTable::Phases, c == FSelPhaseCol && r >= 1);
        DrawFocus(p, c, r, rect);
    };
    dgPhases->OnMouseDown = [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint pos) {
        int c = -1, r = -1;
        if (dgPhases->MouseToCell(pos, &c, &r))
            Guard([&] { CellClick(c, r); });
    };
    dgPhases->OnKeyDown = [this](QKeyEvent* e) { return KeyDown(e); };
    UpdateDetailsButton();
    btnEnableCallPhases->setText(QStringLiteral("Включить поддержку ТВП"));
}

void TPhasesPage::Reset() {
    FStepsExpanded = false;
    FSelPhase = Project().PhaseAt(0);
    FSelPhaseCol = 1;
    FSelPhaseRow = -1;
    UpdateDetailsButton();
    ShowCallPhases();
}

void TPhasesPage::ShowCallPhases() {
    ++FUpdating;
    const bool on = Project().CallPhasesEnabled();
    cbUseRedBlink->setChecked(Project().ProjectOptions() & poRedBlink);
    cbUseRedBlink->setEnabled(on);
    --FUpdating;
    UpdateCallPhasesButton();
    Layout();
}

void TPhasesPage::SetRedBlink(bool flag) {
    Project().SetRedBlink(flag);
    ++FUpdating;
    cbUseRedBlink->setChecked(flag);
    --FUpdating;
}

void TPhasesPage::UpdateDetailsButton() {
    btnShowDetails->setText(FStepsExpanded ? QStringLiteral("Свернуть промтакты")
                                           : QStringLiteral("Развернуть промтакты"));
}

void TPhasesPage::UpdateCallPhasesButton() {
    btnEnableCallPhases->setText(Project().CallPhasesEnabled()
                                     ? QStringLiteral("Отключить поддержку ТВП")
                                     : QStringLiteral("Включить поддержку ТВП"));
}

void TPhasesPage::Layout() {
    const TProject& project = Project();
    // A phase that went with the call phases is no longer selected.
    if (FSelPhase != nullptr && !project.PhaseList().Contains(FSelPhase) &&
        !project.CallPhaseList().Contains(FSelPhase))
        FSelPhase = project.PhaseAt(0), FSelPhaseRow = -1;
    const int trends = project.TrendCount();
    TGridLayout l;
    l.Left = 11;
    l.Top = 26;
    l.Rows = trends + kPhaseRowsTitleRows;
    l.Cols = project.RowCount(FStepsExpanded) + 1;
    l.FixedRows = trends > 0 ? kPhaseRowsTitleRows : 0;
    l.ExtraHeight = 1;
    LayoutGrid(dgPhases, rect(), l);
    FSelPhaseCol = FSelPhase != nullptr ? project.PhaseRow(FSelPhase, FStepsExpanded) + 1 : -1;
    if (FSelPhaseCol == 0)
        FSelPhaseCol = -1;
    if (FSelPhaseRow >= l.Rows)
        FSelPhaseRow = -1;
    dgPhases->Invalidate();
}

void TPhasesPage::Refresh() {
    dgPhases->Invalidate();
}

void TPhasesPage::CellClick(int c, int r) {
    TProject& project = Project();
    Context().Inplace().Close();
    FSelPhase = c <= 0 || c - 1 >= project.RowCount(FStepsExpanded)
                    ? nullptr
                    : project.RowPhase(c - 1, FStepsExpanded);
    if (FSelPhase == nullptr) {
        FSelPhaseCol = FSelPhaseRow = -1;
        Layout();
        emit EditStateChanged();
        return;
    }
    FSelPhaseCol = c;
    FSelPhaseRow = r <= 3 ? -1 : r;
    if (r == kMinTimeRow) {
        Layout();
        OpenMinTimeEditor();
    } else if (r >= kPhaseRowsTitleRows) {
        TTrend* t = project.TrendAt(r - kPhaseRowsTitleRows);
        // The call signal and tram stop signals follow the others.
        if (t != nullptr && t->IsEditable()) {
            project.SetPhaseTrend(FSelPhase, t, !FSelPhase->IsGreen(t));
            Context().SetModified();
        }
        Layout();
    } else {
        Layout();
    }
    Context().Scheme().ShowPhaseOnScheme(FSelPhase);
    emit EditStateChanged();
}

void TPhasesPage::OpenMinTimeEditor() {
    TPhase* phase = FSelPhase;
    if (phase == nullptr || FSelPhaseCol < 1)
        return;
    const QRect cell = dgPhases->CellRect(FSelPhaseCol, kMinTimeRow);
    if (cell.isEmpty())
        return;
    OpenPhaseMinTimeEditor(Context(), dgPhases, cell, phase);
}

void TPhasesPage::SelectPhase(TPhase* phase) {
    Context().Inplace().Close();
    FSelPhase = phase;
    Layout();
    Context().Scheme().ShowPhaseOnScheme(phase);
    emit EditStateChanged();
}

void TPhasesPage::ChoosePhase(TPhase* phase) {
    FSelPhase = phase;
    FSelPhaseRow = -1;
    if (isVisible())
        Layout();
}

void TPhasesPage::SelectCell(int phase, int row) {
    Context().Inplace().Close();
    if (TPhase* p = phase >= 0 ? Project().PhaseAt(phase) : nullptr; p != nullptr)
        FSelPhase = p;
    if (row >= 0 && row < Project().TrendCount())
        FSelPhaseRow = row + kPhaseRowsTitleRows;
    Layout();
    // Into view.
    if (FSelPhaseCol > 0 && FSelPhaseCol < dgPhases->LeftCol())
        dgPhases->SetLeftCol(FSelPhaseCol);
    if (FSelPhaseRow >= kPhaseRowsTitleRows && FSelPhaseRow < dgPhases->TopRow())
        dgPhases->SetTopRow(FSelPhaseRow);
    dgPhases->setFocus();
    Context().Scheme().ShowPhaseOnScheme(FSelPhase);
    emit EditStateChanged();
}

void TPhasesPage::ToggleSteps() {
    Context().Inplace().Close();
    FStepsExpanded = !FStepsExpanded;
    // The same phase stays selected; Layout finds its new column.
    Layout();
    UpdateDetailsButton();
}

void TPhasesPage::ToggleCallPhases() {
    TProject& project = Project();
    Context().Inplace().Close();
    const bool on = !project.CallPhasesEnabled();
    // The scheme drops the call direction's rows while they still exist.
    if (!on)
        Context().Scheme().SchemeRemoveCallGroups();
    project.SwitchCallPhases(on);
    if (on) {
        for (int row = 0; row < project.TrendCount(); ++row)
            if (project.TrendAt(row) == project.CallTrend())
                Context().Scheme().SchemeTrendsAdded(row);
    }
    ShowCallPhases();
    Context().SetModified();
    emit CallPhasesSwitched(on);
    emit EditStateChanged();
}

bool TPhasesPage::CanPlus() const {
    return FSelPhase != nullptr && Project().PhaseCount() < kMaxPhases;
}

bool TPhasesPage::CanMinus() const {
    return FSelPhase != nullptr && Project().CanDeletePhase(FSelPhase);
}

void TPhasesPage::Plus() {
    Context().Inplace().Close();
    // The copy stands in front of the phase and becomes the selected one.
    if (TPhase* copy = Project().CopyPhase(FSelPhase); copy != nullptr) {
        FSelPhase = copy;
        FSelPhaseRow = -1;
        Context().SetModified();
    }
    Layout();
}

void TPhasesPage::Minus() {
    Context().Inplace().Close();
    TPhase* next = Project().PhaseAfterDelete(FSelPhase);
    if (Project().DeletePhase(FSelPhase)) {
        FSelPhase = next;
        FSelPhaseRow = -1;
        Context().SetModified();
    }
    Layout();
}

// Left and Right go from phase to phase (transitions are not edited), Up
// and Down from row to row below the titles; Space toggles the signal of the
// row, Enter opens the minimum-time editor on the Tmin row or toggles too.
bool TPhasesPage::KeyDown(QKeyEvent* e) {
    TProject& project = Project();
    const int columns = project.RowCount(FStepsExpanded);
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = e->key() == Qt::Key_Left ? -1 : 1;
        for (int c = (FSelPhaseCol < 1 ? 0 : FSelPhaseCol) + step; c >= 1 && c <= columns;
             c += step)
            if (TPhase* phase = project.RowPhase(c - 1, FStepsExpanded); phase != nullptr) {
                SelectPhase(phase);
                return true;
            }
        return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int last = project.TrendCount() + kPhaseRowsTitleRows - 1;
        int r = FSelPhaseRow < kMinTimeRow ? kMinTimeRow - 1 : FSelPhaseRow;
        r = std::clamp(r + (e->key() == Qt::Key_Up ? -1 : 1), kMinTimeRow, last);
        FSelPhaseRow = r;
        dgPhases->Invalidate();
        return true;
    }
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (FSelPhaseCol >= 1 && FSelPhaseRow >= kMinTimeRow) {
            if (FSelPhaseRow == kMinTimeRow && e->key() == Qt::Key_Space)
                return true;
            CellClick(FSelPhaseCol, FSelPhaseRow);
        }
        return true;
    default:
        return false;
    }
}

// The keyboard's cell is framed while the table has the focus.
void TPhasesPage::DrawFocus(QPainter& p, int c, int r, const QRect& rect) {
    if (c != FSelPhaseCol || r != FSelPhaseRow || !dgPhases->hasFocus())
        return;
    DrawFocusFrame(p, rect);
}

} // namespace tralcon
