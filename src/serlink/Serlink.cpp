// The entry points of libSerlink.so. Only these two names leave the library;
// everything else is hidden (see CMakeLists.txt).

#include "serlink/Serlink.h"

#include "serlink/SerlinkEnv.h"
#include "serlink/Unit1.h"

#include <QApplication>
#include <QThread>

#include <cerrno>
#include <dlfcn.h>
#include <functional>
#include <memory>

namespace tralcon {

namespace {

// One call at a time: the window and its state are single instances.
bool GInCall = false;

// The platform's last error for a failure that reached the entry point;
// never 0, which would read as success.
std::int32_t FailureCode(int error) {
    return error != 0 ? error : -1;
}

// Qt keeps things the library made beyond one call: the widgets' shared
// styles parented to the application, type registrations, and, when the
// library started Qt itself, Qt's exit handlers and thread data. Unloading
// the code behind them crashes the program when the application ends. So
// the library stays loaded for the rest of the process once it has been
// used; every call still starts from a fresh window and state.
void KeepLoaded() {
    static bool kept = false;
    if (kept)
        return;
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ExportData), &info) != 0 && info.dli_fname != nullptr)
        kept = ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
}

// The caller's QApplication, or one of the library's own for this call when
// the caller runs no Qt.
class TApplicationScope {
  public:
    TApplicationScope() {
        KeepLoaded();
        if (QCoreApplication::instance() != nullptr)
            return;
        // QApplication keeps references to both for its whole life.
        static int argc = 1;
        static char name[] = "Serlink";
        static char* argv[] = {name, nullptr};
        FOwn = std::make_unique<QApplication>(argc, argv);
    }
    // Windows need a QApplication (not a bare QCoreApplication) and its
    // thread.
    bool Usable() const {
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        return app != nullptr && QThread::currentThread() == app->thread();
    }

  private:
    std::unique_ptr<QApplication> FOwn;
};

std::int32_t RunWindow(const std::function<void(TForm1&)>& prepare) {
    if (GInCall)
        return TProgrammer::rcNotDone;
    GInCall = true;
    std::int32_t result = TProgrammer::rcNotDone;
    try {
        TApplicationScope app;
        if (!app.Usable()) {
            result = FailureCode(EPERM);
        } else {
            auto form = std::make_unique<TForm1>(serlink::SettingsPath());
            form->FillPortList();
            prepare(*form);
            form->SetAutomation(serlink::AutomationFromEnvironment());
            form->exec();
            result = form->ResultCode();
        }
    } catch (...) {
        result = FailureCode(errno);
    }
    GInCall = false;
    return result;
}

} // namespace

} // namespace tralcon

extern "C" __attribute__((visibility("default"))) std::int32_t ExportData(const std::uint8_t* data,
                                                                          std::int32_t length) {
    return tralcon::RunWindow([&](tralcon::TForm1& form) { form.PrepareExport(data, length); });
}

extern "C" __attribute__((visibility("default"))) std::int32_t
ImportData(std::uint8_t* buffer, const std::int32_t* size) {
    if (size != nullptr && *size < std::int32_t(tralcon::MaxImageSize))
        return tralcon::TProgrammer::rcDone;
    // Nowhere to put the flash: nothing can be done.
    if (size == nullptr || buffer == nullptr)
        return tralcon::TProgrammer::rcNotDone;
    return tralcon::RunWindow([&](tralcon::TForm1& form) { form.PrepareImport(buffer); });
}
