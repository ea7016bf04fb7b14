// DirectSound-style capture (input mode 6) over ALSA: a looping capture buffer of 64 equal
// segments that the device fills, a notification at the end of each segment, and a fill thread
// that hands every completed stretch to the engine in pieces of at most one engine block, straight
// from the capture buffer (no copy). A stretch that wraps the end of the buffer arrives as two
// deliveries.
//
// Threads: Open, Start, Pause and Close (and the CInputDevice operations) on the engine's control
// thread; the capture thread alone touches the device while capturing and only advances the
// capture position; the fill thread reads out. Pause and Close read out the rest themselves after
// the capture has stopped; m_readOut keeps the two readers apart (the fill thread only tries it).
#pragma once

#include "engine/InputDevice.h"
#include "platform/Sync.h"
#include "platform/audio/AlsaPcm.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CAudioIn_DX : public CInputDevice
{
public:
    static constexpr int kSegments = 64;
    static constexpr int kMaxDevices = 64;
    static constexpr std::uint32_t kMinNotifyBytes = 1024;
    static constexpr int kFillWaitMs = 500;

    struct DeviceEntry
    {
        std::string name;         // the ALSA device (the capture device's identity)
        std::string description;  // what the user sees
        std::string module;       // the driver behind it
    };

    CAudioIn_DX() = default;
    ~CAudioIn_DX() override;

    // --- the engine's interface: Open = Open + Start, Pause, Resume = Start, Close ---
    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override;
    void Pause() override { PauseCapture(); }
    void Resume() override { Start(); }
    void Close() override { CloseCapture(); }
    std::string GetLastError() const override { return m_strError; }

    int scanDevices();
    // Keeps the first kMaxDevices entries, skipping the primary ("default") device that only
    // stands for another; returns the device count.
    int StoreDevices(const std::vector<platform::audio::PcmDeviceInfo>& devices);
    int Open();
    int Start();
    int PauseCapture();
    int CloseCapture();
    // Hands `size` captured bytes to the engine in pieces of at most one block; 0.
    int writeSamples(const std::uint8_t* bytes, std::uint32_t size);

    // Segment and buffer bytes for a format: max(bytes per second / 64, 1024) rounded down to
    // whole frames, and 64 segments.
    static void ComputeSizes(std::uint32_t bytesPerSecond, std::uint32_t blockAlign,
                             std::uint32_t& notifySize, std::uint32_t& bufferSize);

    int m_nSampleRate = 44100;
    int m_nBitsPerSample = 16;
    int m_nFramesPerBlock = 1024;
    CInputBlockSink* m_pSink = nullptr;
    int m_nBlockAlign = 4;
    int m_nChannels = 2;
    int m_nDeviceIndex = 0;
    // The ALSA device by name; when empty, the device index counts into the device table.
    std::string m_strDeviceName;
    int m_nDeviceCount = 0;
    std::vector<DeviceEntry> m_devices;
    std::uint32_t m_nBufferSize = 0;
    std::uint32_t m_nNotifySize = 0;
    std::vector<std::uint32_t> m_notifyPositions;
    std::uint32_t m_nNextReadOffset = 0;

    std::int64_t GetLostBytes() const { return m_nLostBytes.load(); }

private:
    int CreateCaptureBuffer();
    int ReadOut();
    void FillThread();
    void CaptureThread();
    void StopCapture();

    platform::audio::AlsaPcm m_pcm;
    std::string m_strError;
    std::vector<std::uint8_t> m_buffer;  // the capture buffer
    std::atomic<int> m_bOpen{0};
    std::atomic<int> m_bRunning{0};
    std::atomic<int> m_nThreadState{-1};  // 0 run, 1 stop requested, -1 ended
    std::atomic<bool> m_bCapture{false};
    std::atomic<std::int64_t> m_nCapturedTotal{0};  // bytes the device has completed
    std::int64_t m_nReadTotal = 0;                  // bytes read out (under m_readOut)
    std::atomic<std::int64_t> m_nLostBytes{0};
    platform::Event m_event;
    std::mutex m_readOut;
    std::thread m_fillThread;
    std::thread m_captureThread;
};
