#include "engine/AudioInDx.h"

#include "platform/Debug.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace
{
constexpr int kReadTimeoutMs = 200;
constexpr int kDevicePeriods = 4;
}  // namespace

CAudioIn_DX::~CAudioIn_DX()
{
    CloseCapture();
}

void CAudioIn_DX::ComputeSizes(std::uint32_t bytesPerSecond, std::uint32_t blockAlign,
                               std::uint32_t& notifySize, std::uint32_t& bufferSize)
{
    notifySize = std::max(bytesPerSecond / kSegments, kMinNotifyBytes);
    if (blockAlign > 0)
        notifySize -= notifySize % blockAlign;
    bufferSize = kSegments * notifySize;
}

int CAudioIn_DX::StoreDevices(const std::vector<platform::audio::PcmDeviceInfo>& devices)
{
    m_devices.clear();
    for (const platform::audio::PcmDeviceInfo& device : devices)
    {
        // The primary device has no identity of its own: it only stands for one of the others.
        if (device.name == "default")
            continue;
        if (static_cast<int>(m_devices.size()) >= kMaxDevices)
            continue;
        const std::size_t colon = device.name.find(':');
        m_devices.push_back({device.name, device.description, device.name.substr(0, colon)});
    }
    m_nDeviceCount = static_cast<int>(m_devices.size());
    return m_nDeviceCount;
}

int CAudioIn_DX::scanDevices()
{
    StoreDevices(platform::audio::ListPcmDevices(platform::audio::Direction::Capture));
    platform::DebugOutput("CAudioIn_DX::scanDevices()\n");
    for (std::size_t i = 0; i < m_devices.size(); ++i)
        platform::DebugOutput("#%i %s %s\n", static_cast<int>(i), m_devices[i].description.c_str(),
                              m_devices[i].module.c_str());
    return m_nDeviceCount;
}

int CAudioIn_DX::Open(const InputDeviceConfig& config, CInputBlockSink& sink)
{
    CloseCapture();
    m_nSampleRate = config.sampleRate;
    // The engine takes these blocks as 16-bit samples, whatever its resolution setting says.
    m_nBitsPerSample = 16;
    m_nChannels = config.channels;
    m_nDeviceIndex = config.deviceIndex;
    m_nFramesPerBlock = config.bufferFrames;
    m_pSink = &sink;
    if (Open() != 0)
        return -1;
    return Start();
}

int CAudioIn_DX::Open()
{
    m_strError.clear();
    if (m_bOpen.load())
        return 0;
    if (m_nChannels < 1 || m_nChannels > 64 || m_nSampleRate < 1 || m_nFramesPerBlock < 1)
    {
        m_strError = "The capture device cannot capture this format.";
        return -1;
    }
    scanDevices();
    m_nBlockAlign = m_nBitsPerSample * m_nChannels / 8;
    std::string device = m_strDeviceName;
    if (device.empty())
    {
        if (m_nDeviceIndex < 0 || m_nDeviceIndex >= m_nDeviceCount)
        {
            m_strError = "The capture device " + std::to_string(m_nDeviceIndex) + " is not present.";
            return -1;
        }
        device = m_devices[static_cast<std::size_t>(m_nDeviceIndex)].name;
    }
    std::uint32_t notify = 0;
    std::uint32_t buffer = 0;
    ComputeSizes(static_cast<std::uint32_t>(m_nSampleRate) * static_cast<std::uint32_t>(m_nBlockAlign),
                 static_cast<std::uint32_t>(m_nBlockAlign), notify, buffer);
    platform::audio::PcmConfig config;
    config.device = device;
    config.direction = platform::audio::Direction::Capture;
    config.sampleRate = m_nSampleRate;
    config.channels = m_nChannels;
    config.format = platform::audio::SampleFormat::S16;
    config.periodFrames = static_cast<int>(notify) / m_nBlockAlign;
    config.periods = kDevicePeriods;
    if (m_pcm.Open(config) != 0)
    {
        m_strError = m_pcm.GetLastError();
        return -1;
    }
    m_event.Reset();
    m_nThreadState.store(0);
    m_fillThread = std::thread([this] { FillThread(); });
    m_bOpen.store(1);
    return 0;
}

int CAudioIn_DX::CreateCaptureBuffer()
{
    ComputeSizes(static_cast<std::uint32_t>(m_nSampleRate) * static_cast<std::uint32_t>(m_nBlockAlign),
                 static_cast<std::uint32_t>(m_nBlockAlign), m_nNotifySize, m_nBufferSize);
    try
    {
        m_buffer.assign(m_nBufferSize, 0);
    }
    catch (const std::bad_alloc&)
    {
        m_strError = "There is not enough memory for the capture buffer.";
        return -1;
    }
    m_nNextReadOffset = 0;
    m_nReadTotal = 0;
    m_nCapturedTotal.store(0);
    m_notifyPositions.resize(kSegments);
    for (int i = 0; i < kSegments; ++i)
        m_notifyPositions[static_cast<std::size_t>(i)] =
            m_nNotifySize * static_cast<std::uint32_t>(i + 1) - 1;
    return 0;
}

int CAudioIn_DX::Start()
{
    // Without a device there is nothing to start.
    if (!m_bOpen.load())
        return -1;
    if (m_bRunning.load())
        return 0;
    std::lock_guard lock(m_readOut);
    if (CreateCaptureBuffer() != 0)
        return -1;
    m_bCapture.store(true);
    m_captureThread = std::thread([this] { CaptureThread(); });
    m_bRunning.store(1);
    return 0;
}

void CAudioIn_DX::CaptureThread()
{
    if (m_pcm.Start() != 0)
        return;
    std::uint32_t filled = 0;  // bytes of the current segment
    while (m_bCapture.load())
    {
        const std::uint32_t segmentStart =
            static_cast<std::uint32_t>(m_nCapturedTotal.load() % static_cast<std::int64_t>(m_nBufferSize));
        const long frames =
            static_cast<long>((m_nNotifySize - filled) / static_cast<std::uint32_t>(m_nBlockAlign));
        const long got = m_pcm.Read(m_buffer.data() + segmentStart + filled, frames, kReadTimeoutMs);
        if (got < 0)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(kReadTimeoutMs));
            continue;
        }
        filled += static_cast<std::uint32_t>(got) * static_cast<std::uint32_t>(m_nBlockAlign);
        if (filled >= m_nNotifySize)
        {
            filled = 0;
            m_nCapturedTotal.fetch_add(m_nNotifySize);
            m_event.Set();
        }
    }
    m_pcm.Stop();
}

void CAudioIn_DX::StopCapture()
{
    m_bCapture.store(false);
    if (m_captureThread.joinable())
        m_captureThread.join();
}

int CAudioIn_DX::ReadOut()
{
    if (m_buffer.empty() || m_nBufferSize == 0)
        return 1;
    const std::int64_t captured = m_nCapturedTotal.load();
    std::int64_t length = captured - m_nReadTotal;
    // The device writes on into the segment after the read position: what lies further back than
    // the rest of the buffer has been overwritten and is lost.
    const std::int64_t valid = static_cast<std::int64_t>(m_nBufferSize) - m_nNotifySize;
    if (length > valid)
    {
        const std::int64_t skip = length - valid;
        m_nLostBytes.fetch_add(skip);
        m_nReadTotal += skip;
        m_nNextReadOffset = static_cast<std::uint32_t>((m_nNextReadOffset + skip) % m_nBufferSize);
        length = valid;
    }
    length -= length % m_nNotifySize;
    if (length <= 0)
        return 1;
    const auto first = static_cast<std::uint32_t>(
        std::min<std::int64_t>(length, static_cast<std::int64_t>(m_nBufferSize) - m_nNextReadOffset));
    const auto second = static_cast<std::uint32_t>(length - first);
    writeSamples(m_buffer.data() + m_nNextReadOffset, first);
    if (second > 0)
        writeSamples(m_buffer.data(), second);
    m_nReadTotal += length;
    return 0;
}

int CAudioIn_DX::writeSamples(const std::uint8_t* bytes, std::uint32_t size)
{
    platform::DebugOutput("CAudioIn_DX::writeSamples  %i bytes\n", static_cast<int>(size));
    const std::uint32_t block =
        static_cast<std::uint32_t>(m_nBlockAlign) * static_cast<std::uint32_t>(m_nFramesPerBlock);
    while (size > 0)
    {
        const std::uint32_t piece = std::min(size, block);
        platform::DebugOutput("Writing %i samples\n", static_cast<int>(piece) / m_nBlockAlign);
        if (m_nThreadState.load() == 0 && m_pSink)
        {
            platform::DebugOutput("CAudioIn_DX::writeSamples bufferCallback %p %i bytes\n",
                                  static_cast<const void*>(bytes), static_cast<int>(piece));
            m_pSink->OnPcm16Block(
                std::span<const std::int16_t>(reinterpret_cast<const std::int16_t*>(bytes), piece / 2));
        }
        if (m_nBufferSize > 0)
            m_nNextReadOffset = (m_nNextReadOffset + piece) % m_nBufferSize;
        bytes += piece;
        size -= piece;
    }
    return 0;
}

void CAudioIn_DX::FillThread()
{
    platform::DebugOutput("DX fill thread started\n");
    while (m_nThreadState.load() == 0)
    {
        if (m_event.Wait(kFillWaitMs))
        {
            // Pause and Close read out themselves; the fill thread never waits for them.
            std::unique_lock lock(m_readOut, std::try_to_lock);
            if (lock.owns_lock() && m_nThreadState.load() == 0)
                ReadOut();
        }
        else
            platform::DebugOutput("Wait Time out");
    }
    m_nThreadState.store(-1);
    platform::DebugOutput("DX fill thread close\n");
}

int CAudioIn_DX::PauseCapture()
{
    if (!m_bRunning.load())
        return 0;
    StopCapture();
    std::lock_guard lock(m_readOut);
    ReadOut();
    m_bRunning.store(0);
    return 0;
}

int CAudioIn_DX::CloseCapture()
{
    platform::DebugOutput("DX close\n");
    if (!m_bOpen.load())
        return 0;
    m_nThreadState.store(1);
    m_event.Set();
    platform::DebugOutput("DX closed waiting for thread to terminate\n");
    if (m_fillThread.joinable())
        m_fillThread.join();
    platform::DebugOutput("DX closed thread terminated\n");
    StopCapture();
    {
        std::lock_guard lock(m_readOut);
        ReadOut();  // the thread state is no longer 0: nothing more is delivered
        m_buffer = {};
    }
    m_pcm.Close();
    m_bRunning.store(0);
    m_bOpen.store(0);
    return 0;
}
