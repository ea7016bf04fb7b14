// The program-wide 3D waterfall window as the settings commands see it: they pause it while their
// dialog is up. Null while no 3D window is open.
//
// Threads: user-interface thread only.
#pragma once

class C3DWindowBase
{
public:
    virtual ~C3DWindowBase() = default;
    virtual void Pause(bool pause) = 0;
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
