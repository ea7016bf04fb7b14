#include "platform/gfx/WxCanvas.h"

#include <gtest/gtest.h>
#include <wx/image.h>

#include "tests/support/WxEnvironment.h"

namespace
{

class WxCanvasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display";
    }
    static gfx::Color PixelOf(const wxImage& image, int x, int y)
    {
        return static_cast<gfx::Color>(image.GetRed(x, y) | (image.GetGreen(x, y) << 8) |
                                       (image.GetBlue(x, y) << 16));
    }
};

// Filled boxes leave their right column and bottom row out, as the plot's margins expect.
TEST_F(WxCanvasTest, FillRectCoversLeftTopInclusiveRightBottomExclusive)
{
    gfx::WxBitmapCanvas canvas(40, 30);
    canvas.FillRect({10, 5, 20, 15}, 0x0000FF);
    const wxImage image = canvas.GetImage();
    EXPECT_EQ(PixelOf(image, 10, 5), 0x0000FFu);
    EXPECT_EQ(PixelOf(image, 19, 14), 0x0000FFu);
    EXPECT_EQ(PixelOf(image, 20, 14), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(image, 19, 15), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(image, 9, 5), 0xFFFFFFu);
}

TEST_F(WxCanvasTest, LinesAndPolylinesUseTheSelectedPenColour)
{
    gfx::WxBitmapCanvas canvas(50, 50);
    canvas.SetPen({0x00FF00, 1, gfx::PenStyle::Solid});
    canvas.MoveTo(5, 10);
    canvas.LineTo(40, 10);
    const gfx::Point line[] = {{5, 30}, {25, 30}, {25, 45}};
    canvas.SetPen({0xFF0000, 1, gfx::PenStyle::Solid});
    canvas.Polyline(line);
    const wxImage image = canvas.GetImage();
    EXPECT_EQ(PixelOf(image, 20, 10), 0x00FF00u);
    EXPECT_EQ(PixelOf(image, 15, 30), 0xFF0000u);
    EXPECT_EQ(PixelOf(image, 25, 40), 0xFF0000u);
    EXPECT_EQ(PixelOf(image, 15, 20), 0xFFFFFFu);
}

TEST_F(WxCanvasTest, ImagesCopyOntoTheTargetAtTheirPlace)
{
    gfx::WxBitmapCanvas target(60, 60);
    std::unique_ptr<gfx::Canvas> image = target.CreateImage(20, 20);
    image->FillRect({0, 0, 10, 10}, 0x000000);
    target.DrawImage(*image, 30, 30);
    const wxImage result = target.GetImage();
    EXPECT_EQ(PixelOf(result, 30, 30), 0x000000u);
    EXPECT_EQ(PixelOf(result, 39, 39), 0x000000u);
    // The rest of the image is its white start.
    EXPECT_EQ(PixelOf(result, 45, 45), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(result, 29, 29), 0xFFFFFFu);
}

TEST_F(WxCanvasTest, TextIsDrawnInsideItsBoxOnTheTextBackground)
{
    gfx::WxBitmapCanvas canvas(200, 40);
    canvas.SetFont({"Arial", 16, false});
    canvas.SetTextColor(0x000000);
    canvas.SetTextBackground(0x00FFFF);
    const int width = canvas.TextWidth("Level");
    EXPECT_GT(width, 20);
    EXPECT_LT(width, 80);
    canvas.DrawText("Level", {0, 0, 200, 40}, gfx::Align::Centre);
    const wxImage image = canvas.GetImage();
    int dark = 0;
    int background = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
        {
            const gfx::Color c = PixelOf(image, x, y);
            // Antialiased glyphs: count what is clearly darker than both backgrounds.
            dark += gfx::RedOf(c) + gfx::GreenOf(c) < 200 ? 1 : 0;
            background += c == 0x00FFFFu ? 1 : 0;
            // Centred: nothing far left or right.
            if (x < 100 - width || x > 100 + width)
            {
                EXPECT_EQ(c, 0xFFFFFFu) << x << "," << y;
            }
        }
    EXPECT_GT(dark, 20);
    EXPECT_GT(background, 20);
}

}  // namespace
