#include "common/controls/ResultsGrid.h"

#include <algorithm>
#include <cstdio>

namespace
{

constexpr int kWidthReserve = 20;
constexpr int kFirstMinimum = 70;
constexpr int kOtherMinimum = 60;

}  // namespace

bool CResultsGrid::Create(const wxRect& rect, wxWindow* parent, wxWindowID id)
{
    m_nWidth = rect.GetWidth();
    return CreateCore(parent, id, rect, false);
}

int CResultsGrid::ColumnWidth(int width, int columns, int column)
{
    const int w = (width - kWidthReserve) / std::max(1, columns);
    return std::max(w, column == 0 ? kFirstMinimum : kOtherMinimum);
}

void CResultsGrid::SetupColumns()
{
    m_nColumns = std::clamp(m_nColumns, 1, kMaxColumns);
    SetItemCount(m_nRows);
    for (int i = 0; i < m_nColumns; ++i)
    {
        const std::string title = m_pTitles && i < static_cast<int>(m_pTitles->size())
                                      ? (*m_pTitles)[static_cast<std::size_t>(i)]
                                      : "";
        InsertColumn(i, title, ColumnWidth(m_nWidth, m_nColumns, i), ColumnAlign::Right);
    }
    m_pCallback = this;
    SetAlternateRowColor(true, kShading);
}

void CResultsGrid::OnGetItemInfo(int row, int, int column, unsigned mask, int, unsigned, char* text,
                                 int textLength)
{
    if ((mask & grid_request::kText) == 0 || row < 0 || row >= m_nRows || !m_pfnValue)
        return;
    std::vector<float> values(static_cast<std::size_t>(m_nColumns));
    for (int c = 0; c < m_nColumns; ++c)
        values[static_cast<std::size_t>(c)] = static_cast<float>(m_pfnValue(m_pValueContext, c - 1, row));
    if (column < 0 || column >= m_nColumns)
        return;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(values[static_cast<std::size_t>(column)]));
    CopyCellText(buffer, text, textLength);
}
