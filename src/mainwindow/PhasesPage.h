#pragma once
// Page 3, the phase table dgPhases: the working and call cycles as a
// sequence of phases and intermediate steps across, the signal rows down.
// A click in a phase column puts a signal into the phase's green set or
// takes it out, or edits the phase's minimum time in place; "+" copies the
// selected phase, "−" deletes it. Above the table: the steps, call-phase and
// red-blinking controls.

#include "mainwindow/MainPage.h"

class QCheckBox;
class QKeyEvent;
class QPushButton;

namespace tralcon {

class TPhase;

class TPhasesPage : public TMainPage {
    Q_OBJECT
  public:
    explicit TPhasesPage(TPageContext& context);

    void Layout() override;
    void Refresh() override;
    void Reset() override;
    bool CanPlus() const override;
    bool CanMinus() const override;
    void Plus() override;
    void Minus() override;
    QString PlusHint() const override { return QStringLiteral("Новая фаза"); }
    QString MinusHint() const override { return QStringLiteral("Удалить фазу"); }

    // What a click on the cell does (any mouse button).
    void CellClick(int col, int row);
    // The steps button, the call-phase button and the red-blinking box.
    void ToggleSteps();
    void ToggleCallPhases();
    // The project's call-phase state in the button and the red-blinking box.
    void ShowCallPhases();
    void SetRedBlink(bool flag);
    // Another page chose the phase (the cycles page edits its minimum time).
    void ChoosePhase(TPhase* phase);
    // Shows the phase (PhaseAt index) and the signal row a finding names;
    // -1 leaves either as it is.
    void SelectCell(int phase, int row);

    const TPhase* SelectedPhase() const { return FSelPhase; }
    int SelectedPhaseCol() const { return FSelPhaseCol; }
    int SelectedPhaseRow() const { return FSelPhaseRow; }
    bool StepsExpanded() const { return FStepsExpanded; }

    QPushButton* btnShowDetails = nullptr;
    QPushButton* btnEnableCallPhases = nullptr;
    QCheckBox* cbUseRedBlink = nullptr;
    TDrawGrid* dgPhases = nullptr;

  signals:
    // Call phases were switched on or off: the call direction came or went.
    void CallPhasesSwitched(bool on);

  private:
    void UpdateDetailsButton();
    void UpdateCallPhasesButton();
    void SelectPhase(TPhase* phase);
    bool KeyDown(QKeyEvent* e);
    void OpenMinTimeEditor();
    void DrawFocus(QPainter& p, int col, int row, const QRect& rect);

    bool FStepsExpanded = false;
    TPhase* FSelPhase = nullptr;
    int FSelPhaseCol = -1;
    int FSelPhaseRow = -1;
    int FUpdating = 0;
};

} // namespace tralcon
