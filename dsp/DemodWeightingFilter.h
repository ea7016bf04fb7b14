// The deviation weighting of the wow-and-flutter measurement: a first-order low-pass at 12 Hz and a
// second-order Butterworth high-pass at 1.1 Hz (together -0.5 dB at 2 and 4 Hz), for the library's
// nine rates. Any other rate leaves the block unchanged.
#pragma once

#include "dsp/IirFilter.h"

class CDemodWeightingFilter
{
public:
    CDemodWeightingFilter();
    virtual ~CDemodWeightingFilter();
    CDemodWeightingFilter(const CDemodWeightingFilter&) = delete;
    CDemodWeightingFilter& operator=(const CDemodWeightingFilter&) = delete;

    void Process(float* samples, int count);

    CIirFilter m_first;   // the low-pass
    CIirFilter m_second;  // the high-pass
    int m_nRateCount;
    int m_nSampleRate = 0;
    int m_nRateIndex = -1;
    const double* m_pRates;
    int m_nBuiltRate = -1;
};

// Per rate: the low-pass set b0 b1 a0 a1, then the high-pass set b0 b1 b2 a0 a1 a2.
inline constexpr int kDemodWeightingSetSize = 10;
const double* GetDemodWeightingTable();
