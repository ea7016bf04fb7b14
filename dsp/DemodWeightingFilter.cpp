#include "dsp/DemodWeightingFilter.h"

#include <array>
#include <cmath>
#include <numbers>
#include <span>

#include "dsp/TableFilter.h"

namespace
{

constexpr double kRates[] = {8000, 10000, 16000, 32000, 44100, 48000, 56000, 96000, 192000};
constexpr int kRateCount = static_cast<int>(std::size(kRates));
constexpr double kLowPassHz = 12.0;
constexpr double kHighPassHz = 1.1;

// The same two bilinear Butterworth designs at every rate.
std::array<double, kRateCount * kDemodWeightingSetSize> BuildTable()
{
    std::array<double, kRateCount * kDemodWeightingSetSize> table{};
    for (int r = 0; r < kRateCount; ++r)
    {
        double* set = table.data() + r * kDemodWeightingSetSize;
        const double kl = std::tan(std::numbers::pi * kLowPassHz / kRates[r]);
        set[0] = set[1] = kl / (1.0 + kl);
        set[2] = 1.0;
        set[3] = -(1.0 - kl) / (1.0 + kl);
        const double kh = std::tan(std::numbers::pi * kHighPassHz / kRates[r]);
        const double n = 1.0 / (1.0 + std::numbers::sqrt2 * kh + kh * kh);
        set[4] = n;
        set[5] = -2.0 * n;
        set[6] = n;
        set[7] = 1.0;
        set[8] = 2.0 * (kh * kh - 1.0) * n;
        set[9] = (1.0 - std::numbers::sqrt2 * kh + kh * kh) * n;
    }
    return table;
}

}  // namespace

const double* GetDemodWeightingTable()
{
    static const std::array<double, kRateCount* kDemodWeightingSetSize> table = BuildTable();
    return table.data();
}

CDemodWeightingFilter::CDemodWeightingFilter() : m_nRateCount(kRateCount), m_pRates(kRates) {}

CDemodWeightingFilter::~CDemodWeightingFilter() = default;

void CDemodWeightingFilter::Process(float* samples, int count)
{
    if (m_nSampleRate != m_nBuiltRate)
    {
        m_nBuiltRate = m_nSampleRate;
        m_first.Release();
        m_second.Release();
        m_nRateIndex =
            FindLastRateIndex(std::span<const double>(m_pRates, static_cast<std::size_t>(m_nRateCount)),
                              static_cast<double>(m_nSampleRate));
        if (m_nRateIndex < 0)
        {
            m_nBuiltRate = -1;
            return;
        }
        const double* set = GetDemodWeightingTable() + m_nRateIndex * kDemodWeightingSetSize;
        m_first.SetCoefficients(2, 2, set, set + 2);
        m_second.SetCoefficients(3, 3, set + 4, set + 7);
    }
    if (m_nRateIndex < 0)
        return;
    m_first.Process(samples, count);
    m_second.Process(samples, count);
}
