#include "common/controls/DialogScaler.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "platform/ui/ScreenCapture.h"
#include "tests/support/WxEnvironment.h"

namespace
{

TEST(DialogScaler, FontHeightsAndDialogUnits)
{
    EXPECT_EQ(DialogFontHeight(8, 96.0), -11);
    EXPECT_EQ(DialogFontHeight(8, 120.0), -13);
    EXPECT_EQ(DialogFontHeight(8, 144.0), -16);
    // A negative 16-bit point size stands for its magnitude.
    EXPECT_EQ(DialogFontHeight(0x10000 - 8, 96.0), -11);

    const wxRect r = DialogUnitsToPixels({1, 7, 7, 50, 14}, 6, 13);
    EXPECT_EQ(r, wxRect(11, 11, 75, 23));
}

TEST(DialogScaler, TemplateFont)
{
    DialogTemplate withFont;
    withFont.pointSize = 10;
    withFont.weight = 700;
    withFont.italic = true;
    withFont.face = "Arial";
    withFont.hasMenu = true;
    const DialogFontInfo a = ReadDialogTemplateFont(withFont);
    EXPECT_EQ(a.nPointSize, 10);
    EXPECT_EQ(a.nWeight, 700);
    EXPECT_TRUE(a.bItalic);
    EXPECT_EQ(a.pszFace, "Arial");
    EXPECT_TRUE(a.bHasMenu);

    DialogTemplate without = withFont;
    without.hasFont = false;
    const DialogFontInfo b = ReadDialogTemplateFont(without);
    EXPECT_EQ(b.nPointSize, 8);
    EXPECT_EQ(b.nWeight, 400);
    EXPECT_FALSE(b.bItalic);
    EXPECT_EQ(b.pszFace, "Tahoma");
}

// A small dialog described in dialog units: a label, an edit, a check box and two buttons.
class ScaledDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_template.cx = 186;
        m_template.cy = 70;
        m_template.items = {{1001, 7, 7, 60, 8},
                            {1002, 70, 5, 109, 14},
                            {1003, 7, 26, 120, 10},
                            {wxID_OK, 75, 49, 50, 14},
                            {wxID_CANCEL, 129, 49, 50, 14}};
        m_dialog = new wxDialog(nullptr, wxID_ANY, "Generator level", wxPoint(20, 20), wxSize(200, 100));
        new wxStaticText(m_dialog, 1001, "Level [dB]");
        new wxTextCtrl(m_dialog, 1002, "-10.00");
        new wxCheckBox(m_dialog, 1003, "Link both channels");
        new wxButton(m_dialog, wxID_OK, "OK");
        new wxButton(m_dialog, wxID_CANCEL, "Cancel");
        m_dialog->Show();
    }

    void TearDown() override
    {
        if (m_dialog)
            m_dialog->Destroy();
    }

    void Save(const std::string& name)
    {
        m_dialog->Update();
        wxYield();
        const std::filesystem::path pictures = TESSARIN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(pictures);
        const wxImage picture = platform::ui::CaptureScreen(m_dialog->GetScreenRect());
        ASSERT_TRUE(picture.IsOk());
        picture.SaveFile((pictures / name).string(), wxBITMAP_TYPE_PNG);
    }

    DialogTemplate m_template;
    wxDialog* m_dialog = nullptr;
};

TEST_F(ScaledDialog, ControlsFollowTheirDialogUnitsAtEachZoom)
{
    const wxFont original = m_dialog->GetFont();
    {
        CDialogScaler scaler;
        int previousWidth = 0;
        for (double ppi : {96.0, 144.0})
        {
            SCOPED_TRACE(ppi);
            scaler.Apply(m_dialog, m_template, ppi);
            EXPECT_EQ(scaler.GetFontHeight(), DialogFontHeight(8, ppi));
            const int cx = scaler.GetBaseX();
            const int cy = scaler.GetBaseY();
            EXPECT_GT(cx, 0);
            EXPECT_GT(cy, 0);
            for (const DialogTemplateItem& item : m_template.items)
            {
                wxWindow* control = m_dialog->FindWindow(item.id);
                ASSERT_NE(control, nullptr);
                EXPECT_EQ(control->GetRect(), DialogUnitsToPixels(item, cx, cy)) << item.id;
                EXPECT_EQ(control->GetFont(), scaler.GetFont());
            }
            const wxRect client = DialogUnitsToPixels({0, 0, 0, 186, 70}, cx, cy);
            EXPECT_EQ(m_dialog->GetClientSize(), client.GetSize());
            EXPECT_GT(client.GetWidth(), previousWidth);
            previousWidth = client.GetWidth();
            Save(ppi == 96.0 ? "dialog-scaler-96.png" : "dialog-scaler-144.png");
        }
    }
    // The scaler's end gives every control its font back.
    EXPECT_EQ(m_dialog->GetFont(), original);
    EXPECT_EQ(m_dialog->FindWindow(1002)->GetFont(), original);
}

TEST_F(ScaledDialog, AMissingControlEndsTheLayout)
{
    m_template.items.insert(m_template.items.begin() + 2, {4711, 0, 0, 10, 10});
    const wxRect checkBefore = m_dialog->FindWindow(1003)->GetRect();
    CDialogScaler scaler;
    scaler.m_bUsePosition = true;
    scaler.m_x = 40;
    scaler.m_y = 50;
    scaler.Apply(m_dialog, m_template, 96.0);
    EXPECT_EQ(m_dialog->FindWindow(1002)->GetRect(),
              DialogUnitsToPixels(m_template.items[1], scaler.GetBaseX(), scaler.GetBaseY()));
    EXPECT_EQ(m_dialog->FindWindow(1003)->GetRect(), checkBefore);
    EXPECT_EQ(m_dialog->GetPosition(), wxPoint(40, 50));
}

}  // namespace
