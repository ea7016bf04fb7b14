// A measurement window under the window toolkit with an impulse response loaded through its menu
// command: every impulse plot drawn, and pictures of the energy-time curve, the Schroeder plot with
// its fitted line and the reverberation time over frequency kept in the test output folder.
#include "engine/SoundIn.h"
#include "platform/image/Image.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/DecayWave.h"
#include "tests/view/ui/LiveView.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

namespace fs = std::filesystem;

class SndViewImpulseWindowTest : public testsupport::TempHomeTest, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(16384, m_engine.m_nWindowType));
        m_engine.m_bProcessingEnabled.store(1);
    }
    void TearDown() override
    {
        CSndViewWindow::s_strImpulseFileAnswer.clear();
        CloseLiveView();
    }

    std::string DecayWave(double decayTime, int rate, double seconds)
    {
        const std::string path = (m_home.Root() / "room.wav").string();
        EXPECT_TRUE(viewtest::WriteDecayWave(path, decayTime, rate, seconds, 2e-4));
        return path;
    }

    fs::path Output(const std::string& name) const
    {
        const fs::path folder = TESSARIN_TEST_OUTPUT_DIR;
        fs::create_directories(folder);
        return folder / name;
    }
};

TEST_F(SndViewImpulseWindowTest, LoadsAFileAndDrawsEveryImpulsePlot)
{
    CSndViewWindow::s_strImpulseFileAnswer = DecayWave(0.8, 48000, 2.0);
    ASSERT_TRUE(View().OnCommand(view_command::kLoadImpulse));
    ASSERT_TRUE(View().GetImpulse().IsHeld());
    EXPECT_EQ(View().GetViewMode(), 256);
    struct Plot
    {
        int command;
        int mode;
        const char* picture;
    };
    const Plot plots[] = {
        {view_command::kPlotImpulse, 256, "impulse-plot.png"},
        {view_command::kPlotFreqResponse, 257, "impulse-frequency-response.png"},
        {view_command::kPlotPhaseResponse, 258, "impulse-phase.png"},
        {view_command::kPlotEnergyTime, 259, "impulse-etc.png"},
        {view_command::kPlotEnergyDecay, 260, "impulse-schroeder.png"},
        {view_command::kPlotStepResponse, 261, "impulse-step.png"},
        {view_command::kPlotReverbVsFrequency, 262, "impulse-rt-vs-frequency.png"},
        {view_command::kPlotGroupDelay, 263, "impulse-group-delay.png"},
    };
    for (const Plot& p : plots)
    {
        SCOPED_TRACE(p.picture);
        if (View().GetViewMode() != p.mode)
            View().OnCommand(p.command);
        ASSERT_EQ(View().GetViewMode(), p.mode);
        View().OnCommand(view_command::kYAutoScale);
        // The ranges the impulse report shows these plots in.
        if (p.mode == 259)
            View().RemoteSetYRange(-100.0, 5.0);
        if (p.mode == 260)
            View().RemoteSetYRange(-62.0, 5.0);
        if (p.mode == 262)
        {
            const CRoomAcousticResults& r = View().GetRoomAcousticResults(0);
            float longest = 0.0f;
            for (int b = 0; b < r.m_thirdLastBand; ++b)
                longest = std::max(longest, r.m_thirdDecayTimes[static_cast<std::size_t>(b)]);
            ASSERT_GT(longest, 0.0f);
            View().RemoteSetYRange(0.0, 1.05 * longest);
        }
        wxTheApp->Yield(true);
        m_window->Refresh();
        wxTheApp->Yield(true);
        EXPECT_GT(View().GetPlot().m_dataRange.m_nPoints, 0);
        const fs::path path = Output(p.picture);
        fs::remove(path);
        ASSERT_TRUE(m_window->SavePlotPicture(path.string()));
        const wxImage image = platform::LoadImage(path);
        ASSERT_TRUE(image.IsOk());
        EXPECT_EQ(image.GetWidth(), CSndView::kExportWidth);
    }
    // The figures of the loaded response: a decay time near the one written.
    const CRoomAcousticResults& r = View().GetRoomAcousticResults(0);
    EXPECT_NEAR(r.m_decayTime, 0.8, 0.04);
    EXPECT_GT(r.m_thirdLastBand, 10);
    // Only the load's information box.
    ASSERT_EQ(m_frameServices.messages.size(), 1u);
    EXPECT_NE(m_frameServices.messages[0].find("Fs=48000Hz 1 ch"), std::string::npos);
}

}  // namespace
