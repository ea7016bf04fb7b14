// Feeds arbitrary bytes to the profile parser, looks names up, writes one value into the document and
// checks that the written value reads back after the document is turned into bytes and parsed again.
// Input: the document, optionally followed by "\0section\0key\0value" naming the write.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Profile.h"
#include "platform/Text.h"

namespace
{

void Check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "profile fuzzer: %s\n", what);
        std::abort();
    }
}

// What a reader must return for a written value: blanks around it and one pair of quotes removed.
std::string ExpectedRead(std::string_view value)
{
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::vector<std::string_view> SplitAtNul(std::string_view input)
{
    std::vector<std::string_view> parts;
    for (;;)
    {
        const std::size_t nul = input.find('\0');
        parts.push_back(input.substr(0, nul));
        if (nul == std::string_view::npos)
            return parts;
        input.remove_prefix(nul + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> parts = SplitAtNul(input);
    const bool named = parts.size() >= 4;
    const std::string_view bytes = named ? parts[0] : input;
    const std::string_view section = named ? parts[1] : "General";
    const std::string_view key = named ? parts[2] : "Name";
    const std::string_view value = named ? parts[3] : " \"written value\" ";

    const platform::ProfileDocument document = platform::ProfileDocument::Parse(bytes);
    const std::string written = document.ToBytes();
    // Valid UTF-8 comes back byte for byte; anything else is decoded once and then stable.
    if (platform::IsValidUtf8(bytes))
        Check(written == bytes, "parse and ToBytes changed the bytes");
    Check(platform::IsValidUtf8(written), "ToBytes gave text that is not UTF-8");
    Check(platform::ProfileDocument::Parse(written).ToBytes() == written, "a second parse changed the text");

    std::string found;
    for (const char* name : {"General", "", "Name", "[", ";"})
        document.Find(name, name, found);
    document.Find(section, key, found);

    platform::ProfileDocument changed = document;
    if (changed.Set(section, key, value))
    {
        Check(platform::ProfileDocument::IsWritable(section, key, value), "Set accepted a refused write");
        const platform::ProfileDocument reread = platform::ProfileDocument::Parse(changed.ToBytes());
        std::string readBack;
        Check(reread.Find(section, key, readBack), "the written key is not found");
        Check(readBack == ExpectedRead(value), "the written value does not read back");
        Check(reread.ToBytes() == changed.ToBytes(), "the written document is not stable");
        // Removing the key leaves the document parseable and stable as well.
        platform::ProfileDocument removed = reread;
        Check(removed.Remove(section, key), "the written key cannot be removed");
        Check(platform::ProfileDocument::Parse(removed.ToBytes()).ToBytes() == removed.ToBytes(),
              "the document after a removal is not stable");
    }
    else
    {
        Check(!platform::ProfileDocument::IsWritable(section, key, value), "Set refused a writable value");
        Check(changed.ToBytes() == written, "a refused write changed the document");
    }
    return 0;
}
