// The small generator dialogs as the panel runs them: what goes in, what comes back on OK, what
// Cancel and refused input leave.
#include "engine/Generator.h"
#include "engine/ui/GeneratorDialogs.h"
#include "engine/ui/GeneratorDlg.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/engine/ui/PanelFixture.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/modalhook.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <thread>

namespace
{

using namespace std::chrono_literals;

// Answers the next modal dialog through its own controls: the filler sets them, then the dialog's
// own data exchange runs as OK would; a refusal or `cancel` ends it with Cancel.
class Answer : public wxModalDialogHook
{
public:
    Answer(std::function<void(wxDialog&)> fill, bool cancel = false)
        : m_fill(std::move(fill)), m_cancel(cancel)
    {
        Register();
    }
    ~Answer() override { Unregister(); }
    int Enter(wxDialog* dialog) override
    {
        ++shown;
        dialog->TransferDataToWindow();
        if (m_fill)
            m_fill(*dialog);
        if (m_cancel)
            return wxID_CANCEL;
        accepted = dialog->Validate() && dialog->TransferDataFromWindow();
        return accepted ? wxID_OK : wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
    int shown = 0;
    bool accepted = false;

private:
    std::function<void(wxDialog&)> m_fill;
    bool m_cancel;
};

// The n-th number edit of a dialog (in the order the dialog shows them).
wxTextCtrl* Edit(wxDialog& dialog, int n)
{
    int seen = 0;
    std::function<wxTextCtrl*(wxWindow*)> find = [&](wxWindow* window) -> wxTextCtrl*
    {
        for (wxWindow* child : window->GetChildren())
        {
            if (auto* edit = dynamic_cast<wxTextCtrl*>(child))
                if (seen++ == n)
                    return edit;
            if (wxTextCtrl* found = find(child))
                return found;
        }
        return nullptr;
    };
    return find(&dialog);
}

// A 16-bit stereo WAVE file of `frames` frames at 48 kHz.
void WriteWave(const std::filesystem::path& path, int frames)
{
    std::ofstream out(path, std::ios::binary);
    const auto word = [&](std::uint32_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const std::uint32_t data = static_cast<std::uint32_t>(frames) * 4;
    out.write("RIFF", 4);
    word(36 + data, 4);
    out.write("WAVEfmt ", 8);
    word(16, 4);
    word(1, 2);
    word(2, 2);
    word(48000, 4);
    word(48000 * 4, 4);
    word(4, 2);
    word(16, 2);
    out.write("data", 4);
    word(data, 4);
    for (int i = 0; i < frames * 2; ++i)
        word(static_cast<std::uint32_t>(
                 static_cast<std::uint16_t>(static_cast<std::int16_t>(1000 * std::sin(i * 0.01)))),
             2);
}

class GeneratorDialogsTest : public testsupport::PanelFixture
{
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        if (!IsSkipped())
            m_panel = new CGeneratorDlg(nullptr, m_generator);
    }
    std::vector<std::string> m_messages;
    platform::ui::ScopedMessageBoxResponder m_responder{[this](const platform::ui::MessageBoxRequest& request)
                                                        {
                                                            m_messages.push_back(request.text);
                                                            return wxID_OK;
                                                        }};
};

TEST_F(GeneratorDialogsTest, ExchangesOnOk)
{
    CSigGen_settings& s = m_generator.m_settings;
    struct Case
    {
        const char* name;
        int command;
        int edit;
        const char* text;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"pulse width 25 %", CGeneratorDlg::kCmdPulseWidths, 0, "25",
         [&] { EXPECT_DOUBLE_EQ(s.m_pulse_width, 0.25); }},
        {"volume -6 dB", CGeneratorDlg::kCmdVolume, 0, "-6", [&] { EXPECT_NEAR(s.m_level, 0.501187, 1e-6); }},
        {"balance 0 dB", CGeneratorDlg::kCmdVolume, 2, "0", [&] { EXPECT_EQ(s.m_balance, 0.0); }},
        {"calibration 1.5 dB", CGeneratorDlg::kCmdVolume, 1, "1.5",
         [&] { EXPECT_EQ(s.m_calibration_db, 1.5); }},
        {"step 25 Hz", CGeneratorDlg::kIdSteps, 0, "25", [&] { EXPECT_EQ(m_panel->m_dFixedStep, 25.0); }},
        {"sweep start 20 Hz", CGeneratorDlg::kIdSweepSettings, 0, "20",
         [&] { EXPECT_EQ(s.m_sweep_start, 20.0); }},
        {"sweep time 3 s", CGeneratorDlg::kIdSweepSettings, 2, "3", [&] { EXPECT_EQ(s.m_sweep_time, 3.0); }},
        {"crest target 1.3", CGeneratorDlg::kCmdCrestFactor, 0, "1.3",
         [&]
         {
             EXPECT_EQ(s.m_crest_target, 1.3);
             EXPECT_EQ(s.m_distortion_on, 1);
             EXPECT_GT(s.m_distortion_drive, 0.0);
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Answer answer([&](wxDialog& dialog) { Edit(dialog, c.edit)->ChangeValue(c.text); });
        m_panel->RunCommand(c.command);
        EXPECT_EQ(answer.shown, 1);
        EXPECT_TRUE(answer.accepted);
        c.check();
    }
    EXPECT_TRUE(m_messages.empty());
}

// A sine's crest factor is about 1.41 (measured over the search's window): a higher target cannot
// be reached by clipping, and 1.0 or less is no target at all. The distortion stays off.
TEST_F(GeneratorDialogsTest, UnreachableCrestFactorsAreTold)
{
    struct Case
    {
        const char* target;
        std::string message;
    };
    for (const Case& c : {Case{"2",
                               "Signal has an undistorted Crest factor of 1.4?. Target Crest factor of 2.00 "
                               "can't be reached."},
                          Case{"1", "Crest factor must be larger than 1.0"}})
    {
        m_messages.clear();
        Answer answer([&](wxDialog& dialog) { Edit(dialog, 0)->ChangeValue(c.target); });
        m_panel->RunCommand(CGeneratorDlg::kCmdCrestFactor);
        ASSERT_EQ(m_messages.size(), 1u) << c.target;
        // '?' stands for the measured crest factor's last digit.
        ASSERT_EQ(m_messages[0].size(), c.message.size()) << m_messages[0];
        for (std::size_t i = 0; i < c.message.size(); ++i)
        {
            if (c.message[i] == '?')
                continue;
            EXPECT_EQ(m_messages[0][i], c.message[i]) << m_messages[0];
        }
        EXPECT_EQ(m_generator.m_settings.m_distortion_on, 0);
    }
}

TEST_F(GeneratorDialogsTest, CheckAndRadioExchanges)
{
    CSigGen_settings& s = m_generator.m_settings;
    {
        Answer answer([](wxDialog& dialog)
                      { dynamic_cast<wxCheckBox*>(dialog.FindWindow(578))->SetValue(true); });
        m_panel->RunCommand(CGeneratorDlg::kCmdAdvSettings);
    }
    EXPECT_EQ(s.m_effects_ch1_only, 1);
    {
        Answer answer([](wxDialog& dialog)
                      { dynamic_cast<wxRadioButton*>(dialog.FindWindow(1014))->SetValue(true); });
        m_panel->RunCommand(CGeneratorDlg::kIdSteps);
    }
    EXPECT_EQ(m_panel->m_nStepMode, 1);
    {
        Answer answer(
            [](wxDialog& dialog)
            {
                dynamic_cast<wxRadioButton*>(dialog.FindWindow(196))->SetValue(true);
                dynamic_cast<wxComboBox*>(dialog.FindWindow(136))->SetValue("4096");
                dynamic_cast<wxCheckBox*>(dialog.FindWindow(172))->SetValue(true);
            });
        m_panel->RunCommand(CGeneratorDlg::kIdSweepSettings);
    }
    EXPECT_EQ(s.m_sweep_log, 1);
    EXPECT_EQ(s.m_chirp_length, 4096);
    EXPECT_EQ(s.m_chirp_on, 1);
}

TEST_F(GeneratorDialogsTest, CancelInTheSweepDialogKeepsEverything)
{
    const CSigGen_settings before = m_generator.m_settings;
    Answer answer(
        [](wxDialog& dialog)
        {
            Edit(dialog, 0)->ChangeValue("50");
            Edit(dialog, 2)->ChangeValue("7");
            dynamic_cast<wxRadioButton*>(dialog.FindWindow(196))->SetValue(true);
            dynamic_cast<wxCheckBox*>(dialog.FindWindow(172))->SetValue(true);
        },
        true);
    m_panel->RunCommand(CGeneratorDlg::kIdSweepSettings);
    EXPECT_EQ(answer.shown, 1);
    EXPECT_TRUE(m_generator.m_settings.ToWire() == before.ToWire());
}

TEST_F(GeneratorDialogsTest, OutOfRangeInputIsRefused)
{
    CSigGen_settings& s = m_generator.m_settings;
    struct Case
    {
        int command;
        int edit;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {CGeneratorDlg::kCmdPulseWidths, 0, "150", "Please enter a number between 0 and 100."},
        {CGeneratorDlg::kCmdPulseWidths, 0, "abc", "Please enter a number between 0 and 100."},
        {CGeneratorDlg::kCmdVolume, 0, "-501", "Please enter a number between -500 and 500."},
        {CGeneratorDlg::kCmdVolume, 2, "250", "Please enter a number between -200 and 200."},
        {CGeneratorDlg::kIdSweepSettings, 0, "0.05", "Please enter a number between 0.1 and 100000."},
        {CGeneratorDlg::kIdSweepSettings, 2, "0.5", "Please enter a number between 1 and 10000."},
        {CGeneratorDlg::kCmdPlayWaveFile, 0, "99001", "Please enter a number between 0 and 99000."},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        const CSigGen_settings before = s;
        m_messages.clear();
        Answer answer([&](wxDialog& dialog) { Edit(dialog, c.edit)->ChangeValue(c.text); });
        m_panel->RunCommand(c.command);
        EXPECT_FALSE(answer.accepted);
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0], c.message);
        EXPECT_TRUE(s.ToWire() == before.ToWire());
    }
}

TEST_F(GeneratorDialogsTest, WaveFileShowsItsFactsAndPlays)
{
    const std::filesystem::path wave = m_home.Root() / "tone.wav";
    WriteWave(wave, 24000);
    CSigGen_settings& s = m_generator.m_settings;
    s.SetWavefileName(wave.string());
    std::string facts;
    Answer answer(
        [&](wxDialog& dialog)
        {
            auto& play = dynamic_cast<CPlayWaveFileDlg&>(dialog);
            facts = play.m_pLength->GetLabel().utf8_string() + " " +
                    play.m_pChannels->GetLabel().utf8_string() + " " +
                    play.m_pRate->GetLabel().utf8_string() + " " + play.m_pBits->GetLabel().utf8_string();
            Edit(dialog, 0)->ChangeValue("150");
            Edit(dialog, 1)->ChangeValue("20");
        });
    m_panel->RunCommand(CGeneratorDlg::kCmdPlayWaveFile);
    EXPECT_EQ(facts, "0.50s 2 48000Hz 16");
    EXPECT_DOUBLE_EQ(s.m_fade_in, 0.15);
    EXPECT_DOUBLE_EQ(s.m_fade_out, 0.02);
    EXPECT_EQ(s.m_mode, kGenModeWaveFile);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(dynamic_cast<wxRadioButton*>(m_panel->GetPanel()->FindWindow(CGeneratorDlg::kIdFirstWaveform))
                  ->GetLabel(),
              "Wave file");
}

TEST_F(GeneratorDialogsTest, UnreadableWaveFileKeepsTheMode)
{
    const std::filesystem::path junk = m_home.Root() / "junk.wav";
    std::ofstream(junk) << "not a wave file";
    CSigGen_settings& s = m_generator.m_settings;
    s.m_mode = kGenModeTriangular;
    s.SetWavefileName(junk.string());
    std::string facts;
    Answer answer(
        [&](wxDialog& dialog)
        {
            auto& play = dynamic_cast<CPlayWaveFileDlg&>(dialog);
            facts =
                play.m_pLength->GetLabel().utf8_string() + " " + play.m_pChannels->GetLabel().utf8_string();
        });
    m_panel->RunCommand(CGeneratorDlg::kCmdPlayWaveFile);
    EXPECT_EQ(facts, "0.00s 0");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0], "Failed to open .wav file.");
    EXPECT_EQ(s.m_mode, kGenModeTriangular);
    EXPECT_FALSE(m_generator.m_reader.IsOpen());
}

TEST_F(GeneratorDialogsTest, PictureOfTheSweepDialog)
{
    CSweepPropertiesDlg dialog(m_panel);
    dialog.TransferDataToWindow();
    testsupport::SavePicture(&dialog, "generator-sweep-dialog.png");
    dialog.Hide();
}

}  // namespace
