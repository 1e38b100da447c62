#include "model/Cycles.h"

#include "model/Project.h"

namespace tralcon {

TCycle* TProject::CycleAt(int i) const {
    if (i < 0 || i >= FCycleList.Count())
        return nullptr;
    return FCycleList.Items(i);
}

TCycle* TProject::AddCycle() {
    // The name has no number in it: every new cycle is "Новый цикл".
    auto* cycle = new TCycle("Новый цикл");
    FCycleList.Add(cycle);
    ++FCycleCounter;
    for (const auto* list : {&FPhaseList, &FCallPhaseList})
        for (TPhase* phase : *list)
            phase->FCycles.Add(phase->FMinTime);
    return cycle;
}

bool TProject::DeleteCycle(int i) {
    TCycle* cycle = CycleAt(i);
    if (cycle == nullptr || cycle->RefCount() > 0)
        return false;
    FCycleList.Delete(i);
    for (const auto* list : {&FPhaseList, &FCallPhaseList})
        for (TPhase* phase : *list)
            if (i < phase->FCycles.Count())
                phase->FCycles.Delete(i);
    return true;
}

bool TProject::ClearCycles() {
    for (const TCycle* cycle : FCycleList)
        if (cycle->RefCount() > 0)
            return false;
    FCycleList.Clear();
    FCycleCounter = 1;
    for (const auto* list : {&FPhaseList, &FCallPhaseList, &FAllRedPhaseList})
        for (TPhase* phase : *list)
            phase->FCycles.Clear();
    return true;
}

void TProject::SetCycleName(TCycle* cycle, std::string name) {
    if (cycle != nullptr)
        cycle->SetName(std::move(name));
}

bool TProject::IsProjectCycle(const TLinkedObject* object) const {
    if (object == nullptr)
        return false;
    if (object == FFlashCycle.get() || object == FOffCycle.get())
        return true;
    for (const TCycle* cycle : FCycleList)
        if (cycle == object)
            return true;
    return false;
}

} // namespace tralcon
