#include "common/controls/FolderBrowser.h"

#include <wx/dialog.h>
#include <wx/dirctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <filesystem>
#include <system_error>

namespace
{

// The byte length of the first `count` characters of UTF-8 text (a cut never splits a character).
std::size_t Utf8Prefix(const std::string& text, std::size_t count)
{
    std::size_t bytes = 0;
    std::size_t chars = 0;
    while (bytes < text.size() && chars < count)
    {
        ++bytes;
        while (bytes < text.size() && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80)
            ++bytes;
        ++chars;
    }
    return bytes;
}

}  // namespace

CFolderBrowser::CFolderBrowser(const std::string& initialFolder, unsigned flags, wxWindow* owner)
    : m_nFlags(flags), m_strInitialFolder(initialFolder), m_pOwner(owner)
{
}

CFolderBrowser::~CFolderBrowser() = default;

std::string CFolderBrowser::ShortenPath(const std::string& path)
{
    const std::size_t prefix = Utf8Prefix(path, kStatusChars);
    if (prefix >= path.size())
        return path;
    return path.substr(0, prefix) + "...";
}

int CFolderBrowser::DoModal()
{
    m_strFolder = m_strInitialFolder;
    wxDialog dialog(m_pOwner, wxID_ANY, wxString::FromUTF8(m_strTitle), wxDefaultPosition, wxSize(420, 460),
                    wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pStatus =
        new wxStaticText(&dialog, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE);
    m_pTree = new wxGenericDirCtrl(&dialog, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                   wxDIRCTRL_DIR_ONLY | wxDIRCTRL_3D_INTERNAL);
    sizer->Add(m_pStatus, 0, wxEXPAND | wxALL, 8);
    sizer->Add(m_pTree, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
    sizer->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
    dialog.SetSizer(sizer);
    m_pDialog = &dialog;
    m_pTree->Bind(wxEVT_DIRCTRL_SELECTIONCHANGED,
                  [this](wxTreeEvent&)
                  {
                      if (m_pTree)
                          OnSelChanged(std::string(m_pTree->GetPath().utf8_str()));
                  });
    OnInitialized();

    const int answer = dialog.ShowModal();
    const std::string chosen = answer == wxID_OK ? std::string(m_pTree->GetPath().utf8_str()) : std::string();
    m_pDialog = nullptr;
    m_pTree = nullptr;
    m_pStatus = nullptr;

    std::error_code error;
    if (answer != wxID_OK || chosen.empty() || !std::filesystem::is_directory(chosen, error))
        return kIdCancel;
    m_strFolder = chosen;
    return kIdOk;
}

void CFolderBrowser::SetSelection(const std::string& folder)
{
    if (m_pTree && !folder.empty())
        m_pTree->SetPath(wxString::FromUTF8(folder));
}

void CFolderBrowser::SetStatusText(const std::string& text)
{
    if (m_pStatus)
        m_pStatus->SetLabel(wxString::FromUTF8(text));
}

std::string CFolderBrowser::GetStatusText() const
{
    return m_pStatus ? std::string(m_pStatus->GetLabel().utf8_str()) : std::string();
}

void CFolderBrowser::OnInitialized()
{
    SetSelection(m_strInitialFolder);
    SetStatusText(ShortenPath(m_strInitialFolder));
}

void CFolderBrowser::OnSelChanged(const std::string& path)
{
    m_strFolder = path;
    SetStatusText(ShortenPath(m_strFolder));
}
