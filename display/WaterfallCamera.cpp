#include "display/WaterfallCamera.h"

C3DMatrix CWaterfallCamera::Advance()
{
    const WaterfallKeys& k = m_keys;
    if (k.left && !k.right)
        m_fRotY += kTurnStep;
    if (k.right && !k.left)
        m_fRotY -= kTurnStep;
    if (k.up && !k.down)
        m_fRotX += kTurnStep;
    if (k.down && !k.up)
        m_fRotX -= kTurnStep;
    m_fMoveX += (static_cast<float>(k.r) - static_cast<float>(k.l)) * kMoveStep;
    m_fMoveY += (static_cast<float>(k.u) - static_cast<float>(k.d)) * kMoveStep;
    m_fMoveZ -= (static_cast<float>(k.i) - static_cast<float>(k.o)) * kMoveStep;
    if (k.h && !m_previous.h)
        m_bHelpToggled = !m_bHelpToggled;
    if (k.s)
    {
        m_fRotX = m_fRotY = m_fRotZ = 0.0f;
        m_fMoveX = m_fMoveY = m_fMoveZ = 0.0f;
    }
    m_previous = m_keys;
    return World();
}

void CWaterfallCamera::MouseMove(int x, int y, bool leftDown)
{
    if (leftDown)
    {
        if (m_bMouseKnown)
        {
            m_fRotY += static_cast<float>(m_nMouseX - x) * kRadiansPerPixel;
            m_fRotX += static_cast<float>(y - m_nMouseY) * kRadiansPerPixel;
        }
        m_bMouseKnown = true;
    }
    m_nMouseX = x;
    m_nMouseY = y;
}

C3DMatrix CWaterfallCamera::World() const
{
    return C3DMatrix::RotationX(m_fRotX) * C3DMatrix::RotationY(m_fRotY) * C3DMatrix::RotationZ(m_fRotZ) *
           C3DMatrix::Translation(m_fMoveX, m_fMoveY, m_fMoveZ);
}
