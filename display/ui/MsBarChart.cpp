#include "display/ui/MsBarChart.h"

#include "platform/NumberFormat.h"
#include "platform/gfx/WxCanvas.h"

#include <wx/dcbuffer.h>

#include <algorithm>
#include <cmath>

CMsBarChart::CMsBarChart(wxWindow* parent, const wxPoint& position, const wxSize& size)
    : wxWindow(parent, wxID_ANY, position, size)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CMsBarChart::OnPaint, this);
    Bind(wxEVT_SIZE, &CMsBarChart::OnSize, this);
}

int CMsBarChart::SetValues(const int* values, int count)
{
    count = values ? std::max(0, count) : 0;
    m_values.assign(values, values + count);
    m_nLastMax = count > 0 ? *std::max_element(m_values.begin(), m_values.end()) : 0;
    m_bDirty = true;
    return count;
}

void CMsBarChart::Refresh(bool eraseBackground, const wxRect* rect)
{
    SetValues(m_pSource, m_nSourceCount);
    wxWindow::Refresh(eraseBackground, rect);
}

void CMsBarChart::Paint(gfx::Canvas& canvas, int width, int height) const
{
    canvas.FillRect(gfx::Rect{0, 0, width, height}, kBackground);
    const int count = static_cast<int>(m_values.size());
    // Without values or a scale there is nothing to divide by: the background alone.
    if (!m_bDirty || count == 0 || m_nScaleMax <= 0)
        return;
    const double innerWidth = width - m_nLeftMargin - m_nRightMargin;
    const double innerHeight = height - m_nTopMargin - m_nBottomMargin;
    const double barWidth = innerWidth / count;
    const double perUnit = innerHeight / m_nScaleMax;
    const int baseline = height - m_nBottomMargin;
    canvas.SetFont(gfx::Font{"Arial", 12, false});
    canvas.SetTextColor(0x000000);
    canvas.SetTextBackground(gfx::kTransparentText);
    for (int i = 0; i < count; ++i)
    {
        const int left = static_cast<int>(m_nLeftMargin + i * barWidth);
        const int right = static_cast<int>(m_nLeftMargin + (i + 1) * barWidth);
        const int top =
            std::max(0, static_cast<int>(baseline - m_values[static_cast<std::size_t>(i)] * perUnit));
        if (top < baseline)
        {
            canvas.SetPen(gfx::Pen{0x000000, 1, gfx::PenStyle::Solid});
            canvas.SetBrush(gfx::Brush{kBar, false});
            canvas.Rectangle(left, top, right, baseline);
        }
        const std::string name =
            i < static_cast<int>(m_names.size()) ? m_names[static_cast<std::size_t>(i)] : "";
        if (!name.empty())
            canvas.DrawText(name, gfx::Rect{left + 5, baseline + 3, right, baseline + 17}, gfx::Align::Left);
        canvas.DrawText(platform::FormatC("%ims", m_values[static_cast<std::size_t>(i)]),
                        gfx::Rect{left + 5, baseline - 17, right + 40, baseline - 3}, gfx::Align::Left);
    }
}

void CMsBarChart::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    gfx::WxCanvas canvas(dc);
    const wxSize size = GetClientSize();
    Paint(canvas, size.x, size.y);
}

void CMsBarChart::OnSize(wxSizeEvent& event)
{
    event.Skip();
    wxWindow::Refresh();
    Update();
}
