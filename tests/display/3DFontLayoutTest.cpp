#include "display/3DFontLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/RegistryValues.h"

namespace
{

// Glyph sizes of an 18-point font at 96 pixels per inch (24 pixels high), even widths 6..16 pixels
// (so that a half-size atlas holds them exactly), enough for several rows of a 256-pixel atlas.
int GlyphWidth(int c)
{
    return 6 + 2 * (c % 6);
}

std::vector<std::array<int, 2>> GlyphSizes(float scale = 1.0f)
{
    std::vector<std::array<int, 2>> sizes;
    for (int c = C3DFontLayout::kFirstChar; c <= C3DFontLayout::kLastChar; ++c)
        sizes.push_back({static_cast<int>(GlyphWidth(c) * scale), static_cast<int>(24 * scale)});
    return sizes;
}

C3DFontLayout MakeLayout(int points = 18, int maxTextureWidth = 0)
{
    C3DFontLayout layout;
    const C3DFontTexture texture = ChooseFontTexture(points, maxTextureWidth);
    layout.Layout(texture, GlyphSizes(texture.textScale));
    return layout;
}

std::vector<std::vector<CTextVertex>> Batches(const C3DFontLayout& layout, const std::string& text, int flags)
{
    std::vector<std::vector<CTextVertex>> batches;
    layout.BuildText(text, flags,
                     [&](std::span<const CTextVertex> v) { batches.emplace_back(v.begin(), v.end()); });
    return batches;
}

TEST(C3DFontLayoutTest, TextureSideFollowsThePointSizeAndShrinksToTheDevice)
{
    const struct
    {
        int points, maxWidth, side;
        float scale;
    } cases[] = {
        {18, 0, 256, 1.0f},  {20, 4096, 256, 1.0f}, {21, 4096, 512, 1.0f}, {40, 0, 512, 1.0f},
        {41, 0, 1024, 1.0f}, {18, 128, 128, 0.5f},  {30, 256, 256, 0.5f},  {50, 256, 256, 0.25f},
    };
    for (const auto& c : cases)
    {
        const C3DFontTexture t = ChooseFontTexture(c.points, c.maxWidth);
        EXPECT_EQ(t.width, c.side) << c.points << " points";
        EXPECT_EQ(t.height, c.side) << c.points << " points";
        EXPECT_FLOAT_EQ(t.textScale, c.scale) << c.points << " points";
    }
    EXPECT_EQ(FontPixelHeight(18, 96, 1.0f), 24);
    EXPECT_EQ(FontPixelHeight(18, 96, 0.5f), 12);
}

TEST(C3DFontLayoutTest, EighteenPointAtlasWrapsRowsInsideTheTexture)
{
    C3DFontLayout layout;
    const auto sizes = GlyphSizes();
    const auto cells = layout.Layout(ChooseFontTexture(18, 0), sizes);
    ASSERT_EQ(cells.size(), 95u);
    int rows = 1;
    for (int i = 0; i < 95; ++i)
    {
        const auto& r = layout.m_fTexCoords[i];
        // Every character inside the texture, with its own size.
        EXPECT_GE(r[0], 0.0f);
        EXPECT_LE(r[2], 1.0f);
        EXPECT_LE(r[3], 1.0f);
        EXPECT_FLOAT_EQ((r[2] - r[0]) * 256, sizes[i][0]);
        EXPECT_FLOAT_EQ((r[3] - r[1]) * 256, 24);
        if (i > 0 && cells[i].y != cells[i - 1].y)
        {
            // A new row starts at the left, one pixel below the previous one, and only when the
            // character would not have fitted after the previous one.
            ++rows;
            EXPECT_EQ(cells[i].x, 0);
            EXPECT_EQ(cells[i].y, cells[i - 1].y + 25);
            EXPECT_GT(cells[i - 1].x + sizes[i - 1][0] + 1 + sizes[i][0] + 1, 256);
        }
        else if (i > 0)
        {
            EXPECT_EQ(cells[i].x, cells[i - 1].x + sizes[i - 1][0] + 1);
        }
    }
    EXPECT_GT(rows, 3);
}

TEST(C3DFontLayoutTest, ExtentSpansTheWidestLineAndEveryLine)
{
    const C3DFontLayout layout = MakeLayout();
    auto width = [](char c) { return GlyphWidth(c); };
    int w = 0, h = 0;
    ASSERT_EQ(layout.GetTextExtent("AB\nCDE\nF", &w, &h), 0);
    EXPECT_EQ(w, width('C') + width('D') + width('E'));
    EXPECT_EQ(h, 3 * 24);
    ASSERT_EQ(layout.GetTextExtent("", &w, &h), 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 24);
    // Control characters and bytes beyond the atlas add nothing.
    ASSERT_EQ(layout.GetTextExtent("A\tB\xC3\xA9", &w, &h), 0);
    EXPECT_EQ(w, width('A') + width('B'));
    EXPECT_EQ(layout.GetTextExtent(nullptr, &w, &h), E_FAIL);
    EXPECT_EQ(layout.GetTextExtent("A", nullptr, &h), E_FAIL);
    EXPECT_EQ(layout.GetTextExtent("A", &w, nullptr), E_FAIL);
}

TEST(C3DFontLayoutTest, TwoTrianglesPerCharacterAndASpaceOnlyAdvances)
{
    const C3DFontLayout layout = MakeLayout();
    const auto batches = Batches(layout, "A B\tC", 0);
    ASSERT_EQ(batches.size(), 1u);
    const auto& v = batches[0];
    ASSERT_EQ(v.size(), 18u);
    // 'A' from x 0, 'B' after the width of 'A' and of the space (world unit = 10 pixels).
    const float wA = GlyphWidth('A') / 10.0f, wSpace = GlyphWidth(' ') / 10.0f, wB = GlyphWidth('B') / 10.0f;
    EXPECT_FLOAT_EQ(v[0].x, 0.0f);
    EXPECT_FLOAT_EQ(v[2].x, wA);
    EXPECT_FLOAT_EQ(v[6].x, wA + wSpace);
    EXPECT_FLOAT_EQ(v[12].x, wA + wSpace + wB);
    // The first triangle: bottom left, top left, bottom right; 2.4 units high, normal towards -z.
    EXPECT_FLOAT_EQ(v[0].y, -2.4f);
    EXPECT_FLOAT_EQ(v[1].y, 0.0f);
    EXPECT_FLOAT_EQ(v[2].y, -2.4f);
    for (const auto& vertex : v)
    {
        EXPECT_FLOAT_EQ(vertex.z, 0.0f);
        EXPECT_FLOAT_EQ(vertex.nz, -1.0f);
    }
    const auto& r = layout.m_fTexCoords['A' - 32];
    EXPECT_FLOAT_EQ(v[0].u, r[0]);
    EXPECT_FLOAT_EQ(v[0].v, r[3]);
    EXPECT_FLOAT_EQ(v[1].v, r[1]);
    // A newline goes back to the start one line lower.
    const auto lines = Batches(layout, "A\nB", 0);
    ASSERT_EQ(lines[0].size(), 12u);
    EXPECT_FLOAT_EQ(lines[0][6].x, 0.0f);
    EXPECT_FLOAT_EQ(lines[0][7].y, -2.4f);
}

TEST(C3DFontLayoutTest, LongTextsAreDrawnInBatchesOfAHundredTriangles)
{
    const C3DFontLayout layout = MakeLayout();
    const struct
    {
        int characters;
        std::vector<std::size_t> batchSizes;
    } cases[] = {
        {50, {300}},
        {51, {300, 6}},
        {120, {300, 300, 120}},
    };
    for (const auto& c : cases)
    {
        const auto batches = Batches(layout, std::string(c.characters, 'x'), 0);
        std::vector<std::size_t> sizes;
        for (const auto& b : batches)
            sizes.push_back(b.size());
        EXPECT_EQ(sizes, c.batchSizes) << c.characters << " characters";
    }
    // Spaces take no room in a batch.
    std::string withSpaces(55, 'x');
    withSpaces.replace(50, 5, 5, ' ');
    EXPECT_EQ(Batches(layout, withSpaces, 0).size(), 1u);
}

TEST(C3DFontLayoutTest, CentredTextIsCentredOnTheOriginAndHangsBelowHalfItsHeight)
{
    const C3DFontLayout layout = MakeLayout();
    int w = 0, h = 0;
    layout.GetTextExtent("1000", &w, &h);
    const auto v = Batches(layout, "1000", D3DFONT_CENTERED)[0];
    float minX = 1e9f, maxX = -1e9f, maxY = -1e9f, minY = 1e9f;
    for (const auto& vertex : v)
    {
        minX = std::min(minX, vertex.x);
        maxX = std::max(maxX, vertex.x);
        minY = std::min(minY, vertex.y);
        maxY = std::max(maxY, vertex.y);
    }
    EXPECT_NEAR(minX, -w / 20.0f, 1e-5);
    EXPECT_NEAR(maxX, w / 20.0f, 1e-5);
    EXPECT_NEAR(maxY, -h / 20.0f, 1e-5);
    EXPECT_NEAR(minY, -h / 20.0f - h / 10.0f, 1e-5);
}

TEST(C3DFontLayoutTest, ShrunkenTextureKeepsTheRenderedSize)
{
    // The device allows only 128 pixels: glyphs are rasterised at half size, drawn at full size.
    const C3DFontLayout full = MakeLayout(18, 0);
    const C3DFontLayout shrunk = MakeLayout(18, 128);
    ASSERT_FLOAT_EQ(shrunk.m_texture.textScale, 0.5f);
    for (int flags : {0, D3DFONT_CENTERED})
    {
        const auto a = Batches(full, "20k\n5", flags)[0];
        const auto b = Batches(shrunk, "20k\n5", flags)[0];
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i)
        {
            EXPECT_NEAR(a[i].x, b[i].x, 1e-5f) << "vertex " << i << " flags " << flags;
            EXPECT_NEAR(a[i].y, b[i].y, 1e-5f) << "vertex " << i << " flags " << flags;
        }
    }
}

TEST(C3DFontLayoutTest, TexelsTakeTheirAlphaFromTheTopBitsOfBlue)
{
    const unsigned char rgb[] = {
        0,    0,    0xF0,  // full alpha
        0,    0,    0x1F,  // alpha 1
        0,    0,    0x0F,  // below one step: transparent
        0xFF, 0xFF, 0,     // red and green count for nothing
    };
    const auto texels = GlyphTexels(rgb, 2, 2);
    ASSERT_EQ(texels.size(), 4u);
    EXPECT_EQ(texels[0], 0xFFFF);
    EXPECT_EQ(texels[1], 0x1FFF);
    EXPECT_EQ(texels[2], 0);
    EXPECT_EQ(texels[3], 0);
}

}  // namespace
