// The plug-in analyses of a measurement window on the engine's simulated 1 kHz sine with the input
// dither as its noise: tonality with its text and markers, and the specific loudness over bark. The
// pictures are saved for a look.
#include "display/Annotation.h"
#include "display/settings/ViewSettings.h"
#include "dsp/TonalityAnalyzer.h"
#include "engine/SoundIn.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

namespace
{

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

class SndViewPlugInsTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    static constexpr int kFftSize = 16384;
    static constexpr int kHanning = 3;

    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_engine.m_bInputDither = 1;
        ASSERT_TRUE(OpenLiveView(kFftSize, kHanning));
    }

    void TearDown() override { CloseLiveView(); }

    void SavePicture(const std::string& name)
    {
        const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(folder);
        wxImage image = m_window->RenderImage();
        EXPECT_TRUE(image.SaveFile((folder / ("view-window-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
    }

    // Runs the events until the condition holds; false after 20 s.
    bool WaitUntil(const std::function<bool()>& done)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < limit)
        {
            wxTheApp->Yield(true);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }
};

TEST_F(SndViewPlugInsTest, TonalityShowsItsAdjustmentAndMarkers)
{
    View().OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(2));
    EXPECT_FALSE(View().IsCommandChecked(view_command::kTonality));
    View().OnCommand(view_command::kTonality);
    EXPECT_TRUE(View().IsCommandChecked(view_command::kTonality));
    EXPECT_EQ(m_engine.m_nWindowType, kHanning);
    EXPECT_EQ(m_engine.m_nWeightingType, 1);
    ASSERT_TRUE(WaitUntil([&] { return View().GetTonalityResult().hasData; }));
    ASSERT_TRUE(WaitForRefreshes(2));
    const CTonalityResult& result = View().GetTonalityResult();
    // A full-scale tone over the dither of a 16-bit input: far above any limit of the adjustment.
    EXPECT_EQ(result.adjustment, 6);
    EXPECT_GT(result.levelDifference, 12.0);
    EXPECT_GT(result.uncertainty, 0.0);
    EXPECT_NEAR(result.lineSpacing, 48000.0 / kFftSize, 1e-9);
    const double binWidth = 48000.0 / kFftSize;
    EXPECT_TRUE(std::any_of(result.tones.begin(), result.tones.end(),
                            [&](float f) { return std::abs(f - 1000.0) <= binWidth; }));
    EXPECT_EQ(View().GetTonalityText().rfind("Tonzuschlag 6dB (", 0), 0u) << View().GetTonalityText();
    int visibleTones = 0;
    for (const auto& member : View().GetSettings()->m_Annotations.GetMembers())
        if (member->m_nKey == 10 && member->m_bVisible)
            ++visibleTones;
    EXPECT_GE(visibleTones, 1);
    SavePicture("tonality");

    // Off again: the markers are hidden at the next paint.
    View().OnCommand(view_command::kTonality);
    ASSERT_TRUE(WaitForRefreshes(2));
    for (const auto& member : View().GetSettings()->m_Annotations.GetMembers())
        EXPECT_EQ(member->m_bVisible, 0);
}

TEST_F(SndViewPlugInsTest, SpecificLoudnessShowsThePatternOverBark)
{
    // One sample unit reads 100 dB: the sine lies at 97 dB.
    m_engine.m_bCalibration = 1;
    m_engine.m_fCalibrationOffset = 100.0f;
    View().OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(2));
    View().OnCommand(view_command::kSpecificLoudness);
    EXPECT_TRUE(View().IsCommandChecked(view_command::kSpecificLoudness));
    ASSERT_TRUE(WaitForRefreshes(3));
    const CPlot& plot = View().GetPlot();
    EXPECT_EQ(View().GetViewMode(), 160);
    EXPECT_EQ(m_engine.m_nFftSize, 8192);
    EXPECT_EQ(plot.GetPointCount(), 240);
    EXPECT_EQ(plot.m_strXTitle, "Critical Band Rate (bark)");
    EXPECT_NEAR(plot.m_dBinWidth, 0.1, 1e-6);
    float peak = 0.0f;
    int at = -1;
    for (int i = 0; i < plot.GetPointCount(); ++i)
        if (plot.GetCurvePoint(0, i) > peak)
        {
            peak = plot.GetCurvePoint(0, i);
            at = i;
        }
    // The 1 kHz tone excites the critical bands around 8.5 bark.
    EXPECT_GT(peak, 1.0f);
    EXPECT_NEAR((at + 1) * 0.1, 8.6, 1.0);
    EXPECT_GT(m_engine.m_fLoudness, 10.0f);
    SavePicture("specific-loudness");

    // Loudness (sone): third-octave bars with the loudness computed, and off again.
    View().OnCommand(view_command::kLoudness);
    EXPECT_TRUE(View().IsCommandChecked(view_command::kLoudness));
    EXPECT_EQ(View().GetSettings()->m_nBandsPerOctave, 3);
    ASSERT_TRUE(WaitForRefreshes(3));
    EXPECT_GT(m_engine.m_fLoudness, 10.0f);
    EXPECT_NEAR(m_engine.m_fLoudnessALevel, 97.0, 2.0);
    View().OnCommand(view_command::kLoudness);
    EXPECT_FALSE(View().IsCommandChecked(view_command::kLoudness));
    EXPECT_EQ(View().GetSettings()->m_nBandsPerOctave, 0);
}

}  // namespace
