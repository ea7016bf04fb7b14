#include "display/ui/AppForm.h"

#include <array>
#include <chrono>
#include <thread>

#include <wx/dcmemory.h>
#include <wx/mstream.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include "common/AppTimer.h"
#include "common/RegistryValues.h"
#include "platform/Places.h"
#include "platform/image/Image.h"

namespace
{

#include "display/ui/WaterfallBackWall.inc"

using platform::gl::Device;
using platform::gl::Primitive;
using platform::gl::VertexLayout;
constexpr int kPoints = CWaterfallScene::kPoints;
constexpr float kX = CWaterfallScene::kExtentX;
constexpr float kY = CWaterfallScene::kExtentY;
constexpr float kZ = CWaterfallScene::kExtentZ;
constexpr int kBoxVertices = 48;
constexpr int kHelpFontPixels = 20;

// The RGBA bytes of a picture (opaque).
std::vector<std::uint8_t> RgbaOf(const wxImage& image)
{
    const int n = image.GetWidth() * image.GetHeight();
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(n) * 4);
    const unsigned char* rgb = image.GetData();
    for (int i = 0; i < n; ++i)
    {
        rgba[4 * static_cast<std::size_t>(i)] = rgb[3 * i];
        rgba[4 * static_cast<std::size_t>(i) + 1] = rgb[3 * i + 1];
        rgba[4 * static_cast<std::size_t>(i) + 2] = rgb[3 * i + 2];
        rgba[4 * static_cast<std::size_t>(i) + 3] = 255;
    }
    return rgba;
}

bool LoadTexture(platform::gl::TextureRgba& texture, const wxImage& image)
{
    if (!image.IsOk())
        return false;
    const std::vector<std::uint8_t> rgba = RgbaOf(image);
    return texture.Create(image.GetWidth(), image.GetHeight(), rgba.data());
}

// The 24 edges of the box's six faces as a line list.
std::vector<CLitVertex> BoxLines()
{
    std::vector<CLitVertex> v;
    auto add = [&](C3DVector a, C3DVector b)
    {
        v.push_back({a.x, a.y, a.z, 0, 1, 0, 0xFFFFFFFF, 0, 0});
        v.push_back({b.x, b.y, b.z, 0, 1, 0, 0xFFFFFFFF, 0, 0});
    };
    auto face = [&](C3DVector o, C3DVector e1, C3DVector e2)
    {
        add(o, o + e1);
        add(o + e1, o + e1 + e2);
        add(o + e1 + e2, o + e2);
        add(o + e2, o);
    };
    const C3DVector x{kX, 0, 0}, y{0, kY, 0}, z{0, 0, kZ}, o{0, 0, 0};
    face(o, x, y);
    face(o + z, x, y);
    face(o, x, z);
    face(o + y, x, z);
    face(o, y, z);
    face(o + x, y, z);
    return v;
}

}  // namespace

CAppForm::CAppForm(wxWindow* parent, Owner owner)
    : wxFrame(parent, wxID_ANY, "3D", wxDefaultPosition, wxSize(800, 600),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      m_owner(std::move(owner)),
      m_timer(this)
{
    g_p3DWindow = this;
    m_strWindowTitle = "Halvek";
    m_bUseDepthBuffer = true;
    m_world = m_camera.World();
    ReadWindowSize();
    SetClientSize(m_dwCreationWidth, m_dwCreationHeight);
    m_pRenderPanel = new wxPanel(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pRenderPanel, 1, wxEXPAND);
    SetSizer(sizer);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { RenderFrame(); });
    // The window never closes itself: its owner does.
    Bind(wxEVT_CLOSE_WINDOW,
         [this](wxCloseEvent& event)
         {
             if (m_bClosing || !event.CanVeto())
             {
                 event.Skip();
                 return;
             }
             event.Veto();
             RequestClose();
         });
}

CAppForm::~CAppForm()
{
    m_timer.Stop();
    ReleaseDevice();
    if (g_p3DWindow == this)
        g_p3DWindow = nullptr;
}

void CAppForm::ReadWindowSize()
{
    const platform::RegistryKey key = platform::RegistryKey::Open(kSizeKey, false);
    if (!key.IsOpen())
        return;
    int width = m_dwCreationWidth, height = m_dwCreationHeight;
    ReadRegDword(key, "Width", &width, width);
    ReadRegDword(key, "Height", &height, height);
    // A stored size the screen could not hold is not taken.
    if (width >= 100 && width <= 8192 && height >= 100 && height <= 8192)
    {
        m_dwCreationWidth = width;
        m_dwCreationHeight = height;
    }
}

void CAppForm::WriteWindowSize()
{
    const platform::RegistryKey key = platform::RegistryKey::Open(kSizeKey, true);
    if (!key.IsOpen() || m_pRenderPanel == nullptr)
        return;
    const wxSize size = m_pRenderPanel->GetClientSize();
    WriteRegDword(key, "Width", size.x);
    WriteRegDword(key, "Height", size.y);
}

int CAppForm::CreateWindow()
{
    Show();
    Layout();
    wxYield();
    const int hr = C3DViewBase::Create(m_pRenderPanel);
    if (hr < 0)
        return hr;
    BindCanvas(ActiveCanvas());
    m_timer.Start(kTimerMs);
    return 0;
}

void CAppForm::BindCanvas(wxWindow* canvas)
{
    if (canvas == nullptr)
        return;
    canvas->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) { OnKey(e, true); });
    canvas->Bind(wxEVT_KEY_UP, [this](wxKeyEvent& e) { OnKey(e, false); });
    canvas->Bind(wxEVT_MOTION, &CAppForm::OnMouse, this);
    canvas->Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent&) { RequestClose(); });
    canvas->Bind(wxEVT_MIDDLE_DOWN, [](wxMouseEvent&) {});
    canvas->Bind(wxEVT_LEFT_DCLICK,
                 [this](wxMouseEvent& e)
                 {
                     if (m_owner.screenshotRequest)
                         CallAfter(m_owner.screenshotRequest);
                     e.Skip();
                 });
    canvas->Bind(wxEVT_LEFT_DOWN,
                 [canvas](wxMouseEvent& e)
                 {
                     canvas->SetFocus();
                     e.Skip();
                 });
}

void CAppForm::Close3D()
{
    m_bClosing = true;
    m_timer.Stop();
    if (g_p3DWindow == this)
        g_p3DWindow = nullptr;
    ReleaseDevice();
    Destroy();
}

void CAppForm::RequestClose()
{
    if (m_owner.closeRequest)
        CallAfter(m_owner.closeRequest);
}

void CAppForm::OnKey(wxKeyEvent& event, bool down)
{
    WaterfallKeys& k = m_camera.m_keys;
    switch (event.GetKeyCode())
    {
        case WXK_UP:
            k.up = down;
            break;
        case WXK_DOWN:
            k.down = down;
            break;
        case WXK_LEFT:
            k.left = down;
            break;
        case WXK_RIGHT:
            k.right = down;
            break;
        case 'R':
            k.r = down;
            break;
        case 'L':
            k.l = down;
            break;
        case 'U':
            k.u = down;
            break;
        case 'D':
            k.d = down;
            break;
        case 'I':
            k.i = down;
            break;
        case 'O':
            k.o = down;
            break;
        case 'S':
            k.s = down;
            break;
        case 'H':
            k.h = down;
            break;
        case WXK_SPACE:
            m_bSpaceDown = down;
            break;
        case WXK_ESCAPE:
            if (!down && !m_bWindowed)
                SwitchFullscreen();
            break;
        default:
            event.Skip();
            return;
    }
}

void CAppForm::OnMouse(wxMouseEvent& event)
{
    m_camera.MouseMove(event.GetX(), event.GetY(), event.LeftIsDown());
    event.Skip();
}

int CAppForm::Pause(bool pause)
{
    return C3DViewBase::Pause(pause ? 1 : 0);
}

WaterfallCameraPreset CAppForm::GetCamera() const
{
    return {m_camera.m_fRotX, m_camera.m_fRotY, m_camera.m_fMoveX, m_camera.m_fMoveY, m_camera.m_fMoveZ};
}

void CAppForm::SetCamera(const WaterfallCameraPreset& camera)
{
    m_camera.m_fRotX = camera.rotX;
    m_camera.m_fRotY = camera.rotY;
    m_camera.m_fMoveX = camera.moveX;
    m_camera.m_fMoveY = camera.moveY;
    m_camera.m_fMoveZ = camera.moveZ;
}

void CAppForm::AddRow(std::span<const float> row, int index)
{
    std::lock_guard lock(m_scene.m_mutex);
    m_scene.AddRow(row, index);
}

void CAppForm::ClearHistory()
{
    std::lock_guard lock(m_scene.m_mutex);
    m_scene.ClearHistory();
}

int CAppForm::SaveScreenshot(const std::string& path)
{
    m_bScreenshotTaken = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // A frame without the help line.
    RenderFrame();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int hr = SaveWindowImage(this, path);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return hr;
}

int CAppForm::PrepareWindowChange()
{
    if (!m_bWindowed)
        BindCanvas(ActiveCanvas());
    return 0;
}

int CAppForm::InitScene()
{
    for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
        if (const int hr = r->InitScene(); hr < 0)
            return hr;
    return 0;
}

int CAppForm::CreateDeviceResources()
{
    const wxImage logo = platform::LoadImage(platform::ProgramFolder() / kLogoFile);
    wxMemoryInputStream stream(kWaterfallBackWallJpeg, sizeof(kWaterfallBackWallJpeg));
    wxImage back;
    back.LoadFile(stream, wxBITMAP_TYPE_JPEG);
    if (!LoadTexture(m_sideTexture, logo) || !LoadTexture(m_backTexture, back))
        return E_FAIL;
    if (!m_surface.Create(CWaterfallScene::kSurfaceVertices * sizeof(CLitVertex), true) ||
        !m_colourSurface.Create(CWaterfallScene::kSurfaceVertices * sizeof(CColourVertex), true) ||
        !m_grid.Create(CWaterfallScene::kGridVertices * sizeof(CLitVertex), true) ||
        !m_box.Create(kBoxVertices * sizeof(CLitVertex), false) ||
        !m_sideWall.Create(6 * sizeof(CLitVertex), false) ||
        !m_backWall.Create(6 * sizeof(CLitVertex), false))
        return static_cast<int>(D3DERR_OUTOFVIDEOMEMORY);
    const std::vector<CLitVertex> box = BoxLines();
    m_box.Write(box.data(), box.size() * sizeof(CLitVertex));
    std::array<CLitVertex, 6> wall{};
    BuildQuad(wall, {0, 0, 0}, {0, 1, 0}, -kY, {0, 0, 1}, kZ);
    m_sideWall.Write(wall.data(), sizeof(wall));
    BuildQuad(wall, {0, 0, kZ}, {0, 1, 0}, -kY, {1, 0, 0}, kX);
    m_backWall.Write(wall.data(), sizeof(wall));
    m_nUploadedVersion = ~0ull;
    for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
        if (const int hr = r->CreateDeviceResources(&m_device); hr < 0)
            return hr;
    {
        std::lock_guard lock(m_scene.m_mutex);
        m_scene.m_zAxis.m_dMinimum = 0.0;
        m_scene.m_zAxis.m_dMaximum = m_scene.RowCount() * m_scene.m_dRowPeriod;
        m_scene.m_markers.m_dBoxLength = kX;
        m_scene.m_markers.m_dBoxDepth = kZ;
        m_scene.m_markers.m_dBoxHeight = kY;
        m_scene.RebuildAxes();
        m_scene.m_bAxesValid = 0;
    }
    return m_planesDraw.CreateDeviceResources();
}

int CAppForm::ResetDeviceResources()
{
    using platform::gl::TransformKind;
    m_device.SetMaterial({0.7f, 0.7f, 0.7f, 1.0f}, {0.7f, 0.7f, 0.7f, 1.0f});
    m_device.SetDithering(true);
    m_device.SetAmbient(0xFFFFFFFF);
    platform::gl::RenderState state;
    state.cull = platform::gl::CullMode::None;
    Device::ApplyState(state);
    m_device.SetTransform(TransformKind::World, GlMatrix(C3DMatrix::Identity(), MatrixKind::Transform));
    m_device.SetTransform(
        TransformKind::View,
        GlMatrix(C3DMatrix::LookAtLH({23, 9.6f, -13}, {0, -5, 20}, {0, 1, 0}), MatrixKind::Transform));
    const float aspect =
        m_nBackBufferHeight > 0 ? float(m_nBackBufferWidth) / float(m_nBackBufferHeight) : 1.0f;
    m_device.SetTransform(
        TransformKind::Projection,
        GlMatrix(C3DMatrix::PerspectiveFovLH(3.14159265f / 4, aspect, 0.1f, 300.0f), MatrixKind::Projection));
    m_device.SetDirectionalLight(0, {8, -80, -80}, {1, 1, 1, 1}, true);
    m_device.SetDirectionalLight(1, {-80, -80, -80}, {1, 0, 0, 1}, false);
    Device::SetLighting(false);
    m_strHelpShown.clear();
    for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
        if (const int hr = r->ResetDeviceResources(); hr < 0)
            return hr;
    return 0;
}

int CAppForm::AdvanceFrame()
{
    if (m_bSpaceDown && m_bWindowed)
        SwitchFullscreen();
    m_world = m_camera.Advance();
    m_device.SetTransform(platform::gl::TransformKind::World, GlMatrix(m_world, MatrixKind::Transform));
    return 0;
}

void CAppForm::Upload()
{
    if (m_scene.m_nGeometryVersion == m_nUploadedVersion)
        return;
    m_nUploadedVersion = m_scene.m_nGeometryVersion;
    const int strips = m_scene.RowCount() - 1;
    const std::size_t vertices = static_cast<std::size_t>(strips) * 2 * kPoints;
    const std::uint32_t style = m_scene.m_nStyle;
    if (style & (waterfall_style::kTexture | waterfall_style::kSurface))
        m_surface.Write(m_scene.m_surface.data(), vertices * sizeof(CLitVertex));
    if (style & (waterfall_style::kJet | waterfall_style::kGrey))
        m_colourSurface.Write(m_scene.m_colourSurface.data(), vertices * sizeof(CColourVertex));
    if (style & waterfall_style::kGrid)
    {
        const std::size_t lines = static_cast<std::size_t>(
            CWaterfallScene::GridLineCount(waterfall_style::kGrid, m_scene.RowCount()));
        m_grid.Write(m_scene.m_grid.data(), 2 * lines * sizeof(CLitVertex));
    }
}

int CAppForm::DrawScene()
{
    using platform::gl::CullMode;
    using platform::gl::FillMode;
    using platform::gl::ShadeMode;
    using platform::gl::TransformKind;
    std::lock_guard lock(m_scene.m_mutex);
    if (!m_scene.CanDraw())
        return 0;
    Upload();
    const std::uint32_t style = m_scene.m_nStyle;
    const int rows = m_scene.RowCount();

    Device::Clear(kBackground, 1.0f);
    // The box.
    Device::SetLighting(true);
    Device::SetFill(FillMode::Wireframe);
    Device::SetCull(CullMode::None);
    Device::SetShade(ShadeMode::Gouraud);
    m_device.SetAmbient(0xFF000000);
    Device::Draw(m_box, VertexLayout::Lit, Primitive::Lines, 0, kBoxVertices);
    // The walls.
    Device::SetFill(FillMode::Solid);
    m_device.SetAmbient(0xFFFFFFFF);
    Device::SetTexture(m_sideTexture.Name(), true);
    Device::Draw(m_sideWall, VertexLayout::Lit, Primitive::Triangles, 0, 6);
    Device::SetTexture(m_backTexture.Name(), true);
    Device::Draw(m_backWall, VertexLayout::Lit, Primitive::Triangles, 0, 6);
    Device::SetTexture(0, false);
    // The frequency and time axes.
    Device::SetLighting(true);
    m_xDraw.DrawLabels(m_world);
    m_zDraw.DrawLabels(m_world);
    Device::SetLighting(false);
    Device::SetCull(CullMode::None);

    // The mesh, slid back while it waits for the next row.
    C3DMatrix meshWorld = m_world;
    if (m_scene.m_bSmoothScroll)
        meshWorld = C3DMatrix::Translation(0, 0, m_scene.AdvanceScroll(AppTimer(TIMER_GETAPPTIME))) * m_world;
    m_device.SetTransform(TransformKind::World, GlMatrix(meshWorld, MatrixKind::Transform));
    m_device.SetAmbient(0xFFFFFFFF);
    Device::SetFill(FillMode::Solid);
    Device::SetShade(ShadeMode::Gouraud);
    constexpr std::uint32_t surfaceBits = waterfall_style::kTexture | waterfall_style::kSurface |
                                          waterfall_style::kJet | waterfall_style::kGrey;
    if (style & surfaceBits)
    {
        Device::SetLighting(false);
        const bool coloured = (style & (waterfall_style::kJet | waterfall_style::kGrey)) != 0;
        for (int k = 0; k + 1 < rows; ++k)
        {
            if (coloured)
                Device::Draw(m_colourSurface, VertexLayout::Coloured, Primitive::TriangleStrip,
                             2 * kPoints * k, 2 * kPoints);
            else
                Device::Draw(m_surface, VertexLayout::Lit, Primitive::TriangleStrip, 2 * kPoints * k,
                             2 * kPoints);
        }
        Device::SetLighting(true);
    }
    if (style & waterfall_style::kGrid)
    {
        Device::SetLighting(true);
        Device::SetShade(ShadeMode::Flat);
        Device::SetFill(FillMode::Wireframe);
        m_device.SetAmbient(0xFFAFAFAF);
        Device::Draw(m_grid, VertexLayout::Lit, Primitive::Lines, 0,
                     2 * CWaterfallScene::GridLineCount(style, rows));
    }
    Device::SetFill(FillMode::Solid);
    Device::SetLighting(true);
    Device::SetShade(ShadeMode::Gouraud);
    m_device.SetAmbient(0xFFFFFFFF);
    m_device.SetTransform(TransformKind::World, GlMatrix(m_world, MatrixKind::Transform));
    m_planesDraw.Draw(m_device);
    m_yDraw.DrawLabels(m_world);
    Device::SetLighting(false);
    if (m_scene.m_bHelpEnabled && m_camera.m_bHelpToggled && !m_bScreenshotTaken)
        DrawHelpText();
    ++m_nScenesDrawn;
    return 0;
}

// The help and statistics lines, drawn with the toolkit into a texture and laid over the picture.
void CAppForm::DrawHelpText()
{
    const int width = m_nBackBufferWidth;
    const int height = m_nBackBufferHeight;
    if (width <= 40 || height <= 80)
        return;
    const WaterfallKeys& k = m_camera.m_keys;
    const std::string keys = "Arrow keys: Up=" + std::to_string(int(k.up)) +
                             " Down=" + std::to_string(int(k.down)) + " Left=" + std::to_string(int(k.left)) +
                             " Right=" + std::to_string(int(k.right));
    const std::string all = m_strDeviceStats + "\n" + m_strFrameStats + "\n" + kHelpLine + "\n" + keys;
    if (all != m_strHelpShown || m_helpTexture.Name() == 0)
    {
        m_strHelpShown = all;
        wxBitmap bitmap(width, height, 24);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxBLACK_BRUSH);
            dc.Clear();
            dc.SetTextForeground(*wxWHITE);
            dc.SetFont(wxFont(wxFontInfo(wxSize(0, kHelpFontPixels)).Bold().FaceName("Arial")));
            dc.DrawText(wxString::FromUTF8(m_strDeviceStats), 2, 0);
            dc.DrawText(wxString::FromUTF8(m_strFrameStats), 2, 20);
            dc.DrawText(kHelpLine, 2, height - 40);
            dc.DrawText(keys, 2, height - 20);
        }
        const wxImage image = bitmap.ConvertToImage();
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
        const unsigned char* rgb = image.GetData();
        for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i)
        {
            rgba[4 * i] = rgba[4 * i + 1] = rgba[4 * i + 2] = (kTextColour >> 16) & 0xFF;
            rgba[4 * i + 3] = rgb[3 * i];
        }
        m_helpTexture.Create(width, height, rgba.data());
    }
    Device::DrawScreenImage(m_helpTexture.Name(), 0, 0, width, height, width, height);
}

int CAppForm::ReleaseDeviceResources()
{
    m_helpTexture.Release();
    for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
        r->ReleaseDeviceResources();
    return 0;
}

int CAppForm::DestroyDeviceResources()
{
    for (platform::gl::VertexBuffer* b :
         {&m_surface, &m_colourSurface, &m_grid, &m_box, &m_sideWall, &m_backWall})
        b->Release();
    m_sideTexture.Release();
    m_backTexture.Release();
    for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
        r->DestroyDeviceResources();
    return m_planesDraw.DestroyDeviceResources();
}

int CAppForm::ShutdownScene()
{
    WriteWindowSize();
    for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
        r->ShutdownScene();
    return 0;
}
