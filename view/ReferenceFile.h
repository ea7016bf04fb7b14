// The reference spectrum file (".ref"): the magic number 1457934343, the number of values N, the
// sample rate, then N values in bin order from bin 0, each "%e" on its own line. Any white space
// separates the numbers. A file is taken whole or not at all: every count and every value is
// checked before anything is handed back.
//
// Threads: any; no shared state.
#pragma once

#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

struct CReferenceSpectrum
{
    int m_nSampleRate = 0;
    std::vector<float> m_values;
};

namespace reference_file
{

inline constexpr int kMagic = 1457934343;
// The largest count a file may announce.
inline constexpr int kMaxValues = 1 << 23;
inline constexpr int kMaxSampleRate = 100000000;

enum class Result
{
    Loaded,
    CannotOpen,
    WrongMagic,  // the file is no reference file
    BadCount,    // N or the sample rate is missing or outside its range
    BadValue,    // fewer than N values, or one that is no finite number
};

// Reads a reference from text; `spectrum` changes only on Result::Loaded.
Result Parse(std::string_view text, CReferenceSpectrum& spectrum);
Result Read(const std::filesystem::path& path, CReferenceSpectrum& spectrum);
// Writes N = values.size() and then exactly those values; false when the file cannot be written.
bool Write(const std::filesystem::path& path, std::span<const float> values, int sampleRate);

}  // namespace reference_file
