// The generator program's own small dialogs: the sound-card settings (ALSA device, rate, high
// resolution, bits, and the ASIO choice), the ASIO driver choice with the driver's control panel,
// the speaker selection, the wave file's length and the About box. The caller presets the members
// and reads them back after OK; Cancel changes nothing.
//
// Threads: user-interface thread only.
#pragma once

#include "engine/ui/GeneratorDialogs.h"

#include <string>
#include <vector>

#include <wx/dialog.h>

class CSoundOut;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxComboBox;

// "ASIO Settings": "do not use ASIO", then the installed drivers. The selection is the driver's index
// in the driver list, -1 for "do not use ASIO": the list entry is selection + 1 both ways.
class CAsioSettingsDlg : public wxDialog
{
public:
    static constexpr int kIdDevice = 1032;
    static constexpr int kIdControlPanel = 1035;
    static constexpr const char* kNoAsio = "do not use ASIO";

    CAsioSettingsDlg(wxWindow* parent, std::vector<std::string> drivers);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    int m_nSelection = -1;
    wxChoice* m_pDevice = nullptr;
    wxButton* m_pControlPanel = nullptr;

private:
    void UpdateControlPanelButton();
    void OnControlPanel();
    std::vector<std::string> m_drivers;
};

// "SoundCard settings". The device index is the position in the output engine's own list of ALSA
// devices (at most its 20 entries); the rate is refused outside 8000..48000.
class CSoundCardDlg : public CGeneratorDialogBase
{
public:
    static constexpr int kIdDevice = 1012;
    static constexpr int kIdHighResolution = 1011;
    static constexpr int kIdBits = 1031;
    static constexpr int kIdAsio = 1033;

    CSoundCardDlg(wxWindow* parent, CSoundOut& soundOut);

    int m_nDevice = 0;
    int m_nAsioDevice = 0;
    double m_dSampleRate = 44100.0;
    bool m_bHighResolution = false;
    std::string m_strBits = "16";
    wxChoice* m_pDevice = nullptr;
    wxComboBox* m_pBits = nullptr;
    wxCheckBox* m_pHighResolution = nullptr;
    wxButton* m_pAsio = nullptr;
    // Runs the ASIO choice (the button); public so that a test drives it as the button does.
    void OnAsio();

protected:
    void ToWindow() override;
    bool FromWindow() override;

private:
    CSoundOut& m_soundOut;
};

// "Speaker select": five push-like switches and "Enable multichannel".
class CSpeakerDlg : public wxDialog
{
public:
    static constexpr int kIdRight = 1001;
    static constexpr int kIdCentre = 1002;
    static constexpr int kIdLeft = 1003;
    static constexpr int kIdSurroundRight = 1004;
    static constexpr int kIdSurroundLeft = 1005;
    static constexpr int kIdMultichannel = 1006;

    explicit CSpeakerDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // Centre, left, surround left, right, surround right.
    bool m_bSpeaker[5] = {true, true, true, true, true};
    bool m_bMultichannel = false;
};

// "Select file length": 0..10,000,000 seconds.
class CFileLengthDlg : public CGeneratorDialogBase
{
public:
    explicit CFileLengthDlg(wxWindow* parent);
    double m_dLength = 0.0;
};

// "About Signal Generator": the title, version "1.00" and the program's picture.
class CGeneratorAboutDlg : public wxDialog
{
public:
    static constexpr int kIdVersion = 1014;
    static constexpr const char* kVersion = "1.00";
    explicit CGeneratorAboutDlg(wxWindow* parent);
};
