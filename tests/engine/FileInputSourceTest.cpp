// The file input: the pacing keeps the mean block period exact on a clock the test drives, the
// blocks hold the file's samples, and the engine in input mode 1 takes the file's format and
// shows its tone in the spectrum.
#include "engine/FileInputSource.h"

#include "engine/SoundIn.h"
#include "tests/engine/BlockRecorder.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaveFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <numbers>
#include <numeric>

namespace
{

using namespace std::chrono_literals;

// Records every sleep the source asks for and sleeps a millisecond instead.
class TestClock : public CPacingClock
{
public:
    explicit TestClock(std::vector<int>& sleeps, std::mutex& mutex) : m_sleeps(sleeps), m_mutex(mutex) {}
    void SleepMs(int ms) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_sleeps.push_back(ms);
        }
        std::this_thread::sleep_for(1ms);
    }

private:
    std::vector<int>& m_sleeps;
    std::mutex& m_mutex;
};

double Tone(int channel, long i)
{
    const double f = channel == 0 ? 1000.0 : 250.0;
    return 0.5 * std::sin(2.0 * std::numbers::pi * f * i / 44100.0);
}

class FileInputSourceTest : public testsupport::TempHomeTest
{
protected:
    std::filesystem::path WriteTone(int channels, long frames = 44100)
    {
        const auto path = m_home.File("tone.wav");
        testsupport::WritePcm16Wave(path, channels, 44100, frames, Tone);
        return path;
    }
};

TEST(FileInputPacing, SleepsKeepTheExactMeanPeriod)
{
    // 1024 frames at 44.1 kHz: 23.2199… ms; 441 blocks last exactly 10240 ms.
    const double period = 1024.0 / 44100.0 * 1000.0;
    CFileInputSource::Pacing pacing(period);
    std::vector<int> sleeps;
    for (int i = 0; i < 44100; ++i)
        sleeps.push_back(pacing.Next());
    for (int ms : sleeps)
        ASSERT_TRUE(ms == 23 || ms == 24) << ms;
    // The sleeps never drift from the elapsed periods by more than the correction's lag (the
    // carried fraction plus one period's fraction), so the mean period is exact.
    double elapsed = 0.0;
    long long slept = 0;
    double worst = 0.0;
    for (int ms : sleeps)
    {
        elapsed += period;
        slept += ms;
        worst = std::max(worst, std::fabs(slept - elapsed));
    }
    EXPECT_LT(worst, 1.25);
    EXPECT_NEAR(static_cast<double>(slept) / sleeps.size(), period, 1.25 / sleeps.size());
    // 441 blocks of 1024 frames are 10.24 s: the sleeps come to 10240 ms within that lag.
    EXPECT_NEAR(std::accumulate(sleeps.begin(), sleeps.begin() + 441, 0), 10240, 1);
}

TEST_F(FileInputSourceTest, DeliversTheFileOnTheTestClockWithTheExactMeanPeriod)
{
    std::vector<int> sleeps;
    std::mutex mutex;
    CFileInputSource source;
    source.SetClock(std::make_unique<TestClock>(sleeps, mutex));
    source.SetPath(WriteTone(2).string());
    int channels = 0, rate = 0;
    ASSERT_TRUE(source.QueryFormat(channels, rate));
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 44100);
    BlockRecorder sink;
    InputDeviceConfig config;
    config.bufferFrames = 1024;
    ASSERT_EQ(source.Open(config, sink), 0);
    ASSERT_TRUE(sink.WaitForBlocks(442, 30s));
    source.Close();
    std::lock_guard lock(mutex);
    ASSERT_GE(sleeps.size(), 441u);
    EXPECT_NEAR(std::accumulate(sleeps.begin(), sleeps.begin() + 441, 0), 10240, 1);
    // The blocks are the file's frames, interleaved, and the file loops at its end.
    std::lock_guard recorded(sink.m_mutex);
    EXPECT_EQ(sink.m_floatFrames.front(), -1);
    for (long i = 0; i < 50000; i += 7)
        for (int c = 0; c < 2; ++c)
            ASSERT_NEAR(sink.m_float[static_cast<std::size_t>(2 * i + c)], Tone(c, i % 44100),
                        1.0 / 32768.0 + 1e-6)
                << i;
}

TEST_F(FileInputSourceTest, PauseStopsDeliveriesUntilResume)
{
    std::vector<int> sleeps;
    std::mutex mutex;
    CFileInputSource source;
    source.SetClock(std::make_unique<TestClock>(sleeps, mutex));
    source.SetPath(WriteTone(1).string());
    int channels = 0, rate = 0;
    source.QueryFormat(channels, rate);
    BlockRecorder sink;
    ASSERT_EQ(source.Open(InputDeviceConfig{}, sink), 0);
    ASSERT_TRUE(sink.WaitForBlocks(3, 10s));
    source.Pause();
    const std::size_t paused = sink.Blocks();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(sink.Blocks(), paused);
    source.Resume();
    EXPECT_TRUE(sink.WaitForBlocks(paused + 3, 10s));
    source.Close();
}

TEST_F(FileInputSourceTest, AFileThatCannotBeOpenedIsRefused)
{
    CFileInputSource source;
    source.SetPath(m_home.File("missing.wav").string());
    int channels = -1, rate = -1;
    EXPECT_TRUE(source.QueryFormat(channels, rate));
    EXPECT_EQ(channels, 0);
    BlockRecorder sink;
    EXPECT_EQ(source.Open(InputDeviceConfig{}, sink), -1);
    EXPECT_FALSE(source.GetLastError().empty());
}

TEST_F(FileInputSourceTest, EngineInFileModeTakesTheFormatAndShowsTheTone)
{
    class Engine : public CSoundIn
    {
    public:
        ~Engine() override { StopInput(); }
        using CSoundIn::m_spectrumDisplay;
    };
    Engine engine;
    auto source = std::make_unique<CFileInputSource>();
    std::vector<int> sleeps;
    std::mutex mutex;
    source->SetClock(std::make_unique<TestClock>(sleeps, mutex));
    source->SetPath(WriteTone(1).string());
    engine.SetInputDevice(CSoundIn::kInputFile, std::move(source));
    engine.m_nInputMode = CSoundIn::kInputFile;
    engine.m_nChannelMode = 1;
    engine.m_nSampleRate = 48000;
    engine.SetFftSize(4096);
    ASSERT_EQ(engine.OpenInput(), 0);
    EXPECT_EQ(engine.m_nSampleRate, 44100);
    EXPECT_EQ(engine.m_nAnalysisChannels, 1);
    EXPECT_EQ(engine.m_nChannelMode, 0);
    engine.RestartInput();
    for (int i = 0; i < 4000 && engine.m_nAnalyzedFrames.load() < 5 * 4096; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_GE(engine.m_nAnalyzedFrames.load(), 5 * 4096);
    int peak = 0;
    {
        std::lock_guard lock(engine.m_displayLock);
        for (int k = 1; k < 2048; ++k)
            if (engine.m_spectrumDisplay[static_cast<std::size_t>(k)] >
                engine.m_spectrumDisplay[static_cast<std::size_t>(peak)])
                peak = k;
    }
    EXPECT_NEAR(peak * 44100.0 / 4096.0, 1000.0, 44100.0 / 4096.0);
    engine.StopInput();
    EXPECT_EQ(engine.m_nState.load(), CSoundIn::kStateStopped);
}

}  // namespace
