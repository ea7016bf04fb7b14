#include "display/3DAxis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "display/MarkerPlanes.h"

namespace
{

// x of a frequency on the 16-unit logarithmic axis over 20 Hz..20 kHz.
double LogX(double f)
{
    return 16.0 * std::log10(f / 20.0) / 3.0;
}

TEST(C3DAxisTest, LinearXAxisPutsTickLinesAcrossTheFrontEdge)
{
    C3DAxis x(C3DAxis::Kind::X);
    x.m_dMinimum = 0.0;
    x.m_dMaximum = 8000.0;
    x.Rebuild();
    ASSERT_GT(x.m_nMajorTicks, 3);
    EXPECT_EQ(x.m_nMinorTicks, 0);
    ASSERT_EQ(x.m_lineVertices.size(), 2u * x.m_nMajorTicks);
    for (int i = 0; i < x.m_nMajorTicks; ++i)
    {
        const float expectedX = static_cast<float>(16.0 * x.m_adMajorTicks[i] / 8000.0);
        const CLitVertex& a = x.m_lineVertices[2 * i];
        const CLitVertex& b = x.m_lineVertices[2 * i + 1];
        EXPECT_FLOAT_EQ(a.x, expectedX);
        EXPECT_FLOAT_EQ(b.x, expectedX);
        EXPECT_FLOAT_EQ(a.y, -0.2f);
        EXPECT_FLOAT_EQ(b.y, 0.2f);
        EXPECT_FLOAT_EQ(a.z, 0.0f);
    }
    // The label of a tick stands 0.6 below it, drawn a fifth of the size through the world matrix.
    const C3DVector label = x.LabelPosition(1, x.LabelOrigins()[0]);
    EXPECT_FLOAT_EQ(label.x, static_cast<float>(16.0 * x.m_adMajorTicks[1] / 8000.0));
    EXPECT_FLOAT_EQ(label.y, -0.6f);
    const C3DMatrix m = x.LabelMatrix(1, {0, 0, 0}, C3DMatrix::Translation(1, 2, 3));
    EXPECT_FLOAT_EQ(m.m[0][0], 0.2f);
    EXPECT_FLOAT_EQ(m.m[3][0], label.x + 1);
    EXPECT_FLOAT_EQ(m.m[3][1], -0.6f + 2);
    EXPECT_FLOAT_EQ(m.m[3][2], 3.0f);
}

TEST(C3DAxisTest, LogarithmicXAxisGivesMinorTicksLinesButNoLabels)
{
    C3DAxis x(C3DAxis::Kind::X);
    x.m_dMinimum = 20.0;
    x.m_dMaximum = 20000.0;
    x.m_bLogarithmic = 1;
    x.Rebuild();
    ASSERT_EQ(x.m_nMajorTicks, 3);  // 100, 1000, 10000
    EXPECT_DOUBLE_EQ(x.m_adMajorTicks[1], 1000.0);
    ASSERT_GT(x.m_nMinorTicks, 20);
    EXPECT_EQ(x.m_lineVertices.size(), 2u * (x.m_nMajorTicks + x.m_nMinorTicks));
    EXPECT_NEAR(x.m_lineVertices[2].x, LogX(1000.0), 1e-5);
    // Minor lines follow the major ones, at their own decade positions (the first one at 20 Hz).
    EXPECT_NEAR(x.m_lineVertices[2 * 3].x, LogX(x.m_adMinorTicks[0]), 1e-5);
    EXPECT_NEAR(x.m_adMinorTicks[0], 20.0, 1e-9);
    // Labels exist for the major ticks only.
    EXPECT_FALSE(x.m_arrMajorLabels[0].empty());
    EXPECT_TRUE(x.m_arrMajorLabels[x.m_nMajorTicks].empty());
}

TEST(C3DAxisTest, LevelAxisIsLinearAtBothFrontCorners)
{
    C3DAxis y(C3DAxis::Kind::Y);
    y.m_dMinimum = 0.0;
    y.m_dMaximum = 10.0;
    y.m_bLogarithmic = 1;  // forced off
    y.Rebuild();
    EXPECT_EQ(y.m_bLogarithmic, 0);
    const int ticks = y.m_nMajorTicks;
    ASSERT_GT(ticks, 3);
    ASSERT_EQ(y.m_lineVertices.size(), 4u * ticks);
    for (int i = 0; i < ticks; ++i)
    {
        const float level = static_cast<float>(5.0 * y.m_adMajorTicks[i] / 10.0);
        // At x 0, then the same ticks again at x 16, each across the axis along x.
        EXPECT_FLOAT_EQ(y.m_lineVertices[2 * i].x, -0.2f);
        EXPECT_FLOAT_EQ(y.m_lineVertices[2 * i + 1].x, 0.2f);
        EXPECT_FLOAT_EQ(y.m_lineVertices[2 * i].y, level);
        EXPECT_FLOAT_EQ(y.m_lineVertices[2 * (ticks + i)].x, 15.8f);
        EXPECT_FLOAT_EQ(y.m_lineVertices[2 * (ticks + i) + 1].x, 16.2f);
        EXPECT_FLOAT_EQ(y.m_lineVertices[2 * (ticks + i)].y, level);
    }
    // Labels at both front corners: left of x 0 and right of the box (17.2 − 0.6).
    const auto origins = y.LabelOrigins();
    ASSERT_EQ(origins.size(), 2u);
    EXPECT_FLOAT_EQ(y.LabelPosition(1, origins[0]).x, -0.6f);
    EXPECT_FLOAT_EQ(y.LabelPosition(1, origins[1]).x, 16.6f);
    EXPECT_FLOAT_EQ(y.LabelPosition(1, origins[1]).y, static_cast<float>(5.0 * y.m_adMajorTicks[1] / 10.0));
}

TEST(C3DAxisTest, TimeAxisRunsAlongTheRightEdgeAndMayBeReversed)
{
    C3DAxis z(C3DAxis::Kind::Z);
    z.m_dMinimum = 0.0;
    z.m_dMaximum = 7.0;
    z.m_bInverted = 1;
    z.Rebuild();
    ASSERT_GT(z.m_nMajorTicks, 3);
    EXPECT_DOUBLE_EQ(z.m_adMajorTicks[0], 0.0);
    // Reversed: value 0 at the far end (z 35).
    EXPECT_FLOAT_EQ(z.m_lineVertices[0].z, 35.0f);
    EXPECT_FLOAT_EQ(z.m_lineVertices[0].x, 15.8f);
    EXPECT_FLOAT_EQ(z.m_lineVertices[1].x, 16.2f);
    const C3DVector label = z.LabelPosition(0, z.LabelOrigins()[0]);
    EXPECT_FLOAT_EQ(label.x, 16.6f);
    EXPECT_FLOAT_EQ(label.y, -0.5f);
    EXPECT_FLOAT_EQ(label.z, 35.0f);
}

TEST(CMarkerPlanesTest, PlanesStandAtTheMappedFrequencyAndAreNotClipped)
{
    const struct
    {
        int logarithmic;
        double minimum, maximum, frequency, expectedX;
    } cases[] = {
        {1, 20.0, 20000.0, 1000.0, LogX(1000.0)},
        {1, 20.0, 20000.0, 40000.0, LogX(40000.0)},  // beyond the box: x 17.6
        {1, 20.0, 20000.0, 10.0, LogX(10.0)},        // before it: x −1.6
        {0, 0.0, 1000.0, 250.0, 4.0},
        {0, 0.0, 1000.0, 1500.0, 24.0},
    };
    for (const auto& c : cases)
    {
        CMarkerPlanes planes;
        planes.m_bLogarithmic = c.logarithmic;
        planes.m_dMinimum = c.minimum;
        planes.m_dMaximum = c.maximum;
        planes.SetMarkers({static_cast<float>(c.frequency)});
        planes.Rebuild();
        ASSERT_EQ(planes.m_vertices.size(), 6u) << c.frequency;
        float minZ = 1e9f, maxZ = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (const auto& v : planes.m_vertices)
        {
            EXPECT_NEAR(v.x, c.expectedX, 1e-4) << c.frequency;
            minZ = std::min(minZ, v.z);
            maxZ = std::max(maxZ, v.z);
            minY = std::min(minY, v.y);
            maxY = std::max(maxY, v.y);
        }
        EXPECT_FLOAT_EQ(minZ, 0.0f);
        EXPECT_FLOAT_EQ(maxZ, 35.0f);
        EXPECT_FLOAT_EQ(minY, 0.0f);
        EXPECT_FLOAT_EQ(maxY, 5.0f);
    }
}

TEST(CMarkerPlanesTest, SixVerticesPerMarkerAndAtMostTheMarkerListsLength)
{
    CMarkerPlanes planes;
    planes.SetMarkers({100.0f, 1000.0f, 0.0f});
    planes.Rebuild();
    // 0 Hz has no place on a logarithmic axis and gets no plane.
    EXPECT_EQ(planes.m_vertices.size(), 12u);
    planes.SetMarkers(std::vector<float>(300, 500.0f));
    planes.Rebuild();
    EXPECT_EQ(planes.m_afMarkers.size(), 256u);
    EXPECT_EQ(planes.m_vertices.size(), 6u * 256);
    planes.SetMarkers({});
    planes.Rebuild();
    EXPECT_TRUE(planes.m_vertices.empty());
}

}  // namespace
