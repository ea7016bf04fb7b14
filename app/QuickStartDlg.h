// The quick-start panel: a small modeless window of large buttons, one per ready-made measurement.
// A button posts its command to the main window and hides the panel; the long-term recording
// button asks, four seconds later, whether to start the logger. The main frame creates it hidden
// and keeps it; command 33095 brings it up.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <array>
#include <functional>

class CAnalyzerApp;
class wxWindow;

class CQuickStartDlg : public wxDialog
{
public:
    static constexpr int kTemplateId = 1472;
    // The button that has no control of its own: it does what the third-octave button does.
    static constexpr int kIdThirdOctaveCommand = 1504;
    static constexpr int kIdThirdOctave = 1519;
    static constexpr int kIdFft = 1505;
    static constexpr int kId96kHz = 1521;
    static constexpr int kIdNoiseReport = 1522;
    static constexpr int kIdChirp = 1523;
    static constexpr int kIdLowFrequencies = 1509;
    static constexpr int kIdLoudness = 1510;
    static constexpr int kId48kHz = 1520;
    static constexpr int kIdOctave = 1512;
    static constexpr int kIdEvents = 1507;
    static constexpr int kIdImpulse = 1514;
    static constexpr int kIdNoise = 1515;
    static constexpr int kIdLongTerm = 1516;
    // The start question of the long-term recording, 4 s after its button.
    static constexpr int kTimerStartQuestion = 2;
    static constexpr int kStartQuestionMs = 4000;
    static constexpr const char* kStartQuestion =
        "Zum Starten einer Messung drücken Sie OK\nSie können auch abbrechen und die Messung später mit "
        "dem Knopf in der Werkzeugleiste starten";

    struct Button
    {
        int id;
        const char* caption;
        int command;
        // The wizards start on a fresh workspace that keeps the calibration (33094 sent first).
        bool newWorkspaceFirst;
    };
    static const std::array<Button, 13>& GetButtons();

    CQuickStartDlg(wxWindow* parent, CAnalyzerApp& app);

    // Posts the command to the main window and hides the panel.
    void PostCommandAndHide(int command);

    // The timer of the start question. Tests replace the starting of the timer (false: no timer
    // available) and fire it themselves through OnTimerFired.
    std::function<bool(int id, int milliseconds)> m_fnStartTimer;
    void OnTimerFired(int id);

private:
    void OnButton(const Button& button);
    bool StartTimer(int id, int milliseconds);

    CAnalyzerApp& m_app;
    wxTimer m_startQuestionTimer;
};
