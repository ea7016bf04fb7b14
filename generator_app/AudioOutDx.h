// The generator program's streaming output on ALSA: CAudioOut_DX chooses the playback device (the
// list holds at most 20, index 0 always the "default" device) and CAudioOut_DXStream keeps about
// 200 ms of samples queued on it. The stream's own refill thread wakes every 30 ms and asks the fill
// function for exactly as many frames as the device takes at that moment.
//
// Threads: the device object and the stream's Open, Start, Stop and Close run on the user-interface
// thread. The fill function runs on the refill thread only; Stop and Close join that thread before
// the device goes away, so no fill runs once they have returned.
#pragma once

#include "generator_app/WaveFormat.h"
#include "platform/audio/AlsaPcm.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CAudioOut_DX
{
public:
    static constexpr int kMaxDevices = 20;
    static constexpr const char* kDefaultDevice = "default";

    // Lists the playback devices: "default" first, then what ALSA lists, up to kMaxDevices.
    CAudioOut_DX();

    // 1 when the chosen index names a listed device (remembered as the device to play on), else -1.
    int Create();
    void Release();
    bool IsCreated() const { return m_bCreated; }
    // The ALSA name of the created device.
    const std::string& GetDeviceName() const { return m_devices[static_cast<std::size_t>(m_nChosen)].name; }

    std::vector<platform::audio::PcmDeviceInfo> m_devices;
    int m_nDevices = 0;
    int m_nDevice = 0;  // the chosen index

private:
    int m_nChosen = 0;
    bool m_bCreated = false;
};

class CAudioOut_DXStream
{
public:
    // Fills exactly `bytes` bytes at `buffer` and returns the count it wrote.
    using FillFunction = int (*)(void* buffer, int bytes, void* context);

    static constexpr int kBufferMs = 200;
    static constexpr int kTimerPeriodMs = 30;
    static constexpr std::int64_t kDefaultRunLimitMs = 2000000000;

    CAudioOut_DXStream() = default;
    ~CAudioOut_DXStream();
    CAudioOut_DXStream(const CAudioOut_DXStream&) = delete;
    CAudioOut_DXStream& operator=(const CAudioOut_DXStream&) = delete;

    // Opens the device in the stream format (16- or 32-bit container, as copied in). 1 on success,
    // 0 with a plain message in GetLastError.
    int Open(FillFunction fill, CAudioOut_DX* device, void* context);
    // Queues one ring of silence and starts the refill thread: 1, or 0 when nothing is open or the
    // device refuses to start (message in GetLastError).
    int Start();
    // Joins the refill thread and drops what the device holds; 0 when it was not running, else 1.
    int Stop();
    // Stops and closes the device.
    void Close();

    // Refill thread: renders `bytes` (whole frames) and hands them to the device; false when the fill
    // function came short or the device failed.
    bool Fill(int bytes);
    // Bytes the device takes now (0 on failure).
    int GetWritableBytes();
    // One tick: 1 when it refilled, 0 when it skipped or failed.
    int OnTimer();

    bool IsRunning() const { return m_bRunning.load(); }
    bool IsOpen() const { return m_pcm.IsOpen(); }
    const std::string& GetLastError() const { return m_strError; }
    // Frames the device had to play without data, counted since Open.
    std::int64_t GetUnderruns() const { return m_nUnderruns.load(); }
    int GetRingBytes() const { return m_nRingBytes; }

    int m_bMoreThan16Bits = 0;
    int m_nSampleBits = 16;
    WaveFormatExtensible m_format;
    std::int64_t m_nRunLimitMs = kDefaultRunLimitMs;

private:
    void RefillThread();

    FillFunction m_fill = nullptr;
    void* m_pContext = nullptr;
    CAudioOut_DX* m_pDevice = nullptr;
    platform::audio::AlsaPcm m_pcm;
    std::string m_strError;
    int m_nRingBytes = 0;
    int m_nFrameBytes = 4;
    // Sized at Open for one ring; the refill thread renders into it.
    std::vector<std::uint8_t> m_buffer;

    std::atomic<bool> m_bRunning{false};
    std::atomic<int> m_nGuard{0};
    std::atomic<std::int64_t> m_nUnderruns{0};
    std::chrono::steady_clock::time_point m_startTime;

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStopRequested = false;
};
