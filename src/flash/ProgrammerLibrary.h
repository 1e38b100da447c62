#pragma once
// The programmer library (libSerlink.so), loaded from the program's folder
// for a programming run. Once used, the library keeps itself loaded for the
// rest of the process (Qt holds objects it made); each call still starts
// from a fresh window and fresh protocol state.

#include "flash/FlashImage.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tralcon {

inline constexpr const char* kProgrammerLibraryName = "libSerlink.so";

// The library's path in a folder (the program's own by default).
std::string ProgrammerLibraryPath(const std::string& dir);
// The library the program at programDir uses: beside it (the build tree), else
// in the private library folder of an installed program
// (<prefix>/<libdir>/tralcon). The place beside the program when neither has it.
std::string FindProgrammerLibrary(const std::string& programDir);
// Whether the program finds the library: the export action is enabled by
// this, once, at start-up.
bool SerlinkAvailable();
bool SerlinkAvailable(const std::string& programDir);

// A loaded library and its entry points; the handle is closed when this is
// destroyed, though a library that has run stays in memory.
class TProgrammerLibrary {
  public:
    explicit TProgrammerLibrary(const std::string& path);
    ~TProgrammerLibrary();
    TProgrammerLibrary(const TProgrammerLibrary&) = delete;
    TProgrammerLibrary& operator=(const TProgrammerLibrary&) = delete;

    // The library loaded and ExportData found in it.
    bool Loaded() const { return FExportData != nullptr; }
    bool HasImportData() const { return FImportData != nullptr; }
    // Why the library could not be used (the loader's message).
    const std::string& Error() const { return FError; }

    // Run the library's window; they return its result code. An image
    // longer than a 32-bit length is handed over as long as that allows (the
    // library takes at most 2048 bytes anyway). Call only when Loaded (and
    // HasImportData).
    std::int32_t ExportData(const TBytes& image) const;
    std::int32_t ImportData(std::uint8_t* buffer, std::int32_t size) const;

  private:
    void* FHandle = nullptr;
    void* FExportData = nullptr;
    void* FImportData = nullptr;
    std::string FError;
};

// Loads the library from programDir, hands the image to ExportData and
// releases the library. None, with nothing done, when the library or its
// entry point is missing; the library's result code otherwise.
std::optional<std::int32_t> ProgramController(const TBytes& image);
std::optional<std::int32_t> ProgramController(const TBytes& image, const std::string& programDir);

} // namespace tralcon
