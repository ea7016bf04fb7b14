// The DirectSound-style capture over ALSA: the buffer geometry, the device table, and a known
// signal through a `file` device delivered sample-exact in pieces of at most one block, across
// the wrap of the capture buffer.
#include "engine/AudioInDx.h"

#include "tests/engine/BlockRecorder.h"
#include "tests/support/AlsaTestConfig.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace
{
class AudioInDxTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "the ALSA configuration files are not installed";
    }
    testsupport::AlsaTestConfig m_alsa{m_home.Root()};
};

TEST(AudioInDxSizes, SegmentsAreASixtyFourthOfASecondAndAtLeast1024Bytes)
{
    const struct
    {
        std::uint32_t bytesPerSecond;
        std::uint32_t blockAlign;
        std::uint32_t notify;
        std::uint32_t buffer;
    } cases[] = {
        {16000, 2, 1024, 65536},    // 8000 Hz mono 16 bit
        {176400, 4, 2756, 176384},  // 44100 Hz stereo 16 bit
        {192000, 4, 3000, 192000},  // 48000 Hz stereo 16 bit
        {64000, 6, 1020, 65280},    // 1024 rounded down to whole 6-byte frames
    };
    for (const auto& c : cases)
    {
        std::uint32_t notify = 0;
        std::uint32_t buffer = 0;
        CAudioIn_DX::ComputeSizes(c.bytesPerSecond, c.blockAlign, notify, buffer);
        EXPECT_EQ(notify, c.notify) << c.bytesPerSecond;
        EXPECT_EQ(buffer, c.buffer) << c.bytesPerSecond;
    }
}

TEST(AudioInDxDevices, TableKeepsTheFirstSixtyFourAndSkipsThePrimaryDevice)
{
    std::vector<platform::audio::PcmDeviceInfo> devices{{"default", "Default"}};
    for (int i = 0; i < 70; ++i)
        devices.push_back({"hw:CARD=C" + std::to_string(i) + ",DEV=0", "Card " + std::to_string(i)});
    CAudioIn_DX dx;
    EXPECT_EQ(dx.StoreDevices(devices), 64);
    ASSERT_EQ(dx.m_devices.size(), 64u);
    EXPECT_EQ(dx.m_devices[0].name, "hw:CARD=C0,DEV=0");
    EXPECT_EQ(dx.m_devices[0].description, "Card 0");
    EXPECT_EQ(dx.m_devices[0].module, "hw");
    EXPECT_EQ(dx.m_devices[63].description, "Card 63");
}

TEST_F(AudioInDxTest, NotificationOffsetsEndEachSegment)
{
    BlockRecorder sink;
    CAudioIn_DX dx;
    dx.m_strDeviceName = "null";
    InputDeviceConfig config;
    config.sampleRate = 44100;
    config.channels = 2;
    ASSERT_EQ(dx.Open(config, sink), 0) << dx.GetLastError();
    EXPECT_EQ(dx.m_nNotifySize, 2756u);
    EXPECT_EQ(dx.m_nBufferSize, 176384u);
    ASSERT_EQ(dx.m_notifyPositions.size(), 64u);
    EXPECT_EQ(dx.m_notifyPositions[0], 2755u);
    EXPECT_EQ(dx.m_notifyPositions[1], 5511u);
    EXPECT_EQ(dx.m_notifyPositions[63], 176383u);
    dx.Close();
}

TEST_F(AudioInDxTest, FileDeviceDeliversSampleExactAcrossTheBufferWrap)
{
    // 48000 Hz stereo: a one-second capture buffer; 1.25 s of signal wraps it.
    const std::size_t frames = 60000;
    std::vector<std::int16_t> signal(frames * 2);
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<std::int16_t>((i * 2654435761u) >> 16);
    const auto infile = m_home.File("dx.raw");
    ASSERT_TRUE(testsupport::WriteBytes(
        infile, std::string_view(reinterpret_cast<const char*>(signal.data()), signal.size() * 2)));
    m_alsa.AddFileDevice("tessarin_dx", infile, {});
    m_alsa.Apply();

    BlockRecorder sink;
    CAudioIn_DX dx;
    dx.m_strDeviceName = "tessarin_dx";
    InputDeviceConfig config;
    config.sampleRate = 48000;
    config.channels = 2;
    config.bufferFrames = 1000;  // smaller than a 3000-frame segment: three pieces per segment
    config.bits = 24;            // the capture is 16-bit whatever the setting
    ASSERT_EQ(dx.Open(config, sink), 0) << dx.GetLastError();
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
    {
        {
            std::lock_guard lock(sink.m_mutex);
            if (sink.m_pcm.size() >= signal.size() + 48000 * 2)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    dx.Pause();
    const std::size_t afterPause = sink.Blocks();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(sink.Blocks(), afterPause) << "nothing arrives after a pause";
    dx.Close();
    std::lock_guard lock(sink.m_mutex);
    ASSERT_GE(sink.m_pcm.size(), signal.size() + 48000 * 2) << "more than one buffer's length";
    for (std::size_t size : sink.m_blockSizes)
        ASSERT_LE(size, 2000u) << "at most one engine block per delivery";
    EXPECT_TRUE(std::equal(signal.begin(), signal.end(), sink.m_pcm.begin())) << "sample-exact";
    EXPECT_EQ(dx.GetLostBytes(), 0);
}

TEST_F(AudioInDxTest, DeviceThatIsNotThereIsAPlainMessageAndStartDoesNothing)
{
    BlockRecorder sink;
    CAudioIn_DX dx;
    dx.m_strDeviceName = "tessarin_absent";
    InputDeviceConfig config;
    EXPECT_EQ(dx.Open(config, sink), -1);
    EXPECT_NE(dx.GetLastError().find("is not present"), std::string::npos) << dx.GetLastError();
    EXPECT_EQ(dx.Start(), -1);
    dx.Pause();
    dx.Close();
    EXPECT_EQ(sink.Blocks(), 0u);
}

}  // namespace
