// Vectors and 4 × 4 matrices of the 3D view in its own convention: row vectors (a point is
// multiplied from the left, p' = p · M), left-handed view and perspective, clip depth 0..1. The
// graphics library gets them through GlMatrix, the one conversion to its clip space.
#pragma once

#include <array>

struct C3DVector
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

C3DVector operator+(C3DVector a, C3DVector b);
C3DVector operator-(C3DVector a, C3DVector b);
C3DVector operator*(C3DVector a, float s);
float Dot(C3DVector a, C3DVector b);
C3DVector Cross(C3DVector a, C3DVector b);
// The vector scaled to length 1; the zero vector stays zero.
C3DVector Normalize(C3DVector a);

struct C3DMatrix
{
    // m[row][column]; the translation sits in row 3.
    std::array<std::array<float, 4>, 4> m{};

    static C3DMatrix Identity();
    static C3DMatrix Translation(float x, float y, float z);
    static C3DMatrix Scaling(float x, float y, float z);
    // Rotations by an angle in radians, clockwise when looking along the axis towards the origin.
    static C3DMatrix RotationX(float angle);
    static C3DMatrix RotationY(float angle);
    static C3DMatrix RotationZ(float angle);
    // Left-handed look-at: the eye looks along +z of the view space, y up.
    static C3DMatrix LookAtLH(C3DVector eye, C3DVector at, C3DVector up);
    // Left-handed perspective: vertical field of view, width / height, near and far planes; depth
    // maps near..far to 0..1.
    static C3DMatrix PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
};

// a · b: a point is transformed by a first, then by b.
C3DMatrix operator*(const C3DMatrix& a, const C3DMatrix& b);
// A point (w = 1) through the matrix, with the homogeneous w it ends with.
std::array<float, 4> TransformPoint(C3DVector p, const C3DMatrix& m);

// The sixteen numbers the graphics library loads (column vectors, columns stored one after the
// other). World and view matrices only change their layout (the transpose); a projection also maps
// the clip depth 0..1 to the library's -1..1. Both spaces are left-handed with y up after the
// projection, so nothing is mirrored.
enum class MatrixKind
{
    Transform,
    Projection,
};
std::array<float, 16> GlMatrix(const C3DMatrix& m, MatrixKind kind);
