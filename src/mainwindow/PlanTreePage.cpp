#include "mainwindow/PlanTreePage.h"

#include "mainwindow/ActionImages.h"
#include "model/LinkedObjs.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"

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
    // Collapsing the node above the focused one moves the focus up to it.
    connect(FTree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* node) {
        QTreeWidgetItem* focused = FTree->currentItem();
        if (focused != nullptr && focused->parent() == node) {
            Context().Inplace().Close();
            FTree->FocusNode(node);
        }
    });
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
