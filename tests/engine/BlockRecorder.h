// A stand-in for the engine's block intake: keeps every sample a back-end delivers, with the
// block sizes, for the back-end tests.
#pragma once

#include "engine/InputDevice.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class BlockRecorder : public CInputBlockSink
{
public:
    void OnPcm16Block(std::span<const std::int16_t> samples) override
    {
        std::lock_guard lock(m_mutex);
        m_pcm.insert(m_pcm.end(), samples.begin(), samples.end());
        m_blockSizes.push_back(samples.size());
        m_changed.notify_all();
    }
    void OnFloatBlock(std::span<const float> samples, int frames) override
    {
        std::lock_guard lock(m_mutex);
        m_float.insert(m_float.end(), samples.begin(), samples.end());
        m_blockSizes.push_back(samples.size());
        m_floatFrames.push_back(frames);
        m_changed.notify_all();
    }
    // Waits at most `timeout` until `count` blocks have arrived.
    bool WaitForBlocks(std::size_t count, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_blockSizes.size() >= count; });
    }
    std::size_t Blocks()
    {
        std::lock_guard lock(m_mutex);
        return m_blockSizes.size();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::int16_t> m_pcm;
    std::vector<float> m_float;
    std::vector<std::size_t> m_blockSizes;
    std::vector<int> m_floatFrames;
};
