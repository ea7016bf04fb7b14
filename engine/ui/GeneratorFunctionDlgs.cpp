#include "engine/ui/GeneratorFunctionDlgs.h"

#include "engine/ui/GeneratorToolRules.h"
#include "texts/TextTable.h"

#include <cfloat>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{

wxString Text(int id)
{
    return wxString::FromUTF8(GetText(id));
}

wxCheckBox* AddCheck(wxWindow* body, const wxString& label)
{
    auto* check = new wxCheckBox(body, wxID_ANY, label);
    body->GetSizer()->Add(check, 0, wxALIGN_CENTER_VERTICAL);
    body->GetSizer()->AddSpacer(0);
    return check;
}

wxChoice* AddUnits(wxWindow* body)
{
    wxArrayString units;
    for (const char* unit : generator_tools::kBurstUnits)
        units.Add(unit);
    auto* choice = new wxChoice(body, wxID_ANY, wxDefaultPosition, wxDefaultSize, units);
    choice->SetStringSelection("s");
    return choice;
}

}  // namespace

// --- amplitude modulation

CAmplitudeModulationDlg::CAmplitudeModulationDlg(wxWindow* parent)
    : CGeneratorDialogBase(parent, Text(1000214))
{
    m_pOn = AddCheck(m_pBody, Text(1000204));
    m_pFrequency = AddNumber(Text(1000190) + " [Hz]", &m_dFrequency, -DBL_MAX, DBL_MAX, "%g");
    m_pIndex = AddNumber(Text(1000223) + " [0...1]", &m_dIndex, 0.0, 1.0, "%g");
    Finish();
}

void CAmplitudeModulationDlg::ToWindow()
{
    m_pOn->SetValue(m_bOn != 0);
}

bool CAmplitudeModulationDlg::FromWindow()
{
    m_bOn = m_pOn->GetValue() ? 1 : 0;
    return true;
}

// --- frequency modulation

CFrequencyModulationDlg::CFrequencyModulationDlg(wxWindow* parent)
    : CGeneratorDialogBase(parent, Text(1000215))
{
    m_pShift = AddNumber(Text(1000224) + " [Hz]", &m_dShift, -DBL_MAX, DBL_MAX, "%g");
    m_pOn = AddCheck(m_pBody, Text(1000204));
    Finish();
}

void CFrequencyModulationDlg::ToWindow()
{
    m_pOn->SetValue(m_bOn != 0);
}

bool CFrequencyModulationDlg::FromWindow()
{
    m_bOn = m_pOn->GetValue() ? 1 : 0;
    return true;
}

// --- DC offset

CDcOffsetDlg::CDcOffsetDlg(wxWindow* parent) : CGeneratorDialogBase(parent, Text(1000232))
{
    m_pOffset = AddNumber(Text(1000232), &m_dOffset, -kLimit, kLimit, "%g");
    m_pBody->GetSizer()->AddSpacer(0);
    m_pBody->GetSizer()->Add(new wxStaticText(m_pBody, 733, "1.0 " + Text(1000217)));
    Finish();
}

// --- frequency entry

CSelectFrequencyDlg::CSelectFrequencyDlg(wxWindow* parent) : CGeneratorDialogBase(parent, Text(1000030))
{
    m_pFrequency = AddNumber(Text(1000030) + " [Hz]", &m_dFrequency, 0.0, kMaxFrequency, "%g");
    Finish();
}

// --- burst

CBurstDlg::CBurstDlg(wxWindow* parent) : CGeneratorDialogBase(parent, Text(1000210))
{
    // Rows: label, time, unit, level.
    auto* grid = new wxFlexGridSizer(4, wxSize(8, 6));
    m_pBody->SetSizer(grid);
    grid->AddSpacer(0);
    grid->AddSpacer(0);
    grid->AddSpacer(0);
    grid->Add(new wxStaticText(m_pBody, 737, Text(1000026)));
    const auto addRow = [&](int labelId, const wxString& label, double* time, wxTextCtrl*& timeEdit,
                            wxChoice*& unit, double* level, wxTextCtrl*& levelEdit)
    {
        grid->Add(new wxStaticText(m_pBody, labelId, label), 0, wxALIGN_CENTER_VERTICAL);
        timeEdit = new wxTextCtrl(m_pBody, wxID_ANY);
        grid->Add(timeEdit, 1, wxEXPAND);
        m_numbers.Add(timeEdit, time, 0.0, DBL_MAX, "%g");
        unit = AddUnits(m_pBody);
        grid->Add(unit);
        levelEdit = new wxTextCtrl(m_pBody, wxID_ANY);
        grid->Add(levelEdit, 1, wxEXPAND);
        m_numbers.Add(levelEdit, level, -DBL_MAX, DBL_MAX, "%g");
    };
    addRow(735, Text(1000211), &m_dOnTime, m_pOnTime, m_pOnUnit, &m_dOnLevel, m_pOnLevel);
    addRow(736, Text(1000212), &m_dOffTime, m_pOffTime, m_pOffUnit, &m_dOffLevel, m_pOffLevel);
    for (wxCheckBox** check : {&m_pZeroPhase, &m_pModulate, &m_pOn})
    {
        const int id = check == &m_pZeroPhase ? 1000213 : check == &m_pModulate ? 1000214 : 1000204;
        *check = new wxCheckBox(m_pBody, wxID_ANY, Text(id));
        grid->Add(*check, 0, wxALIGN_CENTER_VERTICAL);
        for (int i = 0; i < 3; ++i)
            grid->AddSpacer(0);
    }
    Finish();
}

void CBurstDlg::ToWindow()
{
    const int units = static_cast<int>(generator_tools::kBurstUnits.size());
    if (m_nOnUnit >= 0 && m_nOnUnit < units)
        m_pOnUnit->SetSelection(m_nOnUnit);
    if (m_nOffUnit >= 0 && m_nOffUnit < units)
        m_pOffUnit->SetSelection(m_nOffUnit);
    m_pZeroPhase->SetValue(m_bZeroPhase != 0);
    m_pModulate->SetValue(m_bModulate != 0);
    m_pOn->SetValue(m_bOn != 0);
}

bool CBurstDlg::FromWindow()
{
    m_nOnUnit = m_pOnUnit->GetSelection();
    m_nOffUnit = m_pOffUnit->GetSelection();
    m_bZeroPhase = m_pZeroPhase->GetValue() ? 1 : 0;
    m_bModulate = m_pModulate->GetValue() ? 1 : 0;
    m_bOn = m_pOn->GetValue() ? 1 : 0;
    return true;
}

// --- distortion

CDistortionDlg::CDistortionDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, Text(1000052), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pOn = new wxCheckBox(this, 434, Text(1000204));
    m_pAmount = new wxSlider(this, 565, 0, 0, 100, wxDefaultPosition, wxSize(240, -1),
                             wxSL_HORIZONTAL | wxSL_AUTOTICKS);
    m_pAmount->SetTickFreq(10);
    sizer->Add(m_pOn, 0, wxALL, 10);
    sizer->Add(m_pAmount, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
    m_pOn->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { Changed(); });
    m_pAmount->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) { Changed(); });
}

void CDistortionDlg::Preset(int on, int position)
{
    m_pOn->SetValue(on != 0);
    m_pAmount->SetValue(position);
}

void CDistortionDlg::Changed()
{
    if (m_notify)
        m_notify(m_pOn->GetValue() ? 1 : 0, m_pAmount->GetValue());
}
