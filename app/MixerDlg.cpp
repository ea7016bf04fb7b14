#include "app/MixerDlg.h"

#include "app/AnalyzerApp.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cerrno>
#include <cstdlib>

namespace
{

// The whole text as a number (C locale digits, blanks around allowed).
bool ParseDouble(const wxString& text, double& value)
{
    const std::string s = text.Strip(wxString::both).utf8_string();
    if (s.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(s.c_str(), &end);
    if (errno != 0 || end != s.c_str() + s.size())
        return false;
    value = parsed;
    return true;
}

bool ParseInt(const wxString& text, int& value)
{
    long parsed = 0;
    if (!text.Strip(wxString::both).ToLong(&parsed) || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

void Refuse(wxTextCtrl* field, const char* text)
{
    if (CAnalyzerApp* app = CAnalyzerApp::Get())
        app->DoMessageBox(text, wxOK | wxICON_EXCLAMATION);
    field->SetFocus();
    field->SelectAll();
}

}  // namespace

CMixerDlg::CMixerDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Mixer")
{
    auto* grid = new wxFlexGridSizer(3, wxSize(8, 6));
    const auto label = [&](const char* text)
    { grid->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(text)), 0, wxALIGN_CENTER_VERTICAL); };
    label("Gerätenummer");
    m_pDeviceNumber = new wxTextCtrl(this, kIdDeviceNumber);
    grid->Add(m_pDeviceNumber, 0, wxEXPAND);
    grid->AddSpacer(0);
    label("Gerätename");
    m_pDeviceName = new wxTextCtrl(this, kIdDeviceName, wxEmptyString, wxDefaultPosition, wxSize(180, -1));
    grid->Add(m_pDeviceName, 0, wxEXPAND);
    grid->AddSpacer(0);
    label("Pegel");
    m_pLevel = new wxTextCtrl(this, kIdLevel);
    grid->Add(m_pLevel, 0, wxEXPAND);
    label("-1 ... 100");
    grid->AddGrowableCol(1);

    auto* checks = new wxBoxSizer(wxHORIZONTAL);
    m_pSave = new wxCheckBox(this, kIdSave, "Speichern");
    m_pAgc = new wxCheckBox(this, kIdAgc, "AGC  / Boost");
    m_pMute = new wxCheckBox(this, kIdMute, "Mute");
    for (wxCheckBox* box : {m_pSave, m_pAgc, m_pMute})
        checks->Add(box, 0, wxRIGHT, 12);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxEXPAND | wxALL, 10);
    sizer->Add(checks, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CMixerDlg::TransferDataToWindow()
{
    m_pDeviceNumber->ChangeValue(wxString::Format("%i", m_nDeviceNumber));
    m_pDeviceName->ChangeValue(wxString::FromUTF8(m_strDeviceName));
    m_pLevel->ChangeValue(wxString::FromCDouble(m_dLevel));
    m_pSave->SetValue(m_bSave != 0);
    m_pAgc->SetValue(m_bAgc != 0);
    m_pMute->SetValue(m_bMute != 0);
    return true;
}

bool CMixerDlg::TransferDataFromWindow()
{
    int number = 0;
    double level = 0.0;
    if (!ParseInt(m_pDeviceNumber->GetValue(), number))
    {
        Refuse(m_pDeviceNumber, "Please enter an integer.");
        return false;
    }
    if (!ParseDouble(m_pLevel->GetValue(), level))
    {
        Refuse(m_pLevel, "Please enter a number.");
        return false;
    }
    m_nDeviceNumber = number;
    m_strDeviceName = m_pDeviceName->GetValue().utf8_string();
    m_dLevel = level;
    m_bSave = m_pSave->GetValue() ? 1 : 0;
    m_bAgc = m_pAgc->GetValue() ? 1 : 0;
    m_bMute = m_pMute->GetValue() ? 1 : 0;
    return true;
}
