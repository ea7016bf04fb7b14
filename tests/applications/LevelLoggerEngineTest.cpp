// The level loggers on the measurement engine: each channel's band analyser feeds its own logger,
// and a logging channel is analysed even when no band display asks for the analysers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include "applications/LevelLogger.h"
#include "engine/SoundIn.h"
#include "tests/support/TempHome.h"

namespace
{

constexpr int kRate = 48000;

class LevelLoggerEngineTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        for (int c = 0; c < 2; ++c)
        {
            auto& logger = m_loggers[static_cast<std::size_t>(c)];
            logger = std::make_unique<CLevelLogger>((m_home.Root() / "longterm").string(),
                                                    (m_home.Root() / "din").string());
            logger->m_channel = c;
            logger->m_startWriterThread = false;
            logger->m_onStopRequest = [this] { ++m_stopRequests; };
            logger->m_plannedBlocks = 1000;
            m_engine.SetLevelLogger(c, logger.get());
        }
        m_engine.m_nInputMode = CSoundIn::kInputNone;
        m_engine.m_nSampleRate = kRate;
        m_engine.m_nChannelMode = 3;  // two channels
        m_engine.SetFftSize(4096);
        ASSERT_EQ(m_engine.OpenInput(), 0);
        m_engine.RestartInput();
    }
    void TearDown() override { m_engine.StopInput(); }

    // A 1 kHz sine of amplitude 0.5 on the first channel, 0.25 at 250 Hz on the second.
    void Feed(int frames, int block = 960)
    {
        std::vector<float> data(2 * static_cast<std::size_t>(block));
        for (int at = 0; at < frames; at += block)
        {
            const int n = std::min(block, frames - at);
            for (int i = 0; i < n; ++i, ++m_fed)
            {
                data[2 * static_cast<std::size_t>(i)] =
                    static_cast<float>(0.5 * std::sin(2.0 * M_PI * 1000.0 * m_fed / kRate));
                data[2 * static_cast<std::size_t>(i) + 1] =
                    static_cast<float>(0.25 * std::sin(2.0 * M_PI * 250.0 * m_fed / kRate));
            }
            m_engine.ProcessFloatBlock(std::span<const float>(data.data(), 2 * static_cast<std::size_t>(n)),
                                       n);
        }
    }

    // The loggers outlive the engine, as in the program.
    std::array<std::unique_ptr<CLevelLogger>, 2> m_loggers;
    CSoundIn m_engine;
    long m_fed = 0;
    int m_stopRequests = 0;
};

TEST_F(LevelLoggerEngineTest, EachChannelLogsIntoItsOwnLoggerWithoutABandDisplay)
{
    ASSERT_EQ(m_engine.m_nBandAnalyzerMode, 0);
    ASSERT_EQ(m_engine.m_nLevelMonitorMode, 0);
    for (int c = 0; c < 2; ++c)
    {
        ASSERT_NE(m_engine.GetBandAnalyzer(c), nullptr);
        EXPECT_EQ(m_engine.GetBandAnalyzer(c)->m_logger, m_loggers[static_cast<std::size_t>(c)].get()) << c;
    }
    CBandAnalyzer& first = *m_engine.GetBandAnalyzer(0);
    CBandAnalyzer& second = *m_engine.GetBandAnalyzer(1);
    ASSERT_TRUE(first.StartLogging());
    Feed(2 * kRate);
    first.StopLogging();

    const CLevelLogger& logger = *m_loggers[0];
    EXPECT_EQ(logger.GetStoredBlocks(), 20);
    EXPECT_EQ(logger.SumBlockSamples(-1, -1), 2 * kRate);
    // The last block's Fast level and the run's A-weighted energy mean are the first channel's
    // sine (0.5 / sqrt(2)); the second channel's logger saw nothing.
    const double expectedDb = 20.0 * std::log10(0.5 / std::sqrt(2.0));
    EXPECT_NEAR(20.0 * std::log10(logger.GetRecord(19, 1, -1).m_rmsFast), expectedDb, 0.1);
    const double energyA = logger.GetRecord(19, 1, -1).m_energyTotal;
    EXPECT_NEAR(10.0 * std::log10(energyA / (2.0 * kRate)), expectedDb, 0.1);
    EXPECT_EQ(m_loggers[1]->GetBlocksCounted(), 0);
    // Without a band display the channel that does not log is not analysed at all.
    EXPECT_EQ(second.m_meters[0].m_sampleCount, 0);
    EXPECT_EQ(m_stopRequests, 0);

    // Stopped, the analysers are no longer fed.
    const std::int64_t analysed = first.m_meters[0].m_sampleCount;
    Feed(kRate / 2);
    EXPECT_EQ(first.m_meters[0].m_sampleCount, analysed);
}

TEST_F(LevelLoggerEngineTest, RunReachingItsPlannedLengthAsksForTheStopCommandOnce)
{
    m_loggers[1]->m_plannedBlocks = 10;
    CBandAnalyzer& second = *m_engine.GetBandAnalyzer(1);
    ASSERT_TRUE(second.StartLogging());
    Feed(3 * kRate);
    EXPECT_EQ(m_stopRequests, 1);
    EXPECT_EQ(m_loggers[1]->GetState(), CLevelLogger::kStopped);
    EXPECT_EQ(m_loggers[1]->GetStoredBlocks(), 10);
    // The stop command then ends the run on the analyser side.
    second.StopLogging();
    EXPECT_EQ(second.m_loggingActive.load(), 0);
    EXPECT_EQ(m_loggers[1]->GetStoredBlocks(), 10);
}

}  // namespace
