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

// Where a program installed in <prefix>/bin keeps the files it only reads:
// <prefix>/share/tralcon.
std::string InstalledDataDir(const std::string& programDir);
// An installed program is one whose data folder exists. It never writes
// beside itself, even when it could (run as root from /usr/bin).
bool IsInstalledProgram(const std::string& programDir);

// A library of the program loaded at run time (the programmer, the viewer):
// beside the program, else in <prefix>/<libdir>/tralcon of the installation
// this build makes; when neither has it, the path beside the program.
std::string FindProgramLibrary(const std::string& programDir, const std::string& name);

// A file or folder the program reads (the catalogue, the help file, the
// passport template): beside the program (the build tree, a copied folder),
// else in the installed data folder. When neither has it, where it belongs
// (the data folder of an installed program, else beside the program), so a
// "not found" message names the right place.
std::string FindProgramData(const std::string& programDir, const std::string& name);

// "NVT-3.ini": beside the program when that folder can be written and the
// program is not an installed one, otherwise in the user's configuration
// folder.
std::string SettingsFilePath(const std::string& programDir);

// Creates a folder and its parents; true when it exists afterwards.
bool MakeDirs(const std::string& dir);

} // namespace tralcon
