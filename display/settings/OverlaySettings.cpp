#include "display/settings/OverlaySettings.h"

#include <cstdint>

#include "platform/Archive.h"

void COverlay_settings::CopyFrom(const COverlay_settings& other)
{
    m_Curve.CopyFrom(other.m_Curve);
    m_nAxisKind = other.m_nAxisKind;
    m_dPlotValue1 = other.m_dPlotValue1;
    m_dPlotValue2 = other.m_dPlotValue2;
    m_dPlotValue3 = other.m_dPlotValue3;
    m_CurveStyle.CopyFrom(other.m_CurveStyle);
    m_bShown = 0;
}

void COverlay_settings::Serialize(CArchive& ar)
{
    m_Curve.Serialize(ar);
    m_CurveStyle.Serialize(ar);
    if (ar.IsStoring())
    {
        ar << static_cast<std::int32_t>(m_bShown) << static_cast<std::int32_t>(m_nAxisKind);
        ar << std::string_view(m_strName);
        ar << m_dPlotValue1 << m_dPlotValue2 << m_dPlotValue3;
        return;
    }
    std::int32_t shown = 0;
    std::int32_t axisKind = 0;
    std::string name;
    double values[3] = {};
    ar >> shown >> axisKind >> name >> values[0] >> values[1] >> values[2];
    m_bShown = shown;
    m_nAxisKind = axisKind;
    m_strName = std::move(name);
    m_dPlotValue1 = values[0];
    m_dPlotValue2 = values[1];
    m_dPlotValue3 = values[2];
}

void DynamicOverlaySettings::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << static_cast<std::int32_t>(m_nChannel) << m_dFrequency << m_dOffsetDb
           << static_cast<std::int32_t>(m_nReserved1) << static_cast<std::int32_t>(m_bEnabled)
           << static_cast<std::int32_t>(m_nReserved2);
        return;
    }
    std::int32_t channel = 0;
    double frequency = 0.0;
    double offset = 0.0;
    std::int32_t words[3] = {};
    ar >> channel >> frequency >> offset >> words[0] >> words[1] >> words[2];
    m_nChannel = channel;
    m_dFrequency = frequency;
    m_dOffsetDb = offset;
    m_nReserved1 = words[0];
    m_bEnabled = words[1];
    m_nReserved2 = words[2];
}
