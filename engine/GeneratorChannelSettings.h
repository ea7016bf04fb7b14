// The records of the generator output matrix: one CGenerator_channel_settings per output channel
// (its gains, calibration, routing lists and name) and CGeneratorMatrix_settings holding all 64.
// Plain values; the output callback reads them on the driver's thread while the user-interface
// thread edits them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

inline constexpr int kGeneratorOutputChannels = 64;

class CGenerator_channel_settings
{
public:
    // Entries of each routing list.
    static constexpr int kMaxListEntries = 256;

    // The number of entries of a list that may be read: its count held to 0..kMaxListEntries.
    int CountA() const;
    int CountB() const;

    double m_scale = 1.0;         // gain 1
    double m_scale_db = 0.0;      // level offset 1
    double m_pre_scale = 1.0;     // gain 2
    double m_pre_scale_db = 0.0;  // level offset 2
    std::int32_t m_calibrated = 0;
    double m_calibration_reference = 0.0;
    double m_calibration_factor = 1.0;  // volts per full-scale unit
    double m_calibrated_target = 1.0;
    std::int32_t m_calibration_type = 0;
    double m_level_factor = 1.0;  // computed by CGeneratorMatrix::SetChannelLevels
    std::int32_t m_channel = 0;
    std::int32_t m_test_generator = 0;  // mode: 0 mixes the lists, otherwise the channel copies generator 10
    std::int32_t m_active = 1;
    // Generators mixed from their first channel (A) and from their second channel (B).
    std::int32_t m_count_a = 0;
    std::array<std::int32_t, kMaxListEntries> m_generators_a{};
    std::int32_t m_count_b = 0;
    std::array<std::int32_t, kMaxListEntries> m_generators_b{};
    std::string m_name;
};

class CGeneratorMatrix_settings
{
public:
    CGeneratorMatrix_settings();

    std::int32_t m_channels = kGeneratorOutputChannels;
    std::array<CGenerator_channel_settings, kGeneratorOutputChannels> m_channel;
};
