#include "display/settings/InputChannelMatrix.h"

#include <algorithm>
#include <string>

#include "common/IniFile.h"
#include "display/Plot.h"
#include "platform/Places.h"

namespace
{

constexpr int kLabelChannel = 0;

std::string ChannelSection(int i)
{
    return std::string(CInputChannelMatrix::kSection) + " CH#" + std::to_string(i + 1);
}

}  // namespace

CInputChannelMatrix::CInputChannelMatrix()
{
    ResetDefaults();
}

void CInputChannelMatrix::ResetDefaults()
{
    const int white = FindNearestPaletteColor(RgbColor(255, 255, 255));
    for (int i = 0; i < m_nCount; ++i)
    {
        Cchannel_settings& channel = GetChannel(i);
        channel.m_bActive = 1;
        channel.m_nInputChannel = i;
        channel.m_dScaleDb = 0.0;
        channel.m_dPreScale = 1.0;
        channel.m_CurveStyle.m_nColorIndex = white;
        channel.m_CurveStyle.m_nWidth = 2;
        channel.m_CurveStyle.m_nPenStyle = PEN_STYLE_SOLID;
        channel.m_CurveStyle.m_nMarker = 0;
        channel.m_CurveStyle.m_strLabel = GetCurveLabel(i, kLabelChannel);
        channel.m_Operation.Reset(i);
    }
}

int CInputChannelMatrix::SetAllActive(int flag)
{
    for (int i = 0; i < m_nCount; ++i)
        GetChannel(i).m_bActive = flag;
    return m_nCount;
}

bool CInputChannelMatrix::WriteProfile(std::string_view iniPath) const
{
    CIniFile file;
    if (!file.SetFileName(iniPath))
        return false;
    bool ok = file.WriteInt(kSection, "Channels", m_nCount);
    const int count = std::min(m_nCount, kChannelCount);
    for (int i = 0; i < count; ++i)
        ok = GetChannel(i).WriteProfile(iniPath, ChannelSection(i)) && ok;
    return ok;
}

void CInputChannelMatrix::ReadProfile(std::string_view iniPath)
{
    CIniFile file;
    if (!file.SetFileName(iniPath))
        return;
    const int count = std::min(m_nCount, kChannelCount);
    for (int i = 0; i < count; ++i)
    {
        Cchannel_settings& channel = GetChannel(i);
        const std::string section = ChannelSection(i);
        channel.m_bActive = file.ReadBool(section, "Active", channel.m_bActive != 0) ? 1 : 0;
        channel.m_nInputChannel = file.ReadInt(section, "Input Channel", channel.m_nInputChannel);
        channel.m_bCalibrated = file.ReadBool(section, "Calibrated", channel.m_bCalibrated != 0) ? 1 : 0;
        channel.m_dScaleDb = file.ReadDouble(section, "Scale dB", channel.m_dScaleDb);
        channel.m_dPreScale = file.ReadDouble(section, "Pre Scale", channel.m_dPreScale);
    }
}

std::filesystem::path CInputChannelMatrix::CalibrationFilePath()
{
    return platform::ConfigFolder() / kFileName;
}
