#include "common/controls/ListEditView.h"

#include <algorithm>

wxIMPLEMENT_DYNAMIC_CLASS(CListEditView, wxGrid);

CListEditView::CListEditView() : m_colors(SystemColors()) {}

CListEditView::~CListEditView() = default;

bool CListEditView::Create(wxWindow* parent, wxWindowID id, const wxRect& rect)
{
    if (!CreateCore(parent, id, rect, true))
        return false;
    m_nClientWidth = GetGridWindow()->GetClientSize().x;
    GetGridWindow()->Bind(wxEVT_SET_FOCUS, &CListEditView::OnFocusEvent, this);
    GetGridWindow()->Bind(wxEVT_KILL_FOCUS, &CListEditView::OnFocusEvent, this);
    GetGridWindow()->Bind(wxEVT_SIZE, &CListEditView::OnViewSize, this);
    return true;
}

int CListEditView::InsertItem(int row, const std::string& text)
{
    row = std::clamp(row, 0, static_cast<int>(m_items.size()));
    m_items.insert(m_items.begin() + row, std::vector<std::string>{text});
    SetItemCount(static_cast<int>(m_items.size()));
    return row;
}

bool CListEditView::SetItemText(int row, int column, const std::string& text)
{
    if (row < 0 || row >= static_cast<int>(m_items.size()) || column < 0 ||
        column >= std::max(1, GetColumnCount()))
        return false;
    std::vector<std::string>& texts = m_items[static_cast<std::size_t>(row)];
    if (static_cast<int>(texts.size()) <= column)
        texts.resize(static_cast<std::size_t>(column) + 1);
    texts[static_cast<std::size_t>(column)] = text;
    ForceRefresh();
    return true;
}

std::string CListEditView::GetItemText(int row, int column) const
{
    if (row < 0 || row >= static_cast<int>(m_items.size()) || column < 0)
        return {};
    const std::vector<std::string>& texts = m_items[static_cast<std::size_t>(row)];
    return column < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(column)] : std::string();
}

std::string CListEditView::GetCellText(int row, int column)
{
    return GetItemText(row, column);
}

void CListEditView::StoreCellText(int row, int column, const std::string& text)
{
    SetItemText(row, column, text);
}

bool CListEditView::HasFocusNow() const
{
    const wxWindow* focus = wxWindow::FindFocus();
    return focus && (focus == this || focus == GetGridWindow());
}

void CListEditView::PaintCell(gfx::Canvas& canvas, const gfx::Rect& cell, int row, int column)
{
    ListEditCell state;
    state.filler = column >= GetColumnCount();
    state.column = column;
    state.align = GetColumnAlign(column);
    state.selected = IsItemSelected(row);
    state.editing = m_nEditColumn != -1;
    state.edited = m_nEditColumn == column;
    state.focused = row == GetFocusedItem() && HasFocusNow();
    state.firstCell = column == 0;
    state.lastCell = column == GetNumberCols() - 1;
    DrawListEditCell(canvas, cell, state.filler ? std::string() : GetItemText(row, column), state, m_colors);
}

void CListEditView::InvalidateSelectedRows()
{
    for (int row = 0; row < GetItemCount(); ++row)
        if (IsItemSelected(row) || row == GetFocusedItem())
        {
            const gfx::Rect first = GetCellBounds(row, 0);
            GetGridWindow()->RefreshRect(
                wxRect(first.left, first.top, m_nClientWidth, first.bottom - first.top), false);
        }
    GetGridWindow()->Update();
}

void CListEditView::OnFocusChange(wxWindow* other)
{
    // The label editor is a child of the view: moving the focus into it changes nothing painted.
    for (wxWindow* w = other; w; w = w->GetParent())
        if (w == this)
            return;
    ++m_nSelectionRepaints;
    InvalidateSelectedRows();
}

void CListEditView::OnFocusEvent(wxFocusEvent& event)
{
    event.Skip();
    OnFocusChange(event.GetWindow());
}

void CListEditView::OnViewSize(wxSizeEvent& event)
{
    event.Skip();
    m_nClientWidth = event.GetSize().x;
}
