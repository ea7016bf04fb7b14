// The workspace's own file as a user handles it: Save As and Open give the same records and bytes,
// the recent-file list keeps the last four newest first across a restart and keeps an entry that
// fails to open, Close writes "saved.wst", and a damaged or foreign file leaves the open workspace.
#include "app/AnalyzerApp.h"
#include "app/MainFrame.h"
#include "app/SndDoc.h"
#include "engine/SoundIn.h"
#include "platform/ui/MdiChildFrame.h"
#include "platform/ui/MdiContainer.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <wx/filedlg.h>
#include <wx/menu.h>
#include <algorithm>

namespace
{

class WorkspaceFileTest : public testsupport::EngineFrameFixture
{
protected:
    void SetUp() override
    {
        testsupport::EngineFrameFixture::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(m_app->OnFileNew());
    }
    void Restart()
    {
        DestroyFrame();
        m_app.reset();
        m_app = std::make_unique<CAnalyzerApp>();
        CreateWithEngine();
        ASSERT_TRUE(m_app->OnFileNew());
    }
    std::string Path(const std::string& name) const { return m_home.File(name).string(); }
    std::size_t WindowCount() const { return m_frame->GetContainer()->GetChildFrames().size(); }
    std::string Bytes(const std::string& path) const { return testsupport::ReadBytes(path); }
    // Where two files part (their size when one is the start of the other), or -1 when equal.
    static long FirstDifference(const std::string& a, const std::string& b)
    {
        if (a == b)
            return -1;
        const auto [at, unused] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
        return static_cast<long>(at - a.begin());
    }
};

TEST_F(WorkspaceFileTest, SaveAsThenOpenGivesTheSameRecordsAndBytes)
{
    std::filesystem::create_directories(m_home.File(""));
    m_engine.SetFftSize(4096);
    m_engine.m_nSampleRate = 48000;
    // Save As through its command and the file dialog; the name gets its ".wst".
    {
        testsupport::FillAndConfirm answer(
            [&](wxDialog& dialog, int)
            {
                auto* files = dynamic_cast<wxFileDialog*>(&dialog);
                EXPECT_NE(files, nullptr);
                if (!files)
                    return false;
                EXPECT_EQ(files->GetWildcard(), "Tessarin Settings (*.wst)|*.wst");
                files->SetPath(wxString::FromUTF8(Path("first")));
                return true;
            });
        RunCommand(command_id::kFileSaveAs);
        EXPECT_EQ(answer.m_shown, 1);
    }
    const std::string first = Path("first.wst");
    ASSERT_TRUE(std::filesystem::exists(first));
    EXPECT_EQ(m_app->m_strWorkspacePath, first);
    EXPECT_EQ(m_frame->GetContainer()->GetChildFrames().front()->GetTitle(), "first.wst");

    // Other settings, then Open: the saved ones come back.
    m_engine.StopInput();
    m_engine.SetFftSize(1024);
    m_engine.m_nSampleRate = 96000;
    ASSERT_TRUE(m_app->OpenDocumentFile(first));
    EXPECT_EQ(m_engine.m_nFftSize, 4096);
    EXPECT_EQ(m_engine.m_nSampleRate, 48000);
    // The opened workspace saved twice gives the same bytes (the windows fill their display ranges
    // once they run, so the first file's ranges may differ); Save needs no dialog now.
    ASSERT_TRUE(m_app->SaveWorkspaceAs(Path("second.wst")));
    const std::string saved = Bytes(Path("second.wst"));
    RunCommand(command_id::kFileSave);
    EXPECT_EQ(FirstDifference(Bytes(Path("second.wst")), saved), -1);
    EXPECT_EQ(Bytes(Path("second.wst")).size(), Bytes(first).size());
}

TEST_F(WorkspaceFileTest, RecentFilesKeepTheLastFourNewestFirstAcrossARestart)
{
    std::filesystem::create_directories(m_home.File(""));
    for (const char* name : {"a.wst", "b.wst", "c.wst", "d.wst", "e.wst"})
        ASSERT_TRUE(m_app->SaveWorkspaceAs(Path(name)));
    // Opening one again moves it to the top.
    ASSERT_TRUE(m_app->OpenDocumentFile(Path("c.wst")));
    const std::vector<std::string> expected = {Path("c.wst"), Path("e.wst"), Path("d.wst"), Path("b.wst")};
    EXPECT_EQ(m_app->GetRecentFiles(), expected);
    // The menu shows them.
    m_frame->UpdateWindowUI();
    wxMenuItem* item = m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(command_id::kFileMru1 + 1));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->IsEnabled());
    EXPECT_NE(item->GetItemLabelText().utf8_string().find("e.wst"), std::string::npos);

    Restart();
    EXPECT_EQ(m_app->GetRecentFiles(), expected);

    // An entry that fails to open stays (the user is told), and the open workspace stays open.
    ASSERT_TRUE(m_app->OpenDocumentFile(Path("b.wst")));
    std::filesystem::remove(Path("d.wst"));
    const std::size_t windows = WindowCount();
    RunCommand(command_id::kFileMru1 + 3);
    const std::vector<std::string> after = {Path("b.wst"), Path("c.wst"), Path("e.wst"), Path("d.wst")};
    EXPECT_EQ(m_app->GetRecentFiles(), after);
    EXPECT_EQ(m_app->m_strWorkspacePath, Path("b.wst"));
    EXPECT_EQ(WindowCount(), windows);
    // The recent-file command opens its entry.
    RunCommand(command_id::kFileMru1 + 2);
    EXPECT_EQ(m_app->m_strWorkspacePath, Path("e.wst"));
}

TEST_F(WorkspaceFileTest, CloseWritesSavedWorkspaceAndRefusedFilesLeaveTheOpenOne)
{
    std::filesystem::create_directories(m_home.File(""));
    ASSERT_TRUE(m_app->SaveWorkspaceAs(Path("good.wst")));
    const std::string good = Bytes(Path("good.wst"));
    // Damaged (cut short) and foreign (another signature) files.
    ASSERT_TRUE(testsupport::WriteBytes(Path("cut.wst"), good.substr(0, good.size() / 2)));
    std::string foreign = good;
    foreign[0] = 'X';
    ASSERT_TRUE(testsupport::WriteBytes(Path("foreign.wst"), foreign));
    m_engine.SetFftSize(2048);
    for (const char* name : {"cut.wst", "foreign.wst"})
    {
        SCOPED_TRACE(name);
        EXPECT_FALSE(m_app->OpenDocumentFile(Path(name)));
        EXPECT_EQ(m_app->m_strWorkspacePath, Path("good.wst"));
        EXPECT_EQ(WindowCount(), 1u);
        EXPECT_EQ(m_engine.m_nFftSize, 2048);
    }
    EXPECT_EQ(m_app->GetRecentFiles().front(), Path("good.wst"));

    std::filesystem::remove(CAnalyzerApp::GetSavedWorkspacePath());
    RunCommand(command_id::kFileClose);
    EXPECT_TRUE(std::filesystem::exists(CAnalyzerApp::GetSavedWorkspacePath()));
    EXPECT_EQ(WindowCount(), 0u);
    EXPECT_TRUE(m_app->m_strWorkspacePath.empty());
}

}  // namespace
