// The plot's axis painters: grid lines, tick labels and axis titles in the cached frame.
#include <algorithm>
#include <cmath>

#include "common/TextFormatting.h"
#include "display/AxisNumbers.h"
#include "display/Plot.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

const gfx::Font kTitleFont{"Arial", 16, true};
// Label boxes: x labels 20 pixels wide, their text starting 55 pixels above the window bottom
// (5 pixels below the plot area); the box is as high as a line of the label font.
constexpr int kXLabelHalfWidth = 10;
constexpr int kXLabelTop = 55;
constexpr int kXLabelBottom = 39;
// Y labels end this far left of the plot area and are this high.
constexpr int kYLabelGap = 5;
constexpr int kYLabelHalfHeight = 8;
// Grid lines closer than this to the previous one are left out.
constexpr int kMinGridDistance = 3;
constexpr double kLogTolerance = 1e-9;
// The side axis's title stands in this many pixels at the window's right edge.
constexpr int kSideTitleRoom = 24;
// Axis titles of the sonagram's side axis.
constexpr int kTextFrequency = 1000030;
constexpr int kTextTime = 1000031;

int Truncate(double pixel)
{
    if (!std::isfinite(pixel))
        return 0;
    return static_cast<int>(std::lround(std::clamp(pixel, -1e6, 1e6)));
}

// Decimals of a linear y label: from the step, or for tiny steps from the largest grid value.
int YLabelDecimals(double step, double first, double last)
{
    if (step >= 10)
        return 0;
    if (step >= 0.1)
        return 1;
    if (step >= 0.01)
        return 2;
    if (step >= 0.001)
        return 3;
    if (step >= 0.0001)
        return 4;
    const double m = std::max(std::fabs(first), std::fabs(last));
    if (m <= 1)
        return 4;
    if (m <= 10)
        return 3;
    if (m <= 100)
        return 2;
    if (m <= 1000)
        return 1;
    return 0;
}

}  // namespace

void CPlot::DrawXAxis(gfx::Canvas& canvas)
{
    const CPlotRange& view = m_viewRange;
    const int bottom = m_rcWindow.bottom;
    const gfx::Pen gridPen = PenOf(m_gridStyle);
    const gfx::Pen decadePen = PenOf(m_darkStyle);
    const gfx::Color labelBackground = m_colorScheme.GetColor(CColorScheme::RoleFrameBackground);
    const gfx::Color plotBackground = m_colorScheme.GetColor(CColorScheme::RolePlotBackground);
    canvas.SetFont(gfx::Font{"Arial", std::max(1, m_nLabelFontPixels), false});

    const auto gridLine = [&](int x, const gfx::Pen& pen)
    {
        canvas.SetTextBackground(plotBackground);
        canvas.SetPen(pen);
        canvas.MoveTo(x, m_nPlotTop);
        canvas.LineTo(x, m_nPlotBottom);
    };
    // The labelled octave bands name their centres in the row of the tick labels.
    const bool bandLabels = m_bBarGraph && m_nBandFraction == 1;
    const auto label = [&](int x, const std::string& text, int top, int bottomEdge)
    {
        if (bandLabels)
            return;
        canvas.SetTextBackground(labelBackground);
        canvas.SetPen(gfx::Pen{0, 1, gfx::PenStyle::Null});
        canvas.DrawText(text, {x - kXLabelHalfWidth, top, x + kXLabelHalfWidth, bottomEdge},
                        gfx::Align::Centre);
    };
    const auto pixelOf = [&](double x)
    { return Truncate(MapToPixels(x, view.m_dXMin, view.m_dXMax, m_nPlotLeft, m_nPlotRight, view.m_bXLog)); };

    if (view.m_xText.m_bClockTime)
    {
        m_xAxis.m_nType = CPlotAxis::kTypeClockTime;
        m_xAxis.m_dStartPixel = m_nPlotLeft;
        m_xAxis.m_dEndPixel = m_nPlotRight;
        m_xAxis.m_nMajorDivisions = m_nPlotRight - m_nPlotLeft < 300 ? 5 : 10;
        m_xAxis.m_timeBase = view.m_xText.m_timeBase;
        m_xAxis.m_bUseTimeBase = view.m_xText.m_bUseTimeBase;
        m_xAxis.m_bLogarithmic = 0;
        const double shift = m_xAxis.TimeOfDay();
        m_xAxis.m_dMinimum = view.m_dXMin + shift;
        m_xAxis.m_dMaximum = view.m_dXMax + shift;
        m_xAxis.BuildTicks();
        for (int i = 0; i < m_xAxis.m_nMajorTicks; ++i)
        {
            const int x = Truncate(m_xAxis.ValueToPixel(m_xAxis.m_adMajorTicks[static_cast<std::size_t>(i)]));
            gridLine(x, decadePen);
            label(x, m_xAxis.m_arrMajorLabels[static_cast<std::size_t>(i)], m_nPlotBottom,
                  m_nPlotBottom + 20);
        }
        return;
    }

    if (view.m_bXLog)
    {
        if (!(view.m_dXMin > 0.0 && view.m_dXMax > view.m_dXMin))
            return;
        // Label density from the room one tenth of a decade takes beside the width of "000".
        const double d = m_dXPixelsPerDecade * std::log10(1.111);
        const double w = canvas.TextWidth("000");
        const auto labelled = [&](int multiple)
        {
            if (multiple == 1)
                return true;
            if (d >= 0.98 * w)
                return true;
            if (d >= 0.5 * w)
                return multiple % 2 == 0;
            if (d >= w / 3)
                return multiple == 2 || multiple == 4 || multiple == 6;
            return multiple == 2 || multiple == 4;
        };
        double decade = std::pow(10.0, std::floor(std::log10(view.m_dXMin)));
        int multiple = static_cast<int>(std::ceil(view.m_dXMin / decade - kLogTolerance));
        for (int guard = 0; guard < 10000; ++guard)
        {
            if (multiple >= 10)
            {
                decade *= 10.0;
                multiple = 1;
            }
            const double value = multiple * decade;
            if (value > view.m_dXMax * (1.0 + kLogTolerance))
                break;
            const int x = pixelOf(value);
            gridLine(x, multiple == 1 ? decadePen : gridPen);
            if (labelled(multiple))
                label(x, FormatAxisNumber(value, decade), bottom - kXLabelTop, bottom - kXLabelBottom);
            ++multiple;
        }
        return;
    }

    double step5 = 0.0, first5 = 0.0, last5 = 0.0;
    double step10 = 0.0, first10 = 0.0, last10 = 0.0;
    NiceGridStep(view.m_dXMin, view.m_dXMax, 5, &step5, &first5, &last5);
    NiceGridStep(view.m_dXMin, view.m_dXMax, 10, &step10, &first10, &last10);
    if (!(step10 > 0.0) || !(step5 > 0.0))
        return;
    for (int k = 0; first10 + k * step10 <= last10 + step10 * kLogTolerance && k < 1000; ++k)
    {
        const double value = first10 + k * step10;
        const int x = pixelOf(value);
        gridLine(x, gridPen);
        label(x, FormatAxisNumber(std::fabs(value) < step10 * kLogTolerance ? 0.0 : value, step10),
              bottom - kXLabelTop, bottom - kXLabelBottom);
    }
    for (int k = 0; first5 + k * step5 <= last5 + step5 * kLogTolerance && k < 1000; ++k)
        gridLine(pixelOf(first5 + k * step5), decadePen);
}

void CPlot::DrawYAxes(gfx::Canvas& canvas)
{
    DrawYAxis(canvas, m_viewRange.m_dYMin, m_viewRange.m_dYMax, m_viewRange.m_bYLog, m_strYTitle);
    if (m_bSonagram)
        DrawSonagramSideAxis(canvas);
}

void CPlot::DrawSonagramSideAxis(gfx::Canvas& canvas)
{
    if (m_sonagram.m_nOrientation == 1)
    {
        // Time runs along x: the side axis gives the frequency, upward unless reversed.
        DrawYAxis(canvas, m_viewRange.m_dXMin, m_viewRange.m_dXMax, m_viewRange.m_bXLog,
                  GetText(kTextFrequency) + " [Hz]", true, m_sonagram.m_frequency.m_nValue8 != 0);
        return;
    }
    // A recorded picture spreads its rows over the height, the first segment at the top; the live
    // picture's newest line is at the bottom edge (the top edge with time reversed).
    const bool recorded = m_pSonagramSamples != nullptr && m_nSonagramSamples > 0 && m_dSonagramRate > 0.0;
    double span = std::max(0, m_nPlotBottom - m_nPlotTop) * m_dSecondsPerPixel;
    bool downward = m_sonagram.m_time.m_nValue8 != 0;
    if (recorded)
    {
        const double whole = m_nSonagramSamples / m_dSonagramRate;
        const double from = m_sonagram.m_time.m_dValue1;
        const double to = m_sonagram.m_time.m_dValue2;
        span = to > from ? std::min(to, whole) - std::clamp(from, 0.0, whole) : whole;
        downward = !downward;
    }
    if (!(span > 0.0))
        return;
    std::string unit = " [s]";
    if (span < 2.0)
    {
        span *= 1000.0;
        unit = " [ms]";
    }
    DrawYAxis(canvas, 0.0, span, 0, GetText(kTextTime) + unit, true, downward);
}

void CPlot::DrawYAxis(gfx::Canvas& canvas, double yMin, double yMax, int logarithmic,
                      const std::string& title, bool right, bool downward)
{
    const gfx::Pen gridPen = PenOf(m_gridStyle);
    const gfx::Pen decadePen = PenOf(m_darkStyle);
    const gfx::Color labelBackground = m_colorScheme.GetColor(CColorScheme::RoleFrameBackground);
    const gfx::Color plotBackground = m_colorScheme.GetColor(CColorScheme::RolePlotBackground);
    canvas.SetFont(gfx::Font{"Arial", std::max(1, m_nLabelFontPixels), false});
    const int height = m_nPlotBottom - m_nPlotTop;
    const int yLabelHalfHeight = std::max(kYLabelHalfHeight, (m_nLabelFontPixels + 1) / 2 + 2);
    const int lowPixel = downward ? m_nPlotTop : m_nPlotBottom;
    const int highPixel = downward ? m_nPlotBottom : m_nPlotTop;
    const auto pixelOf = [&](double y)
    { return Truncate(MapToPixels(y, yMin, yMax, lowPixel, highPixel, logarithmic)); };

    int previous = -1000000;
    const auto gridLine = [&](double value, const gfx::Pen& pen, const std::string& text)
    {
        const int y = pixelOf(value);
        if (std::abs(y - previous) < kMinGridDistance)
            return;
        previous = y;
        canvas.SetTextBackground(plotBackground);
        canvas.SetPen(pen);
        canvas.MoveTo(m_nPlotLeft, y);
        canvas.LineTo(m_nPlotRight, y);
        canvas.SetTextBackground(labelBackground);
        canvas.SetPen(gfx::Pen{0, 1, gfx::PenStyle::Null});
        if (text.empty())
            return;
        if (right)
            canvas.DrawText(text,
                            {m_nPlotRight + kYLabelGap, y - yLabelHalfHeight,
                             m_rcWindow.right - kSideTitleRoom, y + yLabelHalfHeight},
                            gfx::Align::Left);
        else
            canvas.DrawText(
                text, {m_rcWindow.left, y - yLabelHalfHeight, m_nPlotLeft - kYLabelGap, y + yLabelHalfHeight},
                gfx::Align::Right);
    };

    if (logarithmic && yMin > 0.0 && yMax > yMin)
    {
        const bool fewDecades = std::log10(yMax / yMin) < 5.0;
        for (double decade = 1e-9; decade <= yMax * (1.0 + kLogTolerance); decade *= 10.0)
        {
            // Few decades: 2 and 5 times each decade are labelled as well.
            for (const int multiple : {1, 2, 5})
            {
                if (multiple != 1 && !fewDecades)
                    continue;
                const double value = decade * multiple;
                if (value < yMin * (1.0 - kLogTolerance) || value > yMax * (1.0 + kLogTolerance))
                    continue;
                gridLine(value, multiple == 1 ? decadePen : gridPen, FormatAxisNumber(value, value / 10.0));
            }
        }
    }
    else if (yMax > yMin)
    {
        double step = 0.0, first = 0.0, last = 0.0;
        NiceGridStep(yMin, yMax, 13, &step, &first, &last);
        if (step > 0.0)
        {
            if (height > 400)
                step /= 2.0;
            for (const int limit : {180, 90, 45})
                if (height < limit)
                    step *= 2.0;
            first = std::ceil(yMin / step - kLogTolerance) * step;
            last = std::floor(yMax / step + kLogTolerance) * step;
            const int decimals = YLabelDecimals(step, first, last);
            for (int k = 0; first + k * step <= last + step * kLogTolerance && k < 1000; ++k)
            {
                double value = first + k * step;
                if (std::fabs(value) < step * kLogTolerance)
                    value = 0.0;
                gridLine(value, gridPen, platform::FormatC("%.*f", decimals, value));
            }
        }
    }

    canvas.SetFont(kTitleFont);
    canvas.SetTextBackground(labelBackground);
    const int titleWidth = canvas.TextWidth(title);
    const int titleX = right ? m_rcWindow.right - kSideTitleRoom + 2 : m_rcWindow.left + 4;
    canvas.DrawRotatedText(title, titleX, (m_nPlotTop + m_nPlotBottom + titleWidth) / 2, 90.0);
}
