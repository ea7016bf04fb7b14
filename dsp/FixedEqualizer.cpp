#include "dsp/FixedEqualizer.h"

namespace
{

struct PeakSection
{
    double frequency;
    double gainDb;
    double q;
};

constexpr PeakSection kSections[4] = {{4025, -16.4, 4}, {4314, 2.22, 4}, {6543, -5.39, 3}, {10637, 3.74, 2}};

}  // namespace

CFixedEqualizer::CFixedEqualizer()
{
    for (std::size_t i = 0; i < m_peaks.size(); ++i)
    {
        CBiquadFilter& peak = m_peaks[i];
        peak.m_nType = kBiquadPeaking;
        peak.m_dFrequency = kSections[i].frequency;
        peak.m_dGainDb = kSections[i].gainDb;
        peak.m_dQ = kSections[i].q;
        peak.m_bEnabled = 1;
        peak.m_bTwice = 0;
    }
}

CFixedEqualizer::~CFixedEqualizer() = default;

void CFixedEqualizer::Process(float* samples, int count)
{
    if (!m_bEnabled)
        return;
    for (CBiquadFilter& peak : m_peaks)
    {
        peak.m_dSampleRate = m_nSampleRate;
        peak.Process(samples, count);
    }
}
