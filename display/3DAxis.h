// The axes of the 3D view (frequency x, level y, time z): the plot axis's ticks and labels placed in
// world space as tick lines and label positions. Drawing them is display/ui's work
// (C3DAxisRenderer); here everything is plain numbers.
#pragma once

#include <string>
#include <vector>

#include "display/LitVertex.h"
#include "display/Matrix3D.h"
#include "display/PlotAxis.h"

class C3DAxis : public CPlotAxis
{
public:
    enum class Kind
    {
        X,
        Y,
        Z,
    };
    // The tick lines' buffer: 36,000 bytes of lit vertices.
    static constexpr int kMaxLineVertices = 1000;
    // Ticks and labels stand off this far along the tick direction.
    static constexpr float kTickHalfLength = 0.2f;
    static constexpr float kLabelOffset = 0.6f;
    static constexpr float kLabelScale = 0.2f;
    static constexpr int kDivisions = 12;

    // Direction, tick direction, origin and length of the axis of the kind.
    explicit C3DAxis(Kind kind);

    // Ticks of the base (about 12 divisions; the x axis adds the decade subdivisions when
    // logarithmic, the y axis is always linear) and the tick lines at the axis's tick origins.
    void Rebuild();
    // Appends a line across the axis at every major tick, then every minor tick, at the current
    // origin; lines past the buffer's capacity are dropped.
    void BuildTickLines();

    // Where the labels of the axis are drawn from (the y axis labels both front corners).
    std::vector<C3DVector> LabelOrigins() const;
    // World matrix of the label of major tick `tick` drawn from `origin`: scaled by 0.2 and moved
    // to the label position, then through the view's world matrix.
    C3DMatrix LabelMatrix(int tick, C3DVector origin, const C3DMatrix& world) const;
    // The label position itself: origin + direction × mapped value − 0.6 × tick direction.
    C3DVector LabelPosition(int tick, C3DVector origin) const;

    Kind m_kind;
    C3DVector m_direction;
    C3DVector m_tickDirection;
    C3DVector m_origin;
    std::vector<CLitVertex> m_lineVertices;
    // The face and size of the labels' font.
    std::string m_strFontFace = "Arial";
    int m_nFontSize = 18;
};
