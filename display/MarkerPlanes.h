// The translucent vertical planes of the 3D view, one at every marker frequency of the plot, as
// plain arrays of lit vertices. Drawing them is display/ui's work (C3DAxisRenderer draws both).
#pragma once

#include <vector>

#include "display/LitVertex.h"

class CMarkerPlanes
{
public:
    static constexpr int kMaxMarkers = 256;
    // The planes' buffer: 72,000 bytes of lit vertices.
    static constexpr int kMaxVertices = 2000;

    CMarkerPlanes();
    virtual ~CMarkerPlanes();

    // Sets the marker frequencies (at most 256; more are dropped).
    void SetMarkers(const std::vector<float>& frequencies);
    // One rectangle of 6 vertices per marker, from (x, 0, 0) along z (depth) and y (height), x the
    // mapped frequency. Nothing clips a marker outside the range: its plane stands outside the box.
    void Rebuild();
    // The x of a frequency: logarithmic or linear between the world x range.
    double MapFrequency(double frequency) const;

    std::vector<float> m_afMarkers;
    std::vector<CLitVertex> m_vertices;
    double m_dMinimum = 20.0;
    double m_dMaximum = 20000.0;
    int m_bLogarithmic = 1;
    double m_dWorldX0 = 0.0;
    double m_dWorldX1 = 16.0;
    // The box: x length, z depth and y height, copied to the working sizes when rebuilt.
    double m_dBoxLength = 16.0;
    double m_dBoxDepth = 35.0;
    double m_dBoxHeight = 5.0;
    double m_dDepth = 35.0;
    double m_dHeight = 5.0;
};
