#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <limits>
#include <mutex>
#include <thread>

#include "display/ColorMap.h"
#include "display/CurveMarkers.h"
#include "display/Plot.h"
#include "platform/gfx/RecordingCanvas.h"
#include "tests/display/PaintFixture.h"

namespace
{

using namespace painttest;
using gfx::RecordingCanvas;

constexpr int kWidth = 1000;
constexpr int kHeight = 600;

class PlotPaintTest : public ::testing::Test
{
protected:
    CPlot m_plot;
    std::vector<float> m_data;
};

// Each paint copies the cached frame onto one new off-screen image, draws the curves there and
// copies that image once to the target; the frame is drawn again only when asked.
TEST_F(PlotPaintTest, EachPaintCopiesTheCachedFrameAndOneImage)
{
    SetUpLinear(m_plot, m_data, 100);
    RecordingCanvas target(kWidth, kHeight);

    m_plot.Draw(target, 0, 0, kWidth, kHeight);
    // First paint: frame cache, second cache, off-screen image.
    ASSERT_EQ(target.Images().size(), 3u);
    const auto& frame = *target.Images()[0];
    const auto& offscreen = *target.Images()[2];
    EXPECT_GT(frame.Count(Kind::Line), 10);  // grid and axes
    EXPECT_EQ(frame.Count(Kind::Polyline), 0);
    ASSERT_GE(offscreen.ops.size(), 3u);
    EXPECT_EQ(offscreen.ops[1].kind, Kind::Image);
    EXPECT_EQ(offscreen.ops[1].imageId, frame.id);
    EXPECT_EQ(offscreen.Count(Kind::Polyline), 1);
    ASSERT_EQ(target.Ops().size(), 1u);
    EXPECT_EQ(target.Ops()[0].imageId, offscreen.id);

    // While the redraw count is above 0 the frame is drawn again; after that a paint adds one
    // image, which starts with a copy of the last frame and is copied once to the target.
    while (m_plot.m_nFrameRedraws > 0)
        m_plot.Draw(target, 0, 0, kWidth, kHeight);
    const int lastFrame = target.Images().back()->ops[1].imageId;
    for (int paint = 0; paint < 2; ++paint)
    {
        const std::size_t images = target.Images().size();
        const std::size_t copies = target.Ops().size();
        m_plot.Draw(target, 0, 0, kWidth, kHeight);
        ASSERT_EQ(target.Images().size(), images + 1);
        EXPECT_EQ(target.Images().back()->ops[1].imageId, lastFrame);
        ASSERT_EQ(target.Ops().size(), copies + 1);
        EXPECT_EQ(target.Ops().back().imageId, target.Images().back()->id);
    }

    // A dirty frame is drawn once more, then cached again.
    m_plot.m_bFrameDirty = 1;
    std::size_t images = target.Images().size();
    m_plot.Draw(target, 0, 0, kWidth, kHeight);
    EXPECT_EQ(target.Images().size(), images + 2);
    EXPECT_GT(target.Images()[images]->Count(Kind::Line), 10);
    images = target.Images().size();
    m_plot.Draw(target, 0, 0, kWidth, kHeight);
    EXPECT_EQ(target.Images().size(), images + 1);

    // A new window size makes a new second cache.
    images = target.Images().size();
    m_plot.m_bFrameDirty = 1;
    m_plot.Draw(target, 0, 0, kWidth / 2, kHeight);
    EXPECT_EQ(target.Images().size(), images + 3);
}

TEST_F(PlotPaintTest, FrameFillsMarginsAndPlotAreaAndWritesTheXTitle)
{
    SetUpLinear(m_plot, m_data, 100);
    m_plot.m_strXTitle = "Frequency";
    RecordingCanvas canvas(kWidth, kHeight);
    m_plot.DrawFrame(canvas, 0, 0, kWidth, kHeight);
    EXPECT_EQ(m_plot.m_nPlotLeft, 90);
    EXPECT_EQ(m_plot.m_nPlotTop, 10);
    EXPECT_EQ(m_plot.m_nPlotRight, kWidth);
    EXPECT_EQ(m_plot.m_nPlotBottom, kHeight - 60);
    const auto fills = OpsOf(canvas, Kind::FillRect);
    ASSERT_EQ(fills.size(), 5u);
    const gfx::Color frame = m_plot.m_colorScheme.GetColor(CColorScheme::RoleFrameBackground);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(fills[static_cast<std::size_t>(i)]->fill, frame);
    EXPECT_EQ(fills[4]->rect, (gfx::Rect{90, 10, kWidth, kHeight - 60}));
    EXPECT_EQ(fills[4]->fill, m_plot.m_colorScheme.GetColor(CColorScheme::RolePlotBackground));

    const auto titles = canvas.FindTexts("Frequency");
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0]->rect, (gfx::Rect{90, kHeight - 31, kWidth, kHeight - 11}));
    EXPECT_EQ(titles[0]->align, gfx::Align::Centre);
    EXPECT_EQ(titles[0]->font, (gfx::Font{"Arial", 16, true}));

    // The frame: black, width 2, from the bottom right up, left, down and back.
    std::vector<std::vector<gfx::Point>> frameLines;
    for (const Op* op : OpsOf(canvas, Kind::Line))
        if (op->pen == gfx::Pen{0x000000, 2, gfx::PenStyle::Solid})
            frameLines.push_back(op->points);
    ASSERT_EQ(frameLines.size(), 4u);
    EXPECT_EQ(frameLines[0], (std::vector<gfx::Point>{{kWidth, 540}, {kWidth, 10}}));
    EXPECT_EQ(frameLines[1], (std::vector<gfx::Point>{{kWidth, 10}, {90, 10}}));
    EXPECT_EQ(frameLines[3], (std::vector<gfx::Point>{{90, 540}, {kWidth, 540}}));
}

// Columns start at least 2 pixels apart: a million points on a 600-pixel plot area give at most
// about 302 vertices, twice that in the min-and-max mode.
TEST_F(PlotPaintTest, MillionPointsReduceToAboutHalfThePlotWidth)
{
    SetUpLinear(m_plot, m_data, 1000000);
    for (std::size_t i = 0; i < m_data.size(); ++i)
        m_data[i] = static_cast<float>(5.0 + 4.0 * std::sin(static_cast<double>(i) * 0.001));
    for (const int mode : {0, 3})
    {
        m_plot.m_nReductionMode = mode;
        m_plot.ForceRedraw();
        RecordingCanvas canvas(690, 400);
        m_plot.DrawCurves(canvas, 0, 0, 690, 400);
        ASSERT_EQ(m_plot.m_nPlotRight - m_plot.m_nPlotLeft, 600);
        const auto lines = OpsOf(canvas, Kind::Polyline);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_LE(m_plot.m_nColumnCount, 303);
        EXPECT_GE(m_plot.m_nColumnCount, 290);
        EXPECT_EQ(static_cast<int>(lines[0]->points.size()), (mode == 3 ? 2 : 1) * m_plot.m_nColumnCount);
        for (std::size_t i = 1; i < lines[0]->points.size(); ++i)
            EXPECT_GE(lines[0]->points[i].x, lines[0]->points[i - 1].x);
    }
}

TEST_F(PlotPaintTest, BuildColumnsCountsSkippedPointsTowardsTheNextColumn)
{
    // 11 points over 100 pixels (10 pixels apart), then the same over 5 pixels (half a pixel).
    SetUpLinear(m_plot, m_data, 11);
    m_plot.SetPlotArea(0, 0, 190, 100);
    m_plot.m_nLayoutCapacity = 102;
    m_plot.BuildColumns(0, 10);
    ASSERT_EQ(m_plot.m_nColumnCount, 12);
    EXPECT_EQ(m_plot.m_arrColumns[0].x, 90);
    EXPECT_EQ(m_plot.m_anColumnCounts[0], 0);
    EXPECT_EQ(m_plot.m_arrColumns[1].x, 100);
    EXPECT_EQ(m_plot.m_anColumnCounts[1], 2);  // index 0 starts none, index 1 starts this one
    for (int c = 2; c <= 10; ++c)
        EXPECT_EQ(m_plot.m_anColumnCounts[static_cast<std::size_t>(c)], 1);
    EXPECT_EQ(m_plot.m_arrColumns[11].x, 190);
    EXPECT_EQ(m_plot.m_anColumnCounts[11], 0);

    m_plot.SetPlotArea(0, 0, 95, 100);
    m_plot.BuildColumns(0, 10);
    // Pixels 90, 90, 91, 91, 92, ... 95: a new column every fourth point; the points after the
    // last column started (94.5 and 95) are dropped.
    ASSERT_EQ(m_plot.m_nColumnCount, 4);
    EXPECT_EQ(m_plot.m_anColumnCounts[1], 5);
    EXPECT_EQ(m_plot.m_anColumnCounts[2], 4);
    EXPECT_EQ(m_plot.m_arrColumns[2].x, 94);
    EXPECT_EQ(m_plot.m_arrColumns[3].x, 95);
}

// The column layout of a linear axis, found by searching for each column's first index, equals
// the one found by visiting every index in turn (the straightforward walk, kept here as reference),
// for dense and sparse curves, zoomed views, reversed and offset axes and narrow plots.
TEST_F(PlotPaintTest, SearchedColumnLayoutEqualsTheWalkOverEveryIndex)
{
    struct LayoutCase
    {
        int points;
        double xMin;
        double xMax;
        double offset;
        double scale;
        int right;
        int capacity;
    };
    const LayoutCase cases[] = {
        {2000000, 0.0, 1999999.0, 0.0, 1.0, 1000, 1002},      // millions of points over 910 pixels
        {2000000, 1234.5, 9876.25, 0.0, 1.0, 1000, 1002},     // zoomed in: a few points per column
        {2000000, 500000.0, 500300.0, 0.0, 1.0, 1000, 1002},  // zoomed far in: columns apart
        {300, 0.0, 299.0, 0.0, 1.0, 1000, 1002},              // fewer points than pixels
        {100000, 10.0, 0.0, 0.0, 1.0, 1000, 1002},            // reversed axis: the walk serves
        {100000, 0.0, 2.0, 0.5, 1e-5, 1000, 1002},            // offset and scaled x values
        {100000, 0.0, 99999.0, 0.0, 1.0, 1000, 40},           // the layout capacity runs out
        {100000, 0.0, 99999.0, 0.0, 1.0, 95, 102},            // a narrow plot
        {7, 0.0, 6.0, 0.0, 1.0, 1000, 1002},
    };
    for (const LayoutCase& c : cases)
    {
        SCOPED_TRACE(c.points);
        SCOPED_TRACE(c.xMin);
        SetUpLinear(m_plot, m_data, c.points);
        m_plot.m_viewRange.m_dXMin = c.xMin;
        m_plot.m_viewRange.m_dXMax = c.xMax;
        m_plot.m_dataRange.m_dXOffset = c.offset;
        m_plot.m_dataRange.m_dXScale = c.scale;
        m_plot.SetPlotArea(0, 0, c.right, 100);
        m_plot.m_nLayoutCapacity = c.capacity;
        int first = 0;
        int last = 0;
        m_plot.GetVisibleIndexRange(&first, &last, nullptr);
        m_plot.BuildColumns(first, last);

        const CPlotRange& view = m_plot.m_viewRange;
        const double perIndex = m_plot.m_dBinWidth * c.scale;
        const double scale = (m_plot.m_nPlotRight - m_plot.m_nPlotLeft) / (view.m_dXMax - view.m_dXMin);
        const int lo = std::min(m_plot.m_nPlotLeft, m_plot.m_nPlotRight);
        const int hi = std::max(m_plot.m_nPlotLeft, m_plot.m_nPlotRight);
        const auto pixelOf = [&](int index)
        {
            const double px = m_plot.m_nPlotLeft + (c.offset + index * perIndex - view.m_dXMin) * scale;
            return !(px > lo) ? lo : !(px < hi) ? hi : static_cast<int>(px);
        };
        std::vector<int> xs{pixelOf(0)};
        std::vector<int> counts{0};
        int pending = 0;
        for (int i = first; i <= last && static_cast<int>(xs.size()) < c.capacity - 1; ++i)
        {
            const int px = pixelOf(i);
            if (px >= xs.back() + 2)
            {
                xs.push_back(px);
                counts.push_back(pending + 1);
                pending = 0;
            }
            else
            {
                ++pending;
            }
        }
        xs.push_back(pixelOf(last));
        counts.push_back(0);

        ASSERT_EQ(m_plot.m_nColumnCount, static_cast<int>(xs.size()));
        for (std::size_t k = 0; k < xs.size(); ++k)
        {
            ASSERT_EQ(m_plot.m_arrColumns[k].x, xs[k]) << k;
            ASSERT_EQ(m_plot.m_anColumnCounts[k], counts[k]) << k;
        }
    }
}

struct ReductionCase
{
    int mode;
    float column1;
    float column2;
};

// Two columns of four points each: {1, -3, 2, 3} and {0.5, 2, -1, 1}.
TEST_F(PlotPaintTest, ReductionRulesGiveTheValueOfEachColumn)
{
    const ReductionCase cases[] = {
        {0, -3.0f, 2.0f},    // peak: the tie |-3| = |3| keeps the earlier value
        {1, 0.75f, 0.625f},  // mean
        {2, 3.0f, -1.0f},    // envelope: from 0 the maximum on a tie; from 3 the minimum lies farther
        {4, -3.0f, -1.0f},   // minimum
        {5, 3.0f, 2.0f},     // maximum
        {6, 3.0f, 2.5f},     // sum
        {7, 0.0f, 0.0f},     // unknown rule
    };
    SetUpLinear(m_plot, m_data, 8);
    m_data = {1.0f, -3.0f, 2.0f, 3.0f, 0.5f, 2.0f, -1.0f, 1.0f};
    m_plot.m_pData = m_data.data();
    m_plot.m_viewRange.m_dYMin = -5.0;
    m_plot.m_viewRange.m_dYMax = 5.0;
    m_plot.SetPlotArea(0, 0, 190, 170);
    m_plot.m_anColumnCounts.assign(16, 0);
    m_plot.m_anColumnCounts[1] = 4;
    m_plot.m_anColumnCounts[2] = 4;
    m_plot.m_nColumnCount = 4;
    for (const ReductionCase& c : cases)
    {
        std::vector<gfx::Point> points(4);
        std::vector<float> reduced(CPlot::kReducedValueCount, 99.0f);
        m_plot.ReduceColumns(points, m_data, reduced, 4, 0, 7, c.mode);
        EXPECT_FLOAT_EQ(reduced[1], c.column1) << "mode " << c.mode;
        EXPECT_FLOAT_EQ(reduced[2], c.column2) << "mode " << c.mode;
        // The end columns hold the values at x min and x max: the first and last point here.
        EXPECT_FLOAT_EQ(reduced[0], 1.0f);
        EXPECT_FLOAT_EQ(reduced[3], 1.0f);
        // y pixels: 0 at the middle of the area 10..110, 10 pixels per unit, clamped at its edges.
        const auto pixel = [](float v) { return std::clamp(static_cast<int>(60.0 - 10.0 * v), 10, 110); };
        EXPECT_EQ(points[1].y, pixel(c.column1)) << "mode " << c.mode;
    }
}

// Long columns (the minimum and maximum are taken in several lanes at once) give exactly what a
// point-by-point search gives: the first of tied values with its sign, a NaN only where it opens
// the column.
TEST_F(PlotPaintTest, MinimumAndMaximumOfLongColumnsMatchAPointByPointSearch)
{
    constexpr int kRun = 37;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<std::vector<float>> runs;
    std::vector<float> ramp(kRun);
    for (int i = 0; i < kRun; ++i)
        ramp[static_cast<std::size_t>(i)] = static_cast<float>((i * 7) % 23) - 11.0f;
    runs.push_back(ramp);
    std::vector<float> zeros(kRun, -1.0f);
    // The first zero is negative, later ones positive; the lanes meet the later one first.
    zeros[8] = -0.0f;
    zeros[9] = 0.0f;
    zeros[30] = 0.0f;
    runs.push_back(zeros);
    std::vector<float> negativeZeros(kRun, 1.0f);
    negativeZeros[8] = 0.0f;
    negativeZeros[9] = -0.0f;
    runs.push_back(negativeZeros);
    std::vector<float> nanInside = ramp;
    nanInside[9] = nan;
    nanInside[kRun - 1] = nan;
    runs.push_back(nanInside);
    std::vector<float> nanFirst = ramp;
    nanFirst[0] = nan;
    runs.push_back(nanFirst);

    SetUpLinear(m_plot, m_data, kRun);
    m_plot.m_viewRange.m_dYMin = -20.0;
    m_plot.m_viewRange.m_dYMax = 20.0;
    m_plot.SetPlotArea(0, 0, 190, 170);
    m_plot.m_anColumnCounts.assign(16, 0);
    m_plot.m_anColumnCounts[1] = kRun;
    m_plot.m_nColumnCount = 3;
    for (std::size_t r = 0; r < runs.size(); ++r)
    {
        const std::vector<float>& run = runs[r];
        for (const int mode : {4, 5})
        {
            const float expected = mode == 4 ? *std::min_element(run.begin(), run.end())
                                             : *std::max_element(run.begin(), run.end());
            std::vector<gfx::Point> points(3);
            std::vector<float> reduced(CPlot::kReducedValueCount, 99.0f);
            m_plot.ReduceColumns(points, run, reduced, 3, 0, kRun - 1, mode);
            if (std::isnan(expected))
            {
                EXPECT_TRUE(std::isnan(reduced[1])) << "run " << r << " mode " << mode;
                continue;
            }
            EXPECT_EQ(reduced[1], expected) << "run " << r << " mode " << mode;
            EXPECT_EQ(std::signbit(reduced[1]), std::signbit(expected)) << "run " << r << " mode " << mode;
        }
    }
}

TEST_F(PlotPaintTest, EndColumnsInterpolateAtTheEdgesOfTheVisibleRange)
{
    SetUpLinear(m_plot, m_data, 10);
    for (int i = 0; i < 10; ++i)
        m_data[static_cast<std::size_t>(i)] = static_cast<float>(i * 2);
    m_plot.m_viewRange.m_dXMin = 2.25;
    m_plot.m_viewRange.m_dXMax = 6.5;
    m_plot.m_viewRange.m_dYMax = 20.0;
    m_plot.SetPlotArea(0, 0, 190, 110);
    m_plot.m_anColumnCounts.assign(16, 0);
    m_plot.m_anColumnCounts[1] = 4;
    m_plot.m_nColumnCount = 3;
    std::vector<gfx::Point> points(3);
    std::vector<float> reduced(CPlot::kReducedValueCount);
    m_plot.ReduceColumns(points, m_data, reduced, 3, 3, 6, 5);
    EXPECT_FLOAT_EQ(reduced[0], 4.5f);   // between points 2 and 3
    EXPECT_FLOAT_EQ(reduced[1], 12.0f);  // maximum of points 3..6
    EXPECT_FLOAT_EQ(reduced[2], 13.0f);  // between points 6 and 7
}

TEST_F(PlotPaintTest, CurveMarkersStandAtTenEqualStepsOnThePolyline)
{
    SetUpLinear(m_plot, m_data, 10);
    m_plot.SetPlotArea(0, 0, 200, 100);  // plot area 90..200: steps of 10
    RecordingCanvas canvas(200, 100);
    const gfx::Point line[] = {{90, 80}, {150, 20}, {200, 20}};
    m_plot.DrawCurveMarkers(canvas, line, MARKER_BOX);
    m_plot.DrawCurveMarkers(canvas, line, 0);
    const auto boxes = OpsOf(canvas, Kind::Line);
    // A box is one closed path of four lines.
    ASSERT_EQ(boxes.size(), 40u);
    for (int k = 0; k < 10; ++k)
    {
        const Op& first = *boxes[static_cast<std::size_t>(4 * k)];
        const int x = 90 + 10 * (k + 1);
        const int y = x <= 150 ? 80 - (x - 90) : 20;
        // The box path starts at its lower left corner.
        EXPECT_EQ(first.points[0], (gfx::Point{x - 4, y + 4})) << k;
    }
}

// The curves, the readouts and the hooks come in the order the picture needs: each later layer
// lies over the earlier ones.
TEST_F(PlotPaintTest, LayersAreDrawnInOrder)
{
    SetUpLinear(m_plot, m_data, 1000);
    std::fill(m_data.begin(), m_data.end(), 5.0f);
    m_plot.m_bLevelBars = 1;
    m_plot.m_arrLevelBars[0] = {4.0, 6.0, 7.0};
    m_plot.m_bTriggerMarker = 1;
    m_plot.m_dTriggerLevel = 3.0;
    m_plot.m_bCrosshair = 1;
    m_plot.m_ptMouse = {500, 300};
    m_plot.m_bNoteNames = 1;
    const double markers[] = {250.0};
    m_plot.m_bFrequencyMarkers = 1;
    m_plot.m_pFrequencyMarkers = markers;
    m_plot.m_nFrequencyMarkers = 1;
    int hookAt = -1;
    RecordingCanvas canvas(kWidth, kHeight);
    m_plot.m_fnForegroundHook = [&](gfx::Canvas&) { hookAt = static_cast<int>(canvas.Ops().size()); };
    m_plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);

    const CColorScheme& colors = m_plot.m_colorScheme;
    const int curve = FirstIndex(canvas, [](const Op& op) { return op.kind == Kind::Polyline; });
    const int bars =
        FirstIndex(canvas, [](const Op& op) { return op.kind == Kind::FillRect && op.fill == 0x00FF00u; });
    const int trigger = FirstIndex(
        canvas,
        [&](const Op& op)
        {
            return op.kind == Kind::Line &&
                   op.pen.color == colors.GetColor(CColorScheme::RoleTriggerScanning) && op.pen.width == 2;
        });
    const int crosshair = FirstIndex(
        canvas, [&](const Op& op)
        { return op.kind == Kind::Line && op.pen.color == colors.GetColor(CColorScheme::RoleCrosshair); });
    const int note =
        FirstIndex(canvas, [](const Op& op)
                   { return op.kind == Kind::Text && op.text.find("Hz)") != std::string::npos; });
    const int marker = FirstIndex(
        canvas, [&](const Op& op)
        { return op.kind == Kind::Line && op.pen.color == colors.GetColor(CColorScheme::RoleMarkerPen); });
    ASSERT_GE(curve, 0);
    EXPECT_LE(curve, hookAt);
    EXPECT_LE(hookAt, bars);
    EXPECT_LT(bars, trigger);
    EXPECT_LT(trigger, crosshair);
    EXPECT_LT(crosshair, note);
    EXPECT_LT(note, marker);
    EXPECT_EQ(m_plot.m_nPaintCount, 1);
}

// A probe that asks from another thread whether the display lock is free at every drawing call.
class LockProbeCanvas : public gfx::RecordingCanvas
{
public:
    LockProbeCanvas(int w, int h, std::mutex& lock) : RecordingCanvas(w, h), m_lock(lock) {}
    void Polyline(std::span<const gfx::Point> points) override
    {
        Probe();
        RecordingCanvas::Polyline(points);
    }
    void LineTo(int x, int y) override
    {
        Probe();
        RecordingCanvas::LineTo(x, y);
    }
    void FillRect(const gfx::Rect& r, gfx::Color c) override
    {
        Probe();
        RecordingCanvas::FillRect(r, c);
    }
    void DrawText(std::string_view t, const gfx::Rect& r, gfx::Align a) override
    {
        Probe();
        RecordingCanvas::DrawText(t, r, a);
    }
    int m_nProbes = 0;
    int m_nHeld = 0;

private:
    void Probe()
    {
        ++m_nProbes;
        const bool free = std::async(std::launch::async,
                                     [this]
                                     {
                                         if (!m_lock.try_lock())
                                             return false;
                                         m_lock.unlock();
                                         return true;
                                     })
                              .get();
        m_nHeld += free ? 0 : 1;
    }
    std::mutex& m_lock;
};

TEST_F(PlotPaintTest, DisplayLockIsFreeWhileDrawing)
{
    std::mutex lock;
    SetUpLinear(m_plot, m_data, 5000, 2);
    m_plot.m_pDisplayLock = &lock;
    m_plot.m_nMathMode = CPlot::kMathWithChannels;
    m_plot.m_bCrosshair = 1;
    m_plot.m_ptMouse = {400, 300};
    m_plot.ApplySettings();
    LockProbeCanvas canvas(kWidth, kHeight, lock);
    m_plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);
    EXPECT_EQ(canvas.Count(Kind::Polyline), 3);
    EXPECT_GT(canvas.m_nProbes, 3);
    EXPECT_EQ(canvas.m_nHeld, 0);
}

// The painter waits for the engine's lock before it reads the data: what the engine writes while
// holding it is what gets drawn.
TEST_F(PlotPaintTest, ReductionWaitsForTheDisplayLock)
{
    for (const int markersAtPoints : {0, 1})
    {
        std::mutex lock;
        CPlot plot;
        std::vector<float> data;
        SetUpLinear(plot, data, 200);
        std::vector<float> xTable(200);
        for (int i = 0; i < 200; ++i)
            xTable[static_cast<std::size_t>(i)] = static_cast<float>(i);
        plot.m_pXTable = xTable.data();
        plot.m_bMarkersAtPoints = markersAtPoints;
        plot.m_pDisplayLock = &lock;
        RecordingCanvas canvas(kWidth, kHeight);
        std::unique_lock<std::mutex> engine(lock);
        std::atomic<bool> done{false};
        std::thread painter(
            [&]
            {
                plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);
                done = true;
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(done);
        std::fill(data.begin(), data.end(), 5.0f);
        engine.unlock();
        painter.join();
        EXPECT_FLOAT_EQ(plot.m_arrReducedValues[0][1], 5.0f);
        EXPECT_FLOAT_EQ(plot.m_arrReducedValues[0][50], 5.0f);
        const int middle = (plot.m_nPlotTop + plot.m_nPlotBottom) / 2;
        if (markersAtPoints)
        {
            // Filled boxes at every point, on the value written under the lock.
            const auto boxes = OpsOf(canvas, Kind::Rectangle);
            ASSERT_EQ(boxes.size(), 200u);
            EXPECT_EQ((boxes[10]->rect.top + boxes[10]->rect.bottom) / 2, middle);
        }
        else
        {
            const auto lines = OpsOf(canvas, Kind::Polyline);
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(lines[0]->points[5].y, middle);
        }
    }
}

// The math curve alone: the first displayed channel names the math curve, which used to count as
// a channel out of range, so nothing was ever drawn.
TEST_F(PlotPaintTest, MathCurveAloneIsDrawn)
{
    SetUpLinear(m_plot, m_data, 300, 2);
    for (int i = 0; i < 300; ++i)
        m_data[static_cast<std::size_t>(i)] = static_cast<float>(i % 10);
    m_plot.m_nMathMode = CPlot::kMathAlone;
    m_plot.m_nMathFunction = CPlot::kMathMaximum;
    m_plot.ApplySettings();
    m_plot.ResetMathCurve();
    RecordingCanvas canvas(kWidth, kHeight);
    m_plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);
    const auto lines = OpsOf(canvas, Kind::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->pen.color, m_plot.m_mathStyle.GetColor());
    // The held maximum follows channel 0; the next paint keeps the larger values.
    EXPECT_FLOAT_EQ(m_plot.m_afMathCurve[9], 9.0f);
    std::fill(m_data.begin(), m_data.begin() + 300, 1.0f);
    m_plot.m_bDataDirty = 1;
    m_plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);
    EXPECT_FLOAT_EQ(m_plot.m_afMathCurve[9], 9.0f);
    EXPECT_FLOAT_EQ(m_plot.m_afMathCurve[10], 1.0f);
    EXPECT_EQ(m_plot.GetCurveValueAt(0, 150.0) > 0.0, true);
}

TEST_F(PlotPaintTest, NoDataDrawsNothingButCountsThePaint)
{
    SetUpLinear(m_plot, m_data, 100);
    m_plot.m_pData = nullptr;
    int hooks = 0;
    m_plot.m_fnForegroundHook = [&](gfx::Canvas&) { ++hooks; };
    RecordingCanvas canvas(kWidth, kHeight);
    m_plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);
    EXPECT_TRUE(canvas.Ops().empty());
    EXPECT_EQ(hooks, 1);
    EXPECT_EQ(m_plot.m_nPaintCount, 1);
}

TEST_F(PlotPaintTest, TracesFadeBehindTheLiveCurve)
{
    SetUpLinear(m_plot, m_data, 500);
    m_plot.m_nTraceDepth = 3;
    RecordingCanvas canvas(kWidth, kHeight);
    for (int paint = 0; paint < 5; ++paint)
    {
        std::fill(m_data.begin(), m_data.end(), static_cast<float>(paint));
        m_plot.m_bDataDirty = 1;
        canvas.Clear();
        m_plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);
    }
    const auto lines = OpsOf(canvas, Kind::Polyline);
    // Three stored traces (paints 1..3), then the live curve of paint 4 on top.
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3]->pen.color, m_plot.m_arrStyles[0].GetColor());
    const int bottom = m_plot.m_nPlotBottom;
    EXPECT_EQ(lines[0]->points[5].y, bottom - 53);  // value 1 on 0..10 over 530 pixels
    EXPECT_EQ(lines[2]->points[5].y, bottom - 159);
    EXPECT_NE(lines[0]->pen.color, lines[2]->pen.color);

    // With the colour-map flag the traces run through the sonagram's colours, the oldest blue.
    m_plot.m_bTraceColorMap = 1;
    m_plot.m_bDataDirty = 1;
    canvas.Clear();
    m_plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);
    const auto mapped = OpsOf(canvas, Kind::Polyline);
    ASSERT_EQ(mapped.size(), 4u);
    EXPECT_EQ(mapped[0]->pen.color, ColorMapRgb(2, 2, 0));
    EXPECT_EQ(mapped[2]->pen.color, ColorMapRgb(0, 2, 0));
}

}  // namespace

namespace
{

std::mutex* g_statsLock = nullptr;
std::atomic<int> g_thdNCalls{0};
std::atomic<bool> g_thdNLockHeld{false};

// THD+N reference: records whether the display lock was held while it read the data (it runs on
// a thread of its own for a long curve, so probing the lock from here is sound).
double ProbingThdN(const float* p, int bins, double, double, int)
{
    ++g_thdNCalls;
    const bool free = g_statsLock->try_lock();
    if (free)
        g_statsLock->unlock();
    g_thdNLockHeld = !free;
    return bins > 0 ? static_cast<double>(p[0]) : 0.0;
}

}  // namespace

// The statistics of a long curve are read in the same hold of the display lock as the reduction:
// they see what the engine wrote under it, the lock is free while anything is drawn, and the
// extremes keep the first index of a tie.
TEST_F(PlotPaintTest, StatisticsOfALongCurveReadTheDataUnderTheReductionsLock)
{
    constexpr int kPoints = 300000;
    std::mutex lock;
    SetUpLinear(m_plot, m_data, kPoints);
    m_plot.m_pDisplayLock = &lock;
    g_statsLock = &lock;
    g_thdNCalls = 0;
    m_plot.SetSpectrumFigures(SpectrumFigureFunctions{nullptr, nullptr, nullptr, ProbingThdN});
    LockProbeCanvas canvas(kWidth, kHeight, lock);

    std::unique_lock<std::mutex> engine(lock);
    std::thread painter([&] { m_plot.DrawCurves(canvas, 0, 0, kWidth, kHeight); });
    // Written while the painter waits: 0.25 everywhere, ties of the maximum 4 at 1000 and 250000,
    // of the minimum -2 at 7 and 299998.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::fill(m_data.begin(), m_data.end(), 0.25f);
    m_data[1000] = m_data[250000] = 4.0f;
    m_data[7] = m_data[kPoints - 2] = -2.0f;
    engine.unlock();
    painter.join();
    g_statsLock = nullptr;

    EXPECT_EQ(g_thdNCalls, 1);
    EXPECT_TRUE(g_thdNLockHeld);
    EXPECT_EQ(canvas.m_nHeld, 0);
    EXPECT_GT(canvas.m_nProbes, 0);
    const CCurveStatistics* s = m_plot.GetCurveStats(0);
    ASSERT_NE(s, nullptr);
    // x min 0 rounds up past index 0 (the visible range rule).
    EXPECT_EQ(s->m_nFirst, 1);
    EXPECT_EQ(s->m_nLast, kPoints - 1);
    EXPECT_EQ(s->m_nMaximumIndex, 1000);
    EXPECT_DOUBLE_EQ(s->m_dMaximum, 4.0);
    EXPECT_EQ(s->m_nMinimumIndex, 7);
    EXPECT_DOUBLE_EQ(s->m_dMinimum, -2.0);
    // Indices 1..kPoints - 2: all 0.25 but two 4s and two -2s.
    const double count = kPoints - 2;
    EXPECT_NEAR(s->m_dSum, (count - 4) * 0.25 + 2 * 4.0 + 2 * -2.0, 1e-9);
    EXPECT_NEAR(s->m_dSumOfSquares, (count - 4) * 0.0625 + 2 * 16.0 + 2 * 4.0, 1e-9);
    EXPECT_DOUBLE_EQ(s->m_dThdN, 0.5);  // root of the reference's ratio, the first value
}

namespace
{

// Plays the engine while the curve is drawn: the lock is free then, so new data may arrive.
class EngineWritesWhileDrawing : public gfx::RecordingCanvas
{
public:
    EngineWritesWhileDrawing(int w, int h, std::mutex& lock, std::vector<float>& data)
        : RecordingCanvas(w, h), m_lock(lock), m_data(data)
    {
    }
    void Polyline(std::span<const gfx::Point> points) override
    {
        {
            const std::lock_guard<std::mutex> engine(m_lock);
            std::fill(m_data.begin(), m_data.end(), 9.0f);
        }
        RecordingCanvas::Polyline(points);
    }

private:
    std::mutex& m_lock;
    std::vector<float>& m_data;
};

}  // namespace

// The statistics describe the data that were drawn, not what the engine wrote after the
// reduction released the lock (they used to take the lock again after drawing).
TEST_F(PlotPaintTest, StatisticsDescribeTheDrawnData)
{
    for (const int points : {1000, 300000})
    {
        std::mutex lock;
        CPlot plot;
        std::vector<float> data;
        SetUpLinear(plot, data, points);
        for (int i = 0; i < points; ++i)
            data[static_cast<std::size_t>(i)] = static_cast<float>(i % 10);
        plot.m_pDisplayLock = &lock;
        EngineWritesWhileDrawing canvas(kWidth, kHeight, lock, data);
        plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);
        EXPECT_FLOAT_EQ(data[5], 9.0f) << points;  // the engine did write
        const CCurveStatistics* s = plot.GetCurveStats(0);
        ASSERT_NE(s, nullptr);
        // Indices 1..points - 2 of 0, 1, ..., 9 repeated: the first 9 at 9, the first 0 at 10.
        EXPECT_EQ(s->m_nMaximumIndex, 9) << points;
        EXPECT_EQ(s->m_nMinimumIndex, 10) << points;
        EXPECT_DOUBLE_EQ(s->m_dMinimum, 0.0) << points;
        double sum = 0.0;
        for (int i = 1; i < points - 1; ++i)
            sum += i % 10;
        EXPECT_NEAR(s->m_dSum, sum, 1e-9) << points;
    }
}
