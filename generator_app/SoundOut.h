// The generator program's output engine: holds the output format and plays it on one of two back
// ends, the ALSA stream (mode 0, CAudioOut_DXStream) or ASIO (mode 1, CAudioOut_ASIO, on the host
// layer's drivers). In mode 1 the channel count limits the buffers the driver creates.
//
// Threads: user-interface thread only; the stream's refill thread calls the fill function.
#pragma once

#include "generator_app/AudioOutAsio.h"
#include "generator_app/AudioOutDx.h"
#include "generator_app/WaveFormat.h"

#include <memory>
#include <string>

class CSoundOut
{
public:
    static constexpr int kModeDirectSound = 0;
    static constexpr int kModeAsio = 1;

    CSoundOut() = default;
    ~CSoundOut();
    CSoundOut(const CSoundOut&) = delete;
    CSoundOut& operator=(const CSoundOut&) = delete;

    // 0, or -1 when the device cannot be chosen or the stream cannot be opened (the reason in
    // GetLastError). The stream is made anew on every open after a Stop or Close.
    int Open(CAudioOut_DXStream::FillFunction fill, void* context);
    // 0, or -1 when nothing is open or the device does not start (reason in GetLastError); the
    // running flag is set only on success.
    int Start();
    // Joins the refill thread, then frees the stream and the device object; clears the running flag.
    int Stop();
    void Close();

    // Installed ASIO drivers (a fresh driver list) in mode 1; none in any other mode.
    int GetDeviceCount(int mode) const;
    std::string GetDeviceName(int mode, int index) const;

    bool IsRunning() const { return m_bRunning != 0; }
    const std::string& GetLastError() const { return m_strError; }
    // Underruns of the stream since it was opened (kept after Stop for reporting).
    std::int64_t GetUnderruns() const;

    int m_nSampleRate = 44100;
    int m_nContainerBits = 16;
    int m_nSampleBits = 16;
    int m_nChannels = 2;
    int m_bRunning = 0;
    int m_nMode = kModeDirectSound;
    int m_nDevice = 0;
    WaveFormatExtensible m_format;
    std::unique_ptr<CAudioOut_DX> m_pDevice;
    std::unique_ptr<CAudioOut_DXStream> m_pStream;
    CAudioOut_ASIO m_asio;

private:
    std::string m_strError;
    std::int64_t m_nLastUnderruns = 0;
};
