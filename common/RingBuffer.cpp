#include "common/RingBuffer.h"

#include <algorithm>
#include <climits>
#include <cstring>

CRingBuffer::CRingBuffer()
{
    Reset();
}

CRingBuffer::~CRingBuffer() = default;

void CRingBuffer::Reset()
{
    m_nWritePos = 0;
    m_nReadPos = 0;
    m_nFill = 0;
    m_nCount = 0;
}

void CRingBuffer::Allocate(int bytes)
{
    Free();
    bytes = std::max(bytes, 0);
    m_owned = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(bytes));
    SetBuffer(m_owned.get(), bytes);
    m_nOwnedSize = bytes;
}

void CRingBuffer::Free()
{
    if (m_nOwnedSize >= 0)
    {
        m_owned.reset();
        m_pBuffer = nullptr;
        m_nCapacity = 0;
        m_nOwnedSize = -1;
    }
    Reset();
}

void CRingBuffer::SetBuffer(void* storage, int bytes)
{
    if (m_nOwnedSize >= 0 && storage != m_owned.get())
    {
        m_owned.reset();
        m_nOwnedSize = -1;
    }
    m_pBuffer = static_cast<std::uint8_t*>(storage);
    m_nCapacity = storage ? std::max(bytes, 0) : 0;
    Reset();
}

int CRingBuffer::Wrap(long long position) const
{
    if (m_nCapacity <= 0)
        return 0;
    long long wrapped = position % m_nCapacity;
    if (wrapped < 0)
        wrapped += m_nCapacity;
    return static_cast<int>(wrapped);
}

int CRingBuffer::Write(const void* data, int bytes)
{
    if (bytes <= 0)
        return 0;
    // The count is not capped by the capacity, so it saturates rather than wrap to a negative.
    m_nCount = static_cast<int>(std::min<long long>(static_cast<long long>(m_nCount) + bytes, INT_MAX));
    m_nFill = static_cast<int>(std::min<long long>(static_cast<long long>(m_nFill) + bytes, m_nCapacity));
    if (m_nCapacity <= 0)
        return 0;

    const auto* source = static_cast<const std::uint8_t*>(data);
    int remaining = bytes;
    // Only the last capacity bytes can survive; the skipped ones still move the write position.
    if (remaining > m_nCapacity)
    {
        const int skipped = remaining - m_nCapacity;
        source += skipped;
        m_nWritePos = Wrap(static_cast<long long>(m_nWritePos) + skipped);
        remaining = m_nCapacity;
    }
    while (remaining > 0)
    {
        const int piece = std::min(remaining, m_nCapacity - m_nWritePos);
        std::memcpy(m_pBuffer + m_nWritePos, source, static_cast<std::size_t>(piece));
        source += piece;
        remaining -= piece;
        m_nWritePos += piece;
        if (m_nWritePos == m_nCapacity)
            m_nWritePos = 0;
    }
    return 0;
}

int CRingBuffer::Read(void* out, int bytes)
{
    if (bytes <= 0)
        return 0;
    m_nCount = static_cast<int>(std::max<long long>(static_cast<long long>(m_nCount) - bytes, INT_MIN));
    if (m_nCapacity <= 0)
        return 0;

    auto* destination = static_cast<std::uint8_t*>(out);
    int remaining = bytes;
    while (remaining > 0)
    {
        const int piece = std::min(remaining, m_nCapacity - m_nReadPos);
        std::memcpy(destination, m_pBuffer + m_nReadPos, static_cast<std::size_t>(piece));
        destination += piece;
        remaining -= piece;
        m_nReadPos += piece;
        if (m_nReadPos == m_nCapacity)
            m_nReadPos = 0;
    }
    return 0;
}

void CRingBuffer::CopyEndingAt(const void* plane, void* out, int bytes, long long end) const
{
    if (bytes <= 0 || bytes > m_nCapacity)
        return;
    const auto* source = static_cast<const std::uint8_t*>(plane);
    auto* destination = static_cast<std::uint8_t*>(out);
    int position = Wrap(end - bytes);
    int remaining = bytes;
    while (remaining > 0)
    {
        const int piece = std::min(remaining, m_nCapacity - position);
        std::memcpy(destination, source + position, static_cast<std::size_t>(piece));
        destination += piece;
        remaining -= piece;
        position = 0;
    }
}

void CRingBuffer::AddEndingAt(const void* plane, float* out, int bytes, long long end) const
{
    if (bytes <= 0 || bytes > m_nCapacity)
        return;
    const auto* source = static_cast<const std::uint8_t*>(plane);
    constexpr int kFloat = static_cast<int>(sizeof(float));
    // Positions stay float-aligned because the plane's capacity and every range are whole floats.
    int position = Wrap(end - bytes);
    int remaining = bytes / kFloat;
    while (remaining > 0)
    {
        const int piece = std::min(remaining, (m_nCapacity - position) / kFloat);
        if (piece <= 0)
            break;
        for (int i = 0; i < piece; ++i)
        {
            float value;
            std::memcpy(&value, source + position + i * kFloat, sizeof value);
            out[i] += value;
        }
        out += piece;
        remaining -= piece;
        position = 0;
    }
}
