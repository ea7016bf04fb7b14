#include "engine/Histogram.h"

#include "dsp/ArrayStatistics.h"
#include "platform/Archive.h"

#include <algorithm>
#include <utility>

namespace
{

// Durations are whole sample counts divided by the sample rate, and the bins are normally one sample
// period wide: the quotient lands a rounding error below the whole number about as often as not, and
// truncating it then would file the value one bin too low. A millionth of a bin is far above that error
// and far below anything a bin can tell apart.
constexpr double kBinTolerance = 1e-6;

int BinIndex(double seconds, double rangeMin, double rangeMax, int bins)
{
    const double position = seconds / (rangeMax - rangeMin) * bins + kBinTolerance;
    if (!(position >= 0.0))  // negative, or NaN from an empty range
        return 0;
    if (position >= static_cast<double>(bins - 1))
        return bins - 1;
    return static_cast<int>(position);
}

int LimitBinCount(std::int32_t bins)
{
    return std::clamp<std::int32_t>(bins, 1, CHistogramSettings::kMaxBins);
}

}  // namespace

CHistogram::CHistogram() : m_workBuffer(kWorkBufferSize, 0.0f) {}

const char* CHistogram::GetStatusText(int status)
{
    switch (status)
    {
        case kStatusLevelTooLow:
            return "  signal level too low!";
        case kStatusLevelTooHigh:
            return "  signal level too high!";
        case kStatusCountdownElapsed:
            return "  countdown elapsed!";
        default:
            return "";
    }
}

bool CHistogram::MakeBins(bool onlyMissing)
{
    bool made = false;
    for (auto [bins, count] : {std::pair{&m_activeBins, m_settings.m_nActiveBins},
                               std::pair{&m_periodBins, m_settings.m_nPeriodBins}})
    {
        const int size = LimitBinCount(count);
        if (bins->empty() || (!onlyMissing && static_cast<int>(bins->size()) != size))
        {
            bins->assign(static_cast<std::size_t>(size), 0);
            made = true;
        }
    }
    return made;
}

void CHistogram::Reset()
{
    // A loaded workspace may have changed the bin counts since the arrays were made.
    MakeBins(false);
    std::fill(m_activeBins.begin(), m_activeBins.end(), 0);
    std::fill(m_periodBins.begin(), m_periodBins.end(), 0);
    m_nPeriodCount = 0;
    m_nActiveCount = 0;
    m_nPulseWidth = 0;
    m_nInterval = 0;
    m_dElapsedTime = 0.0;
    m_dDurationSum = 0.0;
    m_nState = 0;
    m_fPrevSample = 0.0f;
    m_bStartOfBlock = 1;
    m_fBlockMin = 1e38f;
    m_fBlockMax = -1e38f;
    if (m_dSampleRate > 0.0)
    {
        m_settings.m_dActiveMax = static_cast<double>(m_activeBins.size()) / m_dSampleRate;
        m_settings.m_dPeriodMax = static_cast<double>(m_periodBins.size()) / m_dSampleRate;
    }
}

void CHistogram::ProcessBlock(const float* samples, int count)
{
    // Without a sample rate nothing can be timed.
    if (samples == nullptr || count <= 0 || !(m_dSampleRate > 0.0))
        return;
    if (MakeBins(true))
        Reset();
    // The leading remainder first, then whole work buffers: the order in which the samples arrived.
    const int first = count - kWorkBufferSize * ((count - 1) / kWorkBufferSize);
    ProcessPiece(samples, first);
    for (int offset = first; offset < count; offset += kWorkBufferSize)
        ProcessPiece(samples + offset, kWorkBufferSize);
}

void CHistogram::ProcessPiece(const float* samples, int count)
{
    m_pLastBlock = samples;
    m_nLastBlockLength = count;
    float* work = m_workBuffer.data();
    for (int i = 0; i < count; ++i)
        work[i] = samples[i] * m_fInputScale;

    float rms = 0.0f;
    GetRmsMinMax(work, count, &rms, &m_fBlockMin, &m_fBlockMax);

    // The difference runs over the input stream, whether a block is analysed or not: an edge on the
    // first sample of a block is an edge like any other. Only the first block after a reset has no
    // sample before it and starts with a difference of 0.
    float previous = m_bStartOfBlock ? work[0] : m_fPrevSample;
    m_bStartOfBlock = 0;
    m_fPrevSample = work[count - 1];

    // Samples are floats: a block that spans exactly 0.3f is at the limit, not above it.
    const float peakToPeak = m_fBlockMax - m_fBlockMin;
    if (peakToPeak < static_cast<float>(m_dLevelLow))
    {
        m_nStatus = kStatusLevelTooLow;
        return;
    }
    if (peakToPeak > static_cast<float>(m_dLevelHigh))
    {
        m_nStatus = kStatusLevelTooHigh;
        return;
    }
    // Elapsed time is a sum of block durations, whose rounding errors must not cost the countdown an
    // extra block: half a sample period early counts as reached.
    if (m_dCaptureTime > 0.0 && m_dElapsedTime >= m_dCaptureTime - 0.5 / m_dSampleRate)
    {
        m_nStatus = kStatusCountdownElapsed;
        return;
    }
    m_nStatus = kStatusAnalysed;
    m_dElapsedTime += count / m_dSampleRate;

    for (int i = 0; i < count; ++i)
    {
        const float value = work[i];
        work[i] = value - previous;
        previous = value;
    }

    m_fDiffMax = FindMax(work, count, nullptr);
    m_fDiffMin = FindMin(work, count, nullptr);
    if (m_settings.m_bRelativeThresholds)
    {
        // A block without a rising (falling) edge has no difference to scale that threshold from; a
        // threshold of 0 would take every flat sample for an edge, so the last one stays.
        const double factor = m_settings.m_dAutoScale;
        if (m_fDiffMax > 0.0f)
            m_fHighThreshold = static_cast<float>(m_fDiffMax * factor);
        if (m_fDiffMin < 0.0f)
            m_fLowThreshold = static_cast<float>(m_fDiffMin * factor);
    }

    // The states are visited in order within one sample, so the rising sample ends one period, starts
    // the next and is the first sample of the pulse.
    for (int i = 0; i < count; ++i)
    {
        m_nExamined = i;
        const float v = work[i] * m_fSign;
        if (m_nState == 0 && v >= m_fHighThreshold)
        {
            m_nInterval = 0;
            m_nState = 2;
        }
        if (m_nState == 1)
        {
            ++m_nInterval;
            if (v >= m_fHighThreshold)
            {
                m_nState = 2;
                AddInterval(static_cast<double>(m_nInterval) / m_dSampleRate);
                m_nInterval = 0;
            }
        }
        if (m_nState == 2)
        {
            ++m_nPulseWidth;
            ++m_nInterval;
            if (v <= m_fLowThreshold)
            {
                m_nState = 1;
                AddActiveDuration(static_cast<double>(m_nPulseWidth) / m_dSampleRate);
                m_nPulseWidth = 0;
            }
        }
    }
}

void CHistogram::AddInterval(double seconds)
{
    if (m_periodBins.empty())
        return;
    const int bins = static_cast<int>(m_periodBins.size());
    ++m_periodBins[static_cast<std::size_t>(
        BinIndex(seconds, m_settings.m_dPeriodMin, m_settings.m_dPeriodMax, bins))];
    ++m_nPeriodCount;
}

void CHistogram::AddActiveDuration(double seconds)
{
    if (m_activeBins.empty())
        return;
    const int bins = static_cast<int>(m_activeBins.size());
    ++m_activeBins[static_cast<std::size_t>(
        BinIndex(seconds, m_settings.m_dActiveMin, m_settings.m_dActiveMax, bins))];
    ++m_nActiveCount;
    m_dDurationSum += seconds;
}

void CHistogram::SerializeSettings(CArchive& ar)
{
    m_settings.Serialize(ar);
}

void CHistogram::FillDisplay(int mode, float* row, int length) const
{
    if (row == nullptr || length <= 0)
        return;
    if (mode == kDisplayPeriod || mode == kDisplayActiveDuration)
    {
        const std::vector<int>& bins = mode == kDisplayPeriod ? m_periodBins : m_activeBins;
        const int total = mode == kDisplayPeriod ? m_nPeriodCount : m_nActiveCount;
        const int shown = total > 0 ? std::min(length, static_cast<int>(bins.size())) : 0;
        for (int i = 0; i < shown; ++i)
            row[i] = static_cast<float>(static_cast<double>(bins[static_cast<std::size_t>(i)]) / total);
        std::fill(row + shown, row + length, 0.0f);
    }
    else if (mode == kDisplayDifferentiated)
    {
        const int shown = std::min(length, m_nLastBlockLength);
        std::copy(m_workBuffer.begin(), m_workBuffer.begin() + shown, row);
        std::fill(row + shown, row + length, 0.0f);
    }
}
