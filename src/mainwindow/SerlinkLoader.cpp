#include "mainwindow/SerlinkLoader.h"

#include "platform/FileIO.h"

#include <dlfcn.h>

#include <limits>

namespace tralcon {

namespace {

using TExportData = std::int32_t (*)(const std::uint8_t* data, std::int32_t length);

class TLibrary {
  public:
    explicit TLibrary(const std::string& path)
        : FHandle(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~TLibrary() {
        if (FHandle != nullptr)
            ::dlclose(FHandle);
    }
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;
    bool Loaded() const { return FHandle != nullptr; }
    void* Symbol(const char* name) const { return ::dlsym(FHandle, name); }

  private:
    void* FHandle;
};

} // namespace

std::string SerlinkPath(const std::string& programDir) {
    return JoinPath(programDir, kSerlinkFileName);
}

bool SerlinkPresent(const std::string& programDir) {
    return FileExists(SerlinkPath(programDir));
}

std::optional<std::int32_t> ProgramWithSerlink(const std::string& programDir,
                                               const std::function<TBytes()>& buildImage) {
    TLibrary lib(SerlinkPath(programDir));
    if (!lib.Loaded())
        return std::nullopt;
    auto exportData = reinterpret_cast<TExportData>(lib.Symbol("ExportData"));
    if (exportData == nullptr)
        return std::nullopt;
    const TBytes image = buildImage();
    const auto length = static_cast<std::int32_t>(
        std::min<std::size_t>(image.size(), std::numeric_limits<std::int32_t>::max()));
    return exportData(image.data(), length);
}

} // namespace tralcon
