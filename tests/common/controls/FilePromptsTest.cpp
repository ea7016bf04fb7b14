// The file prompts as their callers see them: the filter and kind each asks with, the default
// extension added to a bare name, Cancel as an empty path; one real GTK file dialog with a picture;
// and the result folder made from the dialog's preset buttons or a typed name of several levels.
#include "common/controls/FilePrompts.h"
#include "common/controls/ResultFolderDlg.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using platform::ui::FileDialogRequest;

class FilePrompts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
    }
    // Answers every file dialog with `answer` and keeps the requests.
    platform::ui::ScopedFileDialogResponder Answer(std::string answer)
    {
        return platform::ui::ScopedFileDialogResponder(
            [this, answer](const FileDialogRequest& request)
            {
                m_requests.push_back(request);
                return answer;
            });
    }
    std::vector<FileDialogRequest> m_requests;
    testsupport::TempHome m_home;
};

TEST_F(FilePrompts, AskWithTheirFilterAndAddTheDefaultExtensionToABareName)
{
    struct Case
    {
        std::function<std::string()> ask;
        std::string answer;
        bool save;
        std::string wildcard;
        std::string result;
    };
    const std::string text = "Text files (*.txt)|*.txt;*.TXT";
    const std::string audio = "Wave Files (*.wav)|*.wav;*.WAV|MP3 Files (*.mp3)|*.mp3;*.MP3";
    const std::vector<Case> cases = {
        {[] { return AskOpenFileName("Text files", "txt"); }, "/data/curve", false, text, "/data/curve.txt"},
        {[] { return AskOpenFileName("Text files", "txt"); }, "/data/curve.CSV", false, text,
         "/data/curve.CSV"},
        {[] { return AskSaveFileName("Text files", "txt"); }, "/data/my curve", true, text,
         "/data/my curve.txt"},
        {[] { return AskSaveFileName("Text files", "txt"); }, "/data/x.TXT", true, text, "/data/x.TXT"},
        {[] { return AskSaveFileName("Text files", "txt"); }, "", true, text, ""},
        {[] { return AskOpenAudioFileName(); }, "/rec/take", false, audio, "/rec/take.wav"},
        {[] { return AskOpenAudioFileName(); }, "/rec/take.Mp3", false, audio, "/rec/take.Mp3"},
        {[] { return AskOpenAudioFileName(); }, "", false, audio, ""},
    };
    for (const Case& c : cases)
    {
        m_requests.clear();
        auto responder = Answer(c.answer);
        EXPECT_EQ(c.ask(), c.result) << c.answer;
        ASSERT_EQ(m_requests.size(), 1u);
        EXPECT_EQ(m_requests[0].save, c.save) << c.answer;
        EXPECT_EQ(m_requests[0].wildcard, c.wildcard) << c.answer;
    }
    // An extension without letters has one pattern only.
    EXPECT_EQ(FilePromptWildcard("Numbers", "123"), "Numbers (*.123)|*.123");
}

// Keeps the file dialog that is being shown (GTK's file dialog is no top-level window of the
// toolkit's list) and lets it show.
class ShownFileDialog : public wxModalDialogHook
{
public:
    ShownFileDialog() { Register(); }
    ~ShownFileDialog() override { Unregister(); }
    int Enter(wxDialog* dialog) override
    {
        if (auto* files = dynamic_cast<wxFileDialog*>(dialog))
            m_dialog = files;
        return wxID_NONE;
    }
    void Exit(wxDialog* dialog) override
    {
        if (dialog == m_dialog)
            m_dialog = nullptr;
    }
    wxFileDialog* m_dialog = nullptr;
};

TEST_F(FilePrompts, ARealGtkSaveDialogShowsAndAnswers)
{
    const fs::path folder = m_home.Root() / "reports";
    fs::create_directories(folder);
    std::ofstream(folder / "existing.txt") << "kept\n";
    ShownFileDialog shown;
    int ticks = 0;
    bool pictured = false;
    wxTimer poll;
    poll.Bind(wxEVT_TIMER,
              [&](wxTimerEvent&)
              {
                  wxFileDialog* dialog = shown.m_dialog;
                  if (!dialog)
                      return;
                  // Let the dialog draw for a while, then take its picture and answer it.
                  if (++ticks < 10)
                      return;
                  if (!pictured)
                  {
                      pictured = true;
                      const wxImage picture = platform::ui::CaptureScreen(wxRect(0, 0, 1280, 1024));
                      const fs::path pictures = TESSARIN_TEST_OUTPUT_DIR;
                      fs::create_directories(pictures);
                      EXPECT_TRUE(picture.IsOk());
                      if (picture.IsOk())
                          picture.SaveFile((pictures / "file-dialog-save.png").string(), wxBITMAP_TYPE_PNG);
                      dialog->SetDirectory(folder.string());
                      dialog->SetFilename("existing");
                      return;
                  }
                  if (ticks > 15)
                      dialog->EndModal(wxID_OK);
              });
    poll.Start(100);
    wxTimer guard;
    guard.Bind(wxEVT_TIMER,
               [&](wxTimerEvent&)
               {
                   if (shown.m_dialog)
                       shown.m_dialog->EndModal(wxID_CANCEL);
               });
    guard.StartOnce(15000);
    const std::string path = AskSaveFileName("Text files", "txt");
    poll.Stop();
    guard.Stop();
    EXPECT_TRUE(pictured);
    // The bare name gets the extension; the existing file is neither asked about nor touched.
    EXPECT_EQ(fs::path(path).filename(), "existing.txt") << path;
    std::ifstream in(folder / "existing.txt");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "kept");
}

// Answers the result folder dialog through its own controls.
class ResultFolderAnswer : public wxModalDialogHook
{
public:
    explicit ResultFolderAnswer(std::function<bool(CResultFolderDlg&)> fill) : m_fill(std::move(fill))
    {
        Register();
    }
    ~ResultFolderAnswer() override { Unregister(); }
    int Enter(wxDialog* dialog) override
    {
        auto* folder = dynamic_cast<CResultFolderDlg*>(dialog);
        if (!folder)
            return wxID_NONE;
        ++m_shown;
        folder->TransferDataToWindow();
        m_nameAtStart = dynamic_cast<wxTextCtrl*>(folder->FindWindow(CResultFolderDlg::kIdName))
                            ->GetValue()
                            .utf8_string();
        if (!m_fill(*folder))
            return wxID_CANCEL;
        folder->TransferDataFromWindow();
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
    int m_shown = 0;
    std::string m_nameAtStart = "(not shown)";

private:
    std::function<bool(CResultFolderDlg&)> m_fill;
};

void Click(wxWindow& dialog, int id)
{
    wxWindow* button = dialog.FindWindow(id);
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

void Type(wxWindow& dialog, const std::string& text)
{
    dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CResultFolderDlg::kIdName))
        ->ChangeValue(wxString::FromUTF8(text));
}

TEST_F(FilePrompts, ResultFolderIsMadeFromAPresetButtonOrATypedNameOfSeveralLevels)
{
    const fs::path base = m_home.Root() / "Reports";
    fs::create_directories(base);
    {
        ResultFolderAnswer answer(
            [](CResultFolderDlg& dialog)
            {
                Click(dialog, CResultFolderDlg::kButtonIds[2]);
                return true;
            });
        const std::string path = AskResultFolder("Folder to store the report", base.string());
        EXPECT_EQ(answer.m_nameAtStart, "");
        EXPECT_EQ(path, (base / "3").string());
        EXPECT_TRUE(fs::is_directory(base / "3"));
    }
    // Both separators make levels; an existing folder is reused.
    for (const std::string typed : {"a\\b", "a/c", "3"})
    {
        ResultFolderAnswer answer(
            [&](CResultFolderDlg& dialog)
            {
                Type(dialog, typed);
                return true;
            });
        const std::string path = AskResultFolder("Folder to store the report", base.string());
        std::string slashes = typed;
        std::replace(slashes.begin(), slashes.end(), '\\', '/');
        EXPECT_EQ(path, base.string() + "/" + slashes);
        EXPECT_TRUE(fs::is_directory(path)) << path;
    }
    EXPECT_TRUE(fs::is_directory(base / "a" / "b"));
    EXPECT_TRUE(fs::is_directory(base / "a" / "c"));
}

TEST_F(FilePrompts, ResultFolderCancelAndAFailureGiveAnEmptyPathAndMakeNothing)
{
    const fs::path base = m_home.Root() / "Reports";
    fs::create_directories(base);
    {
        ResultFolderAnswer answer(
            [](CResultFolderDlg& dialog)
            {
                Type(dialog, "never");
                return false;
            });
        EXPECT_EQ(AskResultFolder("", base.string()), "");
        EXPECT_EQ(answer.m_shown, 1);
        EXPECT_FALSE(fs::exists(base / "never"));
    }
    // A file where a level should be: nothing can be made there.
    std::ofstream(base / "taken") << "x";
    ResultFolderAnswer answer(
        [](CResultFolderDlg& dialog)
        {
            Type(dialog, "taken\\inner");
            return true;
        });
    EXPECT_EQ(AskResultFolder("", base.string()), "");
    EXPECT_TRUE(fs::is_regular_file(base / "taken"));
}

}  // namespace
