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

} // namespace vocara
