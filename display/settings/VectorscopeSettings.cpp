#include "display/settings/VectorscopeSettings.h"

#include <cstdint>

#include "platform/Archive.h"

void CVectorscope_settings::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << m_dFreeAngle << m_dDecay << static_cast<std::int32_t>(m_nHistoryDepth)
           << static_cast<std::int32_t>(m_nRotation) << static_cast<std::int32_t>(m_nStyle)
           << static_cast<std::int32_t>(m_bActive);
        return;
    }
    double angle = 0.0;
    double decay = 0.0;
    std::int32_t words[4] = {};
    ar >> angle >> decay >> words[0] >> words[1] >> words[2] >> words[3];
    m_dFreeAngle = angle;
    m_dDecay = decay;
    m_nHistoryDepth = words[0];
    m_nRotation = words[1];
    m_nStyle = words[2];
    m_bActive = words[3];
}
