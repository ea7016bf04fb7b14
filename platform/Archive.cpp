#include "platform/Archive.h"

#include "platform/ByteOrder.h"

#include "platform/Text.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace platform
{
namespace
{

std::string DefaultMessage(ArchiveCause cause)
{
    switch (cause)
    {
        case ArchiveCause::Malformed:
            return "archive: malformed data";
        case ArchiveCause::EndOfFile:
            return "archive: unexpected end of file";
        case ArchiveCause::BadIndex:
            return "archive: unsupported record";
        case ArchiveCause::WriteFailed:
            return "archive: write failed";
        case ArchiveCause::OpenFailed:
            return "archive: cannot open file";
    }
    return "archive: error";
}

}  // namespace

ArchiveError::ArchiveError(ArchiveCause cause, std::string message)
    : m_cause(cause), m_message(message.empty() ? DefaultMessage(cause) : std::move(message))
{
}

}  // namespace platform

using platform::ArchiveCause;
using platform::ArchiveError;

namespace
{

// String length markers of the stored form.
constexpr std::uint8_t kLongLengthByte = 0xFF;
constexpr std::uint16_t kWideMarker = 0xFFFE;
constexpr std::uint16_t kLength32Marker = 0xFFFF;
constexpr std::uint32_t kLength64Marker = 0xFFFFFFFF;

// UTF-16LE code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t i)
    {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < units; ++i)
    {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units)
        {
            const char16_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                platform::AppendUtf8(text, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            platform::AppendUtf8(text, 0xFFFD);
        else
            platform::AppendUtf8(text, u);
    }
    return text;
}

}  // namespace

void CArchive::FileCloser::operator()(std::FILE* file) const
{
    if (file)
        std::fclose(file);
}

CArchive::CArchive() : m_mode(Mode::Store) {}

CArchive::CArchive(std::span<const std::uint8_t> bytes)
    : m_mode(Mode::Load), m_memory(bytes.begin(), bytes.end())
{
}

CArchive::CArchive(std::FILE* file, Mode mode) : m_mode(mode), m_file(file)
{
    if (!file)
        throw ArchiveError(ArchiveCause::OpenFailed);
    if (mode == Mode::Load)
    {
        struct stat info = {};
        if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode))
        {
            const long position = std::ftell(file);
            if (position >= 0)
            {
                const auto size = static_cast<std::uint64_t>(info.st_size);
                const auto pos = static_cast<std::uint64_t>(position);
                m_fileRemaining = size > pos ? size - pos : 0;
            }
        }
    }
}

CArchive::CArchive(const std::filesystem::path& path, Mode mode)
    : m_mode(mode), m_ownedFile(std::fopen(path.c_str(), mode == Mode::Store ? "wb" : "rb"))
{
    if (!m_ownedFile)
        throw ArchiveError(ArchiveCause::OpenFailed,
                           "archive: cannot open " + path.string() + ": " + std::strerror(errno));
    m_file = m_ownedFile.get();
    if (mode == Mode::Load)
    {
        struct stat info = {};
        if (fstat(fileno(m_file), &info) == 0 && S_ISREG(info.st_mode))
            m_fileRemaining = static_cast<std::uint64_t>(info.st_size);
    }
}

CArchive::~CArchive()
{
    if (m_file && !m_closed && m_mode == Mode::Store)
        std::fflush(m_file);
}

void CArchive::Flush()
{
    if (!m_file || m_closed || m_mode != Mode::Store)
        return;
    if (std::fflush(m_file) != 0 || std::ferror(m_file))
        throw ArchiveError(ArchiveCause::WriteFailed,
                           std::string("archive: write failed: ") + std::strerror(errno));
}

void CArchive::Close()
{
    if (m_closed)
        return;
    m_closed = true;
    if (!m_file)
        return;
    bool failed = false;
    int error = 0;
    if (m_mode == Mode::Store && (std::fflush(m_file) != 0 || std::ferror(m_file)))
    {
        failed = true;
        error = errno;
    }
    if (m_ownedFile)
    {
        if (std::fclose(m_ownedFile.release()) != 0 && m_mode == Mode::Store && !failed)
        {
            failed = true;
            error = errno;
        }
    }
    m_file = nullptr;
    if (failed)
        throw ArchiveError(ArchiveCause::WriteFailed,
                           std::string("archive: write failed: ") + std::strerror(error));
}

void CArchive::RequireMode(Mode mode) const
{
    if (m_mode != mode)
        throw std::logic_error(mode == Mode::Store ? "archive: storing into a loading archive"
                                                   : "archive: loading from a storing archive");
    if (m_closed)
        throw std::logic_error("archive: used after Close()");
}

void CArchive::WriteRaw(const std::uint8_t* data, std::size_t size)
{
    RequireMode(Mode::Store);
    if (size == 0)
        return;
    if (m_file)
    {
        if (std::fwrite(data, 1, size, m_file) != size)
            throw ArchiveError(ArchiveCause::WriteFailed,
                               std::string("archive: write failed: ") + std::strerror(errno));
    }
    else
    {
        m_memory.insert(m_memory.end(), data, data + size);
    }
}

void CArchive::ReadRaw(std::uint8_t* data, std::size_t size)
{
    RequireMode(Mode::Load);
    if (size == 0)
        return;
    if (m_file)
    {
        if (m_fileRemaining && *m_fileRemaining < size)
            throw ArchiveError(ArchiveCause::EndOfFile);
        const std::size_t got = std::fread(data, 1, size, m_file);
        if (m_fileRemaining)
            *m_fileRemaining -= std::min<std::uint64_t>(got, *m_fileRemaining);
        if (got != size)
            throw ArchiveError(ArchiveCause::EndOfFile);
    }
    else
    {
        if (m_memory.size() - m_readPos < size)
            throw ArchiveError(ArchiveCause::EndOfFile);
        std::memcpy(data, m_memory.data() + m_readPos, size);
        m_readPos += size;
    }
}

std::optional<std::uint64_t> CArchive::Remaining() const
{
    if (m_file)
        return m_fileRemaining;
    return m_memory.size() - m_readPos;
}

void CArchive::RequireAvailable(std::uint64_t size) const
{
    const auto remaining = Remaining();
    if (remaining && *remaining < size)
        throw ArchiveError(ArchiveCause::EndOfFile);
}

std::string CArchive::ReadBlock(std::uint64_t size)
{
    RequireMode(Mode::Load);
    RequireAvailable(size);
    std::string bytes;
    if (Remaining())
    {
        bytes.resize(static_cast<std::size_t>(size));
        ReadRaw(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
        return bytes;
    }
    while (bytes.size() < size)
    {
        const std::size_t piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(kReadChunk, size - bytes.size()));
        const std::size_t old = bytes.size();
        bytes.resize(old + piece);
        ReadRaw(reinterpret_cast<std::uint8_t*>(bytes.data()) + old, piece);
    }
    return bytes;
}

template <class U>
void CArchive::WriteLittleEndian(U bits)
{
    std::uint8_t bytes[sizeof(U)];
    platform::StoreLittleEndian(bytes, bits);
    WriteRaw(bytes, sizeof(U));
}

template <class U>
U CArchive::ReadLittleEndian()
{
    std::uint8_t bytes[sizeof(U)];
    ReadRaw(bytes, sizeof(U));
    return platform::LoadLittleEndian<U>(bytes);
}

CArchive& CArchive::operator<<(std::int8_t value)
{
    WriteLittleEndian(static_cast<std::uint8_t>(value));
    return *this;
}

CArchive& CArchive::operator<<(std::uint8_t value)
{
    WriteLittleEndian(value);
    return *this;
}

CArchive& CArchive::operator<<(std::int16_t value)
{
    WriteLittleEndian(static_cast<std::uint16_t>(value));
    return *this;
}

CArchive& CArchive::operator<<(std::uint16_t value)
{
    WriteLittleEndian(value);
    return *this;
}

CArchive& CArchive::operator<<(std::int32_t value)
{
    WriteLittleEndian(static_cast<std::uint32_t>(value));
    return *this;
}

CArchive& CArchive::operator<<(std::uint32_t value)
{
    WriteLittleEndian(value);
    return *this;
}

CArchive& CArchive::operator<<(float value)
{
    WriteLittleEndian(std::bit_cast<std::uint32_t>(value));
    return *this;
}

CArchive& CArchive::operator<<(double value)
{
    WriteLittleEndian(std::bit_cast<std::uint64_t>(value));
    return *this;
}

CArchive& CArchive::operator<<(std::string_view value)
{
    RequireMode(Mode::Store);
    const std::size_t length = value.size();
    if (length < kLongLengthByte)
    {
        WriteLittleEndian(static_cast<std::uint8_t>(length));
    }
    else if (length < kWideMarker)
    {
        WriteLittleEndian(kLongLengthByte);
        WriteLittleEndian(static_cast<std::uint16_t>(length));
    }
    else if (length < kLength64Marker)
    {
        WriteLittleEndian(kLongLengthByte);
        WriteLittleEndian(kLength32Marker);
        WriteLittleEndian(static_cast<std::uint32_t>(length));
    }
    else
    {
        // The 32-bit form is the longest any reader of these files knows.
        throw ArchiveError(ArchiveCause::WriteFailed, "archive: string too long to store");
    }
    WriteRaw(reinterpret_cast<const std::uint8_t*>(value.data()), length);
    return *this;
}

CArchive& CArchive::operator>>(std::int8_t& value)
{
    value = static_cast<std::int8_t>(ReadLittleEndian<std::uint8_t>());
    return *this;
}

CArchive& CArchive::operator>>(std::uint8_t& value)
{
    value = ReadLittleEndian<std::uint8_t>();
    return *this;
}

CArchive& CArchive::operator>>(std::int16_t& value)
{
    value = static_cast<std::int16_t>(ReadLittleEndian<std::uint16_t>());
    return *this;
}

CArchive& CArchive::operator>>(std::uint16_t& value)
{
    value = ReadLittleEndian<std::uint16_t>();
    return *this;
}

CArchive& CArchive::operator>>(std::int32_t& value)
{
    value = static_cast<std::int32_t>(ReadLittleEndian<std::uint32_t>());
    return *this;
}

CArchive& CArchive::operator>>(std::uint32_t& value)
{
    value = ReadLittleEndian<std::uint32_t>();
    return *this;
}

CArchive& CArchive::operator>>(float& value)
{
    value = std::bit_cast<float>(ReadLittleEndian<std::uint32_t>());
    return *this;
}

CArchive& CArchive::operator>>(double& value)
{
    value = std::bit_cast<double>(ReadLittleEndian<std::uint64_t>());
    return *this;
}

std::uint64_t CArchive::ReadStringLength(bool allowWideMarker, bool* wide)
{
    const auto first = ReadLittleEndian<std::uint8_t>();
    if (first < kLongLengthByte)
        return first;
    const auto second = ReadLittleEndian<std::uint16_t>();
    if (second == kWideMarker)
    {
        // The marker comes once, before the length of the wide string.
        if (!allowWideMarker)
            throw ArchiveError(ArchiveCause::Malformed, "archive: repeated wide-string marker");
        *wide = true;
        return ReadStringLength(false, wide);
    }
    if (second < kWideMarker)
        return second;
    const auto third = ReadLittleEndian<std::uint32_t>();
    if (third == kLength64Marker)
        throw ArchiveError(ArchiveCause::Malformed, "archive: string length out of range");
    return third;
}

CArchive& CArchive::operator>>(std::string& value)
{
    bool wide = false;
    const std::uint64_t length = ReadStringLength(true, &wide);
    const std::string bytes = ReadBlock(wide ? length * 2 : length);
    value = wide ? Utf16LeToUtf8(bytes) : platform::TextFromFile(bytes);
    return *this;
}

void CArchive::Write(std::span<const std::uint8_t> bytes)
{
    WriteRaw(bytes.data(), bytes.size());
}

void CArchive::Read(std::span<std::uint8_t> bytes)
{
    RequireMode(Mode::Load);
    RequireAvailable(bytes.size());
    ReadRaw(bytes.data(), bytes.size());
}

void CArchive::WriteCount(std::size_t count)
{
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw ArchiveError(ArchiveCause::WriteFailed, "archive: too many elements to store");
    *this << static_cast<std::int32_t>(count);
}

std::size_t CArchive::ReadCount(std::size_t limit)
{
    std::int32_t count = 0;
    *this >> count;
    if (count < 0)
        throw ArchiveError(ArchiveCause::Malformed, "archive: negative element count");
    if (static_cast<std::size_t>(count) > limit)
        throw ArchiveError(ArchiveCause::Malformed, "archive: element count above its limit");
    return static_cast<std::size_t>(count);
}
