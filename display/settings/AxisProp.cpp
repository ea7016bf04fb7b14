#include "display/settings/AxisProp.h"

#include <cstdint>

#include "platform/Archive.h"

void CAxisProp::CopyFrom(const CAxisProp& other)
{
    *this = other;
}

void CAxisProp::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << static_cast<std::int32_t>(m_bLogX) << static_cast<std::int32_t>(m_bLogY) << m_dYMin << m_dYMax
           << m_dXMin << m_dXMax;
        return;
    }
    std::int32_t logX = 0;
    std::int32_t logY = 0;
    double values[4] = {};
    ar >> logX >> logY >> values[0] >> values[1] >> values[2] >> values[3];
    m_bLogX = logX;
    m_bLogY = logY;
    m_dYMin = values[0];
    m_dYMax = values[1];
    m_dXMin = values[2];
    m_dXMax = values[3];
    m_dPlotFactor = 1.0;
}
