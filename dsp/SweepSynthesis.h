#pragma once
// Excitation tables for impulse-response measurement: the logarithmic sine sweep (time domain, Gaussian
// fades at both ends) and the linear chirp (built as a spectrum and transformed). Both are normalised
// to a peak of 1.0 and synthesised once per change of settings; playback only scales and copies.
// Frequencies are normalised to the sample rate (cycles per sample).
//
// Consumers read m_samples directly and compare m_capacity with the length they need. Set and the
// reads belong to one thread at a time (the owner rebuilds only while nothing plays the table).

#include <vector>

class CLogSweep
{
public:
    // Fade length of each end; a table shorter than this fades over its own length.
    static constexpr int kTaperLength = 100;

    CLogSweep(int length, double f1, double f2);
    virtual ~CLogSweep() = default;

    // Takes a new length (growing the table if needed, old contents discarded) and rebuilds when the
    // length or either frequency changed. A negative length is taken as 0. Setting m_length to 0
    // beforehand forces a rebuild.
    void Set(int length, double f1, double f2);

    int m_length = 0;
    double m_startFreq = -1.0;
    double m_stopFreq = -1.0;
    int m_taperLength = kTaperLength;
    std::vector<float> m_samples;  // m_capacity values, the first m_length of them the sweep
    int m_capacity = 0;

private:
    void Generate();
    void ApplyTaper();
};

// The spectrum that deconvolves a recorded period of an excitation table of N samples (N a power of
// two, 2 <= N <= 2^24): the reciprocal of the table's transform in split layout, regularised so that
// bins where the table carries almost no energy (outside the swept band) are not raised by more than
// about 54 dB over the band. Multiplying a recording's split spectrum by it gives the transfer
// function. `spectrum` receives N values; false (spectrum zeroed) for a silent table or a bad N.
bool PrepareSweepSpectrum(const float* table, float* spectrum, int N);

class CLinearChirp
{
public:
    CLinearChirp(int length, double f1, double f2);
    virtual ~CLinearChirp() = default;

    // As CLogSweep::Set. The length must be a power of two (it is one FFT); any other length gives a
    // silent table.
    void Set(int length, double f1, double f2);

    int m_length = 0;
    double m_startFreq = -1.0;
    double m_stopFreq = -1.0;
    std::vector<float> m_samples;  // m_capacity + 2 values: the spectrum's real part while building
    std::vector<float> m_imag;     // m_capacity + 2 values: the imaginary part while building
    int m_capacity = 0;

private:
    void Generate();
};
