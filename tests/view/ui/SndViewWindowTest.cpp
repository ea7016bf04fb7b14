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
#include <wx/font.h>
#include <wx/frame.h>
#include <wx/gdicmn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <numbers>
#include <thread>
#include <vector>

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

// A 63 Hz tone at -10 dBFS: FFT 512 first, then 8192 as the FFT size list changes it. The axis
// follows down to 20 Hz, the readout reads the tone without a touch of the zoom, the labels are
// the toolkit's size and whole, and the average curve lies on the live one.
TEST_F(SndViewWindowTest, ReadsALowToneAtTheDefaultAxisWithLegibleLabelsAndTheAverage)
{
    const double amplitude = std::pow(10.0, -10.0 / 20.0);
    m_engine.SetInputDevice(CSoundIn::kInputSimulated,
                            std::make_unique<viewtest::ToneInput>(63.0, amplitude));
    const auto changeFftSize = [&](int size)
    {
        m_engine.StopInput();
        ASSERT_TRUE(m_engine.SetFftSize(size));
        View().OnCommand(view_command::kStart);
        ASSERT_TRUE(WaitForRefreshes(4));
    };
    changeFftSize(512);
    const CPlot& plot = View().GetPlot();
    EXPECT_DOUBLE_EQ(plot.m_viewRange.m_dXMin, 93.75);
    changeFftSize(8192);
    EXPECT_DOUBLE_EQ(plot.m_viewRange.m_dXMin, 20.0);

    const auto readPeak = [&](double& frequency, double& level)
    {
        const CReadoutTexts& texts = View().GetReadoutTexts(0);
        ASSERT_EQ(std::sscanf(texts.Text(CReadoutTexts::kPeakPosition).c_str(), "%lfHz", &frequency), 1)
            << texts.Text(CReadoutTexts::kPeakPosition);
        ASSERT_EQ(std::sscanf(texts.Text(CReadoutTexts::kPeakValue).c_str(), "%lfdB", &level), 1)
            << texts.Text(CReadoutTexts::kPeakValue);
    };
    // A sine of amplitude A has a mean square of A^2 / 2: -13.01 dB; the flat-top window reads it
    // without scalloping.
    const double expected = 10.0 * std::log10(amplitude * amplitude / 2.0);
    double frequency = 0.0;
    double level = 0.0;
    readPeak(frequency, level);
    EXPECT_NEAR(frequency, 63.0, kRate / 8192.0);  // the flat-top window reads the bin
    EXPECT_NEAR(level, expected, 0.1);

    // Labels in the toolkit's normal size on this screen, and room for the last one.
    const double points = wxNORMAL_FONT->GetFractionalPointSize();
    const int dpi = m_window->GetDPI().y;
    EXPECT_EQ(plot.m_nLabelFontPixels,
              std::max(CPlot::kDefaultLabelFontPixels, static_cast<int>(std::lround(points * dpi / 72.0))));
    EXPECT_EQ(plot.m_nRightMargin, plot.RightLabelRoom());
    EXPECT_GE(plot.m_nRightMargin, plot.m_nLabelFontPixels);

    // The average alone reads the same tone.
    View().OnCommand(view_command::kAverage);
    ASSERT_TRUE(WaitForRefreshes(4));
    EXPECT_EQ(plot.GetCurveCount(), 2);
    SavePicture("low-tone-live-and-average");
    View().OnCommand(view_command::kAverage);
    ASSERT_TRUE(WaitForRefreshes(4));
    ASSERT_EQ(plot.GetCurveCount(), 1);
    EXPECT_EQ(plot.GetCurveMathFunction(0), CPlot::kMathAverage);
    readPeak(frequency, level);
    EXPECT_NEAR(frequency, 63.0, kRate / 8192.0);  // the flat-top window reads the bin
    EXPECT_NEAR(level, expected, 0.1);
    SavePicture("low-tone-average-alone");
    EXPECT_TRUE(m_frameServices.messages.empty());
}

}  // namespace
