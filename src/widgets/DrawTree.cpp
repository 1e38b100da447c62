#include "widgets/DrawTree.h"

#include "widgets/CellDraw.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tralcon {

// ---- delegate ---------------------------------------------------------------

TTreeCellDelegate::TTreeCellDelegate(TDrawTree* tree) : QStyledItemDelegate(tree), FTree(tree) {}

void TTreeCellDelegate::paint(QPainter* p, const QStyleOptionViewItem& opt,
                              const QModelIndex& index) const {
    QTreeWidgetItem* item = FTree->itemFromIndex(index);
    if (item == nullptr)
        return;
    // The view paints rows without selection or focus (see drawRow); the
    // selection comes from the item.
    FTree->PaintCell(*p, item, index.column(), opt.rect, item->isSelected());
}

QSize TTreeCellDelegate::sizeHint(const QStyleOptionViewItem& opt, const QModelIndex& index) const {
    QSize s = QStyledItemDelegate::sizeHint(opt, index);
    s.setHeight(TDrawTree::kRowHeight);
    return s;
}

// ---- header -----------------------------------------------------------------

TDrawTreeHeader::TDrawTreeHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignCenter);
}

QSize TDrawTreeHeader::sizeHint() const {
    QSize s = QHeaderView::sizeHint();
    s.setHeight(TDrawTree::kRowHeight);
    return s;
}

void TDrawTreeHeader::paintSection(QPainter* p, const QRect& rect, int logicalIndex) const {
    p->save();
    const QRect r = rect.adjusted(visualIndex(logicalIndex) > 0 ? -1 : 0, 0, 0, 0);
    DrawPlainCell(*p, r, kWindowColor);
    const QString title = model() != nullptr
                              ? model()->headerData(logicalIndex, orientation()).toString()
                              : QString();
    DrawCellText(*p, r, title);
    p->restore();
}

// ---- tree -------------------------------------------------------------------

TDrawTree::TDrawTree(QWidget* parent) : QTreeWidget(parent) {
    setHeader(new TDrawTreeHeader(this));
    setItemDelegate(new TTreeCellDelegate(this));
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setIndentation(10);
    setRootIsDecorated(true);
    setExpandsOnDoubleClick(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, kWindowColor);
    pal.setColor(QPalette::Window, kWindowColor);
    setPalette(pal);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                // The focused node is the selected one.
                if (current != nullptr && !current->isSelected())
                    setCurrentItem(current, 0, QItemSelectionModel::ClearAndSelect);
            });
}

void TDrawTree::SetColumns(const QStringList& titles, const QList<int>& widths) {
    setColumnCount(static_cast<int>(titles.size()));
    setHeaderLabels(titles);
    for (int i = 0; i < widths.size() && i < titles.size(); ++i)
        setColumnWidth(i, widths[i]);
}

int TDrawTree::Level(const QTreeWidgetItem* item) {
    int level = 0;
    for (const QTreeWidgetItem* p = item != nullptr ? item->parent() : nullptr; p != nullptr;
         p = p->parent())
        ++level;
    return level;
}

QColor TDrawTree::LevelColor(int level) {
    return level == 0 ? kTreeLevel0Color : kTreeLevel1Color;
}

QRect TDrawTree::CellRect(const QTreeWidgetItem* item, int column) const {
    if (item == nullptr)
        return {};
    return visualRect(indexFromItem(item, column));
}

QRect TDrawTree::CellPaintRect(const QTreeWidgetItem* item, int column) const {
    const QRect r = CellRect(item, column);
    if (r.isEmpty())
        return r;
    return r.adjusted(header()->visualIndex(column) > 0 ? -1 : 0, -1, 0, 0);
}

int TDrawTree::ClickedColumn(QPoint viewportPos) const {
    QTreeWidgetItem* item = currentItem();
    if (item == nullptr)
        return -1;
    for (int c = 0; c < columnCount(); ++c)
        if (CellRect(item, c).contains(viewportPos))
            return c;
    return -1;
}

TTreeCellLook TDrawTree::CellLook(QTreeWidgetItem* item, int column) const {
    TTreeCellLook look;
    look.Color = LevelColor(Level(item));
    look.Text = item->text(column);
    if (OnCellLook)
        OnCellLook(item, column, look);
    return look;
}

void TDrawTree::PaintCell(QPainter& p, QTreeWidgetItem* item, int column, const QRect& cellRect,
                          bool selected) const {
    p.save();
    const QRect r = cellRect.adjusted(header()->visualIndex(column) > 0 ? -1 : 0, -1, 0, 0);
    const TTreeCellLook look = CellLook(item, column);
    if (look.FramedOnly) {
        // No fill of its own: the tree's background, also under a selection.
        p.fillRect(r, palette().color(QPalette::Base));
        DrawFramedCell(p, r);
    } else
        DrawCell(p, r, look.Color, selected);
    p.setFont(font());
    QRect textRect = r;
    if (!look.Image.isNull()) {
        const QSize s = look.Image.deviceIndependentSize().toSize();
        const int left = r.right() + 1 - look.ImageFromRight;
        p.save();
        p.setClipRect(r.adjusted(1, 1, -1, -1));
        p.drawPixmap(left, r.top() + (r.height() - s.height()) / 2, look.Image);
        p.restore();
        // The text keeps clear of the picture's right end when there is room.
        const int room = r.width() - kImageRoom;
        if (room >= p.fontMetrics().horizontalAdvance(look.Text) + 2)
            textRect.setWidth(room);
        (void)left;
    }
    DrawCellText(p, textRect, look.Text, look.TextColor, &font());
    p.restore();
}

void TDrawTree::FocusNode(QTreeWidgetItem* item) {
    if (item == nullptr) {
        setCurrentItem(nullptr);
        clearSelection();
        return;
    }
    setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
}

void TDrawTree::drawBranches(QPainter* p, const QRect& rect, const QModelIndex& index) const {
    p->save();
    p->fillRect(rect, kWindowColor);
    QTreeWidgetItem* item = itemFromIndex(index);
    if (item == nullptr) {
        p->restore();
        return;
    }
    const int indent = indentation();
    const int level = Level(item);
    auto hasNextSibling = [this](const QTreeWidgetItem* it) {
        const QTreeWidgetItem* parent = it->parent();
        if (parent != nullptr)
            return parent->indexOfChild(const_cast<QTreeWidgetItem*>(it)) <
                   parent->childCount() - 1;
        return indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(it)) < topLevelItemCount() - 1;
    };
    const int right = rect.right() + 1;
    const int cy = rect.top() + rect.height() / 2;
    p->setPen(QPen(kGridLineColor, 0));
    // The lines of the ancestors that still have nodes below.
    const QTreeWidgetItem* ancestor = item->parent();
    for (int k = level - 1; k >= 0 && ancestor != nullptr; --k, ancestor = ancestor->parent()) {
        if (hasNextSibling(ancestor)) {
            const int x = right - (level - k) * indent + indent / 2;
            p->drawLine(x, rect.top(), x, rect.bottom());
        }
    }
    const int x = right - indent + indent / 2;
    p->drawLine(x, rect.top(), x, hasNextSibling(item) ? rect.bottom() : cy);
    p->drawLine(x, cy, right - 2, cy);
    if (item->childCount() > 0) {
        QPolygon tri;
        if (item->isExpanded())
            tri << QPoint(x - 4, cy - 2) << QPoint(x + 4, cy - 2) << QPoint(x, cy + 3);
        else
            tri << QPoint(x - 2, cy - 4) << QPoint(x + 3, cy) << QPoint(x - 2, cy + 4);
        p->fillRect(QRect(x - 5, cy - 5, 11, 11), kWindowColor);
        p->setBrush(Qt::black);
        p->setPen(QPen(Qt::black, 0));
        p->drawPolygon(tri);
    }
    p->restore();
}

void TDrawTree::paintEvent(QPaintEvent* e) {
    QTreeWidget::paintEvent(e);
    // The selected rows again, on top: the style's selection panel goes, and
    // their frames are not covered by the neighbours drawn after them.
    QPainter p(viewport());
    for (QTreeWidgetItem* item : selectedItems()) {
        const QRect first = CellRect(item, 0);
        if (first.isEmpty() || !first.intersects(viewport()->rect()))
            continue;
        const QModelIndex index = indexFromItem(item, 0);
        const int branchLeft = header()->sectionViewportPosition(0);
        drawBranches(&p, QRect(branchLeft, first.top(), first.left() - branchLeft, first.height()),
                     index);
        for (int v = 0; v < columnCount(); ++v) {
            const int c = header()->logicalIndex(v);
            const QRect r = CellRect(item, c);
            if (!r.isEmpty())
                PaintCell(p, item, c, r, true);
        }
    }
}

void TDrawTree::keyPressEvent(QKeyEvent* e) {
    if (OnKeyDown && OnKeyDown(e)) {
        e->accept();
        return;
    }
    QTreeWidget::keyPressEvent(e);
}

void TDrawTree::mousePressEvent(QMouseEvent* e) {
    QTreeWidget::mousePressEvent(e);
    if (OnClick)
        OnClick(e->button(), e->position().toPoint());
}

} // namespace tralcon
