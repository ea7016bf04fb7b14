// The remote interface of a measurement window: the mailbox and the senders that worker threads
// use, the event counters and the waits on them, and the dispatcher that runs every record (and
// every message of another program) on the user-interface thread.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "common/TextDataFiles.h"
#include "display/settings/ViewSettings.h"
#include "engine/GeneratorLink.h"
#include "engine/SigGenSettings.h"
#include "engine/SoundIn.h"
#include "platform/Debug.h"
#include "platform/NumberFormat.h"
#include "platform/Places.h"
#include "view/SndView.h"
#include "view/ViewFrame.h"

namespace
{

constexpr int kWaitStepMs = 100;
// How long the overlay sender lets the window draw before it returns.
constexpr int kRemoteSettleMs = 300;
constexpr int kSendWaitSteps = 30;
constexpr int kMaxSettingsFileNumber = 999;
constexpr int kMaxRemoteChannel = 63;
constexpr int kMaxWindowType = 17;
constexpr int kMaxWeightType = 2;
constexpr int kMaxRemoteSampleRate = 192000;
constexpr int kMaxFftSize = 1 << 20;
constexpr int kMaxMlsSize = (1 << 24) - 1;
constexpr int kMaxAverage = 1 << 20;
// Levels beyond these would make the linear factors overflow.
constexpr float kMaxRemoteDb = 600.0f;
constexpr float kMaxGeneratorFrequency = 1e6f;
constexpr const char* kDumpName = "dump.txt";
constexpr const char* kDumpRtmName = "dumpRTM.txt";
constexpr const char* kRmsName = "RMS.txt";

bool IsPowerOfTwo(long long v)
{
    return v > 1 && (v & (v - 1)) == 0;
}

void Refused(const RemoteCommand& record, const char* why)
{
    platform::DebugOutput("remote command %d refused: %s", record.code, why);
}

}  // namespace

CSigGen_settings& CSndView::RemoteGeneratorRecord()
{
    static CSigGen_settings record;
    return record;
}

// --- mailbox --------------------------------------------------------------------------------

bool CRemoteMailbox::IsFree() const
{
    return m_nWaiting.load() == 0;
}

void CRemoteMailbox::Take()
{
    m_nWaiting.fetch_add(1);
}

void CRemoteMailbox::Release()
{
    // Never below zero: a release without its take (a broken caller) must not block the next.
    int current = m_nWaiting.load();
    while (current > 0 && !m_nWaiting.compare_exchange_weak(current, current - 1))
    {
    }
}

void CSndView::RemoteSleep(int milliseconds)
{
    // The window is going away and waits for its job: no more waiting on its behalf.
    if (m_bJobStop.load())
        return;
    if (m_remoteSleep)
        m_remoteSleep(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// --- senders -------------------------------------------------------------------------------

int CSndView::SendRemoteCommand(const RemoteCommand& record)
{
    if (m_bJobStop.load())
        return 0;
    // At most 31 waits; then the record goes anyway. It is a copy of its own and never replaces
    // a waiting one.
    for (int n = kSendWaitSteps; !m_mailbox.IsFree() && n >= 0; --n)
        RemoteSleep(kWaitStepMs);
    m_mailbox.Take();
    const auto bytes = EncodeRemoteCommand(record);
    const auto dispatch = [this, bytes] { OnRemoteCommand(kRemoteInternal, bytes); };
    if (!m_pWindow || !m_pWindow->SendToWindow(dispatch))
    {
        if (!m_pWindow)
            dispatch();
        else
            m_mailbox.Release();  // the window's thread is gone: nothing will run it
    }
    return 0;
}

int CSndView::PostRemoteCommand(const RemoteCommand& record)
{
    m_mailbox.Take();
    const auto bytes = EncodeRemoteCommand(record);
    const auto dispatch = [this, bytes] { OnRemoteCommand(kRemoteInternal, bytes); };
    if (!m_pWindow)
        dispatch();
    else if (!m_pWindow->PostToWindow(dispatch))
        m_mailbox.Release();
    return 0;
}

int CSndView::SendRemoteCode(int code)
{
    RemoteCommand record;
    record.code = code;
    return SendRemoteCommand(record);
}

int CSndView::SendRemoteInt(int code, int value)
{
    RemoteCommand record;
    record.code = code;
    record.SetIntArg(1, value);
    return SendRemoteCommand(record);
}

int CSndView::SendRemoteFloats(int code, double a, double b, double c)
{
    RemoteCommand record;
    record.code = code;
    record.SetFloatArg(1, static_cast<float>(a));
    record.SetFloatArg(2, static_cast<float>(b));
    record.SetFloatArg(3, static_cast<float>(c));
    return SendRemoteCommand(record);
}

int CSndView::RemoteStop()
{
    return SendRemoteCode(0);
}
int CSndView::RemoteStart()
{
    return SendRemoteCode(1);
}
int CSndView::RemoteResetMeasurements()
{
    return SendRemoteCode(2);
}
int CSndView::RemoteSelectSpectrum()
{
    return SendRemoteCode(3);
}
int CSndView::RemoteSelectOscilloscope()
{
    return SendRemoteCode(6);
}
int CSndView::RemoteSelectFrequencyResponse()
{
    return SendRemoteCode(7);
}
int CSndView::RemoteSelectImpulseResponse()
{
    return SendRemoteCode(9);
}
int CSndView::RemoteGeneratorWhiteNoise()
{
    return SendRemoteCode(12);
}
int CSndView::RemoteGeneratorPinkNoise()
{
    return SendRemoteCode(13);
}
int CSndView::RemoteResetView()
{
    return SendRemoteCode(14);
}
int CSndView::RemoteSetXLog(int on)
{
    return SendRemoteInt(10001, on);
}
int CSndView::RemoteGeneratorOnOff(int silence)
{
    return SendRemoteInt(10004, silence);
}
int CSndView::RemoteSetHarmonics(int on)
{
    return SendRemoteInt(10005, on);
}
int CSndView::RemoteSetFftSize(int size)
{
    return SendRemoteFloats(20000, size);
}
int CSndView::RemoteSetMlsSize(int size)
{
    return SendRemoteFloats(20001, size);
}
int CSndView::RemoteSetWindowType(int type)
{
    return SendRemoteFloats(20002, type);
}
int CSndView::RemoteSetWeighting(int type)
{
    return SendRemoteFloats(20003, type);
}
int CSndView::RemoteSetAverage(int averages)
{
    return SendRemoteFloats(20004, averages);
}
int CSndView::RemoteSetSampleRate(int rate)
{
    return SendRemoteFloats(20005, rate);
}
int CSndView::RemoteSetCalibrationOffset(double db)
{
    return SendRemoteFloats(20006, db);
}
int CSndView::RemoteSetChannelMode(int mode)
{
    return SendRemoteFloats(20007, mode);
}
int CSndView::RemoteGeneratorSine(double frequency)
{
    return SendRemoteFloats(20008, frequency);
}
int CSndView::RemoteGeneratorMls(int length)
{
    return SendRemoteFloats(20010, length);
}
int CSndView::RemoteSetGeneratorLevel(double db)
{
    return SendRemoteFloats(20011, db);
}
int CSndView::RemoteSetViewMode(int mode)
{
    return SendRemoteFloats(20016, mode);
}
int CSndView::RemoteSetXRange(double minimum, double maximum)
{
    return SendRemoteFloats(30000, minimum, maximum);
}
int CSndView::RemoteSetYRange(double minimum, double maximum)
{
    return SendRemoteFloats(30001, minimum, maximum);
}
int CSndView::RemoteGeneratorChirp(int length, double start, double stop)
{
    return SendRemoteFloats(40000, length, start, stop);
}
int CSndView::RemoteClearOverlays()
{
    return SendRemoteCode(100002);
}
int CSndView::RemoteSetOverlay(int curve, int slot)
{
    return SendRemoteFloats(100003, slot, curve);
}
int CSndView::RemoteForceViewMode(int mode)
{
    return SendRemoteFloats(100004, mode);
}

int CSndView::RemoteYAutoScale()
{
    const std::uint64_t before = GetEventCounter(kEventAutoScale);
    SendRemoteCode(16);
    WaitForEventCounter(kEventAutoScale, before, 5000);
    return 0;
}

bool CSndView::RemoteScreenshot(const std::string& path)
{
    const std::filesystem::path picture = platform::ConfigFolder() / kRemoteScreenshotName;
    std::error_code error;
    std::filesystem::remove(picture, error);
    SendRemoteCode(15);
    // The copy is tried a bounded number of times: a target that stays unwritable ends the wait.
    for (int attempt = 0; attempt < kScreenshotCopyAttempts; ++attempt)
    {
        if (std::filesystem::exists(picture, error) &&
            std::filesystem::copy_file(picture, std::filesystem::path(path),
                                       std::filesystem::copy_options::overwrite_existing, error))
            return true;
        RemoteSleep(m_nScreenshotRetryMs);
    }
    return false;
}

double CSndView::RemoteGetSampleRate() const
{
    return m_engine.m_nSampleRate;
}

int CSndView::RemoteSendGeneratorSettings(CSigGen_settings& record)
{
    const auto apply = [this, &record] { OnSendGeneratorSettings(record); };
    if (!m_pWindow || !m_pWindow->SendToWindow(apply))
        if (!m_pWindow)
            apply();
    return 0;
}

int CSndView::RemoteShiftCurveTo0dB(double frequency)
{
    const auto shift = [this, frequency] { SetTo0dBAt(frequency); };
    if (!m_pWindow || !m_pWindow->SendToWindow(shift))
        if (!m_pWindow)
            shift();
    return 0;
}

int CSndView::RemoteAddOverlay(const OverlayDataBlock& block)
{
    const auto add = [this, &block] { OnAddOverlayData(block); };
    if (!m_pWindow || !m_pWindow->SendToWindow(add))
        if (!m_pWindow)
            add();
    RemoteSleep(kRemoteSettleMs);
    return 0;
}

int CSndView::RemoteStartFrequencySweep(int /*value*/)
{
    platform::DebugOutput("remote frequency sweep not available: this program has no sweep measurement");
    return kRemoteNotAvailable;
}

int CSndView::RemoteStartLevelSweep(int /*value*/)
{
    platform::DebugOutput("remote level sweep not available: this program has no sweep measurement");
    return kRemoteNotAvailable;
}

int CSndView::RemotePlotSweepResults(int type)
{
    platform::DebugOutput("remote sweep result plot %d not available: this program has no sweep results",
                          type);
    return kRemoteNotAvailable;
}

int CSndView::RemotePlotHarmonics()
{
    platform::DebugOutput("remote harmonics plot not available: this program has no sweep results");
    return kRemoteNotAvailable;
}

long CSndView::OnSendGeneratorSettings(CSigGen_settings& record)
{
    ApplyGeneratorSettings(record);
    return 0;
}

int CSndView::EnsureGeneratorProgram(int start)
{
    // Through the engine, which gives the link its input mode, rate and program folder first.
    return m_engine.FindOrStartGeneratorProgram(start != 0) ? 1 : 0;
}

void CSndView::ApplyGeneratorSettings(CSigGen_settings& record)
{
    m_dGeneratorFrequency = record.m_frequency;
    // Through the engine: it brings the link up to its input mode and rate, and in the mode where
    // its own generators play it sends nothing.
    m_engine.SendGeneratorSettings(record, kRemoteInternal);
}

// --- counters and waits ---------------------------------------------------------------------

long CSndView::OnCountEvent(int key)
{
    if (key == kEventAutoScale)
        m_nAutoScaleEvents.fetch_add(1);
    else if (key == kEventRefresh)
        m_nRefreshEvents.fetch_add(1);
    return 0;
}

std::uint64_t CSndView::GetEventCounter(int key) const
{
    if (key == kEventAutoScale)
        return m_nAutoScaleEvents.load();
    if (key == kEventRefresh)
        return m_nRefreshEvents.load();
    return 0;
}

int CSndView::WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    // The condition is looked at once more after the last sleep: a condition that holds at the end,
    // or at once with a time-out of 0, is a success.
    for (double t = timeoutMs;; t -= kWaitStepMs)
    {
        if (condition())
            return 0;
        if (t < kWaitStepMs)
            return -1;
        RemoteSleep(kWaitStepMs);
    }
}

int CSndView::WaitForEventCounter(int key, std::uint64_t value, int timeoutMs)
{
    return WaitUntil([this, key, value] { return GetEventCounter(key) > value; }, timeoutMs);
}

int CSndView::WaitRemoteReady(int timeoutMs)
{
    return WaitUntil([this] { return m_mailbox.IsFree(); }, timeoutMs);
}

int CSndView::WaitForTwoRefreshes(int timeoutMs)
{
    WaitRemoteReady(timeoutMs);
    const std::uint64_t c = GetEventCounter(kEventRefresh);
    WaitForEventCounter(kEventRefresh, c + 2, timeoutMs);
    return 0;
}

// --- dispatcher -----------------------------------------------------------------------------

void CSndView::RestartAnalysis()
{
    m_engine.m_bProcessingEnabled.store(0);
    OnStop();
    RemoteSleep(m_nStopWaitMs);
    RestartDisplay();
    m_engine.m_bProcessingEnabled.store(1);
}

void CSndView::SetAnalyzerMode(int mode)
{
    const int before = m_engine.GetAnalyzerMode();
    if (mode < 0)
        return;
    m_engine.SetAnalyzerMode(mode);
    if (GetViewMode() != before)
        RestartAnalysis();
}

void CSndView::StopBoth()
{
    OnStop();
    m_engine.StopInput();
}

void CSndView::RestartView()
{
    if (IsImpulsePlotMode())
        RestartDisplay();
    else
        RestartAnalysis();
}

bool CSndView::IsImpulsePlotMode() const
{
    for (int flag : m_abImpulsePlot)
        if (flag)
            return true;
    return false;
}

void CSndView::GeneratorSend()
{
    if (EnsureGeneratorProgram(1) > 0)
        ApplyGeneratorSettings(RemoteGeneratorRecord());
}

long CSndView::OnRemoteCommand(std::uint64_t wParam, std::span<const std::byte> block)
{
    const RemoteMessage message = DecodeRemoteMessage(block, m_engine.FloatBlockStride());
    if (message.kind == RemoteMessage::Kind::Refused)
        platform::DebugOutput("remote message refused: %s", message.reason.c_str());
    else if (message.kind == RemoteMessage::Kind::Samples)
        FeedRemoteSamples(block, message);
    else
        RunRemoteCommand(message.command);
    if (wParam == kRemoteInternal)
        m_mailbox.Release();
    return 0;
}

void CSndView::FeedRemoteSamples(std::span<const std::byte> block, const RemoteMessage& message)
{
    // Only an open input has its intake buffers.
    if (!m_engine.IsRunning())
    {
        platform::DebugOutput("remote samples refused: the input is not running");
        return;
    }
    // A copy: the message's bytes need not be aligned for floats.
    const std::size_t count =
        static_cast<std::size_t>(message.frames) * static_cast<std::size_t>(m_engine.FloatBlockStride());
    m_remoteSamples.resize(count);
    if (count > 0)
        std::memcpy(m_remoteSamples.data(), block.data() + message.offset, count * sizeof(float));
    m_engine.ProcessFloatBlock(m_remoteSamples, message.frames);
    m_nRemoteFramesFed += message.frames;
}

void CSndView::RunRemoteCommand(const RemoteCommand& record)
{
    const bool wasRunning = m_engine.IsRunning();
    CSigGen_settings& generator = RemoteGeneratorRecord();
    generator.SetDefaults();
    const auto restartIfRunning = [&]
    {
        if (wasRunning)
            OnStart();
    };
    // The integer of a float argument; false (and logged) when it is not finite or not an int32.
    const auto intArg = [&](int n, int& v)
    {
        if (RemoteFloatToInt(record.FloatArg(n), v))
            return true;
        Refused(record, "argument not a finite 32-bit number");
        return false;
    };
    const auto floatArg = [&](int n, float& v, float limit)
    {
        v = record.FloatArg(n);
        if (std::isfinite(v) && std::fabs(v) <= limit)
            return true;
        Refused(record, "argument not finite or out of range");
        return false;
    };
    CViewSettings* settings = m_pSettings;
    int v = 0;
    float f = 0.0f;
    switch (record.code)
    {
        case 0:
            OnStop();
            break;
        case 1:
            OnStart();
            break;
        case 2:
            OnResetMeasurements();
            break;
        case 3:
            SetAnalyzerMode(0);
            break;
        case 4:
            WriteSpectrumDump();
            break;
        case 5:
            WriteRtmDump();
            break;
        case 6:
            SetAnalyzerMode(1);
            break;
        case 7:
            SetAnalyzerMode(2);
            break;
        case 8:
            SetAnalyzerMode(3);
            break;
        case 9:
            if (settings)
                settings->m_Axes.m_bLogX = 0;
            SetAnalyzerMode(4);
            break;
        case 11:
            SetAnalyzerMode(6);
            break;
        case 12:
        case 13:
            generator.m_mode = record.code == 12 ? kGenModeWhiteNoise : kGenModePinkNoise;
            generator.m_flags = kGenCommandRefresh;
            GeneratorSend();
            break;
        case 14:
            ResetViewFlags();
            break;
        case 15:
        {
            const std::filesystem::path folder = platform::ConfigFolder();
            std::error_code error;
            std::filesystem::create_directories(folder, error);
            if (!m_pWindow || !m_pWindow->SavePlotPicture((folder / kRemoteScreenshotName).string()))
                platform::DebugOutput("remote screenshot not written");
            break;
        }
        case 16:
            OnYAutoScale();
            break;
        case 10001:
        case 10002:
        case 10005:
        {
            if (!settings)
                break;
            int& target = record.code == 10001   ? settings->m_Axes.m_bLogX
                          : record.code == 10002 ? settings->m_Axes.m_bLogY
                                                 : settings->m_bEnableThd;
            const int value = record.IntArg(1) != 0 ? 1 : 0;
            if (target != value)
            {
                target = value;
                RestartDisplay();
            }
            break;
        }
        case 10004:
            generator.m_flags = 7;
            generator.m_output_on = record.IntArg(1) == 0 ? 1 : 0;
            if (EnsureGeneratorProgram(0) > 0)
                ApplyGeneratorSettings(generator);
            break;
        case 20000:
        {
            if (!intArg(1, v) || !IsPowerOfTwo(v) || v > kMaxFftSize || v == m_engine.m_nFftSize)
                break;
            // Within the buffers of the open input the size changes on the fly; above them the input
            // is opened again.
            m_engine.m_bProcessingEnabled.store(0);
            const bool onTheFly = m_engine.SetFftSize(v);
            if (onTheFly)
            {
                RestartDisplay();
                m_engine.m_bProcessingEnabled.store(1);
                break;
            }
            StopBoth();
            m_engine.SetFftSize(v);
            RestartAnalysis();
            restartIfRunning();
            break;
        }
        case 20001:
            if (!intArg(1, v) || v < 1 || v > kMaxMlsSize || !IsPowerOfTwo(static_cast<long long>(v) + 1) ||
                v == m_engine.m_nMlsLength)
                break;
            StopBoth();
            m_engine.m_nMlsLength = v;
            RestartAnalysis();
            restartIfRunning();
            break;
        case 20002:
        case 20003:
        case 20004:
        {
            const int low = record.code == 20004 ? 1 : 0;
            const int high = record.code == 20002   ? kMaxWindowType
                             : record.code == 20003 ? kMaxWeightType
                                                    : kMaxAverage;
            if (!intArg(1, v) || v < low || v > high)
                break;
            int& target = record.code == 20002   ? m_engine.m_nWindowType
                          : record.code == 20003 ? m_engine.m_nWeightingType
                                                 : m_engine.m_nAverageCount;
            if (target != v)
            {
                target = v;
                RestartAnalysis();
            }
            break;
        }
        case 20005:
            if (!intArg(1, v) || v < CSoundIn::kMinSampleRate || v > kMaxRemoteSampleRate)
                break;
            StopBoth();
            if (m_engine.m_nSampleRate != v)
            {
                m_engine.m_nSampleRate = v;
                RestartAnalysis();
            }
            restartIfRunning();
            break;
        case 20006:
            if (!floatArg(1, f, kMaxRemoteDb))
                break;
            m_engine.m_fCalibrationOffset = f;
            m_engine.m_dCalibrationGain = std::pow(10.0, 0.05 * f);
            m_engine.m_bCalibration = f != 0.0f ? 1 : 0;
            break;
        case 20007:
            if (!intArg(1, v) || v < 0 || v > 3)
                break;
            OnStop();
            if (m_engine.m_nChannelMode != v)
            {
                m_engine.m_nChannelMode = v;
                RestartAnalysis();
            }
            restartIfRunning();
            break;
        case 20008:
        case 20009:
        case 20013:
            if (!floatArg(1, f, kMaxGeneratorFrequency) || f < 0.0f)
                break;
            generator.m_frequency = f;
            generator.m_mode = record.code == 20008   ? kGenModeSine
                               : record.code == 20009 ? kGenModeRectangular
                                                      : kGenModeTriangular;
            generator.m_flags = 0;
            GeneratorSend();
            break;
        case 20010:
            if (!intArg(1, v) || v < 0 || v > kMaxMlsSize)
                break;
            generator.m_mode = kGenModeMls;
            generator.m_mls_length = v;
            generator.m_flags = kGenCommandRefresh;
            GeneratorSend();
            break;
        case 20011:
            if (!floatArg(1, f, kMaxRemoteDb))
                break;
            generator.m_flags = 4;
            generator.m_level = std::pow(10.0, 0.05 * f);
            generator.m_output_on = 1;
            GeneratorSend();
            break;
        case 20012:
            if (!floatArg(1, f, 1.0f))
                break;
            generator.m_flags = 2;
            generator.m_balance = f;
            GeneratorSend();
            break;
        case 20014:
        case 20015:
            // The sweeps are started by the sweep measurement, which this program does not offer yet.
            Refused(record, "not available: this program has no sweep measurement");
            break;
        case 20016:
            if (!intArg(1, v) || v == GetViewMode())
                break;
            SetViewMode(v);
            RestartView();
            break;
        case 20017:
            // Only the input modes the engine knows; the other platform's range would let an
            // unknown mode through.
            if (!intArg(1, v) || v < 0 || v >= CSoundIn::kInputModeCount)
                break;
            StopBoth();
            if (m_engine.m_nInputMode != v)
            {
                m_engine.m_nInputMode = v;
                RestartAnalysis();
            }
            restartIfRunning();
            break;
        case 20019:
        {
            if (!intArg(1, v) || v < 1 || v > kMaxSettingsFileNumber)
                break;
            const std::filesystem::path path = platform::ProgramFolder() / platform::FormatC("%i.ini", v);
            if (!FileExists(path))
                break;
            StopBoth();
            ReadSettingsFile(path.string());
            restartIfRunning();
            break;
        }
        case 20020:
        {
            if (!intArg(1, v) || v < 0 || v > kMaxRemoteChannel)
                break;
            const std::string folder = Frame() ? Frame()->GetDataFolder(kRemoteDataFolder) : std::string();
            if (folder.empty())
                break;
            const double rms = v < m_publishedRecord.m_nChannels
                                   ? m_publishedRecord.m_adRms[static_cast<std::size_t>(v)]
                                   : 0.0;
            const float level = static_cast<float>(rms > 0.0 ? 20.0 * std::log10(rms) : -400.0);
            WriteFloatList(std::filesystem::path(folder) / kRmsName, std::span<const float>(&level, 1));
            break;
        }
        case 30000:
        case 30001:
        {
            float low = 0.0f;
            float high = 0.0f;
            if (!settings || !floatArg(1, low, 1e30f) || !floatArg(2, high, 1e30f))
                break;
            if (record.code == 30000 && low < 0.0f)
                break;
            double& minimum = record.code == 30000 ? settings->m_Axes.m_dXMin : settings->m_Axes.m_dYMin;
            double& maximum = record.code == 30000 ? settings->m_Axes.m_dXMax : settings->m_Axes.m_dYMax;
            minimum = low;
            if (high > low)
            {
                maximum = high;
                RestartDisplay();
            }
            break;
        }
        case 40000:
        {
            float start = 0.0f;
            float stop = 0.0f;
            if (!intArg(1, v) || v < 1 || v > kRemoteMaxChirp ||
                !floatArg(2, start, kMaxGeneratorFrequency) || !floatArg(3, stop, kMaxGeneratorFrequency))
                break;
            generator.m_mode = kGenModeSweep;
            generator.m_chirp_length = v;
            generator.m_sweep_start = start;
            generator.m_sweep_stop = stop;
            generator.m_chirp_type = 0;
            generator.m_chirp_on = 1;
            generator.m_flags = kGenCommandRefresh;
            GeneratorSend();
            break;
        }
        case 100001:
            Refused(record, "not available: this program has no quick measurement report");
            break;
        case 100002:
            ClearAllOverlays();
            break;
        case 100003:
        {
            int slot = 0;
            int curve = 0;
            if (!intArg(1, slot) || !intArg(2, curve))
                break;
            if (slot < 0 || slot >= kOverlayPlots || curve < 0 || curve >= GetCurveCount())
            {
                Refused(record, "no such overlay slot or curve");
                break;
            }
            SetAsOverlay(slot, curve, -1, kDspNone, false, 0.0);
            RestartDisplay();
            break;
        }
        case 100004:
            if (!intArg(1, v))
                break;
            SetViewMode(v);
            RestartView();
            break;
        default:
            break;
    }
}

bool CSndView::WriteSpectrumText(std::FILE* file) const
{
    const int curves = std::min(m_pPlot->GetCurveCount(), 2);
    if (curves < 1)
        return false;
    const int points = GetCurvePointCount(0);
    for (int i = 0; i < points; ++i)
    {
        const double x = GetCurveXValue(0, i);
        if (curves == 1)
            std::fprintf(file, "%f %f\n", x, GetCurveDisplayValue(0, i));
        else
            std::fprintf(file, "%f Hz %f %f\n", x, GetCurveDisplayValue(0, i),
                         i < GetCurvePointCount(1) ? GetCurveDisplayValue(1, i) : 0.0);
    }
    return true;
}

void CSndView::WriteSpectrumDump()
{
    const std::filesystem::path path = platform::ConfigFolder() / kDumpName;
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return;
    const platform::CLocaleScope cLocale;
    WriteSpectrumText(file);
    std::fclose(file);
}

void CSndView::WriteRtmDump()
{
    const std::filesystem::path path = platform::ConfigFolder() / kDumpRtmName;
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return;
    if (m_nRingNewest >= 0)
    {
        const CReadoutRecord& entry = m_resultRing[static_cast<std::size_t>(m_nRingNewest)];
        const auto db = [](double ratio) { return ratio > 0.0 ? 20.0 * std::log10(ratio) : -400.0; };
        for (int c = 0; c < std::min(entry.m_nChannels, CReadoutRecord::kChannels); ++c)
        {
            const std::size_t i = static_cast<std::size_t>(c);
            std::fprintf(file, "%i\t%f\t%f\t%f\t%f\t%f\t%f\n", m_nRingNewest, db(entry.m_adRms[i]),
                         entry.m_adPeak[i], entry.m_adPeakPosition[i], entry.m_adInbandLevel[i],
                         db(entry.m_adThdN[i]), db(entry.m_adThd[i]));
        }
    }
    std::fclose(file);
}
