// The measurement presets, the user presets and the quick-start panel, run through their commands
// in the main frame on a temporary home. The presets' timers are fired by the tests themselves; the
// pictures of the panel and of two preset workspaces on pink noise are saved as PNG.
#include "app/AnalyzerApp.h"
#include "app/ChildFrame.h"
#include "app/CommandPrompts.h"
#include "app/CommandTable.h"
#include "app/ConfigPresetsDlg.h"
#include "app/MainFrame.h"
#include "app/QuickStartDlg.h"
#include "app/SndDoc.h"
#include "common/RegistryValues.h"
#include "display/settings/ViewSettings.h"
#include "engine/AudioInWave.h"
#include "engine/SoundIn.h"
#include "platform/Registry.h"
#include "platform/ui/MdiContainer.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/display/ScopedLanguage.h"
#include "tests/support/AlsaTestConfig.h"
#include "tests/support/FileBytes.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/eventfilter.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <thread>
#include <vector>

namespace
{

using testsupport::FillAndConfirm;

// Notes every menu command the application processes (posted ones included), by its command id.
class CommandRecorder : public wxEventFilter
{
public:
    CommandRecorder() { wxEvtHandler::AddFilter(this); }
    ~CommandRecorder() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override
    {
        if (event.GetEventType() == wxEVT_MENU)
            m_ids.push_back(event.GetId());
        return Event_Skip;
    }
    bool Saw(int commandId) const
    {
        return std::find(m_ids.begin(), m_ids.end(), command_id::WxCommandId(commandId)) != m_ids.end();
    }
    std::vector<int> m_ids;
};

void Settle()
{
    for (int i = 0; i < 3; ++i)
    {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->Yield(true);
    }
}

void SettleFor(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

class PresetsTest : public testsupport::EngineFrameFixture
{
protected:
    void SetUp() override
    {
        EngineFrameFixture::SetUp();
        if (IsSkipped())
            return;
        // Every new workspace runs on the simulated input.
        WriteUserSettings("[Settings]\nCapture Mode=7\n");
        m_frame->m_fnStartTimer = [this](int id, int milliseconds)
        {
            m_timers.emplace_back(id, milliseconds);
            return m_bTimersAvailable;
        };
        m_app->OnFileNew();
    }
    void TearDown() override
    {
        m_engine.StopInput();
        EngineFrameFixture::TearDown();
    }
    void WriteUserSettings(const std::string& text)
    {
        const std::filesystem::path file = m_app->m_DataFolders.GetPath(CDataFolders::kUserSettingsFile);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    const std::vector<MdiChildFrame*>& Frames() const { return m_frame->GetContainer()->GetChildFrames(); }
    CSndView& View(std::size_t index) const
    {
        auto* child = dynamic_cast<CChildFrame*>(Frames().at(index));
        return child->GetViewWindow()->GetView();
    }
    bool TimerStarted(int id, int milliseconds) const
    {
        return std::find(m_timers.begin(), m_timers.end(), std::pair{id, milliseconds}) != m_timers.end();
    }
    void SetCalibration(bool on, float offset)
    {
        m_engine.m_bCalibration = on ? 1 : 0;
        m_engine.m_fCalibrationOffset = offset;
        m_engine.m_dCalibrationGain = std::pow(10.0, 0.05 * offset);
    }
    void SetPresetFile(int preset, const std::string& path)
    {
        const platform::RegistryKey key =
            platform::RegistryKey::Open(CConfigPresetsDlg::PresetKey(preset), true);
        ASSERT_TRUE(key);
        ASSERT_EQ(WriteRegString(key, "Filename", path), 0);
    }
    bool TraceHas(const std::string& text) const
    {
        for (const std::string& step : m_app->GetTrace())
            if (step.find(text) != std::string::npos)
                return true;
        return false;
    }

    std::vector<std::pair<int, int>> m_timers;
    bool m_bTimersAvailable = true;
};

TEST_F(PresetsTest, EveryPresetBuildsItsTwoWindowsWithRangesRatesAndBandsAndStartsInTwoPhases)
{
    struct Case
    {
        int command;
        const char* name;
        int bands;
        double lowest;  // 0: the band window's frequency range is left alone
        double highest;
        int rate;
    };
    const Case cases[] = {
        {33001, "LIVE Monitor", 3, 0.0, 0.0, 44100},
        {33093, "Oktav", 1, 0.0, 0.0, 44100},
        {33100, "impact sound", 3, 50.0, 10000.0, 44100},
        {33106, "long-term recording", 3, 0.0, 0.0, 44100},
        {33081, "Ultraschall", 3, 81.0, 110000.0, 192000},
        {33088, "48kHz", 3, 81.0, 55000.0, 96000},
        {33082, "DIN45680", 3, 7.0, 130.0, 44100},
        {33084, "DIN15905-5", 3, 20.0, 22000.0, 44100},
        {33071, "FFT", 3, 0.0, 0.0, 0},
    };
    constexpr float kOffset = 12.5f;
    for (const Case& c : cases)
    {
        for (const bool calibrated : {false, true})
        {
            SCOPED_TRACE(std::string(c.name) + (calibrated ? ", calibrated" : ", not calibrated"));
            SetCalibration(calibrated, kOffset);
            m_timers.clear();
            CommandRecorder commands;
            {
                // The DIN 15905 preset asks for the event and the measurement; both answer OK.
                int dinDialogs = 0;
                FillAndConfirm answer(
                    [&](wxDialog&, int)
                    {
                        ++dinDialogs;
                        return true;
                    });
                RunCommand(c.command);
                EXPECT_EQ(dinDialogs, c.command == 33084 ? 2 : 0);
            }
            Settle();

            // Two windows side by side, filling the container, none over the other.
            ASSERT_EQ(Frames().size(), 2u);
            const wxRect a = Frames()[0]->GetRect();
            const wxRect b = Frames()[1]->GetRect();
            EXPECT_FALSE(a.Intersects(b));
            const wxSize client = m_frame->GetContainer()->GetClientSize();
            EXPECT_GE(a.width * a.height + b.width * b.height, client.x * client.y * 9 / 10);
            // The calibration stays.
            EXPECT_EQ(m_engine.m_bCalibration, calibrated ? 1 : 0);
            EXPECT_FLOAT_EQ(m_engine.m_fCalibrationOffset, kOffset);

            const CViewSettings& first = *View(0).GetSettings();
            const CViewSettings& band = *View(1).GetSettings();
            EXPECT_EQ(band.m_bBarGraph, 1);
            EXPECT_EQ(band.m_nBandsPerOctave, c.bands);
            EXPECT_EQ(m_engine.m_nBandAnalyzerMode, c.bands);
            const double shift = calibrated ? kOffset : 0.0;
            EXPECT_DOUBLE_EQ(band.m_Axes.m_dYMin, -110.0 + shift);
            EXPECT_DOUBLE_EQ(band.m_Axes.m_dYMax, 5.0 + shift);
            EXPECT_DOUBLE_EQ(first.m_Axes.m_dYMin, -80.0 + shift);
            EXPECT_DOUBLE_EQ(first.m_Axes.m_dYMax, calibrated ? -15.0 + shift : 5.0);
            if (c.highest > 0.0)
            {
                EXPECT_DOUBLE_EQ(band.m_Axes.m_dXMin, c.lowest);
                EXPECT_DOUBLE_EQ(band.m_Axes.m_dXMax, c.highest);
            }
            if (c.rate > 0)
                EXPECT_EQ(m_engine.m_nSampleRate, c.rate);
            else
            {
                // The FFT preset: the band window's range follows the rate.
                const bool ultrasound = m_engine.m_nSampleRate > 48000;
                EXPECT_DOUBLE_EQ(band.m_Axes.m_dXMin, ultrasound ? 81.0 : 80.0);
                EXPECT_DOUBLE_EQ(band.m_Axes.m_dXMax, ultrasound ? 110000.0 : 2200.0);
            }
            // The first window runs the level monitor with its four LEQ parameter windows.
            EXPECT_EQ(first.m_nDisplayKind & 1, 1);
            EXPECT_EQ(m_engine.m_nLevelMonitorMode, 1);
            ASSERT_EQ(View(0).GetParamViews().GetCount(), 4);
            EXPECT_EQ(View(0).GetParamViews().GetState(0).nParameter, 17);
            EXPECT_EQ(View(0).GetParamViews().GetState(3).nParameter, 20);

            // Phase one ends with processing off and timer 712; the timer's command starts.
            EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 0);
            EXPECT_EQ(m_app->m_bPresetStarted, 1);
            ASSERT_TRUE(TimerStarted(CMainFrame::kTimerPresetsSecondPhase, 500));
            m_frame->OnTimerFired(CMainFrame::kTimerPresetsSecondPhase);
            Settle();
            EXPECT_TRUE(commands.Saw(command_id::kPresetsSecondPhase));
            EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 1);
            EXPECT_TRUE(commands.Saw(view_command::kStart));
            EXPECT_EQ(commands.Saw(33072), calibrated);
            EXPECT_EQ(commands.Saw(32925), !calibrated);
            if (calibrated)
            {
                // The FFT layout: a level measurement's toolbars and the reset of all
                // measurements a second later.
                for (const char* name : {"STIPA", "Options1", "Impulse"})
                    EXPECT_FALSE(m_frame->IsToolbarShown(m_frame->FindToolbar(name))) << name;
                EXPECT_EQ(m_frame->IsToolbarShown(m_frame->GetLoggerToolbar()),
                          CMainFrame::HasCommandButtons(m_frame->GetLoggerToolbar()));
                EXPECT_TRUE(TimerStarted(CMainFrame::kTimerResetMeasurements, 1000));
                EXPECT_DOUBLE_EQ(View(1).GetSettings()->m_Axes.m_dYMin, -110.0 + shift);
                EXPECT_DOUBLE_EQ(View(0).GetSettings()->m_Axes.m_dYMax, -15.0 + shift);
            }
            else
            {
                EXPECT_TRUE(m_frame->IsToolbarShown(m_frame->FindToolbar("Options1")));
            }
            m_frame->ShowToolbar(m_frame->FindToolbar("Options1"), true);
        }
    }
}

TEST_F(PresetsTest, WithoutATimerTheUserIsToldAndThePresetDoesNotStart)
{
    m_bTimersAvailable = false;
    CommandRecorder commands;
    RunCommand(33001);
    Settle();
    EXPECT_TRUE(TraceHas("message box: Not enough timers available for this window."));
    EXPECT_EQ(Frames().size(), 2u);
    EXPECT_FALSE(commands.Saw(view_command::kStart));
}

TEST_F(PresetsTest, FileNewKeepsTheCalibrationAndTheDcBlock)
{
    SetCalibration(true, 7.0f);
    m_engine.m_bDcBlock = 1;
    RunCommand(command_id::kFileNewKeepSettings);
    EXPECT_EQ(m_engine.m_bCalibration, 1);
    EXPECT_FLOAT_EQ(m_engine.m_fCalibrationOffset, 7.0f);
    EXPECT_EQ(m_engine.m_bDcBlock, 1);
    EXPECT_EQ(Frames().size(), 1u);
}

TEST_F(PresetsTest, CancelInTheLongTermStartQuestionLeavesThePresetSetUpAndTheLoggerNotStarted)
{
    CQuickStartDlg* panel = m_frame->GetPanel();
    ASSERT_NE(panel, nullptr);
    std::vector<std::pair<int, int>> panelTimers;
    panel->m_fnStartTimer = [&](int id, int milliseconds)
    {
        panelTimers.emplace_back(id, milliseconds);
        return true;
    };
    CommandRecorder commands;
    RunCommand(command_id::kShowPanel);
    EXPECT_TRUE(panel->IsShown());
    wxCommandEvent click(wxEVT_BUTTON, CQuickStartDlg::kIdLongTerm);
    click.SetEventObject(panel->FindWindow(CQuickStartDlg::kIdLongTerm));
    panel->FindWindow(CQuickStartDlg::kIdLongTerm)->ProcessWindowEvent(click);
    EXPECT_FALSE(panel->IsShown());
    Settle();
    ASSERT_EQ(panelTimers.size(), 1u);
    m_frame->OnTimerFired(CMainFrame::kTimerPresetsSecondPhase);
    Settle();
    panel->OnTimerFired(CQuickStartDlg::kTimerStartQuestion);
    Settle();
    EXPECT_TRUE(TraceHas(std::string("message box: ") + CQuickStartDlg::kStartQuestion));
    EXPECT_TRUE(TraceHas("preset 0/3"));
    EXPECT_EQ(Frames().size(), 2u);
    EXPECT_EQ(View(1).GetSettings()->m_nBandsPerOctave, 3);
    EXPECT_TRUE(commands.Saw(view_command::kStart));
    EXPECT_FALSE(commands.Saw(33075));
}

// --- user presets ---------------------------------------------------------------------------

wxMenu* UserPresetsMenu(wxMenuBar* bar)
{
    for (std::size_t i = 0; i < bar->GetMenuCount(); ++i)
    {
        wxMenu* menu = bar->GetMenu(i);
        if (menu->GetMenuItemCount() > 0 &&
            menu->FindItemByPosition(0)->GetId() == command_id::WxCommandId(32848))
            return menu;
    }
    return nullptr;
}

TEST_F(PresetsTest, SetupWritesTheTenNamesAndTheMenuShowsThemInTheCurrentLanguage)
{
    wxMenu* menu = UserPresetsMenu(m_frame->GetMenuBar());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetMenuItemCount(), 12u);
    EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabelText(), "Preset 1");
    EXPECT_EQ(menu->FindItemByPosition(11)->GetItemLabelText(), "setup");
    {
        FillAndConfirm answer(
            [](wxDialog& dialog)
            {
                for (int i = 1; i <= CConfigPresetsDlg::kPresetCount; ++i)
                    static_cast<wxTextCtrl*>(dialog.FindWindow(CConfigPresetsDlg::kIdNameBase + i))
                        ->SetValue(wxString::FromUTF8("Messung Ä" + std::to_string(i)));
            });
        RunCommand(33050);
        EXPECT_EQ(answer.m_shown, 1);
    }
    for (int i = 1; i <= CConfigPresetsDlg::kPresetCount; ++i)
    {
        EXPECT_EQ(CConfigPresetsDlg::ReadPresetValue(i, "name", ""), "Messung Ä" + std::to_string(i));
        EXPECT_EQ(menu->FindItemByPosition(static_cast<std::size_t>(i - 1))->GetItemLabelText().utf8_string(),
                  "Messung Ä" + std::to_string(i));
        EXPECT_EQ(menu->FindItemByPosition(static_cast<std::size_t>(i - 1))->GetId(),
                  command_id::WxCommandId(32847 + i));
    }
    EXPECT_TRUE(menu->FindItemByPosition(10)->IsSeparator());
    // German: "setup" in the language's words.
    displaytest::ScopedLanguage german(LANGUAGE_GERMAN);
    m_app->UpdatePresetsMenu(false);
    EXPECT_EQ(menu->FindItemByPosition(11)->GetItemLabelText().utf8_string(),
              GetTextForLanguage(1000288, LANGUAGE_GERMAN));
    EXPECT_EQ(menu->FindItemByPosition(11)->GetId(), command_id::WxCommandId(33050));
    EXPECT_EQ(menu->FindItemByPosition(2)->GetItemLabelText().utf8_string(), "Messung Ä3");
}

TEST_F(PresetsTest, AnIniPresetAppliesToTheFirstWindowOfAFreshWorkspace)
{
    const std::string ini = m_home.File("preset.ini").string();
    std::ofstream(ini) << "[Settings]\nFFT size=8192\n";
    SetPresetFile(3, ini);
    m_app->ConnectDocument();
    m_app->m_pDocument->EnsureViewCount(3, true);
    const std::string oldTitle = m_app->m_strWorkspaceTitle;
    ASSERT_NE(m_engine.m_nFftSize, 8192);
    ASSERT_EQ(Frames().size(), 3u);
    RunCommand(32850);
    Settle();
    ASSERT_EQ(Frames().size(), 1u);
    EXPECT_NE(m_app->m_strWorkspaceTitle, oldTitle);
    EXPECT_EQ(m_engine.m_nFftSize, 8192);
}

TEST_F(PresetsTest, AWorkspacePresetOpensAsTheWorkspace)
{
    m_app->ConnectDocument();
    m_app->m_pDocument->EnsureViewCount(3, true);
    ASSERT_EQ(Frames().size(), 3u);
    const std::string wst = m_home.File("three.wst").string();
    ASSERT_TRUE(m_app->SaveWorkspaceAs(wst));
    m_app->OnFileNew();
    ASSERT_EQ(Frames().size(), 1u);
    SetPresetFile(10, wst);
    RunCommand(32857);
    Settle();
    EXPECT_EQ(Frames().size(), 3u);
    EXPECT_EQ(m_app->m_strWorkspacePath, wst);
}

TEST_F(PresetsTest, AnEmptyOrMissingPresetFileLeavesTheWorkspaceAsItWas)
{
    m_app->ConnectDocument();
    m_app->m_pDocument->EnsureViewCount(2, true);
    ASSERT_EQ(Frames().size(), 2u);
    const std::vector<MdiChildFrame*> before = Frames();
    const std::string title = m_app->m_strWorkspaceTitle;
    // Empty: nothing at all.
    RunCommand(32848);
    Settle();
    EXPECT_EQ(Frames(), before);
    EXPECT_FALSE(TraceHas("message box"));
    // Gone since it was chosen: the user reads its name, the windows stay.
    for (const char* name : {"gone.ini", "gone.wst"})
    {
        const std::string missing = m_home.File(name).string();
        SetPresetFile(2, missing);
        RunCommand(32849);
        Settle();
        EXPECT_TRUE(TraceHas("message box: The file of this preset does not exist:\n" + missing)) << name;
        EXPECT_EQ(Frames(), before) << name;
        EXPECT_EQ(m_app->m_strWorkspaceTitle, title);
    }
}

// --- the quick-start panel ------------------------------------------------------------------

class QuickStartPanelTest : public testsupport::MainFrameFixture
{
protected:
    void Start(const char* answers)
    {
        ::setenv("TESSARIN_TEST_ANSWERS", answers, 1);
        m_app.reset();
        m_app = std::make_unique<CAnalyzerApp>();
        Create(1);
        m_panel = m_frame->GetPanel();
        ASSERT_NE(m_panel, nullptr);
        m_panel->m_fnStartTimer = [this](int id, int milliseconds)
        {
            m_timers.emplace_back(id, milliseconds);
            return true;
        };
    }
    void Click(int id)
    {
        auto* button = dynamic_cast<wxButton*>(m_panel->FindWindow(id));
        ASSERT_NE(button, nullptr) << id;
        ASSERT_TRUE(button->IsEnabled()) << id;
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(button);
        button->ProcessWindowEvent(event);
    }
    CQuickStartDlg* m_panel = nullptr;
    std::vector<std::pair<int, int>> m_timers;
};

TEST_F(QuickStartPanelTest, ItsCommandShowsItAndEveryEnabledButtonPostsItsCommandAndHidesIt)
{
    InstallCommandPrompts();
    Start("");
    EXPECT_FALSE(m_panel->IsShown());
    // The third button of the large main toolbar brings it up.
    wxToolBar* main = m_frame->GetToolbarTable()[0];
    ASSERT_EQ(main->GetToolsCount(), 3u);
    EXPECT_EQ(main->GetToolByPos(2)->GetId(), command_id::WxCommandId(command_id::kShowPanel));
    EXPECT_TRUE(main->GetToolByPos(2)->IsEnabled());
    EXPECT_EQ(main->GetToolByPos(2)->GetShortHelp(), "Quick-start panel");
    int enabled = 0;
    for (const CQuickStartDlg::Button& button : CQuickStartDlg::GetButtons())
    {
        SCOPED_TRACE(button.caption);
        auto* control = dynamic_cast<wxButton*>(m_panel->FindWindow(button.id));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetLabel().utf8_string(), button.caption);
        const CommandEntry* entry = FindCommand(button.command);
        // The four wizards wait for their commands.
        const bool wizard = button.newWorkspaceFirst;
        EXPECT_EQ(control->IsEnabled(), !wizard);
        EXPECT_EQ(entry && entry->handler, !wizard);
        if (wizard)
            continue;
        ++enabled;
        wxCommandEvent show(wxEVT_MENU, command_id::WxCommandId(command_id::kShowPanel));
        m_frame->ProcessWindowEvent(show);
        EXPECT_TRUE(m_panel->IsShown());
        EXPECT_EQ(m_app->m_bQuickStartShown, 1);
        CommandRecorder commands;
        Click(button.id);
        EXPECT_FALSE(m_panel->IsShown());
        EXPECT_EQ(m_app->m_bQuickStartShown, 0);
        Settle();
        EXPECT_TRUE(commands.Saw(button.command));
    }
    EXPECT_EQ(enabled, 9);
    // The picture of the panel.
    m_panel->Show();
    testsupport::SavePicture(m_panel, "quick-start-panel.png");
}

TEST_F(QuickStartPanelTest, TheLongTermButtonAsksToStartFourSecondsLaterOkStartsTheLogger)
{
    Start("ok,cancel");
    for (const bool ok : {true, false})
    {
        m_timers.clear();
        CommandRecorder commands;
        Click(CQuickStartDlg::kIdLongTerm);
        Settle();
        EXPECT_TRUE(commands.Saw(33106));
        ASSERT_EQ(m_timers.size(), 1u);
        EXPECT_EQ(m_timers[0],
                  std::pair(CQuickStartDlg::kTimerStartQuestion, CQuickStartDlg::kStartQuestionMs));
        EXPECT_FALSE(commands.Saw(33075));
        m_panel->OnTimerFired(CQuickStartDlg::kTimerStartQuestion);
        Settle();
        // OK posts the logger's start; Cancel leaves the preset set up and not started.
        EXPECT_EQ(commands.Saw(33075), ok);
    }
    int questions = 0;
    for (const std::string& step : m_app->GetTrace())
        if (step == std::string("message box: ") + CQuickStartDlg::kStartQuestion)
            ++questions;
    EXPECT_EQ(questions, 2);
}

// --- pictures on pink noise --------------------------------------------------------------------

// Pink noise (-3 dB per octave) at 44.1 kHz, stereo 16 bit: white noise through a sum of
// first-order low-passes spread over the audio band.
std::vector<std::int16_t> PinkNoise(int frames)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames) * 2);
    std::uint32_t state = 22222u;
    double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
    for (int i = 0; i < frames; ++i)
    {
        state = state * 1664525u + 1013904223u;
        const double white = (static_cast<double>(state >> 8) / double(1u << 24)) * 2.0 - 1.0;
        b0 = 0.99886 * b0 + white * 0.0555179;
        b1 = 0.99332 * b1 + white * 0.0750759;
        b2 = 0.96900 * b2 + white * 0.1538520;
        b3 = 0.86650 * b3 + white * 0.3104856;
        b4 = 0.55000 * b4 + white * 0.5329522;
        b5 = -0.7616 * b5 - white * 0.0168980;
        const double pink = b0 + b1 + b2 + b3 + b4 + b5 + b6 + white * 0.5362;
        b6 = white * 0.115926;
        const auto value = static_cast<std::int16_t>(std::clamp(pink * 3000.0, -32767.0, 32767.0));
        samples[static_cast<std::size_t>(i) * 2] = value;
        samples[static_cast<std::size_t>(i) * 2 + 1] = value;
    }
    return samples;
}

class PresetPicturesTest : public PresetsTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "the ALSA configuration files are not installed";
        PresetsTest::SetUp();
        if (IsSkipped())
            return;
        m_config = std::make_unique<testsupport::AlsaTestConfig>(m_home.Root());
        const std::vector<std::int16_t> samples = PinkNoise(44100 * 30);
        const auto infile = m_home.File("pink.raw");
        std::filesystem::create_directories(infile.parent_path());
        ASSERT_TRUE(testsupport::WriteBytes(
            infile, std::string_view(reinterpret_cast<const char*>(samples.data()), samples.size() * 2)));
        // The default capture device reads the pink noise.
        m_config->AddText(
            "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  format \"raw\"\n"
            "  file \"/dev/null\"\n  infile \"" +
            infile.string() + "\"\n}\n");
        m_config->Apply();
        m_engine.SetInputDevice(CSoundIn::kInputWave, std::make_unique<CAudioIn_Wave>());
        WriteUserSettings("[Settings]\nCapture Mode=0\nCapture Device=0\nSample rate=44100\n");
        m_frame->SetSize(1100, 760);
        // What the program's start-up switches on before a window shows live data.
        g_bDisplayRestart = 1;
    }
    void TearDown() override
    {
        PresetsTest::TearDown();
        m_config.reset();
    }
    void RunAndPicture(int command, const std::string& name)
    {
        RunCommand(command);
        Settle();
        m_frame->OnTimerFired(CMainFrame::kTimerPresetsSecondPhase);
        Settle();
        ASSERT_EQ(Frames().size(), 2u);
        EXPECT_EQ(m_engine.m_nInputMode, CSoundIn::kInputWave);
        SettleFor(2500);
        EXPECT_TRUE(m_engine.IsRunning());
        // The band window shows bars of the noise.
        const CPlot& plot = View(1).GetPlot();
        EXPECT_GT(plot.m_nBandCount, 5);
        EXPECT_TRUE(m_frame->SaveScreenshot(
            (std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR) / ("preset-" + name + ".png")).string()));
    }
    std::unique_ptr<testsupport::AlsaTestConfig> m_config;
};

TEST_F(PresetPicturesTest, LiveMonitorAndOctaveOnPinkNoise)
{
    RunAndPicture(33001, "live-monitor");
    RunAndPicture(33093, "octave");
    EXPECT_EQ(View(1).GetSettings()->m_nBandsPerOctave, 1);
}

}  // namespace
