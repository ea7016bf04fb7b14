// The plot's paint: the cached frame, the column layout and reduction of the channel data, and the
// curves drawn over the frame on one off-screen image per paint.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "display/ColorMap.h"
#include "display/CurveMarkers.h"
#include "display/Plot.h"
#include "display/ThreeDWindow.h"
#include "display/WaterfallScene.h"
#include "texts/TextTable.h"

namespace
{

// Fonts of the frame texts.
const gfx::Font kTitleFont{"Arial", 16, true};
constexpr int kTitleTop = 31;
constexpr int kTitleLine = 20;
// The x title while the sonagram shows time along x.
constexpr int kTextTime = 1000031;

// Above this many columns only the middle columns are reduced (the reduced-value buffer ends
// there).
constexpr int kMaxReducedColumns = CPlot::kReducedValueCount + 1;
// The first displayed channel may name the math curve or one of the extended channels.
constexpr int kHighestFirstChannel = 128;
// Minimum distance of two column pixels.
constexpr int kColumnSpacing = 2;
// Half size of the symbol drawn at every point in the markers-at-points mode.
constexpr int kPointMarkerHalfSize = 4;

gfx::Pen ToPen(const PenDescription& pen)
{
    return gfx::Pen{pen.color, pen.width, static_cast<gfx::PenStyle>(std::clamp(pen.style, 0, 5))};
}

// Draws the stored traces of a curve on a canvas.
class CanvasTracePainter : public TracePainter
{
public:
    explicit CanvasTracePainter(gfx::Canvas& canvas) : m_canvas(canvas) {}
    void Polyline(std::span<const TracePoint> points, COLORREF color, int width) override
    {
        m_points.resize(points.size());
        for (std::size_t i = 0; i < points.size(); ++i)
            m_points[i] = gfx::Point{points[i].x, points[i].y};
        m_canvas.SetPen(gfx::Pen{color, width, gfx::PenStyle::Solid});
        m_canvas.Polyline(m_points);
    }

private:
    gfx::Canvas& m_canvas;
    std::vector<gfx::Point> m_points;
};

void PushTrace(CTraceHistory& history, std::span<const gfx::Point> points)
{
    std::vector<TracePoint> copy(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        copy[i] = TracePoint{points[i].x, points[i].y};
    history.Push(std::span<const TracePoint>(copy));
}

// The smallest (upper false) or largest value of a run as std::min_element / std::max_element
// would find it, in independent lanes that the compiler can keep in vector registers: a NaN
// counts only where it opens the run, and a zero result is the first zero of the run with its sign.
float Extreme(const float* run, int count, bool upper)
{
    if (std::isnan(run[0]))
        return run[0];
    constexpr int kLanes = 8;
    std::array<float, kLanes> lanes;
    lanes.fill(run[0]);
    int i = 1;
    if (upper)
    {
        for (; i + kLanes <= count; i += kLanes)
            for (int k = 0; k < kLanes; ++k)
                lanes[k] = run[i + k] > lanes[k] ? run[i + k] : lanes[k];
    }
    else
    {
        for (; i + kLanes <= count; i += kLanes)
            for (int k = 0; k < kLanes; ++k)
                lanes[k] = run[i + k] < lanes[k] ? run[i + k] : lanes[k];
    }
    float best = lanes[0];
    for (int k = 1; k < kLanes; ++k)
        best = (upper ? lanes[k] > best : lanes[k] < best) ? lanes[k] : best;
    for (; i < count; ++i)
        best = (upper ? run[i] > best : run[i] < best) ? run[i] : best;
    if (best == 0.0f)
        return *std::find(run, run + count, 0.0f);
    return best;
}

// The reduction of one column's run of values.
struct Reducer
{
    int mode = 0;
    // The last value chosen for a column of more than one point (envelope mode).
    float previous = 0.0f;

    float operator()(const float* run, int count)
    {
        if (count <= 0)
            return 0.0f;
        switch (mode)
        {
            case 0:
            {
                float best = run[0];
                for (int i = 1; i < count; ++i)
                    if (std::fabs(run[i]) > std::fabs(best))
                        best = run[i];
                return best;
            }
            case 1:
            {
                double sum = 0.0;
                for (int i = 0; i < count; ++i)
                    sum += run[i];
                return static_cast<float>(sum / count);
            }
            case 2:
            {
                const auto [lo, hi] = std::minmax_element(run, run + count);
                const float value = std::fabs(*hi - previous) >= std::fabs(*lo - previous) ? *hi : *lo;
                if (count > 1)
                    previous = value;
                return value;
            }
            case 4:
                return Extreme(run, count, false);
            case 5:
                return Extreme(run, count, true);
            case 6:
            {
                double sum = 0.0;
                for (int i = 0; i < count; ++i)
                    sum += run[i];
                return static_cast<float>(sum);
            }
            default:
                return 0.0f;
        }
    }
};

}  // namespace

gfx::Pen CPlot::PenOf(CCurveStyle& style)
{
    if (!style.m_pen)
        style.CreatePen();
    return ToPen(*style.m_pen);
}

void CPlot::Draw(gfx::Canvas& target, int left, int top, int right, int bottom)
{
    if (m_nGuard != kGuardWord)
        return;
    const int width = std::max(0, right);
    const int height = std::max(0, bottom);
    if (m_bFrameDirty || m_nFrameRedraws > 0 || !m_pFrameCache)
    {
        m_pFrameCache = target.CreateImage(width, height);
        m_pFrameCache->FillRect({0, 0, width, height}, 0xFFFFFF);
        DrawFrame(*m_pFrameCache, left, top, right, bottom);
        m_bFrameDirty = 0;
        if (m_nFrameRedraws > 0)
            --m_nFrameRedraws;
    }
    const PlotRect window{left, top, right, bottom};
    if (!(window == m_rcRemembered) || !m_pSecondCache)
    {
        m_rcRemembered = window;
        m_pSecondCache = target.CreateImage(width, height);
        m_pSecondCache->DrawImage(*m_pFrameCache, 0, 0);
        m_dib.Create(m_nPlotRight - m_nPlotLeft + 1, m_nPlotBottom - m_nPlotTop + 1);
        m_sonagram.SetSize(m_nPlotRight - m_nPlotLeft, m_nPlotBottom - m_nPlotTop, m_nColorMode);
    }
    std::unique_ptr<gfx::Canvas> image = target.CreateImage(width, height);
    image->DrawImage(*m_pFrameCache, 0, 0);
    DrawCurves(*image, left, top, right, bottom);
    if (right - left > 0)
        target.DrawImage(*image, 0, 0);
}

void CPlot::DrawFrame(gfx::Canvas& canvas, int left, int top, int right, int bottom)
{
    // The sonagram takes a side axis right of its picture.
    m_bSideAxis = m_bSonagram ? 1 : 0;
    SetPlotArea(left, top, right, bottom);
    const gfx::Color frame = m_colorScheme.GetColor(CColorScheme::RoleFrameBackground);
    canvas.FillRect({left, top, right, m_nPlotTop}, frame);
    canvas.FillRect({left, m_nPlotBottom, right, bottom}, frame);
    canvas.FillRect({left, m_nPlotTop, m_nPlotLeft, m_nPlotBottom}, frame);
    canvas.FillRect({m_nPlotRight, m_nPlotTop, right, m_nPlotBottom}, frame);
    canvas.FillRect({m_nPlotLeft, m_nPlotTop, m_nPlotRight, m_nPlotBottom},
                    m_colorScheme.GetColor(CColorScheme::RolePlotBackground));
    canvas.SetTextBackground(frame);
    canvas.SetTextColor(m_colorScheme.GetColor(CColorScheme::RoleText));

    // The sonagram takes the current ranges: frequency along x, level along y.
    m_sonagram.m_frequency.m_dValue1 = m_viewRange.m_dXMin;
    m_sonagram.m_frequency.m_dValue2 = m_viewRange.m_dXMax;
    m_sonagram.m_frequency.m_nValue2 = m_viewRange.m_bXLog ? 1 : 0;
    m_sonagram.m_level.m_dValue1 = m_viewRange.m_dYMin;
    m_sonagram.m_level.m_dValue2 = m_viewRange.m_dYMax;
    m_sonagram.m_anCopied = {GetPointCount(), m_nColorMode, m_dataRange.m_bDecibel};

    if (m_bPolar)
    {
        PreparePolar();
        m_polar.Draw(canvas, {m_nPlotLeft, m_nPlotTop, m_nPlotRight, m_nPlotBottom});
        if (m_fnBackgroundHook)
            m_fnBackgroundHook(canvas);
        return;
    }

    // A new frame may bring new ranges: the 3D window reads them again before its next row.
    if ((m_waterfall.m_bLive || m_waterfall.m_bTimeSignal) && g_p3DWindow != nullptr)
    {
        std::lock_guard lock(g_p3DWindow->Scene().m_mutex);
        g_p3DWindow->Scene().m_bAxesValid = 0;
    }

    DrawXAxis(canvas);
    DrawYAxes(canvas);

    // The frame, from the bottom right up, left, down and back.
    canvas.SetPen(gfx::Pen{0x000000, 2, gfx::PenStyle::Solid});
    canvas.MoveTo(m_nPlotRight, m_nPlotBottom);
    canvas.LineTo(m_nPlotRight, m_nPlotTop);
    canvas.LineTo(m_nPlotLeft, m_nPlotTop);
    canvas.LineTo(m_nPlotLeft, m_nPlotBottom);
    canvas.LineTo(m_nPlotRight, m_nPlotBottom);

    canvas.SetPen(gfx::Pen{0, 1, gfx::PenStyle::Null});
    canvas.SetTextBackground(frame);
    canvas.SetFont(kTitleFont);
    // The title's text starts 31 pixels above the window bottom; the box is one line high.
    const std::string xTitle =
        m_bSonagram && m_sonagram.m_nOrientation == 1 ? GetText(kTextTime) + " [s]" : m_strXTitle;
    canvas.DrawText(xTitle, {m_nPlotLeft, bottom - kTitleTop, m_nPlotRight, bottom - kTitleTop + kTitleLine},
                    gfx::Align::Centre);

    if (m_fnBackgroundHook)
        m_fnBackgroundHook(canvas);
}

void CPlot::BuildColumns(int first, int last)
{
    const int capacity = m_nLayoutCapacity;
    if (static_cast<int>(m_arrColumns.size()) < capacity)
        m_arrColumns.resize(static_cast<std::size_t>(capacity));
    if (static_cast<int>(m_anColumnCounts.size()) < capacity)
        m_anColumnCounts.resize(static_cast<std::size_t>(capacity), 0);
    m_nColumnCount = 0;
    if (capacity < 2)
        return;

    // A linear axis without an x table maps indices to pixels by one line; the rest asks the
    // plot's mapping for each point.
    const CPlotRange& view = m_viewRange;
    const bool direct = !view.m_bXLog && GetXTable() == nullptr && view.m_dXMax != view.m_dXMin;
    const double perIndex = m_dBinWidth * m_dataRange.m_dXScale;
    const double scale = (m_nPlotRight - m_nPlotLeft) / (view.m_dXMax - view.m_dXMin);
    const int lo = std::min(m_nPlotLeft, m_nPlotRight);
    const int hi = std::max(m_nPlotLeft, m_nPlotRight);
    const auto pixelOf = [&](int index)
    {
        if (direct)
        {
            const double x = m_dataRange.m_dXOffset + index * perIndex;
            const double px = m_nPlotLeft + (x - view.m_dXMin) * scale;
            if (!(px > lo))
                return lo;
            if (!(px < hi))
                return hi;
            return static_cast<int>(px);
        }
        PlotPoint p;
        ValueToPixel(&p, GetXValue(index), view.m_dYMin);
        return p.x;
    };

    m_arrColumns[0] = PlotPoint{pixelOf(0), 0};
    m_anColumnCounts[0] = 0;
    int columns = 1;
    int lastStart = m_arrColumns[0].x;
    const auto addColumn = [&](int px, int count)
    {
        m_arrColumns[static_cast<std::size_t>(columns)] = PlotPoint{px, 0};
        m_anColumnCounts[static_cast<std::size_t>(columns)] = count;
        lastStart = px;
        ++columns;
    };
    if (direct && perIndex * scale >= 0.0)
    {
        // The pixel never decreases with the index: each column starts at the first index that
        // reaches the next column's pixel, found by a galloping search instead of visiting every
        // point (a zoomed curve of millions of points has about a thousand columns).
        int previous = first - 1;  // the index that started the last column
        int from = first;
        while (from <= last && columns < capacity - 1)
        {
            const int target = lastStart + kColumnSpacing;
            int below = from - 1;  // pixelOf(below) < target, or below precedes the range
            int step = 1;
            int probe = from;
            while (probe <= last && pixelOf(probe) < target)
            {
                below = probe;
                probe = below + std::min(step, last + 1 - below);
                step = std::min(step, (last + 1) / 2 + 1) * 2;
            }
            int at = probe;  // pixelOf(at) >= target, or at is just past the range
            while (at - below > 1)
            {
                const int middle = below + (at - below) / 2;
                if (pixelOf(middle) < target)
                    below = middle;
                else
                    at = middle;
            }
            if (at > last)
                break;
            addColumn(pixelOf(at), at - previous);
            previous = at;
            from = at + 1;
        }
    }
    else
    {
        int pending = 0;
        for (int i = first; i <= last && columns < capacity - 1; ++i)
        {
            const int px = pixelOf(i);
            if (px >= lastStart + kColumnSpacing)
            {
                addColumn(px, pending + 1);
                pending = 0;
            }
            else
            {
                ++pending;
            }
        }
    }
    m_arrColumns[static_cast<std::size_t>(columns)] = PlotPoint{pixelOf(last), 0};
    m_anColumnCounts[static_cast<std::size_t>(columns)] = 0;
    m_nColumnCount = columns + 1;
}

void CPlot::ReduceColumns(std::span<gfx::Point> points, std::span<const float> data, std::span<float> reduced,
                          int columnCount, int first, int last, int mode) const
{
    columnCount = std::min({columnCount, static_cast<int>(points.size()), m_nColumnCount});
    const int n = static_cast<int>(data.size());
    if (columnCount < 2 || n <= 0)
        return;
    first = std::clamp(first, 0, n - 1);
    last = std::clamp(last, 0, n - 1);

    const auto setColumn = [&](int c, float value, bool keepValue)
    {
        if (keepValue && c < static_cast<int>(reduced.size()))
            reduced[static_cast<std::size_t>(c)] = value;
        PlotPoint p;
        ValueToPixel(&p, m_viewRange.m_dXMin, ToDisplayValue(value));
        points[static_cast<std::size_t>(c)].y =
            std::clamp(p.y, std::min(m_nPlotTop, m_nPlotBottom), std::max(m_nPlotTop, m_nPlotBottom));
    };

    const bool ends = columnCount < kMaxReducedColumns;
    if (ends)
    {
        // The value at x min, between the points on either side of it.
        float value = data[0];
        if (first > 0)
        {
            int i0 = first - 1;
            int i1 = first;
            double x0 = GetXValue(i0);
            double x1 = GetXValue(i1);
            if (x1 < m_viewRange.m_dXMin && i1 + 1 < n)
            {
                const double bin = m_dBinWidth * m_dataRange.m_dXScale;
                ++i0;
                ++i1;
                x0 += bin;
                x1 += bin;
            }
            const double t = x1 != x0 ? (m_viewRange.m_dXMin - x0) / (x1 - x0) : 0.0;
            value = static_cast<float>(
                data[static_cast<std::size_t>(i0)] +
                (data[static_cast<std::size_t>(i1)] - data[static_cast<std::size_t>(i0)]) * t);
        }
        setColumn(0, value, true);
    }

    Reducer reduce{mode, 0.0f};
    int index = first;
    for (int c = 1; c < columnCount - 1; ++c)
    {
        const int count =
            std::clamp(m_anColumnCounts[static_cast<std::size_t>(c)], 0, std::max(0, n - index));
        const float value = reduce(data.data() + index, count);
        index += count;
        setColumn(c, value, ends);
    }

    if (ends)
    {
        float value = data[static_cast<std::size_t>(last)];
        if (last + 1 < n)
        {
            const double x0 = GetXValue(last);
            const double x1 = GetXValue(last + 1);
            const double t = x1 != x0 ? std::clamp((m_viewRange.m_dXMax - x0) / (x1 - x0), 0.0, 1.0) : 0.0;
            value = static_cast<float>(
                data[static_cast<std::size_t>(last)] +
                (data[static_cast<std::size_t>(last) + 1] - data[static_cast<std::size_t>(last)]) * t);
        }
        setColumn(columnCount - 1, value, true);
    }
}

void CPlot::DrawCurveMarkers(gfx::Canvas& canvas, std::span<const gfx::Point> points, int marker) const
{
    if (marker <= 0 || points.empty())
        return;
    const double step = (m_nPlotRight - m_nPlotLeft) / 11.0;
    for (int k = 1; k <= 10; ++k)
    {
        const double x = m_nPlotLeft + k * step;
        int y = points.back().y;
        if (x <= points.front().x)
        {
            y = points.front().y;
        }
        else
        {
            for (std::size_t i = 1; i < points.size(); ++i)
            {
                if (points[i].x >= x)
                {
                    const gfx::Point& a = points[i - 1];
                    const gfx::Point& b = points[i];
                    const double t = b.x != a.x ? (x - a.x) / (b.x - a.x) : 0.0;
                    y = static_cast<int>(std::lround(a.y + (b.y - a.y) * t));
                    break;
                }
            }
        }
        DrawMarkerSymbol(canvas, static_cast<int>(x), y, 4, marker);
    }
}

int CPlot::MathSourceChannel() const
{
    // In the math-alone mode the first displayed channel names the math curve itself; its data
    // come from the first channel the owner marked as displayed.
    if (m_nFirstDisplayed >= 0 && m_nFirstDisplayed < kMaxChannels)
        return m_nFirstDisplayed;
    const int channels = std::clamp(m_nChannels, 0, kMaxChannels);
    for (int c = 0; c < channels; ++c)
        if (m_abDisplayed[static_cast<std::size_t>(c)] == 1)
            return c;
    return 0;
}

void CPlot::UpdateMathHold()
{
    const int points = GetPointCount();
    if (points > static_cast<int>(m_afMathCurve.size()))
    {
        m_afMathCurve.assign(static_cast<std::size_t>(points), 0.0f);
        ResetMathCurve();
    }
    if (m_nMathMode == kMathOff)
        return;
    const float* data = GetChannelData(MathSourceChannel());
    if (data == nullptr)
        return;
    if (m_nMathFunction == kMathMaximum)
        for (int i = 0; i < points; ++i)
            m_afMathCurve[static_cast<std::size_t>(i)] =
                std::max(m_afMathCurve[static_cast<std::size_t>(i)], data[i]);
    else if (m_nMathFunction == kMathMinimum)
        for (int i = 0; i < points; ++i)
            m_afMathCurve[static_cast<std::size_t>(i)] =
                std::min(m_afMathCurve[static_cast<std::size_t>(i)], data[i]);
}

void CPlot::PaintCurve(gfx::Canvas& canvas, int slot, const gfx::Pen& pen, int marker, bool layoutDirty)
{
    (void)layoutDirty;
    const std::size_t s = static_cast<std::size_t>(slot);
    canvas.SetPen(pen);
    canvas.SetTextBackground(m_colorScheme.GetColor(CColorScheme::RolePlotBackground));
    const bool minMax = m_nReductionMode == 3;
    const int count = minMax ? 2 * m_nColumnCount : m_nColumnCount;
    std::span<const gfx::Point> line = minMax ? std::span<const gfx::Point>(m_arrMinMaxBuffers[s])
                                              : std::span<const gfx::Point>(m_arrPointBuffers[s]);
    line = line.first(std::min<std::size_t>(line.size(), static_cast<std::size_t>(std::max(0, count))));
    if (line.empty())
        return;
    canvas.MoveTo(line[0].x, line[0].y);

    // The math curve with a trace depth of -1 shares channel 0's history.
    CTraceHistory* history = nullptr;
    if (m_nTraceDepth > 0)
        history = &m_arrTraces[s];
    else if (m_nTraceDepth == -1 && slot == kMathSlot)
        history = &m_arrTraces[0];
    if (history != nullptr && history->GetSlotCount() > 0)
    {
        CanvasTracePainter painter(canvas);
        history->Draw(painter, static_cast<int>(line.size()), pen.color,
                      m_colorScheme.GetColor(CColorScheme::RolePlotBackground),
                      m_bTraceColorMap ? ColorMapRgb : nullptr);
        PushTrace(*history, line);
        canvas.SetPen(pen);
    }
    canvas.Polyline(line);
    DrawCurveMarkers(canvas, line, marker);
}

void CPlot::DrawCurves(gfx::Canvas& canvas, int left, int top, int right, int bottom)
{
    const auto finish = [&]
    {
        ++m_nPaintCount;
        if (m_fnForegroundHook)
            m_fnForegroundHook(canvas);
    };
    const bool mathAlone = m_nMathMode == kMathAlone;
    // The math-alone mode names the math curve as its first displayed channel: that is a curve to
    // draw, not a channel out of range.
    const bool firstValid =
        mathAlone || (m_nFirstDisplayed >= -1 && m_nFirstDisplayed <= kHighestFirstChannel);
    const int points = GetPointCount();
    if (points == 0 || !firstValid || (!mathAlone && GetChannelData(0) == nullptr) ||
        (mathAlone && GetChannelData(MathSourceChannel()) == nullptr && m_pMathAverageData == nullptr))
    {
        finish();
        return;
    }
    const int channels = std::clamp(m_nChannels, 0, kMaxChannels);
    for (int c = 0; c < channels; ++c)
        if (m_arrReducedValues[static_cast<std::size_t>(c)].size() <
            static_cast<std::size_t>(kReducedValueCount))
            m_arrReducedValues[static_cast<std::size_t>(c)].assign(kReducedValueCount, 0.0f);
    if (m_arrReducedValues[kMathSlot].size() < static_cast<std::size_t>(kReducedValueCount))
        m_arrReducedValues[kMathSlot].assign(kReducedValueCount, 0.0f);

    SetPlotArea(left, top, right, bottom);

    if (m_bPolar)
    {
        PreparePolar();
        {
            const auto lock = LockDisplay();
            m_polar.DrawCurvesAt(canvas, {m_nPlotLeft, m_nPlotTop, m_nPlotRight, m_nPlotBottom});
        }
        m_dCursorX = -10.0;
        m_dCursorY = 100.0;
        if (m_ptMouse.x >= m_nPlotLeft && m_ptMouse.x <= m_nPlotRight && m_ptMouse.y >= m_nPlotTop &&
            m_ptMouse.y <= m_nPlotBottom)
            m_polar.PixelToPolar(m_ptMouse.x, m_ptMouse.y, &m_dCursorX, &m_dCursorY);
        if (m_bLegend)
        {
            m_legend.m_background = m_colorScheme.GetColor(CColorScheme::RolePlotBackground);
            m_legend.DrawLegend(canvas, m_nPlotLeft, m_nPlotTop, m_nPlotRight, m_nPlotBottom);
        }
        for (int c = 0; c < std::min(std::max(2, channels), channels); ++c)
            if (m_abDisplayed[static_cast<std::size_t>(c)] == 1)
                ComputeCurveStats(GetCurveOfChannel(c));
        ++m_nPaintCount;
        return;
    }

    if (m_waterfall.m_bLive || m_waterfall.m_bTimeSignal)
        FeedWaterfallView();

    if (m_bSonagram)
    {
        DrawSonagram(canvas);
        ++m_nPaintCount;
        return;
    }

    if (m_vectorscope.active)
    {
        DrawVectorscope(canvas);
        ++m_nPaintCount;
        return;
    }

    int first = 0;
    int last = 0;
    GetVisibleIndexRange(&first, &last, GetXTable());

    if (m_bBarGraph)
    {
        DrawBands(canvas);
        DrawLevelBars(canvas);
        finish();
        return;
    }

    // Layout.
    const int width = std::max(0, m_nPlotRight - m_nPlotLeft);
    if (width > m_nLayoutCapacity || m_nLayoutCapacity == 0)
    {
        for (auto& buffer : m_arrPointBuffers)
            buffer.clear();
        for (auto& buffer : m_arrMinMaxBuffers)
            buffer.clear();
        m_abPointsFilled.fill(0);
        m_arrColumns.clear();
        m_nLayoutCapacity = width + 2;
        m_bLayoutDirty = 1;
    }
    if (m_arrColumns.empty())
        m_bLayoutDirty = 1;
    const bool layoutDirty = m_bLayoutDirty != 0;
    if (layoutDirty)
        BuildColumns(first, last);

    const std::size_t capacity = static_cast<std::size_t>(m_nLayoutCapacity);
    const auto prepare = [&](int slot, std::span<const float> data)
    {
        const std::size_t s = static_cast<std::size_t>(slot);
        bool fresh = false;
        if (m_arrPointBuffers[s].size() < capacity)
        {
            m_arrPointBuffers[s].assign(capacity, gfx::Point{});
            m_arrMinMaxBuffers[s].assign(2 * capacity, gfx::Point{});
            m_abPointsFilled[s] = 0;
            fresh = true;
        }
        if (m_nTraceDepth > 0 && (fresh || layoutDirty || m_anTraceDepths[s] != m_nTraceDepth))
        {
            m_arrTraces[s].Init(m_nTraceDepth, static_cast<int>(capacity * 16));
            m_anTraceDepths[s] = m_nTraceDepth;
        }
        const bool laidOut = layoutDirty || !m_abPointsFilled[s];
        if (laidOut)
            for (int c = 0; c < m_nColumnCount; ++c)
                m_arrPointBuffers[s][static_cast<std::size_t>(c)] =
                    gfx::Point{m_arrColumns[static_cast<std::size_t>(c)].x, 0};
        if (!(m_bDataDirty || laidOut))
            return;
        std::span<float> reduced(m_arrReducedValues[s]);
        if (m_nReductionMode == 3)
        {
            std::vector<gfx::Point>& out = m_arrMinMaxBuffers[s];
            ReduceColumns(m_arrPointBuffers[s], data, reduced, m_nColumnCount, first, last, 4);
            for (int c = 0; c < m_nColumnCount; ++c)
                out[2 * static_cast<std::size_t>(c)] = m_arrPointBuffers[s][static_cast<std::size_t>(c)];
            ReduceColumns(m_arrPointBuffers[s], data, reduced, m_nColumnCount, first, last, 5);
            for (int c = 0; c < m_nColumnCount; ++c)
                out[2 * static_cast<std::size_t>(c) + 1] = m_arrPointBuffers[s][static_cast<std::size_t>(c)];
        }
        else
        {
            ReduceColumns(m_arrPointBuffers[s], data, reduced, m_nColumnCount, first, last, m_nReductionMode);
        }
        m_abPointsFilled[s] = 1;
    };

    // The only reading of the channel data (the engine's display buffers and, for the math
    // curve, the owner's average block): under the display lock.
    {
        const auto lock = LockDisplay();
        UpdateMathHold();
        if (!mathAlone)
        {
            for (int c = 0; c < channels; ++c)
            {
                const float* data = GetChannelData(c);
                if (m_abDisplayed[static_cast<std::size_t>(c)] != 1 || data == nullptr)
                    continue;
                // The statistics read the same data: here, so that the lock is taken once per
                // paint and never held while anything is drawn.
                ReduceAndComputeStats(
                    GetCurveOfChannel(c),
                    [&] { prepare(c, std::span<const float>(data, static_cast<std::size_t>(points))); });
            }
        }
        if (m_nMathMode != kMathOff)
        {
            const int mathCurve = GetCurveOfChannel(kMathChannel);
            const float* data = GetCurveData(mathCurve);
            if (data != nullptr)
                prepare(kMathSlot, std::span<const float>(data, static_cast<std::size_t>(points)));
            if (m_abPointsFilled[kMathSlot])
                ComputeCurveStatsLocked(mathCurve);
        }
    }

    if (!mathAlone)
    {
        for (int c = 0; c < channels; ++c)
        {
            if (m_abDisplayed[static_cast<std::size_t>(c)] != 1 || GetChannelData(c) == nullptr)
                continue;
            CCurveStyle& style = m_arrStyles[static_cast<std::size_t>(c)];
            const gfx::Pen pen = PenOf(style);
            if (m_bMarkersAtPoints && GetXTable() != nullptr)
            {
                // The symbols stand on the data themselves, which the engine may be writing.
                std::vector<gfx::Point> at;
                {
                    const auto lock = LockDisplay();
                    const float* data = GetChannelData(c);
                    at.reserve(static_cast<std::size_t>(std::max(0, last - first + 1)));
                    for (int i = first; i <= last; ++i)
                    {
                        PlotPoint p;
                        ValueToPixel(&p, GetXValue(i), ToDisplayValue(data[i]));
                        at.push_back(gfx::Point{p.x, p.y});
                    }
                }
                canvas.SetPen(pen);
                canvas.SetBrush(gfx::Brush{pen.color, false});
                for (const gfx::Point& p : at)
                    DrawMarkerSymbol(canvas, p.x, p.y, kPointMarkerHalfSize, MARKER_BOX_FILLED);
                DrawCurveMarkers(canvas, m_arrPointBuffers[static_cast<std::size_t>(c)], style.m_nMarker);
            }
            else
            {
                PaintCurve(canvas, c, pen, style.m_nMarker, layoutDirty);
            }
        }
    }

    if (m_nMathMode != kMathOff && m_abPointsFilled[kMathSlot])
    {
        PaintCurve(canvas, kMathSlot, PenOf(m_mathStyle), m_mathStyle.m_nMarker, layoutDirty);
    }

    m_bLayoutDirty = 0;
    m_bDataDirty = 0;
    if (m_fnForegroundHook)
        m_fnForegroundHook(canvas);
    DrawReadouts(canvas);
    DrawMeasureRectAndLegend(canvas);
    ++m_nPaintCount;
}

void CPlot::DrawMeasureRectAndLegend(gfx::Canvas& canvas)
{
    CMeasureRect& rect = m_measureRect;
    if (rect.m_bVisible)
    {
        // The rectangle follows zooming by its values, except while the user drags a corner.
        if (rect.HasValues() && !rect.IsDragging())
        {
            PlotPoint first;
            PlotPoint second;
            ValueToPixel(&first, rect.m_dX1, rect.m_dY1);
            ValueToPixel(&second, rect.m_dX2, rect.m_dY2);
            rect.m_nLeft = first.x;
            rect.m_nTop = first.y;
            rect.m_nRight = second.x;
            rect.m_nBottom = second.y;
        }
        rect.Draw(canvas);
    }
    if (m_bLegend)
    {
        m_legend.m_background = m_colorScheme.GetColor(CColorScheme::RolePlotBackground);
        m_legend.DrawLegend(canvas, m_nPlotLeft, m_nPlotTop, m_nPlotRight, m_nPlotBottom);
    }
}
