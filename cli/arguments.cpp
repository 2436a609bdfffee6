#include "cli/arguments.h"

#include "cli/command.h"

#include <algorithm>
#include <cctype>
#include <ostream>

namespace vocara::cli {

bool Arguments::parse(std::span<const std::string> args, const Syntax &syntax, std::string &error)
{
    m_plain.clear();
    m_options.clear();
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        // A negative number is a value, not an option.
        const bool negative =
            arg.size() > 1 && arg[0] == '-' && std::isdigit(static_cast<unsigned char>(arg[1]));
        if (optionsEnded || arg == "-" || !arg.starts_with('-') || negative) {
            m_plain.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.starts_with("--") ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const auto option = std::find_if(syntax.options.begin(), syntax.options.end(),
                                         [&name](const Option &o) { return o.name == name; });
        if (option == syntax.options.end()) {
            error = "unknown option '" + name + "'";
            return false;
        }
        if (!option->takesValue) {
            if (equals != std::string::npos) {
                error = "option '" + name + "' takes no value";
                return false;
            }
            m_options.emplace_back(name, std::string());
        } else {
            const bool joined = equals != std::string::npos;
            if (!joined && i + 1 == args.size()) {
                error = "option '" + name + "' needs a value";
                return false;
            }
            std::string value = joined ? arg.substr(equals + 1) : args[++i];
            if (value.empty() && !option->emptyAllowed) {
                error = "option '" + name + "' needs a value";
                return false;
            }
            m_options.emplace_back(name, std::move(value));
        }
    }
    if (m_plain.size() < syntax.fewestArguments) {
        error = "missing argument";
        return false;
    }
    if (m_plain.size() > syntax.mostArguments) {
        error = "unexpected argument '" + m_plain[syntax.mostArguments] + "'";
        return false;
    }
    return true;
}

bool Arguments::has(std::string_view option) const
{
    return std::any_of(m_options.begin(), m_options.end(),
                       [option](const auto &given) { return given.first == option; });
}

std::optional<std::string> Arguments::value(std::string_view option) const
{
    for (auto given = m_options.rbegin(); given != m_options.rend(); ++given)
        if (given->first == option)
            return given->second;
    return std::nullopt;
}

std::string Arguments::value(std::string_view option, std::string_view otherwise) const
{
    return value(option).value_or(std::string(otherwise));
}

int Arguments::usageError(std::ostream &err, std::string_view problem) const
{
    err << "vocara-cli " << m_command << ": " << problem << "\nusage: vocara-cli " << m_usage
        << '\n';
    return ExitCannotRun;
}

} // namespace vocara::cli
