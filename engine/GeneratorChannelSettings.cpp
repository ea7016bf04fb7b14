#include "engine/GeneratorChannelSettings.h"

#include "common/IniFile.h"
#include "platform/NumberFormat.h"
#include "platform/Profile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace
{

constexpr int kRoutedGenerators = 10;  // routing names generators 1..10

std::string ChannelSection(int i)
{
    return std::string(CGeneratorMatrix_settings::kSection) + " CH#" + std::to_string(i + 1);
}

const char* Bool(int value)
{
    return value != 0 ? "True" : "False";
}

}  // namespace

int CGenerator_channel_settings::CountA() const
{
    return std::clamp(static_cast<int>(m_count_a), 0, kMaxListEntries);
}

int CGenerator_channel_settings::CountB() const
{
    return std::clamp(static_cast<int>(m_count_b), 0, kMaxListEntries);
}

void CGenerator_channel_settings::Copy(const CGenerator_channel_settings& source)
{
    *this = source;
}

void CGenerator_channel_settings::ResetCalibration()
{
    m_scale = 1.0;
    m_scale_db = 0.0;
    m_pre_scale = 1.0;
    m_pre_scale_db = 0.0;
    m_calibrated = 0;
    m_calibration_reference = 0.0;
    m_calibration_factor = 1.0;
    m_calibrated_target = 1.0;
    m_calibration_type = 0;
}

bool CGenerator_channel_settings::AddA(int generator)
{
    const int count = CountA();
    if (count >= kMaxListEntries)
        return false;
    m_generators_a[static_cast<std::size_t>(count)] = generator;
    m_count_a = count + 1;
    return true;
}

bool CGenerator_channel_settings::AddB(int generator)
{
    const int count = CountB();
    if (count >= kMaxListEntries)
        return false;
    m_generators_b[static_cast<std::size_t>(count)] = generator;
    m_count_b = count + 1;
    return true;
}

void CGenerator_channel_settings::ClearLists()
{
    m_count_a = 0;
    m_count_b = 0;
}

std::string CGenerator_channel_settings::FormatGeneratorConfig() const
{
    std::string text;
    for (int i = 0; i < CountA(); ++i)
        text += std::to_string(m_generators_a[static_cast<std::size_t>(i)] + 1) + "A ";
    for (int i = 0; i < CountB(); ++i)
        text += std::to_string(m_generators_b[static_cast<std::size_t>(i)] + 1) + "B ";
    return text;
}

void CGenerator_channel_settings::ParseGeneratorConfig(std::string_view text)
{
    ClearLists();
    std::size_t at = 0;
    while (at < text.size())
    {
        while (at < text.size() && text[at] == ' ')
            ++at;
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ')
            ++end;
        if (end == at)
            break;
        const std::string piece(text.substr(at, end - at));
        at = end;
        // The leading decimal number; a piece without one reads as 0 and is skipped.
        const char* begin = piece.c_str();
        char* stop = nullptr;
        const long number = std::strtol(begin, &stop, 10);
        if (stop == begin || number < 1 || number > kRoutedGenerators)
            continue;
        const bool listB = std::toupper(static_cast<unsigned char>(piece.back())) == 'B';
        if (listB)
            AddB(static_cast<int>(number) - 1);
        else
            AddA(static_cast<int>(number) - 1);
    }
}

CGeneratorMatrix_settings::CGeneratorMatrix_settings()
{
    for (int i = 0; i < kGeneratorOutputChannels; ++i)
    {
        m_channel[i].m_channel = i;
        m_channel[i].m_name = std::to_string(i + 1);
    }
}

void CGeneratorMatrix_settings::SetDefaults()
{
    m_channels = kGeneratorOutputChannels;
    for (int i = 0; i < kGeneratorOutputChannels; ++i)
    {
        CGenerator_channel_settings& channel = m_channel[static_cast<std::size_t>(i)];
        channel.ResetCalibration();
        channel.ClearLists();
        channel.m_channel = i;
        channel.m_test_generator = 0;
        channel.m_active = 1;
        channel.m_name = std::to_string(i + 1);
    }
    ApplyPreset(Preset::Generators5);
}

void CGeneratorMatrix_settings::Copy(const CGeneratorMatrix_settings& source)
{
    m_channels = source.m_channels;
    for (int i = 0; i < kGeneratorOutputChannels; ++i)
        m_channel[static_cast<std::size_t>(i)].Copy(source.m_channel[static_cast<std::size_t>(i)]);
}

void CGeneratorMatrix_settings::ResetCalibration()
{
    for (CGenerator_channel_settings& channel : m_channel)
        channel.ResetCalibration();
}

void CGeneratorMatrix_settings::ApplyPreset(Preset preset, int generators)
{
    for (int k = 0; k < kGeneratorOutputChannels; ++k)
    {
        CGenerator_channel_settings& channel = m_channel[static_cast<std::size_t>(k)];
        channel.ClearLists();
        switch (preset)
        {
            case Preset::OneToOne:
                channel.AddA(k % kRoutedGenerators);
                break;
            case Preset::Stereo:
                if (k % 2 == 0)
                    channel.AddA((k / 2) % kRoutedGenerators);
                else
                    channel.AddB((k / 2) % kRoutedGenerators);
                break;
            case Preset::Generators5:
                for (int g = 0; g < generators; ++g)
                    channel.AddA(g);
                break;
        }
    }
}

int CGeneratorMatrix_settings::Count() const
{
    return std::clamp(static_cast<int>(m_channels), 0, kGeneratorOutputChannels);
}

bool CGeneratorMatrix_settings::WriteIni(const std::string& path) const
{
    bool refused = false;
    const bool written = platform::ModifyProfile(
        path,
        [&](platform::ProfileDocument& document)
        {
            const auto set = [&](const std::string& section, std::string_view key, const std::string& value)
            {
                if (!document.Set(section, key, value))
                    refused = true;
            };
            const auto number = [](double value) { return platform::FormatC("%f", value); };
            set(std::string(kSection), "Channels", std::to_string(m_channels));
            for (int i = 0; i < Count(); ++i)
            {
                const CGenerator_channel_settings& c = m_channel[static_cast<std::size_t>(i)];
                const std::string section = ChannelSection(i);
                set(section, "Active", Bool(c.m_active));
                set(section, "Output Channel", std::to_string(c.m_channel));
                set(section, "Calibrated", Bool(c.m_calibrated));
                set(section, "Scale dB", number(c.m_scale_db));
                set(section, "Scale", number(c.m_scale));
                set(section, "Pre Scale", number(c.m_pre_scale));
                set(section, "Pre Scale dB", number(c.m_pre_scale_db));
                set(section, "Calibration Factor", number(c.m_calibration_factor));
                set(section, "Calibration Reference", number(c.m_calibration_reference));
                set(section, "Calibrated Target Value", number(c.m_calibrated_target));
                set(section, "Calibration Type", std::to_string(c.m_calibration_type));
                set(section, "Name", c.m_name);
                set(section, "Test Generator", Bool(c.m_test_generator));
                set(section, "Generators A", std::to_string(c.CountA()));
                set(section, "Generators B", std::to_string(c.CountB()));
                set(section, "Generator Config", c.FormatGeneratorConfig());
            }
            return true;
        });
    return written && !refused;
}

void CGeneratorMatrix_settings::ReadIni(const std::string& path)
{
    CIniFile file;
    if (!file.SetFileName(path))
        return;
    for (int i = 0; i < Count(); ++i)
    {
        CGenerator_channel_settings& c = m_channel[static_cast<std::size_t>(i)];
        const std::string section = ChannelSection(i);
        c.m_active = file.ReadBool(section, "Active", c.m_active != 0) ? 1 : 0;
        c.m_channel =
            std::clamp(file.ReadInt(section, "Output Channel", c.m_channel), 0, kGeneratorOutputChannels - 1);
        c.m_calibrated = file.ReadBool(section, "Calibrated", c.m_calibrated != 0) ? 1 : 0;
        c.m_scale_db = file.ReadDouble(section, "Scale dB", c.m_scale_db);
        c.m_scale = file.ReadDouble(section, "Scale", c.m_scale);
        c.m_pre_scale = file.ReadDouble(section, "Pre Scale", c.m_pre_scale);
        c.m_pre_scale_db = file.ReadDouble(section, "Pre Scale dB", c.m_pre_scale_db);
        c.m_calibration_factor = file.ReadDouble(section, "Calibration Factor", c.m_calibration_factor);
        c.m_calibration_reference =
            file.ReadDouble(section, "Calibration Reference", c.m_calibration_reference);
        c.m_calibrated_target = file.ReadDouble(section, "Calibrated Target Value", c.m_calibrated_target);
        c.m_calibration_type = file.ReadInt(section, "Calibration Type", c.m_calibration_type);
        c.m_name = file.ReadString(section, "Name", c.m_name);
        c.m_test_generator = file.ReadBool(section, "Test Generator", c.m_test_generator != 0) ? 1 : 0;
        // The lists come from the routing text; its two counts are informative.
        const std::string config =
            file.ReadString(section, "Generator Config", c.FormatGeneratorConfig(), 4096);
        c.ParseGeneratorConfig(config);
    }
}
