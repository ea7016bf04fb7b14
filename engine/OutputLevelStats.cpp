#include "engine/OutputLevelStats.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr double kInvFullScale = 1.0 / 2147483648.0;
// A half second at the highest rate a device offers stays far inside the counter's range.
constexpr double kMaxSampleRate = 1.0e7;
}  // namespace

COutputLevelStats::COutputLevelStats()
{
    Reset();
}

void COutputLevelStats::Reset()
{
    m_rms.store(0.0, std::memory_order_relaxed);
    m_min.store(0.0, std::memory_order_relaxed);
    m_max.store(0.0, std::memory_order_relaxed);
    m_peak.store(0.0, std::memory_order_relaxed);
    m_sumSquares = 0.0;
    m_runningMin = 1e100;
    m_runningMax = -1e100;
    m_blockLength = -1;
    m_counter = -1;
}

void COutputLevelStats::SetSampleRate(double rate)
{
    m_sampleRate = (rate > 0.0 && rate <= kMaxSampleRate) ? rate : -1.0;
    Reset();
}

void COutputLevelStats::AddBlock(const std::int32_t* samples, int count)
{
    if (!(m_sampleRate > 0.0) || samples == nullptr)
        return;
    for (int i = 0; i < count; ++i)
    {
        const double x = samples[i];
        m_sumSquares += x * x;
        m_runningMax = std::max(m_runningMax, x);
        m_runningMin = std::min(m_runningMin, x);
        if (m_counter == 0)
        {
            const double lo = m_runningMin * kInvFullScale;
            const double hi = m_runningMax * kInvFullScale;
            m_min.store(lo, std::memory_order_relaxed);
            m_max.store(hi, std::memory_order_relaxed);
            m_rms.store(std::sqrt(m_sumSquares / m_blockLength) * kInvFullScale, std::memory_order_relaxed);
            m_peak.store(std::max(hi, -lo), std::memory_order_relaxed);
        }
        if (m_counter < 1)
        {
            m_sumSquares = 0.0;
            m_runningMin = 1e100;
            m_runningMax = -1e100;
            // At least one sample, so that a very low rate still publishes.
            m_blockLength = std::max(1, static_cast<int>(m_sampleRate * kBlockTime));
            m_counter = m_blockLength;
        }
        --m_counter;
    }
}
