#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vocara {

class VariableTable;

// What a reference can stand for besides variables.
struct SubstitutionContext
{
    const VariableTable &variables;
    std::string callerId;
    std::function<std::time_t()> now = [] {
        return std::time(nullptr);
    };
};

// A variable that names itself would substitute for ever, and "$x$$x$" doubles each round:
// re-substitution stops at this depth, and at this length the text is taken as it stands.
inline constexpr int MaxSubstitutionDepth = 32;
inline constexpr size_t MaxSubstitutionLength = 64 * 1024;

// The reference language of attribute values: "$name$" is a variable's value, "$CID$",
// "$datenow$" and "$timenow$" the caller and the clock, "$Fun(argument)" a date or time part.
std::string Substitute(std::string_view text, const SubstitutionContext &context);
std::string EvalFunction(std::string_view name, std::string_view argument);
std::string StripDollar(std::string_view name);

// A number as atoi reads one (leading blanks, a sign, digits), saturated to 32 bits.
std::int32_t leadingInteger(std::string_view text);
// The same in 64 bits, for values that may not fit in 32 (at most about 10^17 is read).
std::int64_t leadingInteger64(std::string_view text);

// The Op node's arithmetic, 32-bit with wrap-around; nothing when the value stays as it was.
std::optional<std::string> DoOperation(std::string_view current, std::string_view value,
                                       std::string_view op, std::time_t now);
// The Compare node's test.
bool Compare(std::string_view first, std::string_view second, std::string_view op);

} // namespace vocara
