#pragma once
// Page 4, the cycle table dgCycles: the row sequence across (steps always
// collapsed), one row per working cycle with the duration of each phase in
// it. A click edits a duration, a phase's minimum time or a cycle's name in
// place; "+" adds a cycle, "−" deletes one no day plan uses.

#include "mainwindow/MainPage.h"

class QKeyEvent;

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
    void Plus() override;
    void Minus() override;
    QString PlusHint() const override { return QStringLiteral("Новый цикл"); }
    QString MinusHint() const override { return QStringLiteral("Удалить цикл"); }

    // What a click on the cell does (any mouse button).
    void CellClick(int col, int row);
    // Grid row of the selected cycle (cycle i is row i + 5, row 4 the
    // minimum times), -1 for none.
    int SelectedCycleRow() const { return FSelCycleRow; }
    const TPhase* SelectedPhase() const { return FSelPhase; }
    int SelectedCol() const { return FSelCol; }

    TDrawGrid* dgCycles = nullptr;

  signals:
    // A phase's minimum time is being edited here: the phases page selects
    // the phase too.
    void PhaseChosen(TPhase* phase);

  private:
    int NameColumnWidth() const;
    bool KeyDown(QKeyEvent* e);
    void DrawFocus(QPainter& p, int col, int row, const QRect& rect);

    TPhase* FSelPhase = nullptr;
    int FSelCol = -1; // the keyboard's column
    int FSelCycleRow = -1;
};

} // namespace tralcon
