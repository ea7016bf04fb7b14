// Brevik: the data library of low-pass coefficient tables, the resampling kernel of the sample-rate
// converter and the splash image. Its only code runs when the library is loaded: it fills the tables
// and points the exported pointer variables at them. Everything here is exported by name with C
// linkage; the program only reads it.
//
// Threads: filled once before main() runs (load time); read-only afterwards, from any thread.
#pragma once

#include <cstddef>

// Sizes of the tables, fixed by what the program imports.
inline constexpr int kBrevikRateCount = 9;
inline constexpr int kBrevikCutoffCount = 50;
inline constexpr int kBrevikMaximumOrder = 9;
inline constexpr int kBrevikKernelTaps = 31;
inline constexpr int kBrevikKernelPhases = 1280;  // rows 0..1280 inclusive
inline constexpr int kBrevikKernelRows = kBrevikKernelPhases + 1;
inline constexpr int kBrevikKernelSize = kBrevikKernelTaps * kBrevikKernelRows + 3;

// Doubles in the table of order n: rates x cutoffs x (b0..bn, a0..an).
constexpr int BrevikTableSize(int order)
{
    return kBrevikRateCount * kBrevikCutoffCount * 2 * (order + 1);
}

#define BREVIK_EXPORT __attribute__((visibility("default")))

extern "C"
{
    // Pointers to the low-pass table of each order 1..9; set at load time.
    BREVIK_EXPORT extern double* DLL_LP1_a_0_start;
    BREVIK_EXPORT extern double* DLL_LP2_a_0_start;
    BREVIK_EXPORT extern double* DLL_LP3_a_0_start;
    BREVIK_EXPORT extern double* DLL_LP4_a_0_start;
    BREVIK_EXPORT extern double* DLL_LP5_a_0_start;
    BREVIK_EXPORT extern double* DLL_LP6_a_0_start;
    BREVIK_EXPORT extern double* DLL_LP7_a_0_start;
    BREVIK_EXPORT extern double* DLL_LP8_a_0_start;
    BREVIK_EXPORT extern double* DLL_LP9_a_0_start;
    // The common header, read through the copy of order 3: cutoff count (50.0), the 50 cutoffs in Hz,
    // the rate count (9.0) and the 9 rates in Hz.
    BREVIK_EXPORT extern double* DLL_LP3_Nbands;
    BREVIK_EXPORT extern double* DLL_LP3_fcenter;
    BREVIK_EXPORT extern double* DLL_LP3_NFs;
    BREVIK_EXPORT extern double* DLL_LP3_Fs;
    // The polyphase interpolation kernel: 1281 rows of 31 taps, then three words outside the kernel.
    BREVIK_EXPORT extern double* DLL_GpolyCoeff;
    // The library's module handle (a dlopen handle of the library itself, usable with dlsym).
    BREVIK_EXPORT extern void* BREVIK_hModule;

    // The tables of the orders 2, 4, 6, 7, 8 and 9 are also exported directly, each with its header.
    BREVIK_EXPORT extern double LP2_Nbands[1], LP2_fcenter[kBrevikCutoffCount], LP2_Nfilter[1], LP2_NFs[1],
        LP2_Fs[kBrevikRateCount], LP2_a_0_start[BrevikTableSize(2)];
    BREVIK_EXPORT extern double LP4_Nbands[1], LP4_fcenter[kBrevikCutoffCount], LP4_Nfilter[1], LP4_NFs[1],
        LP4_Fs[kBrevikRateCount], LP4_a_0_start[BrevikTableSize(4)];
    BREVIK_EXPORT extern double LP6_Nbands[1], LP6_fcenter[kBrevikCutoffCount], LP6_Nfilter[1], LP6_NFs[1],
        LP6_Fs[kBrevikRateCount], LP6_a_0_start[BrevikTableSize(6)];
    BREVIK_EXPORT extern double LP7_Nbands[1], LP7_fcenter[kBrevikCutoffCount], LP7_Nfilter[1], LP7_NFs[1],
        LP7_Fs[kBrevikRateCount], LP7_a_0_start[BrevikTableSize(7)];
    BREVIK_EXPORT extern double LP8_Nbands[1], LP8_fcenter[kBrevikCutoffCount], LP8_Nfilter[1], LP8_NFs[1],
        LP8_Fs[kBrevikRateCount], LP8_a_0_start[BrevikTableSize(8)];
    BREVIK_EXPORT extern double LP9_Nbands[1], LP9_fcenter[kBrevikCutoffCount], LP9_Nfilter[1], LP9_NFs[1],
        LP9_Fs[kBrevikRateCount], LP9_a_0_start[BrevikTableSize(9)];

    // The splash image (450 x 290 pixels) as the bytes of a PNG file.
    BREVIK_EXPORT extern const unsigned char BREVIK_SplashPng[];
    BREVIK_EXPORT extern const std::size_t BREVIK_SplashPngSize;

    // Fills the tables and sets the pointers and the module handle; returns 1. Runs at load time;
    // calling it again rewrites the same values.
    BREVIK_EXPORT int InitBrevikTables();
}
