#include "flash/ProgrammerLibrary.h"

#include "platform/AppPaths.h"
#include "platform/FileIO.h"

#include <dlfcn.h>

#include <algorithm>
#include <limits>

namespace tralcon {

namespace {

using TExportData = std::int32_t (*)(const std::uint8_t* data, std::int32_t length);
using TImportData = std::int32_t (*)(std::uint8_t* buffer, const std::int32_t* size);

} // namespace

std::string ProgrammerLibraryPath(const std::string& dir) {
    return JoinPath(dir, kProgrammerLibraryName);
}

bool SerlinkAvailable() {
    return SerlinkAvailable(ProgramDir());
}

std::string FindProgrammerLibrary(const std::string& programDir) {
    return FindProgramLibrary(programDir, kProgrammerLibraryName);
}

bool SerlinkAvailable(const std::string& programDir) {
    return FileExists(FindProgrammerLibrary(programDir));
}

TProgrammerLibrary::TProgrammerLibrary(const std::string& path) {
    // A bare name would make dlopen search the library path; only the file
    // in the folder given is wanted.
    if (path.find('/') == std::string::npos) {
        FError = path + ": not a path";
        return;
    }
    FHandle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (FHandle == nullptr) {
        const char* why = ::dlerror();
        FError = why != nullptr ? why : path + ": cannot be loaded";
        return;
    }
    FExportData = ::dlsym(FHandle, "ExportData");
    FImportData = ::dlsym(FHandle, "ImportData");
    if (FExportData == nullptr)
        FError = path + ": no ExportData";
}

TProgrammerLibrary::~TProgrammerLibrary() {
    if (FHandle != nullptr)
        ::dlclose(FHandle);
}

std::int32_t TProgrammerLibrary::ExportData(const TBytes& image) const {
    const auto length = static_cast<std::int32_t>(
        std::min<std::size_t>(image.size(), std::numeric_limits<std::int32_t>::max()));
    return reinterpret_cast<TExportData>(FExportData)(image.data(), length);
}

std::int32_t TProgrammerLibrary::ImportData(std::uint8_t* buffer, std::int32_t size) const {
    return reinterpret_cast<TImportData>(FImportData)(buffer, &size);
}

std::optional<std::int32_t> ProgramController(const TBytes& image) {
    return ProgramController(image, ProgramDir());
}

std::optional<std::int32_t> ProgramController(const TBytes& image, const std::string& programDir) {
    const TProgrammerLibrary library(FindProgrammerLibrary(programDir));
    if (!library.Loaded())
        return std::nullopt;
    return library.ExportData(image);
}

} // namespace tralcon
