#include "display/ui/3DViewBase.h"

#include <cstring>
#include <filesystem>

#include <wx/glcanvas.h>
#include <wx/sizer.h>

#include "common/AppTimer.h"
#include "common/RegistryValues.h"
#include "platform/image/Image.h"
#include "platform/ui/MessageBoxService.h"

C3DViewBase* C3DViewBase::s_pApp = nullptr;

namespace
{
constexpr int kJpegQuality = 99;
}  // namespace

C3DViewBase::C3DViewBase()
{
    s_pApp = this;
}

C3DViewBase::~C3DViewBase()
{
    Cleanup3DEnvironment();
    if (m_ownFrame)
        m_ownFrame->Destroy();
    if (s_pApp == this)
        s_pApp = nullptr;
}

int C3DViewBase::PrepareWindowChange()
{
    return 0;
}

int C3DViewBase::CheckDeviceCaps(const platform::gl::RendererInfo&)
{
    return 0;
}

platform::gl::GlCanvas* C3DViewBase::ActiveCanvas() const
{
    return m_bWindowed ? m_canvas.get() : m_fullscreenCanvas.get();
}

bool C3DViewBase::MakeCurrent()
{
    platform::gl::GlCanvas* canvas = ActiveCanvas();
    return canvas != nullptr && m_context && canvas->MakeCurrent(*m_context);
}

int C3DViewBase::Create(wxWindow* renderWindow)
{
    m_hWnd = renderWindow;
    if (m_hWnd == nullptr)
    {
        auto* frame = new wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(m_strWindowTitle));
        frame->SetClientSize(m_dwCreationWidth, m_dwCreationHeight);
        frame->Show();
        m_ownFrame = frame;
        m_hWnd = frame;
    }
    auto* canvas = new platform::gl::GlCanvas(m_hWnd, m_dwMinDepthBits, m_dwMinStencilBits);
    // The surface fills the render window (or takes its place in the window's own layout).
    wxSizer* sizer = m_hWnd->GetSizer();
    if (sizer == nullptr)
    {
        sizer = new wxBoxSizer(wxVERTICAL);
        m_hWnd->SetSizer(sizer);
    }
    sizer->Add(canvas, 1, wxEXPAND);
    m_hWnd->Layout();
    m_canvas = canvas;
    m_context = canvas->CreateContext();
    if (!m_context)
        return ShowError(D3DAPPERR_NODIRECT3D, ErrorKind::Fatal);

    AppTimer(TIMER_START);
    int hr = InitScene();
    m_bSceneInitialised = true;
    if (hr >= 0)
        hr = InitDevice();
    if (hr < 0)
    {
        Cleanup3DEnvironment();
        return ShowError(static_cast<std::uint32_t>(hr), ErrorKind::Fatal);
    }
    m_bReady = m_nPauseCount == 0;
    return 0;
}

int C3DViewBase::MakeBackBuffer()
{
    platform::gl::GlCanvas* canvas = ActiveCanvas();
    const wxSize size = canvas->GetClientSize();
    if (!m_backBuffer.Create(std::max(size.x, 1), std::max(size.y, 1), m_dwMinDepthBits, m_dwMinStencilBits))
        return static_cast<int>(D3DERR_OUTOFVIDEOMEMORY);
    m_nBackBufferWidth = m_backBuffer.Width();
    m_nBackBufferHeight = m_backBuffer.Height();
    return 0;
}

int C3DViewBase::InitDevice()
{
    PrepareWindowChange();
    if (!MakeCurrent())
        return static_cast<int>(D3DAPPERR_NODIRECT3D);
    m_rendererInfo = ActiveCanvas()->QueryInfo();
    if (CheckDeviceCaps(m_rendererInfo) < 0)
        return static_cast<int>(D3DAPPERR_NOCOMPATIBLEDEVICES);
    // The one device is the renderer the context got: the hardware's, or Mesa's software one.
    if (m_rendererInfo.software)
    {
        m_strDeviceStats = "REF (sw vp)";
        if (!m_bSoftwareWarned)
        {
            m_bSoftwareWarned = true;
            ShowError(D3DAPPERR_NOHARDWAREDEVICE, ErrorKind::SwitchingToRef);
        }
    }
    else
    {
        m_strDeviceStats = "HAL (hw vp): " + m_rendererInfo.renderer;
    }
    if (m_strDeviceStats.size() > 89)
        m_strDeviceStats.resize(89);

    if (const int hr = MakeBackBuffer(); hr < 0)
        return hr;
    int hr = CreateDeviceResources();
    if (hr >= 0)
        hr = ResetDeviceResources();
    if (hr < 0)
    {
        ReleaseDeviceResources();
        DestroyDeviceResources();
        m_backBuffer.Release();
        return hr;
    }
    m_bDeviceCreated = true;
    m_bActive = true;
    return 0;
}

int C3DViewBase::RenderFrame()
{
    if (!m_bDeviceCreated || !MakeCurrent())
        return 0;
    platform::gl::GlCanvas* canvas = ActiveCanvas();
    const wxSize size = canvas->GetClientSize();
    if (size.x > 0 && size.y > 0 && (size.x != m_nBackBufferWidth || size.y != m_nBackBufferHeight))
    {
        if (const int hr = ResizeDevice(); hr < 0)
            return hr;
    }
    if (!m_frameStatistics.BeginFrame())
        return 0;
    if (const int hr = AdvanceFrame(); hr < 0)
        return hr;
    m_backBuffer.Bind();
    const int hr = DrawScene();
    if (m_frameStatistics.EndFrame())
    {
        m_strFrameStats = FrameStatsText(m_frameStatistics.m_dFramesPerSecond, m_nBackBufferWidth,
                                         m_nBackBufferHeight, m_rendererInfo.colourBits >= 24 ? 32 : 16,
                                         m_bUseDepthBuffer ? m_backBuffer.DepthBits() : 0,
                                         m_backBuffer.StencilBits(), m_rendererInfo.samples);
    }
    m_backBuffer.BlitToWindow(size.x, size.y);
    canvas->Present();
    return hr < 0 ? hr : 0;
}

int C3DViewBase::Pause(int pause)
{
    if (pause)
    {
        if (++m_nPauseCount == 1)
            AppTimer(TIMER_STOP);
    }
    else if (m_nPauseCount > 0)
    {
        // A resume without a pause before it changes nothing.
        if (--m_nPauseCount == 0)
            AppTimer(TIMER_START);
    }
    m_bReady = m_nPauseCount == 0 && m_bDeviceCreated;
    return m_nPauseCount;
}

int C3DViewBase::ResizeDevice()
{
    if (!m_bDeviceCreated || !MakeCurrent())
        return static_cast<int>(D3DAPPERR_RESIZEFAILED);
    ReleaseDeviceResources();
    if (MakeBackBuffer() < 0)
        return static_cast<int>(D3DAPPERR_RESIZEFAILED);
    return ResetDeviceResources();
}

int C3DViewBase::SwitchFullscreen()
{
    if (!m_bDeviceCreated)
        return E_FAIL;
    const bool toFullscreen = m_bWindowed;
    m_bWindowed = !m_bWindowed;
    PrepareWindowChange();
    if (toFullscreen)
    {
        if (!m_fullscreenFrame)
        {
            auto* frame =
                new wxFrame(wxGetTopLevelParent(m_hWnd), wxID_ANY, wxString::FromUTF8(m_strWindowTitle),
                            wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxFRAME_NO_TASKBAR);
            auto* canvas = new platform::gl::GlCanvas(frame, m_dwMinDepthBits, m_dwMinStencilBits);
            auto* sizer = new wxBoxSizer(wxVERTICAL);
            sizer->Add(canvas, 1, wxEXPAND);
            frame->SetSizer(sizer);
            m_fullscreenFrame = frame;
            m_fullscreenCanvas = canvas;
        }
        m_fullscreenFrame->Show();
        m_fullscreenFrame->ShowFullScreen(true);
        m_fullscreenFrame->Layout();
    }
    else
    {
        HideFullscreenFrame();
    }
    if (ResizeDevice() >= 0)
        return 0;
    if (toFullscreen)
    {
        // Back to the window, which still holds a working surface.
        m_bWindowed = true;
        HideFullscreenFrame();
        PrepareWindowChange();
        ResizeDevice();
        return E_FAIL;
    }
    return LeaveFullscreen();
}

int C3DViewBase::LeaveFullscreen()
{
    DestroyDevice();
    m_bWindowed = true;
    HideFullscreenFrame();
    if (const int hr = InitDevice(); hr < 0)
    {
        ShowError(static_cast<std::uint32_t>(hr), ErrorKind::Fatal);
        return hr;
    }
    return 0;
}

void C3DViewBase::DestroyDevice()
{
    if (!m_bDeviceCreated)
        return;
    MakeCurrent();
    ReleaseDeviceResources();
    DestroyDeviceResources();
    m_backBuffer.Release();
    m_bDeviceCreated = false;
}

void C3DViewBase::HideFullscreenFrame()
{
    if (!m_fullscreenFrame)
        return;
    m_fullscreenFrame->ShowFullScreen(false);
    m_fullscreenFrame->Hide();
}

void C3DViewBase::ReleaseDevice()
{
    m_bActive = false;
    m_bReady = false;
    DestroyDevice();
    if (m_bSceneInitialised)
    {
        m_bSceneInitialised = false;
        ShutdownScene();
    }
}

void C3DViewBase::Cleanup3DEnvironment()
{
    ReleaseDevice();
    if (m_fullscreenFrame)
        m_fullscreenFrame->Destroy();
    m_context.reset();
}

std::uint32_t C3DViewBase::ShowError(std::uint32_t code, ErrorKind kind)
{
    const long icon = kind == ErrorKind::Fatal ? wxICON_ERROR : wxICON_WARNING;
    platform::ui::ShowMessageBox(Text3DError(code, kind), m_strWindowTitle, wxOK | icon, m_hWnd);
    if (kind == ErrorKind::Fatal && m_hWnd != nullptr)
        m_hWnd->Close();
    return code;
}

wxImage C3DViewBase::ReadImage()
{
    if (!m_bDeviceCreated || !MakeCurrent())
        return {};
    const std::vector<unsigned char> rgb = m_backBuffer.ReadRgb();
    if (rgb.empty())
        return {};
    wxImage image(m_backBuffer.Width(), m_backBuffer.Height(), false);
    std::memcpy(image.GetData(), rgb.data(), rgb.size());
    return image;
}

int C3DViewBase::SaveWindowImage(wxWindow* window, const std::string& path)
{
    const wxImage image = ReadImage();
    if (!image.IsOk())
        return E_FAIL;
    std::filesystem::path jpeg(path);
    jpeg.replace_extension("jpg");
    if (!platform::SaveImage(image, jpeg, platform::ImageFormat::Jpeg, kJpegQuality))
    {
        platform::ui::ShowMessageBox("Unable to save the picture\n" + jpeg.string(), m_strWindowTitle,
                                     wxOK | wxICON_ERROR, window);
        return E_FAIL;
    }
    if (!platform::CopyBitmapToClipboard(wxBitmap(image)))
        platform::ui::ShowMessageBox("Unable to set Clipboard data", m_strWindowTitle, wxOK | wxICON_WARNING,
                                     window);
    return 0;
}
