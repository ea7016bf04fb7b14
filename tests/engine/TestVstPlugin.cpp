// A VST 2 effect of our own for the plug-in chain tests. Its effect multiplies by a gain: output o is
// the gain times the sum of the inputs i with i % outputs == o. Besides the entry point it exports a
// few functions for the test, which opens the same module itself (so it stays loaded across the
// host's loads and unloads): the next effect's channel counts, gain and name; a log of every
// dispatcher call; and a count of calls the host should never make (processing an effect that is
// switched off or closed, or switching it while it processes).
//
// TEST_VST_VARIANT chooses how the entry point is offered: 0 "VSTPluginMain", 1 only "main",
// 2 "VSTPluginMain" that returns null, 3 no entry point at all.
#include "engine/VstAbi.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#ifndef TEST_VST_VARIANT
#define TEST_VST_VARIANT 0
#endif

#define TEST_VST_EXPORT extern "C" __attribute__((visibility("default")))

namespace
{

constexpr int kPrograms = 2;
constexpr int kParameters = 1;

struct Event
{
    int instance;
    std::int32_t opcode;
    std::int32_t index;
    std::intptr_t value;
    float opt;
    std::string text;  // what a text-passing opcode was handed (effCanDo)
};

struct Config
{
    int inputs = 2;
    int outputs = 2;
    float gain = 1.0f;
    std::string name = "Test Gain";
};

struct Instance
{
    AEffect effect{};
    int id = 0;
    std::atomic<float> gain{1.0f};
    std::string name;
    std::atomic<int> open{0};
    std::atomic<int> closed{0};
    std::atomic<int> mainsOn{0};
    std::atomic<int> processing{0};
};

std::mutex g_mutex;
Config g_config;
std::vector<Event> g_events;
// Instances live as long as the module, so that a call for a closed effect is counted, not a crash.
std::vector<std::unique_ptr<Instance>> g_instances;
std::atomic<int> g_violations{0};
std::atomic<long> g_processCalls{0};

Instance* InstanceOf(AEffect* effect)
{
    return static_cast<Instance*>(effect->object);
}

void CopyText(void* ptr, const std::string& text)
{
    if (ptr == nullptr)
        return;
    const std::size_t length = std::min(text.size(), kVstTextBufferSize - 1);
    std::memcpy(ptr, text.data(), length);
    static_cast<char*>(ptr)[length] = '\0';
}

std::intptr_t Dispatcher(AEffect* effect, std::int32_t opcode, std::int32_t index, std::intptr_t value,
                         void* ptr, float opt)
{
    Instance* instance = InstanceOf(effect);
    {
        std::lock_guard lock(g_mutex);
        g_events.push_back(
            {instance->id, opcode, index, value, opt,
             opcode == effCanDo && ptr != nullptr ? std::string(static_cast<char*>(ptr)) : ""});
    }
    if (instance->closed.load() != 0)
        ++g_violations;
    switch (opcode)
    {
        case effOpen:
            instance->open.store(1);
            break;
        case effClose:
        case effSetSampleRate:
        case effSetBlockSize:
        case effMainsChanged:
            if (instance->processing.load() != 0)
                ++g_violations;
            if (opcode == effClose)
                instance->closed.store(1);
            if (opcode == effMainsChanged)
                instance->mainsOn.store(value != 0 ? 1 : 0);
            break;
        case effGetEffectName:
            CopyText(ptr, instance->name);
            return 1;
        case effGetVendorString:
            CopyText(ptr, "Tessarin tests");
            return 1;
        case effGetProductString:
            CopyText(ptr, "Gain");
            return 1;
        case effGetProgramName:
            CopyText(ptr, "Program");
            break;
        case effGetParamName:
            CopyText(ptr, "Gain");
            break;
        default:
            break;
    }
    return 0;
}

void SetParameter(AEffect* effect, std::int32_t index, float value)
{
    if (index == 0)
        InstanceOf(effect)->gain.store(value);
}

float GetParameter(AEffect* effect, std::int32_t index)
{
    return index == 0 ? InstanceOf(effect)->gain.load() : 0.0f;
}

void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, std::int32_t frames)
{
    Instance* instance = InstanceOf(effect);
    instance->processing.store(1);
    if (instance->open.load() == 0 || instance->closed.load() != 0 || instance->mainsOn.load() == 0)
        ++g_violations;
    ++g_processCalls;
    const float gain = instance->gain.load();
    const int inputCount = effect->numInputs;
    const int outputCount = effect->numOutputs;
    for (int o = 0; o < outputCount; ++o)
    {
        float* out = outputs[o];
        std::fill(out, out + frames, 0.0f);
        for (int i = o; i < inputCount; i += outputCount)
            for (std::int32_t n = 0; n < frames; ++n)
                out[n] += gain * inputs[i][n];
    }
    instance->processing.store(0);
}

[[maybe_unused]] AEffect* CreateEffect(VstHostCallbackProc hostCallback)
{
    // A host that does not know its version is not the host under test.
    if (hostCallback == nullptr ||
        hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) != kVstHostVersion)
        return nullptr;
    std::lock_guard lock(g_mutex);
    auto instance = std::make_unique<Instance>();
    instance->id = static_cast<int>(g_instances.size());
    instance->gain.store(g_config.gain);
    instance->name = g_config.name;
    AEffect& effect = instance->effect;
    effect.magic = kEffectMagic;
    effect.dispatcher = &Dispatcher;
    effect.setParameter = &SetParameter;
    effect.getParameter = &GetParameter;
    effect.numPrograms = kPrograms;
    effect.numParams = kParameters;
    effect.numInputs = g_config.inputs;
    effect.numOutputs = g_config.outputs;
    effect.object = instance.get();
    effect.processReplacing = &ProcessReplacing;
    g_instances.push_back(std::move(instance));
    return &effect;
}

}  // namespace

#if TEST_VST_VARIANT == 0
TEST_VST_EXPORT AEffect* VSTPluginMain(VstHostCallbackProc hostCallback)
{
    return CreateEffect(hostCallback);
}
#elif TEST_VST_VARIANT == 1
// Exported under the name "main", which C++ reserves for the program's own entry.
TEST_VST_EXPORT AEffect* TestVstLegacyMain(VstHostCallbackProc hostCallback) __asm__("main");
TEST_VST_EXPORT AEffect* TestVstLegacyMain(VstHostCallbackProc hostCallback)
{
    return CreateEffect(hostCallback);
}
#elif TEST_VST_VARIANT == 2
TEST_VST_EXPORT AEffect* VSTPluginMain(VstHostCallbackProc /*hostCallback*/)
{
    return nullptr;
}
#endif

// --- for the test ---

// Channel counts, gain and effect name of the effects created from now on.
TEST_VST_EXPORT void TestVstConfigure(int inputs, int outputs, float gain, const char* name)
{
    std::lock_guard lock(g_mutex);
    g_config.inputs = inputs;
    g_config.outputs = outputs;
    g_config.gain = gain;
    g_config.name = name != nullptr ? name : "";
}

TEST_VST_EXPORT void TestVstClearEvents()
{
    std::lock_guard lock(g_mutex);
    g_events.clear();
}

TEST_VST_EXPORT int TestVstEventCount()
{
    std::lock_guard lock(g_mutex);
    return static_cast<int>(g_events.size());
}

// Event `n` of the log: its instance number, opcode, index, value and opt; the text goes to a buffer
// of kVstTextBufferSize bytes. False past the end.
TEST_VST_EXPORT bool TestVstEvent(int n, int* instance, std::int32_t* opcode, std::int32_t* index,
                                  std::intptr_t* value, float* opt, char* text)
{
    std::lock_guard lock(g_mutex);
    if (n < 0 || n >= static_cast<int>(g_events.size()))
        return false;
    const Event& event = g_events[static_cast<std::size_t>(n)];
    *instance = event.instance;
    *opcode = event.opcode;
    *index = event.index;
    *value = event.value;
    *opt = event.opt;
    CopyText(text, event.text);
    return true;
}

TEST_VST_EXPORT int TestVstViolations()
{
    return g_violations.load();
}

TEST_VST_EXPORT long TestVstProcessCalls()
{
    return g_processCalls.load();
}
