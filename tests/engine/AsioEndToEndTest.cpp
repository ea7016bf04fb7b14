// End to end through a real JACK server: the engine in input mode 5 binds the built Ninvaro.so,
// plays generator 0 (white noise) through out_1 into a device under test of the test's own (a JACK
// client), which returns it to in_1 unchanged and to in_2 with gain g, delay d and noise at -80 dBFS.
// What the engine receives shows the delay exactly and the gain within 0.05 dB.
#include "engine/PluginInput.h"
#include "engine/SoundIn.h"
#include "tests/support/JackServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace
{

constexpr double kGain = 0.5;
constexpr int kDelay = 37;
constexpr double kNoiseRms = 1e-4;  // -80 dBFS
constexpr std::size_t kWanted = 48000;

// An engine that keeps what its two input channels receive.
class RecordingEngine : public CSoundIn
{
public:
    ~RecordingEngine() override { StopInput(); }
    std::mutex lock;
    std::vector<float> ch1, ch2;

protected:
    void ConditionChannels(float* rows, int rowStride, int frames) override
    {
        std::lock_guard guard(lock);
        if (ch1.size() >= kWanted || m_nAnalysisChannels < 2)
            return;
        ch1.insert(ch1.end(), rows, rows + frames);
        ch2.insert(ch2.end(), rows + rowStride, rows + rowStride + frames);
    }
};

// The device under test: in -> out1 unchanged, out2 = g x in delayed by d plus noise.
class DeviceUnderTest
{
public:
    bool Open()
    {
        jack_status_t status{};
        m_client = jack_client_open("dut", JackNoStartServer, &status);
        if (!m_client)
            return false;
        m_in = jack_port_register(m_client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        m_out1 = jack_port_register(m_client, "out1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        m_out2 = jack_port_register(m_client, "out2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        jack_set_process_callback(m_client, &DeviceUnderTest::Process, this);
        return jack_activate(m_client) == 0;
    }
    ~DeviceUnderTest()
    {
        if (m_client)
        {
            jack_deactivate(m_client);
            jack_client_close(m_client);
        }
    }
    // Wires the host's out_1 to the DUT and the DUT to the host's in_1 and in_2.
    bool Wire(const std::string& host)
    {
        const std::string me = jack_get_client_name(m_client);
        return jack_connect(m_client, (host + ":out_1").c_str(), (me + ":in").c_str()) == 0 &&
               jack_connect(m_client, (me + ":out1").c_str(), (host + ":in_1").c_str()) == 0 &&
               jack_connect(m_client, (me + ":out2").c_str(), (host + ":in_2").c_str()) == 0;
    }
    jack_client_t* Client() const { return m_client; }

private:
    static int Process(jack_nframes_t frames, void* self)
    {
        auto& dut = *static_cast<DeviceUnderTest*>(self);
        const auto* in = static_cast<const float*>(jack_port_get_buffer(dut.m_in, frames));
        auto* out1 = static_cast<float*>(jack_port_get_buffer(dut.m_out1, frames));
        auto* out2 = static_cast<float*>(jack_port_get_buffer(dut.m_out2, frames));
        std::uniform_real_distribution<float> noise(static_cast<float>(-kNoiseRms * std::sqrt(3.0)),
                                                    static_cast<float>(kNoiseRms * std::sqrt(3.0)));
        for (jack_nframes_t n = 0; n < frames; ++n)
        {
            out1[n] = in[n];
            out2[n] = static_cast<float>(kGain * dut.m_line[dut.m_pos]) + noise(dut.m_random);
            dut.m_line[dut.m_pos] = in[n];
            dut.m_pos = (dut.m_pos + 1) % kDelay;
        }
        return 0;
    }
    jack_client_t* m_client = nullptr;
    jack_port_t* m_in = nullptr;
    jack_port_t* m_out1 = nullptr;
    jack_port_t* m_out2 = nullptr;
    float m_line[kDelay] = {};
    int m_pos = 0;
    std::minstd_rand m_random{7};
};

std::string HostClientName(jack_client_t* client)
{
    std::string name;
    if (const char** ports = jack_get_ports(client, ":out_1$", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput))
    {
        name = ports[0];
        name.resize(name.find(':'));
        jack_free(ports);
    }
    return name;
}

class AsioEndToEndTest : public testsupport::TempHomeTest
{
};

TEST_F(AsioEndToEndTest, Mode5PlaysTheGeneratorAndRecordsTheDeviceUnderTest)
{
    JackServer server;
    if (!server.Start(48000, 256))
        GTEST_SKIP() << server.Error();
    RecordingEngine engine;
    engine.SetInputDevice(CSoundIn::kInputAsio, std::make_unique<CAsioPluginInput>(engine));
    engine.m_nInputMode = CSoundIn::kInputAsio;
    engine.m_nChannelMode = 3;
    CGenerator& generator = *engine.GetGenerator(0);
    generator.m_settings.m_mode = kGenModeWhiteNoise;
    generator.m_settings.m_level = 0.5;
    generator.m_settings.m_output_on = 1;
    generator.ApplySettings();
    auto& channel = engine.m_generatorMatrix.m_settings.m_channel[0];
    channel.m_active = 1;
    channel.m_count_a = 1;
    channel.m_generators_a[0] = 0;

    ASSERT_EQ(engine.OpenInput(), 0);
    EXPECT_EQ(engine.m_nSampleRate, 48000) << "the server's rate";
    EXPECT_EQ(engine.m_nAnalysisChannels, 2);
    engine.RestartInput();

    DeviceUnderTest dut;
    ASSERT_TRUE(dut.Open());
    std::string host;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((host = HostClientName(dut.Client())).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(host.empty());
    ASSERT_TRUE(dut.Wire(host));
    // Let the wiring settle, then record afresh.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    {
        std::lock_guard guard(engine.lock);
        engine.ch1.clear();
        engine.ch2.clear();
    }
    const auto recordUntil = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;)
    {
        {
            std::lock_guard guard(engine.lock);
            if (engine.ch1.size() >= kWanted)
                break;
        }
        ASSERT_LT(std::chrono::steady_clock::now(), recordUntil) << "too few blocks arrived";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    engine.StopInput();

    std::lock_guard guard(engine.lock);
    const std::vector<float>& a = engine.ch1;
    const std::vector<float>& b = engine.ch2;
    const std::size_t n = std::min(a.size(), b.size());
    double rmsA = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        rmsA += double(a[i]) * a[i];
    ASSERT_GT(rmsA / n, 1e-4) << "the generator reached the device under test";
    // The lag of the largest cross-correlation is the delay.
    int bestLag = -1;
    double best = 0.0;
    for (int lag = 0; lag < 200; ++lag)
    {
        double sum = 0.0;
        for (std::size_t i = 200; i < n; ++i)
            sum += double(a[i - static_cast<std::size_t>(lag)]) * b[i];
        if (sum > best)
            best = sum, bestLag = lag;
    }
    EXPECT_EQ(bestLag, kDelay);
    double energyA = 0.0, energyB = 0.0;
    for (std::size_t i = 200; i < n; ++i)
    {
        energyA += double(a[i - kDelay]) * a[i - kDelay];
        energyB += double(b[i]) * b[i];
    }
    const double ratioDb = 10.0 * std::log10(energyB / energyA);
    EXPECT_NEAR(ratioDb, 20.0 * std::log10(kGain), 0.05);
}

}  // namespace
