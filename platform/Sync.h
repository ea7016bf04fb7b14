// Events for threads that signal each other: the auto- and manual-reset events with timed waits that
// the engine's workers and their owners wait on.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform
{

// Any thread may call any member; Wait blocks, the others never do.
// Auto-reset: a Set releases exactly one waiter (or the next one to wait) and the event clears
// itself; setting an event that is already set changes nothing. Manual-reset: a Set releases every
// waiter, present and future, until Reset.
class Event
{
public:
    enum class ResetMode
    {
        Auto,
        Manual
    };

    explicit Event(ResetMode mode = ResetMode::Auto, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits until the event is set. Always true.
    bool Wait();
    // Waits at most timeoutMs milliseconds; true when signalled, false on timeout (0 only polls).
    bool Wait(std::uint32_t timeoutMs);

private:
    // Takes the signal (clearing it for an auto-reset event); the caller holds m_mutex.
    bool TakeSignal();

    const ResetMode m_mode;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_set;
};

// Lowers the calling thread's scheduling priority by `niceIncrement` steps (never below the lowest);
// a refusal leaves the thread at its priority, which only costs the other threads some time.
void LowerCurrentThreadPriority(int niceIncrement);

}  // namespace platform
