// The 3D view's small application framework over OpenGL: it makes the drawing surface and context
// on a render window (one adapter with one device: "HAL" for a hardware renderer, "REF" for a
// software one), runs one frame at a time paced by the application timer, keeps frame statistics,
// pauses and resumes, switches between the window and full screen, reports failures in message
// boxes and saves the rendered picture. A derived class supplies the scene through its hooks, which
// run in the order InitScene, CreateDeviceResources, ResetDeviceResources, (AdvanceFrame, DrawScene
// per frame), ReleaseDeviceResources, DestroyDeviceResources, ShutdownScene; a resize or a switch
// to or from full screen runs ReleaseDeviceResources and ResetDeviceResources around it.
//
// Every frame is drawn into an off-screen framebuffer of the window's size and then shown on the
// window, so the last picture can always be read back.
//
// Threads: user-interface thread only. Pause may be called from the engine's restart, which runs
// on the user-interface thread too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <wx/frame.h>
#include <wx/image.h>
#include <wx/weakref.h>

#include "display/3DErrorText.h"
#include "display/FrameStatistics.h"
#include "platform/gl/GlCanvas.h"
#include "platform/gl/GlDevice.h"
#include "platform/gl/GlResources.h"

class wxGLContext;

class C3DViewBase
{
public:
    C3DViewBase();
    // A derived class calls ReleaseDevice in its own destructor, while its hooks still exist.
    virtual ~C3DViewBase();
    C3DViewBase(const C3DViewBase&) = delete;
    C3DViewBase& operator=(const C3DViewBase&) = delete;

    // The scene's hooks. Each returns 0, or a negative failure code.
    virtual int PrepareWindowChange();
    virtual int CheckDeviceCaps(const platform::gl::RendererInfo& info);
    virtual int InitScene() { return 0; }
    virtual int CreateDeviceResources() { return 0; }
    virtual int ResetDeviceResources() { return 0; }
    virtual int AdvanceFrame() { return 0; }
    virtual int DrawScene() { return 0; }
    virtual int ReleaseDeviceResources() { return 0; }
    virtual int DestroyDeviceResources() { return 0; }
    virtual int ShutdownScene() { return 0; }

    // Makes the surface on the render window, filling it (the render window must be shown; without
    // one the framework makes its own window of the creation size), starts the timer and runs InitScene and
    // the device's creation. Returns 0, or the failure code after reporting it as fatal.
    int Create(wxWindow* renderWindow);
    // One frame when one is due (see CFrameStatistics); 0, or the failing hook's code.
    int RenderFrame();
    // 1 pauses, 0 resumes; returns the pause count. The first pause stops the application timer,
    // the last resume starts it again.
    int Pause(int pause);
    // Fits the back buffer to the window again: release, new size, reset.
    int ResizeDevice();
    // Between the window and a borderless full-screen frame (no mode change). 0, or E_FAIL.
    int SwitchFullscreen();
    // Back to the window after a failed switch; failures are fatal.
    int LeaveFullscreen();
    // Runs the release hooks and ShutdownScene and lets go of the surface.
    void ReleaseDevice();
    // Shows the code's text in a box captioned with the window title; a fatal error also asks the
    // render window to close. Returns the code.
    std::uint32_t ShowError(std::uint32_t code, ErrorKind kind);
    // The last picture as a JPEG (quality 99, 24 bits) under the path with the extension "jpg", and
    // on the clipboard. 0, or E_FAIL when the picture could not be read or the file written.
    int SaveWindowImage(wxWindow* window, const std::string& path);
    // The last picture drawn (empty without a device).
    wxImage ReadImage();

    // The one framework object of the program (null while none exists).
    static C3DViewBase* Instance() { return s_pApp; }

    bool m_bActive = false;
    bool m_bReady = false;
    bool m_bWindowed = true;
    bool m_bUseDepthBuffer = false;
    int m_dwMinDepthBits = 16;
    int m_dwMinStencilBits = 0;
    // Caption of the framework's message boxes and of its own window.
    std::string m_strWindowTitle = "OpenGL Application";
    int m_dwCreationWidth = 800;
    int m_dwCreationHeight = 600;
    std::string m_strFrameStats;
    std::string m_strDeviceStats;
    int m_nBackBufferWidth = 0;
    int m_nBackBufferHeight = 0;
    platform::gl::RendererInfo m_rendererInfo;

protected:
    platform::gl::Device m_device;
    wxWindow* RenderWindow() const { return m_hWnd; }
    // The surface drawn on now (the window's or the full-screen frame's).
    platform::gl::GlCanvas* ActiveCanvas() const;

private:
    int InitDevice();
    int MakeBackBuffer();
    bool MakeCurrent();
    void Cleanup3DEnvironment();
    // The release hooks and the back buffer, when a device exists.
    void DestroyDevice();
    void HideFullscreenFrame();

    static C3DViewBase* s_pApp;

    wxWindow* m_hWnd = nullptr;
    wxWeakRef<wxFrame> m_ownFrame;
    wxWeakRef<platform::gl::GlCanvas> m_canvas;
    wxWeakRef<wxFrame> m_fullscreenFrame;
    wxWeakRef<platform::gl::GlCanvas> m_fullscreenCanvas;
    std::unique_ptr<wxGLContext> m_context;
    platform::gl::Framebuffer m_backBuffer;
    CFrameStatistics m_frameStatistics;
    int m_nPauseCount = 0;
    bool m_bDeviceCreated = false;
    bool m_bSceneInitialised = false;
    bool m_bSoftwareWarned = false;
};
