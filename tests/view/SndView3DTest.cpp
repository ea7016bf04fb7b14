// The measurement window's 3D waterfall commands without a screen: the window it asks for, the
// engine's flag and the plot's feed, closing on the window's request, pausing and a changed time
// range.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

#include "display/ThreeDWindow.h"
#include "display/WaterfallScene.h"
#include "tests/view/ViewFixture.h"
#include "texts/TextTable.h"

namespace
{

// A 3D window that keeps its scene and pause count, opened and closed through the view window.
class Fake3DWindow : public C3DWindowBase
{
public:
    Fake3DWindow() { g_p3DWindow = this; }
    ~Fake3DWindow() override
    {
        if (g_p3DWindow == this)
            g_p3DWindow = nullptr;
    }
    int Pause(bool pause) override
    {
        m_nPause = std::max(0, m_nPause + (pause ? 1 : -1));
        return m_nPause;
    }
    CWaterfallScene& Scene() override { return m_scene; }
    void AddRow(std::span<const float> row, int index) override
    {
        std::lock_guard lock(m_scene.m_mutex);
        m_scene.AddRow(row, index);
        ++m_nRows;
    }
    WaterfallCameraPreset GetCamera() const override { return m_camera; }
    void SetCamera(const WaterfallCameraPreset& camera) override { m_camera = camera; }
    CWaterfallScene m_scene;
    int m_nPause = 0;
    std::atomic<int> m_nRows{0};
    WaterfallCameraPreset m_camera;
};

class ThreeDViewWindow : public viewtest::FakeViewWindow
{
public:
    bool Open3DWindow(std::function<void()> closeRequest, std::function<void()> screenshotRequest) override
    {
        m_closeRequest = std::move(closeRequest);
        m_screenshotRequest = std::move(screenshotRequest);
        m_window = std::make_unique<Fake3DWindow>();
        return true;
    }
    void Close3DWindow() override { m_window.reset(); }
    int Save3DScreenshot(const std::string& path) override
    {
        m_shots.push_back(path);
        return 0;
    }
    // The waterfall settings dialog answers with the next of m_answers (Cancel when none is left).
    bool EditWaterfallSettings(WaterfallSettingsValues& values) override
    {
        m_offered.push_back(values);
        if (m_answers.empty())
            return false;
        values = m_answers.front();
        m_answers.erase(m_answers.begin());
        return true;
    }
    std::vector<WaterfallSettingsValues> m_offered;
    std::vector<WaterfallSettingsValues> m_answers;
    std::unique_ptr<Fake3DWindow> m_window;
    std::function<void()> m_closeRequest;
    std::function<void()> m_screenshotRequest;
    std::vector<std::string> m_shots;
};

class SndView3D : public viewtest::ViewFixture
{
protected:
    // A decaying 1 kHz tone of `frames` frames at 48 kHz as the window's impulse response.
    static void HoldDecay(CSndView& view, int frames)
    {
        CImpulseResponse impulse;
        ASSERT_TRUE(impulse.Prepare(1, frames));
        impulse.m_dSampleRate = 48000.0;
        for (int i = 0; i < frames; ++i)
            impulse.Channel(0)[i] =
                static_cast<float>(std::exp(-i / 4800.0) * std::sin(2 * M_PI * 1000.0 * i / 48000.0));
        impulse.NewId();
        view.CopyImpulseFrom(impulse);
    }
};

TEST_F(SndView3D, ViewerCommandOpensTheWindowFeedsItAndClosesOnItsRequest)
{
    ASSERT_EQ(CSndView::CheckLogoImage(), 1);  // the build puts the picture beside the programs
    CSndView& view = MakeView();
    ThreeDViewWindow window;
    view.SetWindow(&window);
    EXPECT_FALSE(view.IsCommandChecked(view_command::k3dViewer));
    ASSERT_TRUE(view.OnCommand(view_command::k3dViewer));
    ASSERT_NE(window.m_window, nullptr);
    EXPECT_EQ(g_p3DWindow, window.m_window.get());
    EXPECT_EQ(m_engine.m_b3DWaterfall, 1);
    EXPECT_TRUE(view.IsCommandChecked(view_command::k3dViewer));
    EXPECT_EQ(view.GetPlot().m_waterfall.m_bLive.load(), 1);
    EXPECT_EQ(view.GetPlot().m_waterfall.m_nStyle, waterfall_style::kEngineDefault);

    // Pausing goes to the window and back.
    EXPECT_EQ(CSndView::Pause3DViewer(1), 1);
    EXPECT_EQ(CSndView::Pause3DViewer(0), 0);

    // A changed time range makes the window read its ranges again; an unchanged one does not.
    window.m_window->m_scene.m_bAxesValid = 1;
    view.SetImpulseTimeRange(0.0, 0.5);
    EXPECT_EQ(window.m_window->m_scene.m_bAxesValid, 0);
    EXPECT_EQ(view.GetPlot().m_waterfall.m_dEndTime, 0.5);
    window.m_window->m_scene.m_bAxesValid = 1;
    view.SetImpulseTimeRange(0.0, 0.5);
    EXPECT_EQ(window.m_window->m_scene.m_bAxesValid, 1);

    // The window's close request switches the viewer off.
    window.m_closeRequest();
    EXPECT_EQ(window.m_window, nullptr);
    EXPECT_EQ(g_p3DWindow, nullptr);
    EXPECT_EQ(m_engine.m_b3DWaterfall, 0);
    EXPECT_EQ(view.GetPlot().m_waterfall.m_bLive.load(), 0);
    EXPECT_EQ(CSndView::Pause3DViewer(1), 0);
    view.SetWindow(nullptr);
}

TEST_F(SndView3D, ClosingTheMeasurementWindowClosesTheViewer)
{
    ThreeDViewWindow window;
    {
        CSndView& view = MakeView();
        view.SetWindow(&window);
        view.OnCommand(view_command::k3dViewer);
        ASSERT_NE(window.m_window, nullptr);
        m_views.clear();
    }
    EXPECT_EQ(window.m_window, nullptr);
    EXPECT_EQ(g_p3DWindow, nullptr);
}

// "3D waterfall Start/Stop" shows the held impulse response: refused without one, left alone while
// the live viewer runs, fed by the plot's worker and closed on the window's request.
TEST_F(SndView3D, WaterfallStartStopShowsTheHeldImpulseResponse)
{
    CSndView& view = MakeView();
    ThreeDViewWindow window;
    view.SetWindow(&window);
    CWaterfallFeed& feed = view.GetPlot().m_waterfall;

    view.OnCommand(view_command::kWaterfallStartStop);
    EXPECT_EQ(window.m_window, nullptr);
    EXPECT_EQ(m_frame.CountMessages(GetText(16)), 1);

    HoldDecay(view, 24000);
    m_engine.m_dWaterfallXMin = 100.0;
    m_engine.m_dWaterfallXMax = 10000.0;
    m_engine.m_dWaterfallYMin = -80.0;
    m_engine.m_dWaterfallYMax = 10.0;
    m_engine.m_bWaterfallLogX = 0;
    // The live viewer has the 3D window: the command leaves it alone.
    view.OnCommand(view_command::k3dViewer);
    ASSERT_EQ(m_engine.m_b3DWaterfall, 1);
    view.OnCommand(view_command::kWaterfallStartStop);
    EXPECT_EQ(feed.m_bTimeSignal.load(), 0);
    EXPECT_EQ(m_engine.m_b3DWaterfall, 1);
    view.OnCommand(view_command::k3dViewer);
    ASSERT_EQ(window.m_window, nullptr);

    view.OnCommand(view_command::kWaterfallStartStop);
    ASSERT_NE(window.m_window, nullptr);
    EXPECT_EQ(m_engine.m_b3DWaterfall, 0);
    EXPECT_FALSE(view.IsCommandChecked(view_command::k3dViewer));
    EXPECT_EQ(feed.m_bTimeSignal.load(), 1);
    EXPECT_EQ(feed.m_bLive.load(), 0);
    const CPlotRange& spare = view.GetPlot().m_spareRange;
    EXPECT_EQ(spare.m_dXMin, 100.0);
    EXPECT_EQ(spare.m_dXMax, 10000.0);
    EXPECT_EQ(spare.m_dYMin, -80.0);
    EXPECT_EQ(spare.m_dYMax, 10.0);
    EXPECT_EQ(spare.m_bXLog, 0);
    ASSERT_NE(feed.m_pRecord, nullptr);
    EXPECT_EQ(feed.m_pRecord->sampleRate, 48000.0);
    EXPECT_EQ(feed.m_pRecord->validCount, 24000);
    EXPECT_EQ(feed.m_pRecord->samples, view.GetImpulse().Channel(0));

    // The plot's feed fills the window's rows from the impulse response on its worker.
    view.GetPlot().FeedWaterfallView();
    const int rows = CWaterfallScene::RowsOfStyle(feed.m_nStyle);
    for (int i = 0; i < 500 && window.m_window->m_nRows.load() < rows; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(window.m_window->m_nRows.load(), rows);

    // The window's close request ends the worker and closes the window.
    window.m_closeRequest();
    EXPECT_EQ(window.m_window, nullptr);
    EXPECT_EQ(feed.m_bTimeSignal.load(), 0);
    EXPECT_FALSE(feed.WorkerRunning());
    view.SetWindow(nullptr);
}

// "Settings" asks again until the ranges can be used, then gives them to the engine and the plot; an
// open waterfall closes and starts again 200 ms later with its camera where it was.
TEST_F(SndView3D, WaterfallSettingsAreCheckedAndRestartTheOpenWaterfall)
{
    struct Case
    {
        float xMin, xMax, yMin, yMax;
        const char* message;
    };
    const Case cases[] = {
        {-1.0f, 1000.0f, -90.0f, 0.0f, "x-axis limits must be not negative"},
        {10.0f, -5.0f, -90.0f, 0.0f, "x-axis limits must be not negative"},
        {1000.0f, 1000.0f, -90.0f, 0.0f, "x-axis maximum must be larger than minimum"},
        {2000.0f, 1000.0f, -90.0f, 0.0f, "x-axis maximum must be larger than minimum"},
        {20.0f, 20000.0f, 0.0f, 0.0f, "y-axis maximum must be larger than minimum"},
        {0.0f, 20000.0f, -90.0f, 0.0f, ""},
    };
    for (const Case& c : cases)
    {
        WaterfallSettingsValues v;
        v.xMin = c.xMin;
        v.xMax = c.xMax;
        v.yMin = c.yMin;
        v.yMax = c.yMax;
        EXPECT_EQ(CheckWaterfallSettings(v), c.message) << c.xMin << " " << c.xMax;
    }

    CSndView& view = MakeView();
    ThreeDViewWindow window;
    view.SetWindow(&window);
    HoldDecay(view, 9600);
    view.OnCommand(view_command::kWaterfallStartStop);
    ASSERT_NE(window.m_window, nullptr);
    window.m_window->m_camera = {0.3f, -0.2f, 1.0f, 2.0f, -6.0f};

    WaterfallSettingsValues bad;
    bad.xMin = 500.0f;
    bad.xMax = 100.0f;
    WaterfallSettingsValues good;
    good.xLog = 0;
    good.xMin = 50.0f;
    good.xMax = 5000.0f;
    good.yMin = -60.0f;
    good.yMax = 6.0f;
    good.start = 0.01;
    good.stop = -1.0;
    good.yLog = 0;
    good.invert = 1;
    window.m_answers = {bad, good};
    view.OnCommand(view_command::kWaterfallSettings);
    ASSERT_EQ(window.m_offered.size(), 2u);
    EXPECT_EQ(window.m_offered[0].xMin, 20.0f);
    EXPECT_EQ(window.m_offered[1].xMin, 500.0f);  // asked again with what the user typed
    EXPECT_EQ(m_frame.CountMessages("x-axis maximum must be larger than minimum"), 1);
    EXPECT_EQ(m_engine.m_bWaterfallLogX, 0);
    EXPECT_EQ(m_engine.m_dWaterfallXMin, 50.0);
    EXPECT_EQ(m_engine.m_dWaterfallXMax, 5000.0);
    EXPECT_EQ(m_engine.m_dWaterfallYMin, -60.0);
    EXPECT_EQ(m_engine.m_dWaterfallYMax, 6.0);
    const CWaterfallFeed& feed = view.GetPlot().m_waterfall;
    EXPECT_EQ(feed.m_dStartTime, 0.01);
    EXPECT_EQ(feed.m_dEndTime, -1.0);
    EXPECT_EQ(feed.m_bDecibel, 0);
    EXPECT_EQ(feed.m_bReverse, 1);

    // Closed now, and started again by its timer with the camera put back.
    EXPECT_EQ(window.m_window, nullptr);
    ASSERT_TRUE(window.HasTimer(CSndView::kTimerWaterfallRestart));
    EXPECT_EQ(window.m_timers[CSndView::kTimerWaterfallRestart], 200);
    view.OnTimer(CSndView::kTimerWaterfallRestart);
    ASSERT_NE(window.m_window, nullptr);
    EXPECT_FALSE(window.HasTimer(CSndView::kTimerWaterfallRestart));
    EXPECT_EQ(window.m_window->m_camera.rotX, 0.3f);
    EXPECT_EQ(window.m_window->m_camera.moveZ, -6.0f);
    EXPECT_EQ(view.GetPlot().m_spareRange.m_dXMax, 5000.0);

    // Cancel changes nothing.
    view.OnCommand(view_command::kWaterfallSettings);
    EXPECT_EQ(m_engine.m_dWaterfallXMin, 50.0);
    EXPECT_NE(window.m_window, nullptr);
    view.SetWindow(nullptr);
}

}  // namespace
