// The sample-rate converter against the ideal resampled sine: a sine fed block by block at
// several ratios comes out as the sine at the new rate, blocks join without a gap, and the
// kernel's step through the input is exact.
#include "engine/SampleRateConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace
{

// Feeds `blocks` blocks of `n` samples of sin(2π f i) (f in cycles per input sample) and returns
// the whole output.
std::vector<float> Convert(CSampleRateConverter& converter, double f, int n, int blocks, double phase = 0.0)
{
    std::vector<float> in(n), out(converter.MaxOutput(n)), all;
    long long index = 0;
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < n; ++i, ++index)
            in[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * f * index + phase));
        const int count = converter.Process(in.data(), n, out.data());
        EXPECT_GE(count, 0);
        EXPECT_LE(count, static_cast<int>(out.size()));
        all.insert(all.end(), out.begin(), out.begin() + count);
    }
    return all;
}

// Residual of the output against the sine sampled at the output instants m / ratio, in dB
// relative to the sine; the first outputs (the filter filling with the first input) are skipped.
double ResidualDb(const std::vector<float>& out, double f, double ratio, int skip)
{
    double error = 0.0, power = 0.0;
    for (std::size_t m = skip; m + 16 < out.size(); ++m)
    {
        const double ideal = std::sin(2.0 * std::numbers::pi * f * (static_cast<double>(m) / ratio));
        error += (out[m] - ideal) * (out[m] - ideal);
        power += ideal * ideal;
    }
    return 10.0 * std::log10(error / power);
}

TEST(SampleRateConverter, SinesMatchTheIdealResampledSineUpToFourTenthsOfTheLowerRate)
{
    for (const double ratio : {0.5, 1.0001, 48000.0 / 44100.0, 2.0})
    {
        const double lower = std::min(1.0, ratio);  // the lower rate in input samples
        for (const double fraction : {0.02, 0.1, 0.25, 0.4})
        {
            CSampleRateConverter converter;
            converter.m_dRatio = ratio;
            const double f = fraction * lower;
            const std::vector<float> out = Convert(converter, f, 1024, 40);
            ASSERT_GT(out.size(), 1000u);
            EXPECT_LT(ResidualDb(out, f, ratio, 64), -70.0) << "ratio " << ratio << " at " << fraction;
        }
    }
}

TEST(SampleRateConverter, OutputCountFollowsTheRatioAndBlocksJoinWithoutGaps)
{
    struct Case
    {
        double ratio;
        int n;
    };
    for (const Case c : {Case{1.0, 1024}, Case{0.5, 1024}, Case{2.0, 1024}, Case{48000.0 / 44100.0, 333},
                         Case{1.0001, 4096}})
    {
        CSampleRateConverter converter;
        converter.m_dRatio = c.ratio;
        std::vector<float> in(c.n, 0.0f), out(converter.MaxOutput(c.n));
        long long total = 0;
        const int blocks = 50;
        for (int b = 0; b < blocks; ++b)
        {
            const int count = converter.Process(in.data(), c.n, out.data());
            // Every call gives about n × ratio outputs.
            EXPECT_NEAR(count, c.n * c.ratio, 2.0 + (b == 0 ? 90 * c.ratio : 0.0)) << c.ratio;
            total += count;
        }
        // Over many calls nothing is lost or repeated: the outputs trail the input by the filter's
        // half length only.
        EXPECT_NEAR(static_cast<double>(total), blocks * c.n * c.ratio, 17 * c.ratio + 2) << c.ratio;
    }
}

TEST(SampleRateConverter, RatioOneDelaysNothingAfterStartUp)
{
    CSampleRateConverter converter;
    const int n = 512;
    std::vector<float> in(n), out(converter.MaxOutput(n)), stream, fed;
    for (int b = 0; b < 6; ++b)
    {
        for (int i = 0; i < n; ++i)
            in[i] = static_cast<float>(std::sin(0.013 * (b * n + i)) + 0.3 * std::cos(0.21 * (b * n + i)));
        fed.insert(fed.end(), in.begin(), in.end());
        const int count = converter.Process(in.data(), n, out.data());
        stream.insert(stream.end(), out.begin(), out.begin() + count);
    }
    // Output m is input m (phase 0 is the centre row's unit impulse).
    ASSERT_GT(stream.size(), 2500u);
    for (std::size_t m = 0; m < stream.size(); ++m)
        ASSERT_NEAR(stream[m], fed[m], 1e-6) << m;
}

TEST(SampleRateConverter, StartPhaseShiftsTheOutputInstants)
{
    CSampleRateConverter converter;
    converter.m_dTime = 0.5;
    const double f = 0.05;
    const std::vector<float> out = Convert(converter, f, 1024, 4);
    double worst = 0.0;
    for (std::size_t m = 32; m + 16 < out.size(); ++m)
        worst = std::max(worst, std::fabs(out[m] - std::sin(2.0 * std::numbers::pi * f * (m + 0.5))));
    EXPECT_LT(worst, 1e-3);
}

TEST(SampleRateConverter, BlocksThatDoNotFitTheStoresAreRefused)
{
    CSampleRateConverter converter;
    converter.m_dRatio = 2.0;
    const int limit = converter.MaxInput();
    EXPECT_GT(limit, 8000);
    EXPECT_LT(limit, 16384);
    std::vector<float> in(limit + 1, 0.25f), out(converter.MaxOutput(limit + 1));
    EXPECT_EQ(converter.Process(in.data(), limit + 1, out.data()), 0);
    EXPECT_EQ(converter.Process(in.data(), -1, out.data()), 0);
    EXPECT_GT(converter.Process(in.data(), limit, out.data()), 2 * limit - 200);
    converter.m_dRatio = 0.0;
    EXPECT_EQ(converter.Process(in.data(), 16, out.data()), 0);
}

TEST(SampleRateConverter, KernelStepsThroughTheInputAtTheFactor)
{
    // A kernel of one tap (weight 1 at every phase) picks x[k] for every output in [k, k + 1).
    std::vector<double> h(11, 1.0), x{0, 1, 2, 3, 4, 5, 6, 7}, y(32, -1.0);
    const int count =
        PolyphaseInterpolate(h.data(), 1, x.data(), y.data(), static_cast<int>(x.size()), 10, 2.0, 0.25);
    // t = 0.25, 0.75, 1.25, …, below nx − taps = 7.
    ASSERT_EQ(count, 14);
    for (int m = 0; m < count; ++m)
        EXPECT_EQ(y[m], std::floor(0.25 + m * 0.5)) << m;
}

}  // namespace
