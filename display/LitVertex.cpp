#include "display/LitVertex.h"

#include <cmath>

void BuildQuad(std::span<CLitVertex, 6> out, C3DVector corner, C3DVector firstDirection, float firstLength,
               C3DVector secondDirection, float secondLength)
{
    const C3DVector e1 = firstDirection * std::fabs(firstLength);
    const C3DVector e2 = secondDirection * std::fabs(secondLength);
    const C3DVector n = Normalize(Cross(e1, e2));
    // Texture coordinate at the corner and at the far end of each edge.
    const float u0 = firstLength < 0.0f ? 1.0f : 0.0f;
    const float v0 = secondLength < 0.0f ? 1.0f : 0.0f;
    auto vertex = [&](float a, float b)
    {
        const C3DVector p = corner + e1 * a + e2 * b;
        return CLitVertex{p.x,
                          p.y,
                          p.z,
                          n.x,
                          n.y,
                          n.z,
                          0xFFFFFFFFu,
                          a != 0.0f ? 1.0f - u0 : u0,
                          b != 0.0f ? 1.0f - v0 : v0};
    };
    out[0] = vertex(0, 0);
    out[1] = vertex(1, 0);
    out[2] = vertex(0, 1);
    out[3] = vertex(1, 0);
    out[4] = vertex(1, 1);
    out[5] = vertex(0, 1);
}
