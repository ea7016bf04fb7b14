#include "dsp/RandomGenerator.h"

namespace
{

constexpr int kStateSize = 624;
constexpr int kShift = 397;
constexpr std::uint32_t kMatrixA = 0x9908b0dfu;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7fffffffu;
constexpr std::uint32_t kDefaultSeed = 5489u;
constexpr std::uint32_t kArraySeedStart = 19650218u;

// kStateSize + 1 marks a state that was never seeded.
std::array<std::uint32_t, kStateSize> g_state{};
int g_index = kStateSize + 1;

void Regenerate()
{
    auto twist = [](std::uint32_t upper, std::uint32_t lower, std::uint32_t far)
    {
        const std::uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
        return far ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
    };
    int k = 0;
    for (; k < kStateSize - kShift; ++k)
    {
        g_state[k] = twist(g_state[k], g_state[k + 1], g_state[k + kShift]);
    }
    for (; k < kStateSize - 1; ++k)
    {
        g_state[k] = twist(g_state[k], g_state[k + 1], g_state[k + kShift - kStateSize]);
    }
    g_state[kStateSize - 1] = twist(g_state[kStateSize - 1], g_state[0], g_state[kShift - 1]);
    g_index = 0;
}

}  // namespace

void SeedRandom(std::uint32_t seed)
{
    g_state[0] = seed;
    for (int i = 1; i < kStateSize; ++i)
    {
        const std::uint32_t previous = g_state[i - 1];
        g_state[i] = 1812433253u * (previous ^ (previous >> 30)) + static_cast<std::uint32_t>(i);
    }
    g_index = kStateSize;
}

void SeedRandomByArray(const std::uint32_t key[], int length)
{
    const bool haveKey = key != nullptr && length > 0;
    const int keyLength = haveKey ? length : 1;
    SeedRandom(kArraySeedStart);
    int i = 1;
    int j = 0;
    for (int k = (kStateSize > keyLength ? kStateSize : keyLength); k > 0; --k)
    {
        const std::uint32_t previous = g_state[i - 1];
        const std::uint32_t word = haveKey ? key[j] : 0u;
        g_state[i] =
            (g_state[i] ^ ((previous ^ (previous >> 30)) * 1664525u)) + word + static_cast<std::uint32_t>(j);
        ++i;
        ++j;
        if (i >= kStateSize)
        {
            g_state[0] = g_state[kStateSize - 1];
            i = 1;
        }
        if (j >= keyLength)
        {
            j = 0;
        }
    }
    for (int k = kStateSize - 1; k > 0; --k)
    {
        const std::uint32_t previous = g_state[i - 1];
        g_state[i] =
            (g_state[i] ^ ((previous ^ (previous >> 30)) * 1566083941u)) - static_cast<std::uint32_t>(i);
        ++i;
        if (i >= kStateSize)
        {
            g_state[0] = g_state[kStateSize - 1];
            i = 1;
        }
    }
    // Assures a non-zero initial state whatever the key.
    g_state[0] = 0x80000000u;
}

std::uint32_t GetRandomInt32()
{
    if (g_index >= kStateSize)
    {
        if (g_index == kStateSize + 1)
        {
            SeedRandom(kDefaultSeed);
        }
        Regenerate();
    }
    std::uint32_t y = g_state[g_index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

double GetRandomUniform()
{
    return RandomToUniform(GetRandomInt32());
}
