// The binary interface between the host and a VST 2 effect plug-in: the effect record that the
// plug-in hands out, the function types it is driven through, the host callback, and the numbered
// opcodes, each under its published name. The record's layout is fixed by plug-ins built elsewhere,
// so its field order and sizes must not change.
#pragma once

#include <cstddef>
#include <cstdint>

struct AEffect;

// The host callback: how a plug-in asks the host something (opcode audioMaster...).
using VstHostCallbackProc = std::intptr_t (*)(AEffect* effect, std::int32_t opcode, std::int32_t index,
                                              std::intptr_t value, void* ptr, float opt);
// The plug-in's dispatcher: how the host sends it an opcode (eff...).
using VstDispatcherProc = std::intptr_t (*)(AEffect* effect, std::int32_t opcode, std::int32_t index,
                                            std::intptr_t value, void* ptr, float opt);
// Block processing on float buffers: one pointer per input and per output channel.
using VstProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, std::int32_t sampleFrames);
using VstProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                      std::int32_t sampleFrames);
using VstSetParameterProc = void (*)(AEffect* effect, std::int32_t index, float parameter);
using VstGetParameterProc = float (*)(AEffect* effect, std::int32_t index);
// The exported entry point ("VSTPluginMain", or "main" in older plug-ins): the effect record, or
// null when the plug-in cannot be created.
using VstEntryPointProc = AEffect* (*)(VstHostCallbackProc hostCallback);

inline constexpr const char* kVstEntryPointName = "VSTPluginMain";
inline constexpr const char* kVstLegacyEntryPointName = "main";

// The effect record, owned by the plug-in. The host reads only the counts and the flags and calls
// dispatcher, setParameter, getParameter and processReplacing; the other fields only hold their
// place.
struct AEffect
{
    std::int32_t magic;  // 'VstP'; not checked by the host
    VstDispatcherProc dispatcher;
    VstProcessProc process;  // accumulating processing of old plug-ins; never called
    VstSetParameterProc setParameter;
    VstGetParameterProc getParameter;
    std::int32_t numPrograms;
    std::int32_t numParams;
    std::int32_t numInputs;
    std::int32_t numOutputs;
    std::int32_t flags;
    std::intptr_t reserved1;
    std::intptr_t reserved2;
    std::int32_t initialDelay;
    std::int32_t realQualities;
    std::int32_t offQualities;
    float ioRatio;
    void* object;  // the plug-in's own object
    void* user;    // free for the host
    std::int32_t uniqueID;
    std::int32_t version;
    VstProcessProc processReplacing;
    VstProcessDoubleProc processDoubleReplacing;
    char future[56];
};

static_assert(offsetof(AEffect, magic) == 0);
static_assert(offsetof(AEffect, dispatcher) == sizeof(void*));
static_assert(offsetof(AEffect, numPrograms) == 5 * sizeof(void*));
static_assert(offsetof(AEffect, reserved1) == (sizeof(void*) == 8 ? 64 : 40));
static_assert(offsetof(AEffect, processReplacing) == (sizeof(void*) == 8 ? 120 : 80));
static_assert(sizeof(void*) != 8 || sizeof(AEffect) == 192);

// The four bytes 'V', 's', 't', 'P' read as a big-endian number.
inline constexpr std::int32_t kEffectMagic = 0x56737450;

// Bit 0 of AEffect::flags: the plug-in has an editor window of its own.
inline constexpr std::int32_t effFlagsHasEditor = 1 << 0;

// The rectangle a plug-in gives for its editor (effEditGetRect), in pixels.
struct ERect
{
    std::int16_t top;
    std::int16_t left;
    std::int16_t bottom;
    std::int16_t right;
};

// Opcodes of the host callback.
inline constexpr std::int32_t audioMasterVersion = 1;
inline constexpr std::int32_t audioMasterIdle = 3;
// The interface version the host reports for audioMasterVersion.
inline constexpr std::intptr_t kVstHostVersion = 2400;

// Opcodes of the plug-in's dispatcher.
inline constexpr std::int32_t effOpen = 0;
inline constexpr std::int32_t effClose = 1;
inline constexpr std::int32_t effSetProgram = 2;
inline constexpr std::int32_t effGetProgramName = 5;
inline constexpr std::int32_t effGetParamLabel = 6;
inline constexpr std::int32_t effGetParamDisplay = 7;
inline constexpr std::int32_t effGetParamName = 8;
inline constexpr std::int32_t effSetSampleRate = 10;
inline constexpr std::int32_t effSetBlockSize = 11;
inline constexpr std::int32_t effMainsChanged = 12;
inline constexpr std::int32_t effEditGetRect = 13;
inline constexpr std::int32_t effEditOpen = 14;
inline constexpr std::int32_t effEditIdle = 19;
inline constexpr std::int32_t effGetProgramNameIndexed = 29;
inline constexpr std::int32_t effGetEffectName = 45;
inline constexpr std::int32_t effGetVendorString = 47;
inline constexpr std::int32_t effGetProductString = 48;
inline constexpr std::int32_t effCanDo = 51;

// Size of every text buffer the host hands a plug-in.
inline constexpr std::size_t kVstTextBufferSize = 256;
