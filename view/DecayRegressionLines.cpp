#include "view/DecayRegressionLines.h"

#include <algorithm>
#include <cmath>

DecayRegressionLines ComputeDecayRegressionLines(double decayTime, double intercept, double levelStart,
                                                 double levelStop, double xMin, double xMax, double yMin,
                                                 double yMax)
{
    DecayRegressionLines lines;
    if (!(decayTime > 0.0) || !std::isfinite(decayTime) || !std::isfinite(intercept) || !(xMax > xMin) ||
        !(yMax > yMin))
        return lines;
    const double slope = -60.0 / decayTime / 1000.0;  // dB per ms
    const auto at = [&](double x) { return intercept + slope * x; };
    const auto where = [&](double y) { return (y - intercept) / slope; };

    DecayRegressionLines::Segment& fit = lines.fit;
    fit.x0 = xMin;
    fit.y0 = at(xMin);
    if (fit.y0 > yMax)
    {
        fit.x0 = where(yMax);
        fit.y0 = yMax;
    }
    fit.x1 = xMax;
    fit.y1 = at(xMax);
    if (fit.y1 < yMin)
    {
        fit.x1 = where(yMin);
        fit.y1 = yMin;
    }
    fit.visible = fit.x1 > fit.x0;

    const double halfWidth = 0.025 * (xMax - xMin);
    const auto marker = [&](double level, DecayRegressionLines::Segment& segment)
    {
        const double centre = where(level);
        segment.y0 = segment.y1 = level;
        segment.x0 = std::clamp(centre - halfWidth, xMin, xMax);
        segment.x1 = std::clamp(centre + halfWidth, xMin, xMax);
        segment.visible = level >= yMin && level <= yMax && centre >= xMin && segment.x1 > segment.x0;
    };
    marker(levelStart, lines.start);
    marker(levelStop, lines.stop);
    return lines;
}
