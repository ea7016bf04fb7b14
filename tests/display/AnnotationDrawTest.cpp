#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "display/Annotation.h"
#include "display/AnnotationList.h"
#include "display/Plot.h"
#include "platform/gfx/RecordingCanvas.h"
#include "tests/display/PaintFixture.h"

namespace
{

using gfx::RecordingCanvas;
using Kind = gfx::RecordingCanvas::Kind;

constexpr gfx::Color kCyan = 0xFFFF00;  // 0x00BBGGRR: red 0, green 255, blue 255
constexpr gfx::Color kRed = 0x0000FF;

// A window of 800 × 400 whose data area starts at (60, 20) and is 700 × 300 pixels.
const PlotRect kPlot{0, 0, 800, 400};
const PlotRect kData{60, 20, 760, 320};

// The handle squares drawn, in order.
std::vector<gfx::Rect> Handles(const RecordingCanvas& canvas)
{
    std::vector<gfx::Rect> rects;
    for (const auto& op : canvas.Ops())
        if (op.kind == Kind::Rectangle && op.pen.color == kCyan)
        {
            EXPECT_EQ(op.pen.width, 2);
            EXPECT_EQ(op.pen.style, gfx::PenStyle::Solid);
            EXPECT_TRUE(op.brush.hollow);
            rects.push_back(op.rect);
        }
    return rects;
}

std::unique_ptr<CArrowAnnotation> DataLine(double x0, double y0, double x1, double y1)
{
    auto line = std::make_unique<CArrowAnnotation>();
    line->m_nPositionMode = kPositionReferenceFraction;
    line->m_dRelX = x0;
    line->m_dRelY = y0;
    line->m_End.m_dRelX = x1;
    line->m_End.m_dRelY = y1;
    return line;
}

std::unique_ptr<CTextAnnotation> Label(const std::string& text, int x, int y, double size = 14.0)
{
    auto label = std::make_unique<CTextAnnotation>();
    label->m_strText = text;
    label->m_dRelX = x;
    label->m_dRelY = y;
    label->m_Font.m_dSize = size;
    return label;
}

class AnnotationDraw : public ::testing::Test
{
protected:
    void Paint()
    {
        m_canvas.Clear();
        m_list.Draw(m_canvas, kPlot, kData);
    }

    CAnnotationList m_list;
    RecordingCanvas m_canvas{800, 400};
};

}  // namespace

// A line in fractions of the data area lands where the fractions put it, in its own pen, with no
// arrow head and no handles while the mouse is away; a new plot size moves it on the next paint.
TEST_F(AnnotationDraw, LineFollowsItsRelativePosition)
{
    m_list.Append(DataLine(0.1, 0.5, 0.9, 0.25));
    Paint();
    ASSERT_EQ(m_canvas.Ops().size(), 1u);
    const auto& op = m_canvas.Ops()[0];
    EXPECT_EQ(op.kind, Kind::Line);
    // x = 0.1 × 700 + 60 = 130, y = 0.5 × 300 + 20 = 170; x = 0.9 × 700 + 60 = 690, y = 95.
    EXPECT_EQ(op.points, (std::vector<gfx::Point>{{130, 170}, {690, 95}}));
    EXPECT_EQ(op.pen, (gfx::Pen{kRed, 2, gfx::PenStyle::Solid}));

    m_canvas.Clear();
    m_list.Draw(m_canvas, kPlot, PlotRect{0, 0, 1000, 200});
    ASSERT_EQ(m_canvas.Ops().size(), 1u);
    EXPECT_EQ(m_canvas.Ops()[0].points, (std::vector<gfx::Point>{{100, 100}, {900, 50}}));
}

// Which handles a line shows for the part the mouse is on or holds: the start, the end, or for
// the line as a whole both ends and the midpoint (truncated).
TEST_F(AnnotationDraw, LineHandlesFollowTheMarkedPart)
{
    struct Case
    {
        int hover;
        int grabbed;
        std::vector<gfx::Rect> handles;
    };
    // Start (10, 20), end (31, 44): midpoint (20.5, 32) → (20, 32).
    const gfx::Rect start{5, 15, 15, 25};
    const gfx::Rect end{26, 39, 36, 49};
    const gfx::Rect middle{15, 27, 25, 37};
    const Case cases[] = {
        {kAnnotationPartNone, kAnnotationPartNone, {}},
        {kAnnotationPartStart, kAnnotationPartNone, {start}},
        {kAnnotationPartNone, kAnnotationPartEnd, {end}},
        {kAnnotationPartLine, kAnnotationPartNone, {start, end, middle}},
        {kAnnotationPartNone, kAnnotationPartLine, {start, end, middle}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "hover " << c.hover << " grabbed " << c.grabbed);
        CArrowAnnotation line;
        line.m_nX = 10;
        line.m_nY = 20;
        line.m_End.m_nX = 31;
        line.m_End.m_nY = 44;
        line.m_nHoverPart = c.hover;
        line.m_nGrabbedPart = c.grabbed;
        RecordingCanvas canvas(100, 100);
        line.Draw(canvas);
        ASSERT_FALSE(canvas.Ops().empty());
        EXPECT_EQ(canvas.Ops()[0].kind, Kind::Line);
        EXPECT_EQ(Handles(canvas), c.handles);
    }
}

// A rectangle draws its outline from corner to corner, hollow, and never a handle.
TEST_F(AnnotationDraw, RectangleOutlineWithoutHandles)
{
    auto rect = std::make_unique<CRectAnnotation>();
    rect->m_nPositionMode = kPositionPlotFraction;
    rect->m_dRelX = 0.25;
    rect->m_dRelY = 0.5;
    rect->m_End.m_dRelX = 0.5;
    rect->m_End.m_dRelY = 0.75;
    rect->m_Pen = PenDescription{RgbColor(0, 0, 255), 1, PEN_STYLE_SOLID, false};
    rect->m_nHoverPart = kAnnotationPartStart;
    m_list.Append(std::move(rect));
    Paint();
    ASSERT_EQ(m_canvas.Ops().size(), 1u);
    const auto& op = m_canvas.Ops()[0];
    EXPECT_EQ(op.kind, Kind::Rectangle);
    EXPECT_EQ(op.rect, (gfx::Rect{200, 200, 400, 300}));
    EXPECT_EQ(op.pen, (gfx::Pen{0xFF0000, 1, gfx::PenStyle::Solid}));
    EXPECT_TRUE(op.brush.hollow);
}

// A label is measured with its Arial font, its position is the lower left corner of the text, and
// the bounds it keeps are what the mouse finds: hovering it returns true and frames it on the next
// paint, and a double click opens the editor.
TEST_F(AnnotationDraw, LabelBoundsComeFromMeasuringAndTheMouseFindsThem)
{
    auto label = Label("Peak", 100, 200);
    label->m_Font.m_strFace = "Courier New";
    auto& stored = static_cast<CTextAnnotation&>(m_list.Append(std::move(label)));

    // Nothing measured yet: the mouse does not find it.
    EXPECT_FALSE(m_list.OnMouseMoveList(0, 110, 195));

    Paint();
    ASSERT_EQ(m_canvas.Ops().size(), 1u);
    const auto& text = m_canvas.Ops()[0];
    EXPECT_EQ(text.kind, Kind::Text);
    EXPECT_EQ(text.text, "Peak");
    EXPECT_EQ(text.font, (gfx::Font{"Arial", 14, false}));
    EXPECT_EQ(text.align, gfx::Align::Left);
    // The recording canvas measures 0.55 × 14 × 4 = 30.8 → 31 pixels.
    EXPECT_EQ(stored.m_Bounds, (PlotRect{100, 186, 131, 200}));
    EXPECT_EQ(text.rect, (gfx::Rect{100, 186, 131, 200}));

    // Edges: left and top inside, right and bottom outside.
    EXPECT_EQ(stored.HitTest(100, 186), kAnnotationPartStart);
    EXPECT_EQ(stored.HitTest(131, 190), kAnnotationPartNone);
    EXPECT_EQ(stored.HitTest(110, 200), kAnnotationPartNone);

    EXPECT_TRUE(m_list.OnMouseMoveList(0, 110, 195));
    EXPECT_EQ(stored.m_nHoverPart, kAnnotationPartStart);
    Paint();
    EXPECT_EQ(Handles(m_canvas), (std::vector<gfx::Rect>{{100, 186, 131, 200}}));

    bool opened = false;
    m_list.OnDoubleClick(110, 195,
                         [&](CAnnotationList::LabelEdit& edit)
                         {
                             opened = true;
                             EXPECT_EQ(edit.text, "Peak");
                             edit.text = "Peak level";
                             return true;
                         });
    EXPECT_TRUE(opened);
    Paint();
    // Wider text, wider bounds: 0.55 × 14 × 10 = 77.
    EXPECT_EQ(stored.m_Bounds, (PlotRect{100, 186, 177, 200}));
}

// The font height is the size cut to an integer; a size from a damaged file is held to 1..200
// instead of asking the canvas for a font of no or absurd height.
TEST_F(AnnotationDraw, LabelFontHeightFromItsSize)
{
    struct Case
    {
        double size;
        int height;
    };
    const Case cases[] = {
        {7.9, 7},   {200.0, 200}, {0.5, 1},
        {-12.0, 1}, {1e12, 200},  {std::numeric_limits<double>::quiet_NaN(), 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.size);
        auto label = Label("x", 10, 300, c.size);
        RecordingCanvas canvas(100, 100);
        label->UpdatePosition();
        label->Draw(canvas);
        ASSERT_EQ(canvas.Ops().size(), 1u);
        EXPECT_EQ(canvas.Ops()[0].font.pixelHeight, c.height);
        EXPECT_EQ(label->m_Bounds.top, 300 - c.height);
        EXPECT_EQ(label->m_Bounds.bottom, 300);
    }
}

// A label of several lines is measured by its widest line and drawn one line under the other.
TEST_F(AnnotationDraw, LabelOfSeveralLines)
{
    auto label = Label("ab\r\nabcd\nc", 40, 100, 10.0);
    label->UpdatePosition();
    RecordingCanvas canvas(200, 200);
    label->Draw(canvas);
    ASSERT_EQ(canvas.Ops().size(), 3u);
    // Widest line: 0.55 × 10 × 4 = 22; three lines of 10.
    EXPECT_EQ(label->m_Bounds, (PlotRect{40, 70, 62, 100}));
    const char* texts[] = {"ab", "abcd", "c"};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(canvas.Ops()[static_cast<std::size_t>(i)].text, texts[i]);
        EXPECT_EQ(canvas.Ops()[static_cast<std::size_t>(i)].rect,
                  (gfx::Rect{40, 70 + 10 * i, 62, 80 + 10 * i}));
    }
}

// Hidden members, string carriers and a busy list draw nothing; the rest keep list order.
TEST_F(AnnotationDraw, OnlyVisibleMembersAreDrawnInOrder)
{
    auto carrier = std::make_unique<CStringAnnotation>();
    carrier->m_strText = "never";
    carrier->m_bVisible = 1;  // even when marked visible, a carrier has nothing to draw
    m_list.Append(std::move(carrier));
    m_list.Append(Label("first", 10, 50));
    auto hidden = DataLine(0, 0, 1, 1);
    hidden->m_nKey = 10;
    m_list.Append(std::move(hidden));
    m_list.Append(DataLine(0, 1, 1, 1));
    m_list.SetVisibleByKey(10, 0);

    Paint();
    ASSERT_EQ(m_canvas.Ops().size(), 2u);
    EXPECT_EQ(m_canvas.Ops()[0].text, "first");
    EXPECT_EQ(m_canvas.Ops()[1].kind, Kind::Line);
    EXPECT_EQ(m_canvas.Ops()[1].points, (std::vector<gfx::Point>{{60, 320}, {760, 320}}));
    EXPECT_TRUE(m_canvas.FindTexts("never").empty());

    m_list.SetVisibleByKey(10, 1);
    Paint();
    EXPECT_EQ(m_canvas.Count(Kind::Line), 2);

    m_list.m_bBusy = 1;
    Paint();
    EXPECT_TRUE(m_canvas.Ops().empty());
}

// While a line is dragged the paint keeps the dragged pixels instead of putting it back at its
// stored relative position; after the drag the new place is kept across paints.
TEST_F(AnnotationDraw, DraggedLineIsDrawnWhereTheMouseTookIt)
{
    auto& line = static_cast<CArrowAnnotation&>(m_list.Append(DataLine(0.0, 0.5, 1.0, 0.5)));
    Paint();  // (60, 170) to (760, 170)
    constexpr unsigned kDown = CAnnotationList::kLeftButton;
    ASSERT_TRUE(m_list.OnMouseMoveList(0, 400, 170));
    ASSERT_TRUE(m_list.OnMouseMoveList(kDown, 400, 170));
    ASSERT_TRUE(m_list.OnMouseMoveList(kDown, 400, 200));
    Paint();
    ASSERT_GE(m_canvas.Ops().size(), 4u);
    EXPECT_EQ(m_canvas.Ops()[0].points, (std::vector<gfx::Point>{{60, 200}, {760, 200}}));
    // Grabbed as a whole: handles at both ends and the middle.
    EXPECT_EQ(Handles(m_canvas),
              (std::vector<gfx::Rect>{{55, 195, 65, 205}, {755, 195, 765, 205}, {405, 195, 415, 205}}));

    ASSERT_TRUE(m_list.OnMouseMoveList(0, 400, 200));
    EXPECT_EQ(line.m_bDragging, 0);
    Paint();
    EXPECT_EQ(m_canvas.Ops()[0].points, (std::vector<gfx::Point>{{60, 200}, {760, 200}}));
}

// Through the plot's foreground hook the annotations are painted over the curves, with the
// plot's window as plot rectangle and its data area as reference rectangle.
TEST(AnnotationOnPlot, ForegroundHookDrawsOverTheCurves)
{
    CPlot plot;
    std::vector<float> data;
    painttest::SetUpLinear(plot, data, 100);
    CAnnotationList list;
    list.Append(DataLine(0.0, 0.0, 1.0, 1.0));
    plot.m_fnForegroundHook = [&](gfx::Canvas& canvas) { list.DrawOnPlot(canvas, plot); };

    RecordingCanvas target(1000, 600);
    plot.Draw(target, 0, 0, 1000, 600);
    ASSERT_FALSE(target.Images().empty());
    const auto& image = *target.Images().back();
    // The curve first, then the annotation from corner to corner of the data area.
    std::size_t curve = image.ops.size();
    std::size_t annotation = image.ops.size();
    for (std::size_t i = 0; i < image.ops.size(); ++i)
    {
        const auto& op = image.ops[i];
        if (op.kind == Kind::Polyline && curve == image.ops.size())
            curve = i;
        if (op.kind == Kind::Line && op.pen == gfx::Pen{kRed, 2, gfx::PenStyle::Solid})
            annotation = i;
    }
    ASSERT_LT(curve, image.ops.size());
    ASSERT_LT(annotation, image.ops.size());
    EXPECT_LT(curve, annotation);
    EXPECT_EQ(image.ops[annotation].points,
              (std::vector<gfx::Point>{{plot.m_nPlotLeft, plot.m_nPlotTop},
                                       {plot.m_nPlotRight, plot.m_nPlotBottom}}));
    EXPECT_EQ(list.m_RefRect,
              (PlotRect{plot.m_nPlotLeft, plot.m_nPlotTop, plot.m_nPlotRight, plot.m_nPlotBottom}));
    EXPECT_EQ(list.m_PlotRect, (PlotRect{0, 0, 1000, 600}));
    EXPECT_GT(plot.m_nPlotRight - plot.m_nPlotLeft, 0);
}
