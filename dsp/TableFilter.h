// What the fixed table filters share: the rate lookup of their tables, and the two shapes most of
// them have: a band table (one set per rate and band, option band-pass or band-stop) and a pair of
// sections loaded with the same set and run in series. The owner writes the rate (and band, set)
// before every Process; a set is looked up only when one of them changed.
//
// Threads: one object per channel, run and reconfigured by the thread that processes its blocks.
#pragma once

#include <array>
#include <span>

#include "dsp/IirFilter.h"

// Index of the last entry of rates equal to rate, or -1.
int FindLastRateIndex(std::span<const double> rates, double rate);
// The same within a tolerance (|rates[i] - rate| < tolerance).
int FindLastRateIndexNear(std::span<const double> rates, double rate, double tolerance);

// A band table: for each set (0 band-pass, 1 band-stop), rates x bands entries of kBandSections
// second-order sections (b0 b1 b2 a0 a1 a2 each); an entry whose first a0 is 0 is absent.
inline constexpr int kBandSections = 4;
inline constexpr int kBandSectionSize = 6;
inline constexpr int kBandEntrySize = kBandSections * kBandSectionSize;

struct BandTable
{
    std::span<const double> rates;
    std::span<const double> centres;
    std::array<const double*, 2> sets;
};

// The octave and third-octave band filters. Run as four second-order sections rather than one
// eighth-order polynomial, which would lose its poles to rounding in the low bands at high rates.
class CBandTableFilter
{
public:
    explicit CBandTableFilter(const BandTable& table);
    virtual ~CBandTableFilter();
    CBandTableFilter(const CBandTableFilter&) = delete;
    CBandTableFilter& operator=(const CBandTableFilter&) = delete;

    void Process(float* samples, int count);

    std::array<CIirFilter, kBandSections> m_sections;  // all run, in order
    int m_nBand = 0;
    int m_nBandCount;
    int m_nTableSet = 0;  // 0 band-pass, 1 band-stop
    int m_nSampleRate = 0;
    const double* m_pCentres;  // the band centres in Hz, m_nBandCount of them
    int m_nBuiltRate = -1;
    int m_nBuiltBand = -1;
    int m_nBuiltSet = -1;
    // Counts the rebuilds that found the band or set index outside the table (the block then
    // passes unchanged); the owner can read it to tell a wrong index from a missing rate.
    int m_nIndexRejects = 0;

private:
    const BandTable& m_table;
    bool m_bLoaded = false;
};

// Two sections loaded with the same set and run in series (the 1 kHz notch, the 200 Hz - 4 kHz
// band-pass). A rate without a set leaves the block unchanged and is looked up again next block.
class CSeriesTableFilter
{
public:
    CSeriesTableFilter(std::span<const double> rates, int coefficientsPerSide, const double* table);
    virtual ~CSeriesTableFilter();
    CSeriesTableFilter(const CSeriesTableFilter&) = delete;
    CSeriesTableFilter& operator=(const CSeriesTableFilter&) = delete;

    void Process(float* samples, int count);

    CIirFilter m_first;
    CIirFilter m_second;
    int m_nSampleRate = 0;
    int m_nBuiltRate = -1;

private:
    std::span<const double> m_rates;
    int m_nPerSide;
    const double* m_pTable;  // per rate: b then a
};
