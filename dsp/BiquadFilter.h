// One second-order section designed in closed form (low-pass, high-pass, low and high shelf,
// peaking), optionally applied twice. The owner writes rate, frequency, gain, Q, type and the
// switches; Process redesigns when the frequency ratio, type, Q or gain changed.
#pragma once

#include <cmath>

#include "dsp/IirFilter.h"

// Types of CBiquadFilter::m_nType; any value above 4 designs a low-pass.
inline constexpr int kBiquadLowPass = 0;
inline constexpr int kBiquadHighPass = 1;
inline constexpr int kBiquadLowShelf = 2;
inline constexpr int kBiquadHighShelf = 3;
inline constexpr int kBiquadPeaking = 4;

class CBiquadFilter
{
public:
    CBiquadFilter();
    virtual ~CBiquadFilter();
    CBiquadFilter(const CBiquadFilter&) = delete;
    CBiquadFilter& operator=(const CBiquadFilter&) = delete;

    void Process(float* samples, int count);
    // Computes m_b and m_a from the current fields, loads both sections and records the built values.
    void Design();

    CIirFilter m_first;
    CIirFilter m_second;  // runs only when m_bTwice is set
    double m_b[3] = {1.0, 0.0, 0.0};
    double m_a[3] = {1.0, 0.0, 0.0};
    double m_dSampleRate = 0.0;
    double m_dFrequency = 0.0;
    double m_dGainDb = 0.0;
    double m_dQ = std::sqrt(2.0);
    int m_nType = kBiquadLowPass;
    int m_bTwice = 0;
    int m_bEnabled = 0;
    double m_dBuiltRatio = -1.0;
    int m_nBuiltType = -1;
    double m_dBuiltQ = -1.0;
    double m_dBuiltGain = -1e99;
};
