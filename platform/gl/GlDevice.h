// The fixed-function drawing of the 3D view over one OpenGL context: transforms, lights, material,
// ambient colour, the render states that can be saved and restored as a block, clearing and
// drawing vertex arrays of the two layouts the view uses.
//
// Threads: user-interface thread only, with the context current.
#pragma once

#include <array>
#include <cstdint>

#include "platform/gl/GlResources.h"

namespace platform::gl
{

enum class TransformKind
{
    World,
    View,
    Projection,
};

enum class FillMode
{
    Solid,
    Wireframe,
};

// Which faces are dropped, by their winding as the viewer sees them.
enum class CullMode
{
    None,
    Clockwise,
    CounterClockwise,
};

enum class ShadeMode
{
    Flat,
    Gouraud,
};

enum class BlendFactor
{
    Zero,
    One,
    SrcAlpha,
    InvSrcAlpha,
};

// A block of render states, captured from the context or built by hand, and applied as a whole.
struct RenderState
{
    bool lighting = false;
    bool depthTest = true;
    bool blend = false;
    BlendFactor blendSource = BlendFactor::One;
    BlendFactor blendDestination = BlendFactor::Zero;
    bool alphaTest = false;
    // Fragments with alpha at or above this (0..255) pass the alpha test.
    int alphaReference = 0;
    FillMode fill = FillMode::Solid;
    CullMode cull = CullMode::CounterClockwise;
    ShadeMode shade = ShadeMode::Gouraud;
    bool fog = false;
    bool stencil = false;
    // The texture on stage 0 (0: none), its filtering and whether it modulates the colour.
    unsigned texture = 0;
    bool linearFilter = false;
};

// The layouts of the vertex arrays: position, normal, ARGB colour, texture coordinate (36 bytes);
// position, normal, texture coordinate (32 bytes); position and ARGB colour (16 bytes).
enum class VertexLayout
{
    Lit,
    Text,
    Coloured,
};

enum class Primitive
{
    Lines,
    Triangles,
    TriangleStrip,
};

class Device
{
public:
    // Matrices as the library stores them (column vectors, columns one after the other).
    void SetTransform(TransformKind kind, const std::array<float, 16>& matrix);
    // A directional light shining along `direction` in world space.
    void SetDirectionalLight(int index, const std::array<float, 3>& direction,
                             const std::array<float, 4>& colour, bool enabled);
    void SetMaterial(const std::array<float, 4>& diffuse, const std::array<float, 4>& ambient);
    // The ambient light as ARGB.
    void SetAmbient(std::uint32_t argb);
    void SetDithering(bool on);

    static RenderState CaptureState();
    static void ApplyState(const RenderState& state);
    static void SetLighting(bool on);
    static void SetFill(FillMode fill);
    static void SetCull(CullMode cull);
    static void SetShade(ShadeMode shade);
    static void SetBlend(bool on, BlendFactor source, BlendFactor destination);
    static void SetTexture(unsigned texture, bool linearFilter);

    // Clears colour (ARGB) and depth in the bound target.
    static void Clear(std::uint32_t argb, float depth);
    // Draws `count` vertices from `first` of the buffer in the layout.
    static void Draw(const VertexBuffer& buffer, VertexLayout layout, Primitive primitive, int first,
                     int count);
    // Draws the texture unlit and blended by its alpha into the pixel rectangle (from the top left) of
    // a target of the size, without depth; the render states are restored afterwards.
    static void DrawScreenImage(unsigned texture, int x, int y, int width, int height, int targetWidth,
                                int targetHeight);

private:
    void LoadModelView();

    std::array<float, 16> m_world{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::array<float, 16> m_view{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    struct Light
    {
        std::array<float, 3> direction{0, 0, 1};
        std::array<float, 4> colour{1, 1, 1, 1};
        bool enabled = false;
    };
    std::array<Light, 2> m_lights{};
};

}  // namespace platform::gl
