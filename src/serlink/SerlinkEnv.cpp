#include "serlink/SerlinkEnv.h"

#include "platform/AppPaths.h"
#include "platform/FileIO.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string_view>
#include <tuple>

namespace tralcon::serlink {

namespace {

std::string Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return std::string(s);
}

// "ttyS2" before "ttyS10": the number after the family name counts as a
// number.
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1])))
            --i;
        unsigned long n = 0;
        const bool hasNumber = i < s.size() && s.size() - i < 10;
        if (hasNumber)
            std::from_chars(s.data() + i, s.data() + s.size(), n);
        return std::make_tuple(s.substr(0, i), hasNumber ? n : 0ul, s);
    };
    return split(a) < split(b);
}

} // namespace

std::string SettingsPath() {
    if (const char* path = std::getenv(kSettingsEnv); path != nullptr && *path != '\0')
        return path;
    return SettingsFilePath(ProgramDir());
}

std::vector<std::string> CandidatePorts(const std::string& namedDevices,
                                        const std::string& devDir) {
    std::vector<std::string> ports;
    auto add = [&](const std::string& path) {
        if (!path.empty() && std::find(ports.begin(), ports.end(), path) == ports.end())
            ports.push_back(path);
    };
    std::string_view rest = namedDevices;
    while (!rest.empty()) {
        const std::size_t sep = rest.find(';');
        add(Trim(rest.substr(0, sep)));
        rest = sep == std::string_view::npos ? std::string_view() : rest.substr(sep + 1);
    }

    static const char* const kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};
    std::vector<std::string> found;
    if (DIR* dir = ::opendir(devDir.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            for (const char* family : kFamilies) {
                const std::size_t n = std::strlen(family);
                if (name.size() > n && name.compare(0, n, family) == 0 &&
                    std::all_of(name.begin() + long(n), name.end(),
                                [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
                    found.push_back(name);
            }
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end(), NaturalLess);
    for (const std::string& name : found)
        add(JoinPath(devDir, name));

    // udev's names of USB adapters by their serial number stay the same
    // whichever ttyUSB number the adapter gets when it is plugged in.
    const std::string byId = JoinPath(devDir, "serial/by-id");
    std::vector<std::string> stable;
    if (DIR* dir = ::opendir(byId.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                stable.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(stable.begin(), stable.end(), NaturalLess);
    for (const std::string& name : stable)
        add(JoinPath(byId, name));
    return ports;
}

TAutomation AutomationFromValues(const char* autoRun, const char* closeAfter) {
    TAutomation a;
    if (autoRun != nullptr) {
        const std::string_view v = autoRun;
        if (v == "program")
            a.Run = TAutoRun::Program;
        else if (v == "read")
            a.Run = TAutoRun::Read;
        else if (v == "readtime")
            a.Run = TAutoRun::ReadTime;
        else if (v == "settime")
            a.Run = TAutoRun::SetTime;
    }
    if (closeAfter != nullptr && *closeAfter != '\0') {
        long ms = 0;
        const char* end = closeAfter + std::strlen(closeAfter);
        auto [ptr, ec] = std::from_chars(closeAfter, end, ms);
        if (ec == std::errc() && ptr == end && ms >= 0)
            a.CloseAfter = std::chrono::milliseconds(ms);
    }
    return a;
}

TAutomation AutomationFromEnvironment() {
    return AutomationFromValues(std::getenv(kAutoRunEnv), std::getenv(kCloseAfterEnv));
}

} // namespace tralcon::serlink
