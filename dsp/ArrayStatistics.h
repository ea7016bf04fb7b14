// Statistics over float sample arrays: sums, RMS, means, extremes with their positions, normalisation and
// the loudest stretch of a signal. Sums are accumulated in double precision.
//
// A count n <= 0 is an empty array: sums, means and RMS are 0, extremes are 0 at index 0, and nothing is
// read. No function here returns NaN or infinity for finite input. Output pointers are required unless
// marked "may be null". Re-entrant; safe on any thread.
#pragma once

double GetRms(const float* x, int n);
double GetSumOfSquares(const float* x, int n);
double GetSum(const float* x, int n);
double GetMean(const float* x, int n);

// RMS, smallest and largest value (the extremes start at x[0]).
void GetRmsMinMax(const float* x, int n, float* rms, float* min, float* max);
void GetSumSquaresMinMax(const float* x, int n, double* sumSquares, float* min, float* max);
void GetMeanMinMax(const float* x, int n, float* mean, float* min, float* max);

// The largest (smallest) value and the index of its first occurrence; index may be null.
float FindMax(const float* x, int n, int* index);
float FindMin(const float* x, int n, int* index);
// The largest magnitude and the index of its first occurrence; index may be null.
float FindPeakMagnitude(const float* x, int n, int* index);

// The largest RMS over every window of w consecutive samples, and the first sample of the first window
// that reaches it (start may be null). Returns 0 and leaves start untouched when n < w or w < 1.
double FindMaxRmsWindow(const float* x, int n, int w, int* start);

// 0.9999 / max(|min|, |max|): the factor that brings the peak just below full scale. An empty or
// all-zero array has no peak to scale and gets the factor 1.
double GetNormalizeFactor(const float* x, int n);
// x *= GetNormalizeFactor(x, n), in place.
void NormalizeArray(float* x, int n);

// In place: x[i] *= factor; x[i] = |x[i]|; x[i] = x[i]^2.
void ScaleArray(float* x, int n, double factor);
void AbsArray(float* x, int n);
void SquareArray(float* x, int n);
