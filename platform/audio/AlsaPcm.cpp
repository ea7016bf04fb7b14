#include "platform/audio/AlsaPcm.h"

#include "platform/Debug.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace platform::audio
{

namespace
{
snd_pcm_format_t AlsaFormat(SampleFormat format)
{
    switch (format)
    {
        case SampleFormat::S16:
            return SND_PCM_FORMAT_S16_LE;
        case SampleFormat::S24In3:
            return SND_PCM_FORMAT_S24_3LE;
        case SampleFormat::S32:
            return SND_PCM_FORMAT_S32_LE;
        case SampleFormat::Float:
            return SND_PCM_FORMAT_FLOAT_LE;
    }
    return SND_PCM_FORMAT_S16_LE;
}

const char* FormatName(SampleFormat format)
{
    switch (format)
    {
        case SampleFormat::S16:
            return "16-bit";
        case SampleFormat::S24In3:
            return "24-bit";
        case SampleFormat::S32:
            return "32-bit";
        case SampleFormat::Float:
            return "32-bit float";
    }
    return "";
}

// ALSA writes its own diagnostics to standard error; they belong to the debug output, and the
// user gets our plain message instead.
void AlsaDiagnostic(const char* file, int line, const char* function, int error, const char* format, ...)
{
    char text[400];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    platform::DebugOutput("ALSA %s:%d %s: %s (%d)", file ? file : "", line, function ? function : "", text,
                          error);
}

void RouteDiagnostics()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(AlsaDiagnostic); });
}

std::string FirstLine(const char* text)
{
    std::string line = text ? text : "";
    const std::size_t end = line.find('\n');
    return end == std::string::npos ? line : line.substr(0, end);
}
}  // namespace

int SampleBytes(SampleFormat format)
{
    switch (format)
    {
        case SampleFormat::S16:
            return 2;
        case SampleFormat::S24In3:
            return 3;
        case SampleFormat::S32:
        case SampleFormat::Float:
            return 4;
    }
    return 2;
}

std::vector<PcmDeviceInfo> ListPcmDevices(Direction direction)
{
    std::vector<PcmDeviceInfo> devices;
    RouteDiagnostics();
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints)
        return devices;
    const char* wanted = direction == Direction::Capture ? "Input" : "Output";
    for (void** hint = hints; *hint; ++hint)
    {
        char* name = snd_device_name_get_hint(*hint, "NAME");
        char* description = snd_device_name_get_hint(*hint, "DESC");
        char* io = snd_device_name_get_hint(*hint, "IOID");
        // No IOID: the device does both directions.
        if (name && (!io || std::string(io) == wanted))
            devices.push_back({name, FirstLine(description)});
        std::free(name);
        std::free(description);
        std::free(io);
    }
    snd_device_name_free_hint(hints);
    return devices;
}

AlsaPcm::~AlsaPcm()
{
    Close();
}

void AlsaPcm::SetError(const std::string& what, int error)
{
    const std::string device = "The audio device \"" + m_config.device + "\" ";
    switch (-error)
    {
        case EBUSY:
        case EAGAIN:
            m_strError = device + "is busy: another program is using it.";
            break;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            m_strError = device + "is not present.";
            break;
        default:
            m_strError = device + what + " (" + snd_strerror(error) + ").";
            break;
    }
}

int AlsaPcm::Open(const PcmConfig& config)
{
    Close();
    RouteDiagnostics();
    m_config = config;
    m_strError.clear();
    m_nXruns = 0;
    m_bClocked = false;
    m_bPaceStarted = false;
    if (config.channels < 1 || config.sampleRate < 1 || config.periodFrames < 1 || config.periods < 2)
    {
        m_strError = "The audio device \"" + config.device + "\" cannot be opened with this format.";
        return -1;
    }
    const snd_pcm_stream_t stream =
        config.direction == Direction::Capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK;
    // Non-blocking, so that a busy device is an answer instead of a wait, and so that no read or
    // write can hang a worker that has been asked to stop.
    int error = snd_pcm_open(&m_pcm, config.device.c_str(), stream, SND_PCM_NONBLOCK);
    if (error < 0)
    {
        m_pcm = nullptr;
        SetError("cannot be opened", error);
        return -1;
    }
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    snd_pcm_hw_params_any(m_pcm, hw);
    unsigned rate = static_cast<unsigned>(config.sampleRate);
    snd_pcm_uframes_t period = static_cast<snd_pcm_uframes_t>(config.periodFrames);
    snd_pcm_uframes_t buffer = period * static_cast<snd_pcm_uframes_t>(config.periods);
    const std::string format = std::to_string(config.channels) + " channels of " + FormatName(config.format) +
                               " samples at " + std::to_string(config.sampleRate) + " Hz";
    if ((error = snd_pcm_hw_params_set_access(m_pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (error = snd_pcm_hw_params_set_format(m_pcm, hw, AlsaFormat(config.format))) < 0 ||
        (error = snd_pcm_hw_params_set_channels(m_pcm, hw, static_cast<unsigned>(config.channels))) < 0 ||
        (error = snd_pcm_hw_params_set_rate(m_pcm, hw, rate, 0)) < 0)
    {
        SetError("does not take " + format, error);
        Close();
        return -1;
    }
    snd_pcm_hw_params_set_period_size_near(m_pcm, hw, &period, nullptr);
    snd_pcm_hw_params_set_buffer_size_near(m_pcm, hw, &buffer);
    if ((error = snd_pcm_hw_params(m_pcm, hw)) < 0)
    {
        SetError("does not take " + format, error);
        Close();
        return -1;
    }
    snd_pcm_hw_params_get_period_size(hw, &period, nullptr);
    snd_pcm_hw_params_get_buffer_size(hw, &buffer);
    m_nPeriodFrames = static_cast<int>(period);
    m_nBufferFrames = static_cast<int>(buffer);
    m_nFrameBytes = config.channels * SampleBytes(config.format);

    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    snd_pcm_sw_params_current(m_pcm, sw);
    snd_pcm_sw_params_set_avail_min(m_pcm, sw, period);
    if (config.direction == Direction::Playback)
        snd_pcm_sw_params_set_start_threshold(m_pcm, sw, period);
    if ((error = snd_pcm_sw_params(m_pcm, sw)) < 0 || (error = snd_pcm_prepare(m_pcm)) < 0)
    {
        SetError("cannot be prepared", error);
        Close();
        return -1;
    }
    return 0;
}

void AlsaPcm::Close()
{
    if (m_pcm)
    {
        snd_pcm_drop(m_pcm);
        snd_pcm_close(m_pcm);
    }
    m_pcm = nullptr;
}

int AlsaPcm::Start()
{
    if (!m_pcm)
        return -1;
    m_bPaceStarted = false;
    const snd_pcm_state_t state = snd_pcm_state(m_pcm);
    if (state != SND_PCM_STATE_PREPARED)
        snd_pcm_prepare(m_pcm);
    if (m_config.direction == Direction::Capture)
    {
        const int error = snd_pcm_start(m_pcm);
        if (error < 0)
        {
            SetError("cannot be started", error);
            return -1;
        }
    }
    return 0;
}

void AlsaPcm::Stop()
{
    if (!m_pcm)
        return;
    snd_pcm_drop(m_pcm);
    snd_pcm_prepare(m_pcm);
    m_bPaceStarted = false;
}

bool AlsaPcm::Recover(int error)
{
    if (error == -EPIPE)
        ++m_nXruns;
    if (snd_pcm_recover(m_pcm, error, 1) < 0)
    {
        SetError("has failed", error);
        return false;
    }
    if (m_config.direction == Direction::Capture)
        snd_pcm_start(m_pcm);
    return true;
}

void AlsaPcm::Pace(long frames)
{
    if (m_bClocked)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!m_bPaceStarted)
    {
        m_bPaceStarted = true;
        m_paceStart = now;
        m_nPacedFrames = 0;
    }
    m_nPacedFrames += frames;
    // Playback may run one buffer ahead of the clock; capture delivers a frame only once its time
    // has come.
    const std::int64_t lead = m_config.direction == Direction::Playback ? m_nBufferFrames : 0;
    const std::int64_t due = std::max<std::int64_t>(m_nPacedFrames - lead, 0);
    const auto target = m_paceStart + std::chrono::microseconds(due * 1000000 / m_config.sampleRate);
    if (target > now)
        std::this_thread::sleep_until(target);
}

long AlsaPcm::Available()
{
    if (!m_pcm)
        return -1;
    snd_pcm_sframes_t available = snd_pcm_avail(m_pcm);
    if (available < 0)
    {
        if (!Recover(static_cast<int>(available)))
            return -1;
        available = snd_pcm_avail(m_pcm);
    }
    return static_cast<long>(available);
}

int AlsaPcm::WaitReady(long frames, int timeoutMs)
{
    const long available = Available();
    if (available < 0)
        return -1;
    if (available < std::min<long>(frames, m_nPeriodFrames))
    {
        // A device that ever makes us wait keeps its own clock and is not paced.
        m_bClocked = true;
        const int ready = snd_pcm_wait(m_pcm, timeoutMs);
        if (ready == 0)
            return 0;
        if (ready < 0 && !Recover(ready))
            return -1;
    }
    return 1;
}

long AlsaPcm::Read(void* data, long frames, int timeoutMs)
{
    if (!m_pcm || frames <= 0)
        return -1;
    if (const int ready = WaitReady(frames, timeoutMs); ready <= 0)
        return ready;
    // Devices without hardware (the "null" device, a `file` device past the end of its input)
    // return frames without writing them: they must read as silence, not as the last block.
    std::memset(data, 0, static_cast<std::size_t>(frames) * static_cast<std::size_t>(m_nFrameBytes));
    snd_pcm_sframes_t got = snd_pcm_readi(m_pcm, data, static_cast<snd_pcm_uframes_t>(frames));
    if (got == -EAGAIN)
        return 0;
    if (got < 0)
        return Recover(static_cast<int>(got)) ? 0 : -1;
    Pace(static_cast<long>(got));
    return static_cast<long>(got);
}

long AlsaPcm::Write(const void* data, long frames, int timeoutMs)
{
    if (!m_pcm || frames <= 0)
        return -1;
    if (const int ready = WaitReady(frames, timeoutMs); ready <= 0)
        return ready;
    snd_pcm_sframes_t put = snd_pcm_writei(m_pcm, data, static_cast<snd_pcm_uframes_t>(frames));
    if (put == -EAGAIN)
        return 0;
    if (put < 0)
        return Recover(static_cast<int>(put)) ? 0 : -1;
    Pace(static_cast<long>(put));
    return static_cast<long>(put);
}

void AlsaPcm::Drain(int timeoutMs)
{
    if (!m_pcm)
        return;
    // The stream is non-blocking: wait for the queue to empty ourselves, within the bound.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end)
    {
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_state(m_pcm) != SND_PCM_STATE_RUNNING || snd_pcm_delay(m_pcm, &delay) < 0 || delay <= 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    snd_pcm_drop(m_pcm);
    snd_pcm_prepare(m_pcm);
}

}  // namespace platform::audio
