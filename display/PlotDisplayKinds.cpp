// The plot's other pictures: the sonagram (recorded and live), the polar diagram and the
// vectorscope.
#include <algorithm>
#include <cmath>

#include "display/ColorMap.h"
#include "display/Plot.h"

namespace
{

// The stretching mode of the recorded picture.
constexpr int kStretchFlags = 4096;
// The colour scale beside the picture: a strip of this width at each edge.
constexpr int kScaleWidth = 8;
constexpr int kScaleOffset = 5;

}  // namespace

// Sonagram -------------------------------------------------------------------------------------

void CPlot::DrawSonagram(gfx::Canvas& canvas)
{
    const int width = std::max(0, m_nPlotRight - m_nPlotLeft);
    const int height = std::max(0, m_nPlotBottom - m_nPlotTop);
    if (width != m_sonagram.GetWidth() || height != m_sonagram.GetHeight())
        m_sonagram.SetSize(width, height, m_nColorMode);
    m_sonagram.m_rect = {m_nPlotLeft, m_nPlotTop, m_nPlotRight, m_nPlotBottom};
    if (m_pSonagramSamples != nullptr && m_nSonagramSamples > 0)
        DrawRecordedSonagram(canvas);
    else
        DrawLiveSonagram(canvas);
    DrawSonagramScale(canvas);
}

void CPlot::DrawRecordedSonagram(gfx::Canvas& canvas)
{
    m_sonagram.m_pSamples = m_pSonagramSamples;
    m_sonagram.m_nSampleCount = m_nSonagramSamples;
    m_sonagram.m_dSampleRate = m_dSonagramRate;
    const CSonagram::Params current = m_sonagram.CurrentParams();
    if (!CSonagram::ParamsEqual(current, m_sonagramKept))
        m_sonagram.Compute();
    m_sonagramKept = current;
    if (!m_drawDib.IsOpen())
        m_drawDib.Open();
    m_drawDib.Draw(m_sonagram.GetDib(), canvas, m_nPlotLeft, m_nPlotTop, m_nPlotRight - m_nPlotLeft,
                   m_nPlotBottom - m_nPlotTop, kStretchFlags);
}

void CPlot::DrawLiveSonagram(gfx::Canvas& canvas)
{
    // A recorded picture that was shown before is not the live one.
    m_sonagramKept = CSonagram::Params{};
    const int extent = m_sonagram.GetLineLength();
    std::vector<std::uint8_t>& line = m_abySonagramLine;
    line.assign(static_cast<std::size_t>(std::max(0, extent)), 0);
    const int channel = m_nFirstDisplayed >= 0 ? m_nFirstDisplayed : 0;
    const float* data = GetChannelData(channel);
    const int points = GetPointCount();
    const double binWidth = m_dBinWidth * m_dataRange.m_dXScale;
    const double fMin = m_viewRange.m_dXMin;
    const double fMax = m_viewRange.m_dXMax;
    const double yMin = m_viewRange.m_dYMin;
    const double yMax = m_viewRange.m_dYMax;
    const bool logarithmic = m_viewRange.m_bXLog && fMin > 0.0 && fMax > fMin;
    if (data != nullptr && points > 0 && extent > 0 && binWidth > 0.0 && fMax > fMin && yMax != yMin)
    {
        const auto lock = LockDisplay();
        const int first = std::max(0, static_cast<int>(std::floor(fMin / binWidth)));
        const int last = std::min(static_cast<int>(std::ceil(fMax / binWidth + 1.0)), points - 1);
        int previousEnd = 0;
        int previousIndex = -1;
        for (int bin = first; bin <= last; ++bin)
        {
            const double f = std::clamp(bin * binWidth, fMin, fMax);
            const double position = logarithmic ? std::log10(f / fMin) / std::log10(fMax / fMin) * extent
                                                : (f - fMin) * extent / (fMax - fMin);
            const int end = std::clamp(static_cast<int>(position), 0, extent - 1);
            const double level = ToDisplayValue(data[bin]);
            const double scaled = (level - yMin) * 255.0 / (yMax - yMin);
            const int index = scaled > 0.0 ? (scaled < 255.0 ? static_cast<int>(scaled) : 255) : 0;
            if (previousIndex < 0)
            {
                // Up to the first bin's pixel the line takes its colour.
                for (int p = 0; p <= end; ++p)
                    line[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(index);
            }
            else if (end > previousEnd)
            {
                // The colour ramps from the previous bin's pixel to this bin's pixel.
                for (int p = previousEnd + 1; p <= end; ++p)
                    line[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(
                        previousIndex + (index - previousIndex) * (p - previousEnd) / (end - previousEnd));
            }
            else
            {
                // Several bins on one pixel: the pixel shows the strongest.
                line[static_cast<std::size_t>(end)] =
                    std::max(line[static_cast<std::size_t>(end)], static_cast<std::uint8_t>(index));
            }
            previousEnd = std::max(previousEnd, end);
            previousIndex = line[static_cast<std::size_t>(end)];
        }
        for (int p = previousEnd + 1; p < extent; ++p)
            line[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(std::max(previousIndex, 0));
    }
    m_sonagram.AddLiveLine(line, m_bHold != 0);
    if (!m_drawDib.IsOpen())
        m_drawDib.Open();
    m_drawDib.Draw(m_sonagram.GetDib(), canvas, m_nPlotLeft, m_nPlotTop, m_nPlotRight - m_nPlotLeft,
                   m_nPlotBottom - m_nPlotTop, kStretchFlags);
}

void CPlot::DrawSonagramScale(gfx::Canvas& canvas)
{
    // The colour scale: index 0 at the bottom to 255 at the top, a strip at each edge.
    const int span = m_nPlotBottom - m_nPlotTop;
    if (span > 0)
    {
        const auto& table = m_sonagram.GetColorTable();
        std::vector<std::uint32_t>& strip = m_anSonagramScale;
        strip.resize(static_cast<std::size_t>(span + 1));
        for (int j = 0; j <= span; ++j)
            strip[static_cast<std::size_t>(j)] =
                table[static_cast<std::size_t>(std::clamp(j * 255 / span, 0, 255))];
        canvas.DrawPixels(strip, 1, span + 1,
                          {m_nPlotLeft - kScaleOffset, m_nPlotTop, m_nPlotLeft - kScaleOffset + kScaleWidth,
                           m_nPlotBottom + 1});
        canvas.DrawPixels(strip, 1, span + 1,
                          {m_nPlotRight - kScaleWidth, m_nPlotTop, m_nPlotRight, m_nPlotBottom + 1});
    }
    DrawLevelBars(canvas);
    if (GetCurveCount() > 0)
        ComputeCurveStats(std::clamp(m_nActiveCurve, 0, GetCurveCount() - 1));

    // The level under the mouse, read from the colour index of the picture's pixel there.
    const int x = std::clamp(m_ptMouse.x, m_nPlotLeft, m_nPlotRight);
    const int y = std::clamp(m_ptMouse.y, m_nPlotTop, m_nPlotBottom);
    const int index = m_sonagram.IndexAt(x - m_nPlotLeft, y - m_nPlotTop);
    m_dCursorY = m_viewRange.m_dYMin + (m_viewRange.m_dYMax - m_viewRange.m_dYMin) * index / 256.0;
    float fx = 0.0f;
    float fy = 0.0f;
    PixelToValue(PlotPoint{x, y}, &fx, &fy);
    m_dCursorX = std::clamp(static_cast<double>(fx), m_viewRange.m_dXMin, m_viewRange.m_dXMax);
}

// Polar ----------------------------------------------------------------------------------------

void CPlot::PreparePolar()
{
    m_polar.m_pAngles = m_pPolarAngles;
    const int curve = m_nFirstDisplayed >= 0 ? m_nFirstDisplayed : 0;
    m_polar.m_pValues = GetChannelData(curve);
    m_polar.m_nCount = GetPointCount();
    m_polar.m_nCurveCount = std::max(1, std::min(m_nDisplayedCount, ChannelCount() - curve));
    m_polar.m_dLevelMin = m_viewRange.m_dYMin;
    m_polar.m_dLevelMax = m_viewRange.m_dYMax;
    m_polar.m_bLogarithmic = m_dataRange.m_bDecibel ? 1 : 0;
    m_polar.m_dLogFactor = m_dataRange.m_dLogFactor;
    m_polar.m_dLogOffset = m_dataRange.m_dLogOffset;
    m_polar.m_nFontHeight = m_nLabelFontPixels;
    m_polar.m_pColorScheme = &m_colorScheme;
}

// Vectorscope ----------------------------------------------------------------------------------

void CPlot::DrawVectorscope(gfx::Canvas& canvas)
{
    CVectorscopeImage& image = m_vectorscopeImage;
    image.m_dDecay = m_vectorscope.decay;
    image.m_nDepth = std::clamp(m_vectorscope.depth, 0, CVectorscopeImage::kMaxDepth);
    image.m_nLineMode = m_vectorscope.style == 1 ? 1 : 0;
    switch (m_vectorscope.rotation)
    {
        case 1:
            image.m_dRotation = 45.0;
            break;
        case 2:
            image.m_dRotation = -45.0;
            break;
        case 3:
            image.m_dRotation = m_vectorscope.freeAngle;
            break;
        default:
            image.m_dRotation = 0.0;
            break;
    }
    image.m_background = m_colorScheme.GetColor(CColorScheme::RolePlotBackground);
    const gfx::Pen grid = PenOf(m_gridStyle);
    image.m_gridPen = grid;
    const int first = m_nFirstDisplayed >= 0 ? m_nFirstDisplayed : 0;
    const int second = m_nSecondDisplayed >= 0 ? m_nSecondDisplayed : -1;
    const auto lock = LockDisplay();
    image.Draw(canvas, m_nPlotLeft, m_nPlotTop, m_nPlotRight, m_nPlotBottom, GetChannelData(first),
               second >= 0 ? GetChannelData(second) : nullptr, GetPointCount());
}
