// A small input plug-in library for the engine's binding tests, built twice: as "Ninvaro.so" and as
// "dll_input.so" in a folder of their own. Its version comes from TESSARIN_TEST_PLUGIN_VERSION
// ("major.minor", default 1.28). It reports 2 inputs, 4 outputs and 32000 Hz; once started, a thread
// of its own asks the output callback for each block and returns output channel 0 on input 0 and
// output channel 1 on input 1 (as floats), 256 frames at a time. TestPlugin_Log lists the calls.
#include "engine/InputDllConfig.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace
{
constexpr int kFrames = 256;
constexpr int kOutputs = 4;
InputDllConfig g_block;
std::mutex g_logLock;
std::string g_log;
std::thread g_thread;
std::atomic<bool> g_run{false};

void Log(const char* call)
{
    std::lock_guard lock(g_logLock);
    g_log += call;
    g_log += ' ';
}

void Version(int& major, int& minor)
{
    major = 1;
    minor = 28;
    if (const char* text = std::getenv("TESSARIN_TEST_PLUGIN_VERSION"))
        std::sscanf(text, "%d.%d", &major, &minor);
}

void Deliver()
{
    std::vector<std::int32_t> out(static_cast<std::size_t>(kOutputs) * kFrames);
    std::vector<float> in(2 * kFrames);
    while (g_run.load())
    {
        if (g_block.outputCallback)
            g_block.outputCallback(out.data(), kFrames, g_block.outputContext);
        for (int n = 0; n < kFrames; ++n)
        {
            in[2 * static_cast<std::size_t>(n)] =
                static_cast<float>(out[static_cast<std::size_t>(n)] / 2147483648.0);
            in[2 * static_cast<std::size_t>(n) + 1] =
                static_cast<float>(out[static_cast<std::size_t>(kFrames + n)] / 2147483648.0);
        }
        if (g_block.dataCallback)
            g_block.dataCallback(in.data(), kFrames);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}
}  // namespace

TEST_EXPORT const char* TestPlugin_Log()
{
    std::lock_guard lock(g_logLock);
    static std::string copy;
    copy = g_log;
    return copy.c_str();
}

TEST_EXPORT int DLL_input_getVersion_Maj(int* out)
{
    int minor = 0;
    Version(*out, minor);
    return 1;
}

TEST_EXPORT int DLL_input_getVersion_Min(int* out)
{
    int major = 0;
    Version(major, *out);
    return 1;
}

TEST_EXPORT int DLL_input_getConfig(InputDllConfig* out)
{
    Log("getConfig");
    g_block.inputChannels = 2;
    g_block.outputChannels = kOutputs;
    g_block.sampleRate = 32000.0f;
    *out = g_block;
    return 1;
}

TEST_EXPORT int DLL_input_setConfig(const InputDllConfig* in)
{
    Log("setConfig");
    g_block = *in;
    return 1;
}

TEST_EXPORT int DLL_input_init()
{
    Log("init");
    return 1;
}

TEST_EXPORT int DLL_input_open()
{
    Log("open");
    return 1;
}

TEST_EXPORT int DLL_input_start()
{
    Log("start");
    if (!g_run.exchange(true))
        g_thread = std::thread(Deliver);
    return 1;
}

TEST_EXPORT int DLL_input_stop()
{
    Log("stop");
    g_run.store(false);
    if (g_thread.joinable())
        g_thread.join();
    return 1;
}

TEST_EXPORT int DLL_input_close()
{
    Log("close");
    DLL_input_stop();
    return 1;
}

TEST_EXPORT int DLL_input_configDLG()
{
    Log("configDLG");
    return 7;
}
