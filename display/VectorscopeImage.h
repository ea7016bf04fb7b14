// The vectorscope picture: the first two displayed channels drawn against each other (x right, y
// up), optionally turned by an angle, with the traces of earlier paints fading behind the current
// one. The plot draws it instead of its curves while its owner's vectorscope settings are active.
// Used on the user-interface thread only.
#pragma once

#include <vector>

#include "display/ColorPalette.h"
#include "platform/gfx/Canvas.h"

class CVectorscopeImage
{
public:
    static constexpr int kMaxDepth = 256;
    // Space between the filled rectangle and the picture.
    static constexpr int kInset = 5;
    static constexpr int kTickLength = 10;

    // Fills the rectangle with the background, draws the grid and the traces. `y` may be null: the
    // x samples then lie on the horizontal axis.
    void Draw(gfx::Canvas& canvas, int left, int top, int right, int bottom, const float* x, const float* y,
              int count);
    // Forgets the stored traces.
    void ClearHistory();

    COLORREF m_traceColor = 0x00FF00;
    gfx::Pen m_gridPen{0x808080, 1, gfx::PenStyle::Solid};
    COLORREF m_background = 0xFFFFFF;
    // 1: the points are joined by lines; 0: 2 x 2 pixel dots.
    int m_nLineMode = 1;
    double m_dRotation = 0.0;
    // Each older trace's colour is the next newer one's times this factor.
    double m_dDecay = 0.85;
    // The values that reach the edges of the picture.
    double m_dXRange = 1.0;
    double m_dYRange = 1.0;
    // Older traces kept (0 .. kMaxDepth; more is held to kMaxDepth).
    int m_nDepth = 10;

    // The stored traces (pixels), newest first; for tests.
    int GetStoredTraceCount() const { return m_nFilled; }

private:
    void DrawTrace(gfx::Canvas& canvas, const std::vector<gfx::Point>& points, COLORREF color);

    int m_nAllocatedDepth = -1;
    int m_nAllocatedCount = 0;
    int m_nWriteSlot = 0;
    int m_nFilled = 0;
    std::vector<std::vector<gfx::Point>> m_history;
    std::vector<gfx::Point> m_current;
};
