// The wave-input back-end through the real ALSA code: a `file` device feeds a known signal into
// the block intake sample-exact, the "null" device runs at the block rate, and a device that cannot
// be opened is a plain message after which the engine still opens another input.
#include "engine/AudioInSim.h"
#include "engine/AudioInWave.h"
#include "engine/SoundIn.h"

#include "tests/engine/BlockRecorder.h"
#include "tests/support/AlsaTestConfig.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace
{
class AudioInWaveTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "the ALSA configuration files are not installed";
    }
    testsupport::AlsaTestConfig m_alsa{m_home.Root()};
};

// Waits up to 5 s until the engine has collected `frames` frames.
void WaitForFrames(const CSoundIn& engine, std::int64_t frames)
{
    const auto start = std::chrono::steady_clock::now();
    while (engine.m_nCollectedFrames.load() < frames &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

class MessageRecorder : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { m_messages.push_back(text); }
    std::vector<std::string> m_messages;
};

TEST_F(AudioInWaveTest, FileDeviceDeliversTheKnownSignalSampleExact)
{
    // 2 channels x 5000 frames of a pattern no two frames share.
    std::vector<std::int16_t> signal(10000);
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<std::int16_t>((i * 2654435761u) >> 16);
    const auto infile = m_home.File("signal.raw");
    ASSERT_TRUE(testsupport::WriteBytes(
        infile, std::string_view(reinterpret_cast<const char*>(signal.data()), signal.size() * 2)));
    m_alsa.AddFileDevice("tessarin_signal", infile, {});
    m_alsa.Apply();

    BlockRecorder sink;
    CAudioIn_Wave input;
    input.m_strDeviceName = "tessarin_signal";
    InputDeviceConfig config;
    config.sampleRate = 48000;
    config.channels = 2;
    config.bufferFrames = 256;
    config.bufferCount = 8;
    ASSERT_EQ(input.Open(config, sink), 0) << input.GetLastError();
    ASSERT_TRUE(sink.WaitForBlocks(5000 / 256 + 2, std::chrono::seconds(10)));
    input.Close();
    std::lock_guard lock(sink.m_mutex);
    for (std::size_t size : sink.m_blockSizes)
        ASSERT_EQ(size, 512u) << "whole buffers of 256 stereo frames";
    ASSERT_GE(sink.m_pcm.size(), signal.size());
    EXPECT_TRUE(std::equal(signal.begin(), signal.end(), sink.m_pcm.begin())) << "sample-exact";
    EXPECT_EQ(input.GetDroppedBuffers(), 0);
}

TEST_F(AudioInWaveTest, StopKeepsFilledBuffersAndStartDeliversThemInOrder)
{
    std::vector<std::int16_t> signal(4096);
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<std::int16_t>(i + 1);
    const auto infile = m_home.File("ramp.raw");
    ASSERT_TRUE(testsupport::WriteBytes(
        infile, std::string_view(reinterpret_cast<const char*>(signal.data()), signal.size() * 2)));
    m_alsa.AddFileDevice("tessarin_ramp", infile, {});
    m_alsa.Apply();

    BlockRecorder sink;
    CAudioIn_Wave input;
    input.m_strDeviceName = "tessarin_ramp";
    InputDeviceConfig config;
    config.sampleRate = 8000;  // 16 ms per buffer
    config.channels = 1;
    config.bufferFrames = 128;
    config.bufferCount = 64;
    ASSERT_EQ(input.Open(config, sink), 0) << input.GetLastError();
    ASSERT_TRUE(sink.WaitForBlocks(2, std::chrono::seconds(5)));
    input.Pause();
    EXPECT_EQ(input.Stop(), 0) << "a second stop is harmless";
    EXPECT_EQ(input.Start(), 0);
    EXPECT_EQ(input.Start(), -1) << "already running";
    ASSERT_TRUE(sink.WaitForBlocks(12, std::chrono::seconds(5)));
    input.Close();
    std::lock_guard lock(sink.m_mutex);
    // Whatever the stop cut short comes back in order: the ramp has no gap and no repeat.
    for (std::size_t i = 0; i + 1 < sink.m_pcm.size() && sink.m_pcm[i + 1] != 0; ++i)
        ASSERT_EQ(sink.m_pcm[i + 1], sink.m_pcm[i] + 1) << i;
}

TEST_F(AudioInWaveTest, NullDeviceRunsOneSecondAtTheBlockRate)
{
    BlockRecorder sink;
    CAudioIn_Wave input;
    input.m_strDeviceName = "null";
    InputDeviceConfig config;
    config.sampleRate = 48000;
    config.channels = 2;
    config.bufferFrames = 960;  // 50 buffers a second
    config.bufferCount = 20;
    ASSERT_EQ(input.Open(config, sink), 0) << input.GetLastError();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    input.Close();
    std::lock_guard lock(sink.m_mutex);
    EXPECT_LE(sink.m_blockSizes.size(), 51u) << "not faster than real time";
    EXPECT_GE(sink.m_blockSizes.size(), 25u);
    for (std::int16_t s : sink.m_pcm)
        ASSERT_EQ(s, 0);
}

TEST_F(AudioInWaveTest, RefusalsLeaveTheBackEndClosed)
{
    BlockRecorder sink;
    CAudioIn_Wave input;
    EXPECT_EQ(input.Start(), -1) << "start when closed";
    EXPECT_EQ(input.Stop(), -1) << "stop when closed";
    input.m_strDeviceName = "tessarin_absent";
    InputDeviceConfig config;
    EXPECT_EQ(input.Open(config, sink), -1);
    EXPECT_NE(input.GetLastError().find("is not present"), std::string::npos) << input.GetLastError();
    EXPECT_EQ(input.m_bOpen.load(), 0);
    input.Close();

    CAudioIn_Wave byIndex;
    config.deviceIndex = 100000;
    EXPECT_EQ(byIndex.Open(config, sink), -1);
    EXPECT_NE(byIndex.GetLastError().find("is not present"), std::string::npos) << byIndex.GetLastError();
}

TEST_F(AudioInWaveTest, DeviceListStartsAtTheDefaultDeviceAndOffersNoSilence)
{
    std::vector<std::string> names{"stale"};
    const int count = EnumWaveInDevices(names);
    EXPECT_EQ(count, static_cast<int>(names.size()));
    ASSERT_GE(count, 1);
    // Device 0, what a new installation measures from, is the system's default capture device.
    EXPECT_NE(names[0].find("(default)"), std::string::npos) << names[0];
    // "null" is listed by ALSA but captures nothing but digital silence.
    EXPECT_EQ(std::find_if(names.begin(), names.end(),
                           [](const std::string& name) { return name.find("(null)") != std::string::npos; }),
              names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "stale"), names.end());
    EXPECT_EQ(ListCaptureDevices().size(), names.size());
}

TEST_F(AudioInWaveTest, WithoutAnyCaptureDeviceTheSimulatedInputRunsAndTheUserIsToldOnce)
{
    {
        platform::audio::AlsaPcm probe;
        platform::audio::PcmConfig config;
        config.device = kDefaultCaptureDevice;
        config.direction = platform::audio::Direction::Capture;
        if (probe.Open(config) == 0 || ListCaptureDevices().size() > 1)
            GTEST_SKIP() << "this machine has a capture device";
    }
    MessageRecorder messages;
    CSoundIn engine;
    engine.SetNotifications(&messages);
    ASSERT_TRUE(engine.InitDefaults());
    engine.SetInputDevice(CSoundIn::kInputWave, std::make_unique<CAudioIn_Wave>());
    engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
    ASSERT_EQ(engine.m_nInputMode, CSoundIn::kInputWave);
    ASSERT_EQ(engine.m_nCaptureDevice, 0);
    for (int round = 0; round < 3; ++round)
    {
        SCOPED_TRACE(round);
        ASSERT_EQ(engine.OpenInput(), 0);
        engine.RestartInput();
        EXPECT_EQ(engine.m_nInputMode, CSoundIn::kInputSimulated);
        EXPECT_TRUE(engine.IsInputFallback());
        EXPECT_EQ(engine.GetInputName(), "Simulated input (1 kHz sine)");
        WaitForFrames(engine, 1);
        EXPECT_GT(engine.m_nCollectedFrames.load(), 0);
        engine.StopInput();
        // The next start tries the capture device again.
        engine.m_nInputMode = CSoundIn::kInputWave;
    }
    // Said once, naming the input that runs instead.
    ASSERT_EQ(messages.m_messages.size(), 1u);
    EXPECT_EQ(messages.m_messages[0].rfind(CSoundIn::kNoCaptureDeviceMessage, 0), 0u)
        << messages.m_messages[0];
}

TEST_F(AudioInWaveTest, TheInputNameSaysWhichDeviceRuns)
{
    const std::filesystem::path signal = m_home.Root() / "named.raw";
    testsupport::WriteBytes(signal, std::string(65536, '\0'));
    m_alsa.AddFileDevice("tessarin_named", signal, {});
    m_alsa.Apply();
    MessageRecorder messages;
    CSoundIn engine;
    engine.SetNotifications(&messages);
    ASSERT_TRUE(engine.InitDefaults());
    auto wave = std::make_unique<CAudioIn_Wave>();
    wave->m_strDeviceName = "tessarin_named";
    engine.SetInputDevice(CSoundIn::kInputWave, std::move(wave));
    engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
    ASSERT_EQ(engine.OpenInput(), 0) << (messages.m_messages.empty() ? "" : messages.m_messages[0]);
    EXPECT_EQ(engine.GetInputName(), "ALSA \"tessarin_named\"");
    EXPECT_FALSE(engine.IsInputFallback());
    engine.StopInput();
    engine.m_nInputMode = CSoundIn::kInputSimulated;
    EXPECT_EQ(engine.GetInputName(), "Simulated input (1 kHz sine)");
    EXPECT_FALSE(engine.IsInputFallback()) << "chosen, not standing in";
}

TEST_F(AudioInWaveTest, EngineReportsADeviceItCannotOpenAndStaysUsable)
{
    MessageRecorder messages;
    CSoundIn engine;
    engine.SetNotifications(&messages);
    ASSERT_TRUE(engine.InitDefaults());
    auto wave = std::make_unique<CAudioIn_Wave>();
    wave->m_strDeviceName = "tessarin_absent";
    engine.SetInputDevice(CSoundIn::kInputWave, std::move(wave));
    engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
    engine.m_nInputMode = CSoundIn::kInputWave;
    EXPECT_EQ(engine.OpenInput(), -1);
    ASSERT_EQ(messages.m_messages.size(), 1u);
    EXPECT_NE(messages.m_messages[0].find("\"tessarin_absent\" is not present"), std::string::npos)
        << messages.m_messages[0];
    EXPECT_EQ(engine.GetState(), CSoundIn::kStateStopped);

    engine.m_nInputMode = CSoundIn::kInputSimulated;
    ASSERT_EQ(engine.OpenInput(), 0);
    engine.RestartInput();
    WaitForFrames(engine, 1);
    EXPECT_GT(engine.m_nCollectedFrames.load(), 0) << "the simulated input feeds the engine";
    engine.StopInput();
}

TEST_F(AudioInWaveTest, EngineRunsOnTheNullDevice)
{
    MessageRecorder messages;
    CSoundIn engine;
    engine.SetNotifications(&messages);
    ASSERT_TRUE(engine.InitDefaults());
    auto wave = std::make_unique<CAudioIn_Wave>();
    wave->m_strDeviceName = "null";
    engine.SetInputDevice(CSoundIn::kInputWave, std::move(wave));
    engine.m_nInputMode = CSoundIn::kInputWave;
    ASSERT_EQ(engine.OpenInput(), 0) << (messages.m_messages.empty() ? "" : messages.m_messages[0]);
    engine.RestartInput();
    WaitForFrames(engine, 4096);
    EXPECT_GE(engine.m_nCollectedFrames.load(), 4096);
    engine.StopInput();
    EXPECT_TRUE(messages.m_messages.empty());
}

}  // namespace
