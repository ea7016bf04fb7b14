#include "dsp/RoomAcoustics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/CurveFit.h"
#include "dsp/ArrayStatistics.h"
#include "dsp/OctaveBandFilter.h"
#include "dsp/ThirdOctaveBandFilter.h"

namespace
{

constexpr double kCurveFloor = 1e-12;  // -120 dB
constexpr int kMaxFitPoints = 256;
constexpr int kMovingWindow = 1024;
// A fit is trusted down to 10 dB above the noise.
constexpr double kNoiseMargin = 10.0;
constexpr double kNoDynamicLimit = 1000.0;

// The fixed ranges of the second and third decay time.
constexpr double kT30Start = -5.0;
constexpr double kT30End = -35.0;
constexpr double kEdtStart = 0.0;
constexpr double kEdtEnd = -10.0;

double MeanSquare(const float* x, int from, int to)
{
    return to > from ? GetSumOfSquares(x + from, to - from) / (to - from) : 0.0;
}

double EnergyLevel(double meanSquare)
{
    return 10.0 * std::log10(std::max(meanSquare, 1e-300));
}

// Least-squares line through the block levels of x (blocks of `block` samples from `start`) whose
// centres lie in [fromX, toX) and which end before `last`; x in samples, y in dB. With stopLevel set,
// the blocks end at the first one below it instead. False with fewer than two blocks.
struct Line
{
    double slope = 0.0;
    double intercept = 0.0;
};

bool FitEnvelope(const float* x, int start, int last, int block, double fromX, double toX, bool useStopLevel,
                 double stopLevel, Line& line)
{
    double n = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (int b = start; b + block <= last; b += block)
    {
        const double centre = b + 0.5 * block;
        const double level = EnergyLevel(MeanSquare(x, b, b + block));
        if (useStopLevel ? level < stopLevel : centre >= toX)
            break;
        if (centre < fromX)
            continue;
        n += 1.0;
        sx += centre;
        sy += level;
        sxx += centre * centre;
        sxy += centre * level;
    }
    const double denominator = n * sxx - sx * sx;
    if (n < 2.0 || !(denominator > 0.0))
        return false;
    line.slope = (n * sxy - sx * sy) / denominator;
    line.intercept = (sy - line.slope * sx) / n;
    return std::isfinite(line.slope) && std::isfinite(line.intercept);
}

// The band of the filter's table at `index` over the whole signal, the filter starting from rest.
void RunBandFilter(CBandTableFilter& filter, float* signal, int count, double sampleRate, int index)
{
    filter.m_nBand = index;
    filter.m_nSampleRate = static_cast<int>(sampleRate);
    for (CIirFilter& section : filter.m_sections)
        section.Reset();
    filter.Process(signal, count);
}

}  // namespace

CRoomAcousticResults::CRoomAcousticResults()
{
    Reset();
}

void CRoomAcousticResults::Reset()
{
    m_decayTime = kUnsetValue;
    m_halfDecayTime = kUnsetValue;
    m_c50 = kUnsetValue;
    m_c80 = kUnsetValue;
    m_d50 = kUnsetValue;
    m_d80 = kUnsetValue;
    m_energy = 0.0;
    m_nonLinearity = 0.0;
    m_intercept = 0.0;
    m_sti = kUnsetValue;
    m_rasti = kUnsetValue;
    m_octaveLastBand = 0;
    m_octaveCentres.fill(0.0f);
    m_octaveDecayTimes.fill(0.0f);
    m_octaveNonLinearity.fill(0.0f);
    m_octaveIntercepts.fill(0.0f);
    m_thirdLastBand = 0;
    m_thirdCentres.fill(0.0f);
    m_thirdDecayTimes.fill(0.0f);
    m_thirdNonLinearity.fill(0.0f);
    m_thirdIntercepts.fill(0.0f);
    m_thirdC50.fill(0.0f);
    m_thirdD80.fill(0.0f);
    m_decayTimes.fill(kUnsetValue);
}

int IsMonotonic(const float* values, int count, int direction)
{
    float previous = direction == 0 ? -1e37f : 1e37f;
    for (int i = 0; i < count; ++i)
    {
        if (direction == 0 ? values[i] < previous : values[i] > previous)
            return 0;
        previous = values[i];
    }
    return 1;
}

void SchroederIntegrate(const float* input, float* output, int count)
{
    DecayTruncation whole;
    whole.end = count;
    SchroederIntegrate(input, output, count, whole);
}

void SchroederIntegrate(const float* input, float* output, int count, const DecayTruncation& truncation)
{
    if (count <= 0)
        return;
    const int end = std::clamp(truncation.end, 0, count);
    // The total first, then the remainders backwards in extended precision (input may be output).
    long double sum = 0.0L;
    for (int i = 0; i < end; ++i)
        sum += static_cast<long double>(input[i]) * input[i];
    const long double tail = truncation.tailEnergy > 0.0 ? truncation.tailEnergy : 0.0L;
    const long double total = sum + tail;
    if (!(total > 0.0L))
    {
        std::fill(output, output + count, static_cast<float>(kCurveFloor));
        return;
    }
    long double remaining = tail;
    for (int i = end - 1; i >= 0; --i)
    {
        const double value = static_cast<double>(remaining / total);
        remaining += static_cast<long double>(input[i]) * input[i];
        output[i] = value > 0.0 ? static_cast<float>(value) : static_cast<float>(kCurveFloor);
    }
    // Beyond the end the fitted tail goes on decaying.
    double value = static_cast<double>(tail / total);
    for (int i = end; i < count; ++i)
    {
        value *= truncation.tailFactor;
        output[i] = value > kCurveFloor ? static_cast<float>(value) : static_cast<float>(kCurveFloor);
    }
}

void MovingMeanSquare(const float* input, float* output, int count, int window)
{
    if (count <= 0 || window < 1)
        return;
    double sum = 0.0;
    for (int k = 0; k < std::min(window, count); ++k)
        sum += static_cast<double>(input[k]) * input[k];
    for (int i = 0; i < count; ++i)
    {
        const int held = std::min(window, count - i);
        const double mean = std::max(sum, 0.0) / held;
        // The leaving and entering squares are read before output[i] may overwrite input[i].
        sum -= static_cast<double>(input[i]) * input[i];
        if (i + window < count)
            sum += static_cast<double>(input[i + window]) * input[i + window];
        output[i] = static_cast<float>(mean);
    }
}

DecayTruncation FindDecayTruncation(const float* signal, int count, double sampleRate)
{
    DecayTruncation result;
    result.end = std::max(count, 0);
    if (count < 2 || !(sampleRate > 0.0))
        return result;
    int peak = 0;
    if (!(FindPeakMagnitude(signal, count, &peak) > 0.0f))
        return result;
    // Exact zeros after the last sample (a zero-padded response) are no background noise.
    int last = count;
    while (last > peak + 1 && signal[last - 1] == 0.0f)
        --last;
    const int lastTenth = std::max(peak + 1, last - last / 10);
    double noise = MeanSquare(signal, lastTenth, last);
    if (!(noise > 0.0))
    {
        result.dynamicRange = kNoDynamicLimit;
        return result;
    }
    // Iterate: fit the envelope down to 10 dB above the noise, find where the line meets the noise,
    // re-estimate the noise beyond that point with blocks matched to the decay rate.
    int block = std::max(1, static_cast<int>(0.01 * sampleRate));
    Line line;
    bool found = false;
    double crossing = 0.0;
    for (int iteration = 0; iteration < 6; ++iteration)
    {
        const double noiseLevel = EnergyLevel(noise);
        Line next;
        bool fitted = false;
        if (!found)
            fitted = FitEnvelope(signal, peak, last, block, 0.0, 0.0, true, noiseLevel + kNoiseMargin, next);
        else
        {
            // The late decay: from 30 to 10 dB above the noise along the last line.
            const double toX = (noiseLevel + kNoiseMargin - line.intercept) / line.slope;
            const double fromX = (noiseLevel + kNoiseMargin + 20.0 - line.intercept) / line.slope;
            fitted = FitEnvelope(signal, peak, last, block, fromX, toX, false, 0.0, next);
            if (!fitted)
                fitted = FitEnvelope(signal, peak, last, block, 0.0, toX, false, 0.0, next);
        }
        if (!fitted || !(next.slope < 0.0))
            break;
        line = next;
        found = true;
        const double previous = crossing;
        crossing = (noiseLevel - line.intercept) / line.slope;
        const double per10dB = -10.0 / line.slope;
        block = std::max(1, static_cast<int>(std::min(per10dB / 5.0, 0.05 * sampleRate)));
        const double noiseFrom =
            std::clamp(crossing + per10dB, static_cast<double>(peak + 1), static_cast<double>(lastTenth));
        noise = MeanSquare(signal, static_cast<int>(noiseFrom), last);
        if (!(noise > 0.0))
            break;
        if (iteration > 0 && std::fabs(crossing - previous) < 0.5 * block)
            break;
    }
    if (!found)
        return result;
    const double noiseLevel = EnergyLevel(noise);
    result.dynamicRange = std::max(0.0, line.intercept + line.slope * peak - noiseLevel);
    crossing = (noiseLevel - line.intercept) / line.slope;
    result.end =
        static_cast<int>(std::clamp(crossing, static_cast<double>(peak + 1), static_cast<double>(last)));
    result.tailFactor = std::pow(10.0, 0.1 * line.slope);
    const double atEnd = std::pow(10.0, 0.1 * (line.intercept + line.slope * result.end));
    result.tailEnergy = result.tailFactor < 1.0 ? atEnd / (1.0 - result.tailFactor) : 0.0;
    if (!std::isfinite(result.tailEnergy))
        result.tailEnergy = 0.0;
    return result;
}

void ComputeDecayCurve(const float* input, float* output, int count, int mode, double sampleRate)
{
    if (mode == 0)
        SchroederIntegrate(input, output, count, FindDecayTruncation(input, count, sampleRate));
    else if (mode == 1)
    {
        MovingMeanSquare(input, output, count, kMovingWindow);
        const int head = std::min(count, static_cast<int>(0.2 * sampleRate));
        const double mean = head > 0 ? GetMean(output, head) : 0.0;
        if (mean > 0.0)
            for (int i = 0; i < count; ++i)
                output[i] = static_cast<float>(output[i] / mean);
    }
}

void ComputeEnergyRatios(const float* signal, int count, double sampleRate, CRoomAcousticResults& results)
{
    if (count <= 0 || !(sampleRate > 0.0))
        return;
    const double energy = GetSumOfSquares(signal, count);
    int peak = 0;
    FindPeakMagnitude(signal, count, &peak);
    const int w1 = static_cast<int>(0.001 * sampleRate);
    const int w10 = static_cast<int>(0.01 * sampleRate);
    const int w50 = static_cast<int>(0.05 * sampleRate);
    const int w80 = static_cast<int>(0.08 * sampleRate);
    // End marker: just after the last exact zero at or after the peak, else the peak. Exact zeros
    // at the very end (a zero-padded response) are padding, not the quiet end of the response.
    int end = count;
    while (end > peak + 1 && signal[end - 1] == 0.0f)
        --end;
    int k = end;
    while (k >= peak + 1 && signal[k - 1] != 0.0f)
        --k;
    if (k <= peak && end < count)
        k = end;
    // Onset: walk back from the peak while the millisecond before is more than 20 dB above the
    // noise. A noise of exactly 0 (a zero-padded response) stops at the first silent millisecond.
    int j = peak;
    if (w10 < k && w1 > 0)
    {
        const double noise = GetRms(signal + (k - w10), w10);
        while (j >= w1 && GetRms(signal + (j - w1), w1) > 10.0 * noise)
            --j;
    }
    if (static_cast<long long>(j) + w80 >= count)
        return;
    const double e50 = GetSumOfSquares(signal + j, w50);
    const double e80 = GetSumOfSquares(signal + j, w80);
    results.m_d50 = energy > 0.0 ? e50 / energy : kUnsetValue;
    results.m_d80 = energy > 0.0 ? e80 / energy : kUnsetValue;
    results.m_c50 = e50 / (energy - e50);
    results.m_c80 = e80 / (energy - e80);
}

double FitDecayTime(const float* curve, int count, double sampleRate, double levelStart, double levelEnd,
                    int points, double* nonLinearityOut, double* interceptOut)
{
    if (interceptOut)
        *interceptOut = 0.0;
    if (count < 1 || points < 1 || !(sampleRate > 0.0))
        return 0.0;
    points = std::min(points, kMaxFitPoints);
    const double t1 = std::pow(10.0, levelStart / 10.0);
    const double t2 = std::pow(10.0, levelEnd / 10.0);
    int i1 = -1;
    int i2 = -1;
    for (int i = 0; i < count && i2 < 0; ++i)
    {
        if (i1 < 0 && curve[i] < t1)
            i1 = i;
        if (curve[i] < t2)
            i2 = i;
    }
    if (i1 < 0 || i2 <= i1)
        return 0.0;
    int step = (i2 - i1) / points;
    int n = points;
    if (step == 0)
    {
        // Crossings closer than the points: every sample between them.
        step = 1;
        n = i2 - i1;
    }
    std::array<float, kMaxFitPoints> x{};
    std::array<float, kMaxFitPoints> y{};
    for (int p = 0; p < n; ++p)
    {
        const int k = i1 + p * step;
        const double value = curve[k] > kCurveFloor ? curve[k] : kCurveFloor;
        x[static_cast<std::size_t>(p)] = static_cast<float>(k / sampleRate);
        y[static_cast<std::size_t>(p)] = static_cast<float>(10.0 * std::log10(value));
    }
    double slope = 0.0, intercept = 0.0, linearity = 0.0;
    LinearRegression(n, x.data(), y.data(), &slope, &intercept, &linearity);
    if (interceptOut)
        *interceptOut = intercept;
    if (nonLinearityOut)
        *nonLinearityOut = linearity;
    return slope < 0.0 && std::isfinite(slope) ? -60.0 / slope : 0.0;
}

double EvaluateDecayInPlace(float* work, int count, double sampleRate, double levelStart, double levelEnd,
                            int points, int decayMode, CRoomAcousticResults& results)
{
    const DecayTruncation truncation = FindDecayTruncation(work, count, sampleRate);
    // The decay starts with the sound's arrival, the first sample within 20 dB of the peak: a fit
    // from 0 dB must not take in the silence before it.
    int onset = 0;
    const float peak = FindPeakMagnitude(work, count, nullptr);
    while (onset < count - 1 && !(std::fabs(work[onset]) >= 0.1f * peak))
        ++onset;
    if (decayMode == 0)
        SchroederIntegrate(work, work, count, truncation);
    else
        ComputeDecayCurve(work, work, count, decayMode, sampleRate);
    const double starts[3] = {levelStart, kT30Start, kEdtStart};
    const double ends[3] = {levelEnd, kT30End, kEdtEnd};
    for (int r = 0; r < 3; ++r)
    {
        double nonLinearity = results.m_nonLinearity;
        double intercept = 0.0;
        double time = FitDecayTime(work + onset, count - onset, sampleRate, starts[r], ends[r], points,
                                   &nonLinearity, &intercept);
        // The line's level at the start of the response rather than at the onset.
        if (time > 0.0)
            intercept += 60.0 / time * (onset / sampleRate);
        // A lower level closer than 10 dB to the noise: the figure would be the noise's, not the room's.
        if (time > 0.0 && truncation.dynamicRange < -ends[r] + kNoiseMargin)
            time = kUnsetValue;
        results.m_decayTimes[static_cast<std::size_t>(r)] = time;
        if (r == 0)
        {
            results.m_nonLinearity = nonLinearity;
            results.m_intercept = intercept;
        }
    }
    results.m_decayTime = results.m_decayTimes[0];
    results.m_halfDecayTime = results.m_decayTime > 0.0 ? results.m_decayTime * 0.5 : results.m_decayTime;
    return results.m_decayTime;
}

void EvaluateRoomAcoustics(const float* signal, int count, double sampleRate, CRoomAcousticResults& results,
                           double levelStart, double levelEnd, int points, int decayMode)
{
    results.Reset();
    ComputeEnergyRatios(signal, count, sampleRate, results);
    if (count <= 0)
        return;
    std::vector<float> work(signal, signal + count);
    EvaluateDecayInPlace(work.data(), count, sampleRate, levelStart, levelEnd, points, decayMode, results);
}

bool ApplyBandFilter(CBandTableFilter& filter, float* signal, int count, double sampleRate, double frequency)
{
    for (int i = 0; i < filter.m_nBandCount; ++i)
        if (filter.m_pCentres[i] >= frequency)
        {
            RunBandFilter(filter, signal, count, sampleRate, i);
            return true;
        }
    return false;
}

void ApplyBandFilter(float* signal, int count, double sampleRate, double frequency, int bandType)
{
    if (bandType == 1)
    {
        COctaveBandFilter filter;
        ApplyBandFilter(filter, signal, count, sampleRate, frequency);
    }
    else if (bandType == 3)
    {
        CThirdOctaveBandFilter filter;
        ApplyBandFilter(filter, signal, count, sampleRate, frequency);
    }
}

std::int32_t EvaluateRoomAcousticsPerBand(const float* signal, int count, double sampleRate,
                                          double levelStart, double levelEnd, int points, int bandType,
                                          float* centresOut, float* decayTimesOut, float* nonLinearityOut,
                                          float* interceptsOut, double lowerLimit, double upperLimit,
                                          float* c50Out, float* d80Out, int decayMode)
{
    COctaveBandFilter octave;
    CThirdOctaveBandFilter third;
    const bool thirds = bandType == 3;
    CBandTableFilter& filter =
        thirds ? static_cast<CBandTableFilter&>(third) : static_cast<CBandTableFilter&>(octave);
    const double top = (sampleRate / 2.0) * std::pow(2.0, 1.0 / (2.0 * (thirds ? 3 : 1)));
    double lower = 50.0;
    double upper = std::min(top, 11000.0);
    if (lowerLimit > 0.0)
        lower = lowerLimit;
    if (upperLimit > 0.0)
        upper = std::min(upperLimit, top);
    if (lower >= upper)
        lower = 50.0;
    // The bands above the lower limit, up to and including the first above the upper limit.
    centresOut[0] = 0.0f;
    int first = -1;
    int taken = 0;
    for (int i = 0; i < filter.m_nBandCount; ++i)
    {
        const double centre = filter.m_pCentres[i];
        if (centre > lower)
        {
            if (first < 0)
                first = i;
            centresOut[taken++] = static_cast<float>(centre);
        }
        if (centre > upper)
            break;
    }
    std::vector<float> work(static_cast<std::size_t>(std::max(count, 0)));
    const auto evaluate = [&](int m, bool filtered)
    {
        std::copy_n(signal, count, work.data());
        if (filtered)
            RunBandFilter(filter, work.data(), count, sampleRate, first + m);
        CRoomAcousticResults band;
        if (filtered && thirds)
        {
            ComputeEnergyRatios(work.data(), count, sampleRate, band);
            c50Out[m] = static_cast<float>(band.m_c50);
            d80Out[m] = static_cast<float>(band.m_d80);
        }
        const double time = EvaluateDecayInPlace(work.data(), count, sampleRate, levelStart, levelEnd, points,
                                                 decayMode, band);
        decayTimesOut[m] = static_cast<float>(time > 0.0 ? time * 1000.0 : time);
        nonLinearityOut[m] = static_cast<float>(band.m_nonLinearity);
        interceptsOut[m] = static_cast<float>(band.m_intercept);
    };
    if (taken == 0)
    {
        evaluate(0, false);
        return -1;
    }
    for (int m = taken - 1; m >= 0; --m)
        evaluate(m, true);
    return taken - 1;
}
