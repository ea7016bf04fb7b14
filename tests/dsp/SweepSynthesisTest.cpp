#include "dsp/SweepSynthesis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <vector>

namespace
{

constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::vector<float> FirstSamples(const std::vector<float>& samples, int count)
{
    return std::vector<float>(samples.begin(), samples.begin() + count);
}

bool AllFinite(const std::vector<float>& samples, int count)
{
    return std::all_of(samples.begin(), samples.begin() + count, [](float v) { return std::isfinite(v); });
}

// Upward zero crossings of samples[begin..end), located by linear interpolation.
std::vector<double> UpwardCrossings(const std::vector<float>& samples, int begin, int end)
{
    std::vector<double> crossings;
    for (int i = begin + 1; i < end; ++i)
    {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f)
        {
            crossings.push_back(i - 1 + samples[i - 1] / static_cast<double>(samples[i - 1] - samples[i]));
        }
    }
    return crossings;
}

// Between two upward crossings m whole cycles pass, so m over the elapsed time is the mean frequency.
// Compares it with the mean of `frequency` over the same interval (from its integral `cycles`); intervals
// span at least 200 samples to keep the interpolation error small. Returns the worst relative error.
double WorstFrequencyError(const std::vector<double>& crossings, const std::function<double(double)>& cycles,
                           int* intervals)
{
    double worst = 0.0;
    *intervals = 0;
    std::size_t j = 0;
    while (j < crossings.size())
    {
        std::size_t m = 1;
        while (j + m < crossings.size() && crossings[j + m] - crossings[j] < 200.0)
        {
            ++m;
        }
        if (j + m >= crossings.size())
        {
            break;
        }
        const double ta = crossings[j];
        const double tb = crossings[j + m];
        const double measured = static_cast<double>(m) / (tb - ta);
        const double expected = (cycles(tb) - cycles(ta)) / (tb - ta);
        worst = std::max(worst, std::fabs(measured / expected - 1.0));
        ++*intervals;
        j += m;
    }
    return worst;
}

// ----- Set and rebuild rules, common to both tables -----

template <class Sweep>
class SweepSetTest : public testing::Test
{
protected:
    static std::vector<float> Fresh(int length, double f1, double f2)
    {
        Sweep sweep(8, 0.0, 0.5);
        sweep.Set(length, f1, f2);
        return FirstSamples(sweep.m_samples, length);
    }
};

using SweepTypes = testing::Types<CLogSweep, CLinearChirp>;
TYPED_TEST_SUITE(SweepSetTest, SweepTypes);

TYPED_TEST(SweepSetTest, ConstructorBuildsThePlaceholderWithoutNans)
{
    TypeParam sweep(8, 0.0, 0.5);
    EXPECT_EQ(sweep.m_length, 8);
    EXPECT_GE(sweep.m_capacity, 8);
    EXPECT_EQ(sweep.m_startFreq, 0.0);
    EXPECT_EQ(sweep.m_stopFreq, 0.5);
    EXPECT_TRUE(AllFinite(sweep.m_samples, 8));
}

TYPED_TEST(SweepSetTest, RebuildsOnlyWhenLengthOrBandChanges)
{
    TypeParam sweep(8, 0.0, 0.5);
    sweep.Set(1024, 0.01, 0.2);
    ASSERT_GE(sweep.m_capacity, 1024);
    ASSERT_GE(static_cast<int>(sweep.m_samples.size()), 1024);
    EXPECT_EQ(FirstSamples(sweep.m_samples, 1024), this->Fresh(1024, 0.01, 0.2));

    sweep.m_samples[500] = 42.0f;
    sweep.Set(1024, 0.01, 0.2);
    EXPECT_EQ(sweep.m_samples[500], 42.0f) << "same arguments must leave the table alone";

    sweep.Set(1024, 0.01, 0.25);
    EXPECT_EQ(sweep.m_stopFreq, 0.25);
    EXPECT_EQ(FirstSamples(sweep.m_samples, 1024), this->Fresh(1024, 0.01, 0.25));

    const float* storage = sweep.m_samples.data();
    const int capacity = sweep.m_capacity;
    sweep.Set(512, 0.01, 0.25);
    EXPECT_EQ(sweep.m_length, 512);
    EXPECT_EQ(sweep.m_capacity, capacity);
    EXPECT_EQ(sweep.m_samples.data(), storage) << "a shorter table reuses the allocation";
    EXPECT_EQ(FirstSamples(sweep.m_samples, 512), this->Fresh(512, 0.01, 0.25));

    // The engine forces a rebuild by clearing the length first.
    sweep.m_samples[100] = 42.0f;
    sweep.m_length = 0;
    sweep.Set(512, 0.01, 0.25);
    EXPECT_EQ(FirstSamples(sweep.m_samples, 512), this->Fresh(512, 0.01, 0.25));

    sweep.Set(4096, 0.01, 0.25);
    EXPECT_EQ(sweep.m_length, 4096);
    EXPECT_GE(sweep.m_capacity, 4096);
    EXPECT_EQ(FirstSamples(sweep.m_samples, 4096), this->Fresh(4096, 0.01, 0.25));

    sweep.Set(-5, 0.01, 0.25);
    EXPECT_EQ(sweep.m_length, 0);
}

// ----- Logarithmic sweep -----

struct LogSweepCase
{
    int length;
    double f1;
    double f2;
};

// The sweep computed independently in double precision: phase as a direct sum of f1 (f2/f1)^(m/N),
// normalised to its peak, then the fades 0.2^((i-n)^2 / floor(n^2/4)) over n = min(100, N) samples of
// each end (overlapping when the table is shorter than two fades).
struct LogSweepReference
{
    std::vector<double> unfaded;
    std::vector<double> faded;
    double peak = 0.0;
    double maxCycles = 0.0;
};

LogSweepReference ComputeLogSweep(const LogSweepCase& c)
{
    LogSweepReference r;
    const int n = c.length;
    double cycles = 0.0;
    for (int i = 0; i < n; ++i)
    {
        cycles += c.f1 * std::pow(c.f2 / c.f1, static_cast<double>(i) / n);
        r.unfaded.push_back(std::sin(kTwoPi * cycles));
        r.peak = std::max(r.peak, std::fabs(r.unfaded.back()));
    }
    r.maxCycles = cycles;
    const int fade = std::min(100, n);
    const double quarter = static_cast<double>(fade * fade / 4);
    auto gain = [&](int i) { return i < fade ? std::pow(0.2, (i - fade) * (i - fade) / quarter) : 1.0; };
    for (int i = 0; i < n; ++i)
    {
        r.unfaded[i] /= r.peak;
        r.faded.push_back(r.unfaded[i] * gain(i) * gain(n - 1 - i));
    }
    return r;
}

class LogSweepTableTest : public testing::TestWithParam<LogSweepCase>
{
};

TEST_P(LogSweepTableTest, MatchesTheSweepFormulaWithFadedEnds)
{
    const LogSweepCase c = GetParam();
    CLogSweep sweep(8, 0.0, 0.5);
    sweep.Set(c.length, c.f1, c.f2);
    const LogSweepReference reference = ComputeLogSweep(c);
    // The table keeps its phase in single precision; allow for that rounding at the largest phase.
    const double tolerance = 2e-5 + 1e-6 * reference.maxCycles;
    double worst = 0.0;
    for (int i = 0; i < c.length; ++i)
    {
        worst = std::max(worst, std::fabs(sweep.m_samples[i] - reference.faded[i]));
    }
    EXPECT_LT(worst, tolerance);
}

// 1000 = the documented example; 150 and 100 overlap their two fades; 99 and shorter clamp
// the fade to the table; 20000 sweeps downwards.
INSTANTIATE_TEST_SUITE_P(Cases, LogSweepTableTest,
                         testing::Values(LogSweepCase{1000, 0.01, 0.2}, LogSweepCase{4096, 0.001, 0.45},
                                         LogSweepCase{20000, 0.3, 0.005}, LogSweepCase{150, 0.02, 0.3},
                                         LogSweepCase{100, 0.05, 0.2}, LogSweepCase{99, 0.05, 0.2},
                                         LogSweepCase{50, 0.02, 0.3}, LogSweepCase{2, 0.1, 0.2},
                                         LogSweepCase{1, 0.1, 0.2}));

TEST(LogSweepTest, DocumentedEndsAndMiddle)
{
    CLogSweep sweep(8, 0.0, 0.5);
    sweep.Set(1000, 0.01, 0.2);
    const LogSweepReference reference = ComputeLogSweep({1000, 0.01, 0.2});
    EXPECT_NEAR(sweep.m_samples[0], 0.0016 * std::sin(kTwoPi * 0.01) / reference.peak, 1e-7);
    EXPECT_NEAR(sweep.m_samples[999], 0.0016 * reference.unfaded[999], 1e-6);
    EXPECT_NEAR(sweep.m_samples[500], reference.unfaded[500], 1e-4);

    // Without the fade the largest sample is exactly the normalised peak.
    sweep.m_taperLength = 0;
    sweep.m_length = 0;
    sweep.Set(1000, 0.01, 0.2);
    float peak = 0.0f;
    for (int i = 0; i < 1000; ++i)
    {
        peak = std::max(peak, std::fabs(sweep.m_samples[i]));
    }
    EXPECT_EQ(peak, 1.0f);
    EXPECT_NEAR(sweep.m_samples[0], std::sin(kTwoPi * 0.01) / reference.peak, 1e-6);
}

TEST(LogSweepTest, ShortTablesFadeWithinTheirLength)
{
    for (int length : {99, 50, 17, 2, 1})
    {
        SCOPED_TRACE(length);
        CLogSweep sweep(8, 0.0, 0.5);
        sweep.Set(length, 0.05, 0.2);
        ASSERT_EQ(sweep.m_length, length);
        ASSERT_TRUE(AllFinite(sweep.m_samples, length));
        // The fades of both ends meet: the ends are strongly faded, nothing exceeds the normalised peak.
        EXPECT_LE(std::fabs(sweep.m_samples[0]), 0.0016f + 1e-6f);
        EXPECT_LE(std::fabs(sweep.m_samples[length - 1]), 0.0016f + 1e-6f);
        for (int i = 0; i < length; ++i)
        {
            EXPECT_LE(std::fabs(sweep.m_samples[i]), 1.0f);
        }
    }
}

struct FrequencyCase
{
    int length;
    double f1;
    double f2;
};

class LogSweepFrequencyTest : public testing::TestWithParam<FrequencyCase>
{
};

// Instantaneous frequency f1 (f2/f1)^(t/N), measured from the zero crossings of the unfaded part.
TEST_P(LogSweepFrequencyTest, FollowsTheExponentialLaw)
{
    const FrequencyCase c = GetParam();
    CLogSweep sweep(8, 0.0, 0.5);
    sweep.Set(c.length, c.f1, c.f2);
    const double n = c.length;
    const double ratio = std::log(c.f2 / c.f1);
    // Sample i carries the phase summed up to f_i, which is the integral up to i + 1/2.
    auto cycles = [&](double t) { return c.f1 * n / ratio * std::exp(ratio * (t + 0.5) / n); };
    int intervals = 0;
    const double worst =
        WorstFrequencyError(UpwardCrossings(sweep.m_samples, 100, c.length - 100), cycles, &intervals);
    EXPECT_GE(intervals, 10);
    EXPECT_LT(worst, 2e-3);
}

INSTANTIATE_TEST_SUITE_P(Cases, LogSweepFrequencyTest,
                         testing::Values(FrequencyCase{65536, 20.0 / 48000.0, 0.3},
                                         FrequencyCase{8192, 0.005, 0.25}, FrequencyCase{20000, 0.3, 0.01},
                                         FrequencyCase{4000, 0.02, 0.05}));

// ----- Linear chirp -----

std::vector<std::complex<double>> Dft(const std::vector<float>& x, int n, int bins)
{
    std::vector<std::complex<double>> result(bins);
    for (int k = 0; k < bins; ++k)
    {
        std::complex<double> sum = 0.0;
        for (int m = 0; m < n; ++m)
        {
            const double angle = -kTwoPi * static_cast<double>((static_cast<long long>(m) * k) % n) / n;
            sum += static_cast<double>(x[m]) * std::complex<double>(std::cos(angle), std::sin(angle));
        }
        result[k] = sum;
    }
    return result;
}

class LinearChirpSpectrumTest : public testing::TestWithParam<FrequencyCase>
{
};

// Constant magnitude inside the band, nothing outside it, peak exactly 1.0.
TEST_P(LinearChirpSpectrumTest, FlatInsideTheBandAndEmptyOutside)
{
    const FrequencyCase c = GetParam();
    CLinearChirp chirp(8, 0.0, 0.5);
    chirp.Set(c.length, c.f1, c.f2);
    const int n = c.length;
    const int half = n / 2;
    float peak = 0.0f;
    for (int i = 0; i < n; ++i)
    {
        peak = std::max(peak, std::fabs(chirp.m_samples[i]));
    }
    EXPECT_EQ(peak, 1.0f);

    const auto spectrum = Dft(chirp.m_samples, n, half + 1);
    const int low = static_cast<int>(std::floor(c.f1 * n));
    const int high = static_cast<int>(std::floor(c.f2 * n));
    double inBandMin = 1e300;
    double inBandMax = 0.0;
    double outOfBandMax = 0.0;
    for (int k = 0; k <= half; ++k)
    {
        const double magnitude = std::abs(spectrum[k]);
        if (k < low || k >= high)
        {
            outOfBandMax = std::max(outOfBandMax, magnitude);
        }
        else if (k > 0 && k < half)
        {
            inBandMin = std::min(inBandMin, magnitude);
            inBandMax = std::max(inBandMax, magnitude);
        }
    }
    ASSERT_GT(inBandMax, 0.0);
    EXPECT_LT(inBandMax / inBandMin - 1.0, 1e-4);
    EXPECT_LT(outOfBandMax / inBandMax, 1e-5);
    if (low == 0)
    {
        EXPECT_NEAR(std::abs(spectrum[1]) / inBandMax, 1.0, 1e-3) << "f1 = 0 clears no low bin";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LinearChirpSpectrumTest,
                         testing::Values(FrequencyCase{1024, 0.0, 0.5}, FrequencyCase{1024, 0.1, 0.4},
                                         FrequencyCase{4096, 0.05, 0.25}, FrequencyCase{256, 0.0, 0.2},
                                         FrequencyCase{512, 0.123, 0.377}));

class LinearChirpFrequencyTest : public testing::TestWithParam<FrequencyCase>
{
};

// The quadratic phase puts bin k (frequency k/N) at the time where the phase is stationary:
// t(k) = N^2 (f1 + k h) / (4 a[K]), so the frequency rises linearly in time. Measured from zero crossings
// in the middle of the band's time span, away from the ripple at its ends.
TEST_P(LinearChirpFrequencyTest, RisesLinearlyInTime)
{
    const FrequencyCase c = GetParam();
    CLinearChirp chirp(8, 0.0, 0.5);
    chirp.Set(c.length, c.f1, c.f2);
    const double n = c.length;
    const int half = c.length / 2;
    const double h = (c.f2 - c.f1) / (half + 1);
    const double last = half * c.f1 + h * half * (half + 1) / 2.0;
    auto timeOfBin = [&](double k) { return n * n * (c.f1 + k * h) / (4.0 * last); };
    // Frequency at time t is k(t)/N with k(t) linear in t; its integral over t:
    auto cycles = [&](double t)
    {
        const double slope = 4.0 * last / (n * n * h * n);
        const double start = -c.f1 / (h * n);
        return slope * t * t / 2.0 + start * t;
    };
    const double tLow = timeOfBin(std::floor(c.f1 * n));
    const double tHigh = timeOfBin(std::min(std::floor(c.f2 * n), 0.3 * n));
    const double margin = 0.15 * (tHigh - tLow);
    int intervals = 0;
    const double worst = WorstFrequencyError(
        UpwardCrossings(chirp.m_samples, static_cast<int>(tLow + margin), static_cast<int>(tHigh - margin)),
        cycles, &intervals);
    EXPECT_GE(intervals, 5);
    EXPECT_LT(worst, 5e-3);
}

INSTANTIATE_TEST_SUITE_P(Cases, LinearChirpFrequencyTest,
                         testing::Values(FrequencyCase{8192, 0.0, 0.5}, FrequencyCase{16384, 0.1, 0.3},
                                         FrequencyCase{32768, 0.02, 0.2}));

TEST(LinearChirpTest, LengthThatIsNotAPowerOfTwoGivesSilence)
{
    for (int length : {1000, 3, 1, 0})
    {
        SCOPED_TRACE(length);
        CLinearChirp chirp(8, 0.0, 0.5);
        chirp.Set(length, 0.1, 0.4);
        EXPECT_EQ(chirp.m_length, length);
        for (int i = 0; i < length; ++i)
        {
            ASSERT_EQ(chirp.m_samples[i], 0.0f);
        }
    }
}

}  // namespace
