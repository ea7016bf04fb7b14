// The generator panel under Xvfb, driven through its controls' own handlers.
#include "engine/ui/GeneratorDlg.h"

#include "tests/engine/ui/PanelFixture.h"

#include "engine/Generator.h"
#include "engine/GeneratorLink.h"
#include "engine/SoundIn.h"
#include "platform/Places.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

namespace
{

using namespace std::chrono_literals;

using testsupport::Pump;
using testsupport::SavePicture;

class GeneratorDlgTest : public testsupport::PanelFixture
{
protected:
    CGeneratorDlg& Panel(GeneratorDlgOptions options = {})
    {
        options.follow = [this](CSigGen_settings& record) { m_followed.push_back(record); };
        m_panel = new CGeneratorDlg(nullptr, m_generator, options);
        return *m_panel;
    }
    template <typename T>
    T* Control(int id)
    {
        return dynamic_cast<T*>(m_panel->GetPanel()->FindWindow(id));
    }
    // A control's event, as the toolkit delivers it when the user works the control.
    void Fire(int id, wxEventType type, int value = 0)
    {
        wxWindow* control = m_panel->GetPanel()->FindWindow(id);
        ASSERT_NE(control, nullptr) << id;
        wxCommandEvent event(type, id);
        event.SetEventObject(control);
        event.SetInt(value);
        control->ProcessWindowEvent(event);
    }
    wxString LevelText() { return Control<wxStaticText>(CGeneratorDlg::kIdLevelText)->GetLabel(); }

    std::vector<CSigGen_settings> m_followed;
};

TEST_F(GeneratorDlgTest, WaveformButtonsSelectTheirModes)
{
    Panel();
    const int expected[7] = {0, 1, 2, 3, 6, 4, 5};
    for (int button = 6; button >= 0; --button)
    {
        Control<wxRadioButton>(CGeneratorDlg::kIdFirstWaveform + button)->SetValue(true);
        Fire(CGeneratorDlg::kIdFirstWaveform + button, wxEVT_RADIOBUTTON);
        EXPECT_EQ(m_generator.m_settings.m_mode, expected[button]) << button;
        ASSERT_FALSE(m_followed.empty());
        // MLS goes with its length (command 3), the others as waveform (command 6).
        EXPECT_EQ(m_followed.back().m_flags, expected[button] == kGenModeMls ? 3 : 6);
    }
    // The Gauss mode shows on the first button; choosing a button gives it back its name.
    m_panel->RunCommand(CGeneratorDlg::kCmdGauss);
    EXPECT_EQ(m_generator.m_settings.m_mode, kGenModeGaussNoise);
    EXPECT_EQ(Control<wxRadioButton>(CGeneratorDlg::kIdFirstWaveform)->GetLabel(), "Gauss");
    Fire(CGeneratorDlg::kIdFirstWaveform + 2, wxEVT_RADIOBUTTON);
    EXPECT_EQ(Control<wxRadioButton>(CGeneratorDlg::kIdFirstWaveform)->GetLabel(), "Sine");
}

TEST_F(GeneratorDlgTest, FineAndCoarseRangesAndTheClampAtTheLimit)
{
    Panel();
    Fire(CGeneratorDlg::kIdFine, wxEVT_BUTTON);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_freq_min, 900.0);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_freq_max, 1100.0);
    EXPECT_EQ(m_generator.m_settings.m_freq_fine, 1);
    EXPECT_EQ(Control<wxTextCtrl>(CGeneratorDlg::kIdLowerLimit)->GetValue(), "900.00");
    EXPECT_EQ(Control<wxSlider>(CGeneratorDlg::kIdFrequencySlider)->GetValue(), 50);
    Fire(CGeneratorDlg::kIdCoarse, wxEVT_BUTTON);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_freq_min, 0.0);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_freq_max, 100000.0);
    m_panel->Destroy();

    GeneratorDlgOptions limited;
    limited.upperFrequencyLimit = 1050.0;
    Panel(limited);
    Fire(CGeneratorDlg::kIdFine, wxEVT_BUTTON);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_freq_min, 900.0);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_freq_max, 1050.0);
    // The edits are held to the limit too: a frequency above it and a range beyond it.
    Control<wxTextCtrl>(CGeneratorDlg::kIdFrequencyEdit)->ChangeValue("5000");
    Control<wxTextCtrl>(CGeneratorDlg::kIdUpperLimit)->ChangeValue("9000");
    Fire(CGeneratorDlg::kIdFrequencyEdit, wxEVT_TEXT_ENTER);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_frequency, 1050.0);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_freq_max, 1050.0);
    EXPECT_EQ(m_followed.back().m_flags, 5);
    EXPECT_DOUBLE_EQ(m_followed.back().m_frequency, 1050.0);
}

TEST_F(GeneratorDlgTest, FrequencySliderMapsOntoTheRange)
{
    Panel();
    m_generator.m_settings.m_freq_min = 100.0;
    m_generator.m_settings.m_freq_max = 1100.0;
    m_panel->OnFrequencyScroll(25, false, false);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_frequency, 350.0);
    EXPECT_EQ(Control<wxTextCtrl>(CGeneratorDlg::kIdFrequencyEdit)->GetValue(), "350.00");
}

TEST_F(GeneratorDlgTest, LevelTextsOfTheSliderAndTheAttenuators)
{
    Panel();
    // A new generator has the -3 dB switch in circuit.
    EXPECT_EQ(LevelText(), "-3.00dB");
    Fire(CGeneratorDlg::kIdAttenuator20, wxEVT_CHECKBOX);
    EXPECT_EQ(LevelText(), "-23.00dB");
    EXPECT_EQ(m_followed.back().m_flags, 4);
    // The slider's bottom is 1e-10, never "zero".
    Fire(CGeneratorDlg::kIdVolumeSlider, wxEVT_SLIDER, 100);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_level, 1e-10);
    EXPECT_EQ(LevelText(), "-223.00dB");
    Fire(CGeneratorDlg::kIdAttenuator20, wxEVT_CHECKBOX);
    Fire(CGeneratorDlg::kIdAttenuator3, wxEVT_CHECKBOX);
    EXPECT_EQ(LevelText(), "-200.00dB");
    Fire(CGeneratorDlg::kIdVolumeSlider, wxEVT_SLIDER, 40);
    EXPECT_NEAR(m_generator.m_settings.m_level, 0.1, 1e-15);
    EXPECT_EQ(LevelText(), "-20.00dB");
    m_generator.m_settings.m_level = 0.0;
    EXPECT_EQ(CGeneratorDlg::LevelText(m_generator.m_settings), "zero");
}

TEST_F(GeneratorDlgTest, DelayTextShowsPhaseAndTime)
{
    Panel();
    Control<wxTextCtrl>(CGeneratorDlg::kIdDelayEdit)->ChangeValue("441");
    Fire(CGeneratorDlg::kIdDelayEdit, wxEVT_TEXT_ENTER);
    EXPECT_EQ(m_generator.m_settings.m_delay, 441);
    EXPECT_EQ(Control<wxSlider>(CGeneratorDlg::kIdDelaySlider)->GetValue(), 441);
    EXPECT_EQ(Control<wxStaticText>(CGeneratorDlg::kIdDelayText)->GetLabel().utf8_string(),
              "delay (phase  0.00\xC2\xB0/0.0100s)");
    EXPECT_EQ(CGeneratorDlg::DelayText(11, 44100.0, 1000.0), "delay (phase  89.80\xC2\xB0/0.0002s)");
}

TEST_F(GeneratorDlgTest, BalanceLawPolarityAndCentre)
{
    Panel();
    struct Case
    {
        int position;
        double gain1;
        double gain2;
    };
    const double half = std::log(1.005) / std::log(1.01);
    for (const Case c : {Case{100, 0.0, 1.0}, Case{-100, 1.0, 0.0}, Case{50, 1.0 - half, 1.0},
                         Case{-50, 1.0, 1.0 - half}, Case{3, 1.0, 1.0}})
    {
        Fire(CGeneratorDlg::kIdBalanceSlider, wxEVT_SLIDER, c.position);
        EXPECT_NEAR(m_generator.m_balanceGain1, c.gain1, 1e-12) << c.position;
        EXPECT_NEAR(m_generator.m_balanceGain2, c.gain2, 1e-12) << c.position;
    }
    Fire(CGeneratorDlg::kIdBalanceSlider, wxEVT_SLIDER, -50);
    Fire(CGeneratorDlg::kIdPolarity, wxEVT_CHECKBOX);
    EXPECT_EQ(m_generator.m_settings.m_invert, 1);
    EXPECT_NEAR(m_generator.m_balanceGain2, -(1.0 - half), 1e-12);
    Fire(CGeneratorDlg::kIdBalanceCentre, wxEVT_BUTTON);
    EXPECT_EQ(m_generator.m_settings.m_balance, 0.0);
    EXPECT_EQ(m_generator.m_balanceGain1, 1.0);
    EXPECT_EQ(m_generator.m_balanceGain2, -1.0);
    EXPECT_EQ(Control<wxSlider>(CGeneratorDlg::kIdBalanceSlider)->GetValue(), 0);
}

// The floating windows' messages: balance in dB (1372); 1370 is taken and ignored.
TEST_F(GeneratorDlgTest, BalanceAndIgnoredMessages)
{
    Panel();
    const CSigGen_settings before = m_generator.m_settings;
    m_panel->OnToolMessage(CGeneratorDlg::kMsgIgnored, 12340000, 10000);
    EXPECT_TRUE(m_generator.m_settings.ToWire() == before.ToWire());
    m_panel->OnToolMessage(CGeneratorDlg::kMsgBalance, -60000, 10000);
    EXPECT_NEAR(m_generator.m_settings.GetBalanceDb(), -6.0, 1e-9);
    EXPECT_EQ(Control<wxSlider>(CGeneratorDlg::kIdBalanceSlider)->GetValue(),
              CGeneratorDlg::PositionFromBalance(m_generator.m_settings.m_balance));
    EXPECT_LT(m_generator.m_balanceGain2, 1.0);
}

// With a fixed step the slider's line steps move the frequency by the step; events closer than
// 0.1 s to the previous one change nothing.
TEST_F(GeneratorDlgTest, FixedFrequencySteps)
{
    Panel();
    m_panel->m_nStepMode = 1;
    m_panel->m_dFixedStep = 25.0;
    m_panel->OnFrequencyScroll(0, true, false);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_frequency, 1025.0);
    m_panel->OnFrequencyScroll(0, true, false);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_frequency, 1025.0) << "within 0.1 s";
    std::this_thread::sleep_for(150ms);
    m_panel->OnFrequencyScroll(0, false, true);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_frequency, 1000.0);
}

// Mute fades out over 0.2 s and switches the output off at the end; unmuting fades in.
TEST_F(GeneratorDlgTest, MuteFadesOutAndIn)
{
    Panel();
    EXPECT_TRUE(Control<wxCheckBox>(CGeneratorDlg::kIdMute)->GetValue());
    Fire(CGeneratorDlg::kIdMute, wxEVT_CHECKBOX);
    EXPECT_EQ(m_generator.m_settings.m_output_on, 1);
    EXPECT_EQ(m_generator.m_fadeCounter, static_cast<std::int64_t>(0.2 * 44100));
    EXPECT_FALSE(Control<wxCheckBox>(CGeneratorDlg::kIdMute)->GetValue());
    EXPECT_EQ(m_followed.back().m_output_on, 1);
    std::vector<std::int16_t> block(2 * 44100 / 2);
    m_generator.Render(block.data(), static_cast<int>(block.size() * 2));
    EXPECT_EQ(m_generator.m_fadeCounter, 0);

    Fire(CGeneratorDlg::kIdMute, wxEVT_CHECKBOX);
    EXPECT_TRUE(Control<wxCheckBox>(CGeneratorDlg::kIdMute)->GetValue());
    EXPECT_EQ(m_generator.m_fadeCounter, -static_cast<std::int64_t>(0.2 * 44100));
    EXPECT_EQ(m_generator.m_settings.m_output_on, 1) << "off only at the end of the fade";
    EXPECT_EQ(m_followed.back().m_output_on, 0);
    m_generator.Render(block.data(), static_cast<int>(block.size() * 2));
    EXPECT_EQ(m_generator.m_settings.m_output_on, 0);
    // The last samples of the block are silent.
    EXPECT_EQ(block[block.size() - 1], 0);
    EXPECT_EQ(block[block.size() - 2], 0);
}

TEST_F(GeneratorDlgTest, PianoKeysSetTheFrequencyThroughTheFrequencyMessage)
{
    Panel();
    m_panel->Show();
    m_panel->RunCommand(CGeneratorDlg::kCmdPiano);
    CPianoDlg* piano = m_panel->GetPiano();
    ASSERT_NE(piano, nullptr);
    Pump(5);
    // Key 33 (A of the reference octave) is 440 Hz.
    piano->SetFrequency(440.0);
    EXPECT_EQ(piano->m_keyboard.m_nSelected, 33);
    piano->SetFrequency(20.0);
    EXPECT_EQ(piano->m_keyboard.m_nSelected, -1);

    std::vector<std::array<std::int64_t, 3>> sent;
    const GeneratorMessageTarget toPanel = piano->m_target;
    piano->m_target = [&](int message, std::int64_t wParam, std::int64_t lParam)
    {
        sent.push_back({message, wParam, lParam});
        toPanel(message, wParam, lParam);
    };
    const gfx::Rect first = piano->m_keyboard.KeyRect(0);
    piano->PressAt(first.left + 2, first.bottom - 2);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][0], 1369);
    EXPECT_EQ(sent[0][1], 654065);
    EXPECT_EQ(sent[0][2], 10000);
    EXPECT_NEAR(m_generator.m_settings.m_frequency, 65.4065, 1e-9);
    EXPECT_EQ(m_generator.m_settings.m_output_on, 1);
    EXPECT_EQ(m_followed.back().m_flags, 5);
    piano->Release();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1][1], -1);
    EXPECT_EQ(sent[1][2], 1);
    EXPECT_TRUE(Control<wxCheckBox>(CGeneratorDlg::kIdMute)->GetValue());

    const gfx::Rect last = piano->m_keyboard.KeyRect(59);
    piano->PressAt(last.right - 2, last.bottom - 2);
    EXPECT_EQ(sent.back()[1], 19755364);
    EXPECT_NEAR(m_generator.m_settings.m_frequency, 1975.5364, 1e-3);
    SavePicture(piano, "piano.png");
    piano->Release();
}

TEST_F(GeneratorDlgTest, PictureOfThePanel)
{
    Panel();
    m_panel->SetTitle("ASIO Generator #1");
    Fire(CGeneratorDlg::kIdMute, wxEVT_CHECKBOX);
    Fire(CGeneratorDlg::kIdFine, wxEVT_BUTTON);
    std::vector<std::int16_t> block(2 * 8192);
    for (int i = 0; i < 8; ++i)
        m_generator.Render(block.data(), static_cast<int>(block.size() * 2));
    SavePicture(m_panel, "generator-panel.png");
}

// Generator 0 of an engine, set by its panel to 440 Hz at -20 dB, renders that frequency and level.
TEST_F(GeneratorDlgTest, PanelSettingsReachTheRenderedSignal)
{
    CSoundIn engine;
    engine.m_nInputMode = CSoundIn::kInputAsio;
    CGenerator& generator = *engine.GetGenerator(0);
    auto* panel = new CGeneratorDlg(nullptr, generator);
    m_panel = panel;
    Control<wxTextCtrl>(CGeneratorDlg::kIdFrequencyEdit)->ChangeValue("440");
    Fire(CGeneratorDlg::kIdFrequencyEdit, wxEVT_TEXT_ENTER);
    Fire(CGeneratorDlg::kIdAttenuator3, wxEVT_CHECKBOX);
    Fire(CGeneratorDlg::kIdMute, wxEVT_CHECKBOX);
    panel->OnToolMessage(CGeneratorDlg::kMsgVolume, -200000, 10000);
    EXPECT_EQ(LevelText(), "-20.00dB");

    // Past the fade and the ramp, one second of output.
    const int frames = 44100;
    std::vector<std::int32_t> block(2 * 4410);
    for (int i = 0; i < 5; ++i)
        generator.Render(block.data(), static_cast<int>(block.size() * 4));
    std::vector<double> left;
    while (static_cast<int>(left.size()) < frames)
    {
        generator.Render(block.data(), static_cast<int>(block.size() * 4));
        for (std::size_t i = 0; i < block.size(); i += 2)
            left.push_back(block[i] / 2147483647.0);
    }
    double sumSquares = 0.0;
    for (const double v : left)
        sumSquares += v * v;
    const double peakDb = 20.0 * std::log10(std::sqrt(2.0 * sumSquares / frames));
    EXPECT_NEAR(peakDb, -20.0, 0.01);
    // Frequency from the first and the last rising zero crossing.
    double firstCrossing = -1.0;
    double lastCrossing = -1.0;
    int periods = -1;
    for (std::size_t i = 1; i < left.size(); ++i)
        if (left[i - 1] < 0.0 && left[i] >= 0.0)
        {
            const double t = static_cast<double>(i - 1) + left[i - 1] / (left[i - 1] - left[i]);
            if (firstCrossing < 0.0)
                firstCrossing = t;
            lastCrossing = t;
            ++periods;
        }
    ASSERT_GT(periods, 400);
    EXPECT_NEAR(44100.0 * periods / (lastCrossing - firstCrossing), 440.0, 0.01);
}

// Generator 0's panel in Tessarin: the generator program follows every change with its command;
// in input mode 5 nothing is sent.
class GeneratorFollowTest : public GeneratorDlgTest
{
protected:
    void TearDown() override
    {
        if (m_engine.m_generatorLink.m_startedPid > 0)
        {
            ::kill(m_engine.m_generatorLink.m_startedPid, SIGTERM);
            int status = 0;
            ::waitpid(m_engine.m_generatorLink.m_startedPid, &status, 0);
        }
        GeneratorDlgTest::TearDown();
    }
    std::filesystem::path Received(int n) const
    {
        return std::filesystem::path(std::getenv("HOME")) / ("received-" + std::to_string(n) + ".bin");
    }
    std::vector<CSigGen_settings> Arrived() const
    {
        std::vector<CSigGen_settings> records;
        for (int n = 0; std::filesystem::exists(Received(n)); ++n)
        {
            std::ifstream in(Received(n), std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
            CSigGen_settings record;
            EXPECT_TRUE(record.FromWire(bytes));
            records.push_back(record);
        }
        return records;
    }
    CGeneratorDlg& EnginePanel()
    {
        GeneratorDlgOptions options;
        options.follow = [this](CSigGen_settings& record) { m_engine.SendGeneratorSettings(record, 0); };
        m_panel = new CGeneratorDlg(nullptr, *m_engine.GetGenerator(0), options);
        return *m_panel;
    }
    CSoundIn m_engine;
};

TEST_F(GeneratorFollowTest, ChangesArriveWithTheirCommandsAndFields)
{
    const std::filesystem::path folder = m_home.Root() / "program";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(platform::ProgramFolder() / "pulvera_stand_in",
                               folder / kGeneratorProgramFile);
    m_engine.m_generatorLink.m_programFolder = folder;
    m_engine.m_nInputMode = CSoundIn::kInputNone;
    EnginePanel();
    Control<wxTextCtrl>(CGeneratorDlg::kIdFrequencyEdit)->ChangeValue("1234.5");
    Fire(CGeneratorDlg::kIdFrequencyEdit, wxEVT_TEXT_ENTER);
    EXPECT_GT(m_engine.m_generatorLink.m_startedPid, 0) << "the program is started when it is missing";
    Fire(CGeneratorDlg::kIdFirstWaveform + 2, wxEVT_RADIOBUTTON);
    Fire(CGeneratorDlg::kIdFirstWaveform + 5, wxEVT_RADIOBUTTON);
    Fire(CGeneratorDlg::kIdAttenuator10, wxEVT_CHECKBOX);
    // Balance and polarity stay local.
    Fire(CGeneratorDlg::kIdBalanceSlider, wxEVT_SLIDER, 40);
    Fire(CGeneratorDlg::kIdPolarity, wxEVT_CHECKBOX);

    const auto records = Arrived();
    // Each change arrives as the record with its command, then again with the start command.
    ASSERT_EQ(records.size(), 8u);
    const int commands[4] = {5, 6, 3, 4};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(records[static_cast<std::size_t>(2 * i)].m_flags, commands[i]) << i;
        EXPECT_EQ(records[static_cast<std::size_t>(2 * i + 1)].m_flags, kGenCommandStart) << i;
    }
    EXPECT_DOUBLE_EQ(records[0].m_frequency, 1234.5);
    EXPECT_EQ(records[2].m_mode, kGenModeTriangular);
    EXPECT_EQ(records[4].m_mode, kGenModeMls);
    EXPECT_EQ(records[4].m_mls_length, 1023);
    EXPECT_EQ(records[6].m_attenuator[4], 1);
    EXPECT_EQ(records[6].m_attenuator[2], 1);
    // The program is sent its own output format, not the engine's 32-bit words.
    EXPECT_EQ(records[0].m_32bit, 0);
}

TEST_F(GeneratorFollowTest, NothingArrivesInAsioPluginMode)
{
    const std::filesystem::path folder = m_home.Root() / "program";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(platform::ProgramFolder() / "pulvera_stand_in",
                               folder / kGeneratorProgramFile);
    m_engine.m_generatorLink.m_programFolder = folder;
    m_engine.m_nInputMode = CSoundIn::kInputAsio;
    EnginePanel();
    Control<wxTextCtrl>(CGeneratorDlg::kIdFrequencyEdit)->ChangeValue("500");
    Fire(CGeneratorDlg::kIdFrequencyEdit, wxEVT_TEXT_ENTER);
    Fire(CGeneratorDlg::kIdFirstWaveform + 1, wxEVT_RADIOBUTTON);
    Fire(CGeneratorDlg::kIdMute, wxEVT_CHECKBOX);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(Arrived().empty());
    EXPECT_EQ(m_engine.m_generatorLink.m_startedPid, 0);
    EXPECT_DOUBLE_EQ(m_engine.GetGenerator(0)->m_settings.m_frequency, 500.0);
}

}  // namespace
