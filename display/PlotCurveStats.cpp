// CPlot: the statistics of each drawn curve (extremes, sums, peak, THD+N, harmonic and
// intermodulation lists).
#include <algorithm>
#include <cmath>
#include <future>
#include <limits>
#include <system_error>

#include "display/Plot.h"

namespace
{

constexpr double kMaximumStart = -1e38;
constexpr double kMinimumStart = 1e38;
// Raw level of an intermodulation entry that was not measured.
constexpr double kUnmeasuredLevel = 1e-9;
// Bins searched on each side of an expected intermodulation product.
constexpr int kProductSearch = 2;
// Without configured tones the second tone lies outside this band around the strongest bin.
constexpr double kToneBandLow = 0.98;
constexpr double kToneBandHigh = 1.02;

// The intermodulation products in list order as multiples of the two tones.
struct ProductOrder
{
    int m1;
    int m2;
};
constexpr ProductOrder kProducts[CCurveStatistics::kMaxProducts] = {
    {1, 0},  {0, 1},  {1, 1},  {1, -1}, {-1, 1}, {2, 0}, {0, 2},  {2, 1},  {2, -1}, {-2, 1},
    {1, 2},  {1, -2}, {-1, 2}, {3, 0},  {0, 3},  {3, 1}, {3, -1}, {-3, 1}, {1, 3},  {1, -3},
    {-1, 3}, {2, 2},  {2, -2}, {-2, 2}, {4, 0},  {0, 4}, {4, 1},  {4, -1}, {-4, 1}, {1, 4},
    {1, -4}, {-1, 4}, {3, 2},  {3, -2}, {-3, 2}, {2, 3}, {2, -3}, {-2, 3}, {5, 0},  {0, 5},
};

// The index of the largest value of data[from..to] (first on ties), or -1 for an empty run.
int IndexOfMaximum(const float* data, int from, int to)
{
    int best = -1;
    for (int i = from; i <= to; ++i)
    {
        if (best < 0 || data[i] > data[best])
            best = i;
    }
    return best;
}

// Curves from this many points compute their THD+N figure on a thread of its own.
constexpr int kThreadedThdNPoints = 262144;

// Independent accumulators of the statistics pass: without them every addition waits for the one
// before, and the extremes cannot be kept in vector registers.
constexpr int kLanes = 8;

// The extremes and sums of one run of values.
struct RunFigures
{
    float maximum = -std::numeric_limits<float>::infinity();
    float minimum = std::numeric_limits<float>::infinity();
    double sum = 0.0;
    double sumOfSquares = 0.0;
};

// Extremes (by value; NaN never wins a comparison) and double-precision sums of data[from..to - 1].
RunFigures ScanRun(const float* data, int from, int to, bool sums)
{
    std::array<float, kLanes> hi;
    std::array<float, kLanes> lo;
    std::array<double, kLanes> s{};
    std::array<double, kLanes> q{};
    hi.fill(-std::numeric_limits<float>::infinity());
    lo.fill(std::numeric_limits<float>::infinity());
    int i = from;
    if (sums)
    {
        for (; i + kLanes <= to; i += kLanes)
        {
            for (int k = 0; k < kLanes; ++k)
            {
                const float v = data[i + k];
                hi[k] = v > hi[k] ? v : hi[k];
                lo[k] = v < lo[k] ? v : lo[k];
                const double d = v;
                s[k] += d;
                q[k] += d * d;
            }
        }
    }
    else
    {
        for (; i + kLanes <= to; i += kLanes)
            for (int k = 0; k < kLanes; ++k)
                hi[k] = data[i + k] > hi[k] ? data[i + k] : hi[k];
    }
    for (; i < to; ++i)
    {
        const float v = data[i];
        hi[0] = v > hi[0] ? v : hi[0];
        lo[0] = v < lo[0] ? v : lo[0];
        s[0] += v;
        q[0] += static_cast<double>(v) * v;
    }
    RunFigures figures;
    for (int k = 0; k < kLanes; ++k)
    {
        figures.maximum = hi[k] > figures.maximum ? hi[k] : figures.maximum;
        figures.minimum = lo[k] < figures.minimum ? lo[k] : figures.minimum;
        figures.sum += s[k];
        figures.sumOfSquares += q[k];
    }
    return figures;
}

// The first index of data[from..to - 1] that compares equal to value; from when there is none.
int FirstIndexOf(const float* data, int from, int to, float value)
{
    for (int i = from; i < to; ++i)
        if (data[i] == value)
            return i;
    return from;
}

// Raises maximum to the largest value of data[from..to - 1] when that is larger, with the first
// index that holds it: the same outcome as comparing point by point.
void RaiseMaximum(const float* data, int from, int to, double& maximum, int& index)
{
    if (from >= to)
        return;
    const float top = ScanRun(data, from, to, false).maximum;
    if (top > maximum)
    {
        index = FirstIndexOf(data, from, to, top);
        maximum = data[index];
    }
}

}  // namespace

int CPlot::StatsSlot(int curve) const
{
    if (curve < 0 || curve >= GetCurveCount())
        return -1;
    const int channel = GetCurveChannel(curve);
    return channel >= 0 ? channel : kMathSlot;
}

const CCurveStatistics* CPlot::GetCurveStats(int curve) const
{
    const int slot = StatsSlot(curve);
    if (slot < 0)
        return nullptr;
    return &m_arrStats[static_cast<std::size_t>(slot)];
}

void CPlot::ComputeCurveStats(int curve)
{
    const auto lock = LockDisplay();
    ComputeCurveStatsLocked(curve);
}

CPlot::CurveSource CPlot::StatsSource(int curve) const
{
    const int channel = GetCurveChannel(curve);
    // While the plot draws its own copies, the statistics still read the owner's full data.
    return (channel >= 0 && InternalXTableInUse()) ? GetChannelSource(channel) : GetCurveSource(curve);
}

void CPlot::ReduceAndComputeStats(int curve, const std::function<void()>& reduce)
{
    const CurveSource source = StatsSource(curve);
    const auto figure = m_spectrumFigures.ComputeThdN;
    const double sampleRate = 2.0 * source.length * m_dBinWidth;
    // The THD+N figure reads every point of the curve in one pass of its own: on a long curve it
    // takes about as long as the reduction and the rest of the statistics together, so this
    // thread computes it while a second one reduces and gathers the other figures (all of them
    // only read the data). A short curve is done sooner than a thread starts.
    if (StatsSlot(curve) >= 0 && figure != nullptr && source.data != nullptr &&
        source.length >= kThreadedThdNPoints && sampleRate > 0.0)
    {
        std::promise<double> ratio;
        std::future<double> pending = ratio.get_future();
        std::future<void> rest;
        try
        {
            rest = std::async(std::launch::async,
                              [&]
                              {
                                  reduce();
                                  ComputeCurveStatsLocked(curve, &pending);
                              });
        }
        catch (const std::system_error&)
        {
        }
        if (rest.valid())
        {
            try
            {
                ratio.set_value(figure(source.data, source.length, sampleRate, 0.0, m_nWindowType));
            }
            catch (...)
            {
                ratio.set_exception(std::current_exception());
            }
            rest.get();
            return;
        }
    }
    reduce();
    ComputeCurveStatsLocked(curve);
}

void CPlot::ComputeCurveStatsLocked(int curve, std::future<double>* thdN)
{
    const int slot = StatsSlot(curve);
    if (slot < 0)
        return;
    const CurveSource source = StatsSource(curve);
    if (source.data == nullptr || source.length <= 0)
        return;
    const float* data = source.data;
    const int n = source.length;

    CCurveStatistics& stats = m_arrStats[static_cast<std::size_t>(slot)];

    int first = 0;
    int last = 0;
    GetVisibleIndexRange(&first, &last, GetXTable());
    first = std::clamp(first, 0, n - 1);
    last = std::clamp(last, 0, n - 1);
    stats.m_nFirst = first;
    stats.m_nLast = last;
    stats.m_nCount = last - first;

    // Extremes by value first, then the first index that holds each: the index the point-by-point
    // comparison keeps on ties, and the value stored at it.
    double maximum = kMaximumStart;
    double minimum = kMinimumStart;
    int maximumIndex = first;
    int minimumIndex = first;
    const RunFigures run = ScanRun(data, first, last, true);
    if (run.maximum > maximum)
    {
        maximumIndex = FirstIndexOf(data, first, last, run.maximum);
        maximum = data[maximumIndex];
    }
    if (run.minimum < minimum)
    {
        minimumIndex = FirstIndexOf(data, first, last, run.minimum);
        minimum = data[minimumIndex];
    }
    const double sum = run.sum;
    const double sumOfSquares = run.sumOfSquares;
    stats.m_dSum = sum;
    stats.m_dSumOfSquares = sumOfSquares;
    stats.m_dSumDisplay = ToDisplayValue(static_cast<float>(sum));

    // The last bin that the distortion searches may reach, inside the data.
    int searchLimit = n - 1;
    if (m_dBinWidth > 0.0)
    {
        const double limit = std::floor(m_dataRange.m_dXMax / m_dBinWidth);
        if (limit >= 0.0 && limit < searchLimit)
            searchLimit = static_cast<int>(limit);
    }
    // The fundamental may lie outside the zoomed window; the maximum, and the peak that references
    // the harmonic percentages, come from the whole searched spectrum.
    if (m_bHarmonics || m_bIntermodulation)
    {
        RaiseMaximum(data, 1, first, maximum, maximumIndex);
        RaiseMaximum(data, last, searchLimit + 1, maximum, maximumIndex);
    }

    double peak = maximum;
    double peakOffset = 0.0;
    if (maximum > kMaximumStart && m_spectrumFigures.InterpolatePeakAt != nullptr)
    {
        double level = data[maximumIndex];
        double offset = 0.0;
        m_spectrumFigures.InterpolatePeakAt(data, maximumIndex, n, &level, &offset, m_nWindowType);
        if (level < 0.0)
        {
            level = maximum;
            offset = 0.0;
        }
        peak = level;
        peakOffset = offset;
    }

    const double sampleRate = 2.0 * n * m_dBinWidth;
    stats.m_dThdN = 0.0;
    if (m_spectrumFigures.ComputeThdN != nullptr && sampleRate > 0.0)
    {
        const double ratio = (thdN != nullptr && thdN->valid())
                                 ? thdN->get()
                                 : m_spectrumFigures.ComputeThdN(data, n, sampleRate, 0.0, m_nWindowType);
        stats.m_dThdN = ratio > 0.0 ? std::sqrt(ratio) : 0.0;
    }

    if ((m_bHarmonics || m_bDistortionFigures) && m_spectrumFigures.ComputeThd != nullptr && sampleRate > 0.0)
    {
        std::array<float, CCurveStatistics::kMaxHarmonics> levels{};
        std::array<float, CCurveStatistics::kMaxHarmonics> frequencies{};
        double fundamentalLevel = 0.0;
        m_spectrumFigures.ComputeThd(data, n, sampleRate, m_dataRange.m_dXMax, m_dFundamental,
                                     &fundamentalLevel, CCurveStatistics::kMaxHarmonics, levels.data(),
                                     frequencies.data(), m_nWindowType);
        const int count = std::clamp(m_nHarmonicCount, 0, CCurveStatistics::kMaxHarmonics);
        stats.m_dDistortion = 0.0;
        if (m_spectrumFigures.SumHarmonicPowers != nullptr && fundamentalLevel > 0.0)
            stats.m_dDistortion =
                m_spectrumFigures.SumHarmonicPowers(levels.data(), fundamentalLevel, m_nHarmonicMask, count);
        for (std::size_t i = 0; i < levels.size(); ++i)
        {
            CSpectralLine& line = stats.m_arrHarmonics[i];
            line.m_fBin = static_cast<float>(frequencies[i] / m_dBinWidth);
            line.m_dDisplayLevel = ToDisplayValue(levels[i]);
            line.m_dFrequency = frequencies[i];
            line.m_dRawLevel = levels[i];
        }
    }

    if (m_bIntermodulation && m_dBinWidth > 0.0)
        ComputeIntermodulation(stats, source, searchLimit);

    stats.m_dMaximum = ToDisplayValue(static_cast<float>(maximum));
    stats.m_nMaximumIndex = maximumIndex;
    stats.m_dMinimum = ToDisplayValue(static_cast<float>(minimum));
    stats.m_nMinimumIndex = minimumIndex;
    stats.m_dPeak = ToDisplayValue(static_cast<float>(peak));
    stats.m_dPeakOffset = peakOffset;
    if (GetXTable() != nullptr)
    {
        stats.m_dXOfMaximum = GetXValue(maximumIndex);
        stats.m_dXOfMinimum = GetXValue(minimumIndex);
    }
    else
    {
        stats.m_dXOfMaximum = (maximumIndex + peakOffset) * m_dBinWidth + m_dataRange.m_dXOffset;
        stats.m_dXOfMinimum = minimumIndex * m_dBinWidth + m_dataRange.m_dXOffset;
    }
}

void CPlot::ComputeIntermodulation(CCurveStatistics& stats, const CurveSource& source, int searchLimit) const
{
    const float* data = source.data;
    const double binWidth = m_dBinWidth;
    for (CSpectralLine& line : stats.m_arrProducts)
        line =
            CSpectralLine{-1.0f, ToDisplayValue(static_cast<float>(kUnmeasuredLevel)), 0.0, kUnmeasuredLevel};
    stats.m_dToneSum = 0.0;
    stats.m_dProductSum = 0.0;
    stats.m_dProductRatio = 0.0;

    double tone1 = m_dTone1;
    double tone2 = m_dTone2;
    if (!(tone1 > 0.0 && tone2 > 0.0))
    {
        // The strongest line and the strongest one outside its immediate neighbourhood.
        const int a = IndexOfMaximum(data, 1, searchLimit);
        int h = -1;
        if (a >= 1)
        {
            for (int i = 1; i <= searchLimit; ++i)
            {
                if (i >= kToneBandLow * a && i <= kToneBandHigh * a)
                    continue;
                if (h < 0 || data[i] > data[h])
                    h = i;
            }
        }
        // A tone that cannot be found leaves the products unmeasured.
        if (a < 1 || h < 1)
            return;
        tone1 = a * binWidth;
        tone2 = h * binWidth;
    }

    const int count = std::clamp(m_nProductCount, 0, CCurveStatistics::kMaxProducts);
    for (int p = 0; p < count; ++p)
    {
        const int orderClass = MarkerSizeClass(p);
        if (orderClass >= 2 && !m_abProductOrders[static_cast<std::size_t>(orderClass - 2)])
            continue;
        const double frequency = kProducts[p].m1 * tone1 + kProducts[p].m2 * tone2;
        const double position = std::trunc(frequency / binWidth);
        if (!(position > 0.0) || position > searchLimit)
            continue;
        const int j = static_cast<int>(position);
        const int bin =
            IndexOfMaximum(data, std::max(0, j - kProductSearch), std::min(searchLimit, j + kProductSearch));
        if (bin < 0)
            continue;
        CSpectralLine& line = stats.m_arrProducts[static_cast<std::size_t>(p)];
        line.m_fBin = static_cast<float>(bin);
        line.m_dRawLevel = data[bin];
        line.m_dDisplayLevel = ToDisplayValue(data[bin]);
        line.m_dFrequency = bin * binWidth;
        if (p < 2)
            stats.m_dToneSum += line.m_dRawLevel;
        else
            stats.m_dProductSum += line.m_dRawLevel;
    }
    if (stats.m_dToneSum > 0.0)
        stats.m_dProductRatio = stats.m_dProductSum / stats.m_dToneSum;
}
