// The measure rectangle (handles, normalised corners, shift moves it) and the legend painter (box
// size rule, colours, hit test).
#include <gtest/gtest.h>

#include <string>

#include "display/LegendDlg.h"
#include "display/MeasureRect.h"
#include "platform/gfx/RecordingCanvas.h"

namespace
{

using Op = gfx::RecordingCanvas::Op;
using Kind = gfx::RecordingCanvas::Kind;

CMeasureRect PlacedRect()
{
    CMeasureRect rect;
    rect.m_bVisible = 1;
    rect.m_nLeft = 100;
    rect.m_nTop = 100;
    rect.m_nRight = 180;
    rect.m_nBottom = 180;
    return rect;
}

TEST(MeasureRect, ClicksOnTheHandles)
{
    struct Case
    {
        const char* name;
        int x, y;
        int result;
        int drag;
        int visible;
    } const cases[] = {
        {"close handle (top right)", 181, 99, 1, CMeasureRect::kDragNone, 0},
        {"first corner", 101, 101, 0, CMeasureRect::kDragFirst, 1},
        {"second corner", 179, 179, 0, CMeasureRect::kDragSecond, 1},
        {"inside, on no handle", 140, 140, 0, CMeasureRect::kDragNone, 1},
        {"outside", 20, 20, 0, CMeasureRect::kDragNone, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CMeasureRect rect = PlacedRect();
        EXPECT_EQ(rect.OnLButtonDown(0, c.x, c.y), c.result);
        EXPECT_EQ(rect.m_nDrag, c.drag);
        EXPECT_EQ(rect.m_bVisible, c.visible);
    }
    CMeasureRect hidden;
    EXPECT_EQ(hidden.OnLButtonDown(0, 0, 0), 0);
    EXPECT_EQ(hidden.m_nDrag, CMeasureRect::kDragNone);
}

TEST(MeasureRect, FirstCornerDraggedPastTheSecondStaysNormalised)
{
    CMeasureRect rect = PlacedRect();
    rect.OnMouseMove(0, 100, 100);
    ASSERT_EQ(rect.OnLButtonDown(0, 100, 100), 0);
    EXPECT_TRUE(rect.OnMouseMove(0, 250, 260));
    EXPECT_EQ(rect.m_nLeft, 180);
    EXPECT_EQ(rect.m_nTop, 180);
    EXPECT_EQ(rect.m_nRight, 250);
    EXPECT_EQ(rect.m_nBottom, 260);
    // The drag goes on with the corner under the mouse; the other corner stays where it was.
    rect.OnMouseMove(0, 300, 90);
    EXPECT_EQ(rect.m_nLeft, 180);
    EXPECT_EQ(rect.m_nTop, 90);
    EXPECT_EQ(rect.m_nRight, 300);
    EXPECT_EQ(rect.m_nBottom, 180);
    rect.OnLButtonUp(0, 300, 90);
    EXPECT_FALSE(rect.IsDragging());
}

TEST(MeasureRect, ShiftMovesTheWholeRectangle)
{
    CMeasureRect rect = PlacedRect();
    rect.OnMouseMove(0, 180, 180);
    ASSERT_EQ(rect.OnLButtonDown(0, 180, 180), 0);
    rect.OnMouseMove(CMeasureRect::kShift, 200, 230);
    EXPECT_EQ(rect.m_nLeft, 120);
    EXPECT_EQ(rect.m_nTop, 150);
    EXPECT_EQ(rect.m_nRight - rect.m_nLeft, 80);
    EXPECT_EQ(rect.m_nBottom - rect.m_nTop, 80);
}

TEST(MeasureRect, HoverChangesAskForARedrawAndPaintTheHandleRed)
{
    CMeasureRect rect = PlacedRect();
    EXPECT_FALSE(rect.OnMouseMove(0, 40, 40));
    EXPECT_TRUE(rect.OnMouseMove(0, 181, 99));
    EXPECT_EQ(rect.m_nHover, CMeasureRect::kHoverClose);
    EXPECT_FALSE(rect.OnMouseMove(0, 182, 100));
    rect.m_strBelow = "12.50";
    rect.m_strLeft = "-3.00";
    gfx::RecordingCanvas canvas(400, 400);
    rect.Draw(canvas);
    int red = 0;
    int texts = 0;
    for (const Op& op : canvas.Ops())
    {
        if (op.kind == Kind::Rectangle && op.pen.color == CMeasureRect::kRed)
            ++red;
        if (op.kind == Kind::Text || op.kind == Kind::RotatedText)
            ++texts;
    }
    EXPECT_EQ(red, 1);
    EXPECT_EQ(texts, 2);
    CMeasureRect hidden;
    gfx::RecordingCanvas none(400, 400);
    hidden.Draw(none);
    EXPECT_TRUE(none.Ops().empty());
}

// The legend ------------------------------------------------------------------------------------

const Op* FindFill(const gfx::RecordingCanvas& canvas)
{
    for (const Op& op : canvas.Ops())
        if (op.kind == Kind::FillRect)
            return &op;
    return nullptr;
}

TEST(Legend, EmptyLegendIsAFramedBoxOfTwoSpacingsAndNeverHit)
{
    CLegendDlg legend;
    gfx::RecordingCanvas canvas(640, 400);
    legend.DrawLegend(canvas, 90, 10, 600, 340);
    const int height = CLegendDlg::kDefaultFontHeight;  // the recording canvas: font height
    const int t = height / 6;
    EXPECT_EQ(legend.m_rcBox.top, 10);
    EXPECT_EQ(legend.m_rcBox.bottom, 10 + 2 * t);
    EXPECT_EQ(legend.m_rcBox.right, 600);
    EXPECT_EQ(legend.HitTest(590, 11), -1);
    ASSERT_NE(FindFill(canvas), nullptr);
}

TEST(Legend, LabelColumnFollowsTheLongestLabelUpToTheSampleText)
{
    gfx::RecordingCanvas measure(10, 10);
    measure.SetFont(gfx::Font{"Arial", CLegendDlg::kDefaultFontHeight, false});
    const int sample = measure.TextWidth(CLegendDlg::kSampleText);
    const int longest = measure.TextWidth(CLegendDlg::kLongestLabelText);
    const int t = CLegendDlg::kDefaultFontHeight / 6;
    struct Case
    {
        const char* name;
        std::string first, second;
        int labelWidth;
    } const cases[] = {
        {"short labels shrink the box", "Ch#1", "AB", measure.TextWidth("Ch#1")},
        {"the longest by characters decides", "overlay 10", "WWWW", measure.TextWidth("overlay 10")},
        {"never wider than the sample text", std::string(80, 'x'), "a", longest},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CLegendDlg legend;
        legend.m_nCount = 2;
        legend.m_entries[0].m_strLabel = c.first;
        legend.m_entries[1].m_strLabel = c.second;
        gfx::RecordingCanvas canvas(640, 400);
        legend.DrawLegend(canvas, 90, 10, 600, 340);
        EXPECT_EQ(legend.m_rcBox.right - legend.m_rcBox.left, c.labelWidth + 3 * t + sample);
        EXPECT_EQ(legend.m_rcBox.bottom - legend.m_rcBox.top,
                  2 * t + 2 * (CLegendDlg::kDefaultFontHeight + t));
    }
}

TEST(Legend, BlackBackgroundGivesWhiteTextAndTheOffsetMovesTheBox)
{
    CLegendDlg legend;
    legend.m_nCount = 1;
    legend.m_entries[0].m_strLabel = "Ch#1";
    legend.m_background = 0x000000;
    legend.m_nOffsetX = -50;
    legend.m_nOffsetY = 30;
    gfx::RecordingCanvas canvas(640, 400);
    legend.DrawLegend(canvas, 90, 10, 600, 340);
    EXPECT_EQ(legend.m_textColor, 0xFFFFFFu);
    EXPECT_EQ(legend.m_rcBox.right, 550);
    EXPECT_EQ(legend.m_rcBox.top, 40);
    bool text = false;
    for (const Op& op : canvas.Ops())
        if (op.kind == Kind::Text && op.text == "Ch#1")
        {
            text = true;
            EXPECT_EQ(op.textColor, 0xFFFFFFu);
        }
    EXPECT_TRUE(text);
    const Op* fill = FindFill(canvas);
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->fill, 0x000000u);
}

TEST(Legend, HitTestGivesTheRowUnderThePoint)
{
    CLegendDlg legend;
    legend.m_nCount = 3;
    for (int i = 0; i < 3; ++i)
        legend.m_entries[static_cast<std::size_t>(i)].m_strLabel = "Ch#" + std::to_string(i + 1);
    gfx::RecordingCanvas canvas(640, 400);
    legend.DrawLegend(canvas, 90, 10, 600, 340);
    const gfx::Rect box = legend.m_rcBox;
    const double row = static_cast<double>(box.bottom - box.top) / 3;
    EXPECT_EQ(legend.HitTest(box.left + 1, box.top), 0);
    EXPECT_EQ(legend.HitTest(box.left + 1, box.top + static_cast<int>(row) + 1), 1);
    EXPECT_EQ(legend.HitTest(box.right - 1, box.bottom - 1), 2);
    EXPECT_EQ(legend.HitTest(box.left - 1, box.top + 1), -1);
    EXPECT_EQ(legend.HitTest(box.left + 1, box.bottom), -1);
}

}  // namespace
