// Writes small 16-bit PCM WAVE files for tests: interleaved frames from a per-channel generator.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace testsupport
{

// sample(channel, frame) in −1..1; clipped and rounded to 16 bits.
inline bool WritePcm16Wave(const std::filesystem::path& path, int channels, int rate, long frames,
                           const std::function<double(int, long)>& sample)
{
    std::string bytes;
    auto u16 = [&](int v)
    {
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>((v >> 8) & 0xFF);
    };
    auto u32 = [&](std::uint32_t v)
    {
        u16(static_cast<int>(v & 0xFFFF));
        u16(static_cast<int>(v >> 16));
    };
    const std::uint32_t data = static_cast<std::uint32_t>(frames * channels * 2);
    bytes += "RIFF";
    u32(36 + data);
    bytes += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(channels);
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * channels * 2));
    u16(channels * 2);
    u16(16);
    bytes += "data";
    u32(data);
    for (long i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
        {
            const double v = std::clamp(sample(c, i), -1.0, 32767.0 / 32768.0);
            u16(static_cast<int>(std::lround(v * 32768.0)) & 0xFFFF);
        }
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace testsupport
