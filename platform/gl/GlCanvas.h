// An OpenGL drawing surface on a window: a wxGLCanvas with its own compatibility context (the
// fixed-function pipeline), and what the context reports about the renderer and its buffers.
//
// Threads: user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include <wx/glcanvas.h>

namespace platform::gl
{

// What the context renders with.
struct RendererInfo
{
    std::string renderer;  // GL_RENDERER
    std::string vendor;    // GL_VENDOR
    std::string version;   // GL_VERSION
    // Mesa's software rasterisers (llvmpipe, softpipe, swrast).
    bool software = false;
    int colourBits = 0;
    int depthBits = 0;
    int stencilBits = 0;
    int samples = 0;
    int maxTextureSize = 0;
};

// True for the names of software renderers.
bool IsSoftwareRenderer(const std::string& renderer);

class GlCanvas : public wxGLCanvas
{
public:
    // A double-buffered RGBA canvas with at least the depth and stencil bits asked for.
    GlCanvas(wxWindow* parent, int depthBits, int stencilBits);
    ~GlCanvas() override;

    // A compatibility-profile context (which keeps the fixed-function pipeline) for this canvas and
    // every other canvas of the same attributes; null when none could be made. Buffers and textures
    // live as long as the context, whichever canvas it is current on.
    std::unique_ptr<wxGLContext> CreateContext();
    // Makes the context current on this canvas; false when the canvas cannot take it (not shown
    // on screen yet).
    bool MakeCurrent(wxGLContext& context);
    // Shows the back buffer.
    void Present();
    // The context's renderer, buffers and limits; call with the context current.
    RendererInfo QueryInfo() const;
};

}  // namespace platform::gl
