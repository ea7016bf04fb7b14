// Butterworth low-pass of order 1 to 9 at one of the 50 cutoffs of the coefficient library (Brevik),
// for the library's nine rates. A rate, order or cutoff without a set leaves the block unchanged.
#pragma once

#include "dsp/IirFilter.h"

class CLowPassTableFilter
{
public:
    CLowPassTableFilter();
    virtual ~CLowPassTableFilter();
    CLowPassTableFilter(const CLowPassTableFilter&) = delete;
    CLowPassTableFilter& operator=(const CLowPassTableFilter&) = delete;

    void Process(float* samples, int count);

    CIirFilter m_filter;
    CIirFilter m_spare;  // never run
    int m_nCutoff = 0;   // index into m_pCutoffs
    int m_nSampleRate = 0;
    int m_nOrder = 3;
    const double* m_pCutoffs;  // the library's cutoffs in Hz
    int m_nCutoffCount;        // the library's cutoff count, 50
    int m_nBuiltRate = -1;
    int m_nBuiltCutoff = -1;
    int m_nBuiltOrder = 3;
    // Counts the rebuilds that found the cutoff index outside the table (the block then passes
    // unchanged instead of reading outside the library's table).
    int m_nIndexRejects = 0;

private:
    bool m_bLoaded = false;
};
