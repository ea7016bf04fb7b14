#include "dsp/Demodulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

CDemodulator::CDemodulator()
    : m_pI(std::make_unique<float[]>(kBufferLength)), m_pQ(std::make_unique<float[]>(kBufferLength))
{
    Setup();
}

CDemodulator::~CDemodulator() = default;

void CDemodulator::Setup()
{
    m_dOscCos = 1.0;
    m_dOscSin = 0.0;
    m_fPrevI = 0.0f;
    m_fPrevQ = 0.0f;
    m_dPeakTrack = 0.0;
    m_nPeakCount = 0;
    const double step = 2.0 * std::numbers::pi * m_dCarrier / m_dSampleRate;
    m_dStepCos = std::cos(step);
    m_dStepSin = std::sin(step);
    for (CLowPassTableFilter* branch : {&m_lowPassI, &m_lowPassQ})
    {
        branch->m_nCutoff = m_nCutoff;
        branch->m_nOrder = m_nOrder;
    }
    const double corners[2] = {1.0 / m_dMeanTime, 1.0 / m_dRmsTime};
    CBiquadFilter* filters[2] = {&m_meanFilter, &m_rmsFilter};
    for (int i = 0; i < 2; ++i)
    {
        filters[i]->m_nType = kBiquadLowPass;
        filters[i]->m_bTwice = 1;
        filters[i]->m_bEnabled = 1;
        filters[i]->m_dSampleRate = m_dSampleRate;
        filters[i]->m_dFrequency = corners[i];
    }
}

void CDemodulator::MixAndFilter(const float* samples, int count)
{
    const int rate = static_cast<int>(m_dSampleRate);
    for (CLowPassTableFilter* branch : {&m_lowPassI, &m_lowPassQ})
    {
        branch->m_nSampleRate = rate;
        branch->m_nCutoff = m_nCutoff;
        branch->m_nOrder = m_nOrder;
    }
    m_weighting.m_nSampleRate = rate;
    m_meanFilter.m_nType = kBiquadLowPass;
    m_meanFilter.m_dSampleRate = rate;
    m_meanFilter.m_dFrequency = 1.0 / m_dMeanTime;
    m_rmsFilter.m_nType = kBiquadLowPass;
    m_rmsFilter.m_dSampleRate = rate;
    m_rmsFilter.m_dFrequency = 1.0 / m_dRmsTime;
    m_nBlockSize = count;

    float* in = m_pI.get();
    float* qu = m_pQ.get();
    double c = m_dOscCos;
    double s = m_dOscSin;
    for (int n = 0; n < count; ++n)
    {
        in[n] = static_cast<float>(samples[n] * c);
        qu[n] = static_cast<float>(samples[n] * s);
        const double nc = m_dStepCos * c - m_dStepSin * s;
        s = m_dStepCos * s + m_dStepSin * c;
        c = nc;
    }
    m_dOscCos = c;
    m_dOscSin = s;
    m_lowPassI.Process(in, count);
    m_lowPassQ.Process(qu, count);
}

// Limits the pairs (when asked) and replaces I by the phase step d between consecutive pairs.
void CDemodulator::PhaseStep(int count)
{
    float* in = m_pI.get();
    float* qu = m_pQ.get();
    for (int n = 0; n < count; ++n)
    {
        if (m_bNormalize == 1)
        {
            const float magnitude = std::sqrt(in[n] * in[n] + qu[n] * qu[n]);
            // A silent pair has no direction; it is kept as it is instead of becoming NaN.
            if (magnitude > 0.0f)
            {
                in[n] /= magnitude;
                qu[n] /= magnitude;
            }
        }
        const float i = in[n];
        const float q = qu[n];
        // Rounding can push the product of two unit vectors just past 1, where asin has no value.
        const float argument = std::clamp(i * m_fPrevQ - q * m_fPrevI, -1.0f, 1.0f);
        in[n] = std::asin(argument);
        m_fPrevI = i;
        m_fPrevQ = q;
    }
}

void CDemodulator::DemodulatePiece(float* samples, int count)
{
    MixAndFilter(samples, count);
    const float* in = m_pI.get();
    const float* qu = m_pQ.get();
    if (m_bFm)
    {
        PhaseStep(count);
        const double scale = m_dSampleRate / (2.0 * std::numbers::pi * m_dCarrier);
        for (int n = 0; n < count; ++n)
            samples[n] = static_cast<float>(in[n] * scale);
    }
    if (m_bAm)
        for (int n = 0; n < count; ++n)
            samples[n] = std::sqrt(in[n] * in[n] + qu[n] * qu[n]);
}

void CDemodulator::DeviationPiece(float* samples, int count)
{
    MixAndFilter(samples, count);
    PhaseStep(count);
    float* in = m_pI.get();
    const double scale = m_dSampleRate / (2.0 * std::numbers::pi * m_dCarrier);
    for (int n = 0; n < count; ++n)
        samples[n] = static_cast<float>(in[n] * scale);
    if (m_bWeighting)
        m_weighting.Process(samples, count);

    m_meanFilter.Process(in, count);
    m_dMean = in[count - 1] * scale;

    for (int n = 0; n < count; ++n)
    {
        const double x = m_bWeighting ? samples[n] : samples[n] - m_dMean;
        in[n] = static_cast<float>(x * x);
    }
    m_rmsFilter.Process(in, count);
    m_dRms = std::sqrt(std::max(0.0f, in[count - 1]));

    int largest = 0;
    for (int n = 1; n < count; ++n)
        if (std::fabs(samples[n]) > std::fabs(samples[largest]))
            largest = n;
    if (std::fabs(samples[largest]) > std::fabs(m_dPeakTrack))
        m_dPeakTrack = samples[largest];
    m_nPeakCount += count;
    if (m_dHoldTime * m_dSampleRate <= m_nPeakCount)
    {
        m_dPeak = std::fabs(m_dPeakTrack);
        m_dPeakTrack = 0.0;
        m_nPeakCount = 0;
    }

    if (m_bAbsolute == 1)
        for (int n = 0; n < count; ++n)
            samples[n] = static_cast<float>(m_dCarrier + m_dCarrier * samples[n]);
}

// Blocks longer than the work buffers are taken in pieces: every filter, the oscillator and the
// phase history carry from one piece to the next, so the output is that of one long block.
void CDemodulator::Demodulate(float* samples, int count)
{
    for (int start = 0; start < count; start += m_nBufferLength)
        DemodulatePiece(samples + start, std::min(m_nBufferLength, count - start));
    m_nBlockSize = count;
}

void CDemodulator::ProcessDeviation(float* samples, int count)
{
    for (int start = 0; start < count; start += m_nBufferLength)
        DeviationPiece(samples + start, std::min(m_nBufferLength, count - start));
    m_nBlockSize = count;
}
