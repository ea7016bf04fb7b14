// The engine's block analysis, publication, conditioning and display post-processing, fed through
// its float and 16-bit intake and checked against values computed here from the signals themselves.
#include "engine/SoundIn.h"

#include "common/DspOperation.h"
#include "dsp/FftWindow.h"
#include "dsp/FractionalOctaveSmoothing.h"
#include "dsp/MlsTransform.h"
#include "dsp/Phonetogram.h"
#include "dsp/RoomAcoustics.h"
#include "dsp/SweepSynthesis.h"
#include "engine/BandLevels.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <complex>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace
{

using namespace std::chrono_literals;

bool Eventually(const std::function<bool()>& done)
{
    for (int i = 0; i < 4000; ++i)
    {
        if (done())
            return true;
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

double Db(double power)
{
    return 10.0 * std::log10(power);
}

// An engine without a source, at 48 kHz, fed by the test.
class Engine : public CSoundIn
{
public:
    using CSoundIn::ConditionChannels;

    void Open(int fftSize, int channels = 1)
    {
        ASSERT_TRUE(channels == 1 || channels == 2);
        m_nInputMode = kInputNone;
        m_nSampleRate = 48000;
        m_nChannelMode = channels == 2 ? 3 : 0;  // stereo both, or mono
        SetFftSize(fftSize);
        ASSERT_EQ(OpenInput(), 0);
        RestartInput();
    }
    // Feeds one block of interleaved frames and waits until it is analysed.
    void Feed(const std::vector<float>& frames, int channels = 1)
    {
        const std::int64_t before = m_nAnalyzedFrames.load();
        const int count = static_cast<int>(frames.size()) / channels;
        ProcessFloatBlock(frames, count);
        // Idle again after taking the block: its publication is complete.
        ASSERT_TRUE(
            Eventually([&] { return m_nAnalyzedFrames.load() >= before + count && m_bAnalysisIdle.load(); }));
    }
    std::vector<float> Row(int channel, int length)
    {
        std::lock_guard lock(m_displayLock);
        const auto at = m_spectrumDisplay.begin() + static_cast<std::ptrdiff_t>(channel) * length;
        return {at, at + length};
    }
    ~Engine() override { StopInput(); }
};

std::vector<float> Sine(int frames, double frequency, double amplitude, int start = 0)
{
    std::vector<float> x(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
        x[static_cast<std::size_t>(i)] =
            static_cast<float>(amplitude * std::sin(2.0 * M_PI * frequency * (start + i) / 48000.0));
    return x;
}

// ---------------------------------------------------------------------------------------------
// Spectrum level of a sine

struct SineCase
{
    const char* name;
    int window;
    bool sumAroundPeak;  // the window's correction: the power around the peak over its noise width
};

class AnalysisSine : public ::testing::TestWithParam<SineCase>
{
};

// A 1 kHz sine of RMS 0.1 (-20 dB re full-scale RMS) reads -20.00 dB at 1 kHz.
TEST_P(AnalysisSine, ReadsItsLevelAtItsFrequency)
{
    const auto& p = GetParam();
    constexpr int kN = 16384;
    Engine engine;
    engine.m_nWindowType = p.window;
    engine.Open(kN);
    engine.Feed(Sine(kN, 1000.0, 0.1 * std::sqrt(2.0), 777));
    ASSERT_EQ(engine.m_nAnalysisCounter.load(), 1);
    const auto row = engine.Row(0, kN / 2);
    int peak = 0;
    for (int i = 0; i < kN / 2; ++i)
        if (row[static_cast<std::size_t>(i)] > row[static_cast<std::size_t>(peak)])
            peak = i;
    EXPECT_NEAR(peak, 1000.0 / (48000.0 / kN), 1.0);
    double level = Db(row[static_cast<std::size_t>(peak)]);
    if (p.sumAroundPeak)
    {
        // Noise-equivalent width in bins, from a window table generated here.
        std::vector<float> w(kN);
        CFftWindow window;
        window.Generate(w.data(), kN, p.window);
        double s1 = 0.0, s2 = 0.0;
        for (float v : w)
        {
            s1 += v;
            s2 += static_cast<double>(v) * v;
        }
        const double gain = s1 / kN;  // the window's amplitude gain, so the sum is gain^2 x ENBW
        const double enbw = kN * s2 / (s1 * s1);
        double sum = 0.0;
        for (int i = peak - 6; i <= peak + 6; ++i)
            sum += row[static_cast<std::size_t>(i)];
        level = Db(sum / (enbw * gain * gain));
    }
    EXPECT_NEAR(level, -20.0, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Windows, AnalysisSine,
                         ::testing::Values(SineCase{"FlatTop", kFftWindowFlatTop, false},
                                           SineCase{"Hanning", kFftWindowHanning, true},
                                           SineCase{"BlackmanHarris", kFftWindowBlackmanHarris, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Averaging

struct AverageCase
{
    const char* name;
    int recursive;
    int count;
};

class AnalysisAverage : public ::testing::TestWithParam<AverageCase>
{
};

// Noise of RMS 0.1 (power 0.01): every published average matches the blocks that went in, from the
// first block on, and the average converges to the noise's power. The counter moves once per result.
TEST_P(AnalysisAverage, ConvergesToTheNoisePowerFromTheFirstResult)
{
    const auto& p = GetParam();
    constexpr int kN = 4096;
    constexpr int kBlocks = 48;
    Engine engine;
    engine.m_nWindowType = kFftWindowRectangular;
    engine.m_nAverageCount = p.count;
    engine.m_bRecursiveAverage = p.recursive;
    engine.Open(kN);
    std::mt19937 random(42);
    std::normal_distribution<double> gauss(0.0, 0.1);
    std::vector<double> meanSquares;
    double lastLevel = 0.0;
    for (int b = 0; b < kBlocks; ++b)
    {
        std::vector<float> x(kN);
        double q = 0.0, m = 0.0;
        for (float& v : x)
        {
            v = static_cast<float>(gauss(random));
            q += static_cast<double>(v) * v;
            m += v;
        }
        m /= kN;
        meanSquares.push_back(q / kN - m * m);  // the power without the block's mean
        engine.Feed(x);
        const std::int64_t expectedCount = p.recursive ? b + 1 : (b + 1) / p.count;
        ASSERT_EQ(engine.m_nAnalysisCounter.load(), expectedCount) << b;
        // The bins above 0 add up to the block's power about its mean (Parseval).
        double total = 0.0;
        const auto row = engine.Row(0, kN / 2);
        for (std::size_t i = 1; i < row.size(); ++i)
            total += row[i];
        if (b == 0 && p.recursive)
        {
            EXPECT_NEAR(Db(total), Db(meanSquares[0]), 0.02);  // the first block as it is
        }
        if (!p.recursive && (b + 1) % p.count == 0)
        {
            double group = 0.0;
            for (int i = b + 1 - p.count; i <= b; ++i)
                group += meanSquares[static_cast<std::size_t>(i)];
            EXPECT_NEAR(Db(total), Db(group / p.count), 0.02) << b;
        }
        lastLevel = Db(total);
    }
    if (!p.recursive)
    {
        // The mean of the last groups' published totals.
        EXPECT_NEAR(lastLevel, -20.0, 0.2 + 10.0 / std::sqrt(p.count * kN / 2.0));
    }
    else
        EXPECT_NEAR(lastLevel, -20.0, 0.2);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AnalysisAverage,
                         ::testing::Values(AverageCase{"None", 0, 1}, AverageCase{"Linear4", 0, 4},
                                           AverageCase{"Linear16", 0, 16}, AverageCase{"Recursive4", 1, 4},
                                           AverageCase{"Recursive16", 1, 16}),
                         [](const auto& info) { return std::string(info.param.name); });

// Open but not running: blocks are analysed, nothing is published, the counter stays.
TEST(AnalysisPublication, NothingIsPublishedWhileNotRunning)
{
    Engine engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nChannelMode = 0;
    ASSERT_EQ(engine.OpenInput(), 0);
    const std::vector<float> x = Sine(512, 1000.0, 0.5);
    engine.ProcessFloatBlock(x, 512);
    ASSERT_TRUE(Eventually([&] { return engine.m_nAnalyzedFrames.load() >= 512; }));
    EXPECT_EQ(engine.m_nAnalysisCounter.load(), 0);
    for (float v : engine.Row(0, 256))
        ASSERT_EQ(v, 0.0f);
}

// A display length that the display buffer cannot hold is cut to the buffer: the publication
// stays inside it and still counts.
TEST(AnalysisPublication, CopyIntoTheDisplayIsBoundedByTheBuffer)
{
    Engine engine;
    engine.Open(512, 2);
    const std::size_t size = engine.m_spectrumDisplay.size();
    engine.m_nDisplayLength = static_cast<int>(size) * 4;
    engine.m_nAverageCount = 2;
    engine.m_bRecursiveAverage = 0;
    std::vector<float> frames(1024);
    for (std::size_t i = 0; i < frames.size(); ++i)
        frames[i] = static_cast<float>(std::sin(0.3 * static_cast<double>(i)));
    engine.Feed(frames, 2);
    engine.Feed(frames, 2);
    EXPECT_EQ(engine.m_nAnalysisCounter.load(), 1);
    EXPECT_EQ(engine.m_spectrumDisplay.size(), size);
}

// ---------------------------------------------------------------------------------------------
// MLS analysis

// One period of a periodic excitation after the FIR h (a steady state: circular convolution).
template <typename Sample>
std::vector<float> ThroughFirCircularly(const std::vector<double>& h, const Sample* period, int length)
{
    std::vector<float> out(static_cast<std::size_t>(length));
    for (int n = 0; n < length; ++n)
    {
        double y = 0.0;
        for (std::size_t j = 0; j < h.size(); ++j)
            y += h[j] * period[static_cast<std::size_t>((n - static_cast<int>(j) + length) % length)];
        out[static_cast<std::size_t>(n)] = static_cast<float>(y);
    }
    return out;
}

// One steady period of the sequence through a known FIR, correlated, shows that FIR: the response
// is placed 5 ms (240 samples) after the start of the row.
TEST(AnalysisMls, PeriodThroughAnFirYieldsItsImpulseResponse)
{
    constexpr int kLength = 1023;
    const std::vector<double> h = {0.8, -0.3, 0.25, 0.1, -0.05, 0.02};
    Engine engine;
    engine.SetAnalyzerMode(4);  // impulse response
    engine.m_nMlsLength = kLength;
    engine.Open(1024);
    ASSERT_EQ(engine.m_nDisplayLength, 1024);

    CMlsSequence sequence(kLength, 0, 0);
    ASSERT_TRUE(sequence.IsValid());
    engine.Feed(ThroughFirCircularly(h, sequence.m_data.data(), kLength));
    ASSERT_EQ(engine.m_nAnalysisCounter.load(), 1);
    // Circular correlation of a +-1 sequence of length L: h[k] (L + 1) / L - sum(h) / L.
    double sum = 0.0;
    for (double v : h)
        sum += v;
    const auto row = engine.Row(0, 1024);
    constexpr int kLead = 240;
    for (int k = -kLead; k < kLength - kLead; ++k)
    {
        const double hk = k >= 0 && k < static_cast<int>(h.size()) ? h[static_cast<std::size_t>(k)] : 0.0;
        const double expected = hk * (kLength + 1.0) / kLength - sum / kLength;
        ASSERT_NEAR(row[static_cast<std::size_t>(kLead + k)], expected, 1e-5) << k;
    }
    EXPECT_EQ(row[1023], 0.0f);  // past the period: cleared
}

// A recorded period of the logarithmic sweep through the same FIR, deconvolved, shows that FIR's
// transfer function wherever the sweep carries energy (its ends fade), and its largest tap 5 ms into
// the row.
TEST(AnalysisMls, ChirpPeriodThroughAnFirYieldsItsTransferFunction)
{
    constexpr int kPeriod = 1024;
    constexpr double kStart = 200.0, kStop = 20000.0;
    const std::vector<double> h = {0.8, -0.3, 0.25, 0.1, -0.05, 0.02};
    Engine engine;
    engine.SetAnalyzerMode(4);  // impulse response
    engine.m_nMlsLength = kPeriod - 1;
    engine.m_bChirpExcitation = 1;
    engine.m_dChirpStart = kStart;
    engine.m_dChirpStop = kStop;
    engine.Open(kPeriod);
    ASSERT_EQ(engine.m_nBlockLength.load(), kPeriod);

    // The excitation as the generator plays it, circularly through the FIR.
    CLogSweep sweep(0, 0.0, 0.0);
    sweep.Set(kPeriod, kStart / 48000.0, kStop / 48000.0);
    engine.Feed(ThroughFirCircularly(h, sweep.m_samples.data(), kPeriod));
    ASSERT_EQ(engine.m_nAnalysisCounter.load(), 1);
    const auto row = engine.Row(0, kPeriod);
    constexpr int kLead = 240;
    EXPECT_EQ(
        std::max_element(row.begin(), row.end(), [](float a, float b) { return std::abs(a) < std::abs(b); }) -
            row.begin(),
        kLead);
    // Direct DFTs of the row (the response starts at the lead) and of the FIR, 400 Hz .. 12 kHz.
    for (int k = 9; k <= 256; k += 4)
    {
        std::complex<double> measured, expected;
        for (int n = 0; n < kPeriod; ++n)
            measured += static_cast<double>(row[static_cast<std::size_t>((n + kLead) % kPeriod)]) *
                        std::polar(1.0, -2.0 * M_PI * k * n / kPeriod);
        for (std::size_t j = 0; j < h.size(); ++j)
            expected += h[j] * std::polar(1.0, -2.0 * M_PI * k * static_cast<double>(j) / kPeriod);
        ASSERT_NEAR(std::abs(measured), std::abs(expected), 1e-3 * std::abs(expected)) << k;
        ASSERT_NEAR(std::arg(measured / expected), 0.0, 1e-3) << k;
    }
}

// The speech-intelligibility analyser takes every analysed block of the first channel while it
// runs, and nothing while it is stopped.
TEST(AnalysisStatistics, SpeechIntelligibilityTakesTheFirstChannelWhileRunning)
{
    Engine engine;
    engine.Open(4096, 2);
    engine.m_stipa.m_mode = 2;
    engine.m_stipa.m_sampleRate = 48000.0;
    engine.m_stipa.Reset();
    engine.m_stipa.m_running = 1;
    std::vector<float> frames(2 * 4096, 0.25f);
    engine.Feed(frames, 2);
    EXPECT_EQ(engine.m_stipa.m_samplesSinceReset, 4096);
    engine.m_stipa.StopAndWait();
    engine.Feed(frames, 2);
    EXPECT_EQ(engine.m_stipa.m_samplesSinceReset, 4096);
}

// With the histogram on, the published rows are the histograms: a train of 20-sample pulses every
// 100 samples counts every period in the bin of 101 sample periods (the rising sample ends one period
// and starts the next) and every active duration in the bin of 21.
TEST(AnalysisStatistics, HistogramReplacesThePublishedRows)
{
    Engine engine;
    engine.m_histograms[0].m_settings.m_bEnabled = 1;
    engine.m_histograms[0].m_settings.m_nCurve = 1;  // periods
    engine.m_histograms[1].m_settings.m_nCurve = 2;  // active durations
    engine.Open(4096, 2);
    std::vector<float> frames(2 * 4096);
    for (std::size_t i = 0; i < 4096; ++i)
        frames[2 * i] = frames[2 * i + 1] = i % 100 < 20 ? 0.25f : 0.0f;
    engine.Feed(frames, 2);
    const auto periods = engine.Row(0, 2048);
    const auto durations = engine.Row(1, 2048);
    for (int bin = 0; bin < 2048; ++bin)
    {
        ASSERT_EQ(periods[static_cast<std::size_t>(bin)], bin == 101 ? 1.0f : 0.0f) << bin;
        ASSERT_EQ(durations[static_cast<std::size_t>(bin)], bin == 21 ? 1.0f : 0.0f) << bin;
    }
    // Rises at 100 .. 4000 (the first sample after a reset has no difference): 39 periods.
    EXPECT_EQ(engine.m_histograms[0].PeriodCount(), 39);
}

// An active phonetogram measures the background from the published spectra for its first 4 s, then
// takes a point for each block of a voice well above it, with the pitch of its time signal.
TEST(AnalysisDisplay, PhonetogramTakesPublishedSpectraAndTheirTimeSignal)
{
    constexpr int kFft = 4096;
    Engine engine;
    engine.m_nWindowType = kFftWindowHanning;
    engine.Open(kFft);
    engine.m_phonetogram.Clear();
    engine.m_phonetogram.m_active = 1;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1e-4f, 1e-4f);
    std::vector<float> block(kFft);
    for (int n = 0; n < 48; ++n)  // 48 blocks of 85.3 ms: past the 4 s of background
    {
        for (float& x : block)
            x = noise(random);
        engine.Feed(block);
    }
    ASSERT_EQ(engine.m_phonetogram.m_state, CPhonetogram::kStateAnalysing);
    const int before = engine.m_phonetogram.m_pointCount;
    for (int n = 0; n < 4; ++n)
        engine.Feed(Sine(kFft, 220.0, 0.5, n * kFft));
    EXPECT_EQ(engine.m_phonetogram.m_pointCount, before + 4);
    // Whole lags of 48 kHz around the period of 218.2 samples.
    const float pitch = engine.m_phonetogram.m_points[static_cast<std::size_t>(before)].m_pitch;
    EXPECT_NEAR(pitch, 220.0f, 4.0f);
}

// ---------------------------------------------------------------------------------------------
// Channel conditioning

TEST(AnalysisConditioning, DcBlockerStartsOneSampleLateAndDecays)
{
    Engine engine;
    engine.m_bDcBlock = 1;
    engine.Open(512);
    std::vector<float> row(64, 1.0f);
    engine.ConditionChannels(row.data(), 64, 64);
    EXPECT_EQ(row[0], 0.0f);
    for (int k = 1; k < 64; ++k)
        ASSERT_NEAR(row[static_cast<std::size_t>(k)], 0.99928812771612 * std::pow(0.99857625543224, k - 1),
                    1e-6);
    // The state carries over into the next block.
    std::vector<float> next(1, 1.0f);
    engine.ConditionChannels(next.data(), 1, 1);
    EXPECT_NEAR(next[0], 0.99928812771612 * std::pow(0.99857625543224, 63), 1e-6);
}

struct GainCase
{
    double gainDb, sensitivity;
    int calibration;
    float offset;
    double factor;
};

TEST(AnalysisConditioning, GainSensitivityAndCalibration)
{
    const GainCase cases[] = {
        {0.0, 1.0, 0, 0.0f, 1.0},  {20.0, 1.0, 0, 0.0f, 10.0}, {0.0, 0.5, 0, 0.0f, 2.0},
        {-6.0, 1.0, 1, 6.0f, 1.0}, {0.0, 1.0, 1, -20.0f, 0.1},
    };
    for (const auto& c : cases)
    {
        Engine engine;
        engine.m_bCalibration = c.calibration;
        engine.m_fCalibrationOffset = c.offset;
        engine.Open(512);
        engine.m_dChannelGainDb[0] = c.gainDb;
        engine.m_dChannelSensitivity[0] = c.sensitivity;
        std::vector<float> row = {0.25f, -0.125f, 0.3f};
        const std::vector<float> in = row;
        engine.ConditionChannels(row.data(), 3, 3);
        for (std::size_t i = 0; i < row.size(); ++i)
            ASSERT_NEAR(row[i], in[i] * c.factor, 1e-6 * std::abs(in[i] * c.factor)) << c.gainDb;
    }
}

// The 16-bit dither is off unless turned on; on, it adds noise of about -51 dB re full scale.
TEST(AnalysisIntake, DitherIsAnOptionNearMinus51Db)
{
    for (int dither : {0, 1})
    {
        Engine engine;
        engine.m_bInputDither = dither;
        engine.Open(512);
        std::vector<std::int16_t> block(512);
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<std::int16_t>((i * 37) % 2000 - 1000);
        engine.ProcessPcm16Block(block);
        ASSERT_TRUE(Eventually([&] { return engine.m_nAnalysisCounter.load() >= 1; }));
        double q = 0.0;
        {
            std::lock_guard lock(engine.m_displayLock);
            for (std::size_t i = 0; i < 512; ++i)
            {
                const double e = engine.m_timeDisplay[i] - block[i] / 32768.0;
                q += e * e;
            }
        }
        if (!dither)
            EXPECT_LT(q, 1e-12);
        else
            EXPECT_NEAR(Db(q / 512), Db(0.01 * 0.01 / 12.0), 0.5);  // uniform of width 0.01
    }
}

// ---------------------------------------------------------------------------------------------
// Block statistics

TEST(AnalysisStatistics, BlockFiguresAndTwoChannelArithmetic)
{
    struct Case
    {
        int operation;
        float expected;  // of channel 0 = 0.5 and channel 1 = -0.25
    };
    const Case cases[] = {{0, 0.5f}, {1, 0.25f}, {2, 0.75f}, {3, -0.125f}, {4, -2.0f}};
    for (const auto& c : cases)
    {
        Engine engine;
        engine.m_nTimeOperation = c.operation;
        engine.Open(512, 2);
        std::vector<float> block(2 * 16);
        std::fill_n(block.begin(), 16, 0.5f);
        std::fill_n(block.begin() + 16, 16, -0.25f);
        block[3] = -0.75f;
        engine.BlockStatistics(block.data(), 16, 16);
        const auto& s = engine.m_blockStatistics[0];
        EXPECT_DOUBLE_EQ(s.meanSquare, (15 * 0.25 + 0.5625) / 16);
        EXPECT_DOUBLE_EQ(s.blockMax, 0.5);
        EXPECT_DOUBLE_EQ(s.blockMin, -0.75);
        EXPECT_DOUBLE_EQ(s.blockPeak, 0.75);
        EXPECT_FLOAT_EQ(block[0], c.expected) << c.operation;
        EXPECT_EQ(block[16], -0.25f);
    }
}

// Each channel's operation writes its target row from its source rows after the block figures are
// taken; operations naming a channel that is not analysed do nothing.
TEST(AnalysisStatistics, ChannelOperationsWriteTheirTargetRows)
{
    struct Case
    {
        int operation, source1, source2, target;
        double constant;
        float channel0, channel1;  // of channel 0 = 0.5 and channel 1 = -0.25
    };
    const Case cases[] = {
        {kDspAdd, 0, 1, 0, 0.0, 0.25f, -0.25f}, {kDspSub, 1, 0, 1, 0.0, 0.5f, -0.75f},
        {kDspScale, 1, 1, 1, 4.0, 0.5f, -1.0f}, {kDspAbs, 1, 1, 0, 0.0, 0.25f, -0.25f},
        {kDspAdd, 0, 2, 0, 0.0, 0.5f, -0.25f},  {kDspNone, 0, 1, 0, 0.0, 0.5f, -0.25f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << GetDspOperationName(c.operation) << " " << c.source1 << " "
                                        << c.source2 << " -> " << c.target);
        Engine engine;
        engine.Open(512, 2);
        DspOperation op;
        op.m_nOperation = c.operation;
        op.m_nSource1 = c.source1;
        op.m_nSource2 = c.source2;
        op.m_nTarget = c.target;
        op.m_dConstant = c.constant;
        engine.m_channelOperations[static_cast<std::size_t>(c.target)] = &op;
        std::vector<float> block(2 * 16);
        std::fill_n(block.begin(), 16, 0.5f);
        std::fill_n(block.begin() + 16, 16, -0.25f);
        engine.BlockStatistics(block.data(), 16, 16);
        EXPECT_DOUBLE_EQ(engine.m_blockStatistics[0].blockMax, 0.5);  // taken before
        EXPECT_FLOAT_EQ(block[0], c.channel0);
        EXPECT_FLOAT_EQ(block[16], c.channel1);
        engine.m_channelOperations.fill(nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// Display post-processing

struct MathCase
{
    int operation;
    float a, b, expected;
};

TEST(AnalysisDisplay, SpectrumArithmeticOfTwoChannels)
{
    const MathCase cases[] = {{1, 2, 8, 10}, {2, 2, 8, -6}, {3, 2, 8, 16}, {4, 2, 8, 0.25f},
                              {5, 2, 8, 4},  {6, 3, 3, 1},  {7, 2, 8, 4},  {0, 2, 8, 2}};
    for (const auto& c : cases)
    {
        Engine engine;
        engine.Open(16, 2);
        engine.m_nSpectrumOperation = c.operation;
        std::lock_guard lock(engine.m_displayLock);
        std::fill_n(engine.m_spectrumDisplay.begin(), 8, c.a);
        std::fill_n(engine.m_spectrumDisplay.begin() + 8, 8, c.b);
        engine.PostProcessDisplay();
        for (int i = 0; i < 8; ++i)
            ASSERT_FLOAT_EQ(engine.m_spectrumDisplay[static_cast<std::size_t>(i)], c.expected) << c.operation;
    }
}

TEST(AnalysisDisplay, IntegrationAndDisplayAveraging)
{
    Engine engine;
    engine.Open(8);
    std::lock_guard lock(engine.m_displayLock);
    engine.m_nIntegrationMode = 1;
    std::fill_n(engine.m_spectrumDisplay.begin(), 4, 1.0f);
    engine.PostProcessDisplay();
    EXPECT_EQ(engine.m_spectrumDisplay[0], 1.0f);
    EXPECT_EQ(engine.m_spectrumDisplay[3], 4.0f);

    engine.m_nIntegrationMode = 2;
    const float squares[] = {1, 4, 9, 16};
    std::copy_n(squares, 4, engine.m_spectrumDisplay.begin());
    engine.PostProcessDisplay();
    EXPECT_EQ(engine.m_spectrumDisplay[0], 1.0f);
    EXPECT_EQ(engine.m_spectrumDisplay[1], 3.0f);
    EXPECT_EQ(engine.m_spectrumDisplay[3], 7.0f);

    engine.m_nIntegrationMode = 0;
    engine.m_bDisplayAveraging = 1;
    for (float v : {1.0f, 3.0f, 8.0f})
    {
        std::fill_n(engine.m_spectrumDisplay.begin(), 4, v);
        engine.PostProcessDisplay();
    }
    EXPECT_FLOAT_EQ(engine.m_fourthDisplay[2], 4.0f);
    EXPECT_FLOAT_EQ(engine.m_secondDisplay[2], 4.0f);
}

// A spectrum with all its power in the 1 kHz bin shows 0 dB in the 1 kHz band and overall.
TEST(AnalysisDisplay, ThirdOctaveLevelsOfOneLine)
{
    constexpr int kLength = 8192;  // 48 kHz / 2 over 8192 bins: 2.93 Hz per bin
    std::vector<float> spectrum(kLength, 0.0f);
    spectrum[static_cast<std::size_t>(1000.0 / 24000.0 * kLength)] = 1.0f;
    std::vector<float> store(30);
    const double overall = ThirdOctaveLevels(spectrum, 48000.0, store);
    EXPECT_NEAR(overall, 0.0, 1e-9);
    EXPECT_NEAR(store[16], 0.0, 1e-6);  // the 1000 Hz band
    EXPECT_EQ(store[15], -300.0f);
    // Each band sums its bins: a flat spectrum of 1 per bin gives 10 log10 of the bin count.
    std::fill(spectrum.begin(), spectrum.end(), 1.0f);
    ThirdOctaveLevels(spectrum, 48000.0, store);
    const double lo = std::floor(2.0 * 1000.0 / std::pow(2.0, 1.0 / 6.0) / 48000.0 * kLength);
    const double hi = std::floor(2.0 * 1000.0 * std::pow(2.0, 1.0 / 6.0) / 48000.0 * kLength);
    EXPECT_NEAR(store[16], 10.0 * std::log10(hi - lo), 1e-4);
}

TEST(AnalysisDisplay, RotateCopyWrapsEitherWay)
{
    const float source[] = {0, 1, 2, 3, 4};
    struct Case
    {
        int shift;
        float first;
    };
    for (const auto& c : {Case{2, 2}, Case{-1, 4}, Case{7, 2}, Case{0, 0}})
    {
        float out[5];
        RotateCopy(c.shift, source, out, 5);
        EXPECT_EQ(out[0], c.first) << c.shift;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(out[i], source[((i + c.shift) % 5 + 5) % 5]);
    }
}

}  // namespace

namespace
{

// A triggered block is the one the trigger belongs to, its offset included: with 10 frames of
// pre-trigger it starts 10 frames before the trigger sample, and no earlier block is analysed.
TEST(AnalysisTrigger, AnalysesTheBlockTheTriggerBelongsTo)
{
    struct Case
    {
        int offset;
    };
    for (const auto& c : {Case{0}, Case{-10}, Case{-300}, Case{25}})
    {
        Engine engine;
        engine.m_nInputMode = CSoundIn::kInputNone;
        engine.m_nChannelMode = 0;
        engine.SetAnalyzerMode(1);  // scope: the trigger applies
        ASSERT_EQ(engine.OpenInput(), 0);
        engine.m_dTriggerLevel = 0.5;
        engine.m_nTriggerOffset = c.offset;
        engine.m_nTriggerRepeat = 0;  // one collection, then hold
        engine.ResetTrigger();
        engine.RestartInput();
        std::vector<float> ramp(2048);
        for (std::size_t i = 0; i < ramp.size(); ++i)
            ramp[i] = i < 400 ? static_cast<float>(i) * 1e-4f : 1.0f + static_cast<float>(i) * 1e-4f;
        engine.ProcessFloatBlock(ramp, 2048);  // fires at frame 400
        ASSERT_TRUE(Eventually(
            [&] { return engine.m_nAnalysisCounter.load() >= 1 && engine.m_bAnalysisIdle.load(); }));
        std::this_thread::sleep_for(5ms);
        EXPECT_EQ(engine.m_nAnalysisCounter.load(), 1) << c.offset;
        std::lock_guard lock(engine.m_displayLock);
        EXPECT_EQ(engine.m_timeDisplay[0], ramp[static_cast<std::size_t>(400 + c.offset)]) << c.offset;
        EXPECT_EQ(engine.m_timeDisplay[511], ramp[static_cast<std::size_t>(400 + c.offset + 511)])
            << c.offset;
    }
}

}  // namespace

namespace
{

// Hum suppression flattens the lines at 50 Hz and its multiples up to the limit, and leaves a line
// above the limit.
TEST(AnalysisDisplay, HumSuppressionFlattensTheMainsLines)
{
    constexpr int kN = 8192;  // 48 kHz: 5.86 Hz per bin
    Engine engine;
    engine.Open(kN);
    engine.m_bHumSuppression = 1;
    const double binWidth = 48000.0 / kN;
    std::lock_guard lock(engine.m_displayLock);
    std::fill_n(engine.m_spectrumDisplay.begin(), kN / 2, 1.0f);
    for (double f : {50.0, 100.0, 150.0, 1000.0})
        engine.m_spectrumDisplay[static_cast<std::size_t>(std::lround(f / binWidth))] = 100.0f;
    engine.PostProcessDisplay();
    for (double f : {50.0, 100.0, 150.0})
        EXPECT_EQ(engine.m_spectrumDisplay[static_cast<std::size_t>(std::lround(f / binWidth))], 1.0f) << f;
    EXPECT_EQ(engine.m_spectrumDisplay[static_cast<std::size_t>(std::lround(1000.0 / binWidth))], 100.0f);
}

}  // namespace

namespace
{

// Smoothing on: every published row is its fractional-octave mean, and the averaged display too.
TEST(AnalysisDisplay, SmoothingGivesEveryRowItsFractionalOctaveMean)
{
    Engine engine;
    engine.Open(64);
    std::lock_guard lock(engine.m_displayLock);
    std::vector<float> row(32, 1e-6f);
    row[10] = 1.0f;
    row[20] = 0.25f;
    std::vector<float> expected(row.size());
    SmoothFractionalOctaveBins(row.data(), expected.data(), 32, 3.0);
    engine.m_bSmoothing = 1;
    engine.m_nSmoothingOctaves = 3;
    engine.m_bDisplayAveraging = 1;
    engine.m_nDisplayLength = 32;
    std::copy(row.begin(), row.end(), engine.m_spectrumDisplay.begin());
    engine.PostProcessDisplay();
    for (std::size_t i = 0; i < row.size(); ++i)
    {
        EXPECT_FLOAT_EQ(engine.m_spectrumDisplay[i], expected[i]) << i;
        // The first average is the row itself, shown smoothed.
        EXPECT_FLOAT_EQ(engine.m_secondDisplay[i], expected[i]) << i;
        EXPECT_FLOAT_EQ(engine.m_fourthDisplay[i], row[i]) << i;
    }
    // The band around bin 10 at a third octave spans bins 9 to 11.
    EXPECT_FLOAT_EQ(engine.m_spectrumDisplay[10], (1.0f + 2e-6f) / 3.0f);
}

}  // namespace

namespace
{

// An exponentially decaying noise of known reverberation time; 48 kHz.
std::vector<float> DecayingNoise(int length, double reverberationTime, unsigned seed, double rate = 48000.0)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 0.1);
    // Energy falls by 60 dB in the reverberation time: amplitude factor 10^(-3 t / T).
    std::vector<float> x(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i)
        x[static_cast<std::size_t>(i)] =
            static_cast<float>(noise(random) * std::pow(10.0, -3.0 * (i / rate) / reverberationTime));
    return x;
}

// The decay analysis of an impulse response reads the reverberation time it was made with, from
// the -3 to -18 dB part of its energy decay, broadband and in the octave bands.
TEST(AnalysisDecay, ReadsTheReverberationTimeOfAnExponentialDecay)
{
    Engine engine;
    engine.Open(65536);
    // The impulse response of the MLS measurement with the impulse variant.
    engine.SetAnalyzerMode(4);
    engine.m_bImpulseVariant = 1;
    ASSERT_EQ(engine.GetAnalyzerMode(), 36);
    const int length = 65536;
    std::lock_guard lock(engine.m_displayLock);
    engine.m_nDisplayLength = length;
    ASSERT_GE(engine.m_spectrumDisplay.size(), static_cast<std::size_t>(length));
    for (double reverberation : {0.5, 1.2})
    {
        const std::vector<float> response = DecayingNoise(length, reverberation, 11);
        std::copy(response.begin(), response.end(), engine.m_spectrumDisplay.begin());
        engine.PostProcessDisplay();
        EXPECT_NEAR(engine.m_dDecayTime, reverberation, 0.03 * reverberation) << reverberation;
        // Octave bands 250 Hz to 4 kHz: the same decay, within what the band filters' own
        // response and the noise allow.
        ASSERT_EQ(engine.m_nDecayBandCount, 8);
        for (int band = 2; band <= 6; ++band)
            EXPECT_NEAR(engine.m_afDecayBandTimes[static_cast<std::size_t>(band)], 1000.0 * reverberation,
                        100.0 * reverberation)
                << engine.m_afDecayBandFrequencies[static_cast<std::size_t>(band)] << " Hz";
        // The display shows the remaining energy: 1 at the start, falling, 0 at the end.
        EXPECT_NEAR(engine.m_spectrumDisplay[0], 1.0f, 0.01f);
        // A quarter of the reverberation time in, 15 dB of the energy are gone.
        const double atQuarter = engine.m_spectrumDisplay[static_cast<std::size_t>(12000 * reverberation)];
        EXPECT_NEAR(10.0 * std::log10(atQuarter), -15.0, 1.0) << reverberation;
        // At the end only the decay's continuation is left (the integration is compensated for
        // the energy beyond the response's end).
        EXPECT_LT(10.0 * std::log10(engine.m_spectrumDisplay[static_cast<std::size_t>(length - 1)]), -50.0);
    }

    // Silence has no decay.
    std::fill_n(engine.m_spectrumDisplay.begin(), length, 0.0f);
    engine.PostProcessDisplay();
    EXPECT_EQ(engine.m_dDecayTime, 0.0);
}

// A response the window holds replaces the display as the source, at its own rate and length: 3 s
// at 96 kHz, longer than the display.
TEST(AnalysisDecay, HeldResponseIsAnalysedAtItsOwnRate)
{
    Engine engine;
    engine.Open(8192);
    engine.SetAnalyzerMode(4);
    engine.m_bImpulseVariant = 1;
    const std::vector<float> response = DecayingNoise(3 * 96000, 1.5, 5, 96000.0);
    ASSERT_TRUE(engine.SetHeldImpulse(response.data(), static_cast<int>(response.size()), 96000));
    std::lock_guard lock(engine.m_displayLock);
    const int length = engine.m_nDisplayLength;
    std::fill_n(engine.m_spectrumDisplay.begin(), length, 0.0f);
    engine.PostProcessDisplay();
    EXPECT_NEAR(engine.m_dDecayTime, 1.5, 0.03 * 1.5);
    EXPECT_NEAR(engine.m_spectrumDisplay[0], 1.0f, 0.01f);
}

// ISO 3382-2: the readout fits a backward integration that stops at the background noise. A decay of
// 0.5 s over a background 60 dB down, followed by 8 s of that background: integrated into the noise,
// the -35 dB point would lie seconds late. The readout is the evaluation of the same response.
TEST(AnalysisDecay, ReadoutStopsAtTheNoiseAndEqualsTheEvaluation)
{
    Engine engine;
    engine.Open(8192);
    engine.SetAnalyzerMode(4);
    engine.m_bImpulseVariant = 1;
    engine.m_irDecayStartLevel = -5.0;
    engine.m_irDecayEndLevel = -35.0;
    const double rate = 48000.0;
    std::vector<float> response = DecayingNoise(static_cast<int>(8.5 * rate), 0.5, 23);
    std::mt19937 random(4);
    std::normal_distribution<double> background(0.0, 0.1 * 1e-3);
    for (float& v : response)
        v += static_cast<float>(background(random));
    ASSERT_TRUE(engine.SetHeldImpulse(response.data(), static_cast<int>(response.size()), 48000));
    std::lock_guard lock(engine.m_displayLock);
    engine.PostProcessDisplay();
    EXPECT_NEAR(engine.m_dDecayTime, 0.5, 0.05 * 0.5);
    CRoomAcousticResults results;
    EvaluateRoomAcoustics(response.data(), static_cast<int>(response.size()), rate, results, -5.0, -35.0,
                          engine.m_irRegressionPoints, 0);
    EXPECT_EQ(engine.m_dDecayTime, results.m_decayTime);
    std::vector<float> band = response;
    ApplyBandFilter(band.data(), static_cast<int>(band.size()), rate, 1000.0, 1);
    EvaluateRoomAcoustics(band.data(), static_cast<int>(band.size()), rate, results, -5.0, -35.0,
                          engine.m_irRegressionPoints, 0);
    EXPECT_FLOAT_EQ(engine.m_afDecayBandTimes[4], static_cast<float>(1000.0 * results.m_decayTime));

    // 30 dB of range cannot carry a fit down to -35 dB: not available, shown as "--".
    std::normal_distribution<double> loud(0.0, 0.1 * 0.03);
    for (float& v : response)
        v += static_cast<float>(loud(random));
    engine.PostProcessDisplay();
    EXPECT_EQ(engine.m_dDecayTime, -1.0);
}

}  // namespace
