// The program's level loggers on the real engine and the simulated input, under a virtual X
// server: a run that reaches its planned length stops through the logger "Stop" command on the
// main window, its journal holds every block, and the journal of a run that did not end becomes a
// data set at the next start-up.
#include "app/LevelLoggers.h"
#include "applications/LevelLogger.h"
#include "engine/AudioInSim.h"
#include "tests/app/MainFrameFixture.h"

#include <gtest/gtest.h>
#include <wx/app.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace
{

class LevelLoggersTest : public testsupport::EngineFrameFixture
{
protected:
    void TearDown() override
    {
        // The windows and the engine go first; the loggers outlive the engine, as in the program.
        DestroyFrame();
        m_engine.StopInput();
        for (int c = 0; c < CLevelLoggers::kChannels; ++c)
            m_engine.SetLevelLogger(c, nullptr);
        MainFrameFixture::TearDown();
    }
    // Pumps the user-interface events until `done` holds or `seconds` passed.
    template <typename Predicate>
    bool PumpUntil(Predicate done, double seconds)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done())
        {
            if (std::chrono::steady_clock::now() > limit)
                return false;
            wxTheApp->Yield(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
};

TEST_F(LevelLoggersTest, SimulatedInputLogsUntilThePlannedLengthAndTheStopCommandEndsTheRun)
{
    const std::filesystem::path longterm = m_app->m_DataFolders.GetPath(CDataFolders::kSplLongterm);
    m_app->m_pLevelLoggers->Attach(&m_engine);
    m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
    m_engine.m_nInputMode = CSoundIn::kInputSimulated;
    ASSERT_EQ(m_engine.OpenInput(), 0);
    m_engine.RestartInput();
    CBandAnalyzer* analyzer = m_engine.GetBandAnalyzer(0);
    ASSERT_NE(analyzer, nullptr);
    CLevelLogger& logger = *m_app->m_pLevelLoggers->Get(0);
    EXPECT_EQ(analyzer->m_logger, &logger);
    logger.m_plannedBlocks = 15;
    logger.m_fastInterval = 0.1;

    // While nothing logs, the Stop command is disabled.
    wxUpdateUIEvent idle(command_id::WxCommandId(CLevelLoggers::kStopCommand));
    m_frame->ProcessWindowEvent(idle);
    EXPECT_FALSE(idle.GetEnabled());

    ASSERT_TRUE(analyzer->StartLogging());
    wxUpdateUIEvent running(command_id::WxCommandId(CLevelLoggers::kStopCommand));
    m_frame->ProcessWindowEvent(running);
    EXPECT_TRUE(running.GetEnabled());
    // 1.5 s of simulated input: the analyser stops the logger and the main window runs "Stop".
    ASSERT_TRUE(PumpUntil([&] { return analyzer->m_loggingActive.load() == 0; }, 30.0))
        << "the run did not end; blocks " << logger.GetBlocksCounted();
    EXPECT_EQ(m_frame->GetLastCommand(), CLevelLoggers::kStopCommand);
    EXPECT_EQ(logger.GetState(), CLevelLogger::kStopped);
    EXPECT_EQ(logger.GetStoredBlocks(), 15);
    EXPECT_EQ(logger.SumBlockSamples(-1, -1), 15 * m_engine.m_nSampleRate / 10);
    // The simulated input's 1 kHz sine reads the same level in every block after the first.
    const double last = logger.GetRecord(14, 1, -1).m_rmsFast;
    EXPECT_GT(last, 0.0);
    EXPECT_NEAR(20.0 * std::log10(logger.GetRecord(10, 1, -1).m_rmsFast / last), 0.0, 0.1);

    // The journal holds the whole run: a crash now would lose nothing. Recovered, it is the run.
    const std::string journal = (longterm / CLevelLogger::JournalName(0)).string();
    ASSERT_TRUE(std::filesystem::exists(journal + ".jnl"));
    const std::filesystem::path crash = m_home.Root() / "crash";
    std::filesystem::create_directories(crash);
    std::filesystem::copy_file(journal + ".jnl", crash / (CLevelLogger::JournalName(0) + ".jnl"));
    std::filesystem::copy_file(journal + ".ini", crash / (CLevelLogger::JournalName(0) + ".ini"));
    // The live journal is this run's own: it is not taken while the logger holds it.
    EXPECT_TRUE(m_app->m_pLevelLoggers->RecoverJournals().empty());
    EXPECT_TRUE(std::filesystem::exists(journal + ".jnl"));
    const std::string name = CLevelLogger::RecoverJournal(crash.string(), 0);
    ASSERT_FALSE(name.empty());
    EXPECT_FALSE(std::filesystem::exists(crash / (CLevelLogger::JournalName(0) + ".jnl")));
    CLevelLogger reader(crash.string(), {});
    reader.m_startWriterThread = false;
    ASSERT_TRUE(reader.ReadDataFile((crash / name).string(), ""));
    ASSERT_EQ(reader.GetStoredBlocks(), 15);
    for (std::int64_t b = 0; b < 15; ++b)
    {
        EXPECT_EQ(reader.GetSampleCount(b), logger.GetSampleCount(b)) << b;
        EXPECT_EQ(reader.GetRecord(b, 1, -1).m_energyTotal, logger.GetRecord(b, 1, -1).m_energyTotal) << b;
    }
}

}  // namespace
