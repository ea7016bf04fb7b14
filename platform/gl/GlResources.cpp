#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl/GlResources.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

namespace platform::gl
{

namespace
{
// Errors left by earlier calls must not be taken for the next call's.
void ClearErrors()
{
    while (glGetError() != GL_NO_ERROR)
    {
    }
}

// How a texture's texels are laid out and filtered.
struct TextureFormat
{
    GLint alignment;
    GLint filter;
    GLint internalFormat;
    GLenum format;
    GLenum type;
};

// A new 2D texture with one level of the texels; false (the name possibly set, for the caller's
// release) when the driver refuses.
bool CreateTexture(GLuint& name, const TextureFormat& layout, int width, int height, const void* texels)
{
    ClearErrors();
    glGenTextures(1, &name);
    if (name == 0)
        return false;
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, layout.alignment);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, layout.filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, layout.filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, layout.internalFormat, width, height, 0, layout.format, layout.type,
                 texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return glGetError() == GL_NO_ERROR;
}
}  // namespace

VertexBuffer::~VertexBuffer()
{
    Release();
}

bool VertexBuffer::Create(std::size_t bytes, bool dynamic)
{
    Release();
    ClearErrors();
    glGenBuffers(1, &m_name);
    if (m_name == 0)
        return false;
    const std::vector<unsigned char> zeros(bytes, 0);
    glBindBuffer(GL_ARRAY_BUFFER, m_name);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), zeros.data(),
                 dynamic ? GL_STREAM_DRAW : GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (glGetError() != GL_NO_ERROR)
    {
        Release();
        return false;
    }
    m_size = bytes;
    return true;
}

bool VertexBuffer::Write(const void* data, std::size_t bytes, std::size_t offset)
{
    if (m_name == 0 || offset > m_size || bytes > m_size - offset)
        return false;
    glBindBuffer(GL_ARRAY_BUFFER, m_name);
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), data);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return true;
}

void VertexBuffer::Release()
{
    if (m_name != 0)
        glDeleteBuffers(1, &m_name);
    m_name = 0;
    m_size = 0;
}

Texture4444::~Texture4444()
{
    Release();
}

bool Texture4444::Create(int width, int height, const std::uint16_t* texels)
{
    Release();
    // Blue, green, red, alpha from the low bits up: the 16-bit texel's own layout.
    if (CreateTexture(m_name, {2, GL_NEAREST, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV}, width,
                      height, texels))
        return true;
    Release();
    return false;
}

TextureRgba::~TextureRgba()
{
    Release();
}

bool TextureRgba::Create(int width, int height, const std::uint8_t* texels)
{
    Release();
    if (!CreateTexture(m_name, {1, GL_LINEAR, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE}, width, height, texels))
    {
        Release();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

void TextureRgba::Release()
{
    if (m_name != 0)
        glDeleteTextures(1, &m_name);
    m_name = 0;
    m_width = m_height = 0;
}

void Texture4444::Release()
{
    if (m_name != 0)
        glDeleteTextures(1, &m_name);
    m_name = 0;
}

Framebuffer::~Framebuffer()
{
    Release();
}

bool Framebuffer::Create(int width, int height, int depthBits, int stencilBits)
{
    Release();
    if (width <= 0 || height <= 0)
        return false;
    ClearErrors();
    glGenFramebuffers(1, &m_framebuffer);
    glGenRenderbuffers(1, &m_colour);
    glGenRenderbuffers(1, &m_depth);
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, m_colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colour);
    glBindRenderbuffer(GL_RENDERBUFFER, m_depth);
    GLenum depthFormat = GL_DEPTH_COMPONENT16;
    GLenum attachment = GL_DEPTH_ATTACHMENT;
    m_depthBits = 16;
    m_stencilBits = 0;
    if (stencilBits > 0)
    {
        depthFormat = GL_DEPTH24_STENCIL8;
        attachment = GL_DEPTH_STENCIL_ATTACHMENT;
        m_depthBits = 24;
        m_stencilBits = 8;
    }
    else if (depthBits > 24)
    {
        depthFormat = GL_DEPTH_COMPONENT32;
        m_depthBits = 32;
    }
    else if (depthBits > 16)
    {
        depthFormat = GL_DEPTH_COMPONENT24;
        m_depthBits = 24;
    }
    glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, m_depth);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete || glGetError() != GL_NO_ERROR)
    {
        Release();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

void Framebuffer::Release()
{
    if (m_framebuffer != 0)
        glDeleteFramebuffers(1, &m_framebuffer);
    if (m_colour != 0)
        glDeleteRenderbuffers(1, &m_colour);
    if (m_depth != 0)
        glDeleteRenderbuffers(1, &m_depth);
    m_framebuffer = m_colour = m_depth = 0;
    m_width = m_height = m_depthBits = m_stencilBits = 0;
}

void Framebuffer::Bind() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glViewport(0, 0, m_width, m_height);
}

void Framebuffer::Unbind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Framebuffer::BlitToWindow(int windowWidth, int windowHeight) const
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glBlitFramebuffer(0, 0, m_width, m_height, 0, 0, windowWidth, windowHeight, GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

std::vector<unsigned char> Framebuffer::ReadRgb() const
{
    if (m_framebuffer == 0)
        return {};
    const std::size_t row = static_cast<std::size_t>(m_width) * 3;
    std::vector<unsigned char> bottomUp(row * static_cast<std::size_t>(m_height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    // The library counts rows from the bottom; pictures count them from the top.
    std::vector<unsigned char> rgb(bottomUp.size());
    for (int y = 0; y < m_height; ++y)
        std::memcpy(rgb.data() + static_cast<std::size_t>(y) * row,
                    bottomUp.data() + static_cast<std::size_t>(m_height - 1 - y) * row, row);
    return rgb;
}

}  // namespace platform::gl
