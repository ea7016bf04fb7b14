#include "view/ui/SelectOverlayDlg.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "display/settings/ViewSettings.h"
#include "display/ui/DialogEntries.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextSelection = 1000342;
constexpr int kTextStoreTo = 1000343;  // "store %s to %s"
constexpr int kTextSelect = 1000344;   // "select %s"
constexpr int kTextSecond = 1000345;
constexpr int kTextUseConstant = 1000346;
constexpr int kTextOperation = 1000347;
constexpr int kTextData = 1000348;
constexpr int kTextCurve = 1000245;
constexpr int kTextOverlay = 1000336;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

wxChoice* AddList(wxWindow* parent, wxSizer* grid, int id, const std::string& label,
                  const std::vector<std::string>& items)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, Wx(label)), 0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
    wxArrayString texts;
    for (const std::string& item : items)
        texts.Add(Wx(item));
    auto* list = new wxChoice(parent, id, wxDefaultPosition, wxSize(200, -1), texts);
    grid->Add(list, 0, wxEXPAND | wxALL, 4);
    return list;
}

void SelectIndex(wxChoice* list, int index)
{
    list->SetSelection(index >= 0 && index < static_cast<int>(list->GetCount()) ? index : wxNOT_FOUND);
}

}  // namespace

CSelectOverlayDlg::CSelectOverlayDlg(wxWindow* parent, const SelectOverlayValues& values)
    : wxDialog(parent, wxID_ANY, Wx(GetText(kTextSelection))), m_values(values)
{
    auto* grid = new wxFlexGridSizer(2);
    grid->AddGrowableCol(1);
    const std::string target = GetText(kTextOverlay) + " #";
    grid->Add(new wxStaticText(this, wxID_ANY,
                               Wx(platform::FormatC(GetText(kTextStoreTo).c_str(), GetText(kTextData).c_str(),
                                                    target.c_str()))),
              0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
    m_pOverlay = new wxSpinCtrl(this, kIdOverlay, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxSP_ARROW_KEYS, 1, CViewSettings::kOverlayCount, 1);
    grid->Add(m_pOverlay, 0, wxALL, 4);
    const std::string curve = GetText(kTextCurve);
    m_pCurve = AddList(this, grid, kIdCurve, platform::FormatC(GetText(kTextSelect).c_str(), curve.c_str()),
                       m_values.m_curves);
    const std::string second = GetText(kTextSecond) + " " + curve;
    m_pSecondCurve =
        AddList(this, grid, kIdSecondCurve, platform::FormatC(GetText(kTextSelect).c_str(), second.c_str()),
                m_values.m_secondCurves);
    m_pOperation = AddList(this, grid, kIdOperation, GetText(kTextOperation), m_values.m_operations);
    m_pUseConstant = new wxCheckBox(this, kIdUseConstant, Wx(GetText(kTextUseConstant)));
    grid->Add(m_pUseConstant, 0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
    m_pConstant = new wxTextCtrl(this, kIdConstant, wxEmptyString, wxDefaultPosition, wxSize(100, -1));
    grid->Add(m_pConstant, 0, wxALL, 4);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxEXPAND | wxALL, 8);
    AddOkCancelButtons(this, sizer);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CSelectOverlayDlg::TransferDataToWindow()
{
    m_pOverlay->SetValue(m_values.m_nOverlay);
    SelectIndex(m_pCurve, m_values.m_nCurve);
    SelectIndex(m_pSecondCurve, m_values.m_nSecondCurve);
    SelectIndex(m_pOperation, m_values.m_nOperation);
    m_pUseConstant->SetValue(m_values.m_bUseConstant != 0);
    m_pConstant->ChangeValue(Wx(platform::FormatC("%g", m_values.m_dConstant)));
    return true;
}

bool CSelectOverlayDlg::Validate()
{
    double constant = 0;
    return ReadDoubleEntry(m_pConstant, constant);
}

bool CSelectOverlayDlg::TransferDataFromWindow()
{
    double constant = 0;
    if (!ReadDoubleEntry(m_pConstant, constant))
        return false;
    m_values.m_nOverlay = m_pOverlay->GetValue();
    // A list without a selection (an empty list) keeps the preselection.
    if (m_pCurve->GetSelection() >= 0)
        m_values.m_nCurve = m_pCurve->GetSelection();
    if (m_pSecondCurve->GetSelection() >= 0)
        m_values.m_nSecondCurve = m_pSecondCurve->GetSelection();
    if (m_pOperation->GetSelection() >= 0)
        m_values.m_nOperation = m_pOperation->GetSelection();
    m_values.m_bUseConstant = m_pUseConstant->GetValue() ? 1 : 0;
    m_values.m_dConstant = constant;
    return true;
}
