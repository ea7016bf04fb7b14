// The overlay dialogs of a real measurement window, opened by the window's own commands and answered
// through their controls from inside their loops: "Select Overlay" with an operation, the "Overlay"
// question (average and Cancel), "Config Overlays" with its "Line Styles" and all-buttons, the text
// file's save and load dialogs, and "Dynamic Overlays" refusing a bad frequency. Pictures of each
// dialog are saved.
#include "common/DspOperation.h"
#include "common/controls/ColorComboBox.h"
#include "display/settings/ViewSettings.h"
#include "display/ui/LineStylesDlg.h"
#include "engine/SoundIn.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ui/ConfigOverlaysDlg.h"
#include "view/ui/DynamicOverlayDlg.h"
#include "view/ui/OverlayExistsDlg.h"
#include "view/ui/OverlayFileDlg.h"
#include "view/ui/SelectOverlayDlg.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{

using testsupport::FindShownModal;
using testsupport::ModalStep;
using testsupport::On;
using testsupport::Press;
using testsupport::RunWithSteps;

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

class OverlayDialogsTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(4096, 2));
        m_folder = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR);
        std::filesystem::create_directories(m_folder);
        m_responder = std::make_unique<platform::ui::ScopedMessageBoxResponder>(
            [this](const platform::ui::MessageBoxRequest& request)
            {
                m_boxes.push_back(request.text);
                return wxID_OK;
            });
        // A frozen live spectrum: the engine runs a moment and stops.
        View().OnCommand(view_command::kStart);
        ASSERT_TRUE(WaitForRefreshes(3));
        View().OnCommand(view_command::kStop);
        wxTheApp->Yield(true);
    }
    void TearDown() override
    {
        CSndViewWindow::s_strOverlayFileAnswer.clear();
        m_responder.reset();
        CloseLiveView();
    }
    CViewSettings& Settings() { return *View().GetSettings(); }
    COverlay_settings& Slot(int slot) { return Settings().m_Overlays[static_cast<std::size_t>(slot)]; }

    // A step that saves a picture of the shown dialog of that class (after letting it paint).
    template <class Dialog>
    std::vector<ModalStep> PictureSteps(const std::string& name)
    {
        return {On<Dialog>([](Dialog&) { testsupport::LetPaint(); }),
                On<Dialog>(
                    [this, name](Dialog& dialog)
                    {
                        dialog.Update();
                        const wxImage picture = platform::ui::CaptureScreen(dialog.GetScreenRect());
                        ASSERT_TRUE(picture.IsOk());
                        EXPECT_TRUE(picture.SaveFile(
                            (m_folder / ("overlay-dialog-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
                    })};
    }
    // The steps in three parts (picture steps in the middle).
    static std::vector<ModalStep> Join(std::vector<ModalStep> first, const std::vector<ModalStep>& second,
                                       std::vector<ModalStep> third = {})
    {
        first.insert(first.end(), second.begin(), second.end());
        first.insert(first.end(), third.begin(), third.end());
        return first;
    }

    std::filesystem::path m_folder;
    std::unique_ptr<platform::ui::ScopedMessageBoxResponder> m_responder;
    std::vector<std::string> m_boxes;
};

TEST_F(OverlayDialogsTest, SetAsOverlayWithAnOperationThenTheOverlayQuestion)
{
    CSndView& view = View();
    const int liveCurves = view.GetPlot().GetCurveCount();
    ASSERT_GE(liveCurves, 1);

    // "Set as Overlay": live curve minus a constant of -20 dB into overlay 2.
    std::size_t ran = RunWithSteps(
        [&] { EXPECT_TRUE(view.OnCommand(view_command::kSetAsOverlay)); },
        Join(
            {On<CSelectOverlayDlg>(
                [&](CSelectOverlayDlg& dialog)
                {
                    EXPECT_EQ(dialog.GetTitle(), "selection");
                    EXPECT_EQ(dialog.m_pOverlay->GetValue(), 1);
                    EXPECT_EQ(dialog.m_pCurve->GetCount(), static_cast<unsigned>(liveCurves));
                    // On a frequency axis the weightings close the second list.
                    ASSERT_EQ(dialog.m_pSecondCurve->GetCount(), static_cast<unsigned>(liveCurves + 2));
                    EXPECT_EQ(dialog.m_pSecondCurve->GetString(static_cast<unsigned>(liveCurves)),
                              "A-weight");
                    EXPECT_EQ(dialog.m_pSecondCurve->GetString(static_cast<unsigned>(liveCurves + 1)),
                              "C-weight");
                    ASSERT_EQ(dialog.m_pOperation->GetCount(), 17u);
                    EXPECT_EQ(dialog.m_pOperation->GetString(kDspSub), "SUB");
                    EXPECT_EQ(dialog.m_pOperation->GetString(16), "OFFSET");
                    dialog.m_pOverlay->SetValue(2);
                    dialog.m_pOperation->SetSelection(kDspSub);
                    dialog.m_pUseConstant->SetValue(true);
                    dialog.m_pConstant->ChangeValue("-20");
                })},
            PictureSteps<CSelectOverlayDlg>("select"),
            {On<CSelectOverlayDlg>([](CSelectOverlayDlg& dialog) { EXPECT_TRUE(Press(dialog, wxID_OK)); })}));
    EXPECT_EQ(ran, 4u);
    EXPECT_EQ(Slot(1).m_bShown, 1);
    EXPECT_EQ(view.GetActiveOverlayCount(), 1);
    const int overlayCurve = view.FindCurveByData(1);
    ASSERT_EQ(overlayCurve, liveCurves);
    const int points = view.GetCurvePointCount(overlayCurve);
    ASSERT_GT(points, 100);
    // The constant is taken in display units: -20 dB is 0.1, subtracted from every point.
    const double constant = view.GetPlot().FromDisplayValue(-20.0);
    const float* kept = view.GetCurveData(overlayCurve);
    const float* x = view.GetCurveXData(overlayCurve);
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(x, nullptr);
    for (const int i : {10, points / 2, points - 2})
    {
        const double v = view.GetCurveValueAt(0, x[i]);
        EXPECT_NEAR(kept[i], v - constant, 1e-5 * (std::abs(v) + constant)) << i;
    }

    // The same overlay again with NONE asks the "Overlay" question: average into it.
    const std::vector<float> before(kept, kept + points);
    ran = RunWithSteps(
        [&] { EXPECT_TRUE(view.OnCommand(view_command::kSetAsOverlay)); },
        Join({On<CSelectOverlayDlg>(
                  [](CSelectOverlayDlg& dialog)
                  {
                      dialog.m_pOverlay->SetValue(2);
                      dialog.m_pOperation->SetSelection(kDspNone);
                      dialog.m_pUseConstant->SetValue(false);
                      EXPECT_TRUE(Press(dialog, wxID_OK));
                  }),
              On<COverlayExistsDlg>(
                  [](COverlayExistsDlg& question)
                  {
                      EXPECT_EQ(question.GetTitle(), "overwrite");
                      auto* text =
                          dynamic_cast<wxStaticText*>(question.FindWindow(COverlayExistsDlg::kIdQuestion));
                      ASSERT_NE(text, nullptr);
                      EXPECT_EQ(text->GetLabel(), "Overlay #2 already exists, do you want to:");
                      EXPECT_TRUE(question.m_pChoices[0]->GetValue()) << "overwrite is preselected";
                      EXPECT_EQ(question.m_pChoices[3]->GetLabel(), "average");
                      question.m_pChoices[3]->SetValue(true);
                  })},
             PictureSteps<COverlayExistsDlg>("exists"),
             {On<COverlayExistsDlg>([](COverlayExistsDlg& question)
                                    { EXPECT_TRUE(Press(question, wxID_OK)); })}));
    EXPECT_EQ(ran, 5u);
    EXPECT_EQ(Slot(1).m_nAverages, 2);
    kept = view.GetCurveData(overlayCurve);
    for (const int i : {10, points / 2})
    {
        const double v = view.GetCurveValueAt(0, x[i]);
        EXPECT_NEAR(kept[i], (v + before[static_cast<std::size_t>(i)]) / 2, 1e-5 * std::abs(v) + 1e-12) << i;
    }

    // Cancel on the question changes nothing.
    const std::vector<float> averaged(kept, kept + points);
    ran = RunWithSteps([&] { view.OnCommand(view_command::kSetAsOverlay); },
                       {On<CSelectOverlayDlg>(
                            [](CSelectOverlayDlg& dialog)
                            {
                                dialog.m_pOverlay->SetValue(2);
                                EXPECT_TRUE(Press(dialog, wxID_OK));
                            }),
                        On<COverlayExistsDlg>([](COverlayExistsDlg& question)
                                              { EXPECT_TRUE(Press(question, wxID_CANCEL)); })});
    EXPECT_EQ(ran, 2u);
    EXPECT_EQ(Slot(1).m_nAverages, 2);
    kept = view.GetCurveData(overlayCurve);
    EXPECT_EQ(std::vector<float>(kept, kept + points), averaged);
    EXPECT_TRUE(m_boxes.empty());

    // The overlay is drawn in the main plot's own area (same right margin), so its x values land on
    // the main plot's frequency axis.
    view.GetPlot().ForceRedraw();
    EXPECT_TRUE(
        m_window->RenderImage().SaveFile((m_folder / "overlay-dialog-view.png").string(), wxBITMAP_TYPE_PNG));
    const CPlot* overlayPlot = view.GetOverlayPlot(1);
    ASSERT_NE(overlayPlot, nullptr);
    EXPECT_GT(view.GetPlot().m_nRightMargin, 0);
    EXPECT_EQ(overlayPlot->m_nPlotLeft, view.GetPlot().m_nPlotLeft);
    EXPECT_EQ(overlayPlot->m_nPlotRight, view.GetPlot().m_nPlotRight);
}

TEST_F(OverlayDialogsTest, ConfigOverlaysRenamesRestylesAndHidesThroughItsRows)
{
    CSndView& view = View();
    ASSERT_TRUE(view.OnCommand(view_command::kFirstOverlaySnapshot));
    ASSERT_TRUE(view.SetAsOverlay(3, 0, 0, kDspNone, false, 0.0));

    std::size_t ran =
        RunWithSteps([&] { EXPECT_TRUE(view.OnCommand(view_command::kConfigOverlays)); },
                     Join({On<CConfigOverlaysDlg>(
                               [&](CConfigOverlaysDlg& dialog)
                               {
                                   EXPECT_EQ(dialog.GetTitle(), "overlay");
                                   EXPECT_EQ(dialog.m_pNames[0]->GetValue().utf8_string(), Slot(0).m_strName);
                                   EXPECT_TRUE(dialog.m_pActive[0]->GetValue());
                                   EXPECT_FALSE(dialog.m_pActive[1]->GetValue());
                                   EXPECT_TRUE(dialog.m_pActive[3]->GetValue());
                                   dialog.m_pNames[0]->ChangeValue("Reference");
                                   dialog.m_pActive[3]->SetValue(false);
                                   // The style button opens "Line Styles" on overlay 1's style.
                                   EXPECT_TRUE(Press(dialog, CConfigOverlaysDlg::kIdStyleBase + 0));
                               }),
                           On<CLineStylesDlg>(
                               [](CLineStylesDlg& styles)
                               {
                                   styles.m_controls.color->SetSelection(9);
                                   styles.m_controls.width->SetSelection(2);
                                   EXPECT_TRUE(Press(styles, wxID_OK));
                               })},
                          PictureSteps<CConfigOverlaysDlg>("config"),
                          {On<CConfigOverlaysDlg>([](CConfigOverlaysDlg& dialog)
                                                  { EXPECT_TRUE(Press(dialog, wxID_OK)); })}));
    EXPECT_EQ(ran, 5u);
    EXPECT_EQ(Slot(0).m_strName, "Reference");
    EXPECT_EQ(view.GetCurveName(view.FindCurveByData(0)), "Reference");
    EXPECT_EQ(Slot(0).m_CurveStyle.m_nColorIndex, 9);
    EXPECT_EQ(Slot(0).m_CurveStyle.m_nWidth, 3);
    EXPECT_EQ(Slot(3).m_bShown, 0);
    EXPECT_EQ(view.GetActiveOverlayCount(), 1);

    // "show all" acts at once; Cancel then keeps the names but not the shown flags it set.
    ran = RunWithSteps([&] { view.OnCommand(view_command::kConfigOverlays); },
                       {On<CConfigOverlaysDlg>(
                           [](CConfigOverlaysDlg& dialog)
                           {
                               dialog.m_pNames[0]->ChangeValue("Dropped");
                               EXPECT_TRUE(Press(dialog, CConfigOverlaysDlg::kIdShowAll));
                               for (wxCheckBox* check : dialog.m_pActive)
                                   EXPECT_TRUE(check->GetValue());
                               EXPECT_TRUE(Press(dialog, wxID_CANCEL));
                           })});
    EXPECT_EQ(ran, 1u);
    EXPECT_EQ(Slot(0).m_strName, "Reference");
    EXPECT_EQ(Slot(3).m_bShown, 1);
    EXPECT_EQ(Slot(9).m_bShown, 1);
}

TEST_F(OverlayDialogsTest, TextFileSaveAndLoadDialogsCarryOverlayAndFormat)
{
    CSndView& view = View();
    ASSERT_TRUE(view.OnCommand(view_command::kFirstOverlaySnapshot));
    const std::string path = (m_folder / "overlay-dialog-percent.txt").string();
    std::filesystem::remove(path);
    CSndViewWindow::s_strOverlayFileAnswer = path;

    // Save overlay 1 as linear per cent.
    std::size_t ran = RunWithSteps(
        [&] { EXPECT_TRUE(view.OnCommand(view_command::kSaveOverlayText)); },
        Join({On<CSaveOverlayDlg>(
                 [](CSaveOverlayDlg& dialog)
                 {
                     EXPECT_EQ(dialog.GetTitle(), "save");
                     EXPECT_EQ(dialog.m_pOverlay->GetValue(), 1);
                     EXPECT_TRUE(dialog.m_pFormats[0]->GetValue()) << "dB is preselected";
                     EXPECT_EQ(dialog.m_pFormats[1]->GetLabel(), "linear %");
                     dialog.m_pFormats[1]->SetValue(true);
                 })},
             PictureSteps<CSaveOverlayDlg>("save"),
             {On<CSaveOverlayDlg>([](CSaveOverlayDlg& dialog) { EXPECT_TRUE(Press(dialog, wxID_OK)); })}));
    EXPECT_EQ(ran, 4u);
    const int points = view.GetCurvePointCount(view.FindCurveByData(0));
    std::ifstream file(path);
    int lines = 0;
    double firstX = 0;
    double firstY = 0;
    for (std::string line; std::getline(file, line); ++lines)
        if (lines == 1)
            std::istringstream(line) >> firstX >> firstY;
    EXPECT_EQ(lines, points);
    const float* saved = view.GetCurveData(view.FindCurveByData(0));
    EXPECT_NEAR(firstY, saved[1] * 100.0, 1e-5 * std::abs(saved[1] * 100.0) + 1e-30);

    // Load it back as per cent into overlay 4: the same values.
    ran = RunWithSteps(
        [&] { EXPECT_TRUE(view.OnCommand(view_command::kLoadOverlayText)); },
        Join({On<CLoadOverlayDlg>(
                 [](CLoadOverlayDlg& dialog)
                 {
                     EXPECT_EQ(dialog.GetTitle(), "load");
                     dialog.m_pOverlay->SetValue(4);
                     dialog.m_pFormats[1]->SetValue(true);
                 })},
             PictureSteps<CLoadOverlayDlg>("load"),
             {On<CLoadOverlayDlg>([](CLoadOverlayDlg& dialog) { EXPECT_TRUE(Press(dialog, wxID_OK)); })}));
    EXPECT_EQ(ran, 4u);
    ASSERT_EQ(Slot(3).m_bShown, 1);
    const int loadedCurve = view.FindCurveByData(3);
    ASSERT_EQ(view.GetCurvePointCount(loadedCurve), points);
    const float* loaded = view.GetCurveData(loadedCurve);
    for (const int i : {1, points / 3, points - 1})
        EXPECT_NEAR(loaded[i], saved[i], 1e-5 * std::abs(saved[i]) + 1e-30) << i;

    // Cancel on the format dialog loads nothing.
    ran = RunWithSteps([&] { view.OnCommand(view_command::kLoadOverlayText); },
                       {On<CLoadOverlayDlg>(
                           [](CLoadOverlayDlg& dialog)
                           {
                               dialog.m_pOverlay->SetValue(6);
                               EXPECT_TRUE(Press(dialog, wxID_CANCEL));
                           })});
    EXPECT_EQ(ran, 1u);
    EXPECT_EQ(Slot(5).m_bShown, 0);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(OverlayDialogsTest, DynamicOverlayRefusesABadFrequencyAndStoresTheRest)
{
    CSndView& view = View();
    std::size_t ran =
        RunWithSteps([&] { EXPECT_TRUE(view.OnCommand(view_command::kDynamicOverlay)); },
                     Join({On<CDynamicOverlayDlg>(
                               [](CDynamicOverlayDlg& dialog)
                               {
                                   EXPECT_EQ(dialog.GetTitle(), "Dynamic overlay");
                                   EXPECT_EQ(dialog.m_pFrequency->GetValue(), "1000");
                                   EXPECT_EQ(dialog.m_pOffset->GetValue(), "0");
                                   dialog.m_pChannel->SetValue(2);
                                   dialog.m_pOverlay->SetValue(4);
                                   dialog.m_pActive->SetValue(true);
                                   dialog.m_pOffset->ChangeValue("-6.5");
                                   dialog.m_pFrequency->ChangeValue("1 kHz");
                                   EXPECT_TRUE(Press(dialog, wxID_OK));
                               }),
                           On<CDynamicOverlayDlg>(
                               [&](CDynamicOverlayDlg& dialog)
                               {
                                   // Refused: still open, and nothing stored yet.
                                   EXPECT_EQ(m_boxes, std::vector<std::string>{"Please enter a number."});
                                   EXPECT_EQ(Settings().m_DynamicOverlays[3].m_bEnabled, 0);
                                   dialog.m_pFrequency->ChangeValue("0");
                                   EXPECT_TRUE(Press(dialog, wxID_OK));
                                   ASSERT_EQ(m_boxes.size(), 2u);
                                   dialog.m_pFrequency->ChangeValue("500");
                               })},
                          PictureSteps<CDynamicOverlayDlg>("dynamic"),
                          {On<CDynamicOverlayDlg>([](CDynamicOverlayDlg& dialog)
                                                  { EXPECT_TRUE(Press(dialog, wxID_OK)); })}));
    EXPECT_EQ(ran, 5u);
    const DynamicOverlaySettings& dynamic = Settings().m_DynamicOverlays[3];
    EXPECT_EQ(dynamic.m_bEnabled, 1);
    EXPECT_EQ(dynamic.m_nChannel, 1);
    EXPECT_DOUBLE_EQ(dynamic.m_dFrequency, 500.0);
    EXPECT_DOUBLE_EQ(dynamic.m_dOffsetDb, -6.5);
}

}  // namespace
