#include "platform/FileAssoc.h"

#include "platform/AppPaths.h"
#include "platform/FileIO.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace tralcon {

namespace {

const char* const kMimeType = "application/x-tralcon-nvt";

std::string MimePackage() {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"") +
           kMimeType +
           "\">\n"
           "    <comment>NVT-3 traffic-light object project</comment>\n"
           "    <comment xml:lang=\"ru\">Проект светофорного объекта НВТ-3</comment>\n"
           "    <glob pattern=\"*.NVT\" case-sensitive=\"true\"/>\n"
           "    <glob pattern=\"*.nvt\" case-sensitive=\"true\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

// Exec lines quote arguments with double quotes and escape ", `, $ and \.
std::string QuoteExec(const std::string& path) {
    std::string q = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            q += '\\';
        q += c;
    }
    return q + "\"";
}

std::string DesktopEntry(const std::string& exePath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tralcon\n"
           "Name[ru]=Конфигуратор контроллеров НВТ\n"
           "Comment=NVT-3 traffic-signal controller configurator\n"
           "Exec=" +
           QuoteExec(exePath) +
           " %f\n"
           "MimeType=" +
           kMimeType +
           ";\n"
           "Terminal=false\n"
           "Categories=Engineering;\n";
}

// Writes the file only when its content differs; reports whether it changed.
bool Put(const std::string& path, const std::string& content, bool* changed) {
    std::string old;
    if (ReadWholeFile(path, &old, nullptr) && old == content) {
        *changed = false;
        return true;
    }
    *changed = true;
    return MakeDirs(DirName(path)) && WriteFileAtomically(path, content, nullptr);
}

void RunQuietly(const char* tool, const std::string& arg) {
    pid_t pid;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(tool), const_cast<char*>(arg.c_str()), nullptr};
    if (posix_spawnp(&pid, tool, &actions, nullptr, argv, environ) == 0) {
        int status;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}

} // namespace

bool RegisterFileType(const std::string& exePath, const std::string& dataHome) {
    if (exePath.empty() || dataHome.empty())
        return false;
    const std::string mimeDir = JoinPath(dataHome, "mime");
    const std::string appsDir = JoinPath(dataHome, "applications");
    bool mimeChanged = false, desktopChanged = false;
    bool ok = Put(JoinPath(JoinPath(mimeDir, "packages"), "tralcon-nvt.xml"), MimePackage(),
                  &mimeChanged);
    ok = Put(JoinPath(appsDir, "tralcon.desktop"), DesktopEntry(exePath), &desktopChanged) && ok;
    // The desktop reads its caches; refresh them only when something changed,
    // so ordinary starts cost two small file reads.
    if (mimeChanged)
        RunQuietly("update-mime-database", mimeDir);
    if (desktopChanged)
        RunQuietly("update-desktop-database", appsDir);
    return ok;
}

} // namespace tralcon
