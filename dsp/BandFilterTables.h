// The coefficient tables of the octave and third-octave band filters: band-pass and band-stop sets
// for each table rate and band, as four second-order sections each (see TableFilter.h). The
// coefficients are written by dsp/generator from the rule in its source.
#pragma once

#include <iterator>

#include "dsp/TableFilter.h"

// 88200 and 192000 Hz follow the older rates, so that these keep their places in the tables.
inline constexpr double kOctaveRates[] = {32000, 44100, 48000, 56000, 96000, 88200, 192000};
inline constexpr double kOctaveCentres[] = {63, 125, 250, 500, 1000, 2000, 4000, 8000};
inline constexpr int kOctaveFirstIndex = -4;  // 63 Hz is 1000 * 10^(3/10)^-4

inline constexpr double kThirdOctaveRates[] = {8000,  16000, 22050, 32000,  44100,
                                               48000, 56000, 96000, 192000, 88200};
inline constexpr double kThirdOctaveCentres[] = {
    10,   12.5, 16,    20,    25,    31.5,  40,    50,    63,    80,    100,   125,  160,  200,
    250,  315,  400,   500,   630,   800,   1000,  1250,  1600,  2000,  2500,  3150, 4000, 5000,
    6300, 8000, 10000, 12500, 16000, 20000, 25000, 31500, 40000, 50000, 63000, 80000};
inline constexpr int kThirdOctaveFirstIndex = -20;  // 10 Hz is 1000 * 10^(1/10)^-20

inline constexpr int kOctaveTableSize =
    static_cast<int>(std::size(kOctaveRates) * std::size(kOctaveCentres)) * kBandEntrySize;
inline constexpr int kThirdOctaveTableSize =
    static_cast<int>(std::size(kThirdOctaveRates) * std::size(kThirdOctaveCentres)) * kBandEntrySize;

extern const double g_octaveBandPass[kOctaveTableSize];
extern const double g_octaveBandStop[kOctaveTableSize];
extern const double g_thirdOctaveBandPass[kThirdOctaveTableSize];
extern const double g_thirdOctaveBandStop[kThirdOctaveTableSize];

extern const BandTable g_octaveTable;
extern const BandTable g_thirdOctaveTable;
