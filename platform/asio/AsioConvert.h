// Sample conversion between the host's 32-bit integer output and float input and a driver's
// buffers, by the driver's sample type. Runs on the driver's thread: no allocation, no lock.
#pragma once

#include <cstdint>

namespace asio
{

// Bytes one sample of the type takes in a driver buffer; 0 for a type the host does not know.
int SampleBytes(int type);
// Bits and bytes per sample as the settings dialog shows them; 0 and 0 for an unknown type.
void GetSampleTypeBits(int type, int& bits, int& bytes);

// Writes `frames` host samples (full scale +-2^31, read with `stride` between frames) into a driver
// buffer of the type. Int16/Int24/Int32 and Float32/Float64 LSB convert; the big-endian and packed
// 32-bit types are filled with silence; an unknown type leaves the buffer alone. False for the types
// that get silence or nothing instead of the signal.
bool ConvertFromHostSamples(int type, const std::int32_t* source, int stride, void* target, int frames);

// Reads `frames` samples of a driver buffer into floats (+-1.0 full scale), written with `stride`
// between frames. The types ConvertFromHostSamples fills with silence give 0.0; an unknown type
// writes nothing.
void ConvertToFloatSamples(int type, const void* source, float* target, int stride, int frames);

}  // namespace asio
