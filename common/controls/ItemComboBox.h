// Read-only drop-down lists whose items show a picture beside their text: CItemComboBox paints
// the picture through DrawItemImage, CMarkerComboBox lists the curve marker symbols. The marker
// names and outlines belong to the plot, above this layer, so the owner hands them over in a
// MarkerComboSymbols. User-interface thread only.
#pragma once

#include <array>
#include <functional>
#include <string>

#include <wx/odcombo.h>

#include "common/controls/ColorComboBox.h"

// The list of a CItemComboBox whose class supplies none: two colours with placeholder names.
extern const std::array<NamedColor, 2> g_itemComboDefaults;

class CItemComboBox : public wxOwnerDrawnComboBox
{
public:
    CItemComboBox() = default;
    CItemComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize);
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);

    // Empties the list and adds the class's items (text and value).
    virtual void FillList();
    // Paints the picture of an item with the value into the rectangle: here the value as a colour,
    // framed in black.
    virtual void DrawItemImage(wxDC& dc, const wxRect& rect, long value) const;

    // The value stored with item n (0 for an index outside the list).
    long GetItemValue(int n) const;

protected:
    // Adds an item with its value; false when the list did not take it.
    bool AddItem(const wxString& text, long value);

    void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
    void OnDrawBackground(wxDC& dc, const wxRect& rect, int item, int flags) const override;

private:
    void OnLeftDown(wxMouseEvent& event);
};

// What the marker combo shows: the symbols' names and a painter of one symbol centred on (x, y)
// with half size halfSize, with the context's current pen.
struct MarkerComboSymbols
{
    int count = 0;
    std::function<std::string(int code)> name;
    std::function<void(wxDC& dc, int x, int y, int halfSize, int code)> draw;
};

class CMarkerComboBox : public CItemComboBox
{
public:
    CMarkerComboBox() = default;
    CMarkerComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxDefaultSize);

    // The symbols the list offers; set before FillList.
    void SetSymbols(MarkerComboSymbols symbols);

    // Empties the list and adds every symbol's name with its code as the value.
    void FillList() override;
    // White background and the symbol `value` centred in the rectangle, half as large as it is wide.
    void DrawItemImage(wxDC& dc, const wxRect& rect, long value) const override;

private:
    MarkerComboSymbols m_symbols;
};
