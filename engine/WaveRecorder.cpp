#include "engine/WaveRecorder.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

namespace
{
void Put16(std::uint8_t* out, int value)
{
    platform::StoreLittleEndian(out, static_cast<std::uint16_t>(value));
}

void Put32(std::uint8_t* out, std::int64_t value)
{
    platform::StoreLittleEndian(out, static_cast<std::uint32_t>(value));
}

void PutDouble(std::uint8_t* out, double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    platform::StoreLittleEndian(out, bits);
}

bool WriteAll(std::FILE* file, const void* data, std::size_t bytes)
{
    return std::fwrite(data, 1, bytes, file) == bytes;
}

bool WriteChunk(std::FILE* file, const char* id, const std::uint8_t* body, std::size_t bytes)
{
    std::uint8_t header[8];
    std::memcpy(header, id, 4);
    Put32(header + 4, static_cast<std::int64_t>(bytes));
    return WriteAll(file, header, sizeof header) && WriteAll(file, body, bytes);
}
}  // namespace

CWaveRecorder::CWaveRecorder()
{
    m_dChannelFactor.fill(1.0);
    m_bChannelEnabled.fill(1);
}

CWaveRecorder::~CWaveRecorder()
{
    Close();
}

void CWaveRecorder::SetStartTime(std::time_t time)
{
    std::tm local{};
    localtime_r(&time, &local);
    const int fields[8] = {local.tm_year + 1900,
                           local.tm_mon + 1,
                           local.tm_mday,
                           local.tm_hour,
                           local.tm_min,
                           local.tm_sec,
                           0,
                           0};
    for (int i = 0; i < 8; ++i)
        Put32(m_star.data() + 4 * i, fields[i]);
}

int CWaveRecorder::OpenFile(const std::string& name)
{
    if (m_bRecording)
        return 0;
    const bool validBits = m_nBits == 8 || m_nBits == 16 || m_nBits == 24 || m_nBits == 32;
    if (m_nFileChannels < 1 || m_nFileChannels > kMaxChannels || !validBits || m_nSampleRate < 1 ||
        (m_bFloat && m_nBits != 32))
        return 0;
    m_ring.clear();
    m_ring.reserve(kRingBytes);
    m_nRingStart = 0;
    m_nFileIndex = 0;
    m_nFailure.store(kFailNone);
    {
        std::lock_guard lock(m_filesLock);
        m_nFileCount = 0;
        m_files.assign(1, name);
    }
    m_strBaseName = name;
    m_nBlockAlign = m_nBits * m_nFileChannels / 8;
    const int created = CreateFile(name);
    const double bytesPerSecond = static_cast<double>(m_nBlockAlign) * m_nSampleRate;
    // A file ends on a whole frame, so that no frame is split between two files.
    auto wholeFrames = [this](double bytes)
    { return bytes > 0.0 ? std::max(std::floor(bytes / m_nBlockAlign), 1.0) * m_nBlockAlign : bytes; };
    m_dMaxFileBytes = wholeFrames(std::min(bytesPerSecond * m_dMaxFileSeconds, kMaxBytesPerFile));
    m_dFirstFileBytes = wholeFrames(std::min(bytesPerSecond * m_dFirstFileSeconds, kMaxBytesPerFile));
    m_bRecording = created;
    return created;
}

int CWaveRecorder::CreateFile(const std::string& name)
{
    m_dBytesWritten = 0.0;
    StampStartTime();
    m_file.reset(std::fopen(name.c_str(), "wb"));
    if (!m_file)
        return 0;
    std::uint8_t head[12 + 8 + 18 + 8]{};
    std::memcpy(head, "RIFF", 4);
    std::memcpy(head + 8, "WAVE", 4);
    std::memcpy(head + 12, "fmt ", 4);
    Put32(head + 16, 18);
    std::uint8_t* fmt = head + 20;
    Put16(fmt, m_bFloat ? 3 : 1);
    Put16(fmt + 2, m_nFileChannels);
    Put32(fmt + 4, m_nSampleRate);
    Put32(fmt + 8, static_cast<std::int64_t>(m_nSampleRate) * m_nBlockAlign);
    Put16(fmt + 12, m_nBlockAlign);
    Put16(fmt + 14, m_nBits);
    Put16(fmt + 16, 0);
    std::memcpy(head + 38, "data", 4);
    m_nDataSizeAt = 42;
    if (!WriteAll(m_file.get(), head, sizeof head))
    {
        m_file.reset();
        std::filesystem::remove(name);
        return 0;
    }
    return 1;
}

void CWaveRecorder::FinishFile()
{
    if (!m_file)
        return;
    std::FILE* file = m_file.get();
    const auto dataBytes = static_cast<std::int64_t>(m_dBytesWritten);
    bool ok = true;
    if (dataBytes & 1)
        ok = WriteAll(file, "", 1);
    std::uint8_t size[4];
    Put32(size, dataBytes);
    ok = ok && fseeko(file, static_cast<off_t>(m_nDataSizeAt), SEEK_SET) == 0 && WriteAll(file, size, 4);
    // The RIFF size covers the data first, so that a file whose own chunks cannot be appended (a
    // full disk) still reads as a complete WAVE file.
    std::uint8_t riffSize[4];
    Put32(riffSize, m_nDataSizeAt + 4 + dataBytes + (dataBytes & 1) - 8);
    ok = ok && fseeko(file, 4, SEEK_SET) == 0 && WriteAll(file, riffSize, 4) && std::fflush(file) == 0 &&
         fseeko(file, 0, SEEK_END) == 0;

    std::uint8_t scal[8 * kMaxChannels];
    PutDouble(scal, m_dOverallFactor);
    ok = ok && WriteChunk(file, "scal", scal, 8);
    const int channels = std::clamp(m_nFileChannels, 0, kMaxChannels);
    for (int c = 0; c < channels; ++c)
        PutDouble(scal + 8 * c, m_dChannelFactor[static_cast<std::size_t>(c)]);
    ok = ok && WriteChunk(file, "scal", scal, static_cast<std::size_t>(channels) * 8);

    double frames = 0.0;
    if (m_nFileIndex == 0)
    {
        std::minstd_rand random(static_cast<std::uint32_t>(std::time(nullptr)));
        std::uniform_int_distribution<std::uint32_t> part(0, 32767);
        m_nRecordingId = part(random) * 32767u + part(random);
    }
    else
        frames = m_dFramesWritten;
    Put32(m_chai.data(), m_nRecordingId);
    Put32(m_chai.data() + 4, m_nFileIndex);
    Put32(m_chai.data() + 8, 0);
    Put32(m_chai.data() + 12, 0);
    PutDouble(m_chai.data() + 16, frames);
    ok = ok && WriteChunk(file, "chai", m_chai.data(), m_chai.size());
    ok = ok && WriteChunk(file, "star", m_star.data(), m_star.size());
    if (ok)
    {
        const std::int64_t end = ftello(file);
        Put32(size, end - 8);
        ok = fseeko(file, 4, SEEK_SET) == 0 && WriteAll(file, size, 4);
    }
    m_file.reset();
}

std::string CWaveRecorder::NextFileName() const
{
    const std::filesystem::path base(m_strBaseName);
    const std::string ext = base.extension().string();
    std::string stem = m_strBaseName.substr(0, m_strBaseName.size() - ext.size());
    char stamp[32];
    std::tm local{};
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y_%m_%d_%H_%M_%S", &local);
    return stem + "_" + std::to_string(m_nFileIndex) + "_" + stamp + ext;
}

int CWaveRecorder::Flush()
{
    int result = 0;
    while (m_nRingStart < m_ring.size())
    {
        if (!m_file)
        {
            // The recording goes on without a file after a continuation could not be created.
            m_ring.clear();
            m_nRingStart = 0;
            return 0;
        }
        const double limit =
            m_nFileIndex == 0 && m_dFirstFileBytes > 0.0 ? m_dFirstFileBytes : m_dMaxFileBytes;
        while (m_dBytesWritten < limit && m_nRingStart < m_ring.size())
        {
            const std::size_t n = static_cast<std::size_t>(std::min<double>(
                {static_cast<double>(m_ring.size() - m_nRingStart), kWritePiece, limit - m_dBytesWritten}));
            const std::size_t written = std::fwrite(m_ring.data() + m_nRingStart, 1, n, m_file.get());
            m_nRingStart += written;
            m_dBytesWritten += static_cast<double>(written);
            m_dFramesWritten += static_cast<double>(written) / m_nBlockAlign;
            if (written < n)
            {
                m_nFailure.store(kFailWrite);
                return -1;
            }
        }
        if (m_dBytesWritten >= limit)
        {
            FinishFile();
            const std::string name = NextFileName();
            result = CreateFile(name);
            ++m_nFileIndex;
            std::lock_guard lock(m_filesLock);
            // A continuation that could not be created stays out of the list: there is no file.
            if (result == 1)
                m_files.push_back(name);
            else
                m_nFailure.store(kFailContinuation);
            ++m_nFileCount;
            m_dBytesWritten = 0.0;
        }
    }
    m_ring.clear();
    m_nRingStart = 0;
    return result == 1 ? 1 : 0;
}

int CWaveRecorder::WriteBytes(const std::uint8_t* bytes, std::size_t count)
{
    int result = 0;
    while (count > 0)
    {
        if (m_ring.size() - m_nRingStart >= static_cast<std::size_t>(kRingBytes))
        {
            // Bytes that a failing disk would not take stay for one ring's length, no more.
            if (Flush() < 0)
                return -1;
        }
        if (m_nRingStart > 0)
        {
            m_ring.erase(m_ring.begin(), m_ring.begin() + static_cast<std::ptrdiff_t>(m_nRingStart));
            m_nRingStart = 0;
        }
        const std::size_t n = std::min(count, static_cast<std::size_t>(kRingBytes) - m_ring.size());
        m_ring.insert(m_ring.end(), bytes, bytes + n);
        bytes += n;
        count -= n;
        result = Flush();
        if (result < 0)
            return -1;
    }
    return result;
}

std::uint8_t* CWaveRecorder::Reserve(std::size_t bytes)
{
    if (m_conversion.size() < bytes)
        m_conversion.resize(bytes);
    return m_conversion.data();
}

void CWaveRecorder::StoreSample(std::uint8_t*& out, double value) const
{
    // value is in units of the format's full scale; beyond it the sample saturates.
    const double top = std::ldexp(1.0, m_nBits - 1);
    const double v = std::isnan(value) ? 0.0 : std::clamp(std::trunc(value), -top, top - 1.0);
    const auto integer = static_cast<std::int32_t>(v);
    switch (m_nBits)
    {
        case 8:
            *out++ = static_cast<std::uint8_t>(integer + 128);
            break;
        case 16:
            Put16(out, integer);
            out += 2;
            break;
        case 24:
            out[0] = static_cast<std::uint8_t>(integer);
            out[1] = static_cast<std::uint8_t>(integer >> 8);
            out[2] = static_cast<std::uint8_t>(integer >> 16);
            out += 3;
            break;
        default:
            Put32(out, integer);
            out += 4;
            break;
    }
}

int CWaveRecorder::WritePcm16Block(const std::int16_t* samples, int frames)
{
    if (!m_bRecording || !samples || frames <= 0)
        return 0;
    const std::size_t count = static_cast<std::size_t>(frames) * static_cast<std::size_t>(m_nFileChannels);
    std::uint8_t* const start = Reserve(count * static_cast<std::size_t>(m_nBlockAlign / m_nFileChannels));
    std::uint8_t* out = start;
    for (std::size_t i = 0; i < count; ++i)
    {
        const int v = samples[i];
        if (m_bFloat)
        {
            const float f = static_cast<float>(v / 32768.0);
            std::uint32_t bits = 0;
            std::memcpy(&bits, &f, sizeof bits);
            Put32(out, bits);
            out += 4;
        }
        else if (m_nBits == 8)
            *out++ = static_cast<std::uint8_t>(v / 256 + 128);
        else
            StoreSample(out, static_cast<double>(v) * std::ldexp(1.0, m_nBits - 16));
    }
    return WriteBytes(start, static_cast<std::size_t>(out - start));
}

int CWaveRecorder::WriteFloatBlock(const float* samples, int frames, int planar)
{
    if (!m_bRecording || !samples || frames <= 0)
        return 0;
    const int sourceChannels =
        std::clamp(m_nSourceChannels > 0 ? m_nSourceChannels : m_nFileChannels, 1, kMaxChannels);
    const double fullScale = (std::ldexp(1.0, m_nBits - 1) - 1.0) * m_dOverallFactor;
    std::uint8_t* const start =
        Reserve(static_cast<std::size_t>(frames) * static_cast<std::size_t>(m_nBlockAlign));
    std::uint8_t* out = start;
    for (int f = 0; f < frames; ++f)
    {
        // Every frame in the file has exactly the file's channels, whatever the enabled flags say.
        int written = 0;
        for (int c = 0; c < sourceChannels && written < m_nFileChannels; ++c)
        {
            if (!m_bChannelEnabled[static_cast<std::size_t>(c)])
                continue;
            const std::size_t at =
                planar ? static_cast<std::size_t>(c) * static_cast<std::size_t>(frames) +
                             static_cast<std::size_t>(f)
                       : static_cast<std::size_t>(f) * static_cast<std::size_t>(sourceChannels) +
                             static_cast<std::size_t>(c);
            if (m_bFloat)
            {
                const auto value = static_cast<float>(samples[at] * m_dOverallFactor);
                std::uint32_t bits = 0;
                std::memcpy(&bits, &value, sizeof bits);
                Put32(out, bits);
                out += 4;
            }
            else
                StoreSample(out, fullScale * samples[at]);
            ++written;
        }
        for (; written < m_nFileChannels; ++written)
        {
            if (m_bFloat)
            {
                Put32(out, 0);
                out += 4;
            }
            else
                StoreSample(out, 0.0);
        }
    }
    return WriteBytes(start, static_cast<std::size_t>(out - start));
}

void CWaveRecorder::Close()
{
    if (!m_bRecording)
        return;
    m_bRecording = 0;
    Flush();
    // The file is finished while the channel count is still known: its per-channel "scal" chunk
    // needs it.
    FinishFile();
    m_nFileChannels = 0;
    m_nSourceChannels = 0;
    m_ring.clear();
    m_ring.shrink_to_fit();
    std::lock_guard lock(m_filesLock);
    ++m_nFileCount;
}

std::vector<std::string> CWaveRecorder::GetFinishedFiles() const
{
    std::lock_guard lock(m_filesLock);
    const std::size_t count = std::min(m_files.size(), static_cast<std::size_t>(std::max(m_nFileCount, 0)));
    return {m_files.begin(), m_files.begin() + static_cast<std::ptrdiff_t>(count)};
}
