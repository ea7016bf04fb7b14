#include "common/controls/GridCore.h"

#include <algorithm>

#include <wx/settings.h>
#include <wx/textctrl.h>

#include "platform/gfx/WxCanvas.h"

namespace
{

constexpr int kFillerMargin = 2;

wxString ToWx(const std::string& text)
{
    return wxString::FromUTF8(text.c_str());
}

gfx::Color SystemColor(wxSystemColour which)
{
    const wxColour c = wxSystemSettings::GetColour(which);
    return static_cast<gfx::Color>(c.Red()) | (static_cast<gfx::Color>(c.Green()) << 8) |
           (static_cast<gfx::Color>(c.Blue()) << 16);
}

}  // namespace

// The virtual table: a row count and the columns (plus the filler), every text asked of the core.
class CGridCore::Table : public wxGridTableBase
{
public:
    explicit Table(CGridCore& core) : m_core(core) {}
    int GetNumberRows() override { return m_core.m_nItemCount; }
    int GetNumberCols() override { return m_core.GetColumnCount() + (m_core.m_bFiller ? 1 : 0); }
    wxString GetValue(int row, int col) override
    {
        if (row < 0 || row >= m_core.m_nItemCount || col < 0 || col >= m_core.GetColumnCount())
            return {};
        return ToWx(m_core.GetCellText(row, col));
    }
    // Confirmed edits reach the core through the change notification; the table keeps nothing.
    void SetValue(int, int, const wxString&) override {}
    wxString GetColLabelValue(int col) override
    {
        return col < m_core.GetColumnCount() ? ToWx(m_core.m_columns[static_cast<std::size_t>(col)].title)
                                             : wxString();
    }
    bool IsEmptyCell(int, int) override { return false; }

private:
    CGridCore& m_core;
};

class CGridCore::Renderer : public wxGridCellRenderer
{
public:
    explicit Renderer(CGridCore& core) : m_core(core) {}
    void Draw(wxGrid& grid, wxGridCellAttr& attr, wxDC& dc, const wxRect& rect, int row, int col,
              bool /*isSelected*/) override
    {
        dc.SetFont(attr.GetFont().IsOk() ? attr.GetFont() : grid.GetDefaultCellFont());
        gfx::WxCanvas canvas(dc);
        m_core.PaintCell(canvas, {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height}, row, col);
    }
    wxSize GetBestSize(wxGrid& grid, wxGridCellAttr&, wxDC&, int, int) override
    {
        return {grid.GetDefaultColSize(), grid.GetDefaultRowSize()};
    }
    wxGridCellRenderer* Clone() const override { return new Renderer(m_core); }

private:
    CGridCore& m_core;
};

CGridCore::CGridCore() = default;

GridColors CGridCore::SystemColors()
{
    GridColors colors;
    colors.m_crText = SystemColor(wxSYS_COLOUR_WINDOWTEXT);
    colors.m_crBack = SystemColor(wxSYS_COLOUR_WINDOW);
    colors.m_crHighlightText = SystemColor(wxSYS_COLOUR_HIGHLIGHTTEXT);
    colors.m_crHighlight = SystemColor(wxSYS_COLOUR_HIGHLIGHT);
    return colors;
}

CGridCore::~CGridCore() = default;

bool CGridCore::CreateCore(wxWindow* parent, wxWindowID id, const wxRect& rect, bool filler)
{
    if (!Create(parent, id, rect.GetPosition(), rect.GetSize(), wxWANTS_CHARS | wxBORDER_SIMPLE))
        return false;
    m_bFiller = filler;
    m_pTable = new Table(*this);
    SetTable(m_pTable, true, wxGridSelectRows);
    SetRowLabelSize(0);
    EnableGridLines(false);
    SetCellHighlightPenWidth(0);
    SetCellHighlightROPenWidth(0);
    DisableDragRowSize();
    SetDefaultRenderer(new Renderer(*this));
    SetDefaultCellBackgroundColour(GetDefaultCellBackgroundColour());
    Bind(wxEVT_GRID_CELL_LEFT_CLICK, &CGridCore::OnCellClick, this);
    Bind(wxEVT_GRID_CELL_LEFT_DCLICK, &CGridCore::OnCellClick, this);
    Bind(wxEVT_GRID_EDITOR_SHOWN, &CGridCore::OnEditorShown, this);
    Bind(wxEVT_GRID_EDITOR_HIDDEN, &CGridCore::OnEditorHidden, this);
    Bind(wxEVT_GRID_CELL_CHANGING, &CGridCore::OnCellChanging, this);
    Bind(wxEVT_SIZE, &CGridCore::OnSizeChanged, this);
    return true;
}

int CGridCore::InsertColumn(int index, const std::string& title, int width, ColumnAlign align)
{
    index = std::clamp(index, 0, GetColumnCount());
    m_columns.insert(m_columns.begin() + index, Column{title, align});
    if (!m_pTable)
        return index;  // not created yet: the table announces its columns when it is set
    wxGridTableMessage message(m_pTable, wxGRIDTABLE_NOTIFY_COLS_INSERTED, index, 1);
    ProcessTableMessage(message);
    SetColSize(index, std::max(0, width));
    UpdateFillerWidth();
    return index;
}

int CGridCore::GetColumnWidth(int column) const
{
    return column >= 0 && column < GetColumnCount() ? GetColSize(column) : 0;
}

ColumnAlign CGridCore::GetColumnAlign(int column) const
{
    return column >= 0 && column < GetColumnCount() ? m_columns[static_cast<std::size_t>(column)].align
                                                    : ColumnAlign::Left;
}

void CGridCore::SetItemCount(int rows)
{
    m_nItemCount = std::max(0, rows);
    m_selected.assign(static_cast<std::size_t>(m_nItemCount), 0);
    m_nFocusRow = -1;
    RefreshShape();
}

void CGridCore::RefreshShape()
{
    if (!m_pTable)
        return;
    // Tell the grid the table's new row count; columns are announced where they are inserted.
    const int now = GetNumberRows();
    if (m_nItemCount > now)
    {
        wxGridTableMessage message(m_pTable, wxGRIDTABLE_NOTIFY_ROWS_APPENDED, m_nItemCount - now);
        ProcessTableMessage(message);
    }
    else if (m_nItemCount < now)
    {
        wxGridTableMessage message(m_pTable, wxGRIDTABLE_NOTIFY_ROWS_DELETED, m_nItemCount,
                                   now - m_nItemCount);
        ProcessTableMessage(message);
    }
    ForceRefresh();
}

void CGridCore::UpdateFillerWidth()
{
    if (!m_bFiller || !m_pTable || GetNumberCols() <= GetColumnCount())
        return;
    int used = 0;
    for (int c = 0; c < GetColumnCount(); ++c)
        used += GetColSize(c);
    const int client = GetGridWindow() ? GetGridWindow()->GetClientSize().x : GetClientSize().x;
    SetColSize(GetColumnCount(), std::max(0, client - kFillerMargin - used));
}

void CGridCore::SetItemSelected(int row, bool selected)
{
    if (row < 0 || row >= m_nItemCount)
        return;
    m_selected[static_cast<std::size_t>(row)] = selected ? 1 : 0;
    RefreshRect(CellToRect(row, 0).Union(CellToRect(row, std::max(0, GetNumberCols() - 1))), false);
    ForceRefresh();
}

bool CGridCore::IsItemSelected(int row) const
{
    return row >= 0 && row < m_nItemCount && m_selected[static_cast<std::size_t>(row)] != 0;
}

int CGridCore::ColumnAt(int x) const
{
    int left = 0;
    for (int c = 0; c < GetColumnCount(); ++c)
    {
        const int right = left + GetColSize(c);
        if (x >= left && x < right)
            return c;
        left = right;
    }
    return -1;
}

gfx::Rect CGridCore::GetCellBounds(int row, int column) const
{
    const wxRect r = CellToRect(row, column);
    return {r.x, r.y, r.x + r.width, r.y + r.height};
}

void CGridCore::OnItemClick(int row, int x)
{
    if (row < 0 || row >= m_nItemCount)
        return;
    if (IsItemSelected(row) && BeginCellEdit(row, x))
        return;
    // A single-selection list: the clicked row becomes the selected and focused one.
    for (int r = 0; r < m_nItemCount; ++r)
        if (r != row && IsItemSelected(r))
            SetItemSelected(r, false);
    SetItemSelected(row, true);
    m_nFocusRow = row;
}

bool CGridCore::BeginCellEdit(int row, int x)
{
    const int column = ColumnAt(x);
    if (row < 0 || row >= m_nItemCount || column < 0 || m_nEditColumn != -1)
        return false;
    m_nEditColumn = column;
    m_nEditRow = row;
    m_bOpening = true;
    SetGridCursor(row, column);
    EnableCellEditControl(true);
    m_bOpening = false;
    if (!IsCellEditControlShown())
    {
        m_nEditColumn = -1;
        m_nEditRow = -1;
        return false;
    }
    ForceRefresh();
    return true;
}

void CGridCore::EndCellEdit(int row, const std::string* text)
{
    // The row comes from the notification: a row that no longer exists takes nothing.
    if (text && !text->empty() && m_nEditColumn >= 0 && row >= 0 && row < m_nItemCount)
        StoreCellText(row, m_nEditColumn, *text);
    m_nEditColumn = -1;
    m_nEditRow = -1;
    if (row >= 0 && row < m_nItemCount)
        SetItemSelected(row, false);
    if (m_nFocusRow == row)
        m_nFocusRow = -1;
    ForceRefresh();
}

wxTextCtrl* CGridCore::GetEditControl() const
{
    if (m_nEditColumn < 0 || !IsCellEditControlShown())
        return nullptr;
    wxGridCellEditor* editor = GetCellEditor(GetGridCursorRow(), GetGridCursorCol());
    wxTextCtrl* control = editor ? dynamic_cast<wxTextCtrl*>(editor->GetControl()) : nullptr;
    if (editor)
        editor->DecRef();
    return control;
}

void CGridCore::OnCellClick(wxGridEvent& event)
{
    const wxPoint logical = CalcUnscrolledPosition(event.GetPosition());
    OnItemClick(event.GetRow(), logical.x);
}

void CGridCore::OnEditorShown(wxGridEvent& event)
{
    // Only the editing rule opens the editor (typing or F2 on a cell opens nothing).
    if (!m_bOpening)
        event.Veto();
}

void CGridCore::OnEditorHidden(wxGridEvent& event)
{
    event.Skip();
    // A confirmed change is reported after the editor is hidden: settle after both, so that what
    // is left open here was cancelled (Escape, or a text left as it was).
    const int row = m_nEditRow;
    CallAfter(
        [this, row]
        {
            if (m_nEditColumn != -1 && m_nEditRow == row)
                EndCellEdit(row, nullptr);
        });
}

void CGridCore::OnCellChanging(wxGridEvent& event)
{
    // The core stores the text itself (through the derived class), never the grid's table.
    event.Veto();
    if (m_nEditColumn == -1)
        return;
    const std::string text = event.GetString().utf8_string();
    EndCellEdit(event.GetRow(), &text);
}

void CGridCore::OnSizeChanged(wxSizeEvent& event)
{
    event.Skip();
    CallAfter([this] { UpdateFillerWidth(); });
}
