// The polar diagram and the vectorscope picture.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "PaintFixture.h"
#include "display/PolarPlot.h"
#include "display/VectorscopeImage.h"

namespace
{

using namespace painttest;

TEST(PolarPlotTest, DefaultRangeIsAHalfCircleWithZeroUp)
{
    CPolarPlot polar;
    polar.SetArea(0, 0, 400, 300);
    EXPECT_EQ(polar.m_nCentreX, 200);
    EXPECT_EQ(polar.m_nCentreY, 295);
    EXPECT_DOUBLE_EQ(polar.m_dAngleOffset, 90.0);
    EXPECT_DOUBLE_EQ(polar.m_dScaleX, 200.0);
    EXPECT_DOUBLE_EQ(polar.m_dScaleY, 200.0);
    EXPECT_EQ(polar.PolarToPixel(0.0, 1.0), (gfx::Point{200, 95}));
    // -90 and +90 lie level with the centre, on either side.
    const gfx::Point a = polar.PolarToPixel(-90.0, 1.0);
    const gfx::Point b = polar.PolarToPixel(90.0, 1.0);
    EXPECT_EQ(a.y, 295);
    EXPECT_EQ(b.y, 295);
    EXPECT_EQ(std::abs(a.x - 200), 200);
    EXPECT_EQ(a.x + b.x, 400);
    // A full circle keeps the centre in the middle and starts at 0 degrees on the right.
    polar.m_dAngleMin = 0.0;
    polar.m_dAngleMax = 360.0;
    polar.SetArea(0, 0, 400, 300);
    EXPECT_EQ(polar.m_nCentreY, 150);
    EXPECT_DOUBLE_EQ(polar.m_dScaleX, 150.0);
    EXPECT_EQ(polar.PolarToPixel(0.0, 1.0), (gfx::Point{350, 150}));
}

TEST(PolarPlotTest, LevelsClampBetweenCentreAndOuterRing)
{
    CPolarPlot polar;
    EXPECT_DOUBLE_EQ(polar.NormalizeRadius(-100.0), 0.0);
    EXPECT_DOUBLE_EQ(polar.NormalizeRadius(-300.0), 0.0);
    EXPECT_DOUBLE_EQ(polar.NormalizeRadius(10.0), CPolarPlot::kOuterRadius);
    EXPECT_DOUBLE_EQ(polar.NormalizeRadius(50.0), CPolarPlot::kOuterRadius);
    EXPECT_DOUBLE_EQ(polar.NormalizeRadius(-45.0), 0.5 * CPolarPlot::kOuterRadius);
    polar.m_bLogarithmic = 1;
    EXPECT_DOUBLE_EQ(polar.ToDisplay(100.0), 20.0);
    EXPECT_NEAR(polar.FromDisplay(20.0), 100.0, 1e-9);
}

TEST(PolarPlotTest, PixelsOutsideTheAngleRangeReadZero)
{
    CPolarPlot polar;
    polar.SetArea(0, 0, 400, 300);
    double angle = 1.0;
    double value = 0.0;
    // Straight below the centre: 180 degrees from 0.
    polar.PixelToPolar(200, 299 + 50, &angle, &value);
    EXPECT_DOUBLE_EQ(angle, 0.0);
    // Beyond the outer ring the level stops at the maximum.
    polar.PixelToPolar(200, -500, &angle, &value);
    EXPECT_DOUBLE_EQ(angle, 0.0);
    EXPECT_DOUBLE_EQ(value, 10.0);
}

TEST(PolarPlotTest, PixelAndPolarRoundTripWithMirrors)
{
    for (int mirrorX : {0, 1})
        for (int mirrorY : {0, 1})
        {
            CPolarPlot polar;
            polar.m_dAngleMin = -180.0;
            polar.m_dAngleMax = 180.0;
            polar.m_bMirrorX = mirrorX;
            polar.m_bMirrorY = mirrorY;
            polar.SetArea(10, 20, 610, 620);
            for (double a : {-150.0, -60.0, 0.0, 30.0, 120.0})
                for (double level : {-80.0, -20.0, 5.0})
                {
                    const gfx::Point p = polar.PolarToPixel(a, polar.NormalizeRadius(level));
                    double angle = 0.0;
                    double value = 0.0;
                    polar.PixelToPolar(p.x, p.y, &angle, &value);
                    // Within the angle one pixel spans at that radius.
                    EXPECT_NEAR(angle, a, 1.0) << mirrorX << mirrorY << " " << a << " " << level;
                    EXPECT_NEAR(value, level, 0.5) << mirrorX << mirrorY << " " << a << " " << level;
                }
        }
}

TEST(PolarPlotTest, PlotDrawsGridInTheFrameAndTheCurveOverIt)
{
    CPlot plot;
    std::vector<float> data;
    SetUpLinear(plot, data, 181);
    plot.m_bPolar = 1;
    plot.m_viewRange.m_dYMin = -40.0;
    plot.m_viewRange.m_dYMax = 0.0;
    plot.m_dataRange.m_bDecibel = 1;
    plot.m_dataRange.m_dLogFactor = 20.0;
    std::vector<float> angles(181);
    for (int i = 0; i < 181; ++i)
    {
        angles[static_cast<std::size_t>(i)] = static_cast<float>(i - 90);
        // Cardioid: (1 + cos a) / 2.
        data[static_cast<std::size_t>(i)] =
            static_cast<float>(std::max(1e-3, 0.5 * (1.0 + std::cos((i - 90) * std::numbers::pi / 180.0))));
    }
    plot.m_pPolarAngles = angles.data();
    gfx::RecordingCanvas canvas(800, 600);
    plot.Draw(canvas, 0, 0, 800, 600);
    const auto& frame = *canvas.Images().front();
    EXPECT_FALSE(frame.FindTexts("0\xC2\xB0").empty());
    EXPECT_FALSE(frame.FindTexts("90\xC2\xB0").empty());
    EXPECT_FALSE(frame.FindTexts("-20dB").empty());
    const auto& image = *canvas.Images().back();
    const Op* curve = nullptr;
    for (const Op& op : image.ops)
        if (op.kind == Kind::Polyline && op.pen.width == 2)
            curve = &op;
    ASSERT_NE(curve, nullptr);
    // 0 degrees (full level) reaches the outer ring straight above the centre; +-90 degrees (-6 dB).
    const CPolarPlot& polar = plot.m_polar;
    EXPECT_EQ(curve->points[90], polar.PolarToPixel(0.0, CPolarPlot::kOuterRadius));
    EXPECT_EQ(curve->points[0], polar.PolarToPixel(-90.0, polar.NormalizeRadius(20.0 * std::log10(0.5))));
}

// The vectorscope: two channels against each other.
class VectorscopeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_x.resize(64);
        m_y.resize(64);
        for (int i = 0; i < 64; ++i)
        {
            m_x[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(2.0 * std::numbers::pi * i / 64));
            m_y[static_cast<std::size_t>(i)] = m_x[static_cast<std::size_t>(i)];
        }
        m_image.m_nLineMode = 1;
    }
    const Op& LastTrace(const gfx::RecordingCanvas& canvas) const
    {
        return *OpsOf(canvas, Kind::Polyline).back();
    }
    std::vector<float> m_x;
    std::vector<float> m_y;
    CVectorscopeImage m_image;
};

TEST_F(VectorscopeTest, MonoSignalTurnsUprightOrLevelAtPlusMinus45)
{
    gfx::RecordingCanvas canvas(300, 300);
    m_image.m_nDepth = 0;
    m_image.m_dRotation = 45.0;
    m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 64);
    for (const gfx::Point& p : LastTrace(canvas).points)
        EXPECT_NEAR(p.x, 105, 1);
    canvas.Clear();
    m_image.m_dRotation = -45.0;
    m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 64);
    for (const gfx::Point& p : LastTrace(canvas).points)
        EXPECT_NEAR(p.y, 105, 1);
    // Unturned: the diagonal; the peak (x = y = 1) at the upper right corner of the picture.
    canvas.Clear();
    m_image.m_dRotation = 0.0;
    m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 64);
    EXPECT_EQ(LastTrace(canvas).points[16], (gfx::Point{205, 5}));
}

TEST_F(VectorscopeTest, MissingYLiesOnTheHorizontalAxis)
{
    gfx::RecordingCanvas canvas(300, 300);
    m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), nullptr, 64);
    for (const gfx::Point& p : LastTrace(canvas).points)
        EXPECT_EQ(p.y, 105);
}

TEST_F(VectorscopeTest, DepthZeroDrawsOnlyTheCurrentTraceAndHistoryFades)
{
    gfx::RecordingCanvas canvas(300, 300);
    m_image.m_nDepth = 0;
    for (int k = 0; k < 3; ++k)
        m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 64);
    EXPECT_EQ(canvas.Count(Kind::Polyline), 3);
    EXPECT_EQ(m_image.GetStoredTraceCount(), 0);

    canvas.Clear();
    m_image.m_nDepth = 3;
    m_image.m_dDecay = 0.5;
    for (int k = 0; k < 5; ++k)
        m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 64);
    EXPECT_EQ(m_image.GetStoredTraceCount(), 3);
    canvas.Clear();
    m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 64);
    const auto traces = OpsOf(canvas, Kind::Polyline);
    ASSERT_EQ(traces.size(), 4u);
    // Faintest first: green 255 x 0.5^3, 0.5^2, 0.5, then the current trace.
    EXPECT_EQ(traces[0]->pen.color, RgbColor(0, 31, 0));
    EXPECT_EQ(traces[1]->pen.color, RgbColor(0, 63, 0));
    EXPECT_EQ(traces[2]->pen.color, RgbColor(0, 127, 0));
    EXPECT_EQ(traces[3]->pen.color, RgbColor(0, 255, 0));

    // A depth above the slots is held to them.
    m_image.m_nDepth = 1000;
    for (int k = 0; k < 300; ++k)
        m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 64);
    EXPECT_EQ(m_image.GetStoredTraceCount(), CVectorscopeImage::kMaxDepth);
}

TEST_F(VectorscopeTest, HistoryIsClearedWhenCountOrDepthChanges)
{
    gfx::RecordingCanvas canvas(300, 300);
    m_image.m_nDepth = 4;
    for (int k = 0; k < 3; ++k)
        m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 64);
    EXPECT_EQ(m_image.GetStoredTraceCount(), 3);
    m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 32);
    EXPECT_EQ(m_image.GetStoredTraceCount(), 1);
    m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 32);
    m_image.m_nDepth = 5;
    m_image.Draw(canvas, 0, 0, 210, 210, m_x.data(), m_y.data(), 32);
    EXPECT_EQ(m_image.GetStoredTraceCount(), 1);
}

TEST_F(VectorscopeTest, PlotDrawsItInsteadOfCurvesWhileActive)
{
    CPlot plot;
    std::vector<float> data;
    SetUpLinear(plot, data, 64, 2);
    std::copy(m_x.begin(), m_x.end(), data.begin());
    std::copy(m_y.begin(), m_y.end(), data.begin() + 64);
    plot.m_vectorscope.active = 1;
    plot.m_vectorscope.rotation = 1;
    plot.m_vectorscope.style = 1;
    gfx::RecordingCanvas canvas(800, 600);
    plot.Draw(canvas, 0, 0, 800, 600);
    const auto& image = *canvas.Images().back();
    const Op* trace = nullptr;
    for (const Op& op : image.ops)
        if (op.kind == Kind::Polyline)
            trace = &op;
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(trace->pen.color, 0x00FF00u);
    const int centre = (plot.m_nPlotLeft + 5 + plot.m_nPlotRight - 5) / 2;
    for (const gfx::Point& p : trace->points)
        EXPECT_NEAR(p.x, centre, 1);
}

}  // namespace
