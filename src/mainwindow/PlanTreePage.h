#pragma once
// What the three plan pages share: a drawn tree whose nodes hold nothing (a
// node's position is its object's index in the model), kept parallel to the
// model's lists, its focused node as the page's selection, and the look of
// a plan's own row.

#include "mainwindow/MainPage.h"

class QMenu;
class QTreeWidgetItem;

namespace tralcon {

class TLinkedObject;
struct TTreeCellLook;

class TPlanTreePage : public TMainPage {
    Q_OBJECT
  public:
    TPlanTreePage(TPageContext& context, const char* pageName, int pageHelp, const char* treeName,
                  const QStringList& titles, int treeHelp);

    void Refresh() override;
    // The nodes are made again from the model, the first one focused.
    void Reset() override;

    TDrawTree* Tree() const { return FTree; }
    // What a click on the column of the focused node does.
    virtual void NodeClicked(QTreeWidgetItem* node, int col) = 0;

  protected:
    // Adds the nodes for the model's objects to the empty tree.
    virtual void BuildNodes() = 0;
    virtual void CellLook(QTreeWidgetItem* item, int col, TTreeCellLook& look) = 0;

    // The focused node: its top-level index and, for a child, its index
    // under that node (else -1).
    int SelectedTop() const { return FSelTop; }
    int SelectedChild() const { return FSelChild; }
    bool HasSelectedNode() const;
    // 0 for a top-level node or none, 1 for a child.
    int FocusedLevel() const;

    // "Name (#n)" of a plan object with its 1-based number in its list.
    static QString Named(const TLinkedObject* o, int index);
    // A picture at the right end of the cell.
    static void SetAnchor(TTreeCellLook& look, int image);
    // Column 0 of a plan's row: its number, framed, with the anchor while
    // something refers to it; column 1 its name.
    static void PlanCellLook(const TLinkedObject* plan, int index, int col, TTreeCellLook& look);

    // A plan item's node (not a plan's own).
    virtual bool IsItemNode(const QTreeWidgetItem* node) const;
    // A menu of the page's, drawn as every menu.
    QMenu* MakePopup(const char* name);
    // Opens the menu at the lower-left corner of the cell.
    void PopupAtCell(QMenu* menu, QTreeWidgetItem* node, int col);
    // The cell's rectangle, for an in-place editor.
    QRect EditorRect(QTreeWidgetItem* node, int col) const;
    // A node for a new child (item) after the focused item or, for none, at
    // the end of parent; focused and selected.
    QTreeWidgetItem* InsertNode(QTreeWidgetItem* parent, QTreeWidgetItem* after);
    // Removes the focused node; its next sibling, else the previous one,
    // else its parent, takes the focus.
    void RemoveFocusedNode();
    // A change the project file keeps: the modified flag, the add and
    // delete rules, the tree repainted.
    void Changed();

  private:
    bool KeyDown(QKeyEvent* e);

    TDrawTree* FTree = nullptr;
    int FSelTop = -1;
    int FSelChild = -1;
};

} // namespace tralcon
