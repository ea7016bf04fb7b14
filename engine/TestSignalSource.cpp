#include "engine/TestSignalSource.h"

#include <algorithm>
#include <chrono>
#include <cmath>

CTestSignalSource::~CTestSignalSource()
{
    Close();
}

void CTestSignalSource::FillBlock(std::vector<float>& block, int frames, int channels, int sampleRate)
{
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
        {
            const double f = c == 0 ? 1000.0 : 2000.0;
            block[static_cast<std::size_t>(i) * static_cast<std::size_t>(channels) +
                  static_cast<std::size_t>(c)] = static_cast<float>(std::sin(f * i * 6.2831853 / sampleRate));
        }
}

int CTestSignalSource::Open(const InputDeviceConfig& config, CInputBlockSink& sink)
{
    Close();
    m_nChannels = std::clamp(config.channels, 1, 64);
    m_nSampleRate = std::max(config.sampleRate, 1);
    m_nFrames = std::clamp(config.bufferFrames, 1, kMaxBlockFloats / m_nChannels);
    m_block.assign(static_cast<std::size_t>(m_nFrames) * static_cast<std::size_t>(m_nChannels), 0.0f);
    m_pSink = &sink;
    {
        std::lock_guard lock(m_mutex);
        m_bRun = true;
        m_bPaused = false;
    }
    m_thread = std::thread([this] { Run(); });
    return 0;
}

void CTestSignalSource::Run()
{
    std::unique_lock lock(m_mutex);
    while (m_bRun)
    {
        if (m_bPaused)
        {
            m_changed.wait(lock, [this] { return !m_bRun || !m_bPaused; });
            continue;
        }
        m_bDelivering = true;
        lock.unlock();
        FillBlock(m_block, m_nFrames, m_nChannels, m_nSampleRate);
        m_pSink->OnFloatBlock(m_block, m_nFrames);
        lock.lock();
        m_bDelivering = false;
        m_changed.notify_all();
        m_changed.wait_for(lock, std::chrono::milliseconds(kPeriodMs),
                           [this] { return !m_bRun || m_bPaused; });
    }
}

void CTestSignalSource::Pause()
{
    std::unique_lock lock(m_mutex);
    m_bPaused = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_bDelivering; });
}

void CTestSignalSource::Resume()
{
    std::lock_guard lock(m_mutex);
    m_bPaused = false;
    m_changed.notify_all();
}

void CTestSignalSource::Close()
{
    {
        std::lock_guard lock(m_mutex);
        m_bRun = false;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}
