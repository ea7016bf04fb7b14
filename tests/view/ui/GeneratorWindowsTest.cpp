// The measurement window's generator commands: the engine's "Level" window, the output matrix dialog
// and the linked generators' volume slider, each opened through the view's command.
#include "engine/GeneratorMatrix.h"
#include "engine/ui/GeneratorLevelDlg.h"
#include "engine/ui/GeneratorMatrixDlg.h"
#include "engine/ui/SliderDlg.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/SndView.h"

#include <gtest/gtest.h>

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>

namespace
{

using testsupport::On;
using testsupport::Press;
using testsupport::RunWithSteps;

class GeneratorWindowsTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(4096, 2));
    }
    void TearDown() override
    {
        if (CGeneratorLevelDlg* level = FindLevel())
            level->Destroy();
        CloseLiveView();
    }
    static CGeneratorLevelDlg* FindLevel()
    {
        for (wxWindow* window : wxTopLevelWindows)
            if (auto* level = dynamic_cast<CGeneratorLevelDlg*>(window); level && !level->IsBeingDeleted())
                return level;
        return nullptr;
    }
    static void Pump(int rounds)
    {
        for (int i = 0; i < rounds; ++i)
        {
            wxTheApp->Yield(true);
            wxMilliSleep(20);
        }
    }
};

// "Level" shows the RMS of a sine that MixGenerators put on channel 1: 0.25 of full scale at a
// calibration factor of 4 volts reads 1 V.
TEST_F(GeneratorWindowsTest, LevelWindowFromTheMenuShowsTheMixedSine)
{
    CGeneratorMatrix& matrix = m_engine.m_generatorMatrix;
    matrix.m_settings.SetDefaults();
    for (CGenerator_channel_settings& channel : matrix.m_settings.m_channel)
        channel.ParseGeneratorConfig("");
    matrix.m_settings.m_channel[0].ParseGeneratorConfig("1A");
    matrix.m_settings.m_channel[0].m_calibrated = 1;
    matrix.m_settings.m_channel[0].m_calibration_factor = 4.0;
    matrix.SetSampleRate(48000.0);
    constexpr int kFrames = 30000;
    std::vector<std::int32_t> render(2 * kFrames);
    for (int n = 0; n < kFrames; ++n)
        render[2 * n] =
            static_cast<std::int32_t>(std::lround(0.25 / 4.0 * std::sqrt(2.0) * 2147483647.0 *
                                                  std::sin(2.0 * std::numbers::pi * 997.0 * n / 48000.0)));
    std::vector<const std::int32_t*> renders(10, nullptr);
    renders[0] = render.data();
    std::vector<std::int32_t> out(static_cast<std::size_t>(kGeneratorOutputChannels) * kFrames);
    matrix.MixGenerators(out, kGeneratorOutputChannels, kFrames, renders, 2);

    ASSERT_TRUE(View().OnCommand(view_command::kGeneratorLevel));
    CGeneratorLevelDlg* level = FindLevel();
    ASSERT_NE(level, nullptr);
    EXPECT_TRUE(level->IsShown());
    EXPECT_EQ(level->GetRowCount(), 24);
    Pump(25);  // the 300 ms readout timer
    const wxString volts = level->GetRow(0).volts->GetLabel();
    EXPECT_TRUE(volts == "1.000V" || volts == "999.9mV") << volts;
    const wxString db = level->GetRow(0).db->GetLabel();
    EXPECT_TRUE(db == "0.000dB" || db == "-0.000dB") << db;
    // Closing hides it; the command shows the same window again with the engine's current matrix.
    level->Close();
    EXPECT_FALSE(level->IsShown());
    matrix.m_settings.m_channel[3].m_scale_db = -3.0;
    ASSERT_TRUE(View().OnCommand(view_command::kGeneratorLevel));
    EXPECT_EQ(FindLevel(), level);
    EXPECT_TRUE(level->IsShown());
    EXPECT_EQ(level->GetRow(3).value->GetValue(), "-3.00");
}

TEST_F(GeneratorWindowsTest, OutputMatrixFromTheMenuTakesItsCopyBackOnOk)
{
    CGeneratorMatrix& matrix = m_engine.m_generatorMatrix;
    matrix.m_settings.SetDefaults();
    RunWithSteps([&] { View().OnCommand(view_command::kOutputMatrix); },
                 {On<CGeneratorMatrixDlg>(
                     [](CGeneratorMatrixDlg& d)
                     {
                         d.GetRow(0).routing->ChangeValue("2B");
                         Press(d, wxID_CANCEL);
                     })});
    EXPECT_EQ(matrix.m_settings.m_channel[0].FormatGeneratorConfig(), "1A 2A 3A 4A 5A ");
    RunWithSteps([&] { View().OnCommand(view_command::kOutputMatrix); },
                 {On<CGeneratorMatrixDlg>(
                     [](CGeneratorMatrixDlg& d)
                     {
                         d.GetRow(0).routing->ChangeValue("2B");
                         Press(d, CGeneratorMatrixDlg::kStereoId);  // presets change the rows, not the edit
                         d.GetRow(0).routing->ChangeValue("2B 1a");
                         Press(d, wxID_OK);
                     })});
    EXPECT_EQ(matrix.m_settings.m_channel[0].FormatGeneratorConfig(), "1A 2B ");
    EXPECT_EQ(matrix.m_settings.m_channel[1].FormatGeneratorConfig(), "1B ");
    // The preset reached the channels beyond the rows too (pair 20 carries generator 1).
    EXPECT_EQ(matrix.m_settings.m_channel[40].FormatGeneratorConfig(), "1A ");
}

// The volume slider reports every move to the view; a click on the scale sets whole decibels
// without a report.
TEST_F(GeneratorWindowsTest, LinkVolumeSliderReportsToTheView)
{
    RunWithSteps([&] { View().OnCommand(view_command::kLinkVolume); },
                 {On<CLinkVolumeDlg>(
                      [](CLinkVolumeDlg& d)
                      {
                          EXPECT_EQ(d.m_scale.min, -85.0);
                          EXPECT_EQ(d.m_scale.max, 35.0);
                          EXPECT_EQ(d.GetTitle(), "Volume 0.00dB");
                          d.OnScroll(d.m_scale.PositionFromValue(-20.0));
                      }),
                  On<CLinkVolumeDlg>(
                      [this](CLinkVolumeDlg& d)
                      {
                          EXPECT_NEAR(View().GetLinkVolume(), -20.0, 0.03);
                          d.SetSize(420, 110);
                          d.MouseMove(200);
                          d.Click(200);
                          EXPECT_EQ(d.GetValue(), std::trunc(d.GetValue()));
                          testsupport::LetPaint();
                          const wxImage picture = platform::ui::CaptureScreen(d.GetScreenRect());
                          ASSERT_TRUE(picture.IsOk());
                          const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
                          std::filesystem::create_directories(folder);
                          EXPECT_TRUE(picture.SaveFile((folder / "generator-link-volume.png").string(),
                                                       wxBITMAP_TYPE_PNG));
                          d.EndModal(wxID_OK);
                      })});
    EXPECT_NEAR(View().GetLinkVolume(), -20.0, 0.03);  // the click did not report
}

}  // namespace
