// The engine's audio recorder: a known tone through the intake lands in the WAVE file at its level
// and rate, continuation files follow at the file length, a continuation that cannot be created
// stops the recording with a readable file, and a stop while blocks arrive leaves a complete file.
#include "engine/AudioFileReader.h"
#include "engine/SoundIn.h"

#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace
{

constexpr int kRate = 48000;

// The file's samples as floats, decoded by sox (a reader independent of ours).
std::vector<float> SoxSamples(const std::string& path)
{
    const std::string raw =
        testsupport::RunProgram({"sox", path, "-t", "raw", "-e", "floating-point", "-b", "32", "-"});
    std::vector<float> samples(raw.size() / sizeof(float));
    std::memcpy(samples.data(), raw.data(), samples.size() * sizeof(float));
    return samples;
}

std::string SoxInfo(const std::string& path, const char* option)
{
    std::string out = testsupport::RunProgram({"sox", "--i", option, path});
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

class RecorderIntakeTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_home.File("x").parent_path());
        m_engine.m_nInputMode = CSoundIn::kInputNone;
        m_engine.m_nSampleRate = kRate;
        m_engine.m_nChannelMode = 3;  // two channels
        m_engine.SetFftSize(4096);
        ASSERT_EQ(m_engine.OpenInput(), 0);
        m_engine.RestartInput();
    }
    // Two channels: a 1 kHz sine of amplitude 0.5 on the first, 0.25 at 250 Hz on the second.
    void Feed(int frames, int block = 960)
    {
        std::vector<float> data(2 * static_cast<std::size_t>(block));
        for (int at = 0; at < frames; at += block)
        {
            const int n = std::min(block, frames - at);
            for (int i = 0; i < n; ++i, ++m_nFed)
            {
                data[2 * static_cast<std::size_t>(i)] =
                    static_cast<float>(0.5 * std::sin(2.0 * M_PI * 1000.0 * m_nFed / kRate));
                data[2 * static_cast<std::size_t>(i) + 1] =
                    static_cast<float>(0.25 * std::sin(2.0 * M_PI * 250.0 * m_nFed / kRate));
            }
            m_engine.ProcessFloatBlock(std::span<const float>(data.data(), 2 * static_cast<std::size_t>(n)),
                                       n);
        }
    }
    std::string Path(const std::string& name) { return m_home.File(name).string(); }

    CSoundIn m_engine;
    long m_nFed = 0;
};

TEST_F(RecorderIntakeTest, ToneLandsInTheFileAtItsLevelAndRate)
{
    struct Case
    {
        std::array<int, 2> active;
        int channels;
    };
    for (const Case& c : {Case{{1, 1}, 2}, Case{{0, 1}, 1}})
    {
        SCOPED_TRACE(testing::Message() << "active " << c.active[0] << c.active[1]);
        const std::string path = Path(c.channels == 2 ? "both.wav" : "second.wav");
        ASSERT_EQ(m_engine.StartRecording(path, c.active), CSoundIn::kRecorderStarted);
        EXPECT_TRUE(m_engine.IsRecording());
        m_nFed = 0;
        Feed(kRate);
        EXPECT_NEAR(m_engine.RecordedSeconds(), 1.0, 1e-9);
        m_engine.StopRecording(3.5);
        EXPECT_FALSE(m_engine.IsRecording());

        EXPECT_EQ(SoxInfo(path, "-c"), std::to_string(c.channels));
        EXPECT_EQ(SoxInfo(path, "-r"), std::to_string(kRate));
        const std::vector<float> samples = SoxSamples(path);
        ASSERT_EQ(samples.size(), static_cast<std::size_t>(kRate * c.channels));
        // Each recorded channel holds its tone sample for sample (16 bits: within one step).
        for (int ch = 0; ch < c.channels; ++ch)
        {
            const bool first = c.channels == 2 && ch == 0;
            const double amplitude = first ? 0.5 : 0.25, frequency = first ? 1000.0 : 250.0;
            double worst = 0.0;
            for (int i = 0; i < kRate; ++i)
            {
                const double expected = amplitude * std::sin(2.0 * M_PI * frequency * i / kRate);
                worst = std::max(
                    worst, std::fabs(samples[static_cast<std::size_t>(i * c.channels + ch)] - expected));
            }
            EXPECT_LT(worst, 2.0 / 32768.0) << "channel " << ch;
        }
        std::array<double, 257> factors{};
        ASSERT_EQ(ReadWaveFileCalibration(path, factors), 1);
        EXPECT_DOUBLE_EQ(factors[256], 3.5);
    }
}

TEST_F(RecorderIntakeTest, RefusesWithoutActiveChannelOrFile)
{
    EXPECT_EQ(m_engine.StartRecording(Path("none.wav"), std::array<int, 2>{0, 0}),
              CSoundIn::kRecorderNoChannel);
    EXPECT_EQ(m_engine.StartRecording(Path("missing/folder/a.wav"), std::array<int, 2>{1, 1}),
              CSoundIn::kRecorderNoFile);
    EXPECT_FALSE(m_engine.IsRecording());
    EXPECT_FALSE(std::filesystem::exists(Path("none.wav")));
}

TEST_F(RecorderIntakeTest, ContinuationFilesFollowTheFileLength)
{
    m_engine.m_dRecorderInterval = 0.01 * 60.0;  // 0.01 min
    const std::string path = Path("long take.wav");
    ASSERT_EQ(m_engine.StartRecording(path, std::array<int, 2>{1, 0}), CSoundIn::kRecorderStarted);
    Feed(2 * kRate);
    m_engine.StopRecording(1.0);
    const std::vector<std::string> files = m_engine.m_recorder.GetFinishedFiles();
    ASSERT_EQ(files.size(), 4u);  // 0.6 + 0.6 + 0.6 + 0.2 s
    EXPECT_EQ(files[0], path);
    std::size_t total = 0;
    for (std::size_t k = 0; k < files.size(); ++k)
    {
        SCOPED_TRACE(files[k]);
        EXPECT_EQ(SoxInfo(files[k], "-r"), std::to_string(kRate));
        const std::size_t frames = SoxSamples(files[k]).size();
        EXPECT_EQ(frames, k < 3 ? 28800u : 9600u);
        total += frames;
    }
    EXPECT_EQ(total, static_cast<std::size_t>(2 * kRate));
    EXPECT_EQ(m_engine.m_recorder.GetFailure(), CWaveRecorder::kFailNone);
}

TEST_F(RecorderIntakeTest, ContinuationThatCannotBeCreatedIsReportedAndTheFirstFileStaysReadable)
{
    m_engine.m_dRecorderInterval = 0.01 * 60.0;
    // The continuation's name (base + index + time stamp) is longer than a file name may be.
    const std::string path = Path(std::string(235, 'r') + ".wav");
    ASSERT_EQ(m_engine.StartRecording(path, std::array<int, 2>{1, 1}), CSoundIn::kRecorderStarted);
    Feed(kRate);
    EXPECT_EQ(m_engine.m_recorder.GetFailure(), CWaveRecorder::kFailContinuation);
    m_engine.StopRecording(1.0);
    const std::vector<std::string> files = m_engine.m_recorder.GetFinishedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(SoxSamples(path).size(), 2u * 28800u);
}

// Blocks keep arriving while the recording stops: every frame counted as recorded is in the file,
// the file is complete, and no block is written after the file was closed.
TEST_F(RecorderIntakeTest, StopWhileBlocksArriveLeavesACompleteFile)
{
    const std::string path = Path("busy.wav");
    ASSERT_EQ(m_engine.StartRecording(path, std::array<int, 2>{1, 1}), CSoundIn::kRecorderStarted);
    std::atomic<bool> stop{false};
    std::thread feeder(
        [&]
        {
            while (!stop.load())
                Feed(480, 480);
        });
    while (m_engine.RecordedSeconds() < 0.2)
        std::this_thread::yield();
    m_engine.StopRecording(1.0);
    const double recorded = m_engine.RecordedSeconds();
    Feed(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop.store(true);
    feeder.join();
    EXPECT_DOUBLE_EQ(m_engine.RecordedSeconds(), recorded);
    EXPECT_EQ(SoxSamples(path).size(), static_cast<std::size_t>(std::llround(recorded * kRate)) * 2);
}

}  // namespace
