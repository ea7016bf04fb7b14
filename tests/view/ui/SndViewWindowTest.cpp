// The measurement window as a real window of the toolkit, on the engine's simulated input: its
// refresh timer draws the live spectrum of the 1 kHz sine, and its pictures of three modes are
// saved for a look.
#include "engine/AudioInSim.h"
#include "engine/SoundIn.h"
#include "tests/support/WxEnvironment.h"
#include "view/ViewDocument.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

namespace
{

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

// What the window hands the main frame.
class RecordingFrame : public CViewFrame
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

class SndViewWindowTest : public ::testing::Test
{
protected:
    static constexpr int kRate = 48000;
    static constexpr int kFftSize = 16384;
    static constexpr int kFlatTop = 4;

    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        g_bDisplayRestart = 1;
        m_document.m_pFrame = &m_frameServices;
        m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
        m_engine.m_nInputMode = CSoundIn::kInputSimulated;
        m_engine.m_nSampleRate = kRate;
        ASSERT_TRUE(m_engine.SetFftSize(kFftSize));
        m_engine.m_nWindowType = kFlatTop;
        m_frame = new wxFrame(nullptr, wxID_ANY, "view", wxDefaultPosition, wxSize(900, 600));
        m_window = new CSndViewWindow(m_frame, m_document, m_engine);
        m_frame->Show();
        View().m_nStopWaitMs = 1;
        View().OnInitialUpdate();
    }

    void TearDown() override
    {
        if (m_frame)
            m_frame->Destroy();
        m_frame = nullptr;
        if (wxTheApp)
            wxTheApp->Yield(true);
        m_engine.StopInput();
    }

    CSndView& View() { return m_window->GetView(); }

    // Runs the toolkit's events until the window has drawn `refreshes` more times with a new
    // result; false after 20 s.
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

    wxImage SavePicture(const std::string& name)
    {
        const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(folder);
        wxImage image = m_window->RenderImage();
        EXPECT_TRUE(image.SaveFile((folder / ("view-window-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
        return image;
    }

    CViewDocument m_document;
    RecordingFrame m_frameServices;
    CSoundIn m_engine;
    wxFrame* m_frame = nullptr;
    CSndViewWindow* m_window = nullptr;
};

// The index and value of the largest point of the plot's first curve.
std::pair<int, float> PeakOfFirstCurve(const CPlot& plot)
{
    int best = -1;
    float largest = 0.0f;
    for (int i = 0; i < plot.GetPointCount(); ++i)
        if (best < 0 || plot.GetCurvePoint(0, i) > largest)
        {
            best = i;
            largest = plot.GetCurvePoint(0, i);
        }
    return {best, largest};
}

TEST_F(SndViewWindowTest, DrawsTheLiveSpectrumOfTheSineAndSwitchesToScopeAndImpulse)
{
    View().OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(3));

    // Spectrum: the sine of the simulated input, 32767/32768 of full scale, is a mean square of
    // 0.4999695 at 1000 Hz; the flat-top window reads it without scalloping.
    const CPlot& plot = View().GetPlot();
    EXPECT_EQ(View().GetViewMode(), 0);
    EXPECT_EQ(plot.GetPointCount(), kFftSize / 2);
    const auto [peak, power] = PeakOfFirstCurve(plot);
    const double binWidth = static_cast<double>(kRate) / kFftSize;
    EXPECT_NEAR(plot.GetXValue(peak), 1000.0, binWidth);
    const double expected = 10.0 * std::log10(0.5 * std::pow(32767.0 / 32768.0, 2.0));
    EXPECT_NEAR(10.0 * std::log10(power), expected, 0.05);
    EXPECT_EQ(plot.m_strXTitle, "Frequency [Hz]");
    EXPECT_EQ(plot.m_strYTitle, "[dB]");
    EXPECT_EQ(plot.m_viewRange.m_bXLog, 1);
    // 16384 samples at 48 kHz, one average: 341 ms.
    EXPECT_EQ(m_frameServices.panes[1], "48000");
    EXPECT_EQ(m_frameServices.panes[2], "    16384");
    EXPECT_EQ(m_frameServices.panes[3], "341ms");
    EXPECT_EQ(m_frameServices.panes[4], "Z");
    EXPECT_EQ(m_frameServices.panes[5], "FlatTop");
    EXPECT_EQ(m_frameServices.fftEntry, 7);
    const wxImage spectrum = SavePicture("spectrum");

    // Oscilloscope: the block as a time signal over 341.33 ms.
    View().OnCommand(view_command::kOscilloscope);
    ASSERT_TRUE(WaitForRefreshes(3));
    EXPECT_EQ(View().GetViewMode(), 1);
    EXPECT_EQ(plot.m_strXTitle, "Time [ms]");
    EXPECT_EQ(plot.m_strYTitle, "amplitude");
    EXPECT_EQ(plot.m_viewRange.m_bXLog, 0);
    EXPECT_NEAR(plot.m_viewRange.m_dXMax, kFftSize * 1000.0 / kRate, 1e-9);
    EXPECT_EQ(plot.GetPointCount(), kFftSize);
    EXPECT_EQ(m_frameServices.panes[5], "Wind. OFF");
    const wxImage scope = SavePicture("oscilloscope");

    // The MLS measurement's impulse response.
    View().OnCommand(view_command::kMls);
    View().OnStop();
    m_engine.SetAnalyzerMode(4);
    View().OnStart();
    View().RestartDisplay();
    ASSERT_TRUE(WaitForRefreshes(3));
    EXPECT_EQ(View().GetViewMode(), 4);
    EXPECT_EQ(plot.m_strXTitle, "Time [ms]");
    const wxImage impulse = SavePicture("impulse");

    // Three different pictures with the plot's own background in the corner.
    ASSERT_TRUE(spectrum.IsOk() && scope.IsOk() && impulse.IsOk());
    EXPECT_EQ(spectrum.GetSize(), m_window->GetClientSize());
    const auto differs = [](const wxImage& a, const wxImage& b)
    {
        return a.GetSize() != b.GetSize() ||
               !std::equal(a.GetData(), a.GetData() + a.GetWidth() * a.GetHeight() * 3, b.GetData());
    };
    EXPECT_TRUE(differs(spectrum, scope));
    EXPECT_TRUE(differs(scope, impulse));
    EXPECT_TRUE(m_frameServices.messages.empty());
}

}  // namespace
