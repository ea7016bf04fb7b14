// Feeds arbitrary bytes to the phonetogram as a ".ptg" file. A file that loads must describe a
// phonetogram within its bounds, save again and load back to the same points and tones; a refused
// file leaves the object as it was.
#include "dsp/Phonetogram.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
std::string TempPath(const char* extension)
{
    return "/tmp/tessarin-fuzz-" + std::to_string(::getpid()) + extension;
}

bool SamePoints(const CPhonetogram& a, const CPhonetogram& b)
{
    return a.m_pointCount == b.m_pointCount && a.m_toneCount == b.m_toneCount &&
           std::memcmp(a.m_points.get(), b.m_points.get(),
                       sizeof(CPhonetogramPoint) * static_cast<std::size_t>(a.m_pointCount)) == 0 &&
           std::memcmp(a.m_tones.get(), b.m_tones.get(),
                       sizeof(CPhonetogramPoint) * static_cast<std::size_t>(a.m_toneCount)) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = TempPath(".ptg");
    static const std::string again = TempPath("-again.ptg");
    if (std::FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    CPhonetogram phonetogram;
    const std::int32_t countBefore = phonetogram.m_pointCount;
    if (!phonetogram.Load(path))
    {
        if (phonetogram.m_pointCount != countBefore)
            __builtin_trap();  // a refusal changes nothing
        return 0;
    }
    if (phonetogram.m_pointCount < 0 || phonetogram.m_pointCount > CPhonetogram::kMaxPoints ||
        phonetogram.m_toneCount < 0 || phonetogram.m_toneCount > CPhonetogram::kMaxTones)
        __builtin_trap();
    if (!phonetogram.Save(again))
        __builtin_trap();
    CPhonetogram reloaded;
    if (!reloaded.Load(again) || !SamePoints(phonetogram, reloaded))
        __builtin_trap();
    phonetogram.BuildToneList();
    return 0;
}
