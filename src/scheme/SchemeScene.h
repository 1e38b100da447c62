#pragma once
// How the scheme's objects are put on a canvas together, and the colours
// and visibility of the views the scheme window shows: shared by the
// drawing control on screen and the pictures of the passport.

#include "scheme/SchemeDocument.h"

#include <vector>

namespace tralcon {

inline constexpr TColor kTrajectoryGreen = TColor::Rgb(0, 255, 0);
inline constexpr TColor kTrajectorySilver = TColor::Rgb(192, 192, 192);

// The visible objects in four passes, each in back-to-front order: silver
// trajectories, the other trajectories, everything that is not a
// trajectory, and the selection last. So inactive paths lie under active
// ones, labels over all paths, and the selection on top.
void PaintSchemeObjects(const TSchemeDocument& scheme, const TvxSchemeObject* selected,
                        TCanvas& canvas);

// The same passes as flat silhouettes in grey level 1 + the object's index,
// on a canvas filled black: the control's hit map.
void PaintSchemeHitMap(const TSchemeDocument& scheme, const TvxSchemeObject* selected,
                       TCanvas& canvas);

// The object whose hit-map grey level is level (0: none).
TvxSchemeObject* ObjectOfHitLevel(const TSchemeDocument& scheme, int level);

// The trend view: every object visible, the trajectories of focusedRow
// green and all others silver (all silver for -1).
void ShowTrendView(TSchemeDocument& scheme, int focusedRow);

// The phase view: the objects of row i visible only when greenRows[i], its
// trajectories green or silver to match; objects of no row stay as they are.
void ShowPhaseView(TSchemeDocument& scheme, const std::vector<bool>& greenRows);

// The picture of the whole scheme: every object of a row visible and its
// trajectories silver, objects of no row hidden.
void ShowSchemeView(TSchemeDocument& scheme);

} // namespace tralcon
