// CSoundLevelStatisticsDlg: the small "Signal Statistik" window that shows the running sound-level
// figures of the first input channel in large type. It can be enlarged two- or four-fold, copies
// its figures to the clipboard and, at a set interval, writes them and the band spectrum to two
// text files. A modeless pop-up without a parent; closing it only hides it, the measurement window
// that owns it destroys it.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <array>
#include <memory>

#include "applications/SoundLevelStatistics.h"
#include "common/controls/DialogScaler.h"

class CSoundIn;
class COwnedWindow;
class CSndView;
class wxStaticText;

class CSoundLevelStatisticsDlg : public wxDialog
{
public:
    static constexpr int kIdLaeq = 1507;
    static constexpr int kIdLceq = 1508;
    static constexpr int kIdLceqMinusLaeq = 1506;
    static constexpr int kIdLafteq = 1515;
    static constexpr int kIdLafteqMinusLaeq = 1505;
    static constexpr int kIdLcpeak = 1512;
    static constexpr int kIdLafmax = 1510;
    static constexpr int kIdLa95 = 628;
    static constexpr int kIdTime = 1523;
    static constexpr int kIdCopy = 1516;
    static constexpr int kIdX1 = 1519;
    static constexpr int kIdX2 = 1520;
    static constexpr int kIdX4 = 1521;
    static constexpr int kTimerFigures = 1;
    static constexpr int kTimerHistogram = 2;
    static constexpr int kTimerExport = 3;

    // The engine whose first channel's analyser it reads, and the export settings.
    CSoundLevelStatisticsDlg(CSoundIn& engine, double exportInterval, const std::string& exportFile);
    ~CSoundLevelStatisticsDlg() override;

    void ResetHistogram() { m_statistics.ResetHistogram(); }
    // One tick of a timer (the timers call it; tests drive it).
    void OnTimer(int id);
    // The zoom buttons: the size at creation times the factor, fitted to the screen and centred.
    void Zoom(int factor);
    void CopyToClipboard();
    CSoundLevelStatistics& GetStatistics() { return m_statistics; }
    wxString GetControlText(int id) const;

    // The factory the application installs for measurement windows: the statistics window for
    // kind 3, reading the view's engine and the export settings of the program's settings file.
    static std::unique_ptr<COwnedWindow> CreateOwned(int kind, CSndView& view, double exportInterval,
                                                     const std::string& exportFile);

private:
    void ShowFigures();
    void OnSize(wxSizeEvent& event);
    void ApplyScale(double pixelsPerInch);

    CSoundIn& m_engine;
    CSoundLevelStatistics m_statistics;
    DialogTemplate m_template;
    CDialogScaler m_scaler;
    std::array<wxTimer, 3> m_timers;
    wxSize m_baseClient;
    bool m_bApplying = false;
};
