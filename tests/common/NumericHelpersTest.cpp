#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "common/BitFields.h"
#include "common/CurveFit.h"
#include "common/FloatSort.h"
#include "common/Log10.h"
#include "common/RelativeDeviation.h"
#include "common/SampleConversion.h"

namespace
{

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// ---------------------------------------------------------------------------------------------------------
// FloatToPcmBytes

struct PcmCase
{
    float x;
    int bits;
    std::vector<std::uint8_t> bytes;
};

const std::vector<PcmCase> kPcmCases = {
    {1.0f, 16, {0xFF, 0x7F}},
    {-1.0f, 16, {0x01, 0x80}},
    {0.0f, 16, {0x00, 0x00}},
    {0.5f, 16, {0xFF, 0x3F}},    // 16383.5 -> 16383
    {-0.5f, 16, {0x01, 0xC0}},   // -16383.5 -> -16383: toward zero, not down
    {-1e-5f, 16, {0x00, 0x00}},  // -0.33 -> 0, not -1
    {1.0f, 8, {0xFF}},
    {-1.0f, 8, {0x01}},
    {0.0f, 8, {0x80}},
    {0.5f, 8, {0xBF}},   // 63 + 128
    {-0.5f, 8, {0x41}},  // -63 + 128
    {1.0f, 24, {0xFF, 0xFF, 0x7F}},
    {-1.0f, 24, {0x01, 0x00, 0x80}},
    {0.0f, 24, {0x00, 0x00, 0x00}},
    {0.25f, 24, {0xFF, 0xFF, 0x1F}},  // 2097151.75 -> 0x1FFFFF
    {-0.25f, 24, {0x01, 0x00, 0xE0}},
    // Beyond full scale: saturated, never wrapped round to the other sign.
    {1.5f, 16, {0xFF, 0x7F}},
    {-1.5f, 16, {0x01, 0x80}},
    {1.5f, 8, {0xFF}},
    {-1.5f, 8, {0x01}},
    {1.5f, 24, {0xFF, 0xFF, 0x7F}},
    {-1.5f, 24, {0x01, 0x00, 0x80}},
    {1e30f, 16, {0xFF, 0x7F}},
    {kInf, 16, {0xFF, 0x7F}},
    {-kInf, 24, {0x01, 0x00, 0x80}},
    // NaN is silence.
    {kNan, 8, {0x80}},
    {kNan, 16, {0x00, 0x00}},
    {kNan, 24, {0x00, 0x00, 0x00}},
};

TEST(NumericHelpersTest, FloatToPcmBytesGoldenBytes)
{
    for (const PcmCase& c : kPcmCases)
    {
        std::array<std::uint8_t, 4> out;
        out.fill(0xAA);
        const int written = FloatToPcmBytes(c.x, out, c.bits);
        ASSERT_EQ(written, static_cast<int>(c.bytes.size())) << c.x << " at " << c.bits << " bits";
        EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + written), c.bytes)
            << c.x << " at " << c.bits << " bits";
        EXPECT_EQ(out[static_cast<std::size_t>(written)], 0xAA) << "wrote past the sample";
    }
}

TEST(NumericHelpersTest, FloatToPcmBytesOtherWidthsWriteNothing)
{
    for (int bits : {0, 12, 20, 32, -16})
    {
        std::array<std::uint8_t, 4> out;
        out.fill(0xAA);
        EXPECT_EQ(FloatToPcmBytes(0.5f, out, bits), 0) << bits;
        EXPECT_EQ(out, (std::array<std::uint8_t, 4>{0xAA, 0xAA, 0xAA, 0xAA})) << bits;
    }
    std::array<std::uint8_t, 2> tooSmall = {0xAA, 0xAA};
    EXPECT_EQ(FloatToPcmBytes(0.5f, tooSmall, 24), 0);
    EXPECT_EQ(tooSmall[0], 0xAA);
}

// Over a ramp well beyond full scale the 16-bit code never decreases and never leaves -32767..32767.
TEST(NumericHelpersTest, FloatToPcmBytesIsMonotoneAndBounded)
{
    int previous = -32767;
    for (int step = -40000; step <= 40000; ++step)
    {
        const float x = static_cast<float>(step) / 20000.0f;
        std::array<std::uint8_t, 2> out{};
        ASSERT_EQ(FloatToPcmBytes(x, out, 16), 2);
        const int code = static_cast<std::int16_t>(out[0] | (out[1] << 8));
        ASSERT_GE(code, previous) << x;
        ASSERT_LE(code, 32767);
        ASSERT_GE(code, -32767);
        previous = code;
    }
    EXPECT_EQ(previous, 32767);
}

// ---------------------------------------------------------------------------------------------------------
// FastLog10 and Log10Table

TEST(NumericHelpersTest, FastLog10AcrossPositiveNormalFloats)
{
    // Every 251st bit pattern from the smallest normal float to the largest finite one.
    double worst = 0.0;
    float worstAt = 0.0f;
    for (std::uint32_t bits = 0x00800000u; bits < 0x7F800000u; bits += 251)
    {
        const float x = std::bit_cast<float>(bits);
        const double error = std::fabs(FastLog10(x) - std::log10(static_cast<double>(x)));
        if (error > worst)
        {
            worst = error;
            worstAt = x;
        }
    }
    EXPECT_LT(worst, 1e-7) << "at " << worstAt;
    EXPECT_NEAR(FastLog10(std::numeric_limits<float>::max()),
                std::log10(double{std::numeric_limits<float>::max()}), 1e-7);
    EXPECT_NEAR(FastLog10(std::numeric_limits<float>::min()),
                std::log10(double{std::numeric_limits<float>::min()}), 1e-7);
}

TEST(NumericHelpersTest, FastLog10KnownValues)
{
    EXPECT_NEAR(FastLog10(1000.0f), 3.0, 1e-7);
    EXPECT_NEAR(FastLog10(1.0f), 0.0, 1e-7);
    EXPECT_NEAR(FastLog10(0.5f), -0.30102999566398120, 1e-7);
    EXPECT_NEAR(FastLog10(1e-6f), -6.0, 1e-7);
    // Zero is not checked: it reads as 2^-127.
    EXPECT_NEAR(FastLog10(0.0f), -127.0 * 0.30102999566398120, 1e-6);
}

TEST(NumericHelpersTest, Log10TableEntries)
{
    InitLog10Table();
    const double log10Of2 = 0.30102999566398120;
    EXPECT_EQ(Log10Table[0], -10.0f);
    EXPECT_FLOAT_EQ(Log10Table[1], static_cast<float>(-16.0 * log10Of2));
    EXPECT_FLOAT_EQ(Log10Table[32768], static_cast<float>(-log10Of2));
    EXPECT_FLOAT_EQ(Log10Table[16384], static_cast<float>(-2.0 * log10Of2));
    // log10(1 - 2^-16) ~ -2^-16 / ln 10
    EXPECT_NEAR(Log10Table[65535], -1.0 / 65536.0 / std::log(10.0), 1e-10);
    EXPECT_TRUE(std::is_sorted(Log10Table.begin(), Log10Table.end()));
}

// ---------------------------------------------------------------------------------------------------------
// Bit fields

TEST(NumericHelpersTest, NextPowerOfTwo)
{
    const std::pair<int, int> cases[] = {
        {0, 1},
        {1, 1},
        {2, 2},
        {3, 4},
        {1024, 1024},
        {1025, 2048},
        {-5, 1},
        {INT_MIN, 1},
        {65535, 65536},
        {1 << 30, 1 << 30},
        // Above 2^30 there is no int power of two left: capped rather than overflowing.
        {(1 << 30) + 1, 1 << 30},
        {INT_MAX, 1 << 30},
    };
    for (const auto& [n, expected] : cases)
    {
        EXPECT_EQ(NextPowerOfTwo(n), expected) << n;
    }
}

TEST(NumericHelpersTest, GetBits)
{
    struct Case
    {
        int value;
        int position;
        int width;
        int expected;
    };
    const Case cases[] = {
        {0xF0, 4, 4, 15},
        {0x12345678, 8, 8, 0x56},
        {0x12345678, 0, 31, 0x12345678},
        {0x12345678, 0, 0, 0},
        // Bits above bit 31 are copies of the sign bit.
        {INT_MIN, 28, 8, 0xF8},
        {-1, 31, 4, 0xF},
        {-1, 0, 31, 0x7FFFFFFF},
        {INT_MAX, 30, 4, 0x1},
        {-2, 40, 3, 0x7},
        {2, 40, 3, 0},
        {-1, 0, 32, -1},
        {-1, -1, 4, 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(GetBits(c.value, c.position, c.width), c.expected)
            << c.value << " at " << c.position << " width " << c.width;
    }
}

TEST(NumericHelpersTest, SetBits)
{
    struct Case
    {
        int before;
        int position;
        int width;
        int field;
        std::uint32_t after;
    };
    const Case cases[] = {
        {0, 4, 4, 0x1F, 0xF0},      // only the field's width is stored
        {-1, 4, 4, 0, 0xFFFFFF0F},  // the rest of the word is kept
        {0x12345678, 8, 8, 0xAB, 0x1234AB78},
        {0, 28, 8, 0xFF, 0xF0000000},  // bits past bit 31 are dropped
        {0, 31, 1, 1, 0x80000000},
        {0x0F0F0F0F, 0, 32, 0x12345678, 0x12345678},
        {0x55, 32, 4, 0xF, 0x55},  // no such position: unchanged
        {0x55, -1, 4, 0xF, 0x55},
    };
    for (const Case& c : cases)
    {
        int value = c.before;
        SetBits(&value, c.position, c.width, c.field);
        EXPECT_EQ(static_cast<std::uint32_t>(value), c.after)
            << c.before << " at " << c.position << " width " << c.width;
        if (c.position >= 0 && c.position < 32 && c.width > 0 && c.width < 32 && c.position + c.width <= 32)
        {
            EXPECT_EQ(GetBits(value, c.position, c.width), c.field & ((1 << c.width) - 1));
        }
    }
    SetBits(nullptr, 0, 4, 1);
}

TEST(NumericHelpersTest, SingleBits)
{
    int value = 0;
    SetBit(&value, 31, 1);
    EXPECT_EQ(value, INT_MIN);
    EXPECT_EQ(GetBit(value, 31), 1);
    EXPECT_EQ(GetBit(value, 30), 0);
    SetBit(&value, 3, 3);  // only bit 0 of the value counts
    EXPECT_EQ(static_cast<std::uint32_t>(value), 0x80000008u);
    SetBit(&value, 3, 2);
    EXPECT_EQ(value, INT_MIN);
    SetBit(&value, 31, 0);
    EXPECT_EQ(value, 0);
    SetBit(&value, 32, 1);
    EXPECT_EQ(value, 0);
    SetBit(nullptr, 1, 1);

    EXPECT_EQ(GetBitUnsigned(0x80000000u, 31), 1u);
    EXPECT_EQ(GetBitUnsigned(0x80000000u, 0), 0u);
    EXPECT_EQ(GetBit(-1, 32), 0);
    EXPECT_EQ(GetBit(-1, -1), 0);

    EXPECT_EQ(WithBit(0xFF, 0, 0), 0xFE);
    EXPECT_EQ(WithBit(0, 31, 1), INT_MIN);
    EXPECT_EQ(WithBit(0x10, 4, 1), 0x10);
    EXPECT_EQ(WithBit(0x10, 40, 0), 0x10);
}

TEST(NumericHelpersTest, FillInt32)
{
    std::array<std::int32_t, 7> words{};
    FillInt32(words.data() + 1, -7, 5);
    EXPECT_EQ(words, (std::array<std::int32_t, 7>{0, -7, -7, -7, -7, -7, 0}));
    FillInt32(words.data(), 9, 0);
    FillInt32(words.data(), 9, -3);
    EXPECT_EQ(words[0], 0);
}

// ---------------------------------------------------------------------------------------------------------
// LinearRegression

TEST(NumericHelpersTest, LinearRegressionExactLine)
{
    const float x[] = {0, 1, 2};
    const float y[] = {1, 3, 5};
    double slope = -1, intercept = -1, linearity = -1;
    LinearRegression(3, x, y, &slope, &intercept, &linearity);
    EXPECT_NEAR(slope, 2.0, 1e-12);
    EXPECT_NEAR(intercept, 1.0, 1e-12);
    EXPECT_NEAR(linearity, 0.0, 1e-9);
}

// The figure checked against 1000 * (1 - r^2) from Pearson's r over centred sums.
TEST(NumericHelpersTest, LinearRegressionNoisyPoints)
{
    constexpr int n = 40;
    std::vector<float> x(n), y(n);
    for (int i = 0; i < n; ++i)
    {
        x[i] = static_cast<float>(-60.0 + 1.5 * i);
        y[i] = static_cast<float>(-0.4 * x[i] + 7.0 + 3.0 * std::sin(1.7 * i) + 1.5 * std::cos(0.3 * i * i));
    }
    long double mx = 0, my = 0;
    for (int i = 0; i < n; ++i)
    {
        mx += x[i];
        my += y[i];
    }
    mx /= n;
    my /= n;
    long double cxx = 0, cyy = 0, cxy = 0;
    for (int i = 0; i < n; ++i)
    {
        cxx += (x[i] - mx) * (x[i] - mx);
        cyy += (y[i] - my) * (y[i] - my);
        cxy += (x[i] - mx) * (y[i] - my);
    }
    const double expectedSlope = static_cast<double>(cxy / cxx);
    const double expectedIntercept = static_cast<double>(my - cxy / cxx * mx);
    const double r2 = static_cast<double>(cxy * cxy / (cxx * cyy));
    const double expectedLinearity = 1000.0 * (1.0 - r2);
    ASSERT_GT(expectedLinearity, 10.0);  // really noisy, not nearly a line

    double slope = 0, intercept = 0, linearity = 0;
    LinearRegression(n, x.data(), y.data(), &slope, &intercept, &linearity);
    EXPECT_NEAR(slope, expectedSlope, 1e-9);
    EXPECT_NEAR(intercept, expectedIntercept, 1e-9);
    EXPECT_NEAR(linearity, expectedLinearity, 1e-6);

    double slopeOnly = 0, interceptOnly = 0;
    LinearRegression(n, x.data(), y.data(), &slopeOnly, &interceptOnly, nullptr);
    EXPECT_EQ(slopeOnly, slope);
    EXPECT_EQ(interceptOnly, intercept);
}

TEST(NumericHelpersTest, LinearRegressionDegenerateInputIsFinite)
{
    struct Case
    {
        std::vector<float> x;
        std::vector<float> y;
        double slope;
        double intercept;
    };
    // 507.71725f repeated 45 times: n*Sxx - Sx^2 rounds to -5e-7 instead of 0, which would give a
    // slope in the millions.
    std::vector<float> sameX(45, 507.7172546386719f);
    std::vector<float> rampY(45);
    std::iota(rampY.begin(), rampY.end(), 0.0f);
    const std::vector<Case> cases = {
        {{3, 3, 3}, {1, 2, 6}, 0, 3},
        {{2.5f}, {7}, 0, 7},
        {{}, {}, 0, 0},
        {sameX, rampY, 0, 22},
        // A horizontal line: the slope is well defined, there is no spread of y to explain.
        {{0, 1, 2}, {4, 4, 4}, 0, 4},
        {{0, 1, 2, 5}, {0.1f, 0.1f, 0.1f, 0.1f}, 0, 0.1f},
    };
    for (const Case& c : cases)
    {
        double slope = -99, intercept = -99, linearity = -99;
        LinearRegression(static_cast<int>(c.x.size()), c.x.data(), c.y.data(), &slope, &intercept,
                         &linearity);
        EXPECT_NEAR(slope, c.slope, 1e-12) << c.x.size() << " points";
        EXPECT_NEAR(intercept, c.intercept, 1e-6) << c.x.size() << " points";
        EXPECT_EQ(linearity, 0.0) << c.x.size() << " points";
    }
}

// ---------------------------------------------------------------------------------------------------------
// InterpolateCurve

TEST(NumericHelpersTest, InterpolateCurveTable)
{
    struct Case
    {
        std::vector<float> x;
        std::vector<float> y;
        float x0;
        bool logarithmic;
        float expected;
        float tolerance;
    };
    const std::vector<Case> cases = {
        {{100, 1000}, {0, 10}, 316.2f, true, 4.99971f, 1e-4f},   // 10 * log10(3.162)
        {{100, 1000}, {0, 10}, 316.2f, false, 2.40222f, 1e-4f},  // 10 * 216.2 / 900
        {{100, 1000}, {0, 10}, 50, true, 0, 0},
        {{100, 1000}, {0, 10}, 2000, true, 10, 0},
        {{100, 1000}, {0, 10}, 100, false, 0, 0},
        {{100, 1000}, {0, 10}, 1000, false, 10, 0},
        {{}, {}, 316.2f, true, 0, 0},
        {{100}, {7}, 5000, false, 7, 0},
        {{100, 200, 400, 800}, {0, 1, 2, 3}, 300, false, 1.5f, 1e-6f},
        {{100, 200, 400, 800}, {0, 1, 2, 3}, 283, true, 1.50085f, 1e-4f},  // 1 + log2(283 / 200)
        {{100, 200, 400, 800}, {0, 1, 2, 3}, 400, true, 2, 1e-6f},
        // Equal neighbours: the search never lands between them.
        {{100, 200, 200, 300}, {0, 1, 5, 6}, 200, false, 1, 0},
        {{100, 200, 200, 300}, {0, 1, 5, 6}, 250, false, 5.5f, 1e-6f},
        {{100, 200, 200, 300}, {0, 1, 5, 6}, 250, true, 5.55034f, 1e-4f},  // 5 + ln 1.25 / ln 1.5
        // Neighbours whose logarithms round to the same float: the upper entry.
        {{1000, std::nextafter(1000.0f, 2000.0f), 2000},
         {1, 2, 3},
         std::nextafter(1000.0f, 2000.0f),
         true,
         2,
         0},
        // No logarithm for x <= 0: the upper entry.
        {{0, 100, 1000}, {-5, 0, 10}, 50, true, 0, 0},
        {{0, 100, 1000}, {-5, 0, 10}, 50, false, -2.5f, 1e-6f},
        {{0, 100, 1000}, {-5, 0, 10}, 0, true, -5, 0},
        {{-100, -10, 100}, {1, 2, 3}, -50, true, 2, 0},
        {{-100, -10, 100}, {1, 2, 3}, 50, true, 3, 0},
        {{-100, -10, 100}, {1, 2, 3}, -10, true, 2, 0},
    };
    for (const Case& c : cases)
    {
        const float result =
            InterpolateCurve(static_cast<int>(c.x.size()), c.x.data(), c.y.data(), c.x0, c.logarithmic);
        EXPECT_TRUE(std::isfinite(result)) << c.x0 << (c.logarithmic ? " log" : " lin");
        EXPECT_NEAR(result, c.expected, c.tolerance) << c.x0 << (c.logarithmic ? " log" : " lin");
    }
}

TEST(NumericHelpersTest, InterpolateLinearIsTheLinearCurve)
{
    const float x[] = {100, 1000};
    const float y[] = {0, 10};
    EXPECT_EQ(InterpolateLinear(2, x, y, 316.2f), InterpolateCurve(2, x, y, 316.2f, false));
    EXPECT_EQ(InterpolateLinear(0, x, y, 316.2f), 0.0f);
}

// A NaN position compares with nothing; the search must still stop inside the table.
TEST(NumericHelpersTest, InterpolateCurveNanPositionStaysInTable)
{
    const float x[] = {100, 200, 400};
    const float y[] = {0, 1, 2};
    EXPECT_TRUE(std::isnan(InterpolateCurve(3, x, y, kNan, false)));
    EXPECT_TRUE(std::isnan(InterpolateCurve(3, x, y, kNan, true)));
    EXPECT_EQ(InterpolateCurve(1, x, y, kNan, true), 0.0f);
}

// ---------------------------------------------------------------------------------------------------------
// Sorting

TEST(NumericHelpersTest, CompareFloats)
{
    struct Case
    {
        float a;
        float b;
        int expected;
    };
    const Case cases[] = {
        {1, 2, -1},        {2, 1, 1},     {2, 2, 0},     {0.0f, -0.0f, 0},
        {-kInf, kInf, -1}, {kNan, 1, -1}, {1, kNan, -1}, {kNan, kNan, -1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(CompareFloats(&c.a, &c.b), c.expected) << c.a << " vs " << c.b;
    }
}

TEST(NumericHelpersTest, SortFloatsSmall)
{
    std::vector<float> values = {3, kNan, -1, 2, kNan, 0, -kInf};
    SortFloats(values.data(), static_cast<int>(values.size()));
    EXPECT_TRUE(std::isnan(values[0]));
    EXPECT_TRUE(std::isnan(values[1]));
    EXPECT_EQ(std::vector<float>(values.begin() + 2, values.end()), (std::vector<float>{-kInf, -1, 0, 2, 3}));
    SortFloats(values.data(), 0);
    SortFloats(nullptr, 5);
}

// Large enough for the library sort's unguarded partitioning, where an inconsistent comparison with NaN
// can run off the array: every value must survive, NaN first, numbers ascending.
TEST(NumericHelpersTest, SortFloatsWithManyNan)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> uniform(-1000.0f, 1000.0f);
    for (int round = 0; round < 20; ++round)
    {
        std::vector<float> values(2000);
        for (float& v : values)
        {
            v = random() % 5 == 0 ? kNan : uniform(random);
        }
        std::vector<float> numbers;
        std::copy_if(values.begin(), values.end(), std::back_inserter(numbers),
                     [](float v) { return !std::isnan(v); });
        std::sort(numbers.begin(), numbers.end());
        const std::size_t nanCount = values.size() - numbers.size();

        SortFloats(values.data(), static_cast<int>(values.size()));
        for (std::size_t i = 0; i < nanCount; ++i)
        {
            ASSERT_TRUE(std::isnan(values[i])) << i;
        }
        EXPECT_EQ(std::vector<float>(values.begin() + static_cast<std::ptrdiff_t>(nanCount), values.end()),
                  numbers);
    }
}

TEST(NumericHelpersTest, SortPairsByXKeepsPairsTogether)
{
    std::vector<float> x = {3, 1, kNan, 2, -5};
    std::vector<float> y = {30, 10, 99, 20, -50};
    SortPairsByX(x.data(), y.data(), static_cast<int>(x.size()));
    EXPECT_TRUE(std::isnan(x[0]));
    EXPECT_EQ(y[0], 99.0f);
    EXPECT_EQ(std::vector<float>(x.begin() + 1, x.end()), (std::vector<float>{-5, 1, 2, 3}));
    EXPECT_EQ(std::vector<float>(y.begin() + 1, y.end()), (std::vector<float>{-50, 10, 20, 30}));

    // Many pairs with NaN and repeated x: y always travels with its x.
    std::mt19937 random(7);
    std::vector<float> xs(3000), ys(3000);
    for (std::size_t i = 0; i < xs.size(); ++i)
    {
        const int r = static_cast<int>(random() % 50);
        xs[i] = r == 0 ? kNan : static_cast<float>(r);
        ys[i] = r == 0 ? -1.0f : static_cast<float>(r) * 10.0f;
    }
    SortPairsByX(xs.data(), ys.data(), static_cast<int>(xs.size()));
    for (std::size_t i = 0; i < xs.size(); ++i)
    {
        if (std::isnan(xs[i]))
        {
            ASSERT_EQ(ys[i], -1.0f) << i;
            ASSERT_TRUE(i == 0 || std::isnan(xs[i - 1])) << i;
        }
        else
        {
            ASSERT_EQ(ys[i], xs[i] * 10.0f) << i;
            ASSERT_TRUE(i == 0 || std::isnan(xs[i - 1]) || xs[i - 1] <= xs[i]) << i;
        }
    }
}

TEST(RelativeDeviation, IsTheDifferenceOverTheFirstValue)
{
    EXPECT_DOUBLE_EQ(RelativeDeviation(2.0, 3.0), 0.5);
    EXPECT_DOUBLE_EQ(RelativeDeviation(-2.0, 3.0), -2.5);
    EXPECT_DOUBLE_EQ(RelativeDeviation(4.0, 4.0), 0.0);
    EXPECT_TRUE(std::isinf(RelativeDeviation(0.0, 1.0)));
}

}  // namespace
