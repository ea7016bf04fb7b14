// Whole-file reads and crash-safe replacement, with a lock that serialises the writers of one file
// inside this process and across processes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace platform
{

// Why a whole-file read failed.
enum class ReadFileStatus
{
    Read,
    Missing,     // no such file
    NotRegular,  // a folder, pipe, device or socket: never opened for reading, so nothing blocks
    TooLarge,    // larger than the caller's limit for its format
    Failed,      // no permission, or a read error
};

// The largest file a reader takes when it names no limit of its own.
inline constexpr std::uintmax_t kDefaultMaxFileBytes = 256u * 1024 * 1024;

// Reads the whole of a regular file of at most maxBytes into bytes (bytes is empty on failure).
ReadFileStatus ReadRegularFile(const std::filesystem::path& path, std::string& bytes,
                               std::uintmax_t maxBytes = kDefaultMaxFileBytes);
// The same, as a success flag.
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes,
                   std::uintmax_t maxBytes = kDefaultMaxFileBytes);
// A sentence for a user that says why the file could not be read ("" for Read).
std::string DescribeReadFailure(ReadFileStatus status, const std::filesystem::path& path,
                                std::uintmax_t maxBytes);

// True when the file exists and its owner has taken away its write permission: the user made it
// read-only, and ReplaceFileAtomically leaves it alone.
bool IsReadOnlyFile(const std::filesystem::path& path);

// Writes the bytes to a temporary file in the same folder, flushes it to disk and renames it over
// the file (through a symbolic link to its target). An existing file keeps its permissions; one that
// its owner made read-only is not replaced (a rename would not ask). On any failure the old file is
// untouched, the temporary file is removed and false is returned.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Holds the write lock of one file for its lifetime: a mutex per path inside the process and an
// advisory lock on a lock file in the per-user runtime folder across processes (nothing is added
// next to the file itself). Blocks until the lock is held.
class FileLock
{
public:
    explicit FileLock(const std::filesystem::path& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace platform
