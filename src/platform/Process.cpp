#include "platform/Process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tralcon {

TProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::string& workingDir) {
    TProcessResult r;
    // posix_spawn reports a missing or unrunnable program only through the
    // child's exit status 127, which a program may return too: ask first.
    if (::access(program.c_str(), X_OK) != 0) {
        r.StartError = std::strerror(errno);
        return r;
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        r.StartError = std::strerror(errno);
        return r;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    if (!workingDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());

    std::vector<std::string> argvStore;
    argvStore.push_back(program);
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int err = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (err != 0) {
        ::close(pipeFds[0]);
        r.StartError = std::strerror(err);
        return r;
    }
    r.Started = true;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
        if (n > 0) {
            r.Output.append(buf, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    r.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

} // namespace tralcon
