// Draws a 3D axis (tick lines and 3D labels) and the marker planes through the view's device, and
// keeps the device objects they need across the view's hooks.
//
// Threads: user-interface thread only, with the view's context current.
#pragma once

#include <memory>

#include "display/3DAxis.h"
#include "display/MarkerPlanes.h"
#include "display/Matrix3D.h"
#include "display/ui/3DFont.h"
#include "platform/gl/GlDevice.h"
#include "platform/gl/GlResources.h"

class C3DAxisRenderer
{
public:
    explicit C3DAxisRenderer(C3DAxis& axis);
    ~C3DAxisRenderer();

    // The hooks of the view, in its order: the font object (0, or E_FAIL when it cannot be made);
    // the font's device objects and the line buffer; the font's state; and back.
    int InitScene();
    int CreateDeviceResources(platform::gl::Device* device);
    int ResetDeviceResources();
    int ReleaseDeviceResources();
    int DestroyDeviceResources();
    int ShutdownScene();

    // The tick lines as a line list, then the label of every major tick from each of the axis's
    // label origins, a fifth of the font's size, centred and filtered; the world matrix and
    // counter-clockwise culling come back afterwards.
    void DrawLabels(const C3DMatrix& world);

    C3DFont* Font() const { return m_font.get(); }

private:
    C3DAxis& m_axis;
    platform::gl::Device* m_device = nullptr;
    std::unique_ptr<C3DFont> m_font;
    platform::gl::VertexBuffer m_lines;
};

class CMarkerPlanesRenderer
{
public:
    explicit CMarkerPlanesRenderer(CMarkerPlanes& planes) : m_planes(planes) {}

    int CreateDeviceResources();
    int DestroyDeviceResources();
    // The planes, translucent (source one, destination source alpha), flat, both sides; nothing
    // without planes.
    void Draw(platform::gl::Device& device);

private:
    CMarkerPlanes& m_planes;
    platform::gl::VertexBuffer m_buffer;
};
