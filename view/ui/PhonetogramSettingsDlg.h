// The phonetogram's settings: tone duration, sensitivity, the pitch search range, the band filter's
// upper corner and the longest interruption inside a tone (in milliseconds).
//
// Threads: user-interface thread only.
#pragma once

#include "view/PhonetogramCommands.h"

#include <wx/dialog.h>

class wxTextCtrl;

class CPhonetogramSettingsDlg : public wxDialog
{
public:
    static constexpr int kToneDuration = 753;
    static constexpr int kSensitivity = 491;
    static constexpr int kLowerFrequency = 494;
    static constexpr int kUpperSearchFrequency = 496;
    static constexpr int kUpperFilterFrequency = 498;
    static constexpr int kMaxInterruption = 500;

    CPhonetogramSettingsDlg(wxWindow* parent, const PhonetogramSettingsValues& values);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    const PhonetogramSettingsValues& GetValues() const { return m_values; }

private:
    PhonetogramSettingsValues m_values;
    wxTextCtrl* m_pToneDuration = nullptr;
    wxTextCtrl* m_pSensitivity = nullptr;
    wxTextCtrl* m_pLowerFrequency = nullptr;
    wxTextCtrl* m_pUpperSearchFrequency = nullptr;
    wxTextCtrl* m_pUpperFilterFrequency = nullptr;
    wxTextCtrl* m_pMaxInterruption = nullptr;
};
