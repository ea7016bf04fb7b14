#include <gtest/gtest.h>

#include <cmath>

#include "common/IniFile.h"
#include "display/settings/AxisProp.h"
#include "display/settings/ChannelSettings.h"
#include "display/settings/CurveData.h"
#include "display/settings/OverlaySettings.h"
#include "display/settings/ParamViewSettings.h"
#include "display/settings/PlotSettingsRecords.h"
#include "display/settings/VectorscopeSettings.h"
#include "platform/Archive.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

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

}  // namespace

TEST(SettingsRecords, AxisPropGoldenBytesAndPlotFactorReset)
{
    CAxisProp axes;
    axes.m_bLogX = 1;
    axes.m_dYMin = -90.0;
    axes.m_dYMax = 10.0;
    axes.m_dXMin = 20.0;
    axes.m_dXMax = 20000.0;
    axes.m_strXTitle = "not stored";
    const auto bytes = StoreBytes(axes);
    ASSERT_EQ(bytes.size(), CAxisProp::kStoredBytes);
    EXPECT_EQ(HexOf(bytes), HexOf(FromHex("01 00 00 00 00 00 00 00"
                                          "00 00 00 00 00 80 56 c0 00 00 00 00 00 00 24 40"
                                          "00 00 00 00 00 00 34 40 00 00 00 00 00 88 d3 40")));
    CAxisProp loaded;
    loaded.m_dPlotFactor = 7.5;
    LoadBytes(loaded, bytes);
    EXPECT_EQ(loaded.m_bLogX, 1);
    EXPECT_EQ(loaded.m_bLogY, 0);
    EXPECT_EQ(loaded.m_dYMin, -90.0);
    EXPECT_EQ(loaded.m_dYMax, 10.0);
    EXPECT_EQ(loaded.m_dXMin, 20.0);
    EXPECT_EQ(loaded.m_dXMax, 20000.0);
    EXPECT_EQ(loaded.m_dPlotFactor, 1.0);
    EXPECT_TRUE(loaded.m_strXTitle.empty());

    CAxisProp copy;
    copy.CopyFrom(axes);
    EXPECT_EQ(copy.m_strXTitle, "not stored");
    EXPECT_EQ(copy.m_dXMax, 20000.0);
}

TEST(SettingsRecords, VectorscopeGoldenBytes)
{
    CVectorscope_settings scope;
    EXPECT_EQ(scope.m_dDecay, 0.85);
    scope.m_dFreeAngle = 45.0;
    scope.m_dDecay = 0.5;
    scope.m_nHistoryDepth = 7;
    scope.m_nRotation = 3;
    scope.m_nStyle = 1;
    scope.m_bActive = 1;
    const auto bytes = StoreBytes(scope);
    ASSERT_EQ(bytes.size(), CVectorscope_settings::kStoredBytes);
    EXPECT_EQ(HexOf(bytes), HexOf(FromHex("00 00 00 00 00 80 46 40 00 00 00 00 00 00 e0 3f"
                                          "07 00 00 00 03 00 00 00 01 00 00 00 01 00 00 00")));
    CVectorscope_settings loaded;
    LoadBytes(loaded, bytes);
    EXPECT_EQ(StoreBytes(loaded), bytes);
}

TEST(SettingsRecords, ParamViewGoldenBytesAndPackedFlags)
{
    CParamView_settings view;
    view.m_nParameter = 5;
    view.m_nChannel = 2;
    view.m_bInUse = 1;
    view.m_bLabelLine = 0;
    view.m_bMeter = 1;
    view.m_nBackColour = 0x00FF00;
    view.m_strLabel = "carried elsewhere";
    const auto bytes = StoreBytes(view);
    ASSERT_EQ(bytes.size(), CParamView_settings::kStoredBytes);
    std::vector<std::uint8_t> expected(84, 0);
    expected[80] = 1;  // the placement of a never-shown window: hidden
    const auto tail = FromHex(
        "05 00 00 00 02 00 00 00 03 00 00 00 01 00 00 00 00 00 00 00"
        "00 00 00 00 00 00 00 00 00 00 00 00 00 00 59 40 00 00 00 00 00 00 49 40"
        "00 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
        "01 00 00 00 00 00 00 00 ec ff ff ff");
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(HexOf(bytes), HexOf(expected));

    CParamView_settings loaded;
    LoadBytes(loaded, bytes);
    EXPECT_EQ(loaded.m_bInUse, 1);
    EXPECT_EQ(loaded.m_bLabelLine, 0);
    EXPECT_TRUE(loaded.m_strLabel.empty());
    EXPECT_EQ(loaded.m_nTextSize, -20);
    EXPECT_EQ(loaded.m_Placement.m_bLoaded, 1);

    // A word without bit 1 reads back with the label line shown.
    struct Case
    {
        std::uint8_t word;
        int inUse;
        int labelLine;
    };
    for (const Case c : {Case{0, 0, 1}, Case{1, 1, 1}, Case{2, 0, 0}, Case{3, 1, 0}})
    {
        auto patched = bytes;
        patched[84 + 8] = c.word;
        CParamView_settings record;
        LoadBytes(record, patched);
        EXPECT_EQ(record.m_bInUse, c.inUse) << int(c.word);
        EXPECT_EQ(record.m_bLabelLine, c.labelLine) << int(c.word);
    }
}

TEST(SettingsRecords, DynamicOverlayGoldenBytes)
{
    DynamicOverlaySettings overlay;
    const auto bytes = StoreBytes(overlay);
    EXPECT_EQ(HexOf(bytes), HexOf(FromHex("ff ff ff ff 00 00 00 00 00 40 8f 40 00 00 00 00 00 00 00 00"
                                          "00 00 00 00 00 00 00 00 00 00 00 00")));
}

TEST(SettingsRecords, CurveDataGoldenBytesWithAndWithoutX)
{
    Ccurve_data curve;
    curve.m_nCount = 2;
    curve.m_dDeltaX = 0.5;
    curve.m_pY = {1.0f, -2.0f};
    curve.m_pX = {0.25f, 4.0f};
    EXPECT_EQ(HexOf(StoreBytes(curve)), HexOf(FromHex("02 00 00 00 02 00 00 00 00 00 00 00 00 00 e0 3f"
                                                      "00 00 00 00 00 00 80 3f 00 00 00 c0"
                                                      "00 00 80 3e 00 00 80 40")));

    Ccurve_data yOnly;
    yOnly.m_nCount = 100;
    yOnly.m_pY.assign(100, 3.0f);
    const auto bytes = StoreBytes(yOnly);
    ASSERT_EQ(bytes.size(), 20u + 400u);
    EXPECT_EQ(bytes[4], 0);  // m = 0
    Ccurve_data loaded;
    loaded.CopyFrom(curve);
    LoadBytes(loaded, bytes);
    EXPECT_EQ(loaded.m_nCount, 100);
    EXPECT_FALSE(loaded.HasX());
    EXPECT_EQ(loaded.m_pY[99], 3.0f);

    // Copying a curve without x values onto one with them leaves none.
    Ccurve_data target;
    target.CopyFrom(curve);
    target.CopyFrom(yOnly);
    EXPECT_FALSE(target.HasX());
    EXPECT_EQ(target.m_nCount, 100);

    Ccurve_data empty;
    LoadBytes(empty, StoreBytes(*std::make_unique<Ccurve_data>()));
    EXPECT_EQ(empty.m_nCount, 0);
    EXPECT_TRUE(empty.m_pY.empty());
}

TEST(SettingsRecords, CurveDataRefusesLyingSizesBeforeAllocating)
{
    struct Case
    {
        const char* name;
        const char* hex;
    };
    // Counts: negative, above the limit, an x count that is neither 0 nor n, and a huge count with
    // only a few values behind it (grows only as values arrive, then runs out).
    const Case cases[] = {
        {"negative", "ff ff ff ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"above limit", "01 2d 31 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"x count differs", "02 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"huge and short", "00 2d 31 01 00 2d 31 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 80 3f"},
    };
    for (const Case& c : cases)
    {
        Ccurve_data curve;
        const auto bytes = FromHex(c.hex);
        EXPECT_THROW(LoadBytes(curve, bytes), platform::ArchiveError) << c.name;
    }
}

TEST(SettingsRecords, OverlayRoundTripAndCopyRules)
{
    COverlay_settings overlay;
    overlay.m_bShown = 1;
    overlay.m_nAxisKind = 1;
    overlay.m_strName = "reference";
    overlay.m_dPlotValue1 = 2.0;
    overlay.m_dPlotValue2 = 20.0;
    overlay.m_dPlotValue3 = -3.0;
    overlay.m_nAverages = 4;
    overlay.m_CurveStyle.m_nWidth = 3;
    overlay.m_Curve.m_nCount = 3;
    overlay.m_Curve.m_pY = {1, 2, 3};
    overlay.m_Curve.m_pX = {10, 20, 30};
    const auto bytes = StoreBytes(overlay);
    COverlay_settings loaded;
    LoadBytes(loaded, bytes);
    EXPECT_EQ(StoreBytes(loaded), bytes);
    EXPECT_EQ(loaded.m_strName, "reference");
    EXPECT_EQ(loaded.m_nAverages, 0);

    COverlay_settings copy;
    copy.m_strName = "own";
    copy.CopyFrom(overlay);
    EXPECT_EQ(copy.m_bShown, 0);
    EXPECT_EQ(copy.m_strName, "own");
    EXPECT_EQ(copy.m_nAverages, 0);
    EXPECT_EQ(copy.m_Curve.m_pX, overlay.m_Curve.m_pX);
    EXPECT_EQ(copy.m_dPlotValue3, -3.0);
    EXPECT_EQ(copy.m_CurveStyle.m_nWidth, 3);
}

TEST(SettingsRecords, ChannelGoldenBytesAndCopy)
{
    Cchannel_settings channel;
    channel.m_CurveStyle.m_nColorIndex = 1;
    channel.m_CurveStyle.m_nWidth = 2;
    channel.m_CurveStyle.m_strLabel = "Ch#1";
    channel.m_bActive = 1;
    channel.m_nInputChannel = 4;
    channel.m_dScaleDb = -6.0;
    channel.m_dPreScale = 2.0;
    channel.m_bCalibrated = 1;
    // Style: colour 0, pen style 0, width 2, marker 0, index 1, "Ch#1"; then active, input, gain.
    EXPECT_EQ(HexOf(StoreBytes(channel)), HexOf(FromHex("00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00"
                                                        "01 00 00 00 04 43 68 23 31"
                                                        "01 00 00 00 04 00 00 00 00 00 00 00 00 00 18 c0")));
    Cchannel_settings loaded;
    LoadBytes(loaded, StoreBytes(channel));
    EXPECT_EQ(loaded.m_dPreScale, 1.0);  // not stored
    EXPECT_EQ(loaded.m_bCalibrated, 0);

    channel.m_Operation.m_nOperation = 3;
    Cchannel_settings copy;
    copy.CopyFrom(channel);
    EXPECT_EQ(copy.m_dPreScale, 2.0);
    EXPECT_EQ(copy.m_bCalibrated, 1);
    EXPECT_EQ(copy.m_Operation.m_nOperation, 3);
    EXPECT_EQ(copy.m_CurveStyle.m_strLabel, "Ch#1");
}

TEST(SettingsRecords, DspOperationReset)
{
    DspOperation op;
    EXPECT_EQ(op.m_nReserved, 1);
    op.m_nOperation = 5;
    op.m_dConstant = 3.0;
    op.Reset(7);
    EXPECT_EQ(op.m_nSource1, 7);
    EXPECT_EQ(op.m_nSource2, 7);
    EXPECT_EQ(op.m_nTarget, 7);
    EXPECT_EQ(op.m_nOperation, 0);
    EXPECT_EQ(op.m_nReserved, 1);
    EXPECT_EQ(op.m_nFlags, 0);
    EXPECT_EQ(op.m_dConstant, 0.0);
}

class ChannelProfileTest : public testsupport::TempHomeTest
{
};

TEST_F(ChannelProfileTest, WritesFlagsAsWordsAndDoublesWithSixDecimals)
{
    Cchannel_settings channel;
    channel.m_bActive = 1;
    channel.m_bCalibrated = 0;
    channel.m_nInputChannel = 3;
    channel.m_dScaleDb = -1.5;
    channel.m_dPreScale = 2.0;
    const auto path = m_home.File("channel.ini");
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(channel.WriteProfile(path.string(), "Sec"));
    const std::string text = testsupport::ReadBytes(path);
    EXPECT_NE(text.find("Active=True"), std::string::npos) << text;
    EXPECT_NE(text.find("Calibrated=False"), std::string::npos) << text;
    EXPECT_NE(text.find("Input Channel=3"), std::string::npos) << text;
    EXPECT_NE(text.find("Scale dB=-1.500000"), std::string::npos) << text;
    EXPECT_NE(text.find("Pre Scale=2.000000"), std::string::npos) << text;
    EXPECT_NE(text.find("Line Style Width=1"), std::string::npos) << text;
    EXPECT_NE(text.find("Line Style Color Index="), std::string::npos) << text;
}

TEST(SettingsRecords, Plot3DDemoGridAndSweep2DLimit)
{
    Plot3DSettings plot;
    plot.FillDemoGrid();
    ASSERT_EQ(plot.m_pGrid.size(), 1350u);
    EXPECT_EQ(plot.m_nRows, 30);
    EXPECT_EQ(plot.m_nColumns, 45);
    EXPECT_EQ(plot.m_pGrid[0], -90.0f);
    // Value 30 j + k = 100/30 k - 90 + 100/45 j.
    EXPECT_FLOAT_EQ(plot.m_pGrid[30 * 44 + 29], static_cast<float>(100.0 / 30 * 29 - 90 + 100.0 / 45 * 44));

    Sweep2DSettings sweep;
    EXPECT_TRUE(sweep.IsAcceptable());
    sweep.m_dFrequencySteps = 100;
    sweep.m_dLevelSteps = 100.5;
    EXPECT_FALSE(sweep.IsAcceptable());
}
