// The "Preferences" dialog: what start-up loads (default settings, last state, last saved, a
// file), the file, and the switches that turn the cursor readout and the level meter off.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <string>

class wxCheckBox;
class wxRadioBox;
class wxTextCtrl;

class CPreferencesDlg : public wxDialog
{
public:
    static constexpr int kIdStartup = 134;
    static constexpr int kIdFile = 333;
    static constexpr int kIdDisableCursor = 497;
    static constexpr int kIdDisableMeter = 498;

    explicit CPreferencesDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    int m_nStartup = -1;  // 0 default settings, 1 last state, 2 last saved, 3 file
    std::string m_strFile;
    int m_bDisableCursor = 0;
    int m_bDisableMeter = 0;

private:
    wxRadioBox* m_pStartup;
    wxTextCtrl* m_pFile;
    wxCheckBox* m_pDisableCursor;
    wxCheckBox* m_pDisableMeter;
};
