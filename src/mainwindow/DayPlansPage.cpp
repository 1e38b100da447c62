#include "mainwindow/DayPlansPage.h"

#include "model/Project.h"
#include "widgets/DrawTree.h"

namespace tralcon {

TDayPlansPage::TDayPlansPage(TPageContext& context)
    : TPlanTreePage(context, "tsDayPlans", 10700, "vtDayPlans",
                    {QStringLiteral("Время"), QStringLiteral("Цикл")}, 10701) {
    vtDayPlans = Tree();
}

void TDayPlansPage::BuildNodes() {
    for (const TDayPlan* plan : Project().DayPlanList()) {
        auto* node = new QTreeWidgetItem(vtDayPlans);
        for (int i = 0; i < plan->ItemCount(); ++i)
            new QTreeWidgetItem(node);
    }
}

void TDayPlansPage::CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) {
    const TProject& project = Project();
    const bool top = item->parent() == nullptr;
    const int pi = vtDayPlans->indexOfTopLevelItem(top ? item : item->parent());
    if (pi < 0 || pi >= project.DayPlanList().Count())
        return;
    const TDayPlan* plan = project.DayPlanList()[pi];
    if (top) {
        PlanCellLook(plan, pi, col, look);
        return;
    }
    const int ii = item->parent()->indexOfChild(item);
    if (ii < 0 || ii >= plan->ItemCount())
        return;
    const TDayPlanItem* it = plan->ItemAt(ii);
    if (col == 0) {
        int h = 0, m = 0, sec = 0;
        DecodeDayTime(it->Time(), h, m, sec);
        look.Text =
            QStringLiteral("%1:%2").arg(h, 2, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0'));
        return;
    }
    const TCycle* cycle = it->Cycle();
    if (cycle == project.FlashCycle()) {
        look.Text = QString::fromStdString(cycle->Name());
        SetAnchor(look, 4);
    } else if (cycle == project.OffCycle()) {
        look.Text = QString::fromStdString(cycle->Name());
        SetAnchor(look, 3);
    } else if (cycle != nullptr) {
        look.Text = Named(cycle, project.CycleList().IndexOf(cycle));
        SetAnchor(look, 5);
    }
}

const TDayPlan* TDayPlansPage::SelectedPlan() const {
    const auto& plans = Project().DayPlanList();
    return SelectedTop() >= 0 && SelectedTop() < plans.Count() ? plans[SelectedTop()] : nullptr;
}

bool TDayPlansPage::CanPlus() const {
    const TDayPlan* plan = SelectedPlan();
    return plan != nullptr && HasSelectedNode() &&
           (SelectedChild() < 0 || plan->CanAddItem(SelectedChild()));
}

bool TDayPlansPage::CanMinus() const {
    const TDayPlan* plan = SelectedPlan();
    if (plan == nullptr || !HasSelectedNode())
        return false;
    return SelectedChild() < 0 ? Project().DayPlanList().Count() > 1 && plan->RefCount() == 0
                               : plan->ItemCount() > 1;
}

QString TDayPlansPage::PlusHint() const {
    return FocusedLevel() == 0 ? QStringLiteral("Новый суточный план")
                               : QStringLiteral("Новая запись суточного плана");
}

QString TDayPlansPage::MinusHint() const {
    return FocusedLevel() == 0 ? QStringLiteral("Удалить суточный план")
                               : QStringLiteral("Удалить запись суточного плана");
}

} // namespace tralcon
