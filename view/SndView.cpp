#include "view/SndView.h"

#include "common/BackgroundJob.h"
#include "display/settings/ViewSettings.h"
#include "dsp/TonalityAnalyzer.h"
#include "engine/FileAnalysis.h"
#include "engine/GeneratorMatrix.h"
#include "engine/SoundIn.h"
#include "engine/StatisticsJob.h"
#include "platform/NumberFormat.h"
#include "view/DefaultAxisRecords.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"

#include "texts/TextTable.h"
#include "view/ViewTexts.h"

#include <chrono>
#include <thread>

namespace
{

// The show command that shows an owned window.
constexpr int kShowWindow = 5;

void Sleep(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace

CSndView::CSndView(CViewDocument& document, CSoundIn& engine)
    : m_document(document),
      m_engine(engine),
      m_pPlot(std::make_unique<CPlot>()),
      m_pTonality(std::make_unique<CTonalityAnalyzer>())
{
    m_pPlot->m_pOwner = this;
    m_pPlot->m_pDisplayLock = &m_engine.m_displayLock;
    for (auto& plot : m_auxiliaryPlots)
    {
        plot = std::make_unique<CPlot>();
        plot->m_pDisplayLock = m_pPlot->m_pDisplayLock;
    }
    ClearImpulsePlotFlags();
    InstallPlotHooks();
    m_document.AddView(this);
}

CSndView::~CSndView()
{
    // A running job uses the view to its end: it is stopped and waited for first, and so are the
    // report and the statistics and file-analysis jobs, whose completion messages would come to
    // the view.
    StopAllJobs();
    // The analyser's worker reads nothing of the view, but its run must end before the analyser goes.
    m_pTonality->StopAndWait();
    Close3DViewer();
    m_paramViews.RemoveAll();
    if (m_pWindow)
        for (int id : {kTimerRefresh, kTimerStartup, kTimerProgress, kTimerRestart, kTimerQuickStart,
                       kTimerMp3, kTimerDin, kTimerWaterfallRestart})
            m_pWindow->KillTimer(id);
    // Closing a window discards its settings.
    if (m_nViewIndex >= 0 && m_nViewIndex < CViewDocument::kMaxViews)
    {
        auto& slot = m_document.m_viewSettings[static_cast<std::size_t>(m_nViewIndex)];
        if (slot.get() == m_pSettings)
            slot.reset();
        --m_document.m_nInitialisedViews;
    }
    m_document.RemoveView(this);
    ReleaseImpulseFromEngine();
}

CViewFrame* CSndView::Frame() const
{
    return m_document.m_pFrame;
}

// ---------------------------------------------------------------------------------------------
// Initial update

void CSndView::TakeSettingsSlot()
{
    for (int index = 0; index < CViewDocument::kMaxViews; ++index)
    {
        auto& slot = m_document.m_viewSettings[static_cast<std::size_t>(index)];
        if (!slot)
            slot = std::make_unique<CViewSettings>();
        else if (slot->m_pOwnerView != nullptr)
            continue;
        slot->m_pOwnerView = this;
        m_pSettings = slot.get();
        m_nViewIndex = index;
        // Only a window with a slot counts; its destructor counts it out again.
        ++m_document.m_nInitialisedViews;
        return;
    }
    // Every slot is owned: the window works on settings of its own that no workspace stores.
    m_nViewIndex = -1;
}

void CSndView::OnInitialUpdate()
{
    if (!m_bInitialised)
    {
        TakeSettingsSlot();
        if (!m_pSettings)
        {
            if (Frame())
                Frame()->ShowMessage("No more measurement windows can be opened.");
            return;
        }
        // The two readout windows, the first shown; the owned windows' placements come from the slot.
        if (m_pWindow)
        {
            const std::string measurement = GetText(view_text::kMeasurement);
            const auto title = [&](int curve)
            { return platform::FormatC("%s V:%i Curve:%i", measurement.c_str(), m_nViewIndex + 1, curve); };
            m_pWindow->CreateOwnedWindows(title(1), title(2));
        }
        CopyChannelSettings();
        m_paramViews.SetWindowFactory(
            [this](CParamViewState& state) {
                return m_pWindow ? m_pWindow->CreateParamViewWindow(state)
                                 : std::unique_ptr<CParamViewWindow>();
            });
        m_paramViews.RestoreFromSettings(*m_pSettings);
        m_pPlot->m_bLevelBars = 0;
        RestartDisplay();
        m_bInitialised = 1;
        if (m_document.m_nViewsToCreate > 0 && m_document.m_nViewsToCreate == m_nViewIndex + 1)
            InvalidateAllViews();
    }
    SetTimers();
}

void CSndView::CopyChannelSettings()
{
    CViewSettings& settings = *m_pSettings;
    // A slot never set up takes the program's default axis records.
    if (settings.m_ModeAxes[0].m_dYMin == 0.0 && settings.m_ModeAxes[0].m_dYMax == 0.0)
        GetDefaultAxisRecords().FillModeRecords(settings);
    const int mode = GetViewMode();
    settings.m_Axes.CopyFrom(settings.m_ModeAxes[static_cast<std::size_t>(mode)]);
    settings.m_UndoAxes.CopyFrom(settings.m_Axes);
    settings.m_RedoAxes.CopyFrom(settings.m_Axes);
    m_nRememberedMode = mode;
}

void CSndView::OnUpdate(CSndView*, long)
{
    RestartDisplay();
}

void CSndView::OnActivateView(bool activate)
{
    if (activate)
        UpdateStatusBar();
}

void CSndView::OnSize()
{
    m_pPlot->ForceRedraw();
}

void CSndView::OnDraw(gfx::Canvas& canvas, const PlotRect& rect)
{
    if (m_engine.m_bProcessingEnabled.load() != 1 || !m_pSettings)
        return;
    PrepareDrawing();
    PassLevelData();
    PaintPlot(canvas, rect);
}

void CSndView::PrepareDrawing()
{
    SetupCurves();
}

void CSndView::ApplyColorMode()
{
    if (!m_pSettings)
        return;
    // Mode 1 paints on white (for printing), mode 2 on a black plot area; otherwise the window's
    // own scheme holds.
    constexpr COLORREF kWhite = 0xFFFFFF;
    constexpr COLORREF kBlack = 0x000000;
    CColorScheme& scheme = m_pPlot->m_colorScheme;
    COLORREF plot = m_pSettings->m_ColorScheme.GetColor(CColorScheme::RolePlotBackground);
    COLORREF frame = m_pSettings->m_ColorScheme.GetColor(CColorScheme::RoleFrameBackground);
    if (m_engine.m_nColorModeBackground == 1)
        plot = frame = kWhite;
    else if (m_engine.m_nColorModeBackground == 2)
        plot = kBlack;
    if (scheme.GetColor(CColorScheme::RolePlotBackground) != plot ||
        scheme.GetColor(CColorScheme::RoleFrameBackground) != frame)
    {
        scheme.SetColor(CColorScheme::RolePlotBackground, plot);
        scheme.SetColor(CColorScheme::RoleFrameBackground, frame);
        m_pPlot->ForceRedraw();
    }
}

void CSndView::PaintPlot(gfx::Canvas& canvas, const PlotRect& rect)
{
    ApplyColorMode();
    RefreshWaterfallRecord();
    m_pPlot->Draw(canvas, rect.left, rect.top, rect.right, rect.bottom);
}

void CSndView::OnBeginPrinting()
{
    m_pPlot->ForceRedraw();
}

void CSndView::OnEndPrinting()
{
    m_bRendering = 0;
}

// ---------------------------------------------------------------------------------------------
// Start, Stop, Reset

void CSndView::OnStop()
{
    m_engine.PauseInput();
    Sleep(m_nStopWaitMs);
    PaceTimers();
}

void CSndView::OnReset()
{
    m_engine.StopInput();
    if (m_engine.OpenInput() == 0)
        m_engine.RestartInput();
    m_engine.m_bDisplayRestartRequest.store(1);
    m_engine.m_bProcessingEnabled.store(1);
    m_nProgressCounter = 0;
    m_nLastAnalysisCount = 0;
    m_document.UpdateAllViews(nullptr, 0);
}

void CSndView::OnStart()
{
    if (m_pSettings && m_pSettings->m_bBarGraph == 1)
        m_engine.m_nBandAnalyzerMode = m_pSettings->m_nBandsPerOctave;
    OnReset();
    m_engine.m_bProcessingEnabled.store(1);
    PaceTimers();
}

void CSndView::OnResetMeasurements()
{
    m_pPlot->ResetMathHistory();
    m_engine.ResetTriggerAndStatistics();
    m_paramViews.ResetAll();
    if (m_pWindow)
        m_pWindow->ResetOwnedWindows();
}

void CSndView::OnResetAllViews()
{
    for (CSndView* view : m_document.GetViews())
        if (view->m_nViewTag == kViewTag)
            view->OnResetMeasurements();
}

long CSndView::OnRestartAfterWizard()
{
    OnStop();
    m_engine.StopInput();
    ResetViewFlags();
    RestartDisplay();
    ResetViewFlags();
    OnStop();
    m_engine.StopInput();
    m_engine.SetFftSize(1024);
    m_engine.m_bAutomation = 0;
    OnStart();
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The processing flag

void CSndView::PauseProcessing()
{
    if (m_engine.m_bProcessingEnabled.exchange(0) != 0)
        Sleep(m_nPauseWaitMs);
}

void CSndView::ResumeProcessing()
{
    m_engine.m_bProcessingEnabled.store(1);
}

bool CSndView::IsProcessingPaused() const
{
    return m_engine.m_bProcessingEnabled.load() == 0;
}

void CSndView::InvalidateAllViews()
{
    for (CSndView* view : m_document.GetViews())
        if (view->m_nViewTag == kViewTag && view->m_pWindow)
            view->m_pWindow->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Commands

bool CSndView::OnCommand(int id)
{
    using namespace view_command;
    switch (id)
    {
        case kStart:
            OnStart();
            return true;
        case kStop:
            OnStop();
            return true;
        case kReset:
            OnReset();
            return true;
        case kResetMeasurements:
            OnResetMeasurements();
            return true;
        case kResetAllViews:
            OnResetAllViews();
            return true;
        case kFftAnalyzer:
            OnFftAnalyzer();
            return true;
        case kMls:
            OnMlsMeasurement();
            return true;
        case kOscilloscope:
            OnOscilloscope();
            return true;
        case kBarGraph:
            OnBarGraph();
            return true;
        case kImpedance:
            OnImpedance();
            return true;
        case kSpectrogram:
            OnSpectrogram();
            return true;
        case kDistortion:
            OnDistortion();
            return true;
        case kIntermodulation:
            OnIntermodulation();
            return true;
        case kPeak:
            OnPeak();
            return true;
        case kAverage:
            OnAverage();
            return true;
        case kDualChannel:
            OnDualChannel();
            return true;
        case kTonality:
            OnTonality();
            return true;
        case kLoudness:
            OnLoudness();
            return true;
        case kSpecificLoudness:
            OnSpecificLoudness();
            return true;
        case kVectorscope:
            OnVectorscope();
            return true;
        case kTimeCorrelation:
            OnTimeCorrelation();
            return true;
        case k3dViewer:
            On3DViewer();
            return true;
        case kWaterfallStartStop:
            ToggleWaterfall();
            return true;
        case kWaterfallSettings:
            OnWaterfallSettings();
            return true;
        case kAudioRecorder:
            OnAudioRecorder();
            return true;
        case kLevelMonitor:
            LevelMonitorSetup(1, 0);
            return true;
        case kPhonetogram:
            OnPhonetogram();
            return true;
        case kPhonetogramLoad:
        case kPhonetogramSave:
            OnPhonetogramFile(id == kPhonetogramSave);
            return true;
        case kPhonetogramFast:
        case kPhonetogramSingleTones:
            m_nPhonetogramDisplayMode = id == kPhonetogramSingleTones ? 1 : 0;
            return true;
        case kPhonetogramDeleteLastTone:
            m_engine.m_phonetogram.DeleteLastTone();
            return true;
        case kPhonetogramSettings:
            OnPhonetogramSettings();
            return true;
        case kLinLogX:
            OnLinLogX();
            return true;
        case kChannel1:
        case kChannel2:
            OnToggleChannel(id == kChannel1 ? 0 : 1);
            return true;
        case kYAutoScale:
            OnYAutoScale();
            return true;
        case kResetZoom:
            OnResetZoom();
            return true;
        case kDisplayProperties:
            OnDisplayProperties();
            return true;
        case kLinkFrequencyDiff:
            OnLinkFrequencyDiff();
            return true;
        case kLinkFrequencyFactor:
            OnLinkFrequencyFactor();
            return true;
        case kLinkVolume:
            OnLinkVolume();
            return true;
        case kGeneratorLevel:
            OnGeneratorLevel();
            return true;
        case kOutputMatrix:
            OnOutputMatrix();
            return true;
        case kCustomReport:
            OnCustomReport();
            return true;
        case kCalibrateLevels:
            OnCalibrateLevels();
            return true;
        case kTrackingLevel:
            OnTrackingLevel();
            return true;
        case kAddParamView:
            OnAddParamView();
            return true;
        case kChannelConfiguration:
            OnChannelConfiguration();
            return true;
        case kAlignParamViews:
            OnAlignParamViews();
            return true;
        case kLeqPreset100:
            OnLeqPreset(100);
            return true;
        case kShowResults:
            OnShowResults();
            return true;
        case kShowMarker:
            OnShowMarker();
            return true;
        case kWowAndFlutter:
            OnWowAndFlutter();
            return true;
        case kMeasurementsCurve1:
        case kMeasurementsCurve2:
        case kRoomAcoustics:
            if (m_pWindow)
                m_pWindow->ShowAuxWindow(id == kMeasurementsCurve1   ? 0
                                         : id == kMeasurementsCurve2 ? 1
                                                                     : 2,
                                         kShowWindow);
            return true;
        case kUseCurrentMeasurement:
            OnUseCurrentMeasurement();
            return true;
        case kLoadImpulse:
            OnLoadImpulseFile();
            return true;
        case kSaveImpulseText:
            OnSaveImpulseText();
            return true;
        case kSaveImpulseWav:
            OnSaveImpulseWav();
            return true;
        case kImpulseAutoUpdate:
            OnAutoUpdate();
            return true;
        case kUnloadImpulse:
            OnUnloadImpulse();
            return true;
        default:
            if (const int code = ImpulsePlotCode(id); code != 0)
            {
                OnImpulsePlot(code);
                return true;
            }
            return OnMouseCommand(id) || OnOverlayCommand(id) || OnDspCommand(id);
    }
}

CViewSettings* CSndView::CurrentSettings() const
{
    // Loading a workspace replaces the slot objects: the document's table holds the one in force.
    if (m_nViewIndex >= 0 && m_nViewIndex < static_cast<int>(m_document.m_viewSettings.size()))
        if (CViewSettings* slot = m_document.m_viewSettings[static_cast<std::size_t>(m_nViewIndex)].get())
            return slot;
    return m_pSettings;
}

bool CSndView::IsCommandChecked(int id) const
{
    using namespace view_command;
    const CViewSettings* current = CurrentSettings();
    if (!current)
        return false;
    const CViewSettings& settings = *current;
    const int mode = GetViewMode();
    switch (id)
    {
        case kLinkFrequencyDiff:
            return m_engine.m_generatorMatrix.m_coupling == CGeneratorMatrix::kCouplingOffset;
        case kLinkFrequencyFactor:
            return m_engine.m_generatorMatrix.m_coupling == CGeneratorMatrix::kCouplingRatio;
        case kStart:
            return m_engine.GetState() == CSoundIn::kStateRunning;
        case kStop:
            return m_engine.GetState() != CSoundIn::kStateRunning;
        case kMls:
            return m_engine.m_bMlsMode != 0;
        case kOscilloscope:
            return mode == 1 || mode == 320;
        case kFftAnalyzer:
            return IsFrequencyAxis();
        case kBarGraph:
            return settings.m_bBarGraph != 0;
        case kImpedance:
            return mode == 5;
        case kSpectrogram:
            return settings.m_bSpectrogram != 0;
        case kLinLogX:
            return settings.m_Axes.m_bLogX != 0;
        case kDistortion:
            return settings.m_bHarmonicMarkers != 0;
        case kIntermodulation:
            return settings.m_bIntermodulation != 0;
        case kPeak:
            return settings.m_nMathMode != 0 && settings.m_nMathFunction == 0;
        case kAverage:
            return settings.m_nMathMode != 0 && settings.m_nMathFunction == 2;
        case kTonality:
            return settings.m_bTonality != 0;
        case kLoudness:
            return m_engine.m_bLoudness != 0;
        case k3dViewer:
            return m_engine.m_b3DWaterfall != 0;
        case kWowAndFlutter:
            return m_engine.IsWowAndFlutterActive();
        case kSpecificLoudness:
            return settings.m_bSpecificLoudness != 0;
        case kDualChannel:
            return m_engine.m_nChannelMode == 3 && settings.m_Channels.GetChannel(0).m_bActive != 0 &&
                   settings.m_Channels.GetChannel(1).m_bActive != 0;
        case kChannel1:
        case kChannel2:
            return settings.m_Channels.GetChannel(id == kChannel1 ? 0 : 1).m_bActive != 0;
        case kSmoothing:
            return m_engine.m_bSmoothing != 0;
        case kAudioRecorder:
            return m_engine.IsRecording();
        case kLevelMonitor:
            return mode == 64;
        case kPhonetogram:
            return settings.m_bPhonetogram != 0;
        case kPhonetogramFast:
        case kPhonetogramSingleTones:
            return m_nPhonetogramDisplayMode == (id == kPhonetogramSingleTones ? 1 : 0);
        case kImpulseAutoUpdate:
            return settings.m_bImpulseAutoUpdate != 0;
        default:
        {
            if (const int code = ImpulsePlotCode(id); code != 0)
                return m_abImpulsePlot[static_cast<std::size_t>(code - 256)] != 0;
            bool checked = false;
            return (IsMouseCommandChecked(id, checked) || IsCommandCheckedOverlay(id, checked) ||
                    IsDspCommandChecked(id, checked)) &&
                   checked;
        }
    }
}

bool CSndView::IsCommandEnabled(int id) const
{
    // The smoothing is chosen in its list beside the button, which only shows whether it is on.
    if (id == view_command::kSmoothing)
        return false;
    // An overlay can be shown or hidden once it holds a curve.
    if (id >= view_command::kFirstOverlayToggle && id < view_command::kFirstOverlayToggle + kOverlayPlots)
        return GetOverlayPlot(id - view_command::kFirstOverlayToggle) != nullptr;
    return true;
}

bool view_command::IsToggleCommand(int id)
{
    switch (id)
    {
        case kStart:
        case kStop:
        case kFftAnalyzer:
        case kMls:
        case kOscilloscope:
        case kBarGraph:
        case kImpedance:
        case kSpectrogram:
        case kDistortion:
        case kPeak:
        case kAverage:
        case kIntermodulation:
        case kDualChannel:
        case kLinLogX:
        case kChannel1:
        case kChannel2:
        case kSmoothing:
        case kLegend:
        case kSetAsReference:
        case kImpulseAutoUpdate:
            return true;
        default:
            return ImpulsePlotCode(id) != 0 ||
                   (id >= kFirstOverlayToggle && id < kFirstOverlayToggle + CViewSettings::kOverlayCount) ||
                   (id >= kFirstOverlaySnapshot && id < kFirstOverlaySnapshot + 5);
    }
}
