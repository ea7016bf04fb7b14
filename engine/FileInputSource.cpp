#include "engine/FileInputSource.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace
{

class SystemPacingClock : public CPacingClock
{
public:
    void SleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

CFileInputSource::Pacing::Pacing(double periodMs)
    : period(periodMs), base(static_cast<int>(std::floor(std::max(periodMs, 0.0))))
{
}

int CFileInputSource::Pacing::Next()
{
    const int sleep = base + correction;
    error += (period - base) - correction;
    correction = static_cast<int>(error);
    return sleep;
}

CFileInputSource::CFileInputSource() : m_clock(std::make_unique<SystemPacingClock>()) {}

CFileInputSource::~CFileInputSource()
{
    Close();
}

void CFileInputSource::SetPath(const std::string& path)
{
    m_strPath = path;
}

void CFileInputSource::SetClock(std::unique_ptr<CPacingClock> clock)
{
    m_clock = clock ? std::move(clock) : std::make_unique<SystemPacingClock>();
}

bool CFileInputSource::QueryFormat(int& channels, int& sampleRate)
{
    m_reader.Close();
    m_reader.Open(m_strPath);
    if (m_reader.m_nChannels <= 0 || !m_reader.IsOpen())
    {
        m_strError = m_reader.GetLastError().empty() ? "The file cannot be opened." : m_reader.GetLastError();
        // Reported as a format of no channels: the engine refuses the open with its message.
        channels = 0;
        sampleRate = 0;
        return true;
    }
    channels = m_reader.m_nChannels;
    sampleRate = m_reader.m_nSampleRate;
    return true;
}

int CFileInputSource::Open(const InputDeviceConfig& config, CInputBlockSink& sink)
{
    Close();
    if (!m_reader.IsOpen())
        m_reader.Open(m_strPath);
    if (m_reader.m_nChannels <= 0 || m_reader.m_nChannels > kMaxChannels || !m_reader.IsOpen())
    {
        m_strError = "The file cannot be opened.";
        return -1;
    }
    m_nChannels = m_reader.m_nChannels;
    m_nSampleRate = std::max(m_reader.m_nSampleRate, 1);
    m_nFrames = std::clamp(config.bufferFrames, 1, kMaxFrames);
    m_block.assign(static_cast<std::size_t>(m_nFrames) * static_cast<std::size_t>(m_nChannels), 0.0f);
    m_pSink = &sink;
    m_pacing = Pacing(static_cast<double>(m_nFrames) / m_nSampleRate * 1000.0);
    {
        std::lock_guard lock(m_mutex);
        m_nBlocks = 0;
    }
    StartDelivery();
    return 0;
}

void CFileInputSource::DeliverBlock()
{
    // The reader fills silence past the end of an MP3 stream.
    m_reader.Read(m_block.data(), m_nFrames, 0);
    m_pSink->OnFloatBlock(m_block, -1);
}

void CFileInputSource::OnBlockDelivered()
{
    ++m_nBlocks;
}

void CFileInputSource::WaitForNextBlock(std::unique_lock<std::mutex>& lock)
{
    lock.unlock();
    m_clock->SleepMs(m_pacing.Next());
    lock.lock();
}

long long CFileInputSource::GetDeliveredBlocks() const
{
    std::lock_guard lock(m_mutex);
    return m_nBlocks;
}

void CFileInputSource::Pause()
{
    PauseDelivery();
}

void CFileInputSource::Resume()
{
    ResumeDelivery();
}

void CFileInputSource::Close()
{
    StopDelivery();
    m_pSink = nullptr;
    m_reader.Close();
}
