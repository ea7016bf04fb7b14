// CResultsGrid: the grid of the "Results" table: column 0 the x value of each row, column k the
// value of curve k - 1, every cell "%f" of the value computed on demand by the owner's value
// function. Columns share the control's width: (width - 20) / columns, at least 70 pixels for the
// first and 60 for the others; rows are shaded light blue.
//
// Threads: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "common/controls/GridListCtrl.h"

class CResultsGrid : public CGridListCtrl, public CGridListCallback
{
public:
    static constexpr int kMaxColumns = 256;
    static constexpr gfx::Color kShading = 0xF0CAAA;  // RGB 170, 202, 240

    // Value of a cell: column -1 is the row's x value, column c the value of curve c.
    using ValueFunction = double (*)(void* context, int column, int row);

    // Remembers the width, then creates the control.
    bool Create(const wxRect& rect, wxWindow* parent, wxWindowID id);
    // Row count, columns (titles from m_pTitles), the callback and the shading.
    void SetupColumns();
    // The width column i gets for a control width and column count.
    static int ColumnWidth(int width, int columns, int column);

    void OnGetItemInfo(int row, int item, int column, unsigned mask, int image, unsigned state, char* text,
                       int textLength) override;
    // The results grid keeps no edit (its cells are computed).
    void StoreCellText(int, int, const std::string&) override {}

    int m_nColumns = 1;
    int m_nRows = 0;
    ValueFunction m_pfnValue = nullptr;
    void* m_pValueContext = nullptr;
    const std::vector<std::string>* m_pTitles = nullptr;
    int m_nWidth = 0;
};
