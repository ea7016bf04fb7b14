#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/TextFormatting.h"
#include "display/AxisNumbers.h"
#include "display/Plot.h"
#include "platform/gfx/RecordingCanvas.h"
#include "tests/display/PaintFixture.h"

namespace
{

using namespace painttest;
using gfx::RecordingCanvas;

// The texts of a canvas that lie in the x label row (starting 55 pixels above the window bottom).
std::vector<const Op*> XLabels(const RecordingCanvas& canvas, int windowBottom)
{
    std::vector<const Op*> labels;
    for (const Op* op : OpsOf(canvas, Kind::Text))
        if (op->rect.top == windowBottom - 55 && op->rect.bottom == windowBottom - 39)
            labels.push_back(op);
    return labels;
}

struct LogDensityCase
{
    int windowWidth;
    std::set<std::string> labelsOfFirstDecade;  // among 20 .. 90
};

// The label density of a logarithmic x axis follows the room a tenth of a decade takes beside the
// width of "000" (20 pixels on the recording canvas in the 12-pixel label font).
TEST(PlotAxisPaint, LogarithmicXLabelsThinOutWithTheRoomPerDecade)
{
    const LogDensityCase cases[] = {
        {2000, {"20", "30", "40", "50", "60", "70", "80", "90"}},  // 1910 px / 3 decades: d = 29
        {1000, {"20", "40", "60", "80"}},                          // 910 px: d = 13.9
        {500, {"20", "40"}},                                       // 410 px: d = 6.25 < w / 3
        {300, {"20", "40"}},                                       // 210 px: d = 3.2
    };
    for (const LogDensityCase& c : cases)
    {
        CPlot plot;
        std::vector<float> data;
        SetUpSpectrum(plot, data, 1024, 1, 23.4375);
        RecordingCanvas canvas(c.windowWidth, 600);
        plot.DrawFrame(canvas, 0, 0, c.windowWidth, 600);
        std::set<std::string> first;
        std::map<std::string, int> centres;
        for (const Op* op : XLabels(canvas, 600))
        {
            centres[op->text] = CentreX(*op);
            if (op->text.size() == 2 && op->text[1] == '0' && op->text[0] >= '2')
                first.insert(op->text);
        }
        EXPECT_EQ(first, c.labelsOfFirstDecade) << c.windowWidth;
        // The powers of ten are always labelled, centred on their pixels.
        const double perDecade = (c.windowWidth - 90) / 3.0;
        for (const auto& [text, decades] :
             std::vector<std::pair<std::string, int>>{{"100", 1}, {"1k", 2}, {"10k", 3}})
        {
            ASSERT_TRUE(centres.count(text)) << text << " at " << c.windowWidth;
            const double expected = 90 + perDecade * (decades - std::log10(2.0));
            EXPECT_NEAR(centres[text], expected, 1.0) << text;
        }
        // The walk ends at x max, which is a labelled multiple here.
        EXPECT_TRUE(centres.count("20k"));
        EXPECT_FALSE(centres.count("30k"));
    }
}

TEST(PlotAxisPaint, LogarithmicXGridHasDecadeLinesInTheDecadePen)
{
    CPlot plot;
    std::vector<float> data;
    SetUpSpectrum(plot, data, 1024, 1, 23.4375);
    RecordingCanvas canvas(1000, 600);
    plot.DrawXAxis(canvas);
    plot.SetPlotArea(0, 0, 1000, 600);
    canvas.Clear();
    plot.DrawXAxis(canvas);
    const gfx::Color decade = plot.m_darkStyle.GetColor();
    int vertical = 0;
    std::vector<int> decades;
    for (const Op* op : OpsOf(canvas, Kind::Line))
    {
        if (op->points[0].x != op->points[1].x)
            continue;
        ++vertical;
        EXPECT_EQ(op->points[0].y, 10);
        EXPECT_EQ(op->points[1].y, 540);
        if (op->pen.color == decade && op->pen.style == gfx::PenStyle::Solid)
            decades.push_back(op->points[0].x);
    }
    // 20..90, 100..900, 1000..9000, 10000, 20000: 8 + 9 + 9 + 2 lines; decades at 100, 1k, 10k.
    EXPECT_EQ(vertical, 28);
    ASSERT_EQ(decades.size(), 3u);
    EXPECT_NEAR(decades[0], 90 + 910 / 3.0 * (2 - std::log10(20.0)), 1.0);
}

TEST(PlotAxisPaint, LinearXLabelsTheTenDivisionGrid)
{
    CPlot plot;
    std::vector<float> data;
    SetUpLinear(plot, data, 11);  // x 0..10
    RecordingCanvas canvas(1090, 600);
    plot.DrawFrame(canvas, 0, 0, 1090, 600);
    const auto labels = XLabels(canvas, 600);
    ASSERT_EQ(labels.size(), 11u);
    for (int i = 0; i <= 10; ++i)
    {
        EXPECT_EQ(labels[static_cast<std::size_t>(i)]->text, FormatAxisNumber(i, 1.0));
        EXPECT_EQ(CentreX(*labels[static_cast<std::size_t>(i)]), 90 + 100 * i);
        EXPECT_EQ(labels[static_cast<std::size_t>(i)]->font, (gfx::Font{"Arial", 12, false}));
        EXPECT_EQ(labels[static_cast<std::size_t>(i)]->textBackground,
                  plot.m_colorScheme.GetColor(CColorScheme::RoleFrameBackground));
        EXPECT_EQ(labels[static_cast<std::size_t>(i)]->pen.style, gfx::PenStyle::Null);
    }
}

TEST(PlotAxisPaint, ClockTimeXAxisLabelsBelowThePlotArea)
{
    CPlot plot;
    std::vector<float> data;
    SetUpLinear(plot, data, 101);  // 0..100 s: steps of 10 s
    plot.m_viewRange.m_xText.m_bClockTime = 1;
    RecordingCanvas canvas(1090, 600);
    plot.DrawFrame(canvas, 0, 0, 1090, 600);
    std::vector<const Op*> labels;
    for (const Op* op : OpsOf(canvas, Kind::Text))
        if (op->rect.top == 540 && op->rect.bottom == 560)
            labels.push_back(op);
    ASSERT_EQ(labels.size(), 11u);
    for (int i = 0; i <= 10; ++i)
    {
        EXPECT_EQ(labels[static_cast<std::size_t>(i)]->text, FormatTimeByStyle(10.0 * i, 105));
        EXPECT_EQ(CentreX(*labels[static_cast<std::size_t>(i)]), 90 + 100 * i);
    }
}

struct YAxisCase
{
    int windowHeight;
    double yMin;
    double yMax;
    std::vector<std::string> firstLabels;
    std::size_t count;
};

// The y grid: 13 divisions, halved above 400 pixels, doubled below 180, 90 and 45.
TEST(PlotAxisPaint, LinearYLabelsFollowTheHeightOfThePlotArea)
{
    const YAxisCase cases[] = {
        {600, -120.0, 0.0, {"-120.0", "-115.0", "-110.0"}, 25},  // 530 px: step 10 halved, 1 decimal
        {300, -120.0, 0.0, {"-120", "-110", "-100"}, 13},        // 230 px: step 10
        {200, -120.0, 0.0, {"-120", "-100", "-80"}, 7},          // 130 px: doubled
        {150, -120.0, 0.0, {"-120", "-80", "-40"}, 4},           // 80 px: doubled twice
        {600, 0.0, 1.0, {"0.00", "0.05", "0.10"}, 21},           // step 0.05: two decimals
    };
    for (const YAxisCase& c : cases)
    {
        CPlot plot;
        std::vector<float> data;
        SetUpLinear(plot, data, 11);
        plot.m_viewRange.m_dYMin = c.yMin;
        plot.m_viewRange.m_dYMax = c.yMax;
        RecordingCanvas canvas(1000, c.windowHeight);
        plot.DrawFrame(canvas, 0, 0, 1000, c.windowHeight);
        std::vector<const Op*> labels;
        for (const Op* op : OpsOf(canvas, Kind::Text))
            if (op->align == gfx::Align::Right)
                labels.push_back(op);
        ASSERT_EQ(labels.size(), c.count) << c.windowHeight;
        const double height = c.windowHeight - 70;
        for (std::size_t i = 0; i < c.firstLabels.size(); ++i)
            EXPECT_EQ(labels[i]->text, c.firstLabels[i]) << c.windowHeight;
        // Right-aligned 5 pixels left of the plot area, centred on the grid line.
        EXPECT_EQ(labels[0]->rect.right, 85);
        EXPECT_EQ(CentreY(*labels[0]), c.windowHeight - 60);
        EXPECT_NEAR(CentreY(*labels[1]), c.windowHeight - 60 - height / (c.count - 1.0), 1.0);
    }
}

TEST(PlotAxisPaint, LogarithmicYLabelsDecadesAndForFewDecadesTwoAndFive)
{
    CPlot plot;
    std::vector<float> data;
    SetUpLinear(plot, data, 11);
    plot.m_viewRange.m_bYLog = 1;
    plot.m_viewRange.m_dYMin = 0.001;
    plot.m_viewRange.m_dYMax = 1.0;
    RecordingCanvas canvas(1000, 600);
    plot.DrawFrame(canvas, 0, 0, 1000, 600);
    std::vector<double> values;
    for (const Op* op : OpsOf(canvas, Kind::Text))
        if (op->align == gfx::Align::Right)
            values.push_back(std::stod(op->text));
    const std::vector<double> expected = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0};
    ASSERT_EQ(values.size(), expected.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_NEAR(values[i], expected[i], expected[i] * 1e-6);

    // Six decades: the decades alone.
    plot.m_viewRange.m_dYMin = 1e-6;
    canvas.Clear();
    plot.DrawFrame(canvas, 0, 0, 1000, 600);
    int count = 0;
    for (const Op* op : OpsOf(canvas, Kind::Text))
        count += op->align == gfx::Align::Right ? 1 : 0;
    EXPECT_EQ(count, 7);
}

TEST(PlotAxisPaint, YTitleIsWrittenUpwardsBesideTheLabels)
{
    CPlot plot;
    std::vector<float> data;
    SetUpLinear(plot, data, 11);
    plot.m_strYTitle = "Level [dB]";
    RecordingCanvas canvas(1000, 600);
    plot.DrawFrame(canvas, 0, 0, 1000, 600);
    const auto titles = canvas.FindTexts("Level [dB]");
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0]->kind, Kind::RotatedText);
    EXPECT_EQ(titles[0]->degrees, 90.0);
    EXPECT_EQ(titles[0]->rect.left, 4);
    // Centred on the plot area: its length (88 pixels at 16) reaches half up from the middle.
    EXPECT_EQ(titles[0]->rect.top, (10 + 540 + 88) / 2);
}

}  // namespace

namespace
{

// Every tick label lies whole inside the window at every label size: the last x label ("20k")
// stands centred on the plot's right edge, with the right margin's room beside it.
TEST(PlotAxisPaint, TickLabelsOfEverySizeLieWholeInsideTheWindow)
{
    for (const int pixels : {CPlot::kDefaultLabelFontPixels, 13, 16, 20, 24})
        for (const int width : {400, 800, 1280})
        {
            SCOPED_TRACE(testing::Message() << pixels << " px labels, " << width << " px window");
            CPlot plot;
            plot.m_nLabelFontPixels = pixels;
            plot.m_nRightMargin = plot.RightLabelRoom();
            std::vector<float> data;
            SetUpSpectrum(plot, data, 1024, 1, 23.4375);
            RecordingCanvas canvas(width, 500);
            plot.DrawFrame(canvas, 0, 0, width, 500);
            canvas.SetFont(gfx::Font{"Arial", pixels, false});
            bool last = false;
            for (const Op* op : OpsOf(canvas, Kind::Text))
            {
                const int textWidth = canvas.TextWidth(op->text);
                int left = op->rect.left;
                if (op->align == gfx::Align::Centre)
                    left = CentreX(*op) - textWidth / 2;
                else if (op->align == gfx::Align::Right)
                    left = op->rect.right - textWidth;
                EXPECT_GE(left, 0) << op->text;
                EXPECT_LE(left + textWidth, width) << op->text;
                last = last || op->text == "20k";
            }
            EXPECT_TRUE(last) << "the axis ends at 20 kHz with its label";
        }
}

}  // namespace
