#include "engine/BandLevels.h"

#include <algorithm>
#include <cmath>

const std::array<double, kThirdOctaveBandCount> kThirdOctaveDisplayCentres = {
    25,    31.5,  40,    50,    63,    80,    100,   125,   160,   200,   250,   315,  400,
    500,   630,   800,   1000,  1250,  1600,  2000,  2500,  3150,  4000,  5000,  6300, 8000,
    10000, 12500, 16000, 20000, 25000, 31500, 40000, 50000, 63000, 80000, 100000};

double StoreBandLevels(std::span<const float> levels, std::span<float> store)
{
    const std::size_t n = std::min(levels.size(), store.size());
    double total = 0.0;
    for (std::size_t i = 0; i < n; ++i)
    {
        store[i] = levels[i];
        total += std::pow(10.0, 0.1 * static_cast<double>(levels[i]));
    }
    return total > 0.0 ? 10.0 * std::log10(total) : -300.0;
}

double ThirdOctaveLevels(std::span<const float> spectrum, double sampleRate, std::span<float> store)
{
    std::array<float, kThirdOctaveSummedBands> levels{};
    const double n = static_cast<double>(spectrum.size());
    const double edge = std::pow(2.0, 1.0 / 6.0);
    for (int b = 0; b < kThirdOctaveSummedBands; ++b)
    {
        const double f = kThirdOctaveDisplayCentres[static_cast<std::size_t>(b)];
        double power = 0.0;
        if (sampleRate > 0.0)
        {
            const double lo = std::floor(2.0 * (f / edge) / sampleRate * n);
            const double hi = std::min(std::floor(2.0 * (f * edge) / sampleRate * n), n);
            for (double k = std::max(lo, 0.0); k < hi; k += 1.0)
                power += spectrum[static_cast<std::size_t>(k)];
        }
        levels[static_cast<std::size_t>(b)] =
            power > 0.0 ? static_cast<float>(10.0 * std::log10(power)) : -300.0f;
    }
    return StoreBandLevels(levels, store);
}

void RotateCopy(int shift, const float* source, float* destination, int length)
{
    if (length <= 0)
        return;
    int s = shift % length;
    if (s < 0)
        s += length;
    std::copy(source + s, source + length, destination);
    std::copy(source, source + s, destination + (length - s));
}

void ResampleCurveLinear(const float* source, double sourceStep, int sourceCount, float* destination,
                         double destinationStep, int destinationCount)
{
    for (int j = 0; j < destinationCount; ++j)
    {
        const double x = sourceStep != 0.0 ? j * destinationStep / sourceStep : 0.0;
        const double fl = std::floor(x);
        const auto i = static_cast<long long>(fl);
        float v = 0.0f;
        if (i >= 0 && i + 1 < sourceCount)
            v = static_cast<float>(source[i] + (x - fl) * (source[i + 1] - source[i]));
        else if (sourceCount > 0 && x >= sourceCount - 1 && x <= sourceCount - 1 + 1e-5)
            v = source[sourceCount - 1];
        destination[j] = v;
    }
}

const char* GetTimeWeightingLabel(int index)
{
    switch (index)
    {
        case 1:
            return "I";
        case 2:
            return "F";
        case 3:
            return "S";
        case 4:
            return "CCIR";
        case 6:
            return "10s";
        case 7:
            return "60s";
        default:
            return "";
    }
}
