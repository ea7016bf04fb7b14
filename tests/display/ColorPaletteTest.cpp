#include "display/ColorPalette.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/display/ScopedLanguage.h"
#include "tests/support/TempHome.h"

namespace
{

using displaytest::ScopedLanguage;

class ColorPaletteTest : public testsupport::TempHomeTest
{
};

struct PaletteRow
{
    int index;
    COLORREF color;
    const char* english;
    const char* german;
};

const PaletteRow kPaletteRows[] = {
    {0, 0x000000, "black", "schwarz"},
    {1, 0xFF0000, "blue", "blau"},
    {2, 0x00FF00, "green", "gr\xC3\xBCn"},
    {3, 0x0000FF, "red", "rot"},
    {4, 0x00FFFF, "yellow", "gelb"},
    {5, 0xFFFFFF, "white", "wei\xC3\x9F"},
    {6, 0xAAAAAA, "grey", "grau"},
    {7, 0xC8C8C8, "light grey", "hellgrau"},
    {8, 0x323232, "dark grey", "dunkelgrau"},
    {9, 0xFF9696, "light blue", "hellblau"},
    {10, 0xFFFF00, "cyan", "cyan"},
    {11, 0xFF00FF, "magenta", "magenta"},
    {12, 0x004B74, "brown", "braun"},
    {13, 0x006BFF, "orange", "orange"},
    {14, 0x800080, "purple", "violett"},
    {15, 0x008080, "olive", "oliv"},
    {16, 0x00D7FF, "gold", "gold"},
    {17, 0xDCF5F5, "beige", "beige"},
    {18, 0x82004B, "indigo", "indigo"},
    {19, 0xD0E040, "turquoise", "t\xC3\xBCrkis"},
};

TEST_F(ColorPaletteTest, EveryIndexHasItsColourAndTranslatedName)
{
    for (const PaletteRow& row : kPaletteRows)
    {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(GetPaletteColor(row.index), row.color);
        {
            ScopedLanguage english(LANGUAGE_ENGLISH);
            EXPECT_EQ(GetPaletteColorName(row.index), row.english);
        }
        {
            ScopedLanguage german(LANGUAGE_GERMAN);
            EXPECT_EQ(GetPaletteColorName(row.index), row.german);
        }
    }
}

TEST_F(ColorPaletteTest, IndicesOutsideThePaletteAreBlackAndNameless)
{
    ScopedLanguage english(LANGUAGE_ENGLISH);
    for (int index : {-1, 20, 21, 1000, INT_MIN, INT_MAX})
    {
        SCOPED_TRACE(index);
        EXPECT_EQ(GetPaletteColor(index), 0u);
        EXPECT_EQ(GetPaletteColorName(index), "");
    }
}

TEST_F(ColorPaletteTest, ComponentsFollowTheStoredByteOrder)
{
    // 0x00BBGGRR: red in the low byte.
    EXPECT_EQ(RgbColor(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(RedOf(0x563412), 0x12);
    EXPECT_EQ(GreenOf(0x563412), 0x34);
    EXPECT_EQ(BlueOf(0x563412), 0x56);
    EXPECT_EQ(BlueOf(0xFF123456), 0x12);  // the top byte is no colour
}

TEST_F(ColorPaletteTest, ColorDistanceIsTheSquaredRgbDistance)
{
    const struct
    {
        COLORREF a;
        COLORREF b;
        int expected;
    } cases[] = {
        {0x000000, 0x000000, 0},
        {0x000000, 0xFFFFFF, 3 * 255 * 255},
        {0x010203, 0x000000, 9 + 4 + 1},
        {0x000000, 0x010203, 14},
        {0x0000FF, 0xFF0000, 2 * 255 * 255},
        {0x7F7F7F, 0xAAAAAA, 3 * 43 * 43},
        {0x0A14FF, 0x0000FF, 20 * 20 + 10 * 10},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << c.a << " " << c.b);
        EXPECT_EQ(ColorDistance(c.a, c.b), c.expected);
    }
}

TEST_F(ColorPaletteTest, NearestPaletteColour)
{
    const struct
    {
        COLORREF color;
        int expected;
    } cases[] = {
        {0x7F7F7F, 6},                 // grey: 3*43^2 against light grey's 3*73^2 and dark grey's 3*77^2
        {0x000001, 0}, {0xB4B4B4, 6},  // 3*10^2 to grey, 3*20^2 to light grey
        {0x0A14FF, 3},                 // red
        {0x787878, 6},                 // 3*50^2 to grey, 3*70^2 to dark grey
        {0xB47878, 6},                 // 5100 to grey, 7425 to light blue
        {0x191919, 0},                 // as near to black as to dark grey (3*25^2): the lower index wins
        {0xFFFFFE, 5},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << c.color);
        EXPECT_EQ(FindNearestPaletteColor(c.color), c.expected);
    }
}

TEST_F(ColorPaletteTest, EveryPaletteColourFindsItself)
{
    for (const PaletteRow& row : kPaletteRows)
        EXPECT_EQ(FindNearestPaletteColor(row.color), row.index) << row.english;
}

}  // namespace
