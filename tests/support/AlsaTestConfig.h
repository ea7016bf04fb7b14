// An ALSA configuration of the test's own: the system's alsa.conf (which has the "null" device)
// plus `file` devices over a `null` slave that capture from a raw file and play into one, so that
// the real ALSA code runs without a sound card. ALSA_CONFIG_PATH points at it while the object
// lives; every Apply writes a new file, so that ALSA reloads its configuration.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace testsupport
{

class AlsaTestConfig
{
public:
    // The configuration files go into `folder` (a TempHome's).
    explicit AlsaTestConfig(std::filesystem::path folder);
    ~AlsaTestConfig();
    AlsaTestConfig(const AlsaTestConfig&) = delete;
    AlsaTestConfig& operator=(const AlsaTestConfig&) = delete;

    // False where the system's alsa.conf is missing (the ALSA data package is not installed).
    static bool Available();
    // A device `name`: capture reads raw samples (the stream's format) from `infile` and then
    // silence; playback writes raw samples to `outfile`. Either path may be empty.
    void AddFileDevice(const std::string& name, const std::filesystem::path& infile,
                       const std::filesystem::path& outfile);
    // Any further configuration text (control devices, plugin types).
    void AddText(const std::string& text) { m_text += text; }
    void Apply();

private:
    std::filesystem::path m_folder;
    std::string m_text;
    int m_nWrites = 0;
    std::optional<std::string> m_saved;
};

}  // namespace testsupport
