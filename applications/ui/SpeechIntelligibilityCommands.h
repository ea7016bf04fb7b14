// The speech-intelligibility commands of a measurement window that open the applications'
// dialogs: the results of the window's STI evaluation, and the table of octave-band
// signal-to-noise ratios that correct every STI the program computes.
//
// Threads: user-interface thread only.
#pragma once

class CSndView;
class CSoundIn;
class wxWindow;

namespace sti_command
{
// "Display STI+RASTI", "STI-PA" and "SNR".
inline constexpr int kDisplayStiRasti = 32824;
inline constexpr int kStipa = 32964;
inline constexpr int kSignalToNoise = 33000;
}  // namespace sti_command

// With a valid STI result of the window: the engine's signal-to-noise set goes into the window's
// evaluator and the results dialog shows it. Otherwise "STI  not available".
void DisplayStiResults(CSndView& view, wxWindow* parent);
// The signal-to-noise table on the engine's set; OK stores the seven bands ("--": no noise).
void EditStiSignalToNoise(CSoundIn& engine, wxWindow* parent);
