// The built-in test signal (input mode 3): a thread that delivers a 1 kHz sine on the first channel
// and 2 kHz on the others, every block starting again at phase 0, one block every 100 ms.
//
// Threads: Open, Pause, Resume and Close on the engine's control thread; blocks reach the sink on
// the source's own thread. Pause and Close wait until the delivery in progress has returned.
#pragma once

#include "engine/InputDevice.h"
#include "engine/PacedDelivery.h"

#include <vector>

class CTestSignalSource : public CInputDevice, private CPacedDelivery
{
public:
    // Most floats of one block.
    static constexpr int kMaxBlockFloats = 131072;
    static constexpr int kPeriodMs = 100;

    CTestSignalSource() = default;
    ~CTestSignalSource() override;

    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override;
    void Pause() override;
    void Resume() override;
    void Close() override;
    std::string GetLastError() const override { return {}; }

    // Fills one block: frames x channels interleaved, sample (i, c) = sin(f x i x 2 pi / rate).
    static void FillBlock(std::vector<float>& block, int frames, int channels, int sampleRate);

private:
    void DeliverBlock() override;
    void WaitForNextBlock(std::unique_lock<std::mutex>& lock) override;

    CInputBlockSink* m_pSink = nullptr;
    int m_nFrames = 0;
    int m_nChannels = 0;
    int m_nSampleRate = 44100;
    std::vector<float> m_block;
};
