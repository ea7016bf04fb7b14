#include "dsp/LevelMeter.h"

#include <algorithm>
#include <cmath>

#include "dsp/ArrayStatistics.h"

namespace
{
// The detector corner is 1 / (tau · this truncated 2 pi); levels have always been computed with it.
constexpr double kTwoPiTruncated = 6.2831852;
constexpr double kDetectorLimit = 0.495;  // of the rate: above it a detector is not run
constexpr double kNoLevel = 1e-99;
}  // namespace

CLevelMeter::CLevelMeter()
{
    for (CDesignedFilter& filter : m_timeWeightingFilters)
    {
        filter.m_full.m_bEnabled = 1;
        filter.m_dLowCorner = 0.0;
        filter.m_nOrder = 1;
        filter.m_bBandStop = 0;
        filter.m_nDesignKind = kDesignButterworth;
        filter.m_bTwice = 0;
    }
    Reset();
}

CLevelMeter::~CLevelMeter() = default;

void CLevelMeter::Reset()
{
    m_energySum = 0.0;
    m_rmsSinceReset = 0.0;
    m_minSample = 1e99;
    m_maxSample = -1e99;
    m_levelFast = 0.0;
    m_levelSlow = 0.0;
    m_levelImpulse = 0.0;
    m_maxFastLevel = -1e99;
    m_ccirLevel = 1e-99;
    m_taktMaxLast = 0.0;
    m_taktMaxRunning = 0.0;
    m_taktRemaining = m_taktInterval;
    m_taktSumSquares = 0.0;
    m_taktCount = 0.0;
    m_taktLevel = 0.0;
    m_taktRatio = 0.0;
    m_percentiles.fill(-1e99);
    m_intervalEnergy = 0.0;
    m_intervalMin = 1e99;
    m_intervalMax = -1e99;
    m_intervalRms = 1e-99;
    m_lastIntervalRms = 1e-99;
    m_maxIntervalRms = 1e-99;
    m_intervalSampleCount = 0;
    m_sampleCount = 0;
    m_blockPeak = 0.0;
    m_previousBlockPeak = 0.0;
    m_peakHold = 0.0;
    m_blockCounter = 0;
    for (CDesignedFilter& filter : m_timeWeightingFilters)
        filter.Reset();
    m_detectorState.fill(0.0);
    m_lastSquared = 0.0;
}

void CLevelMeter::ProcessBlock(const float* samples, int count)
{
    // A meter whose rate was never set has no time base: its detectors and envelope would divide by
    // it, so it takes nothing in.
    if (!(m_sampleRate > 0.0))
        return;
    // A block longer than the work buffer is fed in pieces instead of overrunning it.
    while (count > 0)
    {
        const int piece = std::min(count, kWorkSamples);
        ProcessPiece(samples, piece);
        samples += piece;
        count -= piece;
    }
}

void CLevelMeter::ProcessPiece(const float* samples, int count)
{
    double sumSquares = 0.0;
    float blockMin = 0.0f;
    float blockMax = 0.0f;
    GetSumSquaresMinMax(samples, count, &sumSquares, &blockMin, &blockMax);

    m_intervalMin = std::min(m_intervalMin, static_cast<double>(blockMin));
    m_intervalMax = std::max(m_intervalMax, static_cast<double>(blockMax));
    m_sampleCount += count;
    const double dt = count / m_sampleRate * m_decimationFactor;
    m_intervalEnergy += sumSquares;
    m_energySum += sumSquares;
    m_rmsSinceReset = std::sqrt(m_energySum / static_cast<double>(m_sampleCount));
    m_minSample = std::min(m_minSample, static_cast<double>(blockMin));
    m_maxSample = std::max(m_maxSample, static_cast<double>(blockMax));
    m_intervalSampleCount += count;
    m_intervalRms = std::sqrt(m_intervalEnergy / m_intervalSampleCount);
    m_blockPeak = std::max(
        {m_blockPeak, std::fabs(static_cast<double>(blockMin)), std::fabs(static_cast<double>(blockMax))});
    ++m_blockCounter;

    float work[kWorkSamples];
    std::copy(samples, samples + count, work);
    m_envelope.m_sampleRate = m_sampleRate;
    m_envelope.Process(work, count);
    m_ccirLevel = std::max(0.0, static_cast<double>(work[count - 1]));

    // The five detectors low-pass the same squared signal. Their first-order recursions run side by
    // side in one pass (five independent chains instead of five passes over the block); the designed
    // filters provide the coefficients, the meter keeps the histories.
    struct Detector
    {
        int filter;
        double tau;
        double* level;
    };
    const Detector detectors[kDetectors] = {{2, m_tauImpulse, &m_levelImpulse},
                                            {1, m_tauFast, &m_levelFast},
                                            {0, m_tauSlow, &m_levelSlow},
                                            {3, m_tau10s, &m_level10s},
                                            {4, m_tau60s, &m_level60s}};
    double b0[kDetectors], b1[kDetectors], a1[kDetectors], gain[kDetectors], state[kDetectors];
    bool active[kDetectors];
    for (int d = 0; d < kDetectors; ++d)
    {
        const std::size_t f = static_cast<std::size_t>(detectors[d].filter);
        CDesignedFilter& filter = m_timeWeightingFilters[f];
        const double corner = 1.0 / (detectors[d].tau * kTwoPiTruncated);
        active[d] = kDetectorLimit * m_sampleRate > corner;
        b0[d] = b1[d] = a1[d] = gain[d] = 0.0;
        if (!active[d])
            continue;
        if (filter.m_dHighCorner != corner || filter.m_dSampleRate != m_sampleRate)
        {
            filter.m_dHighCorner = corner;
            filter.m_dSampleRate = m_sampleRate;
            filter.m_dDesignedRate = -1.0;
            m_detectorState[f] = 0.0;
        }
        if (filter.m_dDesignedRate != filter.m_dSampleRate)
        {
            float none = 0.0f;
            filter.Process(&none, 0);  // designs only
        }
        const CIirFilter& section = filter.GetSection(0);
        if (filter.GetSectionCount() != 1 || section.GetNumB() != 2 || section.GetNumA() != 2)
        {
            active[d] = false;
            continue;
        }
        b0[d] = section.GetB()[0];
        b1[d] = section.GetB()[1];
        a1[d] = section.GetA()[1];
        gain[d] = filter.GetGain();
    }
    for (int d = 0; d < kDetectors; ++d)
        state[d] = m_detectorState[static_cast<std::size_t>(detectors[d].filter)];
    // Written out for the five detectors: the chains then run interleaved without loop overhead.
    static_assert(kDetectors == 5);
    double previous = m_lastSquared;
    double s0 = state[0], s1 = state[1], s2 = state[2], s3 = state[3], s4 = state[4];
    for (int k = 0; k < count; ++k)
    {
        const double x = static_cast<double>(samples[k]) * samples[k];
        s0 = b0[0] * x + b1[0] * previous - a1[0] * s0;
        s1 = b0[1] * x + b1[1] * previous - a1[1] * s1;
        s2 = b0[2] * x + b1[2] * previous - a1[2] * s2;
        s3 = b0[3] * x + b1[3] * previous - a1[3] * s3;
        s4 = b0[4] * x + b1[4] * previous - a1[4] * s4;
        previous = x;
    }
    state[0] = s0;
    state[1] = s1;
    state[2] = s2;
    state[3] = s3;
    state[4] = s4;
    m_lastSquared = previous;
    for (int d = 0; d < kDetectors; ++d)
    {
        m_detectorState[static_cast<std::size_t>(detectors[d].filter)] = state[d];
        *detectors[d].level = active[d] ? std::sqrt(std::max(0.0, gain[d] * state[d])) : kNoLevel;
    }

    m_maxFastLevel = std::max(m_maxFastLevel, m_levelFast);

    m_taktRemaining -= dt;
    if (m_taktRemaining > 0.0)
    {
        m_taktMaxRunning = std::max(m_taktMaxRunning, m_levelFast);
    }
    else
    {
        m_taktRemaining += m_taktInterval;
        m_taktMaxLast = m_taktMaxRunning;
        m_taktMaxRunning = 0.0;
        m_taktSumSquares += m_taktMaxLast * m_taktMaxLast;
        m_taktCount += 1.0;
        m_taktLevel = std::sqrt(m_taktSumSquares / m_taktCount);
        m_taktRatio = m_taktLevel / m_rmsSinceReset;
    }
}

double CLevelMeter::GetLevel(int index) const
{
    switch (index)
    {
        case kLevelImpulse:
            return m_levelImpulse;
        case kLevelFast:
            return m_levelFast;
        case kLevelSlow:
            return m_levelSlow;
        case kLevelCcir:
            return m_ccirLevel;
        case kLevelEquivalent:
            return m_rmsSinceReset;
        case kLevel10s:
            return m_level10s;
        case kLevel60s:
            return m_level60s;
        case kLevelInterval:
            return m_intervalRms;
        case kLevelLastInterval:
            return m_lastIntervalRms;
        case kLevelMaxInterval:
            return m_maxIntervalRms;
        default:
            return 0.0;
    }
}

void CLevelMeter::EndLoggerInterval()
{
    m_intervalMin = 1e99;
    m_intervalMax = -1e99;
    m_lastIntervalRms = m_intervalRms;
    m_maxIntervalRms = std::max(m_maxIntervalRms, m_intervalRms);
    m_intervalRms = 0.0;
    m_intervalEnergy = 0.0;
    m_intervalSampleCount = 0;
    m_previousBlockPeak = m_blockPeak;
    m_peakHold = std::max(m_peakHold, m_blockPeak);
    m_blockPeak = 0.0;
    m_blockCounter = 0;
}
