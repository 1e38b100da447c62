#pragma once
// The bundled sample: a believable crossroad built through the model's own
// operations, so it always matches what the program itself would make.

#include "model/Project.h"
#include "scheme/SchemeDocument.h"

namespace tralcon::cli {

// Fills project and scheme with the sample crossroad. Needs a catalogue
// model with at least 12 red-capable, 6 yellow and 12 green-capable outputs
// (the largest model of the catalogue is taken).
void BuildSampleProject(TProject& project, TSchemeDocument& scheme);

} // namespace tralcon::cli
