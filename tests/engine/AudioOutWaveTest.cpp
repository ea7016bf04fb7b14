// Wave output through the real ALSA code into a `file` device: silence first, then the file's
// samples, looping; and a device that is not there refused with a plain message.
#include "engine/AudioOutWave.h"
#include "engine/WaveRecorder.h"

#include "tests/support/AlsaTestConfig.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace
{
class AudioOutWaveTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "the ALSA configuration files are not installed";
    }
    testsupport::AlsaTestConfig m_alsa{m_home.Root()};
};

TEST_F(AudioOutWaveTest, PlaysSilenceThenTheFileLoopingIntoTheDevice)
{
    // A mono 16-bit file of 300 frames, a ramp no frame repeats within.
    const std::string wave = m_home.File("ramp.wav").string();
    std::vector<std::int16_t> ramp(300);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<std::int16_t>(100 * i + 1);
    {
        CWaveRecorder recorder;
        recorder.m_nFileChannels = 1;
        recorder.m_nSampleRate = 8000;
        recorder.m_nBits = 16;
        ASSERT_EQ(recorder.Open(wave), 1);
        recorder.WritePcm16Block(ramp.data(), 300);
        recorder.Close();
    }
    const auto outfile = m_home.File("played.raw");
    m_alsa.AddFileDevice("tessarin_play", {}, outfile);
    m_alsa.Apply();

    CAudioOut_Wave out;
    out.m_strDevice = "tessarin_play";
    out.m_nSampleRate = 8000;
    out.m_nChannels = 2;
    out.m_nFramesPerBuffer = 100;
    out.m_reader.m_strPath = wave;
    ASSERT_EQ(out.Open(), 0) << out.GetLastError();
    EXPECT_EQ(out.Open(), -1) << "already open";
    ASSERT_EQ(out.Start(), 0);
    EXPECT_EQ(out.Start(), -1) << "already running";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    out.Close();

    const std::string played = testsupport::ReadBytes(outfile);
    std::vector<std::int16_t> samples(played.size() / 2);
    std::memcpy(samples.data(), played.data(), samples.size() * 2);
    // Four buffers of silence, then the file on both channels, looping after 300 frames.
    const std::size_t silence = 4 * 100;
    ASSERT_GE(samples.size(), 2 * (silence + 700));
    for (std::size_t f = 0; f < silence; ++f)
        ASSERT_EQ(samples[2 * f], 0) << f;
    for (std::size_t f = 0; f < 700; ++f)
    {
        ASSERT_EQ(samples[2 * (silence + f)], ramp[f % 300]) << f;
        ASSERT_EQ(samples[2 * (silence + f) + 1], ramp[f % 300]) << f;
    }
}

TEST_F(AudioOutWaveTest, DeviceOrFileThatCannotOpenIsRefusedWithAReason)
{
    const std::string wave = m_home.File("tone.wav").string();
    {
        CWaveRecorder recorder;
        recorder.m_nFileChannels = 1;
        recorder.m_nSampleRate = 8000;
        recorder.m_nBits = 16;
        ASSERT_EQ(recorder.Open(wave), 1);
        const std::int16_t s[4] = {1, 2, 3, 4};
        recorder.WritePcm16Block(s, 4);
        recorder.Close();
    }
    CAudioOut_Wave out;
    out.m_strDevice = "tessarin_absent";
    out.m_reader.m_strPath = wave;
    EXPECT_EQ(out.Open(), -1);
    EXPECT_NE(out.GetLastError().find("is not present"), std::string::npos) << out.GetLastError();
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(out.Start(), -1);

    out.m_strDevice = "null";
    out.m_reader.m_strPath = m_home.File("missing.wav").string();
    EXPECT_EQ(out.Open(), -1);
    EXPECT_NE(out.GetLastError().find("missing.wav"), std::string::npos) << out.GetLastError();
    EXPECT_EQ(out.Close(), 0);
}

TEST_F(AudioOutWaveTest, StartAfterPauseQueuesNoNewSilence)
{
    const auto outfile = m_home.File("resumed.raw");
    m_alsa.AddFileDevice("tessarin_resume", {}, outfile);
    m_alsa.Apply();
    CAudioOut_Wave out;
    out.m_bFileMode = 0;
    out.m_strDevice = "tessarin_resume";
    out.m_nSampleRate = 8000;
    out.m_nChannels = 1;
    out.m_nFramesPerBuffer = 100;
    ASSERT_EQ(out.Open(), 0) << out.GetLastError();
    ASSERT_EQ(out.Start(), 0);
    EXPECT_EQ(out.Pause(), 0);
    EXPECT_EQ(out.Pause(), -1) << "not running";
    ASSERT_EQ(out.Start(), 0);
    std::vector<std::int16_t> block(100, 1234);
    // Without file mode the owner writes; this thread stands in for the engine's playback thread.
    EXPECT_EQ(out.Write(reinterpret_cast<const std::uint8_t*>(block.data()), 200), 0);
    out.Close();
    const std::string played = testsupport::ReadBytes(outfile);
    std::vector<std::int16_t> samples(played.size() / 2);
    std::memcpy(samples.data(), played.data(), samples.size() * 2);
    ASSERT_EQ(samples.size(), 500u) << "four silent buffers once, then the block";
    EXPECT_EQ(samples[399], 0);
    EXPECT_EQ(samples[400], 1234);
}

}  // namespace
