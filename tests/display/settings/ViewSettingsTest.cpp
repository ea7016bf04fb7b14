#include "display/settings/ViewSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "platform/Archive.h"
#include "tests/display/settings/ViewSettingsFixture.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileBytes.h"

using testsupport::FromHex;
using testsupport::Hex;
using testsupport::LoadBytes;
using testsupport::StoreBytes;

namespace
{

std::string HexOf(const std::vector<std::uint8_t>& bytes)
{
    return Hex(testsupport::AsString(bytes));
}

void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& part)
{
    out.insert(out.end(), part.begin(), part.end());
}

// The scalar block, the three math-curve styles and the reserved block of a default record whose
// first spare double is 0.5, written out by hand.
std::vector<std::uint8_t> DefaultTail()
{
    auto tail = FromHex(
        "01 00 00 00"                                         // print annotation
        "1b 54 65 73 73 61 72 69 6e 0d 0a 50 72 69 6e 74 20"  // "Tessarin\r\nPrint "
        "61 6e 6e 6f 74 61 74 69 6f 6e 73"                    // "annotations"
        "00"                                                  // window title
        "00 00 00 00 00 00 00 00 05 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00"
        "03 00 00 00 00 00 00 00 64 00 00 00"
        "00 00 00 00 00 00 3e 40 00 00 00 00 00 00 e0 3f 00 00 00 00 00 00 00 00"
        "00 00 00 00 00 00 f0 3f"
        "00 00 00 00 05 00 00 00 03 00 00 00 00 00 00 00 00 00 00 00"
        "03 00 00 00"
        "00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 03 00 00 00 03 4d 41 58"
        "00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 03 00 00 00 03 4d 49 4e"
        "00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 03 00 00 00 03 41 56 47"
        "00 01 00 00");
    tail.resize(tail.size() + 1024, 0);
    return tail;
}

std::vector<std::uint8_t> StoredTail(const std::vector<std::uint8_t>& bytes)
{
    const std::size_t tailSize = DefaultTail().size();
    return std::vector<std::uint8_t>(bytes.end() - static_cast<std::ptrdiff_t>(tailSize), bytes.end());
}

}  // namespace

TEST(ViewSettings, DefaultsOfANewRecord)
{
    CViewSettings view;
    EXPECT_EQ(view.m_nDisplayKind, 0);
    EXPECT_EQ(view.m_nRefreshMs, 100);
    EXPECT_EQ(view.m_nMaxHarmonics, 5);
    EXPECT_EQ(view.m_nHarmonicsMask, 3);
    EXPECT_EQ(view.m_dImFrequency2, 4000.0);
    EXPECT_DOUBLE_EQ(view.m_dSpare1, 0.50118723362727224);
    EXPECT_EQ(view.m_MathCurveStyles[0].m_strLabel, "MAX");
    EXPECT_EQ(view.m_MathCurveStyles[2].m_strLabel, "AVG");
    EXPECT_EQ(view.m_Overlays[0].m_CurveStyle.m_nWidth, 2);
    EXPECT_EQ(view.m_Overlays[0].m_CurveStyle.m_nColorIndex,
              FindNearestPaletteColor(view.m_ColorScheme.GetColor(CColorScheme::RoleFirstOverlay)));
    const Cchannel_settings& ch5 = view.m_Channels.GetChannel(5);
    EXPECT_EQ(ch5.m_nInputChannel, 5);
    EXPECT_EQ(ch5.m_bActive, 1);
    EXPECT_EQ(ch5.m_CurveStyle.m_strLabel, "Ch#6");
    EXPECT_EQ(ch5.m_CurveStyle.m_nColorIndex,
              FindNearestPaletteColor(view.m_ColorScheme.GetColor(CColorScheme::RoleFirstCurve + 5)));
    EXPECT_EQ(ch5.m_Operation.m_nTarget, 5);
}

TEST(ViewSettings, StoredFormFollowsTheTwelveSteps)
{
    CViewSettings view;
    view.m_dSpare1 = 0.5;
    view.m_WindowPlacements[0].m_rect = {0, 0, 0, 10};
    view.m_WindowPlacements[1].m_rect = {0, 0, 0, 11};
    view.m_WindowPlacements[2].m_rect = {0, 0, 0, 12};
    const auto bytes = StoreBytes(view);

    // The same parts, each stored on its own in the stated order.
    CViewSettings parts;
    std::vector<std::uint8_t> expected = StoreBytes(parts.m_Vectorscope);
    ASSERT_EQ(expected.size(), 32u);
    for (int k = 0; k < CViewSettings::kOverlayCount; ++k)
    {
        Append(expected, StoreBytes(parts.m_Overlays[k]));
        Append(expected, StoreBytes(parts.m_DynamicOverlays[k]));
    }
    for (auto& paramView : parts.m_ParamViews)
        Append(expected, StoreBytes(paramView));
    for (int i = 0; i < 64; ++i)
        Append(expected, StoreBytes(parts.m_Channels.GetChannel(i)));
    const std::size_t axesStart = expected.size();
    for (auto& axes : parts.m_ModeAxes)
        Append(expected, StoreBytes(axes));
    ASSERT_EQ(expected.size() - axesStart, 1024u * 40u);
    // Placements first, third, second: the rectangle's bottom sits at offset 56 of each block.
    for (int order : {0, 2, 1})
    {
        auto block = StoreBytes(view.m_WindowPlacements[order]);
        EXPECT_EQ(block[56], 10 + order);
        Append(expected, block);
    }
    // Sixteen empty string carriers, keys 450000 + k.
    Append(expected, FromHex("10 00 00 00"));
    for (int k = 0; k < 16; ++k)
    {
        std::vector<std::uint8_t> carrier(356, 0);
        carrier[0] = 0x40;  // 200000
        carrier[1] = 0x0d;
        carrier[2] = 0x03;
        carrier[4] = 0x64;  // data size 356
        carrier[5] = 0x01;
        const std::uint32_t key = 450000 + k;
        for (int b = 0; b < 4; ++b)
            carrier[92 + b] = static_cast<std::uint8_t>(key >> (8 * b));
        Append(expected, carrier);
    }
    Append(expected, DefaultTail());
    ASSERT_EQ(bytes.size(), expected.size());
    EXPECT_TRUE(bytes == expected) << "first difference at "
                                   << (std::mismatch(bytes.begin(), bytes.end(), expected.begin()).first -
                                       bytes.begin());
    EXPECT_EQ(HexOf(StoredTail(bytes)), HexOf(DefaultTail()));
}

TEST(ViewSettings, DefaultRecordReloadsWithPlacementsInTheirOwnSlots)
{
    CViewSettings view;
    for (int i = 0; i < 3; ++i)
        view.m_WindowPlacements[i].m_rect = {i, i + 1, i + 2, i + 3};
    const auto bytes = StoreBytes(view);
    CViewSettings loaded;
    LoadBytes(loaded, bytes);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(loaded.m_WindowPlacements[i].m_rect, (WindowRect{i, i + 1, i + 2, i + 3})) << i;
        EXPECT_EQ(loaded.m_WindowPlacements[i].m_bLoaded, 1);
    }
    EXPECT_EQ(StoreBytes(loaded), bytes);
}

TEST(ViewSettings, LabelCarriersAreAddedOnceAndKeepTheirText)
{
    CViewSettings view;
    view.m_ParamViews[3].m_strLabel = "Level";
    StoreBytes(view);
    EXPECT_EQ(view.m_Annotations.GetCount(), 16u);
    for (int k = 0; k < 16; ++k)
        ASSERT_NE(view.m_Annotations.FindByKey(450000 + k), nullptr) << k;
    // The carrier that exists keeps its text; the label changed later is not taken.
    view.m_ParamViews[3].m_strLabel = "Changed";
    const auto bytes = StoreBytes(view);
    EXPECT_EQ(view.m_Annotations.GetCount(), 16u);
    CViewSettings loaded;
    LoadBytes(loaded, bytes);
    EXPECT_EQ(loaded.m_ParamViews[3].m_strLabel, "Level");
    EXPECT_EQ(loaded.m_Annotations.GetCount(), 16u);
}

TEST(ViewSettings, FullRecordRoundTripsBitForBit)
{
    CViewSettings view;
    settingstest::FillViewSettings(view);
    const auto bytes = StoreBytes(view);
    CViewSettings loaded;
    LoadBytes(loaded, bytes);
    EXPECT_TRUE(StoreBytes(loaded) == bytes);
    EXPECT_EQ(loaded.m_ParamViews[15].m_strLabel, "label 15");
    EXPECT_EQ(loaded.m_Overlays[8].m_Curve.m_pX.size(), 8u);
    EXPECT_FALSE(loaded.m_Overlays[9].m_Curve.HasX());
    EXPECT_EQ(loaded.m_Overlays[9].m_Curve.m_pY.size(), 9u);
    EXPECT_EQ(loaded.m_ModeAxes[1023].m_dXMax, 1023.5);
    EXPECT_EQ(loaded.m_strWindowTitle, view.m_strWindowTitle);
    EXPECT_EQ(loaded.m_MathCurveStyles[1].m_strLabel, "math 1");
    EXPECT_EQ(loaded.m_Channels.GetChannel(63).m_dScaleDb, -63.0);
    EXPECT_EQ(loaded.m_WindowPlacements[1].m_nStyle, view.m_WindowPlacements[1].m_nStyle);
    // Members that are not stored keep their constructor values.
    EXPECT_EQ(loaded.m_nTimeWeighting, 3);
    EXPECT_EQ(loaded.m_bJetColours, 1);
}

TEST(ViewSettings, ExtraMathCurveStylesAreReadAndDropped)
{
    CViewSettings view;
    const auto bytes = StoreBytes(view);
    const std::size_t tailSize = DefaultTail().size();
    // Cut off the style count, the styles and the reserved block; put five styles and an empty
    // reserved block in their place.
    const std::size_t stylesStart = bytes.size() - tailSize + (DefaultTail().size() - 1024 - 4 - 3 * 24 - 4);
    std::vector<std::uint8_t> patched(bytes.begin(),
                                      bytes.begin() + static_cast<std::ptrdiff_t>(stylesStart));
    Append(patched, FromHex("05 00 00 00"));
    for (const char* label : {"a", "b", "c", "d", "e"})
    {
        CCurveStyle style;
        style.m_strLabel = label;
        Append(patched, StoreBytes(style));
    }
    Append(patched, FromHex("00 00 00 00"));
    CViewSettings loaded;
    ASSERT_NO_THROW(LoadBytes(loaded, patched));
    EXPECT_EQ(loaded.m_MathCurveStyles[0].m_strLabel, "a");
    EXPECT_EQ(loaded.m_MathCurveStyles[2].m_strLabel, "c");
}

TEST(ViewSettings, EmptyReservedBlockReadsNoMoreWords)
{
    CViewSettings view;
    auto bytes = StoreBytes(view);
    bytes.resize(bytes.size() - 1024);
    for (int i = 0; i < 4; ++i)
        bytes[bytes.size() - 4 + i] = 0;
    CViewSettings loaded;
    CArchive ar(bytes);
    ASSERT_NO_THROW(loaded.Serialize(ar));
}

TEST(ViewSettings, UndoAndRedoZoomSwapTheAxes)
{
    CViewSettings view;
    view.m_Axes.m_dXMax = 1.0;
    view.m_UndoAxes.m_dXMax = 2.0;
    view.UndoZoom();
    EXPECT_EQ(view.m_Axes.m_dXMax, 2.0);
    EXPECT_EQ(view.m_RedoAxes.m_dXMax, 1.0);
    view.RedoZoom();
    EXPECT_EQ(view.m_Axes.m_dXMax, 1.0);
    EXPECT_EQ(view.m_UndoAxes.m_dXMax, 2.0);
}
