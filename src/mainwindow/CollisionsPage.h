#pragma once
// Page 2, the conflict matrix dgCollisions: a row and a column per signal
// row; the page adds and deletes nothing.

#include "mainwindow/MainPage.h"

namespace tralcon {

class TCollisionsPage : public TMainPage {
    Q_OBJECT
  public:
    explicit TCollisionsPage(TPageContext& context);

    void Layout() override;
    void Refresh() override;
    void Reset() override { Layout(); }

    TDrawGrid* dgCollisions = nullptr;
};

} // namespace tralcon
