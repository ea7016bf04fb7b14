#include "display/settings/ChannelSettings.h"

#include <cstdint>
#include <string>

#include "common/IniFile.h"
#include "platform/Archive.h"

void Cchannel_settings::CopyFrom(const Cchannel_settings& other)
{
    m_bActive = other.m_bActive;
    m_nInputChannel = other.m_nInputChannel;
    m_dScaleDb = other.m_dScaleDb;
    m_CurveStyle.CopyFrom(other.m_CurveStyle);
    m_Operation = other.m_Operation;
    m_dPreScale = other.m_dPreScale;
    m_bCalibrated = other.m_bCalibrated;
}

bool Cchannel_settings::WriteProfile(std::string_view iniPath, std::string_view section) const
{
    CIniFile file;
    if (!file.SetFileName(iniPath))
        return false;
    bool ok = file.WriteBool(section, "Active", m_bActive != 0);
    ok = file.WriteInt(section, "Input Channel", m_nInputChannel) && ok;
    ok = file.WriteBool(section, "Calibrated", m_bCalibrated != 0) && ok;
    ok = file.WriteDouble(section, "Scale dB", m_dScaleDb) && ok;
    ok = file.WriteDouble(section, "Pre Scale", m_dPreScale) && ok;
    ok = m_CurveStyle.WriteIni(iniPath, section, "Line Style ") && ok;
    return ok;
}

void Cchannel_settings::Serialize(CArchive& ar)
{
    m_CurveStyle.Serialize(ar);
    if (ar.IsStoring())
    {
        ar << static_cast<std::int32_t>(m_bActive) << static_cast<std::int32_t>(m_nInputChannel)
           << m_dScaleDb;
        return;
    }
    std::int32_t active = 0;
    std::int32_t input = 0;
    double scale = 0.0;
    ar >> active >> input >> scale;
    m_bActive = active;
    m_nInputChannel = input;
    m_dScaleDb = scale;
}
