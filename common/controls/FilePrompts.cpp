#include "common/controls/FilePrompts.h"

#include "common/ShellHelpers.h"
#include "common/controls/FolderBrowser.h"
#include "common/controls/ResultFolderDlg.h"
#include "platform/Debug.h"
#include "platform/ui/MessageBoxService.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace
{

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The patterns of an extension in both cases (GTK compares patterns with case).
std::string Patterns(const std::string& extension)
{
    const std::string lower = "*." + Lower(extension);
    const std::string upper = "*." + Upper(extension);
    return lower == upper ? lower : lower + ";" + upper;
}

std::string Ask(bool save, const std::string& wildcard, const std::string& extension)
{
    platform::ui::FileDialogRequest request;
    request.save = save;
    request.wildcard = wildcard;
    const std::string path = platform::ui::ShowFileDialog(request);
    if (path.empty() || extension.empty())
        return path;
    return AddExtension(path, "." + extension);
}

}  // namespace

std::string FilePromptWildcard(const std::string& description, const std::string& extension)
{
    return description + " (*." + extension + ")|" + Patterns(extension);
}

std::string AskOpenFileName(const std::string& description, const std::string& extension)
{
    return Ask(false, FilePromptWildcard(description, extension), extension);
}

std::string AskSaveFileName(const std::string& description, const std::string& extension)
{
    return Ask(true, FilePromptWildcard(description, extension), extension);
}

std::string AskOpenAudioFileName()
{
    return Ask(false, FilePromptWildcard("Wave Files", "wav") + "|" + FilePromptWildcard("MP3 Files", "mp3"),
               "wav");
}

std::string BrowseForFolder(const std::string& title, const std::string& initialFolder, unsigned flags)
{
    CFolderBrowser browser(initialFolder);
    browser.m_nFlags = flags | 0x40;
    browser.m_strTitle = title;
    if (browser.DoModal() == CFolderBrowser::kIdCancel)
        return {};
    return browser.GetFolder();
}

std::string AskResultFolder(const std::string& /*prompt*/, const std::string& baseFolder)
{
    std::string name;
    {
        CResultFolderDlg dialog(nullptr);
        dialog.m_strName.clear();
        if (dialog.ShowModal() != wxID_OK)
            return {};
        name = dialog.m_strName;
    }
    const std::string path = baseFolder + "/" + ToSlashPath(name);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path), error);
    if (!std::filesystem::is_directory(std::filesystem::path(path), error))
    {
        platform::DebugOutput("result folder \"%s\" could not be created: %s", path.c_str(),
                              error.message().c_str());
        return {};
    }
    return path;
}
