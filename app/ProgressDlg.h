// The small modeless progress window of a background job: a bar from 0 to 100 that follows a
// watched value (0..1) or advances by a fixed step, redrawn on a 100 ms timer.
//
// Threads: user-interface thread, except PostClose, which a worker calls to have the window
// closed on the user-interface thread.
#pragma once

#include "common/BackgroundJob.h"

#include <wx/dialog.h>
#include <wx/timer.h>

#include <atomic>
#include <string>

class wxGauge;

class CProgressDlg : public wxDialog, public CJobProgressWindow
{
public:
    static constexpr int kIdProgressBar = 428;
    static constexpr int kTimerId = 1;
    static constexpr int kTimerPeriodMs = 100;
    static constexpr int kRange = 100;

    explicit CProgressDlg(wxWindow* parent);
    ~CProgressDlg() override;

    // Starts the 100 ms timer; without a timer it says so and fails (false), as a dialog's
    // initialisation does.
    bool Create();

    void SetWatchedValue(const std::atomic<double>* value) override { m_pValue = value; }
    void Start(const std::string& title) override;
    void PostClose() override;
    void DestroyWindow() override;

    // One timer tick (the timer calls it; tests drive it).
    void OnTimer();
    int GetPosition() const;

    // The factory the background job runner uses: a window without a parent.
    static JobProgressWindowPtr CreateForJob();

    const std::atomic<double>* m_pValue = nullptr;
    int m_nStep = 0;

private:
    wxGauge* m_pBar;
    wxTimer m_timer;
};
