#include "tests/support/AlsaTestConfig.h"

#include "tests/support/FileBytes.h"

#include <cstdlib>

namespace testsupport
{

namespace
{
constexpr const char* kSystemConfig = "/usr/share/alsa/alsa.conf";
}

AlsaTestConfig::AlsaTestConfig(std::filesystem::path folder) : m_folder(std::move(folder))
{
    const char* old = std::getenv("ALSA_CONFIG_PATH");
    if (old)
        m_saved = old;
}

AlsaTestConfig::~AlsaTestConfig()
{
    if (m_saved)
        ::setenv("ALSA_CONFIG_PATH", m_saved->c_str(), 1);
    else
        ::unsetenv("ALSA_CONFIG_PATH");
}

bool AlsaTestConfig::Available()
{
    return std::filesystem::exists(kSystemConfig);
}

void AlsaTestConfig::AddFileDevice(const std::string& name, const std::filesystem::path& infile,
                                   const std::filesystem::path& outfile)
{
    m_text += "pcm." + name + " {\n  type file\n  slave.pcm \"null\"\n  format \"raw\"\n";
    m_text += "  file \"" + (outfile.empty() ? std::string("/dev/null") : outfile.string()) + "\"\n";
    if (!infile.empty())
        m_text += "  infile \"" + infile.string() + "\"\n";
    m_text += "}\n";
}

void AlsaTestConfig::SetDefaultPlaybackFile(const std::filesystem::path& outfile)
{
    // "!" replaces the system's own definition of the name.
    AddFileDevice("!default", {}, outfile);
}

void AlsaTestConfig::SetDefaultMissingCard()
{
    m_text += "pcm.!default {\n  type hw\n  card 31\n}\n";
}

void AlsaTestConfig::Apply()
{
    // Built piece by piece: GCC 12 warns falsely on a chain of string additions here.
    std::string name = "asound-";
    name += std::to_string(++m_nWrites);
    name += ".conf";
    const std::filesystem::path file = m_folder / name;
    WriteBytes(file, m_text);
    std::string search = kSystemConfig;
    search += ':';
    search += file.string();
    ::setenv("ALSA_CONFIG_PATH", search.c_str(), 1);
}

}  // namespace testsupport
