// The ALSA layer against devices that need no sound card: "null" (silence, no clock of its own)
// and `file` devices over it that capture from and play into raw files.
#include "platform/audio/AlsaPcm.h"

#include "tests/support/AlsaTestConfig.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

using namespace platform::audio;

namespace
{
class AlsaPcmTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "the ALSA configuration files are not installed";
    }
    testsupport::AlsaTestConfig m_alsa{m_home.Root()};
};

TEST_F(AlsaPcmTest, NullDeviceCapturesSilenceAtThePaceOfRealTime)
{
    AlsaPcm pcm;
    PcmConfig config;
    config.device = "null";
    config.sampleRate = 48000;
    config.channels = 2;
    config.periodFrames = 480;
    ASSERT_EQ(pcm.Open(config), 0) << pcm.GetLastError();
    ASSERT_EQ(pcm.Start(), 0);
    std::vector<std::int16_t> block(480 * 2, 7);
    std::int64_t frames = 0;
    bool silent = true;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(1))
    {
        const long got = pcm.Read(block.data(), 480, 200);
        ASSERT_GE(got, 0) << pcm.GetLastError();
        frames += got;
        for (long i = 0; i < got * 2; ++i)
            silent = silent && block[static_cast<std::size_t>(i)] == 0;
    }
    EXPECT_TRUE(silent);
    EXPECT_FALSE(pcm.IsClocked());
    // A device without a clock must not run ahead of real time (one period of slack), and the
    // pacing must not starve it either.
    EXPECT_LE(frames, 48000 + 480);
    EXPECT_GE(frames, 24000);
}

TEST_F(AlsaPcmTest, FileDeviceCapturesTheRawFileSampleExactThenSilence)
{
    std::string raw;
    for (int i = 0; i < 3000; ++i)
    {
        const auto left = static_cast<std::int16_t>(i * 7 - 10000);
        const auto right = static_cast<std::int16_t>(-i);
        raw.append(reinterpret_cast<const char*>(&left), 2);
        raw.append(reinterpret_cast<const char*>(&right), 2);
    }
    const auto infile = m_home.File("in.raw");
    ASSERT_TRUE(testsupport::WriteBytes(infile, raw));
    m_alsa.AddFileDevice("tessarin_in", infile, {});
    m_alsa.Apply();

    AlsaPcm pcm;
    PcmConfig config;
    config.device = "tessarin_in";
    config.sampleRate = 44100;
    config.channels = 2;
    config.periodFrames = 256;
    ASSERT_EQ(pcm.Open(config), 0) << pcm.GetLastError();
    ASSERT_EQ(pcm.Start(), 0);
    std::string captured;
    std::vector<char> block(256 * 4);
    while (captured.size() < raw.size() + 1024)
    {
        const long got = pcm.Read(block.data(), 256, 200);
        ASSERT_GE(got, 0) << pcm.GetLastError();
        captured.append(block.data(), static_cast<std::size_t>(got) * 4);
    }
    EXPECT_TRUE(captured.compare(0, raw.size(), raw) == 0) << "the raw file, sample for sample";
    EXPECT_TRUE(captured.compare(raw.size(), 1024, std::string(1024, '\0')) == 0) << "then silence";
}

TEST_F(AlsaPcmTest, FileDevicePlaysIntoTheRawFile)
{
    const auto outfile = m_home.File("out.raw");
    m_alsa.AddFileDevice("tessarin_out", {}, outfile);
    m_alsa.Apply();
    std::vector<std::int16_t> samples(4000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(i * 13);
    {
        AlsaPcm pcm;
        PcmConfig config;
        config.device = "tessarin_out";
        config.direction = Direction::Playback;
        config.sampleRate = 8000;
        config.channels = 1;
        config.periodFrames = 500;
        ASSERT_EQ(pcm.Open(config), 0) << pcm.GetLastError();
        long done = 0;
        while (done < 4000)
        {
            const long put = pcm.Write(samples.data() + done, 4000 - done, 200);
            ASSERT_GE(put, 0) << pcm.GetLastError();
            done += put;
        }
        pcm.Drain(2000);
    }
    const std::string written = testsupport::ReadBytes(outfile);
    ASSERT_EQ(written.size(), samples.size() * 2);
    EXPECT_EQ(std::memcmp(written.data(), samples.data(), written.size()), 0);
}

TEST_F(AlsaPcmTest, DeviceThatIsNotThereIsAPlainMessage)
{
    const char* const names[] = {"tessarin_no_such_device", "hw:CARD=NoSuchCard,DEV=0"};
    for (const char* name : names)
    {
        AlsaPcm pcm;
        PcmConfig config;
        config.device = name;
        EXPECT_EQ(pcm.Open(config), -1) << name;
        EXPECT_FALSE(pcm.IsOpen());
        EXPECT_NE(pcm.GetLastError().find(std::string("\"") + name + "\""), std::string::npos)
            << pcm.GetLastError();
        EXPECT_NE(pcm.GetLastError().find("is not present"), std::string::npos) << pcm.GetLastError();
        std::int16_t sample = 0;
        EXPECT_EQ(pcm.Read(&sample, 1, 10), -1) << "a closed stream reads nothing";
    }
}

TEST_F(AlsaPcmTest, DeviceListHasTheNullDevice)
{
    bool found = false;
    for (const PcmDeviceInfo& device : ListPcmDevices(Direction::Capture))
        found = found || device.name == "null";
    EXPECT_TRUE(found);
}

}  // namespace
