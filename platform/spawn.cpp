#include "platform/spawn.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace vocara {

namespace {

struct FileActions
{
    posix_spawn_file_actions_t actions;
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
    FileActions(const FileActions &) = delete;
    FileActions &operator=(const FileActions &) = delete;
};

} // namespace

ProgramResult runAndWait(const std::vector<std::string> &arguments)
{
    ProgramResult result;
    if (arguments.empty()) {
        result.errorOutput = "No program to run";
        return result;
    }
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        result.errorOutput = std::strerror(errno);
        return result;
    }
    FileActions files;
    posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&files.actions, errorPipe[1], STDERR_FILENO);
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        ::posix_spawnp(&child, argv[0], &files.actions, nullptr, argv.data(), environ);
    ::close(errorPipe[1]);
    if (spawned != 0) {
        ::close(errorPipe[0]);
        result.errorOutput = arguments[0] + ": " + std::strerror(spawned);
        return result;
    }
    result.started = true;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(errorPipe[0], buffer, sizeof buffer);
        if (got > 0) {
            if (result.errorOutput.size() < 64 * 1024)
                result.errorOutput.append(buffer, static_cast<size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(errorPipe[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    return result;
}

} // namespace vocara
