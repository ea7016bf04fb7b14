// The tables of the rate-table filters (CRateTableFilter2, 4 and 8), each stored as: number of rates
// (6), the rates 32000, 44100, 88200, 48000, 96000, 192000 Hz, nB, nA, then per rate nB feed-forward
// and nA feedback values. The 44100 and 48000 Hz sets are the established ones; the others are
// written by dsp/generator from the rule in its source.
#pragma once

inline constexpr int kRateTableRateCount = 6;
inline constexpr double kRateTableRates[kRateTableRateCount] = {32000, 44100, 88200, 48000, 96000, 192000};

constexpr int RateTableSize(int perSide)
{
    return 1 + kRateTableRateCount + 2 + kRateTableRateCount * 2 * perSide;
}

extern const double g_rateTable2[RateTableSize(3)];
extern const double g_rateTable4[RateTableSize(5)];
extern const double g_rateTable8[RateTableSize(9)];
