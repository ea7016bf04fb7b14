#include "display/MarkerPlanes.h"

#include <algorithm>
#include <cmath>
#include <span>

CMarkerPlanes::CMarkerPlanes()
{
    m_vertices.reserve(kMaxVertices);
}

CMarkerPlanes::~CMarkerPlanes() = default;

void CMarkerPlanes::SetMarkers(const std::vector<float>& frequencies)
{
    m_afMarkers.assign(frequencies.begin(),
                       frequencies.begin() + std::min<std::size_t>(frequencies.size(), kMaxMarkers));
}

double CMarkerPlanes::MapFrequency(double frequency) const
{
    const double span = m_dWorldX1 - m_dWorldX0;
    if (m_bLogarithmic)
        return m_dWorldX0 + span * std::log10(frequency / m_dMinimum) / std::log10(m_dMaximum / m_dMinimum);
    return m_dWorldX0 + span * (frequency - m_dMinimum) / (m_dMaximum - m_dMinimum);
}

void CMarkerPlanes::Rebuild()
{
    m_dDepth = m_dBoxDepth;
    m_dHeight = m_dBoxHeight;
    m_vertices.clear();
    for (float f : m_afMarkers)
    {
        if (static_cast<int>(m_vertices.size()) + 6 > kMaxVertices)
            break;
        const double x = MapFrequency(f);
        // A marker at a frequency the mapping cannot place (0 or below on a logarithmic axis, an
        // empty range) gets no plane rather than one at infinity.
        if (!std::isfinite(x))
            continue;
        m_vertices.resize(m_vertices.size() + 6);
        BuildQuad(std::span<CLitVertex, 6>(m_vertices.end() - 6, 6), {static_cast<float>(x), 0, 0}, {0, 0, 1},
                  static_cast<float>(m_dDepth), {0, 1, 0}, static_cast<float>(m_dHeight));
    }
}
