#pragma once
// Phases (sets of signals green together) and the intermediate steps of the
// transition from each phase to the next. The steps are derived: TProject
// recomputes them after every change that affects timing.

#include "model/SafeLists.h"
#include "model/Trends.h"

#include <cstdint>

namespace tralcon {

inline constexpr int kMaxPhases = 12; // working and call phases together

class TPhase {
  public:
    TPhase();
    TPhase(const TPhase&) = delete;
    TPhase& operator=(const TPhase&) = delete;

    // Minimum duration of the main step, seconds.
    std::uint8_t MinTime() const { return FMinTime; }
    // The green set; changed only through TProject::SetPhaseTrend.
    const TTrendList& Trends() const { return FTrends; }
    bool IsGreen(const TTrend* signal) const { return FTrends.Contains(signal); }
    // Remaining times (ascending, unique, never 0) at which a new step of the
    // transition to the next phase begins.
    const TIntegerList& TProms() const { return FTProms; }
    // Duration of the main step in each working cycle, by cycle index.
    const TIntegerList& Cycles() const { return FCycles; }

    int StepCount() const { return FTProms.Count(); }
    int TransitionLength() const { return FTProms.Empty() ? 0 : FTProms.Items(StepCount() - 1); }
    // Duration of step k (0 = first); 0 outside the steps.
    int StepDuration(int k) const;
    // Remaining time at which step k begins; 0 outside the steps.
    int StepStart(int k) const;

  private:
    friend class TProject;

    std::uint8_t FMinTime = 1;
    TTrendList FTrends{false};
    TIntegerList FTProms;
    TIntegerList FCycles;
};

// Where a row of the phase sequence stands (see TProject::LocateRow).
struct TRowLocation {
    TPhase* Phase = nullptr; // for entry rows, the entry of CallPhaseList
    int PhaseNumber = -1;    // 0-based as PhaseAt; -1 for entry rows
    int SubRow = 0;          // 0 main row, k >= 1 the k-th transition row
    int StepsBefore = 0;     // steps of the cycle before the row's block
    int BlockStartTime = 0;  // seconds from the start of the first phase
    bool Entry = false;      // a row of the transition into the call phases
};

} // namespace tralcon
