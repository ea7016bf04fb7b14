// Feeds arbitrary bytes to the registry store as its file, walks every key and value it reads, then
// writes one value. Every key the walk lists opens by its path; the write succeeds, reads back, and
// leaves every other value as it was read; a file the rewrite had to repair is kept aside, byte for
// byte, and the user is told.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "PrivateHome.h"
#include "platform/Registry.h"

namespace
{

using platform::RegistryKey;
using platform::RegistryType;
using platform::RegistryValue;

constexpr std::string_view kProbeKey = "Fuzz Probe";
constexpr std::string_view kProbeValue = "Fuzz Value";
constexpr std::string_view kProbeData = "written by the fuzzer";

void Check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "registry fuzzer: %s\n", what);
        std::abort();
    }
}

// Every value below a key, by "key path" + '\0' + value name, as the store reads it.
using Snapshot = std::map<std::string, std::pair<RegistryType, std::string>>;

void Walk(const RegistryKey& key, Snapshot& out)
{
    for (const std::string& name : key.ValueNames())
    {
        const auto value = key.ReadValue(name);
        Check(value.has_value(), "a listed value does not read");
        out.emplace(key.Path() + '\0' + name, std::make_pair(value->type, value->data));
    }
    for (const std::string& name : key.SubKeyNames())
    {
        const RegistryKey child = key.OpenSubKey(name, false);
        Check(child.IsOpen(), "a listed key does not open by its path");
        Walk(child, out);
    }
}

bool IsProbe(const std::string& entry)
{
    const auto upper = [](std::string_view text)
    {
        std::string out(text);
        for (char& c : out)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return out;
    };
    const std::size_t nul = entry.find('\0');
    return upper(std::string_view(entry).substr(0, nul)) == upper(kProbeKey) &&
           upper(std::string_view(entry).substr(nul + 1)) == upper(kProbeValue);
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    UsePrivateHome("tessarin-registry-fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path file = platform::RegistryFile();
    const std::filesystem::path folder = file.parent_path();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string input(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(file, std::ios::binary);
        out << input;
    }
    (void)platform::TakeRegistryWarning();

    Snapshot before;
    const RegistryKey root = RegistryKey::Open("", false);
    Check(root.IsOpen(), "the root does not open");
    Walk(root, before);

    const RegistryKey probe = RegistryKey::Open(kProbeKey, true);
    Check(probe.IsOpen(), "a key cannot be made in a writable store");
    Check(probe.WriteValue(kProbeValue, RegistryType::String, kProbeData), "a value cannot be written");
    const auto written = probe.ReadValue(kProbeValue);
    Check(written && written->type == RegistryType::String && written->data == kProbeData,
          "the written value does not read back");

    Snapshot after;
    Walk(RegistryKey::Open("", false), after);
    for (const auto& [entry, value] : before)
    {
        if (IsProbe(entry))
            continue;
        const auto found = after.find(entry);
        Check(found != after.end() && found->second == value, "the rewrite lost or changed a value");
    }

    // What the rewrite repaired was kept aside first, as it was, and the user hears of it.
    const std::string warning = platform::TakeRegistryWarning();
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        if (entry.path().filename().string().starts_with("registry.damaged-"))
        {
            ++kept;
            Check(ReadAll(entry.path()) == input, "the damaged file was not kept as it was");
        }
    }
    Check(kept <= 1, "the damaged file was kept twice");
    Check((kept == 1) == !warning.empty(), "the user is not told of the kept file");
    return 0;
}
