// The Gaussian noise source of the generators: Marsaglia and Tsang's Ziggurat method over their SHR3
// shift-register generator. The source holds no data of its own: the SHR3 word and the Ziggurat tables
// are process-wide and shared by every generator.
//
// Threads: Next runs on the rendering threads and Seed on the user-interface thread, without a lock.
// The tables never depend on the seed, so they are built once, before the first use; the SHR3 word is
// an atomic, so two threads that draw at once get an undefined mix of values, never a fault.
#pragma once

#include <cstdint>

class CGaussRandom
{
public:
    // The SHR3 word before any seeding.
    static constexpr std::uint32_t kInitialState = 123456789u;

    // XORs the process-wide SHR3 word with the seed (and builds the tables on first use).
    static void Seed(std::uint32_t seed);
    // One value of the standard normal distribution N(0, 1).
    static double Next();
    // The present SHR3 word and a way to set it, so a caller can repeat a sequence.
    static std::uint32_t GetState();
    static void SetState(std::uint32_t state);
};
