#include "mainwindow/YearPlanPage.h"

#include "mainwindow/ActionImages.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"

#include <QDate>
#include <QMenu>

namespace tralcon {

// The page itself has no help number: it takes the page control's.
TYearPlanPage::TYearPlanPage(TPageContext& context)
    : TPlanTreePage(context, "tsYearPlan", 0, "vtYearPlan",
                    {QStringLiteral("Дата"), QStringLiteral("План")}, 10901) {
    vtYearPlan = Tree();
    vtYearPlan->setFont(QFont(font()));
    PopupWeekPlans = MakePopup("PopupWeekPlans");
    connect(PopupWeekPlans, &QMenu::aboutToShow, this, &TYearPlanPage::FillWeekPlansMenu);
}

namespace {

// A date of the reference year as the model keeps it (a day number) and back.
QDate ToDate(double date) {
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    return QDate(y, m, d);
}

} // namespace

TYearPlanItem* TYearPlanPage::SelectedItem() const {
    const TYearPlan* year = Project().YearPlan();
    return year != nullptr && SelectedTop() >= 0 && SelectedTop() < year->ItemCount()
               ? year->ItemAt(SelectedTop())
               : nullptr;
}

void TYearPlanPage::FillWeekPlansMenu() {
    PopupWeekPlans->clear();
    const TYearPlanItem* item = SelectedItem();
    const auto& plans = Project().WeekPlanList();
    for (int i = 0; i < plans.Count(); ++i) {
        TWeekPlan* weekPlan = plans[i];
        QAction* a = PopupWeekPlans->addAction(QIcon(AnchorImage(7)), Named(weekPlan, i));
        a->setCheckable(true);
        a->setChecked(item != nullptr && item->WeekPlan() == weekPlan);
        connect(a, &QAction::triggered, this, [this, weekPlan] {
            TYearPlanItem* target = SelectedItem();
            if (target != nullptr && Project().WeekPlanList().Contains(weekPlan) &&
                Project().SetYearItemWeekPlan(target, weekPlan))
                Changed();
        });
    }
}

void TYearPlanPage::NodeClicked(QTreeWidgetItem* node, int col) {
    Context().Inplace().Close();
    TYearPlanItem* item = SelectedItem();
    if (item == nullptr)
        return;
    if (col == 1) {
        PopupAtCell(PopupWeekPlans, node, col);
        return;
    }
    // The picker stays between the neighbouring items, so the order holds.
    const int i = SelectedTop();
    Context().Inplace().OpenDate(
        vtYearPlan->viewport(), EditorRect(node, col), ToDate(item->Date()),
        QStringLiteral("dd.MM"), ToDate(Project().YearItemMinDate(i)),
        ToDate(Project().YearItemLastDate(i)), [this, item](const QDate& d) {
            TYearPlan* year = Project().YearPlan();
            if (year == nullptr || year->IndexOfItem(item) < 0)
                return;
            if (Project().SetYearItemDate(item, EncodeDate(d.year(), d.month(), d.day())))
                Changed();
        });
}

void TYearPlanPage::Plus() {
    Context().Inplace().Close();
    // Refused at 365 items or when the item covers one day only.
    if (Project().AddYearPlanItem(SelectedTop()) == nullptr)
        return;
    InsertNode(nullptr, vtYearPlan->currentItem());
    Changed();
}

void TYearPlanPage::Minus() {
    Context().Inplace().Close();
    if (!Project().YearPlan()->DeleteItem(SelectedTop()))
        return;
    RemoveFocusedNode();
    Changed();
}

void TYearPlanPage::BuildNodes() {
    if (const TYearPlan* year = Project().YearPlan(); year != nullptr)
        for (int i = 0; i < year->ItemCount(); ++i)
            new QTreeWidgetItem(vtYearPlan);
}

void TYearPlanPage::CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) {
    const TProject& project = Project();
    const TYearPlan* year = project.YearPlan();
    if (year == nullptr)
        return;
    const int ii = vtYearPlan->indexOfTopLevelItem(item);
    if (ii < 0 || ii >= year->ItemCount())
        return;
    const TYearPlanItem* it = year->ItemAt(ii);
    if (col == 0) {
        int y = 0, m = 0, d = 0;
        DecodeDate(it->Date(), y, m, d);
        look.Text =
            QStringLiteral("%1.%2").arg(d, 2, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0'));
    } else if (const TWeekPlan* wp = it->WeekPlan(); wp != nullptr) {
        look.Text = Named(wp, project.WeekPlanList().IndexOf(wp));
        SetAnchor(look, 7);
    }
}

bool TYearPlanPage::CanPlus() const {
    const TYearPlan* year = Project().YearPlan();
    return Context().Config().UseYearPlan && year != nullptr && SelectedTop() >= 0 &&
           year->CanAddItem(SelectedTop());
}

bool TYearPlanPage::CanMinus() const {
    const TYearPlan* year = Project().YearPlan();
    return Context().Config().UseYearPlan && year != nullptr && SelectedTop() >= 0 &&
           year->ItemCount() > 1;
}

QString TYearPlanPage::PlusHint() const {
    return Tree()->currentItem() != nullptr ? QStringLiteral("Новая запись годового плана")
                                            : QString();
}

QString TYearPlanPage::MinusHint() const {
    return Tree()->currentItem() != nullptr ? QStringLiteral("Удалить запись годового плана")
                                            : QString();
}

} // namespace tralcon
