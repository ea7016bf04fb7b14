#include "display/settings/CurveData.h"

#include <algorithm>
#include <cstdint>

#include "platform/Archive.h"

void Ccurve_data::CopyFrom(const Ccurve_data& other)
{
    m_pY = other.m_pY;
    m_pX = other.m_pX;
    m_nCount = other.m_nCount;
    m_dDeltaX = other.m_dDeltaX;
    m_nReserved = other.m_nReserved;
}

std::vector<float> ReadFloatValues(CArchive& ar, std::size_t count)
{
    constexpr std::size_t kStep = 16384;
    std::vector<float> values;
    values.reserve(std::min(count, kStep));
    for (std::size_t i = 0; i < count; ++i)
    {
        float value = 0.0f;
        ar >> value;
        values.push_back(value);
    }
    return values;
}

void Ccurve_data::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        const int m = HasX() ? m_nCount : 0;
        ar << static_cast<std::int32_t>(m_nCount) << static_cast<std::int32_t>(m) << m_dDeltaX
           << static_cast<std::int32_t>(m_nReserved);
        for (int i = 0; i < m_nCount; ++i)
            ar << m_pY[i];
        for (int i = 0; i < m; ++i)
            ar << m_pX[i];
        return;
    }
    std::int32_t n = 0;
    std::int32_t m = 0;
    double deltaX = 0.0;
    std::int32_t reserved = 0;
    ar >> n >> m >> deltaX >> reserved;
    if (n < 0 || n > kMaxPoints || (m != 0 && m != n))
        throw platform::ArchiveError(platform::ArchiveCause::Malformed, "curve point count out of range");
    m_pY.clear();
    m_pX.clear();
    m_nCount = 0;
    std::vector<float> y = ReadFloatValues(ar, static_cast<std::size_t>(n));
    std::vector<float> x = ReadFloatValues(ar, static_cast<std::size_t>(m));
    m_pY = std::move(y);
    m_pX = std::move(x);
    m_nCount = n;
    m_dDeltaX = deltaX;
    m_nReserved = reserved;
}
