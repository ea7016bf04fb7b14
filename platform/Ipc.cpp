#include "platform/Ipc.h"

#include "platform/Debug.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"
#include "platform/Places.h"

namespace platform
{
namespace
{

constexpr std::size_t kHeaderBytes = 12;
// A sender that connects and then stalls must not hold the listener for long.
constexpr auto kMessageTimeout = std::chrono::seconds(5);
constexpr int kSendTimeoutSeconds = 2;

std::uint64_t HashTitle(std::string_view title)
{
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (const char c : title)
    {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool IsSafeByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

bool FitsSocketAddress(const std::filesystem::path& path)
{
    return !path.empty() && path.native().size() < sizeof(sockaddr_un{}.sun_path);
}

sockaddr_un AddressOf(const std::filesystem::path& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.native().size());
    return address;
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

bool PeerIsSameUser(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           size == sizeof credentials && credentials.uid == ::geteuid();
}

// A connected stream socket to the path, or -1.
int Connect(const std::filesystem::path& path)
{
    if (!FitsSocketAddress(path))
        return -1;
    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.Get() < 0)
        return -1;
    // A peer that accepts and never reads or answers must not hold the sender: every connect, send
    // and receive of the sender gives up after the time-out.
    const timeval timeout{kSendTimeoutSeconds, 0};
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const sockaddr_un address = AddressOf(path);
    int result;
    do
        result = ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (result != 0 && errno == EINTR);
    if (result != 0 || !PeerIsSameUser(fd.Get()))
        return -1;
    return fd.Release();
}

bool SendAll(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0)
    {
        const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// Blocking read of exactly size bytes; false on end of stream or error.
bool ReceiveAll(int fd, void* data, std::size_t size)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0)
    {
        const ssize_t got = ::recv(fd, bytes, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

enum class ReadResult
{
    Complete,
    Closed,  // the peer closed before sending a byte (a finder's probe)
    Failed,  // broken, stalled, or the listener is stopping
};

// Reads exactly size bytes while watching the stop event and the deadline.
ReadResult ReceiveWatched(int fd, int wake, void* data, std::size_t size,
                          std::chrono::steady_clock::time_point deadline, bool first)
{
    auto* bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return ReadResult::Failed;
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || (fds[1].revents & POLLIN))
            return ReadResult::Failed;
        const ssize_t got = ::recv(fd, bytes + done, size - done, MSG_DONTWAIT);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (got == 0)
            return first && done == 0 ? ReadResult::Closed : ReadResult::Failed;
        if (got < 0)
            return ReadResult::Failed;
        done += static_cast<std::size_t>(got);
    }
    return ReadResult::Complete;
}

std::uint64_t LoadLittleEndian(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

void StoreLittleEndian(unsigned char* bytes, std::uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool SameFile(const std::filesystem::path& path, std::uint64_t device, std::uint64_t inode)
{
    struct stat info
    {
    };
    return ::lstat(path.c_str(), &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

}  // namespace

std::filesystem::path WindowSocketPath(std::string_view title)
{
    std::string name = "window-";
    for (const char c : title)
    {
        if (IsSafeByte(c))
            name += c;
        else
            name += FormatC("%%%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
    }
    const std::filesystem::path folder = RuntimeFolder();
    std::filesystem::path path = folder / name;
    if (!FitsSocketAddress(path))
        path = folder / FormatC("window~%016llx", static_cast<unsigned long long>(HashTitle(title)));
    return path;
}

WindowSocket FindWindowSocket(std::string_view title)
{
    const std::filesystem::path path = WindowSocketPath(title);
    Descriptor fd(Connect(path));
    if (fd.Get() < 0)
        return {};
    return WindowSocket(path);
}

WindowSocket FindWindowSocketByPrefix(std::string_view prefix, std::string* title)
{
    // Every socket name is the escaped title: decode the names, keep those that begin with the
    // prefix, and take the first one whose listener answers.
    std::vector<std::pair<std::string, std::filesystem::path>> candidates;
    std::error_code error;
    for (std::filesystem::directory_iterator it(RuntimeFolder(), error), end; !error && it != end;
         it.increment(error))
    {
        const std::string name = it->path().filename().string();
        if (name.rfind("window-", 0) != 0)
            continue;
        std::string decoded;
        bool valid = true;
        for (std::size_t i = 7; i < name.size() && valid; ++i)
        {
            if (name[i] != '%')
            {
                decoded += name[i];
                continue;
            }
            unsigned value = 0;
            valid = i + 2 < name.size() && std::sscanf(name.c_str() + i + 1, "%2X", &value) == 1;
            decoded += static_cast<char>(value);
            i += 2;
        }
        if (valid && decoded.size() >= prefix.size() && decoded.compare(0, prefix.size(), prefix) == 0)
            candidates.emplace_back(std::move(decoded), it->path());
    }
    std::sort(candidates.begin(), candidates.end());
    for (const auto& [found, path] : candidates)
    {
        Descriptor fd(Connect(path));
        if (fd.Get() < 0)
            continue;
        if (title)
            *title = found;
        return WindowSocket(path);
    }
    return {};
}

bool SendCopyData(const WindowSocket& window, std::uint64_t dataWord, std::span<const std::byte> bytes,
                  std::int32_t& reply)
{
    if (window.IsEmpty() || bytes.size() > 0xFFFFFFFFu)
        return false;
    Descriptor fd(Connect(window.Path()));
    if (fd.Get() < 0)
        return false;
    unsigned char header[kHeaderBytes];
    StoreLittleEndian(header, dataWord, 8);
    StoreLittleEndian(header + 8, bytes.size(), 4);
    unsigned char answer[4];
    if (!SendAll(fd.Get(), header, sizeof header) || !SendAll(fd.Get(), bytes.data(), bytes.size()) ||
        !ReceiveAll(fd.Get(), answer, sizeof answer))
    {
        DebugOutput("copy-data to %s failed or timed out\n", window.Path().c_str());
        return false;
    }
    reply = static_cast<std::int32_t>(static_cast<std::uint32_t>(LoadLittleEndian(answer, 4)));
    return true;
}

std::unique_ptr<CopyDataListener> CopyDataListener::Listen(std::string_view title, Handler handler,
                                                           std::size_t maxMessageBytes)
{
    const std::filesystem::path path = WindowSocketPath(title);
    if (!FitsSocketAddress(path))
        return nullptr;
    // Two programs starting with one title must not both decide that the socket is stale.
    FileLock lock(path);
    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.Get() < 0)
        return nullptr;
    const sockaddr_un address = AddressOf(path);
    const auto* raw = reinterpret_cast<const sockaddr*>(&address);
    if (::bind(fd.Get(), raw, sizeof address) != 0)
    {
        if (errno != EADDRINUSE)
            return nullptr;
        if (Descriptor live(Connect(path)); live.Get() >= 0)
            return nullptr;
        // Left by a program that died; anything that is not a socket is not ours to remove.
        struct stat info
        {
        };
        if (::lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) || info.st_uid != ::geteuid())
            return nullptr;
        ::unlink(path.c_str());
        if (::bind(fd.Get(), raw, sizeof address) != 0)
            return nullptr;
    }
    ::chmod(path.c_str(), 0600);
    struct stat info
    {
    };
    if (::listen(fd.Get(), 16) != 0 || ::lstat(path.c_str(), &info) != 0)
    {
        ::unlink(path.c_str());
        return nullptr;
    }
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    if (wake < 0)
    {
        ::unlink(path.c_str());
        return nullptr;
    }

    std::unique_ptr<CopyDataListener> listener(new CopyDataListener());
    listener->m_path = path;
    listener->m_handler = std::move(handler);
    listener->m_maxMessageBytes = maxMessageBytes;
    listener->m_socket = fd.Release();
    listener->m_wake = wake;
    listener->m_device = info.st_dev;
    listener->m_inode = info.st_ino;
    listener->m_thread = std::thread([raw = listener.get()] { raw->Run(); });
    return listener;
}

CopyDataListener::~CopyDataListener()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    if (m_thread.joinable())
        m_thread.join();
    {
        FileLock lock(m_path);
        // A later listener may have replaced a socket it thought stale; leave its socket alone.
        if (SameFile(m_path, m_device, m_inode))
            ::unlink(m_path.c_str());
    }
    ::close(m_socket);
    ::close(m_wake);
}

void CopyDataListener::Run()
{
    for (;;)
    {
        pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_wake, POLLIN, 0}};
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0)
        {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents & POLLIN)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        const int connection = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        Descriptor guard(connection);
        if (PeerIsSameUser(connection))
            Serve(connection);
    }
}

void CopyDataListener::Serve(int connection)
{
    const auto deadline = std::chrono::steady_clock::now() + kMessageTimeout;
    unsigned char header[kHeaderBytes];
    if (ReceiveWatched(connection, m_wake, header, sizeof header, deadline, true) != ReadResult::Complete)
        return;
    const std::uint64_t dataWord = LoadLittleEndian(header, 8);
    const std::uint64_t length = LoadLittleEndian(header + 8, 4);
    // Refused before anything is allocated: the sender sees the link close without a reply.
    if (length > m_maxMessageBytes)
        return;
    std::vector<std::byte> bytes(static_cast<std::size_t>(length));
    if (!bytes.empty() && ReceiveWatched(connection, m_wake, bytes.data(), bytes.size(), deadline, false) !=
                              ReadResult::Complete)
        return;
    const std::int32_t result = m_handler ? m_handler(dataWord, bytes) : 0;
    unsigned char answer[4];
    StoreLittleEndian(answer, static_cast<std::uint32_t>(result), 4);
    SendAll(connection, answer, sizeof answer);
}

}  // namespace platform
