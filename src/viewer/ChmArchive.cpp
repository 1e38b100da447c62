#include "viewer/ChmArchive.h"

#include <chm_lib.h>

namespace tralcon {

TChmArchive::TChmArchive(const std::string& path) : FFile(chm_open(path.c_str())) {}

TChmArchive::~TChmArchive() {
    if (FFile != nullptr)
        chm_close(FFile);
}

std::vector<std::string> TChmArchive::Files() const {
    std::vector<std::string> files;
    if (FFile == nullptr)
        return files;
    chm_enumerate(
        FFile, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES,
        [](chmFile*, chmUnitInfo* ui, void* context) {
            static_cast<std::vector<std::string>*>(context)->push_back(ui->path);
            return CHM_ENUMERATOR_CONTINUE;
        },
        &files);
    return files;
}

bool TChmArchive::Read(const std::string& path, std::string* bytes) const {
    if (FFile == nullptr || path.empty() || path.size() > CHM_MAX_PATHLEN)
        return false;
    const std::string object = path[0] == '/' ? path : "/" + path;
    chmUnitInfo ui{};
    if (chm_resolve_object(FFile, object.c_str(), &ui) != CHM_RESOLVE_SUCCESS)
        return false;
    // A passport is small; anything beyond this is not a file we made.
    constexpr LONGUINT64 kMax = 256u << 20;
    if (ui.length > kMax)
        return false;
    bytes->assign(static_cast<std::size_t>(ui.length), '\0');
    if (ui.length == 0)
        return true;
    const LONGINT64 got =
        chm_retrieve_object(FFile, &ui, reinterpret_cast<unsigned char*>(bytes->data()), 0,
                            static_cast<LONGINT64>(ui.length));
    return got == static_cast<LONGINT64>(ui.length);
}

} // namespace tralcon
