#include "model/Phases.h"

#include "model/Errors.h"
#include "model/Project.h"

#include <algorithm>

namespace tralcon {

TPhase::TPhase() {
    FTrends.SetAllowDuplicates(false);
    FTProms.SetAllowDuplicates(false);
    FTProms.SetSorted(true);
}

int TPhase::StepDuration(int k) const {
    const int n = StepCount();
    if (k < 0 || k >= n)
        return 0;
    return FTProms.Items(n - 1 - k) - (k == n - 1 ? 0 : FTProms.Items(n - 2 - k));
}

int TPhase::StepStart(int k) const {
    const int n = StepCount();
    if (k < 0 || k >= n)
        return 0;
    return FTProms.Items(n - 1 - k);
}

namespace {
[[noreturn]] void NoOwner() {
    throw EModelError("Phase have no owner");
}
} // namespace

TPhase* TProject::NewPhase() {
    auto* phase = new TPhase;
    for (const TTrendGroup* g : FTrendGroupList)
        g->UpdatePhaseTrends(phase->FTrends);
    // One duration per existing cycle, so no phase ever lacks one.
    for (int i = 0; i < FCycleList.Count(); ++i)
        phase->FCycles.Add(phase->FMinTime);
    return phase;
}

void TProject::ResetPhases() {
    FPhaseList.Clear();
    FCallPhaseList.Clear();
    FAllRedPhaseList.Clear();
    FPhaseList.Add(NewPhase());
    FCallPhaseList.Add(NewPhase());
    FCallPhaseList.Add(NewPhase());
    for (int i = 0; i < 3; ++i)
        FAllRedPhaseList.Add(NewPhase());
    AllRedPhase()->FMinTime = 3;
    RecalcTransitions();
}

int TProject::PhaseCount() const {
    return FPhaseList.Count() + FCallPhaseList.Count() - 2;
}

TPhase* TProject::PhaseAt(int i) const {
    if (i < 0)
        return nullptr;
    if (i < FPhaseList.Count())
        return FPhaseList.Items(i);
    const int c = i - FPhaseList.Count() + 1; // skips the entry
    if (c < FCallPhaseList.Count() - 1)
        return FCallPhaseList.Items(c);
    return nullptr;
}

int TProject::PhaseNumber(const TPhase* phase) const {
    if (phase == nullptr)
        return -1;
    int i = FPhaseList.IndexOf(phase);
    if (i >= 0)
        return i;
    i = FCallPhaseList.IndexOf(phase);
    if (i >= 1 && i < FCallPhaseList.Count() - 1)
        return FPhaseList.Count() + i - 1;
    return -1;
}

std::string TProject::PhaseNumberText(const TPhase* phase) const {
    const int n = PhaseNumber(phase);
    return n < 0 ? std::string("?") : std::to_string(n + 1);
}

const TSafeObjList<TPhase>* TProject::ListOf(const TPhase* phase) const {
    if (phase == nullptr)
        return nullptr;
    if (FPhaseList.Contains(phase))
        return &FPhaseList;
    if (FCallPhaseList.Contains(phase))
        return &FCallPhaseList;
    if (FAllRedPhaseList.Contains(phase))
        return &FAllRedPhaseList;
    return nullptr;
}

TPhase* TProject::AddPhase() {
    if (PhaseCount() >= kMaxPhases)
        return nullptr;
    TPhase* phase = NewPhase();
    FPhaseList.Add(phase);
    RecalcTransitions();
    return phase;
}

TPhase* TProject::InsertCallPhase() {
    if (PhaseCount() >= kMaxPhases)
        return nullptr;
    TPhase* phase = NewPhase();
    FCallPhaseList.Insert(FCallPhaseList.Count() - 1, phase);
    RecalcTransitions();
    return phase;
}

void TProject::Assign(TPhase* phase, const TPhase* source) {
    if (phase == nullptr || source == nullptr || phase == source)
        return;
    phase->FTrends.Clear();
    for (TTrend* s : source->FTrends)
        phase->FTrends.Add(s);
    phase->FMinTime = source->FMinTime;
    phase->FCycles = source->FCycles;
}

TPhase* TProject::CopyPhase(TPhase* phase) {
    int index = FPhaseList.IndexOf(phase);
    TSafeObjList<TPhase>* list = &FPhaseList;
    if (index < 0) {
        index = FCallPhaseList.IndexOf(phase);
        list = &FCallPhaseList;
        if (index < 0)
            NoOwner();
        // The entry and exit are copies refreshed from the working phases; a
        // copy of them would turn the old entry into a call phase.
        if (index == 0 || index == FCallPhaseList.Count() - 1)
            return nullptr;
    }
    if (PhaseCount() >= kMaxPhases)
        return nullptr;
    TPhase* copy = NewPhase();
    Assign(copy, phase);
    list->Insert(index, copy);
    RecalcTransitions();
    return copy;
}

bool TProject::CanDeletePhase(const TPhase* phase) const {
    if (phase == nullptr)
        return false;
    if (FPhaseList.Contains(phase))
        return FPhaseList.Count() > 1;
    const int i = FCallPhaseList.IndexOf(phase);
    return i >= 1 && i < FCallPhaseList.Count() - 1 && FCallPhaseList.Count() > 3;
}

bool TProject::DeletePhase(TPhase* phase) {
    if (!FPhaseList.Contains(phase) && !FCallPhaseList.Contains(phase))
        NoOwner();
    if (!CanDeletePhase(phase))
        return false;
    if (FPhaseList.Contains(phase))
        FPhaseList.Remove(phase);
    else
        FCallPhaseList.Remove(phase);
    RecalcTransitions();
    return true;
}

TPhase* TProject::PhaseAfterDelete(const TPhase* phase) const {
    int i = FPhaseList.IndexOf(phase);
    if (i >= 0) {
        if (FPhaseList.Count() == 1)
            return nullptr;
        return FPhaseList.Items(i + 1 < FPhaseList.Count() ? i + 1 : i - 1);
    }
    i = FCallPhaseList.IndexOf(phase);
    const int lastCall = FCallPhaseList.Count() - 2;
    if (i < 1 || i > lastCall || lastCall == 1)
        return nullptr;
    return FCallPhaseList.Items(i < lastCall ? i + 1 : i - 1);
}

void TProject::SetPhaseTrend(TPhase* phase, TTrend* signal, bool flag) {
    if (phase == nullptr || signal == nullptr)
        return;
    if (flag) {
        if (!IsOwnTrend(signal))
            return;
        phase->FTrends.Add(signal);
    } else {
        phase->FTrends.Remove(signal);
    }
    for (const TTrendGroup* g : FTrendGroupList)
        g->UpdatePhaseTrends(phase->FTrends);
    RecalcTransitions();
}

void TProject::SetPhaseMinTime(TPhase* phase, std::uint8_t value) {
    if (phase == nullptr || value == 0)
        return;
    phase->FMinTime = value;
    for (int i = 0; i < phase->FCycles.Count(); ++i)
        if (phase->FCycles.Items(i) < value)
            phase->FCycles.Put(i, value);
    RecalcTransitions();
}

bool TProject::SetPhaseCycleTime(TPhase* phase, int i, std::uint8_t value) {
    if (phase == nullptr || i < 0 || i >= phase->FCycles.Count())
        return false;
    phase->FCycles.Put(i, std::max<int>(value, phase->FMinTime));
    return true;
}

int TProject::MinCycleTime(const TPhase* phase) const {
    if (phase == nullptr || phase->FCycles.Empty())
        return 255;
    return *std::min_element(phase->FCycles.begin(), phase->FCycles.end());
}

int TProject::PhaseCycleTime(const TPhase* phase, int i) const {
    if (phase == nullptr)
        return 0;
    if (i < 0 || i >= phase->FCycles.Count())
        return phase->FMinTime;
    return phase->FCycles.Items(i);
}

void TProject::ComputeTransition(TPhase* phase, const TPhase* next) {
    if (phase == nullptr || next == nullptr)
        return;
    TIntegerList& proms = phase->FTProms;
    proms.Clear();
    for (const TTrendGroup* g : FTrendGroupList)
        for (const TTrend* s : g->Trends()) {
            const bool inPhase = phase->IsGreen(s);
            if (inPhase == next->IsGreen(s))
                continue;
            // A step boundary wherever a changing signal enters a new state.
            static constexpr int closing[] = {2, 3, 4};
            static constexpr int opening[] = {7, 8};
            if (inPhase) {
                for (int st : closing)
                    if (s->UsesState(st))
                        proms.Add(s->GetTime(st));
            } else {
                for (int st : opening)
                    if (s->UsesState(st))
                        proms.Add(s->GetTime(st));
            }
        }
    if (!proms.Empty() && proms.Items(0) == 0)
        proms.Delete(0);
}

void TProject::ComputeTransitions(const TSafeObjList<TPhase>& list) {
    const int n = list.Count();
    for (int i = 0; i < n; ++i)
        ComputeTransition(list.Items(i), list.Items(i + 1 < n ? i + 1 : 0));
}

void TProject::RecalcTransitions() {
    if (FRecalcHolds > 0) {
        FRecalcDue = true;
        return;
    }
    FRecalcDue = false;
    if (FPhaseList.Empty() || FCallPhaseList.Count() < 2 || FAllRedPhaseList.Count() < 3)
        return; // only while the lists are being rebuilt
    TPhase* first = FPhaseList.Items(0);
    TPhase* last = FPhaseList.Items(FPhaseList.Count() - 1);
    ComputeTransitions(FPhaseList);
    Assign(FCallPhaseList.Items(0), last);
    Assign(FCallPhaseList.Items(FCallPhaseList.Count() - 1), first);
    ComputeTransitions(FCallPhaseList);
    Assign(FAllRedPhaseList.Items(0), last);
    Assign(FAllRedPhaseList.Items(2), first);
    ComputeTransitions(FAllRedPhaseList);
}

TPhase* TProject::Successor(const TPhase* phase) const {
    const TSafeObjList<TPhase>* list = ListOf(phase);
    if (list == nullptr)
        NoOwner();
    const int i = list->IndexOf(phase);
    return list->Items(i + 1 < list->Count() ? i + 1 : 0);
}

TSignalState TProject::TrendSignal(const TPhase* phase, const TTrend* signal, int k) const {
    const TPhase* next = Successor(phase);
    if (signal == nullptr)
        return TSignalState::ExtraRed;
    if (k < 0)
        return PhaseSignal(phase->IsGreen(signal));
    if (k >= phase->StepCount())
        throw EModelError(Format("Incorrect Step number %d", k));
    return signal->Group()->GetSignal(signal, phase->StepStart(k), phase->FTrends, next->FTrends);
}

void TProject::TrendGroupChanged(TTrendGroup* group, bool created) {
    TSafeObjList<TPhase>* lists[] = {&FPhaseList, &FCallPhaseList, &FAllRedPhaseList};
    if (created) {
        for (auto* list : lists)
            for (TPhase* phase : *list)
                group->UpdatePhaseTrends(phase->FTrends);
    } else {
        // Removing every signal of the direction and then letting the
        // remaining directions restore their derived signals once gives the
        // same sets as doing it signal by signal, with one recomputation.
        for (auto* list : lists)
            for (TPhase* phase : *list) {
                for (TTrend* s : group->Trends())
                    phase->FTrends.Remove(s);
                for (const TTrendGroup* g : FTrendGroupList)
                    g->UpdatePhaseTrends(phase->FTrends);
            }
    }
    RecalcTransitions();
}

} // namespace tralcon
