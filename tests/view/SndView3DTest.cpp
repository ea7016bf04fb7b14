// The measurement window's 3D waterfall commands without a screen: the window it asks for, the
// engine's flag and the plot's feed, closing on the window's request, pausing and a changed time
// range.
#include <gtest/gtest.h>

#include <mutex>

#include "display/ThreeDWindow.h"
#include "display/WaterfallScene.h"
#include "tests/view/ViewFixture.h"

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
    }
    CWaterfallScene m_scene;
    int m_nPause = 0;
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
    std::unique_ptr<Fake3DWindow> m_window;
    std::function<void()> m_closeRequest;
    std::function<void()> m_screenshotRequest;
    std::vector<std::string> m_shots;
};

class SndView3D : public viewtest::ViewFixture
{
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

}  // namespace
