// The real-time analyser and level logger commands of a measurement window: the octave,
// third-octave and 1/N-octave RTA, the speed of the band levels, the logger's Save, Load, Start and
// View results, and the DIN 15905 results page and export of a result folder. The main frame offers
// each of these commands (with its check mark and enabling) here before the active window; each
// handler takes the window it works on.
//
// Threads: user-interface thread only. The handlers stop logging before they change the logger's
// data and give the analysis thread time to leave it.
#pragma once

#include <functional>
#include <string>

class CLevelLogger;
class CSndView;

class CRtaLoggerCommands
{
public:
    // Runs the command for the window; false when the command is not one of these.
    static bool OnCommand(CSndView& view, int id);
    // The item's enabling and check mark; false when the command is not one of these.
    static bool OnUpdateCommand(const CSndView& view, int id, bool& enabled, bool& checked);

    static void OnOctaveRta(CSndView& view);
    static void OnThirdOctaveRta(CSndView& view);
    static void OnNthOctaveRta(CSndView& view);
    static void OnSpeed(CSndView& view, int id);
    static void OnLoggerSave(CSndView& view);
    static void OnLoggerLoad(CSndView& view);
    // True when a run started.
    static bool OnLoggerStart(CSndView& view);
    static void OnLoggerViewResults(CSndView& view);
    static void OnDinReport(CSndView& view);
    static void OnDinExport(CSndView& view);

    // The logger of the window's first input channel (null without one).
    static CLevelLogger* GetFirstLogger(const CSndView& view);

    // How the handlers wait after stopping a run (milliseconds); the default sleeps.
    static std::function<void(int)> s_wait;
    // The folder browser of the DIN 15905 commands (title, starting folder; returns the chosen
    // folder, empty for none). Empty: the toolkit's folder dialog without a new-folder button.
    static std::function<std::string(const std::string&, const std::string&)> s_chooseFolder;

private:
    static void ToggleRta(CSndView& view, int bandsPerOctave);
    static void StopLogging(CSndView& view);
    // The level course's time axis over the whole series the logger holds, and a fresh picture.
    static void ShowWholeRun(CSndView& view, const CLevelLogger& logger);
    static void Wait(int milliseconds);
    static std::string ChooseDinFolder(CSndView& view);
    // The chosen DIN 15905 result folder (empty: none, or no logger), logging stopped once chosen.
    static std::string ChooseDinFolderAndStop(CSndView& view, CLevelLogger*& logger);
    static void ReportFailure(const CSndView& view, const std::string& text);
};
