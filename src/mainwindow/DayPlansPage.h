#pragma once
// Page 7, the day plans vtDayPlans: a node per day plan with one child per
// item, the time of day at which the item's cycle starts.

#include "mainwindow/PlanTreePage.h"

namespace tralcon {

class TDayPlan;

class TDayPlansPage : public TPlanTreePage {
    Q_OBJECT
  public:
    explicit TDayPlansPage(TPageContext& context);

    bool CanPlus() const override;
    bool CanMinus() const override;
    QString PlusHint() const override;
    QString MinusHint() const override;

    TDrawTree* vtDayPlans = nullptr;

  protected:
    void BuildNodes() override;
    void CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) override;

  private:
    const TDayPlan* SelectedPlan() const;
};

} // namespace tralcon
