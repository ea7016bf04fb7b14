#include "engine/HistogramSettings.h"

#include "platform/Archive.h"

void CHistogramSettings::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << m_bEnabled << m_nCurve << m_bRelativeThresholds << m_dAutoScale << m_dSecondFactor
           << m_dActiveMin << m_dActiveMax << m_dPeriodMin << m_dPeriodMax << m_nActiveBins << m_nPeriodBins;
        for (int i = 0; i < kReservedWords; ++i)
            ar << std::int32_t{0};
        return;
    }
    CHistogramSettings loaded;
    ar >> loaded.m_bEnabled >> loaded.m_nCurve >> loaded.m_bRelativeThresholds >> loaded.m_dAutoScale >>
        loaded.m_dSecondFactor >> loaded.m_dActiveMin >> loaded.m_dActiveMax >> loaded.m_dPeriodMin >>
        loaded.m_dPeriodMax >> loaded.m_nActiveBins >> loaded.m_nPeriodBins;
    std::int32_t reserved = 0;
    for (int i = 0; i < kReservedWords; ++i)
        ar >> reserved;
    // The bin counts size the histograms' counters when they run.
    for (std::int32_t bins : {loaded.m_nActiveBins, loaded.m_nPeriodBins})
        if (bins < 1 || bins > kMaxBins)
            throw platform::ArchiveError(platform::ArchiveCause::BadIndex,
                                         "histogram bin count out of range");
    *this = loaded;
}
