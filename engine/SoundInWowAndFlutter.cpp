// The engine's wow-and-flutter analysis: the settings of the first demodulator and its results,
// exchanged with the delivering thread under the input lock.
#include <algorithm>

#include "engine/SoundIn.h"

namespace
{
constexpr int kWowAndFlutter = 0;
}  // namespace

WowAndFlutterSettings CSoundIn::GetWowAndFlutterSettings()
{
    std::lock_guard lock(m_inputLock);
    const CDemodulator& demodulator = m_conditioning.GetDemodulator(kWowAndFlutter);
    WowAndFlutterSettings settings;
    settings.centre = demodulator.m_dCarrier;
    settings.bandwidthIndex = demodulator.m_nCutoff;
    settings.order = demodulator.m_nOrder;
    settings.weighting = demodulator.m_bWeighting;
    settings.active = m_conditioning.m_bDemodulator[kWowAndFlutter];
    settings.meanTime = demodulator.m_dMeanTime;
    settings.peakTime = demodulator.m_dHoldTime;
    settings.rmsTime = demodulator.m_dRmsTime;
    settings.absolute = demodulator.m_bAbsolute;
    return settings;
}

void CSoundIn::SetWowAndFlutterSettings(const WowAndFlutterSettings& settings)
{
    std::lock_guard lock(m_inputLock);
    CDemodulator& demodulator = m_conditioning.GetDemodulator(kWowAndFlutter);
    demodulator.m_dCarrier = settings.centre;
    demodulator.m_nCutoff = std::clamp(settings.bandwidthIndex, 0, demodulator.m_lowPassI.m_nCutoffCount - 1);
    demodulator.m_nOrder = std::clamp(settings.order, 1, 8);
    demodulator.m_bWeighting = settings.weighting != 0;
    demodulator.m_dMeanTime = settings.meanTime;
    demodulator.m_dHoldTime = settings.peakTime;
    demodulator.m_dRmsTime = settings.rmsTime;
    demodulator.m_bAbsolute = settings.absolute != 0;
    demodulator.Setup();
    m_conditioning.m_bDemodulator[kWowAndFlutter] = settings.active != 0;
}

std::vector<double> CSoundIn::GetWowAndFlutterBandwidths()
{
    std::lock_guard lock(m_inputLock);
    const CLowPassTableFilter& lowPass = m_conditioning.GetDemodulator(kWowAndFlutter).m_lowPassI;
    if (lowPass.m_pCutoffs == nullptr || lowPass.m_nCutoffCount <= 0)
        return {};
    return {lowPass.m_pCutoffs, lowPass.m_pCutoffs + lowPass.m_nCutoffCount};
}

bool CSoundIn::IsWowAndFlutterActive()
{
    std::lock_guard lock(m_inputLock);
    return m_conditioning.m_bDemodulator[kWowAndFlutter] != 0;
}

WowAndFlutterResults CSoundIn::GetWowAndFlutterResults()
{
    std::lock_guard lock(m_inputLock);
    const CDemodulator& demodulator = m_conditioning.GetDemodulator(kWowAndFlutter);
    WowAndFlutterResults results;
    results.peak = demodulator.m_dPeak;
    results.rms = demodulator.m_dRms;
    results.mean = demodulator.m_dMean;
    results.centre = demodulator.m_dCarrier;
    results.weighting = demodulator.m_bWeighting;
    const CLowPassTableFilter& lowPass = demodulator.m_lowPassI;
    if (lowPass.m_pCutoffs != nullptr && demodulator.m_nCutoff >= 0 &&
        demodulator.m_nCutoff < lowPass.m_nCutoffCount)
        results.bandwidth = lowPass.m_pCutoffs[demodulator.m_nCutoff];
    return results;
}
