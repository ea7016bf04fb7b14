// End to end through a real JACK server: the engine in input mode 5 binds the built Ninvaro.so,
// plays generator 0 through out_1 into a device under test of the test's own (a JACK client),
// which returns it to in_1 unchanged and to in_2 with gain g, delay d and noise at -80 dBFS.
// White noise shows the delay exactly and the gain within 0.05 dB; the impulse responses measured
// with an MLS peak exactly d apart with the gain g, and channel 2 is flat within 0.2 dB from 50 Hz
// to 20 kHz; a chirp's transfer is flat within 0.5 dB across its band.
#include "dsp/MlsTransform.h"
#include "engine/PluginInput.h"
#include "engine/SoundIn.h"
#include "tests/support/JackServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <complex>
#include <functional>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace
{

constexpr double kGain = 0.5;
constexpr int kDelay = 37;
constexpr double kNoiseRms = 1e-4;  // -80 dBFS
constexpr int kRate = 48000;
constexpr int kMlsOrder = 12;
constexpr int kMlsLength = (1 << kMlsOrder) - 1;
constexpr int kChirpLength = 4096;
constexpr double kChirpStart = 100.0;
constexpr double kChirpStop = 20000.0;
// Two seconds: many periods of the test signals, so that two whole periods in a row arrive even
// when a loaded machine makes the engine drop a block now and then.
constexpr std::size_t kWanted = 2 * kRate;

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

// |sum x[n] e^(-j 2 pi f n / rate)| of one stretch.
double Magnitude(const float* x, int length, double f)
{
    std::complex<double> sum;
    const std::complex<double> step = std::polar(1.0, -2.0 * std::acos(-1.0) * f / kRate);
    std::complex<double> turn = 1.0;
    for (int n = 0; n < length; ++n, turn *= step)
        sum += static_cast<double>(x[n]) * turn;
    return std::abs(sum);
}

// Frequencies spaced by a twelfth of an octave from low up to high, each moved to the nearest bin
// of a transform over `length` samples: between bins, two stretches that differ by a circular
// shift would read different magnitudes.
std::vector<double> LogFrequencies(double low, double high, int length)
{
    std::vector<double> f;
    const double bin = static_cast<double>(kRate) / length;
    for (double v = low; v <= high; v *= std::pow(2.0, 1.0 / 12.0))
        f.push_back(std::round(v / bin) * bin);
    return f;
}

// Largest deviation in dB of the levels from their mean level.
double SpreadDb(const std::vector<double>& magnitudes)
{
    double mean = 0.0;
    for (double m : magnitudes)
        mean += 20.0 * std::log10(m) / static_cast<double>(magnitudes.size());
    double spread = 0.0;
    for (double m : magnitudes)
        spread = std::max(spread, std::fabs(20.0 * std::log10(m) - mean));
    return spread;
}

// The first whole period after the first one (which holds the wiring's latency) that the next
// period repeats exactly: a block the engine drops on a loaded machine breaks the repetition, and
// a period with such a break has no clean spectrum. -1 when there is none.
int CleanPeriodStart(const std::vector<float>& x, int period)
{
    for (int start = period; start + 2 * period <= static_cast<int>(x.size()); start += period)
    {
        bool same = true;
        for (int n = start; n < start + period && same; ++n)
            same =
                std::fabs(x[static_cast<std::size_t>(n)] - x[static_cast<std::size_t>(n + period)]) < 1e-6f;
        if (same)
            return start;
    }
    return -1;
}

class AsioEndToEndTest : public testsupport::TempHomeTest
{
protected:
    // Plays generator 0 as `setup` leaves it through the device under test and keeps kWanted frames
    // of both inputs in m_ch1 and m_ch2. False (with a test failure) when that does not happen.
    bool Record(const std::function<void(CSigGen_settings&)>& setup)
    {
        RecordingEngine engine;
        engine.SetInputDevice(CSoundIn::kInputAsio, std::make_unique<CAsioPluginInput>(engine));
        engine.m_nInputMode = CSoundIn::kInputAsio;
        engine.m_nChannelMode = 3;
        CGenerator& generator = *engine.GetGenerator(0);
        generator.m_settings.m_level = 0.5;
        generator.m_settings.m_output_on = 1;
        setup(generator.m_settings);
        auto& channel = engine.m_generatorMatrix.m_settings.m_channel[0];
        channel.m_active = 1;
        channel.m_count_a = 1;
        channel.m_generators_a[0] = 0;

        EXPECT_EQ(engine.OpenInput(), 0);
        EXPECT_EQ(engine.m_nSampleRate, kRate) << "the server's rate";
        EXPECT_EQ(engine.m_nAnalysisChannels, 2);
        generator.ApplySettings();
        engine.RestartInput();

        DeviceUnderTest dut;
        EXPECT_TRUE(dut.Open());
        std::string host;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while ((host = HostClientName(dut.Client())).empty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(host.empty());
        if (host.empty() || !dut.Wire(host))
            return false;
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
            if (std::chrono::steady_clock::now() > recordUntil)
            {
                ADD_FAILURE() << "too few blocks arrived";
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        engine.StopInput();
        std::lock_guard guard(engine.lock);
        m_ch1 = engine.ch1;
        m_ch2 = engine.ch2;
        const std::size_t n = std::min(m_ch1.size(), m_ch2.size());
        double rms = 0.0;
        for (std::size_t i = 0; i < n; ++i)
            rms += double(m_ch1[i]) * m_ch1[i];
        EXPECT_GT(rms / static_cast<double>(n), 1e-4) << "the generator reached the device under test";
        return n >= kWanted && rms / static_cast<double>(n) > 1e-4;
    }

    void SetUp() override
    {
        if (!m_server.Start(kRate, 256))
            GTEST_SKIP() << m_server.Error();
    }

    JackServer m_server;
    std::vector<float> m_ch1, m_ch2;
};

TEST_F(AsioEndToEndTest, Mode5PlaysTheGeneratorAndRecordsTheDeviceUnderTest)
{
    ASSERT_TRUE(Record([](CSigGen_settings& s) { s.m_mode = kGenModeWhiteNoise; }));
    const std::vector<float>& a = m_ch1;
    const std::vector<float>& b = m_ch2;
    const std::size_t n = std::min(a.size(), b.size());
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

TEST_F(AsioEndToEndTest, MlsImpulseResponsesShowTheDelayTheGainAndAFlatChannel)
{
    ASSERT_TRUE(Record(
        [](CSigGen_settings& s)
        {
            s.m_mode = kGenModeMls;
            s.m_mls_length = kMlsLength;
        }));
    CMlsTransform transform;
    ASSERT_TRUE(transform.Init(kMlsOrder));
    const int start = CleanPeriodStart(m_ch1, kMlsLength);
    ASSERT_GE(start, 0) << "no period arrived whole";
    std::vector<float> h1(kMlsLength), h2(kMlsLength);
    ASSERT_EQ(transform.Correlate(std::span<const float>(m_ch1.data() + start, kMlsLength), h1, 0), 1);
    ASSERT_EQ(transform.Correlate(std::span<const float>(m_ch2.data() + start, kMlsLength), h2, 0), 1);
    auto peak = [](const std::vector<float>& h)
    {
        return static_cast<int>(std::max_element(h.begin(), h.end(),
                                                 [](float x, float y)
                                                 { return std::fabs(x) < std::fabs(y); }) -
                                h.begin());
    };
    const int p1 = peak(h1);
    const int p2 = peak(h2);
    EXPECT_EQ((p2 - p1 + kMlsLength) % kMlsLength, kDelay);
    EXPECT_NEAR(20.0 * std::log10(h2[static_cast<std::size_t>(p2)] / h1[static_cast<std::size_t>(p1)]),
                20.0 * std::log10(kGain), 0.05);
    // Channel 2's response from its peak on: its magnitude over the band.
    std::vector<float> response(kMlsLength);
    for (int n = 0; n < kMlsLength; ++n)
        response[static_cast<std::size_t>(n)] = h2[static_cast<std::size_t>((p2 + n) % kMlsLength)];
    std::vector<double> magnitudes;
    for (double f : LogFrequencies(50.0, 20000.0, kMlsLength))
        magnitudes.push_back(Magnitude(response.data(), kMlsLength, f));
    EXPECT_LT(SpreadDb(magnitudes), 0.2);
}

TEST_F(AsioEndToEndTest, ChirpTransferIsFlatAcrossItsBand)
{
    ASSERT_TRUE(Record(
        [](CSigGen_settings& s)
        {
            s.m_mode = kGenModeSweep;
            s.m_chirp_on = 1;
            s.m_chirp_type = 1;
            s.m_chirp_length = kChirpLength;
            s.m_sweep_start = kChirpStart;
            s.m_sweep_stop = kChirpStop;
        }));
    // The chirp repeats, so one whole period of each input holds its whole spectrum.
    const int start = CleanPeriodStart(m_ch1, kChirpLength);
    ASSERT_GE(start, 0) << "no period arrived whole";
    const float* a = m_ch1.data() + start;
    const float* b = m_ch2.data() + start;
    std::vector<double> transfer;
    for (double f : LogFrequencies(1.1 * kChirpStart, 0.9 * kChirpStop, kChirpLength))
        transfer.push_back(Magnitude(b, kChirpLength, f) / Magnitude(a, kChirpLength, f));
    EXPECT_LT(SpreadDb(transfer), 0.5);
    double mean = 0.0;
    for (double t : transfer)
        mean += 20.0 * std::log10(t) / static_cast<double>(transfer.size());
    EXPECT_NEAR(mean, 20.0 * std::log10(kGain), 0.1);
}

}  // namespace
