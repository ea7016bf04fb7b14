// The distortion figures of the signal-processing library that the curve statistics ask for, as a
// table of functions with the library's signatures. A plot starts with the library's functions;
// tests install references of their own (CPlot::SetSpectrumFigures) to check what the plot asks.
#pragma once

struct SpectrumFigureFunctions
{
    // Level and fractional bin offset of the peak at `bin` from the bins around it.
    void (*InterpolatePeakAt)(const float* p, int bin, int bins, double* level, double* offset,
                              int windowType) = nullptr;
    // Harmonic levels and frequencies of a power spectrum; returns the distortion ratio.
    double (*ComputeThd)(const float* p, int bins, double fs, double maxFreq, double fundFreq,
                         double* fundLevel, int harmonics, float* levels, float* freqs,
                         int windowType) = nullptr;
    // Square root of the selected harmonic powers over the reference.
    double (*SumHarmonicPowers)(const float* levels, double reference, unsigned mask, int count) = nullptr;
    // Noise-and-distortion power over the power of the strongest line (its notch follows the window).
    double (*ComputeThdN)(const float* p, int bins, double fs, double startFreq, int windowType) = nullptr;
};
