// The "Measurements" readout windows of a live measurement window on the simulated 1 kHz sine,
// checked against the figures of the same 16-bit samples computed here by a plain DFT of one period.
#include "engine/AudioInSim.h"
#include "engine/SoundIn.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ViewDocument.h"
#include "view/ui/MeasurementsDlg.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/toolbar.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <thread>
#include <vector>

namespace
{

// The figures of the simulated input's sine, from one period of its 16-bit samples (48 samples of
// 1 kHz at 48 kHz; the input truncates sin x 32767 and the engine scales by 1/32768).
struct SineFigures
{
    double fundamentalPower = 0.0;  // mean square of the 1 kHz component
    double totalPower = 0.0;        // mean square of everything but DC
    double harmonicPower = 0.0;     // harmonics 2 to 6
};

SineFigures ComputeSineFigures()
{
    constexpr int kPeriod = 48;
    std::array<double, kPeriod> x{};
    const double step = 2.0 * std::numbers::pi * 1000.0 / 48000.0;
    for (int n = 0; n < kPeriod; ++n)
        x[static_cast<std::size_t>(n)] = static_cast<std::int16_t>(std::sin(n * step) * 32767.0) / 32768.0;
    SineFigures figures;
    for (int k = 1; k < kPeriod / 2; ++k)
    {
        double re = 0.0;
        double im = 0.0;
        for (int n = 0; n < kPeriod; ++n)
        {
            re += x[static_cast<std::size_t>(n)] * std::cos(2.0 * std::numbers::pi * k * n / kPeriod);
            im -= x[static_cast<std::size_t>(n)] * std::sin(2.0 * std::numbers::pi * k * n / kPeriod);
        }
        // A real line of amplitude A has |X| = A N / 2 and a mean square of A^2 / 2.
        const double amplitude = 2.0 * std::hypot(re, im) / kPeriod;
        const double power = amplitude * amplitude / 2.0;
        figures.totalPower += power;
        if (k == 1)
            figures.fundamentalPower = power;
        else if (k <= 6)
            figures.harmonicPower += power;
    }
    return figures;
}

// The distortion figures' source: 1 kHz at amplitude 0.5 with 1 % second and 0.3 % third harmonic.
struct DistortedSine
{
    static constexpr double kAmplitude = 0.5;
    static constexpr double kSecond = 0.01;
    static constexpr double kThird = 0.003;
};

class SndViewReadoutsTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    static constexpr int kHanning = 3;  // interpolated peak level and position

    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(16384, kHanning));
    }

    void TearDown() override { CloseLiveView(); }

    std::string Shown(int curve, int id) const
    {
        return m_window->GetReadoutWindow(curve)->GetControlText(id).utf8_string();
    }
};

double Decibels(double power)
{
    return 10.0 * std::log10(power);
}

TEST_F(SndViewReadoutsTest, ShowLevelFrequencyAndDistortionOfTheSimulatedSineInEachMode)
{
    using R = CReadoutTexts;
    const SineFigures sine = ComputeSineFigures();
    View().OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(4));

    // The first window opens with the view; its title names the view and the curve.
    ASSERT_NE(m_window->GetReadoutWindow(0), nullptr);
    EXPECT_TRUE(m_window->GetReadoutWindow(0)->IsShown());
    EXPECT_FALSE(m_window->GetReadoutWindow(1)->IsShown());
    EXPECT_EQ(m_window->GetReadoutWindow(0)->GetTitle().utf8_string(), "Measurement V:1 Ch#1");

    // Spectrum: peak at 1 kHz at the fundamental's level, the in-band level of everything in the
    // band, THD+N and THD as the DFT of one period gives them.
    double peakFrequency = 0.0;
    double peakLevel = 0.0;
    ASSERT_EQ(std::sscanf(Shown(0, R::kPeakPosition).c_str(), "%lfHz", &peakFrequency), 1)
        << Shown(0, R::kPeakPosition);
    ASSERT_EQ(std::sscanf(Shown(0, R::kPeakValue).c_str(), "%lfdB", &peakLevel), 1)
        << Shown(0, R::kPeakValue);
    EXPECT_NEAR(peakFrequency, 1000.0, 0.15);
    EXPECT_NEAR(peakLevel, Decibels(sine.fundamentalPower), 0.02);

    double level = 0.0;
    char volts[64] = {};
    ASSERT_EQ(std::sscanf(Shown(0, R::kLevelValue).c_str(), "%lfdB/%63s", &level, volts), 2)
        << Shown(0, R::kLevelValue);
    EXPECT_NEAR(level, Decibels(sine.totalPower), 0.06);
    double millivolts = 0.0;
    ASSERT_EQ(std::sscanf(volts, "%lfmV", &millivolts), 1) << volts;
    EXPECT_NEAR(millivolts, 1000.0 * std::sqrt(sine.totalPower), 1.0);
    EXPECT_EQ(Shown(0, R::kLevelLabel), "Inband level");

    // The sine's own distortion lies below what a windowed spectrum resolves; the lines are there.
    EXPECT_EQ(Shown(0, R::kFirstLineLabel), "THD+N");
    EXPECT_EQ(Shown(0, R::kSecondLineLabel), "THD");

    // The published record carries the same figures for the sweeps and the logger.
    const CReadoutRecord& record = View().GetPublishedRecord();
    EXPECT_NEAR(record.m_adPeakPosition[0], 1000.0, 0.15);

    // Oscilloscope: the largest sample is 32767/32768 of full scale; no level or distortion lines.
    View().OnCommand(view_command::kOscilloscope);
    ASSERT_TRUE(WaitForRefreshes(4));
    double peakAmplitude = 0.0;
    ASSERT_EQ(std::sscanf(Shown(0, R::kPeakValue).c_str(), "%lf", &peakAmplitude), 1)
        << Shown(0, R::kPeakValue);
    EXPECT_NEAR(peakAmplitude, 32767.0 / 32768.0, 1e-4);
    EXPECT_EQ(Shown(0, R::kFirstLineValue), "");
    EXPECT_EQ(Shown(0, R::kSecondLineValue), "");
    EXPECT_EQ(Shown(0, R::kPeakXLabel), "Time");

    // The second window shows curve 1 once it is opened.
    View().OnCommand(view_command::kMeasurementsCurve2);
    EXPECT_TRUE(m_window->GetReadoutWindow(1)->IsShown());
    EXPECT_EQ(m_window->GetReadoutWindow(1)->GetTitle().utf8_string().rfind("Measurement V:1 ", 0), 0u);
}

TEST_F(SndViewReadoutsTest, ShowTheDistortionOfADistortedSine)
{
    using R = CReadoutTexts;
    View().OnStop();
    m_engine.StopInput();
    m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<viewtest::ToneInput>(
                                                           1000.0, DistortedSine::kAmplitude,
                                                           DistortedSine::kSecond, DistortedSine::kThird));
    m_engine.m_nBitsPerSample = 32;
    View().OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(4));

    using Input = DistortedSine;
    const double fundamental = Input::kAmplitude * Input::kAmplitude / 2.0;
    const double harmonics = fundamental * (Input::kSecond * Input::kSecond + Input::kThird * Input::kThird);
    const double ratio = std::sqrt(harmonics / fundamental);  // THD and THD+N alike: nothing else
    struct Line
    {
        int label;
        const char* name;
        int value;
    };
    for (const Line& line : {Line{R::kFirstLineLabel, "THD+N", R::kFirstLineValue},
                             Line{R::kSecondLineLabel, "THD", R::kSecondLineValue}})
    {
        double percent = 0.0;
        double decibels = 0.0;
        EXPECT_EQ(Shown(0, line.label), line.name);
        ASSERT_EQ(std::sscanf(Shown(0, line.value).c_str(), "%lf%%=%lfdB", &percent, &decibels), 2)
            << Shown(0, line.value);
        EXPECT_NEAR(percent, 100.0 * ratio, 0.01 * 100.0 * ratio) << line.name;
        EXPECT_NEAR(decibels, 20.0 * std::log10(ratio), 0.1) << line.name;
    }
    double level = 0.0;
    ASSERT_EQ(std::sscanf(Shown(0, R::kLevelValue).c_str(), "%lfdB", &level), 1) << Shown(0, R::kLevelValue);
    EXPECT_NEAR(level, Decibels(fundamental + harmonics), 0.06);
    double peakLevel = 0.0;
    ASSERT_EQ(std::sscanf(Shown(0, R::kPeakValue).c_str(), "%lfdB", &peakLevel), 1);
    EXPECT_NEAR(peakLevel, Decibels(fundamental), 0.05);
}

}  // namespace

namespace
{

// The first readout window opens inside the main window's right edge, below its menu bar and
// toolbar, and moves with the main window.
TEST(SndViewReadoutPlacement, InsideTheRightEdgeBelowTheToolbarsAndFollowingTheMainWindow)
{
    if (!testsupport::WxStarted())
        GTEST_SKIP() << "no display (run under xvfb-run)";
    g_bDisplayRestart = 1;
    CViewDocument document;
    viewtest::RecordingViewFrame services;
    document.m_pFrame = &services;
    CSoundIn engine;
    engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
    engine.m_nInputMode = CSoundIn::kInputSimulated;

    auto* frame = new wxFrame(nullptr, wxID_ANY, "main", wxPoint(60, 40), wxSize(1000, 700));
    auto* menuBar = new wxMenuBar;
    auto* menu = new wxMenu;
    menu->Append(wxID_EXIT, "E&xit");
    menuBar->Append(menu, "&File");
    frame->SetMenuBar(menuBar);
    wxToolBar* toolBar = frame->CreateToolBar();
    toolBar->AddTool(wxID_ANY, "Start", wxArtProvider::GetBitmap(wxART_GO_FORWARD, wxART_TOOLBAR));
    toolBar->Realize();
    frame->Show();
    wxTheApp->Yield(true);
    auto* window = new CSndViewWindow(frame, document, engine);
    window->GetView().OnInitialUpdate();
    for (int i = 0; i < 20; ++i)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    CMeasurementsDlg* readout = window->GetReadoutWindow(0);
    ASSERT_NE(readout, nullptr);
    ASSERT_TRUE(readout->IsShown());
    const auto check = [&]
    {
        const wxRect owner = frame->GetScreenRect();
        const wxRect client(frame->ClientToScreen(wxPoint(0, 0)), frame->GetClientSize());
        const wxRect placed = readout->GetScreenRect();
        EXPECT_NEAR(placed.GetRight(), client.GetRight() - 10, 1)
            << "its right edge 10 pixels inside the main window's";
        EXPECT_GE(placed.GetTop(), client.GetTop() + 10) << "below the menu bar and the toolbar";
        EXPECT_GE(placed.GetTop(), owner.GetTop() + 84);
        EXPECT_TRUE(owner.Contains(placed)) << "inside the main window";
    };
    check();
    const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(folder);
    const auto savePicture = [&](const std::string& name)
    {
        wxTheApp->Yield(true);
        const wxImage picture = platform::ui::CaptureScreen(wxRect(0, 0, 1280, 1024));
        EXPECT_TRUE(
            picture.IsOk() &&
            picture.SaveFile((folder / ("readout-placement-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
    };
    savePicture("opened");

    // The main window moves: the readout goes with it.
    const wxPoint before = readout->GetScreenPosition();
    const wxPoint ownerBefore = frame->GetScreenPosition();
    frame->Move(wxPoint(220, 160));
    for (int i = 0; i < 50 && frame->GetScreenPosition() == ownerBefore; ++i)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (int i = 0; i < 10; ++i)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(readout->GetScreenPosition() - before, frame->GetScreenPosition() - ownerBefore);
    check();
    savePicture("moved");

    frame->Destroy();
    wxTheApp->Yield(true);
    engine.StopInput();
}

}  // namespace
