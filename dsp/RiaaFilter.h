// RIAA equalisation at 44100, 48000, 96000 and 192000 Hz. The stored sets give the recording
// characteristic (rising with frequency, 0 dB at 1 kHz); the inverse switch (m_filter.m_nOption)
// gives the playback characteristic. Any other rate leaves the block unchanged. A change of the
// inverse switch takes effect with the next reload (a rate change or m_bReload = 1).
#pragma once

#include "dsp/IirFilter.h"

class CRiaaFilter
{
public:
    CRiaaFilter();
    virtual ~CRiaaFilter();
    CRiaaFilter(const CRiaaFilter&) = delete;
    CRiaaFilter& operator=(const CRiaaFilter&) = delete;

    void Process(float* samples, int count);

    CIirFilter m_filter;  // m_bEnabled: the owners' on switch; m_nOption: inverse (playback)
    CIirFilter m_spare;   // never run
    int m_bReload = 0;
    double m_dSampleRate = 0.0;
    double m_dBuiltRate = -1.0;
};
