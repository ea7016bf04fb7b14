#include "common/controls/GridPaint.h"

#include <string>

#include "common/controls/ShortenToWidth.h"

namespace
{

constexpr int kRightInset = 3;
constexpr int kListLeftInset = 4;
constexpr int kListRightInset = 8;

std::string Fit(gfx::Canvas& canvas, std::string_view text, int width)
{
    return ShortenToWidth(text, width, [&canvas](std::string_view t) { return canvas.TextWidth(t); });
}

}  // namespace

void DrawGridListCell(gfx::Canvas& canvas, const gfx::Rect& cell, std::string_view text, int row,
                      bool selected, const GridColors& colors)
{
    const gfx::Color back = selected                              ? colors.m_crHighlight
                            : colors.m_bAltRows && (row % 2) == 1 ? colors.m_crAltRow
                                                                  : colors.m_crBack;
    canvas.FillRect(cell, back);
    canvas.SetPen({selected ? colors.m_crHighlightText : colors.m_crHighlight, 1, gfx::PenStyle::Solid});
    canvas.MoveTo(cell.right - 1, cell.top);
    canvas.LineTo(cell.right - 1, cell.bottom);
    canvas.SetTextColor(selected ? colors.m_crHighlightText : colors.m_crText);
    canvas.SetTextBackground(gfx::kTransparentText);
    const gfx::Rect box = {cell.left, cell.top, cell.right - kRightInset, cell.bottom};
    if (!text.empty() && box.right > box.left)
        canvas.DrawText(Fit(canvas, text, box.right - box.left), box, gfx::Align::Right);
}

void DrawListEditCell(gfx::Canvas& canvas, const gfx::Rect& cell, std::string_view text,
                      const ListEditCell& state, const GridColors& colors)
{
    const bool highlighted = state.selected && !state.editing;
    canvas.FillRect(cell, highlighted ? colors.m_crHighlight : colors.m_crBack);
    if (state.focused)
    {
        canvas.SetPen({highlighted ? colors.m_crHighlightText : colors.m_crText, 1, gfx::PenStyle::Dot});
        canvas.MoveTo(cell.left, cell.top);
        canvas.LineTo(cell.right, cell.top);
        canvas.MoveTo(cell.left, cell.bottom - 1);
        canvas.LineTo(cell.right, cell.bottom - 1);
        if (state.firstCell)
        {
            canvas.MoveTo(cell.left, cell.top);
            canvas.LineTo(cell.left, cell.bottom);
        }
        if (state.lastCell)
        {
            canvas.MoveTo(cell.right - 1, cell.top);
            canvas.LineTo(cell.right - 1, cell.bottom);
        }
    }
    if (state.filler || state.edited || text.empty())
        return;
    canvas.SetTextColor(highlighted ? colors.m_crHighlightText : colors.m_crText);
    canvas.SetTextBackground(gfx::kTransparentText);
    gfx::Rect box = cell;
    gfx::Align align = gfx::Align::Left;
    if (state.column > 0)
    {
        box.left = cell.left + kListLeftInset;
        box.right = cell.right - kListRightInset;
        align = state.align == ColumnAlign::Right    ? gfx::Align::Right
                : state.align == ColumnAlign::Centre ? gfx::Align::Centre
                                                     : gfx::Align::Left;
    }
    if (box.right > box.left)
        canvas.DrawText(Fit(canvas, text, box.right - box.left), box, align);
}
