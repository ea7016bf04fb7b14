#include "platform/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/NumericLocale.h"

namespace
{

std::string FormatWithProcessLocale(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

TEST(NumberFormat, FormatsAndParsesWithAPointWhateverTheLocale)
{
    testsupport::DecimalCommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "no decimal-comma locale installed";
    ASSERT_EQ(FormatWithProcessLocale(0.5), "0,5");
    EXPECT_EQ(platform::FormatC("%f", 0.5), "0.500000");
    EXPECT_EQ(platform::FormatC("%e", 1500.0), "1.500000e+03");
    EXPECT_DOUBLE_EQ(platform::ParseDouble("2.25"), 2.25);
    float a = 0, b = 0;
    EXPECT_EQ(platform::ScanC("1.5 -2.5", "%f %f", &a, &b), 2);
    EXPECT_FLOAT_EQ(a, 1.5f);
    EXPECT_FLOAT_EQ(b, -2.5f);
}

TEST(NumberFormat, LongTextsAreComplete)
{
    const std::string text = platform::FormatC("%f", 1e300);
    EXPECT_EQ(text.size(), 301u + 7u);
    EXPECT_EQ(text.substr(0, 2), "10");
    EXPECT_EQ(text.substr(text.size() - 7), ".000000");
}

struct ParseCase
{
    const char* text;
    double value;
    std::size_t used;
};

TEST(NumberFormat, ParseDoubleStopsAtTheFirstForeignCharacter)
{
    const ParseCase cases[] = {
        {"1.5e3", 1500.0, 5},      {"  -2.5dB", -2.5, 6}, {"1.0e-100", 1e-100, 8},
        {"3.5E+005", 350000.0, 8}, {"abc", 0.0, 0},       {"", 0.0, 0},
        {"0x10", 0.0, 1},          {".25", 0.25, 3},      {"7,5", 7.0, 1},
    };
    for (const auto& c : cases)
    {
        std::size_t used = 99;
        EXPECT_DOUBLE_EQ(platform::ParseDouble(c.text, &used), c.value) << c.text;
        EXPECT_EQ(used, c.used) << c.text;
    }
}

// The conversion sees only the number's own characters: whatever follows, it reads what strtod reads
// from the whole text (a long text's rest is not copied at every number).
TEST(NumberFormat, ParseDoubleReadsWhatStrtodReadsWhateverFollows)
{
    const std::string texts[] = {"inf rest",
                                 "-Infinity;",
                                 "nan(abc) 1",
                                 "1e5\n2",
                                 "\t\n 4.5e-3x",
                                 "1.5e",
                                 "+.5+",
                                 std::string("2.5\0 9", 6),
                                 "12" + std::string(100000, 'x')};
    for (const std::string& text : texts)
    {
        char* end = nullptr;
        const double expected = std::strtod(text.c_str(), &end);
        std::size_t used = 99;
        const double value = platform::ParseDouble(text, &used);
        EXPECT_EQ(used, static_cast<std::size_t>(end - text.c_str())) << text.substr(0, 20);
        if (std::isnan(expected))
            EXPECT_TRUE(std::isnan(value)) << text.substr(0, 20);
        else
            EXPECT_EQ(value, expected) << text.substr(0, 20);
    }
}

TEST(NumberFormat, ParseInt64TakesSignedDecimalsAndSaturates)
{
    std::size_t used = 0;
    EXPECT_EQ(platform::ParseInt64(" -9000000000000 rest", &used), -9000000000000LL);
    EXPECT_EQ(used, 15u);
    EXPECT_EQ(platform::ParseInt64("12abc"), 12);
    EXPECT_EQ(platform::ParseInt64("x12", &used), 0);
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(platform::ParseInt64("99999999999999999999"), INT64_MAX);
    EXPECT_EQ(platform::ParseInt64("-99999999999999999999"), INT64_MIN);
}

}  // namespace
