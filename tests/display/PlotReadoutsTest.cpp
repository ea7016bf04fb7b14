#include <gtest/gtest.h>

#include "display/Plot.h"
#include "display/PlotReadouts.h"
#include "platform/gfx/RecordingCanvas.h"
#include "tests/display/PaintFixture.h"

namespace
{

using namespace painttest;
using gfx::RecordingCanvas;

struct NoteCase
{
    double frequency;
    int n;
    const char* name;
    double deviation;
    double noteFrequency;
};

// The integer part of the semitone count is taken, not the nearest integer.
TEST(PlotReadouts, NoteNamesTakeTheSemitoneBelow)
{
    const NoteCase cases[] =
        {
            {440.0, 8, "G#", 100.0, 415.3},   {450.0, 9, "A ", 38.2, 440.0},
            {250.0, 0, "C ", -79.2, 261.626}, {523.252, 12, "C ", 0.0, 523.252},
            {135.0, -11, "C#", -46.2, 138.6},  // negative counts wrap into the table
        };
    for (const NoteCase& c : cases)
    {
        const NoteReading note = ReadNote(c.frequency);
        EXPECT_EQ(note.n, c.n) << c.frequency;
        EXPECT_EQ(note.name, c.name) << c.frequency;
        EXPECT_NEAR(note.deviation, c.deviation, 0.05) << c.frequency;
        EXPECT_NEAR(note.frequency, c.noteFrequency, 0.05) << c.frequency;
    }
    EXPECT_EQ(FormatNoteReading(ReadNote(440.0)), "G# 100.0% (415.3Hz)");
}

TEST(PlotReadouts, LabelledTickRisesFromThePointWithItsTextAbove)
{
    RecordingCanvas canvas(100, 100);
    DrawLabelledTick(canvas, 50, 80, 20, "12.5");
    ASSERT_EQ(canvas.Ops().size(), 2u);
    EXPECT_EQ(canvas.Ops()[0].points, (std::vector<gfx::Point>{{50, 80}, {50, 60}}));
    EXPECT_EQ(canvas.Ops()[1].rect, (gfx::Rect{46, 40, 54, 50}));
    EXPECT_EQ(canvas.Ops()[1].align, gfx::Align::Centre);
}

class PlotReadoutsTest : public ::testing::Test
{
protected:
    // A linear plot, y 0..10 over 500 pixels (window 1090 x 570: plot area 90..1090, 10..510),
    // x 0..1000, its curve flat at 5.
    void SetUp() override
    {
        SetUpLinear(m_plot, m_data, 1001);
        std::fill(m_data.begin(), m_data.end(), 5.0f);
        RecordingCanvas canvas(1090, 570);
        m_plot.DrawCurves(canvas, 0, 0, 1090, 570);
    }
    int YOf(double v) const { return 510 - static_cast<int>(std::lround(v * 50.0)); }
    std::vector<const Op*> FillsOf(const RecordingCanvas& canvas, gfx::Color color) const
    {
        std::vector<const Op*> found;
        for (const Op* op : OpsOf(canvas, Kind::FillRect))
            if (op->fill == color)
                found.push_back(op);
        return found;
    }
    CPlot m_plot;
    std::vector<float> m_data;
};

TEST_F(PlotReadoutsTest, OneLevelBarWithPeakAndHoldMarks)
{
    m_plot.m_bLevelBars = 1;
    m_plot.m_arrLevelBars[0] = {4.0, 6.0, 8.0};
    RecordingCanvas canvas(1090, 570);
    m_plot.DrawLevelBars(canvas);
    const auto green = FillsOf(canvas, 0x00FF00);
    const auto red = FillsOf(canvas, 0x0000FF);
    ASSERT_EQ(green.size(), 1u);
    EXPECT_EQ(green[0]->rect, (gfx::Rect{75, YOf(4.0), 85, 510}));
    ASSERT_EQ(red.size(), 2u);
    EXPECT_EQ(red[0]->rect, (gfx::Rect{75, YOf(8.0) - 4, 85, YOf(8.0)}));
    EXPECT_EQ(red[1]->rect, (gfx::Rect{75, YOf(6.0) - 4, 85, YOf(6.0)}));
}

struct BarCase
{
    const char* what;
    double yMin;
    double yMax;
    int count;
    int decibel;
    CPlot::LevelBar bar;
    std::vector<gfx::Rect> green;
    int redMarksPerBar;
};

TEST_F(PlotReadoutsTest, LevelBarsFollowTheirValuesAndPlaces)
{
    m_plot.m_bLevelBars = 1;
    // The plot area is 10..510; -20 dB on -60..0 lies at 177, -6.02 dB at 60.
    const BarCase cases[] = {
        {"decibels grow from the bottom, no hold mark",
         -60,
         0,
         0,
         1,
         {0.1, 0.5, 0.9},
         {{75, 177, 85, 510}},
         1},
        {"above the range: full height", 0, 10, 0, 0, {12.0, -1.0, 5.0}, {{75, 10, 85, 510}}, 1},
        {"linear values grow from the zero line up",
         -10,
         10,
         0,
         0,
         {5.0, -20.0, -20.0},
         {{75, 135, 85, 260}},
         0},
        {"and down", -10, 10, 0, 0, {-5.0, -20.0, -20.0}, {{75, 260, 85, 385}}, 0},
        {"two bars", -60, 0, 1, 1, {0.1, 0.0, 0.0}, {{72, 177, 79, 510}, {80, 177, 87, 510}}, 0},
        {"nothing in range", 0, 10, 0, 0, {-3.0, 11.0, 20.0}, {}, 0},
    };
    for (const BarCase& c : cases)
    {
        m_plot.m_viewRange.m_dYMin = c.yMin;
        m_plot.m_viewRange.m_dYMax = c.yMax;
        m_plot.m_nLevelBarCount = c.count;
        m_plot.m_bDecibel = c.decibel;
        m_plot.m_arrLevelBars = {c.bar, c.bar};
        RecordingCanvas canvas(1090, 570);
        m_plot.DrawLevelBars(canvas);
        const auto green = FillsOf(canvas, 0x00FF00);
        ASSERT_EQ(green.size(), c.green.size()) << c.what;
        for (std::size_t i = 0; i < green.size(); ++i)
            EXPECT_EQ(green[i]->rect, c.green[i]) << c.what;
        EXPECT_EQ(static_cast<int>(FillsOf(canvas, 0x0000FF).size()),
                  c.redMarksPerBar * (c.count > 0 ? 2 : 1))
            << c.what;
    }
    m_plot.m_bLevelBars = 0;
    RecordingCanvas canvas(1090, 570);
    m_plot.DrawLevelBars(canvas);
    EXPECT_TRUE(canvas.Ops().empty());
}

TEST_F(PlotReadoutsTest, HarmonicMarkersWithLabelsAndTheMask)
{
    m_plot.m_bHarmonics = 1;
    m_plot.m_nHarmonicMask = 1;  // odd indices only
    CCurveStatistics& stats = m_plot.m_arrStats[0];
    stats.m_arrHarmonics[0] = {100.0f, 7.0, 100.0, 0.0};
    stats.m_arrHarmonics[1] = {200.0f, 6.0, 200.0, 0.0};
    stats.m_arrHarmonics[3] = {400.0f, 12.0, 400.0, 0.0};   // above y max: at the top, no label
    stats.m_arrHarmonics[5] = {1200.0f, 3.0, 1200.0, 0.0};  // outside the x range
    RecordingCanvas canvas(1090, 570);
    m_plot.DrawReadouts(canvas);
    const auto squares = OpsOf(canvas, Kind::Rectangle);
    ASSERT_EQ(squares.size(), 2u);
    EXPECT_EQ(squares[0]->rect, (gfx::Rect{290 - 4, YOf(6.0) - 4, 290 + 4, YOf(6.0) + 4}));
    EXPECT_EQ(squares[1]->rect, (gfx::Rect{490 - 4, 10 - 4, 490 + 4, 10 + 4}));
    const auto texts = OpsOf(canvas, Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->text, "6.0");
    EXPECT_EQ(texts[0]->rect, (gfx::Rect{286, YOf(6.0) - 40, 294, YOf(6.0) - 30}));
    EXPECT_EQ(texts[0]->textBackground, m_plot.m_colorScheme.GetColor(CColorScheme::RoleThdMarkerFill));
    EXPECT_EQ(texts[0]->font, (gfx::Font{"Arial", 15, false}));

    // Per cent of the peak: 6 dB below 0 dB is 50 %.
    m_plot.m_bPercent = 1;
    stats.m_dPeak = 6.0 + 20.0 * std::log10(2.0);
    canvas.Clear();
    m_plot.DrawReadouts(canvas);
    ASSERT_EQ(OpsOf(canvas, Kind::Text).size(), 1u);
    EXPECT_EQ(OpsOf(canvas, Kind::Text)[0]->text, "50%");
}

TEST_F(PlotReadoutsTest, IntermodulationMarkersTakeTheColourOfTheirOrder)
{
    m_plot.m_bIntermodulation = 1;
    CCurveStatistics& stats = m_plot.m_arrStats[0];
    const int entries[] = {0, 1, 2, 7, 15, 26, 39};
    const gfx::Color colours[] = {0x0000FF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFFFF00, 0xFFFF00};
    for (const int e : entries)
        stats.m_arrProducts[static_cast<std::size_t>(e)] = {static_cast<float>(10 + 20 * e), 5.0, 0.0, 0.0};
    RecordingCanvas canvas(1090, 570);
    m_plot.DrawReadouts(canvas);
    const auto squares = OpsOf(canvas, Kind::Rectangle);
    ASSERT_EQ(squares.size(), std::size(entries));
    for (std::size_t i = 0; i < squares.size(); ++i)
    {
        EXPECT_EQ(squares[i]->pen, (gfx::Pen{colours[i], 2, gfx::PenStyle::Solid})) << entries[i];
        EXPECT_EQ(CentreX(*squares[i]), 90 + 10 + 20 * entries[i]);
    }
    EXPECT_EQ(MarkerSizeClass(40), 6);
}

struct TriggerCase
{
    int dx;
    int dy;
    bool hovered;
};

TEST_F(PlotReadoutsTest, TriggerMarkerIsHoveredInsideOneHalfSize)
{
    m_plot.m_bTriggerMarker = 1;
    m_plot.m_dTriggerLevel = 2.0;
    m_plot.m_strTriggerName = "Ch1";
    const TriggerCase cases[] = {{0, 0, true}, {5, 5, true}, {-5, -5, true}, {6, 0, false}, {0, -6, false}};
    const int y = YOf(2.0);
    const CColorScheme& colors = m_plot.m_colorScheme;
    for (const TriggerCase& c : cases)
    {
        m_plot.m_ptMouse = {90 + c.dx, y + c.dy};
        RecordingCanvas canvas(1090, 570);
        m_plot.DrawReadouts(canvas);
        const auto texts = canvas.FindTexts("Trigger Ch1   2");
        EXPECT_EQ(texts.size(), c.hovered ? 1u : 0u) << c.dx << "," << c.dy;
        const auto lines = OpsOf(canvas, Kind::Line);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0]->pen.color, colors.GetColor(c.hovered ? CColorScheme::RoleTriggerSelected
                                                                 : CColorScheme::RoleTriggerScanning));
        if (c.hovered)
        {
            EXPECT_EQ(texts[0]->rect.left, 100);
        }
    }
    // Trigger states pick their colours; decibels add the unit.
    const std::pair<int, int> states[] = {{2, CColorScheme::RoleTriggerFound},
                                          {3, CColorScheme::RoleTriggered},
                                          {4, CColorScheme::RoleTriggerReady},
                                          {7, CColorScheme::RoleTriggerScanning}};
    m_plot.m_ptMouse = {600, 300};
    for (const auto& [state, role] : states)
    {
        m_plot.m_nTriggerState = state;
        RecordingCanvas canvas(1090, 570);
        m_plot.DrawReadouts(canvas);
        EXPECT_EQ(OpsOf(canvas, Kind::Line)[0]->pen.color, colors.GetColor(role)) << state;
    }
    m_plot.m_bDecibel = 1;
    m_plot.m_dTriggerLevel = 0.5;
    m_plot.m_viewRange.m_dYMin = -10.0;
    // y -10..10 over 500 pixels: -6.02 dB at 510 - 3.98 * 25 = 410.5.
    m_plot.m_ptMouse = {90, 410};
    RecordingCanvas canvas(1090, 570);
    m_plot.DrawReadouts(canvas);
    EXPECT_EQ(canvas.FindTexts("Trigger Ch1 -6.02dB").size(), 1u);
}

TEST_F(PlotReadoutsTest, CrosshairReadsTheCurveUnderTheMouse)
{
    m_plot.m_bCrosshair = 1;
    m_plot.m_ptMouse = {390, 100};  // x = 300
    RecordingCanvas canvas(1090, 570);
    m_plot.DrawReadouts(canvas);
    const int y = YOf(5.0);
    const auto squares = OpsOf(canvas, Kind::Rectangle);
    ASSERT_EQ(squares.size(), 1u);
    EXPECT_EQ(squares[0]->rect, (gfx::Rect{386, y - 4, 394, y + 4}));
    std::vector<std::vector<gfx::Point>> hair;
    for (const Op* op : OpsOf(canvas, Kind::Line))
        if (op->pen.color == m_plot.m_colorScheme.GetColor(CColorScheme::RoleCrosshair))
            hair.push_back(op->points);
    // The two lines through the mouse point, then the labelled tick at the curve point.
    ASSERT_EQ(hair.size(), 3u);
    EXPECT_EQ(hair[0], (std::vector<gfx::Point>{{90, 100}, {1090, 100}}));
    EXPECT_EQ(hair[1], (std::vector<gfx::Point>{{390, 10}, {390, 510}}));
    EXPECT_EQ(hair[2], (std::vector<gfx::Point>{{390, y}, {390, y - 20}}));
    const auto labels = canvas.FindTexts("5.0");
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0]->rect, (gfx::Rect{386, y - 40, 394, y - 30}));
    EXPECT_DOUBLE_EQ(m_plot.m_dCursorX, 300.0);
    EXPECT_DOUBLE_EQ(m_plot.m_dCursorY, 5.0);

    // Outside the plot area: no readout.
    m_plot.m_ptMouse = {50, 100};
    canvas.Clear();
    m_plot.DrawReadouts(canvas);
    EXPECT_EQ(canvas.Count(Kind::Rectangle), 0);
    EXPECT_EQ(canvas.Count(Kind::Text), 0);
}

TEST_F(PlotReadoutsTest, NoteNameAndFrequencyMarkers)
{
    m_plot.m_bNoteNames = 1;
    m_plot.m_ptMouse = {530, 100};  // x = 440
    const double markers[] = {0.0, 250.0, 1000.0, 700.0};
    m_plot.m_bFrequencyMarkers = 1;
    m_plot.m_pFrequencyMarkers = markers;
    m_plot.m_nFrequencyMarkers = 4;
    RecordingCanvas canvas(1090, 570);
    m_plot.DrawReadouts(canvas);
    const auto notes = canvas.FindTexts("G# 100.0% (415.3Hz)");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0]->textBackground, m_plot.m_colorScheme.GetColor(CColorScheme::RoleMarkerFill));
    EXPECT_EQ(CentreX(*notes[0]), 530);
    // Markers strictly inside the x range: 250 and 700, each a tick with the value and a cross.
    const auto values = canvas.FindTexts("5.0");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(CentreX(*values[0]), 340);
    EXPECT_EQ(CentreX(*values[1]), 790);
    EXPECT_EQ(values[0]->pen, (gfx::Pen{m_plot.m_colorScheme.GetColor(CColorScheme::RoleMarkerPen), 1,
                                        gfx::PenStyle::Solid}));
}

}  // namespace
