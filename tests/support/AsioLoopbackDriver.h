// An in-memory driver of the ASIO-style host layer for tests: channels of any sample type, buffer
// switches run from the test's thread (RunSwitches), inputs fed by the test (by default each input
// carries what the output of the same number played in the previous switch), outputs recorded as
// raw bytes and as floats. Register it under a name with RegisterLoopback; the driver list then
// offers it after "JACK".
#pragma once

#include "platform/asio/AsioDriver.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CAsioLoopbackDriver : public CAsioDriver
{
public:
    struct Setup
    {
        int inputs = 2;
        int outputs = 2;
        int bufferSize = 64;
        double sampleRate = 48000.0;
        std::vector<int> inputTypes;   // per input channel; missing entries are Float32LSB
        std::vector<int> outputTypes;  // per output channel
        bool outputReady = true;
        bool failInit = false;
    };
    // Fills `frames` floats of input channel `channel` for switch `switchIndex`.
    using InputSource = std::function<void(int channel, int switchIndex, float* samples, int frames)>;

    // The driver that the last factory call made (null before); the test reaches it through this.
    static CAsioLoopbackDriver* Current();
    // Registers a factory under name that makes a driver with setup.
    static void RegisterLoopback(const std::string& name, const Setup& setup);

    explicit CAsioLoopbackDriver(Setup setup);
    ~CAsioLoopbackDriver() override;

    void SetInputSource(InputSource source) { m_source = std::move(source); }
    // Runs count buffer switches (through the time-info callback when the host gave one).
    void RunSwitches(int count);
    // Everything output channel k played, as floats and as the raw bytes of its type.
    const std::vector<float>& OutputFloats(int channel) const
    {
        return m_outFloats[static_cast<std::size_t>(channel)];
    }
    const std::vector<unsigned char>& OutputBytes(int channel) const
    {
        return m_outBytes[static_cast<std::size_t>(channel)];
    }
    // The log of driver events: "ready" for each OutputReady call; a test's callbacks may add to it.
    std::vector<std::string> m_log;
    bool m_started = false;
    int m_createdBuffers = 0;

    // Encodes floats into a driver buffer of the type (big-endian types really big-endian).
    static void Encode(int type, const float* samples, void* target, int frames);

    bool Init(void* systemHandle) override;
    std::string GetDriverName() const override { return "Loopback"; }
    int GetDriverVersion() const override { return 3; }
    std::string GetErrorMessage() const override { return m_setup.failInit ? "loopback refused" : ""; }
    int Start() override;
    int Stop() override;
    int GetChannels(int& inputs, int& outputs) override;
    int GetLatencies(int& input, int& output) override;
    int GetBufferSize(int& minimum, int& maximum, int& preferred, int& granularity) override;
    int CanSampleRate(double rate) override;
    int GetSampleRate(double& rate) override;
    int SetSampleRate(double rate) override;
    int GetClockSources(int& count) override;
    int GetSamplePosition(std::int64_t& position, std::int64_t& systemTimeNs) override;
    int GetChannelInfo(asio::ChannelInfo& info) override;
    int CreateBuffers(asio::BufferInfo* infos, int count, int bufferSize,
                      const asio::Callbacks& callbacks) override;
    int DisposeBuffers() override;
    int ControlPanel() override { return 0; }
    int OutputReady() override;

private:
    int TypeOf(bool input, int channel) const;
    struct Buffer
    {
        bool input = false;
        int channel = 0;
        std::vector<unsigned char> halves;
    };
    Setup m_setup;
    InputSource m_source;
    std::vector<Buffer> m_buffers;
    asio::Callbacks m_callbacks;
    std::vector<std::vector<float>> m_outFloats;
    std::vector<std::vector<unsigned char>> m_outBytes;
    std::int64_t m_position = 0;
    int m_switches = 0;
};
