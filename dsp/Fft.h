// Fourier transforms of the signal-processing library and the spectra built on them. Every forward
// transform computes X(k) = sum x(m)·e^(-j2πmk/N) without scaling, in place, for N a power of two
// (2 <= N <= 2^30; the program uses up to 2^24). An N that is not a power of two leaves the data unchanged.
//
// Layouts (M = N/2):
//  - packed real spectrum (RealFft, RealFftDouble): [0] Re X(0), [k] Re X(k) for k = 1..M-1, [M] Re X(M),
//    [N-k] Im X(k) for k = 1..M-1 (the imaginary parts in reverse order);
//  - split spectrum (ConvertToSplitLayout of a packed one): [k] Re X(k) for k = 0..M, [M+k] Im X(k) for
//    k = 1..M-1; pairs (k, M+k) are read as complex numbers;
//  - power-and-phase spectrum (ComputePowerSpectrum): [0] 4·X(0)²/N², [k] 2·|X(k)|²/N², [M] 0,
//    [M+k] phase of X(k) in degrees (-180..180);
//  - complex signals: separate arrays of real and imaginary parts.
//
// Threads: every transform is re-entrant on distinct arrays and may run on any thread (the engine's
// analysis thread, the user-interface thread, workers). They share one process-wide cache of twiddle
// tables, one per stage length (bit reversal needs no table). A table is built under a lock on first
// use and published complete through an atomic pointer; once the tables of an order exist, the
// transforms of that order neither lock nor allocate. ClearFftTables and FreeFftTables belong to a
// moment when no transform runs (the engine calls them while its input is stopped); should a transform
// still run, the tables it may be using are retired, not freed, and released by a later call made when
// no transform is in flight (or at exit).
#pragma once

// n when N = 2^n (N >= 2); 0 for every other N, N <= 1 included.
int Log2OfPowerOfTwo(int N);

// Packed real spectrum of x, in place.
void RealFft(float* x, int N);
// The same in double precision.
void RealFftDouble(double* x, int N);

// Packed to split spectrum: reverses the order of elements M+1..N-1.
void ConvertToSplitLayout(float* x, int N);

// RealFft, then the power-and-phase spectrum.
void ComputePowerSpectrum(float* x, int N);
// RealFft, then [0] 4·X(0)²/N², [k] phase of X(k) in degrees for k = 1..M-1; [M..N-1] keep the packed
// transform.
void ComputePhaseSpectrum(float* x, int N);
// RealFftDouble, then [0] 2·X(0)²/N², [k] 2·|X(k)|²/N² for k = 1..M-1; [M..N-1] keep the packed transform.
void ComputePowerSpectrumDouble(double* x, int N);

// RealFft and ConvertToSplitLayout of a signal, then its reciprocal 1/X(k) in split layout ([M] is 0).
void InvertSpectrum(float* x, int N);

// a <- a·b bin by bin for split spectra: complex products of the pairs (k, M+k) for k = 1..M-1; the real
// DC (0) and Nyquist (M) values are multiplied by their own counterparts.
void MultiplyComplexSpectra(float* a, const float* b, int N);

// Hermitian back-transform of a split spectrum with the forward kernel, scaled by 1/N: for the split
// spectrum of a real signal s it gives s(-m mod N). Negating the imaginary parts first gives s itself.
// Allocates nothing.
void InverseRealFft(float* x, int N);

// Forward complex transform in place, tables from the cache.
void ComplexFft(float* re, float* im, int N);
// The same transform with its own temporary tables (the cache is not touched); results are identical.
void ComplexFftUncached(float* re, float* im, int N);
// Inverse of ComplexFft in place, scaled by 1/N: x(m) = (1/N)·sum X(k)·e^(+j2πmk/N).
void InverseComplexFft(float* re, float* im, int N);

// Unwraps a phase curve in degrees in place; element 0 is left alone and takes no part.
void UnwrapPhase(float* p, int n);

// Empties every cache entry; the next transform of each order builds its tables again. Any thread; not
// while a transform runs (see above).
void ClearFftTables();
// Empties every cache entry and releases the tables (deferred while a transform is in flight). Called by
// the engine while its input is stopped and when it is destroyed.
void FreeFftTables();
