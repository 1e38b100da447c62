#pragma once
// Page 4, the cycle table dgCycles: the row sequence across, one row per
// working cycle with its phase durations.

#include "mainwindow/MainPage.h"

namespace tralcon {

class TPhase;

class TCyclesPage : public TMainPage {
    Q_OBJECT
  public:
    explicit TCyclesPage(TPageContext& context);

    void Layout() override;
    void Refresh() override;
    void Reset() override;
    bool CanPlus() const override { return true; }
    bool CanMinus() const override;
    QString PlusHint() const override { return QStringLiteral("Новый цикл"); }
    QString MinusHint() const override { return QStringLiteral("Удалить цикл"); }

    TDrawGrid* dgCycles = nullptr;

  private:
    TPhase* FSelPhase = nullptr;
    int FSelCycleCol = -1;
    int FSelCycleRow = -1;
};

} // namespace tralcon
