// The RIAA filter: on or off, and the inverse (playback) curve instead of the recording curve.
// Opened by the measurement window's DSP menu for the input channels.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

class wxCheckBox;

class CRiaaFilterDlg : public wxDialog
{
public:
    static constexpr int kIdEnable = 434;
    static constexpr int kIdInverse = 562;

    CRiaaFilterDlg(wxWindow* parent, int enable, int inverse);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    int m_bEnable;
    int m_bInverse;

private:
    wxCheckBox* m_pEnable;
    wxCheckBox* m_pInverse;
};
