#include "widgets/GridSizing.h"

#include <QStyle>

#include <algorithm>

namespace tralcon {

TGridSize ComputeGridSize(int areaW, int areaH, int contentW, int contentH, int barThickness) {
    areaW = std::max(0, areaW);
    areaH = std::max(0, areaH);
    TGridSize s;
    s.HorzBar = contentW > areaW;
    s.VertBar = contentH > areaH;
    if (s.HorzBar && !s.VertBar)
        s.VertBar = contentH > areaH - barThickness;
    else if (s.VertBar && !s.HorzBar)
        s.HorzBar = contentW > areaW - barThickness;
    if (s.HorzBar && s.VertBar) {
        s.Width = areaW;
        s.Height = areaH;
    } else if (s.HorzBar) {
        s.Width = areaW;
        s.Height = contentH + barThickness;
    } else if (s.VertBar) {
        s.Width = contentW + barThickness;
        s.Height = areaH;
    } else {
        s.Width = contentW;
        s.Height = contentH;
    }
    return s;
}

int ScrollBarThickness(const QWidget* w) {
    return w->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w);
}

TGridSize LayoutGrid(TDrawGrid* grid, const QRect& pageClient, const TGridLayout& layout) {
    grid->SetRowCount(layout.Rows);
    grid->SetColCount(layout.Cols);
    grid->SetFixedRows(layout.FixedRows);
    grid->SetFixedCols(layout.FixedCols);
    // The area keeps the left offset as margin on the right and at the
    // bottom; the top margin is the grid's own top offset, so a grid placed
    // lower (under the phase table's buttons) still ends inside its page.
    const int areaW = pageClient.width() - 2 * layout.Left;
    const int areaH = pageClient.height() - layout.Top - layout.Left;
    const TGridSize s =
        ComputeGridSize(areaW, areaH, grid->ContentWidth(),
                        grid->ContentHeight() + layout.ExtraHeight, ScrollBarThickness(grid));
    grid->SetScrollBars(s.Bars());
    grid->setGeometry(pageClient.left() + layout.Left, pageClient.top() + layout.Top, s.Width,
                      s.Height);
    if (layout.HomeWhenFits) {
        if (!s.HorzBar)
            grid->SetLeftCol(0);
        if (!s.VertBar)
            grid->SetTopRow(0);
    }
    return s;
}

} // namespace tralcon
