// The command table and what every subcommand gets from it: its own --help, --opt=value for
// every option, and the tool's --version.
#include "cli/command.h"
#include "document/autosave_timer.h"

#include <array>
#include <ostream>
#include <string>
#include <vector>

namespace vocara::cli {

namespace {

constexpr std::array<Command, 11> Commands = {{
    {"kinds", "kinds [--mode asterisk|flow]",
     "print the node kinds and their properties (flow mode by default)", runKinds},
    {"validate", "validate FILE", "check a flow (.qfl, .qsc or .conf) and print its errors",
     runValidate},
    {"save", "save FILE -o OUT", "open a flow and save it as a flow file", runSave},
    {"extract", "extract FILE.conf -o OUT.qfl", "write the flow a dialplan file carries",
     runExtract},
    {"export", "export FILE [-o OUT.conf] [--strict] [--dialect classic|modern]",
     "save a flow as an Asterisk dialplan (--strict: not when it has errors)", runExport},
    {"receive", "receive [--listen ADDRESS:PORT] --root DIR [--max-bytes N] [--count N]",
     "store dialplans sent by the designer's save to server under DIR", runReceive},
    {"simulate",
     "simulate FILE [--caller SCRIPT] [--speed MS] [--time-scale F] [--log FILE] [--odbcini FILE]",
     "run a flow in the headless simulator: trace labels, then the variables", runSimulate},
    {"play", "play FILE.wav", "play a wave through the sound server (VOCARA_AUDIO=pulse|null)",
     runPlay},
    {"speak", "speak VALUE [--lang English|Arabic|Farsi] [--whole] [--play]",
     "print the prompts that speak a number, decimal or date (--play: join and play them)",
     runSpeak},
    {"settings", "settings get|set NAME [VALUE]",
     "read or change a simulator setting (MailServerName, MailUserName, MailPassword, "
     "MailFromAccountName, DBDSN, Sim_Speed)",
     runSettings},
    {"archive", "archive export FLOW -o FILE.zip | archive import FILE.zip -d DIR",
     "pack a flow with its prompts, programs and attached files, or unpack and open one",
     runArchive},
}};

void printHelp(std::ostream &out)
{
    out << "usage: vocara-cli <command> [arguments]\n\ncommands:\n";
    for (const Command &command : Commands)
        out << "  " << command.usage << "\n      " << command.summary << '\n';
    out << "\nvocara-cli --version prints the version; vocara-cli COMMAND --help one command's "
           "usage.\nOptions also take the form --option=value.\n";
}

} // namespace

int runCommandLine(std::span<const std::string> args, std::ostream &out, std::ostream &err)
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
        std::vector<std::string> rest;
        for (const std::string &arg : args.subspan(1)) {
            if (arg == "--help" || arg == "-h") {
                out << "usage: vocara-cli " << command.usage << "\n  " << command.summary << '\n';
                return ExitOk;
            }
            // "--option=value" is "--option value".
            const size_t equals = arg.find('=');
            if (arg.starts_with("--") && equals != std::string::npos && equals > 2) {
                rest.push_back(arg.substr(0, equals));
                rest.push_back(arg.substr(equals + 1));
            } else {
                rest.push_back(arg);
            }
        }
        return command.run(rest, out, err);
    }
    err << "vocara-cli: unknown command '" << args[0] << "' (see vocara-cli --help)\n";
    return ExitCannotRun;
}

} // namespace vocara::cli
