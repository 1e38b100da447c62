#include "platform/AppPaths.h"

#include "platform/FileIO.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tralcon {

std::string ProgramPath() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string ProgramDir() {
    std::string exe = ProgramPath();
    return exe.empty() ? std::string(".") : DirName(exe);
}

bool IsOnReadOnlyFileSystem(const std::string& dir) {
    struct statvfs st {};
    return ::statvfs(dir.c_str(), &st) == 0 && (st.f_flag & ST_RDONLY) != 0;
}

namespace {
std::string HomeDir() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return "/tmp";
}

std::string XdgDir(const char* var, const char* fallback) {
    if (const char* v = std::getenv(var); v != nullptr && v[0] == '/')
        return v;
    return JoinPath(HomeDir(), fallback);
}
} // namespace

std::string UserDataDir() {
    return XdgDir("XDG_DATA_HOME", ".local/share");
}
std::string UserConfigDir() {
    return XdgDir("XDG_CONFIG_HOME", ".config");
}

std::string InstalledDataDir(const std::string& programDir) {
    return JoinPath(JoinPath(DirName(programDir), "share"), "tralcon");
}

namespace {
bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}
} // namespace

bool IsInstalledProgram(const std::string& programDir) {
    struct stat st {};
    return ::stat(InstalledDataDir(programDir).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FindProgramData(const std::string& programDir, const std::string& name) {
    std::string beside = JoinPath(programDir, name);
    if (Exists(beside))
        return beside;
    std::string installed = JoinPath(InstalledDataDir(programDir), name);
    if (Exists(installed) || IsInstalledProgram(programDir))
        return installed;
    return beside;
}

std::string SettingsFilePath(const std::string& programDir) {
    if (!IsInstalledProgram(programDir) && !IsOnReadOnlyFileSystem(programDir) &&
        ::access(programDir.c_str(), W_OK) == 0)
        return JoinPath(programDir, "NVT-3.ini");
    return JoinPath(JoinPath(UserConfigDir(), "tralcon"), "NVT-3.ini");
}

bool MakeDirs(const std::string& dir) {
    if (dir.empty())
        return false;
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    std::string parent = DirName(dir);
    if (parent != dir && !MakeDirs(parent))
        return false;
    return ::mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST;
}

std::string FindProgramLibrary(const std::string& programDir, const std::string& name) {
    std::string beside = JoinPath(programDir, name);
    if (FileExists(beside))
        return beside;
    // The library folder of the installation, as the build configured it;
    // relative to the prefix unless the packager gave an absolute one.
    const std::string libDir = TRALCON_INSTALL_LIBDIR;
    const std::string base =
        libDir.starts_with('/') ? libDir : JoinPath(DirName(programDir), libDir);
    std::string installed = JoinPath(JoinPath(base, "tralcon"), name);
    return FileExists(installed) ? installed : beside;
}

} // namespace tralcon
