// Synchronous time averaging of triggered blocks: the repeating part of the signal stays, the
// noise power falls by the number of blocks averaged.
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
    ~Engine() override { StopInput(); }
};

constexpr int kPeriod = 2048;
constexpr int kEdge = 1024;
constexpr int kBlock = 512;

// The repeating signal: silence, then from the edge on a block-long tone around 1.0 (the level
// trigger at 0.5 fires exactly at the edge), then silence again.
double Clean(int i)
{
    const int k = i % kPeriod - kEdge;
    return k >= 0 && k < kBlock ? 1.0 + 0.3 * std::sin(2.0 * M_PI * k / 64.0) : 0.0;
}

struct TimeAverageCase
{
    int count;  // T
    int groups;
};

class AnalysisTimeAverage : public ::testing::TestWithParam<TimeAverageCase>
{
};

TEST_P(AnalysisTimeAverage, NoisePowerFallsByTheCount)
{
    const auto [count, groups] = GetParam();
    const double sigma = 0.05;
    Engine engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nSampleRate = 48000;
    engine.m_nChannelMode = 0;
    engine.SetAnalyzerMode(1);  // scope: the trigger applies
    engine.SetFftSize(kBlock);
    engine.m_nTimeAverageCount = count;
    ASSERT_EQ(engine.OpenInput(), 0);
    engine.m_dTriggerLevel = 0.5;
    engine.m_nTriggerOffset = 0;
    engine.m_nTriggerRepeat = 1;
    engine.ResetTrigger();
    engine.RestartInput();

    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, sigma);
    double residual = 0.0;
    int periods = 0;
    for (int g = 0; g < groups; ++g)
    {
        const std::int64_t analyses = engine.m_nAnalysisCounter.load();
        for (int b = 0; b < count; ++b, ++periods)
        {
            std::vector<float> period(kPeriod);
            for (int i = 0; i < kPeriod; ++i)
                period[static_cast<std::size_t>(i)] = static_cast<float>(Clean(i) + noise(random));
            const std::int64_t before = engine.m_nAnalyzedFrames.load();
            engine.ProcessFloatBlock(period, kPeriod);
            ASSERT_TRUE(Eventually(
                [&] {
                    return engine.m_nAnalyzedFrames.load() >= before + kBlock &&
                           engine.m_bAnalysisIdle.load();
                }))
                << "block " << periods;
        }
        // One result per group of T blocks.
        ASSERT_EQ(engine.m_nAnalysisCounter.load(), analyses + 1) << g;
        std::lock_guard lock(engine.m_displayLock);
        for (int i = 0; i < kBlock; ++i)
        {
            const double e = engine.m_timeDisplay[static_cast<std::size_t>(i)] - Clean(kEdge + i);
            residual += e * e;
        }
    }
    residual /= static_cast<double>(groups) * kBlock;
    EXPECT_NEAR(10.0 * std::log10(residual), 10.0 * std::log10(sigma * sigma / count), 0.6) << count;
}

INSTANTIATE_TEST_SUITE_P(Counts, AnalysisTimeAverage,
                         ::testing::Values(TimeAverageCase{1, 8}, TimeAverageCase{4, 4},
                                           TimeAverageCase{16, 4}));

}  // namespace
