#include "display/WaterfallFeed.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "display/ThreeDWindow.h"
#include "display/WaterfallScene.h"
#include "dsp/Fft.h"

namespace
{
constexpr int kPoints = CWaterfallScene::kPoints;

// The smallest power of two at or above n (at least 2).
int FftLengthFor(int n)
{
    int length = 2;
    while (length < n && length < (1 << 24))
        length *= 2;
    return length;
}

// The value between bins i and i+1 at frequency f (bins `spacing` apart).
double Interpolate(std::span<const float> bins, int i, double f, double spacing)
{
    const int last = static_cast<int>(bins.size()) - 1;
    if (last < 0)
        return 0.0;
    i = std::clamp(i, 0, last);
    if (i == last)
        return bins[static_cast<std::size_t>(i)];
    const double t = std::clamp(f / spacing - i, 0.0, 1.0);
    return bins[static_cast<std::size_t>(i)] * (1.0 - t) + bins[static_cast<std::size_t>(i + 1)] * t;
}
}  // namespace

void WaterfallFrequencies(double minimum, double maximum, bool logarithmic, std::span<float> out)
{
    const int n = static_cast<int>(out.size());
    for (int j = 0; j < n; ++j)
    {
        double f = 0.0;
        if (logarithmic && minimum > 0.0 && maximum > 0.0)
            f = minimum * std::pow(10.0, j * std::log10(maximum / minimum) / kPoints);
        else
            f = minimum + j * (maximum - minimum) / kPoints;
        out[static_cast<std::size_t>(j)] = static_cast<float>(f);
    }
}

float WaterfallHeight(double value, double low, double high)
{
    if (!(high > low) || std::isnan(value))
        return 0.0f;
    return static_cast<float>(std::clamp(10.0 * (value - low) / (high - low), 0.0, 10.0));
}

void ComputeLiveRow(std::span<const float> spectrum, double binWidth, const LiveRowRange& range,
                    std::span<float> row)
{
    std::array<float, kPoints> f{};
    WaterfallFrequencies(range.xMin, range.xMax, range.logX, f);
    const int n = static_cast<int>(spectrum.size());
    if (n <= 0 || !(binWidth > 0.0))
    {
        std::fill(row.begin(), row.end(), 0.0f);
        return;
    }
    int i = std::clamp(static_cast<int>(range.xMin / binWidth), 0, n - 1);
    const int points = std::min(kPoints, static_cast<int>(row.size()));
    for (int j = 0; j < points; ++j)
    {
        const double lower = j == 0 ? range.xMin : f[static_cast<std::size_t>(j - 1)];
        const double upper = f[static_cast<std::size_t>(j)];
        while (i + 1 < n && (i + 1) * binWidth < lower)
            ++i;
        // The bins of the band: from the first at or above its lower edge to the last below f_j.
        int count = 0;
        double peak = -std::numeric_limits<double>::infinity();
        for (int k = i + 1; k < n && k * binWidth < upper; ++k)
        {
            if (k * binWidth < lower)
                continue;
            ++count;
            peak = std::max(peak, static_cast<double>(spectrum[static_cast<std::size_t>(k)]));
        }
        double value = count >= 2 ? peak : Interpolate(spectrum, i, lower, binWidth);
        if (range.decibel)
            value = value > 0.0 ? range.logFactor * std::log10(value) + range.logOffset
                                : -std::numeric_limits<double>::infinity();
        row[static_cast<std::size_t>(j)] =
            std::isinf(value) ? (value > 0 ? 10.0f : 0.0f) : WaterfallHeight(value, range.yMin, range.yMax);
    }
}

CWaterfallFeed::~CWaterfallFeed()
{
    Stop();
}

void CWaterfallFeed::Stop()
{
    m_bTimeSignal = 0;
    if (m_thread.joinable())
        m_thread.join();
    m_bDone = true;
}

bool CWaterfallFeed::StartWorker(C3DWindowBase& window, const WaterfallTimeSignal& record,
                                 const TimeSignalSettings& settings)
{
    if (WorkerRunning() || !m_bTimeSignal)
        return false;
    if (record.validCount <= 0 || record.samples == nullptr || record.sampleCount <= 0 ||
        record.sampleRate <= 0.0 || (m_bFedOnce && record.sequence == m_nFedSequence))
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_nFedSequence = record.sequence;
    m_bFedOnce = 1;
    // The worker works on its own copy: the window may replace its record at any time.
    m_afSignal.assign(record.samples, record.samples + record.sampleCount);
    const double rate = record.sampleRate;
    m_bDone = false;
    m_thread = std::thread(
        [this, &window, rate, settings]
        {
            ComputeRows(window, m_afSignal, rate, settings);
            m_bDone = true;
        });
    return true;
}

int CWaterfallFeed::ComputeRows(C3DWindowBase& window, std::span<const float> samples, double rate,
                                const TimeSignalSettings& s)
{
    const int n = static_cast<int>(samples.size());
    const int rows = std::clamp(s.rows, CWaterfallScene::kMinRows, CWaterfallScene::kMaxRows);
    if (n <= 0 || !(rate > 0.0))
        return 0;
    // A transform needs a power of two: the signal or the window is zero-padded up to one.
    const int fftLength = FftLengthFor(s.slidingWindow ? std::max(s.windowLength, 2) : n);
    const double spacing = rate / fftLength;
    std::array<float, kPoints> f{};
    WaterfallFrequencies(s.xMin, s.xMax, s.logX != 0, f);
    {
        std::lock_guard lock(window.Scene().m_mutex);
        window.Scene().m_nStyle = waterfall_style::kTimeSignal;
    }

    int u = static_cast<int>(rate * s.startTime);
    if (u < 0 || u > n - 1)
        u = 0;
    int e = n;
    double step = static_cast<double>(n) / rows;
    if (s.endTime > s.startTime)
    {
        e = static_cast<int>(s.endTime * rate);
        if (e < 0 || e > n - 1)
            e = n - 1;
        step = static_cast<double>(e - u) / rows;
    }

    m_afWork.assign(static_cast<std::size_t>(fftLength), 0.0f);
    std::array<float, kPoints> row{};
    int written = 0;
    for (int i = 0; i < rows && m_bTimeSignal; ++i)
    {
        std::fill(m_afWork.begin(), m_afWork.end(), 0.0f);
        if (!s.slidingWindow)
        {
            // The signal with its first samples removed.
            const int cut = std::min(n, static_cast<int>(i * step + u));
            std::copy(samples.begin() + cut, samples.end(), m_afWork.begin() + cut);
        }
        else
        {
            const int from = std::clamp(u + static_cast<int>(i * step), 0, n);
            const int to = std::clamp(std::min({from + fftLength, n, e}), from, n);
            std::copy(samples.begin() + from, samples.begin() + to, m_afWork.begin());
        }
        ComputePowerSpectrum(m_afWork.data(), fftLength);
        const std::span<const float> bins(m_afWork.data(), static_cast<std::size_t>(fftLength / 2));
        int bin = std::max(0, static_cast<int>(s.xMin / spacing));
        for (int j = 0; j < kPoints; ++j)
        {
            const double fj = f[static_cast<std::size_t>(j)];
            while (bin + 1 < static_cast<int>(bins.size()) && (bin + 1) * spacing <= fj)
                ++bin;
            const double value = std::fabs(Interpolate(bins, bin, fj, spacing));
            double level = 0.0;
            if (s.decibel)
                level = value > 0.0 ? 10.0 * std::log10(value) : -std::numeric_limits<double>::infinity();
            else
                level = std::sqrt(value);
            row[static_cast<std::size_t>(j)] =
                std::isinf(level) ? 0.0f : WaterfallHeight(level, s.yMin, s.yMax);
        }
        window.AddRow(row, s.reverse ? rows - 1 - i : i);
        ++written;
    }
    return written;
}
