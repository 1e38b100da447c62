#pragma once
// The "Проверка" window: the findings of the signal program check, errors
// first; choosing one shows the phase and the signal it names.

#include "flash/SignalCheck.h"

#include <QDialog>

#include <vector>

class QLabel;
class QTreeWidget;

namespace tralcon {

class TCheckForm : public QDialog {
    Q_OBJECT
  public:
    explicit TCheckForm(QWidget* parent);

    void ShowFindings(const std::vector<TFinding>& findings);
    const std::vector<TFinding>& Findings() const { return FFindings; }

    QTreeWidget* lvFindings = nullptr;
    QLabel* lblSummary = nullptr;

  signals:
    // A finding was chosen; phase and row as TFinding gives them (-1: none).
    void FindingChosen(int phase, int row);
    // "Проверить": the check is to run again on the project as it is now.
    void RecheckRequested();

  private:
    std::vector<TFinding> FFindings;
};

// "2 ошибки, 5 предупреждений" and the like.
QString FindingsSummary(const std::vector<TFinding>& findings);

} // namespace tralcon
