// Decimal logarithms for code that takes one for every drawn point: a lookup table for 16-bit
// arguments and a fast approximation for any positive float.
#pragma once

#include <array>
#include <cstddef>

inline constexpr std::size_t kLog10TableSize = 65536;

// Entry 0 is -10; entry i is log10(i / 65536). Filled once by InitLog10Table during start-up on the
// user-interface thread, before any window exists; only read afterwards, from any thread.
extern std::array<float, kLog10TableSize> Log10Table;

void InitLog10Table();

// log10 of a positive normal float without the library logarithm: absolute error below 1e-7 over all
// normal floats (about 3e-8 within 1e-10..1e10, rising to 9e-8 at the ends of the range).
// The argument is not checked: zero gives about -38.23 (the value for 2^-127), negative values and NaN
// give meaningless numbers.
double FastLog10(float x);
