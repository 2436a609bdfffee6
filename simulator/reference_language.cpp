#include "simulator/reference_language.h"

#include "document/text_util.h"
#include "simulator/variable_table.h"

#include <algorithm>
#include <climits>
#include <random>

namespace vocara {

namespace {

std::string formatted(std::time_t time, const char *format)
{
    std::tm local{};
    localtime_r(&time, &local);
    char buffer[32];
    return std::string(buffer, std::strftime(buffer, sizeof buffer, format, &local));
}

std::int32_t wrap(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::string substitute(std::string_view text, const SubstitutionContext &context, int depth)
{
    if (depth >= MaxSubstitutionDepth || text.size() > MaxSubstitutionLength)
        return std::string(text);
    const size_t dollar = text.find('$');
    if (dollar == std::string_view::npos)
        return std::string(text);
    const size_t next = text.find('$', dollar + 1);
    const size_t open = text.find('(', dollar + 1);
    if (open != std::string_view::npos && (next == std::string_view::npos || open < next)) {
        const size_t close = text.find(')', open + 1);
        if (close != std::string_view::npos) {
            const std::string argument =
                substitute(text.substr(open + 1, close - open - 1), context, depth + 1);
            return std::string(text.substr(0, dollar)) +
                   EvalFunction(text.substr(dollar + 1, open - dollar - 1), argument) +
                   substitute(text.substr(close + 1), context, depth + 1);
        }
    }
    if (next == std::string_view::npos)
        return std::string(text);
    const std::string_view word = text.substr(dollar + 1, next - dollar - 1);
    const std::string reference = "$" + std::string(word) + "$";
    if (equalsIgnoringCase(word, "CID"))
        return replaceAll(std::string(text), reference, context.callerId);
    if (equalsIgnoringCase(word, "DATENOW"))
        return replaceAll(std::string(text), reference, formatted(context.now(), "%d/%m/%Y"));
    if (equalsIgnoringCase(word, "TIMENOW"))
        return replaceAll(std::string(text), reference, formatted(context.now(), "%H:%M:%S"));
    if (const std::string *value = context.variables.find(word)) {
        const std::string replaced = replaceAll(std::string(text), reference, *value);
        if (replaced.size() > MaxSubstitutionLength)
            return std::string(text);
        return substitute(replaced, context, depth + 1);
    }
    return std::string(text);
}

} // namespace

std::string Substitute(std::string_view text, const SubstitutionContext &context)
{
    return substitute(text, context, 0);
}

std::string EvalFunction(std::string_view name, std::string_view argument)
{
    const std::string text(argument);
    auto between = [&](char separator, int which) -> std::string {
        // which: 0 before the first, 1 between the first and second, 2 after the last
        const size_t first = text.find(separator);
        if (first == std::string::npos)
            return text;
        if (which == 0)
            return text.substr(0, first);
        if (which == 2)
            return text.substr(text.rfind(separator) + 1);
        const size_t second = text.find(separator, first + 1);
        return second == std::string::npos ? text : text.substr(first + 1, second - first - 1);
    };
    const char dateSeparator = text.find('/') != std::string::npos ? '/' : '-';
    if (equalsIgnoringCase(name, "Hour"))
        return between(':', 0);
    if (equalsIgnoringCase(name, "Min"))
        return between(':', 1);
    if (equalsIgnoringCase(name, "Sec"))
        return between(':', 2);
    if (equalsIgnoringCase(name, "Day"))
        return between(dateSeparator, 0);
    if (equalsIgnoringCase(name, "Mon"))
        return between(dateSeparator, 1);
    if (equalsIgnoringCase(name, "Year"))
        return between(dateSeparator, 2);
    return text;
}

std::string StripDollar(std::string_view name)
{
    std::string result;
    for (char c : name) {
        if (c != '$')
            result += c;
    }
    return result;
}

std::int64_t leadingInteger64(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > 100'000'000'000'000'000 / 10)
            break; // digits beyond this leave the value out of every range that matters
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

std::int32_t leadingInteger(std::string_view text)
{
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(leadingInteger64(text), INT_MIN, INT_MAX));
}

std::optional<std::string> DoOperation(std::string_view current, std::string_view value,
                                       std::string_view op, std::time_t now)
{
    const std::int64_t x = leadingInteger(current);
    const std::int64_t v = leadingInteger(value);
    std::int32_t result;
    if (equalsIgnoringCase(op, "Increment")) {
        result = wrap(x + v);
    } else if (equalsIgnoringCase(op, "Decrement")) {
        result = wrap(x - v);
    } else if (equalsIgnoringCase(op, "Multiply")) {
        result = wrap(x * v);
    } else if (equalsIgnoringCase(op, "Divide")) {
        if (v == 0)
            return std::nullopt;
        result = wrap(x / v); // INT_MIN / -1 wraps back to INT_MIN
    } else if (equalsIgnoringCase(op, "Mod")) {
        if (v == 0)
            return std::nullopt;
        result = wrap(x % v);
    } else if (equalsIgnoringCase(op, "Random")) {
        if (v == 0)
            return std::nullopt;
        std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(now));
        result = wrap(static_cast<std::int64_t>(generator()) % v);
    } else {
        return std::nullopt;
    }
    return std::to_string(result);
}

bool Compare(std::string_view first, std::string_view second, std::string_view op)
{
    if (op == "=")
        return first == second;
    if (op == "<>")
        return first != second;
    const std::int32_t a = leadingInteger(first);
    const std::int32_t b = leadingInteger(second);
    if (op == "<")
        return a < b;
    if (op == ">")
        return a > b;
    if (op == "<=")
        return a <= b;
    if (op == ">=")
        return a >= b;
    return false;
}

} // namespace vocara
