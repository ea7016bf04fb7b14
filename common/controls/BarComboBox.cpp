#include "common/controls/BarComboBox.h"

#include <wx/clntdata.h>
#include <wx/display.h>

#include <algorithm>

namespace
{

// The pane ids of a status bar, kept with the bar.
class StatusPaneIds : public wxClientData
{
public:
    explicit StatusPaneIds(std::vector<int> ids) : m_ids(std::move(ids)) {}
    std::vector<int> m_ids;
};

}  // namespace

void SetStatusPaneIds(wxStatusBar& bar, const std::vector<int>& ids)
{
    bar.SetClientObject(new StatusPaneIds(ids));
}

int FindStatusPane(const wxStatusBar& bar, int id)
{
    const auto* ids = dynamic_cast<const StatusPaneIds*>(bar.GetClientObject());
    if (!ids)
        return -1;
    const auto it = std::find(ids->m_ids.begin(), ids->m_ids.end(), id);
    if (it == ids->m_ids.end())
        return -1;
    const int pane = static_cast<int>(it - ids->m_ids.begin());
    return pane < bar.GetFieldsCount() ? pane : -1;
}

bool GetStatusPaneRect(wxStatusBar& bar, int paneId, wxRect& rect)
{
    const int pane = FindStatusPane(bar, paneId);
    wxRect field;
    if (pane >= 0)
    {
        bar.SetStatusText(wxString(), pane);
        bar.GetFieldRect(pane, field);
    }
    if (pane < 0 || field.IsEmpty())
    {
        const wxRect window = bar.GetScreenRect();
        rect = wxRect(window.GetRight() + 2, window.GetTop(), 1, window.GetHeight());
        return false;
    }
    rect = field;
    return true;
}

void FitToStatusPane(wxWindow* window)
{
    if (!window || !window->GetHandle())
        return;
    auto* bar = dynamic_cast<wxStatusBar*>(window->GetParent());
    if (!bar)
        return;
    wxRect rect;
    if (!GetStatusPaneRect(*bar, window->GetId(), rect))
        return;
    window->SetSize(rect);
    window->Raise();
}

int BarComboDropHeight(int count, int itemHeight, int itemLimit, int top, int bottom, int screenHeight)
{
    const int h = std::max(itemHeight, 1);
    const int n = std::max(itemLimit > 0 ? itemLimit : count, 2);
    int height = h * (n + 2);
    if (itemLimit <= 0 && (top - height < 0 || bottom + height > screenHeight))
        height = h * std::max(top / h, (screenHeight - bottom) / h);
    return height;
}

bool CBarComboBox::CreateInStatusBar(wxStatusBar* bar, int paneId, long style)
{
    if (!bar)
        return false;
    wxRect rect;
    GetStatusPaneRect(*bar, paneId, rect);
    if (!wxOwnerDrawnComboBox::Create(bar, paneId, wxString(), rect.GetPosition(), rect.GetSize(), 0, nullptr,
                                      style | wxCB_READONLY))
        return false;
    SetFont(bar->GetFont());
    Refresh();
    return true;
}

int CBarComboBox::GetItemHeight() const
{
    const int measured = OnMeasureItem(0);
    return measured > 0 ? static_cast<int>(measured) : GetCharHeight() + 2;
}

int CBarComboBox::OnDropDown()
{
    const wxRect r = GetScreenRect();
    const int display = wxDisplay::GetFromWindow(this);
    const wxRect screen =
        wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetGeometry();
    m_nDropHeight = BarComboDropHeight(static_cast<int>(GetCount()), GetItemHeight(), m_nItemLimit,
                                       r.GetTop(), r.GetBottom() + 1, screen.GetHeight());
    // The rule gives the height of the box with its list; the pop-up is the list alone.
    SetPopupMaxHeight(std::max(m_nDropHeight - GetSize().GetHeight(), GetItemHeight()));
    return m_nDropHeight;
}

void CBarComboBox::ShowPopup()
{
    OnDropDown();
    wxOwnerDrawnComboBox::ShowPopup();
}

bool CHistoryComboBox::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                              int dropHeight)
{
    if (!wxOwnerDrawnComboBox::Create(parent, id, wxString(), pos, size, 0, nullptr,
                                      wxCB_READONLY | wxVSCROLL | wxTAB_TRAVERSAL))
        return false;
    SetPopupMaxHeight(dropHeight);
    return CreateControlFont(m_nFontHeight, m_nFontWeight, m_strFontFace);
}

bool CHistoryComboBox::CreateControlFont(int height, int weight, const std::string& face)
{
    wxFontInfo info(wxSize(0, std::abs(height)));
    info.FaceName(wxString::FromUTF8(face)).Weight(weight);
    wxFont font(info);
    if (!font.IsOk())
        return false;
    m_font = font;
    SetFont(m_font);
    Refresh();
    return true;
}

int CHistoryComboBox::AddToHistory(const std::string& text)
{
    if (text.empty())
        return wxNOT_FOUND;
    const wxString entry = wxString::FromUTF8(text);
    const int existing = FindString(entry, false);
    if (existing != wxNOT_FOUND)
        Delete(static_cast<unsigned>(existing));
    if (m_nMaxEntries > 0 && static_cast<int>(GetCount()) >= m_nMaxEntries)
        Delete(static_cast<unsigned>(m_nMaxEntries - 1));
    return Append(entry);
}

CComboToolBar::CComboToolBar(wxWindow* parent, wxWindowID id, long style)
    : wxToolBar(parent, id, wxDefaultPosition, wxDefaultSize, style)
{
}

CHistoryComboBox* CComboToolBar::AddComboBox(int which, int index, int id, int width, int dropHeight)
{
    CHistoryComboBox*& slot = which == 2 ? m_combo2 : m_combo1;
    if (slot)
        return nullptr;
    auto* combo = new CHistoryComboBox;
    if (!combo->Create(this, id, wxPoint(0, 1), wxSize(width, -1), dropHeight))
    {
        delete combo;
        return nullptr;
    }
    const int position = std::clamp(index, 0, static_cast<int>(GetToolsCount()));
    if (!InsertControl(static_cast<size_t>(position), combo))
    {
        combo->Destroy();
        return nullptr;
    }
    slot = combo;
    m_nComboId = id;
    combo->Bind(wxEVT_COMBOBOX,
                [this, combo](wxCommandEvent& event)
                {
                    OnCommand(event.GetId(), combo);
                    event.Skip();
                });
    return combo;
}

bool CComboToolBar::OnCommand(int id, CHistoryComboBox* sender)
{
    if (id != m_nComboId || !sender || !m_target)
        return false;
    // A list always has a selection to report, so every selection of either combo is routed.
    for (CHistoryComboBox* combo : {m_combo1, m_combo2})
    {
        if (combo && combo == sender)
            return m_target(m_nViewMessage, *combo);
    }
    return false;
}
