// CSndView: the measurement window. Every window shows the live analysis of the one engine through
// its own plot and keeps its display state in one settings slot of the workspace document. This
// class holds the window's logic; the window toolkit's view window (view/ui) hands it timers,
// commands and paint requests and draws what it asks for.
//
// SndView.cpp: construction, slot, initial update, Start/Stop/Reset, the processing flag and the
// operations on all windows. SndViewModes.cpp: view modes and the analyser-mode commands.
// SndViewDisplay.cpp: timers, refresh and curve set-up. SndViewAxes.cpp: axes, titles, units and
// the status bar.
//
// Threads: user-interface thread only. The engine's analysis thread writes the display buffers
// that the plot reads under the engine's display lock; the two event counters are atomics that
// worker threads poll.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "display/AnnotationList.h"
#include "display/Plot.h"
#include "display/ThreeDWindow.h"
#include "display/settings/AxisProp.h"
#include "dsp/RoomAcoustics.h"
#include "dsp/StiEvaluator.h"
#include "view/CustomPlot.h"
#include "view/DisplayProperties.h"
#include "view/ImpulseResponse.h"
#include "view/Mp3Conversion.h"
#include "view/ParamViewManager.h"
#include "view/Readouts.h"
#include "view/RemoteCommand.h"
#include "view/ResultTexts.h"
#include "view/ViewFrame.h"

class CSigGen_settings;
class CSoundIn;
class CTonalityAnalyzer;
class CInputMixerBase;
class CViewDocument;
class CViewFrame;
class CViewSettings;
class CViewWindow;
struct OverlayDataBlock;
class CFileAnalysisJob;
class CJobMessageTarget;
class CStatisticsJob;

namespace gfx
{
class Canvas;
}

// Command identifiers of the measurement window.
namespace view_command
{
inline constexpr int kMeasurementsCurve1 = 32811;
inline constexpr int kMeasurementsCurve2 = 32830;
inline constexpr int kResetZoom = 33032;
inline constexpr int kStart = 33029;
inline constexpr int kStop = 33030;
inline constexpr int kReset = 33031;
inline constexpr int kFftAnalyzer = 33033;
inline constexpr int kMls = 33034;
inline constexpr int kOscilloscope = 33035;
inline constexpr int kBarGraph = 33036;
inline constexpr int kImpedance = 33037;
inline constexpr int kSpectrogram = 33038;
inline constexpr int kDistortion = 33039;
inline constexpr int kPeak = 33040;
inline constexpr int kAverage = 33041;
inline constexpr int kIntermodulation = 33042;
inline constexpr int kDualChannel = 33043;
inline constexpr int kYAutoScale = 33044;
inline constexpr int kResetMeasurements = 33045;
inline constexpr int kLinLogX = 33046;
inline constexpr int kRoomAcoustics = 33049;
inline constexpr int kWowAndFlutter = 32844;
// The result windows: the "Results" table of the curves or of the markers.
inline constexpr int kShowResults = 32835;
inline constexpr int kShowMarker = 32942;
inline constexpr int kResetAllViews = 33090;
inline constexpr int kDisplayProperties = 32783;
// The "Plug-Ins" analyses of the live input.
inline constexpr int kTonality = 32931;
inline constexpr int kLoudness = 32833;
inline constexpr int kSpecificLoudness = 32889;
inline constexpr int kVectorscope = 32873;
inline constexpr int kTimeCorrelation = 32836;
inline constexpr int k3dViewer = 32812;
// The waterfall of the held impulse response, and the waterfall settings.
inline constexpr int kWaterfallStartStop = 32816;
inline constexpr int kWaterfallSettings = 32832;
// File > "Audio recorder": starts and stops the recording of the input.
inline constexpr int kAudioRecorder = 33210;
inline constexpr int kLevelMonitor = 32870;
// The "Phonetogram" menu.
inline constexpr int kPhonetogram = 32973;
inline constexpr int kPhonetogramLoad = 32975;
inline constexpr int kPhonetogramSave = 32976;
inline constexpr int kPhonetogramSingleTones = 32981;
inline constexpr int kPhonetogramFast = 32982;
inline constexpr int kPhonetogramSettings = 32983;
inline constexpr int kPhonetogramDeleteLastTone = 32985;
inline constexpr int kChannel1 = 32962;
inline constexpr int kChannel2 = 32963;
inline constexpr int kSmoothing = 32970;
// Whether a command's button and menu item are a toggle that shows its state (IsCommandChecked).
bool IsToggleCommand(int id);

inline constexpr int kAddParamView = 32875;
inline constexpr int kAlignParamViews = 32957;
// The level monitor with four parameter windows (LEQ, SPL, C peak, time); posted by the presets.
inline constexpr int kLeqPreset100 = 32959;
inline constexpr int kLinkFrequencyFactor = 32923;
inline constexpr int kLinkFrequencyDiff = 32924;
inline constexpr int kLinkVolume = 32967;
inline constexpr int kOutputMatrix = 32994;
inline constexpr int kGeneratorLevel = 32995;
inline constexpr int kCustomReport = 32947;
inline constexpr int kCalibrateLevels = 32998;
inline constexpr int kTrackingLevel = 32996;
// Overlays.
inline constexpr int kSetAsOverlay = 32869;
inline constexpr int kConfigOverlays = 32868;
inline constexpr int kLoadOverlayText = 33002;
inline constexpr int kSaveOverlayText = 33005;
inline constexpr int kDynamicOverlay = 33003;
inline constexpr int kAutoLoadLimits = 33004;
inline constexpr int kFirstOverlayToggle = 32858;    // to 32867
inline constexpr int kFirstOverlaySnapshot = 33007;  // to 33011
inline constexpr int kCopyCurve = 32950;
inline constexpr int kPasteCurve = 32951;
// Settings files.
inline constexpr int kLoadConfig = 32916;
inline constexpr int kSaveConfig = 32917;
inline constexpr int kSaveState = 32882;
// The plot's right-click menus and the legend.
inline constexpr int kUndoZoom = 32901;
inline constexpr int kRedoZoom = 32902;
inline constexpr int kResizeAxis = 32895;
inline constexpr int kSetMarker = 32897;
inline constexpr int kClearMarker = 32898;
inline constexpr int kAddLabel = 32954;
inline constexpr int kAddLine = 32956;
inline constexpr int kSetTo0dB = 32896;
inline constexpr int kSetPeakTo0dB = 32927;
inline constexpr int kLegend = 32918;
inline constexpr int kHideLegend = 32919;
inline constexpr int kResetCurveNames = 32920;
inline constexpr int kSetAsReference = 32949;
inline constexpr int kExcludeArea = 33083;
inline constexpr int kTriggerSettings = 32834;
inline constexpr int kChannelConfiguration = 32837;
// "Plug-Ins > Impulse response": the window's own impulse response and its eight plots.
inline constexpr int kUseCurrentMeasurement = 32825;
inline constexpr int kLoadImpulse = 32826;
inline constexpr int kSaveImpulseText = 32827;
inline constexpr int kSaveImpulseWav = 32943;
inline constexpr int kImpulseAutoUpdate = 32944;
inline constexpr int kUnloadImpulse = 32831;
inline constexpr int kPlotImpulse = 32846;
inline constexpr int kPlotFreqResponse = 32880;
inline constexpr int kPlotPhaseResponse = 32879;
inline constexpr int kPlotEnergyTime = 32936;
inline constexpr int kPlotEnergyDecay = 32937;
inline constexpr int kPlotStepResponse = 32938;
inline constexpr int kPlotReverbVsFrequency = 32941;
inline constexpr int kPlotGroupDelay = 32940;
// The view mode (256..263) a plot command switches, or 0 for another command.
int ImpulsePlotCode(int id);
// The "DSP" menu: filters the engine applies to every input channel.
inline constexpr int kNotch1kHz = 32797;
inline constexpr int kDcBlock = 32874;
inline constexpr int kFirstFreeFilter = 32906;  // "Filter #1" to "Filter #10"
inline constexpr int kFreeFilters = 10;
inline constexpr int kHumFilter = 32965;
inline constexpr int kRiaaFilter = 32883;
inline constexpr int kChannelDelay = 32999;
inline constexpr int kThirdOctaveFilterbank = 32814;
inline constexpr int kOctaveFilterbank = 32818;
inline constexpr int kDemodulator = 32968;
inline constexpr int kMusicalNotes = 32806;
}  // namespace view_command

// Mouse flags the view's mouse handlers take.
namespace view_mouse
{
inline constexpr unsigned kLeftButton = 1;
inline constexpr unsigned kRightButton = 2;
inline constexpr unsigned kShift = 4;
inline constexpr unsigned kControl = 8;
}  // namespace view_mouse

// The keys the view's keyboard handling knows.
enum class ViewKey
{
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Delete,
    Shift,
    Other,
};

// The last finished tonality evaluation of a window, as its text and markers show it.
struct CTonalityResult
{
    bool hasData = false;
    int adjustment = 0;
    double lowestFrequency = 0.0;
    double highestFrequency = 0.0;
    double lineSpacing = 0.0;
    double levelDifference = 0.0;
    double uncertainty = 0.0;
    std::vector<float> tones;
    std::vector<float> bandLower;
    std::vector<float> bandUpper;
};

// The message the toolbar's smoothing list sends with its selection.
inline constexpr unsigned kMsgSmoothingSelected = 0x40C;
// The values of the smoothing list's entries: off, the n of 1/n-octave smoothing, and "other"
// (smoothing on, width kept).
inline constexpr std::array<int, 9> kSmoothingValues = {-1, 1, 3, 6, 10, 12, 24, 32, 1024};

// Sums a power spectrum of `power.size()` bins (0 … rate / 2) over the third-octave bands whose
// edges lie within lowest … highest; the bands' nominal centres and sums go to `centres` and `sums`
// (at most as many as both hold). Bins above the spectrum are not read. Returns the band count.
int SumThirdOctaveBands(std::span<float> centres, std::span<float> sums, std::span<const float> power,
                        double rate, double lowest, double highest);

// Number of decimals for a readout value: 4 up to 1, 3 up to 10, 2 up to 100, 1 up to 1000, else 0.
int DecimalsForValue(double value);
// Bits 1 to 4 of a window's sweep plot options: the x quantity of a level-sweep plot (0 dB, 1 V, 2 W).
int SweepXQuantity(int sweepPlotOptions);

class CSndView
{
public:
    static constexpr std::uint32_t kViewTag = 7967715;
    static constexpr int kAuxiliaryPlots = 4;
    static constexpr int kOverlayPlots = 10;
    static constexpr int kImpulsePlotFlags = 8;
    static constexpr int kDefaultRefreshMs = 100;
    // Timers.
    static constexpr int kTimerRefresh = 1;
    static constexpr int kTimerStartup = 2;
    static constexpr int kTimerProgress = 3;
    static constexpr int kTimerRestart = 10;
    static constexpr int kTimerWaterfallRestart = 12;
    static constexpr int kTimerQuickStart = 253;
    static constexpr int kTimerMp3 = 256;
    static constexpr int kTimerDin = 257;
    // The period of the refresh, progress, MP3 and DIN timers while the measurement does not run:
    // a stopped window has nothing new to show and keeps the program quiet.
    static constexpr int kIdleTimerMs = 1000;
    static constexpr const char* kTimerWarning = "Not enough timers available for this window.";
    static constexpr const char* kMonoFileMessage = "This is a mono file";
    // The maker's address printed above printed plots and exported pictures.
    static constexpr const char* kMakerAddress = "www.halvek.example";
    // Size of exported pictures.
    static constexpr int kExportWidth = 750;
    static constexpr int kExportHeight = 450;
    // Event counters that worker threads wait on.
    static constexpr int kEventAutoScale = 16;
    static constexpr int kEventRefresh = 200000;

    CSndView(CViewDocument& document, CSoundIn& engine);
    ~CSndView();
    CSndView(const CSndView&) = delete;
    CSndView& operator=(const CSndView&) = delete;

    // The window the view draws in (null while it has none).
    void SetWindow(CViewWindow* window) { m_pWindow = window; }
    CViewWindow* GetWindow() const { return m_pWindow; }

    // --- core ---------------------------------------------------------------------------------
    // The first call takes a settings slot; every call sets the timers.
    void OnInitialUpdate();
    void OnUpdate(CSndView* sender, long hint);
    void OnActivateView(bool activate);
    void OnSize();
    // Paints the plot (nothing while the engine's processing flag is clear).
    void OnDraw(gfx::Canvas& canvas, const PlotRect& rect);
    // Sets up the curves before a paint.
    void PrepareDrawing();
    // The final paint of the plot into the rectangle.
    void PaintPlot(gfx::Canvas& canvas, const PlotRect& rect);
    // The plot's background colours by the engine's "Color mode background".
    void ApplyColorMode();
    // Printing: the plot's frame is built anew for the page; the rendering flag ends with the job.
    void OnBeginPrinting();
    void OnEndPrinting();

    void OnStart();
    void OnStop();
    void OnReset();
    void OnResetMeasurements();
    void OnResetAllViews();
    long OnRestartAfterWizard();

    void PauseProcessing();
    void ResumeProcessing();
    bool IsProcessingPaused() const;
    void InvalidateAllViews();

    // Runs a command of the window; false for a command it does not know.
    bool OnCommand(int id);
    // The check mark of a command's button.
    bool IsCommandChecked(int id) const;
    // False for a command whose button only shows a state the window cannot change by it.
    bool IsCommandEnabled(int id) const;

    // --- option commands -----------------------------------------------------------------------
    // Options > Channel configuration (SndViewChannels.cpp): the Channel Matrix on the window's
    // channel records; after OK the records, the engine's channel records and the first two
    // curve styles follow, and the display restarts.
    void OnChannelConfiguration();
    // A new parameter window; the windows lined up right of the plot's left margin.
    void OnAddParamView();
    void OnAlignParamViews();
    // The LEQ set-up: the level monitor on (started with `monitorMode`, 1 or 100, when it was off),
    // then four green parameter windows for LEQ, SPL, C peak and the measurement time, aligned.
    void OnLeqPreset(int monitorMode);
    // Writes the parameter windows into the window's settings slot (before a workspace is stored).
    void SaveParamViews();
    CParamViewManager& GetParamViews() { return m_paramViews; }
    // Couples the generators' frequencies by a fixed offset (diff) or ratio (factor); the same
    // command again ends the coupling.
    void OnLinkFrequencyDiff();
    void OnLinkFrequencyFactor();
    // The linked generators' volume slider (modal, -85..+35 dB); each change arrives as message
    // WM_USER+11 (value x lParam in wParam) and is stored; nothing is taken back when it closes.
    void OnLinkVolume();
    int OnLinkVolumeValue(std::int64_t wParam, std::int64_t lParam);
    double GetLinkVolume() const { return m_dLinkVolume; }
    // The engine's generator "Level" window (made once, shown) and the output matrix dialog on a
    // copy of the engine's matrix (taken back on OK).
    void OnGeneratorLevel();
    void OnOutputMatrix();
    void OnCustomReport();
    void OnCalibrateLevels();
    void OnTrackingLevel();
    // The readings of the channels' last published blocks: RMS, peak and maximum minus minimum.
    CCalibrationReading::Source ChannelReadings();
    // Empties the custom plot before a wizard fills it: its range reset, no points and curves, no
    // titles, x step and axis markers cleared.
    void ResetCustomPlot();
    CCustomPlot& GetCustomPlot() { return m_customPlot; }
    // The smoothing list's selection: its text among the list's entry names (unknown: entry 0).
    long OnSmoothingSelected(const std::string& text, const std::vector<std::string>& names);
    // The entry the smoothing list should show when it shows `current`: the engine's smoothing,
    // or `current` itself when that entry's value already matches.
    int SmoothingListEntry(int current) const;
    // Makes the main frame's smoothing list follow the engine.
    void UpdateSmoothingList();

    // --- view modes ----------------------------------------------------------------------------
    int GetViewMode() const;
    void SetViewMode(int code);
    int ResetViewFlags();
    bool IsFrequencyAxis() const;
    bool IsTimeAxis() const;
    bool IsSweepResultMode() const;
    void ClearImpulsePlotFlags();
    // --- the impulse response (SndViewImpulse.cpp) ----------------------------------------------
    static constexpr const char* kTakeImpulseMessage =
        "Please set the analyzer to impulse response measurement.";
    static constexpr const char* kWriteErrorMessage = "Error occured while writing";
    // Takes the engine's current time signal or impulse response (view modes 1 and 4 only; else
    // the message) as channel 0 with the signal type.
    void TakeImpulseFromMeasurement(int signalType);
    // Reads a WAVE or MP3 file (at most CImpulseResponse::kMaxFrames frames; the rest is not read)
    // as the window's impulse response, which the engine's decay analysis then takes. Returns the
    // frames read, or -1 with the held response unchanged when the file cannot be read or holds no
    // samples (told to the user unless quiet).
    int LoadImpulseFromAudioFile(const std::string& path, bool quiet);
    // Reads the text form (one channel at the analyser's rate). Returns the values read, or the
    // non-positive count of the file (-1: no file) with the held response unchanged, silently.
    int LoadImpulseFromText(const std::string& path);
    // Loads a file by its extension (letter case ignored: "wav" and "mp3" as audio, "txt" as
    // text), then, when an impulse is held, tells what was loaded, switches the window's channels
    // to the impulse's and shows the impulse plot. False when nothing was loaded.
    bool LoadImpulseFile(const std::string& path);
    // A mono WAVE file of channel 0 scaled to a peak of 0.9999 (the held impulse stays as it is),
    // at the impulse's rate and the program's recording bits. 0, or -1 (and the message).
    int SaveImpulseAsWave(const std::string& path);
    // The analysis length of channel 0 (the zeros after the frames included) as text. 0, or -1
    // (and the message) when the file cannot be written or a value could not be written.
    int SaveImpulseAsText(const std::string& path);
    void CopyImpulseFrom(const CImpulseResponse& other);
    void ShowNoImpulseMessage();
    void OnUseCurrentMeasurement();
    void OnLoadImpulseFile();
    void OnSaveImpulseText();
    void OnSaveImpulseWav();
    void OnAutoUpdate();
    void OnUnloadImpulse();
    // One of the eight plot toggles, by its view mode (256..263).
    void OnImpulsePlot(int code);
    // Makes the derived curves and figures stale (every new impulse).
    void ResetImpulseCache();
    const CImpulseResponse& GetImpulse() const { return m_impulse; }
    CImpulseResponse& GetImpulse() { return m_impulse; }
    // --- the window's background job (SndViewJobs.cpp) ------------------------------------------
    // At most one job runs at a time, on a thread of its own below normal priority. It reaches the
    // window only through the remote-command senders and CallOnWindowThread, and it is stopped and
    // waited for before the window goes. Kinds: 2 waits for the first redraw and scales y, 3 the
    // impulse analysis report, 4 the energy-decay report, 5 the octave energy-decay overlays.
    static constexpr int kJobAutoScale = 2;
    static constexpr int kJobImpulseReport = 3;
    static constexpr int kJobEnergyDecayReport = 4;
    static constexpr int kJobOctaveDecay = 5;
    // The longest wait of kind 2 for the first redraw: 2000 steps of 10 ms.
    static constexpr int kJobRedrawSteps = 2000;
    static constexpr int kJobRedrawStepMs = 10;
    using JobWork = std::function<void(CSndView& view)>;
    // Runs `work` as job `kind`. When a job runs nothing starts and the busy flag's value (1) comes
    // back; else 0.
    int StartJob(int kind, JobWork work);
    // Kind 2: the first redraw waited for, then the y axis scaled automatically.
    int StartAutoScaleJob();
    // Asks a running job to stop and waits for its thread (user-interface thread).
    void StopJob();
    // StopJob, and the statistics and file-analysis jobs stopped and waited for as well (before the
    // window goes: their completion messages would come to it).
    void StopAllJobs();
    bool IsJobRunning() const { return m_bJobBusy.load() != 0; }
    int GetJobKind() const { return m_nJobKind.load(); }
    bool IsJobStopRequested() const { return m_bJobStop.load(); }
    // From a job: runs the call on the window's thread and returns after it; false when it did not
    // run (a stop was requested, or the window's thread is gone).
    bool CallOnWindowThread(const std::function<void()>& call);
    // From a job: sleeps (cut short by a stop request); false once a stop is requested.
    bool JobSleep(int milliseconds);
    // From a job: makes the derived curves stale (MarkImpulseCurvesStale) and waits in 20 ms steps
    // until the window has computed them for the held impulse again (WaitForImpulseCurves). 0, or
    // -1 when the time ran out or a stop came.
    static constexpr int kRecomputeStepMs = 20;
    void MarkImpulseCurvesStale();
    int WaitForImpulseCurves(int timeoutMs);
    // The measurement-series statistics and the wave-file analysis run as background jobs of the
    // window (made when first needed); their completion messages come back to it.
    CStatisticsJob& GetStatisticsJob();
    CFileAnalysisJob& GetFileAnalysisJob();
    bool IsFileAnalysisRunning() const;
    // The job's completion message on the window's thread (0x40E statistics, 0x412 file analysis).
    long OnJobMessage(unsigned int message, void* job);
    long OnStatisticsDone(CStatisticsJob& job);
    long OnFileAnalysisDone(CFileAnalysisJob& job);
    static constexpr const char* kStatisticsDoneMessage =
        "Auswertung beendet. Die Ergebnisse wurden in die Datei %s geschrieben.";
    static constexpr const char* kFileAnalysisDoneMessage = "Auswertung beendet. Dauer %ss";
    // The folder and name of the report a job writes.
    std::string m_strReportFolder;
    std::string m_strReportName;
    // The STI and RASTI evaluation of the held impulse; m_dImpulseSti is its STI.
    CStiEvaluator m_stiEvaluator;
    // --- curves derived from the impulse response (SndViewImpulseCurves.cpp) ---------------------
    static constexpr const char* kImpulseMemoryMessage = "Not enough memory to show the impulse response.";
    // Before every redraw in an impulse plot mode: the selected curve of every channel and, when
    // anything changed, the room-acoustic figures of every channel.
    void ComputeImpulsePlot();
    bool IsImpulseCacheStale() const;
    // The fitted decay line and its two level markers over the energy-decay plot.
    void DrawDecayRegressionLines(gfx::Canvas& canvas);
    // What the derived curves were last computed for. The report jobs change `id` to force a
    // recomputation and wait until it equals the impulse's id again.
    struct ImpulseCacheKey
    {
        int id = 0;
        int mode = 0;
        int fftLength = 0;
        int windowType = -1;
        int start = 0;
        int length = 0;
        int smoothing = 0;
        double levelStart = 0.0;
        double levelEnd = 0.0;
        int points = 0;
        double timeWindow = 0.0;
        double bandLow = 0.0;
        double bandHigh = 0.0;
        int signalType = 0;
        bool operator==(const ImpulseCacheKey& other) const;
    };
    ImpulseCacheKey m_impulseKey;
    // The narrow-band analysis of the impulse plots (0 off, 1 octave, 3 third octave) at a band
    // centre, and whether the octave and third-octave figures are evaluated.
    int m_nBandMode = 0;
    double m_dBandCentre = 1000.0;
    int m_bPerBandEvaluation = 1;
    void OnFftAnalyzer();
    void OnMlsMeasurement();
    void OnOscilloscope();
    void OnBarGraph();
    void OnImpedance();
    void OnSpectrogram();
    void OnDistortion();
    void OnIntermodulation();
    void OnPeak();
    void OnAverage();
    void OnDualChannel();
    void OnLinLogX();
    // Shows or hides the curve of channel 0 or 1.
    void OnToggleChannel(int channel);

    // --- plug-in analyses (SndViewTonality.cpp) ---------------------------------------------------
    void OnTonality();
    void OnLoudness();
    void OnSpecificLoudness();
    // "Vectorscope": edits the window's vectorscope settings; the plot draws it while active.
    void OnVectorscope();
    // "Time correlation": the engine shows the cross-correlation of the first two channels (the
    // autocorrelation with one) over the time lag, from rectangular, unweighted blocks.
    void OnTimeCorrelation();
    // The 3D waterfall of the live spectrum: "3D viewer" switches it on and off (also the window's
    // close request); the window's double click saves its picture in the "Screenshots" folder.
    void On3DViewer();
    void Close3DViewer();
    int On3DScreenshotRequest();
    // 1 pauses the 3D window around a modal dialog or an input restart, 0 resumes; returns the
    // window's pause count, or 0 without a window.
    static int Pause3DViewer(int pause);
    // The logo picture of the 3D window's side wall stands in the program folder: 1, else -1.
    static int CheckLogoImage();
    bool Is3DViewerOpen() const { return m_b3DWindowOpen; }
    // "3D waterfall Start/Stop": the 3D window on the held impulse response (cumulative decay or
    // sliding window), opened and closed; ignored while the live 3D viewer runs.
    void ToggleWaterfall();
    // "Settings": the waterfall ranges and the 3D time range, asked until they can be used; an open
    // waterfall starts again 200 ms later with the camera where it was.
    void OnWaterfallSettings();
    // The impulse plot's time range (seconds): a changed range becomes the plot's 3D time range,
    // the time-signal feed runs again, and the 3D window reads its ranges anew.
    void SetImpulseTimeRange(double startTime, double endTime);
    // --- the audio recorder (SndViewRecorder.cpp) ------------------------------------------------
    // Records the channels whose "Active" flag is set to path: 0, or -1 (told to the user) when no
    // channel is active or the file cannot be created.
    int StartRecorder(const std::string& path);
    // Ends the recording and hides the recorder window; 0.
    int StopRecorder();
    // The menu command: asks for a file in the "Waves" folder and starts, or stops a recording.
    void OnAudioRecorder();
    // The recorder window's time, and a recording that failed on its way ended and told (timer 3).
    void WatchRecorder();
    // Timer 256 of the first window: the next finished recording to MP3.
    void ConvertRecordings();
    // "Level monitor" (keep 0) and the monitored measurement's set-up (keep 1): mode 1 shows the
    // dialog; modes 0 and 100 switch the monitor on without it (SndViewLevelMonitor.cpp).
    void LevelMonitorSetup(int mode, int keep);
    // Stored with each measurement of the monitor (the dialog's "Spektrum speichern").
    int m_bStoreSpectrum = 1;
    // --- the phonetogram (SndViewPhonetogram.cpp) -----------------------------------------------
    // Switches the phonetogram off, or on with the microphone's capture volume full, the analysis
    // it needs and one parameter window with the level.
    void OnPhonetogram();
    // Loads (the window then shows the phonetogram) or saves a ".ptg" file; a file that cannot be
    // read or written is told.
    void OnPhonetogramFile(bool save);
    void OnPhonetogramSettings();
    void SetPhonetogramCaptureVolume();
    // The display: 0 all points as they come ("Schnelle Anzeige"), 1 single tones ("Einzeltöne").
    int m_nPhonetogramDisplayMode = 0;
    // The mixer whose capture volume the phonetogram sets; null: the input mixer of the device.
    CInputMixerBase* m_pPhonetogramMixer = nullptr;
    // While tonality is on and no run is in progress: takes the finished run's result, hands the
    // analyser the lines of the first curve inside its range and starts the next run.
    void FeedTonality();
    const CTonalityResult& GetTonalityResult() const { return m_tonality; }
    // The tonality line the plot shows while tonality is on.
    std::string GetTonalityText() const;
    CTonalityAnalyzer& GetTonalityAnalyzer() { return *m_pTonality; }
    // The plot's foreground: the tonality text and markers, then the annotation list.
    void DrawForeground(gfx::Canvas& canvas);

    // --- display update ------------------------------------------------------------------------
    bool SetTimers();
    // Re-arms the periodic timers at their own periods while the measurement runs and at
    // kIdleTimerMs while it does not, when that changed since the last call.
    void PaceTimers();
    bool ArmTimers(bool periodicOnly);
    void OnTimer(int id);
    int RestartDisplay();
    void SetupCurves();
    void PassLevelData();
    void RebuildCurveList();
    void CopyPlotSettings(CPlot& target) const;
    // --- curves and overlays (SndViewOverlays.cpp) ------------------------------------------------
    // Curves 0..p-1 are the plot's, then the active overlay slots in slot order. In curve math,
    // 1024 and 1025 stand for the A- and C-weighting power responses.
    static constexpr int kCurveAWeighting = 1024;
    static constexpr int kCurveCWeighting = 1025;
    static constexpr int kMaxOverlayTextPoints = 1000000;
    static constexpr int kLimitResamplePoints = 512;
    int GetCurveCount() const;
    std::string GetCurveName(int curve) const;
    void SetCurveName(int curve, const std::string& name);
    int GetSelectedCurve() const;
    int FindCurveByData(int slot) const;
    int GetOverlaySlotOfCurve(int curve) const;
    int GetActiveOverlayCount() const;
    const float* GetCurveData(int curve) const;
    const float* GetCurveXData(int curve) const;
    int GetCurvePointCount(int curve) const;
    double GetCurveXValue(int curve, int index) const;
    double GetCurveDisplayValue(int curve, int index) const;
    double GetCurveValueAt(int curve, double x) const;
    const CPlot& GetCurvePlot(int curve) const;
    bool GetCurvePen(int curve, CCurveStyle& style) const;
    void SetCurveStyle(int curve, const CCurveStyle& style);
    int GetCurveChannel(int curve) const;
    const CCurveStatistics* GetCurveStatistics(int curve) const;

    // Combines curve a with curve b (or the constant, in display units) by the operation into the
    // slot. False when refused (slot outside 0..9, an unknown curve) or cancelled.
    bool SetAsOverlay(int slot, int curveA, int curveB, int operation, bool useConstant, double constant);
    // Replaces the slot's curve; x may be null (then x = i * 0 step, as given). Refuses a slot
    // outside 0..9 or a negative count. Returns whether processing was paused before.
    bool SetOverlayData(int slot, int count, const float* x, const float* y, bool redraw,
                        const double* displayValues = nullptr);
    long OnAddOverlayData(const OverlayDataBlock& block);
    // Points loaded, or -1 (slot unchanged) on failure.
    int LoadOverlayText(const std::string& path, int slot, int format, int resample);
    // False (message shown) when the slot holds no points or the file cannot be written.
    bool SaveOverlayText(const std::string& path, int slot, int format);
    int LoadLimitCurve(int item, int slot);
    void LoadLimitCurvesForResult(int type);
    void ClearAllOverlays();
    void RebuildOverlays();
    void DrawOverlaysBack(gfx::Canvas& canvas, const PlotRect& rect);
    void DrawOverlaysFront(gfx::Canvas& canvas, const PlotRect& rect);
    // The overlay plot of a slot (null until made).
    const CPlot* GetOverlayPlot(int slot) const;

    void OnSetAsOverlay();
    void OnConfigOverlays();
    void OnLoadOverlayText();
    void OnSaveOverlayText();
    void OnDynamicOverlay();
    void OnAutoLoadLimits();
    void OnToggleOverlay(int slot);
    void OnOverlaySnapshot(int slot);
    void OnCopyCurve();
    void OnPasteCurve();

    // --- mouse, keyboard zoom and markers (SndViewMouse.cpp) ------------------------------------
    // Client coordinates and view_mouse flags.
    void OnMouseMove(unsigned flags, int x, int y);
    void OnLButtonDown(unsigned flags, int x, int y);
    void OnLButtonUp(unsigned flags, int x, int y);
    void OnLButtonDblClk(unsigned flags, int x, int y);
    // Remembers the point, shows the fitting right-click menu and runs the chosen command.
    void OnRButtonDown(unsigned flags, int x, int y);
    // The right-click menu for a point: its number and items (English texts).
    int ChoosePopupMenu(int x, int y, std::vector<PopupMenuItem>& items) const;
    // The keyboard before the normal dispatch; true when the key was used.
    bool OnKeyDown(ViewKey key);
    bool OnKeyUp(ViewKey key);
    bool OnChar(int character);
    // Pan (kinds 3 to 6) or zoom (1 in, 2 out) the x or the y axis.
    void ZoomX(int kind);
    void ZoomY(int kind);
    void OnUndoZoom();
    void OnRedoZoom();
    void OnResizeAxis();
    void OnSetMarker();
    void OnClearMarker();
    void OnAddLabel();
    void OnAddLine();
    // The rectangle new labels and lines are placed in: the plot's last layout, or, while the plot
    // waits to be laid out again, the window's client area it will be laid out in.
    PlotRect AnnotationPlacementRect() const;
    void OnSetTo0dB();
    void OnSetPeakTo0dB();
    // Calibrates so that curve 0 reads 0 dB at x; nothing unless the plot shows dB.
    void SetTo0dBAt(double x);
    void OnLegend();
    void OnHideLegend();
    void OnResetCurveNames();
    void OnSetAsReference();
    // The reference curve behind the plot's curves while it is shown.
    void DrawReference(gfx::Canvas& canvas);
    // The rubber band of a zoom drag (client coordinates) while one is open.
    bool GetRubberBand(PlotRect& rect) const;
    PlotPoint GetRightClickPoint() const { return m_ptRightClick; }
    int GetShiftCount() const { return m_nShiftCount; }
    // Edits a text label (the label "Properties" dialog); tests answer it themselves.
    CAnnotationList::LabelEditor m_fnLabelEditor;

    // --- settings files (SndViewSettingsFile.cpp) ---------------------------------------------
    // False (and a message) when the path is refused or a value could not be written.
    bool WriteSettingsFile(const std::string& path);
    // Changes settings only; a value outside its setting's range is not taken. False (and a
    // message, nothing read) when the path is refused.
    bool ReadSettingsFile(const std::string& path);
    // Stop, read, Start.
    bool LoadSettingsFile(const std::string& path);
    // "Tessarin.log" and "Tessarin.ini" in the configuration folder; false (and a message) when
    // either cannot be written.
    bool OnSaveState();
    std::string StateLogText() const;
    // "default.ini" of the program folder, when there is one; the engine stays stopped.
    long OnLoadDefaultSettings();

    // --- axes ----------------------------------------------------------------------------------
    int SetupAxes();
    std::string GetYTitle(int mode) const;
    std::string GetXTitle(int mode) const;
    std::string GetXUnit(int mode) const;
    // False (outputs unchanged) when a curve has no data.
    bool ComputeYAutoRange(double* yMin, double* yMax) const;
    void OnYAutoScale();
    void OnResetZoom();
    void CopyZoomFromPlot();
    void UpdateStatusBar();

    // --- display properties --------------------------------------------------------------------
    DisplayPropertiesValues GatherDisplayProperties() const;
    void ApplyDisplayProperties(const DisplayPropertiesValues& values);
    // The sheet until its ranges are valid or it is cancelled, then the values written back.
    void OnDisplayProperties();

    // --- readouts ------------------------------------------------------------------------------
    static constexpr int kResultRingSize = 8;
    // Fills the result record of this refresh and the texts of both readout windows.
    void UpdateReadouts();
    const CReadoutTexts& GetReadoutTexts(int window) const { return m_readoutTexts[window == 0 ? 0 : 1]; }
    // The newest result record (what the sweeps, the data logger and the parameter windows read).
    const CReadoutRecord& GetPublishedRecord() const { return m_publishedRecord; }

    // --- remote commands (SndViewRemote.cpp) ------------------------------------------------------
    // Senders run on any thread: they wait for the mailbox (at most 31 steps of 100 ms), then run
    // the record on the window's thread and return after it (SendRemoteCommand), or queue it
    // (PostRemoteCommand). On the window's thread a send is a direct call. All return 0.
    static constexpr std::uint64_t kRemoteInternal = 1;
    static constexpr int kRemoteDataFolder = 1010;
    static constexpr int kRemoteMaxChirp = 1 << 24;
    static constexpr const char* kRemoteScreenshotName = "screenshot_RC.png";
    static constexpr int kScreenshotCopyAttempts = 31;
    int SendRemoteCommand(const RemoteCommand& record);
    int PostRemoteCommand(const RemoteCommand& record);
    int RemoteStop();
    int RemoteStart();
    int RemoteResetMeasurements();
    int RemoteSelectSpectrum();
    int RemoteSelectOscilloscope();
    int RemoteSelectFrequencyResponse();
    int RemoteSelectImpulseResponse();
    int RemoteGeneratorWhiteNoise();
    int RemoteGeneratorPinkNoise();
    int RemoteResetView();
    int RemoteSetXLog(int on);
    int RemoteGeneratorOnOff(int silence);
    int RemoteSetHarmonics(int on);
    int RemoteSetFftSize(int size);
    int RemoteSetMlsSize(int size);
    int RemoteSetWindowType(int type);
    int RemoteSetWeighting(int type);
    int RemoteSetAverage(int averages);
    int RemoteSetSampleRate(int rate);
    int RemoteSetCalibrationOffset(double db);
    int RemoteSetChannelMode(int mode);
    int RemoteGeneratorSine(double frequency);
    int RemoteGeneratorMls(int length);
    int RemoteSetGeneratorLevel(double db);
    int RemoteSetViewMode(int mode);
    int RemoteSetXRange(double minimum, double maximum);
    int RemoteSetYRange(double minimum, double maximum);
    int RemoteGeneratorChirp(int length, double start, double stop);
    int RemoteClearOverlays();
    int RemoteSetOverlay(int curve, int slot);
    int RemoteForceViewMode(int mode);
    // Sends the y scaling and waits up to 5 s for it to end.
    int RemoteYAutoScale();
    // Has the window save "screenshot_RC.png" in the configuration folder, then copies it to the
    // path (kScreenshotCopyAttempts tries, m_nScreenshotRetryMs apart). False when no copy was made.
    bool RemoteScreenshot(const std::string& path);
    int m_nScreenshotRetryMs = 300;
    double RemoteGetSampleRate() const;
    int RemoteSendGeneratorSettings(CSigGen_settings& record);
    long OnSendGeneratorSettings(CSigGen_settings& record);
    // Calibrates curve 0 to 0 dB at the frequency, on the window's thread. Returns 0.
    int RemoteShiftCurveTo0dB(double frequency);
    // Hands the overlay block to the window's thread, then sleeps 300 ms. Returns 0.
    int RemoteAddOverlay(const OverlayDataBlock& block);
    // What the sweep measurements own; this program does not offer them yet, so each answers
    // kRemoteNotAvailable at once (logged), sends nothing and leaves the sweep-busy flag alone.
    static constexpr int kRemoteNotAvailable = -1;
    int RemoteStartFrequencySweep(int value);
    int RemoteStartLevelSweep(int value);
    int RemotePlotSweepResults(int type);
    int RemotePlotHarmonics();
    // 1 when the generator program answers (with start 1 it is started when missing), else 0.
    int EnsureGeneratorProgram(int start);
    void ApplyGeneratorSettings(CSigGen_settings& record);
    // The generator record that remote commands fill; it lives for the whole run.
    static CSigGen_settings& RemoteGeneratorRecord();

    // The dispatcher (window's thread): a record, or a block of samples from another program.
    // Every message is checked first; a refused one changes nothing and is logged. Internal
    // records (wParam kRemoteInternal) release their place in the mailbox. Returns 0.
    long OnRemoteCommand(std::uint64_t wParam, std::span<const std::byte> block);
    long OnCountEvent(int key);
    std::uint64_t GetEventCounter(int key) const;
    // 0 as soon as the condition holds (a time-out of 0 included), -1 when the time ran out.
    int WaitForEventCounter(int key, std::uint64_t value, int timeoutMs);
    int WaitRemoteReady(int timeoutMs);
    int WaitForTwoRefreshes(int timeoutMs);
    void RestartAnalysis();
    void SetAnalyzerMode(int mode);
    bool IsImpulsePlotMode() const;
    // The current spectrum as "%f %f" lines ("%f Hz %f %f" for two curves); false without a curve.
    bool WriteSpectrumText(std::FILE* file) const;
    const CRemoteMailbox& GetMailbox() const { return m_mailbox; }
    // The frames that remote sample blocks fed into the engine.
    std::int64_t m_nRemoteFramesFed = 0;
    // The sweep starters set it before they send; the sweep completion clears it.
    std::atomic<int> m_bSweepBusy{0};
    // The sleeps of the senders and the waits (tests count them instead of waiting).
    std::function<void(int milliseconds)> m_remoteSleep;
    double m_dGeneratorFrequency = 0.0;

    // --- reports another part of the program writes for this window ------------------------------
    // The window owns its report while it runs and ends it first when it goes: the report's
    // destructor asks it to stop at its next step and waits for it.
    class CReportJob
    {
    public:
        virtual ~CReportJob() = default;
        virtual bool IsRunning() const = 0;
        virtual void RequestStop() = 0;
    };
    std::unique_ptr<CReportJob> m_pReportJob;

    // --- result windows (SndViewResults.cpp) ------------------------------------------------------
    // "Show results": the curves' values at every point of curve 0; "Show Marker": their values
    // at the markers (with none, the message and no table).
    void OnShowResults();
    void OnShowMarker();
    // Wow and flutter: the settings dialog; on OK the engine's analysis takes them over and its
    // results window shows while the analysis is on.
    void OnWowAndFlutter();
    ResultsTable MakeCurveResults() const;
    ResultsTable MakeMarkerResults() const;
    // One room-acoustic record per input channel, filled by the impulse evaluation.
    static constexpr int kRoomAcousticRecords = 64;
    CRoomAcousticResults& GetRoomAcousticResults(int channel);

    // --- state ---------------------------------------------------------------------------------
    CPlot& GetPlot() { return *m_pPlot; }
    const CPlot& GetPlot() const { return *m_pPlot; }
    CViewSettings* GetSettings() const { return m_pSettings; }
    int GetViewIndex() const { return m_nViewIndex; }
    CSoundIn& GetEngine() const { return m_engine; }
    CViewDocument& GetDocument() const { return m_document; }
    // The texts the status bar panes 1 to 5 were last given.
    const std::array<std::string, 6>& GetStatusTexts() const { return m_statusTexts; }

    std::uint32_t m_nViewTag = kViewTag;
    int m_bInitialised = 0;
    int m_nRememberedMode = 0;
    std::array<int, kImpulsePlotFlags> m_abImpulsePlot{};
    // The impulse response the window holds, the FFT length and window type its plots were
    // switched on with, and the STI of the held impulse (-10: not evaluated).
    CImpulseResponse m_impulse;
    int m_nImpulseFftLength = 0;
    int m_nImpulseWindowType = 0;
    double m_dImpulseSti = -10.0;
    // The derived-curve cache: the points last plotted (-1 after a reset) and whether the first
    // automatic y scaling of the frequency response, impulse and step response plots was done.
    int m_nImpulsePlottedPoints = -1;
    std::array<int, 3> m_abImpulseScaled{};
    int m_bDisplayFrozen = 0;
    std::int64_t m_nLastAnalysisCount = -1;
    int m_nProgressCounter = 0;
    int m_bRubberBand = 0;
    // Set by a display restart: the next refresh tick draws even without a new result.
    int m_bRedrawRequest = 1;
    int m_bResetRangeRequest = 0;
    // The full x range of the spectrum at the last set-up, which a change of FFT size or rate
    // moves the window's ends from (0 before the first spectrum set-up).
    // The display length and rate the axes were last set up for.
    int m_nAxesDisplayLength = -1;
    int m_nAxesRate = -1;
    double m_dFullSpectrumXMin = 0.0;
    double m_dFullSpectrumXMax = 0.0;
    std::atomic<std::uint64_t> m_nAutoScaleEvents{0};
    std::atomic<std::uint64_t> m_nRefreshEvents{0};
    // The remembered window type of the single-window oscilloscope (type + 256 x enabled).
    int m_nSavedWindowType = -1;
    // The progress bar position (per cent) the first readout window shows.
    double m_dProgress = 0.0;
    // The waits after pausing the input (Stop) and after clearing the processing flag; tests
    // shorten them.
    int m_nStopWaitMs = 100;
    // Set while the view renders into a printer or an off-screen picture.
    int m_bRendering = 0;
    int m_nPauseWaitMs = 300;

private:
    int SendRemoteCode(int code);
    int SendRemoteInt(int code, int value);
    int SendRemoteFloats(int code, double a, double b = 0.0, double c = 0.0);
    void RemoteSleep(int milliseconds);
    int WaitUntil(const std::function<bool()>& condition, int timeoutMs);
    void RunRemoteCommand(const RemoteCommand& record);
    void FeedRemoteSamples(std::span<const std::byte> block, const RemoteMessage& message);
    void StopBoth();
    void RestartView();
    void GeneratorSend();
    void WriteSpectrumDump();
    void WriteRtmDump();
    CRemoteMailbox m_mailbox;
    std::vector<float> m_remoteSamples;

    CPlot& NewOverlayPlot(int slot);
    void PrepareOverlayPlot(int slot);
    void InstallPlotHooks();
    void ShowFilledText(int format, int argument);
    bool IsCommandCheckedOverlay(int id, bool& checked) const;
    bool OnOverlayCommand(int id);
    // The DSP menu (SndViewDsp.cpp).
    bool OnDspCommand(int id);
    bool IsDspCommandChecked(int id, bool& checked) const;
    void OnFreeFilter(int slot);
    void OnHumFilter();
    void OnRiaaFilter();
    void OnChannelDelay();
    void OnFilterbank(bool thirdOctave);
    void OnDemodulator();
    // Stops a running engine around a change of its conditioning filters and starts it again, so
    // that the filters are built anew.
    void RestartAround(const std::function<void()>& change);
    bool OnSettingsFileCommand(int id);
    void TakeSettingsSlot();
    // The window's slot as the document holds it now (loading a workspace replaces the slots).
    CViewSettings* CurrentSettings() const;
    void CopyChannelSettings();
    void ApplyAxisRecordToPlot(int mode);
    void SetupChannelCurves(int mode);
    void ShowTimerWarning();
    struct LinkedRange
    {
        bool active = false;
        double x0 = 0.0;  // ms
        double x1 = 0.0;
        double rate = 0.0;
    };
    // The measuring rectangle of another time-axis window that selects the analysed part.
    LinkedRange FindLinkedTimeRange() const;
    ImpulseCacheKey CurrentImpulseKey(int mode, int fftLength, int start, int length) const;
    void PointPlotAtImpulseCurves(int mode);
    void EvaluateImpulseChannel(int channel, const float* slot, int start, int length, double rate);
    // The slots of the derived curves (one per held channel or operation destination, `stride`
    // floats apart), the FFT window table, the points and x step of the curves.
    std::vector<float> m_impulseWork;
    std::vector<float> m_impulseWindowTable;
    int m_nWindowTableLength = 0;
    int m_nWindowTableType = -1;
    int m_nImpulseSlots = 0;
    int m_nImpulseStride = 0;
    int m_nImpulsePoints = 0;
    double m_dImpulseStep = 1.0;
    // Hands channel 0 of the held impulse to the engine's decay analysis, or takes it back.
    void HandImpulseToEngine();
    void ReleaseImpulseFromEngine();
    CViewFrame* Frame() const;
    bool OnMouseCommand(int id);
    bool IsMouseCommandChecked(int id, bool& checked) const;
    // The measure rectangle's value corners and label texts from its pixel corners.
    void UpdateMeasureValues(bool bothCorners);
    // The 0 dB calibration for a display value v at the point to become 0 dB.
    void CalibrateTo0dB(double v);
    bool MainWindowHasMenu() const;

    // Mouse state.
    PlotRect m_rcRubberBand;
    PlotPoint m_ptRightClick;
    int m_nShiftCount = 0;
    int m_bTriggerDrag = 0;
    int m_bLegendDrag = 0;
    int m_bLegendHover = 0;
    PlotPoint m_ptLegendDragStart;
    PlotPoint m_ptLegendOffsetStart;

    CViewDocument& m_document;
    CSoundIn& m_engine;
    CViewWindow* m_pWindow = nullptr;
    bool m_b3DWindowOpen = false;
    // The held impulse response as the plot's time-signal feed reads it (refreshed before each paint).
    WaterfallTimeSignal m_waterfallRecord;
    WaterfallCameraPreset m_waterfallCamera;
    void RefreshWaterfallRecord();
    void RestartWaterfall();
    std::array<CRoomAcousticResults, kRoomAcousticRecords> m_roomAcoustics;
    double m_dLinkVolume = 0.0;  // dB
    CViewSettings* m_pSettings = nullptr;
    int m_nViewIndex = -1;
    bool m_bTimerWarningShown = false;
    // This window started the running recording and shows its recorder window.
    bool m_bRecorderOwner = false;
    CMp3Conversion m_mp3;
    // The job thread's procedure: the work, then the busy flag cleared.
    static void ViewJobThread(CSndView* view, JobWork work);
    // The background job: its thread (kept until the next start), kind, busy flag and stop request.
    std::thread m_jobThread;
    std::atomic<int> m_nJobKind{0};
    std::atomic<int> m_bJobBusy{0};
    std::atomic<bool> m_bJobStop{false};
    std::unique_ptr<CJobMessageTarget> m_pJobMessages;
    std::unique_ptr<CStatisticsJob> m_pStatisticsJob;
    std::unique_ptr<CFileAnalysisJob> m_pFileAnalysisJob;
    // The pace the periodic timers were armed at: -1 none yet, 0 idle, 1 running.
    int m_nTimerPace = -1;

    std::unique_ptr<CPlot> m_pPlot;
    // The band display's results handed to the plot: band centres, and per channel (1024 bands
    // each) the band levels in the RTA time weighting.
    std::vector<double> m_adBandCentres;
    std::vector<double> m_adBandLevels;
    // Step 11 of the curve set-up: the band analysers' levels for the band display.
    void PassBandLevels();
    std::array<std::unique_ptr<CPlot>, kAuxiliaryPlots> m_auxiliaryPlots;
    std::array<std::unique_ptr<CPlot>, kOverlayPlots> m_overlayPlots;

    std::array<std::string, 6> m_statusTexts;
    CParamViewManager m_paramViews;
    CCustomPlot m_customPlot;

    std::unique_ptr<CTonalityAnalyzer> m_pTonality;
    CTonalityResult m_tonality;
    void PlaceTonalityMarkers();

    std::array<CReadoutRecord, kResultRingSize> m_resultRing{};
    int m_nRingNext = 0;
    int m_nRingNewest = -1;
    CReadoutRecord m_workingRecord{};
    CReadoutRecord m_publishedRecord{};
    std::array<CReadoutTexts, 2> m_readoutTexts;
    // The FFT window's mean square, for the in-band level of a windowed spectrum.
    double WindowPowerGain() const;
    void FillResultRecord(CReadoutRecord& record) const;
    // Copies what this refresh measured into the engine's result block for the parameter windows.
    void FillParamResults(const CReadoutRecord& record);
};
