#include "platform/ChildProcess.h"

#include "platform/Spawn.h"

#include <sys/wait.h>

#include <cerrno>
#include <thread>

namespace platform
{

CChildProcess::~CChildProcess()
{
    if (m_pid > 0)
    {
        const pid_t pid = m_pid;
        std::thread(
            [pid]
            {
                int status = 0;
                while (::waitpid(pid, &status, 0) < 0 && errno == EINTR)
                {
                }
            })
            .detach();
    }
}

int CChildProcess::Start(const std::vector<std::string>& argv)
{
    if (m_pid > 0)
        return EBUSY;
    SpawnRequest request;
    request.argv = argv;
    request.mode = SpawnMode::Keep;
    const SpawnResult result = SpawnProgram(request);
    if (!result.Started())
        return result.error;
    m_pid = result.pid;
    return 0;
}

int CChildProcess::Poll()
{
    if (m_pid <= 0)
        return -1;
    int status = 0;
    pid_t done = 0;
    do
        done = ::waitpid(m_pid, &status, WNOHANG);
    while (done < 0 && errno == EINTR);
    if (done == 0)
        return -1;
    m_pid = 0;
    if (done < 0)
        return 127;  // not our child any more: its status is lost
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 127;
}

}  // namespace platform
