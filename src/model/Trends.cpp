#include "model/Trends.h"

#include "model/Errors.h"

namespace tralcon {

TController::TController(const TModel* model) : Model(model) { CreateOutputs(); }

TController::TController(const TConfiguration& config, std::int32_t modelID, std::uint8_t flags)
    : Model(config.FindModel(modelID)), Flags(flags) {
    if (Model == nullptr)
        throw EModelError("Model not found");
    CreateOutputs();
}

void TController::CreateOutputs() {
    for (int i = 0; i < Model->ModelOutputCount(); ++i)
        Outputs.Add(new TControllerOutput(this, Model->ModelOutputAt(i)));
}

bool TController::ControllerIsFree() const {
    for (const TControllerOutput* o : Outputs)
        if (o->Owner != nullptr)
            return false;
    return true;
}

} // namespace tralcon
