#include "applications/ui/BandTableGrid.h"

#include <algorithm>

#include "common/controls/ResultsGrid.h"

bool CBandTableGrid::Create(wxWindow* parent, wxWindowID id, const wxRect& rect,
                            const std::vector<std::string>& titles, std::vector<std::string>* columns,
                            int rows, int firstWidth, int width)
{
    m_nRows = rows;
    m_nColumns = std::min(static_cast<int>(titles.size()), kColumnArrays);
    m_pTitles = &titles;
    for (int column = 0; column < m_nColumns; ++column)
        m_pColumnTexts[column] = &columns[column];
    if (!CreateCore(parent, id, rect, false))
        return false;
    SetItemCount(rows);
    for (int column = 0; column < m_nColumns; ++column)
        InsertColumn(column, titles[column], column == 0 ? firstWidth : width,
                     column == 0 ? ColumnAlign::Left : ColumnAlign::Right);
    m_pCallback = this;
    SetAlternateRowColor(true, CResultsGrid::kShading);
    return true;
}

void CBandTableGrid::OnGetItemInfo(int row, int item, int column, unsigned mask, int image, unsigned state,
                                   char* text, int textLength)
{
    if (row >= 0 && row < m_nRows)
        FillDispInfo(row, item, column, mask, image, state, text, textLength);
}

void CBandTableGrid::StoreCellText(int row, int column, const std::string& text)
{
    if (m_bEditable && column > 0)
        CGridListCtrl::StoreCellText(row, column, text);
}
