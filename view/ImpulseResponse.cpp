#include "view/ImpulseResponse.h"

#include <algorithm>
#include <cstdlib>
#include <new>

CImpulseResponse::CImpulseResponse()
{
    Clear();
}

CImpulseResponse::~CImpulseResponse()
{
    Clear();
}

void CImpulseResponse::Clear()
{
    std::vector<float>().swap(m_samples);
    m_strName.clear();
    m_nLengthCopy = 0;
    m_nId = 0;
    m_dSampleRate = -1.0;
    m_nChannels = 0;
    m_nFrames = 0;
    m_nCapacity = 0;
    m_nAnalysisLength = 0;
    m_nSignalType = 0;
}

void CImpulseResponse::CopyFrom(const CImpulseResponse& other)
{
    if (this == &other)
        return;
    m_strName = other.m_strName;
    m_nLengthCopy = other.m_nLengthCopy;
    m_nId = other.m_nId;
    m_dSampleRate = other.m_dSampleRate;
    m_nChannels = other.m_nChannels;
    m_nFrames = other.m_nFrames;
    m_nCapacity = other.m_nCapacity;
    m_samples = other.m_samples;
    m_nAnalysisLength = other.m_nAnalysisLength;
    m_nSignalType = other.m_nSignalType;
}

int CImpulseResponse::AnalysisLengthFor(int frames)
{
    if (frames <= 0)
        return 0;
    int length = kMinAnalysisLength;
    while (length < frames && length < kMaxFrames)
        length *= 2;
    return length;
}

bool CImpulseResponse::Prepare(int channels, int frames, int analysisLength)
{
    frames = std::min(frames, kMaxFrames);
    const int length = analysisLength > 0 ? analysisLength : AnalysisLengthFor(frames);
    frames = std::min(frames, length);
    if (channels <= 0 || length <= 0)
    {
        m_nAnalysisLength = 0;
        return false;
    }
    const std::size_t needed = static_cast<std::size_t>(channels) * static_cast<std::size_t>(length);
    try
    {
        if (m_samples.size() < needed)
            m_samples.resize(needed);
    }
    catch (const std::bad_alloc&)
    {
        Clear();
        return false;
    }
    std::fill(m_samples.begin(), m_samples.end(), 0.0f);
    m_nCapacity = static_cast<int>(std::min<std::size_t>(m_samples.size(), 0x7FFFFFFF));
    m_nChannels = channels;
    m_nFrames = frames;
    m_nAnalysisLength = length;
    m_nLengthCopy = length;
    return true;
}

float* CImpulseResponse::Channel(int c)
{
    if (!IsHeld() || c < 0 || c >= m_nChannels)
        return nullptr;
    return m_samples.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(m_nAnalysisLength);
}

const float* CImpulseResponse::Channel(int c) const
{
    return const_cast<CImpulseResponse*>(this)->Channel(c);
}

void CImpulseResponse::NewId()
{
    int id = 0;
    while (id == 0)
    {
        const unsigned a = static_cast<unsigned>(std::rand()) + 1u;
        const unsigned b = static_cast<unsigned>(std::rand()) + 1u;
        id = static_cast<int>((a * b) & 0x7FFFFFFFu);
    }
    m_nId = id;
}

int ReadImpulseText(std::FILE* file, std::vector<float>& values, int maxValues)
{
    values.clear();
    if (!file)
        return -1;
    float value = 0.0f;
    while (static_cast<int>(values.size()) < maxValues && std::fscanf(file, "%f", &value) == 1)
        values.push_back(value);
    return static_cast<int>(values.size());
}

int WriteImpulseText(std::FILE* file, const float* values, int count)
{
    int written = 0;
    while (written < count && std::fprintf(file, "%e\n", static_cast<double>(values[written])) > 0)
        ++written;
    return written;
}
