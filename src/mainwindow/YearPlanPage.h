#pragma once
// Page 6, the year plan vtYearPlan: a node per item, the date from which the
// item's week plan holds.

#include "mainwindow/PlanTreePage.h"

namespace tralcon {

class TYearPlanItem;

class TYearPlanPage : public TPlanTreePage {
    Q_OBJECT
  public:
    explicit TYearPlanPage(TPageContext& context);

    bool CanPlus() const override;
    bool CanMinus() const override;
    QString PlusHint() const override;
    QString MinusHint() const override;
    void Plus() override;
    void Minus() override;
    void NodeClicked(QTreeWidgetItem* node, int col) override;

    TDrawTree* vtYearPlan = nullptr;
    // The week plans an item may run, rebuilt each time it opens.
    QMenu* PopupWeekPlans = nullptr;

  protected:
    bool IsItemNode(const QTreeWidgetItem*) const override { return true; }
    void BuildNodes() override;
    void CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) override;

  private:
    TYearPlanItem* SelectedItem() const;
    void FillWeekPlansMenu();
};

} // namespace tralcon
