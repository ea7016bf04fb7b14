// The plain part of the 3D text: the glyph atlas's size and layout, the texels made from the
// rendered glyphs, text extents and the triangles of a text. C3DFont (display/ui) renders the
// glyphs and hands these arrays to the graphics library.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "display/LitVertex.h"

// Flags of a text's rendering.
inline constexpr int D3DFONT_TWOSIDED = 0x04;
inline constexpr int D3DFONT_FILTERED = 0x08;
inline constexpr int D3DFONT_CENTERED = 0x10;

// The atlas's side for a font size, and the scale its glyphs are drawn at when the device's largest
// texture is smaller than that.
struct C3DFontTexture
{
    int width = 256;
    int height = 256;
    float textScale = 1.0f;
};
C3DFontTexture ChooseFontTexture(int points, int maxTextureWidth);

// The font's cell height in pixels: points × pixels per inch × scale / 72, rounded.
int FontPixelHeight(int points, int pixelsPerInch, float textScale);

// A 4-4-4-4 texel (alpha in the top four bits) for every pixel of an RGB picture: white with the
// top four bits of the pixel's blue byte as alpha, or 0 when those are 0.
std::vector<std::uint16_t> GlyphTexels(const unsigned char* rgb, int width, int height);

class C3DFontLayout
{
public:
    static constexpr int kFirstChar = 32;
    static constexpr int kLastChar = 126;
    static constexpr int kCharCount = kLastChar - kFirstChar + 1;
    // Triangles drawn in one batch (the vertex buffer holds 300 vertices).
    static constexpr int kBatchTriangles = 100;

    struct Cell
    {
        int x = 0;
        int y = 0;
    };

    // Places the characters 32..126 in order, each of the given pixel size, in rows of the
    // texture's width with one pixel between them; keeps their texture rectangles and returns
    // where each is to be drawn.
    std::vector<Cell> Layout(const C3DFontTexture& texture, std::span<const std::array<int, 2>> sizes);

    // Width of the widest line and total height in texture pixels. 0, or E_FAIL for a null text
    // or output.
    int GetTextExtent(const char* text, int* width, int* height) const;

    // The triangles of the text in the plane z = 0, normal (0, 0, -1), two per visible character,
    // handed over in batches of at most 100 triangles. Flags: D3DFONT_CENTERED.
    void BuildText(std::string_view text, int flags,
                   const std::function<void(std::span<const CTextVertex>)>& drawBatch) const;

    // Texture rectangle (left, top, right, bottom in 0..1) of each character from 32.
    std::array<std::array<float, 4>, kCharCount> m_fTexCoords{};
    C3DFontTexture m_texture;
    float m_fSpacing = 0.0f;

private:
    // Size of a character's rectangle in texture pixels.
    float CharWidth(int c) const;
    float CharHeight(int c) const;
};
