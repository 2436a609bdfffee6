// The command table and what every subcommand gets from it: one argument parser, its own
// --help, --opt=value for every option, and the tool's --version.
#include "cli/command.h"
#include "document/autosave_timer.h"

#include <array>
#include <ostream>
#include <string>

namespace vocara::cli {

namespace {

constexpr Option KindsOptions[] = {{"--mode", true}};
constexpr Option OutputOptions[] = {{"-o", true}};
constexpr Option ExportOptions[] = {{"-o", true}, {"--strict", false}, {"--dialect", true}};
constexpr Option ReceiveOptions[] = {
    {"--listen", true},           {"--root", true},  {"--max-bytes", true},
    {"--idle-seconds", true},     {"--count", true}, {"--max-clients", true},
    {"--transfer-seconds", true},
};
constexpr Option SimulateOptions[] = {{"--caller", true},
                                      {"--speed", true},
                                      {"--time-scale", true},
                                      {"--log", true},
                                      {"--odbcini", true}};
constexpr Option SpeakOptions[] = {{"--lang", true}, {"--whole", false}, {"--play", false}};
constexpr Option ArchiveOptions[] = {{"-o", true}, {"-d", true}};

constexpr std::array<Command, 11> Commands = {{
    {"kinds",
     "kinds [--mode asterisk|flow]",
     "print the node kinds and their properties (flow mode by default)",
     {KindsOptions, 0, 0},
     runKinds},
    {"validate",
     "validate FILE",
     "check a flow (.qfl, .qsc or .conf; - reads standard input) and "
     "print its errors",
     {{}, 1, 1},
     runValidate},
    {"save",
     "save FILE -o OUT",
     "open a flow and save it as a flow file (-o -: standard output)",
     {OutputOptions, 1, 1},
     runSave},
    {"extract",
     "extract FILE.conf -o OUT.qfl",
     "write the flow a dialplan file carries, as XML that any XML tool reads",
     {OutputOptions, 1, 1},
     runExtract},
    {"export",
     "export FILE [-o OUT.conf] [--strict] [--dialect classic|modern]",
     "save a flow as an Asterisk dialplan, next to it without -o (--strict: not when it has "
     "errors)",
     {ExportOptions, 1, 1},
     runExport},
    {"receive",
     "receive [--listen ADDRESS:PORT] --root DIR [--max-bytes N] [--idle-seconds N] "
     "[--transfer-seconds N] [--max-clients N] [--count N]",
     "store dialplans sent by the designer's save to server under DIR",
     {ReceiveOptions, 0, 0},
     runReceive},
    {"simulate",
     "simulate FILE [--caller SCRIPT] [--speed MS] [--time-scale F] [--log FILE] [--odbcini FILE]",
     "run a flow in the headless simulator: trace labels, then the variables",
     {SimulateOptions, 1, 1},
     runSimulate},
    {"play",
     "play FILE.wav",
     "play a wave through the sound server (VOCARA_AUDIO=pulse|null)",
     {{}, 1, 1},
     runPlay},
    {"speak",
     "speak VALUE [--lang English|Arabic|Farsi] [--whole] [--play]",
     "print the prompts that speak a number, decimal or date (--play: join and play them)",
     {SpeakOptions, 1, 1},
     runSpeak},
    {"settings",
     "settings get|set NAME [VALUE]",
     "read or change a simulator setting (MailServerName, MailUserName, MailPassword, "
     "MailFromAccountName, DBDSN, Sim_Speed, MailCAFile)",
     {{}, 2, 3},
     runSettings},
    {"archive",
     "archive export FLOW -o FILE.zip | archive import FILE.zip -d DIR",
     "pack a flow with its prompts, programs and attached files, or unpack and open one",
     {ArchiveOptions, 2, 2},
     runArchive},
}};

void printHelp(std::ostream &out)
{
    out << "usage: vocara-cli <command> [arguments]\n\ncommands:\n";
    for (const Command &command : Commands)
        out << "  " << command.usage << "\n      " << command.summary << '\n';
    out << "\nvocara-cli --version prints the version; vocara-cli COMMAND --help one command's "
           "usage.\nOptions also take the form --option=value; - as a file is standard input "
           "or output.\nExit codes: 0 done, 1 the flow has errors, 2 could not run.\n";
}

} // namespace

int runCommandLine(std::span<const std::string> args, std::istream &in, std::ostream &out,
                   std::ostream &err)
{
    if (args.empty()) {
        printHelp(err);
        return ExitCannotRun;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printHelp(out);
        return ExitOk;
    }
    if (args[0] == "--version") {
        out << "vocara-cli " << programVersion() << '\n';
        return ExitOk;
    }
    for (const Command &command : Commands) {
        if (command.name != args[0])
            continue;
        for (const std::string &arg : args.subspan(1)) {
            if (arg == "--")
                break;
            if (arg == "--help" || arg == "-h") {
                out << "usage: vocara-cli " << command.usage << "\n  " << command.summary << '\n';
                return ExitOk;
            }
        }
        Arguments parsed(command.name, command.usage, in);
        std::string error;
        if (!parsed.parse(args.subspan(1), command.syntax, error))
            return parsed.usageError(err, error);
        return command.run(parsed, out, err);
    }
    err << "vocara-cli: unknown command '" << args[0] << "' (see vocara-cli --help)\n";
    return ExitCannotRun;
}

} // namespace vocara::cli
