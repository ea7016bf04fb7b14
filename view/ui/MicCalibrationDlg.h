// "Microphone calibration": loads a calibration file (pairs or a reference table) into one of the
// engine's 64 calibration slots and binds it to an input channel with its three switches ("enable
// microphone calibration", "display calibration data", "use for all channels"). "Update" shows what
// the chosen slot holds. A loaded file stays in its slot on Cancel; OK stores the binding.
// The slots are changed under the engine's display lock, which their users hold.
//
// Threads: user-interface thread only.
#pragma once

#include <string>

#include <wx/dialog.h>

class CSoundIn;
class wxCheckBox;
class wxStaticText;
class wxTextCtrl;

class CMicCalibrationDlg : public wxDialog
{
public:
    static constexpr int kIdEnable = 417;
    static constexpr int kIdBrowse = 418;
    static constexpr int kIdStatus = 419;
    static constexpr int kIdDisplay = 420;
    static constexpr int kIdAllChannels = 423;
    static constexpr int kIdUpdate = 425;
    static constexpr int kIdChannel = 539;
    static constexpr int kIdSlot = 542;
    static constexpr int kSlots = 64;

    CMicCalibrationDlg(wxWindow* parent, CSoundIn& engine);

    bool TransferDataFromWindow() override;
    void OnBrowse();
    void OnUpdate();

    std::string m_strPath;
    int m_nChannel = 1;
    int m_nSlot = 1;
    int m_bEnable = 0;
    int m_bDisplay = 0;
    int m_bAllChannels = 0;

private:
    bool ReadControls();
    void WriteControls();
    CSoundIn& m_engine;
    wxTextCtrl* m_pChannel;
    wxTextCtrl* m_pSlot;
    wxCheckBox* m_pEnable;
    wxCheckBox* m_pDisplay;
    wxCheckBox* m_pAllChannels;
    wxStaticText* m_pStatus;
};
