#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vocara {

// Turns a value into the prompt files that speak it, one per word, in the language's order:
// English reads tens before units; Arabic and Farsi read units, "wa", tens, and join larger
// groups with "wa".
class NumberParser
{
public:
    // `whole`: read the text as a whole number even when it holds "." or "/".
    NumberParser(std::string_view language, bool whole);

    // Appends the prompts of `text`. False when a date is malformed (the prompts found before
    // the fault stay).
    bool Parse(std::string_view text);
    const std::vector<std::string> &prompts() const { return m_prompts; }

    // The group speakers: each speaks its part of n and returns what is left.
    std::int64_t Tens(std::int64_t n);
    std::int64_t Hundreds(std::int64_t n);
    std::int64_t Thousands(std::int64_t n);
    std::int64_t HundredThousands(std::int64_t n);

    static bool isArabicOrder(std::string_view language);

private:
    void word(std::string_view text);
    void word(std::int64_t n) { word(std::to_string(n)); }
    void wholeNumber(std::string_view text);
    void decimal(std::string_view text, size_t point);
    bool date(std::string_view text, size_t firstSlash);

    bool m_arabic;
    bool m_whole;
    std::vector<std::string> m_prompts;
};

} // namespace vocara
