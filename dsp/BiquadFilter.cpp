#include "dsp/BiquadFilter.h"

#include <numbers>

CBiquadFilter::CBiquadFilter() = default;

CBiquadFilter::~CBiquadFilter() = default;

void CBiquadFilter::Design()
{
    const double k = std::tan(std::numbers::pi * m_dFrequency / m_dSampleRate);
    const double k2 = k * k;
    const double v = std::pow(10.0, std::fabs(m_dGainDb) / 20.0);
    const double sv = std::sqrt(v);
    const double q = 1.0 / m_dQ;
    const bool boost = m_dGainDb >= 0.0;
    double b0 = 0, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    switch (m_nType)
    {
        case kBiquadHighPass:
            b0 = 1.0, b1 = -2.0, b2 = 1.0;
            a0 = 1.0 + std::numbers::sqrt2 * k + k2, a1 = 2.0 * (k2 - 1.0),
            a2 = 1.0 - std::numbers::sqrt2 * k + k2;
            break;
        case kBiquadLowShelf:
            if (boost)
            {
                b0 = 1.0 + sv * q * k + v * k2, b1 = 2.0 * (v * k2 - 1.0), b2 = 1.0 - sv * q * k + v * k2;
                a0 = 1.0 + q * k + k2, a1 = 2.0 * (k2 - 1.0), a2 = 1.0 - q * k + k2;
            }
            else
            {
                b0 = 1.0 + q * k + k2, b1 = 2.0 * (k2 - 1.0), b2 = 1.0 - q * k + k2;
                a0 = 1.0 + sv * q * k + v * k2, a1 = 2.0 * (v * k2 - 1.0), a2 = 1.0 - sv * q * k + v * k2;
            }
            break;
        case kBiquadHighShelf:
            if (boost)
            {
                b0 = v + sv * q * k + k2, b1 = 2.0 * (k2 - v), b2 = v - sv * q * k + k2;
                a0 = 1.0 + q * k + k2, a1 = 2.0 * (k2 - 1.0), a2 = 1.0 - q * k + k2;
            }
            else
            {
                // The cut is the boost's inverse; numerator and denominator carry their own scale, so
                // both are brought to the denominator's constant term below through a common factor.
                const double nd = v + sv * q * k + k2;
                const double dd = 1.0 + q * k / sv + k2 / v;
                b0 = (1.0 + q * k + k2) / nd, b1 = 2.0 * (k2 - 1.0) / nd, b2 = (1.0 - q * k + k2) / nd;
                a0 = 1.0, a1 = 2.0 * (k2 / v - 1.0) / dd, a2 = (1.0 - q * k / sv + k2 / v) / dd;
            }
            break;
        case kBiquadPeaking:
            if (boost)
            {
                b0 = 1.0 + v * q * k + k2, b1 = 2.0 * (k2 - 1.0), b2 = 1.0 - v * q * k + k2;
                a0 = 1.0 + q * k + k2, a1 = 2.0 * (k2 - 1.0), a2 = 1.0 - q * k + k2;
            }
            else
            {
                b0 = 1.0 + q * k + k2, b1 = 2.0 * (k2 - 1.0), b2 = 1.0 - q * k + k2;
                a0 = 1.0 + v * q * k + k2, a1 = 2.0 * (k2 - 1.0), a2 = 1.0 - v * q * k + k2;
            }
            break;
        default:  // low-pass
            b0 = k2, b1 = 2.0 * k2, b2 = k2;
            a0 = 1.0 + std::numbers::sqrt2 * k + k2, a1 = 2.0 * (k2 - 1.0),
            a2 = 1.0 - std::numbers::sqrt2 * k + k2;
            break;
    }
    m_b[0] = b0 / a0, m_b[1] = b1 / a0, m_b[2] = b2 / a0;
    m_a[0] = 1.0, m_a[1] = a1 / a0, m_a[2] = a2 / a0;
    m_first.m_bOwnsCoefficients = 0;
    m_second.m_bOwnsCoefficients = 0;
    m_first.SetCoefficients(3, 3, m_b, m_a);
    m_second.SetCoefficients(3, 3, m_b, m_a);
    m_dBuiltRatio = m_dFrequency / m_dSampleRate;
    m_nBuiltType = m_nType;
    m_dBuiltQ = m_dQ;
    m_dBuiltGain = m_dGainDb;
}

void CBiquadFilter::Process(float* samples, int count)
{
    // Without a usable rate the design would be all NaN; the block passes until the owner sets one.
    if (!m_bEnabled || !(m_dSampleRate > 0.0))
        return;
    if (std::fabs(m_dFrequency / m_dSampleRate - m_dBuiltRatio) > 1e-8 || m_nType != m_nBuiltType ||
        m_dQ != m_dBuiltQ || m_dGainDb != m_dBuiltGain)
        Design();
    m_first.Process(samples, count);
    if (m_bTwice)
        m_second.Process(samples, count);
}
