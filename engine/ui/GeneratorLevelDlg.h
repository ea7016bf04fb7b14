// CGeneratorLevelDlg: the modeless "Level" window of the generator outputs. Per channel row (at most
// 24): the active switch, a value edit, the measured RMS in volts and in dB (every 300 ms), "SET"
// (correct the channel to the value), "R" (reset its calibration) and "C" (its electrical
// calibration). The window edits its own copy of the matrix settings and writes every change into the
// engine's matrix at once. Closing only hides it.
//
// Threads: user-interface thread only.
#pragma once

#include "engine/GeneratorChannelSettings.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/timer.h>

class CGeneratorMatrix;
class COwnerDrawButton;
class wxCheckBox;
class wxChoice;
class wxStaticText;
class wxTextCtrl;

class CGeneratorLevelDlg : public wxDialog
{
public:
    // The layout's ids 5100.. (5400.. in the level window) lie in the toolkit's range of standard ids
    // (wxID_OK is 5100); the controls take them 10000 higher.
    static constexpr int kFirstActiveId = 15400;
    static constexpr int kFirstSetId = 15464;
    static constexpr int kFirstCalibrateId = 15528;
    static constexpr int kFirstResetId = 15592;
    static constexpr int kResetAllId = 479;
    static constexpr int kAllOffId = 481;
    static constexpr int kStereoId = 482;
    static constexpr int kFiveGeneratorsId = 483;
    static constexpr int kUnitId = 611;
    static constexpr int kTimerMs = 300;

    CGeneratorLevelDlg(wxWindow* parent, CGeneratorMatrix& engine);
    ~CGeneratorLevelDlg() override;

    // Takes the engine's matrix into the window's copy and refreshes the rows.
    void CopyFromEngine();
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }

    // The window's actions, as its controls call them.
    void ToggleActive(int row);
    void Set(int row);
    void ResetChannel(int row);
    void ResetAll();
    void AllOffOn();
    void UpdateReadouts();  // the 300 ms timer
    // "C" of a row: the opener's electrical calibration runs with the engine's channel taken as
    // uncalibrated; OK makes its factor the channel's, Cancel gives the channel its flag back.
    void Calibrate(int row);

    // What the electrical calibration of an output channel gets and gives back.
    struct ChannelCalibration
    {
        double factor = 1.0;
        int calibrated = 0;
        double target = 1.0;
        double reference = 0.0;
    };
    // The dialog that calibrates a channel (true on OK); setting one enables the "C" buttons.
    using CalibrateChannel = std::function<bool(int channel, ChannelCalibration& calibration)>;
    void SetCalibrateChannel(CalibrateChannel calibrate);
    void Refresh();  // the rows from the copy

    struct Row
    {
        wxCheckBox* active = nullptr;
        wxTextCtrl* value = nullptr;
        wxStaticText* volts = nullptr;
        wxStaticText* db = nullptr;
        COwnerDrawButton* calibrate = nullptr;
    };
    const Row& GetRow(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

    CGeneratorMatrix_settings m_settings;
    int m_nUnit = 2;  // index into "dB", "V", "mV"

private:
    void CopyActiveToEngine();
    void OnClose(wxCloseEvent& event);

    CGeneratorMatrix& m_engine;
    CalibrateChannel m_calibrate;
    std::vector<Row> m_rows;
    wxChoice* m_pUnit = nullptr;
    wxTimer m_timer;
};
