// The input plug-in's device object: its settings (kept in the registry under
// "Software\Halvek\Ninvaro"), the connection to the loaded ASIO-style driver, and the buffer switch
// that calls the host's output callback and data callback on the driver's thread.
//
// Threads: everything but the buffer switch runs on the host's thread. The buffer switch runs on the
// driver's thread without a lock; its work areas are sized when the buffers are created.
#pragma once

#include "engine/InputDllConfig.h"
#include "platform/asio/AsioHost.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CAsioDevice
{
public:
    static constexpr const char* kRegistryKey = "Software\\Halvek\\Ninvaro";
    static constexpr int kMaxChannels = 64;
    // The longest driver period the work areas are made for.
    static constexpr int kMaxPeriod = 32768;
    static constexpr int kNoDriver = -1;

    CAsioDevice();
    ~CAsioDevice();
    CAsioDevice(const CAsioDevice&) = delete;
    CAsioDevice& operator=(const CAsioDevice&) = delete;

    // Registry values; missing ones (or a key that cannot be opened) leave the defaults.
    void LoadSettings();
    void SaveSettings() const;

    // Loads the driver at the "device" index, initialises it at its own rate and creates the
    // buffers. 0 when the device streams on Start; -1 when it cannot (the reason in GetError()), and
    // then nothing stays loaded.
    int Open(InputDataCallback data, InputOutputCallback output, void* context);
    int Start();
    int Stop();
    // Disposes the buffers and releases the driver.
    void Close();
    const std::string& GetError() const { return m_error; }

    int GetInputBuffers() const { return m_nInputBuffers; }
    int GetOutputBuffers() const { return m_nOutputBuffers; }
    int GetFirstChannelType() const;
    double GetDriverRate() const { return m_dSampleRate; }
    const AsioDriverInfo& GetDriverInfo() const { return m_info; }

    // The buffer switch of the driver (driver's thread): output callback, output conversion, input
    // conversion, data callback, output ready.
    void BufferSwitchTimeInfo(int index);

    // Settings, in the order of the block the plug-in keeps.
    std::int32_t m_nSampleRate = 44100;
    std::int32_t m_nBits = 16;
    std::int32_t m_nContainerBits = 16;
    std::int32_t m_nChannels = 2;
    std::int32_t m_bRunning = 0;
    std::int32_t m_bOpened = 0;
    std::int32_t m_nDevice = 0;
    std::int32_t m_bForceStereo = 1;
    std::int32_t m_nCh1 = 0;
    std::int32_t m_nCh2 = 1;
    std::int32_t m_bMultichannel = 0;
    std::array<std::int32_t, kMaxChannels> m_inputMatrix{};
    InputDataCallback m_dataCallback = nullptr;
    void* m_outputContext = nullptr;
    InputOutputCallback m_outputCallback = nullptr;
    std::array<std::int32_t, kMaxChannels> m_outputMatrix{};

private:
    int Initialise();
    int CreateBuffers();
    bool Fail(const std::string& reason);

    std::string m_error;
    AsioDriverInfo m_info;
    bool m_bDriverLoaded = false;
    bool m_bBuffersCreated = false;
    int m_nDriverInputs = 0;
    int m_nDriverOutputs = 0;
    int m_nMinSize = 0;
    int m_nMaxSize = 0;
    int m_nPreferredSize = 0;
    int m_nGranularity = 0;
    double m_dSampleRate = 0.0;
    bool m_bOutputReady = false;
    int m_nInputLatency = 0;
    int m_nOutputLatency = 0;
    int m_nInputBuffers = 0;
    int m_nOutputBuffers = 0;
    std::array<asio::BufferInfo, 2 * kMaxChannels> m_buffers{};
    std::array<asio::ChannelInfo, 2 * kMaxChannels> m_channels{};
    // Work areas: output channels x period int32, input slots x period floats.
    std::vector<std::int32_t> m_outputWork;
    std::vector<float> m_inputWork;
};
