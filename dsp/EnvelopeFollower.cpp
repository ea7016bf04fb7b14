#include "dsp/EnvelopeFollower.h"

#include <cmath>

namespace
{
constexpr double kSmoothingCorner = 6.666666666666667;  // Hz
// Per-sample step of the rectifier per second of time constant at the reference rate.
constexpr double kStepPerSecond = 2.72e-5;
constexpr double kReferenceRate = 44100.0;
}  // namespace

CEnvelopeFollower::CEnvelopeFollower()
{
    m_smoothingBank.m_nCount = 1;
    m_smoothingBank.m_dLowCorner[0] = 0.0;
    m_smoothingBank.m_dHighCorner[0] = kSmoothingCorner;
    m_smoothingBank.m_nOrder[0] = 1;
    m_smoothingBank.m_nDesignKind[0] = kDesignButterworth;
    m_smoothingBank.m_bEnabled = 1;
}

void CEnvelopeFollower::UpdateCoefficients()
{
    if (m_coefficientRate != m_sampleRate)
    {
        m_state = 0.0;
        m_coefficientRate = m_sampleRate;
        m_attackCoefficient = kStepPerSecond / m_attackTime * kReferenceRate / m_sampleRate;
        m_releaseCoefficient = kStepPerSecond / m_releaseTime * kReferenceRate / m_sampleRate;
    }
}

CDesignedFilter* CEnvelopeFollower::PrepareLane()
{
    UpdateCoefficients();
    CDesignedFilter* filter = m_smoothingBank.m_pFilters[0].get();
    if (!m_smoothingBank.m_bEnabled || m_smoothingBank.m_nCount != 1 ||
        m_smoothingBank.m_dSampleRate != m_sampleRate || !filter || filter->m_bTwice ||
        filter->m_dDesignedRate != filter->m_dSampleRate || filter->GetSectionCount() != 1)
        return nullptr;
    const CIirFilter& section = filter->GetSection(0);
    return section.GetNumB() == 2 && section.GetNumA() == 2 ? filter : nullptr;
}

void CEnvelopeFollower::Process(float* values, int count)
{
    UpdateCoefficients();
    double state = m_state;
    for (int k = 0; k < count; ++k)
    {
        const double x = std::fabs(values[k]);
        state += (x > state ? m_attackCoefficient : m_releaseCoefficient) * (x - state);
        values[k] = static_cast<float>(state);
    }
    m_state = state;
    if (m_smoothingBank.m_dSampleRate != m_sampleRate || !m_smoothingBank.m_pFilters[0])
    {
        m_smoothingBank.m_dSampleRate = m_sampleRate;
        m_smoothingBank.Configure();
    }
    m_smoothingBank.Process(values, count);
}
