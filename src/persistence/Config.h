#pragma once
// "NVT-3.cfg" (the catalogue of controller models and the general switches)
// and the recent-files section of "NVT-3.ini".

#include "model/NVTTypes.h"
#include "platform/IniFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tralcon {

inline constexpr const char* kConfigFileName = "NVT-3.cfg";
inline constexpr const char* kSettingsFileName = "NVT-3.ini";

// Hexadecimal digits only; any other character (a blank included) gives 0.
std::uint64_t ParseHex(std::string_view text);

// A comma-separated list of ParseHex numbers. Only the part after each comma
// is trimmed, so a blank before a comma turns that element into 0.
TIntegerList ParseHexList(std::string_view value);

// Reads the catalogue from a configuration file. Throws EUserError with
// "Файл %s не найден" or "Файл %s имеет неправильный формат\r\nили поврежден"
// (%s the bare file name).
std::unique_ptr<TConfiguration> LoadConfiguration(const std::string& path);
std::unique_ptr<TConfiguration> LoadConfiguration(const TIniFile& ini,
                                                  const std::string& fileName);

// The configuration file the program uses when none is named: beside the
// program, else in the installed data folder.
std::string DefaultConfigurationPath(const std::string& programDir);

// The surviving paths of section Recent, oldest first. A missing file or
// section gives none.
std::vector<std::string> LoadRecentFiles(
    const std::string& iniPath,
    const std::function<bool(const std::string&)>& exists);

// Writes section Recent: the newest path gets the highest key. Keys are only
// written, never deleted. False (with the reason) when the file cannot be
// written; every other line of the file stays as it was.
bool SaveRecentFiles(const std::string& iniPath, const std::vector<std::string>& newestFirst,
                     std::string* error);

} // namespace tralcon
