#pragma once
// The passport's pictures of the scheme: the whole scheme, and each phase
// with only its green directions; GIF files of 200 x 200 pixels.

#include "scheme/SchemeDocument.h"

#include <string>
#include <vector>

namespace tralcon {

class TProject;
class TPhase;

// For every scheme row (the project's counted signals): is it green in the
// phase. All false for none.
std::vector<bool> GreenRows(const TProject& project, const TPhase* phase);

// "Scheme.gif": every object that belongs to a row, trajectories silver.
// The scheme keeps that view's colours and visibility, as the window does.
std::string WriteSchemeImage(TSchemeDocument& scheme, const TProject& project);

// "Phase_%d.gif" of the phase PhaseAt(index): its green directions only.
// Throws std::out_of_range for an index without a phase.
std::string WritePhaseImage(TSchemeDocument& scheme, const TProject& project, int index);

} // namespace tralcon
