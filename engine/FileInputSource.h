// The file input (input mode 1): a wave or MP3 file read by the source's CAudioFileReader and
// delivered in real time, one device buffer per period. The period is kept exact on average: the
// sleeps are whole milliseconds and the fraction is carried from block to block. "Pause" is
// cooperative: the thread finishes its delivery and waits.
//
// Threads: SetPath, QueryFormat, Open, Pause, Resume and Close on the engine's control thread;
// blocks reach the sink on the source's own thread. Pause and Close wait until the delivery in
// progress has returned. The pacing clock is called on the source's thread.
#pragma once

#include "engine/AudioFileReader.h"
#include "engine/InputDevice.h"
#include "engine/PacedDelivery.h"

#include <memory>
#include <vector>

// Where the file input's thread waits between blocks; tests install one they drive.
class CPacingClock
{
public:
    virtual ~CPacingClock() = default;
    virtual void SleepMs(int ms) = 0;
};

class CFileInputSource : public CInputDevice, private CPacedDelivery
{
public:
    static constexpr int kMaxFrames = 16384;
    static constexpr int kMaxChannels = 64;

    CFileInputSource();
    ~CFileInputSource() override;

    // The file the next open reads.
    void SetPath(const std::string& path);
    const std::string& GetPath() const { return m_strPath; }
    // Replaces the pacing clock (null: the system's sleep). Only while closed.
    void SetClock(std::unique_ptr<CPacingClock> clock);

    bool QueryFormat(int& channels, int& sampleRate) override;
    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override;
    void Pause() override;
    void Resume() override;
    void Close() override;
    std::string GetLastError() const override { return m_strError; }
    std::string GetDeviceName() const override { return m_strPath; }

    // The pacing rule: the sleep of each block for a period in milliseconds, with the carried
    // correction and error (both start at 0).
    struct Pacing
    {
        double period = 0.0;
        int base = 0;
        int correction = 0;
        double error = 0.0;
        explicit Pacing(double periodMs);
        int Next();
    };

    // Blocks delivered since the last open.
    long long GetDeliveredBlocks() const;

private:
    void DeliverBlock() override;
    void OnBlockDelivered() override;
    void WaitForNextBlock(std::unique_lock<std::mutex>& lock) override;

    CAudioFileReader m_reader;
    std::unique_ptr<CPacingClock> m_clock;
    std::string m_strPath;
    std::string m_strError;
    Pacing m_pacing{0.0};
    long long m_nBlocks = 0;
    CInputBlockSink* m_pSink = nullptr;
    int m_nFrames = 0;
    int m_nChannels = 0;
    int m_nSampleRate = 44100;
    std::vector<float> m_block;
};
