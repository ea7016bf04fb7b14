#include "view/ui/TriggerSettingsDlg.h"

#include "view/ui/DialogFields.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace dialog_fields;

CTriggerSettingsDlg::CTriggerSettingsDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, WxText("Trigger"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("Mode")), 0, wxALIGN_CENTER_VERTICAL);
    m_pMode = new wxChoice(this, kIdMode);
    m_pMode->Append(WxText("Off"));
    m_pMode->Append(WxText("Level"));
    m_pMode->Append(WxText("Slope"));
    m_pMode->Append("RMS");
    grid->Add(m_pMode, 0, wxEXPAND);
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("Channel")), 0, wxALIGN_CENTER_VERTICAL);
    m_pChannel = new wxChoice(this, kIdChannel);
    for (int channel = 1; channel <= kChannelCount; ++channel)
        m_pChannel->Append(wxString::Format("%i", channel));
    grid->Add(m_pChannel, 0, wxEXPAND);
    m_pThreshold = AddEdit(this, grid, kIdThreshold, WxText("Trigger threshold"));
    m_pDelay = AddEdit(this, grid, kIdDelay, WxText("Delay in ms. Negative values for pre-trigger."));

    auto* repeat = new wxBoxSizer(wxHORIZONTAL);
    m_pOneShot =
        new wxRadioButton(this, kIdOneShot, WxText("one Shot"), wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pContinuous = new wxRadioButton(this, kIdContinuous, WxText("continously"));
    repeat->Add(m_pOneShot, 0, wxRIGHT, 12);
    repeat->Add(m_pContinuous);
    m_pNegativeSlope = new wxCheckBox(this, kIdNegativeSlope, WxText("Trigger on negative slope"));
    m_pBelowThreshold = new wxCheckBox(this, kIdBelowThreshold, WxText("Trigger if below threshold"));
    m_pScopeOnly = new wxCheckBox(this, kIdScopeOnly, WxText("use trigger for scope only"));

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    sizer->Add(repeat, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    for (wxCheckBox* check : {m_pNegativeSlope, m_pBelowThreshold, m_pScopeOnly})
        sizer->Add(check, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    FinishDialog(this, sizer);
}

bool CTriggerSettingsDlg::TransferDataToWindow()
{
    m_pMode->SetSelection(m_nMode >= 0 && m_nMode < 4 ? m_nMode : 0);
    m_pChannel->SetSelection(m_nChannel >= 0 && m_nChannel < kChannelCount ? m_nChannel : 0);
    SetNumber(m_pThreshold, m_dThreshold);
    SetNumber(m_pDelay, m_dDelayMs);
    (m_nRepeat == 0 ? m_pOneShot : m_pContinuous)->SetValue(true);
    m_pNegativeSlope->SetValue(m_bNegativeSlope != 0);
    m_pBelowThreshold->SetValue(m_bBelowThreshold != 0);
    m_pScopeOnly->SetValue(m_bScopeOnly != 0);
    return true;
}

bool CTriggerSettingsDlg::TransferDataFromWindow()
{
    double threshold = 0.0;
    double delay = 0.0;
    if (!ReadAnyNumber(m_pThreshold, Text("Trigger threshold"), threshold) ||
        !ReadNumber(m_pDelay, Text("Delay"), -1e7, 1e7, delay))
        return false;
    m_nMode = m_pMode->GetSelection();
    m_nChannel = m_pChannel->GetSelection();
    m_dThreshold = threshold;
    m_dDelayMs = delay;
    m_nRepeat = m_pOneShot->GetValue() ? 0 : 1;
    m_bNegativeSlope = m_pNegativeSlope->GetValue() ? 1 : 0;
    m_bBelowThreshold = m_pBelowThreshold->GetValue() ? 1 : 0;
    m_bScopeOnly = m_pScopeOnly->GetValue() ? 1 : 0;
    return true;
}
