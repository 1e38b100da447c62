#include "mainwindow/CollisionsPage.h"

#include "model/Project.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawGrid.h"
#include "widgets/GridSizing.h"

namespace tralcon {

TCollisionsPage::TCollisionsPage(TPageContext& context)
    : TMainPage(context, "tsCollisions", 10400) {
    dgCollisions = MakeGrid("dgCollisions", 35, 10401);
    dgCollisions->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        const bool header = c == 0 || r == 0;
        QString text;
        if (header && c != r)
            text = QString::fromStdString(Project().TrendName((c == 0 ? r : c) - 1));
        DrawTitleCell(p, dgCollisions, c, r, rect,
                      header || c == r ? kWindowColor : QColor(Qt::white), text);
    };
}

void TCollisionsPage::Layout() {
    const int trends = Project().TrendCount();
    TGridLayout l;
    l.Left = 11;
    l.Top = 14;
    l.Rows = l.Cols = trends + 1;
    l.FixedRows = l.FixedCols = trends > 0 ? 1 : 0;
    LayoutGrid(dgCollisions, rect(), l);
    dgCollisions->Invalidate();
}

void TCollisionsPage::Refresh() {
    dgCollisions->Invalidate();
}

} // namespace tralcon
