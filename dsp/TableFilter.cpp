#include "dsp/TableFilter.h"

#include <cmath>

#include "platform/Debug.h"

int FindLastRateIndex(std::span<const double> rates, double rate)
{
    for (int i = static_cast<int>(rates.size()) - 1; i >= 0; --i)
        if (rates[static_cast<std::size_t>(i)] == rate)
            return i;
    return -1;
}

int FindLastRateIndexNear(std::span<const double> rates, double rate, double tolerance)
{
    for (int i = static_cast<int>(rates.size()) - 1; i >= 0; --i)
        if (std::fabs(rates[static_cast<std::size_t>(i)] - rate) < tolerance)
            return i;
    return -1;
}

CBandTableFilter::CBandTableFilter(const BandTable& table)
    : m_nBandCount(static_cast<int>(table.centres.size())), m_pCentres(table.centres.data()), m_table(table)
{
}

CBandTableFilter::~CBandTableFilter() = default;

void CBandTableFilter::Process(float* samples, int count)
{
    if (m_nSampleRate != m_nBuiltRate || m_nBand != m_nBuiltBand || m_nTableSet != m_nBuiltSet)
    {
        m_nBuiltBand = m_nBand;
        m_nBuiltSet = m_nTableSet;
        m_bLoaded = false;
        for (CIirFilter& section : m_sections)
            section.Release();
        const int rate = FindLastRateIndex(m_table.rates, static_cast<double>(m_nSampleRate));
        m_nBuiltRate = rate < 0 ? -1 : m_nSampleRate;
        const int bands = static_cast<int>(m_table.centres.size());
        if (rate >= 0 && (m_nBand < 0 || m_nBand >= bands || m_nTableSet < 0 || m_nTableSet > 1))
        {
            // A wrong index would read beyond the table: pass the signal and say why.
            ++m_nIndexRejects;
            platform::DebugOutput("band filter: band %d or set %d outside the table", m_nBand, m_nTableSet);
        }
        else if (rate >= 0)
        {
            const double* entry = m_table.sets[static_cast<std::size_t>(m_nTableSet)] +
                                  static_cast<std::ptrdiff_t>(kBandEntrySize) * (rate * bands + m_nBand);
            if (entry[3] != 0.0)
            {
                for (int s = 0; s < kBandSections; ++s)
                {
                    const double* section = entry + s * kBandSectionSize;
                    m_sections[static_cast<std::size_t>(s)].SetCoefficients(3, 3, section, section + 3);
                }
                m_bLoaded = true;
            }
        }
    }
    if (!m_bLoaded)
        return;
    for (CIirFilter& section : m_sections)
        section.Process(samples, count);
}

CSeriesTableFilter::CSeriesTableFilter(std::span<const double> rates, int coefficientsPerSide,
                                       const double* table)
    : m_rates(rates), m_nPerSide(coefficientsPerSide), m_pTable(table)
{
}

CSeriesTableFilter::~CSeriesTableFilter() = default;

void CSeriesTableFilter::Process(float* samples, int count)
{
    if (m_nSampleRate != m_nBuiltRate)
    {
        m_first.Release();
        m_second.Release();
        const int rate = FindLastRateIndex(m_rates, static_cast<double>(m_nSampleRate));
        if (rate < 0)
        {
            m_nBuiltRate = -1;
            return;
        }
        m_nBuiltRate = m_nSampleRate;
        const double* b = m_pTable + static_cast<std::ptrdiff_t>(2 * m_nPerSide) * rate;
        m_first.SetCoefficients(m_nPerSide, m_nPerSide, b, b + m_nPerSide);
        m_second.SetCoefficients(m_nPerSide, m_nPerSide, b, b + m_nPerSide);
    }
    m_first.Process(samples, count);
    m_second.Process(samples, count);
}
