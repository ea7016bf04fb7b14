// The copy-data link between programs of the suite. A program window that accepts copy-data listens
// on a Unix socket named after its exact title in the per-user runtime folder (mode 0700); finding
// a window means that its socket accepts a connection, and sending is one framed message answered
// by a 32-bit reply:
//   request  data word (8 bytes, little-endian), length (4 bytes, little-endian), the bytes
//   reply    32-bit signed result (4 bytes, little-endian)
// Only the same user can connect; the listener checks the length against its limit before it reads
// anything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <thread>

namespace platform
{

// The socket file of a window title: "window-" and the title with every byte outside
// [A-Za-z0-9._-] percent-encoded; when that would not fit a socket address, "window~" and a 64-bit
// hash of the title.
std::filesystem::path WindowSocketPath(std::string_view title);

// A found window: the socket of its listener. Empty stands for "no window".
class WindowSocket
{
public:
    WindowSocket() = default;
    explicit WindowSocket(std::filesystem::path path) : m_path(std::move(path)) {}

    bool IsEmpty() const { return m_path.empty(); }
    explicit operator bool() const { return !m_path.empty(); }
    const std::filesystem::path& Path() const { return m_path; }
    bool operator==(const WindowSocket&) const = default;

private:
    std::filesystem::path m_path;
};

// The window whose title is exactly this one (byte for byte), when a listener of the same user
// accepts a connection on its socket; empty otherwise (no socket, or one left by a dead program).
WindowSocket FindWindowSocket(std::string_view title);

// The window whose title begins with the prefix, for titles with a changing tail; the first such
// title in byte order when several match. Titles too long for a socket name (kept under a hash) are
// not found this way. The title found goes to `title` when given.
WindowSocket FindWindowSocketByPrefix(std::string_view prefix, std::string* title = nullptr);

// Sends one message and waits until the receiver has handled it. False when the window is empty or
// gone, the receiver refused the message (too long) or the link broke; reply is then unchanged.
bool SendCopyData(const WindowSocket& window, std::uint64_t dataWord, std::span<const std::byte> bytes,
                  std::int32_t& reply);

// Listens for copy-data addressed to one title while it lives, and removes its socket when destroyed.
//
// Threads: the handler runs on the listener's own thread, one message at a time; a handler that needs
// the window's thread must pass the work over (and must not wait for a thread that is destroying the
// listener). Create and destroy the listener on one thread; the destructor waits for a running handler.
class CopyDataListener
{
public:
    // The result of a message; the bytes are valid only during the call.
    using Handler = std::function<std::int32_t(std::uint64_t dataWord, std::span<const std::byte> bytes)>;

    static constexpr std::size_t kDefaultMaxMessageBytes = 1u << 20;

    // Binds the title's socket (replacing a socket left by a dead program) and starts listening.
    // Null when a live listener already holds the title or the socket cannot be made. Without a
    // handler every message is answered with 0.
    static std::unique_ptr<CopyDataListener> Listen(std::string_view title, Handler handler = {},
                                                    std::size_t maxMessageBytes = kDefaultMaxMessageBytes);

    ~CopyDataListener();
    CopyDataListener(const CopyDataListener&) = delete;
    CopyDataListener& operator=(const CopyDataListener&) = delete;

    const std::filesystem::path& SocketPath() const { return m_path; }

private:
    CopyDataListener() = default;
    void Run();
    void Serve(int connection);

    std::filesystem::path m_path;
    Handler m_handler;
    std::size_t m_maxMessageBytes = kDefaultMaxMessageBytes;
    int m_socket = -1;
    int m_wake = -1;  // eventfd that stops the thread
    std::uint64_t m_device = 0;
    std::uint64_t m_inode = 0;  // of the socket file we made, so that we never remove another's
    std::thread m_thread;
};

}  // namespace platform
