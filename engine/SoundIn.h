// The measurement engine: the one object that opens the input, takes in its sample blocks, collects
// them into analysis blocks on its multi-channel ring and hands them to its analysis thread, and
// holds the acquisition settings and the display buffers that the plots read.
//
// Threads:
// - Control (user-interface thread or an application's worker): the constructor, InitDefaults,
//   the lifecycle (OpenInput, StopInput, PauseInput, RestartInput; serialised among themselves and
//   blocking until the threads they stop have stopped), SetFftSize, SetAnalyzerMode and the
//   settings, which change only while the engine is stopped.
// - Input (each back-end's thread, or the caller of OnPluginInputBlock): ProcessPcm16Block and
//   ProcessFloatBlock. One block is inside the intake at a time; the collection runs under the
//   input lock. Nothing on this path allocates or waits on the display.
// - Analysis (the engine's analysis thread): AnalysisThread, AnalyzeFftBlock, AnalyzeMlsBlock.
// - Readers of results: the display buffers under the display lock; counters and flags are atomics.
// No code holds the input lock and the display lock together.
#pragma once

#include "common/CalibrationCurve.h"  // Display curves
#include "common/ChannelRingBuffer.h"
#include "common/DspOperation.h"
#include "common/FloatRingBuffer.h"
#include "dsp/BandAnalyzer.h"
#include "dsp/DesignedFilter.h"
#include "dsp/FftWindow.h"
#include "dsp/FrequencyWeighting.h"
#include "dsp/Loudness.h"
#include "dsp/LoudnessFilterBank.h"
#include "dsp/MlsTransform.h"
#include "dsp/OctaveBandFilter.h"
#include "dsp/Phonetogram.h"
#include "dsp/StiBandValues.h"
#include "dsp/SweepSynthesis.h"
#include "dsp/ThirdOctaveBandFilter.h"
#include "engine/ChannelConditioning.h"  // Conditioning chain
#include "engine/EngineNotifications.h"
#include "engine/ExtGeneratorDevice.h"
#include "engine/Generator.h"
#include "engine/GeneratorLink.h"
#include "engine/GeneratorMatrix.h"
#include "engine/Histogram.h"
#include "engine/HistogramSettings.h"
#include "engine/InputDevice.h"
#include "engine/InputDllConfig.h"
#include "engine/InputPluginLibrary.h"
#include "engine/LevelMonitor.h"
#include "engine/ParamResults.h"
#include "engine/SigGenSettings.h"
#include "engine/StipaNoiseFile.h"
#include "engine/VstChain.h"
#include "engine/WowAndFlutter.h"
#include "engine/WaveRecorder.h"
#include "platform/Sync.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

// The index of the first string that contains the text, compared in upper case; -1 when none.
int FindStringNoCase(const std::vector<std::string>& strings, const std::string& text);

class CSampleRateConverter;

class CSoundIn : public CInputBlockSink
{
public:
    // Engine states (m_nState).
    static constexpr int kStatePausing = 0;
    static constexpr int kStateOpen = 1;
    static constexpr int kStateRunning = 2;
    static constexpr int kStatePaused = 3;
    static constexpr int kStateStopped = 4;
    // Transitions in progress (m_nTransition).
    static constexpr int kTransitionNone = 0;
    static constexpr int kTransitionOpening = 1;
    static constexpr int kTransitionRestarting = 2;
    static constexpr int kTransitionPausing = 3;
    static constexpr int kTransitionStopping = 4;
    // Input modes ("Capture Mode").
    static constexpr int kInputWave = 0;
    static constexpr int kInputFile = 1;
    static constexpr int kInputNone = 2;
    static constexpr int kInputTestSignal = 3;
    static constexpr int kInputLibrary = 4;
    static constexpr int kInputAsio = 5;
    static constexpr int kInputDirectSound = 6;
    static constexpr int kInputSimulated = 7;
    static constexpr int kInputModeCount = 8;
    // Trigger modes and states.
    static constexpr int kTriggerOff = 0;
    static constexpr int kTriggerLevel = 1;
    static constexpr int kTriggerSlope = 2;
    static constexpr int kTriggerRms = 3;
    static constexpr int kTriggerSearching = 0;
    static constexpr int kTriggerArmed = 1;
    static constexpr int kTriggerFired = 2;
    static constexpr int kTriggerCollecting = 3;
    static constexpr int kTriggerHeld = 4;

    static constexpr int kMaxChannels = 64;
    static constexpr int kMaxFftSize = 1 << 20;
    // How long PauseInput waits for the block in analysis to end (ms).
    static constexpr int kPauseWaitLimitMs = 2000;
    static constexpr int kMinSampleRate = 1000;
    static constexpr int kMaxSampleRate = 1000000;
    // Frames of one staging row: the most frames collected from one delivered piece.
    static constexpr int kStagingFrames = 262144;
    // Marks a display buffer set that is about to be freed, for readers that held on to it.
    static constexpr std::uint32_t kFreedDisplayMark = 0x6DCDEFAC;

    CSoundIn();
    ~CSoundIn() override;
    CSoundIn(const CSoundIn&) = delete;
    CSoundIn& operator=(const CSoundIn&) = delete;

    // The program-wide engine the plug-in callbacks reach (the last one constructed and alive).
    static CSoundIn* GetEngine();

    // --- control ---
    void SetNotifications(CEngineNotifications* notifications);
    // Installs the back-end of an input mode (the engine owns it); only while stopped.
    void SetInputDevice(int inputMode, std::unique_ptr<CInputDevice> device);
    CInputDevice* GetInputDevice(int inputMode) const;

    // Every setting back to its default, display buffers allocated and zeroed. False (nothing
    // changed) while the input is open, and when the display buffers cannot be allocated (after
    // FatalError).
    bool InitDefaults();
    int GetAnalyzerMode() const;
    void SetAnalyzerMode(int code);
    bool IsFrequencyAxisMode() const;

    // 0 on success (state open), -1 on failure (state stopped, the user told why).
    // With the wave input on a system without any capture device, the simulated input runs
    // instead (the user is told once; the settings keep the wave input).
    int OpenInput();
    // What the input in use is called, for the status bar.
    std::string GetInputName() const;
    // True while the simulated input stands in for a missing capture device.
    bool IsInputFallback() const { return m_bInputFallback && m_nInputMode == kInputSimulated; }
    static constexpr const char* kNoCaptureDeviceMessage =
        "No audio capture device was found. The simulated input (a 1 kHz sine) is used instead.";
    void StopInput();
    void PauseInput();
    void RestartInput();
    bool IsRunning() const { return m_nState.load() == kStateRunning; }
    int GetState() const { return m_nState.load(); }
    // False (nothing changed) for a size that is not a power of two from 2 to 2^20, or while open
    // above the size the input was opened for.
    bool SetFftSize(int size);

    bool IsTriggerArmed() const;
    std::string GetTriggerModeName() const;
    void SetTriggerDefaults();
    // The trigger settings of the trigger dialog, taken over by the running engine at its next
    // block (under the input lock); the trigger searches anew.
    struct TriggerSettings
    {
        int mode = kTriggerLevel;
        double level = 0.01;
        int channel = 0;
        int slope = 1;
        int negative = 0;
        int repeat = 1;
        int scopeOnly = 1;
        int offsetFrames = 0;
    };
    TriggerSettings GetTriggerSettings();
    void SetTriggerSettings(const TriggerSettings& settings);
    // The wow-and-flutter analysis (the first demodulator of the conditioning chain): its settings,
    // taken over at once under the input lock with the demodulator set up again; the input
    // bandwidths it offers (Hz); its newest results.
    WowAndFlutterSettings GetWowAndFlutterSettings();
    void SetWowAndFlutterSettings(const WowAndFlutterSettings& settings);
    std::vector<double> GetWowAndFlutterBandwidths();
    bool IsWowAndFlutterActive();
    WowAndFlutterResults GetWowAndFlutterResults();
    void ResetTrigger();
    void ResetTriggerAndStatistics();
    void ResetStatistics();

    // --- input ---
    // The channel matrix's routing of one analysis channel: its source channel, gain in dB and
    // enabled flag.
    struct ChannelRoute
    {
        int source = 0;
        double gainDb = 0.0;
        bool enabled = true;
    };
    // Takes the routing of the first routes.size() analysis channels (at most 64). It waits until
    // no block is in the intake, so that every block is routed wholly one way or the other; a
    // running input keeps running.
    void SetChannelRouting(std::span<const ChannelRoute> routes);
    // The data callback of the test signal and the plug-ins: forwards to the program-wide engine.
    static void OnPluginInputBlock(const float* samples, int frames);
    void ProcessPcm16Block(std::span<const std::int16_t> samples);
    void ProcessFloatBlock(std::span<const float> samples, int frames);
    // The floats per frame that ProcessFloatBlock takes with the current settings.
    int FloatBlockStride() const { return FrameStride(false); }
    void OnPcm16Block(std::span<const std::int16_t> samples) override { ProcessPcm16Block(samples); }
    void OnFloatBlock(std::span<const float> samples, int frames) override
    {
        ProcessFloatBlock(samples, frames);
    }

    // --- analysis thread ---
    // Take one analysis block from the ring; return the frames taken (0: none complete). A class
    // that overrides them calls StopInput in its own destructor, before its part is gone.
    virtual int AnalyzeFftBlock();
    virtual int AnalyzeMlsBlock();
    // Statistics and time-domain arithmetic of one analysis block (rows of `stride` floats).
    void BlockStatistics(float* block, int stride, int frames);
    // Turns the published rows of the spectrum display buffer into what the plots show. Only inside
    // a publication, with the display lock held.
    void PostProcessDisplay();
    void SpectrumChannelMath(float* rows, int stride, int length);
    // Level monitor: one step per value waiting in channel 0's level output (analysis thread).
    void UpdateLevelHistory();
    // Control side, while stopped: histories of the monitor's length for the analysis channels.
    bool EnsureHistoryBuffers();
    void ResetChannelStatistics();
    // Control side: the impulse response the window holds from now on (it keeps the samples alive
    // until it sets another or null); the decay analysis takes it in place of the display. False
    // (nothing held) when its work buffers cannot grow.
    bool SetHeldImpulse(const float* samples, int length, int sampleRate);
    // Control side, while the input opens: the band analyser of every analysis channel (made on first
    // use) set up for the rate, the band mode and the band time constant, with the channel's level
    // logger attached. They analyse while a band display or the level monitor is on, and each one
    // while its logging run is active; their wideband meters then run as well.
    bool SetupBandAnalyzers();
    // The sound level logger of an analysis channel (not owned: it must outlive the engine; null:
    // none), attached to the channel's band analyser at the next open and at once to an analyser
    // that exists. Control side, while the channel's analyser is not logging.
    void SetLevelLogger(int channel, CLevelLoggerSink* logger);
    CLevelLoggerSink* GetLevelLogger(int channel) const;
    // The band analyser of an analysis channel; null before the first open or outside the channels.
    CBandAnalyzer* GetBandAnalyzer(int channel) const;

    // ===== acquisition settings (control side; defaults of InitDefaults) =====
    int m_nSampleRate = 44100;
    int m_nBitsPerSample = 16;
    int m_nCaptureDevice = 0;
    std::string m_strCaptureDeviceName;
    int m_nInputMode = kInputWave;
    int m_nChannelMode = 1;  // 0 mono; 1 stereo left; 2 stereo right; 3 stereo both
    int m_bSwapChannels = 0;
    int m_nAnalysisChannels = 1;
    int m_nDeviceChannels = 1;
    int m_nFftSize = 512;
    int m_nAverageCount = 1;
    int m_bRecursiveAverage = 1;
    int m_nWindowType = 2;
    int m_nWeightingType = 0;
    int m_bCalibration = 0;
    float m_fCalibrationOffset = 0.0f;  // dB
    double m_dCalibrationGain = 1.0;    // 10^(offset/20), derived at open
    int m_nFftSubmode = 0;
    int m_bFft64Bit = 0;
    int m_bEqualizerFilters = 0;
    int m_bDcBlock = 0;
    int m_bSmoothing = 0;
    int m_nSmoothingOctaves = 3;
    int m_bSmoothSweepResults = 0;
    int m_bPeakInterpolate = 1;
    int m_nMlsLength = 1023;
    int m_bChirpExcitation = 0;
    double m_dChirpStart = 0.0;
    double m_dChirpStop = 20000.0;
    int m_nTimeAverageCount = 0;
    int m_nMinDeviceBuffer = 1024;
    int m_nDeviceBufferCount = 20;
    int m_bResampler = 0;
    double m_dResampleRatio = 1.0;
    double m_dResampleStartPhase = 0.0;
    int m_nResampleApplyPhase = 1;
    int m_bRecorder = 0;
    // The recorder's file length (seconds) and the conversion of finished files to MP3.
    double m_dRecorderInterval = 1800.0;
    int m_bRecorderMp3 = 0;
    std::string m_strRecorderFile = "recorder.wav";
    // The audio recorder: the analysis channels whose flag is set go to a WAVE file at the device's
    // rate, as the intake takes them in (before calibration and conditioning).
    enum RecorderStart
    {
        kRecorderStarted = 0,
        kRecorderNoChannel = -1,  // no channel is flagged for recording
        kRecorderNoFile = -2,     // the file cannot be created
        kRecorderBusy = -3,       // already recording
    };
    // Opens the recording at path (the engine's wave-file resolution, the recorder's file length).
    int StartRecording(const std::string& path, std::span<const int> channelActive);
    // Ends the recording once no block can be written any more, with scale as its overall factor,
    // and finishes the file. Nothing happens while not recording.
    void StopRecording(double scale);
    bool IsRecording() const { return m_bRecordingInput.load() != 0; }
    // Seconds recorded so far.
    double RecordedSeconds() const;
    CWaveRecorder m_recorder;
    // Counts the recordings started since construction.
    std::atomic<long> m_nRecordingNumber{0};
    int m_bPlayFileWhileAnalysing = 1;
    int m_bDebugDumps = 0;
    int m_bReplayFromFile = 0;
    int m_nAnalysisPriority = 1;
    std::string m_strInputLibrary = "dll_input.dll";
    int m_bHumSuppression = 0;
    double m_dHumFundamental = 50.0;
    double m_dHumUpperLimit = 800.0;
    // Reverberation properties: the decay range of the regression (dB), its points, the longest part
    // of a response evaluated (ms, 0 or less = all), the band range of the per-band evaluation (Hz,
    // 0 or less = default) and the level the decay time is extrapolated to.
    double m_irDecayStartLevel = -3.0;
    double m_irDecayEndLevel = -18.0;
    std::int32_t m_irRegressionPoints = 100;
    double m_irMaxLengthMs = 0.0;
    double m_irBandLowerLimit = 0.0;
    double m_irBandUpperLimit = 0.0;
    double m_dDecayTarget = -60.0;
    // Signal-to-noise ratios per octave band for the speech-intelligibility evaluation of responses.
    CStiBandValues m_stiSnrValues;
    // Bits per sample of recordings the engine writes from evaluations (series average).
    std::int32_t m_recordBits = 16;
    int m_nLevelMonitorMode = 0;
    std::int64_t m_nLevelHistoryLength = 1000;
    double m_dLevelShortTime = 5.0;
    double m_dLevelLongTime = 1800.0;
    // The +-0.005 dither of 16-bit input. Off unless the user turns it on: it lies near -51 dBFS,
    // far above the noise floor of a 16-bit input.
    int m_bInputDither = 0;
    // Channel conditioning: per-channel gain (dB), sensitivity (linear) and enable flag.
    std::array<double, kMaxChannels> m_dChannelGainDb{};
    std::array<double, kMaxChannels> m_dChannelSensitivity{};
    std::array<int, kMaxChannels> m_bChannelEnabled{};
    // Two-channel time-domain arithmetic: 0 none, 1 sum, 2 difference, 3 product, 4 ratio.
    int m_nTimeOperation = 0;
    int m_bTimeGainStage = 0;
    double m_dTimeGain0 = 1.0;
    double m_dTimeGain1 = 1.0;
    // Display post-processing.
    int m_nSpectrumOperation = 0;  // 1 sum .. 7 geometric mean of channels 0 and 1
    int m_nIntegrationMode = 0;    // 0 off, 1 running sum, 2 first difference
    double m_dMode5Factor = 22.0;
    // Set by the windows while one shows the average curve; read by the analysis thread.
    std::atomic<int> m_bDisplayAveraging{0};
    std::int64_t m_nDisplayAverageCount = 0;
    int m_bThirdOctaveDisplay = 0;
    // Impulse alignment of the MLS analysis.
    int m_bAutoAlign = 1;
    int m_nImpulseOffset = 0;
    double m_dImpulseLead = -0.005;  // seconds before the peak
    double m_dImpulseLength = 0.0;   // seconds, 0 = no limit
    int m_nImpulsePosition = -1;
    // Source channel of each analysis channel (the channel matrix's routing; identity by default).
    std::array<int, kMaxChannels> m_nSourceChannel{};

    // ===== what the measurement windows read and set (user-interface thread) =====
    // The windows draw only while the processing flag is 1; they clear it around every rebuild of
    // their axes or curves. The display-restart request makes the next refresh tick of a window
    // restart its display; the repaint request makes a display restart repaint the window.
    std::atomic<int> m_bProcessingEnabled{0};
    // Preferences the measurement windows read: no cursor readout, no level meter.
    std::atomic<int> m_bDisableCursor{0};
    std::atomic<int> m_bDisableMeter{0};
    std::atomic<int> m_bDisplayRestartRequest{0};
    std::atomic<int> m_bRepaintRequest{0};
    // Set by the wizards while they run.
    int m_bAutomation = 0;
    // While 1 the refresh tick removes the main window's menu.
    int m_bHideMenu = 0;
    // Default display ranges of a new window's axes.
    double m_dMinLevelDb = -100.0;
    double m_dMaxLevelDb = 10.0;
    double m_dMinFrequency = 20.0;
    double m_dMaxFrequency = 20000.0;
    // The two averaging settings of the windows' average command and the averaging-type flag that
    // the axis set-up derives from the second.
    std::array<int, 2> m_anAveragingSettings{};
    int m_bAveragingType = 0;
    // Band mode of the band analysers (0 off, 1 octave, 3 third octave, N 1/N octave).
    int m_nBandAnalyzerMode = 0;
    // Frequency markers of the plots: switch, count and list (Hz).
    static constexpr int kMaxMarkers = 256;
    int m_bMarkers = 0;
    int m_nMarkerCount = 0;
    std::array<double, kMaxMarkers> m_adMarkers{};
    // "Color mode background": 1 white, 2 black plot background, 3 from the palette, else the scheme.
    int m_nColorModeBackground = 0;
    // Settings that the settings files carry and no other block of the engine holds.
    double m_dMinLevel = 0.0;  // default y range of a linear display
    double m_dMaxLevel = 1.0;
    double m_dMlsPregap = 0.0;
    double m_dMlsExcitationLength = 0.0;
    int m_bNotch1kHz = 0;
    int m_bRiaa = 0;
    int m_bRiaaInverse = 0;
    double m_dLevelMinFrequency = 20.0;
    double m_dLevelMaxFrequency = 20000.0;
    int m_bLevelFullSpan = 1;
    int m_nLevelWeighting = 0;
    int m_bDecimalComma = 0;
    // With the decimal-comma option on, every "." of text becomes ",".
    std::string ApplyDecimalComma(std::string text) const;
    // The generator's attenuator switches 1, 2, 3, 5, 10, 20 and 50 dB.
    std::array<int, 7> m_abAttenuators{};
    // The reverberation wizard's frequency range, chirp and thresholds.
    struct ReverbWizardSettings
    {
        double minFrequency = 100.0;
        double maxFrequency = 5000.0;
        double minChirpFrequency = 50.0;
        double maxChirpFrequency = 10000.0;
        int chirpSize = 65536;
        double chirpLevel = 0.5;
        double thdnThresholdMin = 0.1;
        double headroomThreshold = 10.0;
        double extrapolateStart = -5.0;
        double extrapolateStop = -25.0;
        double timeWindow = 1.0;
    };
    ReverbWizardSettings m_reverbWizard;
    // Per channel: 1 when some measurement window shows the channel.
    std::array<int, kMaxChannels> m_abChannelActive{};

    // ===== analyser-mode flags =====
    int m_bScopeMode = 0;
    int m_bMlsMode = 0;
    int m_nMlsDisplayKind = 0;  // 0 frequency response, 1 phase, 2 impulse response
    int m_bImpulseVariant = 0;
    int m_bMode5 = 0;
    int m_bMode6 = 0;
    int m_bMode7 = 0;  // block as long as the FFT size, device buffer up to 16384 frames
    int m_bMode256 = 0;
    int m_bMode257 = 0;

    // ===== trigger (settings on the control side; state under the input lock) =====
    double m_dTriggerLevel = 0.01;
    int m_nTriggerRepeat = 1;  // negative: off; 0: one collection then hold; positive: re-arm
    int m_nTriggerMode = kTriggerLevel;
    int m_nTriggerSlope = 1;
    int m_bTriggerNegative = 0;
    int m_nTriggerChannel = 0;
    int m_bTriggerScopeOnly = 1;
    int m_nTriggerOffset = 0;  // frames, clamped to +-block length at use
    double m_dTriggerPower = 0.0;
    double m_dTriggerPowerFactor = 0.125;
    double m_dTriggerLastLevel = 0.0;
    int m_nTriggerConfirm = 0;
    int m_nTriggerState = kTriggerSearching;
    int m_nTriggeredBlocks = 0;

    // ===== derived geometry (set at open) =====
    int m_nMlsOrder = 10;
    int m_bContinuousCollection = 1;
    std::atomic<int> m_nBlockLength{512};
    int m_nDisplayLength = 256;
    std::atomic<int> m_nDeviceBufferFrames{1024};
    int m_nRingLength = 0;
    int m_nOpenedFftSize = 0;  // FFT size the buffers were sized for; 0 while stopped
    int m_bWindowEnable = 1;

    // ===== run-time control words =====
    std::atomic<int> m_nState{kStateStopped};
    std::atomic<int> m_nTransition{kTransitionNone};
    std::atomic<int> m_bOpened{0};
    std::atomic<bool> m_bStopRequest{true};  // the intake drops blocks while set (closed until open)
    std::atomic<bool> m_bQuitRequest{false};
    std::atomic<bool> m_bAnalysisIdle{true};
    std::atomic<bool> m_bAnalysisAlive{false};
    std::atomic<int> m_nIntakeBusy{0};
    std::atomic<bool> m_bIntakeActive{false};
    std::atomic<int> m_bPaused{1};
    // Set by PauseInput until the next restart: the analysis thread starts no block meanwhile.
    std::atomic<bool> m_bAnalysisHeld{false};

    // ===== counters (atomics; counts saturate instead of wrapping) =====
    std::atomic<std::int64_t> m_nAnalysisCounter{0};
    std::atomic<std::int64_t> m_nPublicationCounter{0};
    std::atomic<std::int64_t> m_nAverageProgress{0};
    std::atomic<std::int64_t> m_nCollectedBlocks{0};
    std::atomic<std::int64_t> m_nCollectedFrames{0};
    std::atomic<std::int64_t> m_nAnalyzedFrames{0};
    std::atomic<std::int64_t> m_nLostFrames{0};  // frames the ring could not take
    std::atomic<std::int64_t> m_nFileBlocks{0};
    int m_nCurrentCollected = 0;          // frames of the current block (under the input lock)
    std::int64_t m_nLastTriggerPos = -1;  // under the input lock

    // Per-channel statistics record: long-term maximum, minimum and sum.
    struct ChannelStatistics
    {
        double maximum = -1e99;
        double minimum = 1e99;
        double sum = 0.0;
    };
    std::array<ChannelStatistics, kMaxChannels> m_statistics{};

    // Block statistics of the analysis thread (read by the windows without a lock).
    struct BlockStatisticsRecord
    {
        double meanSquare = 0.0;
        double sumOfSquares = 0.0;
        double blockMax = 0.0;
        double blockMin = 0.0;
        double blockPeak = 0.0;
        double longMax = -1e99;
        double longMin = 1e99;
        double longPeak = 0.0;
    };
    std::array<BlockStatisticsRecord, kMaxChannels> m_blockStatistics{};
    // The block figures of the last publication (display lock), and their readers for the windows.
    std::array<BlockStatisticsRecord, kMaxChannels> m_publishedBlockStatistics{};
    BlockStatisticsRecord GetPublishedBlockStatistics(int channel);
    // The trigger state, read under the input lock.
    int GetTriggerState();
    // DC blocker state per channel (intake side, cleared at open).
    std::array<double, kMaxChannels> m_dDcX1{};
    std::array<double, kMaxChannels> m_dDcY1{};
    std::atomic<std::int64_t> m_nConditionedFrames{0};
    // Conditioning chain: the per-channel filters, built at open for the analysis channels.
    CChannelConditioning m_conditioning;
    // Synchronous time averaging: blocks still to add to the present group; -1 starts a new group
    // with the next block (analysis thread; cleared at open, restart and statistics reset).
    int m_nTimeAverageCountdown = -1;
    std::atomic<bool> m_bRestartTimeAverage{false};  // ResetStatistics asks the analysis thread
    // Display curves: the reference of the relative display, its copy on the display grid with the
    // length and rate it was built for, and the 64 calibration-curve slots (changed while stopped).
    // SetReferenceCurve takes the display lock; `span` is the rate the points are spread over.
    void SetReferenceCurve(std::span<const float> values, int span);
    int m_bRelativeDisplay = 0;
    std::vector<float> m_referenceCurve;
    int m_nReferenceSpan = 0;
    std::vector<float> m_referenceOnGrid;
    int m_nReferenceGridLength = -1;
    int m_nReferenceGridRate = -1;
    std::array<CCalibrationCurve, kMaxChannels> m_calibrationCurves;
    // The curve a user stored as the reference of the plots ("Set as reference"; null until the
    // first one) and whether the plots draw it; a record the user may hide and show again.
    std::unique_ptr<CCalibrationCurve> m_pReferenceRecord;
    int m_bReferenceShown = 0;
    // While set the plots keep their zoom: undo, redo and reset of the zoom do nothing.
    int m_bDisplayLocked = 0;
    // Divides a row by the reference and applies a channel's calibration curves (display lock held).
    void ApplyReferenceCurve(float* row, int length);
    void ApplyCalibrationCurves(int channel, float* row, int length);

    // Per-channel peak of the last power spectrum: bin, value and the phase of that bin.
    struct PeakRecord
    {
        int index = 0;
        double value = 0.0;
        double phase = 0.0;
    };
    std::array<PeakRecord, kMaxChannels> m_peaks{};
    double m_dFrequencyEstimate = 0.0;
    double m_dPhaseDifferenceFrequency = 1000.0;
    double m_dPhaseDifference = 0.0;
    // Third-octave levels (dB) of each channel's display row and the overall level.
    std::array<std::array<float, 30>, kMaxChannels> m_bandLevels{};
    std::array<double, kMaxChannels> m_dBandOverall{};
    // Loudness of the first channel's third-octave levels (dB SPL once calibrated), computed on every
    // published block while either flag is on: the total in sone, the specific loudness over bark
    // and the A-weighted level. Written by the analysis thread under the display lock; the windows
    // read them. The flags and the display range (dB) are the windows'.
    // The 3D waterfall: on while the live spectrum feeds the 3D window; the ranges of its time-signal
    // feed (level in dB, frequency in Hz). The style word is the first report word of the stored block.
    int m_b3DWaterfall = 0;
    double m_dWaterfallYMin = -90.0;
    double m_dWaterfallYMax = 0.0;
    double m_dWaterfallXMin = 20.0;
    double m_dWaterfallXMax = 20000.0;
    int m_bWaterfallLogX = 1;
    static constexpr int k3dStyleWord = 0;
    std::uint32_t Get3dStyleWord() const { return static_cast<std::uint32_t>(m_stored.reportWords[k3dStyleWord]); }
    void Set3dStyleWord(std::uint32_t word) { m_stored.reportWords[k3dStyleWord] = static_cast<std::int32_t>(word); }
    int m_bLoudness = 0;
    int m_bSpecificLoudness = 0;
    double m_dLoudnessRangeMin = 0.0;
    double m_dLoudnessRangeMax = 130.0;
    // The third-octave levels behind them: the bank's last complete interval of one FFT length,
    // measured with the loudness procedure's band filters (fed on the input path, configured at open).
    CLoudnessFilterBank m_loudnessBank;
    std::array<float, kLoudnessBandCount> m_loudnessBandLevels{};
    std::array<float, kLoudnessPatternLength> m_specificLoudness{};
    float m_fLoudness = 0.0f;
    float m_fLoudnessALevel = 0.0f;
    CWeightingTable m_weighting;
    CMlsTransform m_mls;
    // Chirp excitation: the logarithmic sweep of one period (MLS length + 1 samples, made at the first
    // open that needs it) and its deconvolving spectrum, prepared at every open.
    std::unique_ptr<CLogSweep> m_chirpSweep;
    std::vector<float> m_chirpSpectrum;
    // The band analyser of each analysis channel (fed by the conditioning on the delivering thread;
    // the windows read its meters without a lock) and the time constant its level output steps by.
    // They cost more than the rest of the intake, so they run only while something shows their
    // results: a band display or the level monitor.
    std::array<std::unique_ptr<CBandAnalyzer>, kMaxChannels> m_bandAnalyzers;
    // The live speech-intelligibility analysis of the first channel (fed with every analysis block
    // while it runs) and the noise recording it can mix in (declared first: the analyser closes it).
    CStipaNoiseFile m_stipaNoise;
    CStipaAnalyzer m_stipa;
    // The voice range profile, fed with every published spectrum and its time signal while the view
    // has it active.
    CPhonetogram m_phonetogram;
    // The plug-in chain every delivered block passes first, prepared at each open for the rate and
    // the staging block.
    CVstChain m_vstChain;
    double m_dBandTimeConstant = 0.125;
    bool BandAnalyzersShown() const { return m_nBandAnalyzerMode != 0 || m_nLevelMonitorMode != 0; }
    bool BandAnalyzersInUse() const;
    std::array<CLevelLoggerSink*, kMaxChannels> m_levelLoggers{};
    // The level monitor and, per analysis channel, the level output of that channel's band analyser
    // (null: no levels) with the interval of its values. The outputs are written on the delivering
    // thread and read under the input lock into m_levelValues (sized at open).
    CLevelMonitor m_levelMonitor;
    std::array<CFloatRingBuffer*, kMaxChannels> m_levelOutputs{};
    double m_dLevelInterval = 0.125;
    static constexpr int kLevelValuesPerStep = 256;
    std::vector<float> m_levelValues;
    // Z, A and C weighting tables of the level monitor, for half the FFT size.
    std::array<CWeightingTable, 3> m_monitorWeightings;
    void UpdateMonitorWeightings();

    // ===== buffers =====
    // Display buffers, channels x FFT size each, read under the display lock.
    std::vector<float> m_spectrumDisplay;
    std::vector<float> m_secondDisplay;
    std::vector<float> m_timeDisplay;
    std::vector<float> m_fourthDisplay;
    std::size_t m_nDisplayCapacity = 0;
    // Sized at open, freed at stop.
    std::vector<float> m_ringStorage;
    std::vector<float> m_analysisBlock;
    std::vector<float> m_averageBuffer;
    std::vector<float> m_mlsBuffer;
    std::vector<double> m_mlsDoubles;
    std::vector<float> m_windowTable;
    std::vector<float> m_smoothingBuffer;
    // Decay analysis of an impulse response (analyser mode 36): the band filters, the work buffer
    // (sized when the input opens) and the results: per band its centre and decay time (ms), and the
    // broadband decay time (s); -1 where the response's dynamic range does not reach the lower level.
    static constexpr int kMaxDecayBands = 32;  // third-octave bands from the fourth
    static constexpr int kOctaveDecayBands = 8;
    COctaveBandFilter m_decayOctaveFilter;
    CThirdOctaveBandFilter m_decayThirdOctaveFilter;
    std::vector<float> m_decayEnergy;
    std::array<float, kMaxDecayBands> m_afDecayBandFrequencies{};
    std::array<float, kMaxDecayBands> m_afDecayBandTimes{};
    int m_nDecayBandCount = 0;
    double m_dDecayTime = 0.0;
    // The decay time (s) of one response at `rate` by the reverberation properties, extrapolated to
    // the target level; the work buffer holds at least its length (the caller checked) and keeps
    // its decay curve. Band filter: null for the broadband response.
    double AnalyzeDecay(const float* response, int length, int rate, CBandTableFilter* filter);
    void DecayAnalysis(float* rows, int rowCount, int length);
    // The impulse response a measurement window holds (not owned; null: none) and its rate: the decay
    // analysis reads it instead of the display. Changed under the display lock.
    const float* m_pHeldImpulse = nullptr;
    int m_nHeldImpulseLength = 0;
    int m_nHeldImpulseRate = 0;
    // Grows the decay buffers for the decay analysis' longest source (display lock held).
    bool GrowDecayBuffers(std::size_t length);
    std::vector<float> m_workBuffer1;
    std::vector<float> m_workBuffer2;
    CFftWindow m_window;
    std::string m_strWindowName;
    CChannelRingBuffer m_ring;

    std::mutex m_inputLock;
    std::mutex m_displayLock;

    // ===== Settings persistence (SoundInSettings.cpp) =====
    // The engine block of a workspace. Words that only other windows interpret are carried here
    // unchanged, so a workspace keeps them across a save.
    static constexpr std::int32_t kEngineBlockVersion = 121929;
    static constexpr int kStoredFilterCount = 10;
    static constexpr int kValueListSize = 256;
    static constexpr int kStoredGenerators = 10;
    struct StoredEngineWords
    {
        std::int32_t viewUpdate1 = 0;
        std::int32_t viewUpdate2 = 0;
        std::int32_t displayOption = 0;
        float inputScale = 1.0f;
        std::int32_t acquisition = 1;
        std::int32_t referenceCurveOption = 0;
        std::string referenceCurveFile;
        std::int32_t analyzerOption = 0;
        std::array<std::int32_t, 2> analyzerModeFlags{};
        std::int32_t pluginDevice = 0;
        std::array<std::int32_t, 2> dualPlot{};
        std::int32_t reservedEngine = 0;
        double impedanceReference = 0.0;
        std::int32_t displayWord = 1;
        std::int32_t conditioning = 0;
        std::array<std::int32_t, 2> equalizer{};
        std::vector<CDesignedFilterSettings> filters =
            std::vector<CDesignedFilterSettings>(kStoredFilterCount * kMaxChannels);
        std::array<std::int32_t, 2> sweepInts{3, 10};
        std::array<double, 6> sweepDoubles{100.0, 10000.0, -90.0, 0.0, 700.0, 1000.0};
        std::int32_t analyzerModeWord = 0;
        std::int32_t valueListInUse = 0;
        std::int32_t valueListCount = 0;
        std::array<double, kValueListSize> valueList{};
        std::array<double, 2> dataLogger{10.0, 0.5};
        std::array<std::int32_t, 6> conditioningOptions{0, 20, 0, 0, 5, 0};
        // [0] the 3D style word (0x640000C2: 100 rows, JET surface, solid surface, grid).
        std::array<std::int32_t, 4> reportWords{1677721794, 0, 0, 0};
        std::int32_t analyzerModeFlag = 0;
        std::int32_t waveResolution = 16;
        std::array<CSigGen_settings, kStoredGenerators> generators;
        std::int32_t generatorProgramRunning = 0;
    };
    StoredEngineWords m_stored;
    CGeneratorMatrix m_generatorMatrix;
    // The external generator instrument (present only with its bridge library in the program folder;
    // the automated measurements set frequency and amplitude through it).
    CExtGeneratorDevice m_extGenerator;
    // The result block the parameter windows read (user-interface thread; the measurement window
    // fills it after each display refresh).
    CParamResults m_ParamResults;
    // The link to the generator program; saving a workspace asks it to save its settings next to
    // the workspace file, loading asks it to load them (the document names the file first).
    CGeneratorLink m_generatorLink;
    std::filesystem::path m_workspacePath;
    // The records that the block holds but that live above the engine (axis presets, colour scheme,
    // curve styles, channel records). The document sets them; unset, their place stays empty.
    // Loading reads them aside; the commit takes them over once the whole block was read.
    std::function<void(CArchive&)> m_serializeOwnedObjects;
    std::function<void()> m_commitOwnedObjects;
    // Each analysis channel's sample operation, in the channel records that live above the engine
    // (the document points them here; null: none). Applied to every analysis block.
    std::array<const DspOperation*, kMaxChannels> m_channelOperations{};
    // The two pulse histograms (first and second input channel) with their stored settings; fed while
    // the first one is enabled, reset at every open.
    std::array<CHistogram, 2> m_histograms;
    // Stores or loads the engine block. Loading reads the whole block first and changes nothing
    // when it fails (ArchiveError; BadIndex for a block that is not ours).
    void Serialize(CArchive& ar);
    // Reads the engine's settings from an INI file ("default.cal", a new workspace's settings);
    // missing keys keep the current values, values out of range are ignored. Returns 0.
    int LoadSettings(const std::string& path);
    // Sends generator 0's record with the command (save or load the ".sgs" file named after the
    // workspace) to the generator program; true when its window was found (or, with start, after
    // starting it). Nothing happens without a workspace path.
    bool RequestGeneratorProgram(std::int32_t command, bool start);
    // The capture devices' names that LoadSettings matched "Capture Device Name" against.
    std::vector<std::string> m_waveInDeviceNames;

    // ===== Generators (SoundInGenerators.cpp) =====
    // Generators 0..9 belong to the ten generator panels, 10 is the "Test signal" panel's and 11
    // the test signal's own. All are created with the engine and live as long as it does; the
    // matrix routes 0..10, the link reaches all twelve.
    static constexpr int kGeneratorCount = CGeneratorLink::kGeneratorSlots;
    static constexpr int kPanelGenerators = CGeneratorLink::kPanelGenerators;
    static constexpr int kTestSignalPanel = 10;
    static constexpr int kGeneratorRate = 44100;
    static constexpr int kGeneratorSignificantBits = 24;
    CGenerator* GetGenerator(int index) const;
    // The engine's own generator record: what a reset gives both programs' generators.
    CSigGen_settings m_generatorSettings;
    // Resets the generators of the engine and of a running generator program (a new or closed
    // workspace); the panels are refreshed.
    void ResetGenerators(std::uint64_t mainWindow = 0);
    // Hands a generator change to the generator program, starting it when it is missing, and
    // applies it to the engine's generators. In input mode 5 the engine's own generators play
    // and nothing is sent.
    void SendGeneratorSettings(CSigGen_settings& record, std::uint64_t wParam);
    // Finds the generator program's window and, with `start`, starts the program when it is
    // missing; the link is brought up to the engine's input mode, rate and program folder first.
    // In input mode 5 the engine's own generators play: true without looking.
    bool FindOrStartGeneratorProgram(bool start);
    // With MLS mode on, tells a running generator program (it is not started) to play the
    // excitation that the analysis expects: with chirp excitation the chirp of MLS length + 1
    // samples between the chirp frequencies (command 8 with the refresh bit), else the sequence of
    // MLS length (command 3 with the refresh bit); the engine's generators take it too. The record
    // keeps the level of the engine's own generator record. False when MLS mode is off.
    bool SendExcitationToGeneratorProgram();
    // Gives generators 0..9 the records that the last loaded workspace held (the document calls it
    // once the whole file has loaded).
    void ApplyStoredGenerators();
    // The ASIO menu: shows generator panel `index` (0..9 "ASIO Generator #n", 10 "Test signal"),
    // opening the input first when the panels have no windows yet. Other indices do nothing.
    void OnShowAsioGenerator(int index);
    static std::string GeneratorPanelTitle(int index);

    // ===== Input plug-ins (SoundInPlugins.cpp) =====
    // Input mode 5 binds the ASIO plug-in "Ninvaro.so" and plays the engine's generators through
    // its outputs; input mode 4 binds the generic input library (m_strInputLibrary, a ".dll" name
    // read from old settings loads the ".so" of that name). Both are loaded from m_pluginFolder
    // (the program folder unless set) and share m_inputDllConfig. User-interface thread, except
    // AsioOutputCallback, which the plug-in calls on the driver's thread.
    static constexpr const char* kAsioPluginFile = "Ninvaro.so";
    static constexpr int kPluginMinMajor = 1;
    static constexpr int kPluginMinMinor = 28;
    // The most frames one output callback renders; a longer period plays silence.
    static constexpr int kPluginRenderFrames = CGenerator::kWorkBufferWords;
    static constexpr int kPluginRenderChannels = 2;
    std::filesystem::path m_pluginFolder;
    InputDllConfig m_inputDllConfig;
    CInputPluginLibrary m_asioPlugin;
    CInputPluginLibrary m_inputLibrary;
    int m_nPluginOutputChannels = 0;
    // 1 bound and opened, 0 refused (outdated, or the device did not open), -1 not loadable.
    int BindAsioPlugin();
    int StartAsioPlugin();
    int StopAsioPlugin();
    int CloseAsioPlugin();
    // ASIO > Configure: stops the input, binds the plug-in, runs its settings dialog, closes it.
    int OnConfigureAsio(std::uint64_t argument);
    int BindInputDll();
    int StartInputDll();
    void CloseInputDll();
    void ResumeInputDll();
    void PauseInputDll();
    int ConfigureInputDll(std::uint64_t argument);
    // Renders the generators and mixes them through the generator matrix into frames x output
    // channels int32 samples (channel k at k x frames); context is the engine.
    static int AsioOutputCallback(std::int32_t* out, int frames, void* context);
    // Why the last plug-in open failed ("" when it did not).
    const std::string& GetPluginFailure() const { return m_strPluginFailure; }

protected:
    // Conditions the analysis channels of a block in place (the per-channel filters); the base
    // leaves the block as it is.
    virtual void ConditionChannels(float* rows, int rowStride, int frames);
    // Copies the published result into the spectrum display buffer (display lock held): `length`
    // values of `channels` rows from `source` (row c at c x sourceStride), each times `factor`.
    // Counts that do not fit the buffer or the source are cut to what fits.
    void PublishRows(const float* source, std::size_t sourceSize, int sourceStride, int length,
                     double factor);
    void AddToAverage(const float* source, int sourceStride, int length, double factor, double weight);
    void Correlate(float* block, int stride, int channels);
    void Publish(const float* source, std::size_t sourceSize, int sourceStride, double factor);

private:
    int AnalyzeFftBlockGuarded();
    void AppendDump(const char* name, const float* values, std::size_t count);
    void ProcessStagedBlock(int frames);
    void CollectBlock(float* rows, int frames);
    void ResetTriggerLocked();
    void ResetStatisticsLocked();
    // The averages, block statistics and display average (analysis thread, or with no analysis
    // thread running).
    void ClearAnalysisResults();
    int FrameStride(bool pcm16) const;
    bool ClaimIntake(bool honourStop = true);
    void ReleaseIntake();
    void AnalysisThread();
    void StopAnalysisThread();
    void CloseSource();
    void FreeOpenBuffers();
    // The sweep and its deconvolving spectrum for a period of `length` samples (open, control side).
    bool PrepareChirp(int length);
    // The impulse response of one recorded sweep period (analysis thread; no allocation).
    void DeconvolveChirp(const float* recorded, float* response, int length);
    bool GrowDisplayBuffers(const char* where);
    void CreateGenerators();
    void ReinitGenerators();
    void PrepareGeneratorLink();
    std::array<std::unique_ptr<CGenerator>, kGeneratorCount> m_generators;
    std::string PluginPath(const std::string& file) const;
    std::vector<std::int32_t> m_pluginRenders;  // kGeneratorCount x channels x frames, made at bind
    std::string m_strPluginFailure;
    int NextDitherValue();
    void Fail(const std::string& text);

    CEngineNotifications m_noNotifications;
    CEngineNotifications* m_pNotifications = &m_noNotifications;
    std::array<std::unique_ptr<CInputDevice>, kInputModeCount> m_devices;
    int OpenInputLocked();
    bool m_bFallbackPending = false;
    bool m_bInputFallback = false;
    bool m_bFallbackReported = false;
    std::string m_strFallbackReason;
    CInputDevice* m_pActiveDevice = nullptr;

    std::mutex m_controlLock;  // one lifecycle operation at a time
    platform::Event m_analysisEvent;
    std::thread m_analysisThread;
    std::atomic<bool> m_bClearAverages{false};
    std::atomic<int> m_nPendingBlocks{0};  // completed blocks not yet analysed (intake adds)  // the analysis
                                           // thread clears its averages first

    struct FileCloser
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> m_replayFile;  // "datain" while replay is on

    // The recorder's flag and its interleaving buffer (sized at StartRecording).
    std::atomic<int> m_bRecordingInput{0};
    std::atomic<std::int64_t> m_nRecordedFrames{0};
    std::vector<float> m_recordFrames;
    void RecordStaged(const float* rows, int frames);
    std::unique_ptr<float[]> m_staging;  // analysis channels x kStagingFrames, channel c at row c
    std::size_t m_nStagingCapacity = 0;
    // The resampler hook: one converter per analysis channel (kept across opens, so the stream
    // joins; all of them see the same calls and stay in step) and their output rows, shaped as the
    // staging area. Sized by OpenInput when the resampler is on.
    std::vector<std::unique_ptr<CSampleRateConverter>> m_converters;
    std::unique_ptr<float[]> m_resampled;
    std::size_t m_nResampledCapacity = 0;
    // Converts the staged block of every analysis channel and collects the outputs.
    void ResampleAndCollect(int frames);
    std::uint32_t m_nDitherSeed = 1;
    int m_nAnalysisGuard = 0;  // analysis thread only
};
