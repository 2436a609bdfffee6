#include "cli/command.h"

#include <array>
#include <iostream>
#include <string>
#include <vector>

namespace {

using vocara::cli::Command;

constexpr std::array<Command, 11> Commands = {{
    {"kinds", "kinds [--mode asterisk|flow]",
     "print the node kinds and their properties (flow mode by default)", vocara::cli::runKinds},
    {"validate", "validate FILE", "check a flow (.qfl, .qsc or .conf) and print its errors",
     vocara::cli::runValidate},
    {"save", "save FILE -o OUT", "open a flow and save it as a flow file", vocara::cli::runSave},
    {"extract", "extract FILE.conf -o OUT.qfl", "write the flow a dialplan file carries",
     vocara::cli::runExtract},
    {"export", "export FILE [-o OUT.conf] [--strict] [--dialect classic|modern]",
     "save a flow as an Asterisk dialplan (--strict: not when it has errors)",
     vocara::cli::runExport},
    {"receive", "receive [--listen ADDRESS:PORT] --root DIR [--max-bytes N] [--count N]",
     "store dialplans sent by the designer's save to server under DIR", vocara::cli::runReceive},
    {"simulate",
     "simulate FILE [--caller SCRIPT] [--speed MS] [--time-scale F] [--log FILE] [--odbcini FILE]",
     "run a flow in the headless simulator: trace labels, then the variables",
     vocara::cli::runSimulate},
    {"play", "play FILE.wav", "play a wave through the sound server (VOCARA_AUDIO=pulse|null)",
     vocara::cli::runPlay},
    {"speak", "speak VALUE [--lang English|Arabic|Farsi] [--whole] [--play]",
     "print the prompts that speak a number, decimal or date (--play: join and play them)",
     vocara::cli::runSpeak},
    {"settings", "settings get|set NAME [VALUE]",
     "read or change a simulator setting (MailServerName, MailUserName, MailPassword, "
     "MailFromAccountName, DBDSN, Sim_Speed)",
     vocara::cli::runSettings},
    {"archive", "archive export FLOW -o FILE.zip | archive import FILE.zip -d DIR",
     "pack a flow with its prompts, programs and attached files, or unpack and open one",
     vocara::cli::runArchive},
}};

void printHelp(std::ostream &out)
{
    out << "usage: vocara-cli <command> [arguments]\n\ncommands:\n";
    for (const Command &command : Commands)
        out << "  " << command.usage << "\n      " << command.summary << '\n';
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printHelp(std::cerr);
        return vocara::cli::ExitCannotRun;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printHelp(std::cout);
        return vocara::cli::ExitOk;
    }
    for (const Command &command : Commands) {
        if (command.name == args[0]) {
            const std::vector<std::string> rest(args.begin() + 1, args.end());
            return command.run(rest, std::cout, std::cerr);
        }
    }
    std::cerr << "vocara-cli: unknown command '" << args[0] << "' (see vocara-cli --help)\n";
    return vocara::cli::ExitCannotRun;
}
