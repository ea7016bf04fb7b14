#include "display/MeasureRect.h"

#include <utility>

namespace
{
constexpr int kLabelFontPixels = 16;
constexpr int kLabelDistance = 10;
}  // namespace

gfx::Rect CMeasureRect::HandleAt(int x, int y) const
{
    const int half = m_nHandleSize / 2;
    return gfx::Rect{x - half, y - half, x - half + m_nHandleSize, y - half + m_nHandleSize};
}

bool CMeasureRect::Contains(const gfx::Rect& rect, int x, int y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

int CMeasureRect::OnLButtonDown(unsigned, int x, int y)
{
    if (!m_bVisible)
        return 0;
    if (Contains(HandleAt(m_nRight, m_nBottom), x, y))
        m_nDrag = kDragSecond;
    if (Contains(HandleAt(m_nLeft, m_nTop), x, y))
        m_nDrag = kDragFirst;
    m_bGrabLeft = m_bGrabTop = m_nDrag == kDragFirst;
    if (Contains(HandleAt(m_nRight, m_nTop), x, y))
    {
        Hide();
        return 1;
    }
    return 0;
}

void CMeasureRect::OnLButtonUp(unsigned, int, int)
{
    if (m_bVisible)
        m_nDrag = kDragNone;
}

void CMeasureRect::Hide()
{
    m_bVisible = 0;
    m_nDrag = kDragNone;
}

bool CMeasureRect::OnMouseMove(unsigned flags, int x, int y)
{
    const int dx = x - m_nMouseX;
    const int dy = y - m_nMouseY;
    m_nMouseX = x;
    m_nMouseY = y;
    if (!m_bVisible)
        return false;
    bool dragged = false;
    if (m_nDrag != kDragNone)
    {
        // The grabbed edges follow the point; with shift the other edges keep their distance.
        int& grabbedX = m_bGrabLeft ? m_nLeft : m_nRight;
        int& grabbedY = m_bGrabTop ? m_nTop : m_nBottom;
        int& otherX = m_bGrabLeft ? m_nRight : m_nLeft;
        int& otherY = m_bGrabTop ? m_nBottom : m_nTop;
        grabbedX = x;
        grabbedY = y;
        if ((flags & kShift) != 0)
        {
            otherX += dx;
            otherY += dy;
        }
        // A corner dragged past the other one: the edges swap, and the grab goes with the point.
        if (m_nLeft > m_nRight)
        {
            std::swap(m_nLeft, m_nRight);
            m_bGrabLeft = !m_bGrabLeft;
        }
        if (m_nTop > m_nBottom)
        {
            std::swap(m_nTop, m_nBottom);
            m_bGrabTop = !m_bGrabTop;
        }
        dragged = true;
    }
    int hover = kHoverNone;
    if (Contains(HandleAt(m_nLeft, m_nTop), x, y))
        hover = kHoverFirst;
    if (Contains(HandleAt(m_nRight, m_nTop), x, y))
        hover = kHoverClose;
    if (Contains(HandleAt(m_nRight, m_nBottom), x, y))
        hover = kHoverSecond;
    const bool changed = hover != m_nHover;
    m_nHover = hover;
    return changed || dragged;
}

void CMeasureRect::Draw(gfx::Canvas& canvas)
{
    if (!m_bVisible)
        return;
    const gfx::Pen green{kGreen, 1, gfx::PenStyle::Solid};
    const gfx::Pen red{kRed, 1, gfx::PenStyle::Solid};
    canvas.SetBrush(gfx::Brush{0, true});
    const auto square = [&](const gfx::Rect& r, bool hovered)
    {
        canvas.SetPen(hovered ? red : green);
        canvas.Rectangle(r.left, r.top, r.right, r.bottom);
    };
    const gfx::Rect close = HandleAt(m_nRight, m_nTop);
    square(close, m_nHover == kHoverClose);
    canvas.MoveTo(close.left, close.top);
    canvas.LineTo(close.right, close.bottom);
    canvas.MoveTo(close.right, close.top);
    canvas.LineTo(close.left, close.bottom);
    square(HandleAt(m_nLeft, m_nTop), m_nHover == kHoverFirst);
    square(HandleAt(m_nRight, m_nBottom), m_nHover == kHoverSecond);
    canvas.SetPen(green);
    canvas.Rectangle(m_nLeft, m_nTop, m_nRight, m_nBottom);
    canvas.SetFont(gfx::Font{"Arial", kLabelFontPixels, false});
    canvas.SetTextColor(kGreen);
    canvas.SetTextBackground(gfx::kTransparentText);
    if (!m_strBelow.empty())
    {
        const int middle = (m_nLeft + m_nRight) / 2;
        const int width = canvas.TextWidth(m_strBelow);
        const int y = m_nBottom - kLabelDistance;
        canvas.DrawText(m_strBelow, gfx::Rect{middle - width, y - kLabelFontPixels, middle + width, y},
                        gfx::Align::Centre);
    }
    if (!m_strLeft.empty())
    {
        const int width = canvas.TextWidth(m_strLeft);
        canvas.DrawRotatedText(m_strLeft, m_nLeft - kLabelDistance - kLabelFontPixels,
                               (m_nTop + m_nBottom) / 2 + width / 2, 90.0);
    }
}
