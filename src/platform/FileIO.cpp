#include "platform/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tralcon {

namespace {
std::string Errno() { return std::strerror(errno); }
} // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error,
                   std::size_t maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = Errno();
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error)
            *error = S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        ::close(fd);
        return false;
    }
    std::string out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = Errno();
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        if (out.size() + static_cast<std::size_t>(n) > maxBytes) {
            if (error)
                *error = "file too large";
            ::close(fd);
            return false;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    *bytes = std::move(out);
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    // Built piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about
    // the one-expression form.
    std::string name = ".";
    name += BaseName(path);
    name += ".XXXXXX";
    std::string tmp = JoinPath(DirName(path), name);
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        if (error)
            *error = Errno();
        return false;
    }
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        if (error)
            *error = std::strerror(err);
        return false;
    };
    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones rather than mkstemp's private 0600.
    struct stat st {};
    mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        if (error)
            *error = std::strerror(err);
        return false;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        if (error)
            *error = std::strerror(err);
        return false;
    }
    return true;
}

std::string DirName(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace tralcon
