#include "dsp/DesignedFilterBank.h"

#include <algorithm>

CDesignedFilterBank::CDesignedFilterBank()
{
    const CDesignedFilter defaults;
    m_nDesignKind.fill(defaults.m_nDesignKind);
    m_nOrder.fill(defaults.m_nOrder);
    m_dRippleDb.fill(defaults.m_dRippleDb);
}

CDesignedFilterBank::~CDesignedFilterBank() = default;

int CDesignedFilterBank::ChannelsInUse() const
{
    return std::clamp(m_nCount, 0, kMaxChannels);
}

void CDesignedFilterBank::Configure()
{
    for (int channel = 0; channel < ChannelsInUse(); ++channel)
    {
        if (!m_pFilters[channel])
            m_pFilters[channel] = std::make_unique<CDesignedFilter>();
        CDesignedFilter& filter = *m_pFilters[channel];
        const bool changed =
            filter.m_nOrder != m_nOrder[channel] || filter.m_dLowCorner != m_dLowCorner[channel] ||
            filter.m_dHighCorner != m_dHighCorner[channel] || filter.m_dRippleDb != m_dRippleDb[channel] ||
            filter.m_nDesignKind != m_nDesignKind[channel];
        filter.m_dSampleRate = m_dSampleRate;
        filter.m_nOrder = m_nOrder[channel];
        filter.m_dLowCorner = m_dLowCorner[channel];
        filter.m_dHighCorner = m_dHighCorner[channel];
        filter.m_dRippleDb = m_dRippleDb[channel];
        filter.m_nDesignKind = m_nDesignKind[channel];
        // The filter follows only its rate by itself; new corners must not wait for a change of rate.
        if (changed)
            filter.m_dDesignedRate = -1.0;
    }
}

void CDesignedFilterBank::Process(float* samples, int count)
{
    if (!m_bEnabled)
        return;
    for (int channel = 0; channel < ChannelsInUse(); ++channel)
    {
        if (m_pFilters[channel])
            m_pFilters[channel]->Process(samples, count);
    }
}
