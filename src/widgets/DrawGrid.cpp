#include "widgets/DrawGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <numeric>

namespace tralcon {

TDrawGrid::TDrawGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
    SetScrollBars(TScrollBars::None);
}

void TDrawGrid::SetColCount(int n) {
    FColWidths.resize(static_cast<std::size_t>(std::max(0, n)), FDefaultColWidth);
    Changed();
}

void TDrawGrid::SetRowCount(int n) {
    FRowHeights.resize(static_cast<std::size_t>(std::max(0, n)), FDefaultRowHeight);
    Changed();
}

void TDrawGrid::SetFixedRows(int n) {
    FFixedRows = std::max(0, n);
    Changed();
}

void TDrawGrid::SetFixedCols(int n) {
    FFixedCols = std::max(0, n);
    Changed();
}

void TDrawGrid::SetDefaultColWidth(int w) {
    FDefaultColWidth = std::max(0, w);
    std::fill(FColWidths.begin(), FColWidths.end(), FDefaultColWidth);
    Changed();
}

void TDrawGrid::SetDefaultRowHeight(int h) {
    FDefaultRowHeight = std::max(0, h);
    std::fill(FRowHeights.begin(), FRowHeights.end(), FDefaultRowHeight);
    Changed();
}

int TDrawGrid::ColWidth(int col) const {
    return col >= 0 && col < ColCount() ? FColWidths[static_cast<std::size_t>(col)] : 0;
}

int TDrawGrid::RowHeight(int row) const {
    return row >= 0 && row < RowCount() ? FRowHeights[static_cast<std::size_t>(row)] : 0;
}

void TDrawGrid::SetColWidth(int col, int w) {
    if (col < 0 || col >= ColCount())
        return;
    FColWidths[static_cast<std::size_t>(col)] = std::max(0, w);
    Changed();
}

void TDrawGrid::SetRowHeight(int row, int h) {
    if (row < 0 || row >= RowCount())
        return;
    FRowHeights[static_cast<std::size_t>(row)] = std::max(0, h);
    Changed();
}

int TDrawGrid::ContentWidth() const {
    return std::accumulate(FColWidths.begin(), FColWidths.end(), 0);
}

int TDrawGrid::ContentHeight() const {
    return std::accumulate(FRowHeights.begin(), FRowHeights.end(), 0);
}

void TDrawGrid::SetScrollBars(TScrollBars bars) {
    FScrollBars = bars;
    const bool h = bars == TScrollBars::Horizontal || bars == TScrollBars::Both;
    const bool v = bars == TScrollBars::Vertical || bars == TScrollBars::Both;
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    UpdateScrollRanges();
}

void TDrawGrid::SetLeftCol(int col) {
    const int clamped = std::clamp(col, std::min(FFixedCols, ColCount()),
                                   std::max(std::min(FFixedCols, ColCount()), MaxLeftCol()));
    if (clamped == FLeftCol)
        return;
    FLeftCol = clamped;
    UpdateScrollRanges();
    viewport()->update();
    emit Scrolled();
}

void TDrawGrid::SetTopRow(int row) {
    const int clamped = std::clamp(row, std::min(FFixedRows, RowCount()),
                                   std::max(std::min(FFixedRows, RowCount()), MaxTopRow()));
    if (clamped == FTopRow)
        return;
    FTopRow = clamped;
    UpdateScrollRanges();
    viewport()->update();
    emit Scrolled();
}

int TDrawGrid::MaxLeftCol() const {
    const int first = std::min(FFixedCols, ColCount());
    if (ColCount() <= first)
        return first;
    int fixedWidth = 0;
    for (int c = 0; c < first; ++c)
        fixedWidth += ColWidth(c);
    const int avail = viewport()->width() - fixedWidth;
    int c = ColCount() - 1;
    int sum = ColWidth(c);
    while (c - 1 >= first && sum + ColWidth(c - 1) <= avail) {
        --c;
        sum += ColWidth(c);
    }
    return c;
}

int TDrawGrid::MaxTopRow() const {
    const int first = std::min(FFixedRows, RowCount());
    if (RowCount() <= first)
        return first;
    int fixedHeight = 0;
    for (int r = 0; r < first; ++r)
        fixedHeight += RowHeight(r);
    const int avail = viewport()->height() - fixedHeight;
    int r = RowCount() - 1;
    int sum = RowHeight(r);
    while (r - 1 >= first && sum + RowHeight(r - 1) <= avail) {
        --r;
        sum += RowHeight(r);
    }
    return r;
}

int TDrawGrid::VisibleRowCount() const {
    int y = 0;
    for (int r = 0; r < std::min(FFixedRows, RowCount()); ++r)
        y += RowHeight(r);
    int n = 0;
    for (int r = FTopRow; r < RowCount(); ++r) {
        y += RowHeight(r);
        if (y > viewport()->height())
            break;
        ++n;
    }
    return n;
}

int TDrawGrid::VisibleColCount() const {
    int x = 0;
    for (int c = 0; c < std::min(FFixedCols, ColCount()); ++c)
        x += ColWidth(c);
    int n = 0;
    for (int c = FLeftCol; c < ColCount(); ++c) {
        x += ColWidth(c);
        if (x > viewport()->width())
            break;
        ++n;
    }
    return n;
}

int TDrawGrid::ColLeft(int col) const {
    if (col < 0 || col >= ColCount())
        return -1;
    int x = 0;
    if (col < FFixedCols) {
        for (int c = 0; c < col; ++c)
            x += ColWidth(c);
        return x;
    }
    if (col < FLeftCol)
        return -1;
    for (int c = 0; c < std::min(FFixedCols, ColCount()); ++c)
        x += ColWidth(c);
    for (int c = FLeftCol; c < col; ++c)
        x += ColWidth(c);
    return x;
}

int TDrawGrid::RowTop(int row) const {
    if (row < 0 || row >= RowCount())
        return -1;
    int y = 0;
    if (row < FFixedRows) {
        for (int r = 0; r < row; ++r)
            y += RowHeight(r);
        return y;
    }
    if (row < FTopRow)
        return -1;
    for (int r = 0; r < std::min(FFixedRows, RowCount()); ++r)
        y += RowHeight(r);
    for (int r = FTopRow; r < row; ++r)
        y += RowHeight(r);
    return y;
}

QRect TDrawGrid::CellRect(int col, int row) const {
    const int x = ColLeft(col), y = RowTop(row);
    if (x < 0 || y < 0)
        return {};
    const QRect r(x, y, ColWidth(col), RowHeight(row));
    return r.intersects(viewport()->rect()) ? r : QRect();
}

bool TDrawGrid::MouseToCell(QPoint pos, int* col, int* row) const {
    *col = -1;
    *row = -1;
    if (!viewport()->rect().contains(pos))
        return false;
    auto find = [](int v, int count, int fixed, int first, auto size) {
        int at = 0;
        for (int i = 0; i < std::min(fixed, count); ++i) {
            if (v < at + size(i))
                return i;
            at += size(i);
        }
        for (int i = first; i < count; ++i) {
            if (v < at + size(i))
                return i;
            at += size(i);
        }
        return -1;
    };
    const int c =
        find(pos.x(), ColCount(), FFixedCols, FLeftCol, [this](int i) { return ColWidth(i); });
    const int r =
        find(pos.y(), RowCount(), FFixedRows, FTopRow, [this](int i) { return RowHeight(i); });
    if (c < 0 || r < 0)
        return false;
    *col = c;
    *row = r;
    return true;
}

void TDrawGrid::SetColor(const QColor& c) {
    FColor = c;
    viewport()->update();
}

void TDrawGrid::Invalidate() {
    viewport()->update();
}

void TDrawGrid::Changed() {
    FLeftCol = std::clamp(FLeftCol, std::min(FFixedCols, ColCount()),
                          std::max(std::min(FFixedCols, ColCount()), MaxLeftCol()));
    FTopRow = std::clamp(FTopRow, std::min(FFixedRows, RowCount()),
                         std::max(std::min(FFixedRows, RowCount()), MaxTopRow()));
    UpdateScrollRanges();
    viewport()->update();
}

void TDrawGrid::UpdateScrollRanges() {
    FSyncingBars = true;
    const int firstCol = std::min(FFixedCols, ColCount());
    const int firstRow = std::min(FFixedRows, RowCount());
    horizontalScrollBar()->setRange(0, std::max(0, MaxLeftCol() - firstCol));
    horizontalScrollBar()->setPageStep(std::max(1, VisibleColCount()));
    horizontalScrollBar()->setValue(FLeftCol - firstCol);
    verticalScrollBar()->setRange(0, std::max(0, MaxTopRow() - firstRow));
    verticalScrollBar()->setPageStep(std::max(1, VisibleRowCount()));
    verticalScrollBar()->setValue(FTopRow - firstRow);
    FSyncingBars = false;
}

void TDrawGrid::scrollContentsBy(int, int) {
    if (FSyncingBars)
        return;
    const int left = std::min(FFixedCols, ColCount()) + horizontalScrollBar()->value();
    const int top = std::min(FFixedRows, RowCount()) + verticalScrollBar()->value();
    if (left == FLeftCol && top == FTopRow)
        return;
    FLeftCol = left;
    FTopRow = top;
    viewport()->update();
    emit Scrolled();
}

void TDrawGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    Changed();
}

void TDrawGrid::wheelEvent(QWheelEvent* e) {
    // Only a grid its owner gave a vertical bar scrolls: the others show all.
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) {
        e->ignore();
        return;
    }
    QAbstractScrollArea::wheelEvent(e);
}

void TDrawGrid::PaintCells(QPainter& p, const QRect& area) {
    p.fillRect(area, FColor);
    if (!OnDrawCell)
        return;
    std::vector<int> rows, cols;
    int y = 0;
    for (int r = 0; r < std::min(FFixedRows, RowCount()) && y < area.height(); ++r) {
        rows.push_back(r);
        y += RowHeight(r);
    }
    for (int r = FTopRow; r < RowCount() && y < area.height(); ++r) {
        rows.push_back(r);
        y += RowHeight(r);
    }
    int x = 0;
    for (int c = 0; c < std::min(FFixedCols, ColCount()) && x < area.width(); ++c) {
        cols.push_back(c);
        x += ColWidth(c);
    }
    for (int c = FLeftCol; c < ColCount() && x < area.width(); ++c) {
        cols.push_back(c);
        x += ColWidth(c);
    }
    std::vector<std::pair<int, int>> onTop;
    for (int r : rows) {
        for (int c : cols) {
            if (OnCellOnTop && OnCellOnTop(c, r)) {
                onTop.emplace_back(c, r);
                continue;
            }
            const QRect rect(ColLeft(c), RowTop(r), ColWidth(c), RowHeight(r));
            p.save();
            OnDrawCell(p, c, r, rect);
            p.restore();
        }
    }
    for (auto [c, r] : onTop) {
        const QRect rect(ColLeft(c), RowTop(r), ColWidth(c), RowHeight(r));
        p.save();
        OnDrawCell(p, c, r, rect);
        p.restore();
    }
}

QImage TDrawGrid::RenderImage() {
    QImage image(viewport()->size(), QImage::Format_RGB32);
    QPainter p(&image);
    p.setFont(font());
    PaintCells(p, image.rect());
    return image;
}

void TDrawGrid::paintEvent(QPaintEvent*) {
    QPainter out(viewport());
    if (!FDoubleBuffered) {
        PaintCells(out, viewport()->rect());
        return;
    }
    // Compose the whole picture off screen first, so a redraw never shows
    // half-painted cells.
    const qreal dpr = viewport()->devicePixelRatioF();
    QImage buffer(viewport()->size() * dpr, QImage::Format_RGB32);
    buffer.setDevicePixelRatio(dpr);
    {
        QPainter p(&buffer);
        p.setFont(font());
        PaintCells(p, viewport()->rect());
    }
    out.drawImage(0, 0, buffer);
}

void TDrawGrid::keyPressEvent(QKeyEvent* e) {
    if (OnKeyDown && OnKeyDown(e)) {
        e->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void TDrawGrid::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    if (OnMouseDown)
        OnMouseDown(e->button(), e->modifiers(), e->position().toPoint());
    e->accept();
}

} // namespace tralcon
