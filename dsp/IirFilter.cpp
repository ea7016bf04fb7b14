#include "dsp/IirFilter.h"

#include <algorithm>

#include "dsp/SectionStep.h"

CIirFilter::CIirFilter() = default;

CIirFilter::~CIirFilter()
{
    Release();
}

void CIirFilter::Reserve(int maxB, int maxA)
{
    maxB = std::max(maxB, 0);
    maxA = std::max(maxA, 0);
    m_inputHistory.reserve(static_cast<std::size_t>(maxB) + 1);
    m_outputHistory.reserve(static_cast<std::size_t>(maxA) + 1);
    m_ownedB.reserve(static_cast<std::size_t>(maxB));
    m_ownedA.reserve(static_cast<std::size_t>(maxA));
}

void CIirFilter::SetCoefficients(int nB, int nA, const double* b, const double* a)
{
    nB = b ? std::max(nB, 0) : 0;
    nA = a ? std::max(nA, 0) : 0;
    // assign() reuses the capacity a filter already has, so a redesign of the same size costs no
    // allocation.
    m_inputHistory.assign(static_cast<std::size_t>(nB) + 1, 0.0);
    m_outputHistory.assign(static_cast<std::size_t>(nA) + 1, 0.0);
    m_nB = nB;
    m_nA = nA;
    if (m_bOwnsCoefficients)
    {
        m_ownedB.assign(b, b + nB);
        m_ownedA.assign(a, a + nA);
        m_nOwnedB = nB;
        m_nOwnedA = nA;
        m_pB = m_ownedB.data();
        m_pA = m_ownedA.data();
    }
    else
    {
        m_pB = b;
        m_pA = a;
    }
}

void CIirFilter::Reset()
{
    std::fill(m_inputHistory.begin(), m_inputHistory.end(), 0.0);
    std::fill(m_outputHistory.begin(), m_outputHistory.end(), 0.0);
}

void CIirFilter::GetSectionState(double state[4]) const
{
    const bool second = m_nB == 3 && m_nA == 3;
    const bool first = m_nB == 2 && m_nA == 2;
    state[0] = second || first ? m_inputHistory[0] : 0.0;
    state[1] = second ? m_inputHistory[1] : 0.0;
    state[2] = second || first ? m_outputHistory[0] : 0.0;
    state[3] = second ? m_outputHistory[1] : 0.0;
}

void CIirFilter::SetSectionState(const double state[4])
{
    const bool second = m_nB == 3 && m_nA == 3;
    if (!second && (m_nB != 2 || m_nA != 2))
        return;
    m_inputHistory[0] = state[0];
    m_outputHistory[0] = state[2];
    if (second)
    {
        m_inputHistory[1] = state[1];
        m_outputHistory[1] = state[3];
    }
}

void CIirFilter::Release()
{
    m_inputHistory = {};
    m_outputHistory = {};
    m_nA = 0;
    m_nB = 0;
    if (m_bOwnsCoefficients)
    {
        if (m_nOwnedA > 0)
            m_ownedA = {};
        if (m_nOwnedB > 0)
            m_ownedB = {};
        m_nOwnedA = 0;
        m_nOwnedB = 0;
    }
}

void CIirFilter::Process(float* samples, int count)
{
    if (m_nB < 1 || count <= 0)
        return;
    if (m_nB == 3 && m_nA == 3)
    {
        // The second-order section that almost every filter of the system is made of, with its
        // state in registers.
        const double b0 = m_pB[0], b1 = m_pB[1], b2 = m_pB[2];
        const double a1 = m_pA[1], a2 = m_pA[2];
        SecondOrderState<double> state{m_inputHistory[0], m_inputHistory[1], m_outputHistory[0],
                                       m_outputHistory[1]};
        for (int n = 0; n < count; ++n)
        {
            SecondOrderStep<double>(samples[n], state, b0, b1, b2, a1, a2);
            samples[n] = static_cast<float>(state.y1);
        }
        m_inputHistory[0] = state.x1;
        m_inputHistory[1] = state.x2;
        m_outputHistory[0] = state.y1;
        m_outputHistory[1] = state.y2;
        return;
    }
    if (m_nB == 2 && m_nA == 2)
    {
        const double b0 = m_pB[0], b1 = m_pB[1];
        const double a1 = m_pA[1];
        FirstOrderState<double> state{m_inputHistory[0], m_outputHistory[0]};
        for (int n = 0; n < count; ++n)
        {
            FirstOrderStep<double>(samples[n], state, b0, b1, a1);
            samples[n] = static_cast<float>(state.y1);
        }
        m_inputHistory[0] = state.x1;
        m_outputHistory[0] = state.y1;
        return;
    }
    ProcessGeneral(samples, count);
}

void CIirFilter::ProcessGeneral(float* samples, int count)
{
    double* xh = m_inputHistory.data();
    double* yh = m_outputHistory.data();
    for (int n = 0; n < count; ++n)
    {
        const double x = samples[n];
        double acc = m_pB[0] * x;
        for (int i = 1; i < m_nB; ++i)
            acc += m_pB[i] * xh[i - 1];
        for (int i = 1; i < m_nA; ++i)
            acc -= m_pA[i] * yh[i - 1];
        if (m_nB >= 2)
        {
            for (int i = m_nB - 2; i >= 1; --i)
                xh[i] = xh[i - 1];
            xh[0] = x;
        }
        if (m_nA >= 2)
        {
            for (int i = m_nA - 2; i >= 1; --i)
                yh[i] = yh[i - 1];
            yh[0] = acc;
        }
        samples[n] = static_cast<float>(acc);
    }
}
