#pragma once

#include "cli/command.h"

#include <sstream>
#include <string>
#include <vector>

namespace vocara::test::command_line {

struct CommandResult
{
    int exitCode;
    std::string out;
    std::string err;
};

// A subcommand and its arguments, as the command line gives them; `input` is standard input.
inline CommandResult run(std::vector<std::string> args, const std::string &input = {})
{
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::runCommandLine(args, in, out, err);
    return {code, out.str(), err.str()};
}

} // namespace vocara::test::command_line
