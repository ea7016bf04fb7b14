#include "dsp/Loudness.h"

#include <algorithm>
#include <cmath>

namespace
{

// Upper levels of the eight ranges of the low-band correction (dB).
constexpr float kRap[8] = {45, 55, 65, 71, 80, 90, 100, 120};

// Level corrections (dB) of the 11 bands 25 ... 250 Hz, one row per range of kRap.
constexpr float kDll[8][11] = {
    {-32, -24, -16, -10, -5, 0, -7, -3, 0, -2, 0}, {-29, -22, -15, -10, -4, 0, -7, -2, 0, -2, 0},
    {-27, -19, -14, -9, -4, 0, -6, -2, 0, -2, 0},  {-25, -17, -12, -9, -3, 0, -5, -2, 0, -2, 0},
    {-23, -16, -11, -7, -3, 0, -4, -1, 0, -1, 0},  {-20, -14, -10, -6, -3, 0, -4, -1, 0, -1, 0},
    {-18, -12, -9, -6, -2, 0, -3, -1, 0, -1, 0},   {-15, -10, -8, -4, -2, 0, -3, -1, 0, -1, 0},
};

constexpr int kLowBands = 11;
constexpr int kCriticalBands = 20;

// Threshold in quiet of the 20 critical bands (dB).
constexpr float kLtq[kCriticalBands] = {30, 18, 12, 8, 7, 6, 5, 4, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
// Ear transmission for the frontal free field (dB).
constexpr float kA0[kCriticalBands] = {0,    0,    0,    0,    0,    0,    0,    0,   0,   0,
                                       -0.5, -1.6, -3.2, -5.4, -5.6, -4.0, -1.5, 2.0, 5.0, 12.0};
// Critical-band level correction (dB).
constexpr float kDcb[kCriticalBands] = {-0.25, -0.6, -0.8, -0.8, -0.5, 0,   0.5, 1.1, 1.5, 1.7,
                                        1.8,   1.8,  1.7,  1.6,  1.4,  1.2, 0.8, 0.5, 0,   -0.5};
// Upper limits (Bark) of the 21 approximated critical bands.
constexpr float kZup[kCriticalBands + 1] = {0.9,  1.8,  2.8,  3.5,  4.4,  5.4,  6.6,  7.9,  9.2,  10.6, 12.3,
                                            13.8, 15.2, 16.7, 18.1, 19.3, 20.6, 21.8, 22.7, 23.6, 24.0};
// Lower limits (sone/Bark) of the 18 specific-loudness ranges.
constexpr int kRanges = 18;
constexpr float kRns[kRanges] = {21.5, 18,   15.1, 11.5, 9,    6.1,  4.4,  3.1,   2.13,
                                 1.36, 0.82, 0.42, 0.30, 0.22, 0.15, 0.10, 0.035, 0};
// Upper slopes (sone/Bark per Bark), one row per specific-loudness range, one column per band group.
constexpr float kUsl[kRanges][8] = {
    {13, 8.2, 6.3, 5.5, 5.5, 5.5, 5.5, 5.5},          {9, 7.5, 6, 5.1, 4.5, 4.5, 4.5, 4.5},
    {7.8, 6.7, 5.6, 4.9, 4.4, 3.9, 3.9, 3.9},         {6.2, 5.4, 4.6, 4.0, 3.5, 3.2, 3.2, 3.2},
    {4.5, 3.8, 3.6, 3.2, 2.9, 2.7, 2.7, 2.7},         {3.7, 3.0, 2.8, 2.35, 2.2, 2.2, 2.2, 2.2},
    {2.9, 2.3, 2.1, 1.9, 1.8, 1.7, 1.7, 1.7},         {2.4, 1.7, 1.5, 1.35, 1.3, 1.3, 1.3, 1.3},
    {1.95, 1.45, 1.3, 1.15, 1.1, 1.1, 1.1, 1.1},      {1.5, 1.2, 0.94, 0.86, 0.82, 0.82, 0.82, 0.82},
    {0.72, 0.67, 0.64, 0.63, 0.62, 0.62, 0.62, 0.62}, {0.59, 0.53, 0.51, 0.50, 0.42, 0.42, 0.42, 0.42},
    {0.40, 0.33, 0.26, 0.24, 0.24, 0.22, 0.22, 0.22}, {0.27, 0.21, 0.20, 0.18, 0.17, 0.17, 0.17, 0.17},
    {0.16, 0.15, 0.14, 0.12, 0.11, 0.11, 0.11, 0.11}, {0.12, 0.11, 0.10, 0.08, 0.08, 0.08, 0.08, 0.08},
    {0.09, 0.08, 0.07, 0.06, 0.06, 0.06, 0.06, 0.05}, {0.06, 0.05, 0.03, 0.02, 0.02, 0.02, 0.02, 0.02},
};

// A-weighting of the bands 100 Hz ... 10 kHz: the analytic A weighting at the exact base-10
// third-octave frequencies, rounded to 0.1 dB.
constexpr int kALevelFirstBand = 6;
constexpr int kALevelBands = 21;
constexpr float kAWeighting[kALevelBands] = {-19.1, -16.1, -13.3, -10.9, -8.6, -6.6, -4.8,
                                             -3.2,  -1.9,  -0.8,  0.0,   0.6,  1.0,  1.2,
                                             1.3,   1.2,   1.0,   0.5,   -0.1, -1.1, -2.5};

float Power10(float exponent)
{
    return static_cast<float>(std::pow(10.0, static_cast<double>(exponent)));
}

// Core loudness of the 20 critical bands from the band levels (steps 1 to 4 of the procedure).
void CoreLoudness(const float* levels, float* core)
{
    // Low bands: level-dependent correction, then intensities summed into the first three critical bands.
    float lowIntensity[kLowBands];
    for (int band = 0; band < kLowBands; ++band)
    {
        const float level = levels[band];
        int range = 7;
        for (int j = 0; j < 8; ++j)
        {
            if (level <= kRap[j] - kDll[j][band])
            {
                range = j;
                break;
            }
        }
        lowIntensity[band] = Power10((level + kDll[range][band]) / 10.0f);
    }
    const float sums[3] = {lowIntensity[0] + lowIntensity[1] + lowIntensity[2] + lowIntensity[3] +
                               lowIntensity[4] + lowIntensity[5],
                           lowIntensity[6] + lowIntensity[7] + lowIntensity[8],
                           lowIntensity[9] + lowIntensity[10]};
    float lowLevels[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i)
    {
        if (sums[i] > 0)
        {
            lowLevels[i] = 10.0f * std::log10(sums[i]);
        }
    }

    for (int band = 0; band < kCriticalBands; ++band)
    {
        const float level = band < 3 ? lowLevels[band] : levels[band + 8];
        const float excess = level - kA0[band] - kDcb[band];
        core[band] = 0;
        if (excess > kLtq[band])
        {
            const double ratio = 0.75 + 0.25 * std::pow(10.0, 0.1 * (excess - kLtq[band]));
            core[band] = static_cast<float>(0.0635 * std::pow(10.0, 0.025 * kLtq[band]) *
                                            (std::pow(ratio, 0.25) - 1.0));
        }
    }
    // The lowest critical band is corrected for its low sensitivity.
    const float correction = 0.4f + 0.32f * static_cast<float>(std::pow(core[0], 0.2));
    if (correction < 1.0f)
    {
        core[0] *= correction;
    }
}

float Integrate(const float* core, float* pattern)
{
    float total = 0;
    float n1 = 0;  // specific loudness reached so far
    float z1 = 0;  // critical-band rate reached so far
    int range = 0;
    int k = 0;  // next pattern value, at z = (k + 1) · 0.1 Bark
    auto nextZ = [&k] { return static_cast<float>((k + 1) / 10.0); };
    for (int i = 0; i <= kCriticalBands; ++i)
    {
        const float n2 = i < kCriticalBands ? core[i] : 0.0f;
        const float z2 = kZup[i] + 0.0001f;
        const int group = std::min(i - 1, 7);
        float zs = 0;
        do
        {
            float n2Reached = n2;
            if (n1 > n2 && group >= 0)
            {
                const float slope = kUsl[range][group];
                n2Reached = std::max(n2, kRns[range]);
                zs = z1 + (n1 - n2Reached) / slope;
                if (zs > z2)
                {
                    zs = z2;
                    n2Reached = n1 - (z2 - z1) * slope;
                }
                total += (n1 + n2Reached) * (zs - z1) / 2.0f;
                for (; k < kLoudnessPatternLength && nextZ() <= zs; ++k)
                {
                    if (pattern != nullptr)
                    {
                        pattern[k] = n1 - (nextZ() - z1) * slope;
                    }
                }
            }
            else
            {
                if (n1 < n2)
                {
                    range = kRanges;
                    for (int j = 0; j < kRanges; ++j)
                    {
                        if (n2 > kRns[j])
                        {
                            range = j;
                            break;
                        }
                    }
                }
                zs = z2;
                total += n2 * (z2 - z1);
                for (; k < kLoudnessPatternLength && nextZ() <= z2; ++k)
                {
                    if (pattern != nullptr)
                    {
                        pattern[k] = n2;
                    }
                }
            }
            while (range < kRanges - 1 && n2Reached <= kRns[range])
            {
                ++range;
            }
            range = std::min(range, kRanges - 1);
            n1 = n2Reached;
            z1 = zs;
        } while (zs < z2);
    }
    if (pattern != nullptr)
    {
        // Rounding of the last band edge can leave the last position unreached; it lies past every band.
        std::fill(pattern + k, pattern + kLoudnessPatternLength, 0.0f);
    }
    return std::max(total, 0.0f);
}

}  // namespace

float ComputeLoudness(const float* levels)
{
    return ComputeLoudnessPattern(levels, nullptr);
}

float ComputeLoudnessPattern(const float* levels, float* pattern)
{
    float core[kCriticalBands];
    CoreLoudness(levels, core);
    return Integrate(core, pattern);
}

double LoudnessBandCentre(int band)
{
    return 1000.0 * std::pow(10.0, (band - 16) / 10.0);
}

float ComputeThirdOctaveALevel(const float* levels)
{
    double sum = 0;
    for (int i = 0; i < kALevelBands; ++i)
    {
        sum += std::pow(10.0, (levels[kALevelFirstBand + i] + kAWeighting[i]) / 10.0);
    }
    return static_cast<float>(10.0 * std::log10(sum));
}
