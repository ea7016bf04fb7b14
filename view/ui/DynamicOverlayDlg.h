// "Dynamic Overlays": lets an overlay follow a live channel, its level at a frequency (plus an
// offset in dB) moving the overlay up and down. The caller fills m_values, runs the dialog modally
// and takes m_values after OK.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include "view/OverlayDialogValues.h"

class wxCheckBox;
class wxSpinCtrl;
class wxTextCtrl;

class CDynamicOverlayDlg : public wxDialog
{
public:
    static constexpr int kIdChannel = 1131;
    static constexpr int kIdOverlay = 1132;
    static constexpr int kIdActive = 1133;
    static constexpr int kIdFrequency = 1134;
    static constexpr int kIdOffset = 1135;
    static constexpr int kMaxChannel = 64;

    explicit CDynamicOverlayDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    // Refuses a frequency that is not a number above 0 and an offset that is not a number.
    bool Validate() override;
    bool TransferDataFromWindow() override;

    DynamicOverlayValues m_values;
    wxSpinCtrl* m_pChannel = nullptr;  // 1 to 64
    wxSpinCtrl* m_pOverlay = nullptr;  // 1 to 10
    wxCheckBox* m_pActive = nullptr;
    wxTextCtrl* m_pFrequency = nullptr;  // Hz
    wxTextCtrl* m_pOffset = nullptr;     // dB

private:
    bool ReadNumbers(double& frequency, double& offset);
};
