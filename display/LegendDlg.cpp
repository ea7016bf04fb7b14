#include "display/LegendDlg.h"

#include "display/CurveMarkers.h"

#include <algorithm>
#include <cstddef>

namespace
{
// Each of red, green and blue replaced by 255 minus itself.
gfx::Color Inverted(gfx::Color colour)
{
    return (~colour) & 0xFFFFFF;
}
}  // namespace

void CLegendDlg::DrawLegend(gfx::Canvas& canvas, int left, int top, int right, int bottom)
{
    left += m_nOffsetX;
    right += m_nOffsetX;
    top += m_nOffsetY;
    bottom += m_nOffsetY;
    (void)left;
    (void)bottom;
    m_nFontHeight = m_nConfiguredFontHeight;
    canvas.SetFont(gfx::Font{"Arial", m_nFontHeight, false});
    const int sample = canvas.TextWidth(kSampleText);
    int widest = canvas.TextWidth(kLongestLabelText);
    const int lineHeight = std::max(1, canvas.TextHeight(kLongestLabelText));
    m_textColor = Inverted(m_background);
    canvas.SetTextColor(m_textColor);
    canvas.SetTextBackground(gfx::kTransparentText);
    const int t = std::max(1, lineHeight / 6);
    const int count = std::clamp(m_nCount, 0, kMaxEntries);
    // The longest label by characters decides the label column, up to the long sample text.
    std::size_t longest = 0;
    int longestEntry = -1;
    for (int i = 0; i < count; ++i)
        if (const std::size_t length = m_entries[static_cast<std::size_t>(i)].m_strLabel.size();
            longestEntry < 0 || length > longest)
        {
            longest = length;
            longestEntry = i;
        }
    const int labelWidth =
        longestEntry >= 0 ? canvas.TextWidth(m_entries[static_cast<std::size_t>(longestEntry)].m_strLabel)
                          : 0;
    widest = std::min(widest, labelWidth);
    gfx::Rect box;
    box.right = right;
    box.left = right - widest - 3 * t - sample;
    box.top = top;
    box.bottom = top + 2 * t + count * (lineHeight + t);
    canvas.FillRect(box, m_background);
    canvas.SetPen(gfx::Pen{m_textColor, 2 * m_nFrameThickness + 1, gfx::PenStyle::Solid});
    canvas.SetBrush(gfx::Brush{0, true});
    canvas.Rectangle(box.left, box.top, box.right, box.bottom);
    int rowTop = box.top;
    for (int i = 0; i < count; ++i)
    {
        CCurveStyle& entry = m_entries[static_cast<std::size_t>(i)];
        const int rowBottom = rowTop + lineHeight;
        const int labelLeft = box.left + 2 * t + sample;
        canvas.SetTextColor(m_textColor);
        canvas.DrawText(
            entry.m_strLabel,
            gfx::Rect{labelLeft, rowTop, labelLeft + canvas.TextWidth(entry.m_strLabel), rowBottom},
            gfx::Align::Left);
        if (!entry.m_pen)
            entry.CreatePen();
        const PenDescription& pen = *entry.m_pen;
        canvas.SetPen(
            gfx::Pen{pen.color, pen.width, static_cast<gfx::PenStyle>(std::clamp(pen.style, 0, 5))});
        const int middle = rowTop + lineHeight / 2;
        canvas.MoveTo(box.left + t, middle);
        canvas.LineTo(box.left + t + sample, middle);
        canvas.SetBrush(gfx::Brush{pen.color, false});
        DrawMarkerSymbol(canvas, box.left + t + sample / 2, middle, kMarkerHalfSize, entry.m_nMarker);
        if (i == m_nSelected)
        {
            canvas.SetPen(gfx::Pen{m_textColor, 2, gfx::PenStyle::Solid});
            canvas.SetBrush(gfx::Brush{0, true});
            canvas.Rectangle(box.left, rowTop, box.right, rowBottom);
        }
        rowTop = rowBottom + t;
    }
    m_rcBox = box;
}

bool CLegendDlg::Contains(int x, int y) const
{
    return x >= m_rcBox.left && x < m_rcBox.right && y >= m_rcBox.top && y < m_rcBox.bottom;
}

int CLegendDlg::HitTest(int x, int y) const
{
    const int count = std::clamp(m_nCount, 0, kMaxEntries);
    if (count == 0 || !Contains(x, y))
        return -1;
    const double rowHeight = static_cast<double>(m_rcBox.bottom - m_rcBox.top) / count;
    return std::clamp(static_cast<int>((y - m_rcBox.top) / rowHeight), 0, count - 1);
}
