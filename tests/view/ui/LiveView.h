// A measurement window on the engine's simulated 1 kHz sine, inside a frame of its own, for the
// window-side tests: the frame services it reports to, the engine, and a wait for its refreshes.
#pragma once

#include "engine/AudioInSim.h"
#include "engine/SoundIn.h"
#include "view/ViewDocument.h"
#include "view/ui/SndViewWindow.h"

#include <wx/app.h>
#include <wx/frame.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace viewtest
{

// The main frame as the window sees it: panes, list entries and messages are recorded.
class RecordingViewFrame : public CViewFrame
{
public:
    bool HasStatusBar() const override { return true; }
    void SetStatusPaneText(int pane, const std::string& text) override { panes[pane] = text; }
    void SelectFftSizeEntry(int index) override { fftEntry = index; }
    void SelectWeightingEntry(int index) override { weightingEntry = index; }
    void RemoveMenu() override {}
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::map<int, std::string> panes;
    int fftEntry = -1;
    int weightingEntry = -1;
    std::vector<std::string> messages;
};

// A steady tone of the test's own: `frequency` at `amplitude` of full scale with a second and a
// third harmonic of the given fractions of it, float blocks of 1024 frames every 2 ms on a thread
// of its own.
class ToneInput : public CInputDevice
{
public:
    ToneInput(double frequency, double amplitude, double second = 0.0, double third = 0.0)
        : m_dFrequency(frequency), m_dAmplitude(amplitude), m_dSecond(second), m_dThird(third)
    {
    }
    ~ToneInput() override { Close(); }
    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override
    {
        Close();
        m_config = config;
        m_pSink = &sink;
        m_bRun = true;
        m_thread = std::thread([this] { Run(); });
        return 0;
    }
    void Pause() override { m_bPaused = true; }
    void Resume() override { m_bPaused = false; }
    void Close() override
    {
        m_bRun = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::string GetLastError() const override { return ""; }

private:
    void Run()
    {
        constexpr int kFrames = 1024;
        const int channels = std::max(1, m_config.channels);
        std::vector<float> block(static_cast<std::size_t>(kFrames * channels));
        const double step = 2.0 * std::numbers::pi * m_dFrequency / m_config.sampleRate;
        while (m_bRun)
        {
            if (!m_bPaused)
            {
                for (int f = 0; f < kFrames; ++f, ++m_nSample)
                {
                    const double phase = step * static_cast<double>(m_nSample);
                    const double value = m_dAmplitude * (std::sin(phase) + m_dSecond * std::sin(2.0 * phase) +
                                                         m_dThird * std::sin(3.0 * phase));
                    std::fill_n(block.begin() + f * channels, channels, static_cast<float>(value));
                }
                m_pSink->OnFloatBlock(block, kFrames);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    double m_dFrequency;
    double m_dAmplitude;
    double m_dSecond;
    double m_dThird;
    InputDeviceConfig m_config;
    CInputBlockSink* m_pSink = nullptr;
    std::atomic<bool> m_bRun{false};
    std::atomic<bool> m_bPaused{false};
    std::int64_t m_nSample = 0;
    std::thread m_thread;
};

class LiveViewParts
{
protected:
    static constexpr int kRate = 48000;

    // The window on the simulated input at 48 kHz, initialised; false when the FFT size is refused.
    bool OpenLiveView(int fftSize, int windowType)
    {
        g_bDisplayRestart = 1;
        m_document.m_pFrame = &m_frameServices;
        m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
        m_engine.m_nInputMode = CSoundIn::kInputSimulated;
        m_engine.m_nSampleRate = kRate;
        if (!m_engine.SetFftSize(fftSize))
            return false;
        m_engine.m_nWindowType = windowType;
        m_frame = new wxFrame(nullptr, wxID_ANY, "view", wxDefaultPosition, wxSize(900, 600));
        m_window = new CSndViewWindow(m_frame, m_document, m_engine);
        m_frame->Show();
        View().m_nStopWaitMs = 1;
        View().OnInitialUpdate();
        return true;
    }

    void CloseLiveView()
    {
        if (m_frame)
            m_frame->Destroy();
        m_frame = nullptr;
        if (wxTheApp)
            wxTheApp->Yield(true);
        m_engine.StopInput();
    }

    CSndView& View() { return m_window->GetView(); }

    // Runs the toolkit's events until the window has drawn `refreshes` more times with new results;
    // false after 20 s.
    bool WaitForRefreshes(int refreshes)
    {
        const std::int64_t results = m_engine.m_nAnalysisCounter.load();
        const std::uint64_t target = View().m_nRefreshEvents.load() + static_cast<std::uint64_t>(refreshes);
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < limit)
        {
            wxTheApp->Yield(true);
            if (View().m_nRefreshEvents.load() >= target && m_engine.m_nAnalysisCounter.load() > results + 1)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    CViewDocument m_document;
    RecordingViewFrame m_frameServices;
    CSoundIn m_engine;
    wxFrame* m_frame = nullptr;
    CSndViewWindow* m_window = nullptr;
};

}  // namespace viewtest
