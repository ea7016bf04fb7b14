#include "dsp/RateTableFilter.h"

#include <span>

#include "dsp/FixedFilterTables.h"
#include "dsp/TableFilter.h"

namespace
{

constexpr double kRateTolerance = 1e-6;

}  // namespace

CRateTableFilter::CRateTableFilter(const double* table)
    : m_nRateCount(static_cast<int>(table[0])),
      m_pTable(table),
      m_nTableB(static_cast<int>(table[1 + static_cast<int>(table[0])])),
      m_nTableA(static_cast<int>(table[2 + static_cast<int>(table[0])])),
      m_pRates(table + 1)
{
}

CRateTableFilter::~CRateTableFilter() = default;

void CRateTableFilter::Run(int rate, int& builtRate, float* samples, int count)
{
    if (rate != builtRate)
    {
        m_filter.Release();
        const int index =
            FindLastRateIndexNear(std::span<const double>(m_pRates, static_cast<std::size_t>(m_nRateCount)),
                                  static_cast<double>(rate), kRateTolerance);
        if (index < 0)
        {
            builtRate = -1;
            return;
        }
        builtRate = rate;
        const double* set = m_pTable + 3 + m_nRateCount + index * (m_nTableB + m_nTableA);
        m_filter.SetCoefficients(m_nTableB, m_nTableA, set, set + m_nTableB);
    }
    m_filter.Process(samples, count);
}

CRateTableFilter2::CRateTableFilter2() : CRateTableFilter(g_rateTable2) {}
CRateTableFilter2::~CRateTableFilter2() = default;

CRateTableFilter4::CRateTableFilter4() : CRateTableFilter(g_rateTable4) {}
CRateTableFilter4::~CRateTableFilter4() = default;

CRateTableFilter8::CRateTableFilter8() : m_table(g_rateTable8) {}
CRateTableFilter8::~CRateTableFilter8() = default;

void CRateTableFilter8::Process(float* samples, int count)
{
    m_table.Run(m_nSampleRate, m_nBuiltRate, samples, count);
}
