#include "engine/LevelMonitor.h"

#include "engine/SoundIn.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <span>
#include <thread>
#include <vector>

namespace
{

const std::array<int, 2> kBothEnabled = {1, 1};

// Before the time constant has passed, the short average is the plain mean of the values so far; the
// running mean, minimum and maximum follow every value.
TEST(LevelMonitorTest, WarmUpGivesThePlainMean)
{
    CLevelMonitor monitor;
    ASSERT_TRUE(monitor.EnsureHistoryBuffers(2, 100));
    const float values[] = {4, 1, 7, 2, 6};
    double sum = 0.0;
    for (int i = 0; i < 5; ++i)
    {
        const std::array<float, 2> v = {values[i], 2 * values[i]};
        monitor.AddValues(v, kBothEnabled, 1.0);
        sum += values[i];
        EXPECT_NEAR(monitor.m_channels[0].shortOutput, sum / (i + 1), 1e-12) << i;
        EXPECT_NEAR(monitor.m_channels[0].longOutput, sum / (i + 1), 1e-12) << i;
        EXPECT_NEAR(monitor.m_channels[1].mean, 2 * sum / (i + 1), 1e-12) << i;
    }
    EXPECT_EQ(monitor.m_channels[0].minimum, 1.0);
    EXPECT_EQ(monitor.m_channels[0].maximum, 7.0);
    EXPECT_EQ(monitor.m_nValuesCounted, 5);
    EXPECT_DOUBLE_EQ(monitor.m_dTotalTime, 5.0);
}

// After the warm-up the short average is exponential: a step from 0 to 1 closes the gap by the
// factor 1 - a per value, a = 1 / (1 + T / r).
TEST(LevelMonitorTest, ShortAverageIsExponentialAfterWarmUp)
{
    CLevelMonitor monitor;
    ASSERT_TRUE(monitor.EnsureHistoryBuffers(1, 10));
    const std::array<int, 1> on = {1};
    for (int i = 0; i < 20; ++i)
        monitor.AddValues(std::array<float, 1>{0.0f}, on, 0.5);
    const double a = 1.0 / (1.0 + 5.0 / 0.5);
    for (int i = 1; i <= 30; ++i)
    {
        monitor.AddValues(std::array<float, 1>{1.0f}, on, 0.5);
        ASSERT_NEAR(monitor.m_channels[0].shortOutput, 1.0 - std::pow(1.0 - a, i), 1e-9) << i;
    }
}

// The history takes one value per step at the write index and scrolls once it is full; a reset fills
// it with -130 dB.
TEST(LevelMonitorTest, HistoryScrollsWhenFull)
{
    CLevelMonitor monitor;
    ASSERT_TRUE(monitor.EnsureHistoryBuffers(1, 3));
    const std::array<int, 1> on = {1};
    for (float v : {1.0f, 2.0f, 3.0f, 4.0f, 5.0f})
        monitor.AddValues(std::array<float, 1>{v}, on, 1.0);
    EXPECT_EQ(monitor.m_channels[0].history, (std::vector<float>{3.0f, 4.0f, 5.0f}));
    EXPECT_EQ(monitor.m_nWriteIndex, 3);
    monitor.Reset();
    EXPECT_EQ(monitor.m_channels[0].history, (std::vector<float>(3, CLevelMonitor::kEmptyHistoryValue)));
    EXPECT_FALSE(monitor.EnsureHistoryBuffers(1, 0));
    EXPECT_FALSE(monitor.EnsureHistoryBuffers(65, 10));
}

// The engine takes the values waiting in channel 0's level output, one step each.
TEST(LevelMonitorTest, EngineStepsOncePerWaitingValue)
{
    CSoundIn engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nChannelMode = 0;
    engine.m_nLevelMonitorMode = 1;
    engine.m_nLevelHistoryLength = 8;
    ASSERT_EQ(engine.OpenInput(), 0);
    std::vector<float> storage(16);
    CFloatRingBuffer output;
    output.SetBuffer(storage.data(), 16);
    const float values[] = {0.5f, 1.5f, 4.0f};
    output.Write(values, 3);
    engine.m_levelOutputs[0] = &output;
    engine.UpdateLevelHistory();
    EXPECT_EQ(engine.m_levelMonitor.m_nValuesCounted, 3);
    EXPECT_NEAR(engine.m_levelMonitor.m_channels[0].mean, 2.0, 1e-12);
    EXPECT_EQ(engine.m_levelMonitor.m_channels[0].history[2], 4.0f);
    EXPECT_EQ(output.GetCount(), 0);
    engine.m_levelOutputs[0] = nullptr;
    engine.StopInput();
}

// A 1 kHz sine of amplitude 0.5 at 48 kHz: every 0.125 s value of the band analysers' level output
// holds 125 whole periods, so the monitor's values are the sine's mean square, 0.125, on both
// channels. With neither a band display nor the monitor on, the analysers are not fed at all.
TEST(LevelMonitorTest, BandAnalyzersFeedTheMonitorOnlyWhileInUse)
{
    struct Case
    {
        int monitorMode, bandMode;
        bool fed;
    };
    for (const Case& c : {Case{1, 0, true}, Case{0, 3, true}, Case{0, 0, false}})
    {
        SCOPED_TRACE(testing::Message() << "monitor " << c.monitorMode << ", bands " << c.bandMode);
        CSoundIn engine;
        engine.m_nInputMode = CSoundIn::kInputNone;
        engine.m_nSampleRate = 48000;
        engine.m_nChannelMode = 3;  // two channels
        engine.m_nLevelMonitorMode = c.monitorMode;
        engine.m_nBandAnalyzerMode = c.bandMode;
        engine.SetFftSize(4096);
        ASSERT_EQ(engine.OpenInput(), 0);
        engine.RestartInput();
        ASSERT_NEAR(engine.m_dLevelInterval, 0.125, 1e-12);
        constexpr int kFrames = 48000;
        std::vector<float> frames(2 * kFrames);
        for (int i = 0; i < kFrames; ++i)
            frames[2 * static_cast<std::size_t>(i)] = frames[2 * static_cast<std::size_t>(i) + 1] =
                static_cast<float>(0.5 * std::sin(2.0 * M_PI * 1000.0 * i / 48000.0));
        for (int at = 0; at < kFrames; at += 960)
            engine.ProcessFloatBlock(
                std::span<const float>(frames.data() + 2 * static_cast<std::size_t>(at), 1920), 960);
        // Every whole FFT block analysed (the analysis steps the monitor after each).
        for (int wait = 0; wait < 5000 && engine.m_nAnalyzedFrames.load() < kFrames / 4096 * 4096; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        engine.StopInput();
        const CBandAnalyzer* analyzer = engine.m_bandAnalyzers[0].get();
        ASSERT_NE(analyzer, nullptr);
        if (!c.fed)
        {
            EXPECT_EQ(analyzer->m_energyTrace.m_totalSamples, 0);
            EXPECT_EQ(engine.m_levelMonitor.m_nValuesCounted, 0);
            continue;
        }
        EXPECT_EQ(analyzer->m_energyTrace.m_totalSamples, kFrames);
        if (c.monitorMode == 0)
            continue;
        // Eight values were made; the analysis takes them after each FFT block (the last ones may
        // still wait).
        EXPECT_GE(engine.m_levelMonitor.m_nValuesCounted, 7);
        EXPECT_LE(engine.m_levelMonitor.m_nValuesCounted, 8);
        for (int ch = 0; ch < 2; ++ch)
        {
            const CLevelMonitor::Channel& channel =
                engine.m_levelMonitor.m_channels[static_cast<std::size_t>(ch)];
            EXPECT_NEAR(channel.minimum, 0.125, 0.125 * 1e-3);
            EXPECT_NEAR(channel.maximum, 0.125, 0.125 * 1e-3);
        }
    }
}

}  // namespace
