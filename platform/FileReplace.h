// Whole-file reads and crash-safe replacement, with a lock that serialises the writers of one file
// inside this process and across processes.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace platform
{

// Reads the whole file into bytes; false when it cannot be opened or read (bytes is then empty).
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes);

// Writes the bytes to a temporary file in the same folder, flushes it to disk and renames it over
// the file (through a symbolic link to its target). An existing file keeps its permissions. On any
// failure the old file is untouched, the temporary file is removed and false is returned.
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
