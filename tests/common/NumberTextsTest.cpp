#include "common/NumberTexts.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/support/NumericLocale.h"

namespace
{

// Sets the program-wide decimal-comma flag for one test and restores it afterwards.
class NumberTexts : public ::testing::Test
{
protected:
    void TearDown() override { g_bDecimalComma = m_saved; }

private:
    int m_saved = g_bDecimalComma;
};

struct DbCase
{
    double level;
    const char* db;
    const char* dbComma;
    const char* number;
    const char* numberComma;
};

TEST_F(NumberTexts, DbTextsWithAndWithoutTheDecimalComma)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const DbCase cases[] = {
        {-12.34, "-12.3dB", "-12,3dB", "-12.3", "-12,3"},
        {0.0, "0.0dB", "0,0dB", "0.0", "0,0"},
        {94.05, "94.0dB", "94,0dB", "94.0", "94,0"},  // 94.05 is stored just below
        {199.9, "199.9dB", "199,9dB", "199.9", "199,9"},
        {-199.99, "-200.0dB", "-200,0dB", "-200.0", "-200,0"},  // inside the limits, rounded
        {200.0, "-- dB", "-- dB", "--", "--"},
        {-200.0, "-- dB", "-- dB", "--", "--"},
        {1e6, "-- dB", "-- dB", "--", "--"},
        {-inf, "-- dB", "-- dB", "--", "--"},
        {inf, "-- dB", "-- dB", "--", "--"},
        {nan, "-- dB", "-- dB", "--", "--"},
    };
    for (const auto& c : cases)
    {
        g_bDecimalComma = 0;
        EXPECT_EQ(FormatDb(c.level), c.db) << c.level;
        EXPECT_EQ(FormatDbNumber(c.level), c.number) << c.level;
        g_bDecimalComma = 1;
        EXPECT_EQ(FormatDb(c.level), c.dbComma) << c.level;
        EXPECT_EQ(FormatDbNumber(c.level), c.numberComma) << c.level;
    }
}

TEST_F(NumberTexts, DecimalCommaReplacesEveryPointOnlyWhenSet)
{
    std::string text = "1.5 / 2.25.";
    g_bDecimalComma = 0;
    ApplyDecimalComma(text);
    EXPECT_EQ(text, "1.5 / 2.25.");
    g_bDecimalComma = 1;
    ApplyDecimalComma(text);
    EXPECT_EQ(text, "1,5 / 2,25,");
}

TEST_F(NumberTexts, TextsFollowTheFlagAndNotTheProcessLocale)
{
    testsupport::DecimalCommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    g_bDecimalComma = 0;
    EXPECT_EQ(FormatDb(-12.34), "-12.3dB");
    EXPECT_EQ(FormatDbNumber(-12.34), "-12.3");
}

}  // namespace
