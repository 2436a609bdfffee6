#pragma once

#include "cli/arguments.h"

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace vocara::cli {

// Exit codes of every subcommand.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFound = 1;     // the work found errors
inline constexpr int ExitCannotRun = 2; // bad arguments, unreadable input

using CommandRun = int (*)(const Arguments &args, std::ostream &out, std::ostream &err);

struct Command
{
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    Syntax syntax;
    CommandRun run;
};

// Every subcommand, in the order the help lists them.
std::span<const Command> commandTable();

// The whole command line after the program's name: a subcommand and its arguments. "-" as a
// file reads `in`.
int runCommandLine(std::span<const std::string> args, std::istream &in, std::ostream &out,
                   std::ostream &err);

int runKinds(const Arguments &args, std::ostream &out, std::ostream &err);
int runValidate(const Arguments &args, std::ostream &out, std::ostream &err);
int runSave(const Arguments &args, std::ostream &out, std::ostream &err);
int runExtract(const Arguments &args, std::ostream &out, std::ostream &err);
int runExport(const Arguments &args, std::ostream &out, std::ostream &err);
int runReceive(const Arguments &args, std::ostream &out, std::ostream &err);
int runPlay(const Arguments &args, std::ostream &out, std::ostream &err);
int runArchive(const Arguments &args, std::ostream &out, std::ostream &err);
int runSettings(const Arguments &args, std::ostream &out, std::ostream &err);
int runSpeak(const Arguments &args, std::ostream &out, std::ostream &err);
int runSimulate(const Arguments &args, std::ostream &out, std::ostream &err);

} // namespace vocara::cli
