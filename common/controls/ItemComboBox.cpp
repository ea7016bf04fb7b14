#include "common/controls/ItemComboBox.h"

#include <cstdint>
#include <utility>

#include <wx/dc.h>
#include <wx/settings.h>

const std::array<NamedColor, 2> g_itemComboDefaults = {{
    {7, "Item 7"},
    {8, "Item 8"},
}};

CItemComboBox::CItemComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    Create(parent, id, pos, size);
}

bool CItemComboBox::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    if (!wxOwnerDrawnComboBox::Create(parent, id, wxEmptyString, pos, size, 0, nullptr, wxCB_READONLY))
        return false;
    Bind(wxEVT_LEFT_DOWN, &CItemComboBox::OnLeftDown, this);
    return true;
}

bool CItemComboBox::AddItem(const wxString& text, long value)
{
    // The client data carries the value itself, not a pointer.
    return Append(text, reinterpret_cast<void*>(static_cast<std::intptr_t>(value))) >= 0;
}

long CItemComboBox::GetItemValue(int n) const
{
    if (n < 0 || n >= static_cast<int>(GetCount()))
        return 0;
    return static_cast<long>(reinterpret_cast<std::intptr_t>(GetClientData(static_cast<unsigned>(n))));
}

void CItemComboBox::FillList()
{
    Clear();
    for (const NamedColor& entry : g_itemComboDefaults)
    {
        if (!AddItem(wxString::FromUTF8(entry.szName), static_cast<long>(entry.crColor)))
            break;
    }
}

void CItemComboBox::DrawItemImage(wxDC& dc, const wxRect& rect, long value) const
{
    const auto color = static_cast<COLORREF>(value);
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(wxBrush(wxColour(static_cast<unsigned char>(color & 0xFF),
                                 static_cast<unsigned char>((color >> 8) & 0xFF),
                                 static_cast<unsigned char>((color >> 16) & 0xFF))));
    dc.DrawRectangle(rect);
}

void CItemComboBox::OnDrawBackground(wxDC&, const wxRect&, int, int) const
{
    // OnDrawItem paints the whole item, background included.
}

void CItemComboBox::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const
{
    if (item < 0)
        return;
    const bool disabled = !IsEnabled();
    const bool selected = (flags & wxODCB_PAINTING_SELECTED) != 0;
    const bool focused = (flags & wxODCB_PAINTING_CONTROL) != 0 && HasFocus();
    const long value = GetItemValue(item);
    PaintOwnerDrawnComboItem(
        dc, rect, GetString(static_cast<unsigned>(item)), selected, focused, disabled,
        [this, value, disabled](wxDC& target, const wxRect& image)
        {
            // A disabled combo shows a grey picture, as the colour combo does.
            if (disabled)
            {
                target.SetPen(*wxBLACK_PEN);
                target.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT)));
                target.DrawRectangle(image);
                return;
            }
            DrawItemImage(target, image, value);
        });
}

void CItemComboBox::OnLeftDown(wxMouseEvent& event)
{
    // A click first takes the focus, then opens the list.
    if (!HasFocus())
        SetFocus();
    event.Skip();
}

CMarkerComboBox::CMarkerComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : CItemComboBox(parent, id, pos, size)
{
}

void CMarkerComboBox::SetSymbols(MarkerComboSymbols symbols)
{
    m_symbols = std::move(symbols);
}

void CMarkerComboBox::FillList()
{
    Clear();
    if (!m_symbols.name)
        return;
    for (int code = 0; code < m_symbols.count; ++code)
    {
        if (!AddItem(wxString::FromUTF8(m_symbols.name(code)), code))
            break;
    }
}

void CMarkerComboBox::DrawItemImage(wxDC& dc, const wxRect& rect, long value) const
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(rect);
    if (!m_symbols.draw)
        return;
    const int left = rect.GetLeft();
    const int right = rect.GetLeft() + rect.GetWidth();
    const int top = rect.GetTop();
    const int bottom = rect.GetTop() + rect.GetHeight();
    // The context's default pen and brush: a filled box is drawn white inside a black outline.
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    m_symbols.draw(dc, (left + right) / 2, (top + bottom) / 2, (right - left) / 2, static_cast<int>(value));
}
