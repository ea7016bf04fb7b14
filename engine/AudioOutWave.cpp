#include "engine/AudioOutWave.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace
{
constexpr int kWaitMs = 20;
}

CAudioOut_Wave::~CAudioOut_Wave()
{
    Close();
}

int CAudioOut_Wave::Open()
{
    if (m_bOpened.load())
        return -1;
    m_strError.clear();
    m_nChannels = std::clamp(m_nChannels, 1, 2);
    m_nBits = 16;
    m_nBlockAlign = m_nChannels * m_nBits / 8;
    m_nFramesPerBuffer = std::clamp(m_nFramesPerBuffer, 16, 65536);
    m_bPaused.store(false);
    if (m_bFileMode)
    {
        m_reader.OpenPath();
        if (!m_reader.IsOpen())
        {
            m_strError = m_reader.GetLastError();
            return -1;
        }
    }
    platform::audio::PcmConfig config;
    config.device = m_strDevice;
    config.direction = platform::audio::Direction::Playback;
    config.sampleRate = m_nSampleRate;
    config.channels = m_nChannels;
    config.periodFrames = m_nFramesPerBuffer;
    config.periods = kBufferCount;
    if (m_pcm.Open(config) != 0)
    {
        m_strError = m_pcm.GetLastError();
        if (m_bFileMode)
            m_reader.Close();
        return -1;
    }
    const std::size_t samples =
        static_cast<std::size_t>(m_nFramesPerBuffer) * static_cast<std::size_t>(m_nChannels);
    // The reader delivers its file's channels; one block of the widest file it can open.
    m_floatBlock.assign(static_cast<std::size_t>(m_nFramesPerBuffer) * CAudioFileReader::kMaxChannels, 0.0f);
    m_pcmBlock.assign(samples, 0);
    m_nState.store(0);
    m_bOpened.store(true);
    m_thread = std::thread([this] { PlaybackThread(); });
    return 0;
}

int CAudioOut_Wave::Start()
{
    if (!m_bOpened.load() || m_bRunning.load())
        return -1;
    m_nState.store(0);
    // The playback thread is idle while not running, so the device is ours here.
    if (!m_bPaused.load())
    {
        const std::vector<std::uint8_t> silence(static_cast<std::size_t>(m_nFramesPerBuffer) *
                                                    static_cast<std::size_t>(m_nBlockAlign) * kPreQueue,
                                                0);
        Write(silence.data(), static_cast<int>(silence.size()));
    }
    m_bRunning.store(true);
    m_bPaused.store(false);
    return 0;
}

int CAudioOut_Wave::Pause()
{
    if (!m_bRunning.load())
        return -1;
    m_bRunning.store(false);
    m_bPaused.store(true);
    return 0;
}

int CAudioOut_Wave::Write(const std::uint8_t* bytes, int length)
{
    const int bufferBytes = m_nFramesPerBuffer * m_nBlockAlign;
    if (!m_pcm.IsOpen() || bufferBytes <= 0)
        return -1;
    for (int offset = 0; offset + bufferBytes <= length; offset += bufferBytes)
    {
        long done = 0;
        while (done < m_nFramesPerBuffer)
        {
            if (m_nState.load() != 0)
                return 0;
            const long put =
                m_pcm.Write(bytes + offset + done * m_nBlockAlign, m_nFramesPerBuffer - done, kWaitMs * 10);
            if (put < 0)
            {
                m_strError = m_pcm.GetLastError();
                return -1;
            }
            done += put;
        }
    }
    return 0;
}

void CAudioOut_Wave::PlaybackThread()
{
    while (m_nState.load() == 0)
    {
        if (!m_bRunning.load() || !m_bFileMode)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(kWaitMs));
            continue;
        }
        const int fileChannels = std::max(m_reader.m_nChannels, 1);
        const int got = m_reader.Read(m_floatBlock.data(), m_nFramesPerBuffer, 0);
        if (got <= 0)
        {
            // The end of an MP3 stream, or a file that fails: nothing more to play.
            m_bRunning.store(false);
            continue;
        }
        std::fill(m_pcmBlock.begin(), m_pcmBlock.end(), std::int16_t{0});
        for (int f = 0; f < got; ++f)
            for (int c = 0; c < m_nChannels; ++c)
            {
                // A mono file plays on both channels; extra file channels are not played.
                const int source = std::min(c, fileChannels - 1);
                const double v =
                    std::round(m_floatBlock[static_cast<std::size_t>(f * fileChannels + source)] * 32768.0);
                m_pcmBlock[static_cast<std::size_t>(f * m_nChannels + c)] =
                    static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
            }
        if (Write(reinterpret_cast<const std::uint8_t*>(m_pcmBlock.data()),
                  static_cast<int>(m_pcmBlock.size() * sizeof(std::int16_t))) < 0)
            m_bRunning.store(false);
    }
    m_nState.store(-1);
}

int CAudioOut_Wave::Close()
{
    if (!m_bOpened.load())
        return 0;
    if (m_bRunning.load())
        Pause();
    m_nState.store(1);
    if (m_thread.joinable())
        m_thread.join();
    m_bPaused.store(false);
    m_pcm.Drain(kCloseDrainMs);
    m_pcm.Close();
    m_bRunning.store(false);
    m_bOpened.store(false);
    if (m_bFileMode)
        m_reader.Close();
    return 0;
}
