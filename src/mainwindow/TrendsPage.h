#pragma once
// Page 1, the directions editor: the grid dgTrends with its two header rows,
// output binding through PopupOutputs, the control marks, the in-place
// editing of the intermediate times, and adding and deleting directions
// through PopupAddTrends.

#include "mainwindow/MainPage.h"

class QMenu;
class QPainter;

namespace tralcon {

class TControllerOutput;
class TTrendGroup;

class TTrendsPage : public TMainPage {
    Q_OBJECT
  public:
    explicit TTrendsPage(TPageContext& context);

    void Layout() override;
    void Refresh() override;
    void Reset() override;
    bool CanPlus() const override;
    bool CanMinus() const override;
    void Plus() override;
    void Minus() override;
    QString PlusHint() const override { return QStringLiteral("Новое направление"); }
    QString MinusHint() const override { return QStringLiteral("Удалить направление"); }
    void ControllersChanged() override;

    // A direction of the kind's class, selected; the call kind switches call
    // phases on. None for an unknown kind.
    TTrendGroup* AddLoadedTrendGroup(int kind);
    // Call phases were switched on (the call direction's row is selected)
    // or off (the selection stays within the rows left).
    void CallPhasesSwitched(bool on);
    // The scheme window's tree moved to a signal row (-1 for none).
    void SelectTrendRow(int row);
    // Grid rows (signal row + 2), -1 for none.
    int SelectedTrendRow() const { return FSelTrendRow; }
    int SelectedTrendCol() const { return FSelTrendCol; }

    // What a body cell shows and whether a click may edit it.
    enum class TControlMark { None, Red, Green };
    struct TTrendsCell {
        QString Text;
        TControlMark Mark = TControlMark::None;
        bool Editable = false;
    };
    TTrendsCell TrendsCell(int col, int row) const;

    TDrawGrid* dgTrends = nullptr;
    QMenu* PopupOutputs = nullptr;
    QMenu* PopupAddTrends = nullptr;

  signals:
    // Call phases were switched on by a loaded call direction.
    void CallPhasesChanged();

  private:
    void BuildAddTrendsMenu();
    void RebuildOutputsMenu();
    void DrawTrendsCell(QPainter& p, int col, int row, const QRect& rect);
    void dgTrendsMouseDown(Qt::MouseButton button, QPoint pos);
    void N15Click(int tag);
    void Test1Click(TControllerOutput* output);
    void DeleteSelectedTrendGroup();

    int FSelTrendRow = -1;
    int FSelTrendCol = -1;
};

} // namespace tralcon
