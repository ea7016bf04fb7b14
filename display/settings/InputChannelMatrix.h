// The fixed set of 64 channel records of one consumer: every measurement window's settings hold
// one, and the engine holds one for the channels it conditions. The engine's matrix is saved to and
// loaded from a calibration INI file in the configuration folder.
#pragma once

#include <array>
#include <filesystem>
#include <string_view>

#include "display/settings/ChannelSettings.h"

class CInputChannelMatrix
{
public:
    static constexpr int kChannelCount = 64;
    static constexpr std::string_view kSection = "Input Channel Matrix";
    static constexpr std::string_view kFileName = "calibration.ini";

    CInputChannelMatrix();
    virtual ~CInputChannelMatrix() = default;

    // Every channel active, reading its own input, 0 dB, pre-scale 1, a white curve of width 2
    // labelled "Ch#n", its operation reset; the calibration flags stay.
    void ResetDefaults();
    // Channel i, 0..m_nCount-1 (callers limit the index).
    Cchannel_settings& GetChannel(int i) { return m_pChannels[static_cast<std::size_t>(i)]; }
    const Cchannel_settings& GetChannel(int i) const { return m_pChannels[static_cast<std::size_t>(i)]; }
    int SetAllActive(int flag);
    // The key "Channels" and one section per channel; false when the file could not be written
    // completely (the level calibration dialog reports it).
    bool WriteProfile(std::string_view iniPath) const;
    // The five channel values of every channel section; missing keys keep the current values.
    void ReadProfile(std::string_view iniPath);
    // The calibration file of the level calibration dialog: the configuration folder's
    // "calibration.ini".
    static std::filesystem::path CalibrationFilePath();

    int m_nCount = kChannelCount;
    std::array<Cchannel_settings, kChannelCount> m_pChannels;
};
