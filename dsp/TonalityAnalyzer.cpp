#include "dsp/TonalityAnalyzer.h"

#include "platform/Sync.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <system_error>
#include <vector>

namespace
{

// Lines below this frequency are never analysed (Hz).
constexpr double kLowestAnalysedFrequency = 90.0;
// Level of a masking line above the masking level at most, and of a tone line above it at least (dB).
constexpr double kThresholdAboveMasking = 6.0;
// A tone line lies less than this below the tone's peak (dB).
constexpr double kToneLineRange = 10.0;
// Lines needed on each side of a line for a masking level.
constexpr int kMinimumMaskingLines = 5;
// Correction of a level summed over several lines of a Hanning-windowed spectrum (dB).
constexpr double kWindowCorrection = 1.76;
constexpr double kMinimumFlankSlope = 24.0;
constexpr double kNoSlope = 100.0;
constexpr double kStartMaskingLevel = 1000.0;
// ΔL of a spectrum without a tone, as a power ratio.
constexpr double kNoToneEnergy = 0.1;
// Expansion of the standard uncertainty to the 90 % one-sided interval.
constexpr double kCoverageFactor = 1.645;
// Nice increment of the worker: below the threads that measure and draw.
constexpr int kWorkerNiceIncrement = 5;

// Everything one spectrum's evaluation keeps per line; index 1..n, the lines of the method.
struct LineTables
{
    explicit LineTables(int n)
        : f(n + 2),
          level(n + 2),
          power(n + 2),
          maskingIndex(n + 2),
          bandwidth(n + 2),
          first(n + 2),
          last(n + 2),
          masking(n + 2),
          maskingSum(n + 2),
          maskingSquareSum(n + 2),
          difference(n + 2),
          sigma(n + 2),
          mergedDifference(n + 2),
          mergedSigma(n + 2),
          origin(n + 2),
          marked(n + 2),
          group(),
          powerSum(n + 2),
          squareSum(n + 2),
          square(n + 2)
    {
        group.reserve(static_cast<std::size_t>(n));
    }
    std::vector<double> f, level, power, maskingIndex, bandwidth;
    std::vector<int> first, last;
    std::vector<double> masking, maskingSum, maskingSquareSum;
    std::vector<double> difference, sigma, mergedDifference, mergedSigma;
    std::vector<int> origin;
    std::vector<char> marked;
    std::vector<int> group;
    // Running sums of the powers and of their squares over lines 1..k ([0] = 0).
    std::vector<double> powerSum, squareSum;
    std::vector<double> square;  // power²
};

struct SpectrumResult
{
    double largestDifference = 0.0;
    double sourceSigma = 0.0;
};

double Lg(double x)
{
    return std::log10(x);
}

// Smallest k in [from, n] with f_k >= limit on the grid f_k = f_1 + (k - 1)·h; n + 1 when none.
int FirstLineAtOrAbove(const LineTables& t, int n, int from, double limit, double h)
{
    int k = from;
    if (h > 0)
    {
        const double estimate = std::ceil((limit - t.f[1]) / h) + 1.0;
        k = static_cast<int>(std::clamp(estimate, static_cast<double>(from), static_cast<double>(n + 1)));
        while (k > from && t.f[static_cast<std::size_t>(k - 1)] >= limit)
        {
            --k;
        }
    }
    while (k <= n && t.f[static_cast<std::size_t>(k)] < limit)
    {
        ++k;
    }
    return k;
}

void ComputeBand(LineTables& t, int n, int i, double h)
{
    const std::size_t s = static_cast<std::size_t>(i);
    const double fi = t.f[s];
    const double dfc = t.bandwidth[s];
    const double f1 = (std::sqrt(4.0 * fi * fi + dfc * dfc) - dfc) / 2.0;
    const double f2 = f1 + dfc;
    int k1 = FirstLineAtOrAbove(t, n, 2, f1, h);
    if (k1 > n)
    {
        k1 = n;
    }
    int k2 = FirstLineAtOrAbove(t, n, k1, f2, h);
    if (k2 > n)
    {
        k2 = n;
    }
    t.first[s] = k1;
    t.last[s] = k2 - 1;
}

// The masking level of line i: the mean power of the band's lines that lie at most 6 dB above the
// level found so far, repeated until it settles; 1000 dB when a side has fewer than five such lines.
// The sums of the powers and of their squares over the lines of the last pass are the masking sums.
// The first pass, which takes every line of the band, comes from the running sums.
void ComputeMasking(LineTables& t, int i)
{
    const std::size_t s = static_cast<std::size_t>(i);
    const int k1 = t.first[s];
    const int k2 = t.last[s];
    double previous = kStartMaskingLevel;
    int below = std::max(0, std::min(i - 1, k2) - k1 + 1);
    int above = std::max(0, k2 - std::max(i + 1, k1) + 1);
    const bool inside = i >= k1 && i <= k2;
    double sum = t.powerSum[static_cast<std::size_t>(k2)] - t.powerSum[static_cast<std::size_t>(k1 - 1)] -
                 (inside ? t.power[s] : 0.0);
    double squares = t.squareSum[static_cast<std::size_t>(k2)] -
                     t.squareSum[static_cast<std::size_t>(k1 - 1)] - (inside ? t.power[s] * t.power[s] : 0.0);
    double lg = previous;
    // A bound on the passes: the level only falls, through finitely many line sets.
    for (int pass = 0; pass < 10000; ++pass)
    {
        if (below + above >= 1)
        {
            lg = 10.0 * Lg(sum / (below + above)) - kWindowCorrection;
        }
        if (below < kMinimumMaskingLines || above < kMinimumMaskingLines)
        {
            lg = previous;
            break;
        }
        if (lg == previous)
        {
            break;
        }
        previous = lg;
        const double limit = previous + kThresholdAboveMasking;
        sum = 0.0;
        squares = 0.0;
        below = 0;
        above = 0;
        // Branch-free: the kept lines lie scattered through a noisy band.
        const auto add = [&](int from, int to, int& count)
        {
            double a = 0.0;
            double b = 0.0;
            int c = 0;
            for (int k = from; k <= to; ++k)
            {
                const std::size_t ks = static_cast<std::size_t>(k);
                const bool kept = t.level[ks] <= limit;
                a += kept ? t.power[ks] : 0.0;
                b += kept ? t.square[ks] : 0.0;
                c += kept ? 1 : 0;
            }
            sum += a;
            squares += b;
            count += c;
        };
        add(k1, std::min(i - 1, k2), below);
        add(std::max(i + 1, k1), k2, above);
    }
    t.masking[s] = lg;
    t.maskingSum[s] = sum;
    t.maskingSquareSum[s] = squares;
}

double MaskingTerm(const LineTables& t, int i)
{
    const std::size_t s = static_cast<std::size_t>(i);
    return t.maskingSum[s] > 0 ? t.maskingSquareSum[s] / (t.maskingSum[s] * t.maskingSum[s]) : 0.0;
}

// Examines the peak p (tone lines, flanks, width) and records its ΔL and σ when it is a tone
// candidate; updates the spectrum's largest ΔL.
void ExaminePeak(LineTables& t, int p, double h, SpectrumResult& result)
{
    const std::size_t ps = static_cast<std::size_t>(p);
    const double lp = t.level[ps];
    const double threshold = t.masking[ps] + kThresholdAboveMasking;
    int lines = 1;
    double sum = t.power[ps];
    double squares = sum * sum;
    double lowerSlope = kNoSlope;
    double upperSlope = kNoSlope;
    const auto taken = [&](int j)
    {
        const double l = t.level[static_cast<std::size_t>(j)];
        return l > threshold && l > lp - kToneLineRange;
    };
    const auto take = [&](int j)
    {
        const double pj = t.power[static_cast<std::size_t>(j)];
        ++lines;
        sum += pj;
        squares += pj * pj;
    };
    const auto slope = [&](int j)
    {
        const std::size_t js = static_cast<std::size_t>(j);
        return (lp - t.level[js]) * t.f[ps] / (std::sqrt(2.0) * std::fabs(t.f[js] - t.f[ps]));
    };
    for (int j = p - 1; j >= t.first[ps] && taken(j); --j)
    {
        take(j);
        lowerSlope = slope(j - 1);  // j - 1 >= first - 1 >= 1
    }
    for (int j = p + 1; j <= t.last[ps] && taken(j); ++j)
    {
        take(j);
        upperSlope = slope(j + 1);  // j + 1 <= last + 1 <= n
    }
    t.difference[ps] = 0.0;
    if (lines * h > 26.0 * (1.0 + 0.001 * t.f[ps]) || lowerSlope < kMinimumFlankSlope ||
        upperSlope < kMinimumFlankSlope)
    {
        return;
    }
    const double toneLevel = 10.0 * Lg(sum) - (lines != 1 ? kWindowCorrection : 0.0);
    const double bandMasking = t.masking[ps] + 10.0 * Lg(t.bandwidth[ps] / h);
    const double difference = toneLevel - bandMasking - t.maskingIndex[ps];
    t.difference[ps] = difference;
    t.sigma[ps] = std::sqrt(9.0 * (MaskingTerm(t, p) + squares / (sum * sum)) +
                            std::pow(4.34 * h / t.bandwidth[ps], 2.0));
    if (difference > result.largestDifference)
    {
        result.largestDifference = difference;
        result.sourceSigma = t.sigma[ps];
    }
}

// Frequency distance (Hz) beyond which two tones below 1 kHz in one band are judged apart.
double ToneDistanceLimit(double fref)
{
    return 21.0 * std::pow(10.0, 1.2 * std::pow(std::fabs(Lg(fref / 212.0)), 1.8));
}

// Judges the tones of each critical band together (the second stage).
void JudgeGroups(LineTables& t, int u, int v, double h, SpectrumResult& result)
{
    for (int d = v; d >= u; --d)
    {
        const std::size_t ds = static_cast<std::size_t>(d);
        if (t.difference[ds] <= 0)
        {
            continue;
        }
        const int k1 = t.first[ds];
        const int k2 = t.last[ds];
        t.group.clear();
        t.group.push_back(d);
        for (int k = k2; k > d; --k)
        {
            if (t.difference[static_cast<std::size_t>(k)] > 0)
            {
                t.group.push_back(k);
            }
        }
        for (int k = d - 1; k >= k1; --k)
        {
            if (t.difference[static_cast<std::size_t>(k)] > 0)
            {
                t.group.push_back(k);
            }
        }
        int head = d;
        for (int tone : t.group)
        {
            if (t.difference[static_cast<std::size_t>(tone)] > t.difference[static_cast<std::size_t>(head)])
            {
                head = tone;
            }
        }
        const int tones = static_cast<int>(t.group.size());
        std::fill(t.marked.begin() + k1, t.marked.begin() + k2 + 1, 0);
        for (int tone : t.group)
        {
            const std::size_t ts = static_cast<std::size_t>(tone);
            const auto marks = [&](int k)
            {
                const double l = t.level[static_cast<std::size_t>(k)];
                return l >= t.masking[ts] + kThresholdAboveMasking && l >= t.level[ts] - kToneLineRange;
            };
            t.marked[ts] = 1;
            for (int k = tone + 1; k <= k2 && marks(k); ++k)
            {
                t.marked[static_cast<std::size_t>(k)] = 1;
            }
            for (int k = tone - 1; k >= k1 && marks(k); --k)
            {
                t.marked[static_cast<std::size_t>(k)] = 1;
            }
        }
        if (tones == 1)
        {
            continue;
        }
        if (tones == 2)
        {
            const int other = t.group[1];
            const std::size_t os = static_cast<std::size_t>(other);
            const double reference = t.difference[ds] > t.difference[os] ? t.f[ds] : t.f[os];
            if (t.f[ds] < 1000.0 && t.f[os] < 1000.0 &&
                std::fabs(t.f[ds] - t.f[os]) > ToneDistanceLimit(reference))
            {
                continue;
            }
        }
        double sum = 0.0;
        double squares = 0.0;
        int marked = 0;
        for (int k = k1; k <= k2; ++k)
        {
            const std::size_t ks = static_cast<std::size_t>(k);
            if (t.marked[ks])
            {
                sum += t.power[ks];
                squares += t.power[ks] * t.power[ks];
                ++marked;
            }
        }
        const std::size_t hs = static_cast<std::size_t>(head);
        const double level = 10.0 * Lg(sum) - (marked >= 2 * tones ? kWindowCorrection : 0.0);
        const double difference =
            level - (t.masking[hs] + 10.0 * Lg(t.bandwidth[hs] / h)) - t.maskingIndex[hs];
        const double sigma = std::sqrt(9.0 * (squares / (sum * sum) + MaskingTerm(t, head)) +
                                       std::pow(4.34 * h / t.bandwidth[hs], 2.0));
        if (difference > t.mergedDifference[hs])
        {
            t.mergedDifference[hs] = difference;
            t.mergedSigma[hs] = sigma;
            t.origin[hs] = d;
        }
        if (t.mergedDifference[hs] > result.largestDifference)
        {
            result.largestDifference = t.mergedDifference[hs];
            result.sourceSigma = t.mergedSigma[hs];
        }
    }
}

struct Outputs
{
    int* toneCount;
    float* toneFrequencies;
    int* groupCount;
    float* groupLowerEdges;
    float* groupUpperEdges;
    int capacity;
};

// Evaluates one spectrum; returns whether a tone was found (then result holds the largest ΔL and its σ).
bool EvaluateSpectrum(LineTables& t, int n, const float* levels, double fFirst, double fLast,
                      SpectrumResult& result, Outputs& out)
{
    if (n < 2)
    {
        return false;
    }
    const double h = (fLast - fFirst) / (n - 1);
    if (!(h > 0))
    {
        return false;
    }
    for (int i = 1; i <= n; ++i)
    {
        const std::size_t s = static_cast<std::size_t>(i);
        const double f = fFirst + (i - 1) * h;
        t.f[s] = f;
        t.level[s] = levels[i - 1];
        t.power[s] = std::pow(10.0, 0.1 * t.level[s]);
        t.maskingIndex[s] = -2.0 - Lg(1.0 + std::pow(f / 502.0, 2.5));
        t.bandwidth[s] = 25.0 + 75.0 * std::pow(1.0 + 1.4 * (f / 1000.0) * (f / 1000.0), 0.69);
        t.difference[s] = 0.0;
        t.mergedDifference[s] = 0.0;
        t.origin[s] = 0;
    }
    for (int i = 1; i <= n; ++i)
    {
        const std::size_t s = static_cast<std::size_t>(i);
        t.powerSum[s] = t.powerSum[s - 1] + t.power[s];
        t.square[s] = t.power[s] * t.power[s];
        t.squareSum[s] = t.squareSum[s - 1] + t.square[s];
    }
    int u = t.f[1] == 0.0 ? 2 : 1;
    while (u <= n && t.f[static_cast<std::size_t>(u)] < kLowestAnalysedFrequency)
    {
        ++u;
    }
    if (u > n)
    {
        return false;
    }
    int v = n;
    for (int i = u; i <= n; ++i)
    {
        ComputeBand(t, n, i, h);
        if (t.last[static_cast<std::size_t>(i)] >= n - 1)
        {
            v = i;
            break;
        }
    }
    for (int i = u; i <= v; ++i)
    {
        ComputeMasking(t, i);
    }

    // First stage: peaks standing above their masking level, examined one by one upward.
    const auto level = [&t](int k) { return t.level[static_cast<std::size_t>(k)]; };
    const auto threshold = [&t](int k)
    { return t.masking[static_cast<std::size_t>(k)] + kThresholdAboveMasking; };
    // Line 1 has no lower neighbour: the walks below stop at it.
    const int lowestWalked = std::max(u - 1, 1);
    int resume = u;
    while (true)
    {
        int c = resume;
        while (c < v && !((c == 1 || level(c - 1) <= level(c)) && level(c + 1) <= level(c)))
        {
            ++c;
        }
        if (c >= v)
        {
            break;
        }
        if (level(c) <= threshold(c))
        {
            resume = c + 1;
            continue;
        }
        bool higherBelow = false;
        for (int j = c - 1; j >= lowestWalked && level(j) > threshold(c); --j)
        {
            if (level(j) > level(c))
            {
                higherBelow = true;
                break;
            }
        }
        if (higherBelow)
        {
            resume = c + 1;
            continue;
        }
        int p = c;
        int stop = c + 1;
        while (stop <= v && level(stop) > threshold(p))
        {
            if (level(stop) > level(p))
            {
                p = stop;
            }
            ++stop;
        }
        if (level(p) <= threshold(p))
        {
            resume = p + 1;
            continue;
        }
        ExaminePeak(t, p, h, result);
        if (stop > v)
        {
            break;
        }
        resume = stop;
    }

    JudgeGroups(t, u, v, h, result);
    if (!(result.largestDifference > 0))
    {
        return false;
    }
    for (int k = u; k <= v; ++k)
    {
        const std::size_t ks = static_cast<std::size_t>(k);
        if (t.difference[ks] > 0 && *out.toneCount < out.capacity)
        {
            if (out.toneFrequencies != nullptr)
            {
                out.toneFrequencies[*out.toneCount] = static_cast<float>(t.f[ks]);
            }
            ++*out.toneCount;
        }
    }
    for (int x = u; x <= v; ++x)
    {
        const std::size_t xs = static_cast<std::size_t>(x);
        if (t.mergedDifference[xs] > 0 && *out.groupCount < out.capacity)
        {
            const std::size_t os = static_cast<std::size_t>(t.origin[xs]);
            if (out.groupLowerEdges != nullptr)
            {
                out.groupLowerEdges[*out.groupCount] =
                    static_cast<float>(t.f[static_cast<std::size_t>(t.first[os])]);
            }
            if (out.groupUpperEdges != nullptr)
            {
                out.groupUpperEdges[*out.groupCount] =
                    static_cast<float>(t.f[static_cast<std::size_t>(t.last[os])]);
            }
            ++*out.groupCount;
        }
    }
    return true;
}

}  // namespace

int TonalAdjustmentOfLevelDifference(double levelDifference)
{
    constexpr double kLimits[] = {0.0, 2.0, 4.0, 6.0, 9.0, 12.0};
    int adjustment = 0;
    for (double limit : kLimits)
    {
        if (levelDifference > limit)
        {
            ++adjustment;
        }
    }
    return adjustment;
}

void EvaluateTonalComponents(const float* frequencies, int lineCount, const float* levels, int spectrumCount,
                             int& tonalAdjustment, double& levelDifference, double& uncertainty,
                             int* toneCount, float* toneFrequencies, int* groupCount, float* groupLowerEdges,
                             float* groupUpperEdges)
{
    const int n = std::max(lineCount, 0);
    const int spectra = std::max(spectrumCount, 1);
    int tones = 0;
    int groups = 0;
    Outputs out{&tones, toneFrequencies, &groups, groupLowerEdges, groupUpperEdges, n};
    double energy = 0.0;
    double weight = 0.0;
    double variance = 0.0;
    LineTables tables(n);
    for (int s = 0; s < spectra; ++s)
    {
        SpectrumResult result;
        const bool found = n >= 2 && EvaluateSpectrum(tables, n, levels + static_cast<std::ptrdiff_t>(s) * n,
                                                      frequencies[0], frequencies[n - 1], result, out);
        if (found)
        {
            const double g = std::pow(10.0, 0.1 * result.largestDifference);
            energy += g;
            weight += g;
            variance += (g * result.sourceSigma) * (g * result.sourceSigma);
        }
        else
        {
            energy += kNoToneEnergy;
        }
    }
    levelDifference = 10.0 * Lg(energy / spectra);
    uncertainty = weight > 0 ? kCoverageFactor * std::sqrt(variance) / weight : -1.0;
    tonalAdjustment = TonalAdjustmentOfLevelDifference(levelDifference);
    if (toneCount != nullptr)
    {
        *toneCount = tones;
    }
    if (groupCount != nullptr)
    {
        *groupCount = groups;
    }
}

CTonalityAnalyzer::CTonalityAnalyzer() = default;

CTonalityAnalyzer::~CTonalityAnalyzer()
{
    if (m_thread.joinable())
    {
        m_thread.join();
    }
}

void CTonalityAnalyzer::Start()
{
    if (m_thread.joinable())
    {
        m_thread.join();
    }
    m_runState.store(kRunning);
    try
    {
        m_thread = std::thread(&CTonalityAnalyzer::ThreadProc, this);
    }
    catch (const std::system_error&)
    {
        // No worker: the run ends here, so that nobody waits on it.
        m_runState.store(kFinished);
    }
}

void CTonalityAnalyzer::StopAndWait()
{
    m_analysisEnabled.store(0);
    while (m_runState.load() == kRunning)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void CTonalityAnalyzer::ThreadProc(CTonalityAnalyzer* analyzer)
{
    platform::LowerCurrentThreadPriority(kWorkerNiceIncrement);
    if (analyzer->m_analysisEnabled.load() != 0)
    {
        const int lines = std::clamp(analyzer->m_lineCount, 0, analyzer->m_lineCapacity);
        EvaluateTonalComponents(analyzer->m_lineFrequencies.data(), lines, analyzer->m_lineLevels.data(), 1,
                                analyzer->m_tonalAdjustment, analyzer->m_levelDifference,
                                analyzer->m_uncertainty, &analyzer->m_toneCount,
                                analyzer->m_toneFrequencies.data(), &analyzer->m_groupCount,
                                analyzer->m_groupLowerEdges.data(), analyzer->m_groupUpperEdges.data());
    }
    analyzer->m_runState.store(kFinished);
}
