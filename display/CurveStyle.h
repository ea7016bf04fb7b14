// How one curve is drawn: palette colour, line width, pen style, marker symbol and label. Plot
// channels, the math curve, channel and overlay settings, the view settings and the engine carry
// curve styles, copy them between each other, store them in the workspace file and in INI presets.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "display/ColorPalette.h"

class CArchive;

// Pen styles (the stored numbers).
inline constexpr int PEN_STYLE_SOLID = 0;
inline constexpr int PEN_STYLE_DASH = 1;
inline constexpr int PEN_STYLE_DOT = 2;
inline constexpr int PEN_STYLE_DASHDOT = 3;
inline constexpr int PEN_STYLE_DASHDOTDOT = 4;
inline constexpr int PEN_STYLE_NULL = 5;

// A pen as the painter is to make it. A geometric pen keeps its dash pattern at any width (and is
// filled with a solid brush of its colour); a cosmetic one is the plain kind.
struct PenDescription
{
    COLORREF color = 0;
    int width = 1;
    int style = PEN_STYLE_SOLID;
    bool geometric = false;

    friend bool operator==(const PenDescription&, const PenDescription&) = default;
};

class CCurveStyle
{
public:
    // Colour index 3 (red), width 1, solid, no marker, no label, no pen.
    CCurveStyle();

    // Copies colour index, width, pen style, marker and label; the pen and the stored colour stay
    // (the holder re-makes the pen afterwards).
    void CopyFrom(const CCurveStyle& other);
    // The palette colour of the colour index (black outside the palette).
    COLORREF GetColor() const;
    // The pen for this style; remembers its colour in m_color.
    PenDescription MakePen();
    // Makes the style's own pen (m_pen).
    void CreatePen();

    // int32 colour, pen style, width, marker, colour index, then the label as an archive string.
    // Loading does not re-make the pen.
    void Serialize(CArchive& ar);
    // Writes prefix + "Color Index", "Width", "Style", "Label", "Marker" and "Color" (the palette
    // colour in hexadecimal) into the section; false when a key could not be written.
    bool WriteIni(std::string_view iniPath, std::string_view section, std::string_view keyPrefix) const;

    int m_nColorIndex = PALETTE_RED;  // palette index 0..19
    int m_nWidth = 1;                 // pixels
    int m_nPenStyle = PEN_STYLE_SOLID;
    int m_nMarker = 0;  // marker symbol code, 0 none
    std::string m_strLabel;
    std::optional<PenDescription> m_pen;  // empty until made
    COLORREF m_color = 0;                 // the palette colour when the pen was last made
};
