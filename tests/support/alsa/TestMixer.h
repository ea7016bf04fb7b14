// The test ALSA mixer: an ALSA configuration of the test's own with two control devices of the
// test plugin (tests/support/alsa/TestMixerCtl.c), "tessarin_mic" (capture volume 0..65535) and
// "tessarin_mic2" (-20..20), and what was set on them read back. Needs TESSARIN_ALSA_TEST_PLUGIN
// (the plugin's path) defined.
#pragma once

#include "tests/support/AlsaTestConfig.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace testsupport
{

struct TestMixerState
{
    long volumeLeft = 0;
    long volumeRight = 0;
    long captureSwitch = 0;
    long playbackSwitch = 0;
    long agc = 0;
    bool written = false;  // false: nothing was set yet
};

class TestAlsaMixer
{
public:
    static constexpr const char* kFirst = "tessarin_mic";
    static constexpr const char* kSecond = "tessarin_mic2";

    // folder: a temporary folder for the configuration and the two state files.
    explicit TestAlsaMixer(const std::filesystem::path& folder) : m_folder(folder), m_config(folder)
    {
        std::filesystem::create_directories(folder);
        // Built piece by piece: GCC 12 warns falsely on a chain of string additions.
        std::string text = "ctl_type.tessarin_test { lib \"" TESSARIN_ALSA_TEST_PLUGIN "\" }\n";
        for (const char* device : {kFirst, kSecond})
        {
            text += "ctl.";
            text += device;
            text += " { type tessarin_test state \"";
            text += StatePath(device).string();
            text += "\"";
            if (device == kSecond)
                text += " min -20 max 20";
            text += " }\n";
        }
        m_config.AddText(text);
        m_config.Apply();
    }

    std::filesystem::path StatePath(const std::string& device) const
    {
        return m_folder / (device + ".state");
    }

    TestMixerState Read(const std::string& device) const
    {
        TestMixerState state;
        std::ifstream in(StatePath(device));
        state.written = static_cast<bool>(in >> state.volumeLeft >> state.volumeRight >>
                                          state.captureSwitch >> state.playbackSwitch >> state.agc);
        return state;
    }

private:
    std::filesystem::path m_folder;
    AlsaTestConfig m_config;
};

}  // namespace testsupport
