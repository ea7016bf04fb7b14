#include "common/TextFormatting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>

#include "tests/support/NumericLocale.h"

namespace
{

const std::string kMicro = "\xC2\xB5";

struct EngineeringCase
{
    double value;
    int digits;
    const char* unit;
    std::string expected;
};

TEST(FormatEngineering, CutsToSignificantDigitsWithSiPrefixes)
{
    const EngineeringCase cases[] = {
        {1234.5, 4, "Hz", "1.234kHz"},
        {999.99, 4, "Hz", "999.9Hz"},
        {0.0025, 4, "Hz", "2.500mHz"},
        {48000.0, 4, "Hz", "48.00kHz"},
        {-0.5, 4, "Hz", "-500.0mHz"},
        {2.5e9, 4, "Hz", "2.500GHz"},
        {3.3e12, 4, "Hz", "3.300THz"},
        {1.5e15, 4, "Hz", "1.500PHz"},
        {4.7e-6, 4, "F", "4.700" + kMicro + "F"},
        {2.2e-9, 4, "F", "2.200nF"},  // stored as 2.1999999999999997 after scaling
        {1.0e-12, 4, "F", "1.000pF"},
        {1.0, 4, "V", "1.000V"},
        {1000.0, 4, "", "1.000k"},
        {0.001, 4, "s", "1.000ms"},
        {1.99999, 4, "V", "1.999V"},  // cut, never rounded up
        {-1234.5, 3, "Hz", "-1.23kHz"},
        {123456.0, 2, "Hz", "12kHz"},  // no point among the kept digits
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatEngineering(c.value, c.digits, c.unit), c.expected) << c.value;
}

TEST(FormatEngineering, GivesADashOutsideThePrefixRange)
{
    const double cases[] = {0.0,
                            1e-13,
                            2e18,
                            -2e18,
                            1e25,
                            1e-25,
                            std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity()};
    for (const double value : cases)
        EXPECT_EQ(FormatEngineering(value, 4, "Hz"), "-") << value;
}

struct TimeSpanCase
{
    double seconds;
    std::string expected;
};

TEST(FormatTimeSpan, PicksTheUnitBySize)
{
    const TimeSpanCase cases[] = {
        {0.5e-9, "0"},
        {0.0, "0"},
        {5e-8, "50.00ns"},
        {5e-6, "5.00" + kMicro + "s"},
        {0.0005, "500" + kMicro + "s"},
        {0.05, "50.00ms"},
        {-0.05, "-50.00ms"},
        {0.5, "500ms"},
        {0.99995, "1.00s"},
        {12.5, "12.50s"},
        {125.0, "2m: 5s"},
        {125.9, "2m: 5s"},  // whole seconds, cut
        {3725.0, "1h:2m: 5s"},
        {90061.0, "1d:1h:1m: 1s"},
        {-125.0, "-2m:-5s"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatTimeSpan(c.seconds), c.expected) << c.seconds;
}

TEST(FormatTimeSpan, ValuesBeyondTheIntegerRangeStayDefined)
{
    // Whole seconds saturate instead of overflowing; NaN counts as no time at all.
    EXPECT_EQ(FormatTimeSpan(1e300).substr(0, 19), "106751991167300d:15");
    EXPECT_EQ(FormatTimeSpan(std::numeric_limits<double>::quiet_NaN()), "0d:0h:0m: 0s");
}

struct StyleCase
{
    double seconds;
    int style;
    const char* expected;
};

TEST(FormatTimeByStyle, Styles)
{
    const StyleCase cases[] = {
        {3725.0, kTimeStyleHoursMinutes, "01:02"},
        {3725.0, kTimeStyleHoursMinutesSeconds, "1h:2m:5s"},
        {3725.0, kTimeStyleSecondsOfMinute, "5s"},
        {3725.0, 0, "0d:1h:2m: 5s"},
        {3725.0, 999, "0d:1h:2m: 5s"},
        {3725.0, kTimeStyleMinutesSeconds, "2m: 5"},
        {1.5, kTimeStyleMilliseconds, "1500.00"},
        {0.0012345, kTimeStyleMilliseconds, "1.23"},
        {1.5, kTimeStyleSeconds, "1.50"},
        {90061.0, kTimeStyleHoursMinutes, "01:01"},  // hours within the day
        {45296.0, kTimeStyleHoursMinutes, "12:34"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatTimeByStyle(c.seconds, c.style), c.expected) << c.seconds << " style " << c.style;
}

TEST(FormatSignificant, DecimalsFollowTheSize)
{
    const TimeSpanCase cases[] = {
        {25.7, "26"},  {2.5, "2.500"},  {0.0123, "0.0123"}, {0.5, "0.500"},
        {0.0, "0.00"}, {-1.5, "-1.50"}, {10.0, "10"},       {9.9996, "10.000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatSignificant(c.seconds, 3), c.expected) << c.seconds;
    // No digits asked: never a negative precision (which would mean six decimals).
    EXPECT_EQ(FormatSignificant(-1.5, 0), "-2");
}

TEST(OnOffText, AnyNonZeroFlagIsOn)
{
    EXPECT_EQ(OnOffText(0), "OFF");
    EXPECT_EQ(OnOffText(1), "ON");
    EXPECT_EQ(OnOffText(-1), "ON");
}

TEST(ArrayLiteral, OneAssignmentLine)
{
    const float floats[] = {1.0f, -0.25f};
    EXPECT_EQ(FormatFloatArrayLiteral("h", floats), "h=[1.000000e+00 -2.500000e-01 ];\n");
    const double doubles[] = {1.0e-100, 123456789.0};
    EXPECT_EQ(FormatDoubleArrayLiteral("coeffs", doubles), "coeffs=[1.000000e-100 1.234568e+08 ];\n");
    EXPECT_EQ(FormatFloatArrayLiteral("empty", {}), "empty=[];\n");
    EXPECT_EQ(FormatDoubleArrayLiteral("empty", {}), "empty=[];\n");
}

// Sets TZ for one test and puts the previous value back.
class TimeStamp : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* previous = std::getenv("TZ"))
            m_previous = previous;
    }
    void TearDown() override
    {
        if (m_previous)
            setenv("TZ", m_previous->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void UseZone(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    std::optional<std::string> m_previous;
};

// 2011-03-05 09:04:07 UTC.
constexpr std::time_t kMorningUtc = 1299315847;

TEST_F(TimeStamp, LocalTimeWithoutZeroPadding)
{
    UseZone("UTC0");
    EXPECT_EQ(MakeTimeStamp(kMorningUtc), "2011_3_5_9_4_7");
    // Five hours west: the stamp follows the local clock.
    UseZone("EST5");
    EXPECT_EQ(MakeTimeStamp(kMorningUtc), "2011_3_5_4_4_7");
    UseZone("EST5");
    EXPECT_EQ(MakeTimeStamp(kMorningUtc - 5 * 3600), "2011_3_4_23_4_7");
}

TEST_F(TimeStamp, CurrentTimeIsNow)
{
    const std::time_t before = std::time(nullptr);
    const std::string stamp = MakeCurrentTimeStamp();
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(stamp == MakeTimeStamp(before) || stamp == MakeTimeStamp(after)) << stamp;
}

TEST(TextFormatting, DoesNotFollowTheUserLocale)
{
    testsupport::DecimalCommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    EXPECT_EQ(FormatEngineering(1234.5, 4, "Hz"), "1.234kHz");
    EXPECT_EQ(FormatTimeSpan(0.05), "50.00ms");
    EXPECT_EQ(FormatSignificant(2.5, 3), "2.500");
    EXPECT_EQ(FormatTimeByStyle(1.5, kTimeStyleSeconds), "1.50");
    const float floats[] = {1.5f};
    EXPECT_EQ(FormatFloatArrayLiteral("x", floats), "x=[1.500000e+00 ];\n");
}

}  // namespace
