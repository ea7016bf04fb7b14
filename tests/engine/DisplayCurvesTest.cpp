// The relative display against a reference curve and the calibration curves, applied by the
// engine to each published spectrum and checked against the same spectrum without them.
#include "engine/SoundIn.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <random>
#include <thread>
#include <vector>

namespace
{

using namespace std::chrono_literals;

constexpr int kFft = 512;
constexpr int kLength = kFft / 2;
constexpr double kRate = 48000.0;

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

class Engine : public CSoundIn
{
public:
    void Open(int channels, int fftSize = kFft)
    {
        m_nInputMode = kInputNone;
        m_nSampleRate = static_cast<int>(kRate);
        m_nChannelMode = channels == 2 ? 3 : 0;
        SetFftSize(fftSize);
        ASSERT_EQ(OpenInput(), 0);
        RestartInput();
    }
    // Publishes the spectra of one block and returns the rows.
    std::vector<float> Publish(const std::vector<float>& frames, int channels)
    {
        const std::int64_t before = m_nAnalysisCounter.load();
        ProcessFloatBlock(frames, static_cast<int>(frames.size()) / channels);
        EXPECT_TRUE(Eventually([&] { return m_nAnalysisCounter.load() > before && m_bAnalysisIdle.load(); }));
        std::lock_guard lock(m_displayLock);
        return {m_spectrumDisplay.begin(), m_spectrumDisplay.begin() + channels * kLength};
    }
    // Publishes one block without reading the rows back.
    void PublishOnly(const std::vector<float>& frames)
    {
        const std::int64_t before = m_nAnalysisCounter.load();
        ProcessFloatBlock(frames, static_cast<int>(frames.size()));
        EXPECT_TRUE(Eventually([&] { return m_nAnalysisCounter.load() > before && m_bAnalysisIdle.load(); }));
    }
    ~Engine() override { StopInput(); }
};

// Interleaved noise: every bin of its spectrum is non-zero.
std::vector<float> Noise(int channels)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> x(static_cast<std::size_t>(kFft * channels));
    for (float& v : x)
        v = noise(random);
    return x;
}

TEST(DisplayCurves, ReferenceEqualToChannelZeroShowsOne)
{
    Engine engine;
    engine.Open(1);
    const std::vector<float> block = Noise(1);
    const std::vector<float> plain = engine.Publish(block, 1);
    engine.SetReferenceCurve(plain, static_cast<int>(kRate));
    engine.m_bRelativeDisplay = 1;
    const std::vector<float> relative = engine.Publish(block, 1);
    for (int i = 0; i < kLength; ++i)
        ASSERT_FLOAT_EQ(relative[static_cast<std::size_t>(i)], 1.0f) << i;
}

// A coarser reference is interpolated onto the display grid with whole-unit steps.
TEST(DisplayCurves, CoarseReferenceIsInterpolated)
{
    Engine engine;
    engine.Open(1);
    const std::vector<float> block = Noise(1);
    const std::vector<float> plain = engine.Publish(block, 1);
    std::vector<float> reference(200);
    for (std::size_t i = 0; i < reference.size(); ++i)
        reference[i] = 1.0f + static_cast<float>(i);
    engine.SetReferenceCurve(reference, static_cast<int>(kRate));  // step 240 per point
    engine.m_bRelativeDisplay = 1;
    const std::vector<float> relative = engine.Publish(block, 1);
    for (int j = 0; j < kLength; ++j)
    {
        const double x = j * 187.0 / 240.0;  // 48000 / 256 = 187 in whole units
        const double expected = 1.0 + x;
        ASSERT_NEAR(relative[static_cast<std::size_t>(j)] * expected, plain[static_cast<std::size_t>(j)],
                    1e-5 * plain[static_cast<std::size_t>(j)])
            << j;
    }
}

// Loudness on every published block from the first channel's third-octave levels in dB SPL: a
// calibrated 80 dB tone in the 1 kHz band (on a bin, unwindowed, so that its band holds exactly its
// power) gives the procedure's 13.96 sone and 80 dB(A); the pattern is that of the band levels.
TEST(DisplayCurves, LoudnessOfEveryPublishedBlock)
{
    constexpr int kLoudnessFft = 8192;
    Engine engine;
    engine.m_bLoudness = 1;
    engine.m_bCalibration = 1;
    engine.m_fCalibrationOffset = 100.0f;
    engine.m_nWindowType = kFftWindowRectangular;
    engine.Open(1, kLoudnessFft);
    const double f = 171.0 * kRate / kLoudnessFft;  // 1001.95 Hz
    const double amplitude = std::sqrt(2.0) * std::pow(10.0, (80.0 - 100.0) / 20.0);
    std::vector<float> block(kLoudnessFft);
    for (int i = 0; i < kLoudnessFft; ++i)
        block[static_cast<std::size_t>(i)] =
            static_cast<float>(amplitude * std::sin(2.0 * M_PI * f * i / kRate));
    engine.PublishOnly(block);
    std::lock_guard lock(engine.m_displayLock);
    EXPECT_NEAR(engine.m_bandLevels[0][16], 80.0, 0.01);
    EXPECT_NEAR(engine.m_fLoudness, 13.96, 0.01);
    EXPECT_NEAR(engine.m_fLoudnessALevel, 80.0, 0.01);
    std::array<float, kLoudnessPatternLength> pattern{};
    EXPECT_EQ(engine.m_fLoudness, ComputeLoudnessPattern(engine.m_bandLevels[0].data(), pattern.data()));
    EXPECT_EQ(engine.m_specificLoudness, pattern);
}

struct CalibrationCase
{
    const char* name;
    int pairs, decibel, replace, channel, allChannels;
};

// Calibration curves: listed points or an even table, linear or in dB, multiplying or replacing,
// for their own channel or for all of them.
TEST(DisplayCurves, CalibrationCurvesOnTheBinFrequencies)
{
    const CalibrationCase cases[] = {
        {"pairs in dB, channel 0", 1, 1, 0, 0, 0},        {"pairs linear, channel 1", 1, 0, 0, 1, 0},
        {"pairs replacing, all channels", 1, 0, 1, 0, 1}, {"table in dB, channel 1", 0, 1, 0, 1, 0},
        {"table linear, all channels", 0, 0, 0, 0, 1},
    };
    // Points at 1, 5 and 15 kHz; the curve value at frequency f (linear in f between points, the
    // end values beyond).
    const std::vector<float> frequencies = {1000.0f, 5000.0f, 15000.0f};
    const std::vector<float> values = {-6.0f, 3.0f, -10.0f};
    const auto pairValue = [&](double f)
    {
        if (f <= 1000.0)
            return -6.0;
        if (f >= 15000.0)
            return -10.0;
        if (f <= 5000.0)
            return -6.0 + 9.0 * (f - 1000.0) / 4000.0;
        return 3.0 - 13.0 * (f - 5000.0) / 10000.0;
    };
    // A table of 64 values over a span of 48000: point i at step 750, the grid at 48000 / 256.
    std::vector<float> table(64);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = 0.5f + 0.25f * static_cast<float>(i % 7);
    const auto tableValue = [&](int j)
    {
        const double x = j * (kRate / kLength) / 750.0;
        const auto i = static_cast<std::size_t>(std::floor(x));
        if (i + 1 >= table.size())  // the last point itself, else nothing
            return x <= static_cast<double>(table.size() - 1) + 1e-5 ? static_cast<double>(table.back())
                                                                     : 0.0;
        return table[i] + (x - std::floor(x)) * (table[i + 1] - table[i]);
    };
    for (const CalibrationCase& c : cases)
    {
        Engine engine;
        engine.Open(2);
        const std::vector<float> block = Noise(2);
        const std::vector<float> plain = engine.Publish(block, 2);
        CCalibrationCurve& curve = engine.m_calibrationCurves[5];
        curve.m_bPairs = c.pairs;
        curve.m_bDecibel = c.decibel;
        curve.m_bReplace = c.replace;
        curve.m_nChannel = c.channel;
        curve.m_bAllChannels = c.allChannels;
        if (c.pairs)
        {
            curve.m_pFrequency = frequencies;
            curve.m_pValue = values;
        }
        else
        {
            curve.m_pValue = table;
            curve.m_dSampleRate = kRate;
        }
        curve.m_nPoints = static_cast<int>(curve.m_pValue.size());
        curve.m_bEnabled = 1;
        const std::vector<float> shown = engine.Publish(block, 2);
        for (int ch = 0; ch < 2; ++ch)
            for (int j = 0; j < kLength; ++j)
            {
                const std::size_t at = static_cast<std::size_t>(ch * kLength + j);
                const bool applies = c.allChannels || c.channel == ch;
                double v = c.pairs ? pairValue(j * kRate / (2.0 * kLength)) : tableValue(j);
                if (c.decibel)
                    v = std::pow(10.0, 0.1 * v);
                const double expected = !applies ? plain[at] : c.replace ? v : plain[at] * v;
                ASSERT_NEAR(shown[at], expected, 1e-5 * std::abs(expected) + 1e-12)
                    << c.name << " ch " << ch << " bin " << j;
            }
    }
}

// A point count larger than the lists behind it is not read past their end.
TEST(DisplayCurves, CurveWithAnInflatedPointCountIsSkipped)
{
    Engine engine;
    engine.Open(1);
    const std::vector<float> block = Noise(1);
    const std::vector<float> plain = engine.Publish(block, 1);
    CCalibrationCurve& curve = engine.m_calibrationCurves[0];
    curve.m_bPairs = 1;
    curve.m_pFrequency = {1000.0f};
    curve.m_pValue = {2.0f};
    curve.m_nPoints = 1000000;
    curve.m_bEnabled = 1;
    EXPECT_EQ(engine.Publish(block, 1), plain);
}

}  // namespace
