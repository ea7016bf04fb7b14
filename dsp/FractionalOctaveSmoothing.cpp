#include "dsp/FractionalOctaveSmoothing.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

double HalfBandRatio(double fraction)
{
    return std::sqrt(std::pow(2.0, 1.0 / fraction));
}

}  // namespace

void SmoothFractionalOctave(std::span<const float> frequencies, std::span<float> values, double fraction)
{
    const std::size_t count = std::min(frequencies.size(), values.size());
    if (!(fraction > 0.0) || count == 0)
        return;
    const double r = HalfBandRatio(fraction);
    std::vector<float> smoothed(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(count));
    for (std::size_t i = 0; i < count; ++i)
    {
        const double f = frequencies[i];
        double sum = 0.0;
        int added = 0;
        for (std::size_t k = i + 1; k-- > 0 && frequencies[k] >= f / r;)
        {
            sum += values[k];
            ++added;
        }
        for (std::size_t k = i; k < count && frequencies[k] <= f * r; ++k)
        {
            sum += values[k];
            ++added;
        }
        if (added > 0)
            smoothed[i] = static_cast<float>(sum / added);
    }
    std::copy(smoothed.begin(), smoothed.end(), values.begin());
}

void SmoothFractionalOctaveBins(const float* input, float* output, int count, double fraction)
{
    if (count <= 0)
        return;
    if (!(fraction > 0.0))
    {
        std::copy_n(input, count, output);
        return;
    }
    const double r = HalfBandRatio(fraction);
    // Both ends of the window only move up with i: one running sum serves every bin.
    double sum = 0.0;
    int lo = 0;
    int hi = -1;
    for (int i = 0; i < count; ++i)
    {
        const int newLo = static_cast<int>(i / r + 0.5);
        const int newHi = std::min(static_cast<int>(i * r + 0.5), count - 1);
        while (hi < newHi)
            sum += input[++hi];
        while (lo < newLo)
            sum -= input[lo++];
        output[i] = hi >= lo ? static_cast<float>(sum / (hi - lo + 1)) : input[i];
    }
}

void SmoothFractionalOctaveBinsInPlace(float* values, int count, double fraction)
{
    if (count <= 0)
        return;
    std::vector<float> smoothed(static_cast<std::size_t>(count));
    SmoothFractionalOctaveBins(values, smoothed.data(), count, fraction);
    std::copy(smoothed.begin(), smoothed.end(), values);
}
