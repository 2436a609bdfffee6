#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace vocara::cli {

// Exit codes of every subcommand.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFound = 1;     // the work found errors
inline constexpr int ExitCannotRun = 2; // bad arguments, unreadable input

struct Command
{
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    int (*run)(std::span<const std::string> args, std::ostream &out, std::ostream &err);
};

// The whole command line after the program's name: a subcommand and its arguments.
int runCommandLine(std::span<const std::string> args, std::ostream &out, std::ostream &err);

int runKinds(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runValidate(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runSave(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runExtract(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runExport(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runReceive(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runPlay(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runArchive(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runSettings(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runSpeak(std::span<const std::string> args, std::ostream &out, std::ostream &err);
int runSimulate(std::span<const std::string> args, std::ostream &out, std::ostream &err);

} // namespace vocara::cli
