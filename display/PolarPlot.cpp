#include "display/PolarPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "common/CurveFit.h"
#include "display/PlotAxis.h"

namespace
{

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr int kHalfCircleLift = 5;
constexpr int kRingTicks = 5;

}  // namespace

gfx::Color CPolarPlot::Role(int role) const
{
    return m_pColorScheme ? m_pColorScheme->GetColor(role) : 0;
}

void CPolarPlot::SetArea(int left, int top, int right, int bottom)
{
    m_nLeft = left;
    m_nTop = top;
    m_nRight = right;
    m_nBottom = bottom;
    m_nCentreX = (left + right) / 2;
    m_nCentreY = (top + bottom) / 2;
    m_dScaleX = (right - left) * 0.5;
    m_dScaleY = (bottom - top) * 0.5;
    m_dAngleOffset = m_dAngleMin >= 0.0 ? 0.0 : 90.0;
    if (m_dAngleMax - m_dAngleMin <= 180.0)
    {
        m_nCentreY = bottom - kHalfCircleLift;
        m_dScaleY = m_nCentreY - top - kHalfCircleLift;
    }
    const double scale = std::min(m_dScaleX, m_dScaleY);
    m_dScaleX = scale;
    m_dScaleY = scale;
}

void CPolarPlot::PolarToXY(double angle, double radius, double* x, double* y) const
{
    const double a = (angle + m_dAngleOffset) * m_nDirection * kDegree;
    *x = radius * std::cos(a);
    *y = radius * std::sin(a);
}

gfx::Point CPolarPlot::XYToPixel(double x, double y) const
{
    const double sx = m_bMirrorX ? -x : x;
    const double sy = m_bMirrorY ? -y : y;
    return gfx::Point{static_cast<int>(m_dScaleX * sx + m_nCentreX + 0.5),
                      static_cast<int>(m_nCentreY - sy * m_dScaleY + 0.5)};
}

gfx::Point CPolarPlot::PolarToPixel(double angle, double radius) const
{
    double x = 0.0;
    double y = 0.0;
    PolarToXY(angle, radius, &x, &y);
    return XYToPixel(x, y);
}

double CPolarPlot::NormalizeRadius(double level) const
{
    const double span = m_dLevelMax - m_dLevelMin;
    if (!(span > 0.0) || std::isnan(level))
        return 0.0;
    return std::clamp((level - m_dLevelMin) / span * m_dOuterRadius, 0.0, m_dOuterRadius);
}

double CPolarPlot::ToDisplay(double value) const
{
    if (m_bLogarithmic == 1)
        return std::log10(value) * m_dLogFactor + m_dLogOffset;
    return value * m_dLinearFactor + m_dLinearOffset;
}

double CPolarPlot::FromDisplay(double level) const
{
    if (m_bLogarithmic == 1)
        return std::pow(10.0, (level - m_dLogOffset) / m_dLogFactor);
    return m_dLinearFactor != 0.0 ? (level - m_dLinearOffset) / m_dLinearFactor : 0.0;
}

void CPolarPlot::PixelToPolar(int px, int py, double* angle, double* value) const
{
    double x = m_dScaleX != 0.0 ? (px - m_nCentreX) / m_dScaleX : 0.0;
    double y = m_dScaleY != 0.0 ? (m_nCentreY - py) / m_dScaleY : 0.0;
    if (m_bMirrorX)
        x = -x;
    if (m_bMirrorY)
        y = -y;
    const double r = std::sqrt(x * x + y * y);
    double a = std::atan2(y, x) / kDegree * m_nDirection - m_dAngleOffset;
    if (a < m_dAngleMin || a > m_dAngleMax)
        a += 360.0;
    if (a < m_dAngleMin || a > m_dAngleMax)
        a = 0.0;
    const double level =
        std::min(m_dLevelMax, m_dLevelMin + (m_dLevelMax - m_dLevelMin) * r / m_dOuterRadius);
    *angle = a;
    *value = FromDisplay(level);
}

void CPolarPlot::DrawRing(gfx::Canvas& canvas, double radius)
{
    m_points.clear();
    for (double d = m_dAngleMin; d <= m_dAngleMax + 1e-9; d += 1.0)
        m_points.push_back(PolarToPixel(d, radius));
    canvas.SetPen(gfx::Pen{Role(CColorScheme::RoleGridXMajor), 1, gfx::PenStyle::Solid});
    canvas.Polyline(m_points);
}

void CPolarPlot::DrawRingLabels(gfx::Canvas& canvas)
{
    double step = 0.0;
    double first = 0.0;
    double last = 0.0;
    AxisNiceStep(m_dLevelMin, m_dLevelMax, kRingTicks, &step, &first, &last);
    if (!(step > 0.0))
        return;
    canvas.SetFont(gfx::Font{m_strFontFace, m_nFontHeight, false});
    const int room = canvas.TextWidth("-100" + m_strUnit);
    for (double tick = first; tick <= last + step * 1e-6; tick += step)
    {
        if (!(tick > m_dLevelMin + step * 1e-6))
            continue;
        const double r = NormalizeRadius(tick);
        char number[32];
        std::snprintf(number, sizeof number, "%g", std::fabs(tick) < step * 1e-6 ? 0.0 : tick);
        const std::string label = std::string(number) + m_strUnit;
        const gfx::Point at = PolarToPixel(90.0 - m_dAngleOffset, r + 0.02);
        const int h = canvas.TextHeight(label);
        canvas.DrawText(label, {at.x + room - canvas.TextWidth(label), at.y - h, at.x + room, at.y},
                        gfx::Align::Right);
        DrawRing(canvas, r);
    }
}

void CPolarPlot::Draw(gfx::Canvas& canvas, const gfx::Rect& area)
{
    SetArea(area.left, area.top, area.right, area.bottom);
    const gfx::Color background = Role(CColorScheme::RolePlotBackground);
    canvas.FillRect(area, background);
    canvas.SetTextColor(Role(CColorScheme::RoleGridXMajor));
    canvas.SetTextBackground(background);
    canvas.SetFont(gfx::Font{m_strFontFace, m_nFontHeight, false});

    // The 45-degree lines first, then the 10-degree lines out to the outer ring.
    struct Pass
    {
        double step;
        int width;
        double radius;
    };
    const Pass passes[] = {{45.0, 2, 0.95}, {10.0, 1, m_dOuterRadius}};
    for (const Pass& pass : passes)
    {
        canvas.SetPen(gfx::Pen{Role(CColorScheme::RoleGridXMajor), pass.width, gfx::PenStyle::Solid});
        for (double angle = -360.0; angle <= 360.0; angle += pass.step)
        {
            if (angle < m_dAngleMin || angle > m_dAngleMax)
                continue;
            const gfx::Point end = PolarToPixel(angle, pass.radius);
            canvas.MoveTo(m_nCentreX, m_nCentreY);
            canvas.LineTo(end.x, end.y);
            char text[32];
            std::snprintf(text, sizeof text, "%.0f\xC2\xB0", angle);
            const gfx::Point at = PolarToPixel(angle, 0.97);
            const int w = canvas.TextWidth(text);
            const int h = canvas.TextHeight(text);
            const double turned = angle + m_dAngleOffset;
            const int down = turned > 180.0 || turned < 0.0 ? h / 2 : 0;
            canvas.DrawText(text, {at.x - w / 2, at.y - h + down, at.x + w - w / 2, at.y + down},
                            gfx::Align::Left);
        }
    }
    DrawRing(canvas, m_dOuterRadius);
    DrawRingLabels(canvas);
}

void CPolarPlot::DrawCurvesAt(gfx::Canvas& canvas, const gfx::Rect& area)
{
    SetArea(area.left, area.top, area.right, area.bottom);
    DrawCurves(canvas);
}

void CPolarPlot::DrawCurves(gfx::Canvas& canvas)
{
    if (m_pValues == nullptr || m_nCount < 2)
        return;
    const float* angles = m_pAngles;
    if (angles == nullptr)
    {
        m_afOwnAngles.resize(static_cast<std::size_t>(m_nCount));
        const double step = (m_dAngleMax - m_dAngleMin) / m_nCount;
        for (int i = 0; i < m_nCount; ++i)
            m_afOwnAngles[static_cast<std::size_t>(i)] = static_cast<float>(m_dAngleMin + i * step);
        angles = m_afOwnAngles.data();
    }
    const double lastAngle = angles[m_nCount - 1];
    for (int c = 0; c < m_nCurveCount; ++c)
    {
        const int role = m_nOverlayIndex >= 0 ? CColorScheme::RoleFirstOverlay + m_nOverlayIndex
                                              : CColorScheme::RoleFirstCurve + c;
        canvas.SetPen(gfx::Pen{Role(role), 2, gfx::PenStyle::Solid});
        const float* values = m_pValues + static_cast<std::size_t>(c) * static_cast<std::size_t>(m_nCount);
        m_points.clear();
        for (double d = angles[0]; lastAngle > d; d += 1.0)
        {
            if (d < m_dAngleMin || d > m_dAngleMax)
                continue;
            const double value = InterpolateLinear(m_nCount, angles, values, static_cast<float>(d));
            m_points.push_back(PolarToPixel(d, NormalizeRadius(ToDisplay(value))));
        }
        if (m_points.size() > 1)
            canvas.Polyline(m_points);
    }
}
