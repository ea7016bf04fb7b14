#include "dsp/FrequencyWeighting.h"

#include <cmath>

#include "dsp/ButterworthPower.h"
#include "dsp/Itu468Network.h"

namespace
{
// Squared pole frequencies of the A and C curves (20.6 Hz, 107.7 Hz, 737.9 Hz, 12200 Hz).
constexpr double kPole1Sq = 424.36;
constexpr double kPole2Sq = 11599.29;
constexpr double kPole3Sq = 544496.41;
constexpr double kPole4Sq = 148840000.0;
constexpr double kUCorner = 12500.0;
constexpr int kUOrder = 6;
// Offsets that place the ITU-R 468 network at 0 dB at 1 kHz (468) and at 2 kHz (ARM).
constexpr double kItu468OffsetDb = 18.923 - 0.6843;
constexpr double kItuArmOffsetDb = 12.609;

double AWeightingMagnitude(double f)
{
    const double f2 = f * f;
    return std::pow(10.0, 0.1) * kPole4Sq * f2 * f2 /
           (std::sqrt(f2 + kPole2Sq) * std::sqrt(f2 + kPole3Sq) * (f2 + kPole1Sq) * (f2 + kPole4Sq));
}

double CWeightingMagnitude(double f)
{
    const double f2 = f * f;
    return std::pow(10.0, 0.003) * kPole4Sq * f2 / ((f2 + kPole1Sq) * (f2 + kPole4Sq));
}
}  // namespace

double GetAWeightingPower(double f)
{
    const double r = AWeightingMagnitude(f);
    return r * r;
}

double GetCWeightingPower(double f)
{
    const double r = CWeightingMagnitude(f);
    return r * r;
}

double GetUWeightingPower(double f)
{
    return ButterworthLowPassPower(f, kUCorner, kUOrder);
}

double GetAUWeightingPower(double f)
{
    return GetUWeightingPower(f) * GetAWeightingPower(f);
}

double GetUS1WeightingPower(double f)
{
    return ButterworthHighPassPower(f, kUCorner, kUOrder);
}

std::string GetWeightingName(int code)
{
    switch (code)
    {
        case kWeightingA:
            return "A";
        case kWeightingC:
            return "C";
        case kWeightingItu468:
            return "ITU-468";
        case kWeightingItuArm:
            return "ITU-ARM";
        case kWeightingU:
            return "U";
        case kWeightingAU:
            return "AU";
        case kWeightingUS1:
            return "US1";
        default:
            return "Z";
    }
}

double GetWeightingPowerForCode(int code, double f)
{
    switch (code)
    {
        case kWeightingA:
        {
            // Rounded to float before squaring, as the table has always stored it.
            const double r = static_cast<float>(AWeightingMagnitude(f));
            return r * r;
        }
        case kWeightingC:
        {
            const double r = static_cast<float>(CWeightingMagnitude(f));
            return r * r;
        }
        case kWeightingItu468:
            return std::pow(10.0, (Itu468NetworkDb(f + 1e-10) + kItu468OffsetDb) * 0.1);
        case kWeightingItuArm:
            return std::pow(10.0, (Itu468NetworkDb(f + 1e-10) + kItuArmOffsetDb) * 0.1);
        case kWeightingU:
            return GetUWeightingPower(f);
        case kWeightingAU:
            return GetAUWeightingPower(f);
        case kWeightingUS1:
            return GetUS1WeightingPower(f);
        default:
            return 1.0;
    }
}

void CWeightingTable::Update()
{
    if (m_nCount > m_nCapacity)
    {
        m_pTable.assign(static_cast<std::size_t>(m_nCount), 1.0f);
        m_dBuiltRate = -1.0;
        m_nCapacity = m_nCount;
    }
    if (m_nType != m_nBuiltType || m_dBuiltRate != m_dSampleRate || m_nBuiltCount != m_nCount)
    {
        m_dBuiltRate = m_dSampleRate;
        m_nBuiltCount = m_nCount;
        const double df = m_nCount > 0 ? m_dSampleRate / (2.0 * m_nCount) : 0.0;
        // A code outside 0..7 weights as Z: every bin gets 1.0 instead of keeping stale or undefined
        // factors.
        for (int k = 0; k < m_nCount; ++k)
            m_pTable[static_cast<std::size_t>(k)] =
                m_nType == kWeightingZ ? 1.0f : static_cast<float>(GetWeightingPowerForCode(m_nType, k * df));
        m_nBuiltType = m_nType;
    }
    m_szName = GetWeightingName(m_nType);
}
