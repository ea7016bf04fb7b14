#pragma once
// The process-wide uniform random source: one 32-bit Mersenne Twister (MT19937) with the published
// seeding routines, tempering and default seed 5489.
//
// Threads: the state is shared by the whole process and has no lock. Draws happen on the thread that
// renders the generator output; seeding happens wherever generator settings are reset. A caller that
// draws from two threads at once gets an undefined mix of the two streams (never a crash).

#include <array>
#include <cstdint>

// The key with which every reset of the generator settings reseeds the source, so that the noise
// restarts from the same point after each reset.
inline constexpr std::array<std::uint32_t, 4> kGeneratorRandomKey = {0x123, 0x234, 0x345, 0x456};

// Single-seed initialisation (init_genrand).
void SeedRandom(std::uint32_t seed);

// Array initialisation (init_by_array). An empty key (length <= 0 or no array) mixes in zero words
// instead of reading past the array.
void SeedRandomByArray(const std::uint32_t key[], int length);

// Next tempered 32-bit output (genrand_int32); seeds with 5489 first when the state was never seeded.
std::uint32_t GetRandomInt32();

// The scaling of GetRandomUniform: output / 4294967295, so that 0 and 4294967295 give exactly 0.0 and 1.0.
constexpr double RandomToUniform(std::uint32_t value)
{
    return static_cast<double>(value) / 4294967295.0;
}

// Next output as a double in the closed interval [0, 1].
double GetRandomUniform();
