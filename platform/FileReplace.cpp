#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/NumberFormat.h"
#include "platform/Places.h"

namespace platform
{
namespace
{
mode_t CurrentUmask();

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty())
    {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The file a write must replace: a symbolic link is followed so that the link survives.
std::filesystem::path WriteTarget(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::path target =
        std::filesystem::weakly_canonical(std::filesystem::absolute(path), error);
    return error ? path : target;
}

std::uint64_t HashPath(const std::string& text)
{
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (const char c : text)
    {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

struct PathMutexes
{
    std::mutex guard;
    std::map<std::string, std::unique_ptr<std::mutex>> byPath;

    std::mutex& For(const std::string& key)
    {
        std::lock_guard lock(guard);
        auto& slot = byPath[key];
        if (!slot)
            slot = std::make_unique<std::mutex>();
        return *slot;
    }
};

PathMutexes& Mutexes()
{
    static PathMutexes mutexes;
    return mutexes;
}

// The process's umask, read without changing it (umask() itself would race with other threads).
mode_t CurrentUmask()
{
    std::string status;
    if (ReadFileBytes("/proc/self/status", status))
    {
        const std::size_t at = status.find("Umask:");
        if (at != std::string::npos)
            return static_cast<mode_t>(std::strtoul(status.c_str() + at + 6, nullptr, 8));
    }
    return 022;
}

}  // namespace

ReadFileStatus ReadRegularFile(const std::filesystem::path& path, std::string& bytes, std::uintmax_t maxBytes)
{
    bytes.clear();
    // Non-blocking, so that a pipe in a file's place cannot hold the caller at the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadFileStatus::Missing : ReadFileStatus::Failed;
    struct stat info
    {
    };
    ReadFileStatus status = ReadFileStatus::Read;
    if (::fstat(fd, &info) != 0)
        status = ReadFileStatus::Failed;
    else if (!S_ISREG(info.st_mode))
        status = ReadFileStatus::NotRegular;
    else if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        status = ReadFileStatus::TooLarge;
    char buffer[65536];
    while (status == ReadFileStatus::Read)
    {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            status = ReadFileStatus::Failed;
        else if (got == 0)
            break;
        else if (bytes.size() + static_cast<std::size_t>(got) > maxBytes)  // it grew while read
            status = ReadFileStatus::TooLarge;
        else
            bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (status != ReadFileStatus::Read)
        bytes.clear();
    return status;
}

bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::uintmax_t maxBytes)
{
    return ReadRegularFile(path, bytes, maxBytes) == ReadFileStatus::Read;
}

std::string DescribeReadFailure(ReadFileStatus status, const std::filesystem::path& path,
                                std::uintmax_t maxBytes)
{
    const std::string name = "\"" + path.string() + "\"";
    switch (status)
    {
        case ReadFileStatus::Read:
            return "";
        case ReadFileStatus::Missing:
            return name + " does not exist.";
        case ReadFileStatus::NotRegular:
            return name + " is not a regular file.";
        case ReadFileStatus::TooLarge:
            return name + " is larger than " + std::to_string(maxBytes / 1024) +
                   " KiB, more than a file of its kind can hold.";
        case ReadFileStatus::Failed:
            break;
    }
    return name + " could not be read.";
}

bool IsReadOnlyFile(const std::filesystem::path& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes)
{
    const std::filesystem::path target = WriteTarget(path);
    if (IsReadOnlyFile(target))
    {
        errno = EACCES;
        return false;
    }
    std::string temporary = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    struct stat old
    {
    };
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0666 & ~CurrentUmask();
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok)
    {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable.
    const int folder = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0)
    {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

struct FileLock::State
{
    std::unique_lock<std::mutex> inProcess;
    int fd = -1;
};

FileLock::FileLock(const std::filesystem::path& path) : m_state(std::make_unique<State>())
{
    const std::string key = WriteTarget(path).string();
    m_state->inProcess = std::unique_lock(Mutexes().For(key));
    const std::filesystem::path lockFile =
        RuntimeFolder() / FormatC("tessarin-%016llx.lock", static_cast<unsigned long long>(HashPath(key)));
    m_state->fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_state->fd >= 0)
    {
        while (::flock(m_state->fd, LOCK_EX) != 0 && errno == EINTR)
        {
        }
    }
}

FileLock::~FileLock()
{
    if (m_state->fd >= 0)
    {
        ::flock(m_state->fd, LOCK_UN);
        ::close(m_state->fd);
    }
}

}  // namespace platform
