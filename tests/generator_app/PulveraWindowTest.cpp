// Pulvera's window driven through its own handlers in this process (under Xvfb): the panel at the
// first paint and its rescale with the frame, the check marks, the settings and configuration
// commands through the file-dialog responder, and the program's own dialogs through their buttons.
#include "common/IniFile.h"
#include "engine/ui/GeneratorDlg.h"
#include "generator_app/GeneratorCommands.h"
#include "generator_app/GeneratorMenus.h"
#include "generator_app/ui/GeneratorPanelConfig.h"
#include "generator_app/ui/GeneratorProgramDialogs.h"
#include "generator_app/ui/GeneratorWindow.h"
#include "generator_app/ui/MainFrame.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/support/AlsaTestConfig.h"
#include "tests/support/JackServer.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace generator_ids;

namespace
{

class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class PulveraWindowTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "no ALSA configuration on this machine";
        std::filesystem::create_directories(m_home.File("").parent_path());
        m_alsa.SetDefaultPlaybackFile(m_home.File("out.raw"));
        m_alsa.Apply();
        EnsureTextTable();
        InstallGeneratorStrings();
        m_core = std::make_shared<CGeneratorWnd>();
        m_core->SetNotifications(&m_notes);
        m_core->Create();
        m_frame = new CMainFrame(m_core);
        m_frame->SetMenuBar(BuildGeneratorMenuBar(kMenuEnglish));
        m_frame->Show();
        for (int i = 0; i < 100 && Window().GetPanel() == nullptr; ++i)
        {
            testsupport::LetPaint();
            Window().Update();
        }
        ASSERT_NE(Window().GetPanel(), nullptr);
    }

    void TearDown() override
    {
        if (m_frame != nullptr)
        {
            m_core->OnStop();
            m_frame->Destroy();
            wxTheApp->ProcessIdle();
        }
    }

    CGeneratorWindow& Window() { return *m_frame->GetGeneratorWindow(); }
    CGeneratorDlg& Panel() { return *Window().GetPanel(); }

    void Command(unsigned id)
    {
        wxCommandEvent event(wxEVT_MENU, WxId(id));
        event.SetEventObject(m_frame);
        m_frame->ProcessWindowEvent(event);
    }

    struct Mark
    {
        bool enabled;
        bool checked;
    };
    Mark UpdateUi(unsigned id)
    {
        wxUpdateUIEvent event(WxId(id));
        event.SetEventObject(m_frame);
        m_frame->ProcessWindowEvent(event);
        return {event.GetEnabled(), event.GetChecked()};
    }

    std::string Shot(const std::string& name)
    {
        const std::filesystem::path path = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR) / name;
        testsupport::LetPaint();
        m_frame->Update();
        EXPECT_TRUE(m_frame->SaveScreenshot(path.string()));
        return path.string();
    }

    testsupport::AlsaTestConfig m_alsa{m_home.Root()};
    RecordingNotifications m_notes;
    std::shared_ptr<CGeneratorWnd> m_core;
    CMainFrame* m_frame = nullptr;
};

TEST_F(PulveraWindowTest, ShowsItsPanelWholeAndRescalesItWithTheFrame)
{
    wxPanel* panel = Panel().GetPanel();
    EXPECT_TRUE(panel->IsShown());
    EXPECT_EQ(Panel().GetScale(), 96.0);
    // The panel fits the window at the first paint.
    const wxSize client = Window().GetClientSize();
    EXPECT_LE(panel->GetSize().x, client.x);
    EXPECT_LE(panel->GetSize().y, client.y);
    // The program's frequency limit.
    EXPECT_EQ(m_core->m_generator.m_settings.m_freq_max, 20000.0);
    Shot("pulvera-panel-96.png");

    const wxSize before = panel->GetSize();
    const wxSize frame = m_frame->GetSize();
    m_frame->SetSize(2 * frame.x, frame.y);
    for (int i = 0; i < 50 && m_frame->GetSize().y == frame.y; ++i)
        testsupport::LetPaint();
    testsupport::LetPaint();
    EXPECT_DOUBLE_EQ(m_frame->GetCurrentScale(), 192.0);
    EXPECT_DOUBLE_EQ(Panel().GetScale(), 192.0);
    EXPECT_NEAR(panel->GetSize().x, 2 * before.x, before.x / 5);
    // The frame grows in height with the panel, so that none of it is cut off.
    EXPECT_GT(m_frame->GetSize().y, frame.y);
    EXPECT_LE(panel->GetSize().x, Window().GetClientSize().x);
    EXPECT_LE(panel->GetSize().y, Window().GetClientSize().y);
    Shot("pulvera-panel-192.png");
}

TEST_F(PulveraWindowTest, TheGermanLanguageGivesThePanelItsGermanLayout)
{
    auto captions = [this]
    {
        std::vector<std::string> texts;
        for (wxWindow* child : Panel().GetPanel()->GetChildren())
            texts.push_back(child->GetLabel().utf8_string());
        return texts;
    };
    auto has = [](const std::vector<std::string>& texts, const std::string& text)
    { return std::find(texts.begin(), texts.end(), text) != texts.end(); };
    EXPECT_FALSE(Panel().IsGermanLayout());
    EXPECT_TRUE(has(captions(), "Waveform"));

    // The layout follows the language whenever the panel is laid out (first paint or resize).
    const int language = GetLanguage();
    SetLanguage(CGeneratorWindow::kGermanLanguage);
    const wxSize frame = m_frame->GetSize();
    m_frame->SetSize(frame.x * 3 / 2, frame.y);  // scale 144
    for (int i = 0; i < 50 && m_frame->GetSize().y == frame.y; ++i)
        testsupport::LetPaint();
    testsupport::LetPaint();
    SetLanguage(language);
    EXPECT_TRUE(Panel().IsGermanLayout());
    const std::vector<std::string> german = captions();
    for (const char* text : {"Signalform", "Sinus", "Rechteck", "Frequenz [Hz]", "Untergrenze", "Pegel",
                             "Lautstärke", "Verzögerung", "MLS-Länge"})
        EXPECT_TRUE(has(german, text)) << text;
    EXPECT_FALSE(has(german, "Waveform"));
    // The panel still fits the window.
    EXPECT_DOUBLE_EQ(Panel().GetScale(), 144.0);
    EXPECT_LE(Panel().GetPanel()->GetSize().x, Window().GetClientSize().x);
    EXPECT_LE(Panel().GetPanel()->GetSize().y, Window().GetClientSize().y);
    Shot("pulvera-panel-german.png");

    m_frame->SetSize(frame);
    testsupport::LetPaint();
    EXPECT_FALSE(Panel().IsGermanLayout());
    EXPECT_TRUE(has(captions(), "Waveform"));
}

TEST_F(PulveraWindowTest, CheckMarksFollowTheOutputTheGeneratorAndTheToolWindows)
{
    struct Row
    {
        unsigned id;
        std::function<void()> on;
        std::function<void()> off;
    };
    CSigGen_settings& s = m_core->m_generator.m_settings;
    auto tool = [this](unsigned id, wxWindow* (*get)(CGeneratorDlg&))
    {
        return Row{id, [this, id] { Command(id); },
                   [this, get]
                   {
                       if (wxWindow* window = get(Panel()))
                           window->Hide();
                   }};
    };
    const std::vector<Row> rows = {
        {kStart, [this] { Command(kStart); }, [this] { Command(kStop); }},
        {kAm, [&s] { s.m_am_on = 1; }, [&s] { s.m_am_on = 0; }},
        {kFreeFilter, [this] { m_core->m_generator.m_freeFilter.m_full.m_bEnabled = 1; },
         [this] { m_core->m_generator.m_freeFilter.m_full.m_bEnabled = 0; }},
        tool(kStatistics, [](CGeneratorDlg& p) -> wxWindow* { return p.GetStatistics(); }),
        tool(kFreqPresets, [](CGeneratorDlg& p) -> wxWindow* { return p.GetPresets(); }),
        tool(kFrequencySlider, [](CGeneratorDlg& p) -> wxWindow* { return p.GetFrequencySlider(); }),
        tool(kVolumeSlider, [](CGeneratorDlg& p) -> wxWindow* { return p.GetVolumeSlider(); }),
        tool(kBalanceSlider, [](CGeneratorDlg& p) -> wxWindow* { return p.GetBalanceSlider(); }),
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.id);
        row.off();
        EXPECT_FALSE(UpdateUi(row.id).checked);
        row.on();
        EXPECT_TRUE(UpdateUi(row.id).checked);
        if (row.id == kStart)
        {
            EXPECT_FALSE(UpdateUi(kStop).checked);
        }
        row.off();
        EXPECT_FALSE(UpdateUi(row.id).checked);
        if (row.id == kStart)
        {
            EXPECT_TRUE(UpdateUi(kStop).checked);
        }
    }
    EXPECT_TRUE(m_notes.messages.empty()) << m_notes.messages.front();

    // Every command has its handler or stays disabled; the free filter and RIAA wait for their dialogs.
    for (unsigned id : {kShowGenerator,
                        kWriteWaveFile,
                        kSoundCardSettings,
                        kSelectSpeaker,
                        kPulseWidths,
                        kBurstGenerator,
                        kGaussGenerator,
                        kAdvSettings,
                        kPlayWaveFile,
                        kVolume,
                        kDistortion,
                        kCrestFactor,
                        kFm,
                        kAm,
                        kDcOffset,
                        kPiano,
                        kLanguage,
                        kAppAbout,
                        kSaveConfig,
                        kLoadConfig})
        EXPECT_TRUE(UpdateUi(id).enabled) << id;
    for (unsigned id : {kFreeFilter, kRiaaFilter, kEditUndo, kEditCut, kEditCopy, kEditPaste})
        EXPECT_FALSE(UpdateUi(id).enabled) << id;
    wxMenuBar* bar = m_frame->GetMenuBar();
    ASSERT_NE(bar->FindItem(WxId(kShowGenerator)), nullptr);
    ASSERT_NE(bar->FindItem(WxId(kCrestFactor)), nullptr);
}

TEST_F(PulveraWindowTest, SettingsAndConfigurationGoThroughTheirFilesAndReopenTheToolWindows)
{
    const std::filesystem::path sgs = m_home.File("one.sgs");
    const std::filesystem::path ini = m_home.File("one.ini");
    std::string answer;
    platform::ui::ScopedFileDialogResponder files([&answer](const platform::ui::FileDialogRequest&)
                                                  { return answer; });
    CSigGen_settings& s = m_core->m_generator.m_settings;

    s.m_frequency = 1234.0;
    answer = sgs.string();
    Command(kSaveSettings);
    ASSERT_TRUE(std::filesystem::exists(sgs));
    Command(kDefaultSettings);
    EXPECT_NE(s.m_frequency, 1234.0);
    Command(kLoadSettings);
    EXPECT_EQ(s.m_frequency, 1234.0);

    // Configuration: two tool windows open at their places, a wave-file name with "%", a delay.
    s.SetWavefileName("C:/100% tone.wav");
    s.m_delay = 40;
    Panel().UpdateControls();
    Command(kVolumeSlider);
    Command(kStatistics);
    Panel().GetVolumeSlider()->Move(300, 200);
    testsupport::LetPaint();
    const wxPoint volumeAt = Panel().GetVolumeSlider()->GetPosition();
    answer = ini.string();
    Command(kSaveConfig);
    ASSERT_TRUE(std::filesystem::exists(ini));

    Panel().GetVolumeSlider()->Hide();
    Panel().GetStatistics()->Hide();
    Panel().GetVolumeSlider()->Move(10, 10);
    s.SetWavefileName("other.wav");
    s.m_frequency = 99.0;
    s.m_delay = 0;
    Panel().UpdateControls();
    Command(kLoadConfig);
    testsupport::LetPaint();
    EXPECT_EQ(s.GetWavefileName(), "C:/100% tone.wav");
    EXPECT_EQ(s.m_frequency, 1234.0);
    // The loaded delay is applied from the refreshed delay controls, not lost to the ones shown before.
    EXPECT_EQ(s.m_delay, 40);
    auto* delayEdit = dynamic_cast<wxTextCtrl*>(Panel().GetPanel()->FindWindow(CGeneratorDlg::kIdDelayEdit));
    ASSERT_NE(delayEdit, nullptr);
    EXPECT_EQ(delayEdit->GetValue(), "40");
    ASSERT_NE(Panel().GetVolumeSlider(), nullptr);
    EXPECT_TRUE(Panel().GetVolumeSlider()->IsShown());
    EXPECT_TRUE(Panel().GetStatistics()->IsShown());
    EXPECT_NEAR(Panel().GetVolumeSlider()->GetPosition().x, volumeAt.x, 60);
    EXPECT_NEAR(Panel().GetVolumeSlider()->GetPosition().y, volumeAt.y, 60);
    ASSERT_NE(Panel().GetPresets(), nullptr);  // the presets window exists afterwards
    EXPECT_TRUE(m_notes.messages.empty()) << m_notes.messages.front();

    // A "Count" of 150 loads the 100 presets the window holds, and no more.
    CIniFile file;
    ASSERT_TRUE(file.SetFileName(ini.string()));
    file.WriteInt(generator_panel_config::kPresetsSection, "Count", 150);
    for (int i = 1; i <= 150; ++i)
        file.WriteDouble(generator_panel_config::kPresetsSection, "Button #" + std::to_string(i), 1000.0 + i);
    Command(kLoadConfig);
    const CFrequencyPresetsDlg& presets = *Panel().GetPresets();
    EXPECT_EQ(presets.GetPreset(0), 1001.0);
    EXPECT_EQ(presets.GetButton(0)->GetLabel(), "1001.0");
    EXPECT_EQ(presets.GetPreset(generator_tools::kPresetCount - 1), 1000.0 + generator_tools::kPresetCount);
    EXPECT_EQ(presets.GetPreset(generator_tools::kPresetCapacity - 1), 1100.0);
    EXPECT_EQ(presets.GetPreset(generator_tools::kPresetCapacity), 0.0) << "not stored";
    EXPECT_EQ(generator_panel_config::ReadFrequencyPresets(file, generator_panel_config::kPresetsSection,
                                                           *Panel().GetPresets()),
              generator_tools::kPresetCapacity);
    // And all 100 go out again.
    const std::filesystem::path again = m_home.File("again.ini");
    answer = again.string();
    Command(kSaveConfig);
    CIniFile saved;
    ASSERT_TRUE(saved.SetFileName(again.string()));
    EXPECT_EQ(saved.ReadInt(generator_panel_config::kPresetsSection, "Count", 0),
              generator_tools::kPresetCapacity);
    EXPECT_EQ(saved.ReadDouble(generator_panel_config::kPresetsSection, "Button #100", 0.0), 1100.0);
}

TEST_F(PulveraWindowTest, SoundCardDialogRefusesARateOutOfRangeAndSwitchesToAsioAndBack)
{
    std::vector<std::string> boxes;
    platform::ui::ScopedMessageBoxResponder answer(
        [&boxes](const platform::ui::MessageBoxRequest& request)
        {
            boxes.push_back(request.text);
            return wxID_OK;
        });
    auto setRate = [](CSoundCardDlg& dialog, const char* rate)
    {
        for (wxWindow* child : dialog.GetChildren().front()->GetChildren())
            if (auto* edit = dynamic_cast<wxTextCtrl*>(child))
                edit->ChangeValue(rate);
    };
    std::size_t ran = testsupport::RunWithSteps(
        [this] { Command(kSoundCardSettings); },
        {testsupport::On<CSoundCardDlg>([&](CSoundCardDlg& d) { setRate(d, "96000"); }),
         testsupport::On<CSoundCardDlg>([](CSoundCardDlg& d) { testsupport::Press(d, wxID_OK); }),
         testsupport::On<CSoundCardDlg>(
             [&](CSoundCardDlg& d)
             {
                 EXPECT_EQ(boxes.size(), 1u);
                 setRate(d, "48000");
                 testsupport::Press(d, wxID_OK);
             })});
    EXPECT_EQ(ran, 3u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("between 8000 and 48000"), std::string::npos) << boxes[0];
    EXPECT_EQ(m_core->m_waveFormat.samplesPerSec, 48000u);
    EXPECT_EQ(m_core->m_generator.m_settings.m_sample_rate, 48000);

    // The ASIO button on a JACK server of the test's own: "JACK" is chosen (the device list goes
    // grey) and the output plays through it; then "do not use ASIO" brings the device list back and
    // the output plays on ALSA again.
    JackServer server;
    if (!server.Start(44100, 256))
        GTEST_SKIP() << server.Error();
    auto choose = [](CSoundCardDlg& d, int entry, int expectedSelection)
    {
        testsupport::RunWithSteps([&d] { d.OnAsio(); },
                                  {testsupport::On<CAsioSettingsDlg>(
                                      [&](CAsioSettingsDlg& a)
                                      {
                                          EXPECT_EQ(a.m_pDevice->GetString(0), CAsioSettingsDlg::kNoAsio);
                                          EXPECT_EQ(a.m_pDevice->GetString(1), "JACK");
                                          EXPECT_EQ(a.m_pDevice->GetSelection(), expectedSelection);
                                          a.m_pDevice->SetSelection(entry);
                                          EXPECT_EQ(a.m_pControlPanel->IsEnabled(), false)
                                              << "JACK has no control panel";
                                          testsupport::Press(a, wxID_OK);
                                      })});
    };
    bool listEnabledWithAsio = true;
    ran = testsupport::RunWithSteps([this] { Command(kSoundCardSettings); },
                                    {testsupport::On<CSoundCardDlg>(
                                        [&](CSoundCardDlg& d)
                                        {
                                            EXPECT_TRUE(d.m_pDevice->IsEnabled());
                                            choose(d, 1, 0);
                                            listEnabledWithAsio = d.m_pDevice->IsEnabled();
                                            testsupport::Press(d, wxID_OK);
                                        })});
    EXPECT_EQ(ran, 1u);
    EXPECT_FALSE(listEnabledWithAsio);
    ASSERT_EQ(m_core->m_soundOut.m_nMode, CSoundOut::kModeAsio);
    Command(kStart);
    ASSERT_TRUE(m_core->IsRunning()) << (m_notes.messages.empty() ? "" : m_notes.messages.front());
    EXPECT_EQ(m_core->m_generator.m_settings.m_sample_rate, 44100) << "the server's rate";
    EXPECT_TRUE(UpdateUi(kStart).checked);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    // The dialog stops the output, shows the list grey in ASIO mode, and starts it again afterwards.
    bool listEnabledAtOpen = true;
    bool listEnabledAfter = false;
    ran = testsupport::RunWithSteps([this] { Command(kSoundCardSettings); },
                                    {testsupport::On<CSoundCardDlg>(
                                        [&](CSoundCardDlg& d)
                                        {
                                            listEnabledAtOpen = d.m_pDevice->IsEnabled();
                                            choose(d, 0, 1);
                                            listEnabledAfter = d.m_pDevice->IsEnabled();
                                            testsupport::Press(d, wxID_OK);
                                        })});
    EXPECT_EQ(ran, 1u);
    EXPECT_FALSE(listEnabledAtOpen);
    EXPECT_TRUE(listEnabledAfter);
    EXPECT_EQ(m_core->m_soundOut.m_nMode, CSoundOut::kModeDirectSound);
    EXPECT_TRUE(m_core->IsRunning()) << "restarted, now on ALSA";
    Command(kStop);
    EXPECT_TRUE(m_notes.messages.empty()) << m_notes.messages.front();
}

TEST_F(PulveraWindowTest, SpeakerCancelChangesNothingAndANewLayoutStopsTheOutput)
{
    Command(kStart);
    ASSERT_TRUE(m_core->IsRunning()) << (m_notes.messages.empty() ? "" : m_notes.messages.front());
    const auto speakers = m_core->m_speakers;
    auto flip = [](CSpeakerDlg& d)
    {
        static_cast<wxToggleButton*>(d.FindWindow(CSpeakerDlg::kIdLeft))->SetValue(false);
        static_cast<wxCheckBox*>(d.FindWindow(CSpeakerDlg::kIdMultichannel))->SetValue(true);
    };
    testsupport::RunWithSteps([this] { Command(kSelectSpeaker); }, {testsupport::On<CSpeakerDlg>(
                                                                       [&](CSpeakerDlg& d)
                                                                       {
                                                                           flip(d);
                                                                           testsupport::Press(d, wxID_CANCEL);
                                                                       })});
    EXPECT_EQ(m_core->m_speakers, speakers);
    EXPECT_FALSE(m_core->IsMultichannel());
    EXPECT_TRUE(m_core->IsRunning());

    testsupport::RunWithSteps([this] { Command(kSelectSpeaker); }, {testsupport::On<CSpeakerDlg>(
                                                                       [&](CSpeakerDlg& d)
                                                                       {
                                                                           flip(d);
                                                                           testsupport::Press(d, wxID_OK);
                                                                       })});
    EXPECT_TRUE(m_core->IsMultichannel());
    EXPECT_FALSE(m_core->m_speakers[CGeneratorWnd::kLeft]);
    EXPECT_FALSE(m_core->IsRunning());
}

}  // namespace
