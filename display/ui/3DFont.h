// Text in the 3D scene as textured rectangles: the printable ASCII characters of a font are drawn
// once into an alpha texture (through a memory DC), and text is built from two triangles per
// character (C3DFontLayout) and drawn in batches.
//
// Threads: user-interface thread only, with the view's context current.
#pragma once

#include <string>

#include "display/3DFontLayout.h"
#include "platform/gl/GlDevice.h"
#include "platform/gl/GlResources.h"

// Flags of the font.
inline constexpr int D3DFONT_BOLD = 0x0001;
inline constexpr int D3DFONT_ITALIC = 0x0002;
inline constexpr int D3DFONT_ZENABLE = 0x0004;

class C3DFont
{
public:
    // Vertices in the buffer: 100 triangles.
    static constexpr int kBufferVertices = 3 * C3DFontLayout::kBatchTriangles;

    C3DFont(const std::string& faceName, int points, int flags = 0);
    ~C3DFont();

    // The atlas texture and the character table. 0, E_FAIL when the font cannot be made, or the
    // device's failure code when the texture cannot be.
    int InitDeviceObjects(platform::gl::Device* device);
    // The vertex buffer and the two state blocks.
    int RestoreDeviceObjects();
    int InvalidateDeviceObjects();
    int DeleteDeviceObjects();
    // Invalidate, then delete.
    void Cleanup();

    // Extent of the text in texture pixels; E_FAIL for a null text or output.
    int GetTextExtent(const char* text, int* width, int* height) const;
    // The text in the plane z = 0 through the current transforms. Flags: D3DFONT_TWOSIDED,
    // D3DFONT_FILTERED, D3DFONT_CENTERED. E_FAIL without a device.
    int Render3DText(const std::string& text, int flags);

    const C3DFontLayout& Layout() const { return m_layout; }
    // The atlas as RGB pixels after the last InitDeviceObjects (for looking at it in tests).
    const std::vector<unsigned char>& AtlasPixels() const { return m_atlasPixels; }

private:
    std::string m_strFontName;
    int m_dwFontHeight;
    int m_dwFontFlags;
    platform::gl::Device* m_pd3dDevice = nullptr;
    platform::gl::Texture4444 m_texture;
    platform::gl::VertexBuffer m_vertexBuffer;
    C3DFontLayout m_layout;
    std::vector<unsigned char> m_atlasPixels;
    bool m_bStateBlocks = false;
    platform::gl::RenderState m_drawTextState;

public:
    // The largest texture side to assume instead of the device's (0: the device's); tests shrink it
    // below the chosen atlas size.
    int m_nMaxTextureWidthOverride = 0;
};
