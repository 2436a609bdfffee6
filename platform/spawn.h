#pragma once

#include <string>
#include <vector>

namespace vocara {

// What a finished program left behind.
struct ProgramResult
{
    bool started = false;
    int exitStatus = -1;     // the exit code; -1 when it was killed by a signal or never started
    std::string errorOutput; // what it wrote to standard error, or why it could not start

    bool succeeded() const { return started && exitStatus == 0; }
};

// Runs a program found on PATH with the given arguments (arguments[0] is the program), never
// through a shell, and waits for it. Its standard output is discarded.
ProgramResult runAndWait(const std::vector<std::string> &arguments);

// Starts a program found on PATH (arguments[0]) without waiting for it and without a shell.
// 0 when it started, else the errno value of the failure. The child is reaped when it ends.
int startDetached(const std::vector<std::string> &arguments);

// A command line split into program and arguments as Windows splits it: blanks separate,
// double quotes group (a quote inside is written \"), backslashes are literal otherwise.
std::vector<std::string> splitCommandLine(const std::string &line);

} // namespace vocara
