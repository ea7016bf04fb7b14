#include "view/ui/ImpedanceDlg.h"

#include "view/ui/DialogFields.h"

#include <wx/sizer.h>
#include <wx/textctrl.h>

using namespace dialog_fields;

CImpedanceDlg::CImpedanceDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, WxText("impedance"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pResistor = AddEdit(this, grid, kIdResistor, WxText("measurement resistor") + " [Ohm]");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CImpedanceDlg::TransferDataToWindow()
{
    SetNumber(m_pResistor, m_dResistor);
    return true;
}

bool CImpedanceDlg::TransferDataFromWindow()
{
    return ReadNumber(m_pResistor, Text("measurement resistor"), 0.1, 100000.0, m_dResistor);
}
