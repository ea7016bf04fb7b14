// CPlot: curve queries, values at an x position, display units, pixel mapping and y scaling.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "common/Log10.h"
#include "display/Plot.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kLabelChannel = 0;
constexpr int kLabelMath = 1;
constexpr int kLabelOverlay = 2;
constexpr int kOverlayCount = 10;
constexpr int kTextOverlay = 1000336;

// Added before rounding up an index so that an x a hair past a bin still counts as past it.
constexpr double kIndexTolerance = 1e-6;
// Float values read back from PixelToValue land within this of the pixel they came from; such a
// value maps to that pixel and not to the one before it.
constexpr double kPixelSnap = 1e-3;
// Pixels far outside any window; keeps a wild value from overflowing the integer pixel.
constexpr double kPixelLimit = 1e8;

// Truncation towards zero, as the painter's integer pixels take it.
int TruncatePixel(double pixel)
{
    if (std::isnan(pixel))
        return 0;
    pixel = std::clamp(pixel, -kPixelLimit, kPixelLimit);
    const double nearest = std::round(pixel);
    if (std::fabs(pixel - nearest) < kPixelSnap)
        return static_cast<int>(nearest);
    return static_cast<int>(std::trunc(pixel));
}

// An index from a position that may be anything, kept inside -1..limit before conversion.
int ClampIndex(double position, int limit)
{
    if (std::isnan(position))
        return 0;
    return static_cast<int>(std::clamp(position, -1.0, static_cast<double>(limit)));
}

}  // namespace

std::string GetCurveLabel(int n, int kind)
{
    if (kind == kLabelChannel && n >= 0 && n < CPlot::kMaxChannels)
        return platform::FormatC("Ch#%i", n + 1);
    if (kind == kLabelMath)
    {
        static constexpr const char* kMathLabels[] = {"MAX", "MIN", "AVG"};
        if (n >= 0 && n < 3)
            return kMathLabels[n];
        return {};
    }
    if (kind == kLabelOverlay && n >= 0 && n < kOverlayCount)
        return platform::FormatC("%s %i", GetText(kTextOverlay).c_str(), n + 1);
    return {};
}

int CPlot::GetCurveCount() const
{
    if (m_nMathMode == kMathAlone)
        return 1;
    int count = 0;
    const int channels = ChannelCount();
    for (int c = 0; c < channels; ++c)
        count += m_abDisplayed[static_cast<std::size_t>(c)] == 1 ? 1 : 0;
    return count + (m_nMathMode == kMathWithChannels ? 1 : 0);
}

int CPlot::GetCurveChannel(int curve) const
{
    if (m_nMathMode == kMathAlone || curve < 0)
        return -1;
    const int channels = ChannelCount();
    int n = 0;
    for (int c = 0; c < channels; ++c)
    {
        if (m_abDisplayed[static_cast<std::size_t>(c)] != 1)
            continue;
        if (n == curve)
            return c;
        ++n;
    }
    // Past the channels: the math curve, or nothing.
    return -1;
}

int CPlot::GetCurveOfChannel(int channel) const
{
    if (channel > kLastChannelNumber)
    {
        if (m_nMathMode == kMathAlone || m_nMathMode == kMathWithChannels)
            return GetCurveCount() - 1;
        return -1;
    }
    if (channel < 0 || channel >= ChannelCount())
        return -1;
    int count = 0;
    for (int c = 0; c <= channel; ++c)
        count += m_abDisplayed[static_cast<std::size_t>(c)] == 1 ? 1 : 0;
    return count - 1;
}

CPlot::CurveSource CPlot::GetChannelSource(int channel) const
{
    // The owner's arrays hold m_nChannels channels; a channel past them has no data.
    if (channel < 0 || channel >= ChannelCount())
        return {};
    const int points = GetPointCount();
    if (m_pData != nullptr)
        return {m_pData + static_cast<std::ptrdiff_t>(channel) * StrideOf(), points};
    const float* data = m_arrChannelData[static_cast<std::size_t>(channel)];
    if (data == nullptr)
        return {};
    return {data, points};
}

const float* CPlot::GetChannelData(int channel) const
{
    return GetChannelSource(channel).data;
}

CPlot::CurveSource CPlot::GetCurveSource(int curve) const
{
    if (curve < 0 || curve >= GetCurveCount())
        return {};
    const int channel = GetCurveChannel(curve);
    if (channel >= 0)
    {
        if (InternalXTableInUse())
        {
            const std::size_t start = static_cast<std::size_t>(channel) * kInternalChannelSize;
            return {m_afChannelCopies.data() + start, std::min(GetPointCount(), kInternalChannelSize)};
        }
        return GetChannelSource(channel);
    }
    // The math curve.
    if (m_nMathFunction == kMathMaximum || m_nMathFunction == kMathMinimum)
        return {m_afMathCurve.data(), std::min(GetPointCount(), static_cast<int>(m_afMathCurve.size()))};
    if (m_nMathFunction == kMathAverage && m_pMathAverageData != nullptr)
    {
        // The average block follows the channel layout; its row is the first displayed channel's.
        int first = -1;
        const int channels = ChannelCount();
        for (int c = 0; c < channels && first < 0; ++c)
            first = m_abDisplayed[static_cast<std::size_t>(c)] == 1 ? c : -1;
        if (first < 0)
            first = 0;
        return {m_pMathAverageData + static_cast<std::ptrdiff_t>(first) * StrideOf(), GetPointCount()};
    }
    return {};
}

const float* CPlot::GetCurveData(int curve) const
{
    return GetCurveSource(curve).data;
}

int CPlot::GetCurveMathFunction(int curve) const
{
    if (curve < 0 || curve >= GetCurveCount() || GetCurveChannel(curve) >= 0)
        return -1;
    return m_nMathFunction;
}

const float* CPlot::GetXTable() const
{
    if (InternalXTableInUse())
        return m_afXTable.data();
    return m_pXTable;
}

double CPlot::GetXValue(int index) const
{
    const float* table = GetXTable();
    if (table == nullptr)
        return m_dataRange.m_dXOffset + m_dataRange.m_dXScale * m_dBinWidth * index;
    // An index past the table reads its nearest entry.
    const int size = InternalXTableInUse() ? std::min(m_nXTableCount, kInternalXTableSize) : GetPointCount();
    if (size <= 0)
        return m_dataRange.m_dXOffset;
    index = std::clamp(index, 0, size - 1);
    return m_dataRange.m_dXOffset + m_dataRange.m_dXScale * table[index];
}

float CPlot::GetCurvePoint(int curve, int index) const
{
    const CurveSource source = GetCurveSource(curve);
    if (source.data == nullptr || index < 0 || index >= source.length)
        return 0.0f;
    return source.data[index];
}

double CPlot::GetCurveDisplayValue(int curve, int index) const
{
    const CurveSource source = GetCurveSource(curve);
    if (source.data == nullptr || index < 0 || index >= source.length)
        return 0.0;
    return ToDisplayValue(source.data[index]);
}

std::string CPlot::GetCurveName(int curve) const
{
    if (curve < 0 || curve >= GetCurveCount())
        return {};
    const int channel = GetCurveChannel(curve);
    if (channel >= 0)
        return GetCurveLabel(channel, kLabelChannel);
    return GetCurveLabel(m_nMathFunction, kLabelMath);
}

bool CPlot::GetCurveStyle(int curve, CCurveStyle& style) const
{
    if (curve < 0 || curve >= GetCurveCount())
        return false;
    const int channel = GetCurveChannel(curve);
    style.CopyFrom(channel >= 0 ? m_arrStyles[static_cast<std::size_t>(channel)] : m_mathStyle);
    return true;
}

bool CPlot::SetCurveStyle(int curve, const CCurveStyle& style)
{
    if (curve < 0 || curve >= GetCurveCount())
        return false;
    const int channel = GetCurveChannel(curve);
    (channel >= 0 ? m_arrStyles[static_cast<std::size_t>(channel)] : m_mathStyle).CopyFrom(style);
    return true;
}

std::span<float> CPlot::GetChannelCopy(int channel)
{
    if (channel < 0 || channel >= kMaxChannels)
        return {};
    return std::span<float>(m_afChannelCopies)
        .subspan(static_cast<std::size_t>(channel) * kInternalChannelSize, kInternalChannelSize);
}

double CPlot::InterpolateAt(double x, std::span<const float> reducedValues) const
{
    const int columns = std::min(
        {m_nColumnCount, static_cast<int>(m_arrColumns.size()), static_cast<int>(reducedValues.size())});
    if (columns <= 0)
        return 0.0;
    if (!(x >= m_viewRange.m_dXMin && x <= m_viewRange.m_dXMax))
        return 0.0;
    PlotPoint point;
    ValueToPixel(&point, x, m_viewRange.m_dYMin);
    const int px = point.x;

    int column = columns - 1;
    for (int i = 0; i < columns; ++i)
    {
        if (m_arrColumns[static_cast<std::size_t>(i)].x >= px)
        {
            column = i;
            break;
        }
    }
    double value = ToDisplayValue(reducedValues[static_cast<std::size_t>(column)]);
    if (column > 0)
    {
        const double x0 = m_arrColumns[static_cast<std::size_t>(column - 1)].x;
        const double x1 = m_arrColumns[static_cast<std::size_t>(column)].x;
        const double v0 = ToDisplayValue(reducedValues[static_cast<std::size_t>(column - 1)]);
        if (x1 != x0)
        {
            const double fraction = std::clamp((px - x0) / (x1 - x0), 0.0, 1.0);
            value = v0 + (value - v0) * fraction;
        }
    }
    return std::max(value, m_viewRange.m_dYMin);
}

double CPlot::GetChannelValueAt(double x, int channel) const
{
    if (channel < 0 || channel >= kMaxChannels)
        return 0.0;
    return InterpolateAt(x, m_arrReducedValues[static_cast<std::size_t>(channel)]);
}

double CPlot::GetCurveValueAt(int curve, double x) const
{
    if (curve < 0 || curve >= GetCurveCount())
        return 0.0;
    const int channel = GetCurveChannel(curve);
    if (channel >= 0)
        return GetChannelValueAt(x, channel);
    return InterpolateAt(x, m_arrReducedValues[kMathSlot]);
}

double CPlot::GetMarkerValue(int marker, int channel) const
{
    if (!m_bFrequencyMarkers || m_pFrequencyMarkers == nullptr || marker < 0 || marker >= m_nFrequencyMarkers)
        return 0.0;
    return GetChannelValueAt(static_cast<float>(m_pFrequencyMarkers[marker]), channel);
}

double CPlot::ToDisplayValue(float raw) const
{
    if (m_dataRange.m_bDecibel)
    {
        // No level has a logarithm at or below zero: such a value reads as the smallest one that has.
        const float positive = raw > FLT_MIN ? raw : FLT_MIN;
        return FastLog10(positive) * m_dataRange.m_dLogFactor + m_dataRange.m_dLogOffset;
    }
    return raw * m_dataRange.m_dLinearScale + m_dataRange.m_dLinearOffset;
}

double CPlot::FromDisplayValue(double display) const
{
    if (m_dataRange.m_bDecibel)
    {
        if (m_dataRange.m_dLogFactor == 0.0)
            return 0.0;
        return std::pow(10.0, (display - m_dataRange.m_dLogOffset) / m_dataRange.m_dLogFactor);
    }
    if (m_dataRange.m_dLinearScale == 0.0)
        return 0.0;
    return (display - m_dataRange.m_dLinearOffset) / m_dataRange.m_dLinearScale;
}

void CPlot::ValueToPixel(PlotPoint* point, double x, double y) const
{
    if (point == nullptr)
        return;
    const CPlotRange& view = m_viewRange;
    const double width = m_nPlotRight - m_nPlotLeft;
    const double height = m_nPlotBottom - m_nPlotTop;

    double px = m_nPlotLeft;
    if (view.m_bXLog)
    {
        if (x > 0.0 && view.m_dXMin > 0.0)
            px = m_nPlotLeft + m_dXPixelsPerDecade * std::log10(x / view.m_dXMin);
    }
    else if (view.m_dXMax != view.m_dXMin)
    {
        px = m_nPlotLeft + (x - view.m_dXMin) * width / (view.m_dXMax - view.m_dXMin);
    }
    point->x = std::clamp(TruncatePixel(px), std::min(m_nPlotLeft, m_nPlotRight),
                          std::max(m_nPlotLeft, m_nPlotRight));

    double py = m_nPlotBottom;
    if (view.m_bYLog)
    {
        if (y > 0.0 && view.m_dYMin > 0.0)
            py = m_nPlotBottom - m_dYPixelsPerDecade * std::log10(y / view.m_dYMin);
        else
            py = m_nPlotBottom + kPixelLimit;  // no logarithm: far below the plot
    }
    else if (view.m_dYMax != view.m_dYMin)
    {
        py = m_nPlotBottom - height * (y - view.m_dYMin) / (view.m_dYMax - view.m_dYMin);
    }
    point->y = TruncatePixel(py);
}

void CPlot::PixelToValue(const PlotPoint& point, float* x, float* y) const
{
    const CPlotRange& view = m_viewRange;
    const double width = m_nPlotRight - m_nPlotLeft;
    const double height = m_nPlotBottom - m_nPlotTop;
    double vx = view.m_dXMin;
    if (view.m_bXLog)
    {
        if (m_dXPixelsPerDecade != 0.0)
            vx = view.m_dXMin * std::pow(10.0, (point.x - m_nPlotLeft) / m_dXPixelsPerDecade);
    }
    else if (width != 0.0)
    {
        vx = view.m_dXMin + (point.x - m_nPlotLeft) / width * (view.m_dXMax - view.m_dXMin);
    }
    double vy = view.m_dYMin;
    if (view.m_bYLog)
    {
        if (m_dYPixelsPerDecade != 0.0)
            vy = view.m_dYMin * std::pow(10.0, (m_nPlotBottom - point.y) / m_dYPixelsPerDecade);
    }
    else if (height != 0.0)
    {
        vy = view.m_dYMin + (m_nPlotBottom - point.y) / height * (view.m_dYMax - view.m_dYMin);
    }
    if (x != nullptr)
        *x = static_cast<float>(vx);
    if (y != nullptr)
        *y = static_cast<float>(vy);
}

void CPlot::GetVisibleIndexRange(int* first, int* last, const float* xTable) const
{
    int points = GetPointCount();
    if (xTable != nullptr && xTable == m_afXTable.data())
        points = std::min(points, std::clamp(m_nXTableCount, 0, kInternalXTableSize));
    int a = 0;
    int b = 0;
    if (points > 0)
    {
        const CPlotRange& data = m_dataRange;
        if (xTable == nullptr)
        {
            const double perIndex = m_dBinWidth * data.m_dXScale;
            if (perIndex != 0.0 && std::isfinite(perIndex))
            {
                a = ClampIndex(
                    std::ceil((m_viewRange.m_dXMin - data.m_dXOffset) / perIndex + kIndexTolerance), points);
                b = ClampIndex(
                    std::ceil((m_viewRange.m_dXMax - data.m_dXOffset) / perIndex + kIndexTolerance), points);
            }
            else
            {
                // Without a distance between points every point lies in view.
                a = 0;
                b = points - 1;
            }
        }
        else
        {
            const auto xOf = [&](int i) { return data.m_dXOffset + data.m_dXScale * xTable[i]; };
            a = points - 1;
            for (int i = 0; i < points; ++i)
            {
                if (xOf(i) >= m_viewRange.m_dXMin)
                {
                    a = i;
                    break;
                }
            }
            b = 0;
            for (int i = points - 1; i >= 0; --i)
            {
                if (xOf(i) <= m_viewRange.m_dXMax)
                {
                    b = i;
                    break;
                }
            }
        }
        b = std::clamp(b, 0, points - 1);
        a = std::clamp(a, 0, points - 1);
    }
    if (first != nullptr)
        *first = a;
    if (last != nullptr)
        *last = b;
}

void CPlot::AutoScaleY(double* yMin, double* yMax)
{
    ApplySettings();
    if (yMin == nullptr || yMax == nullptr)
        return;
    const int curves = GetCurveCount();
    for (int curve = 0; curve < curves; ++curve)
    {
        if (GetCurveSource(curve).data == nullptr)
            return;
    }
    double a = 1e38;
    double b = -1e38;
    bool found = false;
    const auto lock = LockDisplay();
    for (int curve = 0; curve < curves; ++curve)
    {
        const CurveSource source = GetCurveSource(curve);
        for (int i = 0; i < source.length; ++i)
        {
            const double x = GetXValue(i);
            if (x < m_viewRange.m_dXMin || x > m_viewRange.m_dXMax)
                continue;
            const double value = ToDisplayValue(source.data[i]);
            if (std::isnan(value))
                continue;
            a = std::min(a, value);
            b = std::max(b, value);
            found = true;
        }
    }
    if (!found)
        return;
    if (m_viewRange.m_bYLog)
    {
        *yMax = b * 1.2;
        *yMin = a * 0.8333333333333334;
    }
    else
    {
        *yMax = b + 0.1 * (b - a);
        *yMin = a - 0.1 * (b - a);
    }
}
