// The binary archive: settings records and workspaces are stored and loaded through it. Its byte
// forms are a contract (files written once must load forever): little-endian integers, IEEE floats,
// the length-prefixed string form, and int32 counts before arrays. Nothing read is trusted: every
// short or malformed read raises platform::ArchiveError, and no length from the stream allocates
// more than the stream can still deliver.
//
// CArchive keeps the name its callers know and lives in the global namespace; its exception and
// helpers live in namespace platform.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform
{

// Why an archive gave up. The numbers of the first three follow the causes of the old framework's
// archive exception, so a loader that reports or compares them keeps their meaning.
enum class ArchiveCause : int
{
    Malformed = 1,  // a length, count or marker that no writer produces
    EndOfFile = 3,  // the stream ended inside a value
    BadIndex = 5,   // a record that is not ours (e.g. a wrong signature); thrown by loaders
    WriteFailed = 100,
    OpenFailed = 101,
};

// The one exception of every archive failure. Loaders catch it, report and keep their old data.
class ArchiveError : public std::exception
{
public:
    explicit ArchiveError(ArchiveCause cause, std::string message = {});
    ArchiveCause Cause() const noexcept { return m_cause; }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    ArchiveCause m_cause;
    std::string m_message;
};

}  // namespace platform

// The value types an archive stores with operator<< and loads with operator>>.
template <class T>
concept ArchiveValue =
    std::same_as<T, std::int8_t> || std::same_as<T, std::uint8_t> || std::same_as<T, std::int16_t> ||
    std::same_as<T, std::uint16_t> || std::same_as<T, std::int32_t> || std::same_as<T, std::uint32_t> ||
    std::same_as<T, float> || std::same_as<T, double> || std::same_as<T, std::string>;

// A binary archive that either stores or loads, over an in-memory buffer or a file.
// Not thread-safe: one archive belongs to the thread that serialises through it.
class CArchive
{
public:
    enum class Mode
    {
        Store,
        Load
    };

    // Storing into an in-memory buffer (see Buffer()).
    CArchive();
    // Loading from a copy of the bytes.
    explicit CArchive(std::span<const std::uint8_t> bytes);
    // Over a file that the caller opened and will close. Storing writes at the file's position;
    // loading reads from it.
    CArchive(std::FILE* file, Mode mode);
    // Opens the file (storing creates or truncates it); throws ArchiveError(OpenFailed) when it cannot.
    CArchive(const std::filesystem::path& path, Mode mode);
    // Flushes a storing archive without reporting; call Close() to learn whether the data reached the file.
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == Mode::Store; }
    bool IsLoading() const { return m_mode == Mode::Load; }

    // The stored bytes of an in-memory storing archive.
    const std::vector<std::uint8_t>& Buffer() const { return m_memory; }

    // Pushes buffered data to the file; throws ArchiveError(WriteFailed) when it cannot (e.g. disk full).
    void Flush();
    // Flushes, and closes the file when the archive opened it. Throws like Flush; later use is an error.
    void Close();

    CArchive& operator<<(std::int8_t value);
    CArchive& operator<<(std::uint8_t value);
    CArchive& operator<<(std::int16_t value);
    CArchive& operator<<(std::uint16_t value);
    CArchive& operator<<(std::int32_t value);
    CArchive& operator<<(std::uint32_t value);
    CArchive& operator<<(float value);
    CArchive& operator<<(double value);
    // The string form: length < 255 in one byte; else 0xFF and a 16-bit length (< 0xFFFE);
    // else 0xFF, 0xFFFF and a 32-bit length; then the bytes, no terminator.
    CArchive& operator<<(std::string_view value);

    CArchive& operator>>(std::int8_t& value);
    CArchive& operator>>(std::uint8_t& value);
    CArchive& operator>>(std::int16_t& value);
    CArchive& operator>>(std::uint16_t& value);
    CArchive& operator>>(std::int32_t& value);
    CArchive& operator>>(std::uint32_t& value);
    CArchive& operator>>(float& value);
    CArchive& operator>>(double& value);
    // Accepts the narrow form (UTF-8 kept, anything else decoded as Windows-1252) and the wide form
    // (0xFF, 0xFFFE, then a length in UTF-16 units); the result is always UTF-8.
    CArchive& operator>>(std::string& value);

    // Raw bytes, no length prefix. Read throws unless every byte asked for arrives.
    void Write(std::span<const std::uint8_t> bytes);
    void Read(std::span<std::uint8_t> bytes);

    // An int32 element count before an array. Reading refuses a count that is negative or above
    // the limit the caller gives, before anything is allocated.
    void WriteCount(std::size_t count);
    std::size_t ReadCount(std::size_t limit);

    template <ArchiveValue T>
    void WriteArray(std::span<const T> values)
    {
        WriteCount(values.size());
        for (const T& value : values)
            *this << value;
    }

    template <ArchiveValue T>
    std::vector<T> ReadArray(std::size_t limit)
    {
        const std::size_t count = ReadCount(limit);
        // Every element takes at least this many bytes; a count the stream cannot hold is refused
        // before the vector is sized.
        constexpr std::size_t kMinimumBytes = std::is_same_v<T, std::string> ? 1 : sizeof(T);
        RequireAvailable(static_cast<std::uint64_t>(count) * kMinimumBytes);
        // A source of unknown size grows the vector as elements arrive.
        std::vector<T> values;
        values.reserve(std::min(count, kReadChunk / kMinimumBytes));
        for (std::size_t i = 0; i < count; ++i)
        {
            T value{};
            *this >> value;
            values.push_back(std::move(value));
        }
        return values;
    }

private:
    // A source of unknown size is read in pieces of this size, so a lying length costs at most the
    // bytes that really arrive.
    static constexpr std::size_t kReadChunk = 64 * 1024;

    void RequireMode(Mode mode) const;
    void WriteRaw(const std::uint8_t* data, std::size_t size);
    void ReadRaw(std::uint8_t* data, std::size_t size);
    // Bytes that remain to be read, when the source knows it (memory, regular file).
    std::optional<std::uint64_t> Remaining() const;
    // Throws EndOfFile when the source is known to hold fewer bytes.
    void RequireAvailable(std::uint64_t size) const;
    // Reads `size` bytes; with an unknown source size it grows in bounded chunks.
    std::string ReadBlock(std::uint64_t size);
    std::uint64_t ReadStringLength(bool allowWideMarker, bool* wide);

    template <class U>
    void WriteLittleEndian(U bits);
    template <class U>
    U ReadLittleEndian();

    struct FileCloser
    {
        void operator()(std::FILE* file) const;
    };

    Mode m_mode;
    std::vector<std::uint8_t> m_memory;  // storing: the bytes so far; loading: the source bytes
    std::size_t m_readPos = 0;
    std::FILE* m_file = nullptr;
    std::unique_ptr<std::FILE, FileCloser> m_ownedFile;
    std::optional<std::uint64_t> m_fileRemaining;  // loading from a regular file
    bool m_closed = false;
};
