// The measurement settings commands as a user runs them: each opens its dialog from the menu (a
// picture of each is saved), values go to the engine only after OK and through the dialogs' own
// controls, range failures keep the dialog open, and a real ALSA input is reopened at the rate and
// FFT size chosen. The workspace's own file: Save As, Open, the recent files, Close.
#include "app/AdvancedSettingDlg.h"
#include "app/AnalyzerApp.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/SndDoc.h"
#include "common/controls/ResultFolderDlg.h"
#include "engine/AudioInWave.h"
#include "engine/SoundIn.h"
#include "platform/Archive.h"
#include "platform/ui/MdiContainer.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/support/AlsaTestConfig.h"
#include "tests/support/FileBytes.h"
#include "view/EngineDisplayObjects.h"
#include "view/MeasurementSettingsRules.h"
#include "view/ui/DualSettingsDlg.h"
#include "view/ui/FftPropertiesDlg.h"
#include "view/ui/ImpedanceDlg.h"
#include "view/ui/MeasurementValueDlgs.h"
#include "view/ui/TriggerSettingsDlg.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <tuple>

namespace
{

using testsupport::FillAndConfirm;
using testsupport::SavePicture;

void SetText(wxDialog& dialog, int id, const std::string& text)
{
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->ChangeValue(wxString::FromUTF8(text));
}

std::string GetTextOf(wxDialog& dialog, int id)
{
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    return edit ? edit->GetValue().utf8_string() : std::string("(none)");
}

void Choose(wxDialog& dialog, int id, const std::string& text)
{
    auto* choice = dynamic_cast<wxChoice*>(dialog.FindWindow(id));
    ASSERT_NE(choice, nullptr) << id;
    ASSERT_TRUE(choice->SetStringSelection(wxString::FromUTF8(text))) << id << " " << text;
}

void Press(wxDialog& dialog, int id)
{
    auto* radio = dynamic_cast<wxRadioButton*>(dialog.FindWindow(id));
    ASSERT_NE(radio, nullptr) << id;
    radio->SetValue(true);
}

bool IsPressed(wxDialog& dialog, int id)
{
    auto* radio = dynamic_cast<wxRadioButton*>(dialog.FindWindow(id));
    return radio && radio->GetValue();
}

// The message boxes the dialogs show themselves (the shell's own go into its trace).
struct MessageLog
{
    std::vector<std::string> texts;
    platform::ui::ScopedMessageBoxResponder responder{[this](const platform::ui::MessageBoxRequest& request)
                                                      {
                                                          texts.push_back(request.text);
                                                          return wxID_OK;
                                                      }};
};

class SettingsDialogsTest : public testsupport::EngineFrameFixture
{
protected:
    // The shell's message boxes since the last call.
    std::vector<std::string> ShellMessages()
    {
        std::vector<std::string> messages;
        const auto& trace = m_app->GetTrace();
        for (std::size_t i = m_nTraceSeen; i < trace.size(); ++i)
            if (trace[i].rfind("message box: ", 0) == 0)
                messages.push_back(trace[i].substr(13));
        m_nTraceSeen = trace.size();
        return messages;
    }
    std::size_t m_nTraceSeen = 0;
};

TEST_F(SettingsDialogsTest, EachCommandOpensItsDialogFromTheMenuAndCancelChangesNothing)
{
    struct Case
    {
        int id;
        const char* picture;
    };
    const Case cases[] = {{command_id::kSettings, "settings-fft-properties.png"},
                          {command_id::kAdvancedSettings, "settings-advanced.png"},
                          {command_id::kTriggerSettings, "settings-trigger.png"},
                          {command_id::kImpedanceSettings, "settings-impedance.png"},
                          {command_id::kDsp, "settings-dsp.png"},
                          {command_id::kAudioMonitor, "settings-audio-monitor.png"}};
    CArchive before;
    m_engine.Serialize(before);
    wxMenuBar* bar = m_frame->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.picture);
        wxMenuItem* item = bar->FindItem(command_id::WxCommandId(c.id));
        ASSERT_NE(item, nullptr);
        m_frame->UpdateWindowUI();
        EXPECT_TRUE(item->IsEnabled());
        FillAndConfirm answer(
            [&](wxDialog& dialog, int showing)
            {
                if (showing == 0)
                    SavePicture(&dialog, c.picture);
                return false;
            });
        RunCommand(c.id);
        EXPECT_EQ(answer.m_shown, 1);
    }
    CArchive after;
    m_engine.Serialize(after);
    EXPECT_EQ(before.Buffer(), after.Buffer()) << "Cancel leaves every setting as it was";
    // The "Dual Settings" dialog opens from the advanced settings.
    FillAndConfirm answer(
        [&](wxDialog& dialog, int showing)
        {
            if (showing == 0)
            {
                wxCommandEvent click(wxEVT_BUTTON, CAdvancedSettingDlg::kIdDualSettings);
                click.SetEventObject(dialog.FindWindow(CAdvancedSettingDlg::kIdDualSettings));
                dialog.FindWindow(CAdvancedSettingDlg::kIdDualSettings)->ProcessWindowEvent(click);
            }
            else
                SavePicture(&dialog, "settings-dual.png");
            return false;
        });
    RunCommand(command_id::kAdvancedSettings);
    EXPECT_EQ(answer.m_shown, 2);
}

TEST_F(SettingsDialogsTest, FftPropertiesShowAndStoreTheWindowType)
{
    m_engine.m_nWindowType = 7;
    FillAndConfirm answer(
        [&](wxDialog& dialog, int showing)
        {
            if (showing > 0)
                return false;
            EXPECT_TRUE(IsPressed(dialog, CFftPropertiesDlg::kIdListedWindow));
            auto* list = dynamic_cast<wxChoice*>(dialog.FindWindow(CFftPropertiesDlg::kIdWindowList));
            EXPECT_EQ(list->GetStringSelection(), "Kaiser-Bessel");
            Press(dialog, CFftPropertiesDlg::kIdHamming);
            return true;
        });
    RunCommand(command_id::kSettings);
    EXPECT_EQ(m_engine.m_nWindowType, 1);
}

TEST_F(SettingsDialogsTest, FftPropertiesChecksRepeatTheDialogAndTheFftSizeGrowsToTheTimeWindow)
{
    MessageLog log;
    // A field out of range keeps the dialog open with a message naming the field.
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog, int showing)
            {
                SetText(dialog, CFftPropertiesDlg::kIdAverages, showing == 0 ? "3000" : "abc");
                return showing < 2;
            });
        RunCommand(command_id::kSettings);
        EXPECT_EQ(answer.m_refused, 1);
        ASSERT_EQ(log.texts.size(), 1u);
        EXPECT_NE(log.texts[0].find("average"), std::string::npos) << log.texts[0];
        EXPECT_EQ(m_engine.m_nAverageCount, 1);
    }
    // Chirp start above stop, then stop above half the rate: each shows the dialog again with the
    // values entered; then the MLS time window doubles the FFT size.
    {
        std::vector<std::string> shownStart;
        FillAndConfirm answer(
            [&](wxDialog& dialog, int showing)
            {
                shownStart.push_back(GetTextOf(dialog, CFftPropertiesDlg::kIdChirpStart));
                SetText(dialog, CFftPropertiesDlg::kIdSampleRate, "48000");
                Choose(dialog, CFftPropertiesDlg::kIdFftSize, "4096");
                if (showing == 0)
                {
                    Press(dialog, CFftPropertiesDlg::kIdExcitationChirp);
                    SetText(dialog, CFftPropertiesDlg::kIdChirpStart, "5000");
                    SetText(dialog, CFftPropertiesDlg::kIdChirpStop, "1000");
                }
                else if (showing == 1)
                {
                    SetText(dialog, CFftPropertiesDlg::kIdChirpStart, "20");
                    SetText(dialog, CFftPropertiesDlg::kIdChirpStop, "24000");
                }
                else if (showing == 2)
                {
                    Press(dialog, CFftPropertiesDlg::kIdExcitationMls);
                    SetText(dialog, CFftPropertiesDlg::kIdWindowLength, "30000");
                }
                else
                    SetText(dialog, CFftPropertiesDlg::kIdWindowLength, "500");
                return true;
            });
        RunCommand(command_id::kSettings);
        EXPECT_EQ(answer.m_shown, 4);
        ASSERT_EQ(shownStart.size(), 4u);
        EXPECT_EQ(shownStart[1], "5000") << "the dialog comes back with the values entered";
        const std::vector<std::string> messages = ShellMessages();
        ASSERT_EQ(messages.size(), 4u);
        EXPECT_EQ(messages[0], "Chirp stop frequency must be larger than the start frequency");
        EXPECT_EQ(messages[1], "Chirp stop frequency is limited to half the sample rate");
        EXPECT_NE(messages[2].find("1048576"), std::string::npos) << messages[2];
        EXPECT_EQ(messages[3], "FFT size has been set to 32768 to fit the desired MLS lengths");
        EXPECT_EQ(m_engine.m_nFftSize, 32768);
        EXPECT_EQ(m_engine.m_nSampleRate, 48000);
        EXPECT_TRUE(m_engine.m_bMlsMode);
        EXPECT_DOUBLE_EQ(m_engine.m_dImpulseLength, 0.5);
    }
    // A small block only warns.
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog, int)
            {
                Press(dialog, CFftPropertiesDlg::kIdExcitationOff);
                Choose(dialog, CFftPropertiesDlg::kIdFftSize, "256");
                return true;
            });
        RunCommand(command_id::kSettings);
        EXPECT_EQ(answer.m_shown, 1);
        const std::vector<std::string> messages = ShellMessages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].rfind("Warning: small blocksizes", 0), 0u) << messages[0];
        EXPECT_EQ(m_engine.m_nFftSize, 256);
    }
}

TEST_F(SettingsDialogsTest, TriggerDelayIsStoredInFramesAndReopensInMilliseconds)
{
    m_engine.m_nSampleRate = 48000;
    FillAndConfirm answer(
        [&](wxDialog& dialog, int showing)
        {
            if (showing == 0)
            {
                SetText(dialog, CTriggerSettingsDlg::kIdDelay, "-10");
                Choose(dialog, CTriggerSettingsDlg::kIdMode, "RMS");
                Choose(dialog, CTriggerSettingsDlg::kIdChannel, "2");
                Press(dialog, CTriggerSettingsDlg::kIdOneShot);
                return true;
            }
            EXPECT_EQ(GetTextOf(dialog, CTriggerSettingsDlg::kIdDelay), "-10");
            EXPECT_TRUE(IsPressed(dialog, CTriggerSettingsDlg::kIdOneShot));
            return false;
        });
    RunCommand(command_id::kTriggerSettings);
    const CSoundIn::TriggerSettings stored = m_engine.GetTriggerSettings();
    EXPECT_EQ(stored.offsetFrames, -480);
    EXPECT_EQ(stored.mode, CSoundIn::kTriggerRms);
    EXPECT_EQ(stored.channel, 1);
    EXPECT_EQ(stored.repeat, 0);
    RunCommand(command_id::kTriggerSettings);
    EXPECT_EQ(answer.m_shown, 2);
}

TEST_F(SettingsDialogsTest, AdvancedSettingsRefuseFileLengthsOutOfRangeAndShowTheFirstDeviceForAnUnknownIndex)
{
    MessageLog log;
    m_engine.m_nCaptureDevice = 99;
    for (const char* minutes : {"0", "2001"})
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog, int)
            {
                auto* device = dynamic_cast<wxChoice*>(dialog.FindWindow(CAdvancedSettingDlg::kIdDevice));
                if (device->GetCount() > 0)
                {
                    EXPECT_EQ(device->GetSelection(), 0);
                }
                SetText(dialog, CAdvancedSettingDlg::kIdFileLength, minutes);
                return true;
            });
        RunCommand(command_id::kAdvancedSettings);
        EXPECT_EQ(answer.m_refused, 1) << minutes;
        EXPECT_EQ(m_engine.m_nCaptureDevice, 99);
    }
    ASSERT_EQ(log.texts.size(), 2u);
    EXPECT_NE(log.texts[0].find("file length"), std::string::npos) << log.texts[0];
    // 2000 minutes is accepted and stored in seconds; mono sampling with it.
    FillAndConfirm answer(
        [&](wxDialog& dialog, int)
        {
            SetText(dialog, CAdvancedSettingDlg::kIdFileLength, "2000");
            Press(dialog, CAdvancedSettingDlg::kIdMono);
            return true;
        });
    RunCommand(command_id::kAdvancedSettings);
    EXPECT_DOUBLE_EQ(m_engine.m_dRecorderInterval, 120000.0);
    EXPECT_EQ(m_engine.m_nChannelMode, 0);
}

TEST_F(SettingsDialogsTest, DualSamplingWithDualPlotsFallsBackToSingleChannelWithAMessage)
{
    struct Case
    {
        int dualPlot;
        int expectedMode;
        int expectedPlot;
        std::size_t messages;
    };
    for (const Case& c : {Case{3, 0, 0, 1}, Case{0, 3, 0, 0}})
    {
        ShellMessages();
        m_engine.m_stored.dualPlot[1] = c.dualPlot;
        FillAndConfirm answer([&](wxDialog& dialog) { Press(dialog, CAdvancedSettingDlg::kIdDual); });
        RunCommand(command_id::kAdvancedSettings);
        EXPECT_EQ(m_engine.m_nChannelMode, c.expectedMode) << c.dualPlot;
        EXPECT_EQ(m_engine.m_stored.dualPlot[1], c.expectedPlot);
        EXPECT_EQ(m_engine.m_nAnalysisChannels, c.expectedMode == 3 ? 2 : 1);
        const std::vector<std::string> messages = ShellMessages();
        ASSERT_EQ(messages.size(), c.messages);
        if (c.messages > 0)
        {
            EXPECT_EQ(messages[0], settings_rules::kSingleChannelMessage);
        }
    }
}

TEST_F(SettingsDialogsTest, ARateChangeResetsOrLowersTheFirstAxisPreset)
{
    CAxisProp& preset = GetEngineDisplayObjects().m_axisPresets[0];
    const CAxisProp saved = preset;
    const auto rate = [&](const char* text)
    {
        FillAndConfirm answer([&](wxDialog& dialog)
                              { SetText(dialog, CFftPropertiesDlg::kIdSampleRate, text); });
        RunCommand(command_id::kSettings);
    };
    // The spectrum: the upper end comes down to half the rate minus 100 Hz.
    ASSERT_TRUE(m_engine.IsFrequencyAxisMode());
    preset.m_dXMin = 20.0;
    preset.m_dXMax = 24000.0;
    rate("22050");
    EXPECT_EQ(m_engine.m_nSampleRate, 22050);
    EXPECT_DOUBLE_EQ(preset.m_dXMin, 20.0);
    EXPECT_DOUBLE_EQ(preset.m_dXMax, 10925.0);
    // The oscilloscope: a rate change gives the full time range again; the same rate keeps it.
    m_engine.SetAnalyzerMode(1);
    ASSERT_FALSE(m_engine.IsFrequencyAxisMode());
    preset.m_dXMin = 0.001;
    preset.m_dXMax = 0.002;
    rate("22050");
    EXPECT_DOUBLE_EQ(preset.m_dXMax, 0.002);
    rate("48000");
    EXPECT_DOUBLE_EQ(preset.m_dXMin, 0.0);
    EXPECT_DOUBLE_EQ(preset.m_dXMax, -1.0);
    preset = saved;
}

TEST_F(SettingsDialogsTest, TheHiddenVectorAverageEditIsExchangedAndChecked)
{
    MessageLog log;
    CFftPropertiesDlg dialog(m_frame);
    dialog.m_nVectorAverages = 7;
    wxWindow* edit = dialog.FindWindow(CFftPropertiesDlg::kIdVectorAverages);
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(edit->IsShown());
    FillAndConfirm answer(
        [&](wxDialog& shown, int showing)
        {
            // A refusal keeps the member: the second showing starts from it again.
            EXPECT_EQ(GetTextOf(shown, CFftPropertiesDlg::kIdVectorAverages), "7");
            SetText(shown, CFftPropertiesDlg::kIdVectorAverages, showing == 0 ? "2049" : "2048");
            return true;
        });
    EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
    EXPECT_EQ(dialog.m_nVectorAverages, 7);
    ASSERT_EQ(log.texts.size(), 1u);
    EXPECT_NE(log.texts[0].find("Vector Average"), std::string::npos) << log.texts[0];
    EXPECT_EQ(dialog.ShowModal(), wxID_OK);
    EXPECT_EQ(dialog.m_nVectorAverages, 2048);
}

TEST_F(SettingsDialogsTest, DualSettingsAndImpedanceStoreOnlyAfterOk)
{
    FillAndConfirm answer(
        [&](wxDialog& dialog, int showing)
        {
            Press(dialog, CDualSettingsDlg::kTimeIds[2]);       // R-L
            Press(dialog, CDualSettingsDlg::kFrequencyIds[5]);  // L/R
            SetText(dialog, CDualSettingsDlg::kIdFactorR, "2.5");
            return showing == 1;
        });
    RunCommand(command_id::kDsp);
    EXPECT_EQ(m_engine.m_nTimeOperation, 0);
    EXPECT_EQ(m_engine.m_nSpectrumOperation, 0);
    RunCommand(command_id::kDsp);
    EXPECT_EQ(m_engine.m_nTimeOperation, 2);
    EXPECT_EQ(m_engine.m_nSpectrumOperation, 5);
    EXPECT_DOUBLE_EQ(m_engine.m_dTimeGain1, 2.5);

    MessageLog log;
    for (const char* ohm : {"0.05", "100001", "8.2"})
    {
        FillAndConfirm impedance([&](wxDialog& dialog) { SetText(dialog, CImpedanceDlg::kIdResistor, ohm); });
        RunCommand(command_id::kImpedanceSettings);
    }
    EXPECT_EQ(log.texts.size(), 2u);
    EXPECT_DOUBLE_EQ(m_engine.m_dMode5Factor, 8.2);
}

// The dialogs that other windows' commands open, driven here through their own controls.
TEST_F(SettingsDialogsTest, ValueDialogsCheckAndConvertTheirFields)
{
    MessageLog log;
    // Intermodulation: "Auto detect" is the sign of the stored first frequency.
    {
        CImdSettingsDlg dialog(m_frame);
        const settings_rules::ImdShown shown = settings_rules::ImdToDialog(-1000.0, 7000.0);
        dialog.m_bAutoDetect = shown.autoDetect;
        dialog.m_dFrequency1 = shown.frequency1;
        dialog.m_dFrequency2 = shown.frequency2;
        FillAndConfirm answer(
            [&](wxDialog& shownDialog)
            {
                EXPECT_TRUE(dynamic_cast<wxCheckBox*>(shownDialog.FindWindow(CImdSettingsDlg::kIdAutoDetect))
                                ->GetValue());
                EXPECT_EQ(GetTextOf(shownDialog, CImdSettingsDlg::kIdFrequency1), "1000");
            });
        ASSERT_EQ(dialog.ShowModal(), wxID_OK);
        EXPECT_EQ(settings_rules::ImdStoredFrequency1(dialog.m_dFrequency1, dialog.m_bAutoDetect), -1000.0);
        SavePicture(&dialog, "settings-intermodulation.png");
    }
    // Frequency band: 1000 Hz selects 1000 Hz in both lists, 1001 Hz the 2000 Hz octave and the
    // 1250 Hz third octave.
    for (const auto& row :
         {std::tuple{1000.0, "1000.00", "1000.00"}, std::tuple{1001.0, "2000.00", "1250.00"}})
    {
        // Plain copies: a lambda may not capture structured bindings before C++20 in every compiler.
        const double frequency = std::get<0>(row);
        const char* const octave = std::get<1>(row);
        const char* const third = std::get<2>(row);
        CSelectFrequencyBandDlg dialog(m_frame);
        dialog.m_dFrequency = frequency;
        dialog.m_nKind = 1;
        FillAndConfirm answer(
            [&](wxDialog& shown)
            {
                EXPECT_EQ(dynamic_cast<wxChoice*>(shown.FindWindow(CSelectFrequencyBandDlg::kIdOctaveList))
                              ->GetStringSelection(),
                          octave);
                EXPECT_EQ(dynamic_cast<wxChoice*>(shown.FindWindow(CSelectFrequencyBandDlg::kIdThirdList))
                              ->GetStringSelection(),
                          third);
                EXPECT_TRUE(IsPressed(shown, CSelectFrequencyBandDlg::kIdOctave));
                Press(shown, CSelectFrequencyBandDlg::kIdThird);
            });
        ASSERT_EQ(dialog.ShowModal(), wxID_OK);
        EXPECT_EQ(dialog.m_nKind, 3);
        EXPECT_EQ(dialog.m_dFrequency, frequency == 1000.0 ? 1000.0 : 1250.0);
        if (frequency == 1000.0)
            SavePicture(&dialog, "settings-frequency-band.png");
    }
    // Frequency range: 0..100000 Hz accepted, -1 or 100001 in either edit refused.
    struct Range
    {
        const char* from;
        const char* to;
        bool accepted;
    };
    for (const Range& r :
         {Range{"0", "100000", true}, Range{"-1", "1000", false}, Range{"100001", "1000", false},
          Range{"10", "-1", false}, Range{"10", "100001", false}})
    {
        CAttenuationRangeDlg dialog(m_frame);
        FillAndConfirm answer(
            [&](wxDialog& shown)
            {
                SetText(shown, CAttenuationRangeDlg::kIdFrom, r.from);
                SetText(shown, CAttenuationRangeDlg::kIdTo, r.to);
            });
        EXPECT_EQ(dialog.ShowModal() == wxID_OK, r.accepted) << r.from << ".." << r.to;
        if (r.accepted)
        {
            EXPECT_EQ(dialog.m_dFrom, 0.0);
            EXPECT_EQ(dialog.m_dTo, 100000.0);
            SavePicture(&dialog, "settings-attenuation-range.png");
        }
    }
    // Date and time: 400 days show as year 1, month 1, day 5 and come back whole.
    {
        const settings_rules::DateTimeFields fields =
            settings_rules::DurationToFields(400.0 * 86400.0 + 61.5);
        CDateTimeDlg dialog(m_frame);
        dialog.m_nYear = fields.year;
        dialog.m_nMonth = fields.month;
        dialog.m_nDay = fields.day;
        dialog.m_nHour = fields.hour;
        dialog.m_nMinute = fields.minute;
        dialog.m_dSecond = fields.second;
        FillAndConfirm answer(
            [&](wxDialog& shown)
            {
                EXPECT_EQ(GetTextOf(shown, CDateTimeDlg::kIds[0]), "1");
                EXPECT_EQ(GetTextOf(shown, CDateTimeDlg::kIds[1]), "1");
                EXPECT_EQ(GetTextOf(shown, CDateTimeDlg::kIds[2]), "5");
            });
        ASSERT_EQ(dialog.ShowModal(), wxID_OK);
        const settings_rules::DateTimeFields back{dialog.m_nYear, dialog.m_nMonth,  dialog.m_nDay,
                                                  dialog.m_nHour, dialog.m_nMinute, dialog.m_dSecond};
        EXPECT_DOUBLE_EQ(settings_rules::FieldsToDuration(back), 400.0 * 86400.0 + 61.5);
        SavePicture(&dialog, "settings-date-time.png");
    }
    // Fields out of range: the data logger's rate, the reverberation's average points, the bands.
    const std::size_t messagesBefore = log.texts.size();
    {
        CDataloggerDlg dialog(m_frame);
        FillAndConfirm answer([&](wxDialog& shown) { SetText(shown, CDataloggerDlg::kIdRate, "0"); });
        EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
        SavePicture(&dialog, "settings-datalogger.png");
    }
    {
        CReverbPropertiesDlg dialog(m_frame);
        FillAndConfirm answer([&](wxDialog& shown)
                              { SetText(shown, CReverbPropertiesDlg::kIdAveragePoints, "1"); });
        EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
        SavePicture(&dialog, "settings-reverberation.png");
    }
    {
        CSelectBandsDlg dialog(m_frame);
        FillAndConfirm answer([&](wxDialog& shown) { SetText(shown, CSelectBandsDlg::kIdBands, "33"); });
        EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
        SavePicture(&dialog, "settings-bands.png");
    }
    ASSERT_EQ(log.texts.size(), messagesBefore + 3);
    EXPECT_NE(log.texts[messagesBefore].find("measurements per minute"), std::string::npos);
    EXPECT_NE(log.texts[messagesBefore + 1].find("average points"), std::string::npos);
    // The result folder's buttons fill the name; the signal type stays at its place.
    {
        CResultFolderDlg dialog(m_frame);
        FillAndConfirm answer(
            [&](wxDialog& shown)
            {
                wxWindow* three = shown.FindWindow(CResultFolderDlg::kButtonIds[2]);
                wxCommandEvent click(wxEVT_BUTTON, three->GetId());
                click.SetEventObject(three);
                three->ProcessWindowEvent(click);
            });
        ASSERT_EQ(dialog.ShowModal(), wxID_OK);
        EXPECT_EQ(dialog.m_strName, "3");
        SavePicture(&dialog, "settings-result-folder.png");
    }
    {
        CSignalTypeDlg dialog(m_frame);
        SavePicture(&dialog, "settings-signal-type.png");
        dialog.Move(400, 300);
        wxTheApp->Yield(true);
        EXPECT_EQ(dialog.GetPosition(),
                  wxPoint(CSignalTypeDlg::kPinnedPosition, CSignalTypeDlg::kPinnedPosition));
        FillAndConfirm answer([&](wxDialog& shown) { Press(shown, CSignalTypeDlg::kIds[1]); });
        ASSERT_EQ(dialog.ShowModal(), wxID_OK);
        EXPECT_EQ(dialog.m_nType, 1);
    }
    {
        CSoundPowerDlg dialog(m_frame);
        FillAndConfirm answer(
            [&](wxDialog& shown)
            {
                SetText(shown, CSoundPowerDlg::kIdSurface, "12.5");
                Press(shown, CSoundPowerDlg::kIdSix);
            });
        ASSERT_EQ(dialog.ShowModal(), wxID_OK);
        EXPECT_EQ(dialog.m_dSurface, 12.5);
        EXPECT_EQ(dialog.m_nMicrophones, 1);
        SavePicture(&dialog, "settings-sound-power.png");
    }
}

// ---------------------------------------------------------------------------------------------
// A real capture device: ALSA's `file` device plays a 1 kHz sine into the wave input.

class SettingsRealInputTest : public SettingsDialogsTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "the ALSA configuration files are not installed";
        m_alsa = std::make_unique<testsupport::AlsaTestConfig>(m_home.Root());
        // 20 s of a 1 kHz sine at 48 kHz, stereo 16 bit.
        constexpr int kFrames = 48000 * 20;
        std::vector<std::int16_t> samples(static_cast<std::size_t>(kFrames) * 2);
        for (int i = 0; i < kFrames; ++i)
        {
            const auto value =
                static_cast<std::int16_t>(std::lround(16000.0 * std::sin(2.0 * M_PI * 1000.0 * i / 48000.0)));
            samples[static_cast<std::size_t>(i) * 2] = value;
            samples[static_cast<std::size_t>(i) * 2 + 1] = value;
        }
        const auto infile = m_home.File("sine.raw");
        std::filesystem::create_directories(infile.parent_path());
        ASSERT_TRUE(testsupport::WriteBytes(
            infile, std::string_view(reinterpret_cast<const char*>(samples.data()), samples.size() * 2)));
        m_alsa->AddText(
            "pcm.tessarin_sine {\n  type file\n  slave.pcm \"null\"\n  format \"raw\"\n  file \"/dev/null\"\n"
            "  infile \"" +
            infile.string() + "\"\n  hint {\n    show on\n    description \"Test sine\"\n  }\n}\n");
        m_alsa->Apply();
        SettingsDialogsTest::SetUp();
        m_engine.SetInputDevice(CSoundIn::kInputWave, std::make_unique<CAudioIn_Wave>());
    }
    void TearDown() override
    {
        SettingsDialogsTest::TearDown();
        m_alsa.reset();
    }
    // Waits until the engine has published `count` more analyses.
    bool WaitForAnalyses(std::int64_t count)
    {
        const std::int64_t start = m_engine.m_nPublicationCounter.load();
        for (int i = 0; i < 1000 && m_engine.m_nPublicationCounter.load() < start + count; ++i)
        {
            wxTheApp->Yield(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return m_engine.m_nPublicationCounter.load() >= start + count;
    }
    std::unique_ptr<testsupport::AlsaTestConfig> m_alsa;
};

TEST_F(SettingsRealInputTest, DialogsReopenTheEngineOnTheChosenDeviceRateAndFftSize)
{
    std::vector<std::string> devices;
    EnumWaveInDevices(devices);
    const auto listed = std::find_if(devices.begin(), devices.end(),
                                     [](const std::string& name)
                                     { return name.find("(tessarin_sine)") != std::string::npos; });
    ASSERT_NE(listed, devices.end()) << "the test device is listed";
    {
        FillAndConfirm answer([&](wxDialog& dialog)
                              { Choose(dialog, CAdvancedSettingDlg::kIdDevice, *listed); });
        RunCommand(command_id::kAdvancedSettings);
    }
    EXPECT_EQ(m_engine.m_nCaptureDevice, static_cast<int>(listed - devices.begin()));
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog)
            {
                SetText(dialog, CFftPropertiesDlg::kIdSampleRate, "48000");
                Choose(dialog, CFftPropertiesDlg::kIdFftSize, "8192");
                Press(dialog, CFftPropertiesDlg::kIdListedWindow);
                Choose(dialog, CFftPropertiesDlg::kIdWindowList, "Hanning");
                SetText(dialog, CFftPropertiesDlg::kIdAverages, "4");
            });
        RunCommand(command_id::kSettings);
    }
    EXPECT_EQ(m_engine.m_nSampleRate, 48000);
    EXPECT_EQ(m_engine.m_nFftSize, 8192);
    EXPECT_EQ(m_engine.m_nWindowType, 3);
    EXPECT_EQ(m_engine.m_nAverageCount, 4);
    ASSERT_TRUE(m_engine.IsRunning());
    EXPECT_FALSE(m_engine.IsInputFallback());
    ASSERT_TRUE(WaitForAnalyses(6));
    const auto peakBin = [&]
    {
        std::lock_guard lock(m_engine.m_displayLock);
        const auto begin = m_engine.m_spectrumDisplay.begin() + 1;
        return static_cast<int>(std::max_element(begin, m_engine.m_spectrumDisplay.begin() + 8192 / 2) -
                                m_engine.m_spectrumDisplay.begin());
    };
    const double binWidth = 48000.0 / 8192.0;
    EXPECT_NEAR(peakBin() * binWidth, 1000.0, binWidth) << "the spectrum peaks at 1 kHz";

    // Cancel leaves the engine running as it was.
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog, int)
            {
                SetText(dialog, CFftPropertiesDlg::kIdSampleRate, "44100");
                return false;
            });
        RunCommand(command_id::kSettings);
    }
    EXPECT_TRUE(m_engine.IsRunning());
    EXPECT_EQ(m_engine.m_nSampleRate, 48000);
    EXPECT_TRUE(WaitForAnalyses(2));

    // Trigger settings reach the running engine.
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog)
            {
                SetText(dialog, CTriggerSettingsDlg::kIdDelay, "-10");
                SetText(dialog, CTriggerSettingsDlg::kIdThreshold, "0.25");
            });
        RunCommand(command_id::kTriggerSettings);
    }
    EXPECT_TRUE(m_engine.IsRunning());
    const CSoundIn::TriggerSettings trigger = m_engine.GetTriggerSettings();
    EXPECT_EQ(trigger.offsetFrames, -480);
    EXPECT_DOUBLE_EQ(trigger.level, 0.25);
    EXPECT_TRUE(WaitForAnalyses(2));
}

}  // namespace
