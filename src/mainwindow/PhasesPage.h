#pragma once
// Page 3, the phase table dgPhases: the working and call cycles as a
// sequence of phases and intermediate steps across, the signal rows down,
// with the steps, call-phase and red-blinking controls above it.

#include "mainwindow/MainPage.h"

class QCheckBox;
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
    QString PlusHint() const override { return QStringLiteral("Новая фаза"); }
    QString MinusHint() const override { return QStringLiteral("Удалить фазу"); }

    // The project's call-phase state in the button and the red-blinking box.
    void ShowCallPhases();
    void SetRedBlink(bool flag);
    const TPhase* SelectedPhase() const { return FSelPhase; }
    int SelectedPhaseCol() const { return FSelPhaseCol; }
    bool StepsExpanded() const { return FStepsExpanded; }

    QPushButton* btnShowDetails = nullptr;
    QPushButton* btnEnableCallPhases = nullptr;
    QCheckBox* cbUseRedBlink = nullptr;
    TDrawGrid* dgPhases = nullptr;

  private:
    void UpdateDetailsButton();
    void UpdateCallPhasesButton();

    bool FStepsExpanded = false;
    TPhase* FSelPhase = nullptr;
    int FSelPhaseCol = -1;
    int FSelPhaseRow = -1;
    int FUpdating = 0;
};

} // namespace tralcon
