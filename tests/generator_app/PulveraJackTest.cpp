// Pulvera's ASIO mode on a JACK server of the test's own (dummy backend): a recording client takes
// the program's out_1 and out_2, which must carry exactly the generator's 32-bit render as floats.
#include "generator_app/GeneratorWnd.h"

#include "tests/support/JackServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace
{

class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// Records two input ports into preallocated memory from its process callback.
class Recorder
{
public:
    static constexpr std::size_t kCapacity = 48000;

    bool Open()
    {
        jack_status_t status{};
        m_client = jack_client_open("recorder", JackNoStartServer, &status);
        if (!m_client)
            return false;
        m_in[0] = jack_port_register(m_client, "in1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        m_in[1] = jack_port_register(m_client, "in2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        m_samples[0].assign(kCapacity, 0.0f);
        m_samples[1].assign(kCapacity, 0.0f);
        jack_set_process_callback(m_client, &Recorder::Process, this);
        return jack_activate(m_client) == 0;
    }
    ~Recorder()
    {
        if (m_client)
        {
            jack_deactivate(m_client);
            jack_client_close(m_client);
        }
    }
    // Connects the host's out_1 and out_2 (the one other client with such ports).
    bool Wire()
    {
        const char** ports =
            jack_get_ports(m_client, ":out_[12]$", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
        if (!ports)
            return false;
        const std::string me = jack_get_client_name(m_client);
        bool ok = ports[0] != nullptr && ports[1] != nullptr &&
                  jack_connect(m_client, ports[0], (me + ":in1").c_str()) == 0 &&
                  jack_connect(m_client, ports[1], (me + ":in2").c_str()) == 0;
        jack_free(ports);
        return ok;
    }
    std::size_t Frames() const { return m_frames.load(); }
    const std::vector<float>& Channel(int c) const { return m_samples[c]; }

private:
    static int Process(jack_nframes_t frames, void* self)
    {
        auto& r = *static_cast<Recorder*>(self);
        const std::size_t at = r.m_frames.load();
        const std::size_t n = std::min<std::size_t>(frames, kCapacity - at);
        for (int c = 0; c < 2; ++c)
        {
            const auto* in = static_cast<const float*>(jack_port_get_buffer(r.m_in[c], frames));
            std::copy(in, in + n, r.m_samples[c].begin() + static_cast<std::ptrdiff_t>(at));
        }
        r.m_frames.store(at + n);
        return 0;
    }
    jack_client_t* m_client = nullptr;
    jack_port_t* m_in[2] = {};
    std::vector<float> m_samples[2];
    std::atomic<std::size_t> m_frames{0};
};

void Prepare(CGeneratorWnd& wnd)
{
    wnd.Create();
    wnd.m_generator.m_settings.m_output_on = 1;
    wnd.m_generator.m_settings.m_mode = kGenModeWhiteNoise;
    wnd.m_generator.m_settings.SetBalanceDb(-6.0);
    wnd.m_generator.ApplySettings();
}

class PulveraJackTest : public testsupport::TempHomeTest
{
};

TEST_F(PulveraJackTest, AsioModeRecordsExactlyTheGeneratorsRender)
{
    JackServer server;
    if (!server.Start(48000, 256))
        GTEST_SKIP() << server.Error();
    RecordingNotifications notes;
    CGeneratorWnd wnd;
    wnd.SetNotifications(&notes);
    Prepare(wnd);
    wnd.m_soundOut.m_nMode = CSoundOut::kModeAsio;
    wnd.m_nAsioDevice = 0;  // "JACK"
    wnd.OnStart();
    ASSERT_TRUE(wnd.IsRunning()) << (notes.messages.empty() ? "" : notes.messages.front());
    EXPECT_EQ(wnd.m_generator.m_settings.m_sample_rate, 48000);  // the server's rate

    Recorder recorder;
    ASSERT_TRUE(recorder.Open());
    ASSERT_TRUE(recorder.Wire());
    for (int i = 0; i < 400 && recorder.Frames() < 16384; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // What came in while the output ran.
    const std::size_t frames = recorder.Frames();
    wnd.OnStop();
    wnd.m_soundOut.Close();
    ASSERT_GE(frames, 16384u);

    // The same generator rendered straight, from its first frame.
    CGeneratorWnd reference;
    Prepare(reference);
    reference.m_generator.m_32bitOutput = 1;
    reference.m_generator.m_settings.m_sample_rate = 48000;
    reference.m_generator.ApplySettings();
    constexpr std::size_t kRendered = 96000;
    std::vector<std::int32_t> render(2 * kRendered);
    for (std::size_t at = 0; at < kRendered; at += 256)
        CGeneratorWnd::FillFromGenerator(render.data() + 2 * at, 256 * 8, &reference.m_generator);

    // The recording starts some periods in: find where (noise matches in one place only).
    const std::vector<float>& left = recorder.Channel(0);
    const std::vector<float>& right = recorder.Channel(1);
    constexpr std::size_t kPeriod = 256;
    std::size_t first = 0;
    while (first < frames && left[first] == 0.0f)
        ++first;
    ASSERT_LT(first + 8192, frames);
    // The recorder keeps whole cycles from its first: periods are taken on the cycles' bounds.
    first = (first + kPeriod - 1) / kPeriod * kPeriod;
    auto scaled = [&](std::size_t frame, int channel)
    { return static_cast<float>(render[2 * frame + static_cast<std::size_t>(channel)] / 2147483648.0); };
    // Whether the recorded period at `f` equals the render's frames from `r` on, both channels.
    auto periodAt = [&](std::size_t f, std::size_t r)
    {
        if (r + kPeriod > kRendered)
            return false;
        for (std::size_t i = 0; i < kPeriod; ++i)
            if (scaled(r + i, 0) != left[f + i] || scaled(r + i, 1) != right[f + i])
                return false;
        return true;
    };
    auto findPeriod = [&](std::size_t f)
    {
        for (std::size_t r = 0; r + kPeriod <= kRendered; ++r)
            if (scaled(r, 0) == left[f] && periodAt(f, r))
                return r;
        return kRendered;
    };
    // Every recorded period is a period of the render, sample for sample, and they follow each
    // other in it. On a loaded machine a cycle can come too late for the output: the port then
    // plays a period again or silence, and the sequence goes on after it; such gaps stay rare.
    std::size_t periods = 0, gaps = 0, foreign = 0;
    std::size_t next = kRendered;
    for (std::size_t f = first; f + kPeriod <= frames; f += kPeriod)
    {
        ++periods;
        if (next < kRendered && periodAt(f, next))
        {
            next += kPeriod;
            continue;
        }
        const bool silent = std::all_of(left.begin() + static_cast<std::ptrdiff_t>(f),
                                        left.begin() + static_cast<std::ptrdiff_t>(f + kPeriod),
                                        [](float v) { return v == 0.0f; });
        const std::size_t at = silent ? kRendered : findPeriod(f);
        foreign += !silent && at == kRendered;
        if (at < kRendered)
            next = at + kPeriod;
        // The first period only says where in the render the sequence starts.
        if (periods > 1 || at == kRendered)
            ++gaps;
    }
    EXPECT_EQ(foreign, 0u) << "periods that are not the generator's render, of " << periods;
    EXPECT_GE(periods, 32u);
    EXPECT_LE(gaps, periods / 10) << "of " << periods << " periods";
    EXPECT_TRUE(notes.messages.empty()) << notes.messages.front();
}

}  // namespace
