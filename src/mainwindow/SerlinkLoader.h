#pragma once
// The programmer library, loaded from the program's own folder for one
// programming run and released after it.

#include "flash/FlashImage.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tralcon {

inline constexpr const char* kSerlinkFileName = "libSerlink.so";

std::string SerlinkPath(const std::string& programDir);
bool SerlinkPresent(const std::string& programDir);

// Loads the library, looks up ExportData, builds the image (only once the
// library and its entry are there), hands the bytes over and releases the
// library, also when the build or the call throws. None when the library or
// its entry is missing: then nothing is built or programmed. The image stays
// the caller's: the library copies what it needs before it shows its window.
std::optional<std::int32_t> ProgramWithSerlink(const std::string& programDir,
                                               const std::function<TBytes()>& buildImage);

} // namespace tralcon
