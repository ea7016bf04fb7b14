#include "common/controls/ResultFolderDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

CResultFolderDlg::CResultFolderDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Ergebnisse")
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, "Name"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    m_pName = new wxTextCtrl(this, kIdName, wxEmptyString, wxDefaultPosition, wxSize(220, -1));
    row->Add(m_pName, 1, wxEXPAND);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    for (std::size_t i = 0; i < m_names.size(); ++i)
    {
        auto* button = new wxButton(this, kButtonIds[i], wxString::Format("%zu", i + 1), wxDefaultPosition,
                                    wxSize(40, -1));
        button->Bind(wxEVT_BUTTON,
                     [this, i](wxCommandEvent&) { m_pName->ChangeValue(wxString::FromUTF8(m_names[i])); });
        buttons->Add(button, 0, wxRIGHT, 4);
    }
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(row, 0, wxEXPAND | wxALL, 10);
    sizer->Add(buttons, 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CResultFolderDlg::TransferDataToWindow()
{
    m_pName->ChangeValue(wxString::FromUTF8(m_strName));
    return true;
}

bool CResultFolderDlg::TransferDataFromWindow()
{
    m_strName = m_pName->GetValue().utf8_string();
    return true;
}
