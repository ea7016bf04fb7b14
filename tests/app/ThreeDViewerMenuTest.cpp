// The 3D waterfall reached through Tessarin's own menu, on the real engine with the simulated 1 kHz
// input and Mesa's software renderer: the rows peak at the x of 1 kHz, the window draws the surface,
// a double-click writes its picture into the screenshot folder, an input restart leaves it running
// and a right click closes it.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "display/ThreeDWindow.h"
#include "display/ui/AppForm.h"
#include "display/ui/CurveDialogs.h"
#include "engine/AudioInSim.h"
#include "platform/image/Image.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/support/TestWaveFile.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"

namespace
{

const bool g_softwareGl = [] { return setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1) == 0; }();

constexpr int kScreenshotFolder = 1004;

class ThreeDViewerMenuTest : public testsupport::EngineFrameFixture
{
};

// The point (0..119) of the newest row with the largest value.
int PeakPointOfNewestRow(CWaterfallScene& scene)
{
    std::lock_guard lock(scene.m_mutex);
    const std::vector<float>& row = scene.Row(0);
    return static_cast<int>(std::max_element(row.begin(), row.end()) - row.begin());
}

TEST_F(ThreeDViewerMenuTest, OpensOnTheLiveSpectrumShowsTheSineAndClosesOnRightClick)
{
    ASSERT_TRUE(g_softwareGl);
    CSndView* view = NewWindowOnSimulatedInput();
    ASSERT_NE(view, nullptr);
    m_engine.SetFftSize(4096);
    // What the program's start-up switches on before the first window shows live data.
    g_bDisplayRestart = 1;
    m_engine.m_bProcessingEnabled.store(1);
    view->OnCommand(view_command::kStart);
    ASSERT_TRUE(PumpUntil([&] { return m_engine.m_nAnalysisCounter.load() > 2; }, 5000));

    // Plug-Ins > 3D viewer, with its check mark. On the software renderer the window says once that
    // it runs on the reference rasterizer.
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder boxes{[&](const platform::ui::MessageBoxRequest& request)
                                                  {
                                                      messages.push_back(request.text);
                                                      return wxID_OK;
                                                  }};
    wxMenuItem* item = m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(view_command::k3dViewer));
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(MenuChecked(view_command::k3dViewer));
    RunCommand(view_command::k3dViewer);
    auto* form = dynamic_cast<CAppForm*>(g_p3DWindow);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(MenuChecked(view_command::k3dViewer));
    EXPECT_EQ(m_engine.m_b3DWaterfall, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("No hardware-accelerated OpenGL devices", 0), 0u) << messages[0];

    // After two seconds the rows have come and peak at the x of 1 kHz on the window's axis.
    Pump(2000);
    ASSERT_TRUE(PumpUntil([&] { return form->m_nScenesDrawn > 0; }, 5000));
    double xMin = 0, xMax = 0;
    int logarithmic = 0;
    {
        std::lock_guard lock(form->m_scene.m_mutex);
        xMin = form->m_scene.m_xAxis.m_dMinimum;
        xMax = form->m_scene.m_xAxis.m_dMaximum;
        logarithmic = form->m_scene.m_xAxis.m_bLogarithmic;
    }
    ASSERT_GT(xMax, xMin);
    const int points = CWaterfallScene::kPoints;
    const double expected = logarithmic ? (points - 1) * std::log10(1000.0 / xMin) / std::log10(xMax / xMin)
                                        : (points - 1) * (1000.0 - xMin) / (xMax - xMin);
    EXPECT_NEAR(PeakPointOfNewestRow(form->m_scene), expected, 1.5) << xMin << ".." << xMax;

    // A frame read back shows the surface: the ridge in the top colours of the map.
    ASSERT_EQ(form->RunFrame(), 0);
    const wxImage image = form->ReadImage();
    ASSERT_TRUE(image.IsOk());
    int red = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (image.GetRed(x, y) > 200 && image.GetGreen(x, y) < 90 && image.GetBlue(x, y) < 90)
                ++red;
    EXPECT_GT(red, 50);
    const std::filesystem::path out(TESSARIN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(out);
    EXPECT_TRUE(platform::SaveImage(image, out / "tessarin-3d-viewer.png", platform::ImageFormat::Png));

    // An input restart pauses the window and resumes it: the pause count ends at 0.
    m_engine.StopInput();
    view->OnCommand(view_command::kStart);
    Pump(300);
    EXPECT_EQ(form->Pause(true), 1);
    EXPECT_EQ(form->Pause(false), 0);

    // A double-click writes a JPEG into the screenshot folder; from then on the help is not drawn.
    const std::filesystem::path shots = m_frame->GetDataFolder(kScreenshotFolder);
    ASSERT_FALSE(shots.empty());
    wxMouseEvent dclick(wxEVT_LEFT_DCLICK);
    form->Canvas()->GetEventHandler()->ProcessEvent(dclick);
    ASSERT_TRUE(PumpUntil([&] { return form->m_bScreenshotTaken; }, 3000));
    int jpegs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(shots))
    {
        const std::string name = entry.path().filename().string();
        if (name.rfind("3D_", 0) == 0 && entry.path().extension() == ".jpg")
            ++jpegs;
    }
    EXPECT_EQ(jpegs, 1);

    // A right click asks the measurement window to close it, and it goes.
    wxMouseEvent right(wxEVT_RIGHT_DOWN);
    form->Canvas()->GetEventHandler()->ProcessEvent(right);
    ASSERT_TRUE(PumpUntil([] { return g_p3DWindow == nullptr; }, 3000));
    EXPECT_EQ(m_engine.m_b3DWaterfall, 0);
    EXPECT_FALSE(MenuChecked(view_command::k3dViewer));
    m_engine.StopInput();
}

// "3D waterfall Start/Stop" on an impulse response loaded into the window: the cumulative decay of a
// decaying 1 kHz tone fills the window; "Settings" refuses crossed limits, takes good ones and the
// waterfall comes back with its camera where it was.
TEST_F(ThreeDViewerMenuTest, WaterfallOfALoadedImpulseResponseAndItsSettings)
{
    ASSERT_TRUE(g_softwareGl);
    m_app->OnFileNew();
    wxTheApp->Yield(true);
    CSndView* view = m_frame->GetActiveView();
    ASSERT_NE(view, nullptr);
    g_bDisplayRestart = 1;
    m_engine.m_bProcessingEnabled.store(1);
    const std::filesystem::path wave = m_home.Root() / "decay.wav";
    ASSERT_TRUE(testsupport::WritePcm16Wave(
        wave, 1, 48000, 24000,
        [](int, long i) { return std::exp(-i / 2400.0) * std::sin(2 * M_PI * 1000.0 * i / 48000.0) * 0.9; }));
    ASSERT_EQ(view->LoadImpulseFromAudioFile(wave.string(), true), 24000);

    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder boxes{[&](const platform::ui::MessageBoxRequest& request)
                                                  {
                                                      messages.push_back(request.text);
                                                      return wxID_OK;
                                                  }};
    RunCommand(view_command::kWaterfallStartStop);
    auto* form = dynamic_cast<CAppForm*>(g_p3DWindow);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(m_engine.m_b3DWaterfall, 0);
    EXPECT_FALSE(MenuChecked(view_command::k3dViewer));

    // The rows come from the worker on the next paints; the decay peaks at the x of 1 kHz.
    auto rowsFilled = [&]
    {
        std::lock_guard lock(form->m_scene.m_mutex);
        int filled = 0;
        for (int r = 0; r < form->m_scene.AllocatedRows(); ++r)
            filled += *std::max_element(form->m_scene.Row(r).begin(), form->m_scene.Row(r).end()) > 0.0f;
        return filled;
    };
    ASSERT_TRUE(PumpUntil([&] { return rowsFilled() > 10; }, 8000));
    double xMin = 0, xMax = 0;
    int logarithmic = 0;
    {
        std::lock_guard lock(form->m_scene.m_mutex);
        xMin = form->m_scene.m_xAxis.m_dMinimum;
        xMax = form->m_scene.m_xAxis.m_dMaximum;
        logarithmic = form->m_scene.m_xAxis.m_bLogarithmic;
    }
    EXPECT_EQ(xMin, m_engine.m_dWaterfallXMin);
    EXPECT_EQ(xMax, m_engine.m_dWaterfallXMax);
    const int points = CWaterfallScene::kPoints;
    const double expected = logarithmic ? (points - 1) * std::log10(1000.0 / xMin) / std::log10(xMax / xMin)
                                        : (points - 1) * (1000.0 - xMin) / (xMax - xMin);
    int peak = 0;
    {
        // The loudest point of the whole history.
        std::lock_guard lock(form->m_scene.m_mutex);
        float loudest = -1.0f;
        for (int r = 0; r < form->m_scene.AllocatedRows(); ++r)
            for (int k = 0; k < points; ++k)
                if (form->m_scene.Row(r)[static_cast<std::size_t>(k)] > loudest)
                {
                    loudest = form->m_scene.Row(r)[static_cast<std::size_t>(k)];
                    peak = k;
                }
    }
    EXPECT_NEAR(peak, expected, 2.0);
    Pump(300);
    ASSERT_EQ(form->RunFrame(), 0);
    const wxImage image = form->ReadImage();
    ASSERT_TRUE(image.IsOk());
    const std::filesystem::path out(TESSARIN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(out);
    EXPECT_TRUE(
        platform::SaveImage(image, out / "tessarin-3d-waterfall-impulse.png", platform::ImageFormat::Png));

    // Settings: crossed x limits are refused and the dialog comes again; the good values restart it.
    form->m_camera.m_fRotY = 0.5f;
    form->m_camera.m_fMoveZ = -7.0f;
    {
        testsupport::FillAndConfirm fill{
            [](wxDialog& dialog, int showing)
            {
                auto text = [&](int id, const char* value)
                { dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id))->ChangeValue(value); };
                text(CWaterfallSettingsDlg::kIdXMin, showing == 0 ? "5000" : "200");
                text(CWaterfallSettingsDlg::kIdXMax, showing == 0 ? "1000" : "8000");
                return true;
            }};
        RunCommand(view_command::kWaterfallSettings);
        EXPECT_EQ(fill.m_shown, 2);
        EXPECT_EQ(fill.m_refused, 0);
    }
    const std::vector<std::string>& trace = m_app->GetTrace();
    EXPECT_EQ(
        std::count(trace.begin(), trace.end(), "message box: x-axis maximum must be larger than minimum"), 1);
    EXPECT_EQ(m_engine.m_dWaterfallXMin, 200.0);
    EXPECT_EQ(m_engine.m_dWaterfallXMax, 8000.0);
    ASSERT_TRUE(PumpUntil([] { return g_p3DWindow != nullptr; }, 3000));
    form = dynamic_cast<CAppForm*>(g_p3DWindow);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->m_camera.m_fRotY, 0.5f);
    EXPECT_EQ(form->m_camera.m_fMoveZ, -7.0f);
    ASSERT_TRUE(PumpUntil(
        [&]
        {
            std::lock_guard lock(form->m_scene.m_mutex);
            return form->m_scene.m_xAxis.m_dMaximum == 8000.0;
        },
        5000));

    // Start/Stop again closes it.
    RunCommand(view_command::kWaterfallStartStop);
    EXPECT_EQ(g_p3DWindow, nullptr);
}

}  // namespace
