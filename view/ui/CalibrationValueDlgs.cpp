#include "view/ui/CalibrationValueDlgs.h"

#include "view/ui/DialogFields.h"

#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace dialog_fields;

CValueRowsDlg::CValueRowsDlg(wxWindow* parent, int templateId, int rows,
                             const std::vector<std::array<int, 3>>& ids)
    : wxDialog(parent, templateId, WxText("Calibration")), m_ids(ids.begin(), ids.begin() + rows)
{
}

void CValueRowsDlg::Build()
{
    if (m_bBuilt)
        return;
    m_bBuilt = true;
    if (!m_strTitle.empty())
        SetTitle(wxString::FromUTF8(m_strTitle));
    auto* grid = new wxFlexGridSizer(3, 6, 8);
    for (std::size_t i = 0; i < m_ids.size(); ++i)
    {
        const CalibrationValueRow& row = Row(static_cast<int>(i));
        grid->Add(new wxStaticText(this, m_ids[i][0], wxString::FromUTF8(row.label)), 0,
                  wxALIGN_CENTER_VERTICAL);
        auto* edit = new wxTextCtrl(this, m_ids[i][1], wxEmptyString, wxDefaultPosition, wxSize(110, -1));
        grid->Add(edit);
        grid->Add(new wxStaticText(this, m_ids[i][2], wxString::FromUTF8(row.unit)), 0,
                  wxALIGN_CENTER_VERTICAL);
        m_edits.push_back(edit);
    }
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

int CValueRowsDlg::ShowModal()
{
    Build();
    return wxDialog::ShowModal();
}

bool CValueRowsDlg::TransferDataToWindow()
{
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        SetNumber(m_edits[i], Row(static_cast<int>(i)).value);
    return true;
}

bool CValueRowsDlg::TransferDataFromWindow()
{
    std::vector<double> values(m_edits.size());
    for (std::size_t i = 0; i < m_edits.size(); ++i)
    {
        const CalibrationValueRow& row = Row(static_cast<int>(i));
        if (!ReadNumber(m_edits[i], row.label, row.minimum, row.maximum, values[i]))
            return false;
    }
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        Row(static_cast<int>(i)).value = values[i];
    return true;
}

CTrackingLevelCalibrationDlg::CTrackingLevelCalibrationDlg(wxWindow* parent)
    : CValueRowsDlg(parent, 632, 1, {{kIdLabel, kIdValue, kIdUnit}})
{
    // A check box of the template that no caller shows.
    (new wxCheckBox(this, kIdHidden, wxEmptyString))->Hide();
}

CTwoValueDlg::CTwoValueDlg(wxWindow* parent)
    : CValueRowsDlg(parent, 789, 2, {{602, kIdFirstValue, 611}, {605, kIdSecondValue, 615}})
{
}

CQuickCalibrationDlg::CQuickCalibrationDlg(wxWindow* parent) : wxDialog(parent, 97, WxText("Calibration"))
{
    auto* grid = new wxFlexGridSizer(3, 6, 8);
    grid->Add(new wxStaticText(this, 728, WxText("Reference level")), 0, wxALIGN_CENTER_VERTICAL);
    m_pReference = new wxTextCtrl(this, kIdReference, wxEmptyString, wxDefaultPosition, wxSize(110, -1));
    grid->Add(m_pReference);
    grid->Add(new wxStaticText(this, wxID_ANY, "dB"), 0, wxALIGN_CENTER_VERTICAL);
    m_pSave = new wxCheckBox(this, kIdSave, WxText("save"));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    sizer->Add(m_pSave, 0, wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);
}

bool CQuickCalibrationDlg::TransferDataToWindow()
{
    SetNumber(m_pReference, m_dReferenceLevel);
    m_pSave->SetValue(m_bSave != 0);
    return true;
}

bool CQuickCalibrationDlg::TransferDataFromWindow()
{
    if (!ReadAnyNumber(m_pReference, Text("Reference level"), m_dReferenceLevel))
        return false;
    m_bSave = m_pSave->GetValue() ? 1 : 0;
    return true;
}
