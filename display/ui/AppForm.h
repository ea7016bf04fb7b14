// The one 3D waterfall window: a modeless top-level window over the 3D framework that shows the
// newest spectra as a surface (newest row in front) in a wire box with textured side and back walls,
// axes, marker planes and a help line. Keys and the mouse turn and move it; a right click or the
// close box asks its owner to close it, a double click asks for a screenshot.
//
// Threads: user-interface thread, except AddRow, which the plot's time-signal worker also calls;
// one lock (the scene's) keeps row writes and frames apart.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <wx/frame.h>
#include <wx/timer.h>

#include "display/ThreeDWindow.h"
#include "display/WaterfallCamera.h"
#include "display/WaterfallScene.h"
#include "display/ui/3DAxisRenderer.h"
#include "display/ui/3DViewBase.h"

class wxPanel;

class CAppForm : public wxFrame, public C3DViewBase, public C3DWindowBase
{
public:
    static constexpr int kTimerMs = 16;
    static constexpr const char* kLogoFile = "HLV_logo.jpg";
    static constexpr const char* kSizeKey = "Software\\DirectX AppWizard Apps\\appwizard";
    static constexpr std::uint32_t kBackground = 0xFFFFFFFF;
    static constexpr std::uint32_t kTextColour = 0xFF787878;
    static constexpr const char* kHelpLine =
        "Use arrow keys+( L R U D I O S H) +mouse to move. Space toggles fullscreen.";

    // What the window asks of its owner (both run later on the user-interface thread).
    struct Owner
    {
        std::function<void()> closeRequest;
        std::function<void()> screenshotRequest;
    };

    // Installs itself as the program-wide 3D window; reads the stored window size.
    CAppForm(wxWindow* parent, Owner owner);
    ~CAppForm() override;

    // Shows the window and makes its device (0, or the framework's failure code) and starts the timer.
    int CreateWindow();
    // Stops the timer, lets go of the device and destroys the window; clears the program-wide pointer.
    void Close3D();

    // C3DWindowBase
    int Pause(bool pause) override;
    CWaterfallScene& Scene() override { return m_scene; }
    void AddRow(std::span<const float> row, int index) override;
    WaterfallCameraPreset GetCamera() const override;
    void SetCamera(const WaterfallCameraPreset& camera) override;

    void ClearHistory();
    // Hides the help for good, draws a frame and saves the picture as a JPEG beside `path`.
    int SaveScreenshot(const std::string& path);
    // One frame now, as the timer would run it (the framework's pacing applies).
    int RunFrame() { return RenderFrame(); }
    // The drawing surface (the one that takes keys and the mouse).
    wxWindow* Canvas() const { return ActiveCanvas(); }

    // The framework's hooks.
    int PrepareWindowChange() override;
    int InitScene() override;
    int CreateDeviceResources() override;
    int ResetDeviceResources() override;
    int AdvanceFrame() override;
    int DrawScene() override;
    int ReleaseDeviceResources() override;
    int DestroyDeviceResources() override;
    int ShutdownScene() override;

    CWaterfallScene m_scene;
    CWaterfallCamera m_camera;
    bool m_bScreenshotTaken = false;
    bool m_bSpaceDown = false;
    // Frames drawn with a scene (for tests and the benchmark).
    int m_nScenesDrawn = 0;

private:
    void ReadWindowSize();
    void WriteWindowSize();
    void OnKey(wxKeyEvent& event, bool down);
    void OnMouse(wxMouseEvent& event);
    void RequestClose();
    void Upload();
    void DrawHelpText();
    void BindCanvas(wxWindow* canvas);

    Owner m_owner;
    wxPanel* m_pRenderPanel = nullptr;
    wxTimer m_timer;
    C3DMatrix m_world;
    C3DAxisRenderer m_xDraw{m_scene.m_xAxis};
    C3DAxisRenderer m_yDraw{m_scene.m_yAxis};
    C3DAxisRenderer m_zDraw{m_scene.m_zAxis};
    CMarkerPlanesRenderer m_planesDraw{m_scene.m_markers};
    platform::gl::VertexBuffer m_surface;
    platform::gl::VertexBuffer m_colourSurface;
    platform::gl::VertexBuffer m_grid;
    platform::gl::VertexBuffer m_box;
    platform::gl::VertexBuffer m_sideWall;
    platform::gl::VertexBuffer m_backWall;
    platform::gl::TextureRgba m_sideTexture;
    platform::gl::TextureRgba m_backTexture;
    platform::gl::TextureRgba m_helpTexture;
    std::string m_strHelpShown;
    std::uint64_t m_nUploadedVersion = ~0ull;
    bool m_bClosing = false;
};
