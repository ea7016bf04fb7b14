#include "app/PageSetupDlg.h"

#include "texts/TextTable.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{
constexpr int kTextCaption = 1000133;
constexpr int kTextPrintAnnotations = 1000134;
constexpr int kTextWindowTitle = 1000135;
constexpr int kTextAnnotation = 1000136;
constexpr int kTextCancel = 1000112;
constexpr int kIdWindowTitleLabel = 706;
constexpr int kIdAnnotationLabel = 705;

wxString Text(int id)
{
    return wxString::FromUTF8(GetText(id));
}
}  // namespace

CPageSetupDlg::CPageSetupDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, Text(kTextCaption))
{
    m_pPrintAnnotations = new wxCheckBox(this, kIdPrintAnnotations, Text(kTextPrintAnnotations));
    m_pAnnotation = new wxTextCtrl(this, kIdAnnotation, wxEmptyString, wxDefaultPosition, wxSize(320, 90),
                                   wxTE_MULTILINE);
    m_pWindowTitle = new wxTextCtrl(this, kIdWindowTitle, wxEmptyString, wxDefaultPosition, wxSize(320, -1));
    auto* buttons = new wxStdDialogButtonSizer;
    buttons->AddButton(new wxButton(this, wxID_OK, "OK"));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, Text(kTextCancel)));
    buttons->Realize();
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pPrintAnnotations, 0, wxALL, 10);
    sizer->Add(new wxStaticText(this, kIdAnnotationLabel, Text(kTextAnnotation)), 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(m_pAnnotation, 1, wxEXPAND | wxALL, 10);
    sizer->Add(new wxStaticText(this, kIdWindowTitleLabel, Text(kTextWindowTitle)), 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(m_pWindowTitle, 0, wxEXPAND | wxALL, 10);
    sizer->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CPageSetupDlg::TransferDataToWindow()
{
    m_pPrintAnnotations->SetValue(m_bPrintAnnotations != 0);
    m_pAnnotation->ChangeValue(wxString::FromUTF8(m_strAnnotation));
    m_pWindowTitle->ChangeValue(wxString::FromUTF8(m_strWindowTitle));
    return true;
}

bool CPageSetupDlg::TransferDataFromWindow()
{
    m_bPrintAnnotations = m_pPrintAnnotations->GetValue() ? 1 : 0;
    m_strAnnotation = m_pAnnotation->GetValue().utf8_string();
    m_strWindowTitle = m_pWindowTitle->GetValue().utf8_string();
    return true;
}
