#include "app/PreferencesDlg.h"

#include <wx/checkbox.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

CPreferencesDlg::CPreferencesDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Preferences")
{
    const wxString choices[] = {"default settings", "last state", "last saved", "file"};
    m_pStartup = new wxRadioBox(this, kIdStartup, "At startup load:", wxDefaultPosition, wxDefaultSize, 4,
                                choices, 1, wxRA_SPECIFY_COLS);
    m_pFile = new wxTextCtrl(this, kIdFile, wxEmptyString, wxDefaultPosition, wxSize(260, -1));
    m_pDisableCursor = new wxCheckBox(this, kIdDisableCursor, "disable cursor");
    m_pDisableMeter = new wxCheckBox(this, kIdDisableMeter, "disable meter");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pStartup, 0, wxEXPAND | wxALL, 10);
    sizer->Add(m_pFile, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    sizer->Add(m_pDisableCursor, 0, wxALL, 10);
    sizer->Add(m_pDisableMeter, 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CPreferencesDlg::TransferDataToWindow()
{
    m_pStartup->SetSelection(m_nStartup >= 0 && m_nStartup < 4 ? m_nStartup : 0);
    m_pFile->ChangeValue(wxString::FromUTF8(m_strFile));
    m_pDisableCursor->SetValue(m_bDisableCursor != 0);
    m_pDisableMeter->SetValue(m_bDisableMeter != 0);
    return true;
}

bool CPreferencesDlg::TransferDataFromWindow()
{
    m_nStartup = m_pStartup->GetSelection();
    m_strFile = m_pFile->GetValue().utf8_string();
    m_bDisableCursor = m_pDisableCursor->GetValue() ? 1 : 0;
    m_bDisableMeter = m_pDisableMeter->GetValue() ? 1 : 0;
    return true;
}
