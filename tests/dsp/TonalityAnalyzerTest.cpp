#include "dsp/TonalityAnalyzer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "dsp/Fft.h"
#include "dsp/FftWindow.h"

namespace
{

// Quantities of the method at one frequency.
double CriticalBandwidth(double f)
{
    return 25.0 + 75.0 * std::pow(1.0 + 1.4 * (f / 1000.0) * (f / 1000.0), 0.69);
}
double MaskingIndex(double f)
{
    return -2.0 - std::log10(1.0 + std::pow(f / 502.0, 2.5));
}

struct Result
{
    int adjustment = -1;
    double difference = 0.0;
    double uncertainty = 0.0;
    std::vector<float> tones;
    std::vector<float> lower;
    std::vector<float> upper;
};

Result Evaluate(const std::vector<float>& frequencies, const std::vector<float>& levels)
{
    const int n = static_cast<int>(levels.size());
    Result r;
    r.tones.assign(std::max<std::size_t>(levels.size(), 1), -1.0f);
    r.lower.assign(r.tones.size(), -1.0f);
    r.upper.assign(r.tones.size(), -1.0f);
    int tones = -1;
    int groups = -1;
    EvaluateTonalComponents(frequencies.data(), n, levels.data(), 1, r.adjustment, r.difference,
                            r.uncertainty, &tones, r.tones.data(), &groups, r.lower.data(), r.upper.data());
    r.tones.resize(static_cast<std::size_t>(tones));
    r.lower.resize(static_cast<std::size_t>(groups));
    r.upper.resize(static_cast<std::size_t>(groups));
    return r;
}

// A flat floor of `lines` lines at `floor` dB from `first` Hz in steps of `spacing`.
struct Spectrum
{
    Spectrum(double first, double spacing, int lines, float floor) : h(spacing)
    {
        for (int i = 0; i < lines; ++i)
        {
            f.push_back(static_cast<float>(first + i * spacing));
            l.push_back(floor);
        }
    }
    // Index of the line nearest to frequency.
    std::size_t At(double frequency) const
    {
        return static_cast<std::size_t>(std::lround((frequency - f[0]) / h));
    }
    double h;
    std::vector<float> f;
    std::vector<float> l;
};

constexpr float kFloor = 30.0f;

// The closed form of a lone line standing above a flat floor.
double LoneLineDifference(double lp, double floor, double f, double h)
{
    return lp - (floor - 1.76) - 10.0 * std::log10(CriticalBandwidth(f) / h) - MaskingIndex(f);
}

// Masking lines of a lone line: its critical band's lines other than itself.
int MaskingLines(const Spectrum& s, std::size_t peak)
{
    const double f = s.f[peak];
    const double dfc = CriticalBandwidth(f);
    const double f1 = (std::sqrt(4.0 * f * f + dfc * dfc) - dfc) / 2.0;
    int count = 0;
    for (std::size_t k = 1; k < s.f.size(); ++k)
    {
        if (k != peak && s.f[k] >= f1 - 1e-3 && s.f[k] < f1 + dfc - 1e-3)
        {
            ++count;
        }
    }
    return count;
}

TEST(TonalityAnalyzer, LoneLineAboveFlatFloor)
{
    const struct
    {
        double frequency;
        double spacing;
        float above;
    } cases[] = {{125.0, 1.0, 25.0f},   {500.0, 2.5, 20.0f},   {1000.0, 5.0, 20.0f},
                 {3000.0, 10.0, 30.0f}, {8000.0, 20.0, 25.0f}, {10000.0, 26.0, 30.0f}};
    for (const auto& c : cases)
    {
        Spectrum s(0.0, c.spacing, static_cast<int>(12000.0 / c.spacing), kFloor);
        const std::size_t p = s.At(c.frequency);
        s.l[p] = kFloor + c.above;
        const Result r = Evaluate(s.f, s.l);
        const double expected = LoneLineDifference(s.l[p], kFloor, s.f[p], c.spacing);
        ASSERT_GT(expected, 0.0);
        EXPECT_NEAR(r.difference, expected, 1e-6) << c.frequency << " Hz";
        const int masking = MaskingLines(s, p);
        const double sigma = std::sqrt(9.0 * (1.0 / masking + 1.0) +
                                       std::pow(4.34 * c.spacing / CriticalBandwidth(s.f[p]), 2.0));
        EXPECT_NEAR(r.uncertainty, 1.645 * sigma, 1e-6) << c.frequency << " Hz, " << masking << " lines";
        ASSERT_EQ(r.tones.size(), 1u) << c.frequency << " Hz";
        EXPECT_EQ(r.tones[0], s.f[p]);
        EXPECT_TRUE(r.lower.empty());
        EXPECT_EQ(r.adjustment, TonalAdjustmentOfLevelDifference(expected));
    }
}

TEST(TonalityAnalyzer, AdjustmentSteps)
{
    const struct
    {
        double difference;
        int adjustment;
    } cases[] = {{-10.0, 0}, {0.0, 0},    {1e-9, 1}, {2.0, 1},    {2.0001, 2}, {4.0, 2},     {4.0001, 3},
                 {6.0, 3},   {6.0001, 4}, {9.0, 4},  {9.0001, 5}, {12.0, 5},   {12.0001, 6}, {40.0, 6}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(TonalAdjustmentOfLevelDifference(c.difference), c.adjustment) << c.difference;
    }
    // Through the analyser: a level sweep of the line moves K_T exactly at the limits.
    Spectrum s(0.0, 5.0, 2400, kFloor);
    const std::size_t p = s.At(1000.0);
    const double offset = LoneLineDifference(0.0, kFloor, s.f[p], s.h);
    for (double limit : {2.0, 4.0, 6.0, 9.0, 12.0})
    {
        for (double delta : {-0.01, 0.01})
        {
            s.l[p] = static_cast<float>(limit + delta - offset);
            const Result r = Evaluate(s.f, s.l);
            EXPECT_EQ(r.adjustment, TonalAdjustmentOfLevelDifference(limit + delta)) << limit + delta;
            EXPECT_NEAR(r.difference, limit + delta, 1e-4);
        }
    }
}

TEST(TonalityAnalyzer, EdgeCases)
{
    Spectrum flat(0.0, 5.0, 2000, 40.0f);
    Spectrum low(0.0, 2.0, 3000, kFloor);
    low.l[low.At(80.0)] = kFloor + 40.0f;    // below 90 Hz
    Spectrum thin(1000.0, 10.0, 9, kFloor);  // too few lines around any line
    thin.l[4] = kFloor + 40.0f;
    Spectrum single(1000.0, 5.0, 1, kFloor + 40.0f);
    const struct
    {
        const char* what;
        Spectrum& s;
    } cases[] = {{"flat spectrum", flat},
                 {"strong line below 90 Hz", low},
                 {"band with fewer than five lines on a side", thin},
                 {"single line", single}};
    for (const auto& c : cases)
    {
        const Result r = Evaluate(c.s.f, c.s.l);
        EXPECT_EQ(r.adjustment, 0) << c.what;
        EXPECT_NEAR(r.difference, -10.0, 1e-9) << c.what;
        EXPECT_EQ(r.uncertainty, -1.0) << c.what;
        EXPECT_TRUE(r.tones.empty()) << c.what;
        EXPECT_TRUE(r.lower.empty()) << c.what;
    }
    // Zero lines: nothing read, no tone.
    Result r;
    int tones = -1;
    EvaluateTonalComponents(nullptr, 0, nullptr, 1, r.adjustment, r.difference, r.uncertainty, &tones,
                            nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(tones, 0);
    EXPECT_EQ(r.uncertainty, -1.0);
}

// Only the first and the last frequency count: line 1 at 0 Hz is skipped and the grid is equidistant
// whatever the frequencies in between say.
TEST(TonalityAnalyzer, UsesTheGridFromFirstToLastFrequency)
{
    Spectrum s(0.0, 5.0, 2400, kFloor);
    const std::size_t p = s.At(1000.0);
    s.l[p] = kFloor + 25.0f;
    s.l[0] = kFloor + 60.0f;  // line 1 at 0 Hz
    const Result plain = Evaluate(s.f, s.l);
    std::vector<float> scrambled = s.f;
    for (std::size_t i = 1; i + 1 < scrambled.size(); ++i)
    {
        scrambled[i] = 7.0f;
    }
    const Result r = Evaluate(scrambled, s.l);
    EXPECT_EQ(r.difference, plain.difference);
    ASSERT_EQ(r.tones.size(), 1u);
    EXPECT_EQ(r.tones[0], 1000.0f);
}

// A range starting at 90 Hz or above makes line 1 the first analysed line: it has no lower neighbour,
// and a strong line there is never read below it nor taken as a tone.
TEST(TonalityAnalyzer, FirstLineWithoutLowerNeighbour)
{
    Spectrum s(500.0, 2.0, 2000, kFloor);
    s.l[0] = kFloor + 50.0f;
    s.l[1] = kFloor + 45.0f;
    const std::size_t p = s.At(1500.0);
    s.l[p] = kFloor + 25.0f;
    const Result r = Evaluate(s.f, s.l);
    ASSERT_EQ(r.tones.size(), 1u);
    EXPECT_EQ(r.tones[0], s.f[p]);
}

// The width rule: tone lines of a total width up to 26 · (1 + f/1000) Hz make a tone, one line more
// does not. The lines lie 0.5 dB below the peak, above it in frequency.
TEST(TonalityAnalyzer, WidthRule)
{
    for (int lines : {15, 16})
    {
        Spectrum s(0.0, 5.0, 2400, kFloor);
        const std::size_t p = s.At(2000.0);
        s.l[p] = kFloor + 30.0f;
        for (int k = 1; k < lines; ++k)
        {
            s.l[p + static_cast<std::size_t>(k)] = kFloor + 29.5f;
        }
        const Result r = Evaluate(s.f, s.l);
        EXPECT_EQ(r.tones.size(), lines * 5.0 <= 78.0 ? 1u : 0u) << lines << " lines";
    }
}

// The 24 dB slope rule on either flank: a tone of eight lines 2.9 Hz apart at 98.6 Hz (seven 0.5 dB
// below the peak on one side) whose first line outside lies `drop` below the peak. The slope is
// drop · f / (√2 · 8 · 2.9 Hz); a tone needs 24 or more.
TEST(TonalityAnalyzer, FlankSlopeRule)
{
    constexpr double kSpacing = 2.9;
    constexpr std::size_t kPeak = 34;
    const double fp = kPeak * kSpacing;
    const double boundary = 24.0 * std::sqrt(2.0) * 8.0 * kSpacing / fp;
    for (int side : {-1, 1})
    {
        for (double factor : {0.97, 1.03})
        {
            Spectrum s(0.0, kSpacing, 4000, kFloor);
            const float lp = kFloor + 12.0f;
            s.l[kPeak] = lp;
            for (int k = 1; k <= 8; ++k)
            {
                const std::size_t at = static_cast<std::size_t>(static_cast<int>(kPeak) + side * k);
                s.l[at] = k < 8 ? lp - 0.5f : static_cast<float>(lp - factor * boundary);
            }
            const Result r = Evaluate(s.f, s.l);
            EXPECT_EQ(r.tones.size(), factor > 1.0 ? 1u : 0u) << "side " << side << ", factor " << factor;
        }
    }
}

// Two tones below 1 kHz in one band stay apart beyond 21 · 10^(1.2 · |lg(f/212)|^1.8) Hz (33.5 Hz at
// 500 Hz, the stronger tone's frequency) and are judged together closer; three are always together.
TEST(TonalityAnalyzer, TonesInOneCriticalBand)
{
    const double limit = 21.0 * std::pow(10.0, 1.2 * std::pow(std::log10(500.0 / 212.0), 1.8));
    for (double distance : {limit - 1.5, limit + 1.5})
    {
        Spectrum s(0.0, 0.5, 4000, kFloor);
        s.l[s.At(500.0)] = kFloor + 33.0f;
        s.l[s.At(500.0 + distance)] = kFloor + 30.0f;
        const Result r = Evaluate(s.f, s.l);
        ASSERT_EQ(r.tones.size(), 2u) << distance;
        EXPECT_EQ(r.tones[0], s.f[s.At(500.0)]);
        EXPECT_EQ(r.lower.size(), distance < limit ? 1u : 0u) << distance;
        if (distance > limit)
        {
            EXPECT_NEAR(r.difference, LoneLineDifference(kFloor + 33.0, kFloor, 500.0, 0.5), 1e-6);
        }
        else
        {
            // Judged as one: both powers count against the stronger tone's masking.
            const double merged = 10.0 * std::log10(std::pow(10.0, 6.3) + std::pow(10.0, 6.0));
            EXPECT_NEAR(r.difference, LoneLineDifference(merged, kFloor, 500.0, 0.5), 1e-6);
            EXPECT_LE(r.lower[0], 500.0f);
            EXPECT_GE(r.upper[0], 500.0f + distance);
        }
    }
    Spectrum s(0.0, 0.5, 4000, kFloor);
    for (double f : {500.0, 540.0, 580.0})
    {
        s.l[s.At(f)] = kFloor + 30.0f;
    }
    const Result r = Evaluate(s.f, s.l);
    EXPECT_EQ(r.tones.size(), 3u);
    EXPECT_GE(r.lower.size(), 1u);
}

// More than 500 tones in one critical band: all are kept and judged together, nothing is written past
// the output arrays.
TEST(TonalityAnalyzer, ManyTonesInOneBand)
{
    Spectrum s(8000.0, 1.0, 4000, kFloor);
    int placed = 0;
    for (std::size_t i = 12; i + 12 < 2400; i += 3)
    {
        s.l[i] = kFloor + 30.0f;
        ++placed;
    }
    ASSERT_GT(placed, 500);
    const Result r = Evaluate(s.f, s.l);
    EXPECT_GT(r.tones.size(), 500u);
    EXPECT_GE(r.lower.size(), 1u);
    EXPECT_GT(r.difference, 0.0);
}

// End to end: a sine of amplitude A in white noise of one-sided density n0, through the Hanning
// window and the power spectrum of a 16384-point FFT at 48 kHz, gives
// ΔL = 10 lg(A²/2) − 10 lg(n0 · Δf_c) − a_v within its reported uncertainty. The spectrum is the mean of
// 16 blocks: in a single block the noise lines scatter so widely that the masking level, which leaves
// out lines more than 6 dB above it, comes out about 2 dB low.
TEST(TonalityAnalyzer, SineInWhiteNoiseThroughTheFft)
{
    constexpr int kSize = 16384;
    constexpr int kBlocks = 16;
    constexpr double kRate = 48000.0;
    const double h = kRate / kSize;
    CFftWindow window;
    std::vector<float> table(kSize);
    window.Generate(table.data(), kSize, kFftWindowHanning);
    std::mt19937 random(45681);
    for (const double bin : {171.0, 341.0, 683.0, 1365.0})  // about 500 Hz, 1, 2 and 4 kHz
    {
        const double f = bin * h;
        const double amplitude = 0.01;
        const double n0 = 1e-9;  // per Hz
        std::normal_distribution<double> noise(0.0, std::sqrt(n0 * kRate / 2.0));
        std::vector<double> mean(kSize / 2, 0.0);
        std::vector<float> x(kSize);
        for (int block = 0; block < kBlocks; ++block)
        {
            for (int i = 0; i < kSize; ++i)
            {
                const double t = static_cast<double>(block * kSize + i) / kRate;
                x[static_cast<std::size_t>(i)] = static_cast<float>(
                    (amplitude * std::sin(2.0 * std::numbers::pi * f * t) + noise(random)) *
                    table[static_cast<std::size_t>(i)]);
            }
            ComputePowerSpectrum(x.data(), kSize);
            for (int k = 0; k < kSize / 2; ++k)
            {
                mean[static_cast<std::size_t>(k)] += x[static_cast<std::size_t>(k)] / kBlocks;
            }
        }
        std::vector<float> frequencies;
        std::vector<float> levels;
        for (int k = 0; k < 8192 && k * h <= 12000.0; ++k)
        {
            frequencies.push_back(static_cast<float>(k * h));
            levels.push_back(static_cast<float>(10.0 * std::log10(mean[static_cast<std::size_t>(k)])));
        }
        const Result r = Evaluate(frequencies, levels);
        const double expected = 10.0 * std::log10(amplitude * amplitude / 2.0) -
                                10.0 * std::log10(n0 * CriticalBandwidth(f)) - MaskingIndex(f);
        ASSERT_GT(r.uncertainty, 0.0) << f << " Hz";
        EXPECT_NEAR(r.difference, expected, r.uncertainty) << f << " Hz";
        EXPECT_NE(std::find(r.tones.begin(), r.tones.end(), static_cast<float>(f)), r.tones.end())
            << f << " Hz";
        // The mean of 16 blocks leaves far less scatter than the uncertainty allows for one.
        EXPECT_NEAR(r.difference, expected, 1.0) << f << " Hz";
    }
}

void FillLoneLine(CTonalityAnalyzer& analyzer)
{
    Spectrum s(0.0, 5.0, 2400, kFloor);
    s.l[s.At(1000.0)] = kFloor + 25.0f;
    std::copy(s.f.begin(), s.f.end(), analyzer.m_lineFrequencies.begin());
    std::copy(s.l.begin(), s.l.end(), analyzer.m_lineLevels.begin());
    analyzer.m_lineCount = static_cast<int>(s.f.size());
}

void WaitFinished(const CTonalityAnalyzer& analyzer)
{
    while (analyzer.m_runState.load() == CTonalityAnalyzer::kRunning)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(TonalityAnalyzerThread, RunsAndHoldsItsResults)
{
    CTonalityAnalyzer analyzer;
    EXPECT_EQ(analyzer.m_runState.load(), CTonalityAnalyzer::kNeverRun);
    EXPECT_EQ(analyzer.m_lineCapacity, 9000);
    EXPECT_EQ(analyzer.m_spectrumCount, 1);
    FillLoneLine(analyzer);
    // Disabled: the run ends at once, the results stay.
    analyzer.Start();
    WaitFinished(analyzer);
    EXPECT_EQ(analyzer.m_runState.load(), CTonalityAnalyzer::kFinished);
    EXPECT_EQ(analyzer.m_toneCount, 0);
    EXPECT_EQ(analyzer.m_levelDifference, 0.0);
    analyzer.m_analysisEnabled = 1;
    analyzer.Start();
    WaitFinished(analyzer);
    EXPECT_EQ(analyzer.m_toneCount, 1);
    EXPECT_EQ(analyzer.m_toneFrequencies[0], 1000.0f);
    EXPECT_NEAR(analyzer.m_levelDifference, LoneLineDifference(kFloor + 25.0, kFloor, 1000.0, 5.0), 1e-6);
    const double first = analyzer.m_levelDifference;
    // Runs follow each other on fresh working storage: the same lines give the same result.
    for (int i = 0; i < 5; ++i)
    {
        analyzer.Start();
        WaitFinished(analyzer);
        EXPECT_EQ(analyzer.m_levelDifference, first);
    }
    analyzer.StopAndWait();
    EXPECT_EQ(analyzer.m_analysisEnabled.load(), 0);
}

// Destroying an analyser with its run in progress, many times over, neither hangs nor leaks (the
// sanitizer builds check the latter).
TEST(TonalityAnalyzerThread, DestroyedWhileRunning)
{
    for (int i = 0; i < 1000; ++i)
    {
        auto analyzer = std::make_unique<CTonalityAnalyzer>();
        FillLoneLine(*analyzer);
        analyzer->m_analysisEnabled = 1;
        analyzer->Start();
        if (i % 2 == 0)
        {
            analyzer->StopAndWait();
        }
        analyzer.reset();
    }
}

}  // namespace
