// A read-only drop-down list of colours, each item a swatch beside its name: either the 140 named
// colours or, in palette mode, the plot palette that the owner hands over (the plot's palette lives
// above this layer, so the combo only knows it through ColorComboPalette).
// User-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include <wx/odcombo.h>

// A colour in the stored form 0x00BBGGRR (the same alias as the plot's colours).
using COLORREF = std::uint32_t;

struct NamedColor
{
    COLORREF crColor = 0;
    char szName[32] = {};  // always terminated
};

inline constexpr int kNamedColorCount = 140;

// The named colours (the web colour keywords written with "gray", plus "LightGrey"), in list order.
extern const std::array<NamedColor, kNamedColorCount> g_namedColors;

// The palette a colour combo offers in palette mode. The owner fills it from the plot's palette.
struct ColorComboPalette
{
    int count = 0;
    std::function<COLORREF(int index)> color;
    std::function<std::string(int index)> name;  // in the current language
    std::function<int(COLORREF color)> nearest;  // index of the nearest palette colour
};

// Paints one item of the owner-drawn combos: background, focus frame, the item's text at a quarter
// of the width and a picture (painted by `drawImage`) in the rectangle left of it.
// `selected`, `focused` and `disabled` are the item's states.
void PaintOwnerDrawnComboItem(wxDC& dc, const wxRect& item, const wxString& text, bool selected, bool focused,
                              bool disabled, const std::function<void(wxDC&, const wxRect&)>& drawImage);

// The picture rectangle PaintOwnerDrawnComboItem gives to an item rectangle.
wxRect OwnerDrawnComboImageRect(const wxRect& item);

class CColorComboBox : public wxOwnerDrawnComboBox
{
public:
    CColorComboBox() = default;
    CColorComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize);
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);

    // The palette used in palette mode.
    void SetPalette(ColorComboPalette palette);

    // Empties the list and adds the palette (palette mode) or the named colours; each item's data
    // is its colour.
    void FillList();
    // The colour of the selected item; 0 without a selection.
    COLORREF GetSelectedColor() const;
    // Palette mode: selects the nearest palette colour. Otherwise the first item of that colour;
    // an unknown colour leaves the selection as it is.
    void SelectColor(COLORREF color);
    // The colour stored with item n (0 for an index outside the list).
    COLORREF GetItemColor(int n) const;

    int m_nCount = 0;         // entries of the last fill
    bool m_bPalette = false;  // palette mode; set before FillList

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
    void OnDrawBackground(wxDC& dc, const wxRect& rect, int item, int flags) const override;

private:
    void OnLeftDown(wxMouseEvent& event);

    ColorComboPalette m_palette;
};
