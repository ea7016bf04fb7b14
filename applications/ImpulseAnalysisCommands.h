// The commands a measurement window offers on its impulse response and on measurement series:
// the impulse analysis and energy-decay reports, the octave energy-decay overlays, the speech
// transmission index of the held impulse, the average and the statistics of a measurement series,
// and the analysis of a whole wave file. The main frame offers them here before the window.
//
// Threads: user-interface thread. The reports run on the window's background job, the series
// statistics and the file analysis on jobs of their own.
#pragma once

#include <functional>
#include <string>

class CSndView;

namespace impulse_command
{
inline constexpr int kImpulseReport = 32948;
inline constexpr int kEnergyDecayReport = 32993;
inline constexpr int kOctaveEnergyDecay = 32997;
inline constexpr int kStiRasti = 32953;
inline constexpr int kSeriesAverage = 32972;
inline constexpr int kSeriesStatistics = 32987;
inline constexpr int kWaveFileAnalysis = 33108;
// The window's "Display STI+RASTI", which shows the evaluated figures.
inline constexpr int kDisplayStiRasti = 32824;
}  // namespace impulse_command

inline constexpr const char* kStiTooShortMessage =
    "Impulse response size must be larger than 65536 for STI measurement.";
// The shortest impulse response (analysis points) the STI is evaluated on.
inline constexpr int kStiMinimumLength = 65536;
inline constexpr const char* kStatisticsJobTitle = "Erzeugen der Statistik";
inline constexpr const char* kFileAnalysisJobTitle = "Dateianalyse";

// What the commands ask the user and the main window for.
struct ImpulseAnalysisPrompts
{
    // A folder (empty: cancelled), asked with the title.
    std::function<std::string(const std::string& title)> browseForFolder;
    // A wave or MP3 file to open (empty: cancelled).
    std::function<std::string()> askAudioFile;
    // Runs a command of the main window on the active window.
    std::function<void(int id)> runCommand;
};

bool IsImpulseAnalysisCommand(int id);
// Runs one of the commands for the window; false for any other id.
bool OnImpulseAnalysisCommand(CSndView& view, int id, const ImpulseAnalysisPrompts& prompts);
// Evaluates the STI and RASTI of channel 0 of the held impulse at the impulse's own rate into the
// window's evaluator (the program's signal-to-noise values applied). False, with the message,
// when no impulse is held or it is shorter than kStiMinimumLength points.
bool EvaluateImpulseSti(CSndView& view);
