#include "platform/gl/GlCanvas.h"

#include <GL/gl.h>

namespace platform::gl
{

namespace
{

wxGLAttributes CanvasAttributes(int depthBits, int stencilBits)
{
    wxGLAttributes attributes;
    attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(depthBits);
    if (stencilBits > 0)
        attributes.Stencil(stencilBits);
    attributes.EndList();
    return attributes;
}

std::string GlString(GLenum name)
{
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text != nullptr ? text : "";
}

int GlInteger(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

}  // namespace

bool IsSoftwareRenderer(const std::string& renderer)
{
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (renderer.find(name) != std::string::npos)
            return true;
    return false;
}

GlCanvas::GlCanvas(wxWindow* parent, int depthBits, int stencilBits)
    : wxGLCanvas(parent, CanvasAttributes(depthBits, stencilBits), wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxFULL_REPAINT_ON_RESIZE)
{
}

GlCanvas::~GlCanvas() = default;

std::unique_ptr<wxGLContext> GlCanvas::CreateContext()
{
    // The toolkit's default context is the compatibility profile.
    auto context = std::make_unique<wxGLContext>(this);
    if (!context->IsOK())
        return nullptr;
    return context;
}

bool GlCanvas::MakeCurrent(wxGLContext& context)
{
    return IsShownOnScreen() && SetCurrent(context);
}

void GlCanvas::Present()
{
    SwapBuffers();
}

RendererInfo GlCanvas::QueryInfo() const
{
    RendererInfo info;
    info.renderer = GlString(GL_RENDERER);
    info.vendor = GlString(GL_VENDOR);
    info.version = GlString(GL_VERSION);
    info.software = IsSoftwareRenderer(info.renderer);
    info.colourBits = GlInteger(GL_RED_BITS) + GlInteger(GL_GREEN_BITS) + GlInteger(GL_BLUE_BITS);
    info.depthBits = GlInteger(GL_DEPTH_BITS);
    info.stencilBits = GlInteger(GL_STENCIL_BITS);
    info.samples = GlInteger(GL_SAMPLES);
    info.maxTextureSize = GlInteger(GL_MAX_TEXTURE_SIZE);
    return info;
}

}  // namespace platform::gl
