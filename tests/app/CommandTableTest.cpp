// The command table and the menus and toolbars the main frame builds from it: every item and
// button that shows reaches its handler, in both GUI modes and every language; what has no handler
// yet stays out of sight.
#include "app/AnalyzerApp.h"
#include "app/CommandIcons.h"
#include "app/CommandPrompts.h"
#include "app/CommandTable.h"
#include "app/MainFrame.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/display/ScopedLanguage.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"
#include "view/SndView.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{

int TableId(int wxId)
{
    // The toolkit's ids are the command ids folded below 0x8000 (see command_id::WxCommandId).
    for (const CommandEntry& entry : GetCommandTable())
    {
        if (command_id::WxCommandId(entry.id) == wxId)
            return entry.id;
    }
    return -1;
}

void CollectMenuIds(wxMenu* menu, std::vector<int>& ids)
{
    for (wxMenuItem* item : menu->GetMenuItems())
    {
        if (item->IsSeparator())
            continue;
        if (item->IsSubMenu())
            CollectMenuIds(item->GetSubMenu(), ids);
        else
            ids.push_back(item->GetId());
    }
}

// Every modal dialog a command opens is answered with Cancel at once; the hook notes which opened.
class CancelEveryDialog : public wxModalDialogHook
{
public:
    CancelEveryDialog() { Register(); }
    ~CancelEveryDialog() override { Unregister(); }
    int Enter(wxDialog* dialog) override
    {
        m_opened.push_back(dialog->GetClassInfo()->GetClassName());
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
    std::vector<wxString> m_opened;
};

class CommandTableTest : public testsupport::MainFrameFixture
{
protected:
    // Fires a command as a menu click would; the frame must run the table's handler for it once.
    void Fire(int wxId, int guiMode)
    {
        const int id = TableId(wxId);
        const CommandEntry* entry = FindCommand(id);
        ASSERT_NE(entry, nullptr) << "item " << wxId << " is not in the command table";
        ASSERT_NE(entry->handler, nullptr) << id << " shows without a handler";
        const int before = m_frame->GetCommandsRun();
        wxCommandEvent event(wxEVT_MENU, wxId);
        event.SetEventObject(m_frame);
        bool handled = false;
        EXPECT_NO_THROW(handled = m_frame->ProcessWindowEvent(event)) << id;
        EXPECT_TRUE(handled) << id;
        EXPECT_EQ(m_frame->GetCommandsRun(), before + 1) << id;
        EXPECT_EQ(m_frame->GetLastCommand(), id);
        EXPECT_EQ(m_frame->GetFailedCommands(), 0) << id;
        wxTheApp->ProcessPendingEvents();
        // Exit and Expert Mode close the frame: the next command gets a new one.
        if (wxTheApp->IsScheduledForDestruction(m_frame) || !m_frame->IsShown())
        {
            m_frame = nullptr;
            wxTheApp->ProcessIdle();
            m_app->m_pMainWnd = nullptr;
            Create(guiMode);
        }
    }
};

TEST_F(CommandTableTest, RowsAreWellFormed)
{
    std::set<int> ids;
    const auto order = GetMenuOrder();
    for (const CommandEntry& entry : GetCommandTable())
    {
        EXPECT_TRUE(ids.insert(entry.id).second) << "two rows for " << entry.id;
        const std::uint32_t bars = entry.toolbars & ~toolbar_bit::kGapBefore;
        EXPECT_EQ(bars != 0, entry.icon != nullptr) << entry.id << ": a button needs an icon and a toolbar";
        if (entry.menuPath)
        {
            const std::string path = entry.menuPath;
            const std::string title = path.substr(0, path.find('/'));
            EXPECT_NE(path.find('/'), std::string::npos) << path;
            EXPECT_NE(std::find_if(order.begin(), order.end(), [&](const char* t) { return title == t; }),
                      order.end())
                << path << ": its menu is not in the menu order";
        }
        if (entry.textId != 0)
        {
            EXPECT_FALSE(GetTextForLanguage(entry.textId, LANGUAGE_ENGLISH).empty()) << entry.id;
        }
        EXPECT_TRUE(entry.menuPath || entry.icon || entry.handler) << entry.id << " can never be reached";
    }
    // Items placed apart from their rows: a command of the table, a menu of the menu order, and a row
    // that leaves its own menu path empty.
    for (const MenuPlacement& placement : GetMenuPlacements())
    {
        const CommandEntry* entry = FindCommand(placement.id);
        ASSERT_NE(entry, nullptr) << placement.path;
        EXPECT_EQ(entry->menuPath, nullptr) << placement.id;
        const std::string path = placement.path;
        const std::string title = path.substr(0, path.find('/'));
        EXPECT_NE(std::find_if(order.begin(), order.end(), [&](const char* t) { return title == t; }),
                  order.end())
            << path;
    }
    EXPECT_EQ(FindCommand(command_id::kEditPaste), nullptr) << "Paste has no handler and stays out";
    EXPECT_EQ(FindCommand(command_id::kHelpFinder), nullptr) << "there are no help pages";
}

TEST_F(CommandTableTest, EveryMenuItemAndButtonReachesItsHandlerInBothModesAndAllLanguages)
{
    CancelEveryDialog dialogs;
    for (int guiMode : {0, 1})
    {
        for (int language = 0; language < LANGUAGE_COUNT; ++language)
        {
            SCOPED_TRACE("GUI mode " + std::to_string(guiMode) + ", language " + std::to_string(language));
            displaytest::ScopedLanguage scoped(language);
            Create(guiMode);
            wxMenuBar* bar = m_frame->GetMenuBar();
            ASSERT_NE(bar, nullptr);
            // The menus speak the language.
            EXPECT_EQ(bar->GetMenuLabelText(0).utf8_string(), GetTextForLanguage(1000020, language));
            wxMenuItem* toolbarItem = bar->FindItem(command_id::WxCommandId(command_id::kViewToolbar));
            ASSERT_NE(toolbarItem, nullptr);
            EXPECT_EQ(toolbarItem->GetItemLabelText().utf8_string(), GetTextForLanguage(1000523, language));

            std::vector<int> menuIds;
            for (std::size_t i = 0; i < bar->GetMenuCount(); ++i)
                CollectMenuIds(bar->GetMenu(i), menuIds);
            // Exactly the rows with a handler and a menu path in the language have an item.
            for (const CommandEntry& entry : GetCommandTable())
            {
                const bool shown = bar->FindItem(command_id::WxCommandId(entry.id)) != nullptr;
                EXPECT_EQ(shown, GetMenuPath(entry, language) && entry.handler) << entry.id;
            }
            std::vector<std::pair<wxToolBar*, int>> tools;
            std::vector<wxToolBar*> bars(m_frame->GetToolbarTable().begin(),
                                         m_frame->GetToolbarTable().end());
            bars.push_back(m_frame->GetLoggerToolbar());
            for (wxToolBar* toolbar : bars)
            {
                if (!m_frame->IsToolbarShown(toolbar))
                    continue;
                EXPECT_TRUE(CMainFrame::HasCommandButtons(toolbar)) << "an empty toolbar shows";
                for (std::size_t pos = 0; pos < toolbar->GetToolsCount(); ++pos)
                {
                    const wxToolBarToolBase* tool = toolbar->GetToolByPos(static_cast<int>(pos));
                    if (!tool->IsButton())
                        continue;
                    const CommandEntry* entry = FindCommand(TableId(tool->GetId()));
                    ASSERT_NE(entry, nullptr) << tool->GetId();
                    EXPECT_FALSE(tool->GetShortHelp().empty()) << entry->id;
                    if (!entry->handler)
                    {
                        // Only the large main toolbar keeps a button that waits for its handler,
                        // and it is disabled.
                        EXPECT_EQ(toolbar, m_frame->GetToolbarTable()[0]);
                        EXPECT_EQ(guiMode, 1);
                        EXPECT_FALSE(tool->IsEnabled()) << entry->id;
                        continue;
                    }
                    tools.emplace_back(toolbar, tool->GetId());
                }
            }
            // Exit and Expert Mode close the frame; they go last.
            const auto closes = [](int wxId)
            {
                const int id = TableId(wxId);
                return id == command_id::kAppExit || id == command_id::kExpertMode;
            };
            std::stable_partition(menuIds.begin(), menuIds.end(), [&](int id) { return !closes(id); });
            for (const auto& [toolbar, wxId] : tools)
                Fire(wxId, guiMode);
            for (int wxId : menuIds)
                Fire(wxId, guiMode);
            DestroyFrame();
        }
    }
    // The toolkit's page set-up opened; the dialogs answered Cancel.
    EXPECT_FALSE(dialogs.m_opened.empty());
}

TEST_F(CommandTableTest, EveryCommandHasItsPromptAndButtonsShowTheirToolTips)
{
    InstallCommandPrompts();
    for (const CommandEntry& entry : GetCommandTable())
    {
        const std::string prompt = LoadStringForLanguage(static_cast<unsigned>(entry.id), LANGID_ENGLISH_US);
        std::string tip;
        EXPECT_TRUE(CMainFrame::ToolTipFromPrompt(prompt, tip) && !tip.empty()) << entry.id;
        EXPECT_FALSE(CMainFrame::MessageFromPrompt(prompt).empty()) << entry.id;
    }
    // German where the text table has the words: View > Toolbar.
    const std::string toolbar = GetTextForLanguage(1000523, LANGUAGE_GERMAN);
    EXPECT_EQ(LoadStringForLanguage(command_id::kViewToolbar, LANGID_GERMAN), toolbar + "\n" + toolbar);
    EXPECT_EQ(LoadStringForLanguage(command_id::kFileOpen, LANGID_GERMAN), "");
    for (int language : {LANGUAGE_ENGLISH, LANGUAGE_GERMAN})
    {
        displaytest::ScopedLanguage scoped(language);
        CMainFrame* frame = Create(0);
        wxToolBar* main = frame->GetToolbarTable()[0];
        const wxToolBarToolBase* start = main->FindById(command_id::WxCommandId(view_command::kStart));
        ASSERT_NE(start, nullptr);
        EXPECT_EQ(start->GetShortHelp().utf8_string(), GetTextForLanguage(1000162, language));
        const wxToolBarToolBase* print = main->FindById(command_id::WxCommandId(command_id::kFilePrint));
        ASSERT_NE(print, nullptr);
        // No German words for it: the English tool tip.
        EXPECT_EQ(print->GetShortHelp(), "Print");
        DestroyFrame();
    }
}

// Pictures of the main window in both GUI modes: the toolbar pictures, the status-bar prompt of a
// highlighted menu item and the tool tip of the button under the mouse.
TEST_F(CommandTableTest, PicturesOfTheMainWindowInBothModes)
{
    InstallCommandPrompts();
    for (int guiMode : {0, 1})
    {
        CMainFrame* frame = Create(guiMode);
        frame->SetSize(wxRect(0, 0, 1000, 400));
        frame->GetApp().OnFileNew();
        for (int i = 0; i < 10; ++i)
            wxTheApp->Yield(true);
        // The mouse rests on the second button of the main toolbar.
        wxToolBar* main = frame->GetToolbarTable()[0];
        const wxToolBarToolBase* tool = main->GetToolByPos(guiMode == 0 ? 1 : 0);
        ASSERT_NE(tool, nullptr);
        const int size = main->GetToolBitmapSize().x;
        wxUIActionSimulator mouse;
        const wxPoint onTool =
            main->ClientToScreen(wxPoint(size * (guiMode == 0 ? 1 : 0) + size, size / 2 + 4));
        mouse.MouseMove(onTool - wxPoint(3, 0));
        for (int i = 0; i < 5; ++i)
            wxTheApp->Yield(true);
        mouse.MouseMove(onTool);
        for (int i = 0; i < 60; ++i)
        {
            wxTheApp->Yield(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        wxMenuEvent highlight(wxEVT_MENU_HIGHLIGHT, command_id::WxCommandId(command_id::kFileOpen));
        frame->ProcessWindowEvent(highlight);
        wxTheApp->Yield(true);
        EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Open an existing workspace");
        wxRect area = frame->GetScreenRect();
        area.height += 40;
        const wxImage picture = platform::ui::CaptureScreen(area);
        ASSERT_TRUE(picture.IsOk());
        const std::filesystem::path path = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR) /
                                           ("main-window-mode-" + std::to_string(guiMode) + ".png");
        EXPECT_TRUE(picture.SaveFile(wxString(path.string()), wxBITMAP_TYPE_PNG));
        DestroyFrame();
    }
}

TEST_F(CommandTableTest, GuiModeOneKeepsItsThreeLargeButtons)
{
    CMainFrame* frame = Create(1);
    wxToolBar* main = frame->GetToolbarTable()[0];
    ASSERT_EQ(main->GetToolsCount(), 3u);
    EXPECT_EQ(main->GetToolByPos(0)->GetId(), command_id::WxCommandId(33044));
    EXPECT_EQ(main->GetToolByPos(1)->GetId(), command_id::WxCommandId(32812));
    EXPECT_EQ(main->GetToolByPos(2)->GetId(), command_id::WxCommandId(33095));
    EXPECT_EQ(main->GetToolBitmapSize().y, 32);
    // Each button is enabled exactly when its command has a handler.
    for (int pos = 0; pos < 3; ++pos)
    {
        const wxToolBarToolBase* tool = main->GetToolByPos(pos);
        EXPECT_EQ(tool->IsEnabled(), FindCommand(TableId(tool->GetId()))->handler != nullptr) << pos;
    }
}

}  // namespace
