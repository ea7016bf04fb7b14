// Sockets of peers that misbehave: one a program that died left behind (bound and listening, then
// closed without being removed), and one of a live program that takes connections and never answers.
#pragma once

#include <filesystem>

namespace testsupport
{

// True when the stale socket file now exists at the path.
bool LeaveStaleSocket(const std::filesystem::path& path);

// Listens at the path for its lifetime: connections queue and what is sent is never read or
// answered. The socket file is removed when it ends.
class SilentPeer
{
public:
    explicit SilentPeer(std::filesystem::path path);
    ~SilentPeer();
    SilentPeer(const SilentPeer&) = delete;
    SilentPeer& operator=(const SilentPeer&) = delete;
    bool IsListening() const { return m_fd >= 0; }

private:
    std::filesystem::path m_path;
    int m_fd = -1;
};

}  // namespace testsupport
