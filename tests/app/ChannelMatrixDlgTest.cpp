// The Channel Matrix as a user meets it: opened from Options > Channel configuration of a
// measurement window (a picture of it and of its DSP dialog), its entries limited and its
// prescaler chosen by the nearest value, Reset and All Off, the DSP and line-style buttons editing
// only their row's copy, and Cancel or a refused entry changing nothing.
#include "app/ChannelMatrixDlg.h"
#include "app/MainFrame.h"
#include "display/settings/ViewSettings.h"
#include "display/ui/LineStylesDlg.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "view/EngineDisplayObjects.h"
#include "view/SndView.h"
#include "view/ui/CalibrationDlgs.h"
#include "view/ui/SelectDspOperationDlg.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/ctrlsub.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

using testsupport::FillAndConfirm;
using testsupport::SavePicture;

void SetText(wxWindow& dialog, int id, const std::string& text)
{
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->ChangeValue(wxString::FromUTF8(text));
}

std::string TextOf(wxWindow& dialog, int id)
{
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    return edit ? edit->GetValue().utf8_string() : "(none)";
}

std::string ChoiceOf(wxWindow& dialog, int id)
{
    auto* choice = dynamic_cast<wxChoice*>(dialog.FindWindow(id));
    return choice ? choice->GetStringSelection().utf8_string() : "(none)";
}

bool Ticked(wxWindow& dialog, int id)
{
    auto* check = dynamic_cast<wxCheckBox*>(dialog.FindWindow(id));
    return check && check->GetValue();
}

void Click(wxWindow& dialog, int id)
{
    wxWindow* button = dialog.FindWindow(id);
    ASSERT_NE(button, nullptr) << id;
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

// The colour in the middle of a row's line-style button picture, as 0x00BBGGRR.
COLORREF SwatchColor(wxWindow& dialog, int row)
{
    auto* button = dynamic_cast<wxButton*>(dialog.FindWindow(CChannelMatrixDlg::kIdLineStyle + row));
    if (!button || !button->GetBitmap().IsOk())
        return 0xFFFFFFFF;
    const wxImage image = button->GetBitmap().ConvertToImage();
    const int x = image.GetWidth() / 2;
    const int y = image.GetHeight() / 2;
    return static_cast<COLORREF>(image.GetRed(x, y) | (image.GetGreen(x, y) << 8) |
                                 (image.GetBlue(x, y) << 16));
}

class ChannelMatrixTest : public testsupport::EngineFrameFixture
{
protected:
    CSndView* OpenWorkspace()
    {
        m_app->OnFileNew();
        wxTheApp->Yield(true);
        return m_frame->GetActiveView();
    }
};

TEST_F(ChannelMatrixTest, OpensFromTheOptionsMenuAndStoresTheLimitedEntries)
{
    CSndView* view = OpenWorkspace();
    ASSERT_NE(view, nullptr);
    wxMenuItem* item =
        m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(view_command::kChannelConfiguration));
    ASSERT_NE(item, nullptr);
    m_frame->UpdateWindowUI();
    EXPECT_TRUE(item->IsEnabled());
    CViewSettings& settings = *view->GetSettings();
    settings.m_Channels.GetChannel(2).m_dPreScale = 3.0;
    settings.m_Channels.GetChannel(30).m_dScaleDb = 12.0;
    settings.m_Channels.GetChannel(30).m_nInputChannel = 40;

    // Cancel first: nothing changes, though the entries were edited.
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog, int)
            {
                SetText(dialog, CChannelMatrixDlg::kIdInput + 0, "7");
                return false;
            });
        RunCommand(view_command::kChannelConfiguration);
        EXPECT_EQ(answer.m_shown, 1);
        EXPECT_EQ(settings.m_Channels.GetChannel(0).m_nInputChannel, 0);
    }
    FillAndConfirm answer(
        [&](wxDialog& dialog)
        {
            SavePicture(&dialog, "channel-matrix.png");
            // Rows 1 to 24 only; each with its calibration button.
            EXPECT_NE(dialog.FindWindow(CChannelMatrixDlg::kIdInput + 23), nullptr);
            EXPECT_EQ(dialog.FindWindow(CChannelMatrixDlg::kIdInput + 24), nullptr);
            EXPECT_TRUE(dialog.FindWindow(CChannelMatrixDlg::kIdCalibrate)->IsEnabled());
            EXPECT_EQ(ChoiceOf(dialog, CChannelMatrixDlg::kIdPrescaler + 2), "5");
            EXPECT_EQ(TextOf(dialog, CChannelMatrixDlg::kIdScale + 0), "0.00");
            SetText(dialog, CChannelMatrixDlg::kIdInput + 0, "0");
            SetText(dialog, CChannelMatrixDlg::kIdInput + 1, "99");
            SetText(dialog, CChannelMatrixDlg::kIdInput + 3, "4.7");
            SetText(dialog, CChannelMatrixDlg::kIdScale + 3, "-6.5");
            dynamic_cast<wxCheckBox*>(dialog.FindWindow(CChannelMatrixDlg::kIdDisplay + 3))->SetValue(false);
            dynamic_cast<wxChoice*>(dialog.FindWindow(CChannelMatrixDlg::kIdPrescaler + 3))
                ->SetStringSelection("100");
        });
    RunCommand(view_command::kChannelConfiguration);
    EXPECT_EQ(answer.m_shown, 1);
    EXPECT_EQ(settings.m_Channels.GetChannel(0).m_nInputChannel, 0);
    EXPECT_EQ(settings.m_Channels.GetChannel(1).m_nInputChannel, 63);
    EXPECT_EQ(settings.m_Channels.GetChannel(3).m_nInputChannel, 3);
    EXPECT_EQ(settings.m_Channels.GetChannel(3).m_dScaleDb, -6.5);
    EXPECT_EQ(settings.m_Channels.GetChannel(3).m_bActive, 0);
    EXPECT_EQ(settings.m_Channels.GetChannel(3).m_dPreScale, 100.0);
    // The untouched row takes the value its list shows.
    EXPECT_EQ(settings.m_Channels.GetChannel(2).m_dPreScale, 5.0);
    // Rows 25 to 64 pass through.
    EXPECT_EQ(settings.m_Channels.GetChannel(30).m_dScaleDb, 12.0);
    EXPECT_EQ(settings.m_Channels.GetChannel(30).m_nInputChannel, 40);
}

TEST_F(ChannelMatrixTest, ResetAllOffAndARefusedEntry)
{
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            messages.push_back(request.text);
            return wxID_OK;
        });
    CChannelMatrixDlg dialog(m_frame);
    dialog.m_channels[5].m_nInputChannel = 9;
    dialog.m_channels[5].m_dScaleDb = 4.0;
    dialog.m_channels[6].m_bActive = 1;
    {
        FillAndConfirm answer(
            [&](wxDialog& shown, int)
            {
                SetText(shown, CChannelMatrixDlg::kIdScale + 6, "loud");
                return true;
            });
        EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
        EXPECT_EQ(answer.m_refused, 1);
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("7"), std::string::npos) << messages[0];
    EXPECT_EQ(dialog.m_channels[5].m_nInputChannel, 9) << "a refusal stores no row";
    {
        FillAndConfirm answer(
            [&](wxDialog& shown)
            {
                Click(shown, CChannelMatrixDlg::kIdAllOff);
                EXPECT_FALSE(Ticked(shown, CChannelMatrixDlg::kIdDisplay + 6));
                Click(shown, CChannelMatrixDlg::kIdReset);
                EXPECT_TRUE(Ticked(shown, CChannelMatrixDlg::kIdDisplay + 23));
                EXPECT_EQ(TextOf(shown, CChannelMatrixDlg::kIdInput + 5), "6");
                EXPECT_EQ(TextOf(shown, CChannelMatrixDlg::kIdScale + 5), "0.00");
            });
        EXPECT_EQ(dialog.ShowModal(), wxID_OK);
    }
    EXPECT_EQ(dialog.m_channels[5].m_nInputChannel, 5);
    EXPECT_EQ(dialog.m_channels[5].m_dScaleDb, 0.0);
    for (int i = 0; i < CChannelMatrixDlg::kRows; ++i)
        EXPECT_EQ(dialog.m_channels[static_cast<std::size_t>(i)].m_bActive, 1) << i;
}

TEST_F(ChannelMatrixTest, DspAndLineStyleButtonsEditOnlyTheirRow)
{
    CChannelMatrixDlg dialog(m_frame);
    dialog.m_curveNames = {"Ch#1", "Ch#2", "Overlay 1"};
    dialog.m_channels[2].m_Operation.Reset(2);
    const DspOperation before = dialog.m_channels[3].m_Operation;
    std::vector<std::string> operations;
    FillAndConfirm answer(
        [&](wxDialog& shown, int showing)
        {
            if (showing == 0)
            {
                Click(shown, CChannelMatrixDlg::kIdDsp + 2);
                Click(shown, CChannelMatrixDlg::kIdLineStyle + 2);
                return true;
            }
            if (showing == 1)
            {
                // The picture first: showing the dialog fills its lists again.
                SavePicture(&shown, "channel-matrix-dsp.png");
                auto* list = dynamic_cast<wxChoice*>(shown.FindWindow(CSelectDspOperationDlg::kIdOperation));
                EXPECT_NE(list, nullptr);
                if (!list)
                    return false;
                for (unsigned i = 0; i < list->GetCount(); ++i)
                    operations.push_back(list->GetString(i).utf8_string());
                EXPECT_EQ(ChoiceOf(shown, CSelectDspOperationDlg::kIdSource1), "Overlay 1");
                list->SetStringSelection("SUB");
                dynamic_cast<wxChoice*>(shown.FindWindow(CSelectDspOperationDlg::kIdSource2))
                    ->SetSelection(1);
                return true;
            }
            auto* lineStyles = dynamic_cast<CLineStylesDlg*>(&shown);
            EXPECT_NE(lineStyles, nullptr);
            return false;  // the line style's Cancel keeps the style
        });
    const CCurveStyle style = dialog.m_channels[2].m_CurveStyle;
    EXPECT_EQ(dialog.ShowModal(), wxID_OK);
    EXPECT_EQ(answer.m_shown, 3);
    ASSERT_EQ(operations.size(), 17u);
    EXPECT_EQ(operations[0], "NONE");
    EXPECT_EQ(operations[16], "OFFSET");
    EXPECT_EQ(dialog.m_channels[2].m_Operation.m_nOperation, kDspSub);
    EXPECT_EQ(dialog.m_channels[2].m_Operation.m_nSource1, 2);
    EXPECT_EQ(dialog.m_channels[2].m_Operation.m_nSource2, 1);
    EXPECT_EQ(dialog.m_channels[2].m_CurveStyle.m_nColorIndex, style.m_nColorIndex);
    EXPECT_EQ(dialog.m_channels[3].m_Operation.m_nOperation, before.m_nOperation);
    EXPECT_EQ(dialog.m_channels[3].m_Operation.m_nSource2, before.m_nSource2);
}

// Each line-style button shows its channel's line; a style chosen in "Line Styles" shows at once
// and is what the row keeps.
TEST_F(ChannelMatrixTest, LineStyleButtonsShowTheirChannelsLine)
{
    CChannelMatrixDlg dialog(m_frame);
    dialog.m_channels[0].m_CurveStyle.m_nColorIndex = PALETTE_BLUE;
    dialog.m_channels[4].m_CurveStyle.m_nColorIndex = PALETTE_RED;
    constexpr int kGreen = 2;
    CCurveStyle green;
    green.m_nColorIndex = kGreen;
    ASSERT_NE(green.GetColor(), dialog.m_channels[4].m_CurveStyle.GetColor());
    FillAndConfirm answer(
        [&](wxDialog& shown, int showing)
        {
            if (showing == 0)
            {
                EXPECT_EQ(SwatchColor(shown, 0), dialog.m_channels[0].m_CurveStyle.GetColor());
                EXPECT_EQ(SwatchColor(shown, 4), dialog.m_channels[4].m_CurveStyle.GetColor());
                Click(shown, CChannelMatrixDlg::kIdLineStyle + 4);
                EXPECT_EQ(SwatchColor(shown, 4), green.GetColor()) << "the new style shows at once";
                EXPECT_EQ(SwatchColor(shown, 0), dialog.m_channels[0].m_CurveStyle.GetColor());
                SavePicture(&shown, "channel-matrix-styles.png");
                return true;
            }
            auto* colors = dynamic_cast<wxItemContainer*>(shown.FindWindow(CLineStylesDlg::kIdColor));
            auto* widths = dynamic_cast<wxChoice*>(shown.FindWindow(CLineStylesDlg::kIdWidth));
            EXPECT_NE(colors, nullptr);
            EXPECT_NE(widths, nullptr);
            if (!colors || !widths)
                return false;
            colors->SetSelection(kGreen);
            widths->SetSelection(2);
            return true;
        });
    EXPECT_EQ(dialog.ShowModal(), wxID_OK);
    EXPECT_EQ(answer.m_shown, 2);
    EXPECT_EQ(dialog.m_channels[4].m_CurveStyle.m_nColorIndex, kGreen);
    EXPECT_EQ(dialog.m_channels[4].m_CurveStyle.m_nWidth, 3);
    EXPECT_EQ(dialog.m_channels[0].m_CurveStyle.m_nColorIndex, PALETTE_BLUE);
}

// A channel whose readings carry the multiplier its scale gives, as the window's meters do: a tone
// of `signal` full scale reads signal · 10^(scale/20).
struct CalibratedTone
{
    double signal = 0.01;
    double scaleDb = 0.0;
    CCalibrationReading::Source Source()
    {
        return [this](int, double& rms, double& peak, double& peakToPeak)
        {
            rms = signal * std::pow(10.0, scaleDb / 20.0);
            peak = rms * std::sqrt(2.0);
            peakToPeak = 2.0 * peak;
            return true;
        };
    }
};

std::string LabelOf(wxWindow& dialog, int id)
{
    auto* label = dynamic_cast<wxStaticText*>(dialog.FindWindow(id));
    return label ? label->GetLabel().utf8_string() : "(none)";
}

TEST_F(ChannelMatrixTest, SoundLevelCalibrationOfARowSetsItsScale)
{
    CSndView* view = OpenWorkspace();
    ASSERT_NE(view, nullptr);
    CViewSettings& settings = *view->GetSettings();
    CalibratedTone tone;
    // Calibrates row 3 to `referenceDb` through "C" > "Sound level"; the pictures on the first run.
    auto calibrate = [&](const char* referenceDb, bool pictures)
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog, int showing)
            {
                if (showing == 0)
                {
                    auto& matrix = dynamic_cast<CChannelMatrixDlg&>(dialog);
                    matrix.m_readings = tone.Source();
                    Click(dialog, CChannelMatrixDlg::kIdCalibrate + 2);
                    return true;
                }
                if (showing == 1)
                {
                    EXPECT_EQ(dialog.GetTitle().utf8_string(), "Level calibration channel #3");
                    Click(dialog, CLevelCalibrationChannelDlg::kIdSoundLevel);
                    if (pictures)
                        SavePicture(&dialog, "level-calibration-channel.png");
                    EXPECT_NE(LabelOf(dialog, CLevelCalibrationChannelDlg::kIdFactorLine)
                                  .find("Current calibration factor"),
                              std::string::npos);
                    return true;
                }
                EXPECT_EQ(TextOf(dialog, CSoundLevelCalibrationDlg::kIdReferenceLevel).substr(0, 2), "94");
                SetText(dialog, CSoundLevelCalibrationDlg::kIdReferenceLevel, referenceDb);
                if (pictures)
                {
                    Click(dialog, CSoundLevelCalibrationDlg::kIdSet);
                    EXPECT_EQ(LabelOf(dialog, CSoundLevelCalibrationDlg::kIdCurrentLevel), "94.0 dB");
                    EXPECT_EQ(LabelOf(dialog, CSoundLevelCalibrationDlg::kIdFactorLine),
                              "Current calibration factor 134.0dB");
                    SavePicture(&dialog, "sound-level-calibration.png");
                }
                return true;
            });
        RunCommand(view_command::kChannelConfiguration);
        EXPECT_EQ(answer.m_shown, 3);
        EXPECT_EQ(answer.m_refused, 0);
        tone.scaleDb = settings.m_Channels.GetChannel(2).m_dScaleDb;
    };
    // -40 dB full scale read as 94 dB: the channel's multiplier is 10^6.7, "134.0 dB".
    calibrate("94", true);
    EXPECT_NEAR(settings.m_Channels.GetChannel(2).m_dScaleDb, 134.0, 1e-9);
    EXPECT_EQ(settings.m_Channels.GetChannel(2).m_bCalibrated, 1);
    EXPECT_NEAR(GetEngineDisplayObjects().m_channels.GetChannel(2).m_dScaleDb, 134.0, 1e-9);
    EXPECT_EQ(settings.m_Channels.GetChannel(1).m_dScaleDb, 0.0) << "other rows keep their scale";
    // Calibrating the calibrated channel again takes out the multiplier its readings carry.
    calibrate("114", false);
    EXPECT_NEAR(settings.m_Channels.GetChannel(2).m_dScaleDb, 154.0, 1e-9);
    calibrate("94", false);
    EXPECT_NEAR(settings.m_Channels.GetChannel(2).m_dScaleDb, 134.0, 1e-9);
}

TEST_F(ChannelMatrixTest, NoSignalGivesNoCalibrationAndElectricalSetsVolts)
{
    CSndView* view = OpenWorkspace();
    ASSERT_NE(view, nullptr);
    CViewSettings& settings = *view->GetSettings();
    settings.m_Channels.GetChannel(0).m_dScaleDb = 3.0;
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            messages.push_back(request.text);
            return wxID_OK;
        });
    CalibratedTone tone;
    tone.signal = 0.0;
    {
        int refusedSoundLevel = 0;
        FillAndConfirm answer(
            [&](wxDialog& dialog, int showing)
            {
                if (showing == 0)
                {
                    dynamic_cast<CChannelMatrixDlg&>(dialog).m_readings = tone.Source();
                    Click(dialog, CChannelMatrixDlg::kIdCalibrate + 0);
                    return true;
                }
                if (showing == 1)
                {
                    Click(dialog, CLevelCalibrationChannelDlg::kIdSoundLevel);
                    return true;
                }
                // The sound-level dialog refuses a silent channel and stays open (Cancel here).
                if (!dialog.TransferDataFromWindow())
                    ++refusedSoundLevel;
                return false;
            });
        RunCommand(view_command::kChannelConfiguration);
        EXPECT_EQ(refusedSoundLevel, 1);
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("no usable signal"), std::string::npos) << messages[0];
    EXPECT_EQ(settings.m_Channels.GetChannel(0).m_dScaleDb, 3.0);
    EXPECT_EQ(settings.m_Channels.GetChannel(0).m_bCalibrated, 0);

    // 1 V peak-to-peak on a tone of 0.5 full scale amplitude: factor 1, then 0 dB.
    tone.signal = 0.5 / std::sqrt(2.0);
    tone.scaleDb = 3.0;
    FillAndConfirm answer(
        [&](wxDialog& dialog, int showing)
        {
            if (showing == 0)
            {
                dynamic_cast<CChannelMatrixDlg&>(dialog).m_readings = tone.Source();
                Click(dialog, CChannelMatrixDlg::kIdCalibrate + 0);
                return true;
            }
            if (showing == 1)
            {
                Click(dialog, CLevelCalibrationChannelDlg::kIdElectrical);
                return true;
            }
            // Showing the dialog fills its controls again: the picture first.
            SavePicture(&dialog, "electrical-calibration.png");
            EXPECT_EQ(dialog.GetTitle().Lower().utf8_string(), "channel #1");
            SetText(dialog, CElectricalCalibrationDlg::kIdVoltage, "1");
            dynamic_cast<wxRadioButton*>(dialog.FindWindow(CElectricalCalibrationDlg::kIdPeakToPeak))
                ->SetValue(true);

            return true;
        });
    RunCommand(view_command::kChannelConfiguration);
    EXPECT_EQ(answer.m_refused, 0);
    EXPECT_NEAR(settings.m_Channels.GetChannel(0).m_dScaleDb, 0.0, 1e-9);
    EXPECT_EQ(settings.m_Channels.GetChannel(0).m_bCalibrated, 1);
}

}  // namespace
