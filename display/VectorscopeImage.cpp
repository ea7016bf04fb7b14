#include "display/VectorscopeImage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void CVectorscopeImage::ClearHistory()
{
    m_nFilled = 0;
    m_nWriteSlot = 0;
    for (auto& trace : m_history)
        std::fill(trace.begin(), trace.end(), gfx::Point{});
}

void CVectorscopeImage::DrawTrace(gfx::Canvas& canvas, const std::vector<gfx::Point>& points, COLORREF color)
{
    if (points.empty())
        return;
    if (m_nLineMode == 1)
    {
        canvas.SetPen(gfx::Pen{color, 1, gfx::PenStyle::Solid});
        canvas.Polyline(points);
        return;
    }
    for (const gfx::Point& p : points)
        canvas.FillRect({p.x, p.y, p.x + 2, p.y + 2}, color);
}

void CVectorscopeImage::Draw(gfx::Canvas& canvas, int left, int top, int right, int bottom, const float* x,
                             const float* y, int count)
{
    canvas.FillRect({left, top, right, bottom}, m_background);
    const int l = left + kInset;
    const int t = top + kInset;
    const int r = right - kInset;
    const int b = bottom - kInset;
    const int cx = (l + r) / 2;
    const int cy = (t + b) / 2;

    // Centre lines, a tick across the middle of each edge and both diagonals.
    canvas.SetPen(m_gridPen);
    const auto line = [&](int x0, int y0, int x1, int y1)
    {
        canvas.MoveTo(x0, y0);
        canvas.LineTo(x1, y1);
    };
    line(cx, t, cx, b);
    line(l, cy, r, cy);
    const int half = kTickLength / 2;
    line(cx - half, t, cx + half, t);
    line(cx - half, b, cx + half, b);
    line(l, cy - half, l, cy + half);
    line(r, cy - half, r, cy + half);
    line(l, t, r, b);
    line(l, b, r, t);

    count = std::max(0, count);
    const int depth = std::clamp(m_nDepth, 0, kMaxDepth);
    if (depth != m_nAllocatedDepth || count != m_nAllocatedCount)
    {
        m_history.assign(static_cast<std::size_t>(depth),
                         std::vector<gfx::Point>(static_cast<std::size_t>(count), gfx::Point{}));
        m_nAllocatedDepth = depth;
        m_nAllocatedCount = count;
        m_nWriteSlot = 0;
        m_nFilled = 0;
    }
    if (x == nullptr || count == 0)
        return;

    const double xScale = (r - l) * 0.5 / m_dXRange;
    const double yScale = (b - t) * 0.5 / m_dYRange;

    // Older traces, the faintest (oldest) first; the trace of age a lies a slots after the write
    // slot and takes the trace colour times decay^a.
    for (int age = m_nFilled; age >= 1; --age)
    {
        const double factor = std::pow(m_dDecay, age);
        const auto scaled = [&](int c) { return std::clamp(static_cast<int>(c * factor), 0, 255); };
        const COLORREF color = RgbColor(scaled(RedOf(m_traceColor)), scaled(GreenOf(m_traceColor)),
                                        scaled(BlueOf(m_traceColor)));
        DrawTrace(canvas, m_history[static_cast<std::size_t>((m_nWriteSlot + age) % depth)], color);
    }

    const double angle = m_dRotation * std::numbers::pi / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    m_current.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        const double X = x[i];
        const double Y = y != nullptr ? y[i] : 0.0;
        const double xr = X * c - Y * s;
        const double yr = X * s + Y * c;
        m_current[static_cast<std::size_t>(i)] =
            gfx::Point{cx + static_cast<int>(xr * xScale), cy - static_cast<int>(yr * yScale)};
    }
    DrawTrace(canvas, m_current, m_traceColor);
    if (depth > 0)
    {
        m_history[static_cast<std::size_t>(m_nWriteSlot)] = m_current;
        m_nWriteSlot = (m_nWriteSlot + depth - 1) % depth;
        m_nFilled = std::min(m_nFilled + 1, depth);
    }
}
