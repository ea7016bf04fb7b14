#include "common/controls/FolderBrowser.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/timer.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/ui/ScreenCapture.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"

namespace
{

TEST(FolderBrowser, ShortenPathCutsAfterThirtyFiveCharacters)
{
    const std::string forty = "/home/user/measurements/loudspeakers/ab";
    ASSERT_EQ(forty.size(), 39u);
    EXPECT_EQ(CFolderBrowser::ShortenPath(forty + "c"), "/home/user/measurements/loudspeaker...");
    const std::string exactly(35, 'x');
    EXPECT_EQ(CFolderBrowser::ShortenPath(exactly), exactly);
    EXPECT_EQ(CFolderBrowser::ShortenPath(exactly + "y"), exactly + "...");
    EXPECT_EQ(CFolderBrowser::ShortenPath(""), "");
    // Characters, not bytes: 36 "ä" keep 35 of them whole.
    std::string umlauts;
    for (int i = 0; i < 36; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(CFolderBrowser::ShortenPath(umlauts), umlauts.substr(0, 70) + "...");
}

class FolderBrowserDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_first = m_home.Root() / "first";
        m_second = m_home.Root() / "a-folder-with-a-rather-long-name-for-the-status-line";
        std::filesystem::create_directories(m_first);
        std::filesystem::create_directories(m_second);
    }

    // Shows the browser and runs `step` from inside its loop; a timer ends a dialog left open.
    int Run(CFolderBrowser& browser, std::function<void(wxDialog&)> step)
    {
        wxTimer guard;
        guard.Bind(wxEVT_TIMER,
                   [&browser](wxTimerEvent&)
                   {
                       if (wxDialog* dialog = browser.GetDialog(); dialog && dialog->IsModal())
                           dialog->EndModal(wxID_ABORT);
                   });
        guard.StartOnce(10000);
        wxTheApp->CallAfter(
            [&browser, step]
            {
                if (wxDialog* dialog = browser.GetDialog())
                    step(*dialog);
            });
        const int result = browser.DoModal();
        guard.Stop();
        return result;
    }

    testsupport::TempHome m_home;
    std::filesystem::path m_first;
    std::filesystem::path m_second;
};

TEST_F(FolderBrowserDialog, OkReturnsTheChosenFolder)
{
    CFolderBrowser browser(m_first.string());
    std::string statusAtStart;
    std::string statusAfterMove;
    const int result =
        Run(browser,
            [&](wxDialog& dialog)
            {
                statusAtStart = browser.GetStatusText();
                browser.SetSelection(m_second.string());
                statusAfterMove = browser.GetStatusText();
                dialog.Update();
                const std::filesystem::path pictures = TESSARIN_TEST_OUTPUT_DIR;
                std::filesystem::create_directories(pictures);
                const wxImage picture = platform::ui::CaptureScreen(dialog.GetScreenRect());
                if (picture.IsOk())
                    picture.SaveFile((pictures / "folder-browser.png").string(), wxBITMAP_TYPE_PNG);
                dialog.EndModal(wxID_OK);
            });
    EXPECT_EQ(result, CFolderBrowser::kIdOk);
    EXPECT_EQ(browser.GetFolder(), m_second.string());
    EXPECT_EQ(statusAtStart, CFolderBrowser::ShortenPath(m_first.string()));
    EXPECT_EQ(statusAfterMove, CFolderBrowser::ShortenPath(m_second.string()));
    EXPECT_EQ(browser.GetDialog(), nullptr);
}

TEST_F(FolderBrowserDialog, CancelAfterAMoveStillCancels)
{
    CFolderBrowser browser(m_first.string());
    const int result = Run(browser,
                           [&](wxDialog& dialog)
                           {
                               browser.SetSelection(m_second.string());
                               dialog.EndModal(wxID_CANCEL);
                           });
    EXPECT_EQ(result, CFolderBrowser::kIdCancel);
}

TEST_F(FolderBrowserDialog, AChoiceThatIsNoFolderCancels)
{
    CFolderBrowser browser((m_home.Root() / "missing").string());
    const int result = Run(browser, [](wxDialog& dialog) { dialog.EndModal(wxID_OK); });
    // The tree falls back to no selection or to an existing folder; a missing one is never returned.
    if (result == CFolderBrowser::kIdOk)
    {
        EXPECT_TRUE(std::filesystem::is_directory(browser.GetFolder()));
    }
    EXPECT_NE(browser.GetFolder(), (m_home.Root() / "missing").string());
}

}  // namespace
