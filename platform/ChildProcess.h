// A helper program that runs beside the program: started by argument vector (never a command line
// for a shell), its end found out by polling, so that the caller never waits for it. A child still
// running when its object goes is reaped in the background when it ends.
//
// Threads: one object is used from one thread.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform
{

class CChildProcess
{
public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // 0 when the program started, else the errno value that stopped it (ENOENT: not found). A
    // child of an earlier start must have ended (Poll gave its status) first: EBUSY otherwise.
    int Start(const std::vector<std::string>& argv);
    bool IsRunning() const { return m_pid > 0; }
    // -1 while the child runs or when none was started; else its exit code (128 + signal).
    int Poll();

private:
    pid_t m_pid = 0;
};

}  // namespace platform
