#include "engine/AudioInSim.h"

#include <algorithm>
#include <chrono>
#include <cmath>

CAudioIn_Sim::~CAudioIn_Sim()
{
    Close();
}

int CAudioIn_Sim::Open(const InputDeviceConfig& config, CInputBlockSink& sink)
{
    Close();
    m_strError.clear();
    if (config.channels < 1 || config.channels > 64 || config.sampleRate < 1 || config.bufferFrames < 1)
    {
        m_strError = "The simulated input cannot run with this format.";
        return -1;
    }
    m_nSampleRate = config.sampleRate;
    m_nBits = config.bits;
    m_nChannels = config.channels;
    m_nBlockAlign = m_nChannels * (m_nBits > 16 ? 4 : 2);
    // The block must fit the block buffer.
    m_nFrames = std::min(config.bufferFrames, kBlockBufferBytes / m_nBlockAlign);
    m_nBlockPeriodMs = static_cast<int>(static_cast<double>(m_nFrames) / m_nSampleRate * 1000.0);
    const std::size_t samples = static_cast<std::size_t>(m_nFrames) * static_cast<std::size_t>(m_nChannels);
    if (m_nBits > 16)
        m_float.assign(samples, 0.0f);
    else
        m_pcm.assign(samples, 0);
    m_pSink = &sink;
    {
        std::lock_guard lock(m_mutex);
        m_bRun = true;
        m_bPaused = false;
        m_bRestartPhase = false;
    }
    m_thread = std::thread([this] { Run(); });
    return 0;
}

void CAudioIn_Sim::Run()
{
    using Clock = std::chrono::steady_clock;
    double n = 0.0;
    std::int64_t blocks = 0;
    auto start = Clock::now();
    const double step = m_dFrequency * 6.2831853 / m_nSampleRate;
    std::unique_lock lock(m_mutex);
    while (m_bRun)
    {
        if (m_bPaused)
        {
            m_changed.wait(lock, [this] { return !m_bRun || !m_bPaused; });
            start = Clock::now();
            blocks = 0;
            continue;
        }
        if (m_bRestartPhase)
        {
            m_bRestartPhase = false;
            n = 0.0;
        }
        // A block becomes due once its last frame's time has passed; pacing by the clock instead of
        // a whole-millisecond sleep keeps the long-term rate exact.
        ++blocks;
        const auto due = start + std::chrono::microseconds(blocks * m_nFrames * 1000000LL / m_nSampleRate);
        if (m_changed.wait_until(lock, due, [this] { return !m_bRun || m_bPaused; }))
        {
            --blocks;
            continue;
        }
        m_bDelivering = true;
        lock.unlock();
        for (int f = 0; f < m_nFrames; ++f, n += 1.0)
        {
            const double s = std::sin(n * step);
            const std::size_t at = static_cast<std::size_t>(f) * static_cast<std::size_t>(m_nChannels);
            if (m_nBits > 16)
                std::fill_n(m_float.begin() + static_cast<std::ptrdiff_t>(at), m_nChannels,
                            static_cast<float>(s));
            else
                std::fill_n(m_pcm.begin() + static_cast<std::ptrdiff_t>(at), m_nChannels,
                            static_cast<std::int16_t>(s * 32767.0));
        }
        if (m_nBits > 16)
            m_pSink->OnFloatBlock(m_float, m_nFrames);
        else
            m_pSink->OnPcm16Block(m_pcm);
        lock.lock();
        m_bDelivering = false;
        m_changed.notify_all();
    }
}

void CAudioIn_Sim::Pause()
{
    std::unique_lock lock(m_mutex);
    m_bPaused = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_bDelivering; });
}

void CAudioIn_Sim::Resume()
{
    std::lock_guard lock(m_mutex);
    m_bPaused = false;
    m_bRestartPhase = true;
    m_changed.notify_all();
}

void CAudioIn_Sim::Close()
{
    {
        std::lock_guard lock(m_mutex);
        m_bRun = false;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}
