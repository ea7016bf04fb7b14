#include "display/ColorPalette.h"

#include <array>

#include "texts/TextTable.h"

namespace
{

constexpr std::array<COLORREF, kPaletteColorCount> kPalette = {
    0x000000,  // black
    0xFF0000,  // blue
    0x00FF00,  // green
    0x0000FF,  // red
    0x00FFFF,  // yellow
    0xFFFFFF,  // white
    0xAAAAAA,  // grey
    0xC8C8C8,  // light grey
    0x323232,  // dark grey
    0xFF9696,  // light blue
    0xFFFF00,  // cyan
    0xFF00FF,  // magenta
    0x004B74,  // brown
    0x006BFF,  // orange
    0x800080,  // purple
    0x008080,  // olive
    0x00D7FF,  // gold
    0xDCF5F5,  // beige
    0x82004B,  // indigo
    0xD0E040,  // turquoise
};

bool InPalette(int index)
{
    return index >= 0 && index < kPaletteColorCount;
}

}  // namespace

COLORREF GetPaletteColor(int index)
{
    return InPalette(index) ? kPalette[index] : 0;
}

std::string GetPaletteColorName(int index)
{
    return InPalette(index) ? GetText(kPaletteNameTextId + index) : std::string();
}

int ColorDistance(COLORREF a, COLORREF b)
{
    const int red = RedOf(a) - RedOf(b);
    const int green = GreenOf(a) - GreenOf(b);
    const int blue = BlueOf(a) - BlueOf(b);
    return red * red + green * green + blue * blue;
}

int FindNearestPaletteColor(COLORREF color)
{
    int nearest = 0;
    int best = ColorDistance(color, kPalette[0]);
    for (int i = 1; i < kPaletteColorCount; ++i)
    {
        const int distance = ColorDistance(color, kPalette[i]);
        // Strictly smaller: of equally near colours the lowest index stays.
        if (distance < best)
        {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}
