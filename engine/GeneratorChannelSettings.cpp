#include "engine/GeneratorChannelSettings.h"

#include <algorithm>

int CGenerator_channel_settings::CountA() const
{
    return std::clamp(static_cast<int>(m_count_a), 0, kMaxListEntries);
}

int CGenerator_channel_settings::CountB() const
{
    return std::clamp(static_cast<int>(m_count_b), 0, kMaxListEntries);
}

CGeneratorMatrix_settings::CGeneratorMatrix_settings()
{
    for (int i = 0; i < kGeneratorOutputChannels; ++i)
    {
        m_channel[i].m_channel = i;
        m_channel[i].m_name = std::to_string(i + 1);
    }
}
