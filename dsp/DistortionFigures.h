// Distortion figures from power spectra: the level and position of a spectral peak between bins, total
// harmonic distortion (THD), THD plus noise, and the flattening of narrow lines such as mains hum.
//
// A spectrum here is `bins` power values with bin width fs·0.5/bins: the lower half of the
// power-and-phase spectrum of a 2·bins-point FFT (ComputePowerSpectrum). Window type codes are those of
// CFftWindow; the three-bin peak corrections know Rectangular, Hamming, Blackman and Hanning; with the
// whole spectrum at hand, every type from FlatTop up reads a peak from the power of its main lobe.
//
// Degenerate input (no bins, a sample rate <= 0, a silent spectrum, a fundamental outside the spectrum,
// peaks at the array edges) gives 0 or the raw bin values, never NaN or infinity. Output pointers are
// required unless marked "may be null". Re-entrant; safe on any thread.
#pragma once

// Corrected level (mean square of the tone) and fractional bin offset (-0.5..0.5, negative towards
// `left`) of a peak from three adjacent power values. Writes nothing when centre is 0. Accuracy for a
// single tone on a long transform: rectangular window, level within 0.15 dB and offset within 0.005 bins;
// Hamming, Blackman and Hanning, level within 0.02 dB and offset within 0.002 bins. The level correction
// is a fit per window; the offset inverts the window's main lobe (a fit for the rectangular window).
void InterpolatePeak(double left, double centre, double right, double* level, double* offset, int windowType);

// InterpolatePeak on bins bin-1, bin, bin+1 of p; a missing neighbour at either end of the array is
// replaced by the centre bin. For the windows from FlatTop up, the level is the power of the main lobe
// around bin (the window's lobe half-width on either side) over the window's mean square, and the
// offset the centre of that power: a tone between bins reads its own power within 0.02 dB. When the
// correction yields no usable level (negative, or nothing written) level is the raw bin value and offset 0. A
// bin outside 0..bins-1 gives level 0 and offset 0.
void InterpolatePeakAt(const float* p, int bin, int bins, double* level, double* offset, int windowType);

// THD as an amplitude ratio: sqrt(sum of harmonic powers / fundamental power). The fundamental is at
// fundFreq, or at the strongest bin when fundFreq <= 0; its power is the power in the notch that
// ComputeThdN takes out around its bin (see there). Harmonics 2 .. harmonics+1 are searched within ±2 bins
// of their expected positions up to maxFreq (no limit when maxFreq < 0); each one's power is the power of
// its main lobe (the window's lobe half-width around its peak bin), outside the notch and outside the
// lobes of the harmonics below it. So every window type reads a tone between bins at its full power, and
// for the same spectrum THD never exceeds ComputeThdN's figure when the fundamental is the strongest
// line. When the fundamental is taken from the strongest bin, its frequency is refined from the 4th or
// 5th harmonic on the way. levels and freqs receive `harmonics` entries (entry 0 = 2nd harmonic): the
// level of each harmonic (its lobe power over the window's mean square: the tone's own mean square) and its
// frequency (peak bin and the centre of its lobe's power); an entry that could not be measured keeps level
// 1e-20 and frequency 0. fundLevel (may be null) receives the fundamental's level on the same scale. Returns
// 0 when there is no fundamental to divide by.
double ComputeThd(const float* p, int bins, double fs, double maxFreq, double fundFreq, double* fundLevel,
                  int harmonics, float* levels, float* freqs, int windowType);

// sqrt(sum of selected harmonic levels / reference) over `count` entries of ComputeThd's levels: mask
// bit 0 selects the odd harmonics (3rd, 5th, ...), bit 1 the even ones (2nd, 4th, ...). 0 when reference
// <= 0.
double SumHarmonicPowers(const float* levels, double reference, unsigned mask, int count);

// THD+N as a power ratio: the power from startFreq upwards outside a notch around the strongest bin,
// divided by the power inside the notch. The notch spans the window's skirt on either side of that bin
// (from 8 bins for Blackman-Harris to 40 for the windows whose skirts fall slowly), narrowed for a low
// fundamental so that it never reaches the second harmonic's lobe. Callers take the square root for the
// amplitude ratio. 0 when startFreq lies outside the spectrum or the notch holds no power.
double ComputeThdN(const float* p, int bins, double fs, double startFreq, int windowType);

// Flattens the lines at step, 2·step, ... up to maxFreq in place: the five bins around each line take the
// mean of the bins three away on either side. Lines closer than three bins to either end are left alone;
// a step <= 0 does nothing.
void SuppressSpectralLines(float* p, int bins, double fs, double step, double maxFreq);
