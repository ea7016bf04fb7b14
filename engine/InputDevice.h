// What the engine asks of an input back-end (sound card, file, test signal, plug-in), and the
// entry points through which a back-end hands it sample blocks.
//
// Threads: Open, Pause, Resume and Close are called by the engine's lifecycle operations (user-
// interface or worker thread, one at a time). Blocks reach the sink on the back-end's own thread.
// Pause and Close return only after the last delivery has returned; Resume and Open may deliver at
// once. Close may be called in any state, also after a failed Open.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// The engine's intake as a back-end sees it.
class CInputBlockSink
{
public:
    virtual ~CInputBlockSink() = default;
    // Interleaved 16-bit frames; the frame count is the engine's device buffer frames, never more
    // than the span holds.
    virtual void OnPcm16Block(std::span<const std::int16_t> samples) = 0;
    // Interleaved float frames; a positive count replaces the device buffer frames, 0 or less keeps
    // them. Never more frames than the span holds are read.
    virtual void OnFloatBlock(std::span<const float> samples, int frames) = 0;
};

// What the engine hands a back-end when it opens the input.
struct InputDeviceConfig
{
    int channels = 2;  // device channels per frame
    int deviceIndex = 0;
    int sampleRate = 44100;
    int bufferFrames = 1024;  // frames per delivered block
    int bufferCount = 20;
    int bits = 16;
};

class CInputDevice
{
public:
    virtual ~CInputDevice() = default;
    // Opens the device and starts delivering blocks to `sink`. 0 on success; -1 on refusal, with a
    // plain message (busy, not present) in GetLastError.
    virtual int Open(const InputDeviceConfig& config, CInputBlockSink& sink) = 0;
    // Sources with a format of their own (a file, a plug-in) give their channel count (1..64) and
    // sample rate before the engine sizes its buffers and return true; devices that take the
    // engine's format return false.
    virtual bool QueryFormat(int& channels, int& sampleRate)
    {
        (void)channels;
        (void)sampleRate;
        return false;
    }
    // Stops deliveries at a safe point (cooperative) and keeps the device open.
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Stops deliveries and releases the device.
    virtual void Close() = 0;
    virtual std::string GetLastError() const = 0;
    // True after an Open that failed because the system has no such input at all (rather than a
    // busy or misconfigured one).
    virtual bool HasNoDevice() const { return false; }
    // The name of the device last opened, where the source has one.
    virtual std::string GetDeviceName() const { return {}; }
};
