// The VST chain: ten plug-in slots processed in series over a block of float channels, with the name
// each slot shows. The engine owns one for its input and every generator one for its output; the
// window that edits a chain presents this model.
#pragma once

#include "engine/VstPlugin.h"

#include <array>
#include <cstddef>
#include <string>

// Threads: ProcessChain runs on the audio side (the engine's block intake under the input lock, or
// a generator's rendering thread) and never blocks; it allocates only when a caller passes more
// frames than the block size of the last prepare. IsAnyEnabled may be called from any thread. Every
// other member belongs to the user-interface thread; the members that prepare or load a slot may
// sleep until a running ProcessChain has left that slot.
class CVstChain
{
public:
    static constexpr int kSlotCount = 10;
    static constexpr const char* kNoPluginLoaded = "no plug-in loaded";
    // A longer effect name is not shown; the file name takes its place.
    static constexpr std::size_t kMaxShownNameCharacters = 100;

    CVstChain();
    CVstChain(const CVstChain&) = delete;
    CVstChain& operator=(const CVstChain&) = delete;

    // --- user-interface thread ---
    // What the next PrepareAll (and every slot enabled or loaded from then on) hands the plug-ins.
    void SetFormat(double sampleRate, int blockSize);
    double GetSampleRate() const { return m_dSampleRate; }
    int GetBlockSize() const { return m_nBlockSize; }
    // Every slot gets the chain's sample rate and block size and is prepared.
    void PrepareAll();
    // "All Off": every slot is disabled; the plug-ins stay loaded.
    void OnDisableAll();
    // The enable box of a slot (0 .. 9): the flag, then the chain's format, then Prepare.
    void SetEnabled(int slot, bool enabled);
    // Loads the library at `path` (a full path) into the slot and prepares it; the slot's name
    // follows. The result is CVstPlugin::Load's. An empty path changes nothing.
    int LoadSlot(int slot, const std::string& path);
    const std::string& GetSlotName(int slot) const;
    CVstPlugin& GetSlot(int slot);
    const CVstPlugin& GetSlot(int slot) const;

    // --- any thread ---
    bool IsAnyEnabled() const;

    // --- audio side ---
    // Channel k starts at source + k * stride and at destination + k * stride. The slots act in
    // series on the destination rows, which receive the source rows first when they are other rows;
    // source and destination are either the same rows or do not overlap.
    void ProcessChain(const float* source, float* destination, std::size_t stride, int frames, int channels);

    // The name a slot shows for a loaded plug-in: its effect name, or the file name of `path` when
    // that name is empty or longer than kMaxShownNameCharacters characters.
    static std::string ShownName(const std::string& effectName, const std::string& path);

private:
    std::array<CVstPlugin, kSlotCount> m_slots;
    std::array<std::string, kSlotCount> m_slotNames;
    double m_dSampleRate = 0.0;
    int m_nBlockSize = 0;
};
