#include "dsp/ArrayStatistics.h"

#include <cmath>

namespace
{

// Long arrays (whole spectra, long captures) are summed in independent lanes: one running sum
// would wait for every addition before the next. The lanes differ from a serial sum only by rounding.
constexpr int kLanes = 8;

template <class Term>
double SumInLanes(const float* x, int n, Term term)
{
    double lanes[kLanes] = {};
    int i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (int k = 0; k < kLanes; ++k)
            lanes[k] += term(static_cast<double>(x[i + k]));
    double sum = 0.0;
    for (; i < n; ++i)
        sum += term(static_cast<double>(x[i]));
    for (const double lane : lanes)
        sum += lane;
    return sum;
}

// The first index of the extreme value, as a serial search that replaces its candidate only when
// `better` holds: the extreme is found by value in lanes, then its first index. A NaN never wins;
// a NaN at index 0 is the result, since nothing compares better than it.
template <class Better>
float FindExtreme(const float* x, int n, int* index, Better better)
{
    if (n <= 0 || x[0] != x[0])
    {
        if (index)
            *index = 0;
        return n > 0 ? x[0] : 0.0f;
    }
    float lanes[kLanes];
    for (float& lane : lanes)
        lane = x[0];
    int i = 1;
    for (; i + kLanes <= n; i += kLanes)
        for (int k = 0; k < kLanes; ++k)
            lanes[k] = better(x[i + k], lanes[k]) ? x[i + k] : lanes[k];
    float extreme = lanes[0];
    for (const float lane : lanes)
        extreme = better(lane, extreme) ? lane : extreme;
    for (; i < n; ++i)
        extreme = better(x[i], extreme) ? x[i] : extreme;
    int best = 0;
    while (best < n - 1 && !(x[best] == extreme))
        ++best;
    if (index)
        *index = best;
    return x[best];
}

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
    return SumInLanes(x, n, [](double v) { return v * v; });
}

double GetSum(const float* x, int n)
{
    return SumInLanes(x, n, [](double v) { return v; });
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
    return FindExtreme(x, n, index, [](float a, float b) { return a > b; });
}

float FindMin(const float* x, int n, int* index)
{
    return FindExtreme(x, n, index, [](float a, float b) { return a < b; });
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
