// One ALSA PCM stream, capture or playback, interleaved little-endian samples, with the device
// trouble turned into plain messages (busy, not present, format refused) and overruns and
// underruns counted and recovered. Devices that run without a clock of their own (the "null"
// device, a `file` device over it) are paced to the system clock, so that they deliver and take
// frames at the pace of real time like a sound card.
//
// Threads: Open and Close on a control thread; Start, Stop, Read, Write, Drain from one thread at
// a time (the back-end's worker while it runs). Nothing here takes a lock or allocates after Open.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _snd_pcm snd_pcm_t;

namespace platform::audio
{

enum class Direction
{
    Capture,
    Playback
};

enum class SampleFormat
{
    S16,     // 2 bytes
    S24In3,  // 3 bytes
    S32,     // 4 bytes
    Float    // 4 bytes, IEEE
};

int SampleBytes(SampleFormat format);

struct PcmConfig
{
    std::string device = "default";
    Direction direction = Direction::Capture;
    int sampleRate = 44100;
    int channels = 2;
    SampleFormat format = SampleFormat::S16;
    int periodFrames = 1024;
    int periods = 4;
};

struct PcmDeviceInfo
{
    std::string name;         // what Open takes ("default", "hw:CARD=PCH,DEV=0", "null" ...)
    std::string description;  // first line of the device's description
};

// The PCM devices ALSA lists for a direction, in its order.
std::vector<PcmDeviceInfo> ListPcmDevices(Direction direction);

class AlsaPcm
{
public:
    AlsaPcm() = default;
    ~AlsaPcm();
    AlsaPcm(const AlsaPcm&) = delete;
    AlsaPcm& operator=(const AlsaPcm&) = delete;

    // 0 on success; -1 with a plain message in GetLastError (the stream stays closed).
    int Open(const PcmConfig& config);
    void Close();
    bool IsOpen() const { return m_pcm != nullptr; }
    const std::string& GetLastError() const { return m_strError; }

    // Capture: starts the stream. Playback starts with the first full period written.
    int Start();
    // Drops what the device holds and stops; Start may follow.
    void Stop();
    // Up to `frames` frames after waiting at most timeoutMs for one period: the frames read, 0 on
    // time-out, -1 on a failure that recovery could not mend (message in GetLastError).
    long Read(void* data, long frames, int timeoutMs);
    // Writes up to `frames` frames after waiting at most timeoutMs for room: as Read.
    long Write(const void* data, long frames, int timeoutMs);
    // Frames the device can deliver (capture) or take (playback) now; negative on failure.
    long Available();
    // Playback: waits at most timeoutMs for what was written to be played, then stops.
    void Drain(int timeoutMs);

    int PeriodFrames() const { return m_nPeriodFrames; }
    int BufferFrames() const { return m_nBufferFrames; }
    int FrameBytes() const { return m_nFrameBytes; }
    int SampleRate() const { return m_config.sampleRate; }
    // Overruns (capture) or underruns (playback) recovered since Open.
    std::int64_t Xruns() const { return m_nXruns; }
    // True once the device has made a reader or writer wait: it keeps time itself.
    bool IsClocked() const { return m_bClocked; }

private:
    // Waits until a period's worth of frames (or the request, if smaller) can move: 1 ready,
    // 0 timed out, -1 failed.
    int WaitReady(long frames, int timeoutMs);
    bool Recover(int error);
    void Pace(long frames);
    void SetError(const std::string& what, int error);

    snd_pcm_t* m_pcm = nullptr;
    PcmConfig m_config;
    std::string m_strError;
    int m_nPeriodFrames = 0;
    int m_nBufferFrames = 0;
    int m_nFrameBytes = 0;
    std::int64_t m_nXruns = 0;
    bool m_bClocked = false;
    bool m_bPaceStarted = false;
    std::chrono::steady_clock::time_point m_paceStart;
    std::int64_t m_nPacedFrames = 0;
};

}  // namespace platform::audio
