#include "view/ui/DualSettingsDlg.h"

#include "engine/SoundIn.h"
#include "view/ui/DialogFields.h"

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace dialog_fields;

namespace
{

template <int N>
wxStaticBoxSizer* RadioGroup(wxWindow* parent, const wxString& title, wxRadioButton* (&radios)[N],
                             const int (&ids)[N], const wxString (&labels)[N])
{
    auto* box = new wxStaticBoxSizer(wxVERTICAL, parent, title);
    // The box is at least as wide as its title.
    box->SetMinSize(wxSize(box->GetStaticBox()->GetTextExtent(title).x + 24, -1));
    for (int i = 0; i < N; ++i)
    {
        radios[i] = new wxRadioButton(box->GetStaticBox(), ids[i], labels[i], wxDefaultPosition,
                                      wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        box->Add(radios[i], 0, wxALL, 2);
    }
    return box;
}

template <int N>
void Select(wxRadioButton* (&radios)[N], int index)
{
    // A group without a choice shows no radio set.
    for (int i = 0; i < N; ++i)
        radios[i]->SetValue(i == index);
}

template <int N>
int Selected(wxRadioButton* (&radios)[N])
{
    for (int i = 0; i < N; ++i)
        if (radios[i]->GetValue())
            return i;
    return -1;
}

}  // namespace

CDualSettingsDlg::CDualSettingsDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, WxText("dual channel real-time processing"))
{
    const wxString off = WxText("Off");
    const wxString timeLabels[kTimeCount] = {off, "R+L", "R-L", "R*L", "R/L"};
    const wxString frequencyLabels[kFrequencyCount] = {
        off, "R+L", "R-L", "R*L", "R/L", "L/R", WxText("correlometer"), WxText("SQRT correlometer")};
    const wxString postLabels[kPostCount] = {off, WxText("integrate"), WxText("differentiate")};

    auto* groups = new wxBoxSizer(wxHORIZONTAL);
    groups->Add(RadioGroup(this, WxText("time domain"), m_pTime, kTimeIds, timeLabels), 0, wxEXPAND | wxALL,
                4);
    groups->Add(RadioGroup(this, WxText("frequency domain"), m_pFrequency, kFrequencyIds, frequencyLabels), 0,
                wxEXPAND | wxALL, 4);
    groups->Add(RadioGroup(this, WxText("post processing"), m_pPost, kPostIds, postLabels), 0,
                wxEXPAND | wxALL, 4);

    m_pExchange = new wxCheckBox(this, kIdExchange, WxText("exchange R and L"));
    m_pLinearScaling = new wxCheckBox(this, kIdLinearScaling, WxText("linear scaling"));
    auto* factors = new wxFlexGridSizer(2, 4, 8);
    m_pFactorR = AddEdit(this, factors, kIdFactorR, "R");
    m_pFactorL = AddEdit(this, factors, kIdFactorL, "L");

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(groups, 0, wxALL, 6);
    sizer->Add(m_pExchange, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(m_pLinearScaling, 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(factors, 0, wxALL, 10);
    sizer->Add(
        new wxStaticText(this, wxID_ANY,
                         "For impedance measurement use R-L for time domain and L/R for frequency domain"),
        0, wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);
}

bool CDualSettingsDlg::TransferDataToWindow()
{
    Select(m_pTime, m_nTimeOperation);
    Select(m_pFrequency, m_nFrequencyOperation);
    Select(m_pPost, m_nPostProcessing);
    m_pExchange->SetValue(m_bExchange != 0);
    m_pLinearScaling->SetValue(m_bLinearScaling != 0);
    SetNumber(m_pFactorR, m_dFactorR);
    SetNumber(m_pFactorL, m_dFactorL);
    return true;
}

bool CDualSettingsDlg::TransferDataFromWindow()
{
    double factorR = 0.0;
    double factorL = 0.0;
    if (!ReadAnyNumber(m_pFactorR, Text("linear scaling") + " R", factorR) ||
        !ReadAnyNumber(m_pFactorL, Text("linear scaling") + " L", factorL))
        return false;
    m_nTimeOperation = Selected(m_pTime);
    m_nFrequencyOperation = Selected(m_pFrequency);
    m_nPostProcessing = Selected(m_pPost);
    m_bExchange = m_pExchange->GetValue() ? 1 : 0;
    m_bLinearScaling = m_pLinearScaling->GetValue() ? 1 : 0;
    m_dFactorR = factorR;
    m_dFactorL = factorL;
    return true;
}

bool CDualSettingsDlg::EditEngine(wxWindow* parent, CSoundIn& engine)
{
    CDualSettingsDlg dialog(parent);
    dialog.m_nTimeOperation = engine.m_nTimeOperation;
    dialog.m_nFrequencyOperation = engine.m_nSpectrumOperation;
    dialog.m_nPostProcessing = engine.m_nIntegrationMode;
    dialog.m_bExchange = engine.m_bSwapChannels;
    dialog.m_bLinearScaling = engine.m_bTimeGainStage;
    dialog.m_dFactorR = engine.m_dTimeGain1;
    dialog.m_dFactorL = engine.m_dTimeGain0;
    if (dialog.ShowModal() != wxID_OK)
        return false;
    if (dialog.m_nTimeOperation >= 0)
        engine.m_nTimeOperation = dialog.m_nTimeOperation;
    if (dialog.m_nFrequencyOperation >= 0)
        engine.m_nSpectrumOperation = dialog.m_nFrequencyOperation;
    if (dialog.m_nPostProcessing >= 0)
        engine.m_nIntegrationMode = dialog.m_nPostProcessing;
    engine.m_bSwapChannels = dialog.m_bExchange;
    engine.m_bTimeGainStage = dialog.m_bLinearScaling;
    engine.m_dTimeGain1 = dialog.m_dFactorR;
    engine.m_dTimeGain0 = dialog.m_dFactorL;
    return true;
}
