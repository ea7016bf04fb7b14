// The per-channel calibration dialogs of a measurement window's channels: the choice between a
// sound-level and an electrical calibration ("Level calibration channel #n"), the sound-level
// calibration against a reference level in dB, and the electrical calibration against a voltage
// read by RMS, zero-peak or peak-to-peak. Each edits only its own factor (its channel's multiplier)
// until its opener takes it after OK. The readings come from the opener's source and are refreshed
// every 300 ms while the dialog is open. A reading that is no signal gives no factor: the user is
// told and the factor stays.
//
// Threads: user-interface thread only.
#pragma once

#include "view/CalibrationReading.h"

#include <wx/dialog.h>
#include <wx/timer.h>

class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

// What the timed calibration dialogs share: timer 1 at 300 ms, refreshing while the dialog is open.
class CTimedCalibrationDlg : public wxDialog
{
public:
    static constexpr int kRefreshMs = 300;
    static constexpr int kIdFactorLine = 764;
    static constexpr int kIdSet = 6;

    CTimedCalibrationDlg(wxWindow* parent, const wxString& title);
    int ShowModal() override;
    bool TransferDataFromWindow() override;
    virtual void RefreshReadings() = 0;

    // The opener's reading source, channel and factor; m_dFactor is the result after OK.
    CCalibrationReading::Source m_source;
    int m_nChannel = 0;
    double m_dFactor = 1.0;
    double m_dFactorAtOpening = 1.0;

protected:
    virtual bool OnSet() = 0;
    wxStaticText* m_pFactorLine = nullptr;

private:
    wxTimer m_timer;
};

class CSoundLevelCalibrationDlg : public CTimedCalibrationDlg
{
public:
    static constexpr int kIdReferenceLevel = 333;
    static constexpr int kIdCurrentLevel = 768;

    explicit CSoundLevelCalibrationDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    void RefreshReadings() override;
    bool OnSet() override;

    double m_dReading = 1.0;
    double m_dReferenceDb = 94.0;

private:
    wxTextCtrl* m_pReference;
    wxStaticText* m_pLevel;
};

class CElectricalCalibrationDlg : public CTimedCalibrationDlg
{
public:
    static constexpr int kIdVoltage = 333;
    static constexpr int kIdRms = 134;
    static constexpr int kIdZeroPeak = 139;
    static constexpr int kIdPeakToPeak = 143;
    static constexpr int kIdReset = 8;
    static constexpr int kIdRmsValue = 765;
    static constexpr int kIdZeroPeakValue = 766;
    static constexpr int kIdPeakToPeakValue = 767;

    explicit CElectricalCalibrationDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    void RefreshReadings() override;
    bool OnSet() override;
    void OnReset();

    CCalibrationReading m_reading;
    int m_bCalibrated = 0;
    double m_dVoltage = 1.0;
    int m_nReadingType = CCalibrationReading::kRms;

private:
    wxTextCtrl* m_pVoltage;
    wxRadioButton* m_pTypes[3];
    wxStaticText* m_pValues[3];
};

class CLevelCalibrationChannelDlg : public wxDialog
{
public:
    static constexpr int kIdFactorLine = 764;
    static constexpr int kIdSoundLevel = 762;
    static constexpr int kIdElectrical = 763;

    explicit CLevelCalibrationChannelDlg(wxWindow* parent);
    int ShowModal() override;
    void OnSoundLevel();
    void OnElectrical();

    CCalibrationReading::Source m_source;
    int m_nChannel = 0;
    double m_dFactor = 1.0;
    // Set once a sound-level or electrical calibration was accepted.
    bool m_bCalibrated = false;

private:
    void ShowFactor();
    wxStaticText* m_pFactorLine;
};
