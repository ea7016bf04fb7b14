// Wave output: plays 16-bit PCM through an ALSA playback device. The engine uses it to play a
// wave file while the same file is analysed; in file mode it carries the file reader and its own
// playback thread reads the file (looping) and writes it block by block.
//
// Threads: Open, Start, Pause and Close on the engine's control thread; Write on the playback
// thread (the only thread that touches the device between Open and Close). Close returns after
// the playback thread has ended.
#pragma once

#include "engine/AudioFileReader.h"
#include "platform/audio/AlsaPcm.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CAudioOut_Wave
{
public:
    static constexpr int kBufferCount = 20;
    static constexpr int kPreQueue = 4;
    // Close's wait for the thread: 50 x 20 ms; for the device to play out: this bound.
    static constexpr int kCloseDrainMs = 2000;

    CAudioOut_Wave() = default;
    virtual ~CAudioOut_Wave();
    CAudioOut_Wave(const CAudioOut_Wave&) = delete;
    CAudioOut_Wave& operator=(const CAudioOut_Wave&) = delete;

    // 0, or -1 when already open or the device refuses (message in GetLastError).
    int Open();
    // 0, or -1 when not open or already running. Unless resuming after a pause, four buffers of
    // silence go first.
    int Start();
    // 0, or -1 when not running; the device plays out what it holds.
    int Pause();
    // Queues whole buffers (frames per buffer x block align bytes each); a remainder is dropped.
    // 0, or -1 when the device failed.
    int Write(const std::uint8_t* bytes, int length);
    int Close();
    const std::string& GetLastError() const { return m_strError; }
    bool IsOpen() const { return m_bOpened.load(); }
    bool IsRunning() const { return m_bRunning.load(); }

    CAudioFileReader m_reader;
    int m_bFileMode = 1;
    int m_nSampleRate = 44100;
    int m_nBits = 16;
    int m_nChannels = 2;
    std::string m_strDevice = "default";  // the ALSA playback device
    int m_nFramesPerBuffer = 1024;
    int m_nBlockAlign = 2;
    void* m_pOwner = nullptr;

private:
    void PlaybackThread();

    platform::audio::AlsaPcm m_pcm;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bOpened{false};
    std::atomic<bool> m_bPaused{false};
    std::atomic<int> m_nState{-1};  // 0 run, 1 stop requested, -1 ended
    std::vector<float> m_floatBlock;
    std::vector<std::int16_t> m_pcmBlock;
    std::string m_strError;
    std::thread m_thread;
};
