#include "common/SampleConversion.h"

#include <cmath>
#include <cstddef>

int FloatToPcmBytes(float x, std::span<std::uint8_t> out, int bits)
{
    if (bits != 8 && bits != 16 && bits != 24)
    {
        return 0;
    }
    const auto byteCount = static_cast<std::size_t>(bits / 8);
    if (out.size() < byteCount)
    {
        return 0;
    }

    const std::int32_t fullScale = (std::int32_t{1} << (bits - 1)) - 1;
    // A float times a 24-bit integer is exact in double, so the truncation sees the true product.
    const double scaled = static_cast<double>(x) * fullScale;
    std::int32_t code = 0;
    if (std::isnan(scaled))
    {
        code = 0;
    }
    else if (scaled >= fullScale)
    {
        code = fullScale;
    }
    else if (scaled <= -fullScale)
    {
        code = -fullScale;
    }
    else
    {
        code = static_cast<std::int32_t>(scaled);  // truncates toward zero
    }

    if (bits == 8)
    {
        out[0] = static_cast<std::uint8_t>(code + 128);
        return 1;
    }
    const auto word = static_cast<std::uint32_t>(code);
    for (std::size_t i = 0; i < byteCount; ++i)
    {
        out[i] = static_cast<std::uint8_t>(word >> (8 * i));
    }
    return static_cast<int>(byteCount);
}
