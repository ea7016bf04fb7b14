#include "engine/Histogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

namespace
{

constexpr float kAmplitude = 0.2f;  // inside the analysed peak-to-peak range 0.05 .. 0.3

// A train of rectangular pulses of `amplitude` on 0: high for `high` samples from every
// `firstRise + k * period`; with firstRise 0 the signal starts inside a pulse.
std::vector<float> PulseTrain(int length, int period, int high, int firstRise, float amplitude = kAmplitude)
{
    std::vector<float> x(std::size_t(length), 0.0f);
    for (int n = 0; n < length; ++n)
        if ((n + period - firstRise) % period < high)
            x[std::size_t(n)] = amplitude;
    return x;
}

// Feeds `x` in blocks of `block` samples and returns the status after each block.
std::vector<int> Feed(CHistogram& histogram, const std::vector<float>& x, int block)
{
    std::vector<int> statuses;
    for (std::size_t start = 0; start < x.size(); start += std::size_t(block))
    {
        const int count = int(std::min<std::size_t>(std::size_t(block), x.size() - start));
        histogram.ProcessBlock(x.data() + start, count);
        statuses.push_back(histogram.m_nStatus);
    }
    return statuses;
}

int Total(std::span<const int> bins)
{
    return std::accumulate(bins.begin(), bins.end(), 0);
}

class HistogramTest : public ::testing::Test
{
protected:
    void Start(double sampleRate)
    {
        m_histogram.m_dSampleRate = sampleRate;
        m_histogram.Reset();
    }

    CHistogram m_histogram;
};

struct PulseCase
{
    const char* name;
    double sampleRate;
    int period;
    int high;
    int firstRise;
    int length;
    int block;
};

// The detector counts the rising sample and the falling sample as part of a pulse, so a pulse `high`
// samples long lasts high + 1 samples; a period runs from one rising sample to the next, both counted,
// so it lasts period + 1 samples. The very first sample has no sample before it, so a pulse that is
// already on there is not seen. After a reset a bin is one sample period wide: bin = samples.
TEST_F(HistogramTest, PulseTrainFillsOnePeriodBinAndOneDurationBin)
{
    const PulseCase cases[] = {
        {"one block, 25 % duty", 48000.0, 480, 120, 0, 48000, 48000},
        {"blocks unrelated to the period", 48000.0, 480, 120, 0, 48000, 1000},
        {"every rise on a block's first sample", 48000.0, 480, 120, 0, 48000, 480},
        {"70 % duty at 44.1 kHz", 44100.0, 1000, 700, 100, 44100, 4410},
        {"blocks holding a single edge each", 48000.0, 2000, 1000, 500, 20000, 1000},
    };
    for (const PulseCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CHistogram histogram;
        histogram.m_dSampleRate = c.sampleRate;
        histogram.Reset();
        const std::vector<int> statuses =
            Feed(histogram, PulseTrain(c.length, c.period, c.high, c.firstRise), c.block);
        ASSERT_TRUE(std::all_of(statuses.begin(), statuses.end(), [](int s) { return s == 0; }));

        // The rises the detector can see and the pulses that also fall inside the signal.
        int rises = 0;
        int falls = 0;
        for (int rise = c.firstRise; rise < c.length; rise += c.period)
        {
            if (rise == 0)
                continue;
            ++rises;
            if (rise + c.high < c.length)
                ++falls;
        }
        EXPECT_EQ(histogram.PeriodCount(), rises - 1);
        EXPECT_EQ(histogram.PeriodBins()[std::size_t(c.period + 1)], rises - 1);
        EXPECT_EQ(Total(histogram.PeriodBins()), rises - 1);
        EXPECT_EQ(histogram.ActiveDurationCount(), falls);
        EXPECT_EQ(histogram.ActiveDurationBins()[std::size_t(c.high + 1)], falls);
        EXPECT_EQ(Total(histogram.ActiveDurationBins()), falls);
        EXPECT_NEAR(histogram.m_dDurationSum, falls * (c.high + 1) / c.sampleRate, 1e-9);
        EXPECT_NEAR(histogram.m_dElapsedTime, c.length / c.sampleRate, 1e-9);
    }
}

// A block outside the analysed level range changes the status only: bins, counts, elapsed time and the
// detector keep what the earlier blocks gave them.
TEST_F(HistogramTest, BlocksOutsideTheLevelRangeChangeOnlyTheStatus)
{
    struct LevelCase
    {
        float peakToPeak;
        int status;
    };
    const LevelCase cases[] = {
        {0.049f, CHistogram::kStatusLevelTooLow}, {0.0f, CHistogram::kStatusLevelTooLow},
        {0.05f, CHistogram::kStatusAnalysed},     {0.3f, CHistogram::kStatusAnalysed},
        {0.31f, CHistogram::kStatusLevelTooHigh}, {1.0f, CHistogram::kStatusLevelTooHigh},
    };
    for (const LevelCase& c : cases)
    {
        SCOPED_TRACE(c.peakToPeak);
        Start(48000.0);
        // Ends between pulses, inside a period.
        Feed(m_histogram, PulseTrain(4800, 480, 120, 0), 4800);
        ASSERT_EQ(m_histogram.m_nStatus, CHistogram::kStatusAnalysed);
        const std::vector<int> periods(m_histogram.PeriodBins().begin(), m_histogram.PeriodBins().end());
        const std::vector<int> durations(m_histogram.ActiveDurationBins().begin(),
                                         m_histogram.ActiveDurationBins().end());
        const double elapsed = m_histogram.m_dElapsedTime;
        const std::int64_t interval = m_histogram.m_nInterval;

        const std::vector<float> block = PulseTrain(4800, 480, 120, 0, c.peakToPeak);
        m_histogram.ProcessBlock(block.data(), int(block.size()));
        EXPECT_EQ(m_histogram.m_nStatus, c.status);
        if (c.status == CHistogram::kStatusAnalysed)
        {
            EXPECT_GT(m_histogram.m_dElapsedTime, elapsed);
            continue;
        }
        EXPECT_EQ(std::vector<int>(m_histogram.PeriodBins().begin(), m_histogram.PeriodBins().end()),
                  periods);
        EXPECT_EQ(std::vector<int>(m_histogram.ActiveDurationBins().begin(),
                                   m_histogram.ActiveDurationBins().end()),
                  durations);
        EXPECT_EQ(m_histogram.m_dElapsedTime, elapsed);
        EXPECT_EQ(m_histogram.m_nInterval, interval);
    }
}

// With a capture time of 1 s, 2 s of signal in blocks of 0.1 s: the first ten blocks are analysed,
// every later one reports the countdown and counts nothing. A reset starts the countdown again.
TEST_F(HistogramTest, CaptureTimeStopsCountingOnceReached)
{
    Start(48000.0);
    m_histogram.m_dCaptureTime = 1.0;
    const std::vector<float> signal = PulseTrain(96000, 480, 120, 0);
    std::vector<int> statuses;
    int countAfterOneSecond = -1;
    for (int b = 0; b < 20; ++b)
    {
        m_histogram.ProcessBlock(signal.data() + b * 4800, 4800);
        statuses.push_back(m_histogram.m_nStatus);
        if (b == 9)
            countAfterOneSecond = m_histogram.PeriodCount();
    }
    std::vector<int> expected(20, CHistogram::kStatusCountdownElapsed);
    std::fill(expected.begin(), expected.begin() + 10, CHistogram::kStatusAnalysed);
    EXPECT_EQ(statuses, expected);
    EXPECT_NEAR(m_histogram.m_dElapsedTime, 1.0, 1e-9);
    // Rises at 480, 960, ... 47520 seen in the first second: 99 rises, 98 periods.
    EXPECT_EQ(countAfterOneSecond, 98);
    EXPECT_EQ(m_histogram.PeriodCount(), 98);

    m_histogram.Reset();
    m_histogram.ProcessBlock(signal.data(), 4800);
    EXPECT_EQ(m_histogram.m_nStatus, CHistogram::kStatusAnalysed);
}

// A block of 100000 samples is analysed as its first 34464 samples, then its last 65536, each with
// thresholds of its own. Pulses of 0.2 fill the first 34464 samples and pulses of 0.1 the rest: in one
// piece with the large pulses (threshold 0.7 x 0.2 = 0.14) the small ones would go unseen.
TEST_F(HistogramTest, LongBlockIsAnalysedInPiecesOfTheWorkBuffer)
{
    Start(48000.0);
    std::vector<float> signal = PulseTrain(100000, 480, 120, 0);
    for (std::size_t n = 34464; n < signal.size(); ++n)
        signal[n] *= 0.5f;
    m_histogram.ProcessBlock(signal.data(), int(signal.size()));

    EXPECT_EQ(m_histogram.m_pLastBlock, signal.data() + 34464);
    EXPECT_EQ(m_histogram.m_nLastBlockLength, 65536);
    // Rises at 480 .. 99840 (208 of them), each falling 120 samples later inside the block.
    EXPECT_EQ(m_histogram.ActiveDurationCount(), 208);
    EXPECT_EQ(m_histogram.ActiveDurationBins()[121], 208);
    EXPECT_EQ(m_histogram.PeriodCount(), 207);
    EXPECT_EQ(m_histogram.PeriodBins()[481], 207);
    EXPECT_NEAR(m_histogram.m_dElapsedTime, 100000 / 48000.0, 1e-9);
}

// After a reset one bin is one sample period: k samples go to bin k, also where k / rate divided by
// the range rounds a hair below k; anything from the end of the range on goes to the last bin.
TEST_F(HistogramTest, ResetMakesOneBinOneSamplePeriod)
{
    for (double rate : {8000.0, 44100.0, 48000.0, 96000.0})
    {
        SCOPED_TRACE(rate);
        Start(rate);
        EXPECT_DOUBLE_EQ(m_histogram.m_settings.m_dActiveMax, 65536 / rate);
        EXPECT_DOUBLE_EQ(m_histogram.m_settings.m_dPeriodMax, 65536 / rate);
        // 43, 51 and 59 samples at 8 kHz are among those the plain quotient puts one bin too low.
        for (int samples : {0, 1, 43, 51, 59, 121, 481, 1000, 65534})
        {
            m_histogram.AddInterval(samples / rate);
            m_histogram.AddActiveDuration(samples / rate);
            EXPECT_EQ(m_histogram.PeriodBins()[std::size_t(samples)], 1) << samples;
            EXPECT_EQ(m_histogram.ActiveDurationBins()[std::size_t(samples)], 1) << samples;
        }
        for (double seconds : {65535 / rate, 65536 / rate, 10.0, 1e9})
        {
            m_histogram.AddInterval(seconds);
            m_histogram.AddActiveDuration(seconds);
        }
        EXPECT_EQ(m_histogram.PeriodBins()[65535], 4);
        EXPECT_EQ(m_histogram.ActiveDurationBins()[65535], 4);
        EXPECT_EQ(m_histogram.PeriodCount(), 13);
        EXPECT_EQ(m_histogram.ActiveDurationCount(), 13);
    }
}

// Bin counts changed after the arrays exist (a loaded workspace) are taken at the next reset, never
// with the old arrays; counts outside 1 .. kMaxBins are limited when the arrays are made.
TEST_F(HistogramTest, BinCountsTakeEffectAtReset)
{
    Start(48000.0);
    m_histogram.m_settings.m_nPeriodBins = 1000;
    m_histogram.m_settings.m_nActiveBins = 200;
    Feed(m_histogram, PulseTrain(4800, 480, 120, 0), 4800);
    ASSERT_EQ(m_histogram.PeriodBins().size(), 65536u);
    EXPECT_EQ(m_histogram.PeriodBins()[481], 8);

    m_histogram.Reset();
    ASSERT_EQ(m_histogram.PeriodBins().size(), 1000u);
    ASSERT_EQ(m_histogram.ActiveDurationBins().size(), 200u);
    EXPECT_EQ(Total(m_histogram.PeriodBins()), 0);
    EXPECT_DOUBLE_EQ(m_histogram.m_settings.m_dPeriodMax, 1000 / 48000.0);
    EXPECT_DOUBLE_EQ(m_histogram.m_settings.m_dActiveMax, 200 / 48000.0);
    Feed(m_histogram, PulseTrain(4800, 480, 120, 0), 4800);
    EXPECT_EQ(m_histogram.PeriodBins()[481], 8);
    // 121 samples fit in 200 bins of one sample.
    EXPECT_EQ(m_histogram.ActiveDurationBins()[121], 9);

    m_histogram.m_settings.m_nPeriodBins = 0;
    m_histogram.m_settings.m_nActiveBins = CHistogramSettings::kMaxBins + 1;
    m_histogram.Reset();
    EXPECT_EQ(m_histogram.PeriodBins().size(), 1u);
    EXPECT_EQ(m_histogram.ActiveDurationBins().size(), std::size_t(CHistogramSettings::kMaxBins));
    m_histogram.AddInterval(0.5);
    EXPECT_EQ(m_histogram.PeriodBins()[0], 1);
}

// The first block makes the bins of a histogram that was never reset.
TEST(HistogramFirstBlockTest, FirstBlockMakesTheBins)
{
    CHistogram histogram;
    histogram.m_dSampleRate = 48000.0;
    EXPECT_TRUE(histogram.PeriodBins().empty());
    const std::vector<float> signal = PulseTrain(4800, 480, 120, 0);
    histogram.ProcessBlock(signal.data(), 0);
    EXPECT_TRUE(histogram.PeriodBins().empty());
    histogram.ProcessBlock(signal.data(), int(signal.size()));
    ASSERT_EQ(histogram.PeriodBins().size(), 65536u);
    EXPECT_EQ(histogram.PeriodBins()[481], 8);
    EXPECT_DOUBLE_EQ(histogram.m_settings.m_dPeriodMax, 65536 / 48000.0);
}

// Display rows: the bins as fractions of their count (0 beyond the bins), the differentiated block
// (0 beyond it), nothing for the oscilloscope; no counts give zeros, not NaN.
TEST_F(HistogramTest, FillDisplayWritesTheSelectedCurve)
{
    Start(48000.0);
    std::vector<float> row(70000, -1.0f);
    m_histogram.FillDisplay(CHistogram::kDisplayPeriod, row.data(), int(row.size()));
    EXPECT_EQ(row, std::vector<float>(70000, 0.0f));

    m_histogram.AddInterval(10 / 48000.0);
    m_histogram.AddInterval(10 / 48000.0);
    m_histogram.AddInterval(30 / 48000.0);
    m_histogram.AddInterval(1e3);
    std::fill(row.begin(), row.end(), -1.0f);
    m_histogram.FillDisplay(CHistogram::kDisplayPeriod, row.data(), int(row.size()));
    std::vector<float> expected(70000, 0.0f);
    expected[10] = 0.5f;
    expected[30] = 0.25f;
    expected[65535] = 0.25f;
    EXPECT_EQ(row, expected);

    // Short row; the active-duration bins are still empty.
    std::vector<float> shortRow(16, -1.0f);
    m_histogram.FillDisplay(CHistogram::kDisplayActiveDuration, shortRow.data(), 16);
    EXPECT_EQ(shortRow, std::vector<float>(16, 0.0f));
    m_histogram.AddActiveDuration(3 / 48000.0);
    m_histogram.FillDisplay(CHistogram::kDisplayActiveDuration, shortRow.data(), 16);
    EXPECT_EQ(shortRow[3], 1.0f);

    // Differentiated: the last block is 0, 0.2, 0.2, 0, 0 after a first block ending at 0.2.
    const float first[] = {0.0f, 0.2f};
    const float second[] = {0.0f, 0.2f, 0.2f, 0.0f, 0.0f};
    m_histogram.ProcessBlock(first, 2);
    m_histogram.ProcessBlock(second, 5);
    ASSERT_EQ(m_histogram.WorkLength(), 5);
    std::fill(shortRow.begin(), shortRow.end(), -1.0f);
    m_histogram.FillDisplay(CHistogram::kDisplayDifferentiated, shortRow.data(), 8);
    const std::vector<float> differences = {-0.2f, 0.2f, 0.0f, -0.2f, 0.0f, 0.0f, 0.0f, 0.0f};
    EXPECT_EQ(std::vector<float>(shortRow.begin(), shortRow.begin() + 8), differences);
    EXPECT_EQ(shortRow[8], -1.0f);

    std::fill(shortRow.begin(), shortRow.end(), -1.0f);
    m_histogram.FillDisplay(CHistogram::kDisplayOscilloscope, shortRow.data(), 16);
    EXPECT_EQ(shortRow, std::vector<float>(16, -1.0f));
}

TEST(HistogramStatusTextTest, EachStatusHasItsText)
{
    EXPECT_EQ(std::string(CHistogram::GetStatusText(CHistogram::kStatusAnalysed)), "");
    EXPECT_EQ(std::string(CHistogram::GetStatusText(CHistogram::kStatusLevelTooLow)),
              "  signal level too low!");
    EXPECT_EQ(std::string(CHistogram::GetStatusText(CHistogram::kStatusLevelTooHigh)),
              "  signal level too high!");
    EXPECT_EQ(std::string(CHistogram::GetStatusText(CHistogram::kStatusCountdownElapsed)),
              "  countdown elapsed!");
}

}  // namespace
