// Vertex layouts of the 3D view as plain arrays the graphics library takes as they are.
#pragma once

#include <cstdint>
#include <span>

#include "display/Matrix3D.h"

// The lit vertex: position, normal, diffuse colour (ARGB) and one texture coordinate; 36 bytes.
struct CLitVertex
{
    float x, y, z;
    float nx, ny, nz;
    std::uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(CLitVertex) == 36);

// The vertex of the 3D text: position, normal and one texture coordinate; 32 bytes.
struct CTextVertex
{
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(CTextVertex) == 32);

// A rectangle as two triangles (6 vertices written to `out`), spanned from its corner by two edges
// of the given unit directions and lengths. A negative length spans the same rectangle as its
// magnitude and flips the texture coordinate along that edge (u runs along the first edge, v along
// the second). The normal is first edge × second edge; the colour white.
void BuildQuad(std::span<CLitVertex, 6> out, C3DVector corner, C3DVector firstDirection, float firstLength,
               C3DVector secondDirection, float secondLength);

// The coloured vertex: position and diffuse colour (ARGB), unlit; 16 bytes.
struct CColourVertex
{
    float x, y, z;
    std::uint32_t diffuse;
};
static_assert(sizeof(CColourVertex) == 16);
