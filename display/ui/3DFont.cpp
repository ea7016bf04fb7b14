#include "display/ui/3DFont.h"

#include <GL/gl.h>

#include <array>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/font.h>
#include <wx/image.h>

#include "common/RegistryValues.h"

namespace
{
// Glyphs with alpha below this (of 255) are not drawn at all.
constexpr int kAlphaReference = 8;
}  // namespace

C3DFont::C3DFont(const std::string& faceName, int points, int flags)
    : m_strFontName(faceName), m_dwFontHeight(points), m_dwFontFlags(flags)
{
}

C3DFont::~C3DFont()
{
    Cleanup();
}

int C3DFont::InitDeviceObjects(platform::gl::Device* device)
{
    m_pd3dDevice = device;
    GLint maxTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    if (m_nMaxTextureWidthOverride > 0)
        maxTexture = m_nMaxTextureWidthOverride;
    const C3DFontTexture texture = ChooseFontTexture(m_dwFontHeight, maxTexture);

    wxBitmap bitmap(texture.width, texture.height, 24);
    wxMemoryDC dc(bitmap);
    const int pixelHeight = FontPixelHeight(m_dwFontHeight, dc.GetPPI().y, texture.textScale);
    wxFontInfo info(wxSize(0, pixelHeight));
    info.FaceName(wxString::FromUTF8(m_strFontName))
        .Bold((m_dwFontFlags & D3DFONT_BOLD) != 0)
        .Italic((m_dwFontFlags & D3DFONT_ITALIC) != 0)
        .AntiAliased(true);
    const wxFont font(info);
    if (!font.IsOk() || pixelHeight <= 0)
        return E_FAIL;
    dc.SetFont(font);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    dc.SetTextForeground(*wxWHITE);
    dc.SetTextBackground(*wxBLACK);
    dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);

    std::vector<std::array<int, 2>> sizes;
    for (int c = C3DFontLayout::kFirstChar; c <= C3DFontLayout::kLastChar; ++c)
    {
        wxCoord w = 0, h = 0;
        dc.GetTextExtent(wxString(static_cast<wxChar>(c)), &w, &h);
        sizes.push_back({w, h});
    }
    const auto cells = m_layout.Layout(texture, sizes);
    for (int i = 0; i < C3DFontLayout::kCharCount; ++i)
        dc.DrawText(wxString(static_cast<wxChar>(C3DFontLayout::kFirstChar + i)), cells[i].x, cells[i].y);
    dc.SelectObject(wxNullBitmap);

    const wxImage image = bitmap.ConvertToImage();
    m_atlasPixels.assign(image.GetData(), image.GetData() + 3 * texture.width * texture.height);
    const auto texels = GlyphTexels(image.GetData(), texture.width, texture.height);
    if (!m_texture.Create(texture.width, texture.height, texels.data()))
        return E_FAIL;
    return 0;
}

int C3DFont::RestoreDeviceObjects()
{
    if (!m_vertexBuffer.Create(kBufferVertices * sizeof(CTextVertex), true))
        return E_FAIL;
    // The drawing state; the saved state is captured each time text is drawn.
    platform::gl::RenderState& s = m_drawTextState;
    s = {};
    s.texture = m_texture.Name();
    s.depthTest = (m_dwFontFlags & D3DFONT_ZENABLE) != 0;
    s.blend = true;
    s.blendSource = platform::gl::BlendFactor::SrcAlpha;
    s.blendDestination = platform::gl::BlendFactor::InvSrcAlpha;
    s.alphaTest = true;
    s.alphaReference = kAlphaReference;
    s.fill = platform::gl::FillMode::Solid;
    s.cull = platform::gl::CullMode::CounterClockwise;
    s.fog = false;
    s.stencil = false;
    m_bStateBlocks = true;
    return 0;
}

int C3DFont::InvalidateDeviceObjects()
{
    m_vertexBuffer.Release();
    m_bStateBlocks = false;
    return 0;
}

int C3DFont::DeleteDeviceObjects()
{
    m_texture.Release();
    m_pd3dDevice = nullptr;
    return 0;
}

void C3DFont::Cleanup()
{
    InvalidateDeviceObjects();
    DeleteDeviceObjects();
}

int C3DFont::GetTextExtent(const char* text, int* width, int* height) const
{
    return m_layout.GetTextExtent(text, width, height);
}

int C3DFont::Render3DText(const std::string& text, int flags)
{
    if (m_pd3dDevice == nullptr || !m_bStateBlocks)
        return E_FAIL;
    // Lighting and the shading stay as the caller set them.
    const platform::gl::RenderState saved = platform::gl::Device::CaptureState();
    platform::gl::RenderState drawing = m_drawTextState;
    drawing.lighting = saved.lighting;
    drawing.shade = saved.shade;
    drawing.linearFilter = (flags & D3DFONT_FILTERED) != 0;
    if (flags & D3DFONT_TWOSIDED)
        drawing.cull = platform::gl::CullMode::None;
    platform::gl::Device::ApplyState(drawing);

    m_layout.BuildText(text, flags,
                       [this](std::span<const CTextVertex> batch)
                       {
                           m_vertexBuffer.Write(batch.data(), batch.size_bytes());
                           platform::gl::Device::Draw(m_vertexBuffer, platform::gl::VertexLayout::Text,
                                                      platform::gl::Primitive::Triangles, 0,
                                                      static_cast<int>(batch.size()));
                       });
    platform::gl::Device::ApplyState(saved);
    return 0;
}
