#include "mainwindow/PhasesPage.h"

#include "mainwindow/Help.h"
#include "mainwindow/PhaseRowsPainter.h"
#include "model/Project.h"
#include "widgets/DrawGrid.h"
#include "widgets/GridSizing.h"

#include <QCheckBox>
#include <QPushButton>

namespace tralcon {

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
    // Red blinking is not part of the modified state.
    connect(cbUseRedBlink, &QCheckBox::clicked, this, [this](bool on) {
        if (FUpdating == 0)
            Project().SetRedBlink(on);
    });
    dgPhases = MakeGrid("dgPhases", 45, 10501);
    dgPhases->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        DrawPhaseRowsCell(p, Project(), dgPhases, c, r, rect, FStepsExpanded,
                          TPhaseRowsTable::Phases, c == FSelPhaseCol && r >= 1);
    };
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
    Layout();
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
    dgPhases->Invalidate();
}

void TPhasesPage::Refresh() {
    dgPhases->Invalidate();
}

bool TPhasesPage::CanPlus() const {
    return FSelPhase != nullptr && Project().PhaseCount() < 12;
}

bool TPhasesPage::CanMinus() const {
    return FSelPhase != nullptr && Project().CanDeletePhase(FSelPhase);
}

} // namespace tralcon
