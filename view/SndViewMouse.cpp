// Mouse, keyboard zoom and markers: the rubber-band zoom with its undo and redo, panning and
// zooming by keys, the legend and trigger-level drags, the measure rectangle, the right-click menus
// with markers, labels and lines, the 0 dB calibration, editing a curve from the legend and the
// reference curve.
#include "view/SndView.h"

#include "display/Annotation.h"
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>

namespace
{
namespace cmd = view_command;

constexpr double kXStep = 0.3;
constexpr double kYStep = 0.2;
constexpr double kLogFactor = 1.3;
// The size of a new measure rectangle in pixels.
constexpr int kMeasureRectSize = 80;
constexpr int kMaxCountedMarkers = 255;
constexpr int kTextLabel = 1000249;
constexpr int kTextDoubleClickToEdit = 1000608;
constexpr int kTextOneCurveVisible = 1000392;
constexpr const char* kOverwriteReference =
    "Do you want to overwrite the old reference with the current measurement?";

// The new range of one axis for a zoom or pan kind (1 in, 2 out, 3 and 6 towards the minimum,
// 4 and 5 towards the maximum).
std::pair<double, double> ZoomedRange(double a, double b, int kind, bool logarithmic, double step)
{
    const double s = step * std::fabs(b - a);
    const double f = kLogFactor;
    switch (kind)
    {
        case 1:
            return logarithmic ? std::pair{f * a, b / f} : std::pair{a + s, b - s};
        case 2:
            return logarithmic ? std::pair{a / f, f * b} : std::pair{a - s, b + s};
        case 3:
        case 6:
            return logarithmic ? std::pair{a / f, b / f} : std::pair{a - s, b - s};
        case 4:
        case 5:
            return logarithmic ? std::pair{f * a, f * b} : std::pair{a + s, b + s};
        default:
            return {a, b};
    }
}

std::vector<PopupMenuItem> ZoomItems()
{
    return {{cmd::kUndoZoom, "undo zoom"}, {cmd::kRedoZoom, "redo zoom"}, {cmd::kResizeAxis, "resize axis"}};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Mouse

bool CSndView::MainWindowHasMenu() const
{
    const CViewFrame* frame = Frame();
    return frame && frame->HasMenu();
}

void CSndView::UpdateMeasureValues(bool bothCorners)
{
    CMeasureRect& rect = m_pPlot->m_measureRect;
    float x1 = 0.0f;
    float y1 = 0.0f;
    float x2 = 0.0f;
    float y2 = 0.0f;
    m_pPlot->PixelToValue(PlotPoint{rect.m_nLeft, rect.m_nTop}, &x1, &y1);
    m_pPlot->PixelToValue(PlotPoint{rect.m_nRight, rect.m_nBottom}, &x2, &y2);
    (void)bothCorners;
    rect.m_dX1 = x1;
    rect.m_dY1 = y1;
    rect.m_dX2 = x2;
    rect.m_dY2 = y2;
    rect.m_strBelow = platform::FormatC("%0.2f", rect.m_dX2 - rect.m_dX1);
    rect.m_strLeft = platform::FormatC("%0.2f", rect.m_dY1 - rect.m_dY2);
}

void CSndView::OnMouseMove(unsigned flags, int x, int y)
{
    CPlot& plot = *m_pPlot;
    const bool left = (flags & view_mouse::kLeftButton) != 0;
    // 1.
    plot.m_ptMouse = PlotPoint{x, y};
    if (!left)
        m_bRubberBand = 0;
    // 2.
    if (m_pSettings && m_pSettings->m_Annotations.OnMouseMoveList(flags, x, y))
    {
        m_bRedrawRequest = 1;
        if (m_pWindow)
            m_pWindow->Invalidate();
        return;
    }
    // 3. and 4.
    if (!left)
        m_bTriggerDrag = 0;
    else if (plot.m_bTriggerMarker)
        m_bTriggerDrag = 1;
    if (m_bTriggerDrag)
    {
        float xv = 0.0f;
        float yv = 0.0f;
        plot.PixelToValue(PlotPoint{x, y}, &xv, &yv);
        const double level = plot.m_dataRange.m_bDecibel ? std::pow(10.0, yv / 20.0) : yv;
        m_engine.m_dTriggerLevel = level;
        plot.m_dTriggerLevel = level;
        m_bRedrawRequest = 1;
        return;
    }
    // 5.
    CLegendDlg& legend = plot.m_legend;
    if (plot.m_bLegend && legend.Contains(x, y))
    {
        m_bLegendHover = 1;
        const int entry = legend.HitTest(x, y);
        if (entry != legend.m_nSelected && !m_bLegendDrag)
        {
            legend.m_nSelected = entry;
            RestartDisplay();
            return;
        }
    }
    else
    {
        m_bLegendHover = 0;
    }
    if (m_bLegendDrag)
    {
        legend.m_nOffsetX = m_ptLegendOffsetStart.x + x - m_ptLegendDragStart.x;
        legend.m_nOffsetY = m_ptLegendOffsetStart.y + y - m_ptLegendDragStart.y;
        m_bRedrawRequest = 1;
        if (m_pWindow)
            m_pWindow->Invalidate();
        return;
    }
    // 6.
    CMeasureRect& rect = plot.m_measureRect;
    if (rect.OnMouseMove(flags, x, y))
    {
        if (rect.IsDragging())
            UpdateMeasureValues((flags & view_mouse::kShift) != 0);
        m_bRedrawRequest = 1;
        if (m_pWindow)
            m_pWindow->Invalidate();
    }
    // 7.
    if (m_bRubberBand)
    {
        m_rcRubberBand.right = x;
        m_rcRubberBand.bottom = y;
        if (m_pWindow)
            m_pWindow->RedrawRubberBand();
    }
}

void CSndView::OnLButtonDown(unsigned flags, int x, int y)
{
    CPlot& plot = *m_pPlot;
    if (plot.m_bLegend && plot.m_legend.Contains(x, y))
    {
        m_bLegendDrag = 1;
        m_ptLegendOffsetStart = PlotPoint{plot.m_legend.m_nOffsetX, plot.m_legend.m_nOffsetY};
        m_ptLegendDragStart = PlotPoint{x, y};
        return;
    }
    CMeasureRect& rect = plot.m_measureRect;
    m_bRubberBand = 1;
    const bool closed = rect.OnLButtonDown(flags, x, y) != 0;
    if (closed || rect.IsDragging())
        m_bRubberBand = 0;
    if (closed)
    {
        m_bRedrawRequest = 1;
        if (m_pWindow)
            m_pWindow->Invalidate();
    }
    if (m_bRubberBand)
        m_rcRubberBand = PlotRect{x, y, x, y};
}

void CSndView::OnLButtonUp(unsigned flags, int x, int y)
{
    CPlot& plot = *m_pPlot;
    // 1.
    if (m_bLegendDrag)
    {
        m_bLegendDrag = 0;
        return;
    }
    // 2.
    CMeasureRect& rect = plot.m_measureRect;
    if (rect.IsDragging())
    {
        UpdateMeasureValues((flags & view_mouse::kShift) != 0);
        rect.OnLButtonUp(flags, x, y);
    }
    // 3.
    if (!m_bRubberBand || !m_pSettings)
        return;
    PlotRect band = m_rcRubberBand;
    band.right = x;
    band.bottom = y;
    if (band.right == band.left || band.bottom == band.top)
        return;
    if (band.left > band.right)
        std::swap(band.left, band.right);
    if (band.top > band.bottom)
        std::swap(band.top, band.bottom);
    float fx1 = 0.0f;
    float fy1 = 0.0f;
    float fx2 = 0.0f;
    float fy2 = 0.0f;
    plot.PixelToValue(PlotPoint{band.left, band.top}, &fx1, &fy1);
    plot.PixelToValue(PlotPoint{band.right, band.bottom}, &fx2, &fy2);
    double x1 = fx1;
    double y1 = fy1;
    double x2 = fx2;
    double y2 = fy2;
    if (MainWindowHasMenu())
    {
        const CPlotRange& now = plot.m_viewRange;
        const CPlotRange& full = plot.m_dataRange;
        if (x2 > now.m_dXMax || x2 <= now.m_dXMin)
            x2 = now.m_dXMax;
        if (x1 >= now.m_dXMax || x1 < now.m_dXMin)
        {
            x1 = full.m_dXMin;
            x2 = full.m_dXMax;
        }
        if (y1 > now.m_dYMax || y1 <= now.m_dYMin)
        {
            y1 = full.m_dYMax;
            y2 = full.m_dYMin;
        }
        else if (y2 < now.m_dYMin || y2 >= now.m_dYMax)
            y2 = now.m_dYMin;
        CAxisProp& record = m_pSettings->m_Axes;
        m_pSettings->m_UndoAxes.CopyFrom(record);
        record.m_dXMin = x1;
        record.m_dXMax = x2;
        record.m_dYMin = y2;
        record.m_dYMax = y1;
    }
    m_bRubberBand = 0;
    RestartDisplay();
    if (m_pWindow)
        m_pWindow->DrawNow();
}

bool CSndView::GetRubberBand(PlotRect& rect) const
{
    if (!m_bRubberBand)
        return false;
    rect = PlotRect{std::min(m_rcRubberBand.left, m_rcRubberBand.right),
                    std::min(m_rcRubberBand.top, m_rcRubberBand.bottom),
                    std::max(m_rcRubberBand.left, m_rcRubberBand.right),
                    std::max(m_rcRubberBand.top, m_rcRubberBand.bottom)};
    return true;
}

void CSndView::OnLButtonDblClk(unsigned, int x, int y)
{
    CPlot& plot = *m_pPlot;
    // 1.
    if (m_pSettings)
    {
        CAnnotationList& list = m_pSettings->m_Annotations;
        for (const auto& member : list.GetMembers())
            if (member->IsInteractive() && member->HitTest(x, y) != kAnnotationPartNone)
            {
                CAnnotationList::LabelEditor editor = m_fnLabelEditor;
                if (!editor && m_pWindow)
                    editor = [this](CAnnotationList::LabelEdit& edit) { return m_pWindow->EditLabel(edit); };
                list.OnDoubleClick(x, y, editor);
                m_bRubberBand = 0;
                m_bRedrawRequest = 1;
                if (m_pWindow)
                    m_pWindow->Invalidate();
                return;
            }
    }
    // 2.
    if (plot.m_bTriggerMarker)
    {
        if (Frame())
            Frame()->PostCommand(cmd::kTriggerSettings);
        m_bRubberBand = 0;
        return;
    }
    // 3.
    if (plot.m_bLegend && plot.m_legend.Contains(x, y) && m_pWindow && m_pSettings)
    {
        const int curve = plot.m_legend.HitTest(x, y);
        if (curve >= 0 && curve < GetCurveCount())
        {
            CurveEditValues values;
            values.name = GetCurveName(curve);
            GetCurvePen(curve, values.style);
            const int slot = GetOverlaySlotOfCurve(curve);
            const int channel = GetCurveChannel(curve);
            values.visible = true;
            const std::string oldName = values.name;
            if (m_pWindow->EditCurve(values))
            {
                values.style.m_strLabel = values.name;
                SetCurveStyle(curve, values.style);
                if (values.name != oldName)
                {
                    plot.m_legend.m_abNameSetByUser[static_cast<std::size_t>(curve)] = 1;
                    SetCurveName(curve, values.name);
                }
                if (!values.visible && GetCurveCount() <= 1)
                {
                    if (Frame())
                        Frame()->ShowMessage(GetText(kTextOneCurveVisible));
                }
                else if (!values.visible)
                {
                    plot.m_legend.m_abNameSetByUser[static_cast<std::size_t>(curve)] = 0;
                    if (slot >= 0)
                        m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_bShown = 0;
                    else if (channel >= 0 && channel < m_pSettings->m_Channels.m_nCount)
                        m_pSettings->m_Channels.GetChannel(channel).m_bActive = 0;
                    PauseProcessing();
                    plot.m_nActiveCurve = 0;
                }
                RestartDisplay();
                RebuildCurveList();
                ResumeProcessing();
            }
        }
        m_bRubberBand = 0;
        return;
    }
    // 4.
    const bool inside =
        x >= plot.m_nPlotLeft && x < plot.m_nPlotRight && y >= plot.m_nPlotTop && y < plot.m_nPlotBottom;
    if (!inside)
    {
        OnCommand(cmd::kDisplayProperties);
    }
    else if (!m_engine.m_bDisplayLocked)
    {
        // 5.
        CMeasureRect& rect = plot.m_measureRect;
        rect.m_nLeft = x;
        rect.m_nTop = y;
        rect.m_nRight = x + kMeasureRectSize;
        rect.m_nBottom = y + kMeasureRectSize;
        rect.m_bVisible = 1;
        rect.m_nDrag = CMeasureRect::kDragNone;
        UpdateMeasureValues(true);
        m_bRedrawRequest = 1;
        if (m_pWindow)
            m_pWindow->Invalidate();
    }
    // 6.
    m_bRubberBand = 0;
}

int CSndView::ChoosePopupMenu(int x, int y, std::vector<PopupMenuItem>& items) const
{
    const CPlot& plot = *m_pPlot;
    const bool german = GetLanguage() == 1;
    if (plot.m_bLegend && plot.m_legend.Contains(x, y))
    {
        items = {{cmd::kHideLegend, "Hide"},
                 {cmd::kResetCurveNames, "Reset"},
                 {cmd::kSetAsReference, "Set as reference",
                  m_engine.m_pReferenceRecord && m_engine.m_bReferenceShown},
                 {cmd::kCopyCurve, "Copy"},
                 {cmd::kPasteCurve, "Paste"}};
        return german ? 89 : 83;
    }
    const std::vector<PopupMenuItem> markers = {{cmd::kSetMarker, "set marker"},
                                                {cmd::kClearMarker, "clear marker"},
                                                {cmd::kAddLabel, "add label"},
                                                {cmd::kAddLine, "add line"}};
    items = ZoomItems();
    if (IsFrequencyAxis())
    {
        items.push_back({});
        items.insert(items.end(), markers.begin(), markers.end());
        items.push_back({});
        items.push_back({cmd::kSetTo0dB, "set to 0dB"});
        items.push_back({cmd::kSetPeakTo0dB, "set peak to 0dB"});
        return german ? 87 : 35;
    }
    if (GetViewMode() == 271)
    {
        items.push_back({});
        items.insert(items.end(), markers.begin(), markers.end());
        items.push_back({cmd::kExcludeArea, "exlude area from rect."});
        return 115;
    }
    return 80;
}

void CSndView::OnRButtonDown(unsigned, int x, int y)
{
    m_ptRightClick = PlotPoint{x, y};
    if (!m_pWindow)
        return;
    std::vector<PopupMenuItem> items;
    ChoosePopupMenu(x, y, items);
    const int chosen = m_pWindow->TrackPopupMenu(items, x, y);
    if (chosen != 0)
        OnCommand(chosen);
}

// ---------------------------------------------------------------------------------------------
// Keyboard

bool CSndView::OnChar(int character)
{
    if (character != 'A' && character != 'a')
        return false;
    // The alternate curve drawing: a marker symbol at every point of the curves.
    m_pPlot->m_bMarkersAtPoints = m_pPlot->m_bMarkersAtPoints ? 0 : 1;
    m_pPlot->ForceRedraw();
    m_bRedrawRequest = 1;
    return true;
}

bool CSndView::OnKeyDown(ViewKey key)
{
    if (key != ViewKey::Shift)
        return false;
    ++m_nShiftCount;
    return true;
}

bool CSndView::OnKeyUp(ViewKey key)
{
    const bool shift = m_nShiftCount > 0;
    switch (key)
    {
        case ViewKey::Shift:
            m_nShiftCount = 0;
            return true;
        case ViewKey::Left:
            ZoomX(shift ? 1 : 3);
            return true;
        case ViewKey::Right:
            ZoomX(shift ? 2 : 4);
            return true;
        case ViewKey::Up:
            ZoomY(shift ? 1 : 5);
            return true;
        case ViewKey::Down:
            ZoomY(shift ? 2 : 6);
            return true;
        case ViewKey::PageUp:
        case ViewKey::PageDown:
            if (shift)
                return false;
            ZoomY(key == ViewKey::PageUp ? 5 : 6);
            return true;
        case ViewKey::Delete:
            if (shift || !m_pSettings)
                return false;
            m_pSettings->m_Annotations.RemoveMarked();
            m_bRedrawRequest = 1;
            if (m_pWindow)
                m_pWindow->Invalidate();
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Zoom

void CSndView::ZoomX(int kind)
{
    if (!m_pSettings)
        return;
    CAxisProp& record = m_pSettings->m_Axes;
    const CPlotRange& now = m_pPlot->m_viewRange;
    const auto [a, b] = ZoomedRange(now.m_dXMin, now.m_dXMax, kind, record.m_bLogX != 0, kXStep);
    record.m_dXMin = a;
    record.m_dXMax = b;
    RestartDisplay();
}

void CSndView::ZoomY(int kind)
{
    if (!m_pSettings)
        return;
    CAxisProp& record = m_pSettings->m_Axes;
    const CPlotRange& now = m_pPlot->m_viewRange;
    // A dB axis is linear in its display values; only a logarithmic axis of linear values scales.
    const bool logarithmic = now.m_bYLog != 0 && !now.m_bDecibel;
    const auto [a, b] = ZoomedRange(now.m_dYMin, now.m_dYMax, kind, logarithmic, kYStep);
    record.m_dYMin = a;
    record.m_dYMax = b;
    RestartDisplay();
}

void CSndView::OnUndoZoom()
{
    if (!m_pSettings || m_engine.m_bDisplayLocked)
        return;
    // The zoom undone becomes the one to redo and the one to undo next, so that undo again returns
    // to it.
    m_pSettings->m_RedoAxes.CopyFrom(m_pSettings->m_Axes);
    m_pSettings->m_Axes.CopyFrom(m_pSettings->m_UndoAxes);
    m_pSettings->m_UndoAxes.CopyFrom(m_pSettings->m_RedoAxes);
    RestartDisplay();
}

void CSndView::OnRedoZoom()
{
    if (!m_pSettings || m_engine.m_bDisplayLocked)
        return;
    m_pSettings->m_UndoAxes.CopyFrom(m_pSettings->m_Axes);
    m_pSettings->m_Axes.CopyFrom(m_pSettings->m_RedoAxes);
    RestartDisplay();
}

void CSndView::OnResizeAxis()
{
    if (!m_engine.m_bDisplayLocked)
        OnCommand(cmd::kResetZoom);
}

// ---------------------------------------------------------------------------------------------
// Markers, labels and lines

void CSndView::OnSetMarker()
{
    float x = 0.0f;
    float y = 0.0f;
    m_pPlot->PixelToValue(m_ptRightClick, &x, &y);
    m_engine.m_bMarkers = 1;
    const int count = std::clamp(m_engine.m_nMarkerCount, 0, kMaxCountedMarkers);
    m_engine.m_adMarkers[static_cast<std::size_t>(count)] = x;
    if (count < kMaxCountedMarkers)
        m_engine.m_nMarkerCount = count + 1;
    m_pPlot->m_bFrequencyMarkers = 1;
    m_pPlot->m_nFrequencyMarkers = m_engine.m_nMarkerCount;
    m_pPlot->m_pFrequencyMarkers = m_engine.m_adMarkers.data();
    RestartDisplay();
}

void CSndView::OnClearMarker()
{
    const int count = std::clamp(m_engine.m_nMarkerCount, 0, kMaxCountedMarkers);
    if (!m_engine.m_bMarkers || count < 1)
        return;
    float x = 0.0f;
    float y = 0.0f;
    m_pPlot->PixelToValue(m_ptRightClick, &x, &y);
    int nearest = 0;
    for (int i = 1; i < count; ++i)
        if (std::fabs(x - m_engine.m_adMarkers[static_cast<std::size_t>(i)]) <
            std::fabs(x - m_engine.m_adMarkers[static_cast<std::size_t>(nearest)]))
            nearest = i;
    std::copy(m_engine.m_adMarkers.begin() + nearest + 1, m_engine.m_adMarkers.begin() + count,
              m_engine.m_adMarkers.begin() + nearest);
    m_engine.m_nMarkerCount = count - 1;
    m_pPlot->m_nFrequencyMarkers = m_engine.m_nMarkerCount;
    RestartDisplay();
}

PlotRect CSndView::AnnotationPlacementRect() const
{
    const PlotRect& laid = m_pPlot->m_rcWindow;
    if ((laid.right <= laid.left || laid.bottom <= laid.top) && m_pWindow)
        return m_pWindow->GetClientRect();
    return laid;
}

void CSndView::OnAddLabel()
{
    if (!m_pSettings)
        return;
    const PlotRect area = AnnotationPlacementRect();
    auto label = std::make_unique<CTextAnnotation>();
    label->m_bVisible = 1;
    label->m_nX = m_ptRightClick.x;
    label->m_nY = m_ptRightClick.y;
    label->m_nPositionMode = kPositionPlotFraction;
    const int width = std::max(1, area.right - area.left);
    const int height = std::max(1, area.bottom - area.top);
    label->m_dRelX = static_cast<double>(m_ptRightClick.x - area.left) / width;
    label->m_dRelY = static_cast<double>(m_ptRightClick.y - area.top) / height;
    label->m_strText = GetText(kTextLabel) + "<" + GetText(kTextDoubleClickToEdit) + ">";
    m_pSettings->m_Annotations.Append(std::move(label));
    m_bRedrawRequest = 1;
    if (m_pWindow)
        m_pWindow->Invalidate();
}

void CSndView::OnAddLine()
{
    if (!m_pSettings)
        return;
    const PlotRect area = AnnotationPlacementRect();
    auto line = std::make_unique<CArrowAnnotation>();
    line->m_bVisible = 1;
    line->m_nPositionMode = kPositionPlotFraction;
    const int width = std::max(1, area.right - area.left);
    const int height = std::max(1, area.bottom - area.top);
    const double relX = static_cast<double>(m_ptRightClick.x - area.left) / width;
    const double relY = static_cast<double>(m_ptRightClick.y - area.top) / height;
    line->m_nX = m_ptRightClick.x;
    line->m_nY = m_ptRightClick.y;
    line->m_dRelX = relX;
    line->m_dRelY = relY;
    // The line runs from the point to the plot's right edge at the same height.
    line->m_End.m_nPositionMode = kPositionPlotFraction;
    line->m_End.m_dRelX = 1.0;
    line->m_End.m_dRelY = relY;
    line->m_End.m_nX = area.right;
    line->m_End.m_nY = m_ptRightClick.y;
    m_pSettings->m_Annotations.Append(std::move(line));
    m_bRedrawRequest = 1;
    if (m_pWindow)
        m_pWindow->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// 0 dB

void CSndView::CalibrateTo0dB(double v)
{
    CPlot& plot = *m_pPlot;
    if (!plot.m_dataRange.m_bDecibel || !std::isfinite(v))
        return;
    const double offset = (m_engine.m_bCalibration ? m_engine.m_fCalibrationOffset : 0.0) - v;
    const double previous = m_engine.m_bCalibration ? m_engine.m_fCalibrationOffset : 0.0;
    m_engine.m_fCalibrationOffset = static_cast<float>(offset);
    m_engine.m_dCalibrationGain = std::pow(10.0, offset / 20.0);
    m_engine.m_bCalibration = 1;
    if (m_engine.IsRunning())
        return;
    // The held values change by what the new offset adds, in the plot's own units: a power display
    // (10 log) takes the square of the amplitude factor, so that the point reads 0 dB.
    const double logFactor = plot.m_dataRange.m_dLogFactor > 0.0 ? plot.m_dataRange.m_dLogFactor : 20.0;
    const float factor = static_cast<float>(std::pow(10.0, (offset - previous) / logFactor));
    {
        const std::lock_guard lock(m_engine.m_displayLock);
        for (std::vector<float>* buffer : {&m_engine.m_spectrumDisplay, &m_engine.m_secondDisplay,
                                           &m_engine.m_timeDisplay, &m_engine.m_fourthDisplay})
        {
            if (buffer->empty() || plot.m_pData < buffer->data() ||
                plot.m_pData >= buffer->data() + buffer->size())
                continue;
            for (float& value : *buffer)
                value *= factor;
        }
    }
    plot.ForceRedraw();
    RestartDisplay();
}

void CSndView::SetTo0dBAt(double x)
{
    // The value is the one the plot shows: nothing before the curve was drawn.
    const int channel = m_pPlot->GetCurveChannel(0);
    if (channel < 0 || m_pPlot->m_nColumnCount <= 0)
        return;
    CalibrateTo0dB(m_pPlot->GetChannelValueAt(x, channel));
}

void CSndView::OnSetTo0dB()
{
    float x = 0.0f;
    float y = 0.0f;
    m_pPlot->PixelToValue(m_ptRightClick, &x, &y);
    SetTo0dBAt(x);
}

void CSndView::OnSetPeakTo0dB()
{
    const int curve = GetSelectedCurve();
    const float* data = GetCurveData(curve);
    const int count = GetCurvePointCount(curve);
    if (!data || count <= 0)
        return;
    double peak = 0.0;
    {
        const std::lock_guard lock(m_engine.m_displayLock);
        peak = *std::max_element(data, data + count);
    }
    // A curve without a positive peak has no level to calibrate to.
    if (!(peak > 0.0) || !std::isfinite(peak))
        return;
    CalibrateTo0dB(m_pPlot->ToDisplayValue(static_cast<float>(peak)));
}

// ---------------------------------------------------------------------------------------------
// Legend and reference

void CSndView::OnLegend()
{
    CPlot& plot = *m_pPlot;
    plot.m_bLegend = plot.m_bLegend ? 0 : 1;
    if (plot.m_bLegend)
    {
        RebuildCurveList();
        plot.m_legend.m_nOffsetX = 0;
        plot.m_legend.m_nOffsetY = 0;
    }
    m_bRedrawRequest = 1;
    if (m_pWindow)
        m_pWindow->Invalidate();
}

void CSndView::OnHideLegend()
{
    m_pPlot->m_bLegend = 0;
    m_bRedrawRequest = 1;
    if (m_pWindow)
        m_pWindow->Invalidate();
}

void CSndView::OnResetCurveNames()
{
    const CPlot& plot = *m_pPlot;
    const int curves = plot.GetCurveCount();
    for (int curve = 0; curve < curves; ++curve)
    {
        const int channel = plot.GetCurveChannel(curve);
        if ((channel >= 0 || plot.m_nMathMode != CPlot::kMathOff) && curve < CLegendDlg::kMaxEntries)
            m_pPlot->m_legend.m_abNameSetByUser[static_cast<std::size_t>(curve)] = 0;
        if (channel >= 0)
            SetCurveName(curve, GetCurveLabel(channel, 0));
        else if (plot.m_nMathMode != CPlot::kMathOff)
            SetCurveName(curve, GetCurveLabel(plot.m_nMathFunction, 1));
    }
    RebuildCurveList();
}

void CSndView::OnSetAsReference()
{
    // 1.
    if (m_engine.m_pReferenceRecord)
    {
        if (m_engine.m_bReferenceShown)
        {
            m_engine.m_bReferenceShown = 0;
            m_pPlot->ForceRedraw();
            return;
        }
        if (!Frame() || !Frame()->AskYesNo(kOverwriteReference))
        {
            m_engine.m_bReferenceShown = 1;
            m_pPlot->ForceRedraw();
            return;
        }
    }
    // 2.
    const int curve = GetSelectedCurve();
    const float* y = GetCurveData(curve);
    const int count = GetCurvePointCount(curve);
    if (!y || count <= 0 || curve >= GetCurveCount())
        return;
    std::vector<float> xs(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        xs[static_cast<std::size_t>(i)] = static_cast<float>(GetCurveXValue(curve, i));
    if (!m_engine.m_pReferenceRecord)
        m_engine.m_pReferenceRecord = std::make_unique<CCalibrationCurve>();
    {
        const std::lock_guard lock(m_engine.m_displayLock);
        m_engine.m_pReferenceRecord->SetPoints(count, m_engine.m_nSampleRate, xs.data(), y);
    }
    m_engine.m_bReferenceShown = 1;
    m_pPlot->ForceRedraw();
}

void CSndView::DrawReference(gfx::Canvas& canvas)
{
    const CCalibrationCurve* reference = m_engine.m_pReferenceRecord.get();
    if (!reference || !m_engine.m_bReferenceShown || !IsFrequencyAxis())
        return;
    const CPlot& plot = *m_pPlot;
    const std::size_t count = std::min(reference->m_pFrequency.size(), reference->m_pValue.size());
    std::vector<gfx::Point> points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        // The record holds the correction 1 / (v + 1e-20) of each measured value v.
        const double stored = reference->m_pValue[i];
        if (!(stored > 0.0))
            continue;
        const double value = 1.0 / stored - 1e-20;
        if (!(value > 0.0))
            continue;
        PlotPoint p;
        plot.ValueToPixel(&p, reference->m_pFrequency[i], plot.ToDisplayValue(static_cast<float>(value)));
        points.push_back(gfx::Point{p.x, p.y});
    }
    if (points.size() < 2)
        return;
    canvas.SetPen(
        gfx::Pen{plot.m_colorScheme.GetColor(CColorScheme::RoleCursorMarkerPen), 1, gfx::PenStyle::Dash});
    canvas.Polyline(points);
}

// ---------------------------------------------------------------------------------------------
// Commands

bool CSndView::OnMouseCommand(int id)
{
    switch (id)
    {
        case cmd::kUndoZoom:
            OnUndoZoom();
            return true;
        case cmd::kRedoZoom:
            OnRedoZoom();
            return true;
        case cmd::kResizeAxis:
            OnResizeAxis();
            return true;
        case cmd::kSetMarker:
            OnSetMarker();
            return true;
        case cmd::kClearMarker:
            OnClearMarker();
            return true;
        case cmd::kAddLabel:
            OnAddLabel();
            return true;
        case cmd::kAddLine:
            OnAddLine();
            return true;
        case cmd::kSetTo0dB:
            OnSetTo0dB();
            return true;
        case cmd::kSetPeakTo0dB:
            OnSetPeakTo0dB();
            return true;
        case cmd::kLegend:
            OnLegend();
            return true;
        case cmd::kHideLegend:
            OnHideLegend();
            return true;
        case cmd::kResetCurveNames:
            OnResetCurveNames();
            return true;
        case cmd::kSetAsReference:
            OnSetAsReference();
            return true;
        default:
            return false;
    }
}

bool CSndView::IsMouseCommandChecked(int id, bool& checked) const
{
    if (id == cmd::kLegend)
        checked = m_pPlot->m_bLegend != 0;
    else if (id == cmd::kSetAsReference)
        checked = m_engine.m_pReferenceRecord && m_engine.m_bReferenceShown;
    else
        return false;
    return true;
}
