#include "engine/AudioInWave.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace
{
constexpr int kIdleWaitMs = 5;
constexpr int kReadTimeoutMs = 200;
constexpr int kDevicePeriods = 4;
}  // namespace

std::vector<platform::audio::PcmDeviceInfo> ListCaptureDevices()
{
    // The system's default capture device comes first: on a desktop it is the sound server's
    // (PipeWire, PulseAudio), and a new installation measures from it. "null" captures nothing
    // but silence and is no input.
    std::vector<platform::audio::PcmDeviceInfo> devices{{kDefaultCaptureDevice, "Default capture device"}};
    for (platform::audio::PcmDeviceInfo& device :
         platform::audio::ListPcmDevices(platform::audio::Direction::Capture))
        if (device.name != kDefaultCaptureDevice && device.name != "null")
            devices.push_back(std::move(device));
    return devices;
}

int EnumWaveInDevices(std::vector<std::string>& names)
{
    names.clear();
    for (const platform::audio::PcmDeviceInfo& device : ListCaptureDevices())
        names.push_back(device.description.empty() ? device.name
                                                   : device.description + " (" + device.name + ")");
    return static_cast<int>(names.size());
}

std::string GetWaveInDeviceName(const std::vector<std::string>& names, int& index)
{
    if (index < 0 || index >= static_cast<int>(names.size()))
    {
        index = -1;
        return {};
    }
    return names[static_cast<std::size_t>(index)];
}

CAudioIn_Wave::~CAudioIn_Wave()
{
    Close();
}

int CAudioIn_Wave::Open(const InputDeviceConfig& config, CInputBlockSink& sink)
{
    Close();
    m_nSampleRate = config.sampleRate;
    m_nBitsPerSample = 16;
    m_nChannels = config.channels;
    m_nDeviceId = config.deviceIndex;
    m_nFramesPerBuffer = config.bufferFrames;
    m_nBufferCount = config.bufferCount;
    m_pSink = &sink;
    if (Open() != 0)
        return -1;
    return Start();
}

int CAudioIn_Wave::Open()
{
    if (m_bOpen.load())
        return -1;
    m_strError.clear();
    if (m_nBitsPerSample != 16 || m_nChannels < 1 || m_nChannels > 64 || m_nFramesPerBuffer < 1 ||
        m_nFramesPerBuffer > kMaxBufferFrames || m_nSampleRate < 1 || !m_pSink)
    {
        m_strError = "The wave input cannot capture this format.";
        return -1;
    }
    m_nBufferCount = std::clamp(m_nBufferCount, 2, kMaxBufferCount);
    m_nBlockAlign = m_nChannels * m_nBitsPerSample / 8;
    m_nBufferBytes = m_nFramesPerBuffer * m_nBlockAlign;

    m_bNoDevice = false;
    std::string device = m_strDeviceName;
    std::size_t deviceCount = 0;
    if (device.empty())
    {
        const auto devices = ListCaptureDevices();
        deviceCount = devices.size();
        if (m_nDeviceId < 0 || m_nDeviceId >= static_cast<int>(devices.size()))
        {
            m_strError = "The audio input device " + std::to_string(m_nDeviceId) + " is not present.";
            return -1;
        }
        device = devices[static_cast<std::size_t>(m_nDeviceId)].name;
    }
    m_strOpenedDevice = device;
    try
    {
        m_buffers.assign(static_cast<std::size_t>(m_nBufferCount) * static_cast<std::size_t>(m_nBufferBytes),
                         0);
        m_scratch.assign(static_cast<std::size_t>(m_nBufferBytes), 0);
        m_filled.assign(static_cast<std::size_t>(m_nBufferCount), Filled{});
        m_free.assign(static_cast<std::size_t>(m_nBufferCount), 0);
    }
    catch (const std::bad_alloc&)
    {
        m_strError = "There is not enough memory for the input buffers.";
        m_buffers = {};
        return -1;
    }
    platform::audio::PcmConfig config;
    config.device = device;
    config.direction = platform::audio::Direction::Capture;
    config.sampleRate = m_nSampleRate;
    config.channels = m_nChannels;
    config.format = platform::audio::SampleFormat::S16;
    config.periodFrames = m_nFramesPerBuffer;
    config.periods = kDevicePeriods;
    if (m_pcm.Open(config) != 0)
    {
        m_strError = m_pcm.GetLastError();
        // The default device that cannot open, with no other device listed: there is no input.
        m_bNoDevice = m_strDeviceName.empty() && device == kDefaultCaptureDevice && deviceCount <= 1;
        m_buffers = {};
        m_scratch = {};
        return -1;
    }
    {
        std::lock_guard lock(m_lock);
        m_nFilledHead = 0;
        m_nFilledCount = 0;
        m_nFreeHead = 0;
        m_nFreeCount = static_cast<std::size_t>(m_nBufferCount);
        for (int i = 0; i < m_nBufferCount; ++i)
            m_free[static_cast<std::size_t>(i)] = i;
        m_bDelivering = false;
    }
    m_nOverruns.store(0);
    m_nDropped.store(0);
    m_bCaptureQuit.store(false);
    m_nWorkerState.store(0);
    m_bRunning.store(0);
    m_bOpen.store(1);
    m_captureThread = std::thread([this] { CaptureThread(); });
    m_workerThread = std::thread([this] { WorkerThread(); });
    return 0;
}

int CAudioIn_Wave::Start()
{
    if (!m_bOpen.load() || m_bRunning.load())
        return -1;
    std::lock_guard lock(m_lock);
    m_bRunning.store(1);
    m_wake.notify_all();
    return 0;
}

int CAudioIn_Wave::Stop()
{
    if (!m_bOpen.load())
        return -1;
    m_bRunning.store(0);
    std::unique_lock lock(m_lock);
    m_wake.notify_all();
    m_wake.wait(lock, [this] { return !m_bDelivering; });
    return 0;
}

void CAudioIn_Wave::CaptureThread()
{
    int fill = -1;
    int fillBytes = 0;
    bool streaming = false;
    auto pushFilled = [&]
    {
        std::lock_guard lock(m_lock);
        if (fillBytes > 0)
        {
            m_filled[(m_nFilledHead + m_nFilledCount) % m_filled.size()] = {fill, fillBytes};
            ++m_nFilledCount;
        }
        else
        {
            m_free[(m_nFreeHead + m_nFreeCount) % m_free.size()] = fill;
            ++m_nFreeCount;
        }
        m_wake.notify_all();
        fill = -1;
        fillBytes = 0;
    };
    while (!m_bCaptureQuit.load())
    {
        if (!m_bRunning.load())
        {
            if (streaming)
            {
                m_pcm.Stop();
                streaming = false;
                // The partly filled buffer is queued as it is, like a device returns it at a stop.
                if (fill >= 0)
                    pushFilled();
            }
            std::unique_lock lock(m_lock);
            m_wake.wait_for(lock, std::chrono::milliseconds(kIdleWaitMs),
                            [this] { return m_bCaptureQuit.load() || m_bRunning.load(); });
            continue;
        }
        if (!streaming)
        {
            if (m_pcm.Start() != 0)
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(kReadTimeoutMs));
                continue;
            }
            streaming = true;
        }
        if (fill < 0)
        {
            std::lock_guard lock(m_lock);
            if (m_nFreeCount > 0)
            {
                fill = m_free[m_nFreeHead];
                m_nFreeHead = (m_nFreeHead + 1) % m_free.size();
                --m_nFreeCount;
                fillBytes = 0;
            }
        }
        std::uint8_t* target =
            fill >= 0 ? m_buffers.data() + static_cast<std::size_t>(fill) * m_nBufferBytes + fillBytes
                      : m_scratch.data();
        const long frames = fill >= 0 ? (m_nBufferBytes - fillBytes) / m_nBlockAlign : m_nFramesPerBuffer;
        const long got = m_pcm.Read(target, frames, kReadTimeoutMs);
        m_nOverruns.store(m_pcm.Xruns());
        if (got < 0)
        {
            // The device has failed and could not be recovered: no busy loop while it stays so.
            std::this_thread::sleep_for(std::chrono::milliseconds(kReadTimeoutMs));
            continue;
        }
        if (fill < 0)
        {
            if (got > 0)
                m_nDropped.fetch_add(1);
            continue;
        }
        fillBytes += static_cast<int>(got) * m_nBlockAlign;
        if (fillBytes >= m_nBufferBytes)
            pushFilled();
    }
    if (streaming)
        m_pcm.Stop();
    if (fill >= 0)
    {
        fillBytes = 0;
        pushFilled();
    }
}

void CAudioIn_Wave::WorkerThread()
{
    std::unique_lock lock(m_lock);
    while (m_nWorkerState.load() == 0)
    {
        m_wake.wait_for(lock, std::chrono::milliseconds(kWorkerWaitMs),
                        [this]
                        { return m_nWorkerState.load() != 0 || (m_bRunning.load() && m_nFilledCount > 0); });
        while (m_nFilledCount > 0)
        {
            // After a stop the filled buffers wait, oldest first, for the next start.
            if (m_nWorkerState.load() != 0 || !m_bRunning.load())
                break;
            const Filled entry = m_filled[m_nFilledHead];
            m_nFilledHead = (m_nFilledHead + 1) % m_filled.size();
            --m_nFilledCount;
            m_bDelivering = true;
            lock.unlock();
            const auto* samples = reinterpret_cast<const std::int16_t*>(
                m_buffers.data() + static_cast<std::size_t>(entry.index) * m_nBufferBytes);
            m_pSink->OnPcm16Block(
                std::span<const std::int16_t>(samples, static_cast<std::size_t>(entry.bytes) / 2));
            lock.lock();
            m_bDelivering = false;
            m_free[(m_nFreeHead + m_nFreeCount) % m_free.size()] = entry.index;
            ++m_nFreeCount;
            m_wake.notify_all();
        }
    }
    m_nWorkerState.store(-1);
}

void CAudioIn_Wave::JoinThreads()
{
    {
        std::lock_guard lock(m_lock);
        m_nWorkerState.store(1);
        m_bCaptureQuit.store(true);
        m_wake.notify_all();
    }
    if (m_workerThread.joinable())
        m_workerThread.join();
    if (m_captureThread.joinable())
        m_captureThread.join();
}

void CAudioIn_Wave::Close()
{
    if (!m_bOpen.load())
        return;
    m_bRunning.store(0);
    JoinThreads();
    m_pcm.Close();
    m_buffers = {};
    m_scratch = {};
    m_bOpen.store(0);
}
