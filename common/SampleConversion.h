// Conversion of one float sample (nominally -1..1) to little-endian PCM bytes for playback files and
// output blocks.
#pragma once

#include <cstdint>
#include <span>

// Writes x as 8-, 16- or 24-bit PCM and returns the number of bytes written (1, 2 or 3); other widths,
// or an output too small for the width, write nothing and return 0.
// The code is x * (2^(bits-1) - 1) truncated toward zero, so full scale is +-127 / +-32767 / +-8388607 and
// -128 / -32768 / -8388608 are never produced; 8 bits is offset binary (1..255, silence 0x80).
// Values beyond +-1 saturate at full scale instead of wrapping round to the opposite sign, and NaN gives
// silence.
int FloatToPcmBytes(float x, std::span<std::uint8_t> out, int bits);
