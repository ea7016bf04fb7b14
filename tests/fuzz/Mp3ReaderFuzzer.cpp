// Feeds arbitrary bytes to the audio file reader as an MP3 file, through LAME's hip decoder. The
// stream is read to its end (bounded); nothing may read or write outside the buffers.
#include "engine/AudioFileReader.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/tessarin-fuzz-" + std::to_string(::getpid()) + ".mp3";
    if (std::FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    CAudioFileReader reader;
    reader.Open(path);
    if (!reader.IsOpen())
        return 0;
    if (reader.m_nChannels < 1 || reader.m_nChannels > 2)
        __builtin_trap();
    std::vector<float> buffer(2 * 1000);
    for (int i = 0; i < 200; ++i)
        if (reader.Read(buffer.data(), 1000, i & 1) == 0)
            break;
    return 0;
}
