#include "mainwindow/PlanTreePage.h"

#include "mainwindow/ActionImages.h"
#include "model/LinkedObjs.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"
#include "widgets/MenuStyle.h"

#include <QKeyEvent>
#include <QMenu>

namespace tralcon {

TPlanTreePage::TPlanTreePage(TPageContext& context, const char* pageName, int pageHelp,
                             const char* treeName, const QStringList& titles, int treeHelp)
    : TMainPage(context, pageName, pageHelp) {
    FTree = MakeTree(treeName, titles, {55, 200}, treeHelp);
    FTree->OnCellLook = [this](QTreeWidgetItem* item, int col, TTreeCellLook& look) {
        CellLook(item, col, look);
    };
    connect(FTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        if (node == nullptr) {
            FSelTop = FSelChild = -1;
        } else if (node->parent() != nullptr) {
            FSelTop = FTree->indexOfTopLevelItem(node->parent());
            FSelChild = node->parent()->indexOfChild(node);
        } else {
            FSelTop = FTree->indexOfTopLevelItem(node);
            FSelChild = -1;
        }
        emit EditStateChanged();
    });
    FTree->OnClick = [this](Qt::MouseButton button, QPoint pos) {
        QTreeWidgetItem* node = FTree->currentItem();
        if (node == nullptr || button != Qt::LeftButton)
            return;
        const int col = FTree->ClickedColumn(pos);
        if (col >= 0)
            Guard([&] { NodeClicked(node, col); });
        emit EditStateChanged();
    };
    FTree->OnKeyDown = [this](QKeyEvent* e) { return KeyDown(e); };
    // Collapsing the node above the focused one moves the focus up to it.
    connect(FTree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* node) {
        QTreeWidgetItem* focused = FTree->currentItem();
        if (focused != nullptr && focused->parent() == node) {
            Context().Inplace().Close();
            FTree->FocusNode(node);
        }
    });
}

// Enter opens the node's first editor (a plan's name, an item's time, day or
// date), Space the menu of an item's link; Delete deletes where the rules
// allow. The arrows are the tree's own.
bool TPlanTreePage::KeyDown(QKeyEvent* e) {
    QTreeWidgetItem* node = FTree->currentItem();
    if (node == nullptr)
        return false;
    const bool item = IsItemNode(node);
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Guard([&] { NodeClicked(node, item ? 0 : 1); });
        return true;
    case Qt::Key_Space:
        if (item)
            Guard([&] { NodeClicked(node, 1); });
        return true;
    case Qt::Key_Delete:
        if (CanMinus())
            Guard([&] { Minus(); });
        emit EditStateChanged();
        return true;
    default:
        return false;
    }
}

bool TPlanTreePage::IsItemNode(const QTreeWidgetItem* node) const {
    return node->parent() != nullptr;
}

QMenu* TPlanTreePage::MakePopup(const char* name) {
    auto* m = new QMenu(this);
    m->setObjectName(QLatin1String(name));
    TMenuStyle::Apply(m);
    return m;
}

void TPlanTreePage::PopupAtCell(QMenu* menu, QTreeWidgetItem* node, int col) {
    const QRect cell = FTree->CellRect(node, col);
    menu->popup(FTree->viewport()->mapToGlobal(cell.bottomLeft() + QPoint(0, 1)));
}

QRect TPlanTreePage::EditorRect(QTreeWidgetItem* node, int col) const {
    return FTree->CellRect(node, col);
}

QTreeWidgetItem* TPlanTreePage::InsertNode(QTreeWidgetItem* parent, QTreeWidgetItem* after) {
    auto* node = new QTreeWidgetItem;
    if (parent == nullptr)
        FTree->insertTopLevelItem(after != nullptr ? FTree->indexOfTopLevelItem(after) + 1
                                                   : FTree->topLevelItemCount(),
                                  node);
    else
        parent->insertChild(
            after != nullptr ? parent->indexOfChild(after) + 1 : parent->childCount(), node);
    if (parent != nullptr)
        parent->setExpanded(true);
    FTree->FocusNode(node);
    return node;
}

void TPlanTreePage::RemoveFocusedNode() {
    QTreeWidgetItem* node = FTree->currentItem();
    if (node == nullptr)
        return;
    Context().Inplace().Close();
    QTreeWidgetItem* parent = node->parent();
    const int index =
        parent != nullptr ? parent->indexOfChild(node) : FTree->indexOfTopLevelItem(node);
    const int siblings = parent != nullptr ? parent->childCount() : FTree->topLevelItemCount();
    auto sibling = [&](int i) {
        return parent != nullptr ? parent->child(i) : FTree->topLevelItem(i);
    };
    QTreeWidgetItem* next = index + 1 < siblings ? sibling(index + 1)
                            : index > 0          ? sibling(index - 1)
                                                 : parent;
    FTree->FocusNode(nullptr);
    delete node;
    FTree->FocusNode(next);
}

void TPlanTreePage::Changed() {
    Context().SetModified();
    FTree->viewport()->update();
    emit EditStateChanged();
}

void TPlanTreePage::Refresh() {
    FTree->viewport()->update();
}

void TPlanTreePage::Reset() {
    FTree->clear();
    FSelTop = FSelChild = -1;
    BuildNodes();
    FTree->FocusNode(FTree->topLevelItem(0));
}

bool TPlanTreePage::HasSelectedNode() const {
    return !FTree->selectedItems().isEmpty();
}

int TPlanTreePage::FocusedLevel() const {
    const QTreeWidgetItem* n = FTree->currentItem();
    return n == nullptr ? 0 : TDrawTree::Level(n);
}

QString TPlanTreePage::Named(const TLinkedObject* o, int index) {
    return QStringLiteral("%1 (#%2)").arg(QString::fromStdString(o->Name())).arg(index + 1);
}

void TPlanTreePage::SetAnchor(TTreeCellLook& look, int image) {
    look.Image = AnchorImage(image);
    look.ImageFromRight = 3 + 16;
}

void TPlanTreePage::PlanCellLook(const TLinkedObject* plan, int index, int col,
                                 TTreeCellLook& look) {
    if (col == 0) {
        look.FramedOnly = true;
        look.Text = QString::number(index + 1);
        if (plan->RefCount() > 0)
            SetAnchor(look, 1);
    } else {
        look.Text = Named(plan, index);
    }
}

} // namespace tralcon
