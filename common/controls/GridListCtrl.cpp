#include "common/controls/GridListCtrl.h"

#include <algorithm>
#include <cstring>

void CGridListCallback::OnCacheHint(int, int, int) {}

int CGridListCallback::OnFindItem(int, const std::string&)
{
    return 0;
}

void CGridListCallback::OnGetItemInfo(int, int, int, unsigned, int, unsigned, char*, int) {}

void CopyCellText(const std::string& text, char* buffer, int bufferLength)
{
    if (!buffer || bufferLength <= 0)
        return;
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(bufferLength - 1));
    // Back off to the start of a character when the cut falls inside one.
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

CGridListCtrl::CGridListCtrl()
{
    ReadSystemColors();
}

CGridListCtrl::~CGridListCtrl() = default;

void CGridListCtrl::ReadSystemColors()
{
    const GridColors system = SystemColors();
    m_colors.m_crText = system.m_crText;
    m_colors.m_crBack = system.m_crBack;
    m_colors.m_crHighlightText = system.m_crHighlightText;
    m_colors.m_crHighlight = system.m_crHighlight;
}

void CGridListCtrl::SetAlternateRowColor(bool enable, gfx::Color colour)
{
    m_colors.m_bAltRows = enable;
    m_colors.m_crAltRow = colour;
}

void CGridListCtrl::FillDispInfo(int row, int, int column, unsigned mask, int, unsigned, char* text,
                                 int textLength)
{
    if ((mask & grid_request::kText) == 0 || column < 0 || column >= kColumnArrays)
        return;
    const std::vector<std::string>* texts = m_pColumnTexts[static_cast<std::size_t>(column)];
    const std::string empty;
    const std::string& cell = texts && row >= 0 && row < static_cast<int>(texts->size())
                                  ? (*texts)[static_cast<std::size_t>(row)]
                                  : empty;
    CopyCellText(cell, text, textLength);
}

std::string CGridListCtrl::RequestCellText(int row, int column)
{
    if (!m_pCallback)
        return {};
    // The toolkit's grid asks for a cell with its row, so the row of every request is its own.
    m_nCurrentRow = row;
    std::array<char, kTextBufferLength> buffer{};
    m_pCallback->OnGetItemInfo(m_nCurrentRow, row, column, grid_request::kText | grid_request::kIndent, 0, 0,
                               buffer.data(), kTextBufferLength);
    buffer.back() = '\0';
    return buffer.data();
}

int CGridListCtrl::RequestTag() const
{
    return m_nCurrentRow >= 0 ? m_nCurrentRow : GetId();
}

std::string CGridListCtrl::GetCellText(int row, int column)
{
    return RequestCellText(row, column);
}

void CGridListCtrl::StoreCellText(int row, int column, const std::string& text)
{
    if (column < 0 || column >= kColumnArrays)
        return;
    std::vector<std::string>* texts = m_pColumnTexts[static_cast<std::size_t>(column)];
    if (texts && row >= 0 && row < static_cast<int>(texts->size()))
        (*texts)[static_cast<std::size_t>(row)] = text;
}

void CGridListCtrl::PaintCell(gfx::Canvas& canvas, const gfx::Rect& cell, int row, int column)
{
    DrawGridListCell(canvas, cell, GetCellText(row, column), row, IsItemSelected(row), m_colors);
}
