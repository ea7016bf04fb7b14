// The JACK driver of the ASIO-style host layer: one JACK client per program, with an input port
// "in_N" for each physical capture port and an output port "out_N" for each physical playback port
// (at least 2, at most 64), connected to them in order when streaming starts. It never starts a
// server. Samples are 32-bit floats at the server's rate; the buffer size is the server's period.
//
// Threads: the control operations run on the host's control thread; JACK's process callback is the
// buffer switch: it copies the ports into the input half, calls the host, and copies the output half
// to the ports. It allocates nothing.
#pragma once

#include "platform/asio/AsioDriver.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

struct _jack_client;
struct _jack_port;

class CAsioJackDriver : public CAsioDriver
{
public:
    static constexpr const char* kName = "JACK";
    static constexpr const char* kNoServerMessage = "no JACK server is running";
    static constexpr int kMinPorts = 2;

    CAsioJackDriver();
    ~CAsioJackDriver() override;
    CAsioJackDriver(const CAsioJackDriver&) = delete;
    CAsioJackDriver& operator=(const CAsioJackDriver&) = delete;

    // The client's name: the program's name unless a program sets another before Init.
    static void SetClientName(const std::string& name);

    bool Init(void* systemHandle) override;
    std::string GetDriverName() const override { return kName; }
    int GetDriverVersion() const override { return 1; }
    std::string GetErrorMessage() const override { return m_error; }
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
    int ControlPanel() override;
    int OutputReady() override;

    // The client's name as the server knows it (empty before Init).
    std::string GetClientName() const;

private:
    struct Buffer
    {
        bool input = false;
        int channel = 0;
        _jack_port* port = nullptr;
        std::unique_ptr<float[]> halves;  // two halves of m_bufferSize floats
    };
    static int Process(unsigned frames, void* self);
    void Connect();
    void Close();

    _jack_client* m_client = nullptr;
    std::string m_error;
    std::vector<std::string> m_capturePorts;
    std::vector<std::string> m_playbackPorts;
    std::vector<Buffer> m_buffers;
    asio::Callbacks m_callbacks;
    int m_bufferSize = 0;
    int m_half = 0;  // process thread only
    bool m_active = false;
    std::atomic<std::int64_t> m_position{0};
    std::atomic<std::int64_t> m_timeNs{0};
};
