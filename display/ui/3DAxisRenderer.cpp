#include "display/ui/3DAxisRenderer.h"

#include "common/RegistryValues.h"

namespace
{
constexpr std::uint32_t kAxisAmbient = 0xFF000000;
constexpr std::uint32_t kPlaneAmbient = 0x7F0F0F0F;
}  // namespace

C3DAxisRenderer::C3DAxisRenderer(C3DAxis& axis) : m_axis(axis) {}

C3DAxisRenderer::~C3DAxisRenderer() = default;

int C3DAxisRenderer::InitScene()
{
    m_font = std::make_unique<C3DFont>(m_axis.m_strFontFace, m_axis.m_nFontSize);
    return m_font ? 0 : E_FAIL;
}

int C3DAxisRenderer::CreateDeviceResources(platform::gl::Device* device)
{
    m_device = device;
    if (!m_font)
        return E_FAIL;
    if (const int hr = m_font->InitDeviceObjects(device); hr < 0)
        return hr;
    if (!m_lines.Create(C3DAxis::kMaxLineVertices * sizeof(CLitVertex), false))
        return E_FAIL;
    return 0;
}

int C3DAxisRenderer::ResetDeviceResources()
{
    return m_font ? m_font->RestoreDeviceObjects() : E_FAIL;
}

int C3DAxisRenderer::ReleaseDeviceResources()
{
    if (m_font)
        m_font->InvalidateDeviceObjects();
    return 0;
}

int C3DAxisRenderer::DestroyDeviceResources()
{
    if (m_font)
        m_font->DeleteDeviceObjects();
    m_lines.Release();
    m_device = nullptr;
    return 0;
}

int C3DAxisRenderer::ShutdownScene()
{
    m_font.reset();
    m_lines.Release();
    return 0;
}

void C3DAxisRenderer::DrawLabels(const C3DMatrix& world)
{
    if (m_device == nullptr || !m_font)
        return;
    using platform::gl::Device;
    Device::SetFill(platform::gl::FillMode::Wireframe);
    Device::SetCull(platform::gl::CullMode::CounterClockwise);
    Device::SetShade(platform::gl::ShadeMode::Gouraud);
    m_device->SetAmbient(kAxisAmbient);
    const auto& lines = m_axis.m_lineVertices;
    m_lines.Write(lines.data(), lines.size() * sizeof(CLitVertex));
    Device::Draw(m_lines, platform::gl::VertexLayout::Lit, platform::gl::Primitive::Lines, 0,
                 static_cast<int>(lines.size()));
    for (const C3DVector& origin : m_axis.LabelOrigins())
        for (int i = 0; i < m_axis.m_nMajorTicks; ++i)
        {
            m_device->SetTransform(platform::gl::TransformKind::World,
                                   GlMatrix(m_axis.LabelMatrix(i, origin, world), MatrixKind::Transform));
            m_font->Render3DText(m_axis.m_arrMajorLabels[i], D3DFONT_CENTERED | D3DFONT_FILTERED);
        }
    m_device->SetTransform(platform::gl::TransformKind::World, GlMatrix(world, MatrixKind::Transform));
    Device::SetCull(platform::gl::CullMode::CounterClockwise);
}

int CMarkerPlanesRenderer::CreateDeviceResources()
{
    return m_buffer.Create(CMarkerPlanes::kMaxVertices * sizeof(CLitVertex), false) ? 0 : E_FAIL;
}

int CMarkerPlanesRenderer::DestroyDeviceResources()
{
    m_buffer.Release();
    return 0;
}

void CMarkerPlanesRenderer::Draw(platform::gl::Device& device)
{
    const auto& vertices = m_planes.m_vertices;
    if (vertices.empty())
        return;
    using platform::gl::Device;
    m_buffer.Write(vertices.data(), vertices.size() * sizeof(CLitVertex));
    Device::SetTexture(0, false);
    Device::SetBlend(true, platform::gl::BlendFactor::One, platform::gl::BlendFactor::SrcAlpha);
    Device::SetFill(platform::gl::FillMode::Solid);
    Device::SetCull(platform::gl::CullMode::None);
    Device::SetShade(platform::gl::ShadeMode::Flat);
    device.SetAmbient(kPlaneAmbient);
    Device::Draw(m_buffer, platform::gl::VertexLayout::Lit, platform::gl::Primitive::Triangles, 0,
                 static_cast<int>(vertices.size()));
    Device::SetBlend(false, platform::gl::BlendFactor::One, platform::gl::BlendFactor::Zero);
    Device::SetCull(platform::gl::CullMode::CounterClockwise);
}
