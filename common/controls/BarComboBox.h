// The drop-down lists of the main window's bars: CBarComboBox sits over a status-bar pane and sizes
// its list to its items and the screen; CHistoryComboBox keeps a bounded list in its own font;
// CComboToolBar holds history combos in its slots and hands their selections to the measurement
// window through a target the owner installs. The free functions place a control over the
// status-bar pane that carries its id.
// User-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/odcombo.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

// Gives the panes of a status bar their ids (pane i gets ids[i]); the pane functions find panes by
// these ids.
void SetStatusPaneIds(wxStatusBar& bar, const std::vector<int>& ids);
// The pane index that carries `id`, or −1.
int FindStatusPane(const wxStatusBar& bar, int id);

// The rectangle of the pane with the id in the bar's client coordinates, its text cleared: true. A
// pane that is not there or has no area: false, and the rectangle is a strip one pixel wide just
// right of the bar's window rectangle in screen coordinates.
bool GetStatusPaneRect(wxStatusBar& bar, int paneId, wxRect& rect);
// Moves and sizes a window whose parent is a status bar over the pane with the window's own id, on
// top of its siblings. Windows not yet created or not in a status bar are left alone.
void FitToStatusPane(wxWindow* window);

// The window height of a drop-down list (in the rule of a combo whose window height includes its
// list): `count` items of `itemHeight`, `itemLimit` shown items (0: all), the combo's screen top
// and bottom and the screen height.
int BarComboDropHeight(int count, int itemHeight, int itemLimit, int top, int bottom, int screenHeight);

class CBarComboBox : public wxOwnerDrawnComboBox
{
public:
    CBarComboBox() = default;
    // Creates the list over the pane with the id `paneId` of the status bar, with that id and the
    // bar's font; false when creation fails. `style` adds to a read-only list.
    bool CreateInStatusBar(wxStatusBar* bar, int paneId, long style = 0);

    // Sizes the list for the items and the screen (runs whenever the list opens); the window
    // height of the rule.
    int OnDropDown();
    // The item height of the list.
    int GetItemHeight() const;

    void ShowPopup() override;

    int m_nItemLimit = 0;   // items the list shows; 0 = all
    int m_nDropHeight = 0;  // the window height of the last OnDropDown
};

class CHistoryComboBox : public wxOwnerDrawnComboBox
{
public:
    CHistoryComboBox() = default;
    // A read-only list with its font; false when the window or the font cannot be made.
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, int dropHeight);

    // The font from a height in the LOGFONT sense (negative: character height in pixels), a weight
    // and a face; false when no such font can be made.
    bool CreateControlFont(int height, int weight, const std::string& face);
    // Adds a text at the end of the list (an equal entry, ignoring case, moves there; a full list
    // gives up its last entry first); the index of the entry, or −1 for an empty text.
    int AddToHistory(const std::string& text);

    wxFont m_font;
    int m_nMaxEntries = 10;
    int m_nFontHeight = -10;
    int m_nFontWeight = 400;
    std::string m_strFontFace = "MS Sans Serif";
};

// What a tool-bar combo hands its selection to: the window message number and the combo; false
// when there is no measurement window to take it.
using ComboMessageTarget = std::function<bool(unsigned message, CHistoryComboBox& combo)>;

class CComboToolBar : public wxToolBar
{
public:
    CComboToolBar() = default;
    CComboToolBar(wxWindow* parent, wxWindowID id, long style);

    // Creates combo 1 or 2 (`which`) in slot `index` as a control of `width` pixels carrying `id`,
    // with the list height `dropHeight`; the combo (a child of the bar), or null when it cannot be
    // created.
    CHistoryComboBox* AddComboBox(int which, int index, int id, int width, int dropHeight);

    // Routes a command of a combo: a selection of the last added combo goes to the target as
    // m_nViewMessage. True when it was handed on.
    bool OnCommand(int id, CHistoryComboBox* sender);

    void SetTarget(ComboMessageTarget target) { m_target = std::move(target); }

    // Children of the bar, which destroys them; null until added.
    CHistoryComboBox* m_combo1 = nullptr;
    CHistoryComboBox* m_combo2 = nullptr;
    int m_nComboId = 0;
    unsigned m_nViewMessage = 0;

private:
    ComboMessageTarget m_target;
};
