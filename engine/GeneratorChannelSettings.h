// The records of the generator output matrix: one CGenerator_channel_settings per output channel
// (its gains, calibration, routing lists and name) and CGeneratorMatrix_settings holding all 64.
// Plain values; the output callback reads them on the driver's thread while the user-interface
// thread edits them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int kGeneratorOutputChannels = 64;

class CGenerator_channel_settings
{
public:
    // Entries of each routing list.
    static constexpr int kMaxListEntries = 256;

    // The number of entries of a list that may be read: its count held to 0..kMaxListEntries.
    int CountA() const;
    int CountB() const;
    // All fields, both lists whole, the name.
    void Copy(const CGenerator_channel_settings& source);
    // Scale and pre-scale 1 (0 dB), not calibrated, reference 0, factor and target value 1, type 0.
    void ResetCalibration();
    // Appends a generator index to a list; false when the list is full.
    bool AddA(int generator);
    bool AddB(int generator);
    void ClearLists();
    // The routing text: "%iA " for every A entry (index + 1), then "%iB " for every B entry.
    std::string FormatGeneratorConfig() const;
    // Empties both lists and reads the text's blank-separated pieces: a decimal number 1..10 is
    // stored as number - 1, in the B list when the piece ends in "B" (any case), else in the A list;
    // other pieces are skipped.
    void ParseGeneratorConfig(std::string_view text);

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
    static constexpr std::string_view kSection = "Output Channel Matrix";
    // The routing presets.
    enum class Preset
    {
        OneToOne,     // channel k: A = [k mod 10]
        Stereo,       // pair j: its first channel A = [j mod 10], its second B = [j mod 10]
        Generators5,  // every channel: A = [0..4]
    };

    CGeneratorMatrix_settings();

    // 64 channels; every record: calibration reset, lists emptied, channel number = its index,
    // test off, active, name = its 1-based number; then the "5 Generators" routing.
    void SetDefaults();
    void Copy(const CGeneratorMatrix_settings& source);
    void ResetCalibration();
    // Empties both lists of all 64 records and sets the preset's routing.
    void ApplyPreset(Preset preset, int generators = 5);
    // The channel count held to 0..64.
    int Count() const;
    // The key "Channels" and one section per channel of the count ("Output Channel Matrix CH#1" ...),
    // written in one replacement of the file that keeps its other lines. False when the file could not
    // be written.
    bool WriteIni(const std::string& path) const;
    // Every field of the channels of the count, each defaulting to its current value; the count key
    // is not applied. A missing file leaves everything as it is.
    void ReadIni(const std::string& path);

    std::int32_t m_channels = kGeneratorOutputChannels;
    std::array<CGenerator_channel_settings, kGeneratorOutputChannels> m_channel;
};
