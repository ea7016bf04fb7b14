#include "display/ColorScheme.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Archive.h"
#include "tests/support/FileBytes.h"

namespace
{

using Bytes = std::vector<std::uint8_t>;

void AppendWord(Bytes& bytes, std::uint32_t word)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(word >> shift));
}

Bytes Store(CColorScheme& scheme)
{
    CArchive ar;
    scheme.Serialize(ar);
    return ar.Buffer();
}

void Load(CColorScheme& scheme, const Bytes& bytes)
{
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    scheme.Serialize(ar);
}

std::string Hex(const Bytes& bytes, std::size_t from, std::size_t count)
{
    return testsupport::Hex(std::string_view(reinterpret_cast<const char*>(bytes.data()) + from, count));
}

void ExpectSameEntries(const CColorScheme& a, const CColorScheme& b, int from, int to)
{
    for (int role = from; role < to; ++role)
    {
        SCOPED_TRACE(role);
        EXPECT_EQ(a.GetEntry(role)->paletteIndex, b.GetEntry(role)->paletteIndex);
        EXPECT_EQ(a.GetEntry(role)->usePalette, b.GetEntry(role)->usePalette);
        EXPECT_EQ(a.GetEntry(role)->color, b.GetEntry(role)->color);
        EXPECT_EQ(a.GetColor(role), b.GetColor(role));
    }
}

TEST(ColorSchemeDefaults, NamedRoles)
{
    const struct
    {
        int role;
        const char* name;
        COLORREF color;
    } rows[] = {
        {0, "plot background", 0xB4B4B4},
        {1, "frame background", 0x969696},
        {2, "cursor marker fill", 0x0000FF},
        {3, "cursor marker pen", 0x000000},
        {4, "cursor marker text", 0x000000},
        {5, "THD marker fill", 0x787878},
        {6, "THD marker pen", 0x000000},
        {7, "THD marker text", 0x000000},
        {8, "IMD marker fill", 0x000000},
        {9, "IMD marker pen", 0x000000},
        {10, "IMD marker text", 0x000000},
        {11, "marker fill", 0xB47878},
        {12, "marker pen", 0x0A14FF},
        {13, "marker text", 0x000000},
        {14, "crosshair", 0x0000FF},
        {15, "measure rectangle", 0x00FF00},
        {16, "bar pen", 0x000000},
        {17, "bar peak pen", 0x000000},
        {18, "bar peak fill", 0x0000FF},
        {19, "grid X minor lines", 0x000000},
        {20, "grid X major lines", 0x000000},
        {21, "grid Y minor lines", 0x000000},
        {22, "grid Y major lines", 0x000000},
        {23, "label X", 0x000000},
        {24, "ticks X", 0x000000},
        {25, "axis X", 0x000000},
        {26, "label Y", 0x000000},
        {27, "ticks Y", 0x000000},
        {28, "axis Y", 0x000000},
        {29, "legend background", 0x000000},
        {30, "legend frame", 0xC8C8C8},
        {31, "Trigger marker 'scanning'", 0x00FF00},
        {32, "Trigger marker selected", 0x0000FF},
        {33, "Trigger marker 'trigger found'", 0xFF00FF},
        {34, "Trigger marker 'triggerd'", 0xFF0000},
        {35, "Trigger marker 'ready'", 0x787878},
        {36, "Text", 0x000000},
    };
    const CColorScheme scheme;
    EXPECT_EQ(scheme.GetCount(), 256);
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.role);
        const CColorScheme::Entry* entry = scheme.GetEntry(row.role);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->id, row.role);
        EXPECT_EQ(entry->name, row.name);
        EXPECT_EQ(entry->paletteIndex, 0);
        EXPECT_EQ(entry->usePalette, 0);
        EXPECT_EQ(scheme.GetColor(row.role), row.color);
    }
}

TEST(ColorSchemeDefaults, CurveOverlayAndFreeEntries)
{
    const struct
    {
        int role;
        int id;
        const char* name;
        COLORREF color;
    } rows[] = {
        {37, 0, "", 0},
        {63, 0, "", 0},
        {64, 64, "Curve #1", 0xFF0000},   // blue
        {65, 65, "Curve #2", 0x0000FF},   // red
        {66, 66, "Curve #3", 0xFFFF00},   // cyan
        {68, 68, "Curve #5", 0xAAAAAA},   // grey
        {69, 69, "Curve #6", 0x00FFFF},   // yellow
        {72, 72, "Curve #9", 0xFFFF00},   // cyan again
        {81, 81, "Curve #18", 0xD0E040},  // turquoise
        {82, 82, "Curve #19", 0x0000FF},  // red from 19 ...
        {88, 88, "Curve #25", 0x0000FF},  // ... to 25
        {89, 89, "Curve #26", 0x000000},  // black from 26
        {127, 127, "Curve #64", 0x000000},
        {128, 0, "", 0},
        {255, 0, "", 0},
        {256, 256, "Overlay #1", 0xFFFF00},   // cyan
        {257, 257, "Overlay #2", 0xFF00FF},   // magenta
        {258, 258, "Overlay #3", 0x00FFFF},   // yellow
        {259, 259, "Overlay #4", 0x006BFF},   // orange
        {263, 263, "Overlay #8", 0x800080},   // purple
        {265, 265, "Overlay #10", 0xDCF5F5},  // beige
        {266, 0, "", 0},
        {1023, 0, "", 0},
    };
    const CColorScheme scheme;
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.role);
        const CColorScheme::Entry* entry = scheme.GetEntry(row.role);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->id, row.id);
        EXPECT_EQ(entry->name, row.name);
        EXPECT_EQ(entry->usePalette, 0);
        EXPECT_EQ(scheme.GetColor(row.role), row.color);
    }
}

TEST(ColorSchemeAccess, PaletteFlagChoosesBetweenPaletteAndOwnColour)
{
    CColorScheme scheme;
    scheme.SetPaletteIndex(0, 13);
    EXPECT_EQ(scheme.GetPaletteIndex(0), 13);
    EXPECT_EQ(scheme.GetColor(0), 0xB4B4B4u) << "the flag is still 0: the own colour applies";
    scheme.SnapToPalette();
    scheme.SetColor(0, 0x123456);
    EXPECT_EQ(scheme.GetColor(0), 0xAAAAAAu) << "SetColor leaves the flag: the palette colour applies";
    EXPECT_EQ(scheme.GetEntry(0)->color, 0x123456u);
    scheme.SetPaletteIndex(0, 25);
    EXPECT_EQ(scheme.GetColor(0), 0u) << "a palette index outside the palette is black";
}

TEST(ColorSchemeAccess, RolesOutsideTheTableAreIgnored)
{
    CColorScheme scheme;
    for (int role : {-1, 1024, 1 << 30})
    {
        SCOPED_TRACE(role);
        scheme.SetColor(role, 0xFFFFFF);
        scheme.SetPaletteIndex(role, 5);
        EXPECT_EQ(scheme.GetColor(role), 0u);
        EXPECT_EQ(scheme.GetPaletteIndex(role), 0);
        EXPECT_EQ(scheme.GetEntry(role), nullptr);
    }
}

TEST(ColorSchemeSnap, TakesTheNearestPaletteColourOfTheStoredEntries)
{
    CColorScheme scheme;
    scheme.SnapToPalette();
    const struct
    {
        int role;
        int palette;
        COLORREF color;
    } rows[] = {
        {0, 6, 0xAAAAAA},    // 0xB4B4B4 becomes grey
        {1, 6, 0xAAAAAA},    // 0x969696: 3*20^2 to grey
        {12, 3, 0x0000FF},   // 0x0A14FF becomes red
        {30, 7, 0xC8C8C8},   // light grey exactly
        {64, 1, 0xFF0000},   // curve 1 blue
        {81, 19, 0xD0E040},  // curve 18 turquoise
        {100, 0, 0x000000},  // an unused entry: black
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.role);
        EXPECT_EQ(scheme.GetEntry(row.role)->usePalette, 1);
        EXPECT_EQ(scheme.GetPaletteIndex(row.role), row.palette);
        EXPECT_EQ(scheme.GetColor(row.role), row.color);
    }
    // Overlays lie beyond the 256 stored entries and keep their own colours.
    EXPECT_EQ(scheme.GetEntry(256)->usePalette, 0);
    EXPECT_EQ(scheme.GetColor(256), 0xFFFF00u);
}

TEST(ColorSchemeArchive, StoredFormOfANewScheme)
{
    CColorScheme scheme;
    const Bytes bytes = Store(scheme);
    ASSERT_EQ(bytes.size(), 4u + 256u * 20u);
    EXPECT_EQ(Hex(bytes, 0, 4), "00 01 00 00");
    // Entry 0: palette index, flag, then the colour three times.
    EXPECT_EQ(Hex(bytes, 4, 20), "00 00 00 00 00 00 00 00 b4 b4 b4 00 b4 b4 b4 00 b4 b4 b4 00");
    EXPECT_EQ(Hex(bytes, 24, 20), "00 00 00 00 00 00 00 00 96 96 96 00 96 96 96 00 96 96 96 00");
    // Entry 12 (marker pen 0x0A14FF).
    EXPECT_EQ(Hex(bytes, 4 + 12 * 20, 20), "00 00 00 00 00 00 00 00 ff 14 0a 00 ff 14 0a 00 ff 14 0a 00");
    // Entry 64 (curve 1, blue).
    EXPECT_EQ(Hex(bytes, 4 + 64 * 20, 20), "00 00 00 00 00 00 00 00 00 00 ff 00 00 00 ff 00 00 00 ff 00");
}

TEST(ColorSchemeArchive, StoredFormAfterSnapping)
{
    CColorScheme scheme;
    scheme.SnapToPalette();
    const Bytes bytes = Store(scheme);
    // The own colour stays what it was; index and flag say which palette colour applies.
    EXPECT_EQ(Hex(bytes, 4, 20), "06 00 00 00 01 00 00 00 b4 b4 b4 00 b4 b4 b4 00 b4 b4 b4 00");
    EXPECT_EQ(Hex(bytes, 4 + 12 * 20, 20), "03 00 00 00 01 00 00 00 ff 14 0a 00 ff 14 0a 00 ff 14 0a 00");
}

TEST(ColorSchemeArchive, LoadingTakesTheLastOfTheThreeColourWords)
{
    // Count 2; entry 0: index 5, flag 1, colours 0x111111, 0x222222, 0x123456; entry 1: index 9,
    // flag 0, colours 0, 0, 0xABCDEF.
    const Bytes bytes = {0x02, 0x00, 0x00, 0x00,                                                  //
                         0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,                          //
                         0x11, 0x11, 0x11, 0x00, 0x22, 0x22, 0x22, 0x00, 0x56, 0x34, 0x12, 0x00,  //
                         0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                          //
                         0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xEF, 0xCD, 0xAB, 0x00};
    CColorScheme scheme;
    Load(scheme, bytes);
    EXPECT_EQ(scheme.GetCount(), 2);
    EXPECT_EQ(scheme.GetEntry(0)->color, 0x123456u);
    EXPECT_EQ(scheme.GetEntry(0)->usePalette, 1);
    EXPECT_EQ(scheme.GetColor(0), 0xFFFFFFu);  // palette 5, white
    EXPECT_EQ(scheme.GetPaletteIndex(1), 9);
    EXPECT_EQ(scheme.GetColor(1), 0xABCDEFu);
    // Entries beyond the count keep what they had, names too.
    EXPECT_EQ(scheme.GetColor(2), 0x0000FFu);
    EXPECT_EQ(scheme.GetEntry(0)->name, "plot background");

    // Storing again writes only the loaded count.
    const Bytes again = Store(scheme);
    EXPECT_EQ(again.size(), 4u + 2u * 20u);
    EXPECT_EQ(Hex(again, 4, 20), "05 00 00 00 01 00 00 00 56 34 12 00 56 34 12 00 56 34 12 00");
}

TEST(ColorSchemeArchive, RoundTripKeepsEveryStoredEntry)
{
    CColorScheme original;
    for (int role = 0; role < 256; ++role)
    {
        original.SetColor(role, static_cast<COLORREF>(role * 0x010203));
        original.SetPaletteIndex(role, role % 23);  // some outside the palette
    }
    original.SnapToPalette();  // flags to 1 and indices to the nearest colour
    for (int role = 0; role < 256; role += 3)
        original.SetPaletteIndex(role, role % 20);

    Bytes bytes = Store(original);
    CColorScheme loaded;
    loaded.SetColor(256, 0x010101);  // beyond the stored count: must stay as it is
    Load(loaded, bytes);
    EXPECT_EQ(loaded.GetCount(), original.GetCount());
    ExpectSameEntries(original, loaded, 0, 256);
    EXPECT_EQ(loaded.GetColor(256), 0x010101u);
    EXPECT_EQ(loaded.GetColor(265), 0xDCF5F5u);
    EXPECT_EQ(Store(loaded), bytes);
}

TEST(ColorSchemeArchive, TheWholeTableCanBeStored)
{
    Bytes bytes;
    AppendWord(bytes, 1024);
    for (int role = 0; role < 1024; ++role)
    {
        AppendWord(bytes, 0);
        AppendWord(bytes, 0);
        for (int i = 0; i < 3; ++i)
            AppendWord(bytes, static_cast<std::uint32_t>(role));
    }
    CColorScheme scheme;
    Load(scheme, bytes);
    EXPECT_EQ(scheme.GetCount(), 1024);
    EXPECT_EQ(scheme.GetColor(1023), 1023u);
    EXPECT_EQ(Store(scheme), bytes);
}

// A stored count beyond the table, a negative one or a stream that ends inside the entries is
// refused with the archive exception, and the scheme keeps what it had.
TEST(ColorSchemeArchive, DamagedStreamsAreRefusedAndChangeNothing)
{
    const struct
    {
        const char* what;
        std::uint32_t count;
        int entriesPresent;
        platform::ArchiveCause cause;
    } cases[] = {
        {"one entry more than the table", 1025, 1025, platform::ArchiveCause::Malformed},
        {"huge count", 0x7FFFFFFF, 2, platform::ArchiveCause::Malformed},
        {"negative count", 0xFFFFFFFF, 2, platform::ArchiveCause::Malformed},
        {"stream ends inside the entries", 3, 2, platform::ArchiveCause::EndOfFile},
        {"stream ends after the count", 256, 0, platform::ArchiveCause::EndOfFile},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Bytes bytes;
        AppendWord(bytes, c.count);
        for (int role = 0; role < c.entriesPresent; ++role)
        {
            AppendWord(bytes, 5);
            AppendWord(bytes, 1);
            for (int i = 0; i < 3; ++i)
                AppendWord(bytes, 0x445566);
        }
        CColorScheme scheme;
        const CColorScheme before = scheme;
        try
        {
            Load(scheme, bytes);
            ADD_FAILURE() << "loaded";
        }
        catch (const platform::ArchiveError& error)
        {
            EXPECT_EQ(error.Cause(), c.cause);
        }
        EXPECT_EQ(scheme.GetCount(), 256);
        ExpectSameEntries(before, scheme, 0, CColorScheme::kMaxEntries);
    }
}

}  // namespace
