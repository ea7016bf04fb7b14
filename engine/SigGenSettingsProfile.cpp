// The generator settings record in the generator program's INI configuration: one key per field, in
// the order the configuration files have always had (the spelling of every key included).
#include "engine/SigGenSettingsProfile.h"
#include "engine/SigGenSettings.h"

#include "common/IniFile.h"

#include <string>

namespace
{

enum class KeyKind
{
    Int,
    Double,
    RateAsDouble,
    Text,
    Attenuator
};

struct ProfileKey
{
    const char* name;
    KeyKind kind;
    std::int32_t CSigGen_settings::*intField = nullptr;
    double CSigGen_settings::*doubleField = nullptr;
    int attenuator = 0;
};

constexpr ProfileKey Int(const char* name, std::int32_t CSigGen_settings::*field)
{
    return {name, KeyKind::Int, field, nullptr, 0};
}

constexpr ProfileKey Double(const char* name, double CSigGen_settings::*field)
{
    return {name, KeyKind::Double, nullptr, field, 0};
}

constexpr ProfileKey Attenuator(const char* name, int index)
{
    return {name, KeyKind::Attenuator, nullptr, nullptr, index};
}

using S = CSigGen_settings;

// The reserved words of the record carry the two burst lengths of the old panel and the program's
// output choices (see CSigGen_settings::OutputChannels and its neighbours).
const ProfileKey kKeys[] = {
    Int("Mode", &S::m_mode),
    Int("Channels", &S::m_reserved16),
    Int("Delay", &S::m_delay),
    Int("Burst length", &S::m_reserved40),
    Int("Silence length", &S::m_reserved44),
    Double("Slider min frequency", &S::m_freq_min),
    Double("Slider max frequency", &S::m_freq_max),
    Double("Slider min volume", &S::m_volume_min_db),
    Double("Slider max volume", &S::m_volume_max_db),
    Double("Slider min balance", &S::m_balance_min_db),
    Double("Slider max balance", &S::m_balance_max_db),
    Double("Sweep frequency start", &S::m_sweep_start),
    Double("Sweep frequency stop", &S::m_sweep_stop),
    Double("Sweep time", &S::m_sweep_time),
    Int("Sweep type", &S::m_sweep_log),
    Int("Chirp size", &S::m_chirp_length),
    Int("Chirp mode", &S::m_chirp_type),
    Int("Chirp enable", &S::m_chirp_on),
    Int("Device", &S::m_reserved204),
    Int("Device ASIO", &S::m_reserved284),
    Int("Device mode", &S::m_reserved208),
    {"Samplerate", KeyKind::RateAsDouble},
    {"Wavefile name", KeyKind::Text},
    Double("Wavefile fade in", &S::m_fade_in),
    Double("Wavefile fade out", &S::m_fade_out),
    Int("Bits per sample", &S::m_bits),
    Int("High resolution mode", &S::m_32bit),
    Double("Pulse widths", &S::m_pulse_width),
    Double("Burst on time", &S::m_burst_on_time),
    Double("Burst off time", &S::m_burst_off_time),
    Int("Burst enable", &S::m_burst_on),
    Int("Burst start zero phase", &S::m_burst_restart),
    Double("Burst level on", &S::m_burst_on_level),
    Double("Burst level off", &S::m_burst_off_level),
    Int("Burst units on", &S::m_burst_on_unit),
    Int("Burst units off", &S::m_burst_off_unit),
    Int("Burst AM enable", &S::m_burst_gate),
    Double("Frequency", &S::m_frequency),
    Int("MLS length", &S::m_mls_length),
    Double("Volume", &S::m_level),
    Double("Balance", &S::m_balance),
    Double("Calibration", &S::m_calibration_db),
    Double("DC offset", &S::m_dc_offset),
    Int("Mute", &S::m_output_on),
    Int("Invert Phase", &S::m_invert),
    Attenuator("Attenuator 1dB", 0),
    Attenuator("Attenuator 2dB", 1),
    Attenuator("Attenuator 3dB", 2),
    Attenuator("Attenuator 5dB", 3),
    Attenuator("Attenuator 10dB", 4),
    Attenuator("Attenuator 20dB", 5),
    Attenuator("Attenuator 50dB", 6),
    Int("Distortion enable", &S::m_distortion_on),
    Double("Distortion parameter", &S::m_distortion_drive),
    Double("Crest target", &S::m_crest_target),
    Int("FM mode", &S::m_fm_on),
    Double("FM shift", &S::m_fm_deviation),
    Int("AM mode", &S::m_am_on),
    Double("AM carrier frequency", &S::m_am_frequency),
    Double("AM modulatation index", &S::m_am_depth),
    Int("DSP CH1 only", &S::m_effects_ch1_only),
};

std::string FilterSection(std::string_view section)
{
    std::string name(section);
    name += ".Filter Designer";
    return name;
}

}  // namespace

bool CSigGen_settings::WriteProfile(const std::string& file, std::string_view section) const
{
    CIniFile ini;
    if (!ini.SetFileName(file))
        return false;
    bool ok = true;
    for (const ProfileKey& key : kKeys)
    {
        switch (key.kind)
        {
            case KeyKind::Int:
                ok = ini.WriteInt(section, key.name, this->*key.intField) && ok;
                break;
            case KeyKind::Double:
                ok = ini.WriteDouble(section, key.name, this->*key.doubleField) && ok;
                break;
            case KeyKind::RateAsDouble:
                ok = ini.WriteDouble(section, key.name, m_sample_rate) && ok;
                break;
            case KeyKind::Text:
                ok = ini.WriteString(section, key.name, GetWavefileName()) && ok;
                break;
            case KeyKind::Attenuator:
                ok =
                    ini.WriteInt(section, key.name, m_attenuator[static_cast<std::size_t>(key.attenuator)]) &&
                    ok;
                break;
        }
    }
    return WriteFilterDesignProfile(file, FilterSection(section), m_filter) && ok;
}

void CSigGen_settings::ReadProfile(const std::string& file, std::string_view section)
{
    CIniFile ini;
    if (!ini.SetFileName(file))
        return;
    for (const ProfileKey& key : kKeys)
    {
        switch (key.kind)
        {
            case KeyKind::Int:
                this->*key.intField = ini.ReadInt(section, key.name, this->*key.intField);
                break;
            case KeyKind::Double:
                this->*key.doubleField = ini.ReadDouble(section, key.name, this->*key.doubleField);
                break;
            case KeyKind::RateAsDouble:
            {
                const double rate = ini.ReadDouble(section, key.name, m_sample_rate);
                if (rate >= kGenMinSampleRate && rate <= kGenMaxSampleRate)
                    m_sample_rate = static_cast<std::int32_t>(rate + 0.5);
                break;
            }
            case KeyKind::Text:
                // Read whole: a path longer than the accessor's usual 254 characters keeps its tail.
                SetWavefileName(ini.ReadString(section, key.name, GetWavefileName(), kSigGenTextBytes - 1));
                break;
            case KeyKind::Attenuator:
            {
                std::int32_t& value = m_attenuator[static_cast<std::size_t>(key.attenuator)];
                value = ini.ReadInt(section, key.name, value);
                break;
            }
        }
    }
    ReadFilterDesignProfile(file, FilterSection(section), m_filter);
    ClampToValidRanges();
}

bool WriteFilterDesignProfile(const std::string& file, std::string_view section,
                              const CDesignedFilterSettings& filter)
{
    CIniFile ini;
    if (!ini.SetFileName(file))
        return false;
    bool ok = ini.WriteInt(section, "Stopband", filter.m_bBandStop);
    ok = ini.WriteInt(section, "Order", filter.m_nOrder) && ok;
    ok = ini.WriteInt(section, "Prototype", filter.m_nDesignKind - 1) && ok;
    ok = ini.WriteDouble(section, "Frequency low", filter.m_dLowCorner) && ok;
    ok = ini.WriteDouble(section, "Frequency high", filter.m_dHighCorner) && ok;
    ok = ini.WriteDouble(section, "Passband ripple", filter.m_dRippleDb) && ok;
    ok = ini.WriteInt(section, "Cascade", filter.m_bTwice) && ok;
    ok = ini.WriteInt(section, "Enable", filter.m_bEnabled) && ok;
    return ok;
}

void ReadFilterDesignProfile(const std::string& file, std::string_view section,
                             CDesignedFilterSettings& filter)
{
    CIniFile ini;
    if (!ini.SetFileName(file))
        return;
    filter.m_bBandStop = ini.ReadInt(section, "Stopband", filter.m_bBandStop) != 0 ? 1 : 0;
    filter.m_nOrder = ini.ReadInt(section, "Order", filter.m_nOrder);
    // The file counts the prototypes from 0 (Butterworth, Chebychev, elliptic).
    const int prototype = ini.ReadInt(section, "Prototype", filter.m_nDesignKind - 1);
    if (prototype >= 0 && prototype <= 2)
        filter.m_nDesignKind = prototype + 1;
    filter.m_dLowCorner = ini.ReadDouble(section, "Frequency low", filter.m_dLowCorner);
    filter.m_dHighCorner = ini.ReadDouble(section, "Frequency high", filter.m_dHighCorner);
    filter.m_dRippleDb = ini.ReadDouble(section, "Passband ripple", filter.m_dRippleDb);
    filter.m_bTwice = ini.ReadInt(section, "Cascade", filter.m_bTwice) != 0 ? 1 : 0;
    filter.m_bEnabled = ini.ReadInt(section, "Enable", filter.m_bEnabled) != 0 ? 1 : 0;
}
