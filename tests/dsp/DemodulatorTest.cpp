#include "dsp/Demodulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace
{

constexpr double kPi = std::numbers::pi;
constexpr double kRate = 44100.0;

// A carrier whose instantaneous frequency is fc (1 + depth sin(2 pi fm t)), with amplitude
// 1 + am sin(2 pi fa t); the phase is integrated in closed form.
std::vector<float> Carrier(double fc, int count, double depth = 0.0, double fm = 4.0, double am = 0.0,
                           double fa = 20.0, double rate = kRate)
{
    std::vector<float> x(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
    {
        const double t = n / rate;
        const double phase = 2.0 * kPi * fc * t + (depth * fc / fm) * (1.0 - std::cos(2.0 * kPi * fm * t));
        x[static_cast<std::size_t>(n)] =
            static_cast<float>(0.5 * (1.0 + am * std::sin(2.0 * kPi * fa * t)) * std::cos(phase));
    }
    return x;
}

void RunBlocks(CDemodulator& demodulator, std::vector<float>& x, int block, bool deviation)
{
    for (std::size_t start = 0; start < x.size(); start += static_cast<std::size_t>(block))
    {
        const int count =
            static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(block), x.size() - start));
        if (deviation)
            demodulator.ProcessDeviation(x.data() + start, count);
        else
            demodulator.Demodulate(x.data() + start, count);
    }
}

double Mean(const std::vector<float>& x, std::size_t from)
{
    double sum = 0.0;
    for (std::size_t n = from; n < x.size(); ++n)
        sum += x[n];
    return sum / static_cast<double>(x.size() - from);
}

// Amplitude of the sine at f in x[from..], by correlation with sine and cosine over whole periods.
double Amplitude(const std::vector<float>& x, std::size_t from, double f, double rate = kRate)
{
    const std::size_t period = static_cast<std::size_t>(std::lround(rate / f));
    const std::size_t length = (x.size() - from) / period * period;
    double s = 0.0, c = 0.0;
    for (std::size_t n = from; n < from + length; ++n)
    {
        s += x[n] * std::sin(2.0 * kPi * f * static_cast<double>(n) / rate);
        c += x[n] * std::cos(2.0 * kPi * f * static_cast<double>(n) / rate);
    }
    return 2.0 * std::hypot(s, c) / static_cast<double>(length);
}

TEST(Demodulator, SteadyCarrierGivesItsRelativeOffset)
{
    struct Case
    {
        double ratio;
        int absolute;
        double expected;
    };
    const Case cases[] = {{1.0, 0, 0.0}, {1.001, 0, 0.001}, {0.999, 0, -0.001}, {1.001, 1, 3153.15}};
    for (const Case& c : cases)
    {
        CDemodulator demodulator;
        demodulator.m_bAbsolute = c.absolute;
        std::vector<float> x = Carrier(3150.0 * c.ratio, 4 * 44100);
        RunBlocks(demodulator, x, 1024, true);
        EXPECT_NEAR(Mean(x, 2 * 44100), c.expected, c.absolute ? 0.01 : 1e-5) << c.ratio;
        EXPECT_NEAR(demodulator.m_dMean, c.ratio - 1.0, 2e-5) << c.ratio;
        EXPECT_LT(demodulator.m_dRms, 1e-4) << c.ratio;
    }
}

// Sinusoidal FM of 1 % deviation at 4 Hz: the deviation signal is a 4 Hz sine of amplitude 0.01,
// and its RMS 0.01 / sqrt 2.
TEST(Demodulator, RecoversAKnownFrequencyDeviationWithinOnePercent)
{
    for (double depth : {0.01, 0.002})
    {
        CDemodulator demodulator;
        std::vector<float> x = Carrier(3150.0, 8 * 44100, depth, 4.0);
        RunBlocks(demodulator, x, 1024, true);
        EXPECT_NEAR(Amplitude(x, 2 * 44100, 4.0), depth, 0.01 * depth);
        EXPECT_NEAR(demodulator.m_dRms, depth / std::sqrt(2.0), 0.03 * depth);
        EXPECT_NEAR(demodulator.m_dPeak, depth, 0.01 * depth);

        // The plain demodulation gives the same signal.
        CDemodulator plain;
        std::vector<float> y = Carrier(3150.0, 4 * 44100, depth, 4.0);
        RunBlocks(plain, y, 4096, false);
        EXPECT_NEAR(Amplitude(y, 44100, 4.0), depth, 0.01 * depth);
    }
}

// With the weighting on, a 4 Hz deviation reads 0.5 dB low and a 16 Hz one 4.44 dB low (the
// weighting's own response), and the RMS is taken about zero.
TEST(Demodulator, WeightingShapesTheDeviation)
{
    struct Case
    {
        double fm;
        double weightingDb;
    };
    for (const Case& c : {Case{4.0, -0.5}, Case{16.0, -4.44}})
    {
        CDemodulator demodulator;
        demodulator.m_bWeighting = 1;
        std::vector<float> x = Carrier(3150.0, 10 * 44100, 0.01, c.fm);
        RunBlocks(demodulator, x, 1024, true);
        const double expected = 0.01 * std::pow(10.0, c.weightingDb / 20.0);
        EXPECT_NEAR(Amplitude(x, 5 * 44100, c.fm), expected, 0.02 * expected) << c.fm;
        EXPECT_NEAR(demodulator.m_dRms, expected / std::sqrt(2.0), 0.05 * expected) << c.fm;
    }
}

// Amplitude modulation of depth m at 20 Hz: the envelope (FM off) is half the carrier amplitude,
// 0.25 (1 + m sin), because the low-pass removes the mixer's sum product.
TEST(Demodulator, RecoversAKnownAmplitudeDepthWithinOnePercent)
{
    for (double m : {0.5, 0.2})
    {
        CDemodulator demodulator;
        demodulator.m_bFm = 0;
        demodulator.m_bAm = 1;
        std::vector<float> x = Carrier(3150.0, 2 * 44100, 0.0, 4.0, m, 20.0);
        RunBlocks(demodulator, x, 1024, false);
        const double mean = Mean(x, 44100);
        EXPECT_NEAR(mean, 0.25, 0.0025);
        EXPECT_NEAR(Amplitude(x, 44100, 20.0) / mean, m, 0.01 * m);
    }
}

TEST(Demodulator, PeakIsHeldForTwoSecondsAndUpdatedAfterThe87thBlock)
{
    CDemodulator demodulator;
    std::vector<float> x = Carrier(3150.0, 200 * 1024, 0.01, 4.0);
    for (int block = 1; block <= 200; ++block)
    {
        demodulator.ProcessDeviation(x.data() + (block - 1) * 1024, 1024);
        if (block < 87)
        {
            ASSERT_EQ(demodulator.m_dPeak, 0.0) << block;
        }
        if (block == 87)
        {
            EXPECT_GT(demodulator.m_dPeak, 0.0);
        }
    }
    EXPECT_EQ(demodulator.m_nPeakCount, (200 - 174) * 1024);
    EXPECT_NEAR(demodulator.m_dPeak, 0.01, 1e-4);
}

// At 22050 Hz there is no branch low-pass and no weighting; the demodulation still runs (unfiltered,
// so the mixer's sum product stays in the phase steps).
TEST(Demodulator, RateWithoutTablesStillDemodulates)
{
    CDemodulator demodulator;
    demodulator.m_dSampleRate = 22050;
    demodulator.m_bWeighting = 1;
    demodulator.Setup();
    const std::vector<float> input = Carrier(3150.0, 22050, 0.0, 4.0, 0.0, 20.0, 22050);
    std::vector<float> x = input;
    RunBlocks(demodulator, x, 1024, true);
    for (float v : x)
        ASSERT_TRUE(std::isfinite(v));
    EXPECT_NE(x, input);
    EXPECT_GT(demodulator.m_dRms, 0.0);
    EXPECT_EQ(demodulator.m_lowPassI.m_nBuiltRate, -1);
    EXPECT_EQ(demodulator.m_weighting.m_nBuiltRate, -1);
}

// A block longer than the work buffers is taken in pieces and comes out as the same stream that
// short blocks give, instead of running past the buffers.
TEST(Demodulator, BlocksLongerThanTheWorkBuffersAreProcessedInPieces)
{
    for (bool deviation : {false, true})
    {
        const std::vector<float> input = Carrier(3150.0 * 1.002, 150000, 0.003, 4.0);
        CDemodulator whole;
        CDemodulator pieces;
        std::vector<float> a = input;
        std::vector<float> b = input;
        if (deviation)
            whole.ProcessDeviation(a.data(), static_cast<int>(a.size()));
        else
            whole.Demodulate(a.data(), static_cast<int>(a.size()));
        RunBlocks(pieces, b, 1000, deviation);
        EXPECT_EQ(whole.m_nBlockSize, 150000);
        for (std::size_t n = 0; n < a.size(); ++n)
            ASSERT_EQ(a[n], b[n]) << n << " deviation " << deviation;
    }
}

TEST(Demodulator, SilenceGivesZeroNotNan)
{
    CDemodulator demodulator;
    std::vector<float> x(4096, 0.0f);
    demodulator.ProcessDeviation(x.data(), 4096);
    for (float v : x)
        ASSERT_EQ(v, 0.0f);
    EXPECT_EQ(demodulator.m_dRms, 0.0);
}

}  // namespace
