#include "engine/SoundIn.h"

#include "common/DspOperation.h"
#include "common/TextDataFiles.h"
#include "dsp/DistortionFigures.h"
#include "dsp/Fft.h"
#include "dsp/FractionalOctaveSmoothing.h"
#include "dsp/RoomAcoustics.h"
#include "engine/BandLevels.h"
#include "engine/SampleRateConverter.h"
#include "engine/TestSignalSource.h"
#include "texts/TextTable.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace
{

std::atomic<CSoundIn*> g_engine{nullptr};

constexpr int kTextLevel = 1000026;
constexpr int kTextOff = 1000028;
constexpr int kTextSlope = 1000029;

constexpr int kMaxMlsLength = 1 << 20;
constexpr int kLargeDeviceBuffer = 16384;
constexpr int kResamplerBufferLimit = 2048;
constexpr std::size_t kWorkBufferFloats = 65536;

constexpr const char* kDumpFiles[] = {"samplein", "SRCout", "in", "mlsout", "fftin", "fftout", "DisplayOut"};
constexpr const char* kSampleDumpFile = "samplein";
constexpr const char* kResamplerDumpFile = "SRCout";
constexpr const char* kReplayFile = "datain";

// Counters are added to by one thread each; they stop at the largest value instead of wrapping.
void SaturatingAdd(std::atomic<std::int64_t>& counter, std::int64_t amount)
{
    const std::int64_t value = counter.load(std::memory_order_relaxed);
    const std::int64_t room = std::numeric_limits<std::int64_t>::max() - value;
    counter.store(amount > room ? std::numeric_limits<std::int64_t>::max() : value + amount,
                  std::memory_order_relaxed);
}

bool IsPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Zeroes a vector without reallocating it.
template <typename T>
void Zero(std::vector<T>& v)
{
    std::fill(v.begin(), v.end(), T{});
}

}  // namespace

CSoundIn::CSoundIn()
{
    g_engine.store(this);
    m_devices[kInputTestSignal] = std::make_unique<CTestSignalSource>();
    m_stipa.SetNoiseReader(&m_stipaNoise);
    CreateGenerators();
    InitDefaults();
}

CSoundIn::~CSoundIn()
{
    StopInput();
    StopRecording(m_recorder.m_dOverallFactor);
    for (auto& device : m_devices)
        if (device)
            device->Close();
    {
        std::lock_guard lock(m_displayLock);
        if (!m_spectrumDisplay.empty())
            std::memcpy(m_spectrumDisplay.data(), &kFreedDisplayMark, sizeof kFreedDisplayMark);
    }
    // The input is stopped, so no output callback renders any more.
    m_generatorMatrix.m_generators.fill(nullptr);
    m_generatorLink.m_generators.fill(nullptr);
    for (auto& generator : m_generators)
        generator.reset();
    CSoundIn* self = this;
    g_engine.compare_exchange_strong(self, nullptr);
}

CSoundIn* CSoundIn::GetEngine()
{
    return g_engine.load();
}

void CSoundIn::SetNotifications(CEngineNotifications* notifications)
{
    m_pNotifications = notifications ? notifications : &m_noNotifications;
    for (auto& generator : m_generators)
        if (generator)
            generator->SetNotifications(m_pNotifications);
}

void CSoundIn::SetInputDevice(int inputMode, std::unique_ptr<CInputDevice> device)
{
    if (inputMode < 0 || inputMode >= kInputModeCount)
        return;
    std::lock_guard lock(m_controlLock);
    if (m_bOpened.load())
        return;
    if (m_devices[static_cast<std::size_t>(inputMode)])
        m_devices[static_cast<std::size_t>(inputMode)]->Close();
    m_devices[static_cast<std::size_t>(inputMode)] = std::move(device);
}

CInputDevice* CSoundIn::GetInputDevice(int inputMode) const
{
    if (inputMode < 0 || inputMode >= kInputModeCount)
        return nullptr;
    return m_devices[static_cast<std::size_t>(inputMode)].get();
}

void CSoundIn::Fail(const std::string& text)
{
    m_pNotifications->FatalError(text);
}

// ---------------------------------------------------------------------------------------------
// Defaults and analyser modes

bool CSoundIn::InitDefaults()
{
    // The threads of an open input read these settings without a lock.
    if (m_bOpened.load())
        return false;
    m_nSampleRate = 44100;
    m_nBitsPerSample = 16;
    m_nCaptureDevice = 0;
    m_strCaptureDeviceName.clear();
    m_nInputMode = kInputWave;
    m_nChannelMode = 1;
    m_bSwapChannels = 0;
    m_nAnalysisChannels = 1;
    m_nDeviceChannels = 1;
    m_nFftSize = 512;
    m_nAverageCount = 1;
    m_nWindowType = 2;
    m_nWeightingType = 0;
    m_bCalibration = 0;
    m_fCalibrationOffset = 0.0f;
    m_nFftSubmode = 0;
    m_bFft64Bit = 0;
    m_bEqualizerFilters = 0;
    m_bDcBlock = 0;
    m_bSmoothing = 0;
    m_nSmoothingOctaves = 3;
    m_bSmoothSweepResults = 0;
    m_bPeakInterpolate = 1;
    m_nMlsLength = 1023;
    m_bChirpExcitation = 0;
    m_dChirpStart = 0.0;
    m_dChirpStop = 20000.0;
    m_nTimeAverageCount = 0;
    m_nMinDeviceBuffer = 1024;
    m_nDeviceBufferCount = 20;
    m_bResampler = 0;
    m_dResampleRatio = 1.0;
    m_dResampleStartPhase = 0.0;
    m_nResampleApplyPhase = 1;
    m_bRecorder = 0;
    m_dRecorderInterval = 1800.0;
    m_bRecorderMp3 = 0;
    m_strRecorderFile = "recorder.wav";
    m_bPlayFileWhileAnalysing = 1;
    m_bDebugDumps = 0;
    m_bReplayFromFile = 0;
    m_nAnalysisPriority = 1;
    m_strInputLibrary = "dll_input.dll";
    m_bHumSuppression = 0;
    m_dHumFundamental = 50.0;
    m_dHumUpperLimit = 800.0;
    m_irDecayStartLevel = -3.0;
    m_irDecayEndLevel = -18.0;
    m_irRegressionPoints = 100;
    m_irMaxLengthMs = 0.0;
    m_irBandLowerLimit = 0.0;
    m_irBandUpperLimit = 0.0;
    m_dDecayTarget = -60.0;
    m_nLevelMonitorMode = 0;
    m_nLevelHistoryLength = 1000;
    m_dLevelShortTime = 5.0;
    m_dLevelLongTime = 1800.0;
    m_bInputDither = 0;
    m_dChannelGainDb.fill(0.0);
    m_dChannelSensitivity.fill(1.0);
    m_bChannelEnabled.fill(1);
    m_nTimeOperation = 0;
    m_bTimeGainStage = 0;
    m_dTimeGain0 = 1.0;
    m_dTimeGain1 = 1.0;
    m_nSpectrumOperation = 0;
    m_nIntegrationMode = 0;
    m_dMode5Factor = 22.0;
    m_bDisplayAveraging.store(0);
    m_bThirdOctaveDisplay = 0;
    m_bAutomation = 0;
    m_bHideMenu = 0;
    m_dMinLevelDb = -100.0;
    m_dMaxLevelDb = 10.0;
    m_dMinFrequency = 20.0;
    m_dMaxFrequency = 20000.0;
    m_anAveragingSettings.fill(0);
    m_bAveragingType = 0;
    m_nBandAnalyzerMode = 0;
    m_abChannelActive.fill(0);
    m_abChannelActive[0] = 1;
    m_bMarkers = 0;
    m_nMarkerCount = 0;
    m_adMarkers.fill(0.0);
    m_nColorModeBackground = 0;
    for (CHistogram& histogram : m_histograms)
        histogram.m_settings = {};
    m_bAutoAlign = 1;
    m_nImpulseOffset = 0;
    m_dImpulseLead = -0.005;
    m_dImpulseLength = 0.0;
    for (int c = 0; c < kMaxChannels; ++c)
        m_nSourceChannel[static_cast<std::size_t>(c)] = c;
    SetAnalyzerMode(0);
    SetTriggerDefaults();

    if (!GrowDisplayBuffers("init"))
        return false;
    {
        std::lock_guard lock(m_displayLock);
        Zero(m_spectrumDisplay);
        Zero(m_secondDisplay);
        Zero(m_timeDisplay);
        Zero(m_fourthDisplay);
    }
    m_nDisplayLength = m_nFftSize / 2;
    try
    {
        if (m_workBuffer1.size() < kWorkBufferFloats)
            m_workBuffer1.assign(kWorkBufferFloats, 0.0f);
        if (m_workBuffer2.size() < kWorkBufferFloats)
            m_workBuffer2.assign(kWorkBufferFloats, 0.0f);
    }
    catch (const std::bad_alloc&)
    {
        Fail("Failed to allocate memory for auxillary buffers.");
        return false;
    }
    ReinitGenerators();
    return true;
}

bool CSoundIn::GrowDisplayBuffers(const char* where)
{
    const std::size_t needed = static_cast<std::size_t>(std::clamp(m_nAnalysisChannels, 1, kMaxChannels)) *
                               static_cast<std::size_t>(m_nFftSize);
    std::lock_guard lock(m_displayLock);
    if (m_nDisplayCapacity >= needed && m_spectrumDisplay.size() >= needed)
        return true;
    if (!m_spectrumDisplay.empty())
        std::memcpy(m_spectrumDisplay.data(), &kFreedDisplayMark, sizeof kFreedDisplayMark);
    try
    {
        std::vector<float> spectrum(needed), second(needed), time(needed), fourth(needed);
        m_spectrumDisplay.swap(spectrum);
        m_secondDisplay.swap(second);
        m_timeDisplay.swap(time);
        m_fourthDisplay.swap(fourth);
        m_nDisplayCapacity = needed;
        return true;
    }
    catch (const std::bad_alloc&)
    {
        char text[512];
        std::snprintf(
            text, sizeof text,
            "Failed to allocate memory for display. (%s CH %i Sz %i dr %llx dra %llx tdb %llx bsa %llx)",
            where, m_nAnalysisChannels, m_nFftSize,
            static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(m_spectrumDisplay.data())),
            static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(m_secondDisplay.data())),
            static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(m_timeDisplay.data())),
            static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(m_fourthDisplay.data())));
        Fail(text);
        return false;
    }
}

int CSoundIn::GetAnalyzerMode() const
{
    if (m_bScopeMode)
        return 1;
    if (m_bMode5)
        return 5;
    if (m_bMode7)
        return 7;
    if (m_bMode256)
        return 256;
    if (m_bMode257)
        return 257;
    if (m_nFftSubmode == 1)
        return 8;
    if (m_bMlsMode)
    {
        switch (m_nMlsDisplayKind)
        {
            case 0:
                return 2;
            case 1:
                return 3;
            case 2:
                return m_bImpulseVariant ? 36 : 4;
            default:
                return 0;
        }
    }
    return 0;
}

void CSoundIn::SetAnalyzerMode(int code)
{
    m_bScopeMode = 0;
    m_bMlsMode = 0;
    m_nMlsDisplayKind = 0;
    m_bImpulseVariant = 0;
    m_nFftSubmode = 0;
    m_bMode5 = 0;
    m_bMode6 = 0;
    m_bMode7 = 0;
    m_bMode256 = 0;
    m_bMode257 = 0;
    switch (code)
    {
        case 1:
            m_bScopeMode = 1;
            break;
        case 2:
        case 3:
        case 4:
            m_bMlsMode = 1;
            m_nMlsDisplayKind = code - 2;
            break;
        case 5:
            m_bMode5 = 1;
            break;
        case 6:
            m_bMode6 = 1;
            break;
        case 7:
            m_bMode7 = 1;
            break;
        case 8:
            m_nFftSubmode = 1;
            break;
        case 256:
            m_bMode256 = 1;
            break;
        case 257:
            m_bMode257 = 1;
            break;
        default:
            break;
    }
}

bool CSoundIn::IsFrequencyAxisMode() const
{
    const int mode = GetAnalyzerMode();
    return mode != 1 && mode != 4 && mode != 7 && mode != 36;
}

// ---------------------------------------------------------------------------------------------
// Trigger and statistics

int CSoundIn::GetTriggerState()
{
    std::lock_guard lock(m_inputLock);
    return m_nTriggerState;
}

CSoundIn::BlockStatisticsRecord CSoundIn::GetPublishedBlockStatistics(int channel)
{
    if (channel < 0 || channel >= kMaxChannels)
        return {};
    std::lock_guard lock(m_displayLock);
    return m_publishedBlockStatistics[static_cast<std::size_t>(channel)];
}

bool CSoundIn::IsTriggerArmed() const
{
    return (m_bScopeMode || m_bTriggerScopeOnly == 0) && m_nTriggerRepeat >= 0 &&
           m_nTriggerMode != kTriggerOff;
}

std::string CSoundIn::GetTriggerModeName() const
{
    switch (m_nTriggerMode)
    {
        case kTriggerOff:
            return GetText(kTextOff);
        case kTriggerLevel:
            return GetText(kTextLevel);
        case kTriggerSlope:
            return GetText(kTextSlope);
        case kTriggerRms:
            return "RMS";
        default:
            return "";
    }
}

void CSoundIn::SetTriggerDefaults()
{
    {
        std::lock_guard lock(m_inputLock);
        m_dTriggerLevel = 0.01;
        m_dTriggerPowerFactor = 0.125;
        m_nTriggerSlope = 1;
        m_bTriggerNegative = 0;
        m_nTriggerRepeat = 1;
        m_nTriggerMode = kTriggerLevel;
        m_bTriggerScopeOnly = 1;
        m_nTriggerChannel = 0;
        m_nTriggerConfirm = 0;
    }
    ResetTrigger();
}

CSoundIn::TriggerSettings CSoundIn::GetTriggerSettings()
{
    std::lock_guard lock(m_inputLock);
    return {m_nTriggerMode,     m_dTriggerLevel,  m_nTriggerChannel,   m_nTriggerSlope,
            m_bTriggerNegative, m_nTriggerRepeat, m_bTriggerScopeOnly, m_nTriggerOffset};
}

void CSoundIn::SetTriggerSettings(const TriggerSettings& settings)
{
    std::lock_guard lock(m_inputLock);
    m_nTriggerMode = settings.mode;
    m_dTriggerLevel = settings.level;
    m_nTriggerChannel = settings.channel;
    m_nTriggerSlope = settings.slope;
    m_bTriggerNegative = settings.negative;
    m_nTriggerRepeat = settings.repeat;
    m_bTriggerScopeOnly = settings.scopeOnly;
    m_nTriggerOffset = settings.offsetFrames;
    ResetTriggerLocked();
}

void CSoundIn::ResetTrigger()
{
    std::lock_guard lock(m_inputLock);
    ResetTriggerLocked();
}

void CSoundIn::ResetTriggerLocked()
{
    m_nTriggerState = kTriggerSearching;
    m_nTriggeredBlocks = 0;
    m_nTriggerConfirm = 0;
    if (m_nTriggerMode == kTriggerRms)
        m_dTriggerPower = m_dTriggerLevel * m_dTriggerLevel * (m_bTriggerNegative ? 100.0 : 0.01);
}

void CSoundIn::ResetTriggerAndStatistics()
{
    ResetTrigger();
    ResetStatistics();
}

void CSoundIn::ResetStatistics()
{
    {
        std::lock_guard lock(m_inputLock);
        ResetStatisticsLocked();
    }
    // Without an analysis thread nobody else touches the averages: clear them here.
    // Not from the triggered collections: every triggered block belongs to the time-average group.
    m_bRestartTimeAverage.store(true);
    if (!m_bAnalysisAlive.load() && m_bClearAverages.exchange(false))
        ClearAnalysisResults();
}

void CSoundIn::ClearAnalysisResults()
{
    Zero(m_averageBuffer);
    for (auto& s : m_blockStatistics)
        s = BlockStatisticsRecord{};
    std::lock_guard lock(m_displayLock);
    Zero(m_fourthDisplay);
    m_nDisplayAverageCount = 0;
    m_publishedBlockStatistics.fill(BlockStatisticsRecord{});
}

void CSoundIn::ResetStatisticsLocked()
{
    for (auto& s : m_statistics)
        s = ChannelStatistics{};
    m_conditioning.ResetPeaks();
    m_nCollectedBlocks.store(0);
    m_nCollectedFrames.store(0);
    m_nAverageProgress.store(0);
    // The average buffer and the block statistics belong to the analysis thread, the fourth
    // display buffer and the display-average count to the display lock, which the intake never
    // takes: the analysis thread clears them before its next block.
    m_bClearAverages.store(true);
}

// ---------------------------------------------------------------------------------------------
// Lifecycle

int CSoundIn::OpenInput()
{
    std::lock_guard control(m_controlLock);
    int result = OpenInputLocked();
    if (result != 0 && m_bFallbackPending)
    {
        // No capture device at all: the simulated input runs instead, and the user hears why once.
        m_bFallbackPending = false;
        m_nInputMode = kInputSimulated;
        m_bInputFallback = true;
        if (!m_bFallbackReported)
        {
            m_bFallbackReported = true;
            m_pNotifications->ShowMessage(std::string(kNoCaptureDeviceMessage) +
                                          (m_strFallbackReason.empty() ? "" : "\n" + m_strFallbackReason));
        }
        result = OpenInputLocked();
    }
    return result;
}

std::string CSoundIn::GetInputName() const
{
    switch (m_nInputMode)
    {
        case kInputWave:
        {
            const CInputDevice* device = m_devices[kInputWave].get();
            const std::string name = device ? device->GetDeviceName() : std::string();
            return "ALSA \"" + (name.empty() ? std::string("default") : name) + "\"";
        }
        case kInputFile:
            return "Wave file";
        case kInputNone:
            return "No input";
        case kInputTestSignal:
            return "Test signal";
        case kInputLibrary:
            return "Plug-in input";
        case kInputAsio:
            return "ASIO";
        case kInputDirectSound:
            return "DirectSound";
        case kInputSimulated:
            return "Simulated input (1 kHz sine)";
        default:
            return {};
    }
}

int CSoundIn::OpenInputLocked()
{
    if (m_bOpened.load())
        return 0;
    m_bAnalysisHeld.store(false);
    m_nTransition.store(kTransitionOpening);
    m_pNotifications->SetWaitCursor(true);
    struct WaitCursor
    {
        CEngineNotifications* notifications;
        ~WaitCursor() { notifications->SetWaitCursor(false); }
    } waitCursor{m_pNotifications};
    // The generator panels get their windows (hidden) with the first open.
    m_pNotifications->CreateGeneratorPanels();

    // Settings may come from files: refuse what no buffer could be sized for.
    if (!IsPowerOfTwo(m_nFftSize) || m_nFftSize < 2 || m_nFftSize > kMaxFftSize || m_nSampleRate < 1 ||
        m_nSampleRate > kMaxSampleRate || m_nMlsLength < 1 || m_nMlsLength > kMaxMlsLength)
    {
        m_pNotifications->ShowMessage("Invalid measurement settings.");
        return -1;
    }

    m_nAnalysisChannels = m_nChannelMode == 3 ? 2 : 1;
    m_nDeviceChannels = m_nAnalysisChannels;

    const bool hasSource = m_nInputMode >= 0 && m_nInputMode < kInputModeCount && m_nInputMode != kInputNone;
    CInputDevice* device = hasSource ? m_devices[static_cast<std::size_t>(m_nInputMode)].get() : nullptr;
    if (hasSource && !device)
    {
        m_pNotifications->ShowMessage("Failed to open the input device.\nNo device for this input.");
        return -1;
    }
    // Sources with a format of their own (files, plug-ins) set the channel count and rate.
    if (device)
    {
        int channels = 0;
        int rate = 0;
        if (device->QueryFormat(channels, rate))
        {
            // A plug-in that could not open has told the user why already.
            if (channels == 0 && !device->GetLastError().empty())
                return -1;
            if (channels < 1 || channels > kMaxChannels)
            {
                m_pNotifications->ShowMessage(
                    "Failed to open the input device.\nDevice reports an invalid number of channels");
                return -1;
            }
            if (rate >= 1 && rate <= kMaxSampleRate)
                m_nSampleRate = rate;
            m_nAnalysisChannels = channels;
            m_nDeviceChannels = channels;
            if (channels == 1)
                m_nChannelMode = 0;
            else if (m_nChannelMode == 0)
                m_nChannelMode = 1;
        }
    }

    m_bWindowEnable = (m_bMlsMode || m_bScopeMode) ? 0 : 1;

    // Debug dumps start from empty files in the working folder; replay reads raw floats.
    if (m_bDebugDumps)
        for (const char* name : kDumpFiles)
            if (std::FILE* file = std::fopen(name, "wb"))
                std::fclose(file);
    if (m_bReplayFromFile)
        m_replayFile.reset(std::fopen(kReplayFile, "rb"));

    // Analysis geometry.
    m_nMlsOrder = 0;
    while ((1 << m_nMlsOrder) < m_nMlsLength)
        ++m_nMlsOrder;
    m_bContinuousCollection = 1;
    const int blockLength = m_bMlsMode ? m_nMlsLength + (m_bChirpExcitation ? 1 : 0) : m_nFftSize;
    int deviceBuffer = m_nDeviceBufferFrames.load();
    if (m_dResampleRatio > 0.0)
        deviceBuffer = std::min(blockLength + m_bMlsMode, kResamplerBufferLimit) / 2;
    m_nDisplayLength = m_nFftSize / 2;
    if ((m_bMlsMode && m_nMlsDisplayKind == 2) || m_bScopeMode || m_bMode7)
    {
        m_nDisplayLength = m_nFftSize;
        deviceBuffer = std::min(m_nFftSize, kLargeDeviceBuffer);
    }
    deviceBuffer =
        std::clamp(deviceBuffer, std::clamp(m_nMinDeviceBuffer, 1, kStagingFrames), kStagingFrames);
    m_nBlockLength.store(blockLength);
    m_nDeviceBufferFrames.store(deviceBuffer);

    // Per-measurement buffers: sized once here so that the intake and the analysis never allocate.
    const int channels = m_nAnalysisChannels;
    m_nRingLength = std::max(m_nFftSize + 1, blockLength + 1) + 2 * m_nSampleRate;
    const std::size_t ringFloats =
        static_cast<std::size_t>(m_nRingLength) * static_cast<std::size_t>(channels);
    const std::size_t stagingFloats = static_cast<std::size_t>(channels) * kStagingFrames;
    try
    {
        m_ringStorage.assign(ringFloats, 0.0f);
        m_analysisBlock.assign(ringFloats, 0.0f);
        m_averageBuffer.assign(ringFloats, 0.0f);
        if (m_nStagingCapacity < stagingFloats)
        {
            m_staging.reset();
            m_staging = std::make_unique_for_overwrite<float[]>(stagingFloats);
            m_nStagingCapacity = stagingFloats;
        }
        if (m_bResampler)
        {
            // Converters that would start out of step with the others are all made anew.
            if (m_converters.size() != static_cast<std::size_t>(channels))
            {
                m_converters.clear();
                for (int c = 0; c < channels; ++c)
                    m_converters.push_back(std::make_unique<CSampleRateConverter>());
            }
            if (m_nResampledCapacity < stagingFloats)
            {
                m_resampled.reset();
                m_resampled = std::make_unique_for_overwrite<float[]>(stagingFloats);
                m_nResampledCapacity = stagingFloats;
            }
        }
    }
    catch (const std::bad_alloc&)
    {
        FreeOpenBuffers();
        Fail("Failed to allocate memory for FFT buffers.");
        return -1;
    }
    if (!GrowDisplayBuffers("open"))
    {
        FreeOpenBuffers();
        return -1;
    }
    {
        // A display average of an earlier size or rate has nothing to do with the new blocks.
        std::lock_guard lock(m_displayLock);
        Zero(m_secondDisplay);
        Zero(m_fourthDisplay);
        m_nDisplayAverageCount = 0;
    }
    try
    {
        if (m_bMlsMode)
        {
            const std::size_t mlsCount =
                static_cast<std::size_t>(m_nMlsLength + 1) * static_cast<std::size_t>(channels);
            m_mlsBuffer.assign(mlsCount, 0.0f);
            m_mlsDoubles.assign(mlsCount, 0.0);
        }
    }
    catch (const std::bad_alloc&)
    {
        FreeOpenBuffers();
        Fail("Failed to allocate memory for MLS buffers.");
        return -1;
    }
    try
    {
        m_windowTable.assign(static_cast<std::size_t>(m_nFftSize), 0.0f);
        // The display rows are never longer than the FFT size: smoothing needs no more.
        m_smoothingBuffer.assign(static_cast<std::size_t>(m_nFftSize), 0.0f);
        std::lock_guard lock(m_displayLock);
        if (!GrowDecayBuffers(static_cast<std::size_t>(std::max(m_nFftSize, m_nHeldImpulseLength))))
            throw std::bad_alloc();
    }
    catch (const std::bad_alloc&)
    {
        FreeOpenBuffers();
        Fail("Failed to allocate memory for auxillary buffers.");
        return -1;
    }

    try
    {
        // Every conditioning filter is built here, so the intake never allocates.
        m_conditioning.m_bEqualizer = m_bEqualizerFilters;
        m_conditioning.m_bNotch = m_bNotch1kHz;
        m_conditioning.Prepare(channels, m_nSampleRate);
        m_levelValues.assign(static_cast<std::size_t>(channels) * kLevelValuesPerStep, 0.0f);
        for (CHistogram& histogram : m_histograms)
        {
            histogram.m_dSampleRate = m_nSampleRate;
            histogram.Reset();
        }
    }
    catch (const std::bad_alloc&)
    {
        FreeOpenBuffers();
        Fail("Failed to allocate memory for auxillary buffers.");
        return -1;
    }
    if (m_bMlsMode && !m_mls.Init(m_nMlsOrder))
    {
        FreeOpenBuffers();
        Fail("Failed to allocate memory for MLS buffers.");
        return -1;
    }
    m_vstChain.SetFormat(m_nSampleRate, kStagingFrames);
    m_vstChain.PrepareAll();
    if (!SetupBandAnalyzers())
    {
        FreeOpenBuffers();
        Fail("Failed to allocate memory for auxillary buffers.");
        return -1;
    }
    if (m_bMlsMode && m_bChirpExcitation && !PrepareChirp(blockLength))
    {
        FreeOpenBuffers();
        Fail("Failed to allocate memory for MLS buffers.");
        return -1;
    }
    m_nImpulsePosition = -1;
    m_weighting.m_nType = m_nWeightingType;
    m_weighting.m_nCount = m_nFftSize / 2;
    m_weighting.m_dSampleRate = m_nSampleRate;
    m_weighting.Update();
    UpdateMonitorWeightings();
    if (m_nLevelMonitorMode != 0 && !EnsureHistoryBuffers())
    {
        FreeOpenBuffers();
        Fail("Failed to allocate memory for auxillary buffers.");
        return -1;
    }
    m_dDcX1.fill(0.0);
    m_dDcY1.fill(0.0);
    m_nConditionedFrames.store(0);

    m_nPublicationCounter.store(0);
    m_nAverageProgress.store(0);
    m_nAnalysisCounter.store(0);
    m_nAnalyzedFrames.store(0);
    m_nLostFrames.store(0);
    {
        std::lock_guard lock(m_inputLock);
        m_nCurrentCollected = 0;
        m_nLastTriggerPos = -1;
    }
    ResetTriggerAndStatistics();

    m_ring.Init(m_ringStorage.data(), m_nRingLength, static_cast<int>(sizeof(float)), channels,
                kStagingFrames, blockLength);
    m_nPendingBlocks.store(0);

    m_dCalibrationGain = std::pow(10.0, static_cast<double>(m_fCalibrationOffset) * 0.05);
    m_window.Generate(m_windowTable.data(), m_nFftSize, m_nWindowType);
    m_strWindowName = m_window.m_name;
    m_nOpenedFftSize = m_nFftSize;
    m_loudnessBank.Configure(m_nSampleRate, m_nFftSize);
    ResetTrigger();

    // The analysis thread, then the source.
    m_nTimeAverageCountdown = -1;
    m_bQuitRequest.store(false);
    m_analysisEvent.Reset();
    m_bAnalysisIdle.store(true);
    m_bAnalysisAlive.store(true);
    m_analysisThread = std::thread([this] { AnalysisThread(); });
    m_bStopRequest.store(false);

    if (device)
    {
        InputDeviceConfig config;
        config.channels = m_nAnalysisChannels >= 2 ? m_nDeviceChannels : (m_nChannelMode == 0 ? 1 : 2);
        config.deviceIndex = m_nCaptureDevice;
        config.sampleRate = m_nSampleRate;
        config.bufferFrames = deviceBuffer;
        config.bufferCount = m_nDeviceBufferCount;
        config.bits = m_nInputMode == kInputWave ? 16 : m_nBitsPerSample;
        m_nDeviceChannels = config.channels;
        if (device->Open(config, *this) != 0)
        {
            const std::string reason = device->GetLastError();
            const bool fallBack =
                device->HasNoDevice() && m_nInputMode == kInputWave && m_devices[kInputSimulated] != nullptr;
            device->Close();
            m_bStopRequest.store(true);
            while (m_nIntakeBusy.load() != 0)
                SleepMs(1);
            StopAnalysisThread();
            FreeOpenBuffers();
            m_nState.store(kStateStopped);
            if (fallBack)
            {
                m_bFallbackPending = true;
                m_strFallbackReason = reason;
                return -1;
            }
            m_pNotifications->ShowMessage("Failed to open the input device." +
                                          (reason.empty() ? std::string() : "\n" + reason));
            return -1;
        }
        m_pActiveDevice = device;
    }

    m_nState.store(kStateOpen);
    m_nTransition.store(kTransitionNone);
    m_bOpened.store(1);
    return 0;
}

void CSoundIn::StopAnalysisThread()
{
    m_bQuitRequest.store(true);
    m_analysisEvent.Set();
    if (m_analysisThread.joinable())
        m_analysisThread.join();
}

void CSoundIn::CloseSource()
{
    if (m_pActiveDevice)
        m_pActiveDevice->Close();
    m_pActiveDevice = nullptr;
}

bool CSoundIn::PrepareChirp(int length)
{
    try
    {
        if (!m_chirpSweep)
            m_chirpSweep = std::make_unique<CLogSweep>(0, 0.0, 0.0);
        // A sweep has no logarithm to start from at 0 Hz: the lowest bin of the period stands in.
        const double rate = m_nSampleRate;
        const double start = m_dChirpStart > 0.0 ? m_dChirpStart : rate / length;
        m_chirpSweep->Set(length, start / rate, m_dChirpStop / rate);
        if (m_bDebugDumps)
            (void)WriteFloatList("ChirpSeq", std::span<const float>(m_chirpSweep->m_samples.data(),
                                                                    static_cast<std::size_t>(length)));
        m_chirpSpectrum.assign(static_cast<std::size_t>(length), 0.0f);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    // A length that is no power of two, or a silent sweep, leaves the spectrum zero: the responses
    // are then silent rather than undefined.
    (void)PrepareSweepSpectrum(m_chirpSweep->m_samples.data(), m_chirpSpectrum.data(), length);
    if (m_bDebugDumps)
        (void)WriteFloatList("ChirpInv", m_chirpSpectrum);
    return true;
}

void CSoundIn::FreeOpenBuffers()
{
    m_ring.Init(nullptr, 0, 0, 0, 0, 0);
    std::vector<float>().swap(m_ringStorage);
    std::vector<float>().swap(m_analysisBlock);
    std::vector<float>().swap(m_averageBuffer);
    std::vector<float>().swap(m_mlsBuffer);
    std::vector<double>().swap(m_mlsDoubles);
    std::vector<float>().swap(m_windowTable);
    std::vector<float>().swap(m_smoothingBuffer);
    std::vector<float>().swap(m_decayEnergy);
    std::vector<float>().swap(m_levelValues);
    m_conditioning.Free();
    m_replayFile.reset();
    m_nRingLength = 0;
    m_nOpenedFftSize = 0;
}

void CSoundIn::StopInput()
{
    std::lock_guard control(m_controlLock);
    if (m_nState.load() == kStateStopped && !m_bOpened.load())
        return;
    m_nTransition.store(kTransitionStopping);
    if (!m_bOpened.load())
        return;
    // The 3D window waits while the input is down; the restart resumes it.
    m_pNotifications->Pause3DViewer(true);

    // Close the intake first: blocks that arrive from now on are dropped.
    m_bStopRequest.store(true);
    while (m_nIntakeBusy.load() != 0)
        SleepMs(1);
    StopAnalysisThread();
    CloseSource();
    // A delivery that did not come through a back-end (a remote command) may still be finishing.
    while (m_nIntakeBusy.load() != 0)
        SleepMs(1);
    FreeOpenBuffers();

    m_bPaused.store(1);
    m_bOpened.store(0);
    m_nState.store(kStateStopped);
    m_nTransition.store(kTransitionNone);
}

void CSoundIn::PauseInput()
{
    std::lock_guard control(m_controlLock);
    if (m_nState.load() != kStateRunning)
        return;
    m_nState.store(kStatePausing);
    m_nTransition.store(kTransitionPausing);
    m_bPaused.store(1);
    m_bAnalysisHeld.store(true);
    if (m_pActiveDevice)
        m_pActiveDevice->Pause();
    // The block in analysis ends; no further one starts while paused (the thread tests the flag).
    for (int waited = 0; waited < kPauseWaitLimitMs && m_bAnalysisAlive.load() && !m_bAnalysisIdle.load();
         ++waited)
        SleepMs(1);
    m_nState.store(kStatePaused);
    m_nTransition.store(kTransitionNone);
}

void CSoundIn::RestartInput()
{
    std::lock_guard control(m_controlLock);
    if (!m_bOpened.load())
        return;
    m_nTransition.store(kTransitionRestarting);
    // Bring the intake and the analysis thread to a stop before the ring and the blocks are
    // cleared under them; both start again below.
    if (m_pActiveDevice && m_nState.load() != kStatePaused)
        m_pActiveDevice->Pause();
    m_bStopRequest.store(true);
    while (m_nIntakeBusy.load() != 0)
        SleepMs(1);
    StopAnalysisThread();

    {
        std::lock_guard lock(m_displayLock);
        Zero(m_spectrumDisplay);
    }
    Zero(m_averageBuffer);
    Zero(m_ringStorage);
    Zero(m_analysisBlock);
    m_ring.Reset();
    {
        std::lock_guard lock(m_inputLock);
        ResetTriggerLocked();
        m_nCurrentCollected = 0;
    }
    m_nFileBlocks.store(0);
    m_nPendingBlocks.store(0);
    m_bClearAverages.store(false);
    m_nTimeAverageCountdown = -1;

    m_bQuitRequest.store(false);
    m_analysisEvent.Reset();
    m_bAnalysisIdle.store(true);
    m_bAnalysisAlive.store(true);
    m_bAnalysisHeld.store(false);
    m_analysisThread = std::thread([this] { AnalysisThread(); });
    m_bPaused.store(0);
    m_nState.store(kStateRunning);
    m_bStopRequest.store(false);
    if (m_pActiveDevice)
        m_pActiveDevice->Resume();
    m_nTransition.store(kTransitionNone);
    m_pNotifications->Pause3DViewer(false);
}

bool CSoundIn::SetFftSize(int size)
{
    if (!IsPowerOfTwo(size) || size < 2 || size > kMaxFftSize)
        return false;
    std::lock_guard control(m_controlLock);
    if (m_bOpened.load() && size > m_nOpenedFftSize)
        return false;
    const auto apply = [&]
    {
        m_nFftSize = size;
        const int blockLength = m_bMlsMode ? m_nMlsLength + (m_bChirpExcitation ? 1 : 0) : m_nFftSize;
        m_nBlockLength.store(blockLength);
        m_nDisplayLength = ((m_bMlsMode && m_nMlsDisplayKind == 2) || m_bScopeMode || m_bMode7)
                               ? m_nFftSize
                               : m_nFftSize / 2;
        if (!m_windowTable.empty())
        {
            m_window.Generate(m_windowTable.data(), m_nFftSize, m_nWindowType);
            m_strWindowName = m_window.m_name;
        }
        std::lock_guard lock(m_inputLock);
        m_nCurrentCollected = 0;
    };
    if (!m_bOpened.load())
    {
        apply();
        return true;
    }
    // While open the analysis thread stops for the change and the ring starts over.
    m_bStopRequest.store(true);
    while (m_nIntakeBusy.load() != 0)
        SleepMs(1);
    StopAnalysisThread();
    apply();
    m_ring.Init(m_ringStorage.data(), m_nRingLength, static_cast<int>(sizeof(float)), m_nAnalysisChannels,
                kStagingFrames, m_nBlockLength.load());
    m_nPendingBlocks.store(0);
    m_bQuitRequest.store(false);
    m_analysisEvent.Reset();
    m_bAnalysisAlive.store(true);
    m_analysisThread = std::thread([this] { AnalysisThread(); });
    m_bStopRequest.store(false);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Analysis thread

void CSoundIn::AnalysisThread()
{
    m_bAnalysisAlive.store(true);
    while (!m_bQuitRequest.load())
    {
        m_bAnalysisIdle.store(true);
        m_analysisEvent.Wait();
        if (m_bQuitRequest.load())
            break;
        m_bAnalysisIdle.store(false);
        if (m_bClearAverages.exchange(false))
            ClearAnalysisResults();
        // Only completed blocks: with a trigger the ring also holds the frames written while it
        // searched or held, which belong to no block.
        // A paused input leaves its pending blocks alone: its settings may change meanwhile.
        while (!m_bQuitRequest.load() && !m_bAnalysisHeld.load() && m_nPendingBlocks.load() > 0 &&
               m_ring.GetAvailable() >= m_nBlockLength.load())
        {
            const int taken = (m_bMlsMode && !m_bScopeMode) ? AnalyzeMlsBlock() : AnalyzeFftBlock();
            if (taken <= 0)
                break;
            m_nPendingBlocks.fetch_sub(1);
        }
    }
    m_bAnalysisIdle.store(true);
    m_bAnalysisAlive.store(false);
}

int CSoundIn::AnalyzeFftBlock()
{
    // The analysis thread is the only caller; the guard keeps a re-entry (an override calling back)
    // from reading a second block into the one being analysed.
    if (m_nAnalysisGuard > 0)
        return 0;
    ++m_nAnalysisGuard;
    const int taken = AnalyzeFftBlockGuarded();
    --m_nAnalysisGuard;
    return taken;
}

int CSoundIn::AnalyzeFftBlockGuarded()
{
    const int blockLength = m_nBlockLength.load();
    const int n = m_nFftSize;
    const int channels = std::clamp(m_ring.GetChannels(), 0, kMaxChannels);
    if (m_ringStorage.empty() || channels <= 0 || blockLength <= 0)
        return 0;
    float* block = m_analysisBlock.data();
    const auto row = [&](int c)
    { return block + static_cast<std::size_t>(c) * static_cast<std::size_t>(blockLength); };
    const int timeAverage = m_nTimeAverageCount;
    if (m_bRestartTimeAverage.exchange(false))
        m_nTimeAverageCountdown = -1;
    if (timeAverage >= 1)
    {
        // Synchronous time averaging: the first block of a group is taken, the others are added
        // from where the trigger placed the read position (it does not move on).
        const bool first = m_nTimeAverageCountdown < 0 || m_nTimeAverageCountdown > timeAverage - 1;
        if (first)
        {
            if (m_ring.ReadBlock(block, blockLength) != blockLength)
                return 0;
            m_nTimeAverageCountdown = timeAverage - 1;
        }
        else if (m_ring.AddBlock(block, blockLength) != blockLength)
            return 0;
        SaturatingAdd(m_nAnalyzedFrames, blockLength);
        if (--m_nTimeAverageCountdown >= 0)
            return blockLength;
        const float scale = 1.0f / static_cast<float>(timeAverage);
        for (int c = 0; c < channels; ++c)
        {
            float* x = row(c);
            for (int i = 0; i < blockLength; ++i)
                x[i] *= scale;
        }
    }
    else
    {
        if (m_ring.ReadBlock(block, blockLength) != blockLength)
            return 0;
        SaturatingAdd(m_nAnalyzedFrames, blockLength);
    }

    if (m_bDebugDumps)
        AppendDump("in", row(0), static_cast<std::size_t>(blockLength));
    // A block shorter than the FFT (scope view of an MLS block) is shown and measured as it is.
    const int frames = std::min(blockLength, n);
    {
        // The newest block as the time signal, channel c at c x FFT size.
        std::lock_guard lock(m_displayLock);
        for (int c = 0; c < channels; ++c)
        {
            const std::size_t to = static_cast<std::size_t>(c) * static_cast<std::size_t>(n);
            if (to + static_cast<std::size_t>(frames) > m_timeDisplay.size())
                break;
            std::copy_n(row(c), frames, m_timeDisplay.begin() + static_cast<std::ptrdiff_t>(to));
        }
    }
    BlockStatistics(block, blockLength, frames);

    if (m_bWindowEnable && frames == n && m_windowTable.size() >= static_cast<std::size_t>(n))
        for (int c = 0; c < channels; ++c)
        {
            float* x = row(c);
            for (int i = 0; i < n; ++i)
                x[i] *= m_windowTable[static_cast<std::size_t>(i)];
        }

    {
        // Frequency of channel 0 from the power of its first difference.
        const float* x = row(0);
        double e = 0.0, d = 0.0;
        for (int i = 0; i < frames; ++i)
        {
            e += static_cast<double>(x[i]) * x[i];
            if (i > 0)
                d += (static_cast<double>(x[i]) - x[i - 1]) * (static_cast<double>(x[i]) - x[i - 1]);
        }
        if (e > 0.0 && frames > 1)
        {
            const double s = std::sqrt(static_cast<double>(frames) * d / ((frames - 1) * e));
            const double den = std::sqrt(2.0 - 2.0 * std::cos(s));
            if (den > 0.0)
                m_dFrequencyEstimate = (s * m_nSampleRate / (2.0 * M_PI)) * s / den;
        }
    }

    if (!m_bMode7 && !m_bScopeMode && !m_bMlsMode && frames == n)
    {
        for (int c = 0; c < channels; ++c)
        {
            float* x = row(c);
            if (m_nFftSubmode == 1)
            {
                ComputePhaseSpectrum(x, n);
                continue;
            }
            if (m_bFft64Bit && m_mlsDoubles.size() >= static_cast<std::size_t>(n))
            {
                std::copy_n(x, n, m_mlsDoubles.begin());
                ComputePowerSpectrumDouble(m_mlsDoubles.data(), n);
                for (int i = 0; i < n / 2; ++i)
                    x[i] = static_cast<float>(m_mlsDoubles[static_cast<std::size_t>(i)]);
            }
            else
                ComputePowerSpectrum(x, n);
            // The peak of the power half (the other half holds phases).
            PeakRecord peak;
            peak.value = -1.0;
            for (int i = 0; i < n / 2; ++i)
                if (x[i] > peak.value)
                {
                    peak.value = x[i];
                    peak.index = i;
                }
            peak.phase = peak.index + n / 2 < n ? x[peak.index + n / 2] : 0.0;
            m_peaks[static_cast<std::size_t>(c)] = peak;
        }
        int k = static_cast<int>(m_dPhaseDifferenceFrequency / m_nSampleRate * n);
        if (k < 0 || k >= n / 2)
            k = 0;
        m_dPhaseDifference = channels >= 2 ? static_cast<double>(row(0)[n / 2 + k]) - row(1)[n / 2 + k] : 0.0;
    }
    UpdateLevelHistory();

    if (m_bMode7 && !m_bScopeMode && !m_bMlsMode && frames == n)
        Correlate(block, blockLength, channels);

    Publish(block, m_analysisBlock.size(), blockLength, 1.0);
    return blockLength;
}

void CSoundIn::Correlate(float* block, int stride, int channels)
{
    const int n = m_nFftSize;
    if (m_workBuffer1.size() < static_cast<std::size_t>(n) ||
        m_workBuffer2.size() < static_cast<std::size_t>(n))
        return;
    float* x0 = block;
    float* x1 = channels >= 2 ? block + stride : block;
    RealFft(x0, n);
    ConvertToSplitLayout(x0, n);
    if (x1 != x0)
    {
        RealFft(x1, n);
        ConvertToSplitLayout(x1, n);
    }
    const int m = n / 2;
    const double s = std::pow(10.0, -0.1) * 2.0 / n;
    float* re = m_workBuffer1.data();
    float* im = m_workBuffer2.data();
    re[0] = static_cast<float>(s * s * x0[0] * x1[0]);
    im[0] = 0.0f;
    for (int k = 1; k < m; ++k)
    {
        const double a = s * x0[k], b = s * x0[m + k];
        const double c = s * x1[k], e = s * x1[m + k];
        re[k] = static_cast<float>(a * c + b * e);
        im[k] = static_cast<float>(b * c - a * e);
    }
    for (int i = m; i < n; ++i)
    {
        re[i] = re[n - 1 - i];
        im[i] = im[n - 1 - i];
    }
    InverseComplexFft(re, im, n);
    for (int i = 0; i < m; ++i)
    {
        x0[m + i] = std::abs(re[i]);
        x0[i] = std::abs(re[m + i]);
    }
}

void CSoundIn::Publish(const float* source, std::size_t sourceSize, int sourceStride, double factor)
{
    const int length = m_nDisplayLength;
    const int average = std::max(m_nAverageCount, 1);
    // The current block joins the average before anything is shown: the first published average
    // is right from its first block (a linear group holds all of its blocks, a recursive average
    // starts as the plain mean of the blocks so far).
    const std::int64_t progress = m_nAverageProgress.load() + 1;
    m_nAverageProgress.store(progress);
    if (average > 1)
    {
        const double weight = m_bRecursiveAverage
                                  ? 1.0 / static_cast<double>(std::min<std::int64_t>(progress, average))
                                  : 1.0 / average;
        AddToAverage(source, sourceStride, length, factor, weight);
    }
    if (!(m_bRecursiveAverage || progress >= average) || m_nState.load() != kStateRunning)
        return;
    SaturatingAdd(m_nPublicationCounter, 1);
    {
        std::lock_guard lock(m_displayLock);
        if (average == 1)
            PublishRows(source, sourceSize, sourceStride, length, factor);
        else
        {
            PublishRows(m_averageBuffer.data(), m_averageBuffer.size(), length, length, 1.0);
            if (!m_bRecursiveAverage)
            {
                Zero(m_averageBuffer);
                m_nAverageProgress.store(0);
            }
        }
        PostProcessDisplay();
        // The windows read the block figures of what they show, under the same lock.
        m_publishedBlockStatistics = m_blockStatistics;
    }
    if (m_bDebugDumps)
        AppendDump("DisplayOut", m_spectrumDisplay.data(),
                   std::min(static_cast<std::size_t>(std::max(length, 0)), m_spectrumDisplay.size()));
    SaturatingAdd(m_nAnalysisCounter, 1);
}

void CSoundIn::AddToAverage(const float* source, int sourceStride, int length, double factor, double weight)
{
    const int channels = std::clamp(m_ring.GetChannels(), 0, kMaxChannels);
    const std::size_t len = static_cast<std::size_t>(std::max(std::min(length, sourceStride), 0));
    for (int c = 0; c < channels; ++c)
    {
        const std::size_t to = static_cast<std::size_t>(c) * static_cast<std::size_t>(length);
        if (to + len > m_averageBuffer.size())
            break;
        float* avg = m_averageBuffer.data() + to;
        const float* x = source + static_cast<std::size_t>(c) * static_cast<std::size_t>(sourceStride);
        if (m_bRecursiveAverage)
            for (std::size_t i = 0; i < len; ++i)
                avg[i] = static_cast<float>(avg[i] + (x[i] * factor - avg[i]) * weight);
        else
            for (std::size_t i = 0; i < len; ++i)
                avg[i] = static_cast<float>(avg[i] + x[i] * factor * weight);
    }
}

void CSoundIn::PublishRows(const float* source, std::size_t sourceSize, int sourceStride, int length,
                           double factor)
{
    const int channels = std::clamp(m_ring.GetChannels(), 0, kMaxChannels);
    if (length <= 0 || sourceStride <= 0)
        return;
    // Row c goes to c x length; a row that would run past the display buffer or past its source is
    // cut to what both hold.
    for (int c = 0; c < channels; ++c)
    {
        const std::size_t to = static_cast<std::size_t>(c) * static_cast<std::size_t>(length);
        const std::size_t from = static_cast<std::size_t>(c) * static_cast<std::size_t>(sourceStride);
        if (to >= m_spectrumDisplay.size() || from >= sourceSize)
            break;
        const std::size_t count = std::min({static_cast<std::size_t>(length), m_spectrumDisplay.size() - to,
                                            sourceSize - from, static_cast<std::size_t>(sourceStride)});
        float* d = m_spectrumDisplay.data() + to;
        for (std::size_t i = 0; i < count; ++i)
            d[i] = static_cast<float>(source[from + i] * factor);
    }
}

void CSoundIn::AppendDump(const char* name, const float* values, std::size_t count)
{
    if (std::FILE* file = std::fopen(name, "ab"))
    {
        (void)std::fwrite(values, sizeof(float), count, file);
        std::fclose(file);
    }
}

int CSoundIn::AnalyzeMlsBlock()
{
    const int blockLength = m_nBlockLength.load();
    const int n = m_nFftSize;
    const int channels = std::clamp(m_ring.GetChannels(), 0, kMaxChannels);
    const bool chirp = m_bChirpExcitation != 0;
    // One period of the excitation: the sequence, or the sweep one sample longer.
    const int length = chirp ? m_mls.GetLength() + 1 : m_mls.GetLength();
    if (m_ringStorage.empty() || channels <= 0)
        return 0;
    if (length <= 1 || blockLength < length ||
        (chirp && m_chirpSpectrum.size() != static_cast<std::size_t>(length)))
        return AnalyzeFftBlock();  // no deconvolution for this block: the plain analysis takes it
    if (m_ring.ReadBlock(m_analysisBlock.data(), blockLength) != blockLength)
        return 0;
    SaturatingAdd(m_nAnalyzedFrames, blockLength);
    float* block = m_analysisBlock.data();
    if (m_bDebugDumps)
        AppendDump("inMLS", block, static_cast<std::size_t>(channels) * static_cast<std::size_t>(length));
    // Rows of N samples when the FFT is longer than the block (last channel first: they overlap).
    int stride = blockLength;
    if (n > blockLength &&
        static_cast<std::size_t>(channels) * static_cast<std::size_t>(n) <= m_analysisBlock.size())
    {
        for (int c = channels - 1; c > 0; --c)
            std::copy_backward(block + static_cast<std::size_t>(c) * blockLength,
                               block + static_cast<std::size_t>(c) * blockLength + blockLength,
                               block + static_cast<std::size_t>(c) * n + blockLength);
        stride = n;
    }
    const auto row = [&](int c)
    { return block + static_cast<std::size_t>(c) * static_cast<std::size_t>(stride); };
    BlockStatistics(block, stride, length);

    const int kind = m_nMlsDisplayKind;
    const std::size_t slot = static_cast<std::size_t>(m_mls.GetLength() + 1);
    for (int c = 0; c < channels; ++c)
    {
        float* response = m_mlsBuffer.data() + static_cast<std::size_t>(c) * slot;
        if (m_mlsBuffer.size() < static_cast<std::size_t>(c + 1) * slot)
            break;
        if (chirp)
            DeconvolveChirp(row(c), response, length);
        else
        {
            m_mls.Correlate(row(c), response, 0);
            if (m_bDebugDumps)
                AppendDump("mlsout", response, static_cast<std::size_t>(length));
        }
        if (c == 0 && (m_bAutoAlign || m_nImpulsePosition < 0))
        {
            int at = 0;
            float best = -1.0f;
            for (int i = 0; i < length; ++i)
                if (std::abs(response[i]) > best)
                {
                    best = std::abs(response[i]);
                    at = i;
                }
            m_nImpulsePosition = at;
        }
        int count = std::min(length, stride);
        if (m_dImpulseLength > 0.0)
            count = std::min(count, static_cast<int>(m_nSampleRate * m_dImpulseLength));
        const int rowLength = std::min(n, stride);
        float* x = row(c);
        std::fill_n(x, rowLength, 0.0f);
        int start = m_nImpulsePosition - m_nImpulseOffset +
                    static_cast<int>(std::lround(m_nSampleRate * m_dImpulseLead));
        if (kind == 1)
            start = m_nImpulsePosition - rowLength / 2;
        // Rotate the whole period to start there, then keep its first `count` samples.
        if (m_workBuffer1.size() >= static_cast<std::size_t>(length))
        {
            RotateCopy(start, response, m_workBuffer1.data(), length);
            std::copy_n(m_workBuffer1.data(), std::clamp(count, 0, rowLength), x);
        }
        if (m_bDebugDumps)
            AppendDump("fftin", x, static_cast<std::size_t>(rowLength));
        if (kind != 2 && !m_bScopeMode && rowLength == n)
        {
            for (int i = n / 2; i < n && static_cast<std::size_t>(i) < m_windowTable.size(); ++i)
                x[i] *= m_windowTable[static_cast<std::size_t>(i)];
            if (kind == 0)
                ComputePowerSpectrum(x, n);
            else
                ComputePhaseSpectrum(x, n);
            if (m_bDebugDumps)
                AppendDump("fftout", x, static_cast<std::size_t>(n));
        }
    }
    const double factor = kind == 0 ? static_cast<double>(n) * n / 2.0 : 1.0;
    Publish(block, m_analysisBlock.size(), stride, factor);
    return blockLength;
}

void CSoundIn::DeconvolveChirp(const float* recorded, float* response, int length)
{
    const auto dump = [&](const char* name)
    {
        if (m_bDebugDumps)
            (void)WriteFloatList(name, std::span<const float>(response, static_cast<std::size_t>(length)));
    };
    std::copy_n(recorded, length, response);
    RealFft(response, length);
    ConvertToSplitLayout(response, length);
    dump("ChirpInputSpectrum");
    MultiplyComplexSpectra(response, m_chirpSpectrum.data(), length);
    dump("ChirpMul");
    // The back-transform reads the spectrum reversed in time; conjugating first undoes that.
    for (int k = length / 2 + 1; k < length; ++k)
        response[k] = -response[k];
    InverseRealFft(response, length);
    dump("ChirpImpulse");
}

void CSoundIn::BlockStatistics(float* block, int stride, int frames)
{
    const int channels = std::clamp(m_ring.GetChannels(), 0, kMaxChannels);
    if (!block || frames <= 0 || stride < frames)
        return;
    for (int c = 0; c < channels; ++c)
    {
        const float* x = block + static_cast<std::size_t>(c) * static_cast<std::size_t>(stride);
        double q = 0.0, hi = -1e99, lo = 1e99;
        for (int i = 0; i < frames; ++i)
        {
            const double v = x[i];
            q += v * v;
            hi = std::max(hi, v);
            lo = std::min(lo, v);
        }
        auto& s = m_blockStatistics[static_cast<std::size_t>(c)];
        s.meanSquare = q / frames;
        s.sumOfSquares += q;
        s.blockMax = hi;
        s.blockMin = lo;
        s.blockPeak = std::max(std::abs(lo), std::abs(hi));
        s.longMax = std::max(s.longMax, hi);
        s.longMin = std::min(s.longMin, lo);
        s.longPeak = std::max(s.longPeak, s.blockPeak);
    }
    const auto row = [&](int c)
    { return block + static_cast<std::size_t>(c) * static_cast<std::size_t>(stride); };
    if (m_histograms[0].m_settings.m_bEnabled)
        for (int c = 0; c < std::min(channels, 2); ++c)
            m_histograms[static_cast<std::size_t>(c)].ProcessBlock(row(c), frames);
    // The live speech intelligibility of the first channel (nothing while it is not running; it may
    // mix its background noise into the row).
    if (channels > 0)
    {
        m_stipa.m_sampleRate = m_nSampleRate;
        m_stipa.ProcessBlock(block, frames);
    }
    // Each channel's own operation, on the rows as they stand (earlier channels' results included).
    const auto inRange = [&](int index) { return index >= 0 && index < channels; };
    for (int c = 0; c < channels; ++c)
    {
        const DspOperation* op = m_channelOperations[static_cast<std::size_t>(c)];
        if (!op || op->m_nOperation == kDspNone)
            continue;
        if (inRange(op->m_nSource1) && inRange(op->m_nSource2) && inRange(op->m_nTarget))
            ApplyDspOperation(op->m_nOperation, frames, row(op->m_nSource1), row(op->m_nSource2),
                              row(op->m_nTarget), op->m_nFlags, &op->m_dConstant);
    }
    if (channels < 2)
        return;
    float* x0 = block;
    float* x1 = block + stride;
    if (m_bTimeGainStage)
        for (int i = 0; i < frames; ++i)
        {
            x0[i] = static_cast<float>(x0[i] * m_dTimeGain0);
            x1[i] = static_cast<float>(x1[i] * m_dTimeGain1);
        }
    switch (m_nTimeOperation)
    {
        case 1:
            for (int i = 0; i < frames; ++i)
                x0[i] += x1[i];
            break;
        case 2:
            for (int i = 0; i < frames; ++i)
                x0[i] -= x1[i];
            break;
        case 3:
            for (int i = 0; i < frames; ++i)
                x0[i] *= x1[i];
            break;
        case 4:
            for (int i = 0; i < frames; ++i)
                x0[i] /= x1[i];
            break;
        default:
            break;
    }
}

void CSoundIn::PostProcessDisplay()
{
    const int length = m_nDisplayLength;
    const int channels = std::clamp(m_ring.GetChannels(), 0, kMaxChannels);
    if (length <= 0 || channels <= 0)
        return;
    // Only the rows that lie inside the buffer.
    const int rows = static_cast<int>(std::min<std::size_t>(
        static_cast<std::size_t>(channels), m_spectrumDisplay.size() / static_cast<std::size_t>(length)));
    const auto row = [&](int c)
    { return m_spectrumDisplay.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(length); };
    if (m_histograms[0].m_settings.m_bEnabled)
        for (int c = 0; c < std::min(rows, 2); ++c)
        {
            const CHistogram& histogram = m_histograms[static_cast<std::size_t>(c)];
            histogram.FillDisplay(histogram.m_settings.m_nCurve, row(c), length);
        }
    const bool frequencyAxis = IsFrequencyAxisMode();
    if (frequencyAxis)
    {
        SpectrumChannelMath(m_spectrumDisplay.data(), length, length);
        ApplyReferenceCurve(row(0), length);
        for (int c = 0; c < rows; ++c)
            ApplyCalibrationCurves(c, row(c), length);
    }
    for (int c = 0; c < rows; ++c)
    {
        float* x = row(c);
        if (m_nIntegrationMode == 1)
        {
            double sum = 0.0;
            for (int i = 0; i < length; ++i)
                x[i] = static_cast<float>(sum += x[i]);
        }
        else if (m_nIntegrationMode == 2)
            for (int i = length - 1; i > 0; --i)
                x[i] -= x[i - 1];
    }
    if (GetAnalyzerMode() == 36 && rows > 0)
        DecayAnalysis(m_spectrumDisplay.data(), rows, length);
    else if (m_bMode5 && rows > 0)
        for (int i = 0; i < length; ++i)
            row(0)[i] = static_cast<float>(row(0)[i] * m_dMode5Factor);
    if (frequencyAxis && m_nWeightingType != 0 &&
        m_weighting.m_pTable.size() >= static_cast<std::size_t>(length))
        for (int c = 0; c < rows; ++c)
            for (int i = 0; i < length; ++i)
                row(c)[i] *= m_weighting.m_pTable[static_cast<std::size_t>(i)];
    if (frequencyAxis && rows > 0)
    {
        const int samples = std::min<int>(m_nFftSize, static_cast<int>(m_timeDisplay.size()));
        m_phonetogram.AddBlock(
            std::span<const float>(row(0), static_cast<std::size_t>(length)), length, m_nSampleRate,
            std::span<const float>(m_timeDisplay.data(), static_cast<std::size_t>(samples)), samples);
    }
    if (frequencyAxis && m_bThirdOctaveDisplay)
        for (int c = 0; c < rows; ++c)
            m_dBandOverall[static_cast<std::size_t>(c)] =
                ThirdOctaveLevels(std::span<const float>(row(c), static_cast<std::size_t>(length)),
                                  m_nSampleRate, m_bandLevels[static_cast<std::size_t>(c)]);
    if (frequencyAxis && (m_bLoudness || m_bSpecificLoudness) && rows > 0)
    {
        if (!m_loudnessBank.Levels(m_loudnessBandLevels.data()))
            m_loudnessBandLevels.fill(-300.0f);
        m_fLoudness = ComputeLoudnessPattern(m_loudnessBandLevels.data(), m_specificLoudness.data());
        m_fLoudnessALevel = ComputeThirdOctaveALevel(m_loudnessBandLevels.data());
    }
    if (m_bDisplayAveraging.load())
    {
        const std::int64_t count = ++m_nDisplayAverageCount;
        for (int c = 0; c < rows; ++c)
        {
            const std::size_t at = static_cast<std::size_t>(c) * static_cast<std::size_t>(length);
            if (at + static_cast<std::size_t>(length) > m_fourthDisplay.size() ||
                at + static_cast<std::size_t>(length) > m_secondDisplay.size())
                break;
            for (int i = 0; i < length; ++i)
            {
                float& a = m_fourthDisplay[at + static_cast<std::size_t>(i)];
                a = static_cast<float>(((count - 1) * static_cast<double>(a) + row(c)[i]) / count);
                m_secondDisplay[at + static_cast<std::size_t>(i)] = a;
            }
            if (m_bSmoothing)
                SmoothFractionalOctaveBins(m_fourthDisplay.data() + at, m_secondDisplay.data() + at, length,
                                           m_nSmoothingOctaves);
        }
    }
    // Fractional-octave smoothing of every row, through the buffer sized when the input opened.
    if (m_bSmoothing && m_smoothingBuffer.size() >= static_cast<std::size_t>(length))
        for (int c = 0; c < rows; ++c)
        {
            SmoothFractionalOctaveBins(row(c), m_smoothingBuffer.data(), length, m_nSmoothingOctaves);
            std::copy_n(m_smoothingBuffer.begin(), length, row(c));
        }
}

bool CSoundIn::GrowDecayBuffers(std::size_t length)
{
    try
    {
        if (m_decayEnergy.size() < length)
            m_decayEnergy.resize(length, 0.0f);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    return true;
}

bool CSoundIn::SetHeldImpulse(const float* samples, int length, int sampleRate)
{
    std::lock_guard lock(m_displayLock);
    const bool wanted = samples && length > 0 && sampleRate > 0;
    const bool held = wanted && GrowDecayBuffers(static_cast<std::size_t>(length));
    m_pHeldImpulse = held ? samples : nullptr;
    m_nHeldImpulseLength = held ? length : 0;
    m_nHeldImpulseRate = held ? sampleRate : 0;
    return held == wanted;
}

double CSoundIn::AnalyzeDecay(const float* response, int length, int rate, CBandTableFilter* filter)
{
    float* work = m_decayEnergy.data();
    std::copy_n(response, length, work);
    if (filter && filter->m_nBand >= 0 && filter->m_nBand < filter->m_nBandCount)
        ApplyBandFilter(*filter, work, length, rate, filter->m_pCentres[filter->m_nBand]);
    CRoomAcousticResults results;
    const double time = EvaluateDecayInPlace(work, length, rate, m_irDecayStartLevel, m_irDecayEndLevel,
                                             m_irRegressionPoints, 0, results);
    // Extrapolated to the target level instead of 60 dB; "not available" and "none" stay as they are.
    return time > 0.0 ? time * (-m_dDecayTarget / 60.0) : time;
}

void CSoundIn::DecayAnalysis(float* rows, int rowCount, int length)
{
    // The response the window holds, at its own rate, else channel 0 of the display; as long as the
    // work buffers allow.
    const bool held = m_pHeldImpulse && m_nHeldImpulseLength > 0;
    const float* source = held ? m_pHeldImpulse : rows;
    const int rate = held ? m_nHeldImpulseRate : m_nSampleRate;
    const int n = std::min<int>(held ? m_nHeldImpulseLength : length, static_cast<int>(m_decayEnergy.size()));
    if (n <= 0 || rate <= 0)
        return;
    const bool thirds = m_nBandAnalyzerMode == 3;
    CBandTableFilter& filter = thirds ? static_cast<CBandTableFilter&>(m_decayThirdOctaveFilter)
                                      : static_cast<CBandTableFilter&>(m_decayOctaveFilter);
    const int bands = thirds ? kMaxDecayBands : kOctaveDecayBands;
    const int firstBand = thirds ? 3 : 0;
    m_nDecayBandCount = std::min(bands, filter.m_nBandCount - firstBand);
    for (int band = m_nDecayBandCount - 1; band >= 0; --band)
    {
        filter.m_nBand = firstBand + band;
        m_afDecayBandFrequencies[static_cast<std::size_t>(band)] =
            static_cast<float>(filter.m_pCentres[firstBand + band]);
        const double time = AnalyzeDecay(source, n, rate, &filter);
        m_afDecayBandTimes[static_cast<std::size_t>(band)] =
            static_cast<float>(time > 0.0 ? 1000.0 * time : time);
    }
    m_dDecayTime = AnalyzeDecay(source, n, rate, nullptr);
    // Channel 0 shows the broadband decay curve (AnalyzeDecay left it in the work buffer), the other
    // channels a copy of it.
    for (int i = 0; i < length; ++i)
        rows[i] = i < n ? m_decayEnergy[static_cast<std::size_t>(i)] : 0.0f;
    for (int c = 1; c < rowCount; ++c)
        std::copy_n(rows, length, rows + static_cast<std::size_t>(c) * static_cast<std::size_t>(length));
}

std::string CSoundIn::ApplyDecimalComma(std::string text) const
{
    if (m_bDecimalComma)
        std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

void CSoundIn::SetReferenceCurve(std::span<const float> values, int span)
{
    std::lock_guard lock(m_displayLock);
    m_referenceCurve.assign(values.begin(), values.end());
    m_nReferenceSpan = span;
    m_nReferenceGridLength = -1;  // rebuilt on the next publication
}

void CSoundIn::ApplyReferenceCurve(float* row, int length)
{
    const int points = static_cast<int>(m_referenceCurve.size());
    if (!m_bRelativeDisplay || points <= 0 || length <= 0)
        return;
    // Both steps in whole units, as the stored curves were made.
    const int sourceStep = m_nReferenceSpan / points;
    const int destinationStep = m_nSampleRate / length;
    if (sourceStep <= 0)
        return;  // a reference squeezed below one unit per point has no grid
    if (m_nReferenceGridLength != length || m_nReferenceGridRate != m_nSampleRate ||
        m_referenceOnGrid.size() < static_cast<std::size_t>(length))
    {
        if (m_referenceOnGrid.size() < static_cast<std::size_t>(length))
            m_referenceOnGrid.resize(static_cast<std::size_t>(length));
        ResampleCurveLinear(m_referenceCurve.data(), sourceStep, points, m_referenceOnGrid.data(),
                            destinationStep, length);
        m_nReferenceGridLength = length;
        m_nReferenceGridRate = m_nSampleRate;
    }
    for (int i = 0; i < length; ++i)
        row[i] /= m_referenceOnGrid[static_cast<std::size_t>(i)];
}

void CSoundIn::ApplyCalibrationCurves(int channel, float* row, int length)
{
    for (CCalibrationCurve& curve : m_calibrationCurves)
    {
        if (!curve.m_bEnabled || curve.m_nPoints <= 0 ||
            (!curve.m_bAllChannels && curve.m_nChannel != channel))
            continue;
        // The point count must be backed by the lists it indexes.
        const auto points = static_cast<std::size_t>(curve.m_nPoints);
        if (curve.m_pValue.size() < points || (curve.m_bPairs && curve.m_pFrequency.size() < points))
            continue;
        const double rate = m_nSampleRate;
        const bool built = curve.m_dBinRate == rate && curve.m_nBinCount == length &&
                           curve.m_pBinTable.size() == static_cast<std::size_t>(length);
        if (!built)
        {
            curve.m_pBinTable.assign(static_cast<std::size_t>(length), 0.0f);
            float* table = curve.m_pBinTable.data();
            if (curve.m_bPairs)
            {
                // Listed points: linear between the neighbours of each bin frequency, the end values
                // beyond the ends.
                const float* f = curve.m_pFrequency.data();
                const float* v = curve.m_pValue.data();
                std::size_t i = 1;
                for (int j = 0; j < length; ++j)
                {
                    const double at = j * rate / (2.0 * length);
                    double value = v[points - 1];
                    if (at <= f[0])
                        value = v[0];
                    else if (at < f[points - 1])
                    {
                        while (i < points && f[i] < at)
                            ++i;
                        const double span = static_cast<double>(f[i]) - f[i - 1];
                        const double t = span > 0.0 ? (at - f[i - 1]) / span : 0.0;
                        value = v[i - 1] + t * (static_cast<double>(v[i]) - v[i - 1]);
                    }
                    table[j] = static_cast<float>(value);
                }
            }
            else
            {
                // A table without frequencies is spread evenly over its span.
                const double sourceStep = curve.m_dSampleRate / static_cast<double>(points);
                if (!(sourceStep > 0.0))
                {
                    curve.m_pBinTable.clear();
                    continue;
                }
                ResampleCurveLinear(curve.m_pValue.data(), sourceStep, static_cast<int>(points), table,
                                    rate / length, length);
            }
            if (curve.m_bDecibel)
                for (float& value : curve.m_pBinTable)
                    value = static_cast<float>(std::pow(10.0, 0.1 * value));
            curve.m_nBinCount = length;
            curve.m_dBinRate = rate;
        }
        const float* table = curve.m_pBinTable.data();
        for (int j = 0; j < length; ++j)
            row[j] = curve.m_bReplace ? table[j] : row[j] * table[j];
    }
}

void CSoundIn::SpectrumChannelMath(float* rows, int stride, int length)
{
    const int channels = std::clamp(m_ring.GetChannels(), 0, kMaxChannels);
    if (!rows || length <= 0 || stride < length)
        return;
    if (channels >= 2 &&
        static_cast<std::size_t>(stride) + static_cast<std::size_t>(length) <= m_spectrumDisplay.size())
    {
        float* a = rows;
        float* b = rows + stride;
        const auto mean = [&](const float* x)
        {
            double s = 0.0;
            for (int i = 0; i < length; ++i)
                s += x[i];
            return s / length;
        };
        const double ma = m_nSpectrumOperation == 6 ? mean(a) : 1.0;
        const double mb = m_nSpectrumOperation == 6 ? mean(b) : 1.0;
        for (int i = 0; i < length; ++i)
        {
            const double x = a[i], y = b[i];
            double r = x;
            switch (m_nSpectrumOperation)
            {
                case 1:
                    r = x + y;
                    break;
                case 2:
                    r = x - y;
                    break;
                case 3:
                    r = x * y;
                    break;
                case 4:
                    r = x / y;
                    break;
                case 5:
                    r = y / x;
                    break;
                case 6:
                    r = (x / ma) / (y / mb);
                    if (r > 1.0)
                        r = 1.0 / r;
                    break;
                case 7:
                    r = std::sqrt(x * y);
                    break;
                default:
                    break;
            }
            a[i] = static_cast<float>(r);
        }
        if (m_bMode5)
            for (int i = 0; i < length; ++i)
                a[i] = std::sqrt(a[i]);
    }
    if (m_bHumSuppression)
        for (int c = 0; c < channels; ++c)
            if (static_cast<std::size_t>(c) * stride + static_cast<std::size_t>(length) <=
                m_spectrumDisplay.size())
                SuppressSpectralLines(rows + static_cast<std::size_t>(c) * stride, length, m_nSampleRate,
                                      m_dHumFundamental, m_dHumUpperLimit);
    const bool unwrap =
        (m_bMlsMode && m_nMlsDisplayKind == 1) || (!m_bMlsMode && m_nFftSubmode == 1 && !m_bScopeMode);
    if (unwrap)
        for (int c = 0; c < channels; ++c)
            if (static_cast<std::size_t>(c) * stride + static_cast<std::size_t>(length) <=
                m_spectrumDisplay.size())
                UnwrapPhase(rows + static_cast<std::size_t>(c) * stride, length);
}

// ---------------------------------------------------------------------------------------------
// Block intake

bool CSoundIn::ClaimIntake(bool honourStop)
{
    // One block at a time in the staging rows; a second source waits in short sleeps. Without
    // honourStop the claim waits out a stop request too: a block still in the intake releases it.
    int expected = 0;
    while (!m_nIntakeBusy.compare_exchange_weak(expected, 1))
    {
        expected = 0;
        if (honourStop && m_bStopRequest.load())
            return false;
        SleepMs(5);
    }
    if (honourStop && m_bStopRequest.load())
    {
        m_nIntakeBusy.store(0);
        return false;
    }
    return true;
}

int CSoundIn::FrameStride(bool pcm16) const
{
    // One analysis channel comes from a mono or a stereo device; more take whole frames, of the
    // analysis channel count (16-bit devices) or of the device's channel count (float sources).
    if (m_nAnalysisChannels >= 2)
        return std::clamp(pcm16 ? m_nAnalysisChannels : m_nDeviceChannels, 1, kMaxChannels);
    return m_nChannelMode == 0 ? 1 : 2;
}

void CSoundIn::ReleaseIntake()
{
    m_bIntakeActive.store(false);
    m_nIntakeBusy.store(0);
}

int CSoundIn::NextDitherValue()
{
    // The runtime library's classic linear congruential rand(): 0 .. 32767.
    m_nDitherSeed = m_nDitherSeed * 214013u + 2531011u;
    return static_cast<int>((m_nDitherSeed >> 16) & 0x7FFF);
}

void CSoundIn::OnPluginInputBlock(const float* samples, int frames)
{
    CSoundIn* engine = GetEngine();
    if (!engine || !samples || frames <= 0)
        return;
    const std::size_t count =
        static_cast<std::size_t>(frames) *
        static_cast<std::size_t>(std::clamp(engine->m_nDeviceChannels, 1, kMaxChannels));
    engine->ProcessFloatBlock(std::span<const float>(samples, count), frames);
}

void CSoundIn::SetChannelRouting(std::span<const ChannelRoute> routes)
{
    ClaimIntake(false);
    const std::size_t count = std::min<std::size_t>(routes.size(), kMaxChannels);
    for (std::size_t c = 0; c < count; ++c)
    {
        m_nSourceChannel[c] = routes[c].source;
        m_dChannelGainDb[c] = routes[c].gainDb;
        m_bChannelEnabled[c] = routes[c].enabled ? 1 : 0;
    }
    ReleaseIntake();
}

void CSoundIn::ProcessPcm16Block(std::span<const std::int16_t> samples)
{
    if (!ClaimIntake())
        return;
    m_bIntakeActive.store(true);
    const int channels = std::clamp(m_nAnalysisChannels, 1, kMaxChannels);
    const int stride = FrameStride(true);
    const int firstSource = channels >= 2 ? (m_bSwapChannels ? 1 : 0) : (m_nChannelMode == 2 ? 1 : 0);
    // The frame count is the device buffer's, but never more than the block holds.
    const std::size_t available = samples.size() / static_cast<std::size_t>(stride);
    int frames = static_cast<int>(std::min<std::size_t>(
        static_cast<std::size_t>(std::max(m_nDeviceBufferFrames.load(), 0)), available));
    const std::int16_t* block = samples.data();
    while (frames > 0 && !m_bStopRequest.load())
    {
        const int piece = std::min(frames, kStagingFrames);
        int source = firstSource;
        for (int c = 0; c < channels; ++c)
        {
            float* row = m_staging.get() + static_cast<std::size_t>(c) * kStagingFrames;
            for (int i = 0; i < piece; ++i)
            {
                const double s = block[static_cast<std::size_t>(i) * static_cast<std::size_t>(stride) +
                                       static_cast<std::size_t>(source)];
                double x = s / 32768.0;
                if (m_bInputDither)
                    x += (NextDitherValue() / 32767.0 - 0.5) * 0.01;
                row[i] = static_cast<float>(x);
            }
            source = m_bSwapChannels ? 0 : c + 1;
            if (source >= stride)
                source = 0;
        }
        ProcessStagedBlock(piece);
        block += static_cast<std::size_t>(piece) * static_cast<std::size_t>(stride);
        frames -= piece;
    }
    ReleaseIntake();
}

void CSoundIn::ProcessFloatBlock(std::span<const float> samples, int frames)
{
    if (!ClaimIntake())
        return;
    if (frames > 0)
        m_nDeviceBufferFrames.store(std::min(frames, std::numeric_limits<int>::max()));
    m_bIntakeActive.store(true);
    const int channels = std::clamp(m_nAnalysisChannels, 1, kMaxChannels);
    const int stride = FrameStride(false);
    const int firstSource = channels >= 2 ? (m_bSwapChannels ? 1 : 0) : (m_nChannelMode == 2 ? 1 : 0);
    const std::size_t available = samples.size() / static_cast<std::size_t>(stride);
    int remaining = static_cast<int>(std::min<std::size_t>(
        static_cast<std::size_t>(std::max(m_nDeviceBufferFrames.load(), 0)), available));
    const float* block = samples.data();
    while (remaining > 0 && !m_bStopRequest.load())
    {
        const int piece = std::min(remaining, kStagingFrames);
        int source = firstSource;
        for (int c = 0; c < channels; ++c)
        {
            float* row = m_staging.get() + static_cast<std::size_t>(c) * kStagingFrames;
            std::fill_n(row, piece, 0.0f);
            const int mapped = m_nSourceChannel[static_cast<std::size_t>(c)];
            if (mapped >= 0 && mapped < channels)
            {
                const int from = mapped != c ? mapped : source;
                // A source outside the frame stays silent rather than reading into the next frame.
                if (from < stride)
                    for (int i = 0; i < piece; ++i)
                        row[i] = block[static_cast<std::size_t>(i) * static_cast<std::size_t>(stride) +
                                       static_cast<std::size_t>(from)];
            }
            source = m_bSwapChannels ? 0 : c + 1;
        }
        ProcessStagedBlock(piece);
        block += static_cast<std::size_t>(piece) * static_cast<std::size_t>(stride);
        remaining -= piece;
    }
    ReleaseIntake();
}

void CSoundIn::ProcessStagedBlock(int frames)
{
    if (m_bReplayFromFile || m_bDebugDumps)
    {
        // Raw floats over the start of the staging area, never past its end.
        const std::size_t count =
            std::min(static_cast<std::size_t>(std::clamp(m_nAnalysisChannels, 1, kMaxChannels)) *
                         static_cast<std::size_t>(frames),
                     m_nStagingCapacity);
        if (m_bReplayFromFile && m_replayFile)
            (void)std::fread(m_staging.get(), sizeof(float), count, m_replayFile.get());
        if (m_bDebugDumps)
            if (std::FILE* file = std::fopen(kSampleDumpFile, "ab"))
            {
                (void)std::fwrite(m_staging.get(), sizeof(float), count, file);
                std::fclose(file);
            }
    }
    if (m_bRecordingInput.load() != 0)
        RecordStaged(m_staging.get(), frames);
    if (m_bResampler)
        ResampleAndCollect(frames);
    else
        CollectBlock(m_staging.get(), frames);
}

void CSoundIn::ResampleAndCollect(int frames)
{
    const int channels = std::clamp(m_nAnalysisChannels, 1, kMaxChannels);
    // Without converters for every channel (the resampler switched on while open) nothing is
    // collected rather than a channel left stale.
    if (m_converters.size() < static_cast<std::size_t>(channels) ||
        m_nResampledCapacity < static_cast<std::size_t>(channels) * kStagingFrames ||
        !(m_dResampleRatio > 0.0))
        return;
    const bool applyPhase = m_nResampleApplyPhase > 0;
    for (int c = 0; c < channels; ++c)
    {
        CSampleRateConverter& converter = *m_converters[static_cast<std::size_t>(c)];
        converter.m_dRatio = m_dResampleRatio;
        if (applyPhase)
            converter.m_dTime = m_dResampleStartPhase;
    }
    if (applyPhase)
        m_nResampleApplyPhase = 0;
    // Pieces that fit the converters' stores and, converted, a staging row.
    CSampleRateConverter& first = *m_converters[0];
    int limit = std::min(first.MaxInput(), kStagingFrames);
    while (limit > 1 && first.MaxOutput(limit) > kStagingFrames)
        limit /= 2;
    for (int offset = 0; offset < frames && limit > 0;)
    {
        const int piece = std::min(frames - offset, limit);
        int produced = -1;
        for (int c = 0; c < channels; ++c)
        {
            const std::size_t row = static_cast<std::size_t>(c) * kStagingFrames;
            const int n = m_converters[static_cast<std::size_t>(c)]->Process(m_staging.get() + row + offset,
                                                                             piece, m_resampled.get() + row);
            produced = produced < 0 ? n : std::min(produced, n);
        }
        if (m_bDebugDumps && produced > 0)
            if (std::FILE* file = std::fopen(kResamplerDumpFile, "ab"))
            {
                (void)std::fwrite(m_resampled.get(), sizeof(float), static_cast<std::size_t>(produced), file);
                std::fclose(file);
            }
        if (produced > 0)
            CollectBlock(m_resampled.get(), produced);
        offset += piece;
    }
}

void CSoundIn::ConditionChannels(float* rows, int rowStride, int frames)
{
    const int channels = std::clamp(m_ring.GetChannels(), 0, kMaxChannels);
    if (!rows || frames < 0 || rowStride < frames)
        return;
    m_vstChain.ProcessChain(rows, rows, static_cast<std::size_t>(rowStride), frames, channels);
    if (channels > 0)
        m_conditioning.Demodulate(rows, frames);
    std::array<const float*, kMaxChannels> peakRows{};
    for (int c = 0; c < channels; ++c)
    {
        const std::size_t ch = static_cast<std::size_t>(c);
        if (!m_bChannelEnabled[ch])
            continue;
        float* x = rows + ch * static_cast<std::size_t>(rowStride);
        if (m_bDcBlock)
        {
            // One-pole DC blocker; the sample written back is the previous output (one sample late).
            double x1 = m_dDcX1[ch], y1 = m_dDcY1[ch];
            for (int i = 0; i < frames; ++i)
            {
                const double in = x[i];
                const double y = 0.99857625543224 * y1 + 0.99928812771612 * (in - x1);
                x[i] = static_cast<float>(y1);
                x1 = in;
                y1 = y;
            }
            m_dDcX1[ch] = x1;
            m_dDcY1[ch] = y1;
        }
        m_conditioning.FilterChannel(c, x, frames);
        double d = m_dChannelGainDb[ch];
        if (m_bCalibration && !m_bMode5)
            d += m_fCalibrationOffset;
        if (m_dChannelSensitivity[ch] > 0.0)
            d -= 20.0 * std::log10(m_dChannelSensitivity[ch]);
        if (std::abs(d) > 1e-9)
        {
            const double g = std::pow(10.0, d * 0.05);
            for (int i = 0; i < frames; ++i)
                x[i] = static_cast<float>(x[i] * g);
        }
        peakRows[ch] = x;
    }
    // The C-weighted peaks of the conditioned rows, the channels side by side.
    m_conditioning.MeasureCPeaks(
        std::span<const float* const>(peakRows.data(), static_cast<std::size_t>(channels)), frames);
    // The loudness bands measure the first channel's conditioned row, in dB SPL once calibrated.
    if ((m_bLoudness || m_bSpecificLoudness) && channels > 0 && m_bChannelEnabled[0])
        m_loudnessBank.Process(rows, frames);
    // The band analysers read the conditioned rows (never writing them) before the band limit,
    // all channels in one call so that their filters and meters run side by side.
    if (BandAnalyzersInUse())
    {
        // Without a band display only the analysers whose logger runs are fed.
        const bool shown = BandAnalyzersShown();
        std::array<CBandAnalyzer*, kMaxChannels> analyzers{};
        std::array<const float*, kMaxChannels> analyzerRows{};
        for (int c = 0; c < channels; ++c)
        {
            const std::size_t ch = static_cast<std::size_t>(c);
            CBandAnalyzer* analyzer = m_bandAnalyzers[ch].get();
            const bool fed = analyzer && (shown || analyzer->m_loggingActive.load(std::memory_order_relaxed));
            analyzers[ch] = m_bChannelEnabled[ch] && fed ? analyzer : nullptr;
            analyzerRows[ch] = rows + ch * static_cast<std::size_t>(rowStride);
        }
        CBandAnalyzer::ProcessChannels(
            std::span<CBandAnalyzer* const>(analyzers.data(), static_cast<std::size_t>(channels)),
            std::span<const float* const>(analyzerRows.data(), static_cast<std::size_t>(channels)), frames);
    }
    for (int c = 0; c < channels; ++c)
    {
        const std::size_t ch = static_cast<std::size_t>(c);
        if (m_bChannelEnabled[ch])
            m_conditioning.BandLimitChannel(c, rows + ch * static_cast<std::size_t>(rowStride), frames);
    }
    SaturatingAdd(m_nConditionedFrames, frames);
}

void CSoundIn::CollectBlock(float* rows, int frames)
{
    const int blockLength = m_nBlockLength.load();
    if (frames <= 0 || blockLength <= 0 || m_bStopRequest.load())
        return;
    std::lock_guard lock(m_inputLock);
    m_nTriggerOffset = std::clamp(m_nTriggerOffset, -blockLength, blockLength);
    const int channels = m_ring.GetChannels();
    if (channels <= 0)
        return;
    ConditionChannels(rows, kStagingFrames, frames);

    const auto append = [&](int from, int count)
    {
        if (count <= 0)
            return;
        const int written = m_ring.WriteBlock(rows + from, count);
        if (written < count)
            SaturatingAdd(m_nLostFrames, count - written);
    };

    int pos = 0;
    int remaining = frames;
    const bool armed = IsTriggerArmed();
    do
    {
        int triggerIndex = 0;
        if (armed)
        {
            if (m_nTriggerChannel < 0 || m_nTriggerChannel >= channels)
                m_nTriggerChannel = 0;
            const float* row = rows + static_cast<std::size_t>(m_nTriggerChannel) * kStagingFrames;
            const double pol = m_bTriggerNegative ? -1.0 : 1.0;
            const double a = m_dTriggerPowerFactor;
            const auto fire = [&](int i)
            {
                ResetTriggerLocked();
                m_nTriggerState = kTriggerFired;
                triggerIndex = i;
            };
            for (int i = 0; pos + i < frames; ++i)
            {
                const double x = row[pos + i];
                if (m_nTriggerMode == kTriggerRms && m_nTriggerState == kTriggerSearching)
                {
                    m_dTriggerPower = m_dTriggerPower - m_dTriggerPower * a + x * x * a;
                    if (pol * m_dTriggerPower > pol * m_dTriggerLevel * m_dTriggerLevel)
                    {
                        fire(i);
                        break;
                    }
                }
                else if (m_nTriggerMode == kTriggerLevel && m_nTriggerState == kTriggerSearching)
                {
                    if (pol * x > pol * m_dTriggerLevel)
                    {
                        fire(i);
                        break;
                    }
                }
                else if (m_nTriggerMode == kTriggerSlope && m_nTriggerState != kTriggerFired)
                {
                    if (m_nTriggerState == kTriggerSearching)
                    {
                        const int below = x < m_dTriggerLevel ? 1 : 0;
                        if (below != m_nTriggerSlope)
                        {
                            m_dTriggerLastLevel = x;
                            m_nTriggerState = kTriggerArmed;
                            m_nTriggerConfirm = 0;
                        }
                        else
                            m_nCurrentCollected = 0;
                    }
                    else if (m_nTriggerState == kTriggerArmed)
                    {
                        const int above = x > m_dTriggerLevel ? 1 : 0;
                        if (above != m_nTriggerSlope)
                        {
                            fire(i);
                            break;
                        }
                        ++m_nTriggerConfirm;
                    }
                    if (m_nTriggerConfirm > 5)
                    {
                        m_nTriggerConfirm = 0;
                        m_nTriggerState = kTriggerSearching;
                    }
                }
            }
        }

        if (m_nTriggerState == kTriggerFired)
        {
            m_nCurrentCollected = -m_nTriggerOffset;
            append(pos, triggerIndex);
            remaining -= triggerIndex;
            pos += triggerIndex;
            m_nTriggerState = kTriggerCollecting;
            ResetStatisticsLocked();
            m_nLastTriggerPos = m_ring.GetWrittenFrames();
        }

        const int n = std::min(remaining, blockLength - m_nCurrentCollected);
        append(pos, n);
        pos += n;
        m_nCurrentCollected = std::min(m_nCurrentCollected + n, blockLength);
        remaining -= n;

        bool complete = true;
        if (armed && m_nTriggerState != kTriggerCollecting)
        {
            complete = false;
            m_nCurrentCollected = 0;
        }
        if (m_nCurrentCollected >= blockLength && complete)
        {
            // A triggered block is the last block length written: the reader starts there, never at
            // frames from before the trigger (offset included).
            if (armed)
                m_ring.SetReadBack(blockLength);
            // A read-back replaces what was unread: one triggered block waits at a time.
            if (armed)
                m_nPendingBlocks.store(1);
            else
                m_nPendingBlocks.fetch_add(1);
            m_analysisEvent.Set();
            SaturatingAdd(m_nCollectedBlocks, 1);
            SaturatingAdd(m_nCollectedFrames, blockLength);
            if (++m_nTriggeredBlocks >= m_nAverageCount)
            {
                m_nTriggeredBlocks = 0;
                m_nTriggerState = m_nTriggerRepeat != 0 ? kTriggerSearching : kTriggerHeld;
            }
            m_nCurrentCollected = 0;
        }
    } while (remaining > 0 &&
             (m_bContinuousCollection || (0 < m_nCurrentCollected && m_nCurrentCollected <= blockLength)));
}

// ---------------------------------------------------------------------------------------------
// Level monitor

void CSoundIn::UpdateMonitorWeightings()
{
    for (int mode = 0; mode < static_cast<int>(m_monitorWeightings.size()); ++mode)
    {
        CWeightingTable& table = m_monitorWeightings[static_cast<std::size_t>(mode)];
        table.m_dSampleRate = m_nSampleRate;
        table.m_nCount = m_nFftSize / 2;
        table.m_nType = mode;
        table.Update();  // rebuilds only when something changed: at open, never on the analysis thread
    }
}

void CSoundIn::UpdateLevelHistory()
{
    if (m_nLevelMonitorMode == 0 || m_nLevelHistoryLength <= 0 || !m_levelOutputs[0])
        return;
    UpdateMonitorWeightings();
    m_levelMonitor.m_dShortTime = m_dLevelShortTime;
    m_levelMonitor.m_dLongTime = m_dLevelLongTime;
    const int channels = std::clamp(m_ring.GetChannels(), 0, kMaxChannels);
    if (channels <= 0)
        return;
    // The outputs fill on the delivering thread: what waits is copied out under its lock, at most
    // a step's worth (the rest waits for the next block).
    int steps = 0;
    {
        std::lock_guard lock(m_inputLock);
        steps = std::min({m_levelOutputs[0]->GetCount(), kLevelValuesPerStep,
                          static_cast<int>(m_levelValues.size() / static_cast<std::size_t>(channels))});
        for (int c = 0; c < channels && steps > 0; ++c)
        {
            float* values =
                m_levelValues.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(steps);
            CFloatRingBuffer* output = m_levelOutputs[static_cast<std::size_t>(c)];
            const int available = output ? std::min(output->GetCount(), steps) : 0;
            if (available > 0)
                output->Read(values, available);
            std::fill(values + available, values + steps, 0.0f);
        }
    }
    std::array<float, kMaxChannels> values{};
    for (int step = 0; step < steps && m_nLevelMonitorMode == 1; ++step)
    {
        for (int c = 0; c < channels; ++c)
            values[static_cast<std::size_t>(c)] =
                m_levelValues[static_cast<std::size_t>(c) * static_cast<std::size_t>(steps) +
                              static_cast<std::size_t>(step)];
        m_levelMonitor.AddValues(
            std::span<const float>(values.data(), static_cast<std::size_t>(channels)),
            std::span<const int>(m_bChannelEnabled.data(), static_cast<std::size_t>(channels)),
            m_dLevelInterval);
    }
}

bool CSoundIn::SetupBandAnalyzers()
{
    const int channels = std::clamp(m_nAnalysisChannels, 0, kMaxChannels);
    m_levelOutputs.fill(nullptr);
    const double timeConstant = std::max(m_dBandTimeConstant, 0.001);
    for (int c = 0; c < channels; ++c)
    {
        std::unique_ptr<CBandAnalyzer>& analyzer = m_bandAnalyzers[static_cast<std::size_t>(c)];
        try
        {
            if (!analyzer)
                analyzer = std::make_unique<CBandAnalyzer>();
        }
        catch (const std::bad_alloc&)
        {
            return false;
        }
        analyzer->m_sampleRate = m_nSampleRate;
        analyzer->m_bandsPerOctave = std::max(m_nBandAnalyzerMode, 0);
        analyzer->m_displayWeighting = m_nWeightingType;
        analyzer->m_energyTrace.m_interval = timeConstant;
        analyzer->SetLogger(m_levelLoggers[static_cast<std::size_t>(c)]);
        analyzer->Configure();
        m_levelOutputs[static_cast<std::size_t>(c)] = &analyzer->m_energyTrace.m_ring;
    }
    if (channels > 0 && m_bandAnalyzers[0])
        m_dLevelInterval = m_bandAnalyzers[0]->m_energyTrace.m_actualInterval;
    return true;
}

void CSoundIn::SetLevelLogger(int channel, CLevelLoggerSink* logger)
{
    if (channel < 0 || channel >= kMaxChannels)
        return;
    const std::size_t c = static_cast<std::size_t>(channel);
    m_levelLoggers[c] = logger;
    if (m_bandAnalyzers[c])
        m_bandAnalyzers[c]->SetLogger(logger);
}

CLevelLoggerSink* CSoundIn::GetLevelLogger(int channel) const
{
    return channel >= 0 && channel < kMaxChannels ? m_levelLoggers[static_cast<std::size_t>(channel)]
                                                  : nullptr;
}

CBandAnalyzer* CSoundIn::GetBandAnalyzer(int channel) const
{
    return channel >= 0 && channel < kMaxChannels ? m_bandAnalyzers[static_cast<std::size_t>(channel)].get()
                                                  : nullptr;
}

bool CSoundIn::BandAnalyzersInUse() const
{
    if (BandAnalyzersShown())
        return true;
    for (const std::unique_ptr<CBandAnalyzer>& analyzer : m_bandAnalyzers)
        if (analyzer && analyzer->m_loggingActive.load(std::memory_order_relaxed))
            return true;
    return false;
}

bool CSoundIn::EnsureHistoryBuffers()
{
    return m_levelMonitor.EnsureHistoryBuffers(std::clamp(m_nAnalysisChannels, 1, kMaxChannels),
                                               m_nLevelHistoryLength);
}

void CSoundIn::ResetChannelStatistics()
{
    m_levelMonitor.Reset();
    for (int c = 0; c < std::clamp(m_nAnalysisChannels, 0, kMaxChannels); ++c)
        if (CBandAnalyzer* analyzer = m_bandAnalyzers[static_cast<std::size_t>(c)].get())
            analyzer->ResetLevels();
}
