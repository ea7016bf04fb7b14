// The small calibration entries shown for real and answered through their controls: "Tracking
// level" as the window's command fills it (a value above its range is refused and the dialog stays
// open), the two-value dialog with its two ranges, and the quick calibration's reference level.
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/WxEnvironment.h"
#include "view/ui/CalibrationValueDlgs.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace
{

using testsupport::Press;
using testsupport::RunModalSteps;

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

class CalibrationValueDlgsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_frame = new wxFrame(nullptr, wxID_ANY, "calibration", wxDefaultPosition, wxSize(400, 300));
        m_frame->Show();
        m_responder = std::make_unique<platform::ui::ScopedMessageBoxResponder>(
            [this](const platform::ui::MessageBoxRequest& request)
            {
                m_boxes.push_back(request.text);
                return wxID_OK;
            });
    }
    void TearDown() override
    {
        m_responder.reset();
        if (m_frame)
            m_frame->Destroy();
        wxTheApp->Yield(true);
    }
    void Edit(wxDialog& dialog, int id, const char* text)
    {
        auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
        ASSERT_NE(edit, nullptr) << id;
        edit->ChangeValue(text);
    }
    void Picture(wxDialog& dialog, const std::string& name)
    {
        testsupport::LetPaint();
        dialog.Update();
        const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(folder);
        const wxImage picture = platform::ui::CaptureScreen(dialog.GetScreenRect());
        ASSERT_TRUE(picture.IsOk());
        EXPECT_TRUE(
            picture.SaveFile((folder / ("calibration-dialog-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
    }

    wxFrame* m_frame = nullptr;
    std::unique_ptr<platform::ui::ScopedMessageBoxResponder> m_responder;
    std::vector<std::string> m_boxes;
};

TEST_F(CalibrationValueDlgsTest, TrackingLevelRefusesAValueOutsideItsRange)
{
    CTrackingLevelCalibrationDlg dialog(m_frame);
    dialog.m_strTitle = "Tracking level";
    dialog.m_row = {"Level", "mV", 500.0, 1e-9, 10000.0};
    std::size_t ran = 0;
    const int result = RunModalSteps(
        dialog,
        {[] { testsupport::LetPaint(); },
         [&]
         {
             EXPECT_EQ(dialog.GetTitle(), "Tracking level");
             EXPECT_EQ(dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CTrackingLevelCalibrationDlg::kIdValue))
                           ->GetValue(),
                       "500");
             EXPECT_EQ(dialog.FindWindow(CTrackingLevelCalibrationDlg::kIdUnit)->GetLabel(), "mV");
             EXPECT_FALSE(dialog.FindWindow(CTrackingLevelCalibrationDlg::kIdHidden)->IsShown());
             Picture(dialog, "tracking-level");
             Edit(dialog, CTrackingLevelCalibrationDlg::kIdValue, "20000");
             Press(dialog, wxID_OK);
         },
         [&]
         {
             EXPECT_TRUE(dialog.IsModal());
             Edit(dialog, CTrackingLevelCalibrationDlg::kIdValue, "250");
             Press(dialog, wxID_OK);
         }},
        &ran);
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(ran, 3u);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_NE(m_boxes[0].find("Level"), std::string::npos) << m_boxes[0];
    EXPECT_EQ(dialog.m_row.value, 250.0);
}

TEST_F(CalibrationValueDlgsTest, TwoValuesEachWithinItsRange)
{
    CTwoValueDlg dialog(m_frame);
    dialog.m_strTitle = "Scale";
    dialog.m_rows[0] = {"Offset", "dB", 0.0, -200.0, 200.0};
    dialog.m_rows[1] = {"Factor", "", 1.0, 1e-6, 1e6};
    std::size_t ran = 0;
    const int result = RunModalSteps(dialog,
                                     {[] { testsupport::LetPaint(); },
                                      [&]
                                      {
                                          Edit(dialog, CTwoValueDlg::kIdFirstValue, "-6");
                                          Edit(dialog, CTwoValueDlg::kIdSecondValue, "-1");
                                          Picture(dialog, "two-values");
                                          Press(dialog, wxID_OK);
                                      },
                                      [&]
                                      {
                                          // The factor below its range kept the dialog open.
                                          EXPECT_TRUE(dialog.IsModal());
                                          Edit(dialog, CTwoValueDlg::kIdSecondValue, "2.5");
                                          Press(dialog, wxID_OK);
                                      }},
                                     &ran);
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(ran, 3u);
    EXPECT_EQ(dialog.m_rows[0].value, -6.0);
    EXPECT_EQ(dialog.m_rows[1].value, 2.5);
}

TEST_F(CalibrationValueDlgsTest, QuickCalibrationTakesTheReferenceLevel)
{
    CQuickCalibrationDlg dialog(m_frame);
    dialog.m_dReferenceLevel = 94.0;
    const int result = RunModalSteps(
        dialog,
        {[] { testsupport::LetPaint(); },
         [&]
         {
             Edit(dialog, CQuickCalibrationDlg::kIdReference, "114");
             dynamic_cast<wxCheckBox*>(dialog.FindWindow(CQuickCalibrationDlg::kIdSave))->SetValue(true);
             Picture(dialog, "quick-calibration");
             Press(dialog, wxID_OK);
         }});
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(dialog.m_dReferenceLevel, 114.0);
    EXPECT_EQ(dialog.m_bSave, 1);
    EXPECT_TRUE(m_boxes.empty());
}

}  // namespace
