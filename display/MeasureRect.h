// CMeasureRect: the rectangle a user drags over a plot to measure a span of x and y. Two corner
// handles move it, a third handle (top right) closes it, and two labels (below and left) show what
// the owner measured. The owner feeds it the plot's mouse messages, fills the value corners and
// the label texts; the plot maps the value corners to pixels and draws it after the curves.
//
// Threads: user-interface thread only.
#pragma once

#include <string>

#include "platform/gfx/Canvas.h"

class CMeasureRect
{
public:
    static constexpr int kHandleSize = 10;
    // Mouse flag: shift held (the whole rectangle moves with the grabbed corner).
    static constexpr unsigned kShift = 4;
    // Hover states.
    static constexpr int kHoverNone = 0;
    static constexpr int kHoverFirst = 1;
    static constexpr int kHoverClose = 2;
    static constexpr int kHoverSecond = 3;
    // Drag states.
    static constexpr int kDragNone = 0;
    static constexpr int kDragFirst = 1;
    static constexpr int kDragSecond = 2;
    static constexpr gfx::Color kRed = 0x0000FF;
    static constexpr gfx::Color kGreen = 0x00FF00;

    CMeasureRect() = default;
    virtual ~CMeasureRect() = default;

    // 1 when the click closed the rectangle; otherwise 0 (a click on a corner handle starts its
    // drag; the first corner wins where both handles hold the point).
    int OnLButtonDown(unsigned flags, int x, int y);
    void OnLButtonUp(unsigned flags, int x, int y);
    // True when the rectangle needs a redraw (hover changed or a corner was dragged).
    bool OnMouseMove(unsigned flags, int x, int y);
    void Hide();
    void Draw(gfx::Canvas& canvas);
    // The value corners are unset while their product is exactly 1.
    bool HasValues() const { return m_dX1 * m_dX2 * m_dY1 * m_dY2 != 1.0; }
    bool IsDragging() const { return m_nDrag != kDragNone; }
    // Whether the drag holds the left and the top edge (a corner dragged past the other swaps them).
    bool GrabsLeft() const { return m_bGrabLeft; }
    bool GrabsTop() const { return m_bGrabTop; }

    int m_nHover = kHoverNone;
    int m_nHandleSize = kHandleSize;
    int m_bVisible = 0;
    int m_nDrag = kDragNone;
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 0;
    int m_nBottom = 0;
    int m_nMouseX = 0;
    int m_nMouseY = 0;
    double m_dX1 = 1.0;
    double m_dX2 = 1.0;
    double m_dY1 = 1.0;
    double m_dY2 = 1.0;
    std::string m_strBelow;
    std::string m_strLeft;

private:
    gfx::Rect HandleAt(int x, int y) const;
    static bool Contains(const gfx::Rect& rect, int x, int y);
    // Which edges the drag holds (the first corner: left and top).
    bool m_bGrabLeft = false;
    bool m_bGrabTop = false;
};
