#include "common/BitFields.h"

#include <algorithm>

// Shifts are done on unsigned words: shifting a one into or out of the sign bit of an int is what the
// callers mean, and on unsigned it is defined.

namespace
{

constexpr int kWordBits = 32;
constexpr int kLargestPowerOfTwo = 1 << 30;

bool IsBitNumber(int bit)
{
    return bit >= 0 && bit < kWordBits;
}

std::uint32_t FieldMask(int width)
{
    return width >= kWordBits ? ~std::uint32_t{0} : (std::uint32_t{1} << width) - 1u;
}

}  // namespace

int NextPowerOfTwo(int n)
{
    if (n > kLargestPowerOfTwo)
    {
        return kLargestPowerOfTwo;
    }
    int power = 1;
    while (power < n)
    {
        power *= 2;
    }
    return power;
}

int GetBit(int value, int bit)
{
    return static_cast<int>(GetBitUnsigned(static_cast<unsigned>(value), bit));
}

unsigned GetBitUnsigned(unsigned value, int bit)
{
    return IsBitNumber(bit) ? (value >> bit) & 1u : 0u;
}

int GetBits(int value, int position, int width)
{
    if (position < 0 || width < 0)
    {
        return 0;
    }
    // Arithmetic shift (defined in C++20); a position beyond the word leaves only sign copies.
    const int shifted = value >> std::min(position, kWordBits - 1);
    return static_cast<int>(static_cast<std::uint32_t>(shifted) & FieldMask(width));
}

void SetBit(int* value, int bit, int bitValue)
{
    if (value != nullptr && IsBitNumber(bit))
    {
        *value = WithBit(*value, bit, bitValue);
    }
}

void SetBits(int* value, int position, int width, int field)
{
    if (value == nullptr || !IsBitNumber(position) || width < 0)
    {
        return;
    }
    const std::uint32_t mask = FieldMask(width);
    const std::uint32_t word = static_cast<std::uint32_t>(*value);
    const std::uint32_t bits = static_cast<std::uint32_t>(field) & mask;
    *value = static_cast<int>((word & ~(mask << position)) | (bits << position));
}

int WithBit(int value, int bit, int bitValue)
{
    if (!IsBitNumber(bit))
    {
        return value;
    }
    const std::uint32_t one = std::uint32_t{1} << bit;
    const std::uint32_t word = static_cast<std::uint32_t>(value) & ~one;
    return static_cast<int>(word | ((static_cast<std::uint32_t>(bitValue) & 1u) << bit));
}

void FillInt32(std::int32_t* destination, std::int32_t value, int count)
{
    if (destination != nullptr && count > 0)
    {
        std::fill_n(destination, count, value);
    }
}
