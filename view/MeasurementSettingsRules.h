// What the measurement settings dialogs convert and check, apart from any window: the window type
// between its value and the dialog's radio and list, the trigger delay between milliseconds and
// frames, the intermodulation "Auto detect" sign, the choice of a band centre, the checks of the
// "Settings" command with the FFT size that grows to fit the time window, minutes and seconds, and
// a duration or a date in the date and time fields.
//
// Threads: any (plain functions).
#pragma once

#include <ctime>
#include <span>
#include <string>

namespace settings_rules
{

// The window types the fourth radio chooses through its list: 3 + the list's index.
inline constexpr int kListedWindowFirst = 3;
inline constexpr int kListedWindowCount = 15;
// The list's texts, in order ("Hanning" is type 3).
std::span<const char* const> ListedWindowNames();

// The radio (0 rectangular, 1 Hamming, 2 Blackman, 3 the list) and the list entry of a window
// type; a type outside 0..17 shows the rectangular radio.
struct WindowChoice
{
    int radio = 0;
    int listIndex = 0;
};
WindowChoice WindowTypeToChoice(int type);
int WindowTypeFromChoice(const WindowChoice& choice);

// Trigger delay: frames = trunc(rate * ms * 0.001); shown back as frames * 1000 / rate.
int TriggerMsToFrames(double milliseconds, int sampleRate);
double TriggerFramesToMs(int frames, int sampleRate);

// Intermodulation: the stored first frequency carries "Auto detect" as its sign.
struct ImdShown
{
    double frequency1 = 0.0;
    double frequency2 = 0.0;
    bool autoDetect = false;
};
ImdShown ImdToDialog(double storedFrequency1, double storedFrequency2);
double ImdStoredFrequency1(double shownFrequency1, bool autoDetect);

// The first centre with centre + 0.1 >= frequency; the last one when the frequency lies above all.
int FindBandCentreIndex(std::span<const double> centres, double frequency);

// A value and its allowed range: the message names the field when it lies outside.
bool InRange(double value, double minimum, double maximum);
std::string RangeMessage(const std::string& field, double minimum, double maximum);

// The values of the FFT properties that the "Settings" command checks.
struct FftCheckValues
{
    int fftSize = 512;
    int sequenceSize = 1023;
    int excitation = 0;  // 0 off, 1 MLS, 2 chirp
    double chirpStart = 0.0;
    double chirpStop = 20000.0;
    int sampleRate = 44100;
};
struct FftCheckResult
{
    bool smallBlockWarning = false;
    // 0 none; else the failed check (only with the chirp on): 2 chirp start not below stop, 3 chirp
    // stop not below half the rate.
    int failure = 0;
};
FftCheckResult CheckFftSettings(const FftCheckValues& values);

// With MLS or chirp on: the FFT size doubled until it covers rate x time-window length (seconds).
// Returns the size (unchanged when it already covers it), or -1 when even maxSize does not, or the
// size is not positive.
int FitFftSizeToTimeWindow(int fftSize, double sampleRate, double windowSeconds, int maxSize);

// "Settings" after a rate change: the x range of the first axis preset. In a time-axis mode a rate
// change resets it to 0 .. -1 (the window's full range); in every mode an upper end above half the
// new rate minus 100 Hz comes down to it.
void FitAxisPresetToRate(double& xMin, double& xMax, bool frequencyAxis, bool rateChanged, int newRate);

// "Adv. Settings": the dual-channel channel mode 3 while the dual-plot word is also 3 sets both
// to 0 (single channel); true when it did, and the user is told.
bool ResolveDualChannelMode(int& channelMode, int& dualPlot);
inline constexpr const char* kSingleChannelMessage =
    "Sampling mode has been set to single channel.\nDual channel plots have been disabled.";

// The Channel Matrix's prescaler list and the entry it selects for a prescaler: the value w with
// the smallest |w - p| / |w| (the first of equal ones).
inline constexpr double kPrescalers[] = {1.0, 2.0, 5.0, 10.0, 100.0, 1000.0};
int NearestPrescalerIndex(double prescaler);
// The Channel Matrix's input entry (1-based, as typed) as a 0-based input channel in 0..63.
int InputChannelFromEntry(double entry);

// Minutes shown, seconds stored.
double SecondsToMinutes(double seconds);
double MinutesToSeconds(double minutes);

// The date and time fields.
struct DateTimeFields
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    double second = 0.0;
};
// A duration in 365-day years and 30-day months.
DateTimeFields DurationToFields(double seconds);
double FieldsToDuration(const DateTimeFields& fields);
// A local time (year with century, month 1..12); back with daylight saving decided by the system.
DateTimeFields DateToFields(std::time_t time);
std::time_t FieldsToDate(const DateTimeFields& fields);

}  // namespace settings_rules
