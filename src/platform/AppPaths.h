#pragma once
// Where the program lives and where it keeps the user's files.

#include <string>

namespace tralcon {

// The folder of the running executable.
std::string ProgramDir();
std::string ProgramPath();

// True when the folder lies on a read-only file system (the program was
// started from a disc or a read-only mount): nothing is written beside it.
bool IsOnReadOnlyFileSystem(const std::string& dir);

// $XDG_DATA_HOME or ~/.local/share; $XDG_CONFIG_HOME or ~/.config.
std::string UserDataDir();
std::string UserConfigDir();

// "NVT-3.ini": beside the program when that folder can be written, otherwise
// in the user's configuration folder.
std::string SettingsFilePath(const std::string& programDir);

// Creates a folder and its parents; true when it exists afterwards.
bool MakeDirs(const std::string& dir);

} // namespace tralcon
