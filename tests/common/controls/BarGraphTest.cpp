#include "common/controls/BarGraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/gfx/RecordingCanvas.h"

namespace
{

using Kind = gfx::RecordingCanvas::Kind;

struct Bar
{
    gfx::Rect green;
    gfx::Rect white;
};

// The bars drawn: each a green rectangle followed by a white one.
std::vector<Bar> Bars(const gfx::RecordingCanvas& canvas)
{
    std::vector<Bar> bars;
    const auto& ops = canvas.Ops();
    for (std::size_t i = 0; i + 1 < ops.size(); i += 2)
    {
        EXPECT_EQ(ops[i].kind, Kind::Rectangle);
        EXPECT_EQ(ops[i].brush.color, 0x00FF00u);
        EXPECT_EQ(ops[i + 1].brush.color, 0xFFFFFFu);
        bars.push_back({ops[i].rect, ops[i + 1].rect});
    }
    return bars;
}

CBarGraph Graph(std::vector<float> values, double minimum, double maximum)
{
    CBarGraph graph;
    graph.m_rect = {10, 20, 210, 120};
    graph.m_nBars = static_cast<int>(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        graph.m_values[i] = values[i];
    graph.m_dMin = minimum;
    graph.m_dMax = maximum;
    return graph;
}

TEST(BarGraph, TwoBarsInTwoHundredPixels)
{
    CBarGraph graph = Graph({-50.0f, -25.0f}, -100.0, 0.0);
    gfx::RecordingCanvas canvas(300, 200);
    graph.Draw(canvas);
    EXPECT_EQ(graph.m_nBarWidth, 86);
    EXPECT_EQ(graph.m_nGap, 25);
    const std::vector<Bar> bars = Bars(canvas);
    ASSERT_EQ(bars.size(), 2u);
    // Half and three quarters of the 100-pixel height are green, from the bottom up.
    EXPECT_EQ(bars[0].green, (gfx::Rect{10, 70, 96, 120}));
    EXPECT_EQ(bars[0].white, (gfx::Rect{10, 20, 96, 70}));
    EXPECT_EQ(bars[1].green, (gfx::Rect{121, 45, 207, 120}));
    EXPECT_EQ(bars[1].white, (gfx::Rect{121, 20, 207, 45}));
}

TEST(BarGraph, ValuesOutsideTheScaleStayInsideTheRectangle)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        const char* what;
        float value;
        double minimum, maximum;
        int green;  // pixels of the 100-pixel height
    };
    const Case cases[] = {
        {"at the minimum", -100.0f, -100.0, 0.0, 0},  {"below the minimum", -300.0f, -100.0, 0.0, 0},
        {"at the maximum", 0.0f, -100.0, 0.0, 100},   {"above the maximum", 12.0f, -100.0, 0.0, 100},
        {"not a number", nan, -100.0, 0.0, 0},        {"infinite", inf, -100.0, 0.0, 100},
        {"equal bounds, above", 1.0f, 0.0, 0.0, 100}, {"equal bounds, at them", 0.0f, 0.0, 0.0, 0},
        {"equal bounds, below", -1.0f, 0.0, 0.0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CBarGraph graph = Graph({c.value}, c.minimum, c.maximum);
        gfx::RecordingCanvas canvas(300, 200);
        graph.Draw(canvas);
        const std::vector<Bar> bars = Bars(canvas);
        ASSERT_EQ(bars.size(), 1u);
        EXPECT_EQ(bars[0].green.bottom - bars[0].green.top, c.green);
        EXPECT_EQ(bars[0].white.top, 20);
        EXPECT_EQ(bars[0].green.bottom, 120);
        EXPECT_EQ(bars[0].white.bottom, bars[0].green.top);
    }
}

TEST(BarGraph, BarCountIsBounded)
{
    CBarGraph graph = Graph({}, 0.0, 1.0);
    gfx::RecordingCanvas canvas(300, 200);
    graph.Draw(canvas);
    EXPECT_TRUE(canvas.Ops().empty());

    graph.m_rect = {0, 0, 2000, 50};
    graph.m_nBars = 1000;
    graph.Draw(canvas);
    EXPECT_EQ(Bars(canvas).size(), static_cast<std::size_t>(CBarGraph::kMaxBars));
    for (const Bar& bar : Bars(canvas))
        EXPECT_LE(bar.green.right, 2000);
}

}  // namespace
