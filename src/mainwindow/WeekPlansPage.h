#pragma once
// Page 5, the week plans vtWeekPlans: a node per week plan with one child per
// item, the weekday from which the item's day plan holds.

#include "mainwindow/PlanTreePage.h"

namespace tralcon {

class TWeekPlan;

class TWeekPlansPage : public TPlanTreePage {
    Q_OBJECT
  public:
    explicit TWeekPlansPage(TPageContext& context);

    bool CanPlus() const override;
    bool CanMinus() const override;
    QString PlusHint() const override;
    QString MinusHint() const override;

    TDrawTree* vtWeekPlans = nullptr;

  protected:
    void BuildNodes() override;
    void CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) override;

  private:
    const TWeekPlan* SelectedPlan() const;
};

} // namespace tralcon
