// 1/x-octave smoothing of spectra: over a frequency axis given point by point, and over the bins of
// a linearly spaced spectrum (bin i at i times the bin spacing). x is the fraction: 1 octave, 3
// third octave. A fraction that is not positive leaves the values as they are.
#pragma once

#include <span>

// In place; each value becomes the mean of the values within f / r .. f * r, r = sqrt(2^(1/x)),
// the point itself counted twice (both walks start at it). Frequencies ascending.
void SmoothFractionalOctave(std::span<const float> frequencies, std::span<float> values, double fraction);

// output[i] = the plain mean of input[trunc(i / r + 0.5) .. min(trunc(i * r + 0.5), count - 1)].
// input and output are distinct arrays of at least `count` values; nothing is allocated.
void SmoothFractionalOctaveBins(const float* input, float* output, int count, double fraction);
// The same in place, through a temporary array.
void SmoothFractionalOctaveBinsInPlace(float* values, int count, double fraction);
