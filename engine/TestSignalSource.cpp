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
    StartDelivery();
    return 0;
}

void CTestSignalSource::DeliverBlock()
{
    FillBlock(m_block, m_nFrames, m_nChannels, m_nSampleRate);
    m_pSink->OnFloatBlock(m_block, m_nFrames);
}

void CTestSignalSource::WaitForNextBlock(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait_for(lock, std::chrono::milliseconds(kPeriodMs), [this] { return IsInterrupted(); });
}

void CTestSignalSource::Pause()
{
    PauseDelivery();
}

void CTestSignalSource::Resume()
{
    ResumeDelivery();
}

void CTestSignalSource::Close()
{
    StopDelivery();
}
