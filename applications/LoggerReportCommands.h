// The commands that document a logger run of a measurement window: "Bericht" of the analyser's
// logger menu (the SPL report, or in DIN 15905 mode the DIN results page) and the sound power
// measurement on an enveloping surface. Each stops logging first, asks where the report goes and
// starts the window's report on a thread of its own, which draws its pictures through the window's
// remote commands and shows its progress in a progress window. The window owns the running
// report: closing the window (or the program) stops it at its next step and waits for it.
//
// Threads: the commands run on the user-interface thread; the report on its own thread.
#pragma once

#include <functional>
#include <string>

#include "applications/LoggerReports.h"

class CSndView;
class CLevelLogger;
class CBandAnalyzer;

// What the commands ask the user, supplied by the windowed part of the program.
struct ReportPrompts
{
    // A new report folder below the level data folder; empty when cancelled.
    std::function<std::string()> askFolder;
    // A question with Yes and No; true for Yes.
    std::function<bool(const std::string& question)> askYesNo;
    // A message with OK.
    std::function<void(const std::string& text)> tell;
    // The sound power dialog on the settings; false when cancelled.
    std::function<bool(SoundPowerSettings& settings)> editSoundPower;
};

inline constexpr const char* kOverwriteReportQuestion = "Möchten Sie den vorhandenen Bericht überschreiben?";
inline constexpr const char* kNoMeasurementText = "Es ist keine Messung vorhanden";
inline constexpr int kLoggerReportCommand = 33080;
inline constexpr int kSoundPowerReportCommand = 33098;

// The sound power settings kept for the program run (3 microphones, 10 m² at start).
SoundPowerSettings& GetSoundPowerSettings();

// The logger the window's first channel feeds through its band analyser (null when there is none).
CBandAnalyzer* GetReportAnalyzer(CSndView& view);
CLevelLogger* GetReportLogger(CSndView& view);

// True while the window's report runs.
bool IsReportRunning(const CSndView& view);

void OnLoggerReport(CSndView& view, const ReportPrompts& prompts);
void OnSoundPowerReport(CSndView& view, const ReportPrompts& prompts);

// The report's bounded waits for the window in milliseconds (tests shorten them).
extern int g_nReportWaitMs;
