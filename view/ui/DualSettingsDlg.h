// "Dual Settings": the two-channel real-time processing: channel arithmetic in the time domain and
// in the frequency domain, post processing, exchanging R and L, and linear scaling with a factor
// for each channel.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

class CSoundIn;
class wxCheckBox;
class wxRadioButton;
class wxTextCtrl;

class CDualSettingsDlg : public wxDialog
{
public:
    static constexpr int kTimeCount = 5;
    static constexpr int kFrequencyCount = 8;
    static constexpr int kPostCount = 3;
    static constexpr int kTimeIds[kTimeCount] = {322, 139, 143, 147, 154};
    static constexpr int kFrequencyIds[kFrequencyCount] = {325, 161, 202, 166, 170, 181, 192, 199};
    static constexpr int kPostIds[kPostCount] = {581, 582, 583};
    static constexpr int kIdExchange = 319;
    static constexpr int kIdLinearScaling = 329;
    static constexpr int kIdFactorR = 330;
    static constexpr int kIdFactorL = 331;

    explicit CDualSettingsDlg(wxWindow* parent);

    // Shows the dialog on the engine's two-channel processing settings and, after OK, stores them
    // back (a group left without a choice keeps the engine's value). True after OK.
    static bool EditEngine(wxWindow* parent, CSoundIn& engine);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // -1: no radio of the group chosen.
    int m_nTimeOperation = -1;
    int m_nFrequencyOperation = -1;
    int m_nPostProcessing = -1;
    int m_bExchange = 0;
    int m_bLinearScaling = 0;
    double m_dFactorR = 1.0;
    double m_dFactorL = 1.0;

private:
    wxRadioButton* m_pTime[kTimeCount];
    wxRadioButton* m_pFrequency[kFrequencyCount];
    wxRadioButton* m_pPost[kPostCount];
    wxCheckBox* m_pExchange;
    wxCheckBox* m_pLinearScaling;
    wxTextCtrl* m_pFactorR;
    wxTextCtrl* m_pFactorL;
};
