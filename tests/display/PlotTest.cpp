#include "display/Plot.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace
{

// The plot is large (per-channel tables); tests keep it on the heap as owners do.
class PlotTest : public testing::Test
{
protected:
    PlotTest() : m_plot(std::make_unique<CPlot>())
    {
        m_plot->m_fnShowMessage = [this](const std::string& text) { m_messages.push_back(text); };
    }

    std::unique_ptr<CPlot> m_plot;
    std::vector<std::string> m_messages;
};

TEST_F(PlotTest, ConstructionGivesTheDocumentedState)
{
    const CPlot& p = *m_plot;
    EXPECT_EQ(p.m_nGuard, 7967715u);
    EXPECT_EQ(p.m_pOwner, nullptr);
    EXPECT_EQ(p.m_pData, nullptr);
    EXPECT_EQ(p.m_pDisplayLock, nullptr);
    EXPECT_EQ(p.m_nStride, -1);
    EXPECT_EQ(p.m_nHarmonicCount, 20);
    EXPECT_EQ(p.m_nHarmonicMask, 3u);
    EXPECT_EQ(p.m_nProductCount, 40);
    EXPECT_EQ(p.m_dTone1, 18000.0);
    EXPECT_EQ(p.m_dTone2, 19000.0);
    for (const CCurveStyle& style : p.m_arrStyles)
    {
        EXPECT_EQ(style.m_nColorIndex, 0);
        EXPECT_EQ(style.m_nWidth, 2);
        EXPECT_EQ(style.m_nPenStyle, PEN_STYLE_SOLID);
        EXPECT_TRUE(style.m_pen.has_value());
    }
    EXPECT_EQ(p.m_mathStyle.m_nColorIndex, 3);
    EXPECT_EQ(p.m_mathStyle.m_nWidth, 1);
    EXPECT_EQ(p.m_gridStyle.m_nColorIndex, 5);
    EXPECT_EQ(p.m_gridStyle.m_nPenStyle, PEN_STYLE_DOT);
    EXPECT_EQ(p.m_darkStyle.m_nColorIndex, 8);
    for (int flag : p.m_abDisplayed)
        EXPECT_EQ(flag, 1);
    EXPECT_EQ(p.m_afMathCurve.size(), 16384u);
    EXPECT_EQ(p.m_afMathCurve.front(), -1e9f);  // maximum hold starts low
    EXPECT_EQ(p.m_afMathHistory.size(), 65536u);
    EXPECT_EQ(p.m_arrReducedValues[0].size(), 8192u);
    EXPECT_EQ(p.m_arrReducedValues[1].size(), 8192u);
    EXPECT_EQ(p.m_dataRange.m_dLogFactor, 10.0);
    EXPECT_EQ(p.m_viewRange.m_dXScale, 1.0);
    EXPECT_TRUE(p.m_bFrameDirty && p.m_bLayoutDirty && p.m_bDataDirty);
}

TEST_F(PlotTest, ApplySettingsDerivesTheDisplayedChannels)
{
    struct Case
    {
        const char* name;
        int channels;
        std::vector<int> displayed;
        int mathMode;
        int first, second, count, curves;
    };
    const Case cases[] = {
        {"none", 4, {0, 0, 0, 0}, 0, -1, -1, 0, 0},
        {"two", 4, {1, 0, 1, 0}, 0, 0, 2, 2, 2},
        {"one in the middle", 4, {0, 1, 0, 0}, 0, 1, -1, 1, 1},
        {"the last pairs with itself", 4, {0, 0, 0, 1}, 0, 3, 3, 1, 1},
        {"math beside the last", 4, {0, 0, 0, 1}, 2, 3, 10000, 1, 2},
        {"math beside one in the middle", 4, {0, 1, 0, 0}, 2, 1, -1, 1, 2},
        {"math alone", 4, {1, 1, 0, 0}, 1, 10000, 10000, 2, 1},
        {"flags past the channel count do not count", 2, {0, 0, 1, 1}, 0, -1, -1, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_plot->m_nChannels = c.channels;
        m_plot->m_abDisplayed.fill(0);
        for (std::size_t i = 0; i < c.displayed.size(); ++i)
            m_plot->m_abDisplayed[i] = c.displayed[i];
        m_plot->m_nMathMode = c.mathMode;
        m_plot->ApplySettings();
        EXPECT_EQ(m_plot->m_nFirstDisplayed, c.first);
        EXPECT_EQ(m_plot->m_nSecondDisplayed, c.second);
        EXPECT_EQ(m_plot->m_nDisplayedCount, c.count);
        EXPECT_EQ(m_plot->GetCurveCount(), c.curves);
    }
}

TEST_F(PlotTest, ChannelCountIsLimitedToTheTables)
{
    m_plot->m_nChannels = 1000;
    m_plot->ApplySettings();
    EXPECT_EQ(m_plot->m_nDisplayedCount, 64);
    EXPECT_EQ(m_plot->GetCurveCount(), 64);
    EXPECT_EQ(m_plot->GetCurveChannel(63), 63);
    EXPECT_EQ(m_plot->GetCurveChannel(64), -1);
    m_plot->m_nChannels = -5;
    m_plot->ApplySettings();
    EXPECT_EQ(m_plot->m_nDisplayedCount, 0);
    EXPECT_EQ(m_plot->m_nFirstDisplayed, -1);
}

TEST_F(PlotTest, ApplySettingsComputesTheYGridAndTheMathStart)
{
    m_plot->m_viewRange.m_dYMin = -1.0;
    m_plot->m_viewRange.m_dYMax = 1.0;
    m_plot->m_nMathFunction = CPlot::kMathMinimum;
    m_plot->m_abyWork[100] = 7;
    m_plot->m_bFrameDirty = 0;
    m_plot->ApplySettings();
    EXPECT_NEAR(m_plot->m_dYGridStep, 0.2, 1e-15);
    EXPECT_NEAR(m_plot->m_dYGridFirst, -1.0, 1e-12);
    EXPECT_NEAR(m_plot->m_dYGridLast, 1.0, 1e-12);
    EXPECT_EQ(m_plot->m_fMathStart, 1e9f);
    EXPECT_EQ(m_plot->m_abyWork[100], 0);
    EXPECT_EQ(m_plot->m_bFrameDirty, 1);
    EXPECT_EQ(m_plot->m_nFrameRedraws, 2);
    m_plot->m_nMathFunction = CPlot::kMathAverage;
    m_plot->ApplySettings();
    EXPECT_EQ(m_plot->m_fMathStart, 0.0f);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PlotTest, BrokenGuardWordIsReportedAndTheStepGoesOn)
{
    m_plot->m_nGuard = 0;
    m_plot->m_viewRange.m_dYMax = 100.0;
    m_plot->ApplySettings();
    EXPECT_EQ(m_messages, (std::vector<std::string>{"Error code 796"}));
    EXPECT_NEAR(m_plot->m_dYGridStep, 10.0, 1e-12);
}

TEST_F(PlotTest, PointCountAboveTheLimitIsReportedOnceAndTheTableStaysBounded)
{
    m_plot->m_dataRange.m_nPoints = 20000001;
    m_plot->ApplySettings();
    EXPECT_EQ(m_messages, (std::vector<std::string>{"Error code #782"}));
    // The table grows, but only to the largest count a plot accepts.
    EXPECT_EQ(m_plot->m_anColumnCounts.size(), 20000000u);
    EXPECT_EQ(m_plot->GetPointCount(), 20000000);

    m_messages.clear();
    m_plot->m_dataRange.m_nPoints = INT_MAX;  // would be 8 GB of counts
    m_plot->ApplySettings();
    EXPECT_EQ(m_messages, (std::vector<std::string>{"Error code #782"}));
    EXPECT_EQ(m_plot->m_anColumnCounts.size(), 20000000u);
}

TEST_F(PlotTest, ColumnCountTableGrowsWithThePointCount)
{
    m_plot->m_dataRange.m_nPoints = 100000;
    m_plot->ApplySettings();
    EXPECT_EQ(m_plot->m_anColumnCounts.size(), 100000u);
    m_plot->m_dataRange.m_nPoints = 10;  // never shrinks
    m_plot->ApplySettings();
    EXPECT_EQ(m_plot->m_anColumnCounts.size(), 100000u);
    m_plot->m_dataRange.m_nPoints = -3;
    m_plot->ApplySettings();
    EXPECT_EQ(m_plot->GetPointCount(), 0);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PlotTest, ForceRedrawMarksEverythingDirty)
{
    m_plot->SetPlotArea(0, 0, 800, 600);
    m_plot->m_bFrameDirty = m_plot->m_bLayoutDirty = m_plot->m_bDataDirty = 0;
    EXPECT_EQ(m_plot->ForceRedraw(), -1);
    EXPECT_TRUE(m_plot->m_bFrameDirty && m_plot->m_bLayoutDirty && m_plot->m_bDataDirty);
    EXPECT_EQ(m_plot->m_nFrameRedraws, 2);
    EXPECT_EQ(m_plot->m_rcWindow, PlotRect{});
}

TEST_F(PlotTest, ResetStateRestoresModesButKeepsTheData)
{
    std::vector<float> data(16, 1.0f);
    m_plot->m_pData = data.data();
    m_plot->m_nMathMode = 2;
    m_plot->m_nMathFunction = 1;
    m_plot->m_bPolar = 1;
    m_plot->m_nActiveCurve = 5;
    m_plot->m_nStride = 8;
    m_plot->m_nHarmonicCount = 3;
    m_plot->m_dTone1 = 1.0;
    m_plot->m_nGuard = 1;
    m_plot->m_dataRange.m_nPoints = 16;
    m_plot->m_viewRange.m_dYMax = 50.0;
    m_plot->m_spareRange.m_dYMax = 50.0;
    m_plot->m_arrStats[3].m_dSum = 9.0;
    m_plot->m_arrReducedValues[1][10] = 4.0f;
    m_plot->m_afMathHistory[7] = 3.0f;
    m_plot->m_nMathHistoryPosition = 9;
    m_plot->ResetState();
    EXPECT_EQ(m_plot->m_nMathMode, 0);
    EXPECT_EQ(m_plot->m_nMathFunction, 0);
    EXPECT_EQ(m_plot->m_bPolar, 0);
    EXPECT_EQ(m_plot->m_nActiveCurve, 0);
    EXPECT_EQ(m_plot->m_nStride, -1);
    EXPECT_EQ(m_plot->m_nHarmonicCount, 20);
    EXPECT_EQ(m_plot->m_dTone1, 18000.0);
    EXPECT_EQ(m_plot->m_nGuard, 7967715u);
    EXPECT_EQ(m_plot->m_dataRange.m_nPoints, 0);
    EXPECT_EQ(m_plot->m_viewRange.m_dYMax, 1.0);
    EXPECT_EQ(m_plot->m_spareRange.m_dYMax, 50.0);  // the owner's spare is not touched
    EXPECT_EQ(m_plot->m_arrStats[3].m_dSum, 0.0);
    EXPECT_EQ(m_plot->m_arrReducedValues[1][10], 0.0f);
    EXPECT_EQ(m_plot->m_afMathHistory[7], 0.0f);
    EXPECT_EQ(m_plot->m_nMathHistoryPosition, 0);
    EXPECT_EQ(m_plot->m_pData, data.data());
}

TEST_F(PlotTest, MathCurveResetsToTheStartOfItsFunction)
{
    const struct
    {
        int function;
        float start;
    } cases[] = {{0, -1e9f}, {1, 1e9f}, {2, 0.0f}};
    for (const auto& c : cases)
    {
        m_plot->m_nMathFunction = c.function;
        m_plot->m_afMathCurve.assign(100, 5.0f);
        m_plot->ResetMathCurve();
        EXPECT_EQ(m_plot->m_afMathCurve[0], c.start);
        EXPECT_EQ(m_plot->m_afMathCurve[99], c.start);
    }
}

TEST_F(PlotTest, PlotAreaLeavesTheMargins)
{
    m_plot->SetPlotArea(10, 20, 810, 620);
    EXPECT_EQ(m_plot->m_rcWindow, (PlotRect{10, 20, 810, 620}));
    EXPECT_EQ(m_plot->m_nPlotLeft, 100);
    EXPECT_EQ(m_plot->m_nPlotTop, 30);
    EXPECT_EQ(m_plot->m_nPlotRight, 810);
    EXPECT_EQ(m_plot->m_nPlotBottom, 560);
    m_plot->m_bSideAxis = 1;
    m_plot->SetPlotArea(10, 20, 810, 620);
    EXPECT_EQ(m_plot->m_nPlotRight, 710);
}

TEST_F(PlotTest, RangeResetAndSizes)
{
    CPlotRange range;
    range.m_dYMax = 5;
    range.m_dYMin = -5;
    range.m_dXMin = 20;
    range.m_dXMax = 20000;
    EXPECT_EQ(range.GetHeight(), 10.0);
    EXPECT_EQ(range.GetWidth(), 19980.0);
    range.m_bDecibel = 1;
    range.m_nPoints = 7;
    range.m_dLogFactor = 20.0;
    range.m_dXScale = 3.0;
    range.m_xText.m_strText1 = "kept";
    range.Reset();
    EXPECT_EQ(range.m_dYMax, 1.0);
    EXPECT_EQ(range.m_dYMin, 0.0);
    EXPECT_EQ(range.m_dXMin, 0.0);
    EXPECT_EQ(range.m_dXMax, 1.0);
    EXPECT_EQ(range.m_bDecibel, 0);
    EXPECT_EQ(range.m_nPoints, 0);
    EXPECT_EQ(range.m_dLogFactor, 10.0);
    EXPECT_EQ(range.m_dXScale, 1.0);
    EXPECT_EQ(range.m_dLinearScale, 1.0);
    EXPECT_EQ(range.m_xText.m_strText1, "kept");
}

TEST_F(PlotTest, AxisTextEqualityComparesTheNamedFieldsOnly)
{
    CAxisText a;
    a.m_dValue1 = 1;
    a.m_dValue2 = 4;
    EXPECT_EQ(a.GetSpan(), 3.0);
    CAxisText b = a;
    b.m_strText1 = "other";  // texts do not count
    b.m_dValue3 = 9;         // nor the third and fourth numbers
    b.m_bClockTime = 1;
    EXPECT_TRUE(a == b);
    const auto differs = [&](auto change)
    {
        CAxisText c = a;
        change(c);
        return !(a == c);
    };
    EXPECT_TRUE(differs([](CAxisText& c) { c.m_dValue2 = 5; }));
    EXPECT_TRUE(differs([](CAxisText& c) { c.m_nValue2 = 1; }));
    EXPECT_TRUE(differs([](CAxisText& c) { c.m_dValue6 = 1; }));
    EXPECT_TRUE(differs([](CAxisText& c) { c.m_nValue9 = 1; }));
}

}  // namespace
