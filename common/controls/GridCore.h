// CGridCore: the report list that the result grids (CGridListCtrl) and the list-edit view
// (CListEditView) are built on. It stands on the toolkit's grid with a virtual table: it holds no
// cell texts, only a row count and its columns, and asks the derived class for every text it shows.
// It keeps its own row selection and focus, paints every cell through the derived class, and owns
// the one rule of in-place editing:
//   - a click on a row that is already selected opens the editor over the column under the click
//     (a click right of the last column opens nothing);
//   - the editor starts with the cell's text; confirming a text that is not empty hands it to the
//     derived class (StoreCellText), an empty text or Escape keeps the old one;
//   - after either the row is neither selected nor focused.
//
// Threads: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include <wx/grid.h>

#include "common/controls/GridPaint.h"

class wxTextCtrl;

class CGridCore : public wxGrid
{
public:
    CGridCore();
    ~CGridCore() override;

    // Creates the control at the rectangle (parent's client coordinates). A core with a filler
    // paints the part of each row right of its last column up to 2 pixels before its right edge.
    bool CreateCore(wxWindow* parent, wxWindowID id, const wxRect& rect, bool filler);

    // Columns and rows -------------------------------------------------------------------------
    // Inserts a column before `index` (at the end when index is the count); returns its index.
    int InsertColumn(int index, const std::string& title, int width, ColumnAlign align);
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    int GetColumnWidth(int column) const;
    ColumnAlign GetColumnAlign(int column) const;
    void SetItemCount(int rows);
    int GetItemCount() const { return m_nItemCount; }

    // Selection and focus of rows (what the cells are painted with).
    void SetItemSelected(int row, bool selected);
    bool IsItemSelected(int row) const;
    int GetFocusedItem() const { return m_nFocusRow; }
    void SetFocusedItem(int row) { m_nFocusRow = row; }

    // Editing ----------------------------------------------------------------------------------
    // The column whose span holds x (pixels from the left edge of column 0), or -1.
    int ColumnAt(int x) const;
    // A click at x on the row: selects an unselected row, or opens the editor on a selected one.
    void OnItemClick(int row, int x);
    // Opens the editor over the cell of the row under x; false (nothing opens) outside every
    // column or for a row out of range.
    bool BeginCellEdit(int row, int x);
    // Ends the edit of the row: text is the confirmed text (null when cancelled).
    void EndCellEdit(int row, const std::string* text);
    int GetEditColumn() const { return m_nEditColumn; }
    // The open editor's text control, or null.
    wxTextCtrl* GetEditControl() const;

    // Where the derived class keeps its texts and how it paints --------------------------------
    virtual std::string GetCellText(int row, int column) = 0;
    virtual void StoreCellText(int row, int column, const std::string& text) = 0;
    virtual void PaintCell(gfx::Canvas& canvas, const gfx::Rect& cell, int row, int column) = 0;

    // The theme's text, window, highlight-text and highlight colours (no shading).
    static GridColors SystemColors();

    // Bounds of a cell in the control's unscrolled pixels (right and bottom exclusive).
    gfx::Rect GetCellBounds(int row, int column) const;

protected:
    bool HasFiller() const { return m_bFiller; }
    // Re-reads the table's shape after rows or columns changed.
    void RefreshShape();
    void UpdateFillerWidth();

    int m_nEditColumn = -1;

private:
    class Table;
    class Renderer;
    struct Column
    {
        std::string title;
        ColumnAlign align = ColumnAlign::Left;
    };

    void OnCellClick(wxGridEvent& event);
    void OnEditorShown(wxGridEvent& event);
    void OnEditorHidden(wxGridEvent& event);
    void OnCellChanging(wxGridEvent& event);
    void OnSizeChanged(wxSizeEvent& event);

    std::vector<Column> m_columns;
    std::vector<char> m_selected;
    int m_nItemCount = 0;
    int m_nFocusRow = -1;
    int m_nEditRow = -1;
    bool m_bFiller = false;
    bool m_bOpening = false;
    Table* m_pTable = nullptr;  // owned by the grid
};
