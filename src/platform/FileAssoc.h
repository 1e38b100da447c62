#pragma once
// Tells the desktop that "*.NVT" files are Tralcon projects and open with
// this program. Runs on every start; every failure is ignored.

#include <string>

namespace tralcon {

// Writes the shared-mime-info package and the .desktop entry under dataHome
// (the user's data folder) for the program at exePath. Returns true when both
// files are in place; callers ignore the result.
bool RegisterFileType(const std::string& exePath, const std::string& dataHome);

} // namespace tralcon
