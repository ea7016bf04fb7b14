// "Level Calibration": one output channel calibrated in volts per full-scale unit against a voltage
// measured externally while the first generator plays, one input channel's scale against the voltage
// at its input, the generator's frequency and mute switch, and "Save"/"Load" of the calibration
// file. Both readings are refreshed every 300 ms. What "Set", "Reset", "mute", "Save" and "Load" do
// takes effect at once; closing the dialog undoes nothing.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <string>

class CLevelCalibration;
class wxCheckBox;
class wxChoice;
class wxTextCtrl;

class CLevelCalibrationDlg : public wxDialog
{
public:
    static constexpr int kRefreshMs = 300;
    static constexpr int kIdOutputChannel = 354;
    static constexpr int kIdFrequency = 1444;
    static constexpr int kIdOutputExternal = 344;
    static constexpr int kIdOutputUnit = 603;
    static constexpr int kIdInputChannel = 369;
    static constexpr int kIdInputExternal = 364;
    static constexpr int kIdInputUnit = 1445;
    static constexpr int kIdOutputReading = 361;
    static constexpr int kIdInputReading = 373;
    static constexpr int kIdMute = 178;
    static constexpr int kIdOutputSet = 1442;
    static constexpr int kIdOutputReset = 265;
    static constexpr int kIdInputSet = 1443;
    static constexpr int kIdInputReset = 267;
    static constexpr int kIdClose = 1446;
    static constexpr int kIdSave = 1447;
    static constexpr int kIdLoad = 1448;

    CLevelCalibrationDlg(wxWindow* parent, CLevelCalibration& calibration);
    int ShowModal() override;

    // The buttons' actions.
    void OnOutputSet();
    void OnOutputReset();
    void OnInputSet();
    void OnInputReset();
    void OnMute();
    // Enter: a changed frequency goes to the generator; the dialog stays open.
    void OnEnter();
    void OnSave();
    void OnLoad();
    // Timer 1: both readings.
    void RefreshReadings();

    int m_nOutputChannel = 1;
    double m_dFrequency = 1000.0;
    double m_dOutputExternal = 1.0;
    bool m_bOutputMillivolts = true;
    int m_nInputChannel = 1;
    double m_dInputExternal = 1.0;
    bool m_bInputMillivolts = true;

private:
    // Reads the edits (channel numbers 1-based, a number below 1 taken as 1); false when an
    // external value or the frequency is no number (the user is told).
    bool ReadEdits();
    void Tell(const std::string& text);

    CLevelCalibration& m_calibration;
    wxTextCtrl* m_pOutputChannel;
    wxTextCtrl* m_pFrequency;
    wxTextCtrl* m_pOutputExternal;
    wxChoice* m_pOutputUnit;
    wxTextCtrl* m_pOutputReading;
    wxTextCtrl* m_pInputChannel;
    wxTextCtrl* m_pInputExternal;
    wxChoice* m_pInputUnit;
    wxTextCtrl* m_pInputReading;
    wxCheckBox* m_pMute;
    wxTimer m_timer;
};
