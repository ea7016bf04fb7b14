#include "display/CurveStyle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/IniFile.h"
#include "platform/Archive.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

namespace
{

using Bytes = std::vector<std::uint8_t>;

std::string HexOf(const Bytes& bytes)
{
    return testsupport::Hex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Bytes Store(CCurveStyle& style)
{
    CArchive ar;
    style.Serialize(ar);
    return ar.Buffer();
}

CCurveStyle MakeStyle(int colorIndex, int width, int penStyle, int marker, std::string label)
{
    CCurveStyle style;
    style.m_nColorIndex = colorIndex;
    style.m_nWidth = width;
    style.m_nPenStyle = penStyle;
    style.m_nMarker = marker;
    style.m_strLabel = std::move(label);
    return style;
}

TEST(CurveStyle, NewStyleIsThinSolidRedWithoutPen)
{
    const CCurveStyle style;
    EXPECT_EQ(style.m_nColorIndex, 3);
    EXPECT_EQ(style.m_nWidth, 1);
    EXPECT_EQ(style.m_nPenStyle, 0);
    EXPECT_EQ(style.m_nMarker, 0);
    EXPECT_EQ(style.m_strLabel, "");
    EXPECT_FALSE(style.m_pen.has_value());
    EXPECT_EQ(style.m_color, 0u);
    EXPECT_EQ(style.GetColor(), 0x0000FFu);
}

TEST(CurveStyle, CopyFromTakesTheDescriptionButNotThePen)
{
    CCurveStyle source = MakeStyle(9, 4, 2, 6, "Ch#2");
    source.CreatePen();
    CCurveStyle target;
    target.CreatePen();
    const PenDescription targetPen = *target.m_pen;

    target.CopyFrom(source);
    EXPECT_EQ(target.m_nColorIndex, 9);
    EXPECT_EQ(target.m_nWidth, 4);
    EXPECT_EQ(target.m_nPenStyle, 2);
    EXPECT_EQ(target.m_nMarker, 6);
    EXPECT_EQ(target.m_strLabel, "Ch#2");
    // The pen and its colour stay until the holder re-makes them.
    EXPECT_EQ(*target.m_pen, targetPen);
    EXPECT_EQ(target.m_color, 0x0000FFu);
    target.CreatePen();
    EXPECT_EQ(*target.m_pen, *source.m_pen);
    EXPECT_EQ(target.m_color, 0xFF9696u);
}

TEST(CurveStyle, PensKeepTheirPatternAtAnyWidth)
{
    const struct
    {
        int colorIndex;
        int width;
        int penStyle;
        PenDescription expected;
    } cases[] = {
        {3, 3, PEN_STYLE_DOT, {0x0000FF, 3, PEN_STYLE_DOT, true}},       // geometric dotted
        {3, 1, PEN_STYLE_DOT, {0x0000FF, 1, PEN_STYLE_DOT, false}},      // cosmetic dotted
        {3, 3, PEN_STYLE_SOLID, {0x0000FF, 3, PEN_STYLE_SOLID, false}},  // plain solid
        {1, 2, PEN_STYLE_DASHDOTDOT, {0xFF0000, 2, PEN_STYLE_DASHDOTDOT, true}},
        {13, 1, PEN_STYLE_SOLID, {0x006BFF, 1, PEN_STYLE_SOLID, false}},
        {20, 2, PEN_STYLE_SOLID, {0x000000, 2, PEN_STYLE_SOLID, false}},  // outside the palette: black
        {-1, 1, PEN_STYLE_DASH, {0x000000, 1, PEN_STYLE_DASH, false}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.colorIndex << " " << c.width << " " << c.penStyle);
        CCurveStyle style = MakeStyle(c.colorIndex, c.width, c.penStyle, 0, "");
        style.CreatePen();
        ASSERT_TRUE(style.m_pen.has_value());
        EXPECT_EQ(*style.m_pen, c.expected);
        EXPECT_EQ(style.m_color, c.expected.color);
        EXPECT_EQ(style.GetColor(), c.expected.color);
    }
}

TEST(CurveStyleArchive, StoredForm)
{
    const struct
    {
        const char* what;
        CCurveStyle style;
        bool makePen;
        const char* hex;
    } cases[] = {
        {"new style before any pen", CCurveStyle(), false,
         "00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 03 00 00 00 00"},
        {"light blue dashed with a label", MakeStyle(9, 2, 1, 6, "Ch#1"), true,
         "96 96 ff 00 01 00 00 00 02 00 00 00 06 00 00 00 09 00 00 00 04 43 68 23 31"},
        {"blue, solid, filled box marker", MakeStyle(1, 1, 0, 10, "M"), true,
         "00 00 ff 00 00 00 00 00 01 00 00 00 0a 00 00 00 01 00 00 00 01 4d"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CCurveStyle style;
        style.CopyFrom(c.style);
        if (c.makePen)
            style.CreatePen();
        EXPECT_EQ(HexOf(Store(style)), c.hex);
    }
}

TEST(CurveStyleArchive, LongLabelTakesTheLongStringForm)
{
    CCurveStyle style = MakeStyle(0, 1, 0, 0, std::string(300, 'a'));
    const Bytes bytes = Store(style);
    ASSERT_EQ(bytes.size(), 20u + 3u + 300u);
    EXPECT_EQ(HexOf(Bytes(bytes.begin() + 20, bytes.begin() + 23)), "ff 2c 01");

    CArchive ar{std::span<const std::uint8_t>(bytes)};
    CCurveStyle loaded;
    loaded.Serialize(ar);
    EXPECT_EQ(loaded.m_strLabel, std::string(300, 'a'));
}

TEST(CurveStyleArchive, LoadReadsTheWordsInStoredOrderAndMakesNoPen)
{
    // colour 0x123456, pen style 3, width 5, marker 7, colour index 12, label "Ref"
    const Bytes bytes = {0x56, 0x34, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00,
                         0x07, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x03, 0x52, 0x65, 0x66};
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    CCurveStyle style;
    style.Serialize(ar);
    EXPECT_EQ(style.m_color, 0x123456u);
    EXPECT_EQ(style.m_nPenStyle, 3);
    EXPECT_EQ(style.m_nWidth, 5);
    EXPECT_EQ(style.m_nMarker, 7);
    EXPECT_EQ(style.m_nColorIndex, 12);
    EXPECT_EQ(style.m_strLabel, "Ref");
    EXPECT_FALSE(style.m_pen.has_value());
    EXPECT_EQ(style.GetColor(), 0x004B74u);  // the palette decides, not the stored word
}

TEST(CurveStyleArchive, ShortStreamIsRefusedAndChangesNothing)
{
    const Bytes full = {0x56, 0x34, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00,
                        0x07, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x03, 0x52, 0x65, 0x66};
    for (std::size_t size : {0u, 3u, 12u, 20u, 22u})
    {
        SCOPED_TRACE(size);
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
        CArchive ar{std::span<const std::uint8_t>(cut)};
        CCurveStyle style = MakeStyle(9, 2, 1, 6, "keep");
        EXPECT_THROW(style.Serialize(ar), platform::ArchiveError);
        EXPECT_EQ(style.m_nColorIndex, 9);
        EXPECT_EQ(style.m_nWidth, 2);
        EXPECT_EQ(style.m_nPenStyle, 1);
        EXPECT_EQ(style.m_nMarker, 6);
        EXPECT_EQ(style.m_strLabel, "keep");
        EXPECT_EQ(style.m_color, 0u);
    }
}

class CurveStyleIni : public testsupport::TempHomeTest
{
};

TEST_F(CurveStyleIni, WritesSixPrefixedKeysInOrder)
{
    const auto path = m_home.File("preset.ini");
    std::filesystem::create_directories(path.parent_path());
    const struct
    {
        const char* prefix;
        CCurveStyle style;
        const char* expected;
    } cases[] = {
        {"Ch1 ", MakeStyle(13, 2, 1, 5, "Left"),
         "[Curves]\nCh1 Color Index=13\nCh1 Width=2\nCh1 Style=1\nCh1 Label=Left\nCh1 Marker=5\nCh1 "
         "Color=6bff\n"},
        {"", MakeStyle(1, 1, 0, 0, ""),
         "[Curves]\nColor Index=1\nWidth=1\nStyle=0\nLabel=\nMarker=0\nColor=ff0000\n"},
        {"Math", MakeStyle(30, 1, 0, 0, "x"),  // outside the palette: black
         "[Curves]\nMathColor Index=30\nMathWidth=1\nMathStyle=0\nMathLabel=x\nMathMarker=0\nMathColor=0\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.prefix);
        std::filesystem::remove(path);
        EXPECT_TRUE(c.style.WriteIni(path.string(), "Curves", c.prefix));
        EXPECT_EQ(testsupport::ReadBytes(path), c.expected);
    }
}

TEST_F(CurveStyleIni, KeysReadBackThroughTheSettingsFile)
{
    const auto path = m_home.File("preset.ini");
    std::filesystem::create_directories(path.parent_path());
    CCurveStyle style = MakeStyle(19, 3, 4, 9, "Überhang");
    ASSERT_TRUE(style.WriteIni(path.string(), "View 1", "Overlay 2 "));
    CIniFile ini;
    ASSERT_TRUE(ini.SetFileName(path.string()));
    EXPECT_EQ(ini.ReadInt("View 1", "Overlay 2 Color Index", -1), 19);
    EXPECT_EQ(ini.ReadInt("View 1", "Overlay 2 Width", -1), 3);
    EXPECT_EQ(ini.ReadInt("View 1", "Overlay 2 Style", -1), 4);
    EXPECT_EQ(ini.ReadString("View 1", "Overlay 2 Label", ""), "Überhang");
    EXPECT_EQ(ini.ReadInt("View 1", "Overlay 2 Marker", -1), 9);
    EXPECT_EQ(ini.ReadString("View 1", "Overlay 2 Color", ""), "d0e040");
}

TEST_F(CurveStyleIni, ALabelThatWouldBreakTheFileIsReported)
{
    const auto path = m_home.File("preset.ini");
    std::filesystem::create_directories(path.parent_path());
    CCurveStyle style = MakeStyle(2, 1, 0, 0, "two\nlines");
    EXPECT_FALSE(style.WriteIni(path.string(), "Curves", ""));
    CIniFile ini;
    ASSERT_TRUE(ini.SetFileName(path.string()));
    EXPECT_EQ(ini.ReadInt("Curves", "Color Index", -1), 2);
    EXPECT_EQ(ini.ReadString("Curves", "Color", ""), "ff00");
}

}  // namespace
