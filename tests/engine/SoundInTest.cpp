#include "engine/SoundIn.h"

#include "engine/TestSignalSource.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace std::chrono_literals;

// Records what the engine asks of the user interface.
class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(text);
    }
    void FatalError(const std::string& text) override
    {
        std::lock_guard lock(m_mutex);
        m_fatal.push_back(text);
    }
    std::vector<std::string> Messages()
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_fatal;
};

// An input back-end for tests: a thread that delivers interleaved blocks of a running ramp (frame
// n, channel c carries (n mod 2^14) + c / 64 scaled into +-1) as 16-bit or float samples until it is
// paused or closed. It can refuse to open and can fix its own format.
class TestInput : public CInputDevice
{
public:
    struct Options
    {
        bool pcm16 = false;
        bool refuse = false;
        bool silent = false;     // opens without delivering anything
        int formatChannels = 0;  // > 0: the source fixes its channel count
        int formatRate = 0;
        std::chrono::microseconds period = 200us;
    };

    explicit TestInput(Options options) : m_options(options) {}
    ~TestInput() override { Close(); }

    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override
    {
        ++m_opens;
        if (m_options.refuse)
            return -1;
        m_config = config;
        m_sink = &sink;
        if (m_options.silent)
            return 0;
        m_run = true;
        m_paused = false;
        m_thread = std::thread([this] { Run(); });
        return 0;
    }
    bool QueryFormat(int& channels, int& sampleRate) override
    {
        if (m_options.formatChannels <= 0)
            return false;
        channels = m_options.formatChannels;
        sampleRate = m_options.formatRate;
        return true;
    }
    void Pause() override
    {
        std::unique_lock lock(m_mutex);
        m_paused = true;
        m_changed.wait(lock, [this] { return !m_delivering; });
    }
    void Resume() override
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
        m_changed.notify_all();
    }
    void Close() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_run = false;
            m_changed.notify_all();
        }
        if (m_thread.joinable())
            m_thread.join();
        ++m_closes;
    }
    std::string GetLastError() const override { return m_options.refuse ? "Device busy." : ""; }

    // Deliveries that happened while the engine said the source was paused or closed.
    std::atomic<int> m_opens{0};
    std::atomic<int> m_closes{0};
    std::atomic<std::int64_t> m_blocks{0};
    InputDeviceConfig m_config;

private:
    void Run()
    {
        const int channels = m_config.channels;
        const int frames = m_config.bufferFrames;
        std::vector<float> floats(static_cast<std::size_t>(frames * channels));
        std::vector<std::int16_t> pcm(static_cast<std::size_t>(frames * channels));
        std::int64_t next = 0;
        std::unique_lock lock(m_mutex);
        while (m_run)
        {
            if (m_paused)
            {
                m_changed.wait(lock, [this] { return !m_run || !m_paused; });
                continue;
            }
            m_delivering = true;
            lock.unlock();
            for (int i = 0; i < frames; ++i)
                for (int c = 0; c < channels; ++c)
                {
                    const auto k = static_cast<std::size_t>(i * channels + c);
                    pcm[k] = static_cast<std::int16_t>((next + i) % 16384 + c);
                    floats[k] = static_cast<float>(pcm[k]) / 32768.0f;
                }
            if (m_options.pcm16)
                m_sink->OnPcm16Block(pcm);
            else
                m_sink->OnFloatBlock(floats, frames);
            next += frames;
            ++m_blocks;
            lock.lock();
            m_delivering = false;
            m_changed.notify_all();
            m_changed.wait_for(lock, m_options.period, [this] { return !m_run || m_paused; });
        }
    }

    Options m_options;
    CInputBlockSink* m_sink = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_run = false;
    bool m_paused = false;
    bool m_delivering = false;
    std::thread m_thread;
};

// An engine whose analysis keeps a copy of every block it takes (first `kKeep` frames of each
// channel) and counts them.
class RecordingEngine : public CSoundIn
{
public:
    // The analysis thread calls into this class: it must end before this part is destroyed.
    ~RecordingEngine() override { StopInput(); }

    int AnalyzeFftBlock() override
    {
        const int taken = CSoundIn::AnalyzeFftBlock();
        if (taken > 0)
        {
            // The block as it was read: the analysis leaves its time signal in the time display
            // (the analysis block itself then holds the spectrum).
            std::lock_guard lock(m_mutex);
            if (m_keep)
            {
                std::lock_guard display(m_displayLock);
                m_blocks.emplace_back(
                    m_timeDisplay.begin(),
                    m_timeDisplay.begin() + static_cast<std::ptrdiff_t>(taken) * m_nAnalysisChannels);
            }
            ++m_analyses;
        }
        return taken;
    }
    std::vector<std::vector<float>> Blocks()
    {
        std::lock_guard lock(m_mutex);
        return m_blocks;
    }
    std::int64_t Analyses()
    {
        std::lock_guard lock(m_mutex);
        return m_analyses;
    }
    bool m_keep = true;

private:
    std::mutex m_mutex;
    std::vector<std::vector<float>> m_blocks;
    std::int64_t m_analyses = 0;
};

// Waits up to five seconds for a condition that another thread makes true.
template <typename Condition>
bool Eventually(Condition condition)
{
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Frame n of the ring holds the row value at row position n: the first `frames` of every plane.
float RingSample(const CSoundIn& engine, int channel, int frame)
{
    return engine
        .m_ringStorage[static_cast<std::size_t>(channel) * static_cast<std::size_t>(engine.m_nRingLength) +
                       static_cast<std::size_t>(frame)];
}

// ---------------------------------------------------------------------------------------------
// Engine object

TEST(SoundInTest, FreshEngineHasTheDefaults)
{
    CSoundIn engine;
    EXPECT_EQ(engine.GetAnalyzerMode(), 0);
    EXPECT_EQ(engine.GetState(), CSoundIn::kStateStopped);
    EXPECT_EQ(engine.m_nSampleRate, 44100);
    EXPECT_EQ(engine.m_nBitsPerSample, 16);
    EXPECT_EQ(engine.m_nFftSize, 512);
    EXPECT_EQ(engine.m_nAnalysisChannels, 1);
    EXPECT_EQ(engine.m_nChannelMode, 1);
    EXPECT_EQ(engine.m_nDisplayLength, 256);
    EXPECT_EQ(engine.m_spectrumDisplay.size(), 512u);
    EXPECT_EQ(CSoundIn::GetEngine(), &engine);
    EXPECT_EQ(engine.GetTriggerModeName(), "Level");
}

TEST(SoundInTest, AnalyzerModesReadBackAsTheTableSays)
{
    CSoundIn engine;
    const struct
    {
        int code, readBack;
        bool frequencyAxis;
    } cases[] = {{0, 0, true},     {1, 1, false}, {2, 2, true},  {3, 3, true}, {4, 4, false},
                 {5, 5, true},     {6, 0, true},  {7, 7, false}, {8, 8, true}, {256, 256, true},
                 {257, 257, true}, {36, 0, true}, {9, 0, true},  {-1, 0, true}};
    for (const auto& c : cases)
    {
        engine.SetAnalyzerMode(4);  // leave flags behind that the next code must clear
        engine.SetAnalyzerMode(c.code);
        EXPECT_EQ(engine.GetAnalyzerMode(), c.readBack) << c.code;
        EXPECT_EQ(engine.IsFrequencyAxisMode(), c.frequencyAxis) << c.code;
    }
    EXPECT_EQ(engine.m_bMode6, 0);
    engine.SetAnalyzerMode(6);
    EXPECT_EQ(engine.m_bMode6, 1);  // stored, not reported
    // The impulse variant is set elsewhere and reads back as 36, a time-axis mode.
    engine.SetAnalyzerMode(4);
    engine.m_bImpulseVariant = 1;
    EXPECT_EQ(engine.GetAnalyzerMode(), 36);
    EXPECT_FALSE(engine.IsFrequencyAxisMode());
}

TEST(SoundInTest, InitDefaultsKeepsSufficientDisplayBuffersAndZeroesThem)
{
    CSoundIn engine;
    engine.m_spectrumDisplay[3] = 5.0f;
    engine.m_fourthDisplay[7] = 2.0f;
    const float* before = engine.m_spectrumDisplay.data();
    engine.InitDefaults();
    EXPECT_EQ(engine.m_spectrumDisplay.data(), before);
    EXPECT_EQ(engine.m_spectrumDisplay[3], 0.0f);
    EXPECT_EQ(engine.m_fourthDisplay[7], 0.0f);
}

TEST(SoundInTest, TriggerModeNamesAndArming)
{
    CSoundIn engine;
    const struct
    {
        int mode;
        const char* name;
    } names[] = {{0, "Off"}, {1, "Level"}, {2, "Slope"}, {3, "RMS"}, {4, ""}};
    for (const auto& n : names)
    {
        engine.m_nTriggerMode = n.mode;
        EXPECT_EQ(engine.GetTriggerModeName(), n.name);
    }
    engine.SetTriggerDefaults();
    EXPECT_FALSE(engine.IsTriggerArmed());  // scope only, and not in scope mode
    engine.SetAnalyzerMode(1);
    EXPECT_TRUE(engine.IsTriggerArmed());
    engine.m_nTriggerRepeat = -1;
    EXPECT_FALSE(engine.IsTriggerArmed());
    engine.m_nTriggerRepeat = 0;
    engine.m_nTriggerMode = CSoundIn::kTriggerOff;
    EXPECT_FALSE(engine.IsTriggerArmed());
    // RMS starts its power average at level^2 / 100 (x 100 for negative polarity).
    engine.m_nTriggerMode = CSoundIn::kTriggerRms;
    engine.m_dTriggerLevel = 0.5;
    engine.ResetTrigger();
    EXPECT_DOUBLE_EQ(engine.m_dTriggerPower, 0.0025);
    engine.m_bTriggerNegative = 1;
    engine.ResetTrigger();
    EXPECT_DOUBLE_EQ(engine.m_dTriggerPower, 25.0);
}

// ---------------------------------------------------------------------------------------------
// Input lifecycle

struct GeometryCase
{
    const char* name;
    int mode, fftSize, mlsLength, chirp;
    int blockLength, displayLength, deviceBuffer, mlsOrder, ringLength;
};

class SoundInGeometry : public ::testing::TestWithParam<GeometryCase>
{
};

TEST_P(SoundInGeometry, OpenSizesTheAnalysis)
{
    const auto& g = GetParam();
    CSoundIn engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.SetAnalyzerMode(g.mode);
    engine.m_nFftSize = g.fftSize;
    engine.m_nMlsLength = g.mlsLength;
    engine.m_bChirpExcitation = g.chirp;
    ASSERT_EQ(engine.OpenInput(), 0);
    EXPECT_EQ(engine.m_nBlockLength.load(), g.blockLength);
    EXPECT_EQ(engine.m_nDisplayLength, g.displayLength);
    EXPECT_EQ(engine.m_nDeviceBufferFrames.load(), g.deviceBuffer);
    EXPECT_EQ(engine.m_nMlsOrder, g.mlsOrder);
    EXPECT_EQ(engine.m_nRingLength, g.ringLength);
    EXPECT_EQ(engine.m_ringStorage.size(), static_cast<std::size_t>(g.ringLength));
    engine.StopInput();
    EXPECT_TRUE(engine.m_ringStorage.empty());
    EXPECT_EQ(engine.m_nRingLength, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SoundInGeometry,
    ::testing::Values(GeometryCase{"Defaults", 0, 512, 1023, 0, 512, 256, 1024, 10, 88713},
                      GeometryCase{"Mls", 2, 512, 1023, 0, 1023, 256, 1024, 10, 89224},
                      GeometryCase{"MlsChirp", 2, 512, 1023, 1, 1024, 256, 1024, 10, 89225},
                      GeometryCase{"ScopeLarge", 1, 32768, 1023, 0, 32768, 32768, 16384, 10, 120969}),
    [](const auto& info) { return std::string(info.param.name); });

class SoundInLifecycle : public ::testing::Test
{
protected:
    void SetUp() override { m_engine.SetNotifications(&m_notes); }

    TestInput* Install(TestInput::Options options)
    {
        auto input = std::make_unique<TestInput>(options);
        TestInput* raw = input.get();
        m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::move(input));
        m_engine.m_nInputMode = CSoundIn::kInputSimulated;
        return raw;
    }

    RecordingNotifications m_notes;
    RecordingEngine m_engine;
};

TEST_F(SoundInLifecycle, StatesFollowEveryAllowedTransition)
{
    TestInput* input = Install({});
    m_engine.m_keep = false;

    // From stopped, only OpenInput does anything.
    m_engine.PauseInput();
    m_engine.RestartInput();
    m_engine.StopInput();
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateStopped);
    EXPECT_EQ(input->m_opens.load(), 0);

    ASSERT_EQ(m_engine.OpenInput(), 0);
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateOpen);
    EXPECT_EQ(m_engine.m_bOpened.load(), 1);
    // Open analyses but does not publish.
    ASSERT_TRUE(Eventually([&] { return m_engine.Analyses() > 2; }));
    EXPECT_EQ(m_engine.m_nAnalysisCounter.load(), 0);
    m_engine.PauseInput();  // only from running
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateOpen);

    m_engine.RestartInput();
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateRunning);
    EXPECT_TRUE(m_engine.IsRunning());
    EXPECT_EQ(m_engine.m_bPaused.load(), 0);
    ASSERT_TRUE(Eventually([&] { return m_engine.m_nAnalysisCounter.load() > 2; }));

    m_engine.PauseInput();
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStatePaused);
    EXPECT_EQ(m_engine.m_bPaused.load(), 1);
    // A paused source delivers nothing.
    const std::int64_t pausedAt = input->m_blocks.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(input->m_blocks.load(), pausedAt);

    m_engine.RestartInput();
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateRunning);
    ASSERT_TRUE(Eventually([&] { return input->m_blocks.load() > pausedAt + 2; }));

    m_engine.StopInput();
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateStopped);
    EXPECT_EQ(m_engine.m_bOpened.load(), 0);
    EXPECT_FALSE(m_engine.m_bAnalysisAlive.load());
    const std::int64_t stoppedAt = input->m_blocks.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(input->m_blocks.load(), stoppedAt);

    // Open again after a stop, and stop from open and from paused.
    ASSERT_EQ(m_engine.OpenInput(), 0);
    m_engine.StopInput();
    ASSERT_EQ(m_engine.OpenInput(), 0);
    m_engine.RestartInput();
    m_engine.PauseInput();
    m_engine.StopInput();
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateStopped);
    EXPECT_EQ(input->m_opens.load(), 3);
    EXPECT_TRUE(m_notes.Messages().empty());
}

// A device that will not open must not look like an open input.
TEST_F(SoundInLifecycle, DeviceThatFailsToOpenIsReportedAsFailure)
{
    Install({.refuse = true});
    EXPECT_EQ(m_engine.OpenInput(), -1);
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateStopped);
    EXPECT_EQ(m_engine.m_bOpened.load(), 0);
    EXPECT_FALSE(m_engine.m_bAnalysisAlive.load());
    EXPECT_TRUE(m_engine.m_ringStorage.empty());
    const auto messages = m_notes.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Device busy."), std::string::npos);
    // Nothing reaches the ring of a failed open.
    const std::vector<float> block(2048, 0.5f);
    m_engine.ProcessFloatBlock(block, 1024);
    EXPECT_EQ(m_engine.m_nCollectedFrames.load(), 0);

    // An input mode whose back-end is missing fails the same way.
    CSoundIn other;
    other.SetNotifications(&m_notes);
    other.m_nInputMode = CSoundIn::kInputWave;
    EXPECT_EQ(other.OpenInput(), -1);
    EXPECT_EQ(m_notes.Messages().size(), 2u);
}

TEST_F(SoundInLifecycle, SourceWithItsOwnFormatSetsChannelsAndRate)
{
    TestInput* input = Install({.formatChannels = 5, .formatRate = 48000});
    ASSERT_EQ(m_engine.OpenInput(), 0);
    EXPECT_EQ(m_engine.m_nAnalysisChannels, 5);
    EXPECT_EQ(m_engine.m_nSampleRate, 48000);
    EXPECT_EQ(input->m_config.channels, 5);
    EXPECT_EQ(m_engine.m_nRingLength, 513 + 96000);
    m_engine.StopInput();

    Install({.formatChannels = 65});
    EXPECT_EQ(m_engine.OpenInput(), -1);
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateStopped);
}

// Stop, restart and pause while the source delivers from its own thread, repeatedly (for the
// thread sanitiser as much as for the states).
TEST_F(SoundInLifecycle, CyclesWhileTheSourceDelivers)
{
    Install({.pcm16 = true, .period = 50us});
    m_engine.m_nChannelMode = 3;
    m_engine.m_keep = false;
    for (int round = 0; round < 15; ++round)
    {
        ASSERT_EQ(m_engine.OpenInput(), 0);
        m_engine.RestartInput();
        std::this_thread::sleep_for(2ms);
        m_engine.PauseInput();
        m_engine.RestartInput();
        ASSERT_EQ(m_engine.SetFftSize(256), true);
        std::this_thread::sleep_for(2ms);
        m_engine.StopInput();
        m_engine.m_nFftSize = 512;
    }
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateStopped);
    EXPECT_GT(m_engine.Analyses(), 0);
}

TEST(SoundInTest, SetFftSizeRefusesWhatTheOpenBuffersCannotHold)
{
    CSoundIn engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    EXPECT_FALSE(engine.SetFftSize(1000));
    EXPECT_FALSE(engine.SetFftSize(0));
    EXPECT_TRUE(engine.SetFftSize(1024));
    ASSERT_EQ(engine.OpenInput(), 0);
    EXPECT_FALSE(engine.SetFftSize(2048));
    EXPECT_TRUE(engine.SetFftSize(256));
    EXPECT_EQ(engine.m_nBlockLength.load(), 256);
    EXPECT_EQ(engine.m_nDisplayLength, 128);
    engine.StopInput();
}

TEST(TestSignalSourceTest, BlocksStartAtPhaseZeroAndRepeat)
{
    std::vector<float> block(6 * 2);
    CTestSignalSource::FillBlock(block, 6, 2, 48000);
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_NEAR(block[static_cast<std::size_t>(2 * i)], std::sin(1000.0 * i * 2 * M_PI / 48000), 1e-6);
        EXPECT_NEAR(block[static_cast<std::size_t>(2 * i + 1)], std::sin(2000.0 * i * 2 * M_PI / 48000),
                    1e-6);
    }

    // Through the engine: input mode 3 delivers identical blocks.
    RecordingEngine engine;
    engine.m_nInputMode = CSoundIn::kInputTestSignal;
    engine.m_nChannelMode = 3;
    ASSERT_EQ(engine.OpenInput(), 0);
    ASSERT_TRUE(Eventually([&] { return engine.Analyses() >= 4; }));
    engine.StopInput();
    const auto blocks = engine.Blocks();
    // 1024 frames per delivery, 512 per analysis block: blocks 0 and 2 start a delivery each.
    ASSERT_GE(blocks.size(), 4u);
    EXPECT_EQ(blocks[0], blocks[2]);
    EXPECT_NEAR(blocks[0][1], std::sin(1000.0 * 2 * M_PI / 44100), 1e-5);
    EXPECT_NEAR(blocks[0][512 + 1], std::sin(2000.0 * 2 * M_PI / 44100), 1e-5);
}

// ---------------------------------------------------------------------------------------------
// Block intake and collection

// An engine opened without a source, fed by the test's own calls.
class SoundInIntake : public ::testing::Test
{
protected:
    void Open(int channelMode = 0)
    {
        m_engine.m_nInputMode = CSoundIn::kInputNone;
        m_engine.m_nChannelMode = channelMode;
        ASSERT_EQ(m_engine.OpenInput(), 0);
        m_engine.RestartInput();
    }
    void TearDown() override { m_engine.StopInput(); }

    RecordingEngine m_engine;
};

TEST_F(SoundInIntake, Pcm16BecomesFloatsScaledToFullScaleWithDither)
{
    Open(0);
    std::vector<std::int16_t> block(1024);
    const std::int16_t values[] = {32767, -32768, 0, 16384, -1};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = values[i % 5];
    m_engine.ProcessPcm16Block(block);
    double ditherSum = 0.0;
    for (int i = 0; i < 1024; ++i)
    {
        const double expected = values[i % 5] / 32768.0;
        const double x = RingSample(m_engine, 0, i);
        ASSERT_LE(std::abs(x - expected), 0.005 + 1e-6) << i;
        ditherSum += x - expected;
    }
    // The dither is centred: its mean over 1024 samples stays far below its width.
    EXPECT_LT(std::abs(ditherSum / 1024), 0.0005);
    EXPECT_NEAR(RingSample(m_engine, 0, 0), 0.99997, 0.005 + 1e-5);
}

struct ChannelCase
{
    bool pcm16;
    int channels;
};

class SoundInChannels : public ::testing::TestWithParam<ChannelCase>
{
};

// Interleaved frames of 1 to 64 channels become one row per channel.
TEST_P(SoundInChannels, InterleavedBlocksSplitPerChannel)
{
    const auto p = GetParam();
    RecordingEngine engine;
    // The source only fixes the format; the test delivers the block itself.
    engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<TestInput>(TestInput::Options{
                                                         .silent = true, .formatChannels = p.channels}));
    engine.m_nInputMode = CSoundIn::kInputSimulated;
    engine.m_bSwapChannels = 0;
    ASSERT_EQ(engine.OpenInput(), 0);
    const int frames = 700;
    engine.m_nDeviceBufferFrames.store(frames);
    std::vector<std::int16_t> pcm(static_cast<std::size_t>(frames * p.channels));
    std::vector<float> floats(pcm.size());
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < p.channels; ++c)
        {
            const auto k = static_cast<std::size_t>(i * p.channels + c);
            pcm[k] = static_cast<std::int16_t>(i * 40 - c * 300);
            floats[k] = static_cast<float>(pcm[k]) / 32768.0f;
        }
    if (p.pcm16)
        engine.ProcessPcm16Block(pcm);
    else
        engine.ProcessFloatBlock(floats, frames);
    const double tolerance = p.pcm16 ? 0.005 + 1e-6 : 0.0;
    for (int c = 0; c < p.channels; ++c)
        for (int i = 0; i < frames; i += 7)
            ASSERT_NEAR(RingSample(engine, c, i), (i * 40 - c * 300) / 32768.0, tolerance) << c << "," << i;
    EXPECT_EQ(engine.m_ring.GetWrittenFrames(), frames);
    engine.StopInput();
}

INSTANTIATE_TEST_SUITE_P(Widths, SoundInChannels,
                         ::testing::Values(ChannelCase{true, 1}, ChannelCase{true, 2}, ChannelCase{true, 3},
                                           ChannelCase{true, 64}, ChannelCase{false, 1},
                                           ChannelCase{false, 2}, ChannelCase{false, 7},
                                           ChannelCase{false, 64}),
                         [](const auto& info) {
                             return std::string(info.param.pcm16 ? "Pcm16_" : "Float_") +
                                    std::to_string(info.param.channels);
                         });

TEST_F(SoundInIntake, ChannelModesPickAndSwapDeviceChannels)
{
    const struct
    {
        int channelMode, swap;
        std::vector<float> expected;  // a frame of each analysis channel
    } cases[] = {
        {1, 0, {0.25f}},         // stereo device, left analysed
        {2, 0, {-0.5f}},         // right analysed
        {3, 0, {0.25f, -0.5f}},  // both
        {3, 1, {-0.5f, 0.25f}},  // both, swapped
    };
    for (const bool pcm16 : {false, true})
        for (const auto& c : cases)
        {
            RecordingEngine engine;
            engine.m_nInputMode = CSoundIn::kInputNone;
            engine.m_nChannelMode = c.channelMode;
            engine.m_bSwapChannels = c.swap;
            ASSERT_EQ(engine.OpenInput(), 0);
            engine.m_nDeviceBufferFrames.store(16);
            std::vector<float> block(2 * 16);
            std::vector<std::int16_t> pcm(2 * 16);
            for (int i = 0; i < 16; ++i)
            {
                block[static_cast<std::size_t>(2 * i)] = 0.25f;
                block[static_cast<std::size_t>(2 * i + 1)] = -0.5f;
                pcm[static_cast<std::size_t>(2 * i)] = 8192;
                pcm[static_cast<std::size_t>(2 * i + 1)] = -16384;
            }
            if (pcm16)
                engine.ProcessPcm16Block(pcm);
            else
                engine.ProcessFloatBlock(block, 16);
            for (std::size_t ch = 0; ch < c.expected.size(); ++ch)
                EXPECT_NEAR(RingSample(engine, static_cast<int>(ch), 5), c.expected[ch],
                            pcm16 ? 0.005 + 1e-6 : 0.0)
                    << (pcm16 ? "pcm16 " : "float ") << c.channelMode << c.swap << ch;
            engine.StopInput();
        }
}

TEST_F(SoundInIntake, ChannelMappedOutsideTheDeviceStaysSilent)
{
    m_engine.m_nSourceChannel[1] = 5;
    Open(3);
    std::vector<float> block(2 * 32, 0.75f);
    m_engine.ProcessFloatBlock(block, 32);
    EXPECT_EQ(RingSample(m_engine, 0, 10), 0.75f);
    EXPECT_EQ(RingSample(m_engine, 1, 10), 0.0f);
}

// The channel matrix's routing reaches a running intake: channel 0 takes the second source at
// +6.0206 dB (twice the amplitude), channel 1 the first; a channel not active is left unconditioned.
TEST_F(SoundInIntake, ChannelRoutingReachesTheRunningIntake)
{
    m_engine.m_dChannelGainDb[1] = 20.0;  // replaced by the routing below
    Open(3);
    std::vector<float> block(2 * 32);
    for (std::size_t i = 0; i < 32; ++i)
    {
        block[2 * i] = 0.25f;
        block[2 * i + 1] = -0.125f;
    }
    m_engine.ProcessFloatBlock(block, 32);
    EXPECT_FLOAT_EQ(RingSample(m_engine, 0, 10), 0.25f);
    EXPECT_NEAR(RingSample(m_engine, 1, 10), -1.25f, 1e-5);

    const std::vector<CSoundIn::ChannelRoute> routes = {{1, 20.0 * std::log10(2.0), true}, {0, 0.0, true}};
    m_engine.SetChannelRouting(routes);
    m_engine.ProcessFloatBlock(block, 32);
    EXPECT_NEAR(RingSample(m_engine, 0, 40), -0.25f, 1e-6);
    EXPECT_FLOAT_EQ(RingSample(m_engine, 1, 40), 0.25f);

    // Not active: no gain is applied to the channel.
    m_engine.SetChannelRouting(std::vector<CSoundIn::ChannelRoute>{{0, 0.0, true}, {1, 20.0, false}});
    m_engine.ProcessFloatBlock(block, 32);
    EXPECT_FLOAT_EQ(RingSample(m_engine, 1, 70), -0.125f);
}

// A frame count is never trusted beyond the samples actually handed over, and a block longer
// than a staging row is taken in pieces.
TEST_F(SoundInIntake, FrameCountsAreBoundedByTheBlock)
{
    Open(0);
    std::vector<float> shortBlock(100, 0.5f);
    m_engine.ProcessFloatBlock(shortBlock, 5000);  // claims 5000 frames, holds 100
    EXPECT_EQ(m_engine.m_ring.GetWrittenFrames(), 100);

    m_engine.m_nDeviceBufferFrames.store(4096);
    std::vector<std::int16_t> pcm(300, 1000);
    m_engine.ProcessPcm16Block(pcm);
    EXPECT_EQ(m_engine.m_ring.GetWrittenFrames(), 400);

    // Longer than a staging row and than the ring: split, the ring keeps what fits.
    m_engine.m_keep = false;
    const int huge = CSoundIn::kStagingFrames + 1000;
    std::vector<float> big(static_cast<std::size_t>(huge), 0.125f);
    m_engine.ProcessFloatBlock(big, huge);
    EXPECT_EQ(m_engine.m_ring.GetWrittenFrames() + m_engine.m_nLostFrames.load(), 400 + huge);
    EXPECT_EQ(m_engine.m_nDeviceBufferFrames.load(), huge);
}

TEST_F(SoundInIntake, CountersSaturateInsteadOfWrapping)
{
    Open(0);
    m_engine.m_keep = false;
    {
        std::lock_guard lock(m_engine.m_inputLock);
        m_engine.m_nCollectedFrames.store(std::numeric_limits<std::int64_t>::max() - 100);
        m_engine.m_nCollectedBlocks.store(std::numeric_limits<std::int64_t>::max());
    }
    std::vector<float> block(512, 0.1f);
    m_engine.ProcessFloatBlock(block, 512);
    EXPECT_EQ(m_engine.m_nCollectedFrames.load(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(m_engine.m_nCollectedBlocks.load(), std::numeric_limits<std::int64_t>::max());
}

// The analysis event fires once per complete block, however the frames arrive.
TEST_F(SoundInIntake, OneAnalysisPerCompleteBlock)
{
    Open(0);
    std::vector<float> block(100);
    std::int64_t next = 0;
    for (int piece = 0; piece < 52; ++piece)  // 5200 frames: ten blocks of 512 and 80 frames over
    {
        for (float& x : block)
            x = static_cast<float>(next++);
        m_engine.ProcessFloatBlock(block, 100);
    }
    EXPECT_EQ(m_engine.m_nCollectedBlocks.load(), 10);
    EXPECT_EQ(m_engine.m_nCurrentCollected, 80);
    ASSERT_TRUE(Eventually([&] { return m_engine.Analyses() == 10; }));
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(m_engine.Analyses(), 10);
    const auto blocks = m_engine.Blocks();
    for (std::size_t b = 0; b < blocks.size(); ++b)
        for (std::size_t i = 0; i < 512; i += 37)
            ASSERT_EQ(blocks[b][i], static_cast<float>(b * 512 + i));
}

// Through many turns of the ring, every frame is analysed once and in order.
TEST_F(SoundInIntake, RingWrapsWithoutLosingOrRepeatingAFrame)
{
    Open(3);
    const int ringLength = m_engine.m_nRingLength;
    std::vector<float> block(2 * 1000);
    std::int64_t next = 0;
    while (next < 5LL * ringLength)
    {
        for (int i = 0; i < 1000; ++i)
        {
            const float v = static_cast<float>((next + i) % (1 << 23));
            block[static_cast<std::size_t>(2 * i)] = v;
            block[static_cast<std::size_t>(2 * i + 1)] = -v;
        }
        ASSERT_TRUE(Eventually([&] { return m_engine.m_ring.GetFree() >= 1000; }));
        m_engine.ProcessFloatBlock(block, 1000);
        next += 1000;
    }
    const std::int64_t complete = next / 512;
    ASSERT_TRUE(Eventually([&] { return m_engine.Analyses() == complete; }));
    const auto blocks = m_engine.Blocks();
    for (std::size_t b = 0; b < blocks.size(); ++b)
        for (std::size_t i = 0; i < 512; ++i)
        {
            const auto v = static_cast<float>((b * 512 + i) % (1 << 23));
            ASSERT_EQ(blocks[b][i], v) << b << "," << i;
            ASSERT_EQ(blocks[b][512 + i], -v) << b << "," << i;
        }
    EXPECT_EQ(m_engine.m_nLostFrames.load(), 0);
}

struct TriggerCase
{
    const char* name;
    int mode, slope, negative;
    double level;
    std::vector<std::pair<int, float>> steps;  // from frame, value
    int fireAt;
    float quiet;  // a value that does not fire again
};

class SoundInTrigger : public ::testing::TestWithParam<TriggerCase>
{
};

// Each trigger mode fires on the sample the rules name; the frames before it go to the ring, one
// further block length completes, and the block analysed is the one that starts at the trigger.
TEST_P(SoundInTrigger, FiresOnTheRightSample)
{
    const auto& t = GetParam();
    RecordingEngine engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nChannelMode = 0;
    engine.SetAnalyzerMode(1);  // scope mode: the trigger applies
    ASSERT_EQ(engine.OpenInput(), 0);
    engine.m_nTriggerMode = t.mode;
    engine.m_nTriggerSlope = t.slope;
    engine.m_bTriggerNegative = t.negative;
    engine.m_dTriggerLevel = t.level;
    engine.ResetTrigger();
    engine.RestartInput();

    std::vector<float> block(512);
    for (int i = 0; i < 512; ++i)
        for (const auto& [from, value] : t.steps)
            if (i >= from)
                block[static_cast<std::size_t>(i)] = value;
    engine.ProcessFloatBlock(block, 512);
    EXPECT_EQ(engine.m_nLastTriggerPos, t.fireAt);
    EXPECT_EQ(engine.m_nTriggerState, CSoundIn::kTriggerCollecting);
    EXPECT_EQ(engine.m_nCurrentCollected, 512 - t.fireAt);
    EXPECT_EQ(engine.m_nCollectedBlocks.load(), 0);

    // The rest of the block completes the collection: one event, then searching again.
    std::vector<float> more(512, t.quiet);
    engine.ProcessFloatBlock(more, 512);
    EXPECT_EQ(engine.m_nCollectedBlocks.load(), 1);
    EXPECT_EQ(engine.m_nTriggerState, CSoundIn::kTriggerSearching);
    ASSERT_TRUE(Eventually([&] { return engine.Analyses() >= 1; }));
    std::this_thread::sleep_for(5ms);
    // The one analysed block is the triggered one: it starts at the trigger sample (no block from
    // before the trigger is analysed).
    EXPECT_EQ(engine.Analyses(), 1);
    const auto blocks = engine.Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0][0], block[static_cast<std::size_t>(t.fireAt)]);
    EXPECT_EQ(blocks[0][511 - t.fireAt], block[511]);
    EXPECT_EQ(blocks[0][512 - t.fireAt], t.quiet);
    engine.StopInput();
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SoundInTrigger,
    ::testing::Values(TriggerCase{"LevelRising", 1, 1, 0, 0.01, {{100, 0.02f}}, 100, 0.0f},
                      TriggerCase{"LevelNegative", 1, 1, 1, 0.01, {{0, 0.5f}, {30, 0.0f}}, 30, 0.5f},
                      // From at or above the level to at or below it within six samples.
                      TriggerCase{
                          "SlopeFalling", 2, 1, 0, 0.1, {{0, 0.0f}, {20, 0.5f}, {23, 0.0f}}, 23, 0.0f},
                      // From below to above: armed at 0, re-armed at 7 after six samples, fires at 10.
                      TriggerCase{"SlopeRising", 2, 0, 0, 0.1, {{0, 0.0f}, {10, 0.5f}}, 10, 0.5f},
                      // Power average 0.125: a step to 0.15 passes 0.1^2 on its fifth sample.
                      TriggerCase{"Rms", 3, 1, 0, 0.1, {{0, 0.0f}, {50, 0.15f}}, 54, 0.0f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SoundInTriggerTest, SingleShotHoldsAfterTheAverageCount)
{
    RecordingEngine engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nChannelMode = 0;
    engine.SetAnalyzerMode(1);
    engine.m_nAverageCount = 4;
    ASSERT_EQ(engine.OpenInput(), 0);
    engine.m_nTriggerRepeat = 0;
    engine.RestartInput();
    std::vector<float> block(512, 0.5f);
    for (int i = 0; i < 20; ++i)
        engine.ProcessFloatBlock(block, 512);
    EXPECT_EQ(engine.m_nCollectedBlocks.load(), 4);
    EXPECT_EQ(engine.m_nTriggerState, CSoundIn::kTriggerHeld);
    // Held: more input collects nothing until the trigger is reset.
    engine.ProcessFloatBlock(block, 512);
    EXPECT_EQ(engine.m_nCollectedBlocks.load(), 4);
    engine.ResetTrigger();
    engine.ProcessFloatBlock(block, 512);
    engine.ProcessFloatBlock(block, 512);
    // The new trigger reset the statistics; its cycle collects on without firing again.
    EXPECT_EQ(engine.m_nCollectedBlocks.load(), 2);
    EXPECT_EQ(engine.m_nTriggerState, CSoundIn::kTriggerCollecting);
    engine.StopInput();
}

// Two sources delivering at once take turns in the intake: every frame of both is collected.
TEST(SoundInConcurrencyTest, TwoSourcesShareTheIntake)
{
    RecordingEngine engine;
    engine.m_keep = false;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nChannelMode = 0;
    ASSERT_EQ(engine.OpenInput(), 0);
    engine.RestartInput();
    constexpr int kBlocks = 2000;
    const auto feed = [&]
    {
        std::vector<float> block(64, 0.5f);
        for (int b = 0; b < kBlocks; ++b)
        {
            while (engine.m_ring.GetFree() < 1024)
                std::this_thread::yield();
            engine.ProcessFloatBlock(block, 64);
        }
    };
    std::thread first(feed);
    std::thread second(feed);
    first.join();
    second.join();
    EXPECT_EQ(engine.m_ring.GetWrittenFrames(), 2 * kBlocks * 64);
    ASSERT_TRUE(Eventually([&] { return engine.m_nAnalyzedFrames.load() == 2 * kBlocks * 64; }));
    engine.StopInput();
}

TEST(SoundInTest, PluginCallbackReachesTheProgramWideEngine)
{
    RecordingEngine engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nChannelMode = 3;
    ASSERT_EQ(engine.OpenInput(), 0);
    std::vector<float> block(2 * 300);
    for (int i = 0; i < 300; ++i)
    {
        block[static_cast<std::size_t>(2 * i)] = 0.5f;
        block[static_cast<std::size_t>(2 * i + 1)] = -0.5f;
    }
    CSoundIn::OnPluginInputBlock(block.data(), 300);
    EXPECT_EQ(engine.m_ring.GetWrittenFrames(), 300);
    EXPECT_EQ(RingSample(engine, 1, 299), -0.5f);
    CSoundIn::OnPluginInputBlock(nullptr, 300);
    CSoundIn::OnPluginInputBlock(block.data(), -5);
    EXPECT_EQ(engine.m_ring.GetWrittenFrames(), 300);

    // After StopInput the intake is closed: blocks are dropped and touch no freed buffer.
    engine.StopInput();
    CSoundIn::OnPluginInputBlock(block.data(), 300);
    std::vector<std::int16_t> pcm(600, 100);
    engine.ProcessPcm16Block(pcm);
    EXPECT_EQ(engine.m_nCollectedFrames.load(), 0);
}

TEST(SoundInTest, OpenGrowsTheDisplayBuffersAndRestartClearsTheSpectrum)
{
    RecordingNotifications notes;
    CSoundIn engine;
    engine.SetNotifications(&notes);
    auto input = std::make_unique<TestInput>(TestInput::Options{.formatChannels = 4});
    engine.SetInputDevice(CSoundIn::kInputSimulated, std::move(input));
    engine.m_nInputMode = CSoundIn::kInputSimulated;
    engine.m_nFftSize = 1024;
    ASSERT_EQ(engine.OpenInput(), 0);
    {
        std::lock_guard lock(engine.m_displayLock);
        EXPECT_EQ(engine.m_spectrumDisplay.size(), 4u * 1024u);
        EXPECT_EQ(engine.m_timeDisplay.size(), 4u * 1024u);
        engine.m_spectrumDisplay[100] = 3.0f;
    }
    engine.RestartInput();
    {
        std::lock_guard lock(engine.m_displayLock);
        EXPECT_EQ(engine.m_spectrumDisplay[100], 0.0f);
    }
    engine.StopInput();
    // Never shrunk.
    EXPECT_EQ(engine.m_spectrumDisplay.size(), 4u * 1024u);
    EXPECT_TRUE(notes.Messages().empty());
}

// Debug dumps and replay work on raw floats in the working folder; a replay file shorter than the
// block leaves the rest as delivered, and nothing is read past the staging area.
class SoundInDebugFiles : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        m_saved = std::filesystem::current_path();
        std::filesystem::create_directories(m_home.Root() / "work");
        std::filesystem::current_path(m_home.Root() / "work");
    }
    void TearDown() override { std::filesystem::current_path(m_saved); }

    std::filesystem::path m_saved;
};

TEST_F(SoundInDebugFiles, ReplayReplacesTheBlockAndDumpsRecordIt)
{
    const float replay[] = {0.5f, -0.25f, 0.125f};
    ASSERT_TRUE(testsupport::WriteBytes(
        "datain", std::string_view(reinterpret_cast<const char*>(replay), sizeof replay)));
    RecordingEngine engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nChannelMode = 0;
    engine.m_bDebugDumps = 1;
    engine.m_bReplayFromFile = 1;
    ASSERT_EQ(engine.OpenInput(), 0);
    EXPECT_TRUE(std::filesystem::exists("fftout"));
    const std::vector<float> block(8, 0.75f);
    engine.ProcessFloatBlock(block, 8);
    const float expected[] = {0.5f, -0.25f, 0.125f, 0.75f, 0.75f, 0.75f, 0.75f, 0.75f};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(RingSample(engine, 0, i), expected[i]) << i;
    EXPECT_EQ(testsupport::ReadBytes("samplein"),
              std::string(reinterpret_cast<const char*>(expected), sizeof expected));
    engine.StopInput();
}

// A million small blocks from a producer thread while the analysis thread consumes: every frame
// that goes in is analysed.
TEST(SoundInStressTest, MillionSmallBlocksAllAnalysed)
{
    RecordingEngine engine;
    engine.m_keep = false;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nChannelMode = 3;
    ASSERT_EQ(engine.OpenInput(), 0);
    engine.RestartInput();
    constexpr int kBlocks = 1000000;
    constexpr int kFrames = 16;
    std::thread producer(
        [&]
        {
            std::vector<float> block(2 * kFrames, 0.25f);
            for (int b = 0; b < kBlocks; ++b)
            {
                while (engine.m_ring.GetFree() < kFrames)
                    std::this_thread::yield();
                engine.ProcessFloatBlock(block, kFrames);
            }
        });
    producer.join();
    const std::int64_t framesIn = static_cast<std::int64_t>(kBlocks) * kFrames;
    ASSERT_TRUE(Eventually([&] { return engine.m_nAnalyzedFrames.load() == framesIn; }))
        << engine.m_nAnalyzedFrames.load() << " of " << framesIn;
    // The frame count goes up before the last analysis has been handed on: wait for that too.
    EXPECT_TRUE(Eventually([&] { return engine.Analyses() >= framesIn / 512; }));
    EXPECT_EQ(engine.Analyses(), framesIn / 512);
    EXPECT_EQ(engine.m_nLostFrames.load(), 0);
    EXPECT_EQ(engine.m_ring.GetSkippedFrames(), 0);
    engine.StopInput();
}

}  // namespace
