#include "dsp/LevelRecord.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "dsp/LevelMeter.h"

namespace
{

void PutDouble(unsigned char* bytes, double value)
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i, bits >>= 8)
        bytes[i] = static_cast<unsigned char>(bits & 0xFF);
}

double GetDouble(const unsigned char* bytes)
{
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | bytes[i];
    return std::bit_cast<double>(bits);
}

}  // namespace

void CLevelRecord::TakeFromMeter(CLevelMeter& meter)
{
    m_energyTotal = static_cast<double>(meter.m_decimationFactor) * meter.m_energySum;
    m_rmsFast = meter.GetLevel(kLevelFast);
    m_rmsSlow = meter.GetLevel(kLevelSlow);
    m_splMin = meter.m_intervalMin;
    m_splMax = meter.m_intervalMax;
    meter.EndLoggerInterval();
}

double CLevelRecord::GetPeak() const
{
    return std::max(std::fabs(m_splMin), std::fabs(m_splMax));
}

void CLevelRecord::ToRaw(unsigned char* bytes) const
{
    const double fields[] = {m_energyTotal, m_energyBlock, m_rmsFast, m_rmsSlow, m_splMin, m_splMax};
    for (std::size_t i = 0; i < 6; ++i)
        PutDouble(bytes + 8 * i, fields[i]);
    std::memset(bytes + 48, 0, 8);
}

void CLevelRecord::FromRaw(const unsigned char* bytes, std::size_t length)
{
    double* fields[] = {&m_energyTotal, &m_energyBlock, &m_rmsFast, &m_rmsSlow, &m_splMin, &m_splMax};
    for (std::size_t i = 0; i < 6 && 8 * (i + 1) <= length; ++i)
        *fields[i] = GetDouble(bytes + 8 * i);
}
