#pragma once
// What the three plan pages share: a drawn tree whose nodes hold nothing (a
// node's position is its object's index in the model), kept parallel to the
// model's lists, its focused node as the page's selection, and the look of
// a plan's own row.

#include "mainwindow/MainPage.h"

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

  private:
    TDrawTree* FTree = nullptr;
    int FSelTop = -1;
    int FSelChild = -1;
};

} // namespace tralcon
