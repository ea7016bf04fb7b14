#include "platform/gfx/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace
{

using gfx::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

TEST(RecordingCanvas, KeepsEachCallWithTheStateItWasMadeIn)
{
    RecordingCanvas canvas(200, 100);
    canvas.SetPen({0x0000FF, 2, gfx::PenStyle::Dot});
    canvas.MoveTo(1, 2);
    canvas.LineTo(10, 20);
    canvas.LineTo(30, 20);
    canvas.SetPen({0x00FF00, 1, gfx::PenStyle::Solid});
    canvas.SetTextBackground(0x123456);
    canvas.SetFont({"Courier New", 15, true});
    canvas.DrawText("abc", {0, 0, 50, 10}, gfx::Align::Right);

    const auto& ops = canvas.Ops();
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].kind, Kind::Line);
    EXPECT_EQ(ops[0].points, (std::vector<gfx::Point>{{1, 2}, {10, 20}}));
    EXPECT_EQ(ops[0].pen, (gfx::Pen{0x0000FF, 2, gfx::PenStyle::Dot}));
    // LineTo continues from where the last one ended.
    EXPECT_EQ(ops[1].points, (std::vector<gfx::Point>{{10, 20}, {30, 20}}));
    EXPECT_EQ(ops[2].kind, Kind::Text);
    EXPECT_EQ(ops[2].text, "abc");
    EXPECT_EQ(ops[2].align, gfx::Align::Right);
    EXPECT_EQ(ops[2].textBackground, 0x123456u);
    EXPECT_EQ(ops[2].font, (gfx::Font{"Courier New", 15, true}));
    EXPECT_EQ(ops[2].pen.color, 0x00FF00u);
}

TEST(RecordingCanvas, TextWidthFollowsItsFixedRule)
{
    RecordingCanvas canvas(10, 10);
    canvas.SetFont({"Arial", 12, false});
    EXPECT_EQ(canvas.TextWidth(""), 0);
    EXPECT_EQ(canvas.TextWidth("000"), 20);  // 0.55 * 12 * 3 = 19.8
    canvas.SetFont({"Arial", 20, false});
    EXPECT_EQ(canvas.TextWidth("0000"), 44);
}

TEST(RecordingCanvas, ImagesAreRecordedApartAndOutliveTheirOwner)
{
    RecordingCanvas target(300, 200);
    int imageId = 0;
    {
        std::unique_ptr<gfx::Canvas> image = target.CreateImage(300, 200);
        image->Rectangle(1, 2, 3, 4);
        target.DrawImage(*image, 0, 0);
        imageId = static_cast<RecordingCanvas&>(*image).Id();
    }
    ASSERT_EQ(target.Images().size(), 1u);
    const auto& record = *target.Images()[0];
    EXPECT_EQ(record.id, imageId);
    // A new image starts white, then holds what was drawn on it.
    ASSERT_EQ(record.ops.size(), 2u);
    EXPECT_EQ(record.ops[0].kind, Kind::FillRect);
    EXPECT_EQ(record.ops[0].fill, 0xFFFFFFu);
    EXPECT_EQ(record.Count(Kind::Rectangle), 1);
    ASSERT_EQ(target.Ops().size(), 1u);
    EXPECT_EQ(target.Ops()[0].kind, Kind::Image);
    EXPECT_EQ(target.Ops()[0].imageId, imageId);
    EXPECT_EQ(target.Ops()[0].rect, (gfx::Rect{0, 0, 300, 200}));
}

}  // namespace
