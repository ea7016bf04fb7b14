#include "engine/AudioFileReader.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace
{
std::uint32_t Le32(const std::uint8_t* p)
{
    return platform::LoadLittleEndian<std::uint32_t>(p);
}

int Le16(const std::uint8_t* p)
{
    return platform::LoadLittleEndian<std::uint16_t>(p);
}

double LeDouble(const std::uint8_t* p)
{
    const auto bits = platform::LoadLittleEndian<std::uint64_t>(p);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool ReadAt(std::FILE* file, std::int64_t offset, void* out, std::size_t bytes)
{
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fread(out, 1, bytes, file) == bytes;
}

std::atomic<bool> g_generatorProgramRules{false};

bool IsWaveExtension(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty())
        ext.erase(0, 1);
    for (char& ch : ext)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    if (g_generatorProgramRules.load(std::memory_order_relaxed))
        return ext == "wav";
    return ext == "wav" || ext == "wave";
}

// A calibration factor from a file is used only when it is a finite number.
bool UsableFactor(double value)
{
    return std::isfinite(value);
}
}  // namespace

int ALawToLinear(std::uint8_t value)
{
    const int a = value ^ 0x55;
    const int exponent = (a & 0x70) >> 4;
    int magnitude = (a & 0x0F) << 4;
    if (exponent == 0)
        magnitude += 8;
    else
        magnitude = (magnitude + 0x108) << (exponent - 1);
    return (a & 0x80) ? magnitude : -magnitude;
}

void MuLawToLinear(const std::uint8_t* bytes, short* values, int count)
{
    for (int i = 0; i < count; ++i)
    {
        const int u = ~bytes[i] & 0xFF;
        int magnitude = (((u & 0x0F) << 3) + 0x84) << ((u & 0x70) >> 4);
        magnitude -= 0x84;
        values[i] = static_cast<short>((u & 0x80) ? -magnitude : magnitude);
    }
}

CAudioFileReader::CAudioFileReader()
{
    m_dChannelFactor.fill(1.0);
}

CAudioFileReader::~CAudioFileReader()
{
    Close();
}

void CAudioFileReader::Open(const std::string& path)
{
    m_strPath = path;
    OpenPath();
}

void CAudioFileReader::SetGeneratorProgramRules(bool on)
{
    g_generatorProgramRules.store(on);
}

bool CAudioFileReader::UsesGeneratorProgramRules()
{
    return g_generatorProgramRules.load();
}

void CAudioFileReader::Refuse(const std::string& reason)
{
    m_strError =
        "The file \"" + std::filesystem::path(m_strPath).filename().string() + "\" cannot be read: " + reason;
    m_file.reset();
    m_bOpen = 0;
}

void CAudioFileReader::OpenPath()
{
    // Owners close first; a second open must not leave the first file behind.
    Close();
    m_strError.clear();
    m_dOverallFactor = 1.0;
    m_dChannelFactor.fill(1.0);
    m_bMp3 = IsWaveExtension(m_strPath) ? 0 : 1;
    m_nPosition = 0;
    if (m_bMp3)
    {
        m_dLength = 0.0;
        m_nDataBytes = 0;
        m_nBlockAlign = 0;
        m_nFormatTag = -1;
        m_mp3.m_strPath = m_strPath;
        m_mp3.ScanFile();
        m_nChannels = m_mp3.m_nChannels;
        m_nSampleRate = m_mp3.m_nSampleRate;
        m_nBits = 16;
        if (m_nChannels <= 0)
        {
            Refuse("it holds no MPEG audio frame.");
            return;
        }
        if (m_mp3.Open() != 0)
        {
            m_nChannels = 0;
            Refuse("it cannot be opened.");
        }
        return;
    }
    m_dLength = 0.0;
    m_nChannels = 0;
    m_nDataBytes = 0;
    m_nBits = 0;
    m_nBlockAlign = 0;
    m_nFormatTag = -1;
    m_nSampleRate = -1;
    if (OpenWave())
    {
        ComputeFades();
        m_bOpen = 1;
    }
}

bool CAudioFileReader::OpenWave()
{
    m_file.reset(std::fopen(m_strPath.c_str(), "rb"));
    if (!m_file)
    {
        Refuse("it cannot be opened.");
        return false;
    }
    std::FILE* file = m_file.get();
    if (fseeko(file, 0, SEEK_END) != 0)
    {
        Refuse("it cannot be opened.");
        return false;
    }
    const std::int64_t fileSize = ftello(file);
    std::uint8_t header[12];
    if (fileSize < 12 || !ReadAt(file, 0, header, sizeof header) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0)
    {
        Refuse("it is not a RIFF WAVE file.");
        return false;
    }
    // The sizes in the file are claims; the file's real size bounds every one of them.
    const std::int64_t riffEnd =
        std::min<std::int64_t>(8 + static_cast<std::int64_t>(Le32(header + 4)), fileSize);

    std::uint8_t fmt[40]{};
    std::uint32_t fmtSize = 0;
    bool haveFmt = false;
    bool haveData = false;
    int scalChunks = 0;
    std::int64_t dataStart = 0;
    std::int64_t dataBytes = 0;
    std::int64_t pos = 12;
    while (pos + 8 <= riffEnd)
    {
        std::uint8_t chunk[8];
        if (!ReadAt(file, pos, chunk, sizeof chunk))
            break;
        const std::int64_t size = Le32(chunk + 4);
        const std::int64_t body = pos + 8;
        const bool complete = body + size <= riffEnd;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFmt)
        {
            if (size < 16 || !complete)
            {
                Refuse("its \"fmt \" chunk is damaged.");
                return false;
            }
            fmtSize = static_cast<std::uint32_t>(std::min<std::int64_t>(size, sizeof fmt));
            if (!ReadAt(file, body, fmt, fmtSize))
            {
                Refuse("its \"fmt \" chunk is damaged.");
                return false;
            }
            haveFmt = true;
        }
        else if (std::memcmp(chunk, "data", 4) == 0 && !haveData)
        {
            haveData = true;
            dataStart = body;
            // A recording cut short (or streamed with an open size) keeps what the file holds.
            dataBytes = std::min<std::int64_t>(size, std::max<std::int64_t>(fileSize - body, 0));
        }
        else if (std::memcmp(chunk, "scal", 4) == 0 && complete &&
                 !g_generatorProgramRules.load(std::memory_order_relaxed))
        {
            if (scalChunks == 0 && size >= 8)
            {
                std::uint8_t value[8];
                if (ReadAt(file, body, value, sizeof value) && UsableFactor(LeDouble(value)))
                    m_dOverallFactor = LeDouble(value);
            }
            else if (scalChunks == 1)
            {
                const int count = static_cast<int>(std::min<std::int64_t>(size / 8, kMaxChannels));
                for (int c = 0; c < count; ++c)
                {
                    std::uint8_t value[8];
                    if (!ReadAt(file, body + 8 * c, value, sizeof value))
                        break;
                    if (UsableFactor(LeDouble(value)))
                        m_dChannelFactor[static_cast<std::size_t>(c)] = LeDouble(value);
                }
            }
            ++scalChunks;
        }
        if (!complete)
            break;
        pos = body + size + (size & 1);
    }
    if (!haveFmt)
    {
        Refuse("it has no \"fmt \" chunk.");
        return false;
    }
    int tag = Le16(fmt);
    const int channels = Le16(fmt + 2);
    const std::uint32_t rate = Le32(fmt + 4);
    const int blockAlign = Le16(fmt + 12);
    if (tag == kFormatExtensible && fmtSize >= 40)
        tag = Le16(fmt + 24);
    if (channels < 1 || channels > kMaxChannels)
    {
        Refuse("it claims " + std::to_string(channels) + " channels.");
        return false;
    }
    if (rate < 1 || rate > static_cast<std::uint32_t>(kMaxSampleRate))
    {
        Refuse("it claims a sample rate of " + std::to_string(rate) + " Hz.");
        return false;
    }
    if (blockAlign < channels || blockAlign % channels != 0 || blockAlign / channels > 4)
    {
        Refuse("its frame size does not fit its channel count.");
        return false;
    }
    if (!haveData)
    {
        Refuse("it has no \"data\" chunk.");
        return false;
    }
    dataBytes -= dataBytes % blockAlign;
    m_nChannels = channels;
    m_nSampleRate = static_cast<int>(rate);
    m_nFormatTag = tag;
    m_nBlockAlign = blockAlign;
    m_nBits = blockAlign * 8 / channels;
    m_nDataBytes = dataBytes;
    if (dataBytes <= 0)
    {
        Refuse("it holds no samples.");
        return false;
    }
    m_nDataStart = dataStart;
    m_dLength = static_cast<double>(dataBytes / blockAlign);
    m_bytes.assign(static_cast<std::size_t>(kReadBytes - kReadBytes % blockAlign), 0);
    if (fseeko(file, static_cast<off_t>(dataStart), SEEK_SET) != 0)
    {
        Refuse("it cannot be read.");
        return false;
    }
    return true;
}

void CAudioFileReader::ComputeFades()
{
    const double rate = m_nSampleRate > 0 ? m_nSampleRate : 0.0;
    m_nFadeInFrames = static_cast<std::int64_t>(rate * std::max(m_dFadeInSeconds, 0.0));
    m_dFadeInStep = m_nFadeInFrames > 0 ? std::pow(10.0, 4.5 / static_cast<double>(m_nFadeInFrames)) : 1.0;
    m_dFadeInGain = m_nFadeInFrames > 0 ? std::pow(10.0, -4.5) : 1.0;
    const double fadeOutFrames = rate * std::max(m_dFadeOutSeconds, 0.0);
    m_nFadeOutStart = static_cast<std::int64_t>(m_dLength - fadeOutFrames);
    m_dFadeOutStep = fadeOutFrames > 0.0 ? std::pow(10.0, -4.5 / fadeOutFrames) : 1.0;
    m_dFadeOutGain = 1.0;
}

WaveFileInfo CAudioFileReader::GetInfo() const
{
    return {m_dLength, m_nChannels,   m_nFormatTag, m_nSampleRate, m_nDataBytes,
            m_nBits,   m_nBlockAlign, m_strPath,    m_bMp3};
}

void CAudioFileReader::Convert(const std::uint8_t* bytes, float* out, int frames, int frameOffset,
                               int totalFrames, bool planar) const
{
    const int channels = m_nChannels;
    const int width = m_nBits / 8;
    for (int c = 0; c < channels; ++c)
    {
        const std::uint8_t* p = bytes + c * width;
        float* o =
            planar ? out + static_cast<std::size_t>(c) * static_cast<std::size_t>(totalFrames) + frameOffset
                   : out + static_cast<std::size_t>(frameOffset) * static_cast<std::size_t>(channels) + c;
        const std::size_t step = planar ? 1 : static_cast<std::size_t>(channels);
        for (int i = 0; i < frames; ++i, p += m_nBlockAlign, o += step)
        {
            float value = 0.0f;
            switch (m_nBits)
            {
                case 8:
                    if (m_nFormatTag == kFormatALaw)
                        value = static_cast<float>(ALawToLinear(p[0]) / 32768.0);
                    else if (m_nFormatTag == kFormatMuLaw)
                    {
                        short linear = 0;
                        MuLawToLinear(p, &linear, 1);
                        value = static_cast<float>(linear / 32768.0);
                    }
                    else
                        value = static_cast<float>((p[0] - 128) / 128.0);
                    break;
                case 16:
                    value = static_cast<float>(static_cast<std::int16_t>(Le16(p)) / 32768.0);
                    break;
                case 24:
                    value =
                        static_cast<float>(static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 8 |
                                                                     static_cast<std::uint32_t>(p[1]) << 16 |
                                                                     static_cast<std::uint32_t>(p[2]) << 24) /
                                           2147483648.0);
                    break;
                case 32:
                    if (m_nFormatTag == kFormatFloat)
                    {
                        const std::uint32_t bits = Le32(p);
                        std::memcpy(&value, &bits, sizeof value);
                    }
                    else if (m_nFormatTag == kFormatPcm)
                        value = static_cast<float>(static_cast<std::int32_t>(Le32(p)) / 2147483648.0);
                    break;
                default:
                    break;
            }
            *o = value;
        }
    }
}

void CAudioFileReader::ApplyFades(float* out, int frames, int frameOffset, int totalFrames, bool planar)
{
    const int channels = m_nChannels;
    auto scale = [&](int frame, double gain)
    {
        for (int c = 0; c < channels; ++c)
        {
            const std::size_t at =
                planar ? static_cast<std::size_t>(c) * static_cast<std::size_t>(totalFrames) +
                             static_cast<std::size_t>(frameOffset + frame)
                       : static_cast<std::size_t>(frameOffset + frame) * static_cast<std::size_t>(channels) +
                             static_cast<std::size_t>(c);
            out[at] = static_cast<float>(out[at] * gain);
        }
    };
    const std::int64_t first = m_nPosition - frames;
    for (int i = 0; i < frames && first + i < m_nFadeInFrames; ++i)
    {
        scale(i, m_dFadeInGain);
        m_dFadeInGain *= m_dFadeInStep;
    }
    if (m_nPosition >= m_nFadeOutStart && m_dFadeOutStep != 1.0)
    {
        const std::int64_t start = std::clamp<std::int64_t>(m_nFadeOutStart - first, 0, frames - 1);
        for (int i = static_cast<int>(start); i < frames; ++i)
        {
            scale(i, m_dFadeOutGain);
            m_dFadeOutGain *= m_dFadeOutStep;
        }
    }
}

int CAudioFileReader::Read(float* buffer, int frames, int planar)
{
    if (!buffer || frames <= 0)
        return 0;
    const int channels = std::max(m_nChannels, 1);
    std::fill_n(buffer, static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels), 0.0f);
    if (m_bMp3)
    {
        const int got = m_mp3.Read(buffer, frames, planar != 0);
        m_nPosition += got;
        if (m_mp3.m_nBytesRead > 0)
            m_dLength = static_cast<double>(m_nPosition) / static_cast<double>(m_mp3.m_nBytesRead) *
                        static_cast<double>(m_mp3.m_nFileSize);
        return got;
    }
    if (!m_bOpen || !m_file)
        return 0;
    const std::int64_t totalFrames = m_nDataBytes / m_nBlockAlign;
    const int pieceFrames = static_cast<int>(m_bytes.size()) / m_nBlockAlign;
    int done = 0;
    while (done < frames)
    {
        if (m_nPosition >= totalFrames)
        {
            ComputeFades();
            m_nPosition = 0;
            if (fseeko(m_file.get(), static_cast<off_t>(m_nDataStart), SEEK_SET) != 0)
                return 0;
        }
        const int n =
            static_cast<int>(std::min<std::int64_t>({pieceFrames, frames - done, totalFrames - m_nPosition}));
        const std::size_t bytes = static_cast<std::size_t>(n) * static_cast<std::size_t>(m_nBlockAlign);
        if (std::fread(m_bytes.data(), 1, bytes, m_file.get()) != bytes)
            return 0;
        m_nPosition += n;
        Convert(m_bytes.data(), buffer, n, done, frames, planar != 0);
        ApplyFades(buffer, n, done, frames, planar != 0);
        done += n;
    }
    return frames;
}

void CAudioFileReader::SeekFrame(std::int64_t frame)
{
    if (m_bMp3 || !m_bOpen || !m_file)
    {
        m_nPosition = std::max<std::int64_t>(frame, 0);
        return;
    }
    const std::int64_t totalFrames = m_nDataBytes / m_nBlockAlign;
    m_nPosition = std::clamp<std::int64_t>(frame, 0, totalFrames - 1);
    fseeko(m_file.get(), static_cast<off_t>(m_nDataStart + m_nPosition * m_nBlockAlign), SEEK_SET);
}

void CAudioFileReader::Close()
{
    if (m_bMp3)
        m_mp3.Close();
    m_file.reset();
    m_bOpen = 0;
}

int GetWaveFileInfo(const std::string& path, WaveFileInfo& info)
{
    CAudioFileReader reader;
    reader.Open(path);
    info = reader.GetInfo();
    return reader.m_nChannels > 0 && reader.IsOpen() ? 1 : -1;
}

int ReadWaveFileCalibration(const std::string& path, std::span<double, 257> factors)
{
    std::fill(factors.begin(), factors.end(), 1.0);
    CAudioFileReader reader;
    reader.Open(path);
    if (reader.m_nChannels <= 0 || !reader.IsOpen())
        return -1;
    factors[256] = reader.m_dOverallFactor;
    const int count = std::min(reader.m_nChannels, CAudioFileReader::kMaxChannels);
    for (int c = 0; c < count; ++c)
        factors[static_cast<std::size_t>(c)] = reader.m_dChannelFactor[static_cast<std::size_t>(c)];
    return 1;
}
