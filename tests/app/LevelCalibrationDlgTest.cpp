// Options > Calibrate levels, Options > Synchronize and ASIO > Generator > Tracking Level as a user
// runs them. Calibrate levels on a measurement window: the output channel calibrated in volts while it plays,
// the input side refused without a signal, channel numbers outside 1..64 ignored, mute and frequency on the
// first generator, and the calibration file saved into the configuration folder and loaded back. Synchronize:
// the engine's conversion ratio and phase follow the sliders at once. The generator level window's "C"
// buttons calibrate an output channel electrically. Pictures of the dialogs.
#include "app/MainFrame.h"
#include "display/settings/ViewSettings.h"
#include "engine/Generator.h"
#include "engine/SoundIn.h"
#include "engine/ui/GeneratorLevelDlg.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "view/EngineDisplayObjects.h"
#include "view/LevelCalibration.h"
#include "view/SndView.h"
#include "view/ui/CalibrationDlgs.h"
#include "view/ui/CalibrationValueDlgs.h"
#include "view/ui/LevelCalibrationDlg.h"
#include "view/ui/SampleRateConversionDlg.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using testsupport::FillAndConfirm;
using testsupport::SavePicture;
const auto& TextOf = testsupport::EditText;
const auto& SetText = testsupport::SetEditText;
const auto& Click = testsupport::ClickButton;

class LevelCalibrationDlgTest : public testsupport::EngineFrameFixture
{
protected:
    void SetUp() override
    {
        EngineFrameFixture::SetUp();
        if (IsSkipped())
            return;
        CEngineDisplayObjects& objects = GetEngineDisplayObjects();
        for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
            m_saved.GetChannel(c).CopyFrom(objects.m_channels.GetChannel(c));
    }
    void TearDown() override
    {
        CEngineDisplayObjects& objects = GetEngineDisplayObjects();
        for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
            objects.m_channels.GetChannel(c).CopyFrom(m_saved.GetChannel(c));
        EngineFrameFixture::TearDown();
    }
    CSndView* OpenWorkspace()
    {
        m_app->OnFileNew();
        wxTheApp->Yield(true);
        return m_frame->GetActiveView();
    }
    // Output channel `channel` (0-based) has played a constant `level` of full scale.
    void Play(int channel, double level)
    {
        COutputLevelStats& stats = m_engine.m_generatorMatrix.m_stats[static_cast<std::size_t>(channel)];
        stats.SetSampleRate(1000.0);
        stats.AddBlock(std::vector<std::int32_t>(1000, static_cast<std::int32_t>(level * 2147483648.0)));
    }

    std::vector<std::string> m_messages;
    platform::ui::ScopedMessageBoxResponder m_responder{[this](const platform::ui::MessageBoxRequest& request)
                                                        {
                                                            m_messages.push_back(request.text);
                                                            return wxID_OK;
                                                        }};
    CInputChannelMatrix m_saved;
};

TEST_F(LevelCalibrationDlgTest, CalibratesTheOutputSavesAndLoadsTheFile)
{
    CSndView* view = OpenWorkspace();
    ASSERT_NE(view, nullptr);
    ASSERT_NE(m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(view_command::kCalibrateLevels)),
              nullptr);
    CGenerator* generator = m_engine.GetGenerator(0);
    ASSERT_NE(generator, nullptr);
    generator->m_settings.m_frequency = 1000.0;
    generator->m_settings.m_output_on = 1;
    Play(1, 0.1);
    const std::filesystem::path file = CLevelCalibration::FilePath();
    std::filesystem::remove(file);
    CViewSettings& settings = *view->GetSettings();
    settings.m_Channels.GetChannel(0).m_dScaleDb = 12.0;
    GetEngineDisplayObjects().m_channels.GetChannel(0).m_dScaleDb = 12.0;

    FillAndConfirm answer(
        [&](wxDialog& dialog)
        {
            EXPECT_EQ(dialog.GetTitle().utf8_string(), "Level Calibration");
            EXPECT_EQ(TextOf(dialog, CLevelCalibrationDlg::kIdOutputChannel), "1");
            EXPECT_EQ(TextOf(dialog, CLevelCalibrationDlg::kIdInputChannel), "1");
            EXPECT_EQ(TextOf(dialog, CLevelCalibrationDlg::kIdFrequency), "1000.000");
            EXPECT_EQ(TextOf(dialog, CLevelCalibrationDlg::kIdOutputExternal), "1.00");
            auto* unit = dynamic_cast<wxChoice*>(dialog.FindWindow(CLevelCalibrationDlg::kIdOutputUnit));
            ASSERT_NE(unit, nullptr);
            EXPECT_EQ(unit->GetStringSelection(), "mV");
            auto* mute = dynamic_cast<wxCheckBox*>(dialog.FindWindow(CLevelCalibrationDlg::kIdMute));
            ASSERT_NE(mute, nullptr);
            EXPECT_FALSE(mute->GetValue()) << "the generator plays";

            // Output channel 2 plays 0.1 full scale while 100 mV are measured: 1 V per full scale.
            SetText(dialog, CLevelCalibrationDlg::kIdOutputChannel, "2");
            SetText(dialog, CLevelCalibrationDlg::kIdOutputExternal, "100");
            Click(dialog, CLevelCalibrationDlg::kIdOutputSet);
            auto& levels = dynamic_cast<CLevelCalibrationDlg&>(dialog);
            levels.RefreshReadings();
            EXPECT_EQ(TextOf(dialog, CLevelCalibrationDlg::kIdOutputReading).substr(0, 3), "100");

            // No input signal: refused with a message, the channel's scale stays.
            SetText(dialog, CLevelCalibrationDlg::kIdInputExternal, "500");
            Click(dialog, CLevelCalibrationDlg::kIdInputSet);
            EXPECT_EQ(m_messages.size(), 1u);
            // A channel outside 1..64 is left alone, without a message.
            SetText(dialog, CLevelCalibrationDlg::kIdOutputChannel, "65");
            Click(dialog, CLevelCalibrationDlg::kIdOutputReset);
            Click(dialog, CLevelCalibrationDlg::kIdOutputSet);
            EXPECT_EQ(m_messages.size(), 1u);

            Click(dialog, CLevelCalibrationDlg::kIdSave);
            EXPECT_EQ(m_messages.size(), 1u) << (m_messages.empty() ? "" : m_messages.back());
            EXPECT_TRUE(std::filesystem::exists(file));
            // The calibration goes, then "Load" brings it back.
            SetText(dialog, CLevelCalibrationDlg::kIdOutputChannel, "2");
            Click(dialog, CLevelCalibrationDlg::kIdOutputReset);
            EXPECT_EQ(m_engine.m_generatorMatrix.m_settings.m_channel[1].m_calibrated, 0);
            Click(dialog, CLevelCalibrationDlg::kIdLoad);
            EXPECT_EQ(m_engine.m_generatorMatrix.m_settings.m_channel[1].m_calibrated, 1);

            mute->SetValue(true);
            wxCommandEvent toggle(wxEVT_CHECKBOX, CLevelCalibrationDlg::kIdMute);
            toggle.SetEventObject(mute);
            toggle.SetInt(1);
            mute->ProcessWindowEvent(toggle);
            EXPECT_EQ(generator->m_settings.m_output_on, 0);
            SetText(dialog, CLevelCalibrationDlg::kIdFrequency, "440");
            levels.OnEnter();
            EXPECT_EQ(generator->m_settings.m_frequency, 440.0);
            levels.RefreshReadings();
            SavePicture(&dialog, "level-calibration.png");
        });
    RunCommand(view_command::kCalibrateLevels);
    EXPECT_EQ(answer.m_shown, 1);
    const CGenerator_channel_settings& output = m_engine.m_generatorMatrix.m_settings.m_channel[1];
    EXPECT_EQ(output.m_calibrated, 1);
    EXPECT_NEAR(output.m_calibration_factor, 1.0, 1e-6);
    EXPECT_NEAR(output.m_calibrated_target, 1.0, 1e-6);
    EXPECT_NEAR(settings.m_Channels.GetChannel(0).m_dScaleDb, 12.0, 1e-9)
        << "no signal, no new scale; the loaded file holds the same";

    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    for (const char* section :
         {"[Input Channel Matrix CH#1]", "[Output Channel Matrix]", "[Output Channel Matrix CH#2]"})
        EXPECT_NE(text.str().find(section), std::string::npos) << section;
}

TEST_F(LevelCalibrationDlgTest, TrackingLevelSetsTheCalibratedChannelsLevel)
{
    CSndView* view = OpenWorkspace();
    ASSERT_NE(view, nullptr);
    CGenerator_channel_settings& channel = m_engine.m_generatorMatrix.m_settings.m_channel[0];
    channel.m_calibrated = 1;
    channel.m_calibration_factor = 2.0;
    channel.m_level_factor = 1.0;
    channel.m_scale = 1.0;
    channel.m_pre_scale = 1.0;
    channel.m_scale_db = 0.0;
    channel.m_pre_scale_db = 0.0;
    m_engine.m_generatorMatrix.m_global_level_db = 0.0;
    std::string shownValue;
    FillAndConfirm answer(
        [&](wxDialog& dialog, int)
        {
            EXPECT_EQ(dialog.GetTitle().utf8_string(), "Tracking level");
            shownValue = TextOf(dialog, CTrackingLevelCalibrationDlg::kIdValue);
            // Showing the dialog for its picture fills its edit anew: the picture comes first.
            SavePicture(&dialog, "tracking-level.png");
            SetText(dialog, CTrackingLevelCalibrationDlg::kIdValue, "1000");
            return true;
        });
    RunCommand(view_command::kTrackingLevel);
    EXPECT_EQ(answer.m_shown, 1);
    EXPECT_EQ(shownValue.substr(0, 3), "500");
    // 1 V on a channel of 2 V per full scale, no offsets, unity gains: (1 / 2 / 2) / 0.35355339.
    EXPECT_NEAR(channel.m_level_factor, 0.25 / 0.35355339, 1e-6);
}

void Move(wxDialog& dialog, int id, int position)
{
    auto* slider = dynamic_cast<wxSlider*>(dialog.FindWindow(id));
    ASSERT_NE(slider, nullptr) << id;
    slider->SetValue(position);
    wxCommandEvent moved(wxEVT_SLIDER, id);
    moved.SetEventObject(slider);
    moved.SetInt(position);
    slider->ProcessWindowEvent(moved);
}

void Choose(wxDialog& dialog, int id)
{
    auto* radio = dynamic_cast<wxRadioButton*>(dialog.FindWindow(id));
    ASSERT_NE(radio, nullptr) << id;
    radio->SetValue(true);
    wxCommandEvent chosen(wxEVT_RADIOBUTTON, id);
    chosen.SetEventObject(radio);
    chosen.SetInt(1);
    radio->ProcessWindowEvent(chosen);
}

TEST_F(LevelCalibrationDlgTest, SynchronizeSetsTheConversionWhileItsSlidersMove)
{
    ASSERT_NE(m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(command_id::kSynchronize)), nullptr);
    m_engine.m_nSampleRate = 48000;
    m_engine.m_dResampleRatio = 1.0;
    m_engine.m_bResampler = 0;
    double ratioAtPpm = 0.0;
    double ratioAfterCentre = 0.0;
    FillAndConfirm answer(
        [&](wxDialog& dialog)
        {
            SavePicture(&dialog, "synchronize.png");
            auto* text =
                dynamic_cast<wxStaticText*>(dialog.FindWindow(CSampleRateConversionDlg::kIdFrequencyText));
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(text->GetLabel().utf8_string(), "48000.00Hz");
            EXPECT_FALSE(dialog.FindWindow(CSampleRateConversionDlg::kIdSync)->IsEnabled());
            EXPECT_FALSE(dialog.FindWindow(CSampleRateConversionDlg::kIdSampleShift)->IsEnabled());

            auto* enable = dynamic_cast<wxCheckBox*>(dialog.FindWindow(CSampleRateConversionDlg::kIdEnable));
            ASSERT_NE(enable, nullptr);
            enable->SetValue(true);
            wxCommandEvent ticked(wxEVT_CHECKBOX, CSampleRateConversionDlg::kIdEnable);
            ticked.SetEventObject(enable);
            ticked.SetInt(1);
            enable->ProcessWindowEvent(ticked);
            EXPECT_EQ(m_engine.m_bResampler, 1) << "the switch acts at once";

            // 1 ppm steps, slider at +100: 1 + 100 · 1e-6 · 0.01.
            Choose(dialog, CSampleRateConversionDlg::kIdSteps[5]);
            Move(dialog, CSampleRateConversionDlg::kIdFrequency, 100);
            ratioAtPpm = m_engine.m_dResampleRatio;
            // 10 % steps at +10 make 1 % more; "Set Center" keeps that ratio with the slider in the middle.
            Choose(dialog, CSampleRateConversionDlg::kIdSteps[0]);
            Move(dialog, CSampleRateConversionDlg::kIdFrequency, 10);
            Click(dialog, CSampleRateConversionDlg::kIdSetCenter);
            Move(dialog, CSampleRateConversionDlg::kIdFrequency, 0);
            ratioAfterCentre = m_engine.m_dResampleRatio;
            EXPECT_EQ(text->GetLabel().utf8_string(), "48480.00Hz");

            Move(dialog, CSampleRateConversionDlg::kIdPhase, 75);
            EXPECT_DOUBLE_EQ(m_engine.m_dResampleStartPhase, 0.5);
            EXPECT_EQ(m_engine.m_nResampleApplyPhase, 1);
        });
    RunCommand(command_id::kSynchronize);
    EXPECT_EQ(answer.m_shown, 1);
    EXPECT_NEAR(ratioAtPpm, 1.0 + 1e-6, 1e-13);
    EXPECT_NEAR(ratioAfterCentre, 1.01, 1e-12);

    // Opened again: the slider starts around the present ratio; "Reset" ends the conversion.
    FillAndConfirm again(
        [&](wxDialog& dialog)
        {
            auto& conversion = dynamic_cast<CSampleRateConversionDlg&>(dialog);
            EXPECT_NEAR(conversion.Centre(), 48480.0, 1e-6);
            Move(dialog, CSampleRateConversionDlg::kIdFrequency, 0);
            EXPECT_NEAR(m_engine.m_dResampleRatio, 1.01, 1e-12) << "not the ratio applied twice";
            Click(dialog, CSampleRateConversionDlg::kIdReset);
        });
    RunCommand(command_id::kSynchronize);
    EXPECT_EQ(m_engine.m_dResampleRatio, 1.0);
    EXPECT_EQ(m_engine.m_dResampleStartPhase, 0.0);
    m_engine.m_bResampler = 0;
}

TEST_F(LevelCalibrationDlgTest, GeneratorLevelCButtonCalibratesItsOutputChannel)
{
    CSndView* view = OpenWorkspace();
    ASSERT_NE(view, nullptr);
    CGeneratorMatrix& matrix = m_engine.m_generatorMatrix;
    matrix.m_settings.SetDefaults();
    Play(0, 0.1);
    RunCommand(view_command::kGeneratorLevel);
    CGeneratorLevelDlg* level = nullptr;
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* found = dynamic_cast<CGeneratorLevelDlg*>(window))
            level = found;
    ASSERT_NE(level, nullptr);
    wxWindow* button = level->FindWindow(CGeneratorLevelDlg::kFirstCalibrateId);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->IsEnabled());

    // 0.1 full scale measured as 0.5 V RMS: 5 V per full scale.
    int calibratedWhileOpen = -1;
    FillAndConfirm answer(
        [&](wxDialog& dialog)
        {
            calibratedWhileOpen = matrix.m_settings.m_channel[0].m_calibrated;
            EXPECT_EQ(dialog.GetTitle().utf8_string(), "Channel #1");
            SetText(dialog, CElectricalCalibrationDlg::kIdVoltage, "0.5");
            SavePicture(&dialog, "generator-electrical-calibration.png");
            SetText(dialog, CElectricalCalibrationDlg::kIdVoltage, "0.5");
        });
    Click(*level, CGeneratorLevelDlg::kFirstCalibrateId);
    EXPECT_EQ(answer.m_shown, 1);
    EXPECT_EQ(answer.m_refused, 0);
    EXPECT_EQ(calibratedWhileOpen, 0);
    const CGenerator_channel_settings& channel = matrix.m_settings.m_channel[0];
    EXPECT_EQ(channel.m_calibrated, 1);
    EXPECT_NEAR(channel.m_calibration_factor, 5.0, 1e-3);
    EXPECT_NEAR(channel.m_calibrated_target, 0.2, 1e-4);
    EXPECT_NEAR(channel.m_calibration_reference, 0.5, 1e-12);
    EXPECT_EQ(level->m_settings.m_channel[0].m_calibrated, 1) << "the window's copy follows";
    EXPECT_NEAR(matrix.GetOutputRmsCalibrated(0), 0.5, 1e-3);
    level->UpdateReadouts();
    SavePicture(level, "generator-level-calibrated.png");

    // Cancel gives the channel its flag back.
    FillAndConfirm cancel([&](wxDialog&, int) { return false; });
    Click(*level, CGeneratorLevelDlg::kFirstCalibrateId);
    EXPECT_EQ(cancel.m_shown, 1);
    EXPECT_EQ(channel.m_calibrated, 1);
    EXPECT_NEAR(channel.m_calibration_factor, 5.0, 1e-3);
    level->Destroy();
}

}  // namespace
