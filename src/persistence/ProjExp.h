#pragma once
// The project file (".NVT"): a 101-byte header with the position of every
// section, the sections, the background picture and the scheme section, and
// a CRC-16/KERMIT trailer over all of it.

#include "model/Project.h"
#include "scheme/SchemeDocument.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tralcon {

inline constexpr std::size_t kProjectHeaderSize = 101;
inline constexpr std::size_t kProjectNameBytes = 40; // plus a terminating zero

// The bytes of a project file. Names are written in code page 1251:
// characters it lacks become "?", and a name is cut to 40 characters.
// Throws EUserError when a list is longer than the file's one-byte counts
// can say, and EModelError when the scheme does not have the project's rows.
std::vector<std::uint8_t> SaveProjectToBytes(const TProject& project,
                                             const TSchemeDocument& scheme);

// Writes the file through a temporary file renamed over the target, so a
// failed save leaves the previous file whole. Throws EUserError saying which
// file and why.
void SaveProject(const std::string& path, const TProject& project, const TSchemeDocument& scheme);

struct TLoadedProject {
    std::unique_ptr<TProject> Project;
    std::unique_ptr<TSchemeDocument> Scheme;
};

// Reads a whole project into a new project object; nothing else changes, so
// a damaged file leaves whatever the caller holds as it was. Throws
// EUserError "Файл %s поврежден или имеет неправильный формат" (with a
// detail where the damage is) and EModelError "Model not found" for a
// controller model the catalogue lacks.
TLoadedProject LoadProjectFromBytes(const std::uint8_t* data, std::size_t size,
                                    const TConfiguration& config, const std::string& path);
TLoadedProject LoadProject(const std::string& path, const TConfiguration& config);

} // namespace tralcon
