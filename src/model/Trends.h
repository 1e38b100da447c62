#pragma once
// Controllers of a project and their outputs. Directions and their signals
// bind to these outputs.

#include "model/NVTTypes.h"
#include "model/SafeLists.h"

#include <cstdint>

namespace tralcon {

class TController;
class TTrendGroup;

class TControllerOutput {
public:
    TControllerOutput(TController* controller, const TModelOutput* modelOutput)
        : Controller(controller), ModelOutput(modelOutput) {}
    TController* Controller;
    TTrendGroup* Owner = nullptr; // the direction bound to this output, if any
    const TModelOutput* ModelOutput;
};

class TController {
public:
    // A new controller of the model.
    explicit TController(const TModel* model);
    // A stored controller: its model by identifier ("Model not found" when
    // the catalogue lacks it) and its flags byte as stored.
    TController(const TConfiguration& config, std::int32_t modelID, std::uint8_t flags);

    TControllerOutput* ControllerOutputAt(int i) const { return Outputs.Items(i); }
    int OutputIndex(const TControllerOutput* o) const { return Outputs.IndexOf(o); }
    void SetLampType(bool led) { Flags = static_cast<std::uint8_t>((Flags & ~1u) | (led ? 1u : 0u)); }
    bool IsLed() const { return (Flags & 1u) != 0; }
    bool ControllerIsFree() const;

    const TModel* Model;
    TSafeObjList<TControllerOutput> Outputs{true};
    std::uint8_t Flags = 0; // bit 0: LED lamps; the rest kept as stored

private:
    void CreateOutputs();
};

} // namespace tralcon
