#include "dsp/ArrayStatistics.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace
{

struct StatisticsCase
{
    std::string name;
    std::vector<float> x;
};

// Reference sums in long double, accumulated independently of the library.
struct Reference
{
    long double sum = 0.0L;
    long double sumSquares = 0.0L;
    float min = 0.0f;
    float max = 0.0f;
};

Reference Compute(const std::vector<float>& x)
{
    Reference r;
    if (x.empty())
        return r;
    r.min = r.max = x[0];
    for (float v : x)
    {
        r.sum += v;
        r.sumSquares += static_cast<long double>(v) * v;
        r.min = std::min(r.min, v);
        r.max = std::max(r.max, v);
    }
    return r;
}

std::vector<StatisticsCase> StatisticsCases()
{
    std::vector<StatisticsCase> cases;
    cases.push_back({"short mixed", {0.5f, -0.7f, 0.9f, 0.9f, -0.7f, 0.2f}});
    cases.push_back({"single negative", {-0.25f}});
    // A million samples of 0.1: a float accumulator would drift by several percent.
    cases.push_back({"long constant", std::vector<float>(1000000, 0.1f)});
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> noise(48000);
    for (float& v : noise)
        v = uniform(generator) + 0.25f;
    cases.push_back({"noise with offset", noise});
    return cases;
}

TEST(ArrayStatisticsTest, SumsMeansAndExtremesMatchIndependentSums)
{
    for (const StatisticsCase& c : StatisticsCases())
    {
        SCOPED_TRACE(c.name);
        const float* x = c.x.data();
        const int n = static_cast<int>(c.x.size());
        const Reference r = Compute(c.x);
        const double rms = std::sqrt(static_cast<double>(r.sumSquares / n));
        const double mean = static_cast<double>(r.sum / n);

        EXPECT_NEAR(GetSum(x, n), static_cast<double>(r.sum), 1e-9 * n);
        EXPECT_NEAR(GetSumOfSquares(x, n), static_cast<double>(r.sumSquares), 1e-9 * n);
        EXPECT_NEAR(GetRms(x, n), rms, 1e-12);
        EXPECT_NEAR(GetMean(x, n), mean, 1e-12);

        float frms = 0, fmin = 0, fmax = 0, fmean = 0;
        double sumSquares = 0;
        GetRmsMinMax(x, n, &frms, &fmin, &fmax);
        EXPECT_FLOAT_EQ(frms, static_cast<float>(rms));
        EXPECT_EQ(fmin, r.min);
        EXPECT_EQ(fmax, r.max);
        GetSumSquaresMinMax(x, n, &sumSquares, &fmin, &fmax);
        EXPECT_NEAR(sumSquares, static_cast<double>(r.sumSquares), 1e-9 * n);
        EXPECT_EQ(fmin, r.min);
        EXPECT_EQ(fmax, r.max);
        GetMeanMinMax(x, n, &fmean, &fmin, &fmax);
        EXPECT_FLOAT_EQ(fmean, static_cast<float>(mean));
        EXPECT_EQ(fmin, r.min);
        EXPECT_EQ(fmax, r.max);
    }
}

TEST(ArrayStatisticsTest, RmsOfWholePeriodsOfASineIsAmplitudeOverRootTwo)
{
    const double amplitudes[] = {1.0, 0.5, 1e-3};
    for (double a : amplitudes)
    {
        std::vector<float> x(4800);  // 100 periods of 48 samples
        for (std::size_t i = 0; i < x.size(); ++i)
            x[i] = static_cast<float>(a * std::sin(2.0 * std::numbers::pi * static_cast<double>(i) / 48.0));
        EXPECT_NEAR(GetRms(x.data(), 4800), a / std::sqrt(2.0), 1e-7 * a) << a;
        EXPECT_NEAR(GetMean(x.data(), 4800), 0.0, 1e-8 * a) << a;
    }
}

TEST(ArrayStatisticsTest, ExtremesKeepTheFirstOfEqualValues)
{
    struct Case
    {
        std::vector<float> x;
        float max;
        int maxIndex;
        float min;
        int minIndex;
        float peak;
        int peakIndex;
    };
    const Case cases[] = {
        {{0.5f, -0.7f, 0.9f, 0.9f, -0.7f, 0.2f}, 0.9f, 2, -0.7f, 1, 0.9f, 2},
        {{0.5f, 0.2f, -0.3f, 0.1f}, 0.5f, 0, -0.3f, 2, 0.5f, 0},
        // A negative peak wins on its magnitude; an equal positive one later does not replace it.
        {{0.1f, -0.8f, 0.8f, 0.3f}, 0.8f, 2, -0.8f, 1, 0.8f, 1},
        {{-2.0f}, -2.0f, 0, -2.0f, 0, 2.0f, 0},
    };
    for (const Case& c : cases)
    {
        const int n = static_cast<int>(c.x.size());
        int index = -1;
        EXPECT_FLOAT_EQ(FindMax(c.x.data(), n, &index), c.max);
        EXPECT_EQ(index, c.maxIndex);
        EXPECT_FLOAT_EQ(FindMin(c.x.data(), n, &index), c.min);
        EXPECT_EQ(index, c.minIndex);
        EXPECT_FLOAT_EQ(FindPeakMagnitude(c.x.data(), n, &index), c.peak);
        EXPECT_EQ(index, c.peakIndex);
        // The index output may be left out.
        EXPECT_FLOAT_EQ(FindMax(c.x.data(), n, nullptr), c.max);
        EXPECT_FLOAT_EQ(FindMin(c.x.data(), n, nullptr), c.min);
        EXPECT_FLOAT_EQ(FindPeakMagnitude(c.x.data(), n, nullptr), c.peak);
    }
}

// Long arrays are searched in lanes: the result must still be the first index of the extreme that a
// point-by-point search finds, with ties, signed zeros and NaN anywhere (a NaN at index 0 wins).
TEST(ArrayStatisticsTest, LongExtremesMatchAPointByPointSearch)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, 9);
    const float values[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, -0.5f, 2.0f, -2.0f, std::nanf(""), 0.25f};
    for (const int n : {1, 2, 7, 8, 9, 15, 16, 17, 33, 100, 1000})
    {
        for (int round = 0; round < 20; ++round)
        {
            std::vector<float> x(static_cast<std::size_t>(n));
            for (float& v : x)
                v = values[pick(random)];
            int serialMax = 0, serialMin = 0;
            for (int i = 1; i < n; ++i)
            {
                if (x[i] > x[serialMax])
                    serialMax = i;
                if (x[i] < x[serialMin])
                    serialMin = i;
            }
            int index = -1;
            const float max = FindMax(x.data(), n, &index);
            EXPECT_EQ(index, serialMax) << "n " << n;
            EXPECT_EQ(std::bit_cast<std::uint32_t>(max), std::bit_cast<std::uint32_t>(x[serialMax]));
            const float min = FindMin(x.data(), n, &index);
            EXPECT_EQ(index, serialMin) << "n " << n;
            EXPECT_EQ(std::bit_cast<std::uint32_t>(min), std::bit_cast<std::uint32_t>(x[serialMin]));
        }
    }
}

// Largest RMS over every window by summing each window afresh.
double BruteForceMaxRms(const std::vector<float>& x, int w, int* start)
{
    double best = -1.0;
    for (int s = 0; s + w <= static_cast<int>(x.size()); ++s)
    {
        long double e = 0.0L;
        for (int i = s; i < s + w; ++i)
            e += static_cast<long double>(x[i]) * x[i];
        if (static_cast<double>(e) > best)
        {
            best = static_cast<double>(e);
            *start = s;
        }
    }
    return std::sqrt(best / w);
}

TEST(ArrayStatisticsTest, MaxRmsWindowFindsTheLoudestWindow)
{
    struct Case
    {
        std::string name;
        std::vector<float> x;
        int w;
        double rms;
        int start;
    };
    const Case cases[] = {
        {"loud pair in the middle", {0.1f, 0.2f, 0.9f, 0.9f, 0.1f, 0.0f, 0.0f, 0.3f}, 2, 0.9, 2},
        {"window as long as the array", {0.3f, -0.4f}, 2, std::sqrt(0.125), 0},
        // Windows that start in the last w-1 positions count as well.
        {"loud pair at the very end", {0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.8f, -0.8f}, 2, 0.8, 6},
        {"loud end of an array shorter than two windows",
         {0.0f, 0.0f, 0.0f, 0.5f, 0.5f},
         3,
         std::sqrt(0.5 / 3.0),
         2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        int start = -1;
        EXPECT_NEAR(FindMaxRmsWindow(c.x.data(), static_cast<int>(c.x.size()), c.w, &start), c.rms, 1e-7);
        EXPECT_EQ(start, c.start);
    }

    std::mt19937 generator(3);
    std::normal_distribution<float> normal(0.0f, 0.3f);
    std::vector<float> x(2000);
    for (float& v : x)
        v = normal(generator);
    for (int w : {1, 7, 100, 999, 1001, 2000})
    {
        int expectedStart = -1;
        int start = -1;
        const double expected = BruteForceMaxRms(x, w, &expectedStart);
        EXPECT_NEAR(FindMaxRmsWindow(x.data(), 2000, w, &start), expected, 1e-6) << w;
        EXPECT_EQ(start, expectedStart) << w;
    }
}

TEST(ArrayStatisticsTest, MaxRmsWindowLongerThanTheArrayGivesZeroAndKeepsStart)
{
    const float x[] = {0.5f, 0.5f, 0.5f};
    for (int w : {4, 0, -1})
    {
        int start = 42;
        EXPECT_EQ(FindMaxRmsWindow(x, 3, w, &start), 0.0) << w;
        EXPECT_EQ(start, 42) << w;
    }
    EXPECT_EQ(FindMaxRmsWindow(x, 0, 1, nullptr), 0.0);
}

TEST(ArrayStatisticsTest, NormalizeBringsThePeakToJustBelowFullScale)
{
    struct Case
    {
        std::vector<float> x;
        double factor;
    };
    const Case cases[] = {
        {{0.5f, 0.2f, -0.3f, 0.1f}, 1.9998},
        {{-0.5f, 0.2f, 0.8f, 0.1f}, 0.9999 / 0.8},
        {{0.1f, -2.0f, 1.5f}, 0.9999 / 2.0},
        // Nothing to scale: the factor is 1, not a division by zero.
        {{0.0f, 0.0f, 0.0f}, 1.0},
        {{}, 1.0},
    };
    for (const Case& c : cases)
    {
        const int n = static_cast<int>(c.x.size());
        const double factor = GetNormalizeFactor(c.x.data(), n);
        EXPECT_NEAR(factor, c.factor, 1e-6 * c.factor);
        std::vector<float> y = c.x;
        NormalizeArray(y.data(), n);
        for (int i = 0; i < n; ++i)
        {
            EXPECT_TRUE(std::isfinite(y[i]));
            EXPECT_FLOAT_EQ(y[i], static_cast<float>(c.x[i] * c.factor)) << i;
        }
    }
}

TEST(ArrayStatisticsTest, InPlaceOperations)
{
    std::vector<float> x = {-0.5f, 0.25f, 2.0f, -0.0f};
    ScaleArray(x.data(), 4, -2.0);
    EXPECT_EQ(x, (std::vector<float>{1.0f, -0.5f, -4.0f, 0.0f}));
    AbsArray(x.data(), 4);
    EXPECT_EQ(x, (std::vector<float>{1.0f, 0.5f, 4.0f, 0.0f}));
    x = {-3.0f, 0.5f, 1e-3f};
    SquareArray(x.data(), 3);
    EXPECT_FLOAT_EQ(x[0], 9.0f);
    EXPECT_FLOAT_EQ(x[1], 0.25f);
    EXPECT_FLOAT_EQ(x[2], 1e-6f);
}

TEST(ArrayStatisticsTest, EmptyArraysGiveZeroNotNaN)
{
    const float* none = nullptr;
    EXPECT_EQ(GetRms(none, 0), 0.0);
    EXPECT_EQ(GetMean(none, 0), 0.0);
    EXPECT_EQ(GetSum(none, -3), 0.0);
    EXPECT_EQ(GetSumOfSquares(none, 0), 0.0);
    float rms = 1, min = 1, max = 1;
    GetRmsMinMax(none, 0, &rms, &min, &max);
    EXPECT_EQ(rms, 0.0f);
    EXPECT_EQ(min, 0.0f);
    EXPECT_EQ(max, 0.0f);
    float mean = 1;
    GetMeanMinMax(none, 0, &mean, &min, &max);
    EXPECT_EQ(mean, 0.0f);
    int index = 5;
    EXPECT_EQ(FindMax(none, 0, &index), 0.0f);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(FindPeakMagnitude(none, 0, &index), 0.0f);
    EXPECT_EQ(FindMin(none, 0, &index), 0.0f);
}

}  // namespace
