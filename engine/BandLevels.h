// Third-octave band levels of a power spectrum and the store that keeps the levels a display shows,
// and the two array helpers of the analysis and its display: a rotated copy and a linear resampling.
#pragma once

#include <array>
#include <span>

inline constexpr int kThirdOctaveBandCount = 37;
inline constexpr int kThirdOctaveSummedBands = 30;

// Nominal centre frequencies, 25 Hz to 100 kHz.
extern const std::array<double, kThirdOctaveBandCount> kThirdOctaveDisplayCentres;

// Keeps `levels` (dB) in `store`, as many as both hold, and returns the overall level: 10 log10 of
// the summed powers (-300 when they sum to nothing).
double StoreBandLevels(std::span<const float> levels, std::span<float> store);

// Band powers of the first 30 bands of `spectrum` (n values spanning 0 .. rate/2): the bins from
// floor(2 f_lo / rate x n) to floor(2 f_hi / rate x n), exclusive, with the edges f / 2^(1/6) and
// f x 2^(1/6); bins past the spectrum count nothing. Their levels go to StoreBandLevels(store);
// returns its overall level.
double ThirdOctaveLevels(std::span<const float> spectrum, double sampleRate, std::span<float> store);

// Short label of a band meter's time weighting: 1 "I", 2 "F", 3 "S", 4 "CCIR", 6 "10s", 7 "60s",
// any other index "".
const char* GetTimeWeightingLabel(int index);

// destination[i] = source[(i + shift) mod length] (a negative remainder wraps).
void RotateCopy(int shift, const float* source, float* destination, int length);

// For each destination point j at x = j x destinationStep / sourceStep: linear interpolation between
// source[floor(x)] and source[floor(x) + 1], the last value within 1e-5 above the last index, else 0.
void ResampleCurveLinear(const float* source, double sourceStep, int sourceCount, float* destination,
                         double destinationStep, int destinationCount);
