// "Advanced Setting": the number of input buffers, the audio input device, mono, left, right or
// dual-channel sampling, the minimum buffer size, the recorder's file resolution, file length and
// MP3 conversion, and a button to the dual-channel processing settings.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <string>
#include <vector>

class CSoundIn;
class wxCheckBox;
class wxChoice;
class wxRadioButton;
class wxTextCtrl;

class CAdvancedSettingDlg : public wxDialog
{
public:
    static constexpr int kIdBufferCount = 511;
    static constexpr int kIdDevice = 206;
    static constexpr int kIdMono = 1468;
    static constexpr int kIdLeft = 1469;
    static constexpr int kIdRight = 1470;
    static constexpr int kIdDual = 1471;
    static constexpr int kIdMinBuffer = 305;
    static constexpr int kIdResolution = 213;
    static constexpr int kIdMp3 = 377;
    static constexpr int kIdFileLength = 512;
    static constexpr int kIdDualSettings = 328;

    // The device list is the wave input's capture devices, read now.
    explicit CAdvancedSettingDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    int m_nBufferCount = 0;
    std::string m_strDeviceName;
    int m_nDeviceIndex = 0;
    int m_nChannelMode = 0;
    std::string m_strMinBuffer;
    int m_bDcRemoval = 0;
    std::string m_strResolution;
    int m_bMp3 = 0;
    double m_dFileLengthMinutes = 0.0;
    // The engine whose dual-channel settings the button edits (none: the button is disabled).
    CSoundIn* m_pEngine = nullptr;

    const std::vector<std::string>& GetDeviceNames() const { return m_deviceNames; }

private:
    void OnDualSettings(wxCommandEvent& event);

    std::vector<std::string> m_deviceNames;
    wxTextCtrl* m_pBufferCount;
    wxChoice* m_pDevice;
    wxRadioButton* m_pChannel[4];
    wxChoice* m_pMinBuffer;
    wxChoice* m_pResolution;
    wxCheckBox* m_pMp3;
    wxTextCtrl* m_pFileLength;
};
