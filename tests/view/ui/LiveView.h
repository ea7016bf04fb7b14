// A measurement window on the engine's simulated 1 kHz sine, inside a frame of its own, for the
// window-side tests: the frame services it reports to, the engine, and a wait for its refreshes.
#pragma once

#include "engine/AudioInSim.h"
#include "engine/SoundIn.h"
#include "view/ViewDocument.h"
#include "view/ui/SndViewWindow.h"

#include <wx/app.h>
#include <wx/frame.h>

#include <chrono>
#include <map>
#include <memory>
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
