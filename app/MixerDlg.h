// The "Mixer" dialog: the input mixer's device number and name, the microphone level, the AGC and
// mute switches and whether the settings are saved. Its texts stand as they are, in every language.
// It neither checks ranges nor applies anything: the caller reads the fields after OK.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <string>

class wxCheckBox;
class wxTextCtrl;

class CMixerDlg : public wxDialog
{
public:
    // Control ids.
    static constexpr int kIdDeviceNumber = 1534;
    static constexpr int kIdDeviceName = 335;
    static constexpr int kIdLevel = 1500;
    static constexpr int kIdSave = 1447;
    static constexpr int kIdAgc = 213;
    static constexpr int kIdMute = 212;

    explicit CMixerDlg(wxWindow* parent);

    // Fields to controls; false never.
    bool TransferDataToWindow() override;
    // Controls to fields; a device number or level that is not a number is refused with a message
    // and the dialog stays open.
    bool TransferDataFromWindow() override;

    int m_nDeviceNumber = 0;
    std::string m_strDeviceName;
    double m_dLevel = 0.0;
    int m_bSave = 0;
    int m_bAgc = 0;
    int m_bMute = 0;

private:
    wxTextCtrl* m_pDeviceNumber;
    wxTextCtrl* m_pDeviceName;
    wxTextCtrl* m_pLevel;
    wxCheckBox* m_pSave;
    wxCheckBox* m_pAgc;
    wxCheckBox* m_pMute;
};
