#include "view/ui/RiaaFilterDlg.h"

#include "texts/TextTable.h"

#include <wx/checkbox.h>
#include <wx/sizer.h>

namespace
{

wxString Label(const char* english)
{
    const int id = FindTextId(english, -1, -1, LANGUAGE_ENGLISH);
    const std::string text = id >= 0 ? GetText(id) : std::string();
    return wxString::FromUTF8(text.empty() ? std::string(english) : text);
}

}  // namespace

CRiaaFilterDlg::CRiaaFilterDlg(wxWindow* parent, int enable, int inverse)
    : wxDialog(parent, wxID_ANY, "RIAA"), m_bEnable(enable), m_bInverse(inverse)
{
    m_pEnable = new wxCheckBox(this, kIdEnable, Label("enable"));
    m_pInverse = new wxCheckBox(this, kIdInverse, "Inverse RIAA");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pEnable, 0, wxALL, 10);
    sizer->Add(m_pInverse, 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
    if (wxWindow* cancel = FindWindow(wxID_CANCEL))
        cancel->SetLabel(Label("Cancel"));
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CRiaaFilterDlg::TransferDataToWindow()
{
    m_pEnable->SetValue(m_bEnable != 0);
    m_pInverse->SetValue(m_bInverse != 0);
    return true;
}

bool CRiaaFilterDlg::TransferDataFromWindow()
{
    m_bEnable = m_pEnable->GetValue() ? 1 : 0;
    m_bInverse = m_pInverse->GetValue() ? 1 : 0;
    return true;
}
