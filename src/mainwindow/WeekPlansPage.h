#pragma once
// Page 5, the week plans vtWeekPlans: a node per week plan with one child per
// item, the weekday from which the item's day plan holds.

#include "mainwindow/PlanTreePage.h"

namespace tralcon {

class TWeekPlan;
class TWeekPlanItem;

class TWeekPlansPage : public TPlanTreePage {
    Q_OBJECT
  public:
    explicit TWeekPlansPage(TPageContext& context);

    bool CanPlus() const override;
    bool CanMinus() const override;
    QString PlusHint() const override;
    QString MinusHint() const override;
    void Plus() override;
    void Minus() override;
    void NodeClicked(QTreeWidgetItem* node, int col) override;

    TDrawTree* vtWeekPlans = nullptr;
    // Rebuilt each time they open: the days an item may start on (between
    // its neighbours) and the day plans it may run.
    QMenu* PopupWeekDays = nullptr;
    QMenu* PopupDayPlans = nullptr;

  protected:
    void BuildNodes() override;
    void CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) override;

  private:
    TWeekPlan* SelectedPlan() const;
    TWeekPlanItem* SelectedItem() const;
    void FillWeekDaysMenu();
    void FillDayPlansMenu();
};

} // namespace tralcon
