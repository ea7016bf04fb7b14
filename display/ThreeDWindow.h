// The program-wide 3D waterfall window as the plot, the measurement window, the engine's
// notifications and the settings commands see it, without the window toolkit: rows in, style and
// ranges set, paused around modal dialogs and input restarts. The toolkit's window (CAppForm)
// implements it. Null while no 3D window is open.
//
// Threads: user-interface thread, except AddRow, which the plot's time-signal worker also calls
// (the window serialises it with its drawing).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class CWaterfallScene;

// Where the camera stands: the turn about x and y and the translation.
struct WaterfallCameraPreset
{
    float rotX = 0.0f;
    float rotY = 0.0f;
    float moveX = 0.0f;
    float moveY = 0.0f;
    float moveZ = 0.0f;
};

class C3DWindowBase
{
public:
    virtual ~C3DWindowBase() = default;
    // The camera, kept across a restart of the waterfall.
    virtual WaterfallCameraPreset GetCamera() const = 0;
    virtual void SetCamera(const WaterfallCameraPreset& camera) = 0;
    // 1 pauses, 0 resumes; returns the pause count.
    virtual int Pause(bool pause) = 0;
    // The scene the window draws (its history, axes, marker planes and flags).
    virtual CWaterfallScene& Scene() = 0;
    // One row of values 0..10: index -1 appends, 0..rows-1 overwrites that row.
    virtual void AddRow(std::span<const float> row, int index) = 0;
};

extern C3DWindowBase* g_p3DWindow;

// Pauses the 3D window (when there is one) for the lifetime of the object.
class CScoped3DPause
{
public:
    CScoped3DPause()
    {
        if (g_p3DWindow)
            g_p3DWindow->Pause(true);
    }
    ~CScoped3DPause()
    {
        if (g_p3DWindow)
            g_p3DWindow->Pause(false);
    }
    CScoped3DPause(const CScoped3DPause&) = delete;
    CScoped3DPause& operator=(const CScoped3DPause&) = delete;
};
