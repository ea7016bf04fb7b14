#include "view/ui/SelectDspOperationDlg.h"

#include "view/ui/DialogFields.h"

#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

using namespace dialog_fields;

namespace
{

void Fill(wxChoice* list, const std::vector<std::string>& names, int selected)
{
    list->Clear();
    for (const std::string& name : names)
        list->Append(wxString::FromUTF8(name));
    list->SetSelection(selected >= 0 && selected < static_cast<int>(names.size()) ? selected : wxNOT_FOUND);
}

void Take(const wxChoice* list, int& value)
{
    if (list->GetSelection() != wxNOT_FOUND)
        value = list->GetSelection();
}

}  // namespace

CSelectDspOperationDlg::CSelectDspOperationDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "DSP")
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    const int ids[] = {kIdSource1, kIdSource2, kIdTarget, kIdOperation};
    const char* labels[] = {"Source 1", "Source 2", "Target", "Operation"};
    for (std::size_t i = 0; i < m_lists.size(); ++i)
    {
        grid->Add(new wxStaticText(this, wxID_ANY, labels[i]), 0, wxALIGN_CENTER_VERTICAL);
        m_lists[i] = new wxChoice(this, ids[i], wxDefaultPosition, wxSize(180, -1));
        grid->Add(m_lists[i], 1, wxEXPAND);
    }
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CSelectDspOperationDlg::TransferDataToWindow()
{
    Fill(m_lists[0], m_curveNames, m_Operation.m_nSource1);
    Fill(m_lists[1], m_curveNames, m_Operation.m_nSource2);
    Fill(m_lists[2], m_curveNames, m_Operation.m_nTarget);
    Fill(m_lists[3], m_operationNames, m_Operation.m_nOperation);
    return true;
}

bool CSelectDspOperationDlg::TransferDataFromWindow()
{
    Take(m_lists[0], m_Operation.m_nSource1);
    Take(m_lists[1], m_Operation.m_nSource2);
    Take(m_lists[2], m_Operation.m_nTarget);
    Take(m_lists[3], m_Operation.m_nOperation);
    return true;
}
