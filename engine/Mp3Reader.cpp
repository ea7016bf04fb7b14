#include "engine/Mp3Reader.h"

#include <lame/lame.h>

#include <algorithm>

namespace
{
// The decoder reports on standard output and error unless told otherwise; a damaged file must
// not flood the terminal.
void Quiet(const char*, va_list) {}

hip_t NewDecoder()
{
    hip_t hip = hip_decode_init();
    if (hip)
    {
        hip_set_errorf(hip, Quiet);
        hip_set_debugf(hip, Quiet);
        hip_set_msgf(hip, Quiet);
    }
    return hip;
}

bool PlausibleFormat(int channels, int rate)
{
    return (channels == 1 || channels == 2) && rate >= 8000 && rate <= 48000;
}
}  // namespace

struct CMp3Reader::HeaderRecord
{
    mp3data_struct data{};
};

CMp3Reader::CMp3Reader() : m_header(std::make_unique<HeaderRecord>()) {}

CMp3Reader::~CMp3Reader()
{
    Close();
}

void CMp3Reader::ScanFile()
{
    m_nChannels = 0;
    m_nSampleRate = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(m_strPath.c_str(), "rb"));
    if (!file)
        return;
    hip_t hip = NewDecoder();
    if (!hip)
        return;
    long scanned = 0;
    mp3data_struct header{};
    while (scanned < kScanLimitBytes)
    {
        const std::size_t got = std::fread(m_input.data(), 1, m_input.size(), file.get());
        scanned += static_cast<long>(got);
        const int n = hip_decode1_headers(hip, m_input.data(), got, m_left.data(), m_right.data(), &header);
        if (n != 0 || header.header_parsed || got < m_input.size())
            break;
    }
    if (header.header_parsed && PlausibleFormat(header.stereo, header.samplerate))
    {
        m_nChannels = header.stereo;
        m_nSampleRate = header.samplerate;
    }
    hip_decode_exit(hip);
}

int CMp3Reader::Open()
{
    Close();
    m_nAvailable = 0;
    m_nNext = 0;
    m_nBytesRead = 0;
    m_nFileSize = 0;
    m_nStreamChannels = std::clamp(m_nChannels, 1, 2);
    m_file.reset(std::fopen(m_strPath.c_str(), "rb"));
    if (!m_file)
        return -1;
    if (std::fseek(m_file.get(), 0, SEEK_END) == 0)
    {
        const long size = std::ftell(m_file.get());
        m_nFileSize = size > 0 ? size : 0;
    }
    std::fseek(m_file.get(), 0, SEEK_SET);
    m_hip = NewDecoder();
    m_header->data = {};
    if (!m_hip)
    {
        m_file.reset();
        return -1;
    }
    return 0;
}

bool CMp3Reader::DecodeMore()
{
    // The header record persists across calls: the decoder keeps state in it.
    mp3data_struct& header = m_header->data;
    // Frames the decoder still holds from the bytes fed last come first.
    int n = hip_decode1_headers(m_hip, m_input.data(), 0, m_left.data(), m_right.data(), &header);
    while (n <= 0)
    {
        const std::size_t got = std::fread(m_input.data(), 1, m_input.size(), m_file.get());
        if (got == 0)
        {
            // The first frames of a stream (its tag frame, the reservoir's first) yield no samples,
            // so the decoder may still hold frames when the file is read to its end.
            n = hip_decode1_headers(m_hip, m_input.data(), 0, m_left.data(), m_right.data(), &header);
            if (n <= 0)
                return false;
            break;
        }
        m_nBytesRead += static_cast<std::int64_t>(got);
        n = hip_decode1_headers(m_hip, m_input.data(), got, m_left.data(), m_right.data(), &header);
    }
    m_nAvailable = std::min(n, kFrameSamples);
    m_nNext = 0;
    return true;
}

int CMp3Reader::Read(float* buffer, int frames, bool planar)
{
    if (!IsOpen() || !buffer || frames <= 0)
        return 0;
    const int channels = m_nStreamChannels;
    const std::size_t stride = planar ? 1 : static_cast<std::size_t>(channels);
    const std::size_t secondOffset = planar ? static_cast<std::size_t>(frames) : 1;
    int done = 0;
    while (done < frames)
    {
        if (m_nAvailable <= 0 && !DecodeMore())
            break;
        const int n = std::min(m_nAvailable, frames - done);
        for (int i = 0; i < n; ++i)
        {
            const std::size_t at = static_cast<std::size_t>(done + i) * stride;
            buffer[at] = static_cast<float>(m_left[static_cast<std::size_t>(m_nNext + i)] / 32768.0);
            if (channels == 2)
                buffer[at + secondOffset] =
                    static_cast<float>(m_right[static_cast<std::size_t>(m_nNext + i)] / 32768.0);
        }
        m_nNext += n;
        m_nAvailable -= n;
        done += n;
    }
    return done;
}

void CMp3Reader::Close()
{
    if (m_hip)
        hip_decode_exit(m_hip);
    m_hip = nullptr;
    m_file.reset();
    m_nAvailable = 0;
    m_nNext = 0;
}
