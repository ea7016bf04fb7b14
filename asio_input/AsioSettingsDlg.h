// The plug-in's "ASIO Settings" dialog: the driver, the driver channels that feed the analyser's
// channels A and B, force stereo and multichannel, and the driver's own control panel. It works on
// its fields; the caller fills them before ShowModal and takes them back after OK.
#pragma once

#include <string>
#include <vector>

#include <wx/dialog.h>

class wxCheckBox;
class wxChoice;

class CAsioSettingsDlg : public wxDialog
{
public:
    static constexpr int kIdDevice = 1032;
    static constexpr int kIdDeviceControl = 1002;
    static constexpr int kIdChannelA = 1004;
    static constexpr int kIdChannelB = 1005;
    static constexpr int kIdForceStereo = 1006;
    static constexpr int kIdMultichannel = 1007;
    static constexpr int kIdStatus = 1008;
    static constexpr int kIdVersion = 1009;
    static constexpr int kMaxNames = 100;
    static constexpr int kChannelEntries = 32;

    explicit CAsioSettingsDlg(wxWindow* parent);

    // Fills the controls from the fields (run before the dialog shows).
    bool TransferDataToWindow() override;
    // Reads the controls back into the fields on OK.
    bool TransferDataFromWindow() override;

    std::vector<std::string> m_names;
    int m_nDevice = 0;
    int m_nInputs = 0;
    int m_nOutputs = 0;
    int m_nSampleType = -1;
    int m_nVersionMajor = 0;
    int m_nVersionMinor = 0;
    int m_bForceStereo = 1;
    int m_bMultichannel = 0;
    int m_nChannelA = 0;
    int m_nChannelB = 1;
    // Whether the loaded driver has a control panel; without one the button is disabled.
    bool m_bHasControlPanel = false;

    // When the plug-in was built, as "Tue Mar  2 09:15:40 2021".
    static std::string BuildTimeStamp();

private:
    wxChoice* m_device = nullptr;
    wxChoice* m_channelA = nullptr;
    wxChoice* m_channelB = nullptr;
    wxCheckBox* m_forceStereo = nullptr;
    wxCheckBox* m_multichannel = nullptr;
    wxWindow* m_controlButton = nullptr;
    wxWindow* m_status = nullptr;
    wxWindow* m_version = nullptr;
};
