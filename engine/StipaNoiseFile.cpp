#include "engine/StipaNoiseFile.h"

#include <algorithm>
#include <limits>

bool CStipaNoiseFile::Open(const std::string& path)
{
    m_reader.Open(path);
    return m_reader.IsOpen();
}

int CStipaNoiseFile::Read(std::span<float> frames)
{
    if (!m_reader.IsOpen() || m_reader.m_nChannels != 1 || frames.empty())
        return 0;
    const int count = static_cast<int>(std::min<std::size_t>(frames.size(), std::numeric_limits<int>::max()));
    return std::max(m_reader.Read(frames.data(), count, 0), 0);
}
