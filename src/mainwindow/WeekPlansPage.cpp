#include "mainwindow/WeekPlansPage.h"

#include "mainwindow/ActionImages.h"
#include "mainwindow/NameEditor.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"

#include <QMenu>

namespace tralcon {

TWeekPlansPage::TWeekPlansPage(TPageContext& context)
    : TPlanTreePage(context, "tsWeekPlans", 10800, "vtWeekPlans",
                    {QStringLiteral("ДН"), QStringLiteral("План")}, 10801) {
    vtWeekPlans = Tree();
    // A copy of the window font, so the week-end red stays in its cell.
    vtWeekPlans->setFont(QFont(font()));
    PopupWeekDays = MakePopup("PopupWeekDays");
    PopupDayPlans = MakePopup("PopupDayPlans");
    connect(PopupWeekDays, &QMenu::aboutToShow, this, &TWeekPlansPage::FillWeekDaysMenu);
    connect(PopupDayPlans, &QMenu::aboutToShow, this, &TWeekPlansPage::FillDayPlansMenu);
}

void TWeekPlansPage::FillWeekDaysMenu() {
    PopupWeekDays->clear();
    const TWeekPlan* plan = SelectedPlan();
    const TWeekPlanItem* item = SelectedItem();
    if (plan == nullptr || item == nullptr)
        return;
    const int i = SelectedChild();
    for (int day = TProject::WeekItemMinDay(plan, i); day <= TProject::WeekItemLastDay(plan, i);
         ++day) {
        QAction* a = PopupWeekDays->addAction(QString::fromUtf8(WeekDayNames[day]));
        a->setCheckable(true);
        a->setChecked(item->Day() == day);
        connect(a, &QAction::triggered, this, [this, day] {
            TWeekPlanItem* target = SelectedItem();
            if (target != nullptr && Project().SetWeekItemDay(target, day))
                Changed();
        });
    }
}

void TWeekPlansPage::FillDayPlansMenu() {
    PopupDayPlans->clear();
    const TWeekPlanItem* item = SelectedItem();
    const auto& plans = Project().DayPlanList();
    for (int i = 0; i < plans.Count(); ++i) {
        TDayPlan* dayPlan = plans[i];
        QAction* a = PopupDayPlans->addAction(QIcon(AnchorImage(6)), Named(dayPlan, i));
        a->setCheckable(true);
        a->setChecked(item != nullptr && item->DayPlan() == dayPlan);
        connect(a, &QAction::triggered, this, [this, dayPlan] {
            TWeekPlanItem* target = SelectedItem();
            if (target != nullptr && Project().DayPlanList().Contains(dayPlan) &&
                Project().SetWeekItemDayPlan(target, dayPlan))
                Changed();
        });
    }
}

void TWeekPlansPage::NodeClicked(QTreeWidgetItem* node, int col) {
    TWeekPlan* plan = SelectedPlan();
    if (plan == nullptr)
        return;
    if (node->parent() == nullptr) {
        if (col == 1)
            OpenNameEditor(Context(), vtWeekPlans->viewport(), EditorRect(node, col), plan->Name(),
                           [this, plan](const std::string& name) {
                               if (!Project().WeekPlanList().Contains(plan))
                                   return;
                               plan->SetName(name);
                               Changed();
                           });
        return;
    }
    if (SelectedItem() != nullptr)
        PopupAtCell(col == 0 ? PopupWeekDays : PopupDayPlans, node, col);
}

void TWeekPlansPage::Plus() {
    TProject& project = Project();
    Context().Inplace().Close();
    if (SelectedChild() < 0) {
        project.AddWeekPlan();
        QTreeWidgetItem* node = InsertNode(nullptr, nullptr);
        const TWeekPlan* plan = project.WeekPlanList()[project.WeekPlanList().Count() - 1];
        for (int i = 0; i < plan->ItemCount(); ++i)
            new QTreeWidgetItem(node);
        Changed();
        return;
    }
    // Refused at seven items or when the item covers one day only.
    if (project.AddWeekPlanItem(SelectedPlan(), SelectedChild()) == nullptr)
        return;
    QTreeWidgetItem* focused = vtWeekPlans->currentItem();
    InsertNode(focused->parent(), focused);
    Changed();
}

void TWeekPlansPage::Minus() {
    Context().Inplace().Close();
    const bool deleted = SelectedChild() < 0 ? Project().DeleteWeekPlan(SelectedTop())
                                             : SelectedPlan()->DeleteItem(SelectedChild());
    if (!deleted)
        return;
    RemoveFocusedNode();
    Changed();
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

TWeekPlan* TWeekPlansPage::SelectedPlan() const {
    const auto& plans = Project().WeekPlanList();
    return SelectedTop() >= 0 && SelectedTop() < plans.Count() ? plans[SelectedTop()] : nullptr;
}

TWeekPlanItem* TWeekPlansPage::SelectedItem() const {
    const TWeekPlan* plan = SelectedPlan();
    return plan != nullptr && SelectedChild() >= 0 && SelectedChild() < plan->ItemCount()
               ? plan->ItemAt(SelectedChild())
               : nullptr;
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
