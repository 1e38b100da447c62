#pragma once
// Compiles one controller's flash image from the project. The compiler only
// reads the model.

#include "flash/FlashImage.h"
#include "model/Project.h"

namespace tralcon {

// The lamp outputs of signal kinds (rows) in each signal state (columns),
// as sets of output slots: lit, and of those, flashing.
extern const std::uint8_t LampOnTable[kTrendKindCount][kSignalStateCount];
extern const std::uint8_t LampBlinkTable[kTrendKindCount][kSignalStateCount];

// The image of controller controllerIndex (0-based) of the project, with the
// given ProjectOptions bits. Throws EModelError for a controller the project
// does not have, and EUserError for a project whose plans or cycles do not
// fit the image's fields (more than 63 year plan periods, 84 items of a day
// plan, 236 cycles).
TBytes BuildFlashImage(const TProject& project, int controllerIndex, std::uint8_t options);

// The images of every controller, in controller order.
std::vector<TBytes> BuildFlashImages(const TProject& project);

} // namespace tralcon
