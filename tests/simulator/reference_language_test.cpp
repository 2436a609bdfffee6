#include "simulator/reference_language.h"
#include "simulator/variable_table.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vocara;

namespace {

class References : public ::testing::Test
{
protected:
    References()
    {
        variables.declare("lang", "Arabic");
        variables.declare("greeting", "hello $name$");
        variables.declare("name", "Sam");
        variables.declare("self", "again $self$");
        variables.declare("twice", "$twice$$twice$");
        variables.declare("price", "12");
    }

    std::string subst(std::string_view text) { return Substitute(text, context); }

    VariableTable variables;
    // 2026-12-09 10:20:30 in the local zone.
    SubstitutionContext context{variables, "5551234", [] {
                                    std::tm t{};
                                    t.tm_year = 126;
                                    t.tm_mon = 11;
                                    t.tm_mday = 9;
                                    t.tm_hour = 10;
                                    t.tm_min = 20;
                                    t.tm_sec = 30;
                                    t.tm_isdst = -1;
                                    return std::mktime(&t);
                                }};
};

} // namespace

TEST_F(References, VariablesFunctionsAndTheClock)
{
    const std::pair<const char *, const char *> rows[] = {
        {"plain text", "plain text"},
        {"welcome$lang$.wav", "welcomeArabic.wav"},
        {"$LANG$ and $lang$", "Arabic and Arabic"},
        {"$greeting$!", "hello Sam!"}, // substituted again
        {"$unknown$ stays", "$unknown$ stays"},
        {"a lone $ sign", "a lone $ sign"},
        {"$CID$ called", "5551234 called"},
        {"$cid$ $CID$", "5551234 $CID$"}, // each spelling as written
        {"$datenow$", "09/12/2026"},
        {"$TimeNow$", "10:20:30"},
        {"$Year($datenow$)$Mon($datenow$)$Day($datenow$)", "20261209"},
        {"$Hour($timenow$)$Min($timenow$)$Sec($timenow$)", "102030"},
        {"$Day(2026-12-09)", "2026"},
        {"$Year(1-2-3)", "3"},
        {"$Mon(nothing)", "nothing"},
        {"$Other(x)rest", "xrest"},
        {"$Hour(10:20", "$Hour(10:20"},  // no ")": no function call
        {"x$Min(1:2:3)$price$", "x212"}, // the rest is substituted too
        {"$price$+$price$", "12+12"},
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(subst(text), expected) << text;
}

TEST_F(References, SelfReferencesStop)
{
    const std::string self = subst("$self$");
    EXPECT_TRUE(self.starts_with("again again again"));
    EXPECT_NE(self.find("$self$"), std::string::npos); // stopped, not expanded for ever
    EXPECT_LE(subst("$twice$").size(), MaxSubstitutionLength * 2);
}

TEST(ReferenceHelpers, StripDollarAndNumbers)
{
    EXPECT_EQ(StripDollar("$count$"), "count");
    EXPECT_EQ(StripDollar("count"), "count");
    EXPECT_EQ(leadingInteger("  42abc"), 42);
    EXPECT_EQ(leadingInteger("-7"), -7);
    EXPECT_EQ(leadingInteger("+7"), 7);
    EXPECT_EQ(leadingInteger("x1"), 0);
    EXPECT_EQ(leadingInteger(""), 0);
    EXPECT_EQ(leadingInteger("99999999999999999999"), INT_MAX);
    EXPECT_EQ(leadingInteger("-99999999999999999999"), INT_MIN);
}

TEST(ReferenceHelpers, OperationsIn32Bits)
{
    struct Row
    {
        const char *x;
        const char *v;
        const char *op;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        {"5", "3", "Increment", "8"},
        {"5", "3", "increment", "8"},
        {"5", "7", "Decrement", "-2"},
        {"6", "7", "Multiply", "42"},
        {"7", "2", "Divide", "3"},
        {"-7", "2", "Divide", "-3"},
        {"-7", "3", "Mod", "-1"},
        {"7", "0", "Divide", std::nullopt},
        {"7", "0", "Mod", std::nullopt},
        {"7", "0", "Random", std::nullopt},
        {"7", "1", "Power", std::nullopt},
        {"2147483647", "1", "Increment", "-2147483648"},
        {"-2147483648", "1", "Decrement", "2147483647"},
        {"65536", "65536", "Multiply", "0"},
        {"-2147483648", "-1", "Divide", "-2147483648"},
        {"-2147483648", "-1", "Mod", "0"},
        {"abc", "4", "Increment", "4"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(DoOperation(row.x, row.v, row.op, 0), row.expected)
            << row.x << " " << row.op << " " << row.v;
    for (std::time_t seed : {0, 1, 12345}) {
        const int r = std::stoi(*DoOperation("0", "10", "Random", seed));
        EXPECT_GE(r, 0);
        EXPECT_LT(r, 10);
    }
}

TEST(ReferenceHelpers, Comparisons)
{
    struct Row
    {
        const char *a;
        const char *op;
        const char *b;
        bool expected;
    };
    const Row rows[] = {
        {"abc", "=", "abc", true}, {"abc", "=", "ABC", false}, {"abc", "<>", "ABC", true},
        {"10", "<", "9", false},   {"9", "<", "10", true},     {"10", ">=", "10x", true},
        {"5", "<=", "4", false},   {"x", ">", "-1", true},     {"1", "==", "1", false},
        {"1", "!=", "2", false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(Compare(row.a, row.b, row.op), row.expected) << row.a << row.op << row.b;
}

TEST(VariableTableTest, OnlyDeclaredVariablesTakeValues)
{
    VariableTable table;
    table.declare("Count", "0");
    EXPECT_TRUE(table.set("count", "1"));
    EXPECT_FALSE(table.set("other", "1"));
    EXPECT_EQ(*table.find("COUNT"), "1");
    EXPECT_EQ(table.find("other"), nullptr);
    table.declare("count", "5");
    EXPECT_EQ(table.items().size(), 1u);
    EXPECT_EQ(table.items()[0].first, "Count");
}
