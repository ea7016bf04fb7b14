// The file analysis job driven by the test: blocks of 8192 frames to the file's end, the THD+N log
// of channel 0, a cancelled run, and the job's completion message.
#include "engine/FileAnalysis.h"

#include "common/TextDataFiles.h"
#include "dsp/BandAnalyzer.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaveFile.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <numbers>
#include <sstream>

namespace
{

class RecordingOwner : public CJobMessageTarget
{
public:
    void PostJobMessage(unsigned int message, void* param, std::int32_t) override
    {
        std::lock_guard lock(m_mutex);
        m_message = message;
        m_param = param;
        ++m_count;
        m_changed.notify_all();
    }
    bool Wait()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_count > 0; });
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    unsigned int m_message = 0;
    void* m_param = nullptr;
    int m_count = 0;
};

std::vector<double> ReadLog(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::vector<double> values;
    double v = 0.0;
    while (in >> v)
        values.push_back(v);
    return values;
}

class FileAnalysisTest : public testsupport::TempHomeTest
{
protected:
    // A tone (1 kHz unless given) with a second harmonic of 1 % of its amplitude, 48 kHz.
    std::filesystem::path WriteTone(long frames, int channels = 1, double frequency = 1000.0)
    {
        const auto path = m_home.File("tone.wav");
        testsupport::WritePcm16Wave(path, channels, 48000, frames,
                                    [frequency](int, long i)
                                    {
                                        const double w = 2.0 * std::numbers::pi * frequency * i / 48000.0;
                                        return 0.5 * std::sin(w) + 0.005 * std::sin(2.0 * w);
                                    });
        return path;
    }
};

TEST_F(FileAnalysisTest, TwentyThousandFramesGiveTwoBlocksAndTheThdNOfTheSecondHarmonic)
{
    // With the default Hamming window a tone on a bin; a tone between bins needs a window whose
    // skirt stays below the harmonic (Blackman-Harris): Hamming's leakage reads about 2 dB high.
    struct Case
    {
        int windowType;
        double frequency;
    };
    for (const Case c : {Case{1, 171 * 48000.0 / 8192}, Case{5, 1000.0}})
    {
        SCOPED_TRACE(c.windowType);
        CFileAnalysis analysis;
        analysis.m_nWindowType = c.windowType;
        analysis.m_strFileName = WriteTone(20000, 1, c.frequency).string();
        analysis.m_strThdNLog = m_home.File("logs/THDN.log");
        analysis.Prepare();
        EXPECT_EQ(analysis.m_nChannels, 1);
        EXPECT_EQ(analysis.m_dSampleRate, 48000.0);
        std::atomic<double> progress{-1.0};
        EXPECT_EQ(analysis.Run(nullptr, &progress), 0);
        EXPECT_EQ(analysis.m_nBlocksProcessed, 2);
        EXPECT_EQ(analysis.m_nFramesProcessed, 16384);
        EXPECT_NEAR(progress.load(), 16384.0 / 20000.0, 1e-9);
        const std::vector<double> log = ReadLog(analysis.m_strThdNLog);
        ASSERT_EQ(log.size(), 2u);
        for (double level : log)
            EXPECT_NEAR(level, -40.0, 0.5);
        ASSERT_NE(analysis.GetBandAnalyzer(0), nullptr);
        EXPECT_EQ(analysis.GetBandAnalyzer(1), nullptr);
        EXPECT_EQ(analysis.Cleanup(), 0);
        EXPECT_EQ(analysis.GetBandAnalyzer(0), nullptr);
    }
}

TEST_F(FileAnalysisTest, TheThdNLogGoesToTheConfigurationFolderByDefaultAndAnEmptyNameWritesNone)
{
    CFileAnalysis analysis;
    EXPECT_EQ(analysis.m_strThdNLog, m_home.ConfigHome() / "Tessarin" / "THDN.log");
    analysis.m_strFileName = WriteTone(9000).string();
    analysis.m_strThdNLog.clear();
    analysis.Prepare();
    EXPECT_EQ(analysis.Run(nullptr, nullptr), 0);
    EXPECT_EQ(analysis.m_nBlocksProcessed, 1);
    EXPECT_FALSE(std::filesystem::exists(m_home.ConfigHome() / "Tessarin" / "THDN.log"));
}

TEST_F(FileAnalysisTest, AFileThatCannotBeOpenedReadsNothing)
{
    CFileAnalysis analysis;
    analysis.m_strFileName = m_home.File("missing.wav").string();
    EXPECT_EQ(analysis.Prepare(), 0);
    EXPECT_EQ(analysis.m_nChannels, 0);
    EXPECT_EQ(analysis.Run(nullptr, nullptr), 0);
    EXPECT_EQ(analysis.m_nBlocksProcessed, 0);
    EXPECT_EQ(analysis.Cleanup(), 0);
}

TEST_F(FileAnalysisTest, JobRunsInTheBackgroundAndPostsItsCompletionMessage)
{
    RecordingOwner owner;
    CFileAnalysisJob job;
    job.m_strFileName = WriteTone(48000, 2).string();
    job.m_strThdNLog = m_home.File("THDN.log");
    job.m_Job.m_pOwner = &owner;
    job.m_Job.m_strTitle = "Dateianalyse";
    job.m_Job.Run();
    ASSERT_TRUE(owner.Wait());
    EXPECT_EQ(owner.m_message, 0x412u);
    EXPECT_EQ(owner.m_param, &job);
    EXPECT_EQ(job.m_nResult, 0);
    EXPECT_EQ(job.m_nBlocksProcessed, 5);
    EXPECT_GE(job.m_dElapsed, 0.0);
    EXPECT_FALSE(job.m_Job.IsRunning());
}

TEST_F(FileAnalysisTest, CancelledJobReturnsMinusOneAndStillPostsItsMessage)
{
    RecordingOwner owner;
    CFileAnalysisJob job;
    job.m_strFileName = WriteTone(48000 * 60).string();
    job.m_strThdNLog.clear();
    job.m_Job.m_pOwner = &owner;
    job.m_Job.m_bShowProgress = 0;
    // The stop request is set before the first block is read: the first check cancels.
    job.Prepare();
    std::atomic<int> cancel{1};
    EXPECT_EQ(job.Run(&cancel, nullptr), -1);
    job.Cleanup();
    // The same through the job: the window's cancel arrives while the worker runs.
    job.m_Job.Run();
    job.m_Job.RequestStop();
    ASSERT_TRUE(owner.Wait());
    EXPECT_EQ(job.m_nResult, -1);
    EXPECT_EQ(job.m_Job.m_nResult.load(), -1);
    EXPECT_LT(job.m_nBlocksProcessed, 351);
    EXPECT_EQ(owner.m_count, 1);
}

TEST_F(FileAnalysisTest, JobDestroyedMidRunEndsItsWorkerFirst)
{
    RecordingOwner owner;
    auto job = std::make_unique<CFileAnalysisJob>();
    job->m_strFileName = WriteTone(48000 * 20).string();
    job->m_strThdNLog.clear();
    job->m_Job.m_pOwner = &owner;
    job->m_Job.Run();
    job.reset();
    EXPECT_EQ(owner.m_count, 0);
}

}  // namespace
