#include "display/Matrix3D.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace
{

void ExpectMatrix(const C3DMatrix& actual, const float (&expected)[4][4])
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(actual.m[i][j], expected[i][j], 1e-5f) << "row " << i << " column " << j;
}

TEST(Matrix3DTest, LookAtFromTheSideMatchesTheMatrixWorkedOutByHand)
{
    // From (5, 0, 0) towards the origin: forward is -x, right = up × forward = +z, up stays +y.
    const C3DMatrix view = C3DMatrix::LookAtLH({5, 0, 0}, {0, 0, 0}, {0, 1, 0});
    const float expected[4][4] = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 5, 1}};
    ExpectMatrix(view, expected);
}

TEST(Matrix3DTest, ViewOfTheWaterfallPutsEyeAtOriginAndTargetAhead)
{
    const C3DVector eye{23, 9.6f, -13}, at{0, -5, 20};
    const C3DMatrix view = C3DMatrix::LookAtLH(eye, at, {0, 1, 0});
    const auto e = TransformPoint(eye, view);
    EXPECT_NEAR(e[0], 0, 1e-4);
    EXPECT_NEAR(e[1], 0, 1e-4);
    EXPECT_NEAR(e[2], 0, 1e-4);
    // The target lies straight ahead at its distance: sqrt(23² + 14.6² + 33²) = 42.786...
    const auto a = TransformPoint(at, view);
    EXPECT_NEAR(a[0], 0, 1e-4);
    EXPECT_NEAR(a[1], 0, 1e-4);
    EXPECT_NEAR(a[2], std::sqrt(23.0 * 23 + 14.6 * 14.6 + 33.0 * 33), 1e-3);
    // Left-handed: right = up × forward = (0, 1, 0) × (-23, -14.6, 33) = (33, 0, 23), so the eye
    // moved by that vector lies on the view's +x axis at its length, sqrt(33² + 23²) = 40.224...
    const auto r = TransformPoint({23 + 33, 9.6f, -13 + 23}, view);
    EXPECT_NEAR(r[0], std::sqrt(33.0 * 33 + 23.0 * 23), 1e-3);
    EXPECT_NEAR(r[1], 0.0, 1e-3);
    EXPECT_NEAR(r[2], 0.0, 1e-3);
}

TEST(Matrix3DTest, PerspectiveMapsNearAndFarToDepthZeroAndOne)
{
    // 90° field of view, aspect 2, near 1, far 3: y scale 1, x scale 0.5, z: 3/2 and -3/2.
    const C3DMatrix p = C3DMatrix::PerspectiveFovLH(std::numbers::pi_v<float> / 2, 2.0f, 1.0f, 3.0f);
    const float expected[4][4] = {{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1.5f, 1}, {0, 0, -1.5f, 0}};
    ExpectMatrix(p, expected);
    const auto nearPoint = TransformPoint({2, 1, 1}, p);
    EXPECT_NEAR(nearPoint[0] / nearPoint[3], 1.0f, 1e-6);
    EXPECT_NEAR(nearPoint[1] / nearPoint[3], 1.0f, 1e-6);
    EXPECT_NEAR(nearPoint[2] / nearPoint[3], 0.0f, 1e-6);
    const auto farPoint = TransformPoint({0, 0, 3}, p);
    EXPECT_NEAR(farPoint[2] / farPoint[3], 1.0f, 1e-6);
}

TEST(Matrix3DTest, GlMatrixKeepsLayoutAndMapsProjectionDepthToMinusOneToOne)
{
    const C3DMatrix t = C3DMatrix::Translation(1, 2, 3);
    const auto g = GlMatrix(t, MatrixKind::Transform);
    // Column-major storage of the column-vector matrix: the translation in elements 12..14.
    EXPECT_FLOAT_EQ(g[12], 1);
    EXPECT_FLOAT_EQ(g[13], 2);
    EXPECT_FLOAT_EQ(g[14], 3);
    EXPECT_FLOAT_EQ(g[15], 1);

    const C3DMatrix p = C3DMatrix::PerspectiveFovLH(std::numbers::pi_v<float> / 2, 2.0f, 1.0f, 3.0f);
    const auto gp = GlMatrix(p, MatrixKind::Projection);
    // Column-vector product of the stored matrix with a point, as the library does it.
    auto clip = [&](float x, float y, float z)
    {
        std::array<float, 4> r{};
        const float v[4] = {x, y, z, 1};
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                r[row] += gp[4 * k + row] * v[k];
        return r;
    };
    const auto n = clip(2, 1, 1);
    EXPECT_NEAR(n[0] / n[3], 1.0f, 1e-6);
    EXPECT_NEAR(n[2] / n[3], -1.0f, 1e-6);
    const auto f = clip(0, 0, 3);
    EXPECT_NEAR(f[2] / f[3], 1.0f, 1e-6);
    const auto mid = clip(0, 0, 1.5f);
    // Depth 0.5 of the own space (z = 1.5: (2.25 - 1.5) / 1.5) becomes 0 of the library's.
    EXPECT_NEAR(mid[2] / mid[3], 2 * 0.5f - 1, 1e-6);
}

TEST(Matrix3DTest, WorldRotatesAboutXThenYThenZThenMoves)
{
    const float q = std::numbers::pi_v<float> / 2;
    // A quarter turn about y takes +x to -z, about x takes +y to +z, about z takes +x to +y.
    const auto y = TransformPoint({1, 0, 0}, C3DMatrix::RotationY(q));
    EXPECT_NEAR(y[0], 0, 1e-6);
    EXPECT_NEAR(y[2], -1, 1e-6);
    const auto x = TransformPoint({0, 1, 0}, C3DMatrix::RotationX(q));
    EXPECT_NEAR(x[2], 1, 1e-6);
    const auto z = TransformPoint({1, 0, 0}, C3DMatrix::RotationZ(q));
    EXPECT_NEAR(z[1], 1, 1e-6);
    // (0, 1, 0): about x to (0, 0, 1), about y to (1, 0, 0), about z to (0, 1, 0), then moved.
    const C3DMatrix world = C3DMatrix::RotationX(q) * C3DMatrix::RotationY(q) * C3DMatrix::RotationZ(q) *
                            C3DMatrix::Translation(10, 20, 30);
    const auto p = TransformPoint({0, 1, 0}, world);
    EXPECT_NEAR(p[0], 10, 1e-5);
    EXPECT_NEAR(p[1], 21, 1e-5);
    EXPECT_NEAR(p[2], 30, 1e-5);
}

}  // namespace
