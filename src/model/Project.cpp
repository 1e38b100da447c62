#include "model/Project.h"

namespace tralcon {

TController* TProject::CreateController(const TModel* model) {
    auto* c = new TController(model);
    ControllerList.Add(c);
    return c;
}

bool TProject::CanDeleteController(int i) const {
    return ControllerList.Count() > 1 && i >= 0 && i < ControllerList.Count() &&
           ControllerList.Items(i)->ControllerIsFree();
}

void TProject::DeleteController(int i) { ControllerList.Delete(i); }

bool TProject::HasFreeOutput() const {
    for (const TController* c : ControllerList)
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
        for (TController* c : ControllerList)
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
    if (ControllerList.Count() == 1)
        return name;
    return std::to_string(ControllerList.IndexOf(o->Controller) + 1) + "-" + name;
}

} // namespace tralcon
