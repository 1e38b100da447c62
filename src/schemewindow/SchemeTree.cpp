#include "schemewindow/SchemeTree.h"

#include "model/Project.h"

#include <QDropEvent>
#include <QPainter>
#include <QPainterPath>

namespace tralcon {

namespace {

enum TRole { rLevel = Qt::UserRole + 1, rRow, rObject, rPoint };

QTreeWidgetItem* MakeItem(const TSchemeNode& n) {
    auto* item = new QTreeWidgetItem;
    item->setData(0, rLevel, n.Level);
    item->setData(0, rRow, n.Row);
    item->setData(0, rObject, QVariant::fromValue(reinterpret_cast<quintptr>(n.Object)));
    item->setData(0, rPoint, n.Point);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const bool arrow = dynamic_cast<const TvxArrow*>(n.Object) != nullptr;
    if (n.Level == TSchemeNode::lvObject && arrow)
        flags |= Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (n.Level == TSchemeNode::lvRow)
        flags |= Qt::ItemIsDropEnabled;
    item->setFlags(flags);
    return item;
}

// Trajectory pictures: 20 green or nothing selected, 21 the selection, 22
// the others; 23 a label; 0..19 points (shape + state, see PointImage).
QPixmap ArrowImage(QColor colour) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(150), 2.5, Qt::SolidLine, Qt::RoundCap));
    QPainterPath path(QPointF(3, 14));
    path.lineTo(3, 8);
    path.quadTo(3, 4, 7, 4);
    path.lineTo(11, 4);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(colour.darker(150));
    p.drawPolygon(QPolygonF({QPointF(10, 0.5), QPointF(15.5, 4), QPointF(10, 7.5)}));
    return pm;
}

QPixmap LabelImage() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 255, 225));
    p.drawRect(1, 4, 13, 8);
    p.drawLine(4, 8, 11, 8);
    return pm;
}

// shape: 0 first point with a head, 1 last point with a head, 2 first
// point, 3 inner point, 4 last point; state: 0 a point of the selection,
// 5 its selected point, 10 green or nothing selected, 15 the others.
QPixmap PointImage(int shape, int state) {
    QColor fill = state == 5    ? QColor(0, 0, 255)
                  : state == 0  ? QColor(255, 255, 255)
                  : state == 10 ? QColor(0, 200, 0)
                                : QColor(192, 192, 192);
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    p.setBrush(fill);
    switch (shape) {
    case 0: // a head pointing back
        p.drawPolygon(QPolygonF({QPointF(2, 8), QPointF(11, 3), QPointF(9, 8), QPointF(11, 13)}));
        break;
    case 1: // a head pointing on
        p.drawPolygon(QPolygonF({QPointF(14, 8), QPointF(5, 3), QPointF(7, 8), QPointF(5, 13)}));
        break;
    case 2:
    case 4:
        p.drawRect(4, 4, 8, 8);
        break;
    default:
        p.drawEllipse(QPointF(8, 8), 4, 4);
        break;
    }
    return pm;
}

} // namespace

QPixmap SchemeNodeImage(int index) {
    if (index >= 0 && index < 20)
        return PointImage(index % 5, index / 5 * 5);
    switch (index) {
    case 20:
        return ArrowImage(QColor(0, 255, 0));
    case 21:
        return ArrowImage(QColor(0, 0, 255));
    case 22:
        return ArrowImage(QColor(192, 192, 192));
    default:
        return LabelImage();
    }
}

TSchemeTree::TSchemeTree(QWidget* parent) : TDrawTree(parent) {
    setObjectName(QStringLiteral("vtScheme"));
    SetColumns({QStringLiteral("№")}, {70});
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    OnCellLook = [this](QTreeWidgetItem* item, int, TTreeCellLook& look) { DrawCell(item, look); };
}

TSchemeNode TSchemeTree::NodeOf(const QTreeWidgetItem* item) {
    if (item == nullptr)
        return {};
    TSchemeNode n;
    n.Level = item->data(0, rLevel).toInt();
    n.Row = item->data(0, rRow).toInt();
    n.Object = reinterpret_cast<TvxSchemeObject*>(item->data(0, rObject).value<quintptr>());
    n.Point = item->data(0, rPoint).toInt();
    return n;
}

void TSchemeTree::Rebuild(const TSchemeDocument& scheme, const TProject* project) {
    FScheme = &scheme;
    FProject = project;
    const QSignalBlocker block(this);
    clear();
    for (int row = 0; row < scheme.RowCount(); ++row) {
        QTreeWidgetItem* rowItem = MakeItem({TSchemeNode::lvRow, row, nullptr, -1});
        addTopLevelItem(rowItem);
        for (TvxSchemeObject* o : scheme.RowObjects(row)) {
            QTreeWidgetItem* objectItem = MakeItem({TSchemeNode::lvObject, row, o, -1});
            rowItem->addChild(objectItem);
            if (const auto* arrow = dynamic_cast<const TvxArrow*>(o))
                for (int i = 0; i < arrow->Points().Count(); ++i)
                    objectItem->addChild(MakeItem({TSchemeNode::lvPoint, row, o, i}));
        }
    }
}

QTreeWidgetItem* TSchemeTree::RowItem(int row) const {
    return row >= 0 && row < topLevelItemCount() ? topLevelItem(row) : nullptr;
}

QTreeWidgetItem* TSchemeTree::ItemOf(const TSchemeNode& node) const {
    QTreeWidgetItem* rowItem = RowItem(node.Row);
    if (rowItem == nullptr || node.Level == TSchemeNode::lvRow)
        return node.Level == TSchemeNode::lvRow ? rowItem : nullptr;
    for (int i = 0; i < rowItem->childCount(); ++i) {
        QTreeWidgetItem* objectItem = rowItem->child(i);
        if (NodeOf(objectItem).Object != node.Object)
            continue;
        if (node.Level == TSchemeNode::lvObject)
            return objectItem;
        return node.Point >= 0 && node.Point < objectItem->childCount()
                   ? objectItem->child(node.Point)
                   : nullptr;
    }
    return nullptr;
}

void TSchemeTree::ExpandOnlyTo(QTreeWidgetItem* item) {
    const QSignalBlocker block(this);
    for (int r = 0; r < topLevelItemCount(); ++r) {
        QTreeWidgetItem* rowItem = topLevelItem(r);
        for (int i = 0; i < rowItem->childCount(); ++i)
            rowItem->child(i)->setExpanded(false);
        rowItem->setExpanded(false);
    }
    for (QTreeWidgetItem* a = item != nullptr ? item->parent() : nullptr; a != nullptr;
         a = a->parent())
        a->setExpanded(true);
}

void TSchemeTree::DrawCell(QTreeWidgetItem* item, TTreeCellLook& look) {
    const TSchemeNode n = NodeOf(item);
    const TvxSchemeObject* selection = Selection ? Selection() : nullptr;
    const bool green = n.Object != nullptr && IsGreen && IsGreen(n.Object);
    switch (n.Level) {
    case TSchemeNode::lvRow:
        look.FramedOnly = true;
        if (FProject != nullptr) {
            look.Text = QString::fromStdString(FProject->TrendName(n.Row));
            if (const TTrend* t = FProject->TrendAt(n.Row); t != nullptr && TrendIcon)
                look.Image = TrendIcon(t->Kind());
        }
        break;
    case TSchemeNode::lvObject: {
        look.FramedOnly = true;
        look.Text = QStringLiteral("#%1").arg(item->parent()->indexOfChild(item) + 1);
        const bool arrow = dynamic_cast<const TvxArrow*>(n.Object) != nullptr;
        int image = 23;
        if (arrow)
            image = n.Object == selection ? 21 : selection == nullptr || green ? 20 : 22;
        look.Image = SchemeNodeImage(image);
        break;
    }
    case TSchemeNode::lvPoint: {
        look.Color = QColor(234, 255, 255);
        const auto* arrow = dynamic_cast<const TvxArrow*>(n.Object);
        if (arrow == nullptr)
            break;
        const TvxArrowPoints& pts = arrow->Points();
        const int last = pts.Count() - 1;
        const int shape = n.Point == 0      ? (pts.StartHead() ? 0 : 2)
                          : n.Point == last ? (pts.EndHead() ? 1 : 4)
                                            : 3;
        int state = 15;
        if (n.Object == selection)
            state = pts.SelectedPoint() != nullptr && pts.IndexOf(pts.SelectedPoint()) == n.Point
                        ? 5
                        : 0;
        else if (selection == nullptr || green)
            state = 10;
        look.Image = SchemeNodeImage(shape + state);
        break;
    }
    default:
        break;
    }
}

void TSchemeTree::dropEvent(QDropEvent* event) {
    // The tree is rebuilt from the scheme: the drop is a request to move
    // the trajectory there, never a move of the items themselves.
    const TSchemeNode moved = FocusedNode();
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    const TSchemeNode onto = NodeOf(target);
    const DropIndicatorPosition where = dropIndicatorPosition();
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (moved.Level != TSchemeNode::lvObject || dynamic_cast<TvxArrow*>(moved.Object) == nullptr ||
        !OnMoveObject || FScheme == nullptr)
        return;
    if (onto.Level == TSchemeNode::lvRow) {
        OnMoveObject(moved.Object, onto.Row, -1);
    } else if (onto.Level == TSchemeNode::lvObject && onto.Object != moved.Object &&
               dynamic_cast<TvxArrow*>(onto.Object) != nullptr) {
        std::vector<TvxSchemeObject*> others = FScheme->RowObjects(onto.Row);
        std::erase(others, moved.Object);
        int at =
            static_cast<int>(std::find(others.begin(), others.end(), onto.Object) - others.begin());
        if (where == QAbstractItemView::BelowItem)
            ++at;
        OnMoveObject(moved.Object, onto.Row, at);
    }
}

} // namespace tralcon
