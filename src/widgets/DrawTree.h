#pragma once
// A tree whose cells, header and branch area are drawn by the program: cells
// filled in their level's colour and framed so that neighbours share lines,
// the selected look on the selected node, triangles as expand buttons.

#include <QColor>
#include <QHeaderView>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <functional>

namespace tralcon {

struct TTreeCellLook {
    QColor Color;            // fill; the level's colour unless changed
    bool FramedOnly = false; // a frame without fill and never the selected look
    QString Text;            // centred
    QColor TextColor{Qt::black};
    QPixmap Image;
    // The image's left edge lies this far left of the cell's right edge.
    int ImageFromRight = 27;
};

class TDrawTree;

class TTreeCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit TTreeCellDelegate(TDrawTree* tree);
    void paint(QPainter* p, const QStyleOptionViewItem& opt,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& opt, const QModelIndex& index) const override;

  private:
    TDrawTree* FTree;
};

class TDrawTreeHeader : public QHeaderView {
    Q_OBJECT
  public:
    explicit TDrawTreeHeader(QWidget* parent = nullptr);
    QSize sizeHint() const override;

  protected:
    void paintSection(QPainter* p, const QRect& rect, int logicalIndex) const override;
};

class TDrawTree : public QTreeWidget {
    Q_OBJECT
  public:
    static constexpr int kRowHeight = 19;
    // The width at a cell's right end that a cell's picture shows in.
    static constexpr int kImageRoom = 14;

    explicit TDrawTree(QWidget* parent = nullptr);

    // Columns with their titles and widths.
    void SetColumns(const QStringList& titles, const QList<int>& widths);

    // 0 for a top-level node, 1 for its children, and so on.
    static int Level(const QTreeWidgetItem* item);
    static QColor LevelColor(int level);

    // The rectangle a cell is painted over (one pixel higher at the top and,
    // after the first column, one pixel further left).
    QRect CellPaintRect(const QTreeWidgetItem* item, int column) const;
    // The cell's own rectangle on the viewport.
    QRect CellRect(const QTreeWidgetItem* item, int column) const;
    // The column of the focused node whose cell holds the point, or -1.
    int ClickedColumn(QPoint viewportPos) const;

    TTreeCellLook CellLook(QTreeWidgetItem* item, int column) const;
    void PaintCell(QPainter& p, QTreeWidgetItem* item, int column, const QRect& cellRect,
                   bool selected) const;

    // Makes the node the focused and selected one (none clears both).
    void FocusNode(QTreeWidgetItem* item);

    // Called for every cell before it is drawn, with the default look.
    std::function<void(QTreeWidgetItem* item, int column, TTreeCellLook& look)> OnCellLook;
    // A mouse press, after the node under it became the focused one.
    std::function<void(Qt::MouseButton button, QPoint viewportPos)> OnClick;
    // A key press before the tree's own handling; true when it was handled.
    std::function<bool(QKeyEvent* e)> OnKeyDown;

  protected:
    void drawBranches(QPainter* p, const QRect& rect, const QModelIndex& index) const override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

} // namespace tralcon
