#include "common/FloatRingBuffer.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace
{
constexpr int kSampleBytes = static_cast<int>(sizeof(float));
}  // namespace

CFloatRingBuffer::CFloatRingBuffer()
{
    m_nElementSize = kSampleBytes;
    Reset();
}

void CFloatRingBuffer::SetBuffer(float* storage, int samples)
{
    CRingBuffer::SetBuffer(storage, storage ? std::max(samples, 0) : 0);
    m_pSamples = storage;
}

int CFloatRingBuffer::Write(const float* data, int samples)
{
    if (samples <= 0)
        return 0;
    // The byte count must stay an int; anything beyond the capacity is skipped anyway.
    const long long bytes = static_cast<long long>(samples) * kSampleBytes;
    m_nCount = static_cast<int>(std::min<long long>(static_cast<long long>(m_nCount) + bytes, INT_MAX));
    m_nFill = static_cast<int>(std::min<long long>(static_cast<long long>(m_nFill) + samples, m_nCapacity));
    if (m_nCapacity <= 0)
        return 0;

    int remaining = samples;
    if (remaining > m_nCapacity)
    {
        const int skipped = remaining - m_nCapacity;
        data += skipped;
        m_nWritePos = Wrap(static_cast<long long>(m_nWritePos) + skipped);
        remaining = m_nCapacity;
    }
    while (remaining > 0)
    {
        const int piece = std::min(remaining, m_nCapacity - m_nWritePos);
        std::memcpy(m_pSamples + m_nWritePos, data, static_cast<std::size_t>(piece) * sizeof(float));
        data += piece;
        remaining -= piece;
        m_nWritePos += piece;
        if (m_nWritePos == m_nCapacity)
            m_nWritePos = 0;
    }
    return 0;
}

int CFloatRingBuffer::Read(float* out, int samples)
{
    if (samples <= 0)
        return 0;
    const long long bytes = static_cast<long long>(samples) * kSampleBytes;
    m_nCount = static_cast<int>(std::max<long long>(static_cast<long long>(m_nCount) - bytes, INT_MIN));
    if (m_nCapacity <= 0)
        return 0;

    int remaining = samples;
    while (remaining > 0)
    {
        const int piece = std::min(remaining, m_nCapacity - m_nReadPos);
        std::memcpy(out, m_pSamples + m_nReadPos, static_cast<std::size_t>(piece) * sizeof(float));
        out += piece;
        remaining -= piece;
        m_nReadPos += piece;
        if (m_nReadPos == m_nCapacity)
            m_nReadPos = 0;
    }
    return 0;
}
