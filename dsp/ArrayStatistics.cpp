#include "dsp/ArrayStatistics.h"

#include <cmath>

namespace
{

inline constexpr double kNormalizePeak = 0.9999;

struct Extremes
{
    float min = 0.0f;
    float max = 0.0f;
};

// Strict comparisons keep the first of equal extremes.
Extremes GetExtremes(const float* x, int n)
{
    if (n <= 0)
        return {};
    Extremes e{x[0], x[0]};
    for (int i = 1; i < n; ++i)
    {
        if (x[i] > e.max)
            e.max = x[i];
        if (x[i] < e.min)
            e.min = x[i];
    }
    return e;
}

}  // namespace

double GetSumOfSquares(const float* x, int n)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return sum;
}

double GetSum(const float* x, int n)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += x[i];
    return sum;
}

double GetRms(const float* x, int n)
{
    return n > 0 ? std::sqrt(GetSumOfSquares(x, n) / n) : 0.0;
}

double GetMean(const float* x, int n)
{
    return n > 0 ? GetSum(x, n) / n : 0.0;
}

void GetRmsMinMax(const float* x, int n, float* rms, float* min, float* max)
{
    const Extremes e = GetExtremes(x, n);
    *rms = static_cast<float>(GetRms(x, n));
    *min = e.min;
    *max = e.max;
}

void GetSumSquaresMinMax(const float* x, int n, double* sumSquares, float* min, float* max)
{
    const Extremes e = GetExtremes(x, n);
    *sumSquares = GetSumOfSquares(x, n);
    *min = e.min;
    *max = e.max;
}

void GetMeanMinMax(const float* x, int n, float* mean, float* min, float* max)
{
    const Extremes e = GetExtremes(x, n);
    *mean = static_cast<float>(GetMean(x, n));
    *min = e.min;
    *max = e.max;
}

float FindMax(const float* x, int n, int* index)
{
    int best = 0;
    for (int i = 1; i < n; ++i)
        if (x[i] > x[best])
            best = i;
    if (index)
        *index = best;
    return n > 0 ? x[best] : 0.0f;
}

float FindMin(const float* x, int n, int* index)
{
    int best = 0;
    for (int i = 1; i < n; ++i)
        if (x[i] < x[best])
            best = i;
    if (index)
        *index = best;
    return n > 0 ? x[best] : 0.0f;
}

float FindPeakMagnitude(const float* x, int n, int* index)
{
    int best = 0;
    float bestSquare = n > 0 ? x[0] * x[0] : 0.0f;
    for (int i = 1; i < n; ++i)
    {
        const float square = x[i] * x[i];
        if (square > bestSquare)
        {
            bestSquare = square;
            best = i;
        }
    }
    if (index)
        *index = best;
    return std::sqrt(bestSquare);
}

double FindMaxRmsWindow(const float* x, int n, int w, int* start)
{
    if (w < 1 || n < w)
        return 0.0;
    double energy = GetSumOfSquares(x, w);
    double best = energy;
    int bestStart = 0;
    // Every window start 0..n-w takes part, so that a loud stretch at the very end is found too.
    for (int first = 1; first + w <= n; ++first)
    {
        const double leaving = x[first - 1];
        const double entering = x[first + w - 1];
        energy += entering * entering - leaving * leaving;
        if (energy > best)
        {
            best = energy;
            bestStart = first;
        }
    }
    if (start)
        *start = bestStart;
    // best only ever grows from a sum of squares, so rounding in the running sum cannot make it negative.
    return std::sqrt(best / w);
}

double GetNormalizeFactor(const float* x, int n)
{
    const Extremes e = GetExtremes(x, n);
    const double peak =
        std::fmax(std::fabs(static_cast<double>(e.min)), std::fabs(static_cast<double>(e.max)));
    return peak > 0.0 ? kNormalizePeak / peak : 1.0;
}

void NormalizeArray(float* x, int n)
{
    ScaleArray(x, n, GetNormalizeFactor(x, n));
}

void ScaleArray(float* x, int n, double factor)
{
    for (int i = 0; i < n; ++i)
        x[i] = static_cast<float>(x[i] * factor);
}

void AbsArray(float* x, int n)
{
    for (int i = 0; i < n; ++i)
        x[i] = std::fabs(x[i]);
}

void SquareArray(float* x, int n)
{
    for (int i = 0; i < n; ++i)
        x[i] = x[i] * x[i];
}
