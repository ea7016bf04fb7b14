#include "display/settings/ParamViewSettings.h"

#include <cstdint>

#include "platform/Archive.h"

void CParamView_settings::Serialize(CArchive& ar)
{
    m_Placement.Serialize(ar);
    if (ar.IsStoring())
    {
        const int flags = (m_bInUse & ~kFlagNoLabelLine) | (m_bLabelLine == 0 ? kFlagNoLabelLine : 0);
        ar << static_cast<std::int32_t>(m_nParameter) << static_cast<std::int32_t>(m_nChannel)
           << static_cast<std::int32_t>(flags) << static_cast<std::int32_t>(m_bMeter)
           << static_cast<std::int32_t>(m_bMeterVertical) << m_dMin << m_dMax << m_dThreshold;
        const int tail[8] = {m_nBackColour,   m_nDisplayWord1, m_nTextColour,   m_nDisplayWord2,
                             m_nDisplayWord3, m_bText,         m_bTextVertical, m_nTextSize};
        for (int value : tail)
            ar << static_cast<std::int32_t>(value);
        return;
    }
    std::int32_t head[5] = {};
    double range[3] = {};
    std::int32_t tail[8] = {};
    for (std::int32_t& value : head)
        ar >> value;
    for (double& value : range)
        ar >> value;
    for (std::int32_t& value : tail)
        ar >> value;
    m_nParameter = head[0];
    m_nChannel = head[1];
    m_bInUse = head[2] & 1;
    m_bLabelLine = (head[2] & kFlagNoLabelLine) != 0 ? 0 : 1;
    m_bMeter = head[3];
    m_bMeterVertical = head[4];
    m_dMin = range[0];
    m_dMax = range[1];
    m_dThreshold = range[2];
    m_nBackColour = tail[0];
    m_nDisplayWord1 = tail[1];
    m_nTextColour = tail[2];
    m_nDisplayWord2 = tail[3];
    m_nDisplayWord3 = tail[4];
    m_bText = tail[5];
    m_bTextVertical = tail[6];
    m_nTextSize = tail[7];
}
