#include "display/Matrix3D.h"

#include <cmath>

C3DVector operator+(C3DVector a, C3DVector b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

C3DVector operator-(C3DVector a, C3DVector b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

C3DVector operator*(C3DVector a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}

float Dot(C3DVector a, C3DVector b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

C3DVector Cross(C3DVector a, C3DVector b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

C3DVector Normalize(C3DVector a)
{
    const float length = std::sqrt(Dot(a, a));
    return length > 0.0f ? a * (1.0f / length) : a;
}

C3DMatrix C3DMatrix::Identity()
{
    C3DMatrix r;
    for (int i = 0; i < 4; ++i)
        r.m[i][i] = 1.0f;
    return r;
}

C3DMatrix C3DMatrix::Translation(float x, float y, float z)
{
    C3DMatrix r = Identity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

C3DMatrix C3DMatrix::Scaling(float x, float y, float z)
{
    C3DMatrix r;
    r.m[0][0] = x;
    r.m[1][1] = y;
    r.m[2][2] = z;
    r.m[3][3] = 1.0f;
    return r;
}

C3DMatrix C3DMatrix::RotationX(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    C3DMatrix r = Identity();
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

C3DMatrix C3DMatrix::RotationY(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    C3DMatrix r = Identity();
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

C3DMatrix C3DMatrix::RotationZ(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    C3DMatrix r = Identity();
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

C3DMatrix C3DMatrix::LookAtLH(C3DVector eye, C3DVector at, C3DVector up)
{
    const C3DVector zAxis = Normalize(at - eye);
    const C3DVector xAxis = Normalize(Cross(up, zAxis));
    const C3DVector yAxis = Cross(zAxis, xAxis);
    C3DMatrix r = Identity();
    const C3DVector axes[3] = {xAxis, yAxis, zAxis};
    for (int c = 0; c < 3; ++c)
    {
        r.m[0][c] = axes[c].x;
        r.m[1][c] = axes[c].y;
        r.m[2][c] = axes[c].z;
        r.m[3][c] = -Dot(axes[c], eye);
    }
    return r;
}

C3DMatrix C3DMatrix::PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    C3DMatrix r;
    r.m[0][0] = yScale / aspect;
    r.m[1][1] = yScale;
    r.m[2][2] = zFar / (zFar - zNear);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zNear * zFar / (zFar - zNear);
    return r;
}

C3DMatrix operator*(const C3DMatrix& a, const C3DMatrix& b)
{
    C3DMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
        {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

std::array<float, 4> TransformPoint(C3DVector p, const C3DMatrix& m)
{
    const float v[4] = {p.x, p.y, p.z, 1.0f};
    std::array<float, 4> r{};
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k)
            r[j] += v[k] * m.m[k][j];
    return r;
}

std::array<float, 16> GlMatrix(const C3DMatrix& m, MatrixKind kind)
{
    C3DMatrix g = m;
    if (kind == MatrixKind::Projection)
    {
        // z' = 2z - w takes the clip depth from 0..w to -w..w.
        C3DMatrix depth = C3DMatrix::Identity();
        depth.m[2][2] = 2.0f;
        depth.m[3][2] = -1.0f;
        g = m * depth;
    }
    // Row vectors stored row by row are column vectors stored column by column: the transpose
    // comes with the layout.
    std::array<float, 16> r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[4 * i + j] = g.m[i][j];
    return r;
}
