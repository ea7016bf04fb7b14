#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "display/AxisNumbers.h"
#include "display/PlotAxis.h"

namespace
{

struct StepCase
{
    double from = 0, to = 0;
    int divisions = 0;
    double step = 0, first = 0, last = 0;
};

// AxisNiceStep has the factor 1.25 that the plot's own grid (NiceGridStep) does not.
TEST(PlotAxisTest, AxisNiceStepTable)
{
    const StepCase cases[] = {
        {0, 100, 10, 10, 0, 100},
        {0, 1.2, 10, 0.125, 0, 1.125},
        {-1, 1, 13, 0.2, -1, 1},
        {0.3, 0.7, 4, 0.1, 0.3, 0.7},        // quotients a hair off whole numbers keep both ends
        {20, 20000, 10, 2000, 2000, 20000},  // raw 1998 -> factor 2
        {0, 22, 10, 2.5, 0, 20},             // raw 2.2 -> factor 2.5
        {3, 7, 4, 1, 3, 7},                  // mantissa exactly 1
        {0, 0.011, 10, 0.00125, 0, 0.01},
    };
    for (const StepCase& c : cases)
    {
        double step = -1, first = -1, last = -1;
        AxisNiceStep(c.from, c.to, c.divisions, &step, &first, &last);
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to << " / " << c.divisions);
        EXPECT_NEAR(step, c.step, c.step * 1e-12);
        EXPECT_NEAR(first, c.first, c.step * 1e-9);
        EXPECT_NEAR(last, c.last, c.step * 1e-9);
    }
}

TEST(PlotAxisTest, NiceGridStepTable)
{
    const StepCase cases[] = {
        {0, 100, 13, 10, 0, 100},           {-1, 1, 13, 0.2, -1, 1},
        {0, 1.2, 10, 0.2, 0, 1.2},  // no 1.25 here
        {20, 20000, 13, 2000, 2000, 20000}, {-120, 0, 13, 10, -120, 0},
        {0.3, 0.7, 4, 0.1, 0.3, 0.7},
    };
    for (const StepCase& c : cases)
    {
        double step = -1, first = -1, last = -1;
        NiceGridStep(c.from, c.to, c.divisions, &step, &first, &last);
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to << " / " << c.divisions);
        EXPECT_NEAR(step, c.step, c.step * 1e-12);
        EXPECT_NEAR(first, c.first, c.step * 1e-9);
        EXPECT_NEAR(last, c.last, c.step * 1e-9);
    }
}

TEST(PlotAxisTest, StepRulesLeaveOutputsAloneWithoutARange)
{
    const StepCase cases[] = {{5, 5, 10}, {10, 0, 10}, {0, 10, 0}, {0, 10, -3}};
    for (const StepCase& c : cases)
    {
        double step = 7, first = 8, last = 9;
        AxisNiceStep(c.from, c.to, c.divisions, &step, &first, &last);
        NiceGridStep(c.from, c.to, c.divisions, &step, &first, &last);
        EXPECT_EQ(step, 7);
        EXPECT_EQ(first, 8);
        EXPECT_EQ(last, 9);
    }
}

TEST(PlotAxisTest, TimeAxisStepTable)
{
    struct Case
    {
        double from, to;
        int divisions;
        double step;
        int style;
    };
    const Case cases[] = {
        {0, 100, 10, 10, 105},         {20, 80, 6, 10, 108},  // starts after 10 s
        {0, 119, 2, 30, 105},  // raw 59.5 s: no factor reaches it, the last one (30) is taken
        {0, 3600, 10, 600, 107},       {0, 120, 10, 60, 107},      // exactly two minutes: minute steps
        {0, 7200, 10, 3600, 107},                                  // exactly two hours: hour steps
        {0, 36000, 10, 3600, 107},     {0, 50000, 5, 10800, 107},  // raw 10000 s -> 3 h
        {0, 3 * 86400.0, 6, 86400, 0},  // days: the days-hours-minutes-seconds text
    };
    for (const Case& c : cases)
    {
        double step = -1, first = -1, last = -1;
        int style = -1;
        TimeAxisStep(c.from, c.to, c.divisions, &step, &first, &last, &style);
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
        EXPECT_EQ(step, c.step);
        EXPECT_EQ(style, c.style);
        EXPECT_EQ(first, std::ceil(c.from / c.step) * c.step);
        EXPECT_EQ(last, std::floor(c.to / c.step) * c.step);
    }
    double step = -1, first = -1, last = -1;
    int style = -1;
    TimeAxisStep(100, 0, 10, &step, &first, &last, &style);  // negative span
    TimeAxisStep(0, 100, 0, &step, &first, &last, &style);
    EXPECT_EQ(step, -1);
    EXPECT_EQ(style, -1);
}

TEST(PlotAxisTest, MapToPixelsTable)
{
    struct Case
    {
        double value, from, to, pixelFrom, pixelTo;
        int logarithmic;
        double pixel;
    };
    const Case cases[] = {
        {100, 10, 1000, 0, 200, 1, 100}, {10, 10, 1000, 50, 250, 1, 50}, {5, 0, 10, 100, 300, 0, 200},
        {-5, 0, 10, 100, 300, 0, 0},     {5, 0, 10, 300, 100, 0, 200},  // pixels may run backwards (y axes)
        {5, 3, 3, 40, 90, 0, 40},                                       // no extent
        {5, 0, 10, 40, 90, 1, 40},                                      // no logarithm of 0
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(MapToPixels(c.value, c.from, c.to, c.pixelFrom, c.pixelTo, c.logarithmic), c.pixel);
}

std::vector<double> MajorTicks(const CPlotAxis& axis)
{
    return std::vector<double>(axis.m_adMajorTicks.begin(), axis.m_adMajorTicks.begin() + axis.m_nMajorTicks);
}

std::vector<std::string> MajorLabels(const CPlotAxis& axis)
{
    return std::vector<std::string>(axis.m_arrMajorLabels.begin(),
                                    axis.m_arrMajorLabels.begin() + axis.m_nMajorTicks);
}

std::vector<double> MinorTicks(const CPlotAxis& axis)
{
    return std::vector<double>(axis.m_adMinorTicks.begin(), axis.m_adMinorTicks.begin() + axis.m_nMinorTicks);
}

void ExpectValues(const std::vector<double>& actual, const std::vector<double>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], std::fabs(expected[i]) * 1e-12 + 1e-15) << "tick " << i;
}

struct AxisCase
{
    const char* name;
    double minimum, maximum;
    int logarithmic;
    int divisions;
    std::vector<double> majors;
    std::vector<std::string> labels;
    std::vector<double> minors;  // empty: not checked
};

class PlotAxisTicks : public testing::TestWithParam<AxisCase>
{
};

TEST_P(PlotAxisTicks, MajorAndMinorTicksWithLabels)
{
    const AxisCase& c = GetParam();
    CPlotAxis axis;
    axis.m_dMinimum = c.minimum;
    axis.m_dMaximum = c.maximum;
    axis.m_bLogarithmic = c.logarithmic;
    axis.m_nMajorDivisions = c.divisions;
    axis.m_dStartPixel = 0;
    axis.m_dEndPixel = 600;
    axis.BuildTicks();
    axis.BuildMinorTicks();
    ExpectValues(MajorTicks(axis), c.majors);
    EXPECT_EQ(MajorLabels(axis), c.labels);
    if (!c.minors.empty())
        ExpectValues(MinorTicks(axis), c.minors);
}

std::vector<double> LogMinors(double fromDecade, int decades)
{
    std::vector<double> values;
    for (int d = 0; d < decades; ++d)
        for (int m = 2; m <= 10; ++m)
            values.push_back(m * fromDecade * std::pow(10.0, d));
    return values;
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, PlotAxisTicks,
    testing::Values(
        AxisCase{"LogThreeDecades",
                 10,
                 10000,
                 1,
                 10,
                 {100, 1000, 10000},
                 {"100", "1000", "10k"},
                 LogMinors(10, 3)},
        // Less than one decade: no power of ten inside, the minor ticks still mark the multiples.
        AxisCase{"LogPartOfADecade", 20, 80, 1, 10, {}, {}, {20, 30, 40, 50, 60, 70, 80}},
        AxisCase{"LogAcrossOneDecadeLine",
                 300,
                 3000,
                 1,
                 10,
                 {1000},
                 {"1000"},
                 {300, 400, 500, 600, 700, 800, 900, 1000, 2000, 3000}},
        // Seven decades: ticks below the linear step each keep their own digits instead of "0".
        AxisCase{"LogSevenDecades",
                 0.001,
                 10000,
                 1,
                 10,
                 {0.01, 0.1, 1, 10, 100, 1000, 10000},
                 {"0.01", "0.1", "1", "10", "100", "1000", "10k"},
                 LogMinors(0.001, 7)},
        AxisCase{"LogAudioBand", 20, 20000, 1, 10, {100, 1000, 10000}, {"100", "1000", "10k"}, {}},
        AxisCase{"LinearDecade",
                 0,
                 100,
                 0,
                 10,
                 {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100},
                 {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"},
                 {}},
        AxisCase{"LinearAroundZero",
                 -1,
                 1,
                 0,
                 10,
                 {-1, -0.8, -0.6, -0.4, -0.2, 0, 0.2, 0.4, 0.6, 0.8, 1},
                 {"-1.0", "-0.8", "-0.6", "-0.4", "-0.2", "0.0", "0.2", "0.4", "0.6", "0.8", "1.0"},
                 {}},
        AxisCase{"LinearKilo",
                 0,
                 20000,
                 0,
                 4,
                 {0, 5000, 10000, 15000, 20000},
                 {"0", "5k", "10k", "15k", "20k"},
                 {}},
        // Steps of 2.5 units: labels carry the decimal the step needs ("0.2" would stand for 0.25).
        AxisCase{"LinearQuarter",
                 0,
                 1,
                 0,
                 4,
                 {0, 0.25, 0.5, 0.75, 1},
                 {"0.00", "0.25", "0.50", "0.75", "1.00"},
                 {}},
        AxisCase{
            "LinearTwoAndAHalf", 0, 10, 0, 4, {0, 2.5, 5, 7.5, 10}, {"0.0", "2.5", "5.0", "7.5", "10.0"}, {}},
        AxisCase{"Empty", 5, 5, 0, 10, {}, {}, {}}, AxisCase{"Reversed", 10, 1, 0, 10, {}, {}, {}}),
    [](const testing::TestParamInfo<AxisCase>& info) { return std::string(info.param.name); });

TEST(PlotAxisTest, LinearMinorTicksFollowFiveTimesTheDivisions)
{
    CPlotAxis axis;
    axis.m_dMinimum = 0;
    axis.m_dMaximum = 100;
    axis.m_nMajorDivisions = 10;
    axis.BuildMinorTicks();
    EXPECT_DOUBLE_EQ(axis.m_dMinorStep, 2.0);
    ASSERT_EQ(axis.m_nMinorTicks, 51);
    EXPECT_DOUBLE_EQ(axis.m_adMinorTicks[25], 50.0);
    EXPECT_DOUBLE_EQ(axis.m_adMinorTicks[50], 100.0);
}

TEST(PlotAxisTest, TickCountsStopAtTheTableSize)
{
    CPlotAxis axis;
    axis.m_dMinimum = 0;
    axis.m_dMaximum = 5000;
    axis.m_nMajorDivisions = 5000;
    axis.BuildTicks();
    axis.BuildMinorTicks();
    EXPECT_EQ(axis.m_nMajorTicks, CPlotAxis::kMaxTicks);
    EXPECT_EQ(axis.m_nMinorTicks, CPlotAxis::kMaxTicks);
    EXPECT_EQ(axis.m_arrMajorLabels[CPlotAxis::kMaxTicks - 1], "1023");
    axis.AddTick(1.0);  // one more is dropped, not written past the table
    EXPECT_EQ(axis.m_nMajorTicks, CPlotAxis::kMaxTicks);
}

TEST(PlotAxisTest, FormatTickTable)
{
    struct Case
    {
        int mode;
        double minimum, maximum, value, step;
        const char* text;
    };
    const Case cases[] = {
        {1, 0, 1, 2000, 500, "2k"},
        {1, 0, 1, 2500, 500, "2500"},
        {1, 0, 1, 1000, 500, "1000"},  // only above 1000
        {1, 0, 1, 12.7, 5, "12"},      // the integer part
        {1, 0, 1, -3.5, 1, "-3"},
        {1, 0, 1, 0.25, 0.05, "0.25"},
        {1, 0, 1, 7.5, 2.5, "7.5"},
        {1, 0, 1, 1.25, 1.25, "1.25"},
        {1, 0, 1, 0.75, 0.25, "0.75"},
        {1, 0, 1, 0.5, 0.1, "0.5"},
        {1, 0, 1, 0.0005, 0.0005, "0.0005"},
        {1, 0, 1, 0.00002, 0.00001, "0.00002"},
        {1, 0, 1, 0.000002, 0.000001, "0.000002"},
        {0, 0, 2000, 500, 0, "500"},
        {0, -200, 50, 12.5, 0, "12.5"},
        {0, 0, 50, 12.5, 0, "12.50"},
        {0, 0, 5, 2.5, 0, "2.500"},
        {0, 0, 1, 0.5, 0, "0.5000"},
    };
    for (const Case& c : cases)
    {
        CPlotAxis axis;
        axis.m_nLabelMode = c.mode;
        axis.m_dMinimum = c.minimum;
        axis.m_dMaximum = c.maximum;
        EXPECT_EQ(axis.FormatTick(c.value, c.step), c.text) << c.value << " step " << c.step;
    }
}

TEST(PlotAxisTest, FormatAxisNumberTable)
{
    struct Case
    {
        double value, step;
        const char* text;
    };
    const Case cases[] = {
        {2000, 500, "2k"},
        {2001, 500, "2k"},
        {2002, 500, "2002"},
        {2500, 5, "2500.0"},
        {0.25, 0.05, "0.25"},
        {0.0002, 0.00005, "0.0002"},
        {999.6, 1, "1k"},
        {1999, 500, "2k"},  // the nearest thousand, not 1999 / 1000
        {-2000, 500, "-2000"},
        {12.34, 5, "12.3"},
        {12.5, 20, "13"},
        {-12.5, 20, "-13"},
        {0.5, 0.1, "0.5"},
        {0.125, 0.001, "0.125"},
        {0.00002, 0.00001, "2E-05"},
        {0.75, 0.25, "0.75"},
        {0.075, 0.025, "0.075"},
        {7.5, 2.5, "7.5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatAxisNumber(c.value, c.step), c.text) << c.value << " step " << c.step;
}

TEST(PlotAxisTest, ValueToPixelTable)
{
    struct Case
    {
        int logarithmic, inverted;
        double minimum, maximum, start, end, value, pixel;
    };
    const Case cases[] = {
        {0, 0, 0, 100, 50, 550, 25, 175},        {0, 1, 0, 100, 50, 550, 25, 425},
        {0, 0, 0, 100, 50, 550, 150, 800},  // outside the range: outside the pixels
        {1, 0, 10, 10000, 100, 400, 100, 200},   {1, 1, 10, 10000, 100, 400, 100, 300},
        {1, 0, 10, 10000, 100, 400, 10000, 400}, {1, 0, 10, 10000, 100, 400, std::sqrt(10.0) * 10, 150},
    };
    for (const Case& c : cases)
    {
        CPlotAxis axis;
        axis.m_bLogarithmic = c.logarithmic;
        axis.m_bInverted = c.inverted;
        axis.m_dMinimum = c.minimum;
        axis.m_dMaximum = c.maximum;
        axis.m_dStartPixel = c.start;
        axis.m_dEndPixel = c.end;
        axis.BuildTicks();
        EXPECT_NEAR(axis.ValueToPixel(c.value), c.pixel, 1e-9) << c.value;
    }
}

TEST(PlotAxisTest, ValueToPixelStaysFiniteWithoutALogarithm)
{
    CPlotAxis axis;
    axis.m_bLogarithmic = 1;
    axis.m_dMinimum = 10;
    axis.m_dMaximum = 1000;
    axis.m_dEndPixel = 200;
    axis.BuildTicks();
    EXPECT_TRUE(std::isfinite(axis.ValueToPixel(0.0)));
    EXPECT_TRUE(std::isfinite(axis.ValueToPixel(-5.0)));
    EXPECT_LT(axis.ValueToPixel(0.0), 0.0);
}

TEST(PlotAxisTest, ClockTimeTicksAreLabelledAsTimes)
{
    CPlotAxis axis;
    axis.m_nType = CPlotAxis::kTypeClockTime;
    axis.m_dMinimum = 0;
    axis.m_dMaximum = 100;
    axis.m_nMajorDivisions = 10;
    axis.BuildTicks();
    ASSERT_EQ(axis.m_nMajorTicks, 11);
    EXPECT_EQ(axis.m_nTimeLabelStyle, 105);
    EXPECT_EQ(axis.m_arrMajorLabels[0], "0s");
    EXPECT_EQ(axis.m_arrMajorLabels[3], "30s");

    // Ten to twelve o'clock, shifted by the owner to the time of day.
    axis.m_dMinimum = 36000;
    axis.m_dMaximum = 43200;
    axis.BuildTicks();
    EXPECT_EQ(MajorTicks(axis), (std::vector<double>{36000, 39600, 43200}));
    EXPECT_EQ(MajorLabels(axis), (std::vector<std::string>{"10:00", "11:00", "12:00"}));
}

TEST(PlotAxisTest, TimeOfDayOfTheTimeBase)
{
    CPlotAxis axis;
    EXPECT_EQ(axis.TimeOfDay(), 0.0);  // flag off
    axis.m_bUseTimeBase = 1;
    // The constructed time base is 22:15:00 local time.
    EXPECT_EQ(axis.TimeOfDay(), 22 * 3600.0 + 15 * 60.0);
    std::tm when{};
    when.tm_year = 2020 - 1900;
    when.tm_mon = 5;
    when.tm_mday = 1;
    when.tm_hour = 7;
    when.tm_min = 8;
    when.tm_sec = 9;
    when.tm_isdst = -1;
    axis.m_timeBase = std::mktime(&when);
    EXPECT_EQ(axis.TimeOfDay(), 7 * 3600.0 + 8 * 60.0 + 9);
}

}  // namespace

namespace
{

TEST(StepPrecisionTest, DecimalsFollowTheStepSizeUpToTheLimit)
{
    const struct
    {
        double step;
        int maxPrecision;
        int precision;
    } cases[] = {
        {25.0, 4, 0},   {1.0, 4, 0},     {0.99, 4, 1},    {0.1, 4, 1},      {0.05, 4, 2}, {0.001, 4, 3},
        {0.0001, 4, 4}, {0.00009, 4, 5}, {0.00001, 5, 5}, {0.000009, 5, 6}, {0.0, 4, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StepPrecision(c.step, c.maxPrecision), c.precision) << c.step << " " << c.maxPrecision;
}

}  // namespace
