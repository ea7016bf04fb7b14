// The generator program's ASIO output (mode 1 of CSoundOut): loads a driver of the host layer by
// its place in the driver list, creates at most `m_nBufferLimit` input and output buffers, and on
// every buffer switch renders stereo 32-bit frames from the fill function into the outputs: the
// first output the left channel, the second the right, and so on alternating.
//
// Threads: Open, Start, Stop and Close on the user-interface thread; the buffer switch runs on the
// driver's thread and allocates nothing (the stereo block is sized with the buffers).
#pragma once

#include "platform/asio/AsioTypes.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class CAudioOut_ASIO
{
public:
    // Fills exactly `bytes` bytes at `buffer` and returns the count it wrote.
    using FillFunction = int (*)(void* buffer, int bytes, void* context);
    // The largest period the output takes (frames per buffer half).
    static constexpr int kMaxPeriod = 32768;

    CAudioOut_ASIO() = default;
    ~CAudioOut_ASIO();
    CAudioOut_ASIO(const CAudioOut_ASIO&) = delete;
    CAudioOut_ASIO& operator=(const CAudioOut_ASIO&) = delete;

    // 0 when the driver at `driverIndex` is loaded with its buffers; otherwise a negative result
    // with the reason in GetLastError (nothing stays loaded then).
    int Open(int sampleRate, int driverIndex, int bufferLimit, FillFunction fill, void* context);
    int Start();
    // Stops streaming; the driver and its buffers stay.
    int Stop();
    // Disposes the buffers, ends and unloads the driver.
    void Close();

    bool IsOpen() const { return m_bOpen; }
    const std::string& GetLastError() const { return m_strError; }
    // The outputs whose sample type this output cannot write (silence or nothing goes there),
    // as "channel: type" text; empty when every output takes the signal.
    const std::string& GetUnsupportedOutputs() const { return m_strUnsupported; }
    double GetDriverRate() const { return m_dDriverRate; }
    int GetOutputBuffers() const { return m_nOutputBuffers; }
    int GetInputBuffers() const { return m_nInputBuffers; }
    int GetPeriod() const { return m_nPeriod; }

    // The driver's buffer switch (driver's thread).
    void BufferSwitch(int index);

private:
    int QueryDriver();
    int CreateBuffers(int bufferLimit);

    FillFunction m_fill = nullptr;
    void* m_pContext = nullptr;
    int m_nSampleRate = 44100;
    double m_dDriverRate = 0.0;
    int m_nDriverInputs = 0;
    int m_nDriverOutputs = 0;
    int m_nPeriod = 0;
    int m_nInputBuffers = 0;
    int m_nOutputBuffers = 0;
    bool m_bOutputReady = false;
    bool m_bOpen = false;
    bool m_bLoaded = false;
    std::array<asio::BufferInfo, 2 * asio::kMaxChannels> m_buffers{};
    std::array<int, 2 * asio::kMaxChannels> m_types{};
    std::vector<std::int32_t> m_stereo;
    std::string m_strError;
    std::string m_strUnsupported;
};
