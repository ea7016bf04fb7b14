#include "dsp/Decimator.h"

void CDecimator::SetFactor(int factor)
{
    m_nPhase = 0;
    // A factor of 0 would never advance the phase and the loop below would not end.
    m_nFactor = factor < 1 ? 1 : factor;
}

int CDecimator::Process(float* samples, int count)
{
    if (count <= 0)
        return 0;
    if (m_nPhase >= count)
    {
        m_nPhase -= count;
        return 0;
    }
    const int step = m_nFactor < 1 ? 1 : m_nFactor;
    int kept = 0;
    while (m_nPhase < count)
    {
        samples[kept++] = samples[m_nPhase];
        m_nPhase += step;
    }
    m_nPhase -= count;
    return kept;
}
