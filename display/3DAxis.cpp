#include "display/3DAxis.h"

namespace
{

// The box the axes stand on: x 0..16, y 0..5, z 0..35.
constexpr float kLengthX = 16.0f;
constexpr float kLengthY = 5.0f;
constexpr float kLengthZ = 35.0f;
// Labels right of the box (y axis at the right corner, z axis) stand off at this x.
constexpr float kRightLabelX = 17.2f;

}  // namespace

C3DAxis::C3DAxis(Kind kind) : m_kind(kind), m_direction{1, 0, 0}, m_tickDirection{0, 1, 0}, m_origin{0, 0, 0}
{
    m_dStartPixel = 0.0;
    m_dEndPixel = kLengthX;
    if (kind == Kind::Y)
    {
        m_direction = {0, 1, 0};
        m_tickDirection = {1, 0, 0};
        m_dEndPixel = kLengthY;
    }
    else if (kind == Kind::Z)
    {
        m_direction = {0, 0, 1};
        m_tickDirection = {1, 0, 0};
        m_origin = {kLengthX, 0, 0};
        m_dEndPixel = kLengthZ;
    }
    m_lineVertices.reserve(kMaxLineVertices);
}

void C3DAxis::Rebuild()
{
    m_nMajorDivisions = kDivisions;
    m_nMinorTicks = 0;
    if (m_kind == Kind::Y)
        m_bLogarithmic = 0;
    BuildTicks();
    if (m_kind == Kind::X && m_bLogarithmic)
        BuildMinorTicks();
    m_lineVertices.clear();
    if (m_kind == Kind::Y)
    {
        m_origin = {0, 0, 0};
        BuildTickLines();
        m_origin = {kLengthX, 0, 0};
        BuildTickLines();
        m_origin = {0, 0, 0};
    }
    else
    {
        BuildTickLines();
    }
}

void C3DAxis::BuildTickLines()
{
    auto addLine = [this](double value)
    {
        if (static_cast<int>(m_lineVertices.size()) + 2 > kMaxLineVertices)
            return;
        const C3DVector p = m_origin + m_direction * static_cast<float>(ValueToPixel(value));
        for (float side : {-kTickHalfLength, kTickHalfLength})
        {
            const C3DVector q = p + m_tickDirection * side;
            m_lineVertices.push_back(CLitVertex{q.x, q.y, q.z, 0, 0, 0, 0, 0, 0});
        }
    };
    for (int i = 0; i < m_nMajorTicks; ++i)
        addLine(m_adMajorTicks[i]);
    for (int i = 0; i < m_nMinorTicks; ++i)
        addLine(m_adMinorTicks[i]);
}

std::vector<C3DVector> C3DAxis::LabelOrigins() const
{
    switch (m_kind)
    {
        case Kind::X:
            return {{0, 0, 0}};
        case Kind::Y:
            return {{0, 0, 0}, {kRightLabelX, 0, 0}};
        case Kind::Z:
            return {{kRightLabelX, -0.5f, 0}};
    }
    return {};
}

C3DVector C3DAxis::LabelPosition(int tick, C3DVector origin) const
{
    return origin + m_direction * static_cast<float>(ValueToPixel(m_adMajorTicks[tick])) -
           m_tickDirection * kLabelOffset;
}

C3DMatrix C3DAxis::LabelMatrix(int tick, C3DVector origin, const C3DMatrix& world) const
{
    C3DMatrix local = C3DMatrix::Scaling(kLabelScale, kLabelScale, kLabelScale);
    const C3DVector p = LabelPosition(tick, origin);
    local.m[3][0] = p.x;
    local.m[3][1] = p.y;
    local.m[3][2] = p.z;
    return local * world;
}
