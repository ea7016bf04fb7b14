#include "dsp/BandAnalyzer.h"

#include <gtest/gtest.h>

#include <fftw3.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "dsp/FrequencyWeighting.h"
#include "tests/dsp/AllocationCount.h"

namespace
{
// The level logger as far as the band analyser sees it: an interval clock of a fixed length, a run
// that stops after the planned blocks, and a record of every call.
class FakeLogger : public CLevelLoggerSink
{
public:
    bool IsRunning() const override { return m_running; }
    std::int64_t GetSamplesToIntervalEnd() const override { return m_toEnd; }
    void ConsumeSamples(int n) override
    {
        m_chunks.push_back(n);
        m_toEnd -= n;
        m_blockSamples += n;
    }
    std::int64_t GetBlockSampleCount() const override { return m_blockSamples; }
    void BeginInterval() override
    {
        m_toEnd += m_interval;
        m_blockSamples = 0;
    }
    std::int64_t GetBlocksCounted() const override { return m_counted; }
    std::int64_t GetPlannedBlocks() const override { return m_planned; }
    bool IsDinModeActive() const override { return false; }
    void Stop() override { m_running = false; }
    void RequestStopCommand() override { ++m_stopCommands; }
    void StoreBlock(std::span<CLevelMeter* const> wideband, std::span<CLevelMeter* const> bands) override
    {
        Stored s;
        s.samples = m_blockSamples;
        s.chunkCount = static_cast<int>(m_chunks.size());
        s.widebandCount = static_cast<int>(wideband.size());
        s.bandCount = static_cast<int>(bands.size());
        s.zIntervalSamples = wideband.empty() ? 0 : wideband[0]->m_intervalSampleCount;
        for (const auto* meters : {&wideband, &bands})
            for (CLevelMeter* meter : *meters)
                s.fastLevels.push_back(meter->GetLevel(kLevelFast));
        for (CLevelMeter* meter : wideband)
            meter->EndLoggerInterval();
        for (CLevelMeter* meter : bands)
            meter->EndLoggerInterval();
        m_stored.push_back(s);
        ++m_counted;
    }
    bool IsWaveRecorderOn() const override { return m_recorderOn; }
    double GetCalibrationOffset() const override { return 20.0; }
    void RecordSamples(const float*, int count, double scale) override
    {
        m_recorded += count;
        m_scale = scale;
    }
    void SetWidebandWeightings(std::span<const int> weightings) override
    {
        m_weightings.assign(weightings.begin(), weightings.end());
    }
    void SetBandConfiguration(double, double, double, int, std::span<const double> centers) override
    {
        m_centers.assign(centers.begin(), centers.end());
    }
    int GetLoggedBandCount() const override { return static_cast<int>(m_centers.size()); }

    struct Stored
    {
        std::int64_t samples;
        int chunkCount;
        int widebandCount;
        int bandCount;
        std::int32_t zIntervalSamples;
        // The Fast level of every wideband and band meter at the interval end.
        std::vector<double> fastLevels;
    };
    bool m_running = true;
    bool m_recorderOn = false;
    std::int64_t m_interval = 1000;
    std::int64_t m_toEnd = 1000;
    std::int64_t m_blockSamples = 0;
    std::int64_t m_counted = 0;
    std::int64_t m_planned = 100;
    int m_stopCommands = 0;
    int m_recorded = 0;
    double m_scale = 0.0;
    std::vector<int> m_chunks;
    std::vector<Stored> m_stored;
    std::vector<int> m_weightings;
    std::vector<double> m_centers;
};

double Db(double rms)
{
    return 20.0 * std::log10(rms);
}

void Feed(CBandAnalyzer& analyzer, const std::vector<float>& x, int block = 512)
{
    for (std::size_t start = 0; start < x.size(); start += static_cast<std::size_t>(block))
        analyzer.ProcessBlock(x.data() + start, static_cast<int>(std::min<std::size_t>(
                                                    static_cast<std::size_t>(block), x.size() - start)));
}

std::vector<float> Sine(double f, double fs, int n, double amplitude = 1.0)
{
    std::vector<float> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * f * i / fs));
    return x;
}

// Nominal centres name the bands; the edges lie around the exact base-ten mid-band frequencies
// 1000 * 10^(3x / 10b) Hz with the half-band factor 10^(0.3 / 2b).
TEST(NominalBandCenter, EdgeCases)
{
    const double third = std::pow(10.0, 0.05);
    const double octave = std::pow(10.0, 0.15);
    const struct
    {
        double f;
        int bandsPerOctave;
        double center;
        double midband;
    } cases[] = {{20000.0, 3, 16000.0, 1000.0 * std::pow(10.0, 1.2)},
                 {1000.0, 1, 500.0, 1000.0 * std::pow(10.0, -0.3)},
                 {1.1, 3, -1.0, 0.0},
                 {1e7, 1, 1e6, 1e6},
                 {31.7 * third, 3, 31.5, 1000.0 * std::pow(10.0, -1.5)},
                 {31.6 * third, 3, 25.0, 1000.0 * std::pow(10.0, -1.6)}};
    for (const auto& c : cases)
    {
        double upper = 0.0;
        double midband = 0.0;
        EXPECT_EQ(NominalBandCenter(c.f, c.bandsPerOctave, &upper, &midband), c.center) << c.f;
        if (c.center > 0)
        {
            EXPECT_NEAR(midband, c.midband, 1e-9 * c.midband) << c.f;
            EXPECT_NEAR(upper, c.midband * (c.bandsPerOctave == 1 ? octave : third), 1e-9 * c.midband) << c.f;
        }
    }
    EXPECT_DOUBLE_EQ(HalfBandFactor(3), third);
    EXPECT_DOUBLE_EQ(HalfBandFactor(1), octave);
}

class BandAnalyzerTest : public ::testing::Test
{
protected:
    void Configure(double rate, double minF, double maxF, int bandsPerOctave)
    {
        m_analyzer.m_sampleRate = rate;
        m_analyzer.m_minFrequency = minF;
        m_analyzer.m_maxFrequency = maxF;
        m_analyzer.m_bandsPerOctave = bandsPerOctave;
        m_analyzer.Configure();
    }
    CBandAnalyzer m_analyzer;
};

TEST_F(BandAnalyzerTest, ThirdOctaveSetAt48Kilohertz)
{
    Configure(48000.0, 20.0, 20000.0, 3);
    ASSERT_EQ(m_analyzer.m_bandCount, 30);
    EXPECT_EQ(m_analyzer.m_bandCenters[0], 20.0);
    EXPECT_EQ(m_analyzer.m_bandCenters[29], 16000.0);
    EXPECT_EQ(m_analyzer.m_bandCenters[17], 1000.0);
    // The rate halves once per octave from the 6.3 kHz band down (upper edge 7.07 kHz below 0.16 of
    // 48 kHz); the four bands above run at the full rate.
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(m_analyzer.m_bandDecimation[i], i >= 26 ? 1 : 1 << ((26 - i + 2) / 3)) << i;
}

TEST_F(BandAnalyzerTest, RangeLimitsFollowTheRate)
{
    const struct
    {
        double minIn, maxIn, minOut, maxOut;
    } cases[] = {{20.0, 20000.0, 20.0, 3800.0}, {5000.0, 20000.0, 3200.0, 3800.0}};
    for (const auto& c : cases)
    {
        CBandAnalyzer analyzer;
        analyzer.m_sampleRate = 8000.0;
        analyzer.m_minFrequency = c.minIn;
        analyzer.m_maxFrequency = c.maxIn;
        analyzer.Configure();
        EXPECT_DOUBLE_EQ(analyzer.m_minFrequency, c.minOut);
        EXPECT_DOUBLE_EQ(analyzer.m_maxFrequency, c.maxOut);
    }
}

TEST_F(BandAnalyzerTest, OctaveAndSixthOctaveGrids)
{
    Configure(48000.0, 20.0, 20000.0, 1);
    // 16 kHz's upper edge (22.6 kHz) lies above 20 kHz; 16 Hz is the band whose lower edge falls below
    // 20 Hz.
    const double octaves[] = {16, 31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000};
    ASSERT_EQ(m_analyzer.m_bandCount, 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(m_analyzer.m_bandCenters[i], octaves[i]);
    // Sixth-octave bands sit on the exact third-octave mid-band frequencies 1000 * 10^(k/10) with edges
    // at 10^(+-0.3/12) of them, leaving gaps.
    Configure(48000.0, 900.0, 1400.0, 6);
    ASSERT_EQ(m_analyzer.m_bandCount, 3);
    const double sixths[] = {800.0, 1000.0, 1250.0};
    const double edge = std::pow(10.0, 0.025);
    for (int i = 0; i < 3; ++i)
    {
        const double mid = 1000.0 * std::pow(10.0, (i - 1) / 10.0);
        EXPECT_EQ(m_analyzer.m_bandCenters[i], sixths[i]);
        EXPECT_DOUBLE_EQ(m_analyzer.m_bandMidFrequencies[i], mid);
        EXPECT_NEAR(m_analyzer.m_bandFilters[i]->m_dHighCorner, mid * edge, 1e-9 * mid);
        EXPECT_NEAR(m_analyzer.m_bandFilters[i]->m_dLowCorner, mid / edge, 1e-9 * mid);
    }
}

TEST_F(BandAnalyzerTest, WidebandSlots)
{
    const struct
    {
        int set;
        int display;
        std::vector<int> weightings;
        bool displayHasFilter;
    } cases[] = {
        {0, 1, {0, 1, 2}, true},          {0, 4, {0, 1, 2, 4}, false},          {0, 3, {0, 1, 2, 3}, true},
        {1, 7, {0, 1, 2, 6, 5, 7}, true}, {1, 4, {0, 1, 2, 6, 5, 7, 4}, false}, {2, 1, {}, false}};
    for (const auto& c : cases)
    {
        CBandAnalyzer analyzer;
        FakeLogger logger;
        analyzer.SetLogger(&logger);
        analyzer.m_widebandSet = c.set;
        analyzer.m_displayWeighting = c.display;
        analyzer.SelectWidebandSlots();
        ASSERT_EQ(analyzer.GetWidebandCount(), static_cast<int>(c.weightings.size()))
            << c.set << "/" << c.display;
        EXPECT_EQ(logger.m_weightings, c.weightings);
        const int slot = analyzer.FindWidebandSlot(c.display);
        if (!c.weightings.empty())
        {
            ASSERT_GE(slot, 0);
            EXPECT_EQ(analyzer.m_currentMeter, analyzer.m_widebandMeters[slot]);
            EXPECT_EQ(analyzer.m_widebandFilters[slot] != nullptr, c.displayHasFilter);
        }
        else
        {
            EXPECT_EQ(slot, -1);
            EXPECT_EQ(analyzer.m_currentMeter, &analyzer.m_meters[0]);
        }
    }
}

// A 1 Pa (amplitude 1.0) 1 kHz sine: the Z, A and C meters all read 90.97 dB Leq.
TEST_F(BandAnalyzerTest, WidebandMetersReadOnePascalSine)
{
    Configure(48000.0, 20.0, 20000.0, 3);
    const std::vector<float> x = Sine(1000.0, 48000.0, 48000 * 2);
    Feed(m_analyzer, x);
    m_analyzer.ResetLevels();
    Feed(m_analyzer, x);
    for (int code : {kWeightingZ, kWeightingA, kWeightingC})
    {
        const int slot = m_analyzer.FindWidebandSlot(code);
        ASSERT_GE(slot, 0);
        EXPECT_NEAR(Db(m_analyzer.m_widebandMeters[slot]->GetLevel(kLevelEquivalent) / 20e-6), 90.97, 0.05)
            << GetWeightingName(code);
    }
}

struct CentreCase
{
    double rate;
    int bandsPerOctave;
};

class BandCentreTone : public ::testing::TestWithParam<CentreCase>
{
};

// A sine at a band's nominal centre reads its own level in that band within 0.1 dB, also in the bands
// just below a halving of the rate.
TEST_P(BandCentreTone, ReadsItsOwnLevel)
{
    const CentreCase c = GetParam();
    CBandAnalyzer analyzer;
    analyzer.m_sampleRate = c.rate;
    analyzer.m_bandsPerOctave = c.bandsPerOctave;
    analyzer.Configure();
    for (int i = 0; i < analyzer.m_bandCount; ++i)
    {
        const double f = analyzer.m_bandCenters[i];
        if (f < 40.0)
            continue;  // settling of the lowest bands takes longer than this test wants to run
        // One continuous tone: settling over the first half, measured over the second.
        const int half = static_cast<int>(c.rate * 0.5);
        const std::vector<float> x = Sine(f, c.rate, 2 * half, 0.5);
        Feed(analyzer, std::vector<float>(x.begin(), x.begin() + half));
        analyzer.ResetLevels();
        Feed(analyzer, std::vector<float>(x.begin() + half, x.end()));
        EXPECT_NEAR(Db(analyzer.m_bandMeters[i]->GetLevel(kLevelEquivalent) / (0.5 / std::sqrt(2.0))), 0.0,
                    0.1)
            << f << " Hz, decimation " << analyzer.m_bandDecimation[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, BandCentreTone,
                         ::testing::Values(CentreCase{48000.0, 3}, CentreCase{44100.0, 3},
                                           CentreCase{96000.0, 3}, CentreCase{48000.0, 1}));

// A strong tone reaches the other bands only through their skirts: each band reads the response of
// its band-pass at the tone (the 12-pole Butterworth design, -34 dB in the band above 1 kHz and
// -44 dB in the band below) within 0.2 dB, and bands far from the tone lie more than 85 dB down
// (the lowest bands see what the halving filters let through, folded, about 94 dB down). A signal
// fed with a gap or a phase jump between blocks spreads a click over every band and shows a floor
// only 50 to 60 dB down; the tone here is one continuous signal.
TEST(BandAnalyzerSkirts, ToneReachesOtherBandsOnlyThroughTheirSkirts)
{
    constexpr double kRate = 48000.0;
    CBandAnalyzer analyzer;
    analyzer.m_sampleRate = kRate;
    analyzer.m_bandsPerOctave = 3;
    analyzer.Configure();
    const int n = static_cast<int>(3 * kRate);
    const std::vector<float> x = Sine(1000.0, kRate, n, std::sqrt(2.0));  // RMS 1: 0 dB
    Feed(analyzer, std::vector<float>(x.begin(), x.begin() + n / 3), 480);
    analyzer.ResetLevels();
    Feed(analyzer, std::vector<float>(x.begin() + n / 3, x.end()), 480);
    for (int i = 0; i < analyzer.m_bandCount; ++i)
    {
        const double level = Db(analyzer.m_bandMeters[i]->GetLevel(kLevelEquivalent));
        const double designed = Db(analyzer.m_bandFilters[i]->GetResponse(1000.0));
        if (designed > -100.0)
        {
            EXPECT_NEAR(level, designed, 0.2) << analyzer.m_bandCenters[i] << " Hz";
        }
        else
        {
            EXPECT_LT(level, -85.0) << analyzer.m_bandCenters[i] << " Hz";
        }
    }
}

// Periodic pink noise built in the frequency domain: every bin from 5 Hz up has power 1/f and a
// random phase, so each band's power over whole periods is exactly the integral of 1/f over its
// response.
std::vector<float> PeriodicPinkNoise(int n, double fs)
{
    std::vector<fftw_complex> spectrum(static_cast<std::size_t>(n / 2 + 1));
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> phase(0.0, 2.0 * std::numbers::pi);
    for (int k = 0; k <= n / 2; ++k)
    {
        const double f = k * fs / n;
        const double magnitude = f >= 5.0 && k < n / 2 ? 1.0 / std::sqrt(f) : 0.0;
        const double p = phase(random);
        spectrum[k][0] = magnitude * std::cos(p);
        spectrum[k][1] = magnitude * std::sin(p);
    }
    std::vector<double> time(static_cast<std::size_t>(n));
    fftw_plan plan = fftw_plan_dft_c2r_1d(n, spectrum.data(), time.data(), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    double peak = 0.0;
    for (double v : time)
        peak = std::max(peak, std::fabs(v));
    std::vector<float> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[i] = static_cast<float>(0.5 * time[i] / peak);
    return x;
}

TEST_F(BandAnalyzerTest, PinkNoiseGivesEqualThirdOctaveLevels)
{
    Configure(48000.0, 20.0, 20000.0, 3);
    const std::vector<float> noise = PeriodicPinkNoise(1 << 18, 48000.0);
    Feed(m_analyzer, noise);  // settling
    m_analyzer.ResetLevels();
    Feed(m_analyzer, noise);
    double lowest = 1e9, highest = -1e9;
    for (int i = 0; i < m_analyzer.m_bandCount; ++i)
    {
        const double level = Db(m_analyzer.m_bandMeters[i]->GetLevel(kLevelEquivalent));
        lowest = std::min(lowest, level);
        highest = std::max(highest, level);
    }
    EXPECT_LT(highest - lowest, 0.5) << lowest << " .. " << highest;
}

TEST_F(BandAnalyzerTest, InputBlockIsNotWritten)
{
    Configure(48000.0, 20.0, 20000.0, 3);
    m_analyzer.m_displayWeighting = kWeightingA;
    const std::vector<float> original = Sine(3000.0, 48000.0, 700);
    std::vector<float> x = original;
    m_analyzer.ProcessBlock(x.data(), 700);
    EXPECT_EQ(x, original);
}

// The bands between two halvings run their filters side by side; every band meter reads exactly
// what the band-by-band walk (each filter over its own copy of the running signal) gives, at every
// rate the program offers and for octaves and thirds.
TEST(BandAnalyzerLanes, BandLevelsEqualTheBandByBandWalk)
{
    for (const double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0})
        for (const int bandsPerOctave : {1, 3})
        {
            SCOPED_TRACE(rate);
            SCOPED_TRACE(bandsPerOctave);
            CBandAnalyzer analyzer, reference;
            for (CBandAnalyzer* a : {&analyzer, &reference})
            {
                a->m_sampleRate = rate;
                a->m_minFrequency = 20.0;
                a->m_maxFrequency = 20000.0;
                a->m_bandsPerOctave = bandsPerOctave;
                a->Configure();
            }
            std::vector<float> running(CBandAnalyzer::kMaxChunk), work(CBandAnalyzer::kMaxChunk);
            const std::vector<float> x = Sine(997.0, rate, 3000);
            std::vector<float> noisy = x;
            for (std::size_t k = 0; k < noisy.size(); ++k)
                noisy[k] += 0.2f * static_cast<float>(std::sin(0.37 * static_cast<double>(k * k) / rate));
            for (int at = 0; at < 3000; at += 700)
            {
                const int count = std::min(700, 3000 - at);
                analyzer.ProcessBlock(noisy.data() + at, count);
                for (int done = 0; done < count; done += CBandAnalyzer::kMaxChunk)
                {
                    const int n = std::min(count - done, CBandAnalyzer::kMaxChunk);
                    std::copy_n(noisy.data() + at + done, n, running.data());
                    int m = n;
                    for (int i = reference.m_bandCount - 1; i >= 0; --i)
                    {
                        if (reference.m_bandDecimators[i].m_nFactor == 2)
                        {
                            reference.m_bandDecimationFilters[i]->Process(running.data(), m);
                            m = reference.m_bandDecimators[i].Process(running.data(), m);
                        }
                        if (m <= 0)
                            continue;
                        std::copy_n(running.data(), m, work.data());
                        reference.m_bandFilters[i]->Process(work.data(), m);
                        reference.m_bandMeters[i]->ProcessBlock(work.data(), m);
                    }
                }
            }
            ASSERT_GT(analyzer.m_bandCount, 5);
            for (int i = 0; i < analyzer.m_bandCount; ++i)
                for (const int quantity : {kLevelImpulse, kLevelFast, kLevelSlow, kLevelCcir,
                                           kLevelEquivalent, kLevel10s, kLevel60s, kLevelInterval})
                    ASSERT_EQ(analyzer.m_bandMeters[i]->GetLevel(quantity),
                              reference.m_bandMeters[i]->GetLevel(quantity))
                        << "band " << i << " quantity " << quantity;
        }
}

// Channels analysed side by side read exactly what each analyser reads from its own ProcessBlock:
// channels of one layout, of another rate or band width among them, one switched off, a missing one,
// wideband weightings of both sets, and analysers whose halvings are out of step (one configured, fed and
// reset apart).
TEST(BandAnalyzerLanes, ChannelsSideBySideReadWhatEachReadsAlone)
{
    constexpr int kChannels = 11;
    std::vector<std::unique_ptr<CBandAnalyzer>> side, alone;
    for (int c = 0; c < kChannels; ++c)
        for (auto* set : {&side, &alone})
        {
            auto a = std::make_unique<CBandAnalyzer>();
            a->m_sampleRate = c == 4 ? 44100.0 : 48000.0;
            a->m_bandsPerOctave = c == 6 ? 1 : 3;
            // Channel 10 displays a weighting that is not built on a filter bank (it runs alone).
            a->m_displayWeighting = c == 10 ? kWeightingItu468 : c % 2 ? kWeightingA : kWeightingC;
            a->m_widebandSet = c == 9 ? 1 : 0;
            a->m_enabled = c == 7 ? 0 : 1;
            a->Configure();
            set->push_back(std::move(a));
        }
    // Channel 2 halves its rate out of step with the others.
    const std::vector<float> lead = Sine(500.0, 48000.0, 3);
    side[2]->ProcessBlock(lead.data(), 3);
    alone[2]->ProcessBlock(lead.data(), 3);
    std::vector<std::vector<float>> signals;
    for (int c = 0; c < kChannels; ++c)
    {
        std::vector<float> x = Sine(100.0 * (c + 1), 48000.0, 2000, 0.1 + 0.05 * c);
        for (std::size_t k = 0; k < x.size(); ++k)
            x[k] += 0.05f * static_cast<float>(std::sin(0.37 * static_cast<double>(k * k) / 48000.0));
        signals.push_back(std::move(x));
    }
    for (int at = 0; at < 2000; at += 500)
    {
        const int count = at == 1500 ? 500 : 333 + at / 10;
        std::vector<CBandAnalyzer*> analyzers;
        std::vector<const float*> samples;
        for (int c = 0; c < kChannels; ++c)
        {
            analyzers.push_back(c == 5 ? nullptr : side[static_cast<std::size_t>(c)].get());
            samples.push_back(signals[static_cast<std::size_t>(c)].data() + at);
            if (c != 5)
                alone[static_cast<std::size_t>(c)]->ProcessBlock(samples.back(), count);
        }
        CBandAnalyzer::ProcessChannels(analyzers, samples, count);
    }
    for (int c = 0; c < kChannels; ++c)
    {
        if (c == 5)
            continue;
        const CBandAnalyzer& a = *side[static_cast<std::size_t>(c)];
        const CBandAnalyzer& b = *alone[static_cast<std::size_t>(c)];
        ASSERT_EQ(a.m_bandCount, b.m_bandCount);
        const auto same = [&](const CLevelMeter& x, const CLevelMeter& y, int index)
        {
            for (const int quantity : {kLevelImpulse, kLevelFast, kLevelSlow, kLevelCcir, kLevelEquivalent,
                                       kLevel10s, kLevel60s, kLevelInterval})
                ASSERT_EQ(x.GetLevel(quantity), y.GetLevel(quantity))
                    << "channel " << c << " meter " << index << " quantity " << quantity;
        };
        for (int i = 0; i < a.m_bandCount; ++i)
            same(*a.m_bandMeters[i], *b.m_bandMeters[i], i);
        for (int w = 0; w < a.GetWidebandCount(); ++w)
            same(*a.m_widebandMeters[w], *b.m_widebandMeters[w], 1000 + w);
    }
    EXPECT_GT(side[0]->m_bandMeters[10]->GetLevel(kLevelEquivalent), 1e-3);
    EXPECT_EQ(side[7]->m_bandMeters[10]->GetLevel(kLevelEquivalent), 0.0);

    // Once configured and fed (the first block designs the meters' detectors), the real-time path
    // allocates nothing.
    std::vector<CBandAnalyzer*> analyzers;
    std::vector<const float*> samples;
    for (int c = 0; c < kChannels; ++c)
    {
        analyzers.push_back(side[static_cast<std::size_t>(c)].get());
        samples.push_back(signals[static_cast<std::size_t>(c)].data());
    }
    CBandAnalyzer::ProcessChannels(analyzers, samples, 1000);
    EXPECT_EQ(allocationcount::Count([&] { CBandAnalyzer::ProcessChannels(analyzers, samples, 1000); }), 0);
    EXPECT_EQ(allocationcount::Count([&] { side[0]->ProcessBlock(samples[0], 1000); }), 0);
}

// Logging channels analysed side by side store the blocks each stores alone: intervals of several
// lengths and phases (one of them shorter than a chunk, one that stops at its planned count), the
// chunks cut at every member's interval ends.
TEST(BandAnalyzerLanes, LoggingChannelsSideBySideStoreWhatEachStoresAlone)
{
    constexpr int kChannels = 5;
    const std::int64_t intervals[kChannels] = {4800, 4410, 100, 1000, 777};
    std::vector<std::unique_ptr<CBandAnalyzer>> side, alone;
    std::vector<std::unique_ptr<FakeLogger>> sideLoggers, aloneLoggers;
    for (int c = 0; c < kChannels; ++c)
        for (auto [set, loggers] : {std::pair{&side, &sideLoggers}, std::pair{&alone, &aloneLoggers}})
        {
            auto logger = std::make_unique<FakeLogger>();
            logger->m_interval = intervals[c];
            logger->m_toEnd = intervals[c] - 37 * c;
            logger->m_planned = c == 3 ? 20 : 100000;
            auto a = std::make_unique<CBandAnalyzer>();
            a->m_sampleRate = 48000.0;
            a->m_bandsPerOctave = 3;
            a->m_widebandSet = 0;
            a->SetLogger(logger.get());
            a->Configure();
            a->CopySettingsToLogger();
            a->m_loggingActive = 1;
            set->push_back(std::move(a));
            loggers->push_back(std::move(logger));
        }
    std::vector<std::vector<float>> signals;
    for (int c = 0; c < kChannels; ++c)
        signals.push_back(Sine(200.0 * (c + 1), 48000.0, 48000, 0.2 + 0.1 * c));
    for (int at = 0; at + 960 <= 48000; at += 960)
    {
        std::vector<CBandAnalyzer*> analyzers;
        std::vector<const float*> samples;
        for (int c = 0; c < kChannels; ++c)
        {
            analyzers.push_back(side[static_cast<std::size_t>(c)].get());
            samples.push_back(signals[static_cast<std::size_t>(c)].data() + at);
            alone[static_cast<std::size_t>(c)]->ProcessBlock(samples.back(), 960);
        }
        CBandAnalyzer::ProcessChannels(analyzers, samples, 960);
    }
    for (int c = 0; c < kChannels; ++c)
    {
        const FakeLogger& a = *sideLoggers[static_cast<std::size_t>(c)];
        const FakeLogger& b = *aloneLoggers[static_cast<std::size_t>(c)];
        ASSERT_GT(b.m_stored.size(), 5u) << c;
        ASSERT_EQ(a.m_stored.size(), b.m_stored.size()) << c;
        EXPECT_EQ(a.m_stopCommands, b.m_stopCommands) << c;
        for (std::size_t k = 0; k < a.m_stored.size(); ++k)
        {
            ASSERT_EQ(a.m_stored[k].samples, b.m_stored[k].samples) << c << " block " << k;
            ASSERT_EQ(a.m_stored[k].zIntervalSamples, b.m_stored[k].zIntervalSamples) << c << " block " << k;
            ASSERT_EQ(a.m_stored[k].fastLevels, b.m_stored[k].fastLevels) << c << " block " << k;
        }
    }
    EXPECT_EQ(sideLoggers[3]->m_stopCommands, 1);
    EXPECT_EQ(sideLoggers[3]->m_stored.size(), 20u);
}

// 1 ms at 44.1 kHz is 44.1 samples: intervals of 44 samples with one of 45 in about every ten, so
// that one second closes 1000 intervals give or take the one whose value waits for the next sample.
TEST(WeightedEnergyTrace, IntervalsAverageToTheExactLength)
{
    CWeightedEnergyTrace trace;
    trace.m_sampleRate = 44100.0;
    trace.Configure();
    EXPECT_EQ(trace.m_samplesPerInterval, 44);
    EXPECT_NEAR(trace.m_fraction, 0.1, 1e-9);
    EXPECT_DOUBLE_EQ(trace.m_actualInterval, 44.0 / 44100.0);
    std::vector<float> x(44100, 0.5f);
    for (int start = 0; start < 44100; start += 441)
        trace.Process(x.data() + start, 441);
    EXPECT_NEAR(trace.m_ring.GetFill(), 1000, 1);
    EXPECT_EQ(trace.m_totalSamples, 44100);
    for (int i = 0; i < trace.m_ring.GetFill(); ++i)
        EXPECT_FLOAT_EQ(trace.m_ring.GetSamples()[i], 0.25f) << i;
}

class BandAnalyzerLogging : public BandAnalyzerTest
{
protected:
    void SetUp() override
    {
        m_analyzer.SetLogger(&m_logger);
        Configure(48000.0, 100.0, 10000.0, 3);
        m_analyzer.CopySettingsToLogger();
        m_analyzer.m_loggingActive = 1;
    }
    FakeLogger m_logger;
};

TEST_F(BandAnalyzerLogging, ChunksOfAtMost256NeverCrossAnIntervalEnd)
{
    m_logger.m_interval = m_logger.m_toEnd = 100000;
    std::vector<float> x(700, 0.1f);
    m_analyzer.ProcessBlock(x.data(), 700);
    EXPECT_EQ(m_logger.m_chunks, (std::vector<int>{256, 256, 188}));

    m_logger.m_chunks.clear();
    m_analyzer.ResetLevels();
    m_logger.m_interval = m_logger.m_toEnd = 300;
    m_logger.m_blockSamples = 0;
    m_analyzer.ProcessBlock(x.data(), 700);
    EXPECT_EQ(m_logger.m_chunks, (std::vector<int>{256, 44, 256, 44, 100}));
    ASSERT_EQ(m_logger.m_stored.size(), 2u);
    for (const FakeLogger::Stored& s : m_logger.m_stored)
    {
        EXPECT_EQ(s.samples, 300);
        EXPECT_EQ(s.zIntervalSamples, 300);  // the records are taken right after the interval's last sample
        EXPECT_EQ(s.widebandCount, 3);
        EXPECT_EQ(s.bandCount, m_analyzer.m_bandCount);
    }
}

TEST_F(BandAnalyzerLogging, RunStopsAtThePlannedBlockCountAndPostsStopOnce)
{
    m_logger.m_interval = m_logger.m_toEnd = 480;
    m_logger.m_planned = 5;
    const std::vector<float> x(480 * 10, 0.2f);
    Feed(m_analyzer, x, 512);
    EXPECT_EQ(m_logger.m_stored.size(), 5u);
    EXPECT_FALSE(m_logger.m_running);
    EXPECT_EQ(m_logger.m_stopCommands, 1);
}

TEST_F(BandAnalyzerLogging, RecorderGetsTheWholeBlockScaledByTheCalibration)
{
    m_logger.m_recorderOn = true;
    m_analyzer.m_enabled = 0;
    std::vector<float> x(333, 0.1f);
    m_analyzer.ProcessBlock(x.data(), 333);
    EXPECT_EQ(m_logger.m_recorded, 333);
    EXPECT_DOUBLE_EQ(m_logger.m_scale, 0.1);  // 1 / 10^(20 dB / 20)
    EXPECT_TRUE(m_logger.m_chunks.empty());   // a disabled analyser only records
}

// Configure used to reallocate what ProcessBlock was using on the analysis thread. Now a block never
// runs while the analyser is reconfigured: the two alternate, and blocks arriving meanwhile are
// counted as skipped.
TEST(BandAnalyzerThreads, ReconfigureWhileBlocksAreProcessed)
{
    CBandAnalyzer analyzer;
    analyzer.m_sampleRate = 48000.0;
    analyzer.Configure();
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::thread feeder(
        [&]
        {
            const std::vector<float> x = Sine(1000.0, 48000.0, 512, 0.5);
            while (!stop.load())
            {
                analyzer.ProcessBlock(x.data(), 512);
                blocks.fetch_add(1);
            }
        });
    const struct
    {
        double rate;
        int bandsPerOctave;
        double minF;
    } settings[] = {{48000.0, 3, 20.0}, {44100.0, 12, 200.0}, {96000.0, 1, 10.0}, {8000.0, 24, 50.0}};
    for (int round = 0; round < 40; ++round)
    {
        const auto& s = settings[round % 4];
        analyzer.m_sampleRate = s.rate;
        analyzer.m_bandsPerOctave = s.bandsPerOctave;
        analyzer.m_minFrequency = s.minF;
        analyzer.m_maxFrequency = 20000.0;
        analyzer.Configure();
        analyzer.ResetLevels();
    }
    const long before = blocks.load();
    while (blocks.load() < before + 200)
        std::this_thread::yield();
    stop = true;
    feeder.join();
    // The last set-up (8 kHz) is the one in use, and the meters kept sane values.
    const int last = analyzer.m_bandCount - 1;
    ASSERT_GE(last, 0);
    EXPECT_LT(analyzer.m_bandMidFrequencies[last] * HalfBandFactor(24), 4000.0);
    // 200 blocks of a 1 kHz tone at what the analyser takes for 8 kHz: the Z meter reads the tone.
    const double z = analyzer.m_meters[0].GetLevel(kLevelEquivalent);
    EXPECT_NEAR(z, 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_GE(analyzer.m_skippedBlocks.load(), 0);
}
}  // namespace
