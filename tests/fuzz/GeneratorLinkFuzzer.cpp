// Feeds arbitrary bytes to the generator program's receiving side of the link: the message is
// decoded as the program decodes it (refused unless it is one whole record of the known version),
// and a record is applied to a generator as the program applies it and rendered in both sample
// sizes. Short inputs are also laid over a valid record, so that every field gets arbitrary values.
#include "engine/Generator.h"
#include "engine/GeneratorLink.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

namespace
{

void ApplyAndRender(const CSigGen_settings& received)
{
    static CGenerator* generator = []
    {
        // The trace file of every command goes to a private folder.
        ::setenv("XDG_CONFIG_HOME", "/tmp/tessarin-fuzz-config", 1);
        auto* g = new CGenerator;
        g->m_rebuildWait = std::chrono::milliseconds(0);
        return g;
    }();
    generator->Init();
    CSigGen_settings record = received;
    record.m_sample_rate = 44100;  // the program keeps its own rate
    record.SetWavefileName("");    // no file of the input's choosing is opened
    record.SetSgsPath("");
    generator->ApplySettingsCommand(record);
    static std::vector<std::uint8_t> buffer(4 * 2 * 2048);
    for (int bits32 = 0; bits32 < 2; ++bits32)
    {
        generator->m_32bitOutput = bits32;
        const int bytes = 2 * (bits32 ? 4 : 2) * 1024;
        if (generator->Render(buffer.data(), bytes) != bytes)
            __builtin_trap();  // the fill function must fill exactly what it is asked
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CSigGen_settings record;
    if (DecodeSettingsMessage(std::as_bytes(std::span(data, size)), record))
    {
        ApplyAndRender(record);
        return 0;
    }
    if (size == kSigGenWireBytes)
        return 0;
    // Laid over the default record's bytes from offset 8 on, the version kept valid.
    std::vector<std::uint8_t> wire = record.ToWire();
    std::memcpy(wire.data() + 8, data, std::min(size, wire.size() - 8));
    if (!record.FromWire(wire))
        __builtin_trap();  // a whole record of the right version is always taken
    ApplyAndRender(record);
    return 0;
}
