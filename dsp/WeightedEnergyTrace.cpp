#include "dsp/WeightedEnergyTrace.h"

#include "dsp/FrequencyWeighting.h"

CWeightedEnergyTrace::CWeightedEnergyTrace()
{
    m_ring.SetBuffer(m_storage.data(), kCapacity);
}

CFilterStage* CWeightedEnergyTrace::GetWeightingFilter(int code)
{
    return m_weightingFilters.Get(code);
}

void CWeightedEnergyTrace::Configure()
{
    const double x = m_interval * m_sampleRate;
    m_samplesPerInterval = x > 0.0 ? static_cast<std::int32_t>(x) : 0;
    m_fraction = x - m_samplesPerInterval;
    m_actualInterval = m_sampleRate > 0.0 ? m_samplesPerInterval / m_sampleRate : 0.0;
    m_bandLimit.m_full.m_bEnabled = 1;
    m_bandLimit.m_dHighCorner = m_highCorner;
    m_bandLimit.m_dLowCorner = m_lowCorner;
    m_bandLimit.m_nOrder = 4;
    m_bandLimit.m_bBandStop = 0;
    m_bandLimit.m_bTwice = 0;
    m_bandLimit.m_nDesignKind = kDesignButterworth;
    m_bandLimit.m_dSampleRate = m_sampleRate;
    m_bandLimit.m_dDesignedRate = -1.0;
    if (m_sampleRate > 0.0)
    {
        // An empty block designs now, so that the first real block does not.
        float none = 0.0f;
        m_bandLimit.Process(&none, 0);
    }
    m_weightingFilters.SetSampleRate(static_cast<int>(m_sampleRate));
    Reset();
}

void CWeightedEnergyTrace::Reset()
{
    m_sum = 0.0;
    m_count = 0;
    m_countdown = m_samplesPerInterval;
    m_fractionAccumulator = 0.0;
    m_totalSamples = 0;
    m_ring.Reset();
}

void CWeightedEnergyTrace::Process(float* samples, int count)
{
    if (!m_enabled)
        return;
    if (!m_bypassBandLimit)
        m_bandLimit.Process(samples, count);
    if (CFilterStage* stage = GetWeightingFilter(m_weighting))
        stage->Process(samples, count);
    for (int k = 0; k < count; ++k)
    {
        if (m_countdown <= 0)
        {
            const float value = m_count > 0 ? static_cast<float>(m_sum / m_count) : 0.0f;
            m_ring.Write(&value, 1);
            m_fractionAccumulator += m_fraction;
            m_sum = 0.0;
            m_count = 0;
            m_countdown = m_samplesPerInterval;
            if (m_fractionAccumulator >= 1.0)
            {
                m_fractionAccumulator -= 1.0;
                m_countdown += 1;
            }
        }
        m_countdown -= 1;
        m_count += 1;
        m_sum += static_cast<double>(samples[k]) * samples[k];
    }
    m_totalSamples += count;
}
