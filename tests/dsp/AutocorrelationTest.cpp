#include "dsp/Autocorrelation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace
{

// The scale the routine applies: 10^-0.2 · 4/n times the plain circular sum.
std::vector<double> DirectAutocorrelation(const std::vector<float>& x)
{
    const int n = static_cast<int>(x.size());
    const double scale = std::pow(10.0, -0.2) * 4.0 / n;
    std::vector<double> r(n);
    for (int lag = -n / 2; lag < n / 2; ++lag)
    {
        long double sum = 0.0L;
        for (int m = 0; m < n; ++m)
            sum += static_cast<long double>(x[m]) * x[((m + lag) % n + n) % n];
        r[n / 2 + lag] = scale * static_cast<double>(sum);
    }
    return r;
}

std::vector<float> Noise(int n, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> x(n);
    for (float& v : x)
        v = uniform(generator);
    return x;
}

TEST(AutocorrelationTest, MatchesTheDirectCircularSumWithLagZeroInTheMiddle)
{
    // 65536 points take the allocated work arrays, the others the stack.
    for (int n : {2, 8, 64, 1024, 65536})
    {
        SCOPED_TRACE(n);
        const std::vector<float> x = Noise(n, static_cast<unsigned>(n));
        std::vector<float> out(n, -1.0f);
        ComputeAutocorrelation(x.data(), n, out.data());
        // Lags are checked everywhere for small n, at a spread of lags for the large one.
        const std::vector<double> r = n <= 1024 ? DirectAutocorrelation(x) : std::vector<double>();
        if (n <= 1024)
        {
            for (int i = 0; i < n; ++i)
                EXPECT_NEAR(out[i], r[i], 2e-5 * r[n / 2]) << "index " << i;
        }
        else
        {
            const double scale = std::pow(10.0, -0.2) * 4.0 / n;
            for (int lag : {-n / 2, -1000, -1, 0, 1, 7, 12345, n / 2 - 1})
            {
                long double sum = 0.0L;
                for (int m = 0; m < n; ++m)
                    sum += static_cast<long double>(x[m]) * x[((m + lag) % n + n) % n];
                const double r0 = scale * n / 3.0;  // E[x²] = 1/3 for uniform noise
                EXPECT_NEAR(out[n / 2 + lag], scale * static_cast<double>(sum), 2e-5 * r0) << "lag " << lag;
            }
        }
    }
}

TEST(AutocorrelationTest, PeriodOfAToneIsTheStrongestLagAwayFromZero)
{
    // The pitch detector's use: 100 samples per period, searched between lags 50 and 300.
    const int n = 4096;
    std::vector<float> x(n);
    for (int i = 0; i < n; ++i)
        x[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * i / 100.0) +
                                  0.3 * std::sin(2.0 * std::numbers::pi * 3.0 * i / 100.0));
    std::vector<float> out(n);
    ComputeAutocorrelation(x.data(), n, out.data());
    int best = 50;
    for (int lag = 50; lag < 300; ++lag)
        if (out[n / 2 + lag] > out[n / 2 + best])
            best = lag;
    EXPECT_EQ(best, 100);
    EXPECT_GT(out[n / 2 + 100], 0.95 * out[n / 2]);
}

TEST(AutocorrelationTest, WorksInPlace)
{
    const std::vector<float> x = Noise(256, 5);
    std::vector<float> separate(256);
    ComputeAutocorrelation(x.data(), 256, separate.data());
    std::vector<float> inPlace = x;
    ComputeAutocorrelation(inPlace.data(), 256, inPlace.data());
    EXPECT_EQ(inPlace, separate);
}

TEST(AutocorrelationTest, LengthThatIsNotAPowerOfTwoGivesZeros)
{
    for (int n : {1, 3, 100})
    {
        const std::vector<float> x = Noise(n, 9);
        std::vector<float> out(n, 5.0f);
        ComputeAutocorrelation(x.data(), n, out.data());
        EXPECT_EQ(out, std::vector<float>(n, 0.0f)) << n;
    }
    ComputeAutocorrelation(nullptr, 0, nullptr);
}

}  // namespace
