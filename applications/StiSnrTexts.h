// The octave-band signal-to-noise ratios of the speech-intelligibility evaluations as the user
// edits them: one text per band 125 Hz ... 8 kHz, "%.1f" dB or "--" for a band without noise (a
// ratio at or above the set's limit). Also the "sti_snr" files the noise table loads and saves.
//
// Threads: any; no state of its own.
#pragma once

#include <array>
#include <string>

#include "dsp/StiBandValues.h"

using StiSnrTexts = std::array<std::string, CStiBandValues::kFileBands>;

// The file type of the signal-to-noise files, for the file prompts.
inline constexpr const char* kStiSnrFileDescription = "STI SNR";
inline constexpr const char* kStiSnrFileExtension = "sti_snr";

// "%.1f" of the value, "--" at or above the limit.
std::string FormatStiSnr(double value, double limit);
// The texts of the first seven values of the set.
StiSnrTexts MakeStiSnrTexts(const CStiBandValues& values);

// Reads one text: a decimal comma counts as a point, blanks around the text are ignored, "--"
// gives the default value. False for anything else that is not a whole finite number.
bool ParseStiSnr(const std::string& text, double defaultValue, double& value);
// Stores all seven texts into the set, or none: false (set unchanged) when a text cannot be read,
// and `badBand` is then its band index.
bool ApplyStiSnrTexts(const StiSnrTexts& texts, CStiBandValues& values, int& badBand);
// The message that refuses the text of a band.
std::string StiSnrRefusal(int band, const std::string& text);
// The band's key and column title ("125Hz" ... "8000Hz").
std::string StiSnrBandTitle(int band);

// Loads the texts from a signal-to-noise file: the SNR section, or, when the file has a SIGNAL
// section, SIGNAL minus NOISE per band. A band of 200 dB or more reads "--". The texts keep their
// values for keys the file does not hold.
void LoadStiSnrTexts(const std::string& path, StiSnrTexts& texts);
// Writes every text unchanged under its band key into the SNR section; false when the file could
// not be written.
bool SaveStiSnrTexts(const std::string& path, const StiSnrTexts& texts);
