// Write Wave file: the generator's signal rendered into a stereo RIFF/WAVE file.
#include "generator_app/GeneratorWnd.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace
{

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void Put16(std::uint8_t* out, unsigned value)
{
    platform::StoreLittleEndian(out, static_cast<std::uint16_t>(value));
}

void Put32(std::uint8_t* out, std::uint32_t value)
{
    platform::StoreLittleEndian(out, value);
}

constexpr int kHeaderBytes = 12 + 8 + 18 + 8;

}  // namespace

WaveFormatExtensible CGeneratorWnd::WaveFileFormat() const
{
    WaveFormatExtensible format = m_waveFormat;
    format.formatTag = kWaveFormatPcm;
    format.channels = 2;
    format.samplesPerSec = static_cast<std::uint32_t>(m_generator.m_settings.m_sample_rate);
    format.extraSize = 0;
    format.validBitsPerSample = 0;
    format.channelMask = 0;
    format.bitsPerSample = 16;
    format.blockAlign = 4;
    if (m_generator.m_32bitOutput != 0)
    {
        // The header and the data agree for every depth: a plain PCM header states whole bytes, so
        // a depth between them (20 bits) is written in the next whole-byte size, its low bits being
        // those the generator rendered.
        const int bytes = (std::clamp(m_generator.m_significantBits, 8, 32) + 7) / 8;
        format.bitsPerSample = static_cast<std::uint16_t>(8 * bytes);
        format.blockAlign = static_cast<std::uint16_t>(2 * bytes);
    }
    format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
    return format;
}

bool CGeneratorWnd::WriteWaveFile(const std::filesystem::path& path, double seconds)
{
    OnStop();
    if (path.empty())
        return false;
    const WaveFormatExtensible format = WaveFileFormat();
    const std::int64_t frames = static_cast<std::int64_t>(format.samplesPerSec) *
                                static_cast<std::int64_t>(std::max(0.0, std::trunc(seconds)));
    const std::int64_t blocks = (frames + kWaveBlockFrames - 1) / kWaveBlockFrames;
    const int sampleBytes = format.blockAlign / 2;
    const std::uint64_t dataBytes = static_cast<std::uint64_t>(blocks) * kWaveBlockFrames * format.blockAlign;
    if (dataBytes + kHeaderBytes - 8 > 0xFFFFFFFFull)
    {
        Tell("A wave file of " + std::to_string(static_cast<long long>(seconds)) +
             " seconds would exceed the 4 GB a wave file can hold; choose a shorter length.");
        return false;
    }

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "wb"));
    if (!file)
    {
        Tell("The wave file \"" + path.string() + "\" cannot be created.");
        return false;
    }
    std::uint8_t head[kHeaderBytes]{};
    std::memcpy(head, "RIFF", 4);
    Put32(head + 4, static_cast<std::uint32_t>(dataBytes + kHeaderBytes - 8));
    std::memcpy(head + 8, "WAVE", 4);
    std::memcpy(head + 12, "fmt ", 4);
    Put32(head + 16, 18);
    std::uint8_t* fmt = head + 20;
    Put16(fmt, format.formatTag);
    Put16(fmt + 2, format.channels);
    Put32(fmt + 4, format.samplesPerSec);
    Put32(fmt + 8, format.avgBytesPerSec);
    Put16(fmt + 12, format.blockAlign);
    Put16(fmt + 14, format.bitsPerSample);
    Put16(fmt + 16, 0);
    std::memcpy(head + 38, "data", 4);
    Put32(head + 42, static_cast<std::uint32_t>(dataBytes));
    bool ok = std::fwrite(head, 1, sizeof head, file.get()) == sizeof head;

    // The generator renders stereo while the file is written, whatever the stream's layout.
    const std::uint16_t channelsBefore = m_waveFormat.channels;
    m_waveFormat.channels = 2;
    const bool wide = m_generator.m_32bitOutput != 0;
    const int renderBytes = kWaveBlockFrames * 2 * (wide ? 4 : 2);
    std::vector<std::uint8_t> rendered(static_cast<std::size_t>(renderBytes));
    std::vector<std::uint8_t> block(static_cast<std::size_t>(kWaveBlockFrames) * format.blockAlign);
    for (std::int64_t b = 0; ok && b < blocks; ++b)
    {
        if (FillFromGenerator(rendered.data(), renderBytes, &m_generator) != renderBytes)
            std::fill(rendered.begin(), rendered.end(), std::uint8_t{0});
        const std::uint8_t* data = rendered.data();
        if (wide)
        {
            // Each 32-bit sample keeps its upper bytes (little-endian): 3 of 4 for 24 bits.
            std::uint8_t* out = block.data();
            for (int i = 0; i < kWaveBlockFrames * 2; ++i, out += sampleBytes)
            {
                const std::uint8_t* sample = rendered.data() + 4 * i;
                std::memcpy(out, sample + 4 - sampleBytes, static_cast<std::size_t>(sampleBytes));
                if (sampleBytes == 1)
                    out[0] = static_cast<std::uint8_t>(out[0] ^ 0x80);  // 8-bit wave data is unsigned
            }
            data = block.data();
        }
        ok = std::fwrite(data, 1, block.size(), file.get()) == block.size();
    }
    m_waveFormat.channels = channelsBefore;
    ok = std::fflush(file.get()) == 0 && ok;
    if (!ok)
        Tell("The wave file \"" + path.string() + "\" cannot be written completely (is the disk full?).");
    return ok;
}
