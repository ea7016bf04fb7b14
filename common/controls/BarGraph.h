// CBarGraph: vertical level bars side by side in a rectangle, green up to the value and white above
// it. The owner fills the members before every Draw.
#pragma once

#include <array>

#include "platform/gfx/Canvas.h"

class CBarGraph
{
public:
    static constexpr int kMaxBars = 64;
    virtual ~CBarGraph() = default;

    // Paints the bars into m_rect with the canvas's current pen as outline; sets m_nBarWidth and
    // m_nGap. A scale with m_dMax equal to m_dMin shows a full bar for a value above it and an empty
    // one otherwise.
    void Draw(gfx::Canvas& canvas);

    gfx::Rect m_rect;
    std::array<float, kMaxBars> m_values{};
    int m_nBars = 0;
    double m_dMin = 0.0;
    double m_dMax = 0.0;
    int m_nBarWidth = 0;
    int m_nGap = 0;
};
