// One slot of the VST 2 host: the plug-in library, its effect record and the buffers that carry a
// block to and from the plug-in.
#pragma once

#include "engine/VstAbi.h"
#include "platform/SharedLibrary.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The loaded plug-in library (one module handle). The user-interface thread only.
class CVstLibrary
{
public:
    // Frees what is loaded, then loads the shared object at `path`; false when it does not load.
    bool Load(const std::string& path);
    // "VSTPluginMain", else "main"; null when the library exports neither (or nothing is loaded).
    VstEntryPointProc GetEntryPoint() const;
    // Unloads the library when one is held.
    void Free();
    bool IsLoaded() const { return m_library.IsOpen(); }

private:
    platform::SharedLibrary m_library;
};

// The host callback given to every plug-in: the interface version for audioMasterVersion, 0 for
// every other request. Plug-ins may call it from any thread; it touches no state.
std::intptr_t VstHostCallback(AEffect* effect, std::int32_t opcode, std::int32_t index, std::intptr_t value,
                              void* ptr, float opt);

// One plug-in slot.
//
// Threads: SetFile, SetFormat, Load, Prepare and Unload run on the user-interface thread (one at a
// time, never concurrently with each other); Prepare and Unload may block in 10 ms sleeps until a
// running Process call is over. SetChannels and Process run on the audio side (the engine's block
// intake or a generator's rendering thread) and never block; Process allocates only when a caller
// passes more frames than the last Prepare's block size. SetEnabled and IsEnabled may be called from
// any thread. The two sides share no lock: the user-interface side sets unloading or preparing and
// clears ready, then waits for processing to clear; the audio side sets processing before it tests
// those flags and holds it for the whole call, so each side sees the other.
class CVstPlugin
{
public:
    // Load results.
    static constexpr int kLoadOk = 0;  // loaded, or nothing to load
    static constexpr int kLoadLibraryFailed = -1;
    static constexpr int kLoadNoEntryPoint = -2;
    static constexpr int kLoadNoEffect = -3;
    // Sleep between two looks at the processing flag while the user-interface side waits.
    static constexpr int kWaitIdleSleepMs = 10;

    CVstPlugin() = default;
    ~CVstPlugin();
    CVstPlugin(const CVstPlugin&) = delete;
    CVstPlugin& operator=(const CVstPlugin&) = delete;

    // --- user-interface thread ---
    // The library that Load opens is folder followed by file, joined as they stand.
    void SetFile(std::string folder, std::string file);
    // Sample rate (Hz) and block size (frames) for the next Prepare.
    void SetFormat(double sampleRate, int blockSize);
    // kLoadOk, kLoadLibraryFailed, kLoadNoEntryPoint or kLoadNoEffect. A plug-in loaded before is
    // unloaded first, whatever the outcome. The slot is not ready until the next Prepare.
    int Load();
    // Hands the plug-in the sample rate and block size, reads its names and channel counts, sizes the
    // buffers and switches it on. Nothing happens while no plug-in is loaded.
    void Prepare();
    // Switches the plug-in off and closes it, then frees its buffers and its library. The enabled
    // flag stays as it is.
    void Unload();

    bool IsLoaded() const { return m_pEffect != nullptr; }
    const std::string& GetLoadedPath() const { return m_strLoadedPath; }
    // The plug-in's names as read by the last Prepare (UTF-8), empty while nothing is loaded.
    std::string GetEffectName() const { return NameFromBuffer(m_effectName); }
    std::string GetVendorName() const { return NameFromBuffer(m_vendorName); }
    std::string GetProductName() const { return NameFromBuffer(m_productName); }
    // Channel counts copied at the last Prepare.
    int GetInputCount() const { return m_nInputs; }
    int GetOutputCount() const { return m_nOutputs; }
    // The plug-in's effect record for the editing windows; null while nothing is loaded.
    AEffect* GetEffect() const { return m_pEffect; }

    // --- any thread ---
    void SetEnabled(bool enabled) { m_bEnabled.store(enabled ? 1 : 0); }
    bool IsEnabled() const { return m_bEnabled.load() != 0; }
    bool IsReady() const { return m_bReady.load() != 0; }

    // --- audio side ---
    // Number of channel rows of the following Process calls.
    void SetChannels(int channels) { m_nChannels = channels; }
    // Channel k of the block starts at source + k * stride and goes to destination + k * stride (the
    // two may be the same rows). Leaves the block alone unless the slot is ready and enabled. A
    // sample rate of 0 or no channels disables the slot.
    void Process(const float* source, float* destination, std::size_t stride, int frames);

private:
    using NameBuffer = std::array<char, kVstTextBufferSize>;

    std::intptr_t Dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* ptr = nullptr, float opt = 0.0f);
    void ReadNames();
    // One zeroed float array of `blockSize` frames per input and per output.
    void AllocateBuffers(int blockSize);
    void FreeBuffers();
    // True when the buffers hold `frames` frames for every input and output.
    bool BuffersHold(int frames) const;
    void WaitIdle() const;
    static std::string NameFromBuffer(const NameBuffer& buffer);

    std::atomic<double> m_dSampleRate{0.0};
    std::atomic<int> m_nBlockSize{0};
    int m_nAllocatedBlockSize = 0;
    std::atomic<int> m_bEnabled{0};
    int m_nChannels = 0;  // audio side only
    int m_nInputs = 0;
    int m_nOutputs = 0;
    int m_nAllocatedInputs = 0;
    int m_nAllocatedOutputs = 0;

    std::atomic<int> m_bUnloading{0};
    std::atomic<int> m_bPreparing{0};
    std::atomic<int> m_bReady{0};
    std::atomic<int> m_bProcessing{0};

    std::string m_strFile;
    std::string m_strFolder = ".";
    std::string m_strLoadedPath;

    NameBuffer m_effectName{};
    NameBuffer m_vendorName{};
    NameBuffer m_productName{};

    // Sample storage of the inputs and outputs (one block-size run per channel) and the per-channel
    // pointers into it that processReplacing takes.
    std::vector<float> m_inputStorage;
    std::vector<float> m_outputStorage;
    std::vector<float*> m_inputBuffers;
    std::vector<float*> m_outputBuffers;

    CVstLibrary m_library;
    VstEntryPointProc m_pEntryPoint = nullptr;
    AEffect* m_pEffect = nullptr;
};
