// CListEditView: a report list that stores its own rows and texts: whole-row selection painted up
// to the client width, texts shortened with "..." to their columns, per-column alignment, and
// in-place editing of any cell by the same rule as the result grids (CGridCore).
//
// Threads: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include <wx/object.h>

#include "common/controls/GridCore.h"

class CListEditView : public CGridCore
{
public:
    CListEditView();
    ~CListEditView() override;

    bool Create(wxWindow* parent, wxWindowID id, const wxRect& rect);

    // Rows ---------------------------------------------------------------------------------------
    // Inserts a row with its first column's text before `row` (at the end when row is the count).
    int InsertItem(int row, const std::string& text);
    bool SetItemText(int row, int column, const std::string& text);
    std::string GetItemText(int row, int column) const;

    // Repaints the focused row and the selected rows.
    void InvalidateSelectedRows();
    // How many times the selection was repainted for a change of focus (tests read it).
    int GetSelectionRepaints() const { return m_nSelectionRepaints; }
    // A change of focus between the view and `other` (the window that gets or loses it): the
    // selection is repainted unless `other` is the view's own editor.
    void OnFocusChange(wxWindow* other);

    int GetClientWidth() const { return m_nClientWidth; }

    // CGridCore
    std::string GetCellText(int row, int column) override;
    void StoreCellText(int row, int column, const std::string& text) override;
    void PaintCell(gfx::Canvas& canvas, const gfx::Rect& cell, int row, int column) override;

private:
    void OnFocusEvent(wxFocusEvent& event);
    void OnViewSize(wxSizeEvent& event);
    bool HasFocusNow() const;

    std::vector<std::vector<std::string>> m_items;
    GridColors m_colors;
    int m_nClientWidth = 0;
    int m_nSelectionRepaints = 0;

    wxDECLARE_DYNAMIC_CLASS(CListEditView);
};
