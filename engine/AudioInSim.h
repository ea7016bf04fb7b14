// The simulated input (input mode 7): a thread of its own synthesises a 1000 Hz sine block by
// block at the pace of real time and hands each block to the engine, as a capture device would.
// It needs no hardware. Up to 16 bits the blocks are 16-bit samples, above that floats; every
// channel carries the same sample, and the phase runs on from block to block.
//
// Threads: Open, Pause, Resume and Close on the engine's control thread; blocks reach the sink on
// the tone thread. Pause and Close return after the delivery in progress has returned.
#pragma once

#include "engine/InputDevice.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class CAudioIn_Sim : public CInputDevice
{
public:
    static constexpr int kBlockBufferBytes = 1048576;

    CAudioIn_Sim() = default;
    ~CAudioIn_Sim() override;

    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override;
    void Pause() override;
    void Resume() override;
    void Close() override;
    std::string GetLastError() const override { return m_strError; }

    int GetBlockPeriodMs() const { return m_nBlockPeriodMs; }
    int GetBlockFrames() const { return m_nFrames; }

    double m_dFrequency = 1000.0;

private:
    void Run();

    // Written by the control thread before the tone thread starts.
    int m_nSampleRate = 44100;
    int m_nBits = 16;
    int m_nChannels = 2;
    int m_nFrames = 1024;
    int m_nBlockAlign = 4;
    int m_nBlockPeriodMs = 0;
    CInputBlockSink* m_pSink = nullptr;
    std::string m_strError;
    std::vector<std::int16_t> m_pcm;
    std::vector<float> m_float;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bRun = false;
    bool m_bPaused = false;
    bool m_bDelivering = false;
    bool m_bRestartPhase = false;  // Resume starts the sine again at sample 0
    std::thread m_thread;
};
