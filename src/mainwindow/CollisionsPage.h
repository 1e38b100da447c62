#pragma once
// Page 2, the conflict matrix dgCollisions: a row and a column per signal
// row, a red check mark where two signals must never be released together.
// A click (or Space on the keyboard's cell) sets or clears the pair in both
// halves of the matrix; the page adds and deletes nothing.

#include "mainwindow/MainPage.h"

namespace tralcon {

class TCollisionsPage : public TMainPage {
    Q_OBJECT
  public:
    explicit TCollisionsPage(TPageContext& context);

    void Layout() override;
    void Refresh() override;
    void Reset() override;

    // Toggles the pair of the cell; false for a header or diagonal cell and
    // when the model refuses the pair (a tram stop signal, the 256th pair).
    bool ToggleCell(int col, int row);
    // The cell the keyboard works on (body cells only), -1 for none.
    int CurrentCol() const { return FCurCol; }
    int CurrentRow() const { return FCurRow; }

    TDrawGrid* dgCollisions = nullptr;

  private:
    void DrawCell(QPainter& p, int col, int row, const QRect& rect);
    bool KeyDown(int key);
    void SetCurrent(int col, int row);

    int FCurCol = -1;
    int FCurRow = -1;
};

} // namespace tralcon
