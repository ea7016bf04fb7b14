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
    // Titles in the text's own weight, rows as high as a line of it.
    SetLabelFont(GetFont());
    const int lineHeight = GetCharHeight();
    SetColLabelSize(lineHeight + 8);
    SetDefaultRowSize(lineHeight + 5, true);
    SetItemCount(rows);
    int totalWidth = 0;
    for (int column = 0; column < m_nColumns; ++column)
    {
        int wanted = std::max(column == 0 ? firstWidth : width,
                              GetTextExtent(wxString::FromUTF8(titles[column].c_str())).GetWidth() + 10);
        // The row titles are shown whole too.
        if (column == 0)
            for (const std::string& title : columns[0])
                wanted = std::max(wanted, GetTextExtent(wxString::FromUTF8(title.c_str())).GetWidth() + 10);
        InsertColumn(column, titles[column], wanted, column == 0 ? ColumnAlign::Left : ColumnAlign::Right);
        totalWidth += wanted;
    }
    const int border = GetSize().GetWidth() - GetClientSize().GetWidth();
    const wxSize needed(totalWidth + border, GetColLabelSize() + rows * GetDefaultRowSize() + border);
    SetSize(std::max(rect.GetWidth(), needed.GetWidth()), std::max(rect.GetHeight(), needed.GetHeight()));
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
