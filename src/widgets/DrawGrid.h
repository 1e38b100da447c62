#pragma once
// A grid that draws every cell through a callback: column widths, row heights,
// fixed rows and columns that stay in place while the rest scrolls by whole
// cells, mouse-to-cell, and scroll bars only when its owner asks for them.

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>

#include <functional>
#include <vector>

class QKeyEvent;

namespace tralcon {

enum class TScrollBars { None, Horizontal, Vertical, Both };

class TDrawGrid : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // Paints the cell (col, row) whose rectangle on the grid is rect.
    using TDrawCellEvent = std::function<void(QPainter& p, int col, int row, const QRect& rect)>;
    using TMouseDownEvent =
        std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint pos)>;
    using TCellPredicate = std::function<bool(int col, int row)>;

    explicit TDrawGrid(QWidget* parent = nullptr);

    int ColCount() const { return static_cast<int>(FColWidths.size()); }
    int RowCount() const { return static_cast<int>(FRowHeights.size()); }
    void SetColCount(int n);
    void SetRowCount(int n);
    int FixedRows() const { return FFixedRows; }
    int FixedCols() const { return FFixedCols; }
    void SetFixedRows(int n);
    void SetFixedCols(int n);
    int DefaultColWidth() const { return FDefaultColWidth; }
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    // Also resets every existing column or row to the new size.
    void SetDefaultColWidth(int w);
    void SetDefaultRowHeight(int h);
    int ColWidth(int col) const;
    int RowHeight(int row) const;
    void SetColWidth(int col, int w);
    void SetRowHeight(int row, int h);
    // The sums over all columns and rows.
    int ContentWidth() const;
    int ContentHeight() const;

    TScrollBars ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollBars bars);

    // The first scrolled (non-fixed) column and row on show.
    int LeftCol() const { return FLeftCol; }
    int TopRow() const { return FTopRow; }
    void SetLeftCol(int col);
    void SetTopRow(int row);
    // Rows (columns) beyond the fixed ones that fit completely.
    int VisibleRowCount() const;
    int VisibleColCount() const;

    // The cell's rectangle on the grid, empty when it is scrolled away.
    QRect CellRect(int col, int row) const;
    // The cell under a point of the grid; false (and -1, -1) outside any cell.
    bool MouseToCell(QPoint pos, int* col, int* row) const;

    QColor Color() const { return FColor; }
    void SetColor(const QColor& c);
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool on) { FDoubleBuffered = on; }

    // The grid's picture as it would be shown, for tests and snapshots.
    QImage RenderImage();
    void Invalidate();

    TDrawCellEvent OnDrawCell;
    TMouseDownEvent OnMouseDown;
    // A key press; true when it was handled. A grid with a handler takes
    // the focus by Tab too.
    std::function<bool(QKeyEvent* e)> OnKeyDown;
    // Cells for which it holds are drawn after all others, so that a
    // selected cell's frame is not covered by its neighbours.
    TCellPredicate OnCellOnTop;

  signals:
    void Scrolled();

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* e) override;

  private:
    void PaintCells(QPainter& p, const QRect& area);
    void UpdateScrollRanges();
    int MaxLeftCol() const;
    int MaxTopRow() const;
    int ColLeft(int col) const; // viewport x of a visible column, -1 otherwise
    int RowTop(int row) const;
    void Changed();

    std::vector<int> FColWidths;
    std::vector<int> FRowHeights;
    int FFixedRows = 0;
    int FFixedCols = 0;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    int FLeftCol = 0;
    int FTopRow = 0;
    TScrollBars FScrollBars = TScrollBars::None;
    QColor FColor = Qt::white;
    bool FDoubleBuffered = true;
    bool FSyncingBars = false;
};

} // namespace tralcon
