// The measurement window's impulse response read from an audio file.
#include "view/SndView.h"

#include "engine/AudioFileReader.h"
#include "engine/SoundIn.h"

#include <algorithm>
#include <cmath>
#include <new>

bool CSndView::LoadImpulseFromAudioFile(const std::string& path, int& frames, int& sampleRate, int& channels)
{
    CAudioFileReader reader;
    reader.Open(path);
    if (!reader.IsOpen() || reader.m_nChannels <= 0 || reader.m_nSampleRate <= 0)
        return false;
    const int count = reader.m_nChannels;
    // A WAVE file loops when read past its end: its own length bounds the read. An MP3 stream ends
    // by itself; its length is only an estimate, so it is read up to the limit.
    const double known =
        reader.m_bMp3 ? static_cast<double>(kMaxImpulseFrames) : std::floor(reader.m_dLength);
    const int wanted = static_cast<int>(std::clamp(known, 0.0, static_cast<double>(kMaxImpulseFrames)));
    if (wanted <= 0)
        return false;
    std::vector<float> planes;
    std::vector<float> chunk;
    int got = 0;
    try
    {
        planes.assign(static_cast<std::size_t>(wanted) * static_cast<std::size_t>(count), 0.0f);
        constexpr int kChunkFrames = 65536;
        chunk.resize(static_cast<std::size_t>(kChunkFrames) * static_cast<std::size_t>(count));
        while (got < wanted)
        {
            const int n = reader.Read(chunk.data(), std::min(kChunkFrames, wanted - got), 0);
            if (n <= 0)
                break;
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < count; ++c)
                    planes[static_cast<std::size_t>(c) * static_cast<std::size_t>(wanted) +
                           static_cast<std::size_t>(got + i)] =
                        chunk[static_cast<std::size_t>(i) * static_cast<std::size_t>(count) +
                              static_cast<std::size_t>(c)];
            got += n;
        }
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    reader.Close();
    if (got <= 0)
        return false;
    // Rows of `got` frames (an MP3 may end before the limit).
    if (got < wanted)
        for (int c = 1; c < count; ++c)
            std::copy_n(planes.begin() + static_cast<std::ptrdiff_t>(c) * wanted, got,
                        planes.begin() + static_cast<std::ptrdiff_t>(c) * got);
    planes.resize(static_cast<std::size_t>(got) * static_cast<std::size_t>(count));
    // The engine lets go of the old samples before they are replaced.
    m_engine.SetHeldImpulse(nullptr, 0, 0);
    m_impulseResponse = std::move(planes);
    m_nImpulseFrames = got;
    m_nImpulseRate = reader.m_nSampleRate;
    m_nImpulseChannels = count;
    m_engine.SetHeldImpulse(m_impulseResponse.data(), got, m_nImpulseRate);
    frames = got;
    sampleRate = m_nImpulseRate;
    channels = count;
    return true;
}
