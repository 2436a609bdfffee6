#include "platform/spawn.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
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

// Starts arguments[0] from PATH; 0 or the errno value of the failure.
int spawn(pid_t &child, const std::vector<std::string> &arguments, FileActions &files)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    return ::posix_spawnp(&child, argv[0], &files.actions, nullptr, argv.data(), environ);
}

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
    pid_t child = 0;
    const int spawned = spawn(child, arguments, files);
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

int startDetached(const std::vector<std::string> &arguments)
{
    if (arguments.empty() || arguments[0].empty())
        return ENOENT;
    FileActions files;
    posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t child = 0;
    const int spawned = spawn(child, arguments, files);
    if (spawned != 0)
        return spawned;
    // Nobody waits for the program, so a thread of its own reaps it: no zombie is left.
    std::thread([child] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
}

std::vector<std::string> splitCommandLine(const std::string &line)
{
    std::vector<std::string> parts;
    std::string part;
    bool inPart = false;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            size_t slashes = 0;
            while (i < line.size() && line[i] == '\\')
                ++slashes, ++i;
            if (i < line.size() && line[i] == '"') {
                part.append(slashes / 2, '\\');
                if (slashes % 2 == 1)
                    part += '"';
                else
                    quoted = !quoted;
            } else {
                part.append(slashes, '\\');
                --i;
            }
            inPart = true;
        } else if (c == '"') {
            quoted = !quoted;
            inPart = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inPart)
                parts.push_back(std::move(part));
            part.clear();
            inPart = false;
        } else {
            part += c;
            inPart = true;
        }
    }
    if (inPart)
        parts.push_back(std::move(part));
    return parts;
}

} // namespace vocara
