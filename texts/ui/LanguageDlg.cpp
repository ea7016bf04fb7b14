#include "texts/ui/LanguageDlg.h"

#include "texts/TextTable.h"

#include <wx/button.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>

namespace
{
constexpr int kTextCancel = 1000112;
}

CLanguageDlg::CLanguageDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Language - Sprache")
{
    const wxString names[] = {"English", "Deutsch", "Italiano", wxString::FromUTF8("Español"),
                              wxString::FromUTF8("Français")};
    m_pLanguages = new wxRadioBox(this, kIdLanguages, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                  LANGUAGE_COUNT, names, 1, wxRA_SPECIFY_COLS);
    auto* buttons = new wxStdDialogButtonSizer;
    buttons->AddButton(new wxButton(this, wxID_OK, "OK"));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, wxString::FromUTF8(GetText(kTextCancel))));
    buttons->Realize();
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pLanguages, 0, wxEXPAND | wxALL, 10);
    sizer->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CLanguageDlg::TransferDataToWindow()
{
    // No language chosen yet (or an unknown code): the first.
    m_pLanguages->SetSelection(m_nLanguage >= 0 && m_nLanguage < LANGUAGE_COUNT ? m_nLanguage : 0);
    return true;
}

bool CLanguageDlg::TransferDataFromWindow()
{
    m_nLanguage = m_pLanguages->GetSelection();
    return true;
}
