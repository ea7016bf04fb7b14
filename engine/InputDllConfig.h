// The configuration block that a host and an input plug-in library ("Ninvaro.so", "dll_input.so")
// exchange whole through the plug-in's exports, and the signatures of those exports. Host and
// plug-in are built from this one header, so the layout (fixed below) is the same on both sides; it
// holds real pointers and is never stored.
#pragma once

#include <cstddef>
#include <cstdint>

// Interleaved floats, frames x input channels, +-1.0 full scale.
using InputDataCallback = void (*)(const float* samples, int frames);
// Fills frames x output channels int32 samples (channel k at k x frames, full scale +-2^31); returns
// the frames written.
using InputOutputCallback = int (*)(std::int32_t* samples, int frames, void* context);

struct InputDllConfig
{
    static constexpr int kMatrixSize = 64;
    static constexpr std::size_t kReasonSize = 768;

    std::int32_t reserved0 = 0;
    char description[128] = {};      // plug-in: "Tessarin ASIO driver V%i.%i"
    char capabilities[1024] = {};    // plug-in
    std::int32_t inputChannels = 0;  // host asks, plug-in reports
    std::int32_t blockLength = 0;    // frames, host
    float sampleRate = 0.0f;         // host asks, plug-in reports the driver's rate
    std::int32_t reserved1 = 0;
    InputDataCallback dataCallback = nullptr;
    std::int32_t reserved2 = 0;
    std::int32_t enable = 0;  // host writes 1
    std::int32_t unused = 0;
    InputOutputCallback outputCallback = nullptr;
    void* outputContext = nullptr;
    std::int32_t reserved3[4] = {};
    std::int32_t outputChannels = 0;  // plug-in
    std::int32_t inputMatrix[kMatrixSize] = {};
    std::int32_t outputMatrix[kMatrixSize] = {};
    // The last reserved area: why the plug-in's last open failed (zero-terminated text; zeros when
    // it did not say).
    char openFailure[kReasonSize] = {};
};

static_assert(offsetof(InputDllConfig, description) == 4);
static_assert(offsetof(InputDllConfig, capabilities) == 132);
static_assert(offsetof(InputDllConfig, inputChannels) == 1156);
static_assert(offsetof(InputDllConfig, blockLength) == 1160);
static_assert(offsetof(InputDllConfig, sampleRate) == 1164);
static_assert(offsetof(InputDllConfig, dataCallback) == 1176);
static_assert(offsetof(InputDllConfig, enable) == 1188);
static_assert(offsetof(InputDllConfig, outputCallback) == 1200);
static_assert(offsetof(InputDllConfig, outputContext) == 1208);
static_assert(offsetof(InputDllConfig, outputChannels) == 1232);
static_assert(offsetof(InputDllConfig, inputMatrix) == 1236);
static_assert(offsetof(InputDllConfig, outputMatrix) == 1492);
static_assert(offsetof(InputDllConfig, openFailure) == 1748);
static_assert(sizeof(InputDllConfig) == 2520);

// The exports of an input plug-in library (C linkage, unmangled names).
extern "C"
{
    using DllInputFunction = int (*)();
    using DllInputVersionFunction = int (*)(int* out);
    using DllInputGetConfigFunction = int (*)(InputDllConfig* out);
    using DllInputSetConfigFunction = int (*)(const InputDllConfig* in);
}
