// Everything that describes one signal generator: waveform, frequency, level and attenuators, sweep
// and chirp, burst, file playback, free filter, effects and output format. A plain value (no pointers,
// no heap), so a generator can take a copy while it renders. Two byte forms are contracts: the
// 20920-byte wire record that the generator link sends to the stand-alone generator program, and the
// archive form that is the "*.sgs" file and the generator part of a workspace.
//
// Threads: a record belongs to the thread that holds it; the generator's own record is written on the
// user-interface thread and read by the rendering thread without a lock (see CGenerator).
#pragma once

#include "dsp/DesignedFilter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CArchive;
class CEngineNotifications;

// Size of the wire record and the first word of the archive form.
inline constexpr std::size_t kSigGenWireBytes = 20920;
inline constexpr std::int32_t kSigGenFileTag = 0x7993E3;  // 7967715
inline constexpr std::int32_t kSigGenVersion = 4;
// Both text fields are fixed arrays of this many bytes, always zero-terminated.
inline constexpr std::size_t kSigGenTextBytes = 8192;
inline constexpr std::size_t kSigGenReservedBlockBytes = 4092;
inline constexpr int kSigGenAttenuatorCount = 7;

// Factors of the attenuator switches -1, -2, -3, -5, -10, -20 and -50 dB, in the record's order.
inline constexpr std::array<double, kSigGenAttenuatorCount> kAttenuatorFactors = {
    0.89125093813374556, 0.79432823472428149, 0.70794578438414, 0.56234132519035, 0.31622776601684, 0.1,
    0.0031622776601684};

// Shown when a setting file carries the tag but another version.
inline constexpr const char* kSgsVersionMessage =
    "This generator setting file (*.sgs) is not supported. Please delete all old *.sgs files";

// Waveform codes of m_mode.
inline constexpr int kGenModeSine = 0;
inline constexpr int kGenModeRectangular = 1;
inline constexpr int kGenModeTriangular = 2;
inline constexpr int kGenModeWhiteNoise = 3;
inline constexpr int kGenModeMls = 4;
inline constexpr int kGenModeSweep = 5;
inline constexpr int kGenModePinkNoise = 6;
inline constexpr int kGenModeGaussNoise = 7;
inline constexpr int kGenModeWaveFile = 1024;

// The ranges every record is held to after it is loaded, received or handed to a generator, so that
// no field can divide by zero, overflow a sample count or leave the rendering loop without progress.
inline constexpr double kGenMinFrequency = 0.01;  // Hz; also the lowest sweep end
inline constexpr double kGenMaxFrequency = 1.0e6;
inline constexpr double kGenMinSweepTime = 0.001;  // s
inline constexpr double kGenMaxSweepTime = 10000.0;
inline constexpr int kGenMinSampleRate = 1000;
inline constexpr int kGenMaxSampleRate = 1536000;
inline constexpr int kGenMinChirpLength = 16;
inline constexpr int kGenMaxChirpLength = 1 << 22;
inline constexpr int kGenMinMlsLength = 15;
inline constexpr int kGenMaxMlsLength = (1 << 20) - 1;
inline constexpr int kGenMaxDelay = 16383;
inline constexpr double kGenMaxBurstTime = 1.0e9;  // in any unit; lengths are capped again in samples

class CSigGen_settings
{
public:
    CSigGen_settings();

    // Writes every default and reseeds the process-wide uniform random source with
    // kGeneratorRandomKey, so the white noise restarts from the same point after each reset.
    void SetDefaults();
    // Copies the fields the generator link and the dialogs exchange; burst levels, units and gate,
    // the effects, the AM settings and the reserved block keep this record's values.
    void Copy(const CSigGen_settings& source);
    // Level with balance 0, every attenuator out and the output on.
    void SetLevel(double level);
    void SetBalanceDb(double db);
    double GetBalanceDb() const;

    // The archive form. Loading reads into a copy and takes it over only when the stream held a
    // complete record, so a short stream (ArchiveError, passed on to the caller) or a damaged name
    // length leaves this record untouched. A wrong tag sets m_version to 0 and changes nothing else;
    // a wrong version shows kSgsVersionMessage and keeps everything after the version word.
    void Serialize(CArchive& ar);
    void Serialize(CArchive& ar, CEngineNotifications& notifications);

    // The wire record, byte for byte (object header and padding as zeros).
    std::vector<std::uint8_t> ToWire() const;
    // Takes a received record. Anything but exactly kSigGenWireBytes bytes with m_version 4 is refused
    // whole (false, this record unchanged); an accepted record is held to the valid ranges.
    bool FromWire(std::span<const std::uint8_t> bytes);

    // Holds every field to a usable range (see the kGen... limits); called after loading and
    // receiving, and by the generator before it prepares its run-time state.
    void ClampToValidRanges();

    std::string GetWavefileName() const;
    void SetWavefileName(std::string_view name);  // cut to 8191 bytes at a character boundary
    std::string GetSgsPath() const;
    void SetSgsPath(std::string_view path);

    std::int32_t m_version = kSigGenVersion;
    std::int32_t m_flags = 0;  // command word of the generator link
    std::int32_t m_mode = kGenModeSine;
    std::int32_t m_reserved16 = 2;
    double m_frequency = 1000.0;
    std::int32_t m_delay = 0;
    std::int32_t m_mls_length = 1023;
    std::int32_t m_reserved40 = 0;
    std::int32_t m_reserved44 = 0;
    double m_level = 1.0;
    double m_balance = 0.0;
    std::int32_t m_invert = 0;
    std::int32_t m_output_on = 0;
    std::int32_t m_freq_fine = 0;
    double m_freq_min = 10.0;
    double m_freq_max = 20000.0;
    double m_balance_min_db = -50.0;
    double m_balance_max_db = 50.0;
    double m_volume_min_db = -100.1;
    double m_volume_max_db = 0.0;
    std::array<std::int32_t, kSigGenAttenuatorCount> m_attenuator = {0, 0, 1, 0, 0, 0, 0};
    double m_sweep_start = 100.0;
    double m_sweep_stop = 2000.0;
    double m_sweep_time = 100.0;
    std::int32_t m_sweep_log = 0;
    std::int32_t m_chirp_length = 1024;
    std::int32_t m_chirp_type = 0;
    std::int32_t m_chirp_on = 0;
    std::int32_t m_sample_rate = 44100;
    std::int32_t m_reserved204 = 0;
    std::int32_t m_reserved208 = 0;
    std::int32_t m_bits = 16;
    std::int32_t m_32bit = 0;
    double m_pulse_width = 0.5;
    double m_burst_on_time = 1.0;
    double m_burst_off_time = 1.0;
    std::int32_t m_burst_on = 0;
    std::int32_t m_burst_restart = 1;
    double m_burst_on_level = 1.0;
    double m_burst_off_level = 0.0;
    std::int32_t m_burst_on_unit = 2;
    std::int32_t m_burst_off_unit = 2;
    std::int32_t m_burst_gate = 1;
    std::int32_t m_reserved284 = 0;
    std::array<char, kSigGenTextBytes> m_sgs_path{};
    std::array<char, kSigGenTextBytes> m_wavefile_name{};
    double m_fade_in = 0.0;
    double m_fade_out = 0.0;
    double m_calibration_db = 0.0;
    CDesignedFilterSettings m_filter;
    std::int32_t m_distortion_on = 0;
    double m_distortion_drive = 0.1;
    double m_crest_target = 1.3;
    std::int32_t m_fm_on = 0;
    double m_fm_deviation = 1000.0;
    double m_dc_offset = 0.0;
    std::int32_t m_effects_ch1_only = 0;
    std::array<std::uint8_t, kSigGenReservedBlockBytes> m_reserved_block{};
    std::int32_t m_am_on = 0;
    double m_am_frequency = 1000.0;
    double m_am_depth = 1.0;

    // The generator program keeps its output choices in words that the main program leaves
    // reserved: the channel count, the output device and its mode (0 ALSA stream, 1 ASIO), and the
    // ASIO driver. They travel and are stored like the other reserved words.
    std::int32_t& OutputChannels() { return m_reserved16; }
    std::int32_t& OutputDevice() { return m_reserved204; }
    std::int32_t& OutputDeviceMode() { return m_reserved208; }
    std::int32_t& OutputAsioDevice() { return m_reserved284; }
    std::int32_t OutputAsioDevice() const { return m_reserved284; }

    // The generator program's INI form: every generator key in section `section`, then the free
    // filter's design keys in `section` + ".Filter Designer". Reading keeps the value of every
    // missing key and holds the result to the valid ranges. False when the file cannot be written.
    bool WriteProfile(const std::string& file, std::string_view section) const;
    void ReadProfile(const std::string& file, std::string_view section);

private:
    // The defaults without the reseeding that SetDefaults adds.
    struct DefaultTag
    {
    };
    explicit CSigGen_settings(DefaultTag) {}
    static CSigGen_settings DefaultValues();

    void LoadFrom(CArchive& ar, CEngineNotifications& notifications);
};
