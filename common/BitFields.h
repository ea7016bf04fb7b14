// Powers of two and bit-field access on 32-bit words (stored flag words, packed settings).
#pragma once

#include <cstdint>

// The smallest power of two >= n; 1 for n <= 1. Values above 2^30 give 2^30, the largest int power of two
// (the caller must not ask for more).
int NextPowerOfTwo(int n);

// Bit numbers, positions and widths are 0..31. A bit number outside that range reads as 0 and writes nothing.
int GetBit(int value, int bit);
unsigned GetBitUnsigned(unsigned value, int bit);

// (value >> position, arithmetic) & (2^width - 1): field bits above bit 31 are copies of the sign bit.
// A width of 32 or more gives the whole shifted word; a position above 31 shifts by 31; negative
// positions or widths give 0.
int GetBits(int value, int position, int width);

// Clears the bit and ORs in (bitValue & 1).
void SetBit(int* value, int bit, int bitValue);

// Replaces the field of `width` bits at `position` by (field & (2^width - 1)); bits shifted past bit 31
// are dropped. A position outside 0..31 or a negative width leaves the value unchanged.
void SetBits(int* value, int position, int width, int field);

// A copy of the value with the bit set to (bitValue & 1).
int WithBit(int value, int bit, int bitValue);

// Fills `count` words with the value; nothing when count <= 0.
void FillInt32(std::int32_t* destination, std::int32_t value, int count);
