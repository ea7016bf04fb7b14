// The measurement window as a real window of the toolkit, on the engine's simulated input: its
// refresh timer draws the live spectrum of the 1 kHz sine, and its pictures of three modes are
// saved for a look.
#include "engine/AudioInSim.h"
#include "engine/SoundIn.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
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

class SndViewWindowTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    static constexpr int kFftSize = 16384;
    static constexpr int kFlatTop = 4;

    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(kFftSize, kFlatTop));
    }

    void TearDown() override { CloseLiveView(); }

    wxImage SavePicture(const std::string& name)
    {
        const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(folder);
        wxImage image = m_window->RenderImage();
        EXPECT_TRUE(image.SaveFile((folder / ("view-window-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
        return image;
    }
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
