#include "dsp/LevelMeter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "dsp/WeightingFilters.h"

namespace
{
constexpr double kRate = 48000.0;

class LevelMeterTest : public ::testing::Test
{
protected:
    LevelMeterTest() { m_meter.m_sampleRate = kRate; }

    void FeedConstant(float value, int samples, int block = 256)
    {
        std::vector<float> x(static_cast<std::size_t>(block), value);
        for (int done = 0; done < samples; done += block)
            m_meter.ProcessBlock(x.data(), std::min(block, samples - done));
    }

    CLevelMeter m_meter;
};

TEST_F(LevelMeterTest, FreshMeterReadsItsResetValues)
{
    const struct
    {
        int index;
        double value;
    } cases[] = {{1, 0.0}, {2, 0.0},   {3, 0.0},    {4, 1e-99},  {5, 0.0},  {6, 0.0}, {7, 0.0},
                 {8, 0.0}, {9, 1e-99}, {10, 1e-99}, {11, 1e-99}, {12, 0.0}, {0, 0.0}};
    for (const auto& c : cases)
        EXPECT_EQ(m_meter.GetLevel(c.index), c.value) << c.index;
}

// A step of constant value A reaches A·sqrt(1 - e^(-t/tau)) after t on an exponential detector.
TEST_F(LevelMeterTest, DetectorsFollowTheirTimeConstants)
{
    const struct
    {
        int index;
        double tau;
    } cases[] = {{kLevelImpulse, 0.035}, {kLevelFast, 0.125}, {kLevelSlow, 1.0}, {kLevel10s, 10.0}};
    for (float a : {0.5f, -0.5f})
    {
        for (const auto& c : cases)
        {
            CLevelMeter meter;
            meter.m_sampleRate = kRate;
            const int samples = static_cast<int>(std::lround(c.tau * kRate));
            std::vector<float> x(480, a);
            for (int done = 0; done < samples; done += 480)
                meter.ProcessBlock(x.data(), std::min(480, samples - done));
            EXPECT_NEAR(meter.GetLevel(c.index), std::fabs(a) * std::sqrt(1.0 - std::exp(-1.0)), 0.002)
                << c.index << " " << a;
            EXPECT_NEAR(meter.GetLevel(kLevelEquivalent), std::fabs(a), 1e-6);
        }
    }
}

TEST_F(LevelMeterTest, ConstantInputConvergesEverywhere)
{
    FeedConstant(-0.25f, static_cast<int>(kRate) * 8);
    for (int index : {kLevelImpulse, kLevelFast, kLevelSlow, kLevelEquivalent})
        EXPECT_NEAR(m_meter.GetLevel(index), 0.25, 1e-4) << index;
    EXPECT_NEAR(m_meter.GetLevel(kLevelCcir), 0.25, 0.01);
    EXPECT_EQ(m_meter.m_minSample, -0.25);
    EXPECT_EQ(m_meter.m_maxSample, -0.25);
}

TEST(LevelMeter, DetectorAboveItsRateLimitReportsNothing)
{
    // At 5 Hz the Impulse corner (4.55 Hz) is not below 0.495 of the rate; the Fast one (1.27 Hz) is.
    CLevelMeter meter;
    meter.m_sampleRate = 5.0;
    const float x[4] = {1, 1, 1, 1};
    meter.ProcessBlock(x, 4);
    EXPECT_EQ(meter.GetLevel(kLevelImpulse), 1e-99);
    EXPECT_GT(meter.GetLevel(kLevelFast), 0.1);
}

// A meter whose rate was never set used to divide by it (infinite coefficients, NaN levels); it now
// ignores blocks until the owner sets the rate.
TEST(LevelMeter, UnsetRateTakesNothingIn)
{
    for (double rate : {-1.0, 0.0})
    {
        CLevelMeter meter;
        meter.m_sampleRate = rate;
        const float x[3] = {0.5f, 0.5f, 0.5f};
        meter.ProcessBlock(x, 3);
        EXPECT_EQ(meter.m_sampleCount, 0);
        for (int index = 1; index <= 11; ++index)
            EXPECT_FALSE(std::isnan(meter.GetLevel(index))) << index;
        meter.m_sampleRate = 48000.0;
        meter.ProcessBlock(x, 3);
        EXPECT_DOUBLE_EQ(meter.GetLevel(kLevelEquivalent), 0.5);
    }
}

// A full-scale sine of amplitude 1.0 read as 1 Pa (the calibration that maps 1.0 to 1 Pa).
TEST_F(LevelMeterTest, OnePascalSineReadsItsEquivalentLevel)
{
    std::vector<float> x(48000);
    for (int i = 0; i < 48000; ++i)
        x[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 * i / kRate));
    for (int second = 0; second < 10; ++second)
        m_meter.ProcessBlock(x.data(), 48000);
    EXPECT_NEAR(20.0 * std::log10(m_meter.GetLevel(kLevelEquivalent) / 20e-6), 90.97, 0.01);
    EXPECT_NEAR(20.0 * std::log10(m_meter.GetLevel(kLevelSlow) / 20e-6), 90.97, 0.05);
}

// Blocks longer than the meter's work buffer used to overrun it; they are now fed in pieces, with the
// same result as the same samples in small blocks.
// Meters fed side by side read bit for bit what each reads when fed alone, for every group size,
// at several rates and decimation factors, with changed time constants, a meter without a rate, a
// missing meter, bursts and silence, and blocks longer than one piece.
TEST(LevelMeter, MetersFedSideBySideReadWhatEachReadsAlone)
{
    constexpr int kMeters = 11;
    const double rates[kMeters] = {48000.0, 24000.0, 12000.0, 96000.0,  44100.0, 8000.0,
                                   -1.0,    48000.0, 3000.0,  192000.0, 22050.0};
    std::vector<std::unique_ptr<CLevelMeter>> side(kMeters), alone(kMeters);
    for (int m = 0; m < kMeters; ++m)
        for (auto* set : {&side, &alone})
        {
            auto meter = std::make_unique<CLevelMeter>();
            meter->m_sampleRate = rates[m];
            meter->m_decimationFactor = 1 << (m % 3);
            if (m == 7)
                meter->m_tauFast = 0.25;
            (*set)[static_cast<std::size_t>(m)] = std::move(meter);
        }
    for (const int count : {256, 1, 77, 256, 9000, 128})
    {
        for (const int group : {1, 3, 4, 5, kMeters})
        {
            std::vector<std::vector<float>> blocks;
            for (int m = 0; m < kMeters; ++m)
            {
                std::vector<float> x(static_cast<std::size_t>(count));
                for (int k = 0; k < count; ++k)
                {
                    const double t = (k + 31.0 * m) / 48000.0;
                    x[static_cast<std::size_t>(k)] = static_cast<float>(
                        (k / 40 + m) % 3 == 0
                            ? 0.0
                            : (0.1 + 0.2 * m) * std::sin(2.0 * std::numbers::pi * 700.0 * t));
                }
                blocks.push_back(std::move(x));
            }
            for (int from = 0; from < kMeters; from += group)
            {
                std::vector<CLevelMeter*> meters;
                std::vector<const float*> samples;
                for (int m = from; m < std::min(kMeters, from + group); ++m)
                {
                    meters.push_back(m == 5 ? nullptr : side[static_cast<std::size_t>(m)].get());
                    samples.push_back(blocks[static_cast<std::size_t>(m)].data());
                }
                CLevelMeter::ProcessLanes(meters, samples, count);
            }
            for (int m = 0; m < kMeters; ++m)
                if (m != 5)
                    alone[static_cast<std::size_t>(m)]->ProcessBlock(
                        blocks[static_cast<std::size_t>(m)].data(), count);
            for (int m = 0; m < kMeters; ++m)
            {
                const CLevelMeter& a = *side[static_cast<std::size_t>(m)];
                const CLevelMeter& b = *alone[static_cast<std::size_t>(m)];
                for (int quantity = 0; quantity <= kLevelMaxInterval; ++quantity)
                    ASSERT_EQ(a.GetLevel(quantity), b.GetLevel(quantity))
                        << "meter " << m << " quantity " << quantity << " count " << count;
                ASSERT_EQ(a.m_maxFastLevel, b.m_maxFastLevel) << m;
                ASSERT_EQ(a.m_taktLevel, b.m_taktLevel) << m;
                ASSERT_EQ(a.m_blockPeak, b.m_blockPeak) << m;
                ASSERT_EQ(a.m_sampleCount, b.m_sampleCount) << m;
            }
        }
    }
    EXPECT_GT(side[0]->GetLevel(kLevelFast), 0.01);
    EXPECT_GT(side[0]->GetLevel(kLevelCcir), 0.01);
}

TEST(LevelMeter, LongBlocksAreFedInPieces)
{
    const int lengths[] = {8192, 8193, 20000, 50000};
    for (int n : lengths)
    {
        std::vector<float> x(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            x[i] = static_cast<float>(0.3 * std::sin(0.01 * i) + 0.1);
        CLevelMeter whole;
        CLevelMeter pieces;
        whole.m_sampleRate = pieces.m_sampleRate = kRate;
        whole.ProcessBlock(x.data(), n);
        for (int done = 0; done < n; done += 8192)
            pieces.ProcessBlock(x.data() + done, std::min(8192, n - done));
        EXPECT_EQ(whole.m_sampleCount, n);
        for (int index = 1; index <= 7; ++index)
            EXPECT_DOUBLE_EQ(whole.GetLevel(index), pieces.GetLevel(index)) << n << " " << index;
    }
}

TEST_F(LevelMeterTest, TaktIntervalClosesOnTheFortiethEighthOfASecond)
{
    std::vector<float> x(6000);
    for (int block = 1; block <= 40; ++block)
    {
        // Rising levels: the closing block's own Fast level would be the largest.
        std::fill(x.begin(), x.end(), 0.01f * block);
        m_meter.ProcessBlock(x.data(), 6000);
        if (block == 39)
        {
            EXPECT_EQ(m_meter.m_taktCount, 0.0);
            const double runningMax = m_meter.m_taktMaxRunning;
            std::fill(x.begin(), x.end(), 0.01f * 40);
            m_meter.ProcessBlock(x.data(), 6000);
            EXPECT_EQ(m_meter.m_taktCount, 1.0);
            EXPECT_EQ(m_meter.m_taktMaxLast, runningMax);
            EXPECT_NEAR(m_meter.m_taktRemaining, 5.0, 1e-9);
            EXPECT_NEAR(m_meter.m_taktLevel, runningMax, 1e-12);
            break;
        }
    }
}

TEST_F(LevelMeterTest, LoggerHandOverMovesTheIntervalValues)
{
    const float first[4] = {0.5f, -0.5f, 0.5f, -0.5f};
    m_meter.ProcessBlock(first, 4);
    m_meter.EndLoggerInterval();
    EXPECT_EQ(m_meter.GetLevel(kLevelInterval), 0.0);
    EXPECT_DOUBLE_EQ(m_meter.GetLevel(kLevelLastInterval), 0.5);
    EXPECT_DOUBLE_EQ(m_meter.GetLevel(kLevelMaxInterval), 0.5);
    EXPECT_EQ(m_meter.m_previousBlockPeak, 0.5);
    EXPECT_EQ(m_meter.m_blockPeak, 0.0);
    EXPECT_EQ(m_meter.m_intervalMin, 1e99);
    EXPECT_EQ(m_meter.m_intervalMax, -1e99);

    const float quieter[2] = {0.1f, -0.2f};
    m_meter.ProcessBlock(quieter, 2);
    EXPECT_EQ(m_meter.m_blockCounter, 1);
    EXPECT_FLOAT_EQ(static_cast<float>(m_meter.m_blockPeak), 0.2f);
    m_meter.EndLoggerInterval();
    EXPECT_NEAR(m_meter.GetLevel(kLevelLastInterval), std::sqrt((0.01 + 0.04) / 2.0), 1e-7);
    EXPECT_DOUBLE_EQ(m_meter.GetLevel(kLevelMaxInterval), 0.5);  // never decreases until Reset
    EXPECT_EQ(m_meter.m_peakHold, 0.5);
    EXPECT_EQ(m_meter.m_blockCounter, 0);
    m_meter.Reset();
    EXPECT_EQ(m_meter.GetLevel(kLevelMaxInterval), 1e-99);
    EXPECT_EQ(m_meter.m_peakHold, 0.0);
}

// IEC 61672-1 Table 4: 4 kHz tone bursts, A-weighted, against the steady level LA. Reference
// responses and class 1 limits (upper, lower).
struct BurstCase
{
    double durationMs;
    double fastMax;   // LAFmax - LA
    double slowMax;   // LASmax - LA (not given below 2 ms: NaN)
    double exposure;  // LAE - LA
    double upper;
    double lower;
};

class ToneBurst : public ::testing::TestWithParam<BurstCase>
{
protected:
    static constexpr double kBurstRate = 48000.0;
    static constexpr double kTone = 4000.0;

    // Runs the signal through an A stage and a meter in blocks of 12 samples (0.25 ms), tracking the
    // largest Fast and Slow readings.
    static void Measure(const std::vector<float>& signal, double& fastMax, double& slowMax,
                        double& meanSquare)
    {
        CAWeightingFilter a;
        a.m_nSampleRate = static_cast<int>(kBurstRate);
        CLevelMeter meter;
        meter.m_sampleRate = kBurstRate;
        fastMax = slowMax = 0.0;
        std::vector<float> block(12);
        for (std::size_t start = 0; start < signal.size(); start += 12)
        {
            const int n = static_cast<int>(std::min<std::size_t>(12, signal.size() - start));
            std::copy_n(signal.begin() + static_cast<std::ptrdiff_t>(start), n, block.begin());
            a.Process(block.data(), n);
            meter.ProcessBlock(block.data(), n);
            fastMax = std::max(fastMax, meter.GetLevel(kLevelFast));
            slowMax = std::max(slowMax, meter.GetLevel(kLevelSlow));
        }
        meanSquare = meter.m_energySum / static_cast<double>(meter.m_sampleCount);
    }
};

TEST_P(ToneBurst, ResponsesWithinClass1)
{
    const BurstCase c = GetParam();
    const int lead = static_cast<int>(kBurstRate * 0.5);
    const int burst = static_cast<int>(std::lround(c.durationMs * 1e-3 * kBurstRate));
    const int total = lead + burst + static_cast<int>(kBurstRate * 3.0);
    std::vector<float> signal(static_cast<std::size_t>(total), 0.0f);
    for (int i = 0; i < burst; ++i)
        signal[lead + i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * kTone * i / kBurstRate));

    std::vector<float> steady(static_cast<std::size_t>(kBurstRate * 4.0));
    for (std::size_t i = 0; i < steady.size(); ++i)
        steady[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * kTone * i / kBurstRate));
    double steadyFast = 0.0, steadySlow = 0.0, steadyMeanSquare = 0.0;
    Measure(steady, steadyFast, steadySlow, steadyMeanSquare);
    // LA of the steady signal: its A-weighted mean square (the Fast level has settled to it).
    const double la = 10.0 * std::log10(steadyMeanSquare);

    double fastMax = 0.0, slowMax = 0.0, meanSquare = 0.0;
    Measure(signal, fastMax, slowMax, meanSquare);
    const double lafMax = 20.0 * std::log10(fastMax) - la;
    const double lae = 10.0 * std::log10(meanSquare * total / kBurstRate) - la;  // exposure over 1 s
    EXPECT_LE(lafMax - c.fastMax, c.upper) << "LAFmax " << lafMax;
    EXPECT_GE(lafMax - c.fastMax, c.lower) << "LAFmax " << lafMax;
    EXPECT_LE(lae - c.exposure, c.upper) << "LAE " << lae;
    EXPECT_GE(lae - c.exposure, c.lower) << "LAE " << lae;
    if (!std::isnan(c.slowMax))
    {
        const double lasMax = 20.0 * std::log10(slowMax) - la;
        EXPECT_LE(lasMax - c.slowMax, c.upper) << "LASmax " << lasMax;
        EXPECT_GE(lasMax - c.slowMax, c.lower) << "LASmax " << lasMax;
    }
}

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
INSTANTIATE_TEST_SUITE_P(
    Table4, ToneBurst,
    ::testing::Values(
        BurstCase{1000, 0.0, -2.0, 0.0, 0.5, -0.5}, BurstCase{500, -0.1, -4.1, -3.0, 0.5, -0.5},
        BurstCase{200, -1.0, -7.4, -7.0, 0.5, -0.5}, BurstCase{100, -2.6, -10.2, -10.0, 1.0, -1.0},
        BurstCase{50, -4.8, -13.1, -13.0, 1.0, -1.0}, BurstCase{20, -8.3, -17.0, -17.0, 1.0, -1.0},
        BurstCase{10, -11.1, -20.0, -20.0, 1.0, -1.0}, BurstCase{5, -14.1, -23.0, -23.0, 1.0, -1.0},
        BurstCase{2, -18.0, -27.0, -27.0, 1.0, -1.5}, BurstCase{1, -21.0, kNone, -30.0, 1.0, -2.0},
        BurstCase{0.5, -24.0, kNone, -33.0, 1.0, -2.5}, BurstCase{0.25, -27.0, kNone, -36.0, 1.0, -3.0}));
}  // namespace
