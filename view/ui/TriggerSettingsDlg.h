// "Trigger": mode, channel, threshold, delay in milliseconds (negative: before the event), one shot
// or continuous, and the slope, below-threshold and scope-only switches.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

class wxCheckBox;
class wxChoice;
class wxRadioButton;
class wxTextCtrl;

class CTriggerSettingsDlg : public wxDialog
{
public:
    static constexpr int kIdMode = 463;
    static constexpr int kIdChannel = 462;
    static constexpr int kIdThreshold = 333;
    static constexpr int kIdDelay = 350;
    static constexpr int kIdOneShot = 134;
    static constexpr int kIdContinuous = 139;
    static constexpr int kIdNegativeSlope = 332;
    static constexpr int kIdBelowThreshold = 341;
    static constexpr int kIdScopeOnly = 461;
    static constexpr int kChannelCount = 64;

    explicit CTriggerSettingsDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    int m_nMode = 1;  // 0 off, 1 level, 2 slope, 3 RMS
    int m_nChannel = 0;
    double m_dThreshold = 0.01;
    double m_dDelayMs = 0.0;
    int m_nRepeat = 1;  // 0 one shot, 1 continuous
    int m_bNegativeSlope = 0;
    int m_bBelowThreshold = 0;
    int m_bScopeOnly = 1;

private:
    wxChoice* m_pMode;
    wxChoice* m_pChannel;
    wxTextCtrl* m_pThreshold;
    wxTextCtrl* m_pDelay;
    wxRadioButton* m_pOneShot;
    wxRadioButton* m_pContinuous;
    wxCheckBox* m_pNegativeSlope;
    wxCheckBox* m_pBelowThreshold;
    wxCheckBox* m_pScopeOnly;
};
