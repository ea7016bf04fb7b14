#include "platform/Sync.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace platform
{

Event::Event(ResetMode mode, bool initiallySet) : m_mode(mode), m_set(initiallySet) {}

void Event::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    if (m_mode == ResetMode::Auto)
        m_changed.notify_one();
    else
        m_changed.notify_all();
}

void Event::Reset()
{
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool Event::TakeSignal()
{
    if (!m_set)
        return false;
    if (m_mode == ResetMode::Auto)
        m_set = false;
    return true;
}

bool Event::Wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_set; });
    TakeSignal();
    return true;
}

bool Event::Wait(std::uint32_t timeoutMs)
{
    // A steady deadline: a change of the wall clock neither shortens nor stretches the wait, and a
    // spurious wake-up waits again for the time that is left.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(m_mutex);
    if (!m_changed.wait_until(lock, deadline, [this] { return m_set; }))
        return false;
    TakeSignal();
    return true;
}

void LowerCurrentThreadPriority(int niceIncrement)
{
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0)
        (void)::setpriority(PRIO_PROCESS, tid, std::min(current + niceIncrement, 19));
}

}  // namespace platform
