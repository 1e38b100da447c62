#pragma once
// The scheme window's tree: a node per signal row, under it a node per
// scheme object drawn for the row, under a trajectory a node per point. It
// is a view of the scheme document, built again from it after every change;
// a node names what it stands for, never owns it.

#include "scheme/SchemeDocument.h"
#include "widgets/DrawTree.h"

#include <functional>

namespace tralcon {

class TProject;

struct TSchemeNode {
    enum TLevel { lvNone = -1, lvRow = 0, lvObject = 1, lvPoint = 2 };
    int Level = lvNone;
    int Row = -1;
    TvxSchemeObject* Object = nullptr;
    int Point = -1;
    bool operator==(const TSchemeNode&) const = default;
};

class TSchemeTree : public TDrawTree {
    Q_OBJECT
  public:
    explicit TSchemeTree(QWidget* parent = nullptr);

    // Builds the nodes for the document's rows and objects; row captions and
    // icons come from the project. The expansion is left to the caller.
    void Rebuild(const TSchemeDocument& scheme, const TProject* project);

    static TSchemeNode NodeOf(const QTreeWidgetItem* item);
    TSchemeNode FocusedNode() const { return NodeOf(currentItem()); }
    // The item of a node, none when the tree has no such node.
    QTreeWidgetItem* ItemOf(const TSchemeNode& node) const;
    QTreeWidgetItem* RowItem(int row) const;

    // Expands exactly the ancestors of the item, collapsing everything else.
    void ExpandOnlyTo(QTreeWidgetItem* item);

    // A trajectory's node was dropped: onto a row (position -1: the end) or
    // before another trajectory of a row.
    std::function<void(TvxSchemeObject* object, int row, int position)> OnMoveObject;
    // The icon of a signal kind.
    std::function<QPixmap(int kind)> TrendIcon;
    // Colours for the icons: is the object green, is it the selection.
    std::function<bool(const TvxSchemeObject*)> IsGreen;
    std::function<const TvxSchemeObject*()> Selection;

  protected:
    void dropEvent(QDropEvent* event) override;

  private:
    void DrawCell(QTreeWidgetItem* item, TTreeCellLook& look);
    const TSchemeDocument* FScheme = nullptr;
    const TProject* FProject = nullptr;
};

// The pictures of the tree's object and point nodes.
QPixmap SchemeNodeImage(int index);

} // namespace tralcon
