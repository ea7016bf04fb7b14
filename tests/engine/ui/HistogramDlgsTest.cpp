// The pulse histogram's dialogs shown for real: the capture time split into hours, minutes and
// seconds and joined again, the ranges and whole numbers refused with the dialog kept open, and the
// curve selection. Pictures of both.
#include "engine/ui/HistogramDlgs.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/engine/ui/PanelFixture.h"
#include "tests/support/ModalSteps.h"

#include <gtest/gtest.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <string>
#include <vector>

namespace
{

using testsupport::SavePicture;

TEST(HistogramSettingsRules, CaptureTimeSplitsAndJoins)
{
    struct Case
    {
        double seconds;
        int hours, minutes;
        double rest;
    };
    const Case cases[] = {
        {3725.0, 1, 2, 5.0}, {0.0, 0, 0, 0.0},        {59.0, 0, 0, 59.0},
        {3600.0, 1, 0, 0.0}, {86399.0, 23, 59, 59.0}, {-5.0, 0, 0, 0.0},
    };
    for (const Case& c : cases)
    {
        int hours = -1, minutes = -1;
        double rest = -1.0;
        CHistogramSettingsDlg::SplitCaptureTime(c.seconds, hours, minutes, rest);
        EXPECT_EQ(hours, c.hours) << c.seconds;
        EXPECT_EQ(minutes, c.minutes) << c.seconds;
        EXPECT_EQ(rest, c.rest) << c.seconds;
        if (c.seconds >= 0.0)
        {
            EXPECT_EQ(CHistogramSettingsDlg::JoinCaptureTime(hours, minutes, rest), c.seconds);
        }
    }
}

class HistogramDlgsTest : public testsupport::PanelFixture
{
protected:
    static wxTextCtrl* Edit(wxDialog& dialog, int id)
    {
        auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
        EXPECT_NE(edit, nullptr) << id;
        return edit;
    }
    std::vector<std::string> m_boxes;
    platform::ui::ScopedMessageBoxResponder m_responder{[this](const platform::ui::MessageBoxRequest& request)
                                                        {
                                                            m_boxes.push_back(request.text);
                                                            return wxID_OK;
                                                        }};
};

TEST_F(HistogramDlgsTest, SettingsShowTheCaptureTimeSplitAndRefuseBadEntries)
{
    CHistogramSettingsDlg dialog(nullptr);
    dialog.m_dAutoScaleFactor = 0.5;
    dialog.m_dCaptureTime = 3725.0;
    dialog.m_nPoints = 1024;
    dialog.TransferDataToWindow();
    EXPECT_EQ(Edit(dialog, 352)->GetValue(), "1");
    EXPECT_EQ(Edit(dialog, 357)->GetValue(), "2");
    EXPECT_EQ(Edit(dialog, 360)->GetValue(), "5");
    EXPECT_EQ(Edit(dialog, 215)->GetValue(), "1024");
    EXPECT_EQ(Edit(dialog, 598)->GetValue(), "0.5");
    SavePicture(&dialog, "histogram-settings.png");

    struct Refused
    {
        int id;
        const char* text;
    };
    for (const Refused& r : {Refused{215, "100"}, Refused{215, "1000.5"}, Refused{598, "1.5"},
                             Refused{357, "x"}, Refused{352, "-1"}})
    {
        dialog.TransferDataToWindow();
        Edit(dialog, r.id)->ChangeValue(r.text);
        const std::size_t before = m_boxes.size();
        EXPECT_FALSE(dialog.TransferDataFromWindow()) << r.id << " " << r.text;
        EXPECT_EQ(m_boxes.size(), before + 1) << "the user is told";
        EXPECT_EQ(dialog.m_dCaptureTime, 3725.0);
        EXPECT_EQ(dialog.m_nPoints, 1024);
    }

    dialog.TransferDataToWindow();
    Edit(dialog, 352)->ChangeValue("2");
    Edit(dialog, 357)->ChangeValue("0");
    Edit(dialog, 360)->ChangeValue("30");
    Edit(dialog, 215)->ChangeValue("4096");
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_dCaptureTime, 7230.0);
    EXPECT_EQ(dialog.m_nPoints, 4096);
    dialog.Hide();
}

TEST_F(HistogramDlgsTest, CurveSelectTakesTheChosenCurve)
{
    CHistogramCurveSelectDlg dialog(nullptr);
    dialog.m_nCurve = 2;
    dialog.TransferDataToWindow();
    auto* active =
        dynamic_cast<wxRadioButton*>(dialog.FindWindow(CHistogramCurveSelectDlg::kIdFirstCurve + 2));
    ASSERT_NE(active, nullptr);
    EXPECT_TRUE(active->GetValue());
    SavePicture(&dialog, "histogram-curve-select.png");
    auto* period =
        dynamic_cast<wxRadioButton*>(dialog.FindWindow(CHistogramCurveSelectDlg::kIdFirstCurve + 1));
    ASSERT_NE(period, nullptr);
    period->SetValue(true);
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_nCurve, 1);
    dialog.Hide();
}

}  // namespace
