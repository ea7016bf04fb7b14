// The 3D view's framework: pausing and error boxes without drawing, and one scene rendered for real
// with Mesa's software renderer (under the virtual X server of the test command), read back from
// its off-screen framebuffer.
#include "display/ui/3DViewBase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/utils.h>

#include "common/AppTimer.h"
#include "common/RegistryValues.h"
#include "display/3DAxis.h"
#include "display/MarkerPlanes.h"
#include "display/Matrix3D.h"
#include "display/ui/3DAxisRenderer.h"
#include "platform/image/Image.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/support/WxEnvironment.h"

namespace
{

// Mesa's software renderer and the pinned fonts, before the toolkit (and with it GL) starts.
const bool g_environmentSet = []
{
    return setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1) == 0 &&
           setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0;
}();

// Drives the application timer by hand.
class DrivenClock
{
public:
    DrivenClock()
    {
        SetAppTimerClock([this] { return m_now; });
        AppTimer(TIMER_RESET);
        AppTimer(TIMER_GETELAPSEDTIME);
    }
    ~DrivenClock() { SetAppTimerClock(nullptr); }
    void Advance(double seconds) { m_now += seconds; }

private:
    double m_now = 500.0;
};

// The boxes shown, answered with OK.
struct RecordedBoxes
{
    std::vector<platform::ui::MessageBoxRequest> boxes;
    platform::ui::ScopedMessageBoxResponder responder{[this](const platform::ui::MessageBoxRequest& r)
                                                      {
                                                          boxes.push_back(r);
                                                          return wxID_OK;
                                                      }};
};

class C3DViewBaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_environmentSet);
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display";
    }
};

TEST_F(C3DViewBaseTest, PausingTwiceAndResumingOnceStaysPaused)
{
    DrivenClock clock;
    C3DViewBase view;
    EXPECT_EQ(C3DViewBase::Instance(), &view);
    clock.Advance(1.0);
    EXPECT_DOUBLE_EQ(AppTimer(TIMER_GETAPPTIME), 1.0);
    EXPECT_EQ(view.Pause(1), 1);  // the first pause stops the timer
    clock.Advance(1.0);
    EXPECT_EQ(view.Pause(1), 2);
    clock.Advance(1.0);
    EXPECT_EQ(view.Pause(0), 1);
    EXPECT_FALSE(view.m_bReady);
    clock.Advance(1.0);
    EXPECT_DOUBLE_EQ(AppTimer(TIMER_GETAPPTIME), 1.0);
    EXPECT_EQ(view.Pause(0), 0);  // the last resume starts it
    clock.Advance(0.5);
    EXPECT_DOUBLE_EQ(AppTimer(TIMER_GETAPPTIME), 1.5);
    // A resume without a pause leaves the count at 0 and the timer running.
    EXPECT_EQ(view.Pause(0), 0);
    clock.Advance(0.5);
    EXPECT_DOUBLE_EQ(AppTimer(TIMER_GETAPPTIME), 2.0);
}

TEST_F(C3DViewBaseTest, ErrorsShowTheirTextAndAFatalOneAsksTheWindowToClose)
{
    auto* frame = new wxFrame(nullptr, wxID_ANY, "render window");
    int closeRequests = 0;
    frame->Bind(wxEVT_CLOSE_WINDOW,
                [&](wxCloseEvent& event)
                {
                    ++closeRequests;
                    event.Veto();
                });
    {
        // A scene whose media cannot be loaded fails in its first hook.
        class ErrorView : public C3DViewBase
        {
        public:
            int InitScene() override { return static_cast<int>(D3DAPPERR_MEDIANOTFOUND); }
        } view;
        view.m_strWindowTitle = "Halvek";
        RecordedBoxes recorded;
        frame->Show();
        wxYield();
        // Reported as fatal, and the render window is asked to close.
        EXPECT_EQ(view.Create(frame), static_cast<int>(D3DAPPERR_MEDIANOTFOUND));
        std::vector<platform::ui::MessageBoxRequest> fatal;
        for (const auto& box : recorded.boxes)
            if (box.style & wxICON_ERROR)
                fatal.push_back(box);
        ASSERT_EQ(fatal.size(), 1u);
        EXPECT_EQ(fatal[0].text, "Could not load required media.\n\nThis program will now exit.");
        EXPECT_EQ(fatal[0].caption, "Halvek");
        EXPECT_EQ(closeRequests, 1);

        recorded.boxes.clear();
        EXPECT_EQ(view.ShowError(D3DAPPERR_NOHARDWAREDEVICE, ErrorKind::SwitchingToRef),
                  D3DAPPERR_NOHARDWAREDEVICE);
        EXPECT_EQ(view.ShowError(0x80004005, ErrorKind::Warning), 0x80004005u);
        ASSERT_EQ(recorded.boxes.size(), 2u);
        EXPECT_TRUE(recorded.boxes[0].style & wxICON_WARNING);
        EXPECT_EQ(recorded.boxes[0].text, Text3DError(D3DAPPERR_NOHARDWAREDEVICE, ErrorKind::SwitchingToRef));
        EXPECT_EQ(recorded.boxes[1].text,
                  "Generic application error. Enable\ndebug output for detailed information.");
        EXPECT_EQ(closeRequests, 1);
    }
    frame->Destroy();
    wxYield();
}

// A scene with the waterfall's camera, lights and three axes over a white background.
class CTestScene : public C3DViewBase
{
public:
    CTestScene()
        : m_x(C3DAxis::Kind::X),
          m_y(C3DAxis::Kind::Y),
          m_z(C3DAxis::Kind::Z),
          m_xDraw(m_x),
          m_yDraw(m_y),
          m_zDraw(m_z),
          m_planesDraw(m_planes)
    {
        m_strWindowTitle = "Test scene";
        m_bUseDepthBuffer = true;
        m_x.m_dMinimum = 20.0;
        m_x.m_dMaximum = 20000.0;
        m_x.m_bLogarithmic = 1;
        m_y.m_dMinimum = -100.0;
        m_y.m_dMaximum = 0.0;
        m_z.m_dMinimum = 0.0;
        m_z.m_dMaximum = 10.0;
        m_planes.SetMarkers({1000.0f});
        m_world = C3DMatrix::RotationX(-0.08f) * C3DMatrix::Translation(1.8f, 1.4f, -4.2f);
    }
    ~CTestScene() override { ReleaseDevice(); }

    int InitScene() override
    {
        m_hooks.push_back("InitScene");
        for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
            if (const int hr = r->InitScene(); hr < 0)
                return hr;
        return 0;
    }
    int CreateDeviceResources() override
    {
        m_hooks.push_back("CreateDeviceResources");
        for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
            if (const int hr = r->CreateDeviceResources(&m_device); hr < 0)
                return hr;
        m_x.Rebuild();
        m_y.Rebuild();
        m_z.Rebuild();
        m_planes.Rebuild();
        return m_planesDraw.CreateDeviceResources();
    }
    int ResetDeviceResources() override
    {
        m_hooks.push_back("ResetDeviceResources");
        using platform::gl::Device;
        m_device.SetMaterial({0.7f, 0.7f, 0.7f, 1.0f}, {0.7f, 0.7f, 0.7f, 1.0f});
        m_device.SetDithering(true);
        m_device.SetAmbient(0xFFFFFFFF);
        platform::gl::RenderState state;
        state.cull = platform::gl::CullMode::None;
        Device::ApplyState(state);
        m_device.SetTransform(platform::gl::TransformKind::View, GlMatrix(View(), MatrixKind::Transform));
        m_device.SetTransform(platform::gl::TransformKind::Projection,
                              GlMatrix(Projection(), MatrixKind::Projection));
        m_device.SetDirectionalLight(0, {8, -80, -80}, {1, 1, 1, 1}, true);
        m_device.SetDirectionalLight(1, {-80, -80, -80}, {1, 0, 0, 1}, false);
        m_device.SetTransform(platform::gl::TransformKind::World, GlMatrix(m_world, MatrixKind::Transform));
        for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
            if (const int hr = r->ResetDeviceResources(); hr < 0)
                return hr;
        return 0;
    }
    int AdvanceFrame() override
    {
        m_hooks.push_back("AdvanceFrame");
        return 0;
    }
    int DrawScene() override
    {
        m_hooks.push_back("DrawScene");
        using platform::gl::Device;
        Device::Clear(0xFFFFFFFF, 1.0f);
        Device::SetLighting(true);
        m_xDraw.DrawLabels(m_world);
        m_zDraw.DrawLabels(m_world);
        m_planesDraw.Draw(m_device);
        m_device.SetAmbient(0xFFFFFFFF);
        m_yDraw.DrawLabels(m_world);
        Device::SetLighting(false);
        return 0;
    }
    int ReleaseDeviceResources() override
    {
        m_hooks.push_back("ReleaseDeviceResources");
        for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
            r->ReleaseDeviceResources();
        return 0;
    }
    int DestroyDeviceResources() override
    {
        m_hooks.push_back("DestroyDeviceResources");
        for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
            r->DestroyDeviceResources();
        return m_planesDraw.DestroyDeviceResources();
    }
    int ShutdownScene() override
    {
        m_hooks.push_back("ShutdownScene");
        for (C3DAxisRenderer* r : {&m_xDraw, &m_yDraw, &m_zDraw})
            r->ShutdownScene();
        return 0;
    }

    C3DMatrix View() const { return C3DMatrix::LookAtLH({23, 9.6f, -13}, {0, -5, 20}, {0, 1, 0}); }
    C3DMatrix Projection() const
    {
        return C3DMatrix::PerspectiveFovLH(
            3.14159265f / 4, float(m_nBackBufferWidth) / float(m_nBackBufferHeight), 0.1f, 300.0f);
    }
    // The pixel (from the top left) where a world point lands.
    wxPoint Project(C3DVector p) const
    {
        const auto clip = TransformPoint(p, m_world * View() * Projection());
        const float x = clip[0] / clip[3], y = clip[1] / clip[3];
        return {static_cast<int>(std::lround((x + 1) / 2 * m_nBackBufferWidth - 0.5)),
                static_cast<int>(std::lround((1 - y) / 2 * m_nBackBufferHeight - 0.5))};
    }

    std::vector<std::string> m_hooks;
    C3DAxis m_x, m_y, m_z;
    CMarkerPlanes m_planes;
    C3DAxisRenderer m_xDraw, m_yDraw, m_zDraw;
    CMarkerPlanesRenderer m_planesDraw;
    C3DMatrix m_world;
};

bool IsDark(const wxImage& image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight())
        return false;
    return image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 3 * 110;
}

int DarkPixelsAround(const wxImage& image, wxPoint centre, int radius)
{
    int dark = 0;
    for (int y = centre.y - radius; y <= centre.y + radius; ++y)
        for (int x = centre.x - radius; x <= centre.x + radius; ++x)
            dark += IsDark(image, x, y) ? 1 : 0;
    return dark;
}

std::filesystem::path OutputDir()
{
    std::filesystem::path dir(TESSARIN_TEST_OUTPUT_DIR);
    std::filesystem::create_directories(dir);
    return dir;
}

TEST_F(C3DViewBaseTest, SceneRendersAxesAndLabelsOffScreenWithMesa)
{
    DrivenClock clock;
    RecordedBoxes recorded;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "3D scene");
    frame->SetClientSize(640, 400);
    frame->Show();
    wxYield();
    {
        CTestScene scene;
        ASSERT_EQ(scene.Create(frame), 0);
        // Mesa under the virtual server is the software renderer: "REF", with the warning box.
        EXPECT_TRUE(scene.m_rendererInfo.software) << scene.m_rendererInfo.renderer;
        EXPECT_EQ(scene.m_strDeviceStats, "REF (sw vp)");
        ASSERT_EQ(recorded.boxes.size(), 1u);
        EXPECT_EQ(recorded.boxes[0].text, Text3DError(D3DAPPERR_NOHARDWAREDEVICE, ErrorKind::SwitchingToRef));
        EXPECT_EQ(scene.m_hooks,
                  (std::vector<std::string>{"InitScene", "CreateDeviceResources", "ResetDeviceResources"}));
        EXPECT_EQ(scene.m_nBackBufferWidth, 640);
        EXPECT_EQ(scene.m_nBackBufferHeight, 400);

        // No time has passed: no frame. Then one.
        scene.m_hooks.clear();
        ASSERT_EQ(scene.RenderFrame(), 0);
        clock.Advance(0.1);
        ASSERT_EQ(scene.RenderFrame(), 0);
        EXPECT_EQ(scene.m_hooks, (std::vector<std::string>{"AdvanceFrame", "DrawScene"}));
        EXPECT_EQ(scene.m_strFrameStats.rfind("0.00 fps (640x400x32) (D16)", 0), 0u) << scene.m_strFrameStats;

        const wxImage image = scene.ReadImage();
        ASSERT_TRUE(image.IsOk());
        ASSERT_EQ(image.GetWidth(), 640);
        ASSERT_EQ(image.GetHeight(), 400);
        const std::filesystem::path png = OutputDir() / "3d-scene.png";
        EXPECT_TRUE(platform::SaveImage(image, png, platform::ImageFormat::Png));

        // The white clear colour in the top corners.
        for (wxPoint p : {wxPoint(2, 2), wxPoint(637, 2)})
        {
            EXPECT_EQ(image.GetRed(p.x, p.y), 255);
            EXPECT_EQ(image.GetGreen(p.x, p.y), 255);
            EXPECT_EQ(image.GetBlue(p.x, p.y), 255);
        }
        // A tick line of the frequency axis at 1 kHz (its middle is on the front edge).
        const double x1k = 16.0 * std::log10(1000.0 / 20.0) / 3.0;
        const wxPoint tick = scene.Project({static_cast<float>(x1k), 0, 0});
        EXPECT_GT(DarkPixelsAround(image, tick, 2), 0) << "tick at " << tick.x << "," << tick.y;
        // Its label "1000" (or as the axis writes it) below it: dark glyph pixels around the middle
        // of the text, which hangs below the label position.
        ASSERT_EQ(scene.m_x.m_adMajorTicks[1], 1000.0);
        int w = 0, h = 0;
        scene.m_xDraw.Font()->GetTextExtent(scene.m_x.m_arrMajorLabels[1].c_str(), &w, &h);
        const C3DVector at = scene.m_x.LabelPosition(1, {0, 0, 0});
        const wxPoint label = scene.Project({at.x, at.y - 0.2f * h / 10.0f, at.z});
        EXPECT_GT(DarkPixelsAround(image, label, 5), 6) << "label at " << label.x << "," << label.y;
        // And nothing dark between the tick and its label.
        const wxPoint gap = scene.Project({at.x, -0.4f, 0});
        EXPECT_EQ(DarkPixelsAround(image, gap, 0), 0);

        // A paused view draws nothing, however much time passes.
        scene.m_hooks.clear();
        scene.Pause(1);
        clock.Advance(1.0);
        EXPECT_EQ(scene.RenderFrame(), 0);
        EXPECT_TRUE(scene.m_hooks.empty());
        scene.Pause(0);

        // The picture as a JPEG of the window's size beside the given name, and no BMP.
        recorded.boxes.clear();
        const std::filesystem::path bmp = OutputDir() / "3D_scene.bmp";
        std::filesystem::remove(OutputDir() / "3D_scene.jpg");
        ASSERT_EQ(scene.SaveWindowImage(frame, bmp.string()), 0);
        const wxImage jpeg = platform::LoadImage(OutputDir() / "3D_scene.jpg");
        ASSERT_TRUE(jpeg.IsOk());
        EXPECT_EQ(jpeg.GetWidth(), 640);
        EXPECT_EQ(jpeg.GetHeight(), 400);
        EXPECT_FALSE(std::filesystem::exists(bmp));
        for (const auto& box : recorded.boxes)
            EXPECT_EQ(box.text, "Unable to set Clipboard data");

        scene.m_hooks.clear();
    }
    frame->Destroy();
    wxYield();
}

TEST_F(C3DViewBaseTest, FontAtlasHoldsThePrintableCharactersAndAShrunkenOneKeepsTheirSize)
{
    DrivenClock clock;
    RecordedBoxes recorded;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "3D font");
    frame->SetClientSize(200, 100);
    frame->Show();
    wxYield();
    {
        CTestScene scene;
        ASSERT_EQ(scene.Create(frame), 0);
        // The scene's context is current: a font of the axes' face and size, and one whose device
        // allows only half the texture.
        C3DFont font("Arial", 18);
        ASSERT_EQ(font.InitDeviceObjects(nullptr), 0);
        ASSERT_EQ(font.RestoreDeviceObjects(), 0);
        C3DFont shrunk("Arial", 18);
        shrunk.m_nMaxTextureWidthOverride = 128;
        ASSERT_EQ(shrunk.InitDeviceObjects(nullptr), 0);

        const C3DFontLayout& layout = font.Layout();
        EXPECT_EQ(layout.m_texture.width, 256);
        EXPECT_FLOAT_EQ(shrunk.Layout().m_texture.textScale, 0.5f);
        // Every character fits the atlas; visible ones have ink (white pixels on black).
        const auto& pixels = font.AtlasPixels();
        ASSERT_EQ(pixels.size(), 3u * 256 * 256);
        for (int c = '!'; c <= '~'; ++c)
        {
            const auto& r = layout.m_fTexCoords[c - 32];
            ASSERT_LE(r[2], 1.0f) << char(c);
            ASSERT_LE(r[3], 1.0f) << char(c);
            int ink = 0;
            for (int y = int(r[1] * 256); y < int(r[3] * 256); ++y)
                for (int x = int(r[0] * 256); x < int(r[2] * 256); ++x)
                    ink += pixels[3 * (y * 256 + x) + 2] >= 0x80 ? 1 : 0;
            EXPECT_GT(ink, 0) << char(c);
        }
        wxImage atlas(256, 256, false);
        std::copy(pixels.begin(), pixels.end(), atlas.GetData());
        EXPECT_TRUE(
            platform::SaveImage(atlas, OutputDir() / "3d-font-atlas.png", platform::ImageFormat::Png));

        // The rendered size of a label stays within a pixel of the full-size atlas's.
        int w = 0, h = 0, ws = 0, hs = 0;
        ASSERT_EQ(font.GetTextExtent("-100 20k", &w, &h), 0);
        ASSERT_EQ(shrunk.GetTextExtent("-100 20k", &ws, &hs), 0);
        EXPECT_GT(w, 40);
        EXPECT_NEAR(ws / 0.5, w, 8.0);
        EXPECT_NEAR(hs / 0.5, h, 2.0);
        // Without a device nothing is drawn.
        EXPECT_EQ(shrunk.Render3DText("1", D3DFONT_CENTERED), E_FAIL);
        font.Cleanup();
        shrunk.Cleanup();
    }
    frame->Destroy();
    wxYield();
}

TEST_F(C3DViewBaseTest, ResizeAndShutdownRunTheHooksInOrder)
{
    DrivenClock clock;
    RecordedBoxes recorded;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "3D scene");
    frame->SetClientSize(320, 200);
    frame->Show();
    wxYield();
    std::vector<std::string> hooks;
    {
        CTestScene scene;
        ASSERT_EQ(scene.Create(frame), 0);
        scene.m_hooks.clear();
        frame->SetClientSize(400, 240);
        frame->Layout();
        wxYield();
        clock.Advance(0.1);
        ASSERT_EQ(scene.RenderFrame(), 0);
        EXPECT_EQ(scene.m_hooks, (std::vector<std::string>{"ReleaseDeviceResources", "ResetDeviceResources",
                                                           "AdvanceFrame", "DrawScene"}));
        EXPECT_EQ(scene.m_nBackBufferWidth, 400);
        EXPECT_EQ(scene.m_nBackBufferHeight, 240);
        EXPECT_EQ(scene.ReadImage().GetWidth(), 400);

        // Full screen: a borderless frame of its own; the device is reset around the switch both ways.
        scene.m_hooks.clear();
        ASSERT_EQ(scene.SwitchFullscreen(), 0);
        EXPECT_FALSE(scene.m_bWindowed);
        EXPECT_EQ(scene.m_hooks,
                  (std::vector<std::string>{"ReleaseDeviceResources", "ResetDeviceResources"}));
        ASSERT_EQ(scene.SwitchFullscreen(), 0);
        EXPECT_TRUE(scene.m_bWindowed);
        EXPECT_EQ(scene.m_nBackBufferWidth, 400);
        EXPECT_EQ(scene.m_nBackBufferHeight, 240);

        scene.m_hooks.clear();
        scene.ReleaseDevice();
        hooks = scene.m_hooks;
        // Released: frames draw nothing.
        clock.Advance(0.1);
        EXPECT_EQ(scene.RenderFrame(), 0);
    }
    EXPECT_EQ(hooks, (std::vector<std::string>{"ReleaseDeviceResources", "DestroyDeviceResources",
                                               "ShutdownScene"}));
    frame->Destroy();
    wxYield();
}

}  // namespace
