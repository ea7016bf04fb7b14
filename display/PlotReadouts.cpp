// The plot's live readouts, drawn over the curves at every paint: level bars, harmonic and
// intermodulation markers, trigger marker, crosshair with note name and frequency markers. They
// read the plot's own column values and statistics, never the channel data.
#include "display/PlotReadouts.h"

#include <algorithm>
#include <cmath>

#include "common/TextFormatting.h"
#include "display/AxisNumbers.h"
#include "display/CurveMarkers.h"
#include "display/Plot.h"
#include "platform/NumberFormat.h"

namespace
{

const gfx::Font kReadoutFont{"Arial", 15, false};
constexpr gfx::Color kRed = 0x0000FF;
constexpr gfx::Color kGreen = 0x00FF00;
constexpr int kSquareHalf = 4;
constexpr int kLabelTop = 40;
constexpr int kLabelBottom = 30;
constexpr int kTickHeight = 20;
// The note tick stands this far above the value tick, so that the two labels do not overlap.
constexpr int kNoteTickRaise = 15;

constexpr double kMiddleC = 261.626;
constexpr double kSemitoneUp = 0.05946309435929997;
constexpr double kSemitoneDown = 0.05612568731831069;
constexpr const char* kNoteNames = "C C#D D#E F F#G G#A B H C ";

// Colours of the intermodulation order classes 1..6.
constexpr gfx::Color kOrderColors[6] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFFFF00, 0x008080};

gfx::Pen SolidPen(gfx::Color color, int width)
{
    return gfx::Pen{color, width, gfx::PenStyle::Solid};
}

}  // namespace

void DrawLabelledTick(gfx::Canvas& canvas, int x, int y, int height, const std::string& text)
{
    canvas.MoveTo(x, y);
    canvas.LineTo(x, y - height);
    canvas.DrawText(text, {x - 4, y - kLabelTop, x + 4, y - kLabelBottom}, gfx::Align::Centre);
}

NoteReading ReadNote(double frequency)
{
    NoteReading note;
    if (!(frequency > 0.0) || !std::isfinite(frequency))
        return note;
    note.n = static_cast<int>(std::trunc(12.0 * std::log2(frequency / kMiddleC)));
    note.frequency = kMiddleC * std::pow(2.0, note.n / 12.0);
    int position = note.n % 12;
    if (position < 0)
        position += 12;
    note.name = std::string(kNoteNames + 2 * position, 2);
    const double deviation = (frequency - note.frequency) / note.frequency * 100.0;
    note.deviation = deviation > 0.0 ? deviation / kSemitoneUp : deviation / kSemitoneDown;
    return note;
}

std::string FormatNoteReading(const NoteReading& note)
{
    return platform::FormatC("%s %3.1f%% (%4.1fHz)", note.name.c_str(), note.deviation, note.frequency);
}

void CPlot::DrawLevelBars(gfx::Canvas& canvas)
{
    if (m_bLevelBars != 1)
        return;
    const CPlotRange& view = m_viewRange;
    const auto pixelOf = [&](double y)
    {
        return static_cast<int>(
            std::lround(MapToPixels(y, view.m_dYMin, view.m_dYMax, m_nPlotBottom, m_nPlotTop, view.m_bYLog)));
    };
    const auto inRange = [&](double v) { return std::isfinite(v) && v > view.m_dYMin && v < view.m_dYMax; };

    struct Placement
    {
        int left;
        int right;
    };
    const bool two = m_nLevelBarCount > 0;
    const Placement places[2] = {
        two ? Placement{m_nPlotLeft - 18, m_nPlotLeft - 11} : Placement{m_nPlotLeft - 15, m_nPlotLeft - 5},
        Placement{m_nPlotLeft - 10, m_nPlotLeft - 3}};
    // A linear axis of linear values grows the bars from its zero line. Levels shown in decibels
    // have no zero line: a bar hung from 0 dB would grow shorter as the level rises, so they grow
    // from the bottom like on a logarithmic axis.
    int base = m_nPlotBottom;
    if (!view.m_bYLog && !m_bDecibel)
        base = std::clamp(pixelOf(0.0), m_nPlotTop, m_nPlotBottom);
    for (int b = 0; b < (two ? 2 : 1); ++b)
    {
        const LevelBar& bar = m_arrLevelBars[static_cast<std::size_t>(b)];
        const Placement& at = places[b];
        double level = bar.level;
        double peak = bar.peak;
        const bool showHold = !m_bDecibel;
        if (m_bDecibel)
        {
            level = level > 0.0 ? 20.0 * std::log10(level) : -HUGE_VAL;
            peak = peak > 0.0 ? 20.0 * std::log10(peak) : -HUGE_VAL;
        }
        if (inRange(level))
        {
            const int y = pixelOf(level);
            canvas.FillRect({at.left, std::min(base, y), at.right, std::max(base, y)}, kGreen);
        }
        else if (level >= view.m_dYMax)
        {
            canvas.FillRect({at.left, m_nPlotTop, at.right, base}, kGreen);
        }
        if (showHold && inRange(bar.hold))
        {
            const int y = pixelOf(bar.hold);
            canvas.FillRect({at.left, y - 4, at.right, y}, kRed);
        }
        if (inRange(peak))
        {
            const int y = pixelOf(peak);
            canvas.FillRect({at.left, y - 4, at.right, y}, kRed);
        }
    }
}

void CPlot::DrawCurveReadouts(gfx::Canvas& canvas, int curve)
{
    const CCurveStatistics* stats = GetCurveStats(curve);
    if (stats == nullptr)
        return;
    const CPlotRange& view = m_viewRange;
    const auto place = [&](const CSpectralLine& line, PlotPoint* point, bool* clamped)
    {
        const double x = line.m_fBin * m_dBinWidth;
        if (!(line.m_fBin > 0.0f) || x < view.m_dXMin || x > view.m_dXMax)
            return false;
        const double level = std::clamp(line.m_dDisplayLevel, view.m_dYMin, view.m_dYMax);
        *clamped = level != line.m_dDisplayLevel;
        ValueToPixel(point, x, level);
        return true;
    };
    canvas.SetFont(kReadoutFont);
    if (m_bHarmonics)
    {
        canvas.SetPen(SolidPen(m_colorScheme.GetColor(CColorScheme::RoleThdMarkerPen), 1));
        canvas.SetBrush(gfx::Brush{0, true});
        const int count = std::clamp(m_nHarmonicCount, 0, CCurveStatistics::kMaxHarmonics);
        for (int i = 0; i < count; ++i)
        {
            const CSpectralLine& line = stats->m_arrHarmonics[static_cast<std::size_t>(i)];
            PlotPoint p;
            bool clamped = false;
            if (!place(line, &p, &clamped))
                continue;
            const unsigned bit = (i % 2 == 1) ? 1u : 2u;
            if ((m_nHarmonicMask & bit) == 0)
                continue;
            canvas.Rectangle(p.x - kSquareHalf, p.y - kSquareHalf, p.x + kSquareHalf, p.y + kSquareHalf);
            if (clamped)
                continue;
            std::string text;
            if (m_bPercent)
                text = FormatSignificant(
                           std::pow(10.0, (line.m_dDisplayLevel - stats->m_dPeak) / 20.0) * 100.0, 2) +
                       "%";
            else
                text = platform::FormatC("%3.1f", line.m_dDisplayLevel);
            canvas.SetTextBackground(m_colorScheme.GetColor(CColorScheme::RoleThdMarkerFill));
            canvas.DrawText(text, {p.x - 4, p.y - kLabelTop, p.x + 4, p.y - kLabelBottom},
                            gfx::Align::Centre);
        }
    }
    if (m_bIntermodulation)
    {
        canvas.SetBrush(gfx::Brush{0, true});
        const int count = std::clamp(m_nProductCount, 0, CCurveStatistics::kMaxProducts);
        for (int i = 0; i < count; ++i)
        {
            const CSpectralLine& line = stats->m_arrProducts[static_cast<std::size_t>(i)];
            PlotPoint p;
            bool clamped = false;
            if (!place(line, &p, &clamped))
                continue;
            canvas.SetPen(SolidPen(kOrderColors[std::clamp(MarkerSizeClass(i), 1, 6) - 1], 2));
            canvas.Rectangle(p.x - kSquareHalf, p.y - kSquareHalf, p.x + kSquareHalf, p.y + kSquareHalf);
        }
    }
}

void CPlot::DrawTriggerMarker(gfx::Canvas& canvas)
{
    double level = m_dTriggerLevel;
    const char* unit = "";
    if (m_bDecibel)
    {
        level = level > 0.0 ? 20.0 * std::log10(level) : -HUGE_VAL;
        unit = "dB";
    }
    PlotPoint p;
    ValueToPixel(&p, m_viewRange.m_dXMin, level);
    const int x = m_nPlotLeft;
    const int y = p.y;
    const int half = m_nTriggerHalfSize;
    const bool hovered = std::abs(m_ptMouse.x - x) <= half && std::abs(m_ptMouse.y - y) <= half;
    int role = CColorScheme::RoleTriggerScanning;
    if (hovered)
        role = CColorScheme::RoleTriggerSelected;
    else if (m_nTriggerState == 2)
        role = CColorScheme::RoleTriggerFound;
    else if (m_nTriggerState == 3)
        role = CColorScheme::RoleTriggered;
    else if (m_nTriggerState == 4)
        role = CColorScheme::RoleTriggerReady;
    canvas.SetPen(SolidPen(m_colorScheme.GetColor(role), 2));
    DrawMarkerSymbol(canvas, x, y, half, MARKER_DIAMOND);
    if (!hovered)
        return;
    canvas.MoveTo(x + 2 * half, y);
    canvas.LineTo(x + half, y);
    canvas.SetFont(kReadoutFont);
    canvas.DrawText(platform::FormatC("Trigger %s %3.3g%s", m_strTriggerName.c_str(), level, unit),
                    {x + 2 * half, y - 10, x + 2 * half, y + 10}, gfx::Align::Left);
}

void CPlot::DrawReadouts(gfx::Canvas& canvas)
{
    DrawLevelBars(canvas);
    canvas.SetTextBackground(m_colorScheme.GetColor(CColorScheme::RoleCursorMarkerFill));
    int curve = m_nActiveCurve;
    if (curve < 0 || curve >= GetCurveCount())
        curve = 0;
    if (!m_bBarGraph)
        DrawCurveReadouts(canvas, curve);

    canvas.SetTextBackground(m_colorScheme.GetColor(CColorScheme::RoleFrameBackground));
    if (m_bTriggerMarker)
        DrawTriggerMarker(canvas);

    const CPlotRange& view = m_viewRange;
    const bool mouseInside = m_ptMouse.x >= m_nPlotLeft && m_ptMouse.x <= m_nPlotRight &&
                             m_ptMouse.y >= m_nPlotTop && m_ptMouse.y <= m_nPlotBottom;
    float mouseX = 0.0f;
    PixelToValue(m_ptMouse, &mouseX, nullptr);
    const double x = std::clamp(static_cast<double>(mouseX), view.m_dXMin, view.m_dXMax);
    const double y = GetCurveValueAt(curve, x);
    PlotPoint p;
    ValueToPixel(&p, x, y);
    canvas.SetFont(kReadoutFont);
    if (m_bCrosshair)
    {
        bool show = mouseInside && p.y >= m_nPlotTop && p.y <= m_nPlotBottom;
        if (const float* table = GetXTable(); table != nullptr && GetPointCount() > 0)
            show = show && x >= GetXValue(0) && x <= GetXValue(GetPointCount() - 1);
        if (show)
        {
            canvas.SetPen(SolidPen(m_colorScheme.GetColor(CColorScheme::RoleCursorMarkerPen), 1));
            canvas.SetBrush(gfx::Brush{0, true});
            canvas.Rectangle(p.x - kSquareHalf, p.y - kSquareHalf, p.x + kSquareHalf, p.y + kSquareHalf);
            canvas.SetPen(SolidPen(m_colorScheme.GetColor(CColorScheme::RoleCrosshair), 1));
            canvas.MoveTo(m_nPlotLeft, m_ptMouse.y);
            canvas.LineTo(m_nPlotRight, m_ptMouse.y);
            canvas.MoveTo(m_ptMouse.x, m_nPlotTop);
            canvas.LineTo(m_ptMouse.x, m_nPlotBottom);
            canvas.SetTextBackground(m_colorScheme.GetColor(CColorScheme::RoleCursorMarkerFill));
            std::string text;
            if (view.m_bYLog && y > 0.0)
                text = FormatAxisNumber(y, std::pow(10.0, std::floor(std::log10(y))) / 10.0);
            else
                text = platform::FormatC("%3.1f", y);
            DrawLabelledTick(canvas, p.x, p.y, kTickHeight, text);
        }
    }
    if (m_bNoteNames && x >= view.m_dXMin && mouseInside)
    {
        canvas.SetTextBackground(m_colorScheme.GetColor(CColorScheme::RoleMarkerFill));
        DrawLabelledTick(canvas, p.x, p.y - kNoteTickRaise, kTickHeight, FormatNoteReading(ReadNote(x)));
    }
    if (m_bFrequencyMarkers && m_pFrequencyMarkers != nullptr)
    {
        canvas.SetTextBackground(m_colorScheme.GetColor(CColorScheme::RoleMarkerFill));
        canvas.SetPen(SolidPen(m_colorScheme.GetColor(CColorScheme::RoleMarkerPen), 1));
        for (int m = 0; m < m_nFrequencyMarkers; ++m)
        {
            const double f = m_pFrequencyMarkers[m];
            if (!(f > view.m_dXMin && f < view.m_dXMax))
                continue;
            const double v = GetCurveValueAt(curve, f);
            PlotPoint q;
            ValueToPixel(&q, f, v);
            DrawLabelledTick(canvas, q.x, q.y, kTickHeight, platform::FormatC("%3.1f", v));
            DrawMarkerSymbol(canvas, q.x, q.y, 3, MARKER_CROSS);
        }
    }
    m_dCursorX = x;
    m_dCursorY = y;
}
