#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vocara::cli {

// One option a subcommand takes: "-o", "--strict", "--dialect".
struct Option
{
    std::string_view name;
    bool takesValue;
    std::string_view help;     // one line for the command's help and the manual
    bool emptyAllowed = false; // an empty value means something (else it is refused)
};

// What a subcommand's command line may hold: its options, and how many plain arguments.
struct Syntax
{
    std::span<const Option> options;
    size_t fewestArguments;
    size_t mostArguments;
};

// A subcommand's parsed command line. Options come in any order, before or after the plain
// arguments; "--option=value" is "--option value"; a value is taken as it is, even "-" or one
// that starts with a dash; "--" ends the options; a lone "-" (standard input or output) and a
// negative number are plain arguments.
class Arguments
{
public:
    Arguments(std::string_view command, std::string_view usage, std::istream &input)
        : m_command(command)
        , m_usage(usage)
        , m_input(input)
    {}

    // False, with `error` saying what is wrong, when `args` do not fit `syntax`.
    bool parse(std::span<const std::string> args, const Syntax &syntax, std::string &error);

    const std::vector<std::string> &plain() const { return m_plain; }
    const std::string &operator[](size_t i) const { return m_plain[i]; }
    size_t size() const { return m_plain.size(); }
    bool has(std::string_view option) const;
    // The value given last for the option, or none.
    std::optional<std::string> value(std::string_view option) const;
    std::string value(std::string_view option, std::string_view otherwise) const;

    // Says `problem` and the command's usage on `err`; the exit code of a usage error.
    int usageError(std::ostream &err, std::string_view problem) const;
    // Where "-" reads from.
    std::istream &input() const { return m_input; }

private:
    std::string_view m_command;
    std::string_view m_usage;
    std::istream &m_input;
    std::vector<std::string> m_plain;
    std::vector<std::pair<std::string, std::string>> m_options;
};

} // namespace vocara::cli
