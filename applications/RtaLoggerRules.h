// The rules of the real-time analyser and level logger commands of a measurement window that need
// no window: the command ids, the speed codes, the check marks of the RTA items, what "Start" takes
// over from the level monitor and the engine, the memory limit of a run, and a data set saved whole
// or not at all. Plain logic, no windows.
//
// Threads: user-interface thread (the loggers are stopped where they are changed).
#pragma once

#include <cstdint>
#include <string>

class CLevelLogger;
class CLevelLogger_settings;
class CSoundIn;
class CViewSettings;

namespace rta_command
{
inline constexpr int kOctaveRta = 32798;
inline constexpr int kThirdOctaveRta = 32801;
inline constexpr int kNthOctaveRta = 32926;
inline constexpr int kSpeedImpulse = 33065;
inline constexpr int kSpeedFast = 33067;
inline constexpr int kSpeedSlow = 33066;
inline constexpr int kSpeedCcir = 33092;
inline constexpr int kSpeed10s = 33068;
inline constexpr int kSpeed60s = 33069;
inline constexpr int kLoggerSave = 33073;
inline constexpr int kLoggerLoad = 33074;
inline constexpr int kLoggerStart = 33075;
inline constexpr int kLoggerStop = 33076;
inline constexpr int kLoggerViewResults = 33077;
inline constexpr int kDinReport = 33102;
inline constexpr int kDinExport = 33103;
}  // namespace rta_command

// The speed code (time weighting of the band levels) of a speed command; 0 for another command.
int RtaSpeedCode(int id);

// The check mark of an RTA item (octave, third octave, 1/N octave) or speed item for a window's
// settings; false for other commands.
bool IsRtaItemChecked(const CViewSettings& settings, int id);

// The largest run "Start" accepts, in megabytes of 10^6 bytes: a run needing more is refused.
inline constexpr double kLoggerMemoryLimitMb = 1000.0;
// True when a run needing `bytes` is refused (more than 1000 MB; 1000 MB itself passes).
bool ExceedsLoggerMemory(std::int64_t bytes);
// The message of a refused run, with the block interval in seconds.
std::string LoggerMemoryMessage(double fastInterval);

// Ends every logging run of the engine's band analysers (the logger "Stop" command); the number of
// runs ended.
int StopLoggingRuns(CSoundIn& engine);

// What "Start" takes over before a run: both intervals from the level monitor's "Average time",
// the planned blocks from its "Number of samples", and the engine's calibration offset when
// calibration is on (else 0).
void CopyLoggerStartSettings(CLevelLogger_settings& logger, const CSoundIn& engine);

// Writes the logger's whole run as a data set (the INI file and its raw companion beside it) with
// the empty section name. The files are written aside and then moved over the old ones, so an old
// data set stays whole when the save fails; nothing of an earlier file at the same place mixes into
// the new one. False when the set could not be written.
bool SaveLoggerDataSet(CLevelLogger& logger, const std::string& path);
