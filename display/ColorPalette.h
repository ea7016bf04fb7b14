// The fixed palette of 20 named plot colours that curve styles and colour schemes refer to by
// index, and the colour arithmetic around it. Colours are stored as 32-bit 0x00BBGGRR values (the
// COLORREF form of the workspace files); the painter turns them into real pens and brushes.
#pragma once

#include <cstdint>
#include <string>

// A colour in the stored form 0x00BBGGRR: red in the low byte, blue in the third.
using COLORREF = std::uint32_t;

constexpr COLORREF RgbColor(int red, int green, int blue)
{
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(COLORREF color)
{
    return static_cast<int>(color & 0xFF);
}
constexpr int GreenOf(COLORREF color)
{
    return static_cast<int>((color >> 8) & 0xFF);
}
constexpr int BlueOf(COLORREF color)
{
    return static_cast<int>((color >> 16) & 0xFF);
}

// Palette indices run 0..kPaletteColorCount-1.
inline constexpr int kPaletteColorCount = 20;
// The displayed name of palette colour i is the table text kPaletteNameTextId + i.
inline constexpr int kPaletteNameTextId = 1000086;

// Palette indices that other code names.
inline constexpr int PALETTE_BLACK = 0;
inline constexpr int PALETTE_BLUE = 1;
inline constexpr int PALETTE_RED = 3;
inline constexpr int PALETTE_WHITE = 5;
inline constexpr int PALETTE_GREY = 6;
inline constexpr int PALETTE_DARK_GREY = 8;

// The colour of a palette index; black for an index outside the palette.
COLORREF GetPaletteColor(int index);
// The translated name of a palette index (current language); empty outside the palette.
std::string GetPaletteColorName(int index);
// Squared distance of two colours in RGB space.
int ColorDistance(COLORREF a, COLORREF b);
// The palette index nearest to the colour; of equally near ones the lowest index.
int FindNearestPaletteColor(COLORREF color);
