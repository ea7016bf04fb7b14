#include "tests/support/StaleSocket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <utility>

namespace testsupport
{

bool LeaveStaleSocket(const std::filesystem::path& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool bound =
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd, 1) == 0;
    ::close(fd);
    return bound && std::filesystem::is_socket(path);
}

SilentPeer::SilentPeer(std::filesystem::path path) : m_path(std::move(path))
{
    m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (m_fd < 0)
        return;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, m_path.c_str(), sizeof address.sun_path - 1);
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_fd, 64) != 0)
    {
        ::close(m_fd);
        m_fd = -1;
    }
}

SilentPeer::~SilentPeer()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    std::error_code error;
    std::filesystem::remove(m_path, error);
}

}  // namespace testsupport
