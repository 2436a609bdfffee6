// The command table and what every subcommand gets from it: one argument parser, its own
// --help, --opt=value for every option, and the tool's --version.
#include "cli/command.h"
#include "document/autosave_timer.h"

#include <array>
#include <exception>
#include <ostream>
#include <string>

namespace vocara::cli {

namespace {

constexpr Option KindsOptions[] = {
    {"--mode", true, "asterisk: the properties a dialplan names; flow (the default): a flow's"}};
constexpr Option OutputOptions[] = {{"-o", true, "the file to write; - writes standard output"}};
constexpr Option ExportOptions[] = {
    {"-o", true, "the dialplan to write (next to FILE without it); - writes standard output"},
    {"--strict", false, "write nothing when the flow has errors"},
    {"--dialect", true, "classic (Asterisk 1.4) or modern (Asterisk 18 and later)"}};
constexpr Option ReceiveOptions[] = {
    {"--listen", true, "the address and port to listen on (127.0.0.1:7070)"},
    {"--root", true, "the folder the dialplans are stored in"},
    {"--max-bytes", true, "the largest transfer accepted (16 MiB)"},
    {"--idle-seconds", true, "how long a transfer may be silent (30)"},
    {"--transfer-seconds", true, "how long a transfer may take in all (120)"},
    {"--max-clients", true, "transfers served at once, 1 to 1024 (16)"},
    {"--count", true, "stop after this many transfers (never)"},
};
constexpr Option SimulateOptions[] = {
    {"--caller", true, "the caller's keys, e.g. 2,1,#,T (T: let the input time run out)", true},
    {"--speed", true, "the pause before each node, in milliseconds (0)"},
    {"--time-scale", true, "shrink pauses and time-outs by this factor (1)"},
    {"--log", true, "write the simulator's log to this file"},
    {"--odbcini", true, "read the data sources from this odbc.ini"}};
constexpr Option SpeakOptions[] = {
    {"--lang", true, "English (the default), Arabic or Farsi"},
    {"--whole", false, "read VALUE as a whole number even when it holds . or /"},
    {"--play", false, "join the prompts and play them"}};
constexpr Option ArchiveOptions[] = {{"-o", true, "the archive to write (export)"},
                                     {"-d", true, "the folder to unpack into (import)"}};

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

std::span<const Command> commandTable()
{
    return Commands;
}

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
                for (const Option &option : command.syntax.options)
                    out << "  " << option.name << (option.takesValue ? " VALUE" : "") << "\n      "
                        << option.help << '\n';
                return ExitOk;
            }
        }
        Arguments parsed(command.name, command.usage, in);
        std::string error;
        if (!parsed.parse(args.subspan(1), command.syntax, error))
            return parsed.usageError(err, error);
        try {
            return command.run(parsed, out, err);
        } catch (const std::exception &refused) {
            // A path the system refuses (an empty one, say) ends the command, not the program.
            err << "vocara-cli " << command.name << ": " << refused.what() << '\n';
            return ExitCannotRun;
        }
    }
    err << "vocara-cli: unknown command '" << args[0] << "' (see vocara-cli --help)\n";
    return ExitCannotRun;
}

} // namespace vocara::cli
