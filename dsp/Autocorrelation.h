// Circular autocorrelation of a block through the FFT, as the pitch detection reads it.
#pragma once

// out[n/2 + l] = 10^-0.2 · (4/n) · sum_m x[m]·x[(m + l) mod n] for lags l = -n/2 .. n/2-1, so lag 0 sits
// at index n/2; only ratios of these values carry meaning. n must be a power of two (2 or more); any
// other n > 0 gives n zeros. x and out may be the same array. Work arrays of up to 65536 values live on
// the stack, larger ones are allocated. Re-entrant; safe on any thread.
void ComputeAutocorrelation(const float* x, int n, float* out);
