// The interface every driver of the ASIO-style host layer implements (JACK, the tests' loopback):
// the operations the host calls, each returning asio::kOk or an error code.
//
// Threads: every operation is called from the host's control thread. Once started, the driver calls
// the callbacks given to CreateBuffers on its own thread until Stop returns.
#pragma once

#include "platform/asio/AsioTypes.h"

#include <cstdint>
#include <string>

class CAsioDriver
{
public:
    virtual ~CAsioDriver() = default;

    // Connects to the device; false with a reason in GetErrorMessage.
    virtual bool Init(void* systemHandle) = 0;
    virtual std::string GetDriverName() const = 0;
    virtual int GetDriverVersion() const = 0;
    virtual std::string GetErrorMessage() const = 0;
    virtual int Start() = 0;
    virtual int Stop() = 0;
    virtual int GetChannels(int& inputs, int& outputs) = 0;
    virtual int GetLatencies(int& input, int& output) = 0;
    virtual int GetBufferSize(int& minimum, int& maximum, int& preferred, int& granularity) = 0;
    virtual int CanSampleRate(double rate) = 0;
    virtual int GetSampleRate(double& rate) = 0;
    virtual int SetSampleRate(double rate) = 0;
    virtual int GetClockSources(int& count) = 0;
    virtual int GetSamplePosition(std::int64_t& position, std::int64_t& systemTimeNs) = 0;
    // Fills the record of info.channel (input or output by info.isInput).
    virtual int GetChannelInfo(asio::ChannelInfo& info) = 0;
    virtual int CreateBuffers(asio::BufferInfo* infos, int count, int bufferSize,
                              const asio::Callbacks& callbacks) = 0;
    virtual int DisposeBuffers() = 0;
    virtual int ControlPanel() = 0;
    // kOk when the driver wants to hear that the outputs of a buffer switch are filled.
    virtual int OutputReady() = 0;
};
