// Pulvera's ASIO mode on a JACK server of the test's own (dummy backend): a recording client takes
// the program's out_1 and out_2, which must carry exactly the generator's 32-bit render as floats.
#include "generator_app/GeneratorWnd.h"

#include "tests/support/JackServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

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
    std::size_t first = 0;
    while (first < frames && left[first] == 0.0f)
        ++first;
    ASSERT_LT(first + 8192, frames);
    auto scaled = [&](std::size_t frame, int channel)
    { return static_cast<float>(render[2 * frame + static_cast<std::size_t>(channel)] / 2147483648.0); };
    std::size_t offset = kRendered;
    for (std::size_t o = 0; o + (frames - first) < kRendered; ++o)
        if (scaled(o, 0) == left[first] && scaled(o + 1, 0) == left[first + 1] &&
            scaled(o + 2, 0) == left[first + 2])
        {
            offset = o;
            break;
        }
    ASSERT_LT(offset, kRendered) << "the recording is not the generator's render";
    std::size_t mismatches = 0;
    for (std::size_t f = first; f < frames; ++f)
    {
        const std::size_t r = offset + (f - first);
        mismatches += scaled(r, 0) != left[f];
        mismatches += scaled(r, 1) != right[f];
    }
    EXPECT_EQ(mismatches, 0u) << "of " << 2 * (frames - first) << " samples";
    EXPECT_TRUE(notes.messages.empty()) << notes.messages.front();
}

}  // namespace
