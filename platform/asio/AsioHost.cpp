#include "platform/asio/AsioHost.h"

#include "platform/asio/AsioDriverList.h"

#include <cstring>

namespace
{

CAsioDriver* Driver()
{
    return HasAsioDriverLoader() ? GetAsioDriverLoader().GetDriver() : nullptr;
}

}  // namespace

int AsioInit(AsioDriverInfo& info, void* systemHandle)
{
    CAsioDriver* driver = Driver();
    info.name = "No ASIO Driver";
    info.version = 0;
    if (!driver)
    {
        info.errorMessage = "No ASIO Driver Error";
        return asio::kNotPresent;
    }
    if (!driver->Init(systemHandle))
    {
        info.errorMessage = driver->GetErrorMessage();
        GetAsioDriverLoader().UnloadCurrentDriver();
        return asio::kNotPresent;
    }
    info.name = driver->GetDriverName();
    info.version = driver->GetDriverVersion();
    info.errorMessage = "No ASIO Driver Error";
    return asio::kOk;
}

int AsioExit()
{
    if (!Driver())
        return asio::kNotPresent;
    GetAsioDriverLoader().UnloadCurrentDriver();
    return asio::kOk;
}

int AsioStart()
{
    CAsioDriver* driver = Driver();
    return driver ? driver->Start() : asio::kNotPresent;
}

int AsioStop()
{
    CAsioDriver* driver = Driver();
    return driver ? driver->Stop() : asio::kNotPresent;
}

int AsioGetChannels(int& inputs, int& outputs)
{
    inputs = outputs = 0;
    CAsioDriver* driver = Driver();
    return driver ? driver->GetChannels(inputs, outputs) : asio::kNotPresent;
}

int AsioGetLatencies(int& input, int& output)
{
    input = output = 0;
    CAsioDriver* driver = Driver();
    return driver ? driver->GetLatencies(input, output) : asio::kNotPresent;
}

int AsioGetBufferSize(int& minimum, int& maximum, int& preferred, int& granularity)
{
    minimum = maximum = preferred = granularity = 0;
    CAsioDriver* driver = Driver();
    return driver ? driver->GetBufferSize(minimum, maximum, preferred, granularity) : asio::kNotPresent;
}

int AsioCanSampleRate(double rate)
{
    CAsioDriver* driver = Driver();
    return driver ? driver->CanSampleRate(rate) : asio::kNotPresent;
}

int AsioGetSampleRate(double& rate)
{
    rate = 0.0;
    CAsioDriver* driver = Driver();
    return driver ? driver->GetSampleRate(rate) : asio::kNotPresent;
}

int AsioSetSampleRate(double rate)
{
    CAsioDriver* driver = Driver();
    return driver ? driver->SetSampleRate(rate) : asio::kNotPresent;
}

int AsioGetClockSources(int& count)
{
    count = 0;
    CAsioDriver* driver = Driver();
    return driver ? driver->GetClockSources(count) : asio::kNotPresent;
}

int AsioGetSamplePosition(std::int64_t& position, std::int64_t& systemTimeNs)
{
    position = systemTimeNs = 0;
    CAsioDriver* driver = Driver();
    return driver ? driver->GetSamplePosition(position, systemTimeNs) : asio::kNotPresent;
}

int AsioGetChannelInfo(asio::ChannelInfo& info)
{
    CAsioDriver* driver = Driver();
    if (!driver)
    {
        info.type = -1;
        info.channelGroup = 0;
        std::strcpy(info.name, "None");
        return asio::kNotPresent;
    }
    return driver->GetChannelInfo(info);
}

int AsioCreateBuffers(asio::BufferInfo* infos, int count, int bufferSize, const asio::Callbacks& callbacks)
{
    CAsioDriver* driver = Driver();
    if (!driver)
    {
        for (int i = 0; infos && i < count; ++i)
            infos[i].buffers[0] = infos[i].buffers[1] = nullptr;
        return asio::kNotPresent;
    }
    return driver->CreateBuffers(infos, count, bufferSize, callbacks);
}

int AsioDisposeBuffers()
{
    CAsioDriver* driver = Driver();
    return driver ? driver->DisposeBuffers() : asio::kNotPresent;
}

int AsioControlPanel()
{
    CAsioDriver* driver = Driver();
    return driver ? driver->ControlPanel() : asio::kNotPresent;
}

int AsioOutputReady()
{
    CAsioDriver* driver = Driver();
    return driver ? driver->OutputReady() : asio::kNotPresent;
}

int AsioQuerySetup(double wantedRate, double highestRate, AsioDriverSetup& setup)
{
    AsioSetSampleRate(wantedRate);
    if (AsioGetChannels(setup.inputs, setup.outputs) != asio::kOk)
        return -1;
    if (AsioGetBufferSize(setup.minimumSize, setup.maximumSize, setup.preferredSize, setup.granularity) !=
        asio::kOk)
        return -2;
    if (AsioGetSampleRate(setup.sampleRate) != asio::kOk)
        return -3;
    if (setup.sampleRate <= 0.0 || setup.sampleRate > highestRate)
    {
        if (AsioSetSampleRate(wantedRate) != asio::kOk)
            return -5;
        if (AsioGetSampleRate(setup.sampleRate) != asio::kOk)
            return -6;
    }
    setup.outputReady = AsioOutputReady() == asio::kOk;
    return 0;
}

long AsioMessage(long selector, long value, void* /*message*/, double* /*opt*/)
{
    using namespace asio::message;
    switch (selector)
    {
        case kSelectorSupported:
            switch (value)
            {
                case kEngineVersion:
                case kResetRequest:
                case kResyncRequest:
                case kLatenciesChanged:
                case kSupportsTimeInfo:
                case kSupportsTimeCode:
                case kMmcCommand:
                    return 1;
                default:
                    return 0;
            }
        case kEngineVersion:
            return 2;
        case kResetRequest:
        case kResyncRequest:
        case kLatenciesChanged:
        case kSupportsTimeInfo:
            return 1;
        default:
            return 0;
    }
}

asio::TimeInfo AsioMakeTimeInfo(double sampleRate)
{
    asio::TimeInfo time;
    time.sampleRate = sampleRate;
    std::int64_t position = 0;
    std::int64_t systemTime = 0;
    if (AsioGetSamplePosition(position, systemTime) == asio::kOk)
    {
        time.samplePosition = static_cast<double>(position);
        time.systemTime = static_cast<double>(systemTime);
        time.flags = asio::TimeInfo::kSystemTimeValid | asio::TimeInfo::kSamplePositionValid;
    }
    return time;
}
