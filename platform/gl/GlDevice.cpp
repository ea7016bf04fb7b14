#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl/GlDevice.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>

namespace platform::gl
{

namespace
{

GLenum GlFactor(BlendFactor f)
{
    switch (f)
    {
        case BlendFactor::Zero:
            return GL_ZERO;
        case BlendFactor::One:
            return GL_ONE;
        case BlendFactor::SrcAlpha:
            return GL_SRC_ALPHA;
        case BlendFactor::InvSrcAlpha:
            return GL_ONE_MINUS_SRC_ALPHA;
    }
    return GL_ONE;
}

BlendFactor FactorOf(GLint f)
{
    switch (f)
    {
        case GL_ZERO:
            return BlendFactor::Zero;
        case GL_SRC_ALPHA:
            return BlendFactor::SrcAlpha;
        case GL_ONE_MINUS_SRC_ALPHA:
            return BlendFactor::InvSrcAlpha;
        default:
            return BlendFactor::One;
    }
}

void Enable(GLenum capability, bool on)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

GLint Integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::array<float, 4> Argb(std::uint32_t argb)
{
    return {((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
            ((argb >> 24) & 0xFF) / 255.0f};
}

}  // namespace

void Device::SetTransform(TransformKind kind, const std::array<float, 16>& matrix)
{
    switch (kind)
    {
        case TransformKind::Projection:
            glMatrixMode(GL_PROJECTION);
            glLoadMatrixf(matrix.data());
            glMatrixMode(GL_MODELVIEW);
            return;
        case TransformKind::View:
            m_view = matrix;
            break;
        case TransformKind::World:
            m_world = matrix;
            break;
    }
    LoadModelView();
}

void Device::LoadModelView()
{
    // Lights stand in world space: they are placed with the view alone, then the world follows.
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(m_view.data());
    for (std::size_t i = 0; i < m_lights.size(); ++i)
    {
        const Light& light = m_lights[i];
        const GLenum name = GL_LIGHT0 + static_cast<GLenum>(i);
        // The library wants the direction towards the light.
        const float towards[4] = {-light.direction[0], -light.direction[1], -light.direction[2], 0.0f};
        const float black[4] = {0, 0, 0, 1};
        glLightfv(name, GL_POSITION, towards);
        glLightfv(name, GL_DIFFUSE, light.colour.data());
        glLightfv(name, GL_AMBIENT, black);
        glLightfv(name, GL_SPECULAR, black);
        Enable(name, light.enabled);
    }
    glMultMatrixf(m_world.data());
}

void Device::SetDirectionalLight(int index, const std::array<float, 3>& direction,
                                 const std::array<float, 4>& colour, bool enabled)
{
    if (index < 0 || index >= static_cast<int>(m_lights.size()))
        return;
    m_lights[index] = {direction, colour, enabled};
    LoadModelView();
}

void Device::SetMaterial(const std::array<float, 4>& diffuse, const std::array<float, 4>& ambient)
{
    const float black[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
}

void Device::SetAmbient(std::uint32_t argb)
{
    const auto colour = Argb(argb);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, colour.data());
}

void Device::SetDithering(bool on)
{
    Enable(GL_DITHER, on);
}

RenderState Device::CaptureState()
{
    RenderState s;
    s.lighting = glIsEnabled(GL_LIGHTING);
    s.depthTest = glIsEnabled(GL_DEPTH_TEST);
    s.blend = glIsEnabled(GL_BLEND);
    s.blendSource = FactorOf(Integer(GL_BLEND_SRC_RGB));
    s.blendDestination = FactorOf(Integer(GL_BLEND_DST_RGB));
    s.alphaTest = glIsEnabled(GL_ALPHA_TEST);
    GLfloat reference = 0.0f;
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    s.alphaReference = static_cast<int>(reference * 255.0f + 0.5f);
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    s.fill = polygonMode[0] == GL_LINE ? FillMode::Wireframe : FillMode::Solid;
    if (!glIsEnabled(GL_CULL_FACE))
        s.cull = CullMode::None;
    else
        s.cull = Integer(GL_FRONT_FACE) == GL_CW ? CullMode::CounterClockwise : CullMode::Clockwise;
    s.shade = Integer(GL_SHADE_MODEL) == GL_FLAT ? ShadeMode::Flat : ShadeMode::Gouraud;
    s.fog = glIsEnabled(GL_FOG);
    s.stencil = glIsEnabled(GL_STENCIL_TEST);
    s.texture = glIsEnabled(GL_TEXTURE_2D) ? static_cast<unsigned>(Integer(GL_TEXTURE_BINDING_2D)) : 0;
    if (s.texture != 0)
    {
        GLint filter = GL_NEAREST;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
        s.linearFilter = filter == GL_LINEAR;
    }
    return s;
}

void Device::ApplyState(const RenderState& s)
{
    SetLighting(s.lighting);
    Enable(GL_DEPTH_TEST, s.depthTest);
    SetBlend(s.blend, s.blendSource, s.blendDestination);
    Enable(GL_ALPHA_TEST, s.alphaTest);
    glAlphaFunc(GL_GEQUAL, s.alphaReference / 255.0f);
    SetFill(s.fill);
    SetCull(s.cull);
    SetShade(s.shade);
    Enable(GL_FOG, s.fog);
    Enable(GL_STENCIL_TEST, s.stencil);
    SetTexture(s.texture, s.linearFilter);
}

void Device::SetLighting(bool on)
{
    Enable(GL_LIGHTING, on);
}

void Device::SetFill(FillMode fill)
{
    glPolygonMode(GL_FRONT_AND_BACK, fill == FillMode::Wireframe ? GL_LINE : GL_FILL);
}

void Device::SetCull(CullMode cull)
{
    Enable(GL_CULL_FACE, cull != CullMode::None);
    // Window coordinates have y up, so the winding seen on screen is the mathematical one.
    glFrontFace(cull == CullMode::CounterClockwise ? GL_CW : GL_CCW);
    glCullFace(GL_BACK);
}

void Device::SetShade(ShadeMode shade)
{
    glShadeModel(shade == ShadeMode::Flat ? GL_FLAT : GL_SMOOTH);
}

void Device::SetBlend(bool on, BlendFactor source, BlendFactor destination)
{
    Enable(GL_BLEND, on);
    glBlendFunc(GlFactor(source), GlFactor(destination));
}

void Device::SetTexture(unsigned texture, bool linearFilter)
{
    Enable(GL_TEXTURE_2D, texture != 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (texture == 0)
        return;
    const GLint filter = linearFilter ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    // The texture's colour and alpha times the vertex's (lit) colour.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void Device::Clear(std::uint32_t argb, float depth)
{
    const auto c = Argb(argb);
    glClearColor(c[0], c[1], c[2], c[3]);
    glClearDepth(depth);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Device::Draw(const VertexBuffer& buffer, VertexLayout layout, Primitive primitive, int first, int count)
{
    if (buffer.Name() == 0 || count <= 0)
        return;
    auto at = [](std::size_t offset) { return reinterpret_cast<const void*>(offset); };
    const GLenum mode = primitive == Primitive::Lines       ? GL_LINES
                        : primitive == Primitive::Triangles ? GL_TRIANGLES
                                                            : GL_TRIANGLE_STRIP;
    if (layout == VertexLayout::Coloured)
    {
        constexpr GLsizei kStride = 16;
        glBindBuffer(GL_ARRAY_BUFFER, buffer.Name());
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, kStride, at(0));
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, kStride, at(12));
        glDrawArrays(mode, first, count);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return;
    }
    const bool lit = layout == VertexLayout::Lit;
    const GLsizei stride = lit ? 36 : 32;
    glBindBuffer(GL_ARRAY_BUFFER, buffer.Name());
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, at(0));
    glNormalPointer(GL_FLOAT, stride, at(12));
    if (lit)
    {
        // The vertex colour stands in for the material's diffuse colour, as ARGB bytes.
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, at(24));
        glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        glTexCoordPointer(2, GL_FLOAT, stride, at(28));
    }
    else
    {
        // Without a vertex colour an unlit vertex is white.
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glTexCoordPointer(2, GL_FLOAT, stride, at(24));
    }
    glDrawArrays(mode, first, count);
    if (lit)
    {
        glDisable(GL_COLOR_MATERIAL);
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void Device::DrawScreenImage(unsigned texture, int x, int y, int width, int height, int targetWidth,
                             int targetHeight)
{
    if (texture == 0 || targetWidth <= 0 || targetHeight <= 0)
        return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, targetWidth, targetHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(x, y);
    glTexCoord2f(1, 0);
    glVertex2i(x + width, y);
    glTexCoord2f(1, 1);
    glVertex2i(x + width, y + height);
    glTexCoord2f(0, 1);
    glVertex2i(x, y + height);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace platform::gl
