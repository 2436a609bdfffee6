#pragma once

#include "document/user_dialogs.h"
#include "document/variable_list.h"

#include <optional>
#include <string>
#include <string_view>

namespace vocara::VariableEdits {

// Names no user variable may take (and whose value stays as it is); case-sensitive.
bool isReserved(std::string_view name);
// Variables every flow keeps; case-sensitive.
bool isBuiltIn(std::string_view name);
// The message for a name that is not well formed (a digit first, or a character other than
// a letter, a digit or "_"); empty for a good name.
std::string_view nameProblem(std::string_view name);

// What the three fields of the variables bar hold.
struct Fields
{
    std::string name;
    std::string value;
    std::string description;
};

// What a button of the variables bar comes to: the flow's variables afterwards (none when
// nothing changes), and what becomes of the fields.
struct Outcome
{
    std::optional<VariableList> variables;
    bool clearFields = false; // all three
    bool clearNameAndValue = false;
    bool focusName = false;
};

// "Add", "Modify" and "Del" with their questions and messages, said through `dialogs`.
Outcome add(const VariableList &variables, const Fields &fields, UserDialogs &dialogs);
Outcome modify(const VariableList &variables, const Fields &fields, UserDialogs &dialogs);
// Deletes the variable of the selected row (none selected: just clears the fields).
Outcome remove(const VariableList &variables, const std::optional<std::string> &selected,
               UserDialogs &dialogs);

} // namespace vocara::VariableEdits
