// Axes, titles, units and status bar: the set-up of the window's plot for the view mode in force,
// the per-mode axis records, y auto scale, reset zoom and the status bar panes.
#include "view/SndView.h"

#include "display/settings/ViewSettings.h"
#include "dsp/FrequencyWeighting.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"
#include "view/ViewTexts.h"

#include <algorithm>
#include <mutex>
#include <cmath>

namespace
{

constexpr const char* kBarkTitle = "Critical Band Rate (bark)";

// The window's texts with one text argument, numbers in the C locale.
std::string Format(const char* format, const std::string& text)
{
    return platform::FormatC(format, text.c_str());
}

// Time units of the level monitor and logger axes, chosen by the span they show.
double TimeUnitFactor(double spanSeconds)
{
    if (spanSeconds > 216000.0)
        return 1.0 / 86400.0;
    if (spanSeconds > 9000.0)
        return 1.0 / 3600.0;
    if (spanSeconds > 150.0)
        return 1.0 / 60.0;
    return 1.0;
}

bool Near(double value, double target)
{
    return std::fabs(value - target) <= 0.1 * target;
}

}  // namespace

int DecimalsForValue(double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude <= 1.0)
        return 4;
    if (magnitude <= 10.0)
        return 3;
    if (magnitude <= 100.0)
        return 2;
    if (magnitude <= 1000.0)
        return 1;
    return 0;
}

int CSndView::SetupAxes()
{
    if (m_pSettings)
        m_pSettings = CurrentSettings();
    if (!m_pSettings)
        return 0;
    // 1.
    const int processing = m_engine.m_bProcessingEnabled.exchange(0);
    const double rate = m_engine.m_nSampleRate > 0 ? m_engine.m_nSampleRate : 44100;
    m_pSettings->m_dSampleRate = rate;
    // The 3D waterfall's feed: the style word, the seconds per block and the sliding window.
    m_pPlot->m_waterfall.m_nStyle = m_engine.Get3dStyleWord();
    m_pPlot->m_waterfall.m_dBlockTime = m_engine.m_nFftSize / rate;
    m_pPlot->m_waterfall.m_nWindowLength = m_engine.m_nFftSize;
    const int mode = GetViewMode();
    if (mode == 64)
        m_engine.m_nLevelMonitorMode = std::max(m_engine.m_nLevelMonitorMode, 1);
    if (!m_pSettings->m_strWindowTitle.empty() && m_pWindow)
        m_pWindow->SetFrameTitle(m_pSettings->m_strWindowTitle);
    // 2. Nothing is set up while a workspace loads; the flag goes back to what it was, so that a
    // caller that did not save it leaves the windows drawing.
    if (g_bDisplayRestart == 0)
    {
        m_engine.m_bProcessingEnabled.store(processing);
        return 0;
    }
    // 3. Loading a workspace replaces the slot objects.
    if (m_nViewIndex >= 0)
        if (CViewSettings* slot = m_document.m_viewSettings[static_cast<std::size_t>(m_nViewIndex)].get())
            m_pSettings = slot;
    CViewSettings& settings = *m_pSettings;
    m_nAxesDisplayLength = m_engine.m_nDisplayLength;
    m_nAxesRate = m_engine.m_nSampleRate;
    m_bRubberBand = 0;
    m_engine.m_bAveragingType = m_engine.m_anAveragingSettings[1] == 2 ? 1 : 0;

    CPlot& plot = *m_pPlot;
    // 4.
    if (mode != m_nRememberedMode)
    {
        if (m_bInitialised && m_nRememberedMode >= 0)
            settings.m_ModeAxes[static_cast<std::size_t>(m_nRememberedMode)].CopyFrom(settings.m_Axes);
        settings.m_Axes.CopyFrom(settings.m_ModeAxes[static_cast<std::size_t>(mode)]);
        m_nRememberedMode = mode;
        plot.m_bLayoutDirty = 1;
        settings.m_UndoAxes.CopyFrom(settings.m_Axes);
        settings.m_RedoAxes.CopyFrom(settings.m_Axes);
    }
    CAxisProp& record = settings.m_Axes;

    // 5.
    // (The decibel flag, the time-unit factor and the logarithmic x follow the mode's changes to
    // the record below.)
    CPlotRange& full = plot.m_dataRange;
    full.m_dLogFactor = 10.0;
    full.m_dLogOffset = 0.0;
    full.m_dXOffset = 0.0;
    plot.m_bPolar = 0;
    double timeUnit = 1.0;

    // 6.
    const bool engineBuffers = mode < 256 && !IsSweepResultMode() && mode != 281;
    const int fftSize = std::max(1, m_engine.m_nFftSize);
    if (engineBuffers)
        plot.m_dBinWidth = rate / fftSize;
    const int displayLength = std::max(0, m_engine.m_nDisplayLength);
    const int points = std::max(1, plot.GetPointCount() > 0 ? plot.GetPointCount() : displayLength);
    // 7.
    if (record.m_bLogY)
    {
        full.m_dYMin = m_engine.m_dMinLevelDb;
        full.m_dYMax = m_engine.m_dMaxLevelDb;
    }
    // 8.
    const double firstBin = rate / 2.0 / std::max(1, displayLength > 0 ? displayLength : points);
    {
        const double xMax = std::min(rate / 2.0 - firstBin, 1.07 * m_engine.m_dMaxFrequency);
        full.m_dXMin = std::max(firstBin, m_engine.m_dMinFrequency);
        full.m_dXMax = xMax;
    }
    // 9. and 10.: the titles are set in step 24; the band display is not part of the plot yet.

    // 11.
    std::string yUnit = "dB";
    switch (mode)
    {
        case 1:
        case 4:
        case 320:
            plot.m_dBinWidth = 1000.0 / rate;
            full.m_dYMin = -1.1;
            full.m_dYMax = 1.1;
            full.m_dXMin = 0.0;
            full.m_dXMax = (mode == 320 ? fftSize : displayLength) * 1000.0 / rate;
            record.m_bLogX = 0;
            yUnit = " ";
            break;
        case 3:
        case 8:
        case 258:
            full.m_dYMin = -180.0;
            full.m_dYMax = 180.0;
            yUnit = view_text::kDegreeSign;
            record.m_bLogY = 0;
            break;
        case 5:
            full.m_dYMin = 0.0;
            full.m_dYMax = 1000.0;
            yUnit = "Ohm";
            break;
        case 9:
            full.m_dLogFactor = 20.0;
            yUnit.clear();
            plot.m_bPolar = 1;
            break;
        case 36:
            plot.m_dBinWidth = 1000.0 / rate;
            full.m_dXMin = 0.0;
            full.m_dXMax = displayLength * 1000.0 / rate;
            full.m_dYMin = -60.0;
            break;
        case 7:
            plot.m_dBinWidth = 1000.0 / rate;
            full.m_dXMin = -0.5 * displayLength * 1000.0 / rate;
            full.m_dXMax = 0.5 * displayLength * 1000.0 / rate;
            full.m_dXOffset = full.m_dXMin;
            full.m_dYMin = -0.1;
            full.m_dYMax = 1.1;
            yUnit.clear();
            break;
        case 32:
            full.m_dXMax = std::min(rate / 2.0, 12000.0);
            if (rate / 2.0 < 12000.0)
            {
                record.m_dXMin = 1.0;
                record.m_dXMax = 0.0;
            }
            break;
        case 64:
        {
            const CLevelMonitor& monitor = m_engine.m_levelMonitor;
            const double step = m_engine.m_dLevelShortTime > 0.0 ? m_engine.m_dLevelInterval : 1.0;
            plot.m_dBinWidth = step;
            full.m_dXMin = 0.0;
            full.m_dXMax = static_cast<double>(monitor.m_nHistoryLength) * step;
            timeUnit = TimeUnitFactor(full.m_dXMax - full.m_dXMin);
            full.m_dXMax *= timeUnit;
            record.m_dPlotFactor = timeUnit;
            break;
        }
        case 160:
            full.m_dXMin = 0.0;
            full.m_dXMax = 26.0;
            full.m_dYMin = 0.0;
            full.m_dYMax = 180.0;
            yUnit = "sone";
            break;
        case 288:
            full.m_dYMin = -100.0;
            full.m_dYMax = 0.0;
            full.m_dXMin = 30.0;
            full.m_dXMax = 2000.0;
            break;
        default:
            break;
    }
    // The impulse plots: their x axis follows the held impulse response.
    if (mode >= 256 && mode <= 263 && m_impulse.IsHeld())
    {
        const double impulseRate = m_impulse.m_dSampleRate > 0.0 ? m_impulse.m_dSampleRate : rate;
        if (mode == 256 || mode == 259 || mode == 260 || mode == 261)
        {
            const int length = m_nImpulsePoints > 0 ? m_nImpulsePoints : m_impulse.m_nFrames;
            plot.m_dBinWidth = 1000.0 / impulseRate;
            full.m_dXMin = 0.0;
            full.m_dXMax = length * 1000.0 / impulseRate;
            if (mode == 256 || mode == 261)
            {
                full.m_dYMin = -1.1;
                full.m_dYMax = 1.1;
                yUnit = " ";
            }
        }
        else if (mode == 262)
        {
            full.m_dXMin = 0.9 * m_engine.m_reverbWizard.minFrequency;
            full.m_dXMax = 1.1 * m_engine.m_reverbWizard.maxFrequency;
            full.m_dYMin = 0.0;
            full.m_dYMax = 3000.0;
            yUnit = "ms";
        }
        else
        {
            const int fftLength = m_nImpulseFftLength > 0 ? m_nImpulseFftLength : m_impulse.m_nAnalysisLength;
            plot.m_dBinWidth = impulseRate / std::max(1, fftLength);
            full.m_dXMin = std::max(plot.m_dBinWidth, m_engine.m_dMinFrequency);
            full.m_dXMax = impulseRate / 2.0;
            if (mode == 263)
                yUnit = "ms";
        }
    }
    // 12.
    if (yUnit == "dB" && !record.m_bLogY && mode != 96 && mode != 128)
        yUnit.clear();
    record.m_strYUnit = yUnit;
    record.m_strXUnit = GetXUnit(mode);
    full.m_bDecibel = record.m_bLogY;
    full.m_dXScale = mode == 64 ? timeUnit : 1.0;

    // 13.
    if (record.m_dXMin > record.m_dXMax || m_bResetRangeRequest)
    {
        record.m_dXMin = full.m_dXMin;
        record.m_dXMax = full.m_dXMax;
        record.m_dPlotFactor = full.m_dXScale;
        m_bResetRangeRequest = 0;
    }
    // A spectrum's axis follows the FFT size and the rate: an end of the window that stood at an
    // end of the full range moves with it. A zoom of the user's stays as it was set.
    if (engineBuffers && mode != 32 && IsFrequencyAxis())
    {
        const auto atEnd = [](double value, double end)
        { return end > 0.0 && std::fabs(value - end) <= 1e-9 * end; };
        if (m_dFullSpectrumXMax > 0.0 &&
            (full.m_dXMin != m_dFullSpectrumXMin || full.m_dXMax != m_dFullSpectrumXMax))
        {
            if (atEnd(record.m_dXMin, m_dFullSpectrumXMin))
                record.m_dXMin = full.m_dXMin;
            if (atEnd(record.m_dXMax, m_dFullSpectrumXMax))
                record.m_dXMax = full.m_dXMax;
        }
        m_dFullSpectrumXMin = full.m_dXMin;
        m_dFullSpectrumXMax = full.m_dXMax;
    }

    // 14. and 15.
    plot.m_viewRange = full;
    plot.m_viewRange.m_dYMin = record.m_dYMin;
    plot.m_viewRange.m_dYMax = record.m_dYMax;
    plot.m_viewRange.m_dXMin = record.m_dXMin;
    plot.m_viewRange.m_dXMax = record.m_dXMax;
    plot.m_viewRange.m_bXLog = record.m_bLogX;
    plot.m_viewRange.m_bYLog = 0;
    full.m_bXLog = record.m_bLogX;
    plot.m_bBarGraph = settings.m_bBarGraph;
    plot.m_nBandFraction = settings.m_nBandsPerOctave;
    plot.m_nFftBarFraction = std::max(1, settings.m_nBarsPerOctave);
    plot.m_bPeakMarkers = settings.m_bPeakHold;
    plot.m_bSonagram = settings.m_bSpectrogram;
    plot.m_bLoudness = m_engine.m_bLoudness;

    // 16.
    for (int c = 0; c < CPlot::kMaxChannels; ++c)
        plot.m_arrStyles[static_cast<std::size_t>(c)].CopyFrom(
            settings.m_Channels.GetChannel(c).m_CurveStyle);
    // 17.
    plot.m_nMathMode = settings.m_nMathMode;
    if (settings.m_nMathFunction != plot.m_nMathFunction)
    {
        plot.m_nMathFunction = settings.m_nMathFunction;
        OnResetMeasurements();
    }
    // 18.
    plot.m_nHarmonicCount = std::clamp(settings.m_nMaxHarmonics, 1, CCurveStatistics::kMaxHarmonics);
    plot.m_nHarmonicMask = static_cast<unsigned>(settings.m_nHarmonicsMask);
    plot.m_bPercent = settings.m_bThdPercent;
    plot.m_nWindowType = m_engine.m_bWindowEnable ? m_engine.m_nWindowType : 0;
    plot.m_bTriggerMarker = m_engine.IsTriggerArmed() ? 1 : 0;
    plot.m_dTriggerLevel = m_engine.m_dTriggerLevel;
    plot.m_strTriggerName = m_engine.GetTriggerModeName();
    plot.m_bDecibel = record.m_bLogY;
    // 19.
    plot.m_bHarmonics = mode == 0 ? settings.m_bHarmonicMarkers : 0;
    plot.m_bIntermodulation = mode == 0 ? (settings.m_bIntermodulation || settings.m_bEnableImd) : 0;
    plot.m_bDistortionFigures = mode == 0 ? settings.m_bEnableThd : 0;
    // 20.
    for (int c = 0; c < CPlot::kMaxChannels; ++c)
        plot.m_abDisplayed[static_cast<std::size_t>(c)] = settings.m_Channels.GetChannel(c).m_bActive ? 1 : 0;
    // 21.
    plot.ApplySettings();
    settings.m_ModeAxes[static_cast<std::size_t>(mode)].CopyFrom(record);
    // 22. The engine analyses the union of the channels the windows show, and averages its
    // display while a window shows the average curve.
    int averaging = 0;
    for (CSndView* view : m_document.GetViews())
        if (view->m_nViewTag == kViewTag && view->m_pSettings && view->m_pSettings->m_nMathMode != 0 &&
            view->m_pSettings->m_nMathFunction == CPlot::kMathAverage)
            averaging = 1;
    m_engine.m_bDisplayAveraging.store(averaging);
    for (int c = 0; c < CPlot::kMaxChannels; ++c)
    {
        int active = 0;
        for (CSndView* view : m_document.GetViews())
            if (view->m_nViewTag == kViewTag && view->m_pSettings &&
                view->m_pSettings->m_Channels.GetChannel(c).m_bActive)
                active = 1;
        m_engine.m_abChannelActive[static_cast<std::size_t>(c)] = active;
    }
    // 23.
    m_bRubberBand = 0;
    RebuildCurveList();
    if (plot.m_nActiveCurve < 0 || plot.m_nActiveCurve >= std::max(1, plot.GetCurveCount()))
        plot.m_nActiveCurve = 0;
    // 24.
    plot.m_strYTitle = GetYTitle(mode);
    plot.m_strXTitle = GetXTitle(mode);
    // 25.
    m_nLastAnalysisCount = 0;
    m_nProgressCounter = 0;
    m_engine.m_bProcessingEnabled.store(processing);
    return 1;
}

std::string CSndView::GetYTitle(int mode) const
{
    std::string title = m_pSettings ? m_pSettings->m_Axes.m_strYTitle : std::string();
    switch (mode)
    {
        case 0:
        case 2:
        case 6:
        case 259:
        case 36:
        case 257:
        case 260:
            title = "[dB]";
            break;
        case 1:
        case 4:
        case 256:
        case 261:
        case 320:
            title = GetText(view_text::kAmplitude);
            break;
        case 3:
        case 8:
        case 258:
            title = GetText(view_text::kPhase) + " [deg]";
            break;
        case 5:
            title = GetText(view_text::kImpedance) + " [Ohm]";
            break;
        case 7:
            title = GetText(view_text::kCorrelation);
            if (m_engine.m_nAnalysisChannels == 1)
                title = "auto-" + title;
            break;
        case 32:
            title = "Z [dB]";
            break;
        case 64:
            title = Format("LEQ(%s)[dB]", GetWeightingName(m_engine.m_nWeightingType));
            break;
        case 160:
            title = "specific loudness [sone]";
            break;
        case 262:
        case 263:
            title = Format("%s [ms]", GetText(view_text::kTime));
            break;
        case 288:
            title = GetText(view_text::kLevel) + " [dB]";
            break;
        default:
            break;
    }
    if (title == "[dB]" && m_pSettings && !m_pSettings->m_Axes.m_bLogY && mode != 96 && mode != 128)
        title.clear();
    return title;
}

std::string CSndView::GetXTitle(int mode) const
{
    const std::string time = GetText(view_text::kTime);
    switch (mode)
    {
        case 64:
        case 271:
        {
            const double factor = m_pPlot->m_dataRange.m_dXScale;
            if (Near(factor, 1.0 / 60.0))
                return Format("%s [min]", time);
            if (Near(factor, 1.0 / 3600.0))
                return Format("%s [h]", time);
            if (Near(factor, 1.0 / 86400.0))
                return Format("%s [d]", time);
            return Format("%s [s]", time);
        }
        case 128:
        {
            const int options = m_pSettings ? m_pSettings->m_nSweepPlotOptions : 0;
            const std::string name =
                GetText(((options >> 5) & 0xF) == 1 ? view_text::kOutputLevel : view_text::kInputLevel);
            switch (SweepXQuantity(options))
            {
                case 0:
                    return Format("%s [dB]", name);
                case 1:
                    return Format("%s [V]", name);
                case 2:
                    return Format("%s [W]", name);
                default:
                    return kBarkTitle;
            }
        }
        case 160:
            return kBarkTitle;
        case 288:
            return Format("%s [Hz]", GetText(view_text::kFrequency));
        default:
            return IsFrequencyAxis() ? Format("%s [Hz]", GetText(view_text::kFrequency))
                                     : Format("%s [ms]", time);
    }
}

std::string CSndView::GetXUnit(int mode) const
{
    switch (mode)
    {
        case 128:
            switch (m_pSettings ? SweepXQuantity(m_pSettings->m_nSweepPlotOptions) : 0)
            {
                case 0:
                    return "dB";
                case 1:
                    return "V";
                case 2:
                    return "W";
                default:
                    return "";
            }
        case 160:
            return "bark";
        case 9:
            return view_text::kDegreeSign;
        default:
            return "Hz";
    }
}

bool CSndView::ComputeYAutoRange(double* yMin, double* yMax) const
{
    if (!m_pSettings)
        return false;
    const CPlot& plot = *m_pPlot;
    const CAxisProp& record = m_pSettings->m_Axes;
    double smallest = 1e38;
    double largest = -1e38;
    const int curves = GetCurveCount();
    for (int curve = 0; curve < curves; ++curve)
    {
        const int count = plot.GetPointCount();
        if (!plot.GetCurveData(curve) || count <= 0)
            return false;
        int first = -1;
        int last = -1;
        for (int i = 0; i < count; ++i)
        {
            const double x = plot.GetXValue(i);
            if (first < 0 && x >= record.m_dXMin)
                first = i;
            if (x <= record.m_dXMax)
                last = i;
        }
        if (first < 0)
            first = 0;
        if (last < 0)
            last = count - 1;
        for (int i = first; i <= last; ++i)
        {
            const double y = plot.GetCurveDisplayValue(curve, i);
            if (!std::isfinite(y))
                continue;
            smallest = std::min(smallest, y);
            largest = std::max(largest, y);
        }
    }
    if (curves <= 0 || smallest > largest)
        return false;
    const double span = largest - smallest;
    *yMax = largest + 0.1 * span;
    *yMin = smallest - 0.1 * span;
    if (*yMax <= *yMin)
    {
        // A flat curve still gets a range a user can see it in.
        *yMax = largest + 1.0;
        *yMin = smallest - 1.0;
    }
    return true;
}

void CSndView::OnYAutoScale()
{
    if (!m_pSettings)
        return;
    double yMin = 0.0;
    double yMax = 0.0;
    bool found = false;
    {
        // The curves read the engine's display buffers, which the analysis thread writes.
        const std::lock_guard lock(m_engine.m_displayLock);
        found = ComputeYAutoRange(&yMin, &yMax);
    }
    // Without a result the record keeps its range.
    if (found)
    {
        m_pSettings->m_Axes.m_dYMin = yMin;
        m_pSettings->m_Axes.m_dYMax = yMax;
    }
    SetupAxes();
    m_nAutoScaleEvents.fetch_add(1);
}

void CSndView::CopyZoomFromPlot()
{
    if (!m_pSettings)
        return;
    CAxisProp& record = m_pSettings->m_Axes;
    record.m_dXMin = m_pPlot->m_dataRange.m_dXMin;
    record.m_dXMax = m_pPlot->m_dataRange.m_dXMax;
    record.m_dPlotFactor = m_pPlot->m_dataRange.m_dXScale;
}

void CSndView::OnResetZoom()
{
    if (!m_pSettings)
        return;
    m_pSettings->m_Axes.m_dYMin = m_pPlot->m_dataRange.m_dYMin;
    m_pSettings->m_Axes.m_dYMax = m_pPlot->m_dataRange.m_dYMax;
    CopyZoomFromPlot();
    RestartDisplay();
}

void CSndView::UpdateStatusBar()
{
    CViewFrame* frame = Frame();
    if (!frame || !frame->HasStatusBar() || !m_pSettings)
        return;
    const int mode = GetViewMode();
    const auto setPane = [&](int pane, const std::string& value)
    {
        m_statusTexts[static_cast<std::size_t>(pane)] = value;
        frame->SetStatusPaneText(pane, value);
    };
    // Which input runs, so that silence from a missing device is never taken for a measurement.
    setPane(0, "Input: " + m_engine.GetInputName());
    // 1.
    const double rate =
        m_pSettings->m_dSampleRate > 0.0 ? m_pSettings->m_dSampleRate : m_engine.m_nSampleRate;
    setPane(1, platform::FormatC("%.0f", rate));
    // 2.
    int entry = 0;
    for (long long size = 128; size < m_engine.m_nFftSize && entry < 40; size *= 2)
        ++entry;
    frame->SelectFftSizeEntry(entry);
    // 3.
    int blockLength = m_engine.m_nFftSize;
    if (mode == 257 || mode == 258)
        blockLength = 2 * m_pPlot->GetPointCount();
    else if (mode == 256 || mode == 259 || mode == 260 || mode == 261)
        blockLength = m_pPlot->GetPointCount();
    setPane(2, platform::FormatC("%9i", blockLength));
    // 4.
    const double seconds = blockLength / (rate > 0.0 ? rate : 1.0) * std::max(1, m_engine.m_nAverageCount);
    std::string duration;
    if (seconds < 1.0)
        duration = platform::FormatC("%.0fms", seconds * 1000.0);
    else if (seconds < 10.0)
        duration = platform::FormatC("%.2fs", seconds);
    else if (seconds < 100.0)
        duration = platform::FormatC("%.1fs", seconds);
    else if (seconds < 1000.0)
        duration = platform::FormatC("%.0fs", seconds);
    else if (seconds < 60000.0)
        duration = platform::FormatC("%.0fm", seconds / 60.0);
    else
        duration = platform::FormatC("%9i", blockLength);
    setPane(3, duration);
    // 5.
    setPane(4, GetWeightingName(m_engine.m_nWeightingType));
    frame->SelectWeightingEntry(m_engine.m_nWeightingType);
    // 6.
    setPane(5, m_engine.m_bWindowEnable ? m_engine.m_strWindowName : std::string("Wind. OFF"));
}
