#pragma once
// Page 7, the day plans vtDayPlans: a node per day plan with one child per
// item, the time of day at which the item's cycle starts.

#include "mainwindow/PlanTreePage.h"

namespace tralcon {

class TDayPlan;
class TDayPlanItem;

class TDayPlansPage : public TPlanTreePage {
    Q_OBJECT
  public:
    explicit TDayPlansPage(TPageContext& context);

    bool CanPlus() const override;
    bool CanMinus() const override;
    QString PlusHint() const override;
    QString MinusHint() const override;
    void Plus() override;
    void Minus() override;
    void NodeClicked(QTreeWidgetItem* node, int col) override;

    TDrawTree* vtDayPlans = nullptr;
    // The cycles an item may run, rebuilt each time it opens.
    QMenu* PopupCycles = nullptr;

  protected:
    void BuildNodes() override;
    void CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) override;

  private:
    TDayPlan* SelectedPlan() const;
    TDayPlanItem* SelectedItem() const;
    void FillCyclesMenu();
};

} // namespace tralcon
