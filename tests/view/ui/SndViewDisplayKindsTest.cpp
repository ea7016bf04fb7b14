// The display kinds of a measurement window on the engine's simulated 1 kHz sine: the live
// sonagram ("Spg"), the band display ("RTA": third-octave, octave, off) and the vectorscope of the
// Plug-Ins menu. The pictures are saved for a look.
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace
{

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

class SndViewDisplayKindsTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(4096, 3));
    }

    void TearDown() override
    {
        CSndViewWindow::s_fnVectorscopeAnswer = nullptr;
        CloseLiveView();
    }

    void SavePicture(const std::string& name)
    {
        const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(folder);
        wxImage image = m_window->RenderImage();
        EXPECT_TRUE(image.SaveFile((folder / ("view-window-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
    }

    // The band of the first curve with the highest value, by its lower edge.
    double LoudestBandEdge() const
    {
        const CPlot& plot = m_window->GetView().GetPlot();
        int best = 0;
        for (int b = 1; b < plot.m_nBandCount; ++b)
            if (plot.m_afBandValues[static_cast<std::size_t>(b)] >
                plot.m_afBandValues[static_cast<std::size_t>(best)])
                best = b;
        return plot.m_afBandEdges[static_cast<std::size_t>(best)];
    }
};

TEST_F(SndViewDisplayKindsTest, SpgScrollsALineAtTheTone)
{
    View().OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(2));
    View().OnCommand(view_command::kSpectrogram);
    EXPECT_TRUE(View().IsCommandChecked(view_command::kSpectrogram));
    ASSERT_TRUE(WaitForRefreshes(20));
    const CPlot& plot = View().GetPlot();
    ASSERT_TRUE(plot.m_bSonagram);
    EXPECT_EQ(plot.m_bHold, 0);
    const CSonagram& sonagram = plot.m_sonagram;
    ASSERT_GT(sonagram.GetWidth(), 100);
    // The pixel of 1 kHz on the window's axis.
    PlotPoint at;
    plot.ValueToPixel(&at, 1000.0, plot.m_viewRange.m_dYMin);
    const int tone = at.x - plot.m_nPlotLeft;
    // The newest lines (at the bottom edge) have their highest index at that pixel.
    for (int k = 0; k < 5; ++k)
    {
        const int y = sonagram.GetHeight() - 1 - k;
        int best = 0;
        for (int x = 1; x < sonagram.GetWidth(); ++x)
            if (sonagram.IndexAt(x, y) > sonagram.IndexAt(best, y))
                best = x;
        EXPECT_NEAR(best, tone, 2) << "line " << k;
    }
    SavePicture("sonagram");

    // Stopped: the picture stands still.
    View().OnCommand(view_command::kStop);
    View().SetupCurves();
    EXPECT_EQ(plot.m_bHold, 1);
}

TEST_F(SndViewDisplayKindsTest, RtaCyclesThirdOctaveOctaveAndOff)
{
    View().OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(2));
    View().OnCommand(view_command::kBarGraph);
    EXPECT_TRUE(View().IsCommandChecked(view_command::kBarGraph));
    EXPECT_EQ(View().GetSettings()->m_nBandsPerOctave, 3);
    ASSERT_TRUE(WaitForRefreshes(10));
    const CPlot& plot = View().GetPlot();
    EXPECT_EQ(plot.m_nBandFraction, 3);
    EXPECT_TRUE(plot.m_arrBandResults[0].valid);
    EXPECT_NEAR(LoudestBandEdge(), 1000.0 / std::pow(2.0, 1.0 / 6), 1.0);
    SavePicture("rta-third-octave");

    View().OnCommand(view_command::kBarGraph);
    EXPECT_EQ(View().GetSettings()->m_nBandsPerOctave, 1);
    ASSERT_TRUE(WaitForRefreshes(10));
    EXPECT_EQ(plot.m_nBandFraction, 1);
    EXPECT_NEAR(LoudestBandEdge(), 1000.0 / std::sqrt(2.0), 1.0);
    SavePicture("rta-octave");

    View().OnCommand(view_command::kBarGraph);
    EXPECT_FALSE(View().IsCommandChecked(view_command::kBarGraph));
    EXPECT_EQ(View().GetSettings()->m_nBandsPerOctave, 0);
}

TEST_F(SndViewDisplayKindsTest, VectorscopeFromThePlugInsMenu)
{
    View().OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(2));
    // Cancelled: nothing changes.
    CSndViewWindow::s_fnVectorscopeAnswer = [](CVectorscope_settings& settings)
    {
        settings.m_bActive = 1;
        return false;
    };
    View().OnCommand(view_command::kVectorscope);
    EXPECT_EQ(View().GetSettings()->m_Vectorscope.m_bActive, 0);
    CSndViewWindow::s_fnVectorscopeAnswer = [](CVectorscope_settings& settings)
    {
        settings.m_bActive = 1;
        settings.m_nHistoryDepth = 4;
        settings.m_nStyle = 1;
        settings.m_nRotation = 0;
        return true;
    };
    View().OnCommand(view_command::kVectorscope);
    EXPECT_EQ(View().GetSettings()->m_Vectorscope.m_bActive, 1);
    ASSERT_TRUE(WaitForRefreshes(6));
    const CPlot& plot = View().GetPlot();
    EXPECT_EQ(plot.m_vectorscope.active, 1);
    EXPECT_EQ(plot.m_vectorscopeImage.GetStoredTraceCount(), 4);
    SavePicture("vectorscope");
}

}  // namespace
