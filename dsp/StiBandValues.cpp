#include "dsp/StiBandValues.h"

#include <algorithm>
#include <cmath>

#include "common/IniFile.h"
#include "platform/NumberFormat.h"

const std::array<const char*, kStiSetCount> g_stiBandValueSetNames = {"SNR", "SIGNAL", "NOISE"};

namespace
{

constexpr const char* kSectionPrefix = "STI Signal to Noise";
constexpr const char* kNoValue = "--";
constexpr std::array<double, CStiBandValues::kFileBands> kFileBandCentres = {125.0,  250.0,  500.0, 1000.0,
                                                                             2000.0, 4000.0, 8000.0};

std::string SectionName(int setIndex)
{
    return std::string(kSectionPrefix) + "." + g_stiBandValueSetNames[setIndex];
}

std::string KeyName(int band)
{
    return platform::FormatC("%.0fHz", kFileBandCentres[band]);
}

std::string ValueText(const CStiBandValues& values, int band, int setIndex)
{
    const double value = values.m_values[band];
    if (setIndex == kStiSetSnr && value >= values.m_limit)
        return kNoValue;
    return platform::FormatC("%.2f", value);
}

bool IsKnownSet(int setIndex)
{
    return setIndex >= 0 && setIndex < kStiSetCount;
}

}  // namespace

CStiBandValues::CStiBandValues()
{
    m_values.fill(m_defaultValue);
}

int CStiBandValues::GetUsedCount() const
{
    return std::clamp<int>(m_count, 0, kCapacity);
}

void CStiBandValues::Reset()
{
    SetAll(m_defaultValue);
}

void CStiBandValues::SetAll(double value)
{
    std::fill_n(m_values.begin(), GetUsedCount(), value);
}

void CStiBandValues::Assign(const CStiBandValues& other)
{
    m_count = other.GetUsedCount();
    std::copy_n(other.m_values.begin(), m_count, m_values.begin());
}

void CStiBandValues::Subtract(const CStiBandValues& other)
{
    const int count = GetUsedCount();
    for (int k = 0; k < count; ++k)
        m_values[k] -= other.m_values[k];
}

CStiBandValues CStiBandValues::Difference(const CStiBandValues& other) const
{
    CStiBandValues result = *this;
    result.Subtract(other);
    return result;
}

bool WriteStiBandValues(const std::string& iniPath, const CStiBandValues& values, int setIndex)
{
    if (!IsKnownSet(setIndex))
        return false;
    CIniFile ini;
    if (!ini.SetFileName(iniPath))
        return false;
    const std::string section = SectionName(setIndex);
    bool written = true;
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        written = ini.WriteString(section, KeyName(band), ValueText(values, band, setIndex)) && written;
    return written;
}

bool ReadStiBandValues(const std::string& iniPath, CStiBandValues& values, int setIndex)
{
    if (!IsKnownSet(setIndex))
        return false;
    CIniFile ini;
    if (!ini.SetFileName(iniPath))
        return false;
    const std::string section = SectionName(setIndex);
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
    {
        const std::string text = ini.ReadString(section, KeyName(band), ValueText(values, band, setIndex));
        if (text.empty())
            continue;
        if (text == kNoValue)
        {
            values.m_values[band] = values.m_defaultValue;
            continue;
        }
        // An overflowing exponent would carry infinity into the corrections and the displays.
        const double value = platform::ParseDouble(text);
        if (std::isfinite(value))
            values.m_values[band] = value;
    }
    return true;
}
