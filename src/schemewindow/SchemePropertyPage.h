#pragma once
// The scheme window's page of properties: nothing selected, the selected
// direction with the position and size of the selected object and the
// selected point of a trajectory, or the phase on show. Edits act at once.

#include "scheme/vxArrows.h"

#include <QStackedWidget>

#include <functional>

class QGroupBox;
class QLabel;

namespace tralcon {

class TvxSpinEdit;

class TSchemePropertyPage : public QStackedWidget {
    Q_OBJECT
  public:
    enum TPage { tsNone = 0, tsTrend = 1, tsPhase = 2 };

    explicit TSchemePropertyPage(QWidget* parent = nullptr);

    void ShowNone();
    void ShowPhase(const QString& number);
    // object none: no object group; point none: no point group. The numbers
    // are the nodes' positions from 1.
    void ShowTrend(const QString& trend, TvxSchemeObject* object, int objectNumber,
                   TvxArrowPoint* point, int pointNumber);

    // After an edit was applied to the object or point.
    std::function<void()> OnEdited;

    QLabel* stTrend = nullptr;
    QLabel* stPhase = nullptr;
    QGroupBox* gbArrow = nullptr;
    QGroupBox* gbPoint = nullptr;
    TvxSpinEdit* seCurveX = nullptr;
    TvxSpinEdit* seCurveY = nullptr;
    TvxSpinEdit* seWidth = nullptr;
    TvxSpinEdit* seHeight = nullptr;
    TvxSpinEdit* sePointX = nullptr;
    TvxSpinEdit* sePointY = nullptr;
    TvxSpinEdit* sePointR = nullptr;

  private:
    TvxSpinEdit* Field(QWidget* parent, const QString& name, const QString& hint);
    void Apply(TvxSpinEdit* field);

    TvxSchemeObject* FObject = nullptr;
    TvxArrowPoint* FPoint = nullptr;
    bool FFilling = false;
};

} // namespace tralcon
