#pragma once
// One cycle of the signal program laid out in time: every step of the
// working sequence (phases and intermediate steps) with its duration in that
// cycle and the state of each signal row, then the call sequence. The
// timing diagram and the export to a traffic simulator both read it, so
// they cannot disagree about what a signal shows when.

#include "model/Trends.h"

#include <string>
#include <vector>

namespace tralcon {

class TProject;

struct TTimelineStep {
    int Row = -1;                      // the row of the expanded sequence
    int Start = 0;                     // seconds from the start of its section
    int Duration = 0;                  // seconds in this cycle
    bool Phase = false;                // a phase's main step (not an intermediate one)
    bool Call = false;                 // of the call sequence
    std::string Caption;               // "Ф2" for a phase, "" for a step
    std::string StepText;              // the step number, "5" or "12*"
    std::vector<TSignalState> Signals; // by signal row
};

struct TTimeline {
    int Cycle = -1;
    std::vector<TTimelineStep> Working;
    std::vector<TTimelineStep> Calls; // empty without call phases
    int WorkingLength() const;
    int CallLength() const;
};

// The timeline of cycle c of CycleList (-1: the phases' minimum times).
TTimeline BuildTimeline(const TProject& project, int cycle);

// A state as a signal shows it, seen from outside: one of green, green
// blinking, yellow, red, red with yellow, yellow flashing and dark.
enum class TAspectColor { Green, GreenBlink, Yellow, Red, RedYellow, YellowFlash, Dark };
TAspectColor AspectOf(TSignalState state);

} // namespace tralcon
