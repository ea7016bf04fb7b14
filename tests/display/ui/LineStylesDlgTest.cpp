// The "Line Styles" dialog run modally and answered through its own lists and buttons: the style
// shown, changed and read back on OK, left alone on Cancel, values the lists do not offer kept, and
// its captions in another language. A picture of it is saved.
#include "display/ui/LineStylesDlg.h"

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/stattext.h>

#include <filesystem>
#include <string>

#include "common/controls/ColorComboBox.h"
#include "common/controls/ItemComboBox.h"
#include "display/ColorPalette.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/display/ScopedLanguage.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/WxEnvironment.h"
#include "texts/TextTable.h"

namespace
{

using testsupport::Press;
using testsupport::RunModalSteps;

class LineStylesDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_frame = new wxFrame(nullptr, wxID_ANY, "owner");
        m_frame->Show();
    }
    void TearDown() override
    {
        if (m_frame)
            m_frame->Destroy();
    }
    static CCurveStyle SampleStyle()
    {
        CCurveStyle style;
        style.m_nColorIndex = PALETTE_RED;
        style.m_nWidth = 2;
        style.m_nPenStyle = PEN_STYLE_DOT;
        style.m_nMarker = 4;
        style.m_strLabel = "left";
        return style;
    }
    wxFrame* m_frame = nullptr;
};

TEST_F(LineStylesDlgTest, ShowsTheStyleAndReadsTheChangedListsBackOnOk)
{
    CLineStylesDlg dialog(m_frame);
    dialog.m_style = SampleStyle();
    std::size_t ran = 0;
    const int result = RunModalSteps(
        dialog,
        {[&]
         {
             EXPECT_EQ(dialog.m_controls.color->GetSelection(), PALETTE_RED);
             EXPECT_EQ(dialog.m_controls.width->GetSelection(), 1);
             EXPECT_EQ(dialog.m_controls.penStyle->GetSelection(), PEN_STYLE_DOT);
             EXPECT_EQ(dialog.m_controls.marker->GetSelection(), 4);
             dialog.m_controls.color->SetSelection(9);
             dialog.m_controls.width->SetSelection(2);
             dialog.m_controls.penStyle->SetSelection(PEN_STYLE_DASHDOT);
             dialog.m_controls.marker->SetSelection(0);
         },
         [&] { testsupport::LetPaint(); },
         [&]
         {
             dialog.Update();
             const wxImage picture = platform::ui::CaptureScreen(dialog.GetScreenRect());
             ASSERT_TRUE(picture.IsOk());
             const std::filesystem::path folder(TESSARIN_TEST_OUTPUT_DIR);
             std::filesystem::create_directories(folder);
             EXPECT_TRUE(picture.SaveFile((folder / "line-styles.png").string(), wxBITMAP_TYPE_PNG));
         },
         [&] { EXPECT_TRUE(Press(dialog, wxID_OK)); }},
        &ran);
    EXPECT_EQ(ran, 4u);
    ASSERT_EQ(result, wxID_OK);
    EXPECT_EQ(dialog.m_style.m_nColorIndex, 9);
    EXPECT_EQ(dialog.m_style.m_nWidth, 3);
    EXPECT_EQ(dialog.m_style.m_nPenStyle, PEN_STYLE_DASHDOT);
    EXPECT_EQ(dialog.m_style.m_nMarker, 0);
    EXPECT_EQ(dialog.m_style.m_strLabel, "left") << "the label is not the dialog's";
}

TEST_F(LineStylesDlgTest, CancelKeepsTheStyle)
{
    CLineStylesDlg dialog(m_frame);
    dialog.m_style = SampleStyle();
    const int result = RunModalSteps(dialog, {[&]
                                              {
                                                  dialog.m_controls.color->SetSelection(0);
                                                  dialog.m_controls.width->SetSelection(0);
                                                  EXPECT_TRUE(Press(dialog, wxID_CANCEL));
                                              }});
    ASSERT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(dialog.m_style.m_nColorIndex, PALETTE_RED);
    EXPECT_EQ(dialog.m_style.m_nWidth, 2);
}

TEST_F(LineStylesDlgTest, ValuesTheListsDoNotOfferSurviveOk)
{
    CLineStylesDlg dialog(m_frame);
    dialog.m_style = SampleStyle();
    dialog.m_style.m_nWidth = 6;
    dialog.m_style.m_nPenStyle = PEN_STYLE_DASHDOTDOT;
    const int result =
        RunModalSteps(dialog, {[&]
                               {
                                   EXPECT_EQ(dialog.m_controls.width->GetSelection(), wxNOT_FOUND);
                                   EXPECT_EQ(dialog.m_controls.penStyle->GetSelection(), wxNOT_FOUND);
                                   EXPECT_TRUE(Press(dialog, wxID_OK));
                               }});
    ASSERT_EQ(result, wxID_OK);
    EXPECT_EQ(dialog.m_style.m_nWidth, 6);
    EXPECT_EQ(dialog.m_style.m_nPenStyle, PEN_STYLE_DASHDOTDOT);
    EXPECT_EQ(dialog.m_style.m_nColorIndex, PALETTE_RED);
}

TEST_F(LineStylesDlgTest, CaptionsListsAndLabelsFollowTheLanguage)
{
    for (const int language : {LANGUAGE_ENGLISH, LANGUAGE_GERMAN})
    {
        SCOPED_TRACE(language);
        displaytest::ScopedLanguage scoped(language);
        CLineStylesDlg dialog(m_frame);
        EXPECT_EQ(dialog.GetTitle().utf8_string(), GetTextCapitalized(1000238));
        const int labelTexts[] = {1000239, 1000240, 1000170, 1000044};
        for (int i = 0; i < 4; ++i)
        {
            auto* label = dynamic_cast<wxStaticText*>(dialog.FindWindow(1345 + i));
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->GetLabel().utf8_string(), GetTextCapitalized(labelTexts[i]));
        }
        ASSERT_EQ(dialog.m_controls.penStyle->GetCount(), 4u);
        for (unsigned i = 0; i < 4; ++i)
            EXPECT_EQ(dialog.m_controls.penStyle->GetString(i).utf8_string(),
                      GetText(1000241 + static_cast<int>(i)));
        EXPECT_EQ(dialog.m_controls.width->GetCount(), 3u);
        EXPECT_EQ(dialog.m_controls.color->GetCount(), 20u);
        EXPECT_EQ(dialog.m_controls.marker->GetCount(), 11u);
        EXPECT_EQ(dialog.FindWindow(CLineStylesDlg::kIdColor), dialog.m_controls.color);
        EXPECT_EQ(dialog.FindWindow(CLineStylesDlg::kIdMarker), dialog.m_controls.marker);
        EXPECT_EQ(dialog.FindWindow(wxID_CANCEL)->GetLabel().utf8_string(), GetText(1000112));
    }
    EXPECT_EQ(GetTextCapitalized(1000238), "Line style");
}

}  // namespace
