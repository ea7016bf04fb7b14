// The vocabulary shared by the ASIO-style host layer and its drivers: sample types, result codes,
// the buffer and channel records, the time record and the four callbacks a driver calls.
#pragma once

#include <cstdint>

namespace asio
{

// Result codes of the driver calls and the wrappers.
inline constexpr int kOk = 0;
inline constexpr int kNotPresent = -1000;  // no driver loaded, or the feature is missing
inline constexpr int kHardwareFailure = -999;
inline constexpr int kInvalidParameter = -998;
inline constexpr int kInvalidMode = -997;
inline constexpr int kNoMemory = -994;

// Sample types of a driver's buffers.
namespace sample_type
{
inline constexpr int kInt16MSB = 0;
inline constexpr int kInt24MSB = 1;
inline constexpr int kInt32MSB = 2;
inline constexpr int kFloat32MSB = 3;
inline constexpr int kFloat64MSB = 4;
inline constexpr int kInt32MSB16 = 8;
inline constexpr int kInt32MSB18 = 9;
inline constexpr int kInt32MSB20 = 10;
inline constexpr int kInt32MSB24 = 11;
inline constexpr int kInt16LSB = 16;
inline constexpr int kInt24LSB = 17;
inline constexpr int kInt32LSB = 18;
inline constexpr int kFloat32LSB = 19;
inline constexpr int kFloat64LSB = 20;
inline constexpr int kInt32LSB16 = 24;
inline constexpr int kInt32LSB18 = 25;
inline constexpr int kInt32LSB20 = 26;
inline constexpr int kInt32LSB24 = 27;
}  // namespace sample_type

inline constexpr int kMaxChannels = 64;

// One double buffer: the host names the channel, the driver fills in the two halves.
struct BufferInfo
{
    int isInput = 0;
    int channelNum = 0;
    void* buffers[2] = {nullptr, nullptr};
};

struct ChannelInfo
{
    int channel = 0;
    int isInput = 0;
    int isActive = 0;
    int channelGroup = 0;
    int type = -1;
    char name[32] = "None";
};

// What a buffer switch knows of the stream's clock.
struct TimeInfo
{
    static constexpr std::uint32_t kSystemTimeValid = 1;
    static constexpr std::uint32_t kSamplePositionValid = 2;
    double samplePosition = 0.0;
    double systemTime = 0.0;  // nanoseconds
    double sampleRate = 0.0;
    std::uint32_t flags = 0;
};

// Selectors of the driver-message callback.
namespace message
{
inline constexpr int kSelectorSupported = 1;
inline constexpr int kEngineVersion = 2;
inline constexpr int kResetRequest = 3;
inline constexpr int kBufferSizeChange = 4;
inline constexpr int kResyncRequest = 5;
inline constexpr int kLatenciesChanged = 6;
inline constexpr int kSupportsTimeInfo = 7;
inline constexpr int kSupportsTimeCode = 8;
inline constexpr int kMmcCommand = 9;
}  // namespace message

// The callbacks a driver calls on its own thread while it streams.
struct Callbacks
{
    void (*bufferSwitch)(int index, int directProcess) = nullptr;
    void (*sampleRateDidChange)(double rate) = nullptr;
    long (*asioMessage)(long selector, long value, void* message, double* opt) = nullptr;
    TimeInfo* (*bufferSwitchTimeInfo)(TimeInfo* time, int index, int directProcess) = nullptr;
};

}  // namespace asio
