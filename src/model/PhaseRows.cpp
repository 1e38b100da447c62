// The phase sequence as rows of the phases and cycles grids: each phase's
// main step followed by the steps of its transition, expanded (one row per
// step) or collapsed (one row per transition).

#include "model/Errors.h"
#include "model/Project.h"

namespace tralcon {

int TProject::MainDuration(const TPhase* phase, int cycle) const {
    return cycle < 0 ? phase->MinTime() : PhaseCycleTime(phase, cycle);
}

int TProject::RowsOf(const TPhase* phase, bool expanded) const {
    const int steps = phase->StepCount();
    return expanded ? steps : (steps > 0 ? 1 : 0);
}

int TProject::RowCount(bool expanded) const {
    int rows = 0;
    for (const TPhase* phase : FPhaseList)
        rows += 1 + RowsOf(phase, expanded);
    const int calls = FCallPhaseList.Count();
    if (calls > 2) {
        rows += RowsOf(FCallPhaseList.Items(0), expanded);
        for (int j = 1; j < calls - 1; ++j)
            rows += 1 + RowsOf(FCallPhaseList.Items(j), expanded);
    }
    return rows;
}

TRowLocation TProject::LocateRow(int row, bool expanded, int cycle) const {
    int start = 0;
    int steps = 0;
    int time = 0;
    auto found = [&](TPhase* phase, int number, int subRow, bool entry) {
        TRowLocation loc;
        loc.Phase = phase;
        loc.PhaseNumber = number;
        loc.SubRow = subRow;
        loc.StepsBefore = steps;
        loc.BlockStartTime = time;
        loc.Entry = entry;
        return loc;
    };
    if (row >= 0) {
        const int working = FPhaseList.Count();
        for (int i = 0; i < working; ++i) {
            TPhase* phase = FPhaseList.Items(i);
            const int rows = 1 + RowsOf(phase, expanded);
            if (row - start < rows)
                return found(phase, i, row - start, false);
            start += rows;
            steps += phase->StepCount() + 1;
            time += MainDuration(phase, cycle) + phase->TransitionLength();
        }
        // The call sequence branches off at the end of the last working
        // phase's main step.
        const TPhase* last = FPhaseList.Items(working - 1);
        steps -= last->StepCount();
        time -= last->TransitionLength();
        const int calls = FCallPhaseList.Count();
        if (calls > 2) {
            TPhase* entry = FCallPhaseList.Items(0);
            const int entryRows = RowsOf(entry, expanded);
            if (row - start < entryRows)
                return found(entry, -1, row - start + 1, true);
            start += entryRows;
            steps += entry->StepCount();
            time += entry->TransitionLength();
            for (int j = 1; j < calls - 1; ++j) {
                TPhase* phase = FCallPhaseList.Items(j);
                const int rows = 1 + RowsOf(phase, expanded);
                if (row - start < rows)
                    return found(phase, working + j - 1, row - start, false);
                start += rows;
                steps += phase->StepCount() + 1;
                time += MainDuration(phase, cycle) + phase->TransitionLength();
            }
        }
    }
    throw EModelError(Format("Incorrect Step number %d", row));
}

int TProject::PhaseRow(const TPhase* phase, bool expanded) const {
    int row = 0;
    for (const TPhase* p : FPhaseList) {
        if (p == phase)
            return row;
        row += 1 + RowsOf(p, expanded);
    }
    const int calls = FCallPhaseList.Count();
    if (calls > 2) {
        row += RowsOf(FCallPhaseList.Items(0), expanded);
        for (int j = 1; j < calls - 1; ++j) {
            const TPhase* p = FCallPhaseList.Items(j);
            if (p == phase)
                return row;
            row += 1 + RowsOf(p, expanded);
        }
    }
    return -1;
}

TPhase* TProject::RowPhase(int row, bool expanded) const {
    const TRowLocation loc = LocateRow(row, expanded, -1);
    return loc.SubRow == 0 && !loc.Entry ? loc.Phase : nullptr;
}

bool TProject::IsPhaseRow(int row, bool expanded) const {
    return RowPhase(row, expanded) != nullptr;
}

std::string TProject::RowCaption(int row, bool expanded) const {
    const TRowLocation loc = LocateRow(row, expanded, -1);
    if (loc.SubRow == 0 && !loc.Entry)
        return "Ф" + std::to_string(loc.PhaseNumber + 1);
    return ">>";
}

std::string TProject::RowStepText(int row, bool expanded) const {
    const TRowLocation loc = LocateRow(row, expanded, -1);
    const char* star = FPhaseList.Contains(loc.Phase) ? "" : "*";
    auto number = [&](int n) { return std::to_string(n) + star; };
    const int b = loc.StepsBefore;
    const int k = loc.SubRow;
    const int m = loc.Phase->StepCount();
    if (k == 0 && !loc.Entry)
        return number(b + 1);
    // The entry's steps directly follow the last working phase's main step.
    const int first = loc.Entry ? b : b + 1;
    if (expanded || m <= 1)
        return number(first + k);
    return number(first + 1) + "…" + number(first + m);
}

TSignalState TProject::RowSignal(int row, int trendRow, bool expanded) const {
    const TTrend* s = TrendAt(trendRow);
    if (s == nullptr)
        return TSignalState::ExtraRed;
    const TRowLocation loc = LocateRow(row, expanded, -1);
    const TPhase* phase = loc.Phase;
    if (loc.SubRow == 0 && !loc.Entry)
        return phase->IsGreen(s) ? TSignalState::ExtraGreen : TSignalState::ExtraRed;
    if (expanded)
        return TrendSignal(phase, s, loc.SubRow - 1);
    // One row for the whole transition: what changes, not when.
    const bool now = phase->IsGreen(s);
    const bool then = Successor(phase)->IsGreen(s);
    if (now && then)
        return TSignalState::ExtraGreen;
    if (now)
        return TSignalState::LightsOff; // closing
    if (then)
        return TSignalState::YellowFlash; // opening
    return TSignalState::ExtraRed;
}

int TProject::RowDuration(int row, bool expanded) const {
    const TRowLocation loc = LocateRow(row, expanded, -1);
    if (loc.SubRow == 0 && !loc.Entry)
        return loc.Phase->MinTime();
    return expanded ? loc.Phase->StepDuration(loc.SubRow - 1) : loc.Phase->TransitionLength();
}

int TProject::RowCycleDuration(int row, int cycle, bool expanded) const {
    const TRowLocation loc = LocateRow(row, expanded, cycle);
    if (loc.SubRow == 0 && !loc.Entry)
        return MainDuration(loc.Phase, cycle);
    return expanded ? loc.Phase->StepDuration(loc.SubRow - 1) : loc.Phase->TransitionLength();
}

bool TProject::RowConflict(int row, int trendRow, bool expanded) const {
    const TTrend* s = TrendAt(trendRow);
    if (s == nullptr || s->Conflicts().Empty())
        return false;
    const TRowLocation loc = LocateRow(row, expanded, -1);
    const TPhase* phase = loc.Phase;
    if (loc.SubRow == 0 && !loc.Entry) {
        if (!phase->IsGreen(s))
            return false;
        for (const TTrend* t : s->Conflicts())
            if (phase->IsGreen(t))
                return true;
        return false;
    }
    auto bothOpen = [&](const TTrend* t, int k) {
        return IsPermissive(TrendSignal(phase, s, k)) && IsPermissive(TrendSignal(phase, t, k));
    };
    for (const TTrend* t : s->Conflicts()) {
        if (expanded) {
            if (bothOpen(t, loc.SubRow - 1))
                return true;
        } else {
            for (int k = 0; k < phase->StepCount(); ++k)
                if (bothOpen(t, k))
                    return true;
        }
    }
    return false;
}

int TProject::RowStartTime(int row, bool expanded, int cycle) const {
    const TRowLocation loc = LocateRow(row, expanded, cycle);
    const TPhase* phase = loc.Phase;
    const int t = loc.BlockStartTime;
    const int k = loc.SubRow;
    if (k == 0 && !loc.Entry)
        return t;
    const int d = loc.Entry ? 0 : MainDuration(phase, cycle);
    if (!expanded)
        return t + d;
    // The part of the transition that has passed before this step begins.
    const int m = phase->StepCount();
    return t + d + phase->TransitionLength() - phase->TProms().Items(m - k);
}

std::string TProject::CycleTimeText(int cycle) const {
    int total = 0;
    for (const TPhase* phase : FPhaseList)
        total += MainDuration(phase, cycle) + phase->TransitionLength();
    const int calls = FCallPhaseList.Count();
    if (calls <= 2)
        return std::to_string(total) + " с";
    int withCalls = total - FPhaseList.Items(FPhaseList.Count() - 1)->TransitionLength() +
                    FCallPhaseList.Items(0)->TransitionLength();
    for (int j = 1; j < calls - 1; ++j) {
        const TPhase* phase = FCallPhaseList.Items(j);
        withCalls += MainDuration(phase, cycle) + phase->TransitionLength();
    }
    return std::to_string(total) + " с/" + std::to_string(withCalls) + " с";
}

} // namespace tralcon
