// The third-octave filter bank behind loudness: the 28 bands 25 Hz ... 12.5 kHz, each a sixth-order
// Butterworth band-pass (three second-order sections) between centre x 10^(-1/20) and
// centre x 10^(1/20) at the exact base-10 centres, as the loudness procedure measures its band
// levels. Its skirts let a tone into the neighbouring bands about 17 dB down; the procedure's slopes
// and corrections assume that, so band levels from steeper filters give a lone tone too little
// loudness and an FFT of fixed length blurs the low bands at high sample rates.
//
// One thread feeds the bank (Process) and another may read the levels of its last complete interval
// (Levels) at any time; Configure runs while nobody feeds it. Nothing allocates.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "dsp/Loudness.h"

class CLoudnessFilterBank
{
public:
    CLoudnessFilterBank();

    // Designs the bands for `sampleRate` and measures every `interval` samples; clears the filters and
    // any levels. Bands whose upper edge reaches 0.475 x sampleRate are left out (their level -300).
    void Configure(double sampleRate, int interval);

    // Filters `count` samples; each completed interval publishes its levels.
    void Process(const float* samples, int count);

    // The levels (dB of the mean square) of the last complete interval, kLoudnessBandCount of them;
    // false, and nothing written, before the first interval is complete.
    bool Levels(float* levels) const;

    // Power response of band `band` at `f` (Hz) as designed for the current sample rate.
    double Response(int band, double f) const;

private:
    static constexpr int kSections = 3;
    struct Section
    {
        double b0 = 0, b2 = 0, a1 = 0, a2 = 0;  // numerator b0 (1 - z^-2), denominator 1 + a1 z^-1 + a2 z^-2
        double s1 = 0, s2 = 0;                  // transposed direct form II state
    };
    struct Band
    {
        bool active = false;
        std::array<Section, kSections> sections;
        double energy = 0;
    };

    double m_sampleRate = 0;
    int m_interval = 0;
    int m_count = 0;
    std::array<Band, kLoudnessBandCount> m_bands;
    std::array<std::atomic<float>, kLoudnessBandCount> m_published;
    std::atomic<std::int64_t> m_intervals{0};
};
