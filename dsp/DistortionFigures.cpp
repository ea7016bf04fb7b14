#include "dsp/DistortionFigures.h"

#include "dsp/ArrayStatistics.h"
#include "dsp/FftWindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace
{

// The level correction: level = centre / (g·(r + o·t + m·t² + l·t³ + h·t⁴)), t = larger neighbour / centre.
struct PeakCorrection
{
    double r, o, m, l, h, g;
};

constexpr PeakCorrection kRectangularCorrection{0.99246, -2.0096, 3.9817, -4.3232, 1.7735, 1.0};
constexpr PeakCorrection kHammingCorrection{0.97782, 0.51894, -2.5565, 2.7013, -0.97369, 0.943497};
constexpr PeakCorrection kBlackmanCorrection{0.76449, 1.6679, -3.7783, 2.9956, -0.8727, 0.90459};
constexpr PeakCorrection kHanningCorrection{0.90911, 0.96124, -2.9973, 2.7407, -0.89288, 0.928738};

const PeakCorrection& CorrectionFor(int windowType)
{
    switch (windowType)
    {
        case kFftWindowHamming:
            return kHammingCorrection;
        case kFftWindowBlackman:
            return kBlackmanCorrection;
        case kFftWindowHanning:
            return kHanningCorrection;
        default:
            return kRectangularCorrection;
    }
}

// Cosine-sum coefficients of the tapered windows, without their gains (which cancel in a ratio of bins).
using WindowShape = std::array<double, 3>;
constexpr WindowShape kHammingShape{0.54, -0.46, 0.0};
constexpr WindowShape kBlackmanShape{0.42, -0.5, 0.08};
constexpr WindowShape kHanningShape{0.5, -0.5, 0.0};

double Sinc(double x)
{
    if (x == 0.0)
        return 1.0;
    const double a = std::numbers::pi * x;
    return std::sin(a) / a;
}

// Magnitude of a long transform of the window at d bins from a tone.
double LobeMagnitude(const WindowShape& c, double d)
{
    double w = c[0] * Sinc(d);
    double sign = -1.0;
    for (int k = 1; k < static_cast<int>(c.size()); ++k)
    {
        w += sign * 0.5 * c[k] * (Sinc(d - k) + Sinc(d + k));
        sign = -sign;
    }
    return std::fabs(w);
}

// Offset d (0..0.5 bins) of a tone whose larger neighbour bin has `ratio` times the magnitude of its
// peak bin, found by bisection on the main lobe (the ratio grows with d).
double TaperedWindowOffset(const WindowShape& c, double ratio)
{
    const auto ratioAt = [&c](double d) { return LobeMagnitude(c, 1.0 - d) / LobeMagnitude(c, d); };
    if (!(ratio > ratioAt(0.0)))
        return 0.0;
    if (ratio >= 1.0)
        return 0.5;
    double low = 0.0;
    double high = 0.5;
    for (int i = 0; i < 48; ++i)
    {
        const double middle = 0.5 * (low + high);
        (ratioAt(middle) < ratio ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

// The rectangular window's main lobe, fitted on the magnitude ratio v.
double RectangularOffset(double v)
{
    return ((0.23835 * v - 0.68286) * v + 0.94323) * v + 0.0018333;
}

double PeakOffset(int windowType, double v)
{
    switch (windowType)
    {
        case kFftWindowHamming:
            return TaperedWindowOffset(kHammingShape, v);
        case kFftWindowBlackman:
            return TaperedWindowOffset(kBlackmanShape, v);
        case kFftWindowHanning:
            return TaperedWindowOffset(kHanningShape, v);
        default:
            return RectangularOffset(v);
    }
}

// Level that marks a harmonic entry as not measured.
constexpr float kUnmeasuredLevel = 1e-20f;

// Bins searched on either side of a harmonic's expected position.
constexpr int kHarmonicSearch = 2;

// The fundamental frequency is re-estimated from the 4th or 5th harmonic once both are measured.
constexpr int kReestimateEntry = 3;

// Half-width of the THD+N notch in bins: wider for finer spectra, whose window skirts span more bins.
int NotchHalfWidth(int bins)
{
    if (bins == 512)
        return 20;
    if (bins >= 8192)
        return 40;
    if (bins >= 4096)
        return 35;
    if (bins >= 2048)
        return 30;
    return 25;
}

double SumRange(const float* p, int from, int to)
{
    return from < to ? GetSum(p + from, to - from) : 0.0;
}

}  // namespace

void InterpolatePeak(double left, double centre, double right, double* level, double* offset, int windowType)
{
    if (windowType >= kFftWindowFlatTop)
    {
        *level = std::max({left, centre, right});
        *offset = 0.0;
        return;
    }
    if (centre == 0.0)
        return;
    const double t = std::max(left, right) / centre;
    const PeakCorrection& c = CorrectionFor(windowType);
    const double denominator = c.g * ((((c.h * t + c.l) * t + c.m) * t + c.o) * t + c.r);
    // Far outside the fitted range the polynomial may reach zero; such a peak keeps its raw value.
    if (denominator == 0.0 || !std::isfinite(denominator))
        return;
    const double v = t >= 0.0 ? std::sqrt(t) : -std::sqrt(-t);
    const double w = PeakOffset(windowType, v);
    *level = centre / denominator;
    *offset = left > right ? -w : w;
}

void InterpolatePeakAt(const float* p, int bin, int bins, double* level, double* offset, int windowType)
{
    *level = 0.0;
    *offset = 0.0;
    if (bin < 0 || bin >= bins)
        return;
    const double centre = p[bin];
    const double left = bin < 1 ? centre : p[bin - 1];
    const double right = bin >= bins - 1 ? centre : p[bin + 1];
    *level = centre;
    InterpolatePeak(left, centre, right, level, offset, windowType);
    if (*level < 0.0)
    {
        *level = centre;
        *offset = 0.0;
    }
}

double ComputeThd(const float* p, int bins, double fs, double maxFreq, double fundFreq, double* fundLevel,
                  int harmonics, float* levels, float* freqs, int windowType)
{
    for (int i = 0; i < harmonics; ++i)
    {
        levels[i] = kUnmeasuredLevel;
        freqs[i] = 0.0f;
    }
    if (fundLevel)
        *fundLevel = 0.0;
    if (bins <= 0 || !(fs > 0.0))
        return 0.0;

    const double binWidth = fs * 0.5 / bins;
    int last = bins - 1;
    if (maxFreq >= 0.0 && std::floor(maxFreq / binWidth) < last)
        last = static_cast<int>(std::floor(maxFreq / binWidth));

    // The fundamental's bin is the one nearest to it: the bin below would read the skirt of a tone in the
    // upper half of a bin.
    int bin = 0;
    double fundamental = 0.0;
    if (fundFreq > 0.0)
    {
        const double nearest = std::floor(fundFreq / binWidth + 0.5);
        bin = nearest < bins ? static_cast<int>(nearest) : bins;
        fundamental = fundFreq;
    }
    else
    {
        FindMax(p, bins, &bin);
        fundamental = bin * binWidth;
    }
    double p1 = 0.0;
    double unusedOffset = 0.0;
    InterpolatePeakAt(p, bin, bins, &p1, &unusedOffset, windowType);

    double q = 2.0 * bin;
    double entryFreq[kReestimateEntry + 1] = {};
    for (int i = 0; i < harmonics; ++i)
    {
        if (fundFreq > 0.0)
            q = fundFreq / binWidth * (i + 2);
        if (q + kHarmonicSearch >= last || q - kHarmonicSearch < 0.0)
            break;
        // Search symmetrically around the bin nearest to the expected position; the bin below it would
        // leave a harmonic in the upper half of a bin only one bin of room on its upper side.
        const int centre = static_cast<int>(std::floor(q + 0.5));
        int d = -kHarmonicSearch;
        for (int j = -kHarmonicSearch + 1; j <= kHarmonicSearch; ++j)
            if (p[centre + j] > p[centre + d])
                d = j;
        double level = 0.0;
        double offset = 0.0;
        InterpolatePeakAt(p, centre + d, bins, &level, &offset, windowType);
        // The harmonic's own position, from its peak bin and the interpolated offset: the expected
        // position moved by whole bins would be up to a bin off.
        const double freq = binWidth * (centre + d + offset);
        levels[i] = static_cast<float>(level);
        freqs[i] = static_cast<float>(freq);
        if (i <= kReestimateEntry)
            entryFreq[i] = freq;
        if (i == kReestimateEntry)
            fundamental = levels[3] >= levels[2] ? entryFreq[3] / 5.0 : entryFreq[2] / 4.0;
        q = fundamental * (i + 3) / binWidth;
    }
    double sum = 0.0;
    for (int i = 0; i < harmonics; ++i)
        sum += levels[i];

    if (fundLevel)
        *fundLevel = p1;
    if (!(p1 > 0.0) || !(sum > 0.0))
        return 0.0;
    return std::sqrt(sum / p1);
}

double SumHarmonicPowers(const float* levels, double reference, unsigned mask, int count)
{
    if (!(reference > 0.0))
        return 0.0;
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
    {
        const bool odd = (i % 2) == 1;  // entry i is harmonic i + 2
        if (((mask & 1u) && odd) || ((mask & 2u) && !odd))
            sum += levels[i];
    }
    return sum > 0.0 ? std::sqrt(sum / reference) : 0.0;
}

double ComputeThdN(const float* p, int bins, double fs, double startFreq)
{
    if (bins <= 0 || !(fs > 0.0))
        return 0.0;
    const double binWidth = fs * 0.5 / bins;
    const double first = std::floor(startFreq / binWidth + 1.0);
    if (!(first >= 0.0) || first >= bins)
        return 0.0;
    const int s = static_cast<int>(first);

    int peak = 0;
    FindMax(p + s, bins - s, &peak);
    const int k = s + peak;
    const int g = NotchHalfWidth(bins);
    const int lo = std::max(k - g, 1);
    const int hi = std::min(k + g, bins - 1);

    // Bins below the start frequency count for neither side, the notch included.
    const double inside = SumRange(p, std::max(lo, s), hi);
    const double outside = SumRange(p, s, std::min(lo, hi)) + SumRange(p, std::max(hi, s), bins);
    if (!(inside > 0.0))
        return 0.0;
    return std::max(outside, 0.0) / inside;
}

void SuppressSpectralLines(float* p, int bins, double fs, double step, double maxFreq)
{
    if (bins <= 0 || !(fs > 0.0) || !(step > 0.0))
        return;
    const double binWidth = fs * 0.5 / bins;
    int previous = -1;
    double line = 1.0;
    for (;;)
    {
        const double f = line * step;
        if (!(f <= maxFreq))
            break;
        const double position = std::floor(f / binWidth);
        if (position + 3 >= bins)
            break;  // every further line lies higher still
        const int b = static_cast<int>(position);
        if (b == previous)
        {
            // Flattening the same five bins again changes nothing: go on with the first line of the next
            // bin, so that a step far below one bin does not take forever.
            const double next = std::ceil((b + 1) * binWidth / step);
            line = next > line ? next : std::nextafter(line, HUGE_VAL);
            continue;
        }
        previous = b;
        if (b - 3 >= 0)
        {
            const float flat = 0.5f * (p[b - 3] + p[b + 3]);
            for (int j = b - 2; j <= b + 2; ++j)
                p[j] = flat;
        }
        line += 1.0;
    }
}
