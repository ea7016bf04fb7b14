// View modes: the code that sums up what a window shows, derived from its settings slot, its
// impulse-plot flags and the engine's analyser mode, and the toolbar commands that switch them.
#include "view/SndView.h"

#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "view/DefaultAxisRecords.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"

namespace
{

// Impulse-plot flags in the order GetViewMode tests them.
constexpr std::array<int, 8> kImpulseOrder = {257, 258, 256, 259, 260, 261, 262, 263};

}  // namespace

int SweepXQuantity(int sweepPlotOptions)
{
    return (sweepPlotOptions >> 1) & 0xF;
}

int CSndView::GetViewMode() const
{
    const CViewSettings* current = CurrentSettings();
    if (!current)
        return 0;
    const CViewSettings& settings = *current;
    if (settings.m_nDisplayKind & 2)
        return 320;
    if (settings.m_bAttenuationPlot)
        return 281;
    for (int code : kImpulseOrder)
        if (m_abImpulsePlot[static_cast<std::size_t>(code - 256)])
            return code;
    if (settings.m_bPolar)
        return 9;
    if (const int engineMode = m_engine.GetAnalyzerMode(); engineMode != 0)
        return engineMode;
    if (settings.m_nSweepResultType > 0)
    {
        if (settings.m_bLevelSweepPlot)
            return 128;
        if (settings.m_bFreqSweepPlot)
            return 96;
    }
    if (settings.m_nDisplayKind != 0)
        return 64;
    if (settings.m_bSpectrogram)
        return 6;
    if (settings.m_nBandsPerOctave > 0 && !m_engine.m_bMlsMode)
        return 32;
    if (settings.m_bSpecificLoudness)
        return 160;
    if (settings.m_bPhonetogram)
        return 288;
    if (settings.m_bLoggerResults)
        return 271;
    return 0;
}

void CSndView::ClearImpulsePlotFlags()
{
    m_abImpulsePlot.fill(0);
}

int CSndView::ResetViewFlags()
{
    if (!m_pSettings)
        return 0;
    const int processing = m_engine.m_bProcessingEnabled.exchange(0);
    m_engine.SetAnalyzerMode(0);
    CViewSettings& settings = *m_pSettings;
    settings.m_nBandsPerOctave = 0;
    settings.m_bBarGraph = 0;
    settings.m_bSpectrogram = 0;
    settings.m_bFreqSweepPlot = 0;
    settings.m_bLevelSweepPlot = 0;
    settings.m_nDisplayKind = 0;
    settings.m_bSpecificLoudness = 0;
    settings.m_bPolar = 0;
    settings.m_bAttenuationPlot = 0;
    settings.m_bLoggerResults = 0;
    ClearImpulsePlotFlags();
    m_engine.m_bImpulseVariant = 0;
    m_engine.m_bDcBlock = 0;
    m_engine.SetTriggerDefaults();

    m_nRememberedMode = -1;
    const CAxisProp& spectrum = GetDefaultAxisRecords().Get(CDefaultAxisRecords::kSpectrum);
    settings.m_ModeAxes[0].m_bLogX = spectrum.m_bLogX;
    settings.m_ModeAxes[0].m_bLogY = spectrum.m_bLogY;
    settings.m_Axes.CopyFrom(settings.m_ModeAxes[static_cast<std::size_t>(GetViewMode())]);

    const int result = SetupAxes();
    m_engine.m_bProcessingEnabled.store(processing);
    return result;
}

void CSndView::SetViewMode(int code)
{
    if (!m_pSettings)
        return;
    if (code >= 256 && code <= 270)
    {
        ClearImpulsePlotFlags();
        if (code <= 263)
            m_abImpulsePlot[static_cast<std::size_t>(code - 256)] = 1;
        return;
    }
    ResetViewFlags();
    CViewSettings& settings = *m_pSettings;
    switch (code)
    {
        case 9:
            settings.m_bPolar = 1;
            break;
        case 96:
            settings.m_bFreqSweepPlot = 1;
            break;
        case 128:
            settings.m_bLevelSweepPlot = 1;
            break;
        case 271:
            settings.m_bLoggerResults = 1;
            SetupCurves();
            break;
        case 281:
            settings.m_bAttenuationPlot = 1;
            break;
        case 10001:
        case 10002:
            settings.m_bBarGraph = 1;
            settings.m_nBandsPerOctave = code == 10001 ? 1 : 3;
            SetupCurves();
            break;
        default:
            break;
    }
}

bool CSndView::IsSweepResultMode() const
{
    const int mode = GetViewMode();
    return mode == 96 || mode == 128;
}

bool CSndView::IsFrequencyAxis() const
{
    if (!m_pSettings)
        return m_engine.IsFrequencyAxisMode();
    const CViewSettings& settings = *m_pSettings;
    const int mode = GetViewMode();
    if (mode == 1 || mode == 320 || mode == 128)
        return false;
    if (mode == 96)
        return true;
    if (settings.m_bLevelSweepPlot || settings.m_nDisplayKind != 0)
        return false;
    for (int code : {257, 258, 262, 263})
        if (m_abImpulsePlot[static_cast<std::size_t>(code - 256)])
            return true;
    for (int code : {256, 259, 261, 260})
        if (m_abImpulsePlot[static_cast<std::size_t>(code - 256)])
            return false;
    if (settings.m_bPolar)
        return false;
    if (settings.m_bPhonetogram)
        return true;
    if (settings.m_bLoggerResults)
        return false;
    return m_engine.IsFrequencyAxisMode();
}

bool CSndView::IsTimeAxis() const
{
    if (IsFrequencyAxis() || IsSweepResultMode())
        return false;
    const int mode = GetViewMode();
    if (mode == 1 || mode == 320)
        return true;
    for (int code : {256, 259, 260, 261})
        if (m_abImpulsePlot[static_cast<std::size_t>(code - 256)])
            return true;
    if (m_pSettings && m_pSettings->m_bLoggerResults)
        return true;
    switch (mode)
    {
        case 1:
        case 4:
        case 7:
        case 36:
        case 64:
        case 256:
        case 259:
        case 260:
        case 261:
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Analyser-mode commands

void CSndView::OnFftAnalyzer()
{
    OnStop();
    ResetViewFlags();
    OnStart();
    RestartDisplay();
}

void CSndView::OnMlsMeasurement()
{
    OnStop();
    ResetViewFlags();
    m_engine.SetAnalyzerMode(2);
    OnStart();
    RestartDisplay();
}

void CSndView::OnOscilloscope()
{
    if (!m_pSettings)
        return;
    if (GetViewMode() == 320)
    {
        m_pSettings->m_nDisplayKind = 0;
        RestartDisplay();
        return;
    }
    if (m_document.GetViews().size() > 1)
    {
        // The engine and the other windows keep their analysis.
        m_pSettings->m_nDisplayKind = 2;
        RestartDisplay();
        return;
    }
    m_nSavedWindowType = m_engine.m_nWindowType + 256 * m_engine.m_bWindowEnable;
    m_engine.m_bWindowEnable = 0;
    m_engine.m_nWeightingType = 0;
    m_engine.SetAnalyzerMode(1);
    OnStart();
    m_engine.ResetTrigger();
    RestartDisplay();
}

void CSndView::OnBarGraph()
{
    if (!m_pSettings)
        return;
    CViewSettings& settings = *m_pSettings;
    const int wasOn = settings.m_bBarGraph;
    const int bands = settings.m_nBandsPerOctave;
    OnStop();
    SetViewMode(0);
    settings.m_nDisplayKind = 0;
    m_engine.m_nBandAnalyzerMode = 0;
    settings.m_bBarGraph = 1;
    if (wasOn == 0)
        settings.m_nBandsPerOctave = 3;
    if (bands < 1)
        settings.m_nBandsPerOctave = 3;
    else if (bands == 1)
    {
        settings.m_nBandsPerOctave = 0;
        settings.m_bBarGraph = 0;
    }
    else if (bands == 3)
        settings.m_nBandsPerOctave = 1;
    m_engine.m_nBandAnalyzerMode = settings.m_nBandsPerOctave;
    OnStart();
    RestartDisplay();
}

void CSndView::OnImpedance()
{
    ResetViewFlags();
    m_engine.SetAnalyzerMode(5);
    RestartDisplay();
}

void CSndView::OnSpectrogram()
{
    if (!m_pSettings)
        return;
    if (m_pSettings->m_bSpectrogram)
        m_pSettings->m_bSpectrogram = 0;
    else
    {
        ResetViewFlags();
        m_pSettings->m_bSpectrogram = 1;
    }
    RestartDisplay();
}

void CSndView::OnDistortion()
{
    if (!m_pSettings)
        return;
    m_pSettings->m_bHarmonicMarkers = !m_pSettings->m_bHarmonicMarkers;
    m_pSettings->m_bIntermodulation = 0;
    RestartDisplay();
}

void CSndView::OnIntermodulation()
{
    if (!m_pSettings)
        return;
    CViewSettings& settings = *m_pSettings;
    settings.m_bIntermodulation = !settings.m_bIntermodulation;
    settings.m_bHarmonicMarkers = 0;
    if (settings.m_bIntermodulation)
    {
        // The two test frequencies and the product orders the window holds.
        m_pPlot->m_dTone1 = settings.m_dImFrequency1;
        m_pPlot->m_dTone2 = settings.m_dImFrequency2;
        for (std::size_t order = 0; order < settings.m_bImOrder.size(); ++order)
            m_pPlot->m_abProductOrders[order] = settings.m_bImOrder[order];
    }
    RestartDisplay();
}

void CSndView::OnPeak()
{
    if (!m_pSettings)
        return;
    CViewSettings& settings = *m_pSettings;
    if (settings.m_bBarGraph)
        settings.m_bPeakHold = !settings.m_bPeakHold;
    else
    {
        int& mode = settings.m_nMathMode;
        const int kind = settings.m_nMathFunction;
        if (mode == 2 && kind == 0)
            mode = 1;
        else if (mode == 1 && kind == 0)
            mode = 0;
        else
            mode = 2;
        settings.m_nMathFunction = 0;
    }
    RestartDisplay();
}

void CSndView::OnAverage()
{
    if (!m_pSettings)
        return;
    CViewSettings& settings = *m_pSettings;
    int& mode = settings.m_nMathMode;
    int& kind = settings.m_nMathFunction;
    if (settings.m_bBarGraph)
    {
        if (settings.m_nBandsPerOctave <= 0)
            return;
        if (mode == 2 && kind == 2)
        {
            mode = 0;
            kind = 0;
        }
        else
        {
            mode = 2;
            kind = 0;
            m_engine.m_anAveragingSettings = {2, 2};
        }
    }
    else if (mode == 2 && kind == 2)
    {
        mode = 1;
        m_engine.m_anAveragingSettings[1] = 2;
    }
    else if (mode == 1 && kind == 2)
    {
        mode = 0;
    }
    else
    {
        mode = 2;
        kind = 2;
        m_engine.m_anAveragingSettings = {2, 2};
        // The average starts afresh from the blocks that follow the press.
        OnResetMeasurements();
    }
    RestartDisplay();
}

void CSndView::OnDualChannel()
{
    if (!m_pSettings)
        return;
    if (m_engine.m_nInputMode == CSoundIn::kInputFile && m_engine.m_nDeviceChannels == 1)
    {
        if (Frame())
            Frame()->ShowMessage(kMonoFileMessage);
        return;
    }
    OnStop();
    Cchannel_settings& first = m_pSettings->m_Channels.GetChannel(0);
    Cchannel_settings& second = m_pSettings->m_Channels.GetChannel(1);
    if (m_engine.m_nChannelMode == 3)
    {
        if ((first.m_bActive != 0) != (second.m_bActive != 0))
        {
            first.m_bActive = second.m_bActive ? 1 : 0;
            second.m_bActive = 1;
        }
        else
        {
            first.m_bActive = 1;
            second.m_bActive = 0;
        }
    }
    else
    {
        m_engine.m_nChannelMode = 3;
        first.m_bActive = 1;
        second.m_bActive = 1;
        if (m_engine.m_nInputMode == CSoundIn::kInputAsio)
            second.m_bActive = 0;
    }
    OnStart();
    RestartDisplay();
}

void CSndView::OnToggleChannel(int channel)
{
    if (!m_pSettings || channel < 0 || channel > 1 || channel >= m_pSettings->m_Channels.m_nCount)
        return;
    Cchannel_settings& record = m_pSettings->m_Channels.GetChannel(channel);
    record.m_bActive = record.m_bActive ? 0 : 1;
    RestartDisplay();
}

void CSndView::OnLinLogX()
{
    if (!m_pSettings)
        return;
    const int mode = GetViewMode();
    if (mode == 160)
        return;
    bool allowed = false;
    if (mode == 128)
    {
        const int quantity = SweepXQuantity(m_pSettings->m_nSweepPlotOptions);
        allowed = quantity == 1 || quantity == 2;
    }
    else
        allowed = IsFrequencyAxis();
    if (!allowed)
        return;
    m_pSettings->m_Axes.m_bLogX = !m_pSettings->m_Axes.m_bLogX;
    RestartDisplay();
}
