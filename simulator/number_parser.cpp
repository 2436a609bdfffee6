#include "simulator/number_parser.h"

#include "simulator/reference_language.h"

#include <array>

namespace vocara {

namespace {

constexpr std::array<std::string_view, 12> Months = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// One leading "0" goes when the text is longer than one character: "05" names "5".
std::string withoutLeadingZero(std::string_view text)
{
    if (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    return std::string(text);
}

} // namespace

NumberParser::NumberParser(std::string_view language, bool whole)
    : m_arabic(isArabicOrder(language))
    , m_whole(whole)
{}

bool NumberParser::isArabicOrder(std::string_view language)
{
    return language == "Arabic" || language == "Farsi";
}

void NumberParser::word(std::string_view text)
{
    m_prompts.push_back("Number-" + withoutLeadingZero(text) + ".wav");
}

std::int64_t NumberParser::Tens(std::int64_t n)
{
    if (n >= 1 && n <= 20) {
        word(n);
    } else if (n > 20) {
        const std::int64_t t = n / 10 * 10;
        const std::int64_t u = n - t;
        if (m_arabic) {
            if (u > 0)
                word(u);
            if (u > 0 && t > 0)
                word("wa");
            if (t > 0)
                word(t);
        } else {
            if (t > 0)
                word(t);
            if (u > 0)
                word(u);
        }
    }
    return 0;
}

std::int64_t NumberParser::Hundreds(std::int64_t n)
{
    if (n < 100 || n > 999)
        return n;
    const std::int64_t h = n / 100 * 100;
    word(h);
    if (m_arabic && n > h)
        word("wa");
    return n - h;
}

std::int64_t NumberParser::Thousands(std::int64_t n)
{
    if (n < 1000 || n > 99999)
        return n;
    const std::int64_t t = n / 1000;
    if (t < 10) {
        word(t * 1000);
    } else {
        Tens(t);
        word(1000);
    }
    if (m_arabic && n > t * 1000)
        word("wa");
    return n - t * 1000;
}

std::int64_t NumberParser::HundredThousands(std::int64_t n)
{
    const std::int64_t t = n / 1000;
    Tens(Hundreds(t));
    word(1000);
    return n - t * 1000;
}

void NumberParser::wholeNumber(std::string_view text)
{
    std::int64_t n = leadingInteger64(text);
    if (n < 0) {
        word("Negative");
        n = -n;
    }
    if (n == 0)
        word(0);
    else if (n <= 99)
        Tens(n);
    else if (n <= 999)
        Tens(Hundreds(n));
    else if (n <= 99999)
        Tens(Hundreds(Thousands(n)));
    else if (n <= 999999)
        Tens(Hundreds(Thousands(HundredThousands(n))));
    // larger numbers are not spoken
}

void NumberParser::decimal(std::string_view text, size_t point)
{
    while (!text.empty() && text.back() == '0')
        text.remove_suffix(1);
    wholeNumber(text.substr(0, point));
    word("point");
    const std::string_view fraction = point < text.size() ? text.substr(point + 1) : "";
    const size_t k = fraction.size();
    if (k < 1 || k > 5)
        return;
    wholeNumber(fraction);
    if (m_arabic && k <= 4) {
        word("men");
        word(k == 1 ? "10" : k == 2 ? "100" : k == 3 ? "1000" : "10000");
    }
}

bool NumberParser::date(std::string_view text, size_t firstSlash)
{
    const size_t secondSlash = text.find('/', firstSlash + 1);
    if (secondSlash == std::string_view::npos)
        return false;
    m_prompts.push_back("Date-" + withoutLeadingZero(text.substr(0, firstSlash)) + ".wav");
    word("men");
    const std::string_view month = text.substr(firstSlash + 1, secondSlash - firstSlash - 1);
    if (month.empty())
        return false;
    // A month outside 1 to 12 names no prompt and is skipped.
    if (const std::int64_t number = leadingInteger64(withoutLeadingZero(month));
        number >= 1 && number <= 12)
        m_prompts.emplace_back(std::string(Months[static_cast<size_t>(number - 1)]) + ".wav");
    const std::string_view year = text.substr(secondSlash + 1);
    if (!year.empty())
        wholeNumber(year);
    return true;
}

bool NumberParser::Parse(std::string_view text)
{
    if (!m_whole) {
        if (const size_t slash = text.find('/'); slash != std::string_view::npos)
            return date(text, slash);
        if (const size_t point = text.find('.'); point != std::string_view::npos) {
            decimal(text, point);
            return true;
        }
    }
    wholeNumber(text);
    return true;
}

} // namespace vocara
