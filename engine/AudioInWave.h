// The wave-input back-end (input mode 0): captures 16-bit PCM from an ALSA capture device and
// hands every filled buffer to the engine on a worker thread of its own. The capture thread only
// fills buffers and queues them; the worker delivers them and hands them back, so the device is
// never kept waiting by the analysis. A buffer that finds no free buffer to fill is a counted
// overrun, never a wait.
//
// Threads: Open/Start/Stop/Close (and the CInputDevice operations) on the engine's control
// thread; the capture thread alone touches the device between Open and Close; the worker alone
// calls the sink. The buffer queues are guarded by m_lock. Stop and Close return after the
// delivery in progress has returned.
#pragma once

#include "engine/InputDevice.h"
#include "platform/audio/AlsaPcm.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The ALSA name of the system's default capture device, device id 0.
inline constexpr const char* kDefaultCaptureDevice = "default";

// The capture devices: the system's default first, then the listed capture devices but "null".
std::vector<platform::audio::PcmDeviceInfo> ListCaptureDevices();
// The capture devices' names, in the order the device id counts them; returns the count.
int EnumWaveInDevices(std::vector<std::string>& names);
// The name of the device at `index` of a list EnumWaveInDevices filled; "" with the index set to -1
// when the list has no such entry.
std::string GetWaveInDeviceName(const std::vector<std::string>& names, int& index);

class CAudioIn_Wave : public CInputDevice
{
public:
    static constexpr int kMaxBufferCount = 1024;
    static constexpr int kMaxBufferFrames = 262144;
    static constexpr int kWorkerWaitMs = 200;

    CAudioIn_Wave() = default;
    ~CAudioIn_Wave() override;

    // --- the engine's interface: Open = Open + Start, Pause = Stop, Resume = Start ---
    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override;
    void Pause() override { Stop(); }
    void Resume() override { Start(); }
    void Close() override;
    std::string GetLastError() const override { return m_strError; }
    bool HasNoDevice() const override { return m_bNoDevice; }
    std::string GetDeviceName() const override { return m_strOpenedDevice; }

    // --- the back-end's own steps; the fields below are set first ---
    int Open();
    int Start();
    int Stop();

    // Recovered device overruns, and buffers dropped because none was free.
    std::int64_t GetOverruns() const { return m_nOverruns.load(); }
    std::int64_t GetDroppedBuffers() const { return m_nDropped.load(); }

    int m_nSampleRate = 44100;
    int m_nBitsPerSample = 16;
    int m_nChannels = 2;
    std::atomic<int> m_bRunning{0};
    std::atomic<int> m_bOpen{0};
    int m_nDeviceId = 0;
    // The ALSA device by name; when empty, the device id counts into EnumWaveInDevices.
    std::string m_strDeviceName;
    int m_nFramesPerBuffer = 1024;
    CInputBlockSink* m_pSink = nullptr;
    int m_nBlockAlign = 2;
    int m_nBufferCount = 50;

private:
    struct Filled
    {
        int index = 0;
        int bytes = 0;  // bytes recorded
    };
    void CaptureThread();
    void WorkerThread();
    void JoinThreads();

    platform::audio::AlsaPcm m_pcm;
    std::string m_strError;
    std::string m_strOpenedDevice;
    bool m_bNoDevice = false;
    int m_nBufferBytes = 0;
    std::vector<std::uint8_t> m_buffers;  // buffer count x buffer bytes
    std::vector<std::uint8_t> m_scratch;  // where a period goes when no buffer is free

    // Guarded by m_lock.
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<Filled> m_filled;  // ring of filled buffers in capture order
    std::size_t m_nFilledHead = 0;
    std::size_t m_nFilledCount = 0;
    std::vector<int> m_free;  // ring of buffers the capture may fill
    std::size_t m_nFreeHead = 0;
    std::size_t m_nFreeCount = 0;
    bool m_bDelivering = false;

    std::atomic<int> m_nWorkerState{-1};  // 0 run, 1 stop requested, -1 ended
    std::atomic<bool> m_bCaptureQuit{false};
    std::atomic<std::int64_t> m_nOverruns{0};
    std::atomic<std::int64_t> m_nDropped{0};
    std::thread m_captureThread;
    std::thread m_workerThread;
};
