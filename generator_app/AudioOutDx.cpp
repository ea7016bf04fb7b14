#include "generator_app/AudioOutDx.h"

#include <algorithm>
#include <cstring>

using platform::audio::AlsaPcm;
using platform::audio::Direction;
using platform::audio::PcmConfig;
using platform::audio::SampleFormat;

CAudioOut_DX::CAudioOut_DX()
{
    m_devices.push_back({kDefaultDevice, "Default output device"});
    for (platform::audio::PcmDeviceInfo& device : platform::audio::ListPcmDevices(Direction::Playback))
    {
        if (static_cast<int>(m_devices.size()) >= kMaxDevices)
            break;
        if (device.name != kDefaultDevice)
            m_devices.push_back(std::move(device));
    }
    m_nDevices = static_cast<int>(m_devices.size());
}

int CAudioOut_DX::Create()
{
    if (m_bCreated)
        return 1;
    if (m_nDevice < 0 || m_nDevice >= m_nDevices)
        return -1;
    m_nChosen = m_nDevice;
    m_bCreated = true;
    return 1;
}

void CAudioOut_DX::Release()
{
    m_bCreated = false;
}

CAudioOut_DXStream::~CAudioOut_DXStream()
{
    Close();
}

int CAudioOut_DXStream::Open(FillFunction fill, CAudioOut_DX* device, void* context)
{
    Close();
    m_strError.clear();
    m_pDevice = device;
    if (device == nullptr || !device->IsCreated() || fill == nullptr)
    {
        m_strError = "No output device is chosen.";
        return 0;
    }
    // The ring holds 200 ms of the format as copied in.
    const unsigned rate = m_format.samplesPerSec;
    const unsigned ringFrames = static_cast<unsigned>(static_cast<std::uint64_t>(rate) * kBufferMs / 1000u);
    const int channels = std::max<int>(1, m_format.channels);
    // The generator's own container: 32-bit samples stay 32-bit, everything else is 16-bit.
    const bool bits32 = m_format.bitsPerSample > 16 || m_bMoreThan16Bits != 0;
    m_format.bitsPerSample = bits32 ? 32 : 16;
    m_format.validBitsPerSample = bits32 ? static_cast<std::uint16_t>(std::clamp(m_nSampleBits, 1, 32)) : 16;
    m_format.blockAlign = static_cast<std::uint16_t>(channels * (bits32 ? 4 : 2));
    m_format.avgBytesPerSec = rate * m_format.blockAlign;
    m_format.formatTag = channels > 2 ? kWaveFormatExtensible : kWaveFormatPcm;
    m_format.extraSize = 22;
    m_format.channelMask = kFiveChannelMask;
    m_nFrameBytes = m_format.blockAlign;
    m_nRingBytes = static_cast<int>(ringFrames) * m_nFrameBytes;

    PcmConfig config;
    config.device = device->GetDeviceName();
    config.direction = Direction::Playback;
    config.sampleRate = static_cast<int>(rate);
    config.channels = channels;
    config.format = bits32 ? SampleFormat::S32 : SampleFormat::S16;
    config.periodFrames = std::max(1, static_cast<int>(rate * kTimerPeriodMs / 1000));
    config.periods =
        std::max(2, static_cast<int>((ringFrames + config.periodFrames / 2) / config.periodFrames));
    if (ringFrames == 0 || m_pcm.Open(config) != 0)
    {
        m_strError = ringFrames == 0 ? "The sample rate is too low for the output." : m_pcm.GetLastError();
        return 0;
    }
    // Room for one ring or the device's whole buffer, whichever is larger: a tick never asks more.
    const std::size_t frames =
        std::max<std::size_t>(ringFrames, static_cast<std::size_t>(m_pcm.BufferFrames()));
    m_buffer.assign(frames * static_cast<std::size_t>(m_nFrameBytes), 0);
    m_fill = fill;
    m_pContext = context;
    return 1;
}

int CAudioOut_DXStream::Start()
{
    if (!m_pcm.IsOpen())
        return 0;
    if (m_bRunning.load())
        Stop();
    if (m_pcm.Start() != 0)
    {
        m_strError = m_pcm.GetLastError();
        return 0;
    }
    // The ring starts silent: one ring of silence goes first, so that about 200 ms stay queued.
    std::fill(m_buffer.begin(), m_buffer.end(), 0);
    long left = std::min<long>(m_nRingBytes / m_nFrameBytes, m_pcm.BufferFrames());
    while (left > 0)
    {
        const long put = m_pcm.Write(m_buffer.data(), left, 100);
        if (put < 0)
        {
            m_strError = m_pcm.GetLastError();
            m_pcm.Stop();
            return 0;
        }
        if (put == 0)
            break;
        left -= put;
    }
    m_startTime = std::chrono::steady_clock::now();
    m_nGuard.store(0);
    {
        std::lock_guard lock(m_mutex);
        m_bStopRequested = false;
    }
    m_bRunning.store(true);
    m_thread = std::thread([this] { RefillThread(); });
    return 1;
}

void CAudioOut_DXStream::RefillThread()
{
    std::unique_lock lock(m_mutex);
    while (!m_bStopRequested)
    {
        lock.unlock();
        OnTimer();
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(kTimerPeriodMs), [this] { return m_bStopRequested; });
    }
}

int CAudioOut_DXStream::Stop()
{
    if (!m_bRunning.load() && !m_thread.joinable())
        return 0;
    {
        std::lock_guard lock(m_mutex);
        m_bStopRequested = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
    m_pcm.Stop();
    m_nUnderruns.store(m_pcm.Xruns());
    m_bRunning.store(false);
    return 1;
}

void CAudioOut_DXStream::Close()
{
    Stop();
    m_pcm.Close();
    m_fill = nullptr;
}

int CAudioOut_DXStream::GetWritableBytes()
{
    const long frames = m_pcm.Available();
    if (frames <= 0)
        return 0;
    const long limit = static_cast<long>(m_buffer.size()) / m_nFrameBytes;
    return static_cast<int>(std::min(frames, limit)) * m_nFrameBytes;
}

bool CAudioOut_DXStream::Fill(int bytes)
{
    if (m_fill == nullptr || bytes <= 0 || bytes > static_cast<int>(m_buffer.size()))
        return false;
    bytes -= bytes % m_nFrameBytes;
    std::memset(m_buffer.data(), 0, static_cast<std::size_t>(bytes));
    if (m_fill(m_buffer.data(), bytes, m_pContext) != bytes)
        return false;
    long left = bytes / m_nFrameBytes;
    const std::uint8_t* data = m_buffer.data();
    while (left > 0)
    {
        // What the device said it takes goes in whole; a stop request ends the wait.
        const long put = m_pcm.Write(data, left, kTimerPeriodMs);
        if (put < 0)
            return false;
        if (put == 0)
        {
            std::lock_guard lock(m_mutex);
            if (m_bStopRequested)
                return false;
            continue;
        }
        left -= put;
        data += put * m_nFrameBytes;
    }
    m_nUnderruns.store(m_pcm.Xruns());
    return true;
}

int CAudioOut_DXStream::OnTimer()
{
    if (m_nGuard.exchange(1) == 1)
        return 0;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_startTime);
    if (elapsed.count() >= m_nRunLimitMs)
    {
        // The run-time limit: the thread ends itself; Stop joins it later.
        std::lock_guard lock(m_mutex);
        m_bStopRequested = true;
        m_nGuard.store(0);
        return 0;
    }
    const int n = GetWritableBytes();
    const bool filled = n > 0 && Fill(n);
    m_nGuard.store(0);
    return filled ? 1 : 0;
}
