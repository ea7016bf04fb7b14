#include "dsp/WeightingFilters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dsp/ArrayStatistics.h"
#include "dsp/FrequencyWeighting.h"

namespace
{
// Pole frequencies of the A and C curves and their normalisations at 1 kHz (A1000 = -2.000 dB,
// C1000 = -0.062 dB).
constexpr double kPole1 = 20.598997;
constexpr double kPole2 = 107.65265;
constexpr double kPole3 = 737.86223;
constexpr double kPole4 = 12194.217;
const double kAGain = std::pow(10.0, 2.000 / 20.0);
const double kCGain = std::pow(10.0, 0.062 / 20.0);
// The U low-pass as the AU and U stages build it, and the US1 high-pass.
constexpr double kULowPass = 12594.217;
constexpr int kUOrder = 6;
constexpr double kUS1HighPass = 12100.0;
constexpr double kUS1UpperCorner = 1000000.0;
constexpr int kUS1Order = 7;
// A high-pass channel carries this as its upper corner.
constexpr double kOpenCorner = 1e99;
}  // namespace

void DesignMatchedDoublePole(double fc, double fs, double* b, double* a)
{
    const double pole = std::exp(-2.0 * std::numbers::pi * fc / fs);
    a[0] = 1.0;
    a[1] = -2.0 * pole;
    a[2] = pole * pole;
    // A second-order polynomial's squared magnitude on the unit circle is
    // P0 cos^2(w/2) + P1 sin^2(w/2) + P2 sin^2(w), with P0 = (c0 + c1 + c2)^2, P1 = (c0 - c1 + c2)^2 and
    // P2 = -4 c0 c2; the numerator's three terms follow from the target at three frequencies.
    const auto target = [fc](double f)
    {
        const double r = 1.0 + (f / fc) * (f / fc);
        return 1.0 / (r * r);
    };
    const double a0 = (1.0 + a[1] + a[2]) * (1.0 + a[1] + a[2]);
    const double a1 = (1.0 - a[1] + a[2]) * (1.0 - a[1] + a[2]);
    const double a2 = -4.0 * a[2];
    const double match = fc < 0.5 * fs ? fc : 0.25 * fs;
    const double half = std::sin(std::numbers::pi * match / fs);
    const double phi1 = half * half;
    const double phi0 = 1.0 - phi1;
    const double phi2 = 4.0 * phi0 * phi1;
    const double b0 = a0;
    const double b1 = target(0.5 * fs) * a1;
    const double b2 = (target(match) * (a0 * phi0 + a1 * phi1 + a2 * phi2) - b0 * phi0 - b1 * phi1) / phi2;
    const double sum = std::sqrt(b0);
    const double alternating = std::sqrt(b1);
    const double outer = 0.5 * (sum + alternating);
    b[1] = 0.5 * (sum - alternating);
    b[0] = 0.5 * (outer + std::sqrt(std::max(outer * outer + b2, 0.0)));
    b[2] = outer - b[0];
}

CBankWeightingFilter::CBankWeightingFilter()
{
    m_bank.m_bEnabled = 1;
    m_doublePole.m_bOwnsCoefficients = 1;
    m_doublePole.Reserve(3, 3);
}

void CBankWeightingFilter::SetHighPass(int channel, double corner, int order)
{
    m_bank.m_dLowCorner[channel] = corner;
    m_bank.m_dHighCorner[channel] = kOpenCorner;
    m_bank.m_nOrder[channel] = order;
    m_bank.m_nDesignKind[channel] = kDesignButterworth;
}

void CBankWeightingFilter::SetLowPass(int channel, double corner, int order)
{
    m_bank.m_dLowCorner[channel] = 0.0;
    m_bank.m_dHighCorner[channel] = corner;
    m_bank.m_nOrder[channel] = order;
    m_bank.m_nDesignKind[channel] = kDesignButterworth;
}

void CBankWeightingFilter::Process(float* samples, int count)
{
    PrepareForRate();
    m_bank.Process(samples, count);
    m_doublePole.Process(samples, count);
    ScaleArray(samples, count, m_dOutputFactor);
}

void CBankWeightingFilter::PrepareForRate()
{
    if (m_nSampleRate != m_nBuiltRate)
    {
        m_nBuiltRate = m_nSampleRate;
        m_dOutputFactor = WriteChannels(m_nSampleRate);
        m_bank.m_dSampleRate = m_nSampleRate;
        m_bank.m_bEnabled = 1;
        m_bank.Configure();
        if (m_dDoublePoleCorner > 0.0 && m_nSampleRate > 0)
        {
            double b[3];
            double a[3];
            DesignMatchedDoublePole(m_dDoublePoleCorner, m_nSampleRate, b, a);
            m_doublePole.SetCoefficients(3, 3, b, a);
        }
        else
        {
            m_doublePole.Release();
        }
    }
}

double CAWeightingFilter::WriteChannels(int)
{
    m_bank.m_nCount = 4;
    SetHighPass(0, kPole1, 1);
    SetHighPass(1, kPole1, 1);
    SetHighPass(2, kPole2, 1);
    SetHighPass(3, kPole3, 1);
    m_dDoublePoleCorner = kPole4;
    return kAGain;
}

double CCWeightingFilter::WriteChannels(int)
{
    m_bank.m_nCount = 2;
    SetHighPass(0, kPole1, 1);
    SetHighPass(1, kPole1, 1);
    m_dDoublePoleCorner = kPole4;
    return kCGain;
}

double CAUWeightingFilter::WriteChannels(int)
{
    m_bank.m_nCount = 5;
    SetHighPass(0, kPole1, 1);
    SetHighPass(1, kPole1, 1);
    SetHighPass(2, kPole2, 1);
    SetHighPass(3, kPole3, 1);
    SetLowPass(4, kULowPass, kUOrder);
    return kAGain;
}

double CUWeightingFilter::WriteChannels(int)
{
    m_bank.m_nCount = 1;
    SetLowPass(0, kULowPass, kUOrder);
    return 1.0;
}

double CUS1WeightingFilter::WriteChannels(int)
{
    m_bank.m_nCount = 1;
    SetHighPass(0, kUS1HighPass, kUS1Order);
    m_bank.m_dHighCorner[0] = kUS1UpperCorner;
    return 1.0;
}

CItu468WeightingFilter::CItu468WeightingFilter()
{
    m_bank.m_bEnabled = 1;
}

void CItu468WeightingFilter::SelectParameters(int fs)
{
    struct RateClass
    {
        double upTo, highPass, lowPass, peakFrequency, peakGain, peakQ, outputGain;
    };
    static constexpr RateClass kClasses[] = {
        {46050.0, 16000.0, 10300.0, 7000.0, -1.2, 1.0, 29.8},
        {72000.0, 16000.0, 10300.0, 8000.0, -1.8, 1.0, 28.56},
        {144000.0, 16000.0, 8000.0, 10000.0, -9.3, 1.0, 24.97},
        {1e99, 9800.0, 6350.0, 9300.0, -9.1, 1.2, 20.2},
    };
    for (const RateClass& c : kClasses)
    {
        if (fs <= c.upTo)
        {
            m_dHighPassCorner = c.highPass;
            m_dLowPassCorner = c.lowPass;
            m_dPeakFrequency = c.peakFrequency;
            m_dPeakGain = c.peakGain;
            m_dPeakQ = c.peakQ;
            m_dOutputGain = c.outputGain;
            return;
        }
    }
}

void CItu468WeightingFilter::Configure(int fs)
{
    const bool highRate = fs > 144000;
    m_bank.m_nCount = highRate ? 5 : 6;
    m_bank.m_dLowCorner[0] = m_dHighPassCorner;
    m_bank.m_dHighCorner[0] = kOpenCorner;
    m_bank.m_nOrder[0] = 1;
    m_bank.m_nDesignKind[0] = kDesignButterworth;
    for (int ch = 1; ch < m_bank.m_nCount; ++ch)
    {
        m_bank.m_dLowCorner[ch] = 0.0;
        m_bank.m_dHighCorner[ch] = m_dLowPassCorner;
        m_bank.m_nOrder[ch] = 1;
        m_bank.m_nDesignKind[ch] = kDesignButterworth;
    }
    if (highRate)
    {
        m_bank.m_nOrder[1] = 2;
        m_bank.m_nDesignKind[1] = kDesignChebyshev;
        m_bank.m_dRippleDb[1] = 0.2;
    }
    m_bank.m_dSampleRate = fs;
    m_bank.m_bEnabled = 1;
    m_bank.Configure();
    m_peak.m_nType = kBiquadPeaking;
    m_peak.m_dFrequency = m_dPeakFrequency;
    m_peak.m_dGainDb = -m_dPeakGain;
    m_peak.m_dQ = m_dPeakQ;
    m_peak.m_bTwice = 0;
    m_peak.m_bEnabled = 1;
}

void CItu468WeightingFilter::Process(float* samples, int count)
{
    // The parameters are rewritten for every block; the bank's filters redesign only when what they
    // see changes.
    m_nBuiltRate = m_nSampleRate;
    SelectParameters(m_nSampleRate);
    Configure(m_nSampleRate);
    m_bank.Process(samples, count);
    m_peak.m_dSampleRate = m_nSampleRate;
    m_peak.Process(samples, count);
    ScaleArray(samples, count, std::pow(10.0, m_dOutputGain * 0.05));
}

CFilterStage* CWeightingFilterSet::Get(int code)
{
    if (code == kWeightingItu468)
        return &m_weightingItu468;
    return GetBank(code);
}

CBankWeightingFilter* CWeightingFilterSet::GetBank(int code)
{
    switch (code)
    {
        case kWeightingA:
            return &m_weightingA;
        case kWeightingC:
            return &m_weightingC;
        case kWeightingU:
            return &m_weightingU;
        case kWeightingAU:
            return &m_weightingAU;
        case kWeightingUS1:
            return &m_weightingUS1;
        default:
            return nullptr;
    }
}

void CWeightingFilterSet::SetSampleRate(int sampleRate)
{
    CFilterStage* stages[] = {&m_weightingC, &m_weightingA,   &m_weightingAU,
                              &m_weightingU, &m_weightingUS1, &m_weightingItu468};
    for (CFilterStage* stage : stages)
        stage->m_nSampleRate = sampleRate;
}
