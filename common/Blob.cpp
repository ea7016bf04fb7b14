#include "common/Blob.h"

#include <bit>
#include <cstring>
#include <utility>

#include "platform/ByteOrder.h"

namespace
{

using platform::LoadLittleEndian;
using platform::StoreLittleEndian;

// The size every writer of these files reserves; the limit for a blob that has reserved nothing.
constexpr int kDefaultBlobSize = 1024;

}  // namespace

CBlob::CBlob() = default;

CBlob::~CBlob() = default;

void CBlob::Reserve(int size)
{
    if (size < 0)
        size = 0;
    // Value-initialised: the bytes after the last pushed value reach the file as zeros, not as
    // whatever the heap held before.
    m_pBuffer = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size));
    m_nSize = size;
    m_nWritePos = 0;
    m_nReadPos = 0;
}

bool CBlob::Fits(int position, int bytes) const
{
    return m_pBuffer && position >= 0 && position <= m_nSize && m_nSize - position >= bytes;
}

bool CBlob::PushInt(int value)
{
    if (!Fits(m_nWritePos, 4))
        return false;
    StoreLittleEndian(m_pBuffer.get() + m_nWritePos, static_cast<std::uint32_t>(value));
    m_nWritePos += 4;
    return true;
}

bool CBlob::PushDouble(double value)
{
    if (!Fits(m_nWritePos, 8))
        return false;
    StoreLittleEndian(m_pBuffer.get() + m_nWritePos, std::bit_cast<std::uint64_t>(value));
    m_nWritePos += 8;
    return true;
}

bool CBlob::PopInt(int& value)
{
    if (!Fits(m_nReadPos, 4))
    {
        value = 0;
        return false;
    }
    value = static_cast<int>(LoadLittleEndian<std::uint32_t>(m_pBuffer.get() + m_nReadPos));
    m_nReadPos += 4;
    return true;
}

bool CBlob::PopDouble(double& value)
{
    if (!Fits(m_nReadPos, 8))
    {
        value = 0.0;
        return false;
    }
    value = std::bit_cast<double>(LoadLittleEndian<std::uint64_t>(m_pBuffer.get() + m_nReadPos));
    m_nReadPos += 8;
    return true;
}

bool CBlob::WriteToFile(std::FILE* file) const
{
    if (!file)
        return false;
    std::uint8_t prefix[4];
    StoreLittleEndian(prefix, static_cast<std::uint32_t>(m_nSize));
    if (std::fwrite(prefix, 1, sizeof prefix, file) != sizeof prefix)
        return false;
    const auto size = static_cast<std::size_t>(m_nSize);
    return size == 0 || std::fwrite(m_pBuffer.get(), 1, size, file) == size;
}

bool CBlob::ReadFromFile(std::FILE* file)
{
    if (!file)
        return false;
    std::uint8_t prefix[4];
    if (std::fread(prefix, 1, sizeof prefix, file) != sizeof prefix)
        return false;
    const auto stored = static_cast<std::int32_t>(LoadLittleEndian<std::uint32_t>(prefix));
    const int limit = m_pBuffer ? m_nSize : kDefaultBlobSize;
    if (stored < 0 || stored > limit)
        return false;
    // Read into a new block first, so a short file leaves the old contents in place.
    auto buffer = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(stored));
    const auto size = static_cast<std::size_t>(stored);
    if (size != 0 && std::fread(buffer.get(), 1, size, file) != size)
        return false;
    m_pBuffer = std::move(buffer);
    m_nSize = stored;
    m_nWritePos = 0;
    m_nReadPos = 0;
    return true;
}
