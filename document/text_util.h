#pragma once

#include <string>
#include <string_view>

// Small text helpers shared by the flow file, validation, the dialplan and the simulator.
// Case rules are ASCII: names, keys and keywords of flows are ASCII.
namespace vocara {

bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool containsIgnoringCase(std::string_view text, std::string_view part);
bool endsWithIgnoringCase(std::string_view text, std::string_view end);
std::string lowerCase(std::string_view text);
// Every occurrence of `part` taken out.
std::string removeAll(std::string text, std::string_view part);
// Every character that is one of `chars` taken out.
std::string removeChars(std::string text, std::string_view chars);
std::string replaceAll(std::string text, std::string_view from, std::string_view to);
// Line breaks become blanks, so that a value cannot start a new line of a text file.
std::string oneLine(std::string text);
// Every ")" closes an earlier "(" and every "(" is closed.
bool bracketsBalanced(std::string_view text);

// The variable a field names: "$name$" and "${name}" give name, anything else itself.
std::string_view namedVariable(std::string_view text);
// True when `text` names a variable as a dialplan takes it: letters, digits and "_" (or
// nothing, which other rules judge).
bool isVariableName(std::string_view text);

// The integer `text` starts with, read as the C library's strtoll reads base 10: leading
// blanks, a sign, digits; 0 for none, and the type's limits for what is beyond them.
long long leadingLongLong(std::string_view text);

} // namespace vocara
