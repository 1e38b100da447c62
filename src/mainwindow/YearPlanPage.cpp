#include "mainwindow/YearPlanPage.h"

#include "model/Project.h"
#include "persistence/Config.h"
#include "widgets/DrawTree.h"

namespace tralcon {

// The page itself has no help number: it takes the page control's.
TYearPlanPage::TYearPlanPage(TPageContext& context)
    : TPlanTreePage(context, "tsYearPlan", 0, "vtYearPlan",
                    {QStringLiteral("Дата"), QStringLiteral("План")}, 10901) {
    vtYearPlan = Tree();
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
