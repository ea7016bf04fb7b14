#include "filtercoeffs/Brevik.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace
{

constexpr double kCutoffs[kBrevikCutoffCount] = {
    1,    1.25,  1.6,   2,     2.5,   3.15,  4,     5,     6.3,   8,     10,   12.5, 16,
    20,   25,    31.5,  40,    50,    63,    80,    100,   125,   160,   200,  250,  315,
    400,  500,   630,   800,   1000,  1250,  1600,  2000,  2500,  3150,  4000, 5000, 6300,
    8000, 10000, 12500, 16000, 20000, 25000, 31500, 40000, 50000, 63000, 80000};
constexpr double kRates[kBrevikRateCount] = {8000, 10000, 16000, 32000, 44100, 48000, 56000, 96000, 192000};

// Cutoffs that the tables leave empty although they lie below half the rate: the last band below
// the Nyquist frequency at 44100 and 56000 Hz, where a low-pass would barely touch the audio band.
bool IsOmittedNearNyquist(double rate, double cutoff)
{
    return (rate == 44100.0 && cutoff == 20000.0) || (rate == 56000.0 && cutoff == 25000.0);
}

// Order-n Butterworth low-pass by the bilinear transform with the prewarped cutoff K = tan(pi fc/fs):
// H(z) = K^n (1 + z^-1)^n / prod((1 - K p) - (1 + K p) z^-1) over the analog poles p, normalised to
// a0 = 1. Writes b0..bn then a0..an; an empty set (all zeros) when there is no filter.
void DesignButterworthLowPass(int order, double rate, double cutoff, double* set)
{
    const int count = order + 1;
    std::fill(set, set + 2 * count, 0.0);
    if (cutoff >= 0.5 * rate || IsOmittedNearNyquist(rate, cutoff))
        return;
    const double k = std::tan(std::numbers::pi * cutoff / rate);
    std::complex<double> denominator[kBrevikMaximumOrder + 1] = {1.0};
    for (int pole = 0; pole < order; ++pole)
    {
        const double angle = std::numbers::pi * (2.0 * pole + order + 1.0) / (2.0 * order);
        const std::complex<double> p = std::polar(1.0, angle);
        const std::complex<double> c0 = 1.0 - k * p;
        const std::complex<double> c1 = -(1.0 + k * p);
        for (int i = pole + 1; i >= 1; --i)
            denominator[i] = denominator[i] * c0 + denominator[i - 1] * c1;
        denominator[0] *= c0;
    }
    const double a0 = denominator[0].real();
    double binomial = 1.0;
    const double gain = std::pow(k, order) / a0;
    for (int i = 0; i <= order; ++i)
    {
        set[i] = gain * binomial;
        set[count + i] = denominator[i].real() / a0;
        binomial = binomial * (order - i) / (i + 1);
    }
}

double BesselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 60 && term > 1e-17 * sum; ++k)
    {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// Kaiser-windowed sinc interpolator: row p interpolates at the fraction p/1280 of an input sample
// past the centre tap 15, so row 0 is the unit impulse at tap 15 and row 1280 the one at tap 16. The
// cutoff sits at the input's Nyquist frequency, so the sinc's zeros fall on the other taps and the
// rows at whole samples pass the input unchanged; the window keeps the passband flat to 0.4 of the
// rate within 70 dB. Each row is scaled to sum to 1 so that a constant signal passes at unit gain
// at every phase.
void FillKernel(double* kernel)
{
    constexpr double kCutoff = 1.0;
    constexpr double kBeta = 7.0;
    constexpr int kCentre = kBrevikKernelTaps / 2;
    constexpr double kHalfWidth = kCentre + 1.0;
    const double windowNorm = BesselI0(kBeta);
    for (int row = 0; row < kBrevikKernelRows; ++row)
    {
        const double fraction = static_cast<double>(row) / kBrevikKernelPhases;
        double* taps = kernel + row * kBrevikKernelTaps;
        double sum = 0.0;
        for (int j = 0; j < kBrevikKernelTaps; ++j)
        {
            const double x = j - kCentre - fraction;
            const double arg = std::numbers::pi * kCutoff * x;
            const double sinc = std::fabs(arg) < 1e-12 ? 1.0 : std::sin(arg) / arg;
            const double r = x / kHalfWidth;
            const double window = BesselI0(kBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / windowNorm;
            taps[j] = kCutoff * sinc * window;
            sum += taps[j];
        }
        for (int j = 0; j < kBrevikKernelTaps; ++j)
            taps[j] /= sum;
    }
    std::fill(kernel + kBrevikKernelTaps * kBrevikKernelRows, kernel + kBrevikKernelSize, 0.0);
}

// One order's table with its header.
struct OrderTable
{
    double* nbands;
    double* fcenter;
    double* nfilter;
    double* nfs;
    double* fs;
    double* table;
};

void FillOrder(int order, const OrderTable& t)
{
    t.nbands[0] = kBrevikCutoffCount;
    std::copy(std::begin(kCutoffs), std::end(kCutoffs), t.fcenter);
    t.nfilter[0] = order + 1;
    t.nfs[0] = kBrevikRateCount;
    std::copy(std::begin(kRates), std::end(kRates), t.fs);
    const int setSize = 2 * (order + 1);
    for (int r = 0; r < kBrevikRateCount; ++r)
        for (int k = 0; k < kBrevikCutoffCount; ++k)
            DesignButterworthLowPass(order, kRates[r], kCutoffs[k],
                                     t.table + setSize * (kBrevikCutoffCount * r + k));
}

// The orders that are not exported directly keep their tables here.
double LP1_Nbands[1], LP1_fcenter[kBrevikCutoffCount], LP1_Nfilter[1], LP1_NFs[1], LP1_Fs[kBrevikRateCount],
    LP1_a_0_start[BrevikTableSize(1)];
double LP3_Nbands[1], LP3_fcenter[kBrevikCutoffCount], LP3_Nfilter[1], LP3_NFs[1], LP3_Fs[kBrevikRateCount],
    LP3_a_0_start[BrevikTableSize(3)];
double LP5_Nbands[1], LP5_fcenter[kBrevikCutoffCount], LP5_Nfilter[1], LP5_NFs[1], LP5_Fs[kBrevikRateCount],
    LP5_a_0_start[BrevikTableSize(5)];
double GpolyCoeff[kBrevikKernelSize];

__attribute__((constructor)) void LoadBrevik()
{
    InitBrevikTables();
}

}  // namespace

extern "C"
{
    // The pointers hold their tables' addresses from the moment the library is relocated, before any
    // code runs: a program that binds them by copy (its own copy of each pointer variable, made at
    // load time) and one that looks them up in the library then see the same, filled, tables.
    double* DLL_LP1_a_0_start = LP1_a_0_start;
    double* DLL_LP2_a_0_start = LP2_a_0_start;
    double* DLL_LP3_a_0_start = LP3_a_0_start;
    double* DLL_LP4_a_0_start = LP4_a_0_start;
    double* DLL_LP5_a_0_start = LP5_a_0_start;
    double* DLL_LP6_a_0_start = LP6_a_0_start;
    double* DLL_LP7_a_0_start = LP7_a_0_start;
    double* DLL_LP8_a_0_start = LP8_a_0_start;
    double* DLL_LP9_a_0_start = LP9_a_0_start;
    double* DLL_LP3_Nbands = LP3_Nbands;
    double* DLL_LP3_fcenter = LP3_fcenter;
    double* DLL_LP3_NFs = LP3_NFs;
    double* DLL_LP3_Fs = LP3_Fs;
    double* DLL_GpolyCoeff = GpolyCoeff;
    void* BREVIK_hModule = nullptr;

    double LP2_Nbands[1], LP2_fcenter[kBrevikCutoffCount], LP2_Nfilter[1], LP2_NFs[1],
        LP2_Fs[kBrevikRateCount], LP2_a_0_start[BrevikTableSize(2)];
    double LP4_Nbands[1], LP4_fcenter[kBrevikCutoffCount], LP4_Nfilter[1], LP4_NFs[1],
        LP4_Fs[kBrevikRateCount], LP4_a_0_start[BrevikTableSize(4)];
    double LP6_Nbands[1], LP6_fcenter[kBrevikCutoffCount], LP6_Nfilter[1], LP6_NFs[1],
        LP6_Fs[kBrevikRateCount], LP6_a_0_start[BrevikTableSize(6)];
    double LP7_Nbands[1], LP7_fcenter[kBrevikCutoffCount], LP7_Nfilter[1], LP7_NFs[1],
        LP7_Fs[kBrevikRateCount], LP7_a_0_start[BrevikTableSize(7)];
    double LP8_Nbands[1], LP8_fcenter[kBrevikCutoffCount], LP8_Nfilter[1], LP8_NFs[1],
        LP8_Fs[kBrevikRateCount], LP8_a_0_start[BrevikTableSize(8)];
    double LP9_Nbands[1], LP9_fcenter[kBrevikCutoffCount], LP9_Nfilter[1], LP9_NFs[1],
        LP9_Fs[kBrevikRateCount], LP9_a_0_start[BrevikTableSize(9)];

    int InitBrevikTables()
    {
        const OrderTable tables[kBrevikMaximumOrder] = {
            {LP1_Nbands, LP1_fcenter, LP1_Nfilter, LP1_NFs, LP1_Fs, LP1_a_0_start},
            {LP2_Nbands, LP2_fcenter, LP2_Nfilter, LP2_NFs, LP2_Fs, LP2_a_0_start},
            {LP3_Nbands, LP3_fcenter, LP3_Nfilter, LP3_NFs, LP3_Fs, LP3_a_0_start},
            {LP4_Nbands, LP4_fcenter, LP4_Nfilter, LP4_NFs, LP4_Fs, LP4_a_0_start},
            {LP5_Nbands, LP5_fcenter, LP5_Nfilter, LP5_NFs, LP5_Fs, LP5_a_0_start},
            {LP6_Nbands, LP6_fcenter, LP6_Nfilter, LP6_NFs, LP6_Fs, LP6_a_0_start},
            {LP7_Nbands, LP7_fcenter, LP7_Nfilter, LP7_NFs, LP7_Fs, LP7_a_0_start},
            {LP8_Nbands, LP8_fcenter, LP8_Nfilter, LP8_NFs, LP8_Fs, LP8_a_0_start},
            {LP9_Nbands, LP9_fcenter, LP9_Nfilter, LP9_NFs, LP9_Fs, LP9_a_0_start},
        };
        // Every order holds a real filter for every cutoff below half the rate (bar the two near the
        // Nyquist frequency above); no order has rows left empty or with a zero numerator.
        for (int order = 1; order <= kBrevikMaximumOrder; ++order)
            FillOrder(order, tables[order - 1]);
        FillKernel(GpolyCoeff);

        DLL_LP1_a_0_start = LP1_a_0_start;
        DLL_LP2_a_0_start = LP2_a_0_start;
        DLL_LP3_a_0_start = LP3_a_0_start;
        DLL_LP4_a_0_start = LP4_a_0_start;
        DLL_LP5_a_0_start = LP5_a_0_start;
        DLL_LP6_a_0_start = LP6_a_0_start;
        DLL_LP7_a_0_start = LP7_a_0_start;
        DLL_LP8_a_0_start = LP8_a_0_start;
        DLL_LP9_a_0_start = LP9_a_0_start;
        DLL_LP3_Nbands = LP3_Nbands;
        DLL_LP3_fcenter = LP3_fcenter;
        DLL_LP3_NFs = LP3_NFs;
        DLL_LP3_Fs = LP3_Fs;
        DLL_GpolyCoeff = GpolyCoeff;

        // The handle of this very library, found through the address of one of its own symbols; the
        // extra reference that RTLD_NOLOAD takes keeps it for the life of the process, which a
        // library linked at load time has anyway.
        if (!BREVIK_hModule)
        {
            Dl_info info{};
            if (dladdr(reinterpret_cast<void*>(&InitBrevikTables), &info) && info.dli_fname)
                BREVIK_hModule = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
        }
        return 1;
    }
}
