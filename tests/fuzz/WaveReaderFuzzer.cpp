// Feeds arbitrary bytes to the audio file reader as a WAVE file. A damaged file must be refused
// with a reason or read within its bounds; reading loops through the data without touching memory
// outside the buffers. Built a second time with PULVERA_RULES for the generator program's reader
// (no "scal" chunks).
#include "engine/AudioFileReader.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
std::string TempPath(const char* extension)
{
    return "/tmp/tessarin-fuzz-" + std::to_string(::getpid()) + extension;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
#ifdef PULVERA_RULES
    static const bool rules = (CAudioFileReader::SetGeneratorProgramRules(true), true);
    (void)rules;
#endif
    static const std::string path = TempPath(".wav");
    if (std::FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    CAudioFileReader reader;
    reader.m_dFadeInSeconds = 0.01;
    reader.m_dFadeOutSeconds = 0.01;
    reader.Open(path);
    if (!reader.IsOpen())
    {
        if (reader.GetLastError().empty())
            __builtin_trap();  // a refusal always says why
        return 0;
    }
    if (reader.m_nChannels < 1 || reader.m_nChannels > CAudioFileReader::kMaxChannels)
        __builtin_trap();
    std::vector<float> buffer(static_cast<std::size_t>(reader.m_nChannels) * 700);
    for (int planar = 0; planar < 2; ++planar)
        if (reader.Read(buffer.data(), 700, planar) != 700)
            __builtin_trap();  // an open WAVE file loops: every request is filled
    reader.SeekFrame(static_cast<std::int64_t>(reader.m_dLength) / 2);
    reader.Read(buffer.data(), 300, 0);
    return 0;
}
