// The "Display properties" command: the window's display settings, the plot's and the engine's
// gathered for the sheet, checked across its pages and written back.
#include "view/SndView.h"

#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"
#include "view/ViewTexts.h"

#include <algorithm>

namespace
{

// The highest x the axes may show below half the sample rate.
constexpr double kNyquistMargin = 100.0;

}  // namespace

std::vector<std::string> CheckAxisRanges(const DisplayPropertiesValues& values)
{
    return CheckZoomRanges(values.m_bLogX != 0, values.m_dYMin, values.m_dYMax, values.m_dXMin,
                           values.m_dXMax);
}

DisplayPropertiesValues CSndView::GatherDisplayProperties() const
{
    DisplayPropertiesValues values;
    if (!m_pSettings)
        return values;
    const CViewSettings& settings = *m_pSettings;
    const CAxisProp& axes = settings.m_Axes;
    values.m_bLogX = axes.m_bLogX;
    values.m_bLogY = axes.m_bLogY;
    values.m_dYMin = axes.m_dYMin;
    values.m_dYMax = axes.m_dYMax;
    values.m_dXMin = axes.m_dXMin;
    values.m_dXMax = axes.m_dXMax;
    values.m_bBarGraph = settings.m_bBarGraph;
    values.m_nBarsPerOctave = settings.m_nBarsPerOctave;
    values.m_dBarDecay = settings.m_dBarDecay;
    values.m_bPeakHold = settings.m_bPeakHold;
    values.m_dPeakDecay = settings.m_dPeakDecay;
    values.m_nMathMode = settings.m_nMathMode;
    values.m_nMathFunction = settings.m_nMathFunction <= 2 ? settings.m_nMathFunction : -1;
    for (int c = 0; c < 3; ++c)
        values.m_styles[static_cast<std::size_t>(c)].CopyFrom(settings.m_Channels.GetChannel(c).m_CurveStyle);
    values.m_styles[3].CopyFrom(m_pPlot->m_gridStyle);
    values.m_nColorMode = m_engine.m_nColorModeBackground;
    values.m_bSonagramGrey = m_pPlot->m_nColorMode < 1 ? 1 : 0;
    values.m_bSonagramReverseTime = m_pPlot->m_sonagram.m_time.m_nValue8 != 0 ? 1 : 0;
    values.m_bSonagramReverseFrequency = m_pPlot->m_sonagram.m_frequency.m_nValue8 != 0 ? 1 : 0;
    values.m_bSonagramSwap = m_pPlot->m_sonagram.m_nOrientation == 1 ? 1 : 0;
    values.m_bShowMarkers = m_engine.m_bMarkers;
    values.m_nMarkerCount = std::clamp(m_engine.m_nMarkerCount, 0, DisplayPropertiesValues::kMaxMarkers);
    values.m_adMarkers = m_engine.m_adMarkers;
    values.m_nRefreshMs = settings.m_nRefreshMs;
    values.m_bPeakInterpolate = m_engine.m_bPeakInterpolate;
    values.m_bSmoothing = m_engine.m_bSmoothing;
    values.m_nSmoothingOctaves = m_engine.m_nSmoothingOctaves;
    values.m_bEvenHarmonics = (settings.m_nHarmonicsMask & 1) != 0;
    values.m_bOddHarmonics = (settings.m_nHarmonicsMask & 2) != 0;
    values.m_nMaxHarmonics = settings.m_nMaxHarmonics;
    values.m_bPlotPercent = settings.m_bThdPercent;
    values.m_nHistoryDepth = settings.m_nHistoryDepth;
    values.m_bJetColors = settings.m_bJetColours;
    values.m_n3dStyle = m_engine.Get3dStyleWord();
    values.m_nDecimation = settings.m_nDecimation;
    return values;
}

void CSndView::ApplyDisplayProperties(const DisplayPropertiesValues& values)
{
    if (!m_pSettings)
        return;
    CViewSettings& settings = *m_pSettings;
    CAxisProp& axes = settings.m_Axes;
    axes.m_bLogX = values.m_bLogX;
    axes.m_bLogY = values.m_bLogY;
    axes.m_dYMin = values.m_dYMin;
    axes.m_dYMax = values.m_dYMax;
    axes.m_dXMin = values.m_dXMin;
    // Nothing lies above half the rate of the data shown.
    const double rate = settings.m_dSampleRate > 0.0 ? settings.m_dSampleRate : m_engine.m_nSampleRate;
    axes.m_dXMax = IsFrequencyAxis() ? std::min(values.m_dXMax, 0.5 * rate - kNyquistMargin) : values.m_dXMax;
    settings.m_bBarGraph = values.m_bBarGraph;
    settings.m_nBarsPerOctave = values.m_nBarsPerOctave;
    settings.m_dBarDecay = values.m_dBarDecay;
    settings.m_bPeakHold = values.m_bPeakHold;
    settings.m_dPeakDecay = values.m_dPeakDecay;
    settings.m_nMathMode = values.m_nMathMode;
    if (values.m_nMathFunction >= 0)
        settings.m_nMathFunction = values.m_nMathFunction;
    for (int c = 0; c < 3; ++c)
        settings.m_Channels.GetChannel(c).m_CurveStyle.CopyFrom(values.m_styles[static_cast<std::size_t>(c)]);
    m_pPlot->m_gridStyle.CopyFrom(values.m_styles[3]);
    m_engine.m_nColorModeBackground = values.m_nColorMode;
    // A changed sonagram look starts its picture anew (the colour table is filled with the size).
    CSonagram& sonagram = m_pPlot->m_sonagram;
    const int colorMode = values.m_bSonagramGrey ? 0 : 1;
    const int orientation = values.m_bSonagramSwap ? 1 : 0;
    if (colorMode != m_pPlot->m_nColorMode || orientation != sonagram.m_nOrientation ||
        (sonagram.m_time.m_nValue8 != 0) != (values.m_bSonagramReverseTime != 0) ||
        (sonagram.m_frequency.m_nValue8 != 0) != (values.m_bSonagramReverseFrequency != 0))
    {
        m_pPlot->m_nColorMode = colorMode;
        sonagram.m_nOrientation = orientation;
        sonagram.m_time.m_nValue8 = values.m_bSonagramReverseTime ? 1 : 0;
        sonagram.m_frequency.m_nValue8 = values.m_bSonagramReverseFrequency ? 1 : 0;
        sonagram.Stop();
    }
    m_engine.m_bMarkers = values.m_bShowMarkers;
    m_engine.m_nMarkerCount = std::clamp(values.m_nMarkerCount, 0, DisplayPropertiesValues::kMaxMarkers);
    m_engine.m_adMarkers = values.m_adMarkers;
    settings.m_nRefreshMs = std::clamp(values.m_nRefreshMs, 1, 10000);
    m_engine.m_bPeakInterpolate = values.m_bPeakInterpolate;
    m_engine.m_bSmoothing = values.m_bSmoothing;
    m_engine.m_nSmoothingOctaves = values.m_nSmoothingOctaves;
    settings.m_nHarmonicsMask = (values.m_bEvenHarmonics ? 1 : 0) | (values.m_bOddHarmonics ? 2 : 0);
    settings.m_nMaxHarmonics = values.m_nMaxHarmonics;
    settings.m_bThdPercent = values.m_bPlotPercent;
    settings.m_nHistoryDepth = values.m_nHistoryDepth;
    settings.m_bJetColours = values.m_bJetColors;
    m_engine.Set3dStyleWord(values.m_n3dStyle);
    m_pPlot->m_waterfall.m_nStyle = values.m_n3dStyle;
    settings.m_nDecimation = values.m_nDecimation;
    // The plot shows the engine's markers.
    m_pPlot->m_bFrequencyMarkers = m_engine.m_bMarkers;
    m_pPlot->m_nFrequencyMarkers = m_engine.m_nMarkerCount;
    m_pPlot->m_pFrequencyMarkers = m_engine.m_adMarkers.data();
}

void CSndView::OnDisplayProperties()
{
    if (!m_pSettings || !m_pWindow)
        return;
    PauseProcessing();
    DisplayPropertiesValues values = GatherDisplayProperties();
    for (;;)
    {
        if (!m_pWindow->EditDisplayProperties(values))
        {
            ResumeProcessing();
            return;
        }
        const std::vector<std::string> messages = CheckAxisRanges(values);
        if (messages.empty())
            break;
        for (const std::string& message : messages)
            if (Frame())
                Frame()->ShowMessage(message);
    }
    ApplyDisplayProperties(values);
    ResumeProcessing();
    m_engine.m_bDisplayRestartRequest.store(1);
    m_pPlot->ForceRedraw();
    RestartDisplay();
}
