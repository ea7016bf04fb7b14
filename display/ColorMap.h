// The colour map of the sonagram, its colour scale, the fading traces and the 3D waterfall: 256
// entries that run blue - cyan - yellow - red from the lowest to the highest level.
#pragma once

#include <array>

#include "display/ColorPalette.h"

struct ColorMapEntry
{
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const ColorMapEntry&, const ColorMapEntry&) = default;
};

inline constexpr int kColorMapSize = 256;

// Entry 0 (0, 0, 25) to entry 255 (254, 0, 0).
const std::array<ColorMapEntry, kColorMapSize>& GetColorMap();

// The entry of `value` on a range that runs from `high` (entry 0) to `low` (entry 255):
// trunc((high - value) / (high - low) x 255), clamped to 0..255 (a value that is not a number, or
// an empty range, gives entry 0). With high 0 and low 255 the value itself names the entry.
int ColorMapIndex(double value, double high, double low);
// The entry as a COLORREF (0x00BBGGRR).
COLORREF ColorMapRgb(double value, double high, double low);
// The entry with red and blue exchanged: the order of a 32-bit DIB pixel (0x00RRGGBB).
COLORREF ColorMapBgr(double value, double high, double low);
