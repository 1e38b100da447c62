#pragma once
// The check of what goes to the street: each controller's compiled image is
// read back and every state of it (phases, intermediate steps, the all-red
// and call sequences) decoded through the lamp tables into what each
// signal shows. The verdicts come from those lamps, not from the model that
// compiled them: two streams the project says conflict must never be
// released together, a released stream must be closed through its
// clearance, and the clearance times must hold the limits.

#include "flash/FlashImage.h"
#include "model/NVTTypes.h"

#include <string>
#include <vector>

namespace tralcon {

class TProject;

enum class TFindingLevel { Error, Warning, Info };

struct TFinding {
    TFindingLevel Level = TFindingLevel::Error;
    std::string Text; // Russian, one line
    int Phase = -1;   // the phase it names (PhaseAt index), -1 for none
    int Row = -1;     // the signal row it names, -1 for none
};

// "ошибка", "предупреждение", "сведение".
const char* FindingLevelName(TFindingLevel level);

// Checks the program of the images (one per controller, as BuildFlashImage
// makes them) against the project's signals, bindings and conflicts.
std::vector<TFinding> CheckSignalProgram(const TProject& project, const std::vector<TBytes>& images,
                                         const TCheckThresholds& limits);

// Compiles every controller's image and checks them; an image that cannot
// be compiled is an error finding of its own.
std::vector<TFinding> CheckProject(const TProject& project, const TCheckThresholds& limits);

bool HasErrors(const std::vector<TFinding>& findings);

} // namespace tralcon
