// Overlays and settings files in a real measurement window on the simulated 1 kHz sine: the O1
// button keeps the live spectrum, a SUB overlay and a text overlay are drawn with it, and a saved
// configuration restores changed settings through the window's commands. Pictures are saved.
#include "common/DspOperation.h"
#include "engine/SoundIn.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ViewDocument.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace
{

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

class SndViewOverlaysWindowTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(4096, 2));
        m_folder = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override
    {
        CSndViewWindow::s_strSettingsFileAnswer.clear();
        CloseLiveView();
    }
    void SavePicture(const std::string& name)
    {
        m_window->GetView().GetPlot().ForceRedraw();
        wxImage image = m_window->RenderImage();
        EXPECT_TRUE(
            image.SaveFile((m_folder / ("view-overlays-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
    }
    std::filesystem::path m_folder;
};

TEST_F(SndViewOverlaysWindowTest, SnapshotMathTextOverlayAndSettingsFiles)
{
    CSndView& view = View();
    view.OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(3));

    // O1 keeps the live spectrum in slot 0 and checks its button.
    ASSERT_TRUE(view.OnCommand(view_command::kFirstOverlaySnapshot));
    EXPECT_TRUE(view.IsCommandChecked(view_command::kFirstOverlaySnapshot));
    const int curves = view.GetPlot().GetCurveCount();
    EXPECT_EQ(view.GetCurveCount(), curves + 1);
    EXPECT_EQ(view.GetCurvePointCount(curves), 2048);

    // The live curve minus 20 dB (a constant of 0.1) into overlay 2.
    ASSERT_TRUE(view.SetAsOverlay(1, 0, 0, kDspSub, true, -20.0));
    const std::string text = (m_folder / "overlay-text.txt").string();
    std::ofstream(text) << "100 -40\n1000 -10\n10000 -40\n";
    EXPECT_EQ(view.LoadOverlayText(text, 2, 0, 0), 3);
    EXPECT_EQ(view.GetActiveOverlayCount(), 3);
    ASSERT_TRUE(WaitForRefreshes(2));
    SavePicture("snapshot-sub-text");

    // Save config, change settings, Load config restores them.
    CSndViewWindow::s_strSettingsFileAnswer = (m_folder / "overlays-config.ini").string();
    m_engine.m_nAverageCount = 4;
    m_engine.m_dTriggerLevel = 1e-7;
    ASSERT_TRUE(view.OnCommand(view_command::kSaveConfig));
    view.OnCommand(view_command::kStop);
    m_engine.m_nAverageCount = 1;
    m_engine.m_dTriggerLevel = 0.5;
    m_engine.SetFftSize(1024);
    ASSERT_TRUE(view.OnCommand(view_command::kLoadConfig));
    EXPECT_EQ(m_engine.m_nAverageCount, 4);
    EXPECT_EQ(m_engine.m_dTriggerLevel, 1e-7);
    EXPECT_EQ(m_engine.m_nFftSize, 4096);
    ASSERT_TRUE(WaitForRefreshes(3));
    EXPECT_EQ(view.GetActiveOverlayCount(), 3);
    SavePicture("after-load-config");
    EXPECT_TRUE(m_frameServices.messages.empty());
}

}  // namespace
