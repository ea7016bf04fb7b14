#include "display/3DFontLayout.h"

#include <algorithm>
#include <cmath>

#include "common/RegistryValues.h"

namespace
{
constexpr int kPointsPerInch = 72;
// World units per texture pixel before the caller's scaling.
constexpr float kPixelsPerUnit = 10.0f;
}  // namespace

C3DFontTexture ChooseFontTexture(int points, int maxTextureWidth)
{
    C3DFontTexture t;
    const int side = points > 40 ? 1024 : points > 20 ? 512 : 256;
    t.width = t.height = side;
    if (maxTextureWidth > 0 && maxTextureWidth < side)
    {
        t.width = t.height = maxTextureWidth;
        t.textScale = static_cast<float>(maxTextureWidth) / static_cast<float>(side);
    }
    return t;
}

int FontPixelHeight(int points, int pixelsPerInch, float textScale)
{
    const long long scaledPpi = static_cast<long long>(pixelsPerInch * textScale);
    return static_cast<int>((points * scaledPpi + kPointsPerInch / 2) / kPointsPerInch);
}

std::vector<std::uint16_t> GlyphTexels(const unsigned char* rgb, int width, int height)
{
    std::vector<std::uint16_t> texels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < texels.size(); ++i)
    {
        const std::uint16_t alpha = rgb[3 * i + 2] >> 4;
        texels[i] = alpha > 0 ? static_cast<std::uint16_t>((alpha << 12) | 0x0FFF) : 0;
    }
    return texels;
}

std::vector<C3DFontLayout::Cell> C3DFontLayout::Layout(const C3DFontTexture& texture,
                                                       std::span<const std::array<int, 2>> sizes)
{
    m_texture = texture;
    m_fTexCoords = {};
    std::vector<Cell> cells(kCharCount);
    const float w = static_cast<float>(texture.width), h = static_cast<float>(texture.height);
    int x = 0, y = 0;
    for (int i = 0; i < kCharCount && i < static_cast<int>(sizes.size()); ++i)
    {
        const int cw = sizes[i][0], ch = sizes[i][1];
        if (x + cw + 1 > texture.width)
        {
            x = 0;
            y += ch + 1;
        }
        cells[i] = {x, y};
        m_fTexCoords[i] = {x / w, y / h, (x + cw) / w, (y + ch) / h};
        x += cw + 1;
    }
    return cells;
}

float C3DFontLayout::CharWidth(int c) const
{
    const auto& r = m_fTexCoords[c - kFirstChar];
    return (r[2] - r[0]) * static_cast<float>(m_texture.width);
}

float C3DFontLayout::CharHeight(int c) const
{
    const auto& r = m_fTexCoords[c - kFirstChar];
    return (r[3] - r[1]) * static_cast<float>(m_texture.height);
}

int C3DFontLayout::GetTextExtent(const char* text, int* width, int* height) const
{
    if (text == nullptr || width == nullptr || height == nullptr)
        return E_FAIL;
    const float lineHeight = CharHeight(' ');
    float lineWidth = 0.0f, widest = 0.0f, total = lineHeight;
    for (const char* p = text; *p != '\0'; ++p)
    {
        const int c = static_cast<unsigned char>(*p);
        if (c == '\n')
        {
            lineWidth = 0.0f;
            total += lineHeight;
        }
        // Characters outside the atlas (control characters, bytes of non-ASCII text) add nothing.
        if (c < kFirstChar || c > kLastChar)
            continue;
        lineWidth += CharWidth(c) + m_fSpacing;
        widest = std::max(widest, lineWidth);
    }
    *width = static_cast<int>(widest);
    *height = static_cast<int>(total);
    return 0;
}

void C3DFontLayout::BuildText(std::string_view text, int flags,
                              const std::function<void(std::span<const CTextVertex>)>& drawBatch) const
{
    // Texture pixels per world unit: a shrunken atlas keeps the rendered size.
    const float unit = m_texture.textScale * kPixelsPerUnit;
    float startX = 0.0f, y = 0.0f;
    if (flags & D3DFONT_CENTERED)
    {
        const std::string s(text);
        int w = 0, h = 0;
        GetTextExtent(s.c_str(), &w, &h);
        startX = -static_cast<float>(w) / (2.0f * unit);
        y = -static_cast<float>(h) / (2.0f * unit);
    }
    const float lineHeight = CharHeight(' ') / unit;
    float x = startX;

    std::array<CTextVertex, 3 * kBatchTriangles> batch;
    std::size_t count = 0;
    for (const char ch : text)
    {
        const int c = static_cast<unsigned char>(ch);
        if (c == '\n')
        {
            x = startX;
            y -= lineHeight;
        }
        if (c < kFirstChar || c > kLastChar)
            continue;
        const auto& r = m_fTexCoords[c - kFirstChar];
        const float w = CharWidth(c) / unit;
        const float h = CharHeight(c) / unit;
        if (c != ' ')
        {
            const CTextVertex quad[6] = {
                {x, y - h, 0, 0, 0, -1, r[0], r[3]},     {x, y, 0, 0, 0, -1, r[0], r[1]},
                {x + w, y - h, 0, 0, 0, -1, r[2], r[3]}, {x + w, y, 0, 0, 0, -1, r[2], r[1]},
                {x + w, y - h, 0, 0, 0, -1, r[2], r[3]}, {x, y, 0, 0, 0, -1, r[0], r[1]},
            };
            std::copy(std::begin(quad), std::end(quad), batch.begin() + count);
            count += 6;
            if (count == batch.size())
            {
                drawBatch(std::span<const CTextVertex>(batch.data(), count));
                count = 0;
            }
        }
        x += w;
    }
    if (count > 0)
        drawBatch(std::span<const CTextVertex>(batch.data(), count));
}
