// CPolarPlot: level over angle. Draws the angle grid with degree labels, the level rings with their
// labels and the curves into a plot area, and turns a mouse point back into angle and level for the
// cursor readout. Every plot owns one; the plot's frame painter draws the grid and its curve painter
// the curves while the plot is in polar mode. Used on the user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "display/ColorScheme.h"
#include "platform/gfx/Canvas.h"

class CPolarPlot
{
public:
    static constexpr double kOuterRadius = 0.9405;

    // Stores the area and derives centre, scales and the angle offset (0 when the angle range
    // starts at 0 or above, else 90, so that 0 degrees points up). An angle span of 180 degrees or
    // less stands as a half circle on the bottom edge (its centre 5 pixels above it).
    void SetArea(int left, int top, int right, int bottom);
    // Background, the angle grid with labels, the outer ring and the level rings with labels.
    void Draw(gfx::Canvas& canvas, const gfx::Rect& area);
    // SetArea, then the curves.
    void DrawCurvesAt(gfx::Canvas& canvas, const gfx::Rect& area);
    void DrawCurves(gfx::Canvas& canvas);

    // Angle (degrees) and radius (1 = unit radius) to plane and pixel coordinates.
    void PolarToXY(double angle, double radius, double* x, double* y) const;
    gfx::Point XYToPixel(double x, double y) const;
    gfx::Point PolarToPixel(double angle, double radius) const;
    // A level's radius: level min at the centre, level max on the outer ring, limited to both.
    double NormalizeRadius(double level) const;
    // Value to level (10 log10 with the logarithmic flag, else linear) and back.
    double ToDisplay(double value) const;
    double FromDisplay(double level) const;
    // The angle and the value under a pixel; an angle outside the angle range reads 0.
    void PixelToPolar(int x, int y, double* angle, double* value) const;
    void DrawRing(gfx::Canvas& canvas, double radius);
    void DrawRingLabels(gfx::Canvas& canvas);

    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 0;
    int m_nBottom = 0;
    // The owner's angle table (degrees, `m_nCount` values) or null; the curve values, curves one
    // after the other with m_nCount values each.
    const float* m_pAngles = nullptr;
    const float* m_pValues = nullptr;
    int m_nDirection = 1;
    double m_dAngleOffset = 0.0;
    int m_bMirrorX = 0;
    int m_bMirrorY = 0;
    int m_nCurveCount = 1;
    double m_dAngleMin = -90.0;
    double m_dAngleMax = 90.0;
    double m_dLevelMin = -100.0;
    double m_dLevelMax = 10.0;
    double m_dScaleX = 1.0;
    double m_dScaleY = 1.0;
    double m_dOuterRadius = kOuterRadius;
    int m_nCentreX = 0;
    int m_nCentreY = 0;
    int m_bLogarithmic = 0;
    double m_dLinearFactor = 1.0;
    double m_dLinearOffset = 0.0;
    double m_dLogFactor = 10.0;
    double m_dLogOffset = 0.0;
    int m_nCount = 0;
    int m_nFontHeight = 12;
    std::string m_strFontFace = "Arial";
    std::string m_strUnit = "dB";
    const CColorScheme* m_pColorScheme = nullptr;
    // 0 or more: the curves take the colour of that overlay; -1: the curve roles.
    int m_nOverlayIndex = -1;

private:
    gfx::Color Role(int role) const;
    std::vector<float> m_afOwnAngles;
    std::vector<gfx::Point> m_points;
};
