#include "dsp/DistortionFigures.h"

#include "dsp/ArrayStatistics.h"
#include "dsp/FftWindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

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

// Per window type, in bins: the half-width of the main lobe around a tone's peak bin (the span summed
// as one harmonic's power), and the half-width of the fundamental's notch, wide enough for the
// window's skirt to fall far below the figures it is to read (the rectangular, Hamming, Bartlett,
// Gauss and this flat-top window end in a step and their skirts fall slowly; the rectangular
// window's lobe span is widened so that a tone between bins still loses little of its power).
struct WindowLobes
{
    int lobe;
    int skirt;
};

WindowLobes LobesFor(int windowType)
{
    switch (windowType)
    {
        case kFftWindowRectangular:
            return {8, 40};
        case kFftWindowHamming:
            return {2, 40};
        case kFftWindowBlackman:
            return {3, 12};
        case kFftWindowHanning:
            return {2, 35};
        case kFftWindowFlatTop:
            return {3, 40};
        case kFftWindowBlackmanHarris:
            return {4, 8};
        case kFftWindowBartlett:
            return {3, 40};
        case kFftWindowKaiserBessel:
            return {4, 20};
        case kFftWindowGauss:
            return {4, 40};
        default:
            break;
    }
    if (windowType >= kFftWindowRifeVincent3 && windowType <= kFftWindowLastType)
    {
        // Rife-Vincent of order k: k + 1 cosine terms, a main lobe of k + 1 bins and a skirt that
        // falls the faster the higher the order.
        const int order = windowType - 6;
        return {order + 1, 2 * (order + 1) + 4};
    }
    return {2, 35};
}

// The mean square of each window table as the spectra are taken with it (its fixed gain included):
// the bins of a windowed power spectrum add up to the signal's power times this (Parseval), so a
// tone's power summed over its lobe and divided by it is the tone's own power, wherever between bins
// it lies. Taken once from the window tables.
double WindowMeanSquare(int windowType)
{
    static const std::array<double, kFftWindowLastType + 1> kMeanSquares = []
    {
        constexpr int kLength = 4096;
        std::array<double, kFftWindowLastType + 1> meanSquares{};
        std::vector<float> values(kLength);
        CFftWindow window;
        for (int type = 0; type <= kFftWindowLastType; ++type)
        {
            window.Generate(values.data(), kLength, type);
            double squares = 0.0;
            for (float v : values)
                squares += static_cast<double>(v) * v;
            meanSquares[type] = squares > 0.0 ? squares / kLength : 1.0;
        }
        return meanSquares;
    }();
    return windowType >= 0 && windowType <= kFftWindowLastType ? kMeanSquares[windowType] : 1.0;
}

// The fundamental's notch [lo, hi) around its peak bin k: the window's skirt on either side, but
// never into the second harmonic's lobe (about k bins above k), and never below bin 1.
void FundamentalNotch(int k, int bins, int windowType, int& lo, int& hi)
{
    const WindowLobes w = LobesFor(windowType);
    const int half = std::min(w.skirt, std::max(w.lobe, k - w.lobe - 1));
    lo = std::max(k - half, 1);
    hi = std::min(k + half + 1, bins);
}

// Fractional bin offset (-0.5..0.5) of the line whose peak bin is `peak`: the main-lobe inversion where
// the window has one, else the centre of the power of bins [from, to).
double LineOffset(const float* p, int peak, int bins, int from, int to, int windowType)
{
    if (windowType < kFftWindowFlatTop)
    {
        double unusedLevel = 0.0;
        double offset = 0.0;
        InterpolatePeakAt(p, peak, bins, &unusedLevel, &offset, windowType);
        return offset;
    }
    double power = 0.0;
    double moment = 0.0;
    for (int j = std::max(from, 0); j < std::min(to, bins); ++j)
    {
        power += p[j];
        moment += static_cast<double>(p[j]) * (j - peak);
    }
    return power > 0.0 ? std::clamp(moment / power, -0.5, 0.5) : 0.0;
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
    if (windowType >= kFftWindowFlatTop && windowType <= kFftWindowLastType)
    {
        // No fitted correction for these windows: the power of the main lobe over the window's mean
        // square is the tone's power wherever between bins it lies, and the centre of that power its
        // position.
        const int lobe = LobesFor(windowType).lobe;
        const int from = std::max(bin - lobe, 0);
        const int to = std::min(bin + lobe + 1, bins);
        *level = SumRange(p, from, to) / WindowMeanSquare(windowType);
        *offset = LineOffset(p, bin, bins, from, to, windowType);
        return;
    }
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
        if (nearest >= bins)
            return 0.0;
        bin = static_cast<int>(nearest);
        fundamental = fundFreq;
    }
    else
    {
        FindMax(p, bins, &bin);
        fundamental = bin * binWidth;
    }
    // The fundamental's power is the power in the notch that THD+N takes out around it, and every
    // harmonic's is the power of its own main lobe outside that notch and outside the lobes below it:
    // THD sums a part of what THD+N counts against the same reference and never exceeds it.
    int lo = 0;
    int hi = 0;
    FundamentalNotch(bin, bins, windowType, lo, hi);
    const double p1 = SumRange(p, lo, hi);
    const double meanSquare = WindowMeanSquare(windowType);
    const int lobe = LobesFor(windowType).lobe;

    // Taken from the strongest bin, the fundamental lies between bins: the harmonics are looked for
    // where its fractional position puts them (a whole-bin estimate misses the 5th harmonic of a
    // fundamental 15 bins up by three bins).
    if (fundFreq <= 0.0)
        fundamental = binWidth * (bin + LineOffset(p, bin, bins, bin - lobe, bin + lobe + 1, windowType));
    double q = 2.0 * fundamental / binWidth;
    int taken = hi;  // first bin not yet given to the fundamental or a harmonic
    double entryFreq[kReestimateEntry + 1] = {};
    double sum = 0.0;
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
        const int peak = centre + d;
        const int from = std::max(peak - lobe, taken);
        const int to = std::min(peak + lobe + 1, last + 1);
        const double power = SumRange(p, from, to);
        taken = std::max(taken, to);
        // The harmonic's own position, from its peak bin and its offset: the expected position moved
        // by whole bins would be up to a bin off.
        const double freq = binWidth * (peak + LineOffset(p, peak, bins, from, to, windowType));
        sum += power;
        levels[i] = static_cast<float>(std::max(power / meanSquare, static_cast<double>(kUnmeasuredLevel)));
        freqs[i] = static_cast<float>(freq);
        if (i <= kReestimateEntry)
            entryFreq[i] = freq;
        if (i == kReestimateEntry)
            fundamental = levels[3] >= levels[2] ? entryFreq[3] / 5.0 : entryFreq[2] / 4.0;
        q = fundamental * (i + 3) / binWidth;
    }

    if (fundLevel)
        *fundLevel = p1 / meanSquare;
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

double ComputeThdN(const float* p, int bins, double fs, double startFreq, int windowType)
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
    int lo = 0;
    int hi = 0;
    FundamentalNotch(s + peak, bins, windowType, lo, hi);

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
