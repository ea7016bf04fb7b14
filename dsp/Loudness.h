// Loudness in sone of a frontal free sound field from third-octave band levels (Zwicker's procedure for
// third-octave levels), its specific-loudness pattern over the critical-band rate, and the A-weighted
// level of the same band levels. Pure functions over caller-owned arrays; they allocate nothing and may
// run on any thread.
#pragma once

// Third-octave bands read: 25 Hz ... 12.5 kHz (index 0 = 25 Hz). Longer arrays are accepted; only the
// first kLoudnessBandCount values are read.
inline constexpr int kLoudnessBandCount = 28;
// Specific loudness values of the pattern, at z = 0.1, 0.2, ... 24.0 Bark.
inline constexpr int kLoudnessPatternLength = 240;
// Bark step between two pattern values.
inline constexpr float kLoudnessPatternStep = 0.1f;

// Total loudness N in sone (never negative).
float ComputeLoudness(const float* levels);
// Total loudness N in sone; writes exactly kLoudnessPatternLength specific-loudness values (sone/Bark).
float ComputeLoudnessPattern(const float* levels, float* pattern);
// Exact centre frequency (Hz) of band `band` (0 = 25 Hz): 1000 x 10^((band - 16) / 10).
double LoudnessBandCentre(int band);

// A-weighted level in dB of the bands 100 Hz ... 10 kHz (indices 6 ... 26); the bands below 100 Hz and
// the 12.5 kHz band do not count.
float ComputeThirdOctaveALevel(const float* levels);
