#include "engine/LevelMonitor.h"

#include "engine/SoundIn.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
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

}  // namespace
