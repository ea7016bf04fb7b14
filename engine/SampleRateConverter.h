// Converts one stream of float samples by an arbitrary ratio (output samples per input sample)
// with the polyphase interpolation kernel of the Brevik library (31 taps, 1280 phases). The
// history, start index and time carry over between calls, so consecutive blocks join without a
// gap or a repeated sample.
//
// Threads: one thread at a time (the intake that owns the converter). Process allocates nothing.
#pragma once

#include <memory>

// The kernel: for every output position t (in input samples, from `time`, step 1/factor) whose
// integer part k satisfies k + taps <= nx, y = x[k .. k + taps − 1] filtered by the kernel rows of
// the two phases around t − k, weighted linearly between them (h holds phases + 1 rows). Returns
// the number of outputs written.
int PolyphaseInterpolate(const double* h, int taps, const double* x, double* y, int nx, int phases,
                         double factor, double time);

class CSampleRateConverter
{
public:
    static constexpr int kStoreSize = 32768;
    static constexpr int kKeptHistory = 100;
    static constexpr int kTaps = 31;
    static constexpr int kPhases = 1280;
    // Taps before the centre tap.
    static constexpr int kCentre = kTaps / 2;

    CSampleRateConverter();
    virtual ~CSampleRateConverter();
    CSampleRateConverter(const CSampleRateConverter&) = delete;
    CSampleRateConverter& operator=(const CSampleRateConverter&) = delete;

    // Converts n inputs; returns the number of outputs written to out (room for MaxOutput(n)).
    // Returns 0 and keeps its state when n is negative or does not fit the stores.
    int Process(const float* in, int n, float* out);
    // The most outputs a call with n inputs at the current ratio can write.
    int MaxOutput(int n) const;
    // The largest n whose call fits the stores at the current ratio.
    int MaxInput() const;

    double m_dTime = 0.0;
    double m_dRatio = 1.0;
    std::unique_ptr<double[]> m_pHistory;
    std::unique_ptr<double[]> m_pOutput;
    int m_nLast = 1024;
    int m_nKeep = kKeptHistory;
    int m_nStart = kKeptHistory;
};
