#include "model/NVTTypes.h"

namespace tralcon {

TModel::TModel(std::string caption, std::uint8_t controllerID, std::int32_t id,
               const TIntegerList* red, const TIntegerList* yellow, const TIntegerList* green,
               const TIntegerList* universal, std::uint32_t powerMask)
    : Caption(std::move(caption)), PowerMask(powerMask), ID(id), ControllerID(controllerID) {
    auto append = [this](const TIntegerList* list, std::uint8_t flags) {
        if (list == nullptr)
            return;
        for (int i = 0; i < list->Count(); ++i) {
            auto v = static_cast<std::uint32_t>(list->Items(i));
            std::uint8_t f = flags;
            if ((v & PowerMask) == v)
                f |= ofPowered;
            Outputs.Add(new TModelOutput(v, f, i + 1));
        }
    };
    append(red, ofRed);
    append(yellow, ofYellow);
    append(green, ofGreen);
    append(universal, ofUniversal);
}

std::string ModelOutputName(const TModelOutput* o) {
    const char* letter;
    if ((o->Flags & ofRed) && (o->Flags & ofGreen))
        letter = "у";
    else if (o->Flags & ofRed)
        letter = "к";
    else if (o->Flags & ofGreen)
        letter = "з";
    else
        letter = "ж";
    return std::to_string(o->Number) + letter;
}

const TModel* TConfiguration::FindModel(std::int32_t id) const {
    for (const TModel* m : ModelList)
        if (m->ID == id)
            return m;
    return nullptr;
}

} // namespace tralcon
