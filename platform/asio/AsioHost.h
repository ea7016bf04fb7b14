// The wrappers over the loaded driver of the ASIO-style host layer. Each calls the loaded driver's
// operation of the same role, or returns asio::kNotPresent (and zero results) when none is loaded.
//
// Threads: the control thread, except AsioGetSamplePosition and AsioOutputReady, which the buffer
// switch calls on the driver's thread.
#pragma once

#include "platform/asio/AsioTypes.h"

#include <cstdint>
#include <string>

// The loaded driver's name, version and error text.
struct AsioDriverInfo
{
    std::string name = "No ASIO Driver";
    int version = 0;
    std::string errorMessage = "No ASIO Driver Error";
};

// Initialises the loaded driver. On success the record takes its name and version and the error
// text "No ASIO Driver Error"; on failure the driver's error message, the driver is released and
// the result is kNotPresent.
int AsioInit(AsioDriverInfo& info, void* systemHandle = nullptr);
int AsioExit();
int AsioStart();
int AsioStop();
int AsioGetChannels(int& inputs, int& outputs);
int AsioGetLatencies(int& input, int& output);
int AsioGetBufferSize(int& minimum, int& maximum, int& preferred, int& granularity);
int AsioCanSampleRate(double rate);
int AsioGetSampleRate(double& rate);
int AsioSetSampleRate(double rate);
int AsioGetClockSources(int& count);
int AsioGetSamplePosition(std::int64_t& position, std::int64_t& systemTimeNs);
// Without a driver: type -1, group 0, name "None".
int AsioGetChannelInfo(asio::ChannelInfo& info);
// Without a driver the buffer pointers are cleared.
int AsioCreateBuffers(asio::BufferInfo* infos, int count, int bufferSize, const asio::Callbacks& callbacks);
int AsioDisposeBuffers();
int AsioControlPanel();
int AsioOutputReady();

// What a host reads from a driver it has just initialised.
struct AsioDriverSetup
{
    int inputs = 0;
    int outputs = 0;
    int minimumSize = 0;
    int maximumSize = 0;
    int preferredSize = 0;
    int granularity = 0;
    double sampleRate = 0.0;
    bool outputReady = false;
};

// Asks the loaded driver for the wanted rate, then reads its channels, buffer sizes and rate; a
// rate it reports at 0 or below, or above highestRate, is asked for once more. Returns 0, or -1
// (channels), -2 (buffer sizes), -3 (rate), -5 (setting the rate again) or -6 (reading it again).
int AsioQuerySetup(double wantedRate, double highestRate, AsioDriverSetup& setup);

// The driver-message callback every host gives its driver.
long AsioMessage(long selector, long value, void* message, double* opt);
// The time record of a buffer switch: the sample position and system time, with both valid flags
// when the driver reports them.
asio::TimeInfo AsioMakeTimeInfo(double sampleRate);
