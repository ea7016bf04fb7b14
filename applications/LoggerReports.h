// The two reports of a finished level logger run: the SPL report ("SPLviewer.htm" with its level
// table page and plot pictures) and the sound power report on an enveloping surface
// ("Schallleistung.htm"). The writers read a stopped logger and draw their pictures through the
// measurement window (CReportPlots); they check a stop request between their steps and write
// into the report where the window did not answer in time.
//
// Threads: the writers run on a report thread; the logger must not run meanwhile.
#pragma once

#include <atomic>
#include <string>
#include <vector>

class CLevelLogger;
class CHtmlReport;

// What a report asks of the measurement window. Each drawing step returns false when the window did
// not answer within its bounded wait (or a stop was requested meanwhile).
class CReportPlots
{
public:
    virtual ~CReportPlots() = default;
    // The logger's level course of a quantity of a wideband record in the level-course display;
    // `force` selects the display again even when the window shows it already.
    virtual bool ShowLoggerCourse(int quantity, int wideband, bool force) = 0;
    // The LEQ courses of the C and the A record as two named overlays, alone in the window, with
    // the y-axis title "LEQ [dB]"; EndLeqOverlays clears the overlays and shows the channel again.
    virtual bool ShowLeqOverlays() = 0;
    virtual void EndLeqOverlays() = 0;
    // The mean band spectrum in the bar display of the mode (10001 octaves, 10002 thirds).
    virtual bool ShowMeanSpectrum(int mode) = 0;
    // Scales the y axis to the curves and saves the window's picture as the PNG file.
    virtual bool Capture(const std::string& path) = 0;
};

// Where a report goes and how its writer is told to stop and shows how far it has come.
struct LoggerReportTarget
{
    std::string folder;
    std::string fileName;
    const std::atomic<int>* stop = nullptr;
    std::atomic<double>* progress = nullptr;
};

// What a writer did: false when the report could not be created; `stopped` when it ended early on
// a stop request; the pictures the window failed to give.
struct LoggerReportResult
{
    bool written = false;
    bool stopped = false;
    std::vector<std::string> timeouts;
};

// The sound power measurement's settings, kept for the program run.
struct SoundPowerSettings
{
    int microphones = 3;
    double surface = 10.0;
};

// The report texts that are fixed.
inline constexpr const char* kSplReportFile = "SPLviewer.htm";
inline constexpr const char* kSoundPowerReportFile = "Schallleistung.htm";
inline constexpr const char* kReportDataSet = "SPLviewer.ini";
inline constexpr const char* kNoSpectrumText = "Es sind keine Spektraldaten enthalten";
inline constexpr const char* kReportStoppedText = "Der Bericht wurde abgebrochen.";

// True when the run gets the clock-pulse maximum figures: blocks of at most 5 s and at least 5 s
// of data.
bool HasTaktFigures(const CLevelLogger& logger);

// The level exceeded during `percent` % of the blocks, from the A-weighted Fast levels (linear);
// 0 without blocks.
double ExceededFastLevel(const CLevelLogger& logger, double percent);

// The SPL report: the data set beside it, the main page and the level table page "Table" + file name.
LoggerReportResult WriteSplLoggerReport(CLevelLogger& logger, const LoggerReportTarget& target,
                                        CReportPlots* plots);

// The sound power report (the data set is written by the command before it starts).
LoggerReportResult WriteSoundPowerReport(CLevelLogger& logger, const LoggerReportTarget& target,
                                         const SoundPowerSettings& settings, CReportPlots* plots);
