#include "mainwindow/WeekPlansPage.h"

#include "model/Project.h"
#include "persistence/Config.h"
#include "widgets/DrawTree.h"

namespace tralcon {

TWeekPlansPage::TWeekPlansPage(TPageContext& context)
    : TPlanTreePage(context, "tsWeekPlans", 10800, "vtWeekPlans",
                    {QStringLiteral("ДН"), QStringLiteral("План")}, 10801) {
    vtWeekPlans = Tree();
}

void TWeekPlansPage::BuildNodes() {
    for (const TWeekPlan* plan : Project().WeekPlanList()) {
        auto* node = new QTreeWidgetItem(vtWeekPlans);
        for (int i = 0; i < plan->ItemCount(); ++i)
            new QTreeWidgetItem(node);
    }
}

void TWeekPlansPage::CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) {
    const TProject& project = Project();
    const bool top = item->parent() == nullptr;
    const int pi = vtWeekPlans->indexOfTopLevelItem(top ? item : item->parent());
    if (pi < 0 || pi >= project.WeekPlanList().Count())
        return;
    const TWeekPlan* plan = project.WeekPlanList()[pi];
    if (top) {
        PlanCellLook(plan, pi, col, look);
        if (col != 0)
            SetAnchor(look, 7);
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
        look.Text = Named(dp, project.DayPlanList().IndexOf(dp));
        SetAnchor(look, 6);
    }
}

const TWeekPlan* TWeekPlansPage::SelectedPlan() const {
    const auto& plans = Project().WeekPlanList();
    return SelectedTop() >= 0 && SelectedTop() < plans.Count() ? plans[SelectedTop()] : nullptr;
}

bool TWeekPlansPage::CanPlus() const {
    const TWeekPlan* plan = SelectedPlan();
    return plan != nullptr && HasSelectedNode() &&
           ((SelectedChild() < 0 && Context().Config().UseYearPlan) ||
            (SelectedChild() >= 0 && plan->CanAddItem(SelectedChild())));
}

bool TWeekPlansPage::CanMinus() const {
    const TWeekPlan* plan = SelectedPlan();
    if (plan == nullptr)
        return false;
    return SelectedChild() < 0 ? Context().Config().UseYearPlan &&
                                     Project().WeekPlanList().Count() > 1 && plan->RefCount() == 0
                               : plan->ItemCount() > 1;
}

QString TWeekPlansPage::PlusHint() const {
    return FocusedLevel() == 0 ? QStringLiteral("Новый недельный план")
                               : QStringLiteral("Новая запись недельного плана");
}

QString TWeekPlansPage::MinusHint() const {
    return FocusedLevel() == 0 ? QStringLiteral("Удалить недельный план")
                               : QStringLiteral("Удалить запись недельного плана");
}

} // namespace tralcon
