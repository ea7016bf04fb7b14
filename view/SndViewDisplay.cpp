// Display update: the window's timers, the refresh that polls the engine's analysis counter and
// draws, the display restart, and the curve set-up that points the plot at the engine's buffers.
#include "view/SndView.h"

#include "display/settings/ViewSettings.h"
#include "dsp/FloatMatrix.h"
#include "dsp/FrequencyWeighting.h"
#include "engine/BandLevels.h"
#include "engine/SoundIn.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

struct TimerSpec
{
    int id;
    int milliseconds;
    bool everyView;  // false: the first window only
    bool periodic;   // true: slowed down while the measurement does not run
};

std::array<TimerSpec, 6> WindowTimers(int refreshMs)
{
    return {{
        {CSndView::kTimerRefresh, std::max(1, refreshMs), true, true},
        {CSndView::kTimerStartup, 3000, false, false},
        {CSndView::kTimerProgress, 200, true, true},
        {CSndView::kTimerMp3, 500, false, true},
        {CSndView::kTimerDin, 500, false, true},
        {CSndView::kTimerRestart, 300, true, false},
    }};
}

// A timer's period at the pace: a periodic timer waits at least the idle period while the
// measurement does not run.
int PacedPeriod(int milliseconds, bool periodic, bool idle)
{
    return periodic && idle ? std::max(milliseconds, CSndView::kIdleTimerMs) : milliseconds;
}

}  // namespace

bool CSndView::SetTimers()
{
    if (!m_pWindow || !m_pSettings)
        return false;
    m_nTimerPace = -1;
    return ArmTimers(false);
}

void CSndView::PaceTimers()
{
    if (m_pWindow && m_pSettings)
        ArmTimers(true);
}

bool CSndView::ArmTimers(bool periodicOnly)
{
    const int pace = m_engine.GetState() == CSoundIn::kStateRunning ? 1 : 0;
    if (periodicOnly && pace == m_nTimerPace)
        return true;
    for (const TimerSpec& timer : WindowTimers(m_pSettings->m_nRefreshMs))
    {
        if ((!timer.everyView && m_nViewIndex != 0) || (periodicOnly && !timer.periodic))
            continue;
        if (!m_pWindow->SetTimer(timer.id, PacedPeriod(timer.milliseconds, timer.periodic, pace == 0)))
        {
            ShowTimerWarning();
            return false;
        }
    }
    m_nTimerPace = pace;
    return true;
}

void CSndView::ShowTimerWarning()
{
    // Once per window: every display restart tries its timer again.
    if (m_bTimerWarningShown)
        return;
    m_bTimerWarningShown = true;
    if (Frame())
        Frame()->ShowMessage(kTimerWarning);
}

void CSndView::OnTimer(int id)
{
    if (m_pSettings)
        m_pSettings = CurrentSettings();
    if (!m_pSettings)
        return;
    switch (id)
    {
        case kTimerRefresh:
            PaceTimers();
            break;
        case kTimerStartup:
            if (m_pWindow)
                m_pWindow->KillTimer(kTimerStartup);
            m_engine.m_bDisplayRestartRequest.store(1);
            // The first window loads the program's default settings once the program is up.
            if (m_nViewIndex == 0)
                OnLoadDefaultSettings();
            return;
        case kTimerRestart:
            if (m_pWindow)
                m_pWindow->KillTimer(kTimerRestart);
            m_engine.m_bDisplayRestartRequest.store(1);
            return;
        case kTimerWaterfallRestart:
            if (m_pWindow)
                m_pWindow->KillTimer(kTimerWaterfallRestart);
            RestartWaterfall();
            return;
        case kTimerProgress:
        {
            if (m_nViewIndex == 0)
                m_engine.m_generatorMatrix.CoupleFrequencies();
            double fraction = 0.0;
            if (m_engine.m_bMlsMode)
                fraction = m_pSettings->m_dSampleRate / std::max(1, m_engine.m_nMlsLength) *
                           m_nProgressCounter * 0.2;
            else
            {
                double d = m_pPlot->m_dBinWidth * 0.001;
                const int engineMode = m_engine.GetAnalyzerMode();
                if ((engineMode == 1 || engineMode == 4) && d != 0.0)
                    d = 1.0 / d;
                fraction = d * m_nProgressCounter * 200.0;
            }
            if (fraction * 100.0 > 100.0)
                m_nProgressCounter = 0;
            m_dProgress = fraction * 100.0;
            if (m_engine.GetState() == CSoundIn::kStateRunning)
                ++m_nProgressCounter;
            WatchRecorder();
            return;
        }
        case kTimerMp3:
            if (m_nViewIndex == 0)
                ConvertRecordings();
            return;
        case kTimerDin:
            // The DIN 15905 period change of the first channel's level logger.
            if (m_nViewIndex == 0)
                if (CBandAnalyzer* analyzer = m_engine.GetBandAnalyzer(0))
                    analyzer->CheckDinPeriod();
            return;
        default:
            return;
    }

    // The refresh.
    if (m_bDisplayFrozen == 1)
        return;
    if (!m_pSettings->m_strWindowTitle.empty() && m_pWindow)
        m_pWindow->SetFrameTitle(m_pSettings->m_strWindowTitle);
    if (m_engine.m_bHideMenu == 1 && Frame())
        Frame()->RemoveMenu();
    if (g_bDisplayRestart == 0)
        return;
    if (m_engine.m_bDisplayRestartRequest.load() == 1)
    {
        m_document.UpdateAllViews(nullptr, 0);
        RestartDisplay();
        m_engine.m_bDisplayRestartRequest.store(0);
    }
    SetupCurves();
    const std::int64_t count = m_engine.m_nAnalysisCounter.load();
    // The engine started counting afresh: wait for its first result unless a redraw is asked for.
    if (count < m_nLastAnalysisCount && !m_pPlot->m_bFrameDirty && !m_pPlot->m_bLayoutDirty)
        return;
    if (m_engine.m_bProcessingEnabled.load() != 1)
        return;
    // A window with nothing new to show (a stopped measurement, a block still being collected) does
    // no work on its timer: paint requests of the toolkit still draw it.
    const bool fresh = count > m_nLastAnalysisCount || m_bRedrawRequest || m_pPlot->m_bFrameDirty ||
                       m_pPlot->m_bLayoutDirty || m_pPlot->m_bDataDirty;
    if (!fresh)
        return;
    m_bRedrawRequest = 0;
    m_pPlot->m_nTriggerState = m_engine.GetTriggerState();
    if (count > m_nLastAnalysisCount)
    {
        m_nProgressCounter = 0;
        m_pPlot->m_bDataDirty = 1;
        // "Auto update": every new impulse or time signal becomes the window's impulse response.
        const int analyser = m_engine.GetAnalyzerMode();
        if (m_pSettings && m_pSettings->m_bImpulseAutoUpdate && (analyser == 1 || analyser == 4))
            OnUseCurrentMeasurement();
    }
    m_nLastAnalysisCount = count;
    PassLevelData();
    FeedTonality();
    if (m_engine.m_bProcessingEnabled.load() == 1 && m_pWindow)
    {
        m_pWindow->DrawNow();
        m_nRefreshEvents.fetch_add(1);
    }
    UpdateReadouts();
}

int CSndView::RestartDisplay()
{
    if (m_pSettings)
        m_pSettings = CurrentSettings();
    if (g_bDisplayRestart == 0 || !m_pSettings)
        return 0;
    const int processing = m_engine.m_bProcessingEnabled.exchange(0);
    SetupAxes();
    m_bRedrawRequest = 1;
    if (m_pWindow)
    {
        m_pWindow->KillTimer(kTimerRefresh);
        const int period = std::max(1, m_pSettings->m_nRefreshMs);
        if (!m_pWindow->SetTimer(kTimerRefresh, PacedPeriod(period, true, m_nTimerPace == 0)))
            ShowTimerWarning();
    }
    UpdateStatusBar();
    UpdateSmoothingList();
    m_engine.m_bProcessingEnabled.store(processing);
    if (m_engine.m_bRepaintRequest.exchange(0) == 1 && m_pWindow)
    {
        m_pWindow->Invalidate();
        return 1;
    }
    return 0;
}

void CSndView::SetupCurves()
{
    if (!m_pSettings)
        return;
    CPlot& plot = *m_pPlot;
    const int mode = GetViewMode();
    const int remembered = plot.m_dataRange.m_nPoints;
    const int rememberedChannels = plot.m_nChannels;
    plot.m_pXTable = nullptr;
    plot.m_nStride = -1;
    plot.m_pMathAverageData = nullptr;

    const int channels = std::clamp(m_engine.m_nAnalysisChannels, 1, CPlot::kMaxChannels);
    // The rows of a display buffer that hold a whole row (channel c at c x row length): a buffer
    // that cannot hold every channel's row shows the rows it holds.
    const auto rowsThatFit = [&](const std::vector<float>& buffer, int rowLength)
    {
        return rowLength > 0 ? static_cast<int>(std::min<std::size_t>(
                                   channels, buffer.size() / static_cast<std::size_t>(rowLength)))
                             : 0;
    };
    if (mode == 320)
    {
        // Every input channel's time signal, straight from the engine's time buffer.
        const int fftSize = std::max(1, m_engine.m_nFftSize);
        const int fitting = rowsThatFit(m_engine.m_timeDisplay, fftSize);
        plot.m_pData = nullptr;
        plot.m_arrChannelData.fill(nullptr);
        for (int c = 0; c < fitting; ++c)
            plot.m_arrChannelData[static_cast<std::size_t>(c)] =
                m_engine.m_timeDisplay.data() +
                static_cast<std::size_t>(c) * static_cast<std::size_t>(fftSize);
        plot.m_dataRange.m_nPoints = fitting > 0 ? fftSize : 0;
        plot.m_nChannels = fitting;
    }
    else if (mode == 64)
    {
        plot.m_pData = nullptr;
        plot.m_arrChannelData.fill(nullptr);
        const CLevelMonitor& monitor = m_engine.m_levelMonitor;
        for (int c = 0; c < channels; ++c)
        {
            const auto& history = monitor.m_channels[static_cast<std::size_t>(c)].history;
            if (!history.empty())
                plot.m_arrChannelData[static_cast<std::size_t>(c)] = history.data();
        }
        plot.m_dataRange.m_nPoints = static_cast<int>(
            std::min<std::int64_t>(monitor.m_nHistoryLength, monitor.m_channels[0].history.size()));
        plot.m_nChannels = channels;
    }
    else if (mode == 271)
    {
        // The level course of the first channel's logger, as its logger commands filled it.
        plot.m_pData = nullptr;
        plot.m_arrChannelData.fill(nullptr);
        const CBandAnalyzer* first = m_engine.GetBandAnalyzer(0);
        const CFloatMatrix* series = first && first->m_logger ? first->m_logger->GetOwnTimeSeries() : nullptr;
        const int points = series && series->GetRows() > 0 ? series->GetColumns() : 0;
        plot.m_pData = points > 0 ? series->GetRow(0) : nullptr;
        plot.m_pXTable = points > 0 ? series->m_x.data() : nullptr;
        plot.m_dataRange.m_nPoints = points;
        plot.m_nChannels = points > 0 ? 1 : 0;
    }
    else if (mode == 160)
    {
        // The specific loudness over critical-band rate, 0.1 bark apart.
        plot.m_pData = m_engine.m_specificLoudness.data();
        plot.m_arrChannelData.fill(nullptr);
        plot.m_dataRange.m_nPoints = kLoudnessPatternLength;
        plot.m_nChannels = 1;
        plot.m_dBinWidth = kLoudnessPatternStep;
    }
    else if (mode < 256 && mode != 9 && !IsSweepResultMode())
    {
        // The engine's display buffer.
        const int points = std::max(0, m_engine.m_nDisplayLength);
        const int fitting = rowsThatFit(m_engine.m_spectrumDisplay, points);
        plot.m_pData = fitting > 0 ? m_engine.m_spectrumDisplay.data() : nullptr;
        plot.m_dataRange.m_nPoints = fitting > 0 ? points : 0;
        plot.m_nChannels = fitting;
        // The average curve reads the engine's display average, laid out like the display.
        plot.m_pMathAverageData = fitting > 0 && rowsThatFit(m_engine.m_secondDisplay, points) >= fitting
                                      ? m_engine.m_secondDisplay.data()
                                      : nullptr;
    }
    else
    {
        // Modes whose data other windows and applications fill; the impulse plots show what the
        // window derives from its impulse response.
        plot.m_pData = nullptr;
        plot.m_arrChannelData.fill(nullptr);
        plot.m_dataRange.m_nPoints = 0;
        if (mode >= 256 && mode <= 263)
            ComputeImpulsePlot();
    }

    // The sonagram shows the held impulse response whole; the live picture stands still while the
    // input does not run.
    const bool recorded = m_impulse.IsHeld() && m_impulse.m_nFrames > 0;
    plot.m_pSonagramSamples = recorded ? m_impulse.Channel(0) : nullptr;
    plot.m_nSonagramSamples = recorded ? m_impulse.m_nFrames : 0;
    plot.m_dSonagramRate = recorded ? m_impulse.m_dSampleRate : -1.0;
    plot.m_sonagram.m_nFftLength = std::max(2, m_engine.m_nFftSize);
    plot.m_bHold = m_engine.GetState() == CSoundIn::kStateRunning ? 0 : 1;
    // One live line per refresh.
    plot.m_dSecondsPerPixel = std::max(1, m_pSettings->m_nRefreshMs) * 0.001;
    // The vectorscope follows the window's settings.
    const CVectorscope_settings& scope = m_pSettings->m_Vectorscope;
    plot.m_vectorscope =
        CPlot::VectorscopeParams{scope.m_bActive,   scope.m_dDecay,     scope.m_nHistoryDepth,
                                 scope.m_nRotation, scope.m_dFreeAngle, scope.m_nStyle};
    PassBandLevels();

    // A new size or channel count (the input was opened anew) takes the plot's derived settings
    // with it: the displayed channels and the layout.
    if (plot.m_dataRange.m_nPoints != remembered || plot.m_nChannels != rememberedChannels)
        plot.ApplySettings();
    // A new FFT size or rate moves the bins under the axis: the axis follows, also while stopped.
    if (m_bInitialised &&
        (m_engine.m_nDisplayLength != m_nAxesDisplayLength || m_engine.m_nSampleRate != m_nAxesRate))
        SetupAxes();
}

void CSndView::PassLevelData()
{
    CPlot& plot = *m_pPlot;
    const int channels = std::clamp(m_engine.m_nAnalysisChannels, 1, 2);
    plot.m_nLevelBarCount = channels;
    for (int c = 0; c < 2; ++c)
    {
        const double meanSquare = c < channels ? m_engine.GetPublishedBlockStatistics(c).meanSquare : 0.0;
        plot.m_arrLevelBars[static_cast<std::size_t>(c)].level = std::sqrt(std::max(0.0, meanSquare));
    }
    // The sound-level readout of the band display: each channel's wideband levels, unweighted and in
    // the display weighting, in the slot's RTA time weighting.
    const int weighting = m_pSettings ? m_pSettings->m_nTimeWeighting : 3;
    plot.m_adLinearLevels.fill(0.0);
    plot.m_adWeightedLevels.fill(0.0);
    plot.m_nFrequencyWeighting = 0;
    for (int c = 0; c < std::min<int>(m_engine.m_nAnalysisChannels, CPlot::kMaxChannels); ++c)
    {
        const CBandAnalyzer* analyzer = m_engine.m_bandAnalyzers[static_cast<std::size_t>(c)].get();
        if (!analyzer)
            continue;
        const int z = analyzer->FindWidebandSlot(kWeightingZ);
        if (z >= 0 && analyzer->m_widebandMeters[static_cast<std::size_t>(z)])
            plot.m_adLinearLevels[static_cast<std::size_t>(c)] =
                analyzer->m_widebandMeters[static_cast<std::size_t>(z)]->GetLevel(weighting);
        const int w = analyzer->m_displayWeighting;
        const int slot = w != kWeightingZ ? analyzer->FindWidebandSlot(w) : -1;
        if (slot >= 0 && analyzer->m_widebandMeters[static_cast<std::size_t>(slot)])
        {
            plot.m_adWeightedLevels[static_cast<std::size_t>(c)] =
                analyzer->m_widebandMeters[static_cast<std::size_t>(slot)]->GetLevel(weighting);
            if (c == 0)
                plot.m_nFrequencyWeighting = w;
        }
    }
}

void CSndView::PassBandLevels()
{
    CPlot& plot = *m_pPlot;
    const int mode = m_pSettings ? m_pSettings->m_nBandsPerOctave : 0;
    plot.m_arrBandResults = {};
    if (mode != 1 && mode != 3)
    {
        plot.m_nBandCount = 0;
        return;
    }
    // The level logger is not part of this program: it never runs and holds no data, so the slot's
    // own time weighting applies and nothing overloads it.
    plot.m_bOverload = 0;
    const int weighting = m_pSettings->m_nTimeWeighting;
    plot.m_nTimeWeighting = weighting;
    plot.m_strTimeWeightingLabel = GetTimeWeightingLabel(weighting);
    constexpr int kBands = CPlot::kMaxBands;
    m_adBandCentres.resize(kBands);
    m_adBandLevels.resize(static_cast<std::size_t>(CPlot::kMaxChannels) * kBands);
    const CBandAnalyzer* first = m_engine.m_bandAnalyzers[0].get();
    const int count = first ? std::clamp(static_cast<int>(first->m_bandCount), 0, kBands) : 0;
    for (int b = 0; b < count; ++b)
        m_adBandCentres[static_cast<std::size_t>(b)] = first->m_bandCenters[static_cast<std::size_t>(b)];
    int curve = 0;
    for (int c = 0; c < plot.m_nChannels && curve < static_cast<int>(plot.m_arrBandResults.size()); ++c)
    {
        if (plot.m_abDisplayed[static_cast<std::size_t>(c)] != 1)
            continue;
        const CBandAnalyzer* analyzer = c < static_cast<int>(m_engine.m_bandAnalyzers.size())
                                            ? m_engine.m_bandAnalyzers[static_cast<std::size_t>(c)].get()
                                            : nullptr;
        double* levels = m_adBandLevels.data() + static_cast<std::size_t>(c) * kBands;
        for (int b = 0; b < count; ++b)
        {
            const CLevelMeter* meter = analyzer && b < analyzer->m_bandCount
                                           ? analyzer->m_bandMeters[static_cast<std::size_t>(b)].get()
                                           : nullptr;
            levels[b] = meter ? meter->GetLevel(weighting) : 0.0;
        }
        CPlot::BandResults& results = plot.m_arrBandResults[static_cast<std::size_t>(curve++)];
        results.count = count;
        results.valid = count > 0 ? 1 : 0;
        results.frequencies = m_adBandCentres.data();
        results.levels = levels;
        // Without a running level logger there are no interval maxima: the peaks follow the bars.
        results.peaks = nullptr;
    }
}

void CSndView::RebuildCurveList()
{
    CPlot& plot = *m_pPlot;
    for (int c = 0; c < CPlot::kMaxChannels; ++c)
    {
        CCurveStyle& style = plot.m_arrStyles[static_cast<std::size_t>(c)];
        if (style.m_strLabel.empty())
            style.m_strLabel = GetCurveLabel(c, 0);
    }
    plot.RecreatePens();
    // The legend's entries: one per curve with its name and drawing style.
    CLegendDlg& legend = plot.m_legend;
    legend.m_nCount = std::clamp(GetCurveCount(), 0, CLegendDlg::kMaxEntries);
    for (int curve = 0; curve < CLegendDlg::kMaxEntries; ++curve)
    {
        CCurveStyle& entry = legend.m_entries[static_cast<std::size_t>(curve)];
        if (curve >= legend.m_nCount)
        {
            entry = CCurveStyle();
            continue;
        }
        GetCurvePen(curve, entry);
        entry.CreatePen();
        entry.m_strLabel = GetCurveName(curve);
    }
    // The overlays are drawn with the plot's frame: a changed list paints it anew.
    plot.ForceRedraw();
}

void CSndView::CopyPlotSettings(CPlot& target) const
{
    const CPlot& source = *m_pPlot;
    const int points = target.m_dataRange.m_nPoints;
    const double logFactor = target.m_dataRange.m_dLogFactor;
    target.m_dataRange = source.m_dataRange;
    target.m_viewRange = source.m_viewRange;
    target.m_spareRange = source.m_spareRange;
    target.m_arrAxisTexts = source.m_arrAxisTexts;
    target.m_dataRange.m_nPoints = points;
    target.m_dataRange.m_dLogFactor = logFactor;
    target.m_arrStyles = source.m_arrStyles;
    target.m_strXTitle = source.m_strXTitle;
    target.m_strYTitle = source.m_strYTitle;
    target.m_bFrameDirty |= source.m_bFrameDirty;
    target.m_bLayoutDirty |= source.m_bLayoutDirty;
    target.m_bDataDirty |= source.m_bDataDirty;
    target.m_ptMouse = source.m_ptMouse;
    target.m_bHarmonics = source.m_bHarmonics;
    target.m_nHarmonicCount = source.m_nHarmonicCount;
    target.m_nHarmonicMask = source.m_nHarmonicMask;
    // The same plot area inside the same window: curves drawn over the main plot's use its margins.
    target.m_nRightMargin = source.m_nRightMargin;
    target.m_bSideAxis = source.m_bSideAxis;
}
