// CBandTableGrid: the octave-band tables of the speech-intelligibility windows. Every cell comes
// from the owner's column arrays (column 0 holds the row titles, column 1 + k band k); rows are
// shaded by parity. An editable table takes what is typed into a band cell (never a row title); a
// table of results takes nothing.
//
// Threads: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "common/controls/GridListCtrl.h"

class CBandTableGrid : public CGridListCtrl, public CGridListCallback
{
public:
    explicit CBandTableGrid(bool editable) : m_bEditable(editable) {}

    // Creates the control at the rectangle with one column per title (the first firstWidth pixels
    // wide, the others width) over `rows` rows of the owner's arrays columns[0 .. titles - 1]. A
    // column is widened to show its title, and the control grows to show every column and row.
    bool Create(wxWindow* parent, wxWindowID id, const wxRect& rect, const std::vector<std::string>& titles,
                std::vector<std::string>* columns, int rows, int firstWidth, int width);

    void OnGetItemInfo(int row, int item, int column, unsigned mask, int image, unsigned state, char* text,
                       int textLength) override;
    void StoreCellText(int row, int column, const std::string& text) override;

private:
    bool m_bEditable;
};
