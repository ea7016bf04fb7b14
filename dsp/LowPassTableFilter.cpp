#include "dsp/LowPassTableFilter.h"

#include <algorithm>
#include <span>

#include "dsp/TableFilter.h"
#include "filtercoeffs/Brevik.h"
#include "platform/Debug.h"

namespace
{

double* const* const kOrderTables[kBrevikMaximumOrder] = {
    &DLL_LP1_a_0_start, &DLL_LP2_a_0_start, &DLL_LP3_a_0_start, &DLL_LP4_a_0_start, &DLL_LP5_a_0_start,
    &DLL_LP6_a_0_start, &DLL_LP7_a_0_start, &DLL_LP8_a_0_start, &DLL_LP9_a_0_start};

// The library's counts are doubles; the table strides never go beyond the sizes it was built with.
int LibraryCount(const double* value, int limit)
{
    if (!value || !(*value >= 0.0))
        return 0;
    return static_cast<int>(std::min(*value, static_cast<double>(limit)));
}

}  // namespace

CLowPassTableFilter::CLowPassTableFilter()
    : m_pCutoffs(DLL_LP3_fcenter), m_nCutoffCount(LibraryCount(DLL_LP3_Nbands, kBrevikCutoffCount))
{
}

CLowPassTableFilter::~CLowPassTableFilter() = default;

void CLowPassTableFilter::Process(float* samples, int count)
{
    if (m_nSampleRate != m_nBuiltRate || m_nCutoff != m_nBuiltCutoff || m_nOrder != m_nBuiltOrder)
    {
        m_nBuiltCutoff = m_nCutoff;
        m_nBuiltOrder = m_nOrder;
        m_bLoaded = false;
        m_filter.Release();
        const int rates = LibraryCount(DLL_LP3_NFs, kBrevikRateCount);
        const int rate =
            DLL_LP3_Fs
                ? FindLastRateIndex(std::span<const double>(DLL_LP3_Fs, static_cast<std::size_t>(rates)),
                                    static_cast<double>(m_nSampleRate))
                : -1;
        m_nBuiltRate = rate < 0 ? -1 : m_nSampleRate;
        if (rate < 0 || m_nOrder < 1 || m_nOrder > kBrevikMaximumOrder)
        {
            // No table for this rate or order: the block passes.
        }
        else if (m_nCutoff < 0 || m_nCutoff >= m_nCutoffCount)
        {
            ++m_nIndexRejects;
            platform::DebugOutput("low-pass table filter: cutoff index %d outside the table", m_nCutoff);
        }
        else if (const double* table = *kOrderTables[m_nOrder - 1])
        {
            const int perSide = m_nOrder + 1;
            const double* set =
                table + static_cast<std::ptrdiff_t>(2 * perSide) * (kBrevikCutoffCount * rate + m_nCutoff);
            if (set[perSide] != 0.0)
            {
                m_filter.SetCoefficients(perSide, perSide, set, set + perSide);
                m_bLoaded = true;
            }
        }
    }
    if (m_bLoaded)
        m_filter.Process(samples, count);
}
