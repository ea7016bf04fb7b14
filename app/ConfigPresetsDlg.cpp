#include "app/ConfigPresetsDlg.h"

#include "app/AnalyzerApp.h"
#include "common/RegistryValues.h"
#include "platform/Registry.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{
constexpr std::size_t kTextCharacters = 1024;
}

std::string CConfigPresetsDlg::PresetKey(int preset)
{
    return std::string(CAnalyzerApp::kConfigKey) + "\\Preset" + std::to_string(preset);
}

std::string CConfigPresetsDlg::ReadPresetValue(int preset, const char* valueName,
                                               const std::string& defaultText)
{
    const platform::RegistryKey key = platform::RegistryKey::Open(PresetKey(preset), true);
    if (!key)
        return defaultText;
    std::array<char, kTextCharacters> buffer{};
    ReadRegString(key, valueName, buffer, defaultText);
    return buffer.data();
}

CConfigPresetsDlg::CConfigPresetsDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Config Presets")
{
    // The rows as the registry holds them; missing keys are made now.
    for (int i = 1; i <= kPresetCount; ++i)
    {
        const auto row = static_cast<std::size_t>(i - 1);
        m_names[row] = ReadPresetValue(i, "name", "Preset " + std::to_string(i));
        m_files[row] = ReadPresetValue(i, "Filename", "");
    }

    wxFont font(wxFontInfo(9).FaceName("Arial"));
    auto* grid = new wxFlexGridSizer(4, wxSize(8, 4));
    for (const char* heading : {"ID", "Name", "File", ""})
        grid->Add(new wxStaticText(this, wxID_ANY, heading));
    for (int i = 1; i <= kPresetCount; ++i)
    {
        const auto row = static_cast<std::size_t>(i - 1);
        grid->Add(new wxStaticText(this, kIdNumberBase + i, wxString::Format("%2i", i)), 0,
                  wxALIGN_CENTER_VERTICAL);
        m_pNames[row] = new wxTextCtrl(this, kIdNameBase + i, wxString::FromUTF8(m_names[row]),
                                       wxDefaultPosition, wxSize(120, -1));
        m_pFiles[row] = new wxTextCtrl(this, kIdFileBase + i, wxString::FromUTF8(m_files[row]),
                                       wxDefaultPosition, wxSize(280, -1));
        m_pNames[row]->SetFont(font);
        m_pFiles[row]->SetFont(font);
        grid->Add(m_pNames[row], 0, wxEXPAND);
        grid->Add(m_pFiles[row], 0, wxEXPAND);
        auto* browse =
            new wxButton(this, kIdBrowseBase + i, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
        browse->SetToolTip("Browse");
        browse->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) { OnBrowse(i); });
        grid->Add(browse);
    }
    grid->AddGrowableCol(2);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* reset = new wxButton(this, kIdResetAll, "Reset all");
    reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ResetAll(); });
    buttons->Add(reset);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 8);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 1, wxEXPAND | wxALL, 10);
    sizer->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

void CConfigPresetsDlg::ResetAll()
{
    for (int i = 1; i <= kPresetCount; ++i)
    {
        const auto row = static_cast<std::size_t>(i - 1);
        m_pNames[row]->SetValue(wxString::Format("Empty %i", i));
        m_pFiles[row]->SetValue(wxEmptyString);
    }
}

void CConfigPresetsDlg::OnBrowse(int preset)
{
    wxFileDialog dialog(this, "Open", wxEmptyString, wxEmptyString,
                        "Tessarin Settings (*.wst)|*.wst|Tessarin Settings (*.ini)|*.ini", wxFD_OPEN);
    if (dialog.ShowModal() == wxID_OK)
        m_pFiles[static_cast<std::size_t>(preset - 1)]->SetValue(dialog.GetPath());
}

bool CConfigPresetsDlg::TransferDataFromWindow()
{
    for (std::size_t row = 0; row < kPresetCount; ++row)
    {
        m_names[row] = m_pNames[row]->GetValue().utf8_string();
        m_files[row] = m_pFiles[row]->GetValue().utf8_string();
    }
    // OK writes the registry; Cancel never gets here.
    WriteRegistry();
    return true;
}

void CConfigPresetsDlg::WriteRegistry() const
{
    for (int i = 1; i <= kPresetCount; ++i)
    {
        const auto row = static_cast<std::size_t>(i - 1);
        const platform::RegistryKey key = platform::RegistryKey::Open(PresetKey(i), true);
        bool written = key && WriteRegString(key, "name", m_names[row]) == 0 &&
                       WriteRegString(key, "Filename", m_files[row]) == 0;
        if (!written)
        {
            if (CAnalyzerApp* app = CAnalyzerApp::Get())
                app->DoMessageBox("The preset " + std::to_string(i) + " could not be saved.",
                                  wxOK | wxICON_EXCLAMATION);
            return;
        }
    }
}
