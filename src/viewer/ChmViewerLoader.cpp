// Loads the viewer library on first use and keeps it loaded: its windows and
// WebEngine's threads live as long as the program.

#include "viewer/ChmViewer.h"

#include "platform/AppPaths.h"
#include "platform/FileIO.h"

#include <QString>

#include <dlfcn.h>

namespace tralcon {

namespace {

void* Entry(const char* name, std::string* error) {
    static void* library = nullptr;
    if (library == nullptr) {
        const std::string path = FindProgramLibrary(ProgramDir(), kViewerLibraryName);
        library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char* why = ::dlerror();
            if (error)
                *error =
                    "Не удалось загрузить программу просмотра " + path + ": " + (why ? why : "");
            return nullptr;
        }
    }
    void* entry = ::dlsym(library, name);
    if (entry == nullptr && error)
        *error = std::string("В программе просмотра нет функции ") + name;
    return entry;
}

} // namespace

bool ShowChm(QWidget* parent, const QString& chmPath, const QString& page, QString* error) {
    std::string why;
    auto show = reinterpret_cast<TShowChmEntry>(Entry(kShowChmEntry, &why));
    if (show == nullptr) {
        if (error)
            *error = QString::fromStdString(why);
        return false;
    }
    return show(parent, &chmPath, &page, error);
}

bool PrintChmToPdf(const std::string& chmPath, const std::string& page, const std::string& pdfPath,
                   std::string* error) {
    auto print = reinterpret_cast<TPrintChmEntry>(Entry(kPrintChmEntry, error));
    return print != nullptr && print(chmPath.c_str(), page.c_str(), pdfPath.c_str(), error);
}

} // namespace tralcon
