#include "model/Project.h"

#include "model/Errors.h"

namespace tralcon {

TProject::TProject(const TConfiguration& config)
    : FConfig(&config), FFlashCycle(std::make_unique<TCycle>("ЖМ")),
      FOffCycle(std::make_unique<TCycle>("ОС")) {
    OnTrendGroupChanged = [this](TTrendGroup* group, bool created) {
        TrendGroupChanged(group, created);
    };
    OnTimesChanged = [this] { RecalcTransitions(); };
    NewProject();
}

TProject::~TProject() {
    OnTrendGroupChanged = nullptr;
    OnTimesChanged = nullptr;
    FreeContent();
}

void TProject::FreeContent() {
    // Items before the objects they name: each item gives its reference back.
    FYearPlan.reset();
    FWeekPlanList.Clear();
    FDayPlanList.Clear();
    FCycleList.Clear();
    // Phases before directions, so no phase needs updating any more; the
    // directions release their outputs while the controllers still exist.
    FPhaseList.Clear();
    FCallPhaseList.Clear();
    FAllRedPhaseList.Clear();
    ClearTrendGroups();
    FControllerList.Clear();
}

// ---- New project -----------------------------------------------------------------

void TProject::NewProject() {
    FreeContent();
    ResetPhases();
    ClearCycles();
    FProjectName = kDefaultProjectName;
    FSystemID = 1;
    ResetPlansAndOptions();
}

void TProject::NewProject(const TModel* model) {
    NewProject();
    CreateController(model);
}

void TProject::ResetPlansAndOptions() {
    FYearPlan.reset();
    FWeekPlanList.Clear();
    FDayPlanList.Clear();
    ClearDayPlans();
    ClearWeekPlans();
    CreateYearPlan();
    FProjectOptions = 0;
    SetAllRedTime(3);
}

// ---- Controllers -----------------------------------------------------------

TController* TProject::CreateController(const TModel* model) {
    if (model == nullptr)
        return nullptr;
    auto* c = new TController(model);
    FControllerList.Add(c);
    return c;
}

TController* TProject::CreateController(std::int32_t modelID, std::uint8_t flags) {
    auto* c = new TController(*FConfig, modelID, flags);
    FControllerList.Add(c);
    return c;
}

TController* TProject::ControllerAt(int i) const {
    if (i < 0 || i >= FControllerList.Count())
        return nullptr;
    return FControllerList.Items(i);
}

bool TProject::CanDeleteController(int i) const {
    return FControllerList.Count() > 1 && i >= 0 && i < FControllerList.Count() &&
           FControllerList.Items(i)->ControllerIsFree();
}

bool TProject::DeleteController(int i) {
    // A bound output would leave its direction pointing at a freed output.
    if (!CanDeleteController(i))
        return false;
    FControllerList.Delete(i);
    return true;
}

bool TProject::HasFreeOutput() const {
    for (const TController* c : FControllerList)
        for (const TControllerOutput* o : c->Outputs)
            if (o->Owner == nullptr)
                return true;
    return false;
}

TControllerOutput* TProject::FindFreeOutput(int slot) const {
    static constexpr std::uint8_t forRed[] = {ofRed, ofYellow, ofGreen};
    static constexpr std::uint8_t forGreen[] = {ofGreen, ofYellow, ofRed};
    static constexpr std::uint8_t forOther[] = {ofYellow, ofRed, ofGreen};
    const std::uint8_t* order = slot == 0 ? forRed : (slot == 2 ? forGreen : forOther);
    for (int k = 0; k < 3; ++k) {
        const std::uint8_t capability = order[k];
        for (TController* c : FControllerList)
            for (TControllerOutput* o : c->Outputs)
                if (o->Owner == nullptr && (o->ModelOutput->Flags & capability) == capability)
                    return o;
    }
    return nullptr;
}

std::string TProject::OutputName(const TControllerOutput* o) const {
    if (o == nullptr)
        return {};
    std::string name = ModelOutputName(o->ModelOutput);
    if (FControllerList.Count() == 1)
        return name;
    return std::to_string(FControllerList.IndexOf(o->Controller) + 1) + "-" + name;
}

bool TProject::OwnsOutput(const TControllerOutput* o) const {
    return o != nullptr && FControllerList.Contains(o->Controller) &&
           o->Controller->Outputs.Contains(o);
}

// ---- Settings and call phases ------------------------------------------------

void TProject::SetAllRedTime(std::uint8_t v) {
    FAllRedTime = v;
    SetPhaseMinTime(AllRedPhase(), v);
}

namespace {
std::uint8_t WithBit(std::uint8_t options, std::uint8_t bit, bool on) {
    return static_cast<std::uint8_t>(on ? (options | bit) : (options & ~bit));
}
} // namespace

void TProject::SetRedBlink(bool flag) {
    FProjectOptions = WithBit(FProjectOptions, poRedBlink, flag);
}

void TProject::SetQuickStart(bool flag) {
    FProjectOptions = WithBit(FProjectOptions, poQuickStart, flag);
}

void TProject::SetQuickCall(bool flag) {
    FProjectOptions = WithBit(FProjectOptions, poQuickCall, flag && FCallPhaseList.Count() >= 3);
}

bool TProject::CallPhasesEnabled() const {
    return CallTrend() != nullptr && FCallPhaseList.Count() >= 3;
}

void TProject::EnableCallPhases(bool flag) {
    if (flag) {
        TPhase* entry = FCallPhaseList.Items(0);
        Assign(entry, FPhaseList.Items(FPhaseList.Count() - 1));
        Assign(FCallPhaseList.Items(FCallPhaseList.Count() - 1), FPhaseList.Items(0));
        while (FCallPhaseList.Count() < 3) {
            // The first call phase: the last working phase plus the call signal.
            TPhase* phase = NewPhase();
            Assign(phase, entry);
            FCallPhaseList.Insert(1, phase);
            if (TTrend* call = CallTrend())
                SetPhaseTrend(phase, call, true);
        }
    } else {
        while (FCallPhaseList.Count() > 2)
            FCallPhaseList.Delete(1);
    }
    if (FRecalcHolds > 0)
        FRecalcDue = true;
    else
        ComputeTransitions(FCallPhaseList);
}

void TProject::SwitchCallPhases(bool on) {
    if (on) {
        if (CallPhasesEnabled())
            return;
        if (CallTrend() == nullptr)
            AddTrendGroup(kCallKind);
        EnableCallPhases(true);
    } else {
        if (CallTrend() == nullptr && FCallPhaseList.Count() <= 2)
            return;
        RemoveCallGroups();
        SetRedBlink(false);
        EnableCallPhases(false);
    }
}

} // namespace tralcon
