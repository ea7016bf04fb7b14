#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "display/Plot.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kPoints = 8;
constexpr int kChannels = 3;

// Three channels of 8 points; channels 0 and 2 displayed; bin width 10.
class CurveQueries : public testing::Test
{
protected:
    CurveQueries() : m_plot(std::make_unique<CPlot>()), m_data(kChannels * kPoints)
    {
        for (int c = 0; c < kChannels; ++c)
            for (int i = 0; i < kPoints; ++i)
                m_data[c * kPoints + i] = static_cast<float>(100 * c + i);
        CPlot& p = *m_plot;
        p.m_pData = m_data.data();
        p.m_nChannels = kChannels;
        p.m_abDisplayed.fill(0);
        p.m_abDisplayed[0] = 1;
        p.m_abDisplayed[2] = 1;
        p.m_dataRange.m_nPoints = kPoints;
        p.m_dBinWidth = 10.0;
        p.ApplySettings();
    }

    std::unique_ptr<CPlot> m_plot;
    std::vector<float> m_data;
};

TEST_F(CurveQueries, CurvesNumberTheDisplayedChannelsThenTheMathCurve)
{
    CPlot& p = *m_plot;
    struct Case
    {
        int mathMode;
        int count;
        std::vector<int> channelOfCurve;  // for curves -1..count
    };
    const Case cases[] = {
        {0, 2, {-1, 0, 2, -1}},
        {2, 3, {-1, 0, 2, -1, -1}},
        {1, 1, {-1, -1, -1}},
    };
    for (const Case& c : cases)
    {
        p.m_nMathMode = c.mathMode;
        EXPECT_EQ(p.GetCurveCount(), c.count);
        for (int curve = -1; curve <= c.count; ++curve)
            EXPECT_EQ(p.GetCurveChannel(curve), c.channelOfCurve[static_cast<std::size_t>(curve + 1)])
                << "math mode " << c.mathMode << " curve " << curve;
    }
}

TEST_F(CurveQueries, CurveOfAChannel)
{
    CPlot& p = *m_plot;
    const struct
    {
        int mathMode, channel, curve;
    } cases[] = {
        {0, 0, 0},     {0, 2, 1},     {0, 1, 0},    // channel 1 is hidden: the curve before it
        {0, 3, -1},    {0, -1, -1},   {0, 64, -1},  // outside the plot's channels
        {2, 10000, 2}, {1, 10000, 0}, {0, 10000, -1},
    };
    for (const auto& c : cases)
    {
        p.m_nMathMode = c.mathMode;
        EXPECT_EQ(p.GetCurveOfChannel(c.channel), c.curve)
            << "mode " << c.mathMode << " channel " << c.channel;
    }
}

TEST_F(CurveQueries, ChannelDataComesFromTheOwnersArraysWithinTheChannelCount)
{
    CPlot& p = *m_plot;
    EXPECT_EQ(p.GetChannelData(0), m_data.data());
    EXPECT_EQ(p.GetChannelData(2), m_data.data() + 2 * kPoints);
    EXPECT_EQ(p.GetChannelData(3), nullptr);  // past the owner's channels
    EXPECT_EQ(p.GetChannelData(-1), nullptr);
    EXPECT_EQ(p.GetChannelData(10000), nullptr);

    // A positive stride replaces the point count as the distance between channels.
    p.m_nStride = 5;
    EXPECT_EQ(p.GetChannelData(2), m_data.data() + 10);

    // Without the block pointer, the per-channel pointers.
    std::vector<float> own(kPoints, 7.0f);
    p.m_pData = nullptr;
    p.m_arrChannelData[1] = own.data();
    EXPECT_EQ(p.GetChannelData(1), own.data());
    EXPECT_EQ(p.GetChannelData(0), nullptr);
}

TEST_F(CurveQueries, PointsOutsideTheCurveReadZero)
{
    CPlot& p = *m_plot;
    const struct
    {
        int curve, index;
        float value;
    } cases[] = {{0, 0, 0.0f},  {0, 7, 7.0f}, {1, 3, 203.0f}, {1, 8, 0.0f},
                 {1, -1, 0.0f}, {2, 0, 0.0f}, {-1, 0, 0.0f}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(p.GetCurvePoint(c.curve, c.index), c.value) << c.curve << "," << c.index;
        EXPECT_EQ(p.GetCurveDisplayValue(c.curve, c.index), c.value);
    }
}

TEST_F(CurveQueries, MathCurveData)
{
    CPlot& p = *m_plot;
    p.m_nMathMode = CPlot::kMathWithChannels;
    p.m_nMathFunction = CPlot::kMathMaximum;
    EXPECT_EQ(p.GetCurveData(2), p.m_afMathCurve.data());
    EXPECT_EQ(p.GetCurveMathFunction(2), 0);
    EXPECT_EQ(p.GetCurveMathFunction(0), -1);
    EXPECT_EQ(p.GetCurveName(2), "MAX");
    // The average comes from the owner's block, at the first displayed channel's row.
    std::vector<float> averages(kChannels * kPoints, 1.0f);
    p.m_nMathFunction = CPlot::kMathAverage;
    EXPECT_EQ(p.GetCurveData(2), nullptr);
    p.m_pMathAverageData = averages.data();
    p.m_abDisplayed[0] = 0;
    EXPECT_EQ(p.GetCurveData(1), averages.data() + 2 * kPoints);
    EXPECT_EQ(p.GetCurveName(1), "AVG");
    // A point of the math curve past the point count reads zero even though its buffer is longer.
    p.m_nMathFunction = CPlot::kMathMinimum;
    p.ResetMathCurve();
    EXPECT_EQ(p.GetCurvePoint(1, kPoints - 1), 1e9f);
    EXPECT_EQ(p.GetCurvePoint(1, kPoints), 0.0f);
}

TEST_F(CurveQueries, InternalXTableUsesThePlotsOwnCopies)
{
    CPlot& p = *m_plot;
    std::span<float> copy = p.GetChannelCopy(2);
    ASSERT_EQ(copy.size(), 2160u);
    copy[3] = 42.0f;
    p.m_afXTable[0] = 100.0f;
    p.m_afXTable[1] = 200.0f;
    p.m_nXTableCount = 2;
    EXPECT_EQ(p.GetXTable(), p.m_afXTable.data());
    EXPECT_EQ(p.GetCurvePoint(1, 3), 42.0f);
    EXPECT_EQ(p.GetXValue(1), 200.0);
    EXPECT_EQ(p.GetXValue(5), 200.0);  // past the table's count: its last entry
    EXPECT_TRUE(p.GetChannelCopy(64).empty());
    EXPECT_TRUE(p.GetChannelCopy(-1).empty());
}

TEST_F(CurveQueries, XValues)
{
    CPlot& p = *m_plot;
    p.m_dataRange.m_dXOffset = 5.0;
    p.m_dataRange.m_dXScale = 2.0;
    EXPECT_EQ(p.GetXValue(3), 5.0 + 2.0 * 10.0 * 3);
    const float table[kPoints] = {1, 2, 4, 8, 16, 32, 64, 128};
    p.m_pXTable = table;
    EXPECT_EQ(p.GetXTable(), table);
    EXPECT_EQ(p.GetXValue(3), 5.0 + 2.0 * 8);
    EXPECT_EQ(p.GetXValue(-4), 5.0 + 2.0 * 1);
    EXPECT_EQ(p.GetXValue(1000), 5.0 + 2.0 * 128);
}

TEST_F(CurveQueries, StylesCopyInAndOut)
{
    CPlot& p = *m_plot;
    CCurveStyle style;
    style.m_nColorIndex = 11;
    style.m_nWidth = 3;
    style.m_strLabel = "left";
    EXPECT_TRUE(p.SetCurveStyle(1, style));
    EXPECT_EQ(p.m_arrStyles[2].m_nColorIndex, 11);
    EXPECT_EQ(p.m_arrStyles[2].m_strLabel, "left");
    CCurveStyle out;
    EXPECT_TRUE(p.GetCurveStyle(1, out));
    EXPECT_EQ(out.m_nWidth, 3);
    EXPECT_FALSE(p.SetCurveStyle(2, style));
    EXPECT_FALSE(p.GetCurveStyle(-1, out));
    p.m_nMathMode = CPlot::kMathWithChannels;
    EXPECT_TRUE(p.GetCurveStyle(2, out));
    EXPECT_EQ(out.m_nColorIndex, 3);  // the math-curve style
}

TEST(CurveLabelTest, LabelTable)
{
    // English for this run, without storing a choice.
    g_nLanguage = LANGUAGE_ENGLISH;
    g_bLanguageCached = 1;
    const struct
    {
        int n, kind;
        const char* text;
    } cases[] = {
        {0, 0, "Ch#1"},       {63, 0, "Ch#64"}, {64, 0, ""}, {-1, 0, ""}, {0, 1, "MAX"},
        {1, 1, "MIN"},        {2, 1, "AVG"},    {3, 1, ""},  {-1, 1, ""}, {0, 2, "overlay 1"},
        {9, 2, "overlay 10"}, {10, 2, ""},      {-1, 2, ""}, {0, 3, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetCurveLabel(c.n, c.kind), c.text) << c.n << "," << c.kind;
}

TEST_F(CurveQueries, DisplayUnitsTable)
{
    CPlot& p = *m_plot;
    const struct
    {
        int decibel;
        double linearScale, linearOffset, logFactor, logOffset;
        float raw;
        double display;
    } cases[] = {
        {0, 1, 0, 10, 0, 3.0f, 3.0},    {0, 2, 1, 10, 0, 3.0f, 7.0},    {0, -0.5, 0, 10, 0, 4.0f, -2.0},
        {1, 1, 0, 10, 0, 100.0f, 20.0}, {1, 1, 0, 20, -3, 10.0f, 17.0}, {1, 1, 0, 10, 0, 1e-6f, -60.0},
    };
    for (const auto& c : cases)
    {
        p.m_dataRange.m_bDecibel = c.decibel;
        p.m_dataRange.m_dLinearScale = c.linearScale;
        p.m_dataRange.m_dLinearOffset = c.linearOffset;
        p.m_dataRange.m_dLogFactor = c.logFactor;
        p.m_dataRange.m_dLogOffset = c.logOffset;
        EXPECT_NEAR(p.ToDisplayValue(c.raw), c.display, 1e-5) << c.raw;
        EXPECT_NEAR(p.FromDisplayValue(c.display), c.raw, std::fabs(c.raw) * 1e-6) << c.display;
    }
}

TEST_F(CurveQueries, DecibelsOfZeroAndNegativeValuesStayFinite)
{
    CPlot& p = *m_plot;
    p.m_dataRange.m_bDecibel = 1;
    const double floor = 10.0 * std::log10(FLT_MIN);
    for (float raw : {0.0f, -1.0f, -1e30f, std::nanf("")})
        EXPECT_NEAR(p.ToDisplayValue(raw), floor, 1e-4) << raw;
}

// The plot area 90..690 x 10..410 (600 by 400 pixels) of a 690 by 470 window.
class PixelMapping : public CurveQueries
{
protected:
    void SetView(double xMin, double xMax, int xLog, double yMin, double yMax, int yLog)
    {
        CPlotRange& v = m_plot->m_viewRange;
        v.m_dXMin = xMin;
        v.m_dXMax = xMax;
        v.m_bXLog = xLog;
        v.m_dYMin = yMin;
        v.m_dYMax = yMax;
        v.m_bYLog = yLog;
        m_plot->SetPlotArea(0, 0, 690, 470);
    }
};

TEST_F(PixelMapping, ValueToPixelTable)
{
    const struct
    {
        double xMin, xMax;
        int xLog;
        double yMin, yMax;
        int yLog;
        double x, y;
        PlotPoint pixel;
    } cases[] = {
        {0, 100, 0, 0, 1, 0, 50, 0.5, {390, 210}},
        {0, 100, 0, 0, 1, 0, 0, 0, {90, 410}},     // x min: the left edge
        {0, 100, 0, 0, 1, 0, -10, 2, {90, -390}},  // x clamped, y not
        {0, 100, 0, 0, 1, 0, 200, -1, {690, 810}},
        {0, 100, 0, 0, 1, 0, 0.999, 0, {95, 410}},  // truncated
        {10, 10000, 1, 1, 10000, 1, 100, 100, {290, 210}},
        {10, 10000, 1, 1, 10000, 1, 10, 1, {90, 410}},
        {10, 10000, 1, 1, 10000, 1, 1, 0.01, {90, 610}},
        {-120, 0, 0, -120, 0, 0, -60, -30, {390, 110}},
    };
    for (const auto& c : cases)
    {
        SetView(c.xMin, c.xMax, c.xLog, c.yMin, c.yMax, c.yLog);
        PlotPoint point;
        m_plot->ValueToPixel(&point, c.x, c.y);
        EXPECT_EQ(point, c.pixel) << c.x << "," << c.y << " gave " << point.x << "," << point.y;
    }
}

TEST_F(PixelMapping, ValuesWithoutALogarithmMapOutsideThePlot)
{
    SetView(10, 10000, 1, 1, 10000, 1);
    PlotPoint point;
    m_plot->ValueToPixel(&point, 0.0, 0.0);
    EXPECT_EQ(point.x, 90);
    EXPECT_GT(point.y, 410);
    m_plot->ValueToPixel(&point, 1e300, 1e300);  // far too large: still an integer pixel
    EXPECT_EQ(point.x, 690);
    EXPECT_LT(point.y, 410 - 300 * 100 + 1);  // 300 decades above y min
    SetView(0, 100, 0, 0, 1, 0);
    m_plot->ValueToPixel(&point, 1e300, 1e300);  // beyond any integer pixel on a linear axis
    EXPECT_EQ(point.x, 690);
    EXPECT_LT(point.y, -10000000);
    m_plot->ValueToPixel(&point, std::nan(""), std::nan(""));
    EXPECT_EQ(point.x, 90);
}

TEST_F(PixelMapping, PixelToValueToPixelRoundTripsExactly)
{
    const struct
    {
        const char* name;
        double xMin, xMax;
        int xLog;
        double yMin, yMax;
        int yLog;
    } views[] = {
        {"linear", 0, 100, 0, 0, 1, 0},
        {"audio band", 20, 20000, 1, -120, 0, 0},
        {"sample rate", 0, 48000, 0, -1, 1, 0},
        {"seven decades", 0.001, 10000, 1, 1e-6, 10, 1},
        {"part of a decade", 200, 800, 1, 2, 5, 1},
        {"milliseconds", 0.0, 0.0213, 0, -0.003, 0.007, 0},
    };
    for (const auto& v : views)
    {
        SetView(v.xMin, v.xMax, v.xLog, v.yMin, v.yMax, v.yLog);
        int failures = 0;
        for (int px = 90; px <= 690; ++px)
        {
            for (int py = 10; py <= 410; py += 7)
            {
                float x = 0, y = 0;
                m_plot->PixelToValue(PlotPoint{px, py}, &x, &y);
                PlotPoint back;
                m_plot->ValueToPixel(&back, x, y);
                if (back != PlotPoint{px, py} && ++failures < 5)
                    ADD_FAILURE() << v.name << ": " << px << "," << py << " -> " << x << "," << y << " -> "
                                  << back.x << "," << back.y;
            }
        }
        EXPECT_EQ(failures, 0) << v.name;
    }
}

TEST_F(CurveQueries, VisibleIndexRangeWithoutATable)
{
    CPlot& p = *m_plot;
    p.m_dataRange.m_nPoints = 100;
    p.m_dBinWidth = 10.0;
    const struct
    {
        double xMin, xMax, binWidth;
        int first, last;
    } cases[] = {
        {0, 500, 10, 1, 51},  // the first index right of x min, the first right of x max
        {-1, 500, 10, 0, 51},
        {25, 1e9, 10, 3, 99},  // limited to the last point
        {-100, -50, 10, 0, 0},
        {2000, 3000, 10, 99, 99},
        {0, 500, 0, 0, 99},  // no distance between points: everything is visible
        {-1e300, 1e300, 1e-300, 0, 99},
    };
    for (const auto& c : cases)
    {
        p.m_viewRange.m_dXMin = c.xMin;
        p.m_viewRange.m_dXMax = c.xMax;
        p.m_dBinWidth = c.binWidth;
        int first = -7, last = -7;
        p.GetVisibleIndexRange(&first, &last, nullptr);
        EXPECT_EQ(first, c.first) << c.xMin << ".." << c.xMax;
        EXPECT_EQ(last, c.last) << c.xMin << ".." << c.xMax;
    }
    p.m_dataRange.m_nPoints = 0;
    int first = -7, last = -7;
    p.GetVisibleIndexRange(&first, &last, nullptr);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 0);
}

TEST_F(CurveQueries, VisibleIndexRangeWithATable)
{
    CPlot& p = *m_plot;
    const float table[kPoints] = {0, 1, 4, 9, 16, 25, 36, 49};
    const struct
    {
        double xMin, xMax;
        int first, last;
    } cases[] = {{4, 30, 2, 5}, {3, 36, 2, 6}, {-5, 100, 0, 7}, {60, 100, 7, 7}, {-9, -5, 0, 0}};
    for (const auto& c : cases)
    {
        p.m_viewRange.m_dXMin = c.xMin;
        p.m_viewRange.m_dXMax = c.xMax;
        int first = -7, last = -7;
        p.GetVisibleIndexRange(&first, &last, table);
        EXPECT_EQ(first, c.first) << c.xMin << ".." << c.xMax;
        EXPECT_EQ(last, c.last) << c.xMin << ".." << c.xMax;
    }
}

TEST_F(CurveQueries, AutoScaleBracketsTheVisibleData)
{
    CPlot& p = *m_plot;
    // Channel 0: -2 .. 6 inside x 0..50, a spike outside.
    const float channel0[kPoints] = {1, -2, 6, 3, 0, 2, 100, 100};
    const float channel2[kPoints] = {0.5f, 1, 1, 1, 1, 1, -50, -50};
    std::copy(channel0, channel0 + kPoints, m_data.begin());
    std::copy(channel2, channel2 + kPoints, m_data.begin() + 2 * kPoints);
    p.m_viewRange.m_dXMin = 0;
    p.m_viewRange.m_dXMax = 50;
    double yMin = 0, yMax = 0;
    p.AutoScaleY(&yMin, &yMax);
    EXPECT_DOUBLE_EQ(yMin, -2 - 0.8);
    EXPECT_DOUBLE_EQ(yMax, 6 + 0.8);

    // Logarithmic: a factor 1.2 above and below.
    for (float& v : m_data)
        v = std::fabs(v) + 1.0f;
    p.m_viewRange.m_bYLog = 1;
    p.AutoScaleY(&yMin, &yMax);
    EXPECT_DOUBLE_EQ(yMax, 7 * 1.2);
    EXPECT_DOUBLE_EQ(yMin, 1.0 / 1.2);
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_LE(yMin, m_data[static_cast<std::size_t>(i)]);
        EXPECT_GE(yMax, m_data[static_cast<std::size_t>(i)]);
    }
}

TEST_F(CurveQueries, AutoScaleLeavesTheRangeWithoutDataOrPoints)
{
    CPlot& p = *m_plot;
    double yMin = -3, yMax = 3;
    p.m_viewRange.m_dXMin = 1000;  // no point in view
    p.m_viewRange.m_dXMax = 2000;
    p.AutoScaleY(&yMin, &yMax);
    EXPECT_EQ(yMin, -3);
    EXPECT_EQ(yMax, 3);
    p.m_viewRange.m_dXMin = 0;
    p.m_pData = nullptr;  // a curve without data
    p.AutoScaleY(&yMin, &yMax);
    EXPECT_EQ(yMin, -3);
    EXPECT_EQ(yMax, 3);
}

// Columns every 100 pixels from the plot's left edge with reduced values 0, 10, 20, ...
class ValuesAtX : public PixelMapping
{
protected:
    void SetUp() override
    {
        SetView(0, 600, 0, -100, 100, 0);
        CPlot& p = *m_plot;
        p.m_arrColumns.clear();
        for (int i = 0; i < 7; ++i)
            p.m_arrColumns.push_back(PlotPoint{90 + 100 * i, 0});
        p.m_nColumnCount = 7;
        for (int i = 0; i < 7; ++i)
            p.m_arrReducedValues[0][static_cast<std::size_t>(i)] = 10.0f * i;
    }
};

TEST_F(ValuesAtX, InterpolateBetweenColumns)
{
    CPlot& p = *m_plot;
    const struct
    {
        double x, value;
    } cases[] = {{150, 15}, {100, 10}, {0, 0}, {600, 60}, {599, 59.9}, {-1, 0}, {601, 0}};
    for (const auto& c : cases)
    {
        EXPECT_NEAR(p.GetChannelValueAt(c.x, 0), c.value, 1e-9) << c.x;
        EXPECT_NEAR(p.GetCurveValueAt(0, c.x), c.value, 1e-9) << c.x;
    }
    // Not below the visible y minimum.
    p.m_arrReducedValues[0][2] = -1000.0f;
    EXPECT_EQ(p.GetChannelValueAt(200, 0), -100.0);
}

TEST_F(ValuesAtX, MissingOrShortBuffersGiveZero)
{
    CPlot& p = *m_plot;
    EXPECT_EQ(p.GetChannelValueAt(150, 5), 0.0);   // no reduced values allocated
    EXPECT_EQ(p.GetChannelValueAt(150, 64), 0.0);  // not a channel
    EXPECT_EQ(p.GetChannelValueAt(150, -1), 0.0);
    EXPECT_EQ(p.GetCurveValueAt(2, 150), 0.0);  // not a curve
    p.m_nColumnCount = 100000;                  // more columns than the layout holds
    EXPECT_NEAR(p.GetChannelValueAt(150, 0), 15.0, 1e-9);
    p.m_nColumnCount = 0;
    EXPECT_EQ(p.GetChannelValueAt(150, 0), 0.0);
}

TEST_F(ValuesAtX, MarkerValues)
{
    CPlot& p = *m_plot;
    const double markers[] = {250.0, 450.0};
    p.m_pFrequencyMarkers = markers;
    p.m_nFrequencyMarkers = 2;
    EXPECT_EQ(p.GetMarkerValue(0, 0), 0.0);  // markers off
    p.m_bFrequencyMarkers = 1;
    EXPECT_NEAR(p.GetMarkerValue(0, 0), 25.0, 1e-9);
    EXPECT_NEAR(p.GetMarkerValue(1, 0), 45.0, 1e-9);
    EXPECT_EQ(p.GetMarkerValue(2, 0), 0.0);
    EXPECT_EQ(p.GetMarkerValue(-1, 0), 0.0);
}

}  // namespace
