#include "document/variable_edits.h"

#include "document/messages.h"

#include <algorithm>
#include <array>

namespace vocara::VariableEdits {

namespace {

constexpr std::array<std::string_view, 6> ReservedNames = {"timenow",   "datenow", "cid",
                                                           "nCallerId", "strTime", "strDate"};
constexpr std::array<std::string_view, 6> BuiltInNames = {"lang",    "TTSPath", "nCallerId",
                                                          "strTime", "strDate", "RecordPath"};

bool isAsciiLetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool exists(const VariableList &variables, std::string_view name)
{
    return variables.indexOfIgnoringCase(name) >= 0;
}

// The variable written into the list: a row of that name (without regard to case) takes the
// value and description, any other name is appended.
Outcome store(const VariableList &variables, const Fields &fields)
{
    Outcome outcome;
    VariableList after = variables;
    after.addOrUpdate(fields.name, fields.value, fields.description);
    outcome.variables = std::move(after);
    outcome.clearFields = true;
    return outcome;
}

} // namespace

bool isReserved(std::string_view name)
{
    return std::find(ReservedNames.begin(), ReservedNames.end(), name) != ReservedNames.end();
}

bool isBuiltIn(std::string_view name)
{
    return std::find(BuiltInNames.begin(), BuiltInNames.end(), name) != BuiltInNames.end();
}

std::string_view nameProblem(std::string_view name)
{
    if (!name.empty() && name.front() >= '0' && name.front() <= '9')
        return Msg::VariableStartsWithNumber;
    if (!std::all_of(name.begin(), name.end(),
                     [](char c) { return isAsciiLetterOrDigit(c) || c == '_'; }))
        return Msg::VariableBadCharacter;
    return {};
}

Outcome add(const VariableList &variables, const Fields &fields, UserDialogs &dialogs)
{
    if (fields.name.empty())
        return {};
    if (isReserved(fields.name)) {
        dialogs.inform(Msg::ReservedVariableName);
        return {};
    }
    if (exists(variables, fields.name) &&
        dialogs.ask(Msg::OverwriteVariable, Question::YesNo) != Answer::Yes)
        return {};
    if (const std::string_view problem = nameProblem(fields.name); !problem.empty()) {
        dialogs.inform(problem);
        return {};
    }
    return store(variables, fields);
}

Outcome modify(const VariableList &variables, const Fields &fields, UserDialogs &dialogs)
{
    Outcome outcome;
    if (fields.name.empty())
        return outcome;
    if (const std::string_view problem = nameProblem(fields.name); !problem.empty()) {
        dialogs.inform(problem);
        outcome.focusName = true;
        return outcome;
    }
    const int index = variables.indexOfIgnoringCase(fields.name);
    if (index < 0) {
        if (dialogs.ask(Msg::AddMissingVariable, Question::YesNo) == Answer::Yes)
            return add(variables, fields, dialogs);
        return outcome;
    }
    const Variable &existing = variables.at(static_cast<size_t>(index));
    if (isReserved(fields.name)) {
        // Only the description of a reserved variable changes.
        dialogs.inform(Msg::ReservedValueNotChange);
        outcome = store(variables, {fields.name, existing.defaultValue, fields.description});
        outcome.focusName = true;
        return outcome;
    }
    return store(variables, fields);
}

Outcome remove(const VariableList &variables, const std::optional<std::string> &selected,
               UserDialogs &dialogs)
{
    Outcome outcome;
    outcome.clearNameAndValue = true;
    if (!selected)
        return outcome;
    if (isBuiltIn(*selected)) {
        dialogs.inform(Msg::CantDeleteBuiltInVariable);
        outcome.clearNameAndValue = false;
        outcome.focusName = true;
        return outcome;
    }
    VariableList after = variables;
    if (after.remove(*selected))
        outcome.variables = std::move(after);
    return outcome;
}

} // namespace vocara::VariableEdits
