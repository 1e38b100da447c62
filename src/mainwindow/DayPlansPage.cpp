#include "mainwindow/DayPlansPage.h"

#include "mainwindow/ActionImages.h"
#include "mainwindow/NameEditor.h"
#include "model/Project.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"

#include <QMenu>
#include <QTime>

namespace tralcon {

namespace {

// A time of day as the model keeps it (a fraction of a day) and back.
QTime ToTime(double dayFraction) {
    int h = 0, m = 0, s = 0;
    DecodeDayTime(dayFraction, h, m, s);
    return QTime(h, m, s);
}

} // namespace

TDayPlansPage::TDayPlansPage(TPageContext& context)
    : TPlanTreePage(context, "tsDayPlans", 10700, "vtDayPlans",
                    {QStringLiteral("Время"), QStringLiteral("Цикл")}, 10701) {
    vtDayPlans = Tree();
    PopupCycles = MakePopup("PopupCycles");
    connect(PopupCycles, &QMenu::aboutToShow, this, &TDayPlansPage::FillCyclesMenu);
}

// ЖМ and ОС first, then every working cycle; the item's own is checked.
void TDayPlansPage::FillCyclesMenu() {
    PopupCycles->clear();
    TProject& project = Project();
    const TDayPlanItem* item = SelectedItem();
    auto add = [&](TCycle* cycle, const QString& caption, int image) {
        QAction* a = PopupCycles->addAction(QIcon(AnchorImage(image)), caption);
        a->setCheckable(true);
        a->setChecked(item != nullptr && item->Cycle() == cycle);
        connect(a, &QAction::triggered, this, [this, cycle] {
            TDayPlanItem* target = SelectedItem();
            if (target != nullptr && Project().SetDayItemCycle(target, cycle))
                Changed();
        });
    };
    add(project.FlashCycle(), QString::fromStdString(project.FlashCycle()->Name()), 4);
    add(project.OffCycle(), QString::fromStdString(project.OffCycle()->Name()), 3);
    for (int i = 0; i < project.CycleList().Count(); ++i)
        add(project.CycleList()[i], Named(project.CycleList()[i], i), 5);
}

void TDayPlansPage::NodeClicked(QTreeWidgetItem* node, int col) {
    TDayPlan* plan = SelectedPlan();
    if (plan == nullptr)
        return;
    if (node->parent() == nullptr) {
        if (col == 1)
            OpenNameEditor(Context(), vtDayPlans->viewport(), EditorRect(node, col), plan->Name(),
                           [this, plan](const std::string& name) {
                               if (!Project().DayPlanList().Contains(plan))
                                   return;
                               plan->SetName(name);
                               Changed();
                           });
        return;
    }
    TDayPlanItem* item = SelectedItem();
    if (item == nullptr)
        return;
    if (col == 1) {
        PopupAtCell(PopupCycles, node, col);
        return;
    }
    // The picker stays between the neighbouring items, so the order holds.
    const int index = SelectedChild();
    Context().Inplace().OpenTime(
        vtDayPlans->viewport(), EditorRect(node, col), ToTime(item->Time()),
        QStringLiteral("HH:mm"), ToTime(TProject::DayItemMinTime(plan, index)),
        ToTime(TProject::DayItemMaxTime(plan, index)), [this, plan, item](const QTime& t) {
            if (!Project().DayPlanList().Contains(plan) || plan->IndexOfItem(item) < 0)
                return;
            if (Project().SetDayItemTime(item, EncodeDayTime(t.hour(), t.minute())))
                Changed();
        });
}

void TDayPlansPage::Plus() {
    TProject& project = Project();
    Context().Inplace().Close();
    if (SelectedChild() < 0) {
        project.AddDayPlan();
        QTreeWidgetItem* node = InsertNode(nullptr, nullptr);
        const TDayPlan* plan = project.DayPlanList()[project.DayPlanList().Count() - 1];
        for (int i = 0; i < plan->ItemCount(); ++i)
            new QTreeWidgetItem(node);
        Changed();
        return;
    }
    TDayPlan* plan = SelectedPlan();
    // Refused when there is no free minute before the next item.
    if (project.AddDayPlanItem(plan, SelectedChild()) == nullptr)
        return;
    QTreeWidgetItem* focused = vtDayPlans->currentItem();
    InsertNode(focused->parent(), focused);
    Changed();
}

void TDayPlansPage::Minus() {
    Context().Inplace().Close();
    const bool deleted = SelectedChild() < 0 ? Project().DeleteDayPlan(SelectedTop())
                                             : SelectedPlan()->DeleteItem(SelectedChild());
    if (!deleted)
        return;
    RemoveFocusedNode();
    Changed();
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

TDayPlan* TDayPlansPage::SelectedPlan() const {
    const auto& plans = Project().DayPlanList();
    return SelectedTop() >= 0 && SelectedTop() < plans.Count() ? plans[SelectedTop()] : nullptr;
}

TDayPlanItem* TDayPlansPage::SelectedItem() const {
    const TDayPlan* plan = SelectedPlan();
    return plan != nullptr && SelectedChild() >= 0 && SelectedChild() < plan->ItemCount()
               ? plan->ItemAt(SelectedChild())
               : nullptr;
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
