#include "app/AnalyzerApp.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/SndDoc.h"
#include "common/controls/BarComboBox.h"
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "platform/ui/MdiContainer.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"
#include "texts/TextTable.h"
#include "view/SndView.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

namespace
{

class MainFrameTest : public testsupport::MainFrameFixture
{
protected:
    // A mono 16-bit PCM wave file of a number of frames at 8000 Hz.
    std::string WriteWave(const std::string& name, std::uint32_t frames)
    {
        const std::uint32_t rate = 8000, dataBytes = frames * 2;
        std::string bytes;
        const auto text = [&](const char* s) { bytes.insert(bytes.end(), s, s + 4); };
        const auto u32 = [&](std::uint32_t v)
        {
            for (int i = 0; i < 4; ++i)
                bytes.push_back(static_cast<char>(v >> (8 * i)));
        };
        const auto u16 = [&](std::uint16_t v)
        {
            bytes.push_back(static_cast<char>(v));
            bytes.push_back(static_cast<char>(v >> 8));
        };
        text("RIFF");
        u32(36 + dataBytes);
        text("WAVE");
        text("fmt ");
        u32(16);
        u16(1);
        u16(1);
        u32(rate);
        u32(rate * 2);
        u16(2);
        u16(16);
        text("data");
        u32(dataBytes);
        bytes.resize(bytes.size() + dataBytes, '\0');
        const std::string path = m_home.File(name).string();
        testsupport::WriteBytes(path, bytes);
        return path;
    }
};

TEST_F(MainFrameTest, ToolbarsFollowTheGuiMode)
{
    CMainFrame* frame = Create(0);
    const auto& table = frame->GetToolbarTable();
    // Expert mode: every toolbar that has a working button; not the logger toolbar.
    EXPECT_TRUE(frame->IsToolbarShown(table[0]));
    for (wxToolBar* bar : table)
        EXPECT_EQ(frame->IsToolbarShown(bar), CMainFrame::HasCommandButtons(bar));
    EXPECT_FALSE(frame->IsToolbarShown(frame->GetLoggerToolbar()));
    frame->Destroy();
    m_frame = nullptr;

    frame = Create(1);
    // Simple mode: only the main toolbar and the logger toolbar, both with large buttons.
    EXPECT_TRUE(frame->IsToolbarShown(frame->GetToolbarTable()[0]));
    EXPECT_EQ(frame->IsToolbarShown(frame->GetLoggerToolbar()),
              CMainFrame::HasCommandButtons(frame->GetLoggerToolbar()));
    for (int i = 1; i < CMainFrame::kToolbarCount; ++i)
        EXPECT_FALSE(frame->IsToolbarShown(frame->GetToolbarTable()[i])) << CMainFrame::GetToolbarNames()[i];
    EXPECT_EQ(frame->GetToolbarTable()[0]->GetToolBitmapSize().y, 32);
    EXPECT_EQ(frame->GetToolbarTable()[0]->GetToolsCount(), 3u);
}

TEST_F(MainFrameTest, ComboBoxesAndStatusPanes)
{
    CMainFrame* frame = Create();
    EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 6);
    CBarComboBox* weighting = frame->GetWeightingCombo();
    ASSERT_NE(weighting, nullptr);
    ASSERT_EQ(weighting->GetCount(), 8u);
    const char* names[] = {"Z", "A", "C", "ITU-468", "ITU-ARM", "U", "AU", "US1"};
    for (unsigned i = 0; i < 8; ++i)
        EXPECT_EQ(weighting->GetString(i), names[i]);
    CBarComboBox* fft = frame->GetFftSizeCombo();
    ASSERT_NE(fft, nullptr);
    ASSERT_EQ(fft->GetCount(), 18u);
    EXPECT_EQ(fft->GetString(0), "128");
    EXPECT_EQ(fft->GetString(17), "16777216");
    CHistoryComboBox* octave = frame->GetOctaveFractionCombo();
    ASSERT_NE(octave, nullptr);
    ASSERT_EQ(octave->GetCount(), 9u);
    EXPECT_EQ(octave->GetSelection(), 1);
    EXPECT_EQ(octave->GetString(0).utf8_string(), GetText(1000028));
    EXPECT_EQ(octave->GetString(8).utf8_string(), GetText(1000181));
    EXPECT_EQ(octave->GetString(3), "1/6");
    EXPECT_EQ(octave->GetParent(), frame->GetToolbarTable()[CMainFrame::kToolbarCount - 1]);

    // The two status-bar lists cover their panes, also after the window changed its size.
    wxStatusBar* bar = frame->GetStatusBar();
    const auto coversPane = [&](wxWindow* list, int pane)
    {
        wxTheApp->Yield(true);
        wxRect field;
        ASSERT_TRUE(bar->GetFieldRect(pane, field));
        EXPECT_EQ(list->GetParent(), bar);
        EXPECT_EQ(list->GetRect(), field) << "pane " << pane;
    };
    coversPane(fft, 2);
    coversPane(weighting, 4);
    frame->SetSize(frame->GetSize() + wxSize(120, 0));
    wxTheApp->Yield(true);
    coversPane(fft, 2);
    coversPane(weighting, 4);
    fft->SetSelection(5);
    weighting->SetSelection(1);
    testsupport::SavePicture(bar, "status-bar-lists.png");
    testsupport::SavePicture(frame->GetToolbarTable()[CMainFrame::kToolbarCount - 1],
                             "options-toolbar-list.png");
}

TEST_F(MainFrameTest, PromptStringsSplitIntoStatusTextAndToolTip)
{
    struct Case
    {
        const char* prompt;
        const char* message;
        bool hasTip;
        const char* tip;
    };
    const Case cases[] = {
        {"Open an existing document\nOpen", "Open an existing document", true, "Open"},
        {"Whole prompt without a tip", "Whole prompt without a tip", false, ""},
        {"a\nb\nc", "a", true, "b"},
        {"", "", false, ""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(CMainFrame::MessageFromPrompt(c.prompt), c.message);
        std::string tip;
        EXPECT_EQ(CMainFrame::ToolTipFromPrompt(c.prompt, tip), c.hasTip) << c.prompt;
        if (c.hasTip)
        {
            EXPECT_EQ(tip, c.tip);
        }
    }
}

TEST_F(MainFrameTest, PresetTimersFireOnceAndPostTheirCommand)
{
    CMainFrame* frame = Create();
    int secondPhase = 0, reset = 0;
    frame->Bind(
        wxEVT_MENU, [&](wxCommandEvent&) { ++secondPhase; },
        command_id::WxCommandId(command_id::kPresetsSecondPhase));
    frame->Bind(
        wxEVT_MENU, [&](wxCommandEvent&) { ++reset; },
        command_id::WxCommandId(command_id::kResetAllMeasurements));
    frame->StartPresetTimer(CMainFrame::kTimerPresetsSecondPhase, 5);
    frame->StartPresetTimer(CMainFrame::kTimerResetMeasurements, 5);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    while (std::chrono::steady_clock::now() < end)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(secondPhase, 1);
    EXPECT_EQ(reset, 1);
}

TEST_F(MainFrameTest, ChildFrameIgnoresCloseWhileThereIsNoMenuBar)
{
    CMainFrame* frame = Create();
    auto* child = new CChildFrame(frame, "View");
    child->Show();
    wxMenuBar* bar = frame->GetMenuBar();
    frame->SetMenuBar(nullptr);
    EXPECT_FALSE(child->Close());
    child->Maximise();
    EXPECT_FALSE(child->IsMaximised());
    frame->SetMenuBar(bar);
    child->Maximise();
    EXPECT_TRUE(child->IsMaximised());
    EXPECT_TRUE(child->Close());
}

TEST_F(MainFrameTest, DroppedWaveFilesAreCheckedAgainstTheLengthLimit)
{
    const std::string exact = WriteWave("exact.wav", 61 * 8000);
    const std::string longer = WriteWave("longer.wav", 61 * 8000 + 800);  // 61.1 s
    const std::string junk = m_home.File("junk.wav").string();
    std::ofstream(junk) << "not a wave file";
    EXPECT_EQ(CMainFrame::CheckDroppedFiles({exact}), "");
    const std::string tooLong = CMainFrame::CheckDroppedFiles({exact, longer});
    EXPECT_NE(tooLong.find("limited to 61s"), std::string::npos) << tooLong;
    // The first refused file decides the message.
    EXPECT_EQ(CMainFrame::CheckDroppedFiles({junk, longer}), "invalid .wav file");
}

TEST_F(MainFrameTest, DroppedFilesGoToOneWindowEach)
{
    CMainFrame* frame = Create();
    m_app->OnFileNew();
    const std::string a = WriteWave("a.wav", 800), b = WriteWave("b.wav", 800), c = WriteWave("c.wav", 800);
    EXPECT_TRUE(frame->OnDropFiles({a, b, c}, wxPoint(-1000, -1000)));
    const auto& frames = frame->GetContainer()->GetChildFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0]->GetTitle(), "a");
    EXPECT_EQ(frames[1]->GetTitle(), "b");
    EXPECT_EQ(frames[2]->GetTitle(), "c");
    // One file dropped onto the second window goes there (the windows are tiled now).
    const wxPoint centre = frames[1]->GetScreenRect().GetPosition() + wxPoint(40, 60);
    EXPECT_TRUE(frame->OnDropFiles({a}, centre));
    EXPECT_EQ(frames[1]->GetTitle(), "a");
    EXPECT_EQ(frames[0]->GetTitle(), "a");
    EXPECT_EQ(frames[2]->GetTitle(), "c");
    // A refused drop loads nothing.
    const std::string longer = WriteWave("long.wav", 62 * 8000);
    EXPECT_FALSE(frame->OnDropFiles({c, longer}, centre));
    EXPECT_EQ(frames[0]->GetTitle(), "a");
}

}  // namespace

namespace
{

// The toolbar's toggles are pressed exactly while the state they toggle is on: through every state
// of "Pk" and "Avg", for "2Ch", "Ch1" and "Ch2", and for "Sm", which only shows the smoothing.
// The main frame with a workspace and its measurement window open; the windows close before the
// engine and the document they show.
class MainFrameWithViewTest : public testsupport::EngineFrameFixture
{
protected:
    CSndView* OpenWorkspace()
    {
        m_app->OnFileNew();
        wxTheApp->Yield(true);
        return m_frame->GetActiveView();
    }
};

TEST_F(MainFrameWithViewTest, ToggleButtonsArePressedWhileTheirStateIsOn)
{
    CSndView* view = OpenWorkspace();
    CMainFrame* frame = m_frame;
    CSoundIn& engine = m_engine;
    ASSERT_NE(view, nullptr);
    const auto& bars = frame->GetToolbarTable();
    const auto toolOf = [&](int id) -> std::pair<wxToolBar*, wxToolBarToolBase*>
    {
        for (wxToolBar* bar : bars)
            if (wxToolBarToolBase* tool = bar ? bar->FindById(command_id::WxCommandId(id)) : nullptr)
                return {bar, tool};
        return {nullptr, nullptr};
    };
    const auto pressedState = [&](int id)
    {
        const auto [bar, tool] = toolOf(id);
        EXPECT_NE(tool, nullptr) << id;
        if (!tool)
            return false;
        EXPECT_TRUE(tool->CanBeToggled()) << id;
        bar->UpdateWindowUI();
        return bar->GetToolState(command_id::WxCommandId(id));
    };
    const auto press = [&](int id)
    {
        wxCommandEvent click(wxEVT_TOOL, command_id::WxCommandId(id));
        const auto [bar, tool] = toolOf(id);
        ASSERT_NE(bar, nullptr);
        // As a click does: the tool flips itself, then the command runs.
        bar->ToggleTool(command_id::WxCommandId(id), !bar->GetToolState(command_id::WxCommandId(id)));
        click.SetEventObject(bar);
        bar->ProcessWindowEvent(click);
    };
    namespace cmd = view_command;
    struct Sequence
    {
        int id;
        std::vector<bool> pressed;  // after each press
    } const sequences[] = {
        {cmd::kPeak, {true, true, false, true, true, false}},
        {cmd::kAverage, {true, true, false}},
        {cmd::kChannel2, {!view->IsCommandChecked(cmd::kChannel2), view->IsCommandChecked(cmd::kChannel2)}},
        {cmd::kChannel1, {false, true}},
    };
    for (const Sequence& sequence : sequences)
    {
        EXPECT_EQ(pressedState(sequence.id), view->IsCommandChecked(sequence.id)) << sequence.id;
        for (std::size_t i = 0; i < sequence.pressed.size(); ++i)
        {
            press(sequence.id);
            EXPECT_EQ(view->IsCommandChecked(sequence.id), sequence.pressed[i])
                << sequence.id << " press " << i;
            EXPECT_EQ(pressedState(sequence.id), sequence.pressed[i]) << sequence.id << " press " << i;
        }
    }
    // The dual-channel and smoothing buttons follow the engine's state.
    engine.m_nChannelMode = 3;
    view->GetSettings()->m_Channels.GetChannel(0).m_bActive = 1;
    view->GetSettings()->m_Channels.GetChannel(1).m_bActive = 1;
    EXPECT_TRUE(pressedState(cmd::kDualChannel));
    engine.m_nChannelMode = 0;
    EXPECT_FALSE(pressedState(cmd::kDualChannel));
    engine.m_bSmoothing = 1;
    EXPECT_TRUE(pressedState(cmd::kSmoothing));
    engine.m_bSmoothing = 0;
    EXPECT_FALSE(pressedState(cmd::kSmoothing));
    const auto [smoothingBar, smoothingTool] = toolOf(cmd::kSmoothing);
    ASSERT_NE(smoothingTool, nullptr);
    EXPECT_FALSE(smoothingTool->IsEnabled()) << "the list beside it chooses the smoothing";

    // The list switches the engine's smoothing and follows it.
    CHistoryComboBox* list = frame->GetOctaveFractionCombo();
    const auto choose = [&](int index)
    {
        list->SetSelection(index);
        wxCommandEvent selected(wxEVT_COMBOBOX, list->GetId());
        selected.SetInt(index);
        selected.SetEventObject(list);
        list->ProcessWindowEvent(selected);
    };
    choose(3);
    EXPECT_EQ(engine.m_bSmoothing, 1);
    EXPECT_EQ(engine.m_nSmoothingOctaves, 6);
    EXPECT_TRUE(pressedState(cmd::kSmoothing));
    choose(8);  // "other": on, the width kept
    EXPECT_EQ(engine.m_bSmoothing, 1);
    EXPECT_EQ(engine.m_nSmoothingOctaves, 6);
    choose(0);
    EXPECT_EQ(engine.m_bSmoothing, 0);
    EXPECT_FALSE(pressedState(cmd::kSmoothing));
    engine.m_bSmoothing = 1;
    engine.m_nSmoothingOctaves = 12;
    view->UpdateSmoothingList();
    EXPECT_EQ(list->GetString(list->GetSelection()).utf8_string(), "1/12");
}

TEST_F(MainFrameWithViewTest, StatusBarListsSetWeightingAndFftSize)
{
    ASSERT_NE(OpenWorkspace(), nullptr);
    const auto choose = [](CBarComboBox* list, int index)
    {
        list->SetSelection(index);
        wxCommandEvent selected(wxEVT_COMBOBOX, list->GetId());
        selected.SetInt(index);
        selected.SetEventObject(list);
        list->ProcessWindowEvent(selected);
    };
    CBarComboBox* weighting = m_frame->GetWeightingCombo();
    CBarComboBox* fft = m_frame->GetFftSizeCombo();
    ASSERT_NE(weighting, nullptr);
    ASSERT_NE(fft, nullptr);
    choose(weighting, 2);
    EXPECT_EQ(m_engine.m_nWeightingType, 2);
    choose(weighting, 0);
    EXPECT_EQ(m_engine.m_nWeightingType, 0);
    choose(fft, 5);  // 128 · 2^5
    EXPECT_EQ(m_engine.m_nFftSize, 4096);
    choose(fft, 0);
    EXPECT_EQ(m_engine.m_nFftSize, 128);
    // The list opens with the height its items and the screen give it.
    EXPECT_GT(weighting->OnDropDown(), weighting->GetItemHeight() * 8);
}

TEST_F(MainFrameWithViewTest, OverlaySubmenuCarriesTheWindowsOverlays)
{
    CSndView* view = OpenWorkspace();
    ASSERT_NE(view, nullptr);
    wxMenu* submenu = nullptr;
    ASSERT_NE(m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(view_command::kSetAsOverlay), &submenu),
              nullptr);
    ASSERT_NE(submenu, nullptr);
    EXPECT_EQ(submenu->FindItemByPosition(0)->GetId(), command_id::WxCommandId(view_command::kSetAsOverlay));

    view->GetSettings()->m_Overlays[2].m_strName = "Room left";
    view->RebuildOverlays();
    ASSERT_EQ(submenu->GetMenuItemCount(), 17u);
    const auto label = [&](std::size_t position)
    { return submenu->FindItemByPosition(position)->GetItemLabelText().utf8_string(); };
    EXPECT_EQ(label(0), "Set as Overlay");
    EXPECT_EQ(label(1), "setup");
    EXPECT_EQ(label(5), "Auto load frequency response limits");
    EXPECT_TRUE(submenu->FindItemByPosition(6)->IsSeparator());
    EXPECT_EQ(label(9), "Room left");
    view->GetSettings()->m_Overlays[3].m_strName.clear();
    view->RebuildOverlays();
    EXPECT_EQ(label(10), "Overlay 4") << "an overlay without a name";
    wxMenuItem* third = submenu->FindItemByPosition(9);
    EXPECT_EQ(third->GetId(), command_id::WxCommandId(view_command::kFirstOverlayToggle + 2));
    EXPECT_TRUE(third->IsCheckable());

    // An empty overlay's item is disabled; once it holds a curve it shows it, checked.
    m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    submenu->UpdateUI(m_frame);
    EXPECT_FALSE(third->IsEnabled());
    const float x[] = {100.0f, 1000.0f, 10000.0f};
    const float y[] = {0.1f, 1.0f, 0.1f};
    view->SetOverlayData(2, 3, x, y, true, nullptr);
    submenu->UpdateUI(m_frame);
    EXPECT_TRUE(third->IsEnabled());
    EXPECT_TRUE(third->IsChecked());
    wxCommandEvent hide(wxEVT_MENU, third->GetId());
    ASSERT_TRUE(m_frame->ProcessWindowEvent(hide));
    submenu->UpdateUI(m_frame);
    EXPECT_FALSE(third->IsChecked());
    EXPECT_EQ(view->GetSettings()->m_Overlays[2].m_bShown, 0);
}

}  // namespace
