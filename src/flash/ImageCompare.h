#pragma once
// Compares what a controller holds with what its project compiles to, record
// by record, and says what differs in the words of the project's editors
// (phases, cycles, plans), not as byte offsets.

#include "flash/FlashImage.h"
#include "flash/ImageReader.h"

#include <string>
#include <vector>

namespace tralcon {

// Texts of the comparison.
inline constexpr const char* kImagesEqual = "Контроллер соответствует проекту";
inline constexpr const char* kForeignImage = "образ другого проекта";

// The differences between the controller's image and the project's, each
// one line ("фаза 3: минимальное время 12 с в контроллере, 15 с в
// проекте"). When the images belong to different projects (system number,
// controller model or position, or the layout of states differ), the only
// line begins with kForeignImage and names what does not match. Empty when
// the images are the same.
std::vector<std::string> CompareFlashImages(const TImageDescription& controller,
                                            const TImageDescription& project);

enum class TCompareOutcome { Equal, Different, Unusable };

struct TComparison {
    TCompareOutcome Outcome = TCompareOutcome::Unusable;
    std::vector<std::string> Differences;
    std::string Error; // why the controller's bytes could not be read
};

// Reads both images (the controller's may be a whole flash read back or a
// padded file) and compares them. A damaged controller image is Unusable.
TComparison CompareWithProject(const TBytes& controller, const TBytes& project);

// The report shown to the user: the equality text, or the differences one a
// line under a heading.
std::string ComparisonReport(const TComparison& comparison);

} // namespace tralcon
