#pragma once
// Page 6, the year plan vtYearPlan: a node per item, the date from which the
// item's week plan holds.

#include "mainwindow/PlanTreePage.h"

namespace tralcon {

class TYearPlanPage : public TPlanTreePage {
    Q_OBJECT
  public:
    explicit TYearPlanPage(TPageContext& context);

    bool CanPlus() const override;
    bool CanMinus() const override;
    QString PlusHint() const override;
    QString MinusHint() const override;

    TDrawTree* vtYearPlan = nullptr;

  protected:
    void BuildNodes() override;
    void CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) override;
};

} // namespace tralcon
