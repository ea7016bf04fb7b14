// The output format the generator program hands to its output engine: the fields of an extensible
// PCM wave format (40 bytes in the other platform's form). The window fills the plain part; the
// output stream fills the extensible part from it.
#pragma once

#include <cstdint>

inline constexpr std::uint16_t kWaveFormatPcm = 1;
inline constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;
// Front left, front right, front centre, back left, back right.
inline constexpr std::uint32_t kFiveChannelMask = 0x37;

struct WaveFormatExtensible
{
    std::uint16_t formatTag = kWaveFormatPcm;
    std::uint16_t channels = 2;
    std::uint32_t samplesPerSec = 44100;
    std::uint32_t avgBytesPerSec = 44100 * 4;
    std::uint16_t blockAlign = 4;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t extraSize = 0;
    std::uint16_t validBitsPerSample = 0;
    std::uint32_t channelMask = 0;
    bool operator==(const WaveFormatExtensible&) const = default;
};
