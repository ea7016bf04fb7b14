// The camera of the 3D waterfall: key states (set by the window's key events) and mouse drags turn
// and move the scene once per frame; the world matrix follows from the angles and the translation.
//
// Threads: user-interface thread only.
#pragma once

#include "display/Matrix3D.h"

// 1 while a key is down.
struct WaterfallKeys
{
    bool up = false, down = false, left = false, right = false;
    bool r = false, l = false, u = false, d = false, i = false, o = false;
    bool s = false, h = false;
};

class CWaterfallCamera
{
public:
    static constexpr float kTurnStep = 0.04f;
    static constexpr float kMoveStep = 0.2f;
    static constexpr float kRadiansPerPixel = 0.01f;

    // One frame: arrows turn, R/L U/D I/O move, S resets, H toggles the help once per press; the
    // key state becomes the previous one. Returns the world matrix.
    C3DMatrix Advance();
    // A mouse move; with the left button down it turns the scene once a previous position is known.
    void MouseMove(int x, int y, bool leftDown);
    // Rotation about x, then y, then z, then the translation.
    C3DMatrix World() const;

    WaterfallKeys m_keys;
    WaterfallKeys m_previous;
    float m_fRotX = -0.08f;
    float m_fRotY = 0.0f;
    float m_fRotZ = 0.0f;
    float m_fMoveX = 1.8f;
    float m_fMoveY = 1.4f;
    float m_fMoveZ = -4.2f;
    bool m_bHelpToggled = true;

private:
    bool m_bMouseKnown = false;
    int m_nMouseX = 0;
    int m_nMouseY = 0;
};
