// The generator's output-stage helpers that stand apart from any one generator: the soft-clipping
// curve of the distortion effect and the byte orders of a 32-bit output sample. The output stage
// itself (render, effects, statistics, crest search, settings commands) is part of CGenerator.
#pragma once

#include <cstdint>

// The saturating curve: a sine quarter from a table, 0.9999 with the sign of x beyond it.
double SoftClip(double x);
// x := SoftClip(x * drive / amplitude) * amplitude * 0.999 / SoftClip(drive); a block with no
// amplitude or no drive is left alone.
void ApplyDistortion(float* block, int count, double amplitude, double drive);

inline constexpr int kByteOrderCount = 24;
// Moves input byte i (from the least significant) to byte p[i] of the result, p being permutation
// `order` of (0 1 2 3) in lexicographic order; order 0 and any order outside 0..23 keep the value.
std::uint32_t ReorderBytes(std::uint32_t value, int order);
