#include "cli/manual.h"

#include "cli/command.h"

#include <ostream>
#include <string>

namespace vocara::cli {

std::string roffText(std::string_view text)
{
    std::string out;
    if (text.starts_with('.') || text.starts_with('\''))
        out += "\\&";
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

void printManual(std::ostream &out, std::string_view version)
{
    out << ".TH VOCARA\\-CLI 1 \"\" \"Vocara " << roffText(version) << "\" \"User Commands\"\n"
        << ".SH NAME\nvocara\\-cli \\- check, convert and simulate IVR call flows\n"
        << ".SH SYNOPSIS\n.B vocara\\-cli\n.I command\n.RI [ arguments ]\n.br\n"
        << ".B vocara\\-cli\n.I command\n.B \\-\\-help\n.br\n.B vocara\\-cli \\-\\-version\n"
        << ".SH DESCRIPTION\n"
           ".B vocara\\-cli\n"
           "works on the call flows the Vocara designer draws: flow files (.qfl), scripts (.qsc)\n"
           "and the Asterisk dialplans (.conf) that carry their flow. It validates them, saves\n"
           "and exports them, runs them in a headless simulator, and receives dialplans the\n"
           "designer sends to an Asterisk server.\n"
           ".PP\n"
           "Options may stand before or after the other arguments, and take their value as\n"
           ".B \\-\\-option value\n"
           "or\n"
           ".BR \\-\\-option=value .\n"
           "After\n"
           ".B \\-\\-\n"
           "every argument is a file. Where a command reads a flow,\n"
           ".I FILE\n"
           "may be\n"
           ".B \\-\n"
           "for standard input; where it writes one,\n"
           ".B \\-o \\-\n"
           "writes standard output.\n"
        << ".SH COMMANDS\n";
    for (const Command &command : commandTable()) {
        out << ".TP\n.B " << roffText(command.usage) << '\n' << roffText(command.summary) << ".\n";
        for (const Option &option : command.syntax.options) {
            out << ".RS\n.TP\n.B " << roffText(option.name);
            if (option.takesValue)
                out << " VALUE";
            out << '\n' << roffText(option.help) << ".\n.RE\n";
        }
    }
    out << ".SH OPTIONS\n"
           ".TP\n.BR \\-h \", \" \\-\\-help\n"
           "Print the commands, or with a command its usage and options, on standard output.\n"
           ".TP\n.B \\-\\-version\nPrint the version.\n"
           ".SH EXIT STATUS\n"
           ".TP\n.B 0\nDone: the flow has no errors.\n"
           ".TP\n.B 1\nThe work found errors: the flow has some (an export is written all the "
           "same\n"
           "unless\n.BR \\-\\-strict ),\nan archive could not be made or read.\n"
           ".TP\n.B 2\nCould not run: bad arguments, or an input that cannot be read or is no "
           "flow.\n"
           ".SH ENVIRONMENT\n"
           ".TP\n.B VOCARA_USER_DIR\n"
           "Where settings, logs and temporary flows go (default\n"
           ".IR ~/.local/share/vocara ).\n"
           ".TP\n.B VOCARA_REGISTRY_DIR\n"
           "Where the simulator settings are kept (default\n"
           ".IR ~/.config/vocara/registry ).\n"
           ".TP\n.B VOCARA_HOME\n"
           "The folder of the tones, prompts and samples (default\n"
           ".I share/vocara\nbeside the installation).\n"
           ".TP\n.B VOCARA_AUDIO\n"
           ".B pulse\nor\n.BR null :\nthe sound device the simulator plays through.\n"
           ".SH EXAMPLES\n"
           ".nf\n"
           "vocara\\-cli validate menu.qfl\n"
           "vocara\\-cli export menu.qfl \\-\\-dialect modern \\-o /etc/asterisk/menu.conf\n"
           "vocara\\-cli simulate menu.qfl \\-\\-time\\-scale 0.1 \\-\\-caller 2,1,#,T\n"
           "cat menu.conf | vocara\\-cli extract \\- \\-o \\- | xmllint \\-\n"
           "vocara\\-cli settings set MailServerName smtps://mail.example.com\n"
           ".fi\n"
           ".SH SEE ALSO\n"
           ".BR vocara (1)\n";
}

} // namespace vocara::cli
