#include "common/controls/ColorComboBox.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include <wx/dc.h>
#include <wx/renderer.h>
#include <wx/settings.h>

namespace
{

constexpr COLORREF RgbValue(int red, int green, int blue)
{
    return static_cast<COLORREF>(red | (green << 8) | (blue << 16));
}

wxColour ToWxColour(COLORREF color)
{
    return wxColour(static_cast<unsigned char>(color & 0xFF), static_cast<unsigned char>((color >> 8) & 0xFF),
                    static_cast<unsigned char>((color >> 16) & 0xFF));
}

// A combo's client data carries the item's value itself, not a pointer.
void* ValueAsClientData(COLORREF value)
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
}

COLORREF ClientDataAsValue(void* data)
{
    return static_cast<COLORREF>(reinterpret_cast<std::uintptr_t>(data));
}

}  // namespace

// clang-format off
const std::array<NamedColor, kNamedColorCount> g_namedColors = {{
    {RgbValue(0xF0, 0xF8, 0xFF), "AliceBlue"},
    {RgbValue(0xFA, 0xEB, 0xD7), "AntiqueWhite"},
    {RgbValue(0x00, 0xFF, 0xFF), "Aqua"},
    {RgbValue(0x7F, 0xFF, 0xD4), "Aquamarine"},
    {RgbValue(0xF0, 0xFF, 0xFF), "Azure"},
    {RgbValue(0xF5, 0xF5, 0xDC), "Beige"},
    {RgbValue(0xFF, 0xE4, 0xC4), "Bisque"},
    {RgbValue(0x00, 0x00, 0x00), "Black"},
    {RgbValue(0xFF, 0xEB, 0xCD), "BlanchedAlmond"},
    {RgbValue(0x00, 0x00, 0xFF), "Blue"},
    {RgbValue(0x8A, 0x2B, 0xE2), "BlueViolet"},
    {RgbValue(0xA5, 0x2A, 0x2A), "Brown"},
    {RgbValue(0xDE, 0xB8, 0x87), "BurlyWood"},
    {RgbValue(0x5F, 0x9E, 0xA0), "CadetBlue"},
    {RgbValue(0x7F, 0xFF, 0x00), "Chartreuse"},
    {RgbValue(0xD2, 0x69, 0x1E), "Chocolate"},
    {RgbValue(0xFF, 0x7F, 0x50), "Coral"},
    {RgbValue(0x64, 0x95, 0xED), "CornflowerBlue"},
    {RgbValue(0xFF, 0xF8, 0xDC), "Cornsilk"},
    {RgbValue(0xDC, 0x14, 0x3C), "Crimson"},
    {RgbValue(0x00, 0xFF, 0xFF), "Cyan"},
    {RgbValue(0x00, 0x00, 0x8B), "DarkBlue"},
    {RgbValue(0x00, 0x8B, 0x8B), "DarkCyan"},
    {RgbValue(0xB8, 0x86, 0x0B), "DarkGoldenrod"},
    {RgbValue(0xA9, 0xA9, 0xA9), "DarkGray"},
    {RgbValue(0x00, 0x64, 0x00), "DarkGreen"},
    {RgbValue(0xBD, 0xB7, 0x6B), "DarkKhaki"},
    {RgbValue(0x8B, 0x00, 0x8B), "DarkMagenta"},
    {RgbValue(0x55, 0x6B, 0x2F), "DarkOliveGreen"},
    {RgbValue(0xFF, 0x8C, 0x00), "DarkOrange"},
    {RgbValue(0x99, 0x32, 0xCC), "DarkOrchid"},
    {RgbValue(0x8B, 0x00, 0x00), "DarkRed"},
    {RgbValue(0xE9, 0x96, 0x7A), "DarkSalmon"},
    {RgbValue(0x8F, 0xBC, 0x8F), "DarkSeaGreen"},
    {RgbValue(0x48, 0x3D, 0x8B), "DarkSlateBlue"},
    {RgbValue(0x2F, 0x4F, 0x4F), "DarkSlateGray"},
    {RgbValue(0x00, 0xCE, 0xD1), "DarkTurquoise"},
    {RgbValue(0x94, 0x00, 0xD3), "DarkViolet"},
    {RgbValue(0xFF, 0x14, 0x93), "DeepPink"},
    {RgbValue(0x00, 0xBF, 0xFF), "DeepSkyBlue"},
    {RgbValue(0x69, 0x69, 0x69), "DimGray"},
    {RgbValue(0x1E, 0x90, 0xFF), "DodgerBlue"},
    {RgbValue(0xB2, 0x22, 0x22), "FireBrick"},
    {RgbValue(0xFF, 0xFA, 0xF0), "FloralWhite"},
    {RgbValue(0x22, 0x8B, 0x22), "ForestGreen"},
    {RgbValue(0xFF, 0x00, 0xFF), "Fuchsia"},
    {RgbValue(0xDC, 0xDC, 0xDC), "Gainsboro"},
    {RgbValue(0xF8, 0xF8, 0xFF), "GhostWhite"},
    {RgbValue(0xFF, 0xD7, 0x00), "Gold"},
    {RgbValue(0xDA, 0xA5, 0x20), "Goldenrod"},
    {RgbValue(0x80, 0x80, 0x80), "Gray"},
    {RgbValue(0x00, 0x80, 0x00), "Green"},
    {RgbValue(0xAD, 0xFF, 0x2F), "GreenYellow"},
    {RgbValue(0xF0, 0xFF, 0xF0), "Honeydew"},
    {RgbValue(0xFF, 0x69, 0xB4), "HotPink"},
    {RgbValue(0xCD, 0x5C, 0x5C), "IndianRed"},
    {RgbValue(0x4B, 0x00, 0x82), "Indigo"},
    {RgbValue(0xFF, 0xFF, 0xF0), "Ivory"},
    {RgbValue(0xF0, 0xE6, 0x8C), "Khaki"},
    {RgbValue(0xE6, 0xE6, 0xFA), "Lavender"},
    {RgbValue(0xFF, 0xF0, 0xF5), "LavenderBlush"},
    {RgbValue(0x7C, 0xFC, 0x00), "LawnGreen"},
    {RgbValue(0xFF, 0xFA, 0xCD), "LemonChiffon"},
    {RgbValue(0xAD, 0xD8, 0xE6), "LightBlue"},
    {RgbValue(0xF0, 0x80, 0x80), "LightCoral"},
    {RgbValue(0xE0, 0xFF, 0xFF), "LightCyan"},
    {RgbValue(0xFA, 0xFA, 0xD2), "LightGoldenrodYellow"},
    {RgbValue(0x90, 0xEE, 0x90), "LightGreen"},
    {RgbValue(0xD3, 0xD3, 0xD3), "LightGrey"},
    {RgbValue(0xFF, 0xB6, 0xC1), "LightPink"},
    {RgbValue(0xFF, 0xA0, 0x7A), "LightSalmon"},
    {RgbValue(0x20, 0xB2, 0xAA), "LightSeaGreen"},
    {RgbValue(0x87, 0xCE, 0xFA), "LightSkyBlue"},
    {RgbValue(0x77, 0x88, 0x99), "LightSlateGray"},
    {RgbValue(0xB0, 0xC4, 0xDE), "LightSteelBlue"},
    {RgbValue(0xFF, 0xFF, 0xE0), "LightYellow"},
    {RgbValue(0x00, 0xFF, 0x00), "Lime"},
    {RgbValue(0x32, 0xCD, 0x32), "LimeGreen"},
    {RgbValue(0xFA, 0xF0, 0xE6), "Linen"},
    {RgbValue(0xFF, 0x00, 0xFF), "Magenta"},
    {RgbValue(0x80, 0x00, 0x00), "Maroon"},
    {RgbValue(0x66, 0xCD, 0xAA), "MediumAquamarine"},
    {RgbValue(0x00, 0x00, 0xCD), "MediumBlue"},
    {RgbValue(0xBA, 0x55, 0xD3), "MediumOrchid"},
    {RgbValue(0x93, 0x70, 0xDB), "MediumPurple"},
    {RgbValue(0x3C, 0xB3, 0x71), "MediumSeaGreen"},
    {RgbValue(0x7B, 0x68, 0xEE), "MediumSlateBlue"},
    {RgbValue(0x00, 0xFA, 0x9A), "MediumSpringGreen"},
    {RgbValue(0x48, 0xD1, 0xCC), "MediumTurquoise"},
    {RgbValue(0xC7, 0x15, 0x85), "MediumVioletRed"},
    {RgbValue(0x19, 0x19, 0x70), "MidnightBlue"},
    {RgbValue(0xF5, 0xFF, 0xFA), "MintCream"},
    {RgbValue(0xFF, 0xE4, 0xE1), "MistyRose"},
    {RgbValue(0xFF, 0xE4, 0xB5), "Moccasin"},
    {RgbValue(0xFF, 0xDE, 0xAD), "NavajoWhite"},
    {RgbValue(0x00, 0x00, 0x80), "Navy"},
    {RgbValue(0xFD, 0xF5, 0xE6), "OldLace"},
    {RgbValue(0x80, 0x80, 0x00), "Olive"},
    {RgbValue(0x6B, 0x8E, 0x23), "OliveDrab"},
    {RgbValue(0xFF, 0xA5, 0x00), "Orange"},
    {RgbValue(0xFF, 0x45, 0x00), "OrangeRed"},
    {RgbValue(0xDA, 0x70, 0xD6), "Orchid"},
    {RgbValue(0xEE, 0xE8, 0xAA), "PaleGoldenrod"},
    {RgbValue(0x98, 0xFB, 0x98), "PaleGreen"},
    {RgbValue(0xAF, 0xEE, 0xEE), "PaleTurquoise"},
    {RgbValue(0xDB, 0x70, 0x93), "PaleVioletRed"},
    {RgbValue(0xFF, 0xEF, 0xD5), "PapayaWhip"},
    {RgbValue(0xFF, 0xDA, 0xB9), "PeachPuff"},
    {RgbValue(0xCD, 0x85, 0x3F), "Peru"},
    {RgbValue(0xFF, 0xC0, 0xCB), "Pink"},
    {RgbValue(0xDD, 0xA0, 0xDD), "Plum"},
    {RgbValue(0xB0, 0xE0, 0xE6), "PowderBlue"},
    {RgbValue(0x80, 0x00, 0x80), "Purple"},
    {RgbValue(0xFF, 0x00, 0x00), "Red"},
    {RgbValue(0xBC, 0x8F, 0x8F), "RosyBrown"},
    {RgbValue(0x41, 0x69, 0xE1), "RoyalBlue"},
    {RgbValue(0x8B, 0x45, 0x13), "SaddleBrown"},
    {RgbValue(0xFA, 0x80, 0x72), "Salmon"},
    {RgbValue(0xF4, 0xA4, 0x60), "SandyBrown"},
    {RgbValue(0x2E, 0x8B, 0x57), "SeaGreen"},
    {RgbValue(0xFF, 0xF5, 0xEE), "Seashell"},
    {RgbValue(0xA0, 0x52, 0x2D), "Sienna"},
    {RgbValue(0xC0, 0xC0, 0xC0), "Silver"},
    {RgbValue(0x87, 0xCE, 0xEB), "SkyBlue"},
    {RgbValue(0x6A, 0x5A, 0xCD), "SlateBlue"},
    {RgbValue(0x70, 0x80, 0x90), "SlateGray"},
    {RgbValue(0xFF, 0xFA, 0xFA), "Snow"},
    {RgbValue(0x00, 0xFF, 0x7F), "SpringGreen"},
    {RgbValue(0x46, 0x82, 0xB4), "SteelBlue"},
    {RgbValue(0xD2, 0xB4, 0x8C), "Tan"},
    {RgbValue(0x00, 0x80, 0x80), "Teal"},
    {RgbValue(0xD8, 0xBF, 0xD8), "Thistle"},
    {RgbValue(0xFF, 0x63, 0x47), "Tomato"},
    {RgbValue(0x40, 0xE0, 0xD0), "Turquoise"},
    {RgbValue(0xEE, 0x82, 0xEE), "Violet"},
    {RgbValue(0xF5, 0xDE, 0xB3), "Wheat"},
    {RgbValue(0xFF, 0xFF, 0xFF), "White"},
    {RgbValue(0xF5, 0xF5, 0xF5), "WhiteSmoke"},
    {RgbValue(0xFF, 0xFF, 0x00), "Yellow"},
    {RgbValue(0x9A, 0xCD, 0x32), "YellowGreen"},
}};
// clang-format on

wxRect OwnerDrawnComboImageRect(const wxRect& item)
{
    // The picture ends at a quarter of the item's width counted from x = 0, not from the item's left
    // edge: items start at the left of their list, where both are the same.
    const int quarter = item.GetWidth() / 4;
    const int left = item.GetLeft() + 2;
    const int top = item.GetTop() + 2;
    const int bottom = item.GetTop() + item.GetHeight() - 2;
    return wxRect(left, top, std::max(0, quarter - left), std::max(0, bottom - top));
}

void PaintOwnerDrawnComboItem(wxDC& dc, const wxRect& item, const wxString& text, bool selected, bool focused,
                              bool disabled, const std::function<void(wxDC&, const wxRect&)>& drawImage)
{
    const wxColour window = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    const wxColour windowText = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);

    wxColour textColour = windowText;
    wxColour background = window;
    if (selected)
    {
        // The inverse of the window text, so that the text stays readable on any scheme.
        textColour = wxColour(255 - windowText.Red(), 255 - windowText.Green(), 255 - windowText.Blue());
        background = highlight;
    }
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(background));
    dc.DrawRectangle(item);
    if (focused)
    {
        if (wxWindow* owner = dc.GetWindow())
            wxRendererNative::Get().DrawFocusRect(owner, dc, item);
    }

    const int quarter = item.GetWidth() / 4;
    if (disabled)
        textColour = wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(textColour);
    // One tab stop every 50 pixels from the text's start.
    int x = item.GetLeft() + quarter + 2;
    const int origin = x;
    wxString run;
    for (const wxUniChar c : text)
    {
        if (c == '\t')
        {
            dc.DrawText(run, x, item.GetTop() + 2);
            x += dc.GetTextExtent(run).GetWidth();
            run.clear();
            x = origin + ((x - origin) / 50 + 1) * 50;
        }
        else
        {
            run += c;
        }
    }
    if (!run.empty())
        dc.DrawText(run, x, item.GetTop() + 2);

    const wxRect image = OwnerDrawnComboImageRect(item);
    if (image.GetWidth() > 0 && image.GetHeight() > 0)
        drawImage(dc, image);
}

CColorComboBox::CColorComboBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    Create(parent, id, pos, size);
}

bool CColorComboBox::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    if (!wxOwnerDrawnComboBox::Create(parent, id, wxEmptyString, pos, size, 0, nullptr, wxCB_READONLY))
        return false;
    Bind(wxEVT_LEFT_DOWN, &CColorComboBox::OnLeftDown, this);
    return true;
}

void CColorComboBox::SetPalette(ColorComboPalette palette)
{
    m_palette = std::move(palette);
}

void CColorComboBox::FillList()
{
    Clear();
    const bool palette = m_bPalette && m_palette.color && m_palette.name;
    const int count = m_bPalette ? (palette ? m_palette.count : 0) : kNamedColorCount;
    m_nCount = count;
    for (int i = 0; i < count; ++i)
    {
        const COLORREF value = palette ? m_palette.color(i) : g_namedColors[i].crColor;
        const wxString text =
            palette ? wxString::FromUTF8(m_palette.name(i)) : wxString::FromUTF8(g_namedColors[i].szName);
        if (Append(text, ValueAsClientData(value)) < 0)
            break;
    }
}

COLORREF CColorComboBox::GetItemColor(int n) const
{
    if (n < 0 || n >= static_cast<int>(GetCount()))
        return 0;
    return ClientDataAsValue(GetClientData(static_cast<unsigned>(n)));
}

COLORREF CColorComboBox::GetSelectedColor() const
{
    return GetItemColor(GetSelection());
}

void CColorComboBox::SelectColor(COLORREF color)
{
    const int count = static_cast<int>(GetCount());
    if (m_bPalette)
    {
        if (!m_palette.nearest)
            return;
        const int index = m_palette.nearest(color);
        if (index >= 0 && index < count)
            SetSelection(index);
        return;
    }
    for (int i = 0; i < count; ++i)
    {
        if (GetItemColor(i) == color)
        {
            SetSelection(i);
            return;
        }
    }
}

void CColorComboBox::OnDrawBackground(wxDC&, const wxRect&, int, int) const
{
    // OnDrawItem paints the whole item, background included.
}

void CColorComboBox::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const
{
    if (item < 0)
        return;
    const bool disabled = !IsEnabled();
    const bool selected = (flags & wxODCB_PAINTING_SELECTED) != 0;
    const bool focused = (flags & wxODCB_PAINTING_CONTROL) != 0 && HasFocus();
    const COLORREF value = GetItemColor(item);
    PaintOwnerDrawnComboItem(
        dc, rect, GetString(static_cast<unsigned>(item)), selected, focused, disabled,
        [value, disabled](wxDC& target, const wxRect& image)
        {
            target.SetPen(*wxBLACK_PEN);
            target.SetBrush(
                wxBrush(disabled ? wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT) : ToWxColour(value)));
            target.DrawRectangle(image);
        });
}

void CColorComboBox::OnLeftDown(wxMouseEvent& event)
{
    // A click first takes the focus, then opens the list.
    if (!HasFocus())
        SetFocus();
    event.Skip();
}
