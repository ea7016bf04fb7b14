// The level monitor's dialog: on/off, weighting, average time and number of measurements (with
// duration presets and a typed duration), frequency range, and the recorder that runs with it;
// and the recorder's own small dialog (file length).
//
// Threads: user-interface thread only.
#pragma once

#include "view/LevelMonitorDuration.h"
#include "view/LevelMonitorValues.h"

#include <wx/dialog.h>
#include <wx/timer.h>

#include <array>

class wxCheckBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

class CRecorderDlg : public wxDialog
{
public:
    static constexpr int kMp3 = 377;
    static constexpr int kFileLength = 512;
    explicit CRecorderDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    int m_bMp3 = 0;
    double m_dFileLengthMinutes = 30.0;

private:
    wxCheckBox* m_pMp3 = nullptr;
    wxTextCtrl* m_pFileLength = nullptr;
};

class CLevelMonitorDlg : public wxDialog
{
public:
    static constexpr int kActive = 506;
    static constexpr int kWeightingNone = 303;
    static constexpr int kWeightingA = 304;
    static constexpr int kWeightingC = 307;
    static constexpr int kAverageTime = 509;
    static constexpr int kNumber = 510;
    static constexpr int kFullSpan = 508;
    static constexpr int kMinFrequency = 252;
    static constexpr int kMaxFrequency = 255;
    static constexpr int kDuration = 1480;
    static constexpr int kRecorder = 511;
    static constexpr int kStoreSpectrum = 512;
    static constexpr int kSetDuration = 6;
    static constexpr int kSetRecorder = 17;
    // The preset buttons "30s" .. "24h", in the order of the presets.
    static constexpr std::array<int, 10> kPresetIds = {7, 8, 9, 10, 15, 11, 16, 12, 13, 14};

    CLevelMonitorDlg(wxWindow* parent, const LevelMonitorValues& values);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    const LevelMonitorValues& GetValues() const { return m_values; }
    // The duration text as the timer last wrote it (number x average time).
    void UpdateDuration();

private:
    void OnPreset(int k);
    void OnSetDuration();
    void OnSetRecorder();
    // The average time and number as typed; false (told) when they cannot be read.
    bool ReadDuration(level_monitor::Duration& duration);
    void WriteNumber(int number);

    LevelMonitorValues m_values;
    int m_nLastPreset = -1;
    wxTimer m_timer;
    wxCheckBox* m_pActive = nullptr;
    std::array<wxRadioButton*, 3> m_weighting{};
    wxTextCtrl* m_pAverageTime = nullptr;
    wxTextCtrl* m_pNumber = nullptr;
    wxCheckBox* m_pFullSpan = nullptr;
    wxTextCtrl* m_pMinFrequency = nullptr;
    wxTextCtrl* m_pMaxFrequency = nullptr;
    wxStaticText* m_pDuration = nullptr;
    wxCheckBox* m_pRecorder = nullptr;
    wxCheckBox* m_pStoreSpectrum = nullptr;
};
