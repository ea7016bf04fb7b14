// Objects the OpenGL context owns: vertex buffers, 4-4-4-4 textures and an off-screen framebuffer
// with read-back. Each releases its object when destroyed; the context must be current whenever
// one is made, used or destroyed.
//
// Threads: user-interface thread only (where the context is current).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::gl
{

class VertexBuffer
{
public:
    VertexBuffer() = default;
    ~VertexBuffer();
    VertexBuffer(const VertexBuffer&) = delete;
    VertexBuffer& operator=(const VertexBuffer&) = delete;

    // A buffer of the size, zeroed. False when the context could not make it.
    bool Create(std::size_t bytes, bool dynamic);
    // Writes bytes at the offset; false beyond the buffer's size or without a buffer.
    bool Write(const void* data, std::size_t bytes, std::size_t offset = 0);
    void Release();
    unsigned Name() const { return m_name; }
    std::size_t Size() const { return m_size; }

private:
    unsigned m_name = 0;
    std::size_t m_size = 0;
};

// A texture of 16-bit texels laid out alpha, red, green, blue (4 bits each, alpha in the top bits).
class Texture4444
{
public:
    Texture4444() = default;
    ~Texture4444();
    Texture4444(const Texture4444&) = delete;
    Texture4444& operator=(const Texture4444&) = delete;

    // One level of width × height texels, point-sampled until told otherwise.
    bool Create(int width, int height, const std::uint16_t* texels);
    void Release();
    unsigned Name() const { return m_name; }

private:
    unsigned m_name = 0;
};

// A texture of 32-bit texels, bytes red, green, blue, alpha, rows from the top, filtered linearly.
class TextureRgba
{
public:
    TextureRgba() = default;
    ~TextureRgba();
    TextureRgba(const TextureRgba&) = delete;
    TextureRgba& operator=(const TextureRgba&) = delete;

    bool Create(int width, int height, const std::uint8_t* texels);
    void Release();
    unsigned Name() const { return m_name; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    unsigned m_name = 0;
    int m_width = 0;
    int m_height = 0;
};

// An off-screen colour (RGBA 8 bits) and depth target of a size, read back as RGB rows from the top.
class Framebuffer
{
public:
    Framebuffer() = default;
    ~Framebuffer();
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    // depthBits 16, 24 or 32 (with stencil bits > 0 a 24-bit depth and 8-bit stencil buffer).
    bool Create(int width, int height, int depthBits, int stencilBits);
    void Release();
    // Draws into it (Bind) or into the window again (Unbind).
    void Bind() const;
    static void Unbind();
    // Copies the picture to the window's back buffer, scaled to the window's size.
    void BlitToWindow(int windowWidth, int windowHeight) const;
    // The picture as RGB bytes, rows from the top; empty without a framebuffer.
    std::vector<unsigned char> ReadRgb() const;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int DepthBits() const { return m_depthBits; }
    int StencilBits() const { return m_stencilBits; }

private:
    unsigned m_framebuffer = 0;
    unsigned m_colour = 0;
    unsigned m_depth = 0;
    int m_width = 0;
    int m_height = 0;
    int m_depthBits = 0;
    int m_stencilBits = 0;
};

}  // namespace platform::gl
