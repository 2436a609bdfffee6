#include "document/text_util.h"

#include <cctype>
#include <climits>

#include <algorithm>

namespace vocara {

namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

} // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    for (size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (equalsIgnoringCase(text.substr(i, part.size()), part))
            return true;
    }
    return false;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() &&
           equalsIgnoringCase(text.substr(text.size() - end.size()), end);
}

std::string lowerCase(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), lower);
    return result;
}

std::string removeAll(std::string text, std::string_view part)
{
    if (part.empty())
        return text;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
    return text;
}

std::string removeChars(std::string text, std::string_view chars)
{
    std::erase_if(text, [&](char c) { return chars.find(c) != std::string_view::npos; });
    return text;
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return text;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

bool bracketsBalanced(std::string_view text)
{
    long depth = 0;
    for (char c : text) {
        if (c == '(')
            ++depth;
        else if (c == ')' && --depth < 0)
            return false;
    }
    return depth == 0;
}

std::string_view namedVariable(std::string_view text)
{
    if (text.size() >= 3 && text.starts_with("${") && text.ends_with('}'))
        return text.substr(2, text.size() - 3);
    if (text.size() >= 2 && text.front() == '$' && text.back() == '$')
        return text.substr(1, text.size() - 2);
    return text;
}

bool isVariableName(std::string_view text)
{
    for (char c : namedVariable(text)) {
        const auto u = static_cast<unsigned char>(c);
        if (!(u < 0x80 && (std::isalnum(u) || c == '_')))
            return false;
    }
    return true;
}

long long leadingLongLong(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Accumulated as a negative number, whose range is the wider one.
    long long value = 0;
    bool overflow = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value < (LLONG_MIN + digit) / 10)
            overflow = true;
        else
            value = value * 10 - digit;
    }
    if (overflow)
        return negative ? LLONG_MIN : LLONG_MAX;
    if (negative)
        return value;
    return value == LLONG_MIN ? LLONG_MAX : -value;
}

} // namespace vocara
