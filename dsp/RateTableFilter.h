// The generator's fixed second-, fourth- and eighth-order responses, one set per rate for 32000,
// 44100, 88200, 48000, 96000 and 192000 Hz (the table layout is in FixedFilterTables.h). A rate
// within 1e-6 Hz of a table rate takes the last such set; any other leaves the block unchanged.
#pragma once

#include "dsp/FilterStage.h"
#include "dsp/IirFilter.h"

// What the three classes share: the table fields and the lookup-and-run step.
class CRateTableFilter
{
public:
    explicit CRateTableFilter(const double* table);
    virtual ~CRateTableFilter();
    CRateTableFilter(const CRateTableFilter&) = delete;
    CRateTableFilter& operator=(const CRateTableFilter&) = delete;

    // Reloads on a rate change (rate differs from builtRate) and filters; sets builtRate.
    void Run(int rate, int& builtRate, float* samples, int count);

    CIirFilter m_filter;  // m_bEnabled: the generator's on switch
    int m_nRateCount;
    const double* m_pTable;
    int m_nTableB;
    int m_nTableA;
    const double* m_pRates;
};

// Low-frequency lift: +0.6 dB at 10 Hz, +2 dB at 5 Hz, flat above 200 Hz.
class CRateTableFilter2 : public CRateTableFilter
{
public:
    CRateTableFilter2();
    ~CRateTableFilter2() override;
    void Process(float* samples, int count) { Run(m_nSampleRate, m_nBuiltRate, samples, count); }

    int m_nSampleRate = 0;
    int m_nBuiltRate = -1;
};

// Band-pass, -3 dB at about 85 Hz and 2.9 kHz.
class CRateTableFilter4 : public CRateTableFilter
{
public:
    CRateTableFilter4();
    ~CRateTableFilter4() override;
    void Process(float* samples, int count) { Run(m_nSampleRate, m_nBuiltRate, samples, count); }

    int m_nSampleRate = 0;
    int m_nBuiltRate = -1;
};

// Band-pass, -3 dB at about 59 Hz and 3.6 kHz; a filter stage (rate and built rate from the base).
class CRateTableFilter8 : public CFilterStage
{
public:
    CRateTableFilter8();
    ~CRateTableFilter8() override;
    void Process(float* samples, int count) override;

    CRateTableFilter m_table;  // m_table.m_filter is the section that runs
};
