// Feeds arbitrary bytes to a loading archive as if they were a settings record. Only the archive's
// own exception may come out; every string that loads must be UTF-8 and must survive a store and load.
#include "platform/Archive.h"
#include "platform/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

// Record limits as a loader would give them.
constexpr std::size_t kMaxValues = 4096;
constexpr std::size_t kMaxTexts = 64;
constexpr int kMaxRecords = 16;

void LoadRecord(CArchive& in, std::vector<std::string>& strings)
{
    std::int32_t signature = 0;
    std::uint32_t flags = 0;
    std::int16_t small = 0;
    std::uint16_t usmall = 0;
    std::int8_t tiny = 0;
    std::uint8_t utiny = 0;
    float level = 0;
    double gain = 0;
    std::string name;
    in >> signature >> name;
    strings.push_back(name);
    in >> gain >> flags >> small >> usmall >> tiny >> utiny >> level;
    const std::vector<double> values = in.ReadArray<double>(kMaxValues);
    const std::vector<std::int32_t> ints = in.ReadArray<std::int32_t>(kMaxValues);
    const std::vector<std::string> texts = in.ReadArray<std::string>(kMaxTexts);
    strings.insert(strings.end(), texts.begin(), texts.end());
    std::uint8_t raw[3];
    in.Read(raw);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> strings;
    {
        CArchive in(std::span<const std::uint8_t>(data, size));
        try
        {
            for (int record = 0; record < kMaxRecords; ++record)
                LoadRecord(in, strings);
        }
        catch (const platform::ArchiveError&)
        {
        }
    }

    CArchive out;
    for (const std::string& text : strings)
    {
        if (!platform::IsValidUtf8(text))
            std::abort();
        out << text;
    }
    CArchive back(out.Buffer());
    for (const std::string& text : strings)
    {
        std::string loaded;
        back >> loaded;
        if (loaded != text)
            std::abort();
    }
    return 0;
}
