#pragma once
// Sizing a drawn grid to its content within its page: it grows to the content
// and gets scroll bars only for the dimensions that do not fit.

#include "widgets/DrawGrid.h"

#include <QRect>

namespace tralcon {

struct TGridSize {
    int Width = 0;
    int Height = 0;
    bool HorzBar = false;
    bool VertBar = false;
    TScrollBars Bars() const {
        return HorzBar ? (VertBar ? TScrollBars::Both : TScrollBars::Horizontal)
                       : (VertBar ? TScrollBars::Vertical : TScrollBars::None);
    }
};

// The grid's size for content of contentW × contentH in an area of
// areaW × areaH, with scroll bars barThickness pixels thick. A bar that one
// dimension needs takes room from the other, which is tested again.
TGridSize ComputeGridSize(int areaW, int areaH, int contentW, int contentH, int barThickness);

struct TGridLayout {
    int Left = 0; // offset of the grid within its page
    int Top = 0;
    int Rows = 0;
    int Cols = 0;
    int FixedRows = 0;
    int FixedCols = 0;
    int ExtraHeight = 0; // added to the content height (tables with a closing line)
    // Scroll back to the first column (row) when no horizontal (vertical)
    // bar is needed.
    bool HomeWhenFits = true;
};

// Sets the grid's counts and fixed rows, then places and sizes it in the page
// area: the page's client rectangle less the grid's left offset on the left,
// right and bottom and its top offset at the top.
TGridSize LayoutGrid(TDrawGrid* grid, const QRect& pageClient, const TGridLayout& layout);

// The scroll bar thickness the grid's style uses.
int ScrollBarThickness(const QWidget* w);

} // namespace tralcon
