// Little-endian byte forms of unsigned integers, the order of every binary file the suite reads and
// writes, whatever the host's own order.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

namespace platform
{

template <std::unsigned_integral U>
void StoreLittleEndian(std::uint8_t* out, U bits)
{
    for (std::size_t i = 0; i < sizeof(U); ++i)
        out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

template <std::unsigned_integral U>
U LoadLittleEndian(const std::uint8_t* in)
{
    U bits = 0;
    for (std::size_t i = 0; i < sizeof(U); ++i)
        bits |= static_cast<U>(static_cast<U>(in[i]) << (8 * i));
    return bits;
}

}  // namespace platform
